// libFuzzer target for the RTF reader: any input must be read or refused without a crash, and
// whatever is read must come back unchanged through the writer.
#include "rtf_check.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string failure =
        tovrin::fuzz::checkRtfDocument(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!failure.empty()) {
        std::fprintf(stderr, "rtf_fuzz: %s\n", failure.c_str());
        std::abort();
    }
    return 0;
}
