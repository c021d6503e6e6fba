// libFuzzer target for whole dialogue turns on arbitrary phrases against a small Base.
#include "turn_check.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static tovrin::fuzz::TurnChecker checker;
    const std::string failure =
        checker.check(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!failure.empty()) {
        std::fprintf(stderr, "turn_fuzz: %s\n", failure.c_str());
        std::abort();
    }
    return 0;
}
