#pragma once
// Windows-1251 text: the program keeps every phrase in these single-byte characters.
#include <cstdint>
#include <string>
#include <string_view>

namespace tovrin::cp1251 {

// The character a Windows-1251 byte stands for. The one unassigned byte (0x98) gives U+FFFD.
char32_t toUnicode(unsigned char byte);

// The Windows-1251 byte of a character, or -1 when the code page has none.
int fromUnicode(char32_t ch);

// Windows-1251 bytes to UTF-8. The one unassigned byte (0x98) becomes U+FFFD.
std::string toUtf8(std::string_view text);

// UTF-8 to Windows-1251. A character with no Windows-1251 form, and a malformed
// UTF-8 sequence (each maximal broken piece), become "?".
std::string fromUtf8(std::string_view utf8);

// Text as typed (UTF-8) to Windows-1251, as the input line takes it in: a smiling face becomes
// ")" and a sad one "(", written on to the word before them as they are typed; other emoji,
// pictographs and their invisible companions are dropped, with the spaces they leave at the
// end or doubled; any other character with no Windows-1251 form, and a malformed sequence,
// become "?" as in fromUtf8. At most limit characters are taken, counted as the input line
// counts them (two for a character past U+FFFF).
std::string fromTyped(std::string_view utf8, std::size_t limit = SIZE_MAX);

// The upper-case rule used for every comparison: а..я to А..Я, ё to Ё, a..z to A..Z and the
// other Cyrillic letters of the code page likewise; everything else is unchanged.
char upper(char c);
std::string upper(std::string_view text);

// A letter (Latin, or Cyrillic of the code page, either case) or a digit 0..9.
bool isLetterOrDigit(char c);

// The control characters: 0x00..0x1F and 0x7F, the tab excepted (every file form carries it).
bool isControl(char c);
// The text with every control character replaced by a space.
std::string withoutControls(std::string text);
// The text with every control character written out as a visible escape, ESC as "\x1B": how a
// file's text is put on a terminal, which would act on the character instead of showing it.
// UTF-8 text may be given too: its control characters are the same single bytes.
std::string visibleControls(std::string_view text);

} // namespace tovrin::cp1251
