// Two copies of the program talking to each other through the exchange file, from the
// delivered knowledge: the conversation must not run in circles.
#include "engine/engine.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <set>

using namespace tovrin;
using namespace tovrin::test;

namespace {

// The draws of a copy: fixed, so that a conversation can be told again.
class SeededDice : public Dice {
public:
    explicit SeededDice(unsigned seed) : random_(seed) {}
    void reseed() override {}
    int random(int n) override
    {
        return n <= 0 ? 0 : static_cast<int>(random_() % static_cast<unsigned>(n));
    }

private:
    std::mt19937 random_;
};

struct Copy {
    explicit Copy(unsigned seed) : dice(seed)
    {
        host.cpuCpu = true;
        host.exchange = "Exchange.Dat";
    }
    RecordingHost host;
    RecordingCues cues;
    SeededDice dice;
    Engine engine{host, cues, dice};
};

// What the delivered knowledge must give: of 80 lines (a circle shows within a few dozen
// turns), at least 60% distinct, no line more
// than three times in a row, and no farewell: what one copy says is the other's phrase, so a
// reply that holds a farewell would close the other copy.
constexpr int kTurns = 80;
constexpr double kLeastDistinctShare = 0.60;
constexpr int kMostInARow = 3;

} // namespace

TEST(Conversation, TwoCopiesOnTheDeliveredKnowledgeDoNotRunInCircles)
{
    bool told = false;
    for (const unsigned seed : {1u, 2u, 3u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        ScratchDir dir(true);
        dir.writeLines("Exchange.Dat", {"Привет!"});
        Copy a(seed);
        Copy b(seed * 7919u + 1u);
        Copy* copies[2] = {&a, &b};

        std::vector<std::string> said;
        for (int turn = 0; turn < kTurns; ++turn) {
            Copy& c = *copies[turn % 2];
            c.engine.LoadExchange();
            c.engine.SpeakClick();
            said.push_back(c.engine.state().CpuPhrase);
            EXPECT_FALSE(c.host.farewell)
                << "turn " << turn << " closes the copy on «"
                << utf(said.size() > 1 ? said[said.size() - 2] : "") << "»";
        }

        const std::set<std::string> distinct(said.begin(), said.end());
        int longest = 1;
        for (int run = 1, i = 1; i < kTurns; ++i) {
            run = said[static_cast<std::size_t>(i)] == said[static_cast<std::size_t>(i - 1)]
                ? run + 1
                : 1;
            longest = std::max(longest, run);
        }
        const double share = static_cast<double>(distinct.size()) / kTurns;
        std::printf("seed %u: %zu of %d lines distinct (%.0f%%), at most %d the same in a row\n",
                    seed, distinct.size(), kTurns, 100 * share, longest);
        EXPECT_GE(share, kLeastDistinctShare);
        EXPECT_LE(longest, kMostInARow);
        if (HasFailure() && !told) {
            told = true; // the first conversation that runs in circles, for the authors
            for (std::size_t i = 0; i < said.size(); ++i)
                std::printf("%3zu %s\n", i, utf(said[i]).c_str());
        }
    }
}
