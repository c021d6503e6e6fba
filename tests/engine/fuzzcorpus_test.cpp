// Replays the fuzzers' corpora in every build, so that whatever the fuzzers once found stays
// found without clang: each committed input goes through the very checks of its fuzz target.
// The RTF reader's corpus is replayed with the files layer's own tests.
#include "fuzz/entry_check.h"
#include "fuzz/plaintext_check.h"
#include "fuzz/turn_check.h"
#include "support/kbsupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace fs = std::filesystem;

namespace {

// Runs check on every file of the target's corpus; returns how many there were.
int replay(const std::string& target, const std::function<std::string(std::string_view)>& check)
{
    const fs::path folder = fs::path(TOVRIN_SOURCE_DIR) / "tests" / "fuzz" / "corpus" / target;
    if (!fs::is_directory(folder))
        return 0;
    int inputs = 0;
    for (const auto& e : fs::directory_iterator(folder)) {
        if (!e.is_regular_file())
            continue;
        ++inputs;
        EXPECT_EQ(check(tovrin::test::bytesOf(e.path())), "")
            << target << " input " << e.path().filename();
    }
    return inputs;
}

} // namespace

TEST(FuzzCorpus, PlainTextReader)
{
    EXPECT_GT(replay("plaintext", tovrin::fuzz::checkPlainText), 0);
}

TEST(FuzzCorpus, EntryOperations) { EXPECT_GT(replay("entry", tovrin::fuzz::checkEntryLine), 0); }

TEST(FuzzCorpus, WholeTurns)
{
    tovrin::fuzz::TurnChecker checker;
    EXPECT_GT(replay("turn", [&](std::string_view input) { return checker.check(input); }), 0);
}
