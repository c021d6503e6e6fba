#pragma once
// The checks that the plain-text fuzzer runs on every input, shared with the corpus test.
#include "kb/linelist.h"
#include "kb/textformat.h"

#include <string>
#include <string_view>

namespace tovrin::fuzz {

// Reads bytes as a plain-text line list. The lines must hold no line break, there must be one
// line per line break (a final break adds none), and the lines must come back unchanged both
// through the program's own RTF form and through the CR LF text of the dialogue log.
inline std::string checkPlainText(std::string_view bytes)
{
    const std::vector<std::string> lines = readPlain(bytes);

    // CR LF, a lone CR and a lone LF each end a line; everything else is text.
    size_t breaks = 0;
    size_t breakBytes = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            ++breaks;
            ++breakBytes;
        } else if (bytes[i] == '\r') {
            ++breaks;
            ++breakBytes;
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n') {
                ++breakBytes;
                ++i;
            }
        }
    }
    const bool endsWithBreak = !bytes.empty() && (bytes.back() == '\n' || bytes.back() == '\r');
    const size_t expected = breaks + (bytes.empty() || endsWithBreak ? 0 : 1);
    if (lines.size() != expected)
        return "read " + std::to_string(lines.size()) + " lines where the text has " +
            std::to_string(expected);

    size_t textBytes = 0;
    for (const auto& line : lines) {
        if (line.find_first_of("\r\n") != std::string::npos)
            return "a line holds a line break";
        textBytes += line.size();
    }
    if (textBytes != bytes.size() - breakBytes)
        return "text was lost or added between the line breaks";

    const auto back = readRtf(writeRtf(lines));
    if (!back)
        return "the saved form of the lines does not read back";
    if (*back != lines)
        return "the lines changed on their way through the saved form";
    if (readPlain(LineList(lines).text()) != lines)
        return "the lines changed on their way through CR LF text";
    return {};
}

} // namespace tovrin::fuzz
