#pragma once
// Layout correction: text typed with the Latin (US) layout to what the Russian layout gives
// on the same keys. Windows-1251 in and out; the length never changes.
#include <span>
#include <string>
#include <string_view>

namespace tovrin {

// One row of the correction: the character the US layout produced and the one that replaces it.
struct LayoutPair {
    char from;
    char to;
};

// The 71 rows, keyboard row by keyboard row. A character without a row (every Cyrillic letter,
// digits, space, comma, full stop, apostrophe, question mark...) is left as it is.
std::span<const LayoutPair> LayoutTable();

// The character that replaces c, or c itself when it has no row.
char CorrectLayout(char c);

// Every position is looked up exactly once, so a character produced by a row is not converted
// further in the same pass: the at sign gives a double quote, not "Э".
std::string CorrectLayout(std::string_view text);

} // namespace tovrin
