#include "engine/match.h"

#include "kb/cp1251.h"

namespace tovrin {

UpperPhrase::UpperPhrase(std::string_view phrase) : text_(cp1251::upper(phrase))
{
    for (const char c : text_)
        holds_[static_cast<unsigned char>(c)] = true;
}

int ContainsKey(const UpperPhrase& phrase, std::string_view key, int start)
{
    const std::string_view text = phrase.text();
    if (key.empty())
        return 0;
    std::size_t matched = 0;
    for (std::size_t i = start > 1 ? static_cast<std::size_t>(start - 1) : 0; i < text.size();
         ++i) {
        // A match grows by one character a step: once fewer are left than it still needs,
        // it cannot complete.
        if (text.size() - i < key.size() - matched)
            return 0;
        if (text[i] == key[matched]) {
            if (++matched == key.size())
                return static_cast<int>(i + 1);
        } else {
            // The breaking character is not tried as the key's first one: no backtracking.
            matched = 0;
        }
    }
    return 0;
}

int ContainsKey(std::string_view phrase, std::string_view key, int start)
{
    return ContainsKey(UpperPhrase(phrase), key, start);
}

bool ContainsWords(const UpperPhrase& phrase, std::string_view key)
{
    if (key.empty())
        return false;
    int from = 1;
    std::size_t begin = 0;
    while (begin < key.size()) {
        // A word ends before the next space; a space right at its start belongs to it.
        std::size_t end = key.find(' ', begin + 1);
        if (end == std::string_view::npos)
            end = key.size();
        const int found = ContainsKey(phrase, key.substr(begin, end - begin), from);
        if (found == 0)
            return false;
        from = found + 1;
        begin = end + 1;
    }
    return true;
}

bool ContainsWords(std::string_view phrase, std::string_view key)
{
    return ContainsWords(UpperPhrase(phrase), key);
}

bool ContainsAny(const UpperPhrase& phrase, const std::vector<std::string>& list)
{
    for (const std::string& entry : list)
        if (ContainsKey(phrase, entry) != 0)
            return true;
    return false;
}

} // namespace tovrin
