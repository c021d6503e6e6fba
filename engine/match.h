#pragma once
// How the program finds a key, a stem or a list entry in a phrase: a left-to-right scan that
// never backtracks, with the phrase upper-cased and the key taken as stored.
#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace tovrin {

// A phrase upper-cased once, so that a scan over thousands of keys does not convert it again.
class UpperPhrase {
public:
    explicit UpperPhrase(std::string_view phrase);
    std::string_view text() const { return text_; }
    // Whether the character occurs anywhere in the phrase: no key can be found in it that
    // begins with a character it lacks.
    bool holds(char c) const { return holds_[static_cast<unsigned char>(c)]; }

private:
    std::string text_;
    std::array<bool, 256> holds_{};
};

// Searches the phrase for the key from phrase position start (positions count from 1). A
// mismatch drops the partial match and the scan goes on with the next phrase character, so
// "АБ" is not found in "ААБ.". Returns the position of the phrase character that completed
// the match, or 0 when the key is not found (an empty key is never found).
int ContainsKey(const UpperPhrase& phrase, std::string_view key, int start = 1);
int ContainsKey(std::string_view phrase, std::string_view key, int start = 1);

// True when every word of the key is found in the phrase, in the key's order and without
// overlapping, each searched from just after the previous one's match. Words are separated
// by single spaces; a second space begins the next word.
bool ContainsWords(const UpperPhrase& phrase, std::string_view key);
bool ContainsWords(std::string_view phrase, std::string_view key);

// True when any entry of the list is found in the phrase by ContainsKey: how the filters'
// word lists hit.
bool ContainsAny(const UpperPhrase& phrase, const std::vector<std::string>& list);

} // namespace tovrin
