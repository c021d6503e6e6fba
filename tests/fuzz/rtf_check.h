#pragma once
// The checks that the RTF fuzzer runs on every input, shared with the corpus test so that
// every build replays what the fuzzer found.
#include "kb/textformat.h"

#include <string>
#include <string_view>

namespace tovrin::fuzz {

// Reads bytes as an RTF document and, when that succeeds, writes the lines back and reads
// them again. Returns what went wrong, or an empty string.
inline std::string checkRtfDocument(std::string_view bytes)
{
    const auto lines = readRtf(bytes);
    (void)readPlain(bytes);
    if (!lines)
        return {};

    // Every line and every byte of text costs at least one byte of the document.
    size_t textBytes = 0;
    for (const auto& line : *lines)
        textBytes += line.size();
    if (lines->size() > bytes.size() || textBytes > bytes.size())
        return "more text came out than went in";

    const std::string written = writeRtf(*lines);
    if (!looksLikeRtf(written))
        return "the written document does not look like RTF";
    for (const char c : written)
        if (static_cast<unsigned char>(c) >= 0x80)
            return "the written document is not seven-bit text";
    const auto again = readRtf(written);
    if (!again)
        return "the written document does not read back";
    if (*again != *lines)
        return "the lines changed on their way through the writer";
    if (writeRtf(*again) != written)
        return "writing the same lines twice gave two documents";
    return {};
}

} // namespace tovrin::fuzz
