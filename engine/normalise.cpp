#include "engine/normalise.h"

#include "engine/host.h"
#include "kb/cp1251.h"

namespace tovrin {

namespace {
// Windows-1251: "а".."я" are E0..FF and their capitals C0..DF; "ё" is B8 and "Ё" A8.
constexpr unsigned char kSmallA = 0xE0;
constexpr unsigned char kCaseDistance = 0x20;
constexpr unsigned char kSmallYo = 0xB8;
constexpr unsigned char kCapitalYo = 0xA8;
} // namespace

void CapitaliseFirst(std::string& phrase)
{
    if (phrase.empty())
        return;
    const auto first = static_cast<unsigned char>(phrase.front());
    if (first >= kSmallA)
        phrase.front() = static_cast<char>(first - kCaseDistance);
    else if (first == kSmallYo)
        phrase.front() = static_cast<char>(kCapitalYo);
}

void EndPhrase(std::string& phrase)
{
    if (phrase.empty())
        return;
    switch (phrase.back()) {
    case ',': phrase.back() = '.'; break;
    case '.':
    case '!':
    case '?': break;
    default: phrase.push_back('.'); break;
    }
}

std::string NormalisePhrase(std::string phrase)
{
    CapitaliseFirst(phrase);
    EndPhrase(phrase);
    return phrase;
}

std::string TypedLine(std::string_view utf8)
{
    return cp1251::fromTyped(utf8, static_cast<std::size_t>(kInputLimit));
}

} // namespace tovrin
