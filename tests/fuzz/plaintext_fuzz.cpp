// libFuzzer target for the plain-text reader: any bytes are lines, and the lines survive the
// program's own saved form unchanged.
#include "plaintext_check.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string failure =
        tovrin::fuzz::checkPlainText(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!failure.empty()) {
        std::fprintf(stderr, "plaintext_fuzz: %s\n", failure.c_str());
        std::abort();
    }
    return 0;
}
