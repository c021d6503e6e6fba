// libFuzzer target for the entry operations and the key scan.
#include "entry_check.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string failure =
        tovrin::fuzz::checkEntryLine(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!failure.empty()) {
        std::fprintf(stderr, "entry_fuzz: %s\n", failure.c_str());
        std::abort();
    }
    return 0;
}
