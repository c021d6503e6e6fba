#include "engine/clockdice.h"

#include <chrono>

namespace tovrin {

ClockDice::ClockDice() { reseed(); }

void ClockDice::reseed()
{
    // Nanoseconds, so that two copies started together still draw differently.
    const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    generator_.seed(static_cast<std::mt19937::result_type>(ticks ^ (ticks >> 32)));
}

int ClockDice::random(int n)
{
    if (n <= 0)
        return 0;
    return std::uniform_int_distribution<int>(0, n - 1)(generator_);
}

} // namespace tovrin
