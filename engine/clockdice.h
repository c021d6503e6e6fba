#pragma once
// The program's own dice: a generator reseeded from the clock before every turn.
#include "engine/host.h"

#include <random>

namespace tovrin {

class ClockDice : public Dice {
public:
    ClockDice();
    void reseed() override;
    int random(int n) override;

private:
    std::mt19937 generator_;
};

} // namespace tovrin
