#pragma once
// The phrase of a turn as it is echoed and worked on: its first letter capitalised and its
// end punctuated.
#include <string>
#include <string_view>

namespace tovrin {

// Only a lower-case Cyrillic first letter ("а".."я", "ё") becomes a capital; Latin letters and
// every later character keep their case.
void CapitaliseFirst(std::string& phrase);

// A final "," becomes "."; a final ".", "!" or "?" stays; anything else gets "." appended.
void EndPhrase(std::string& phrase);

// Both, in that order. An empty phrase stays empty.
std::string NormalisePhrase(std::string phrase);

// A line of UTF-8 text as the input line would hold it and take it in: its first kInputLimit
// characters, in Windows-1251 as cp1251::fromTyped gives typed text.
std::string TypedLine(std::string_view utf8);

} // namespace tovrin
