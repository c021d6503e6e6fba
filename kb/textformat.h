#pragma once
// The two on-disk forms of a line list: RTF documents (written and read) and plain text (read).
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tovrin {

// One paragraph per line, Windows-1251 (\ansicpg1251, a font with \fcharset204, \'hh escapes).
std::string writeRtf(const std::vector<std::string>& lines);

// True when the bytes begin as an RTF document ("{\rtf").
bool looksLikeRtf(std::string_view bytes);

// The paragraphs of an RTF document as Windows-1251 lines. Returns nothing when the document
// cannot be read. Never crashes, hangs or allocates without bound on hostile input.
std::optional<std::vector<std::string>> readRtf(std::string_view bytes);

// Plain text: CR LF, a lone CR and a lone LF end a line; a final line break adds no line.
std::vector<std::string> readPlain(std::string_view bytes);

} // namespace tovrin
