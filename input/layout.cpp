#include "input/layout.h"

#include <array>

namespace tovrin {

namespace {

// Windows-1251 targets are written as byte escapes; the letter each one stands for follows.
constexpr std::array<LayoutPair, 71> kTable{{
    {'`', '\xB8'}, {'~', '\xA8'}, // ё Ё
    {'q', '\xE9'}, {'Q', '\xC9'}, // й Й
    {'w', '\xF6'}, {'W', '\xD6'}, // ц Ц
    {'e', '\xF3'}, {'E', '\xD3'}, // у У
    {'r', '\xEA'}, {'R', '\xCA'}, // к К
    {'t', '\xE5'}, {'T', '\xC5'}, // е Е
    {'y', '\xED'}, {'Y', '\xCD'}, // н Н
    {'u', '\xE3'}, {'U', '\xC3'}, // г Г
    {'i', '\xF8'}, {'I', '\xD8'}, // ш Ш
    {'o', '\xF9'}, {'O', '\xD9'}, // щ Щ
    {'p', '\xE7'}, {'P', '\xC7'}, // з З
    {'[', '\xF5'}, {'{', '\xD5'}, // х Х
    {']', '\xFA'}, {'}', '\xDA'}, // ъ Ъ
    {'a', '\xF4'}, {'A', '\xD4'}, // ф Ф
    {'s', '\xFB'}, {'S', '\xDB'}, // ы Ы
    {'d', '\xE2'}, {'D', '\xC2'}, // в В
    {'f', '\xE0'}, {'F', '\xC0'}, // а А
    {'g', '\xEF'}, {'G', '\xCF'}, // п П
    {'h', '\xF0'}, {'H', '\xD0'}, // р Р
    {'j', '\xEE'}, {'J', '\xCE'}, // о О
    {'k', '\xEB'}, {'K', '\xCB'}, // л Л
    {'l', '\xE4'}, {'L', '\xC4'}, // д Д
    {';', '\xE6'}, {':', '\xC6'}, // ж Ж
    {'"', '\xDD'}, // Э (the apostrophe on the same key stays)
    {'z', '\xFF'}, {'Z', '\xDF'}, // я Я
    {'x', '\xF7'}, {'X', '\xD7'}, // ч Ч
    {'c', '\xF1'}, {'C', '\xD1'}, // с С
    {'v', '\xEC'}, {'V', '\xCC'}, // м М
    {'b', '\xE8'}, {'B', '\xC8'}, // и И
    {'n', '\xF2'}, {'N', '\xD2'}, // т Т
    {'m', '\xFC'}, {'M', '\xDC'}, // ь Ь
    {'<', '\xE1'}, // б, lower case: comma keeps its own meaning
    {'>', '\xFE'}, // ю, lower case: full stop keeps its own meaning
    {'/', '.'},    {'@', '"'},    {'#', '\xB9'}, // №
    {'$', ';'},    {'^', ':'},    {'&', '?'},    {'\\', '\\'}, {'|', '/'},
}};

constexpr std::array<char, 256> makeLookup()
{
    std::array<char, 256> lookup{};
    for (int i = 0; i < 256; ++i)
        lookup[static_cast<std::size_t>(i)] = static_cast<char>(i);
    for (const LayoutPair& pair : kTable)
        lookup[static_cast<unsigned char>(pair.from)] = pair.to;
    return lookup;
}

constexpr std::array<char, 256> kLookup = makeLookup();

} // namespace

std::span<const LayoutPair> LayoutTable() { return kTable; }

char CorrectLayout(char c) { return kLookup[static_cast<unsigned char>(c)]; }

std::string CorrectLayout(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        c = CorrectLayout(c);
    return result;
}

} // namespace tovrin
