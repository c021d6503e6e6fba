// Drawing canned phrases from the lists under Base\, appending to them, and the dice that
// every draw goes through.
#include "engine/clockdice.h"
#include "engine/phraselists.h"
#include "kb/fileerror.h"
#include "kb/linelist.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <set>

namespace tovrin::test {
namespace {

TEST(PhraseLists, AnyLineOfAListMayBeDrawn)
{
    ScratchDir dir;
    dir.writeLines("Base\\X.Dat", {"a", "b", "c"});
    LineList work;
    for (int i : {0, 1, 2}) {
        ScriptedDice dice({i});
        EXPECT_EQ(DrawPhrase(work, "Base\\X.Dat", dice),
                  std::string(1, static_cast<char>('a' + i)));
        EXPECT_EQ(dice.asked, std::vector<int>{3});
    }
    // The list stays loaded in the work list.
    EXPECT_EQ(work.count(), 3);
}

TEST(PhraseLists, AnEmptyListGivesAnEmptyPhrase)
{
    ScratchDir dir;
    dir.writeLines("Base\\Povtor.Dat", {});
    LineList work({"left over"});
    ScriptedDice dice({2});
    EXPECT_EQ(DrawPhrase(work, "Base\\Povtor.Dat", dice), "");
    EXPECT_EQ(work.count(), 0);
}

TEST(PhraseLists, PlainTextAndRtfGiveTheSamePhrases)
{
    ScratchDir dir;
    dir.writeLines("Base\\X.Dat", {"Не груби.", "Фу."});
    LineList({cp("Не груби."), cp("Фу.")}).save("Base\\W2.Dat");
    LineList work;
    for (int i : {0, 1}) {
        ScriptedDice plain({i});
        ScriptedDice rtf({i});
        EXPECT_EQ(DrawPhrase(work, "Base\\X.Dat", plain), DrawPhrase(work, "Base\\W2.Dat", rtf));
    }
}

TEST(PhraseLists, AMissingListStopsTheDraw)
{
    ScratchDir dir;
    LineList work;
    ScriptedDice dice;
    try {
        DrawPhrase(work, "Base\\BigString.Dat", dice);
        ADD_FAILURE() << "drawn from nothing";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file Base\\BigString.Dat");
    }
    EXPECT_TRUE(dice.asked.empty());
}

TEST(PhraseLists, TheRemarkAfterAReplyNeverUsesTheFirstLine)
{
    const LineList ai({"a", "b", "c"});
    for (int i : {0, 1}) {
        ScriptedDice dice({i});
        EXPECT_EQ(DrawRemark(ai, dice), std::string(1, static_cast<char>('b' + i)));
        EXPECT_EQ(dice.asked, std::vector<int>{2});
    }
    for (const LineList& shortList : {LineList(), LineList({"a"})}) {
        ScriptedDice dice({0});
        EXPECT_EQ(DrawRemark(shortList, dice), "");
        EXPECT_TRUE(dice.asked.empty());
    }
}

TEST(PhraseLists, AnAppendReadsTheFileAfreshAndKeepsEveryLine)
{
    ScratchDir dir;
    dir.writeLines("Base\\Collection.Dat", {">>> Дура."});
    LineList work({cp("an older copy of the list")});
    RecordProfanity(work, cp("Ты лох."));
    // Another copy of the program appended meanwhile: nothing of it is lost.
    dir.writeLines("Base\\Collection.Dat", {">>> Дура.", ">>> Ты лох.", ">>> Гад!"});
    RecordProfanity(work, cp("Я тебя сотру."));
    EXPECT_EQ(
        dir.readLines("Base\\Collection.Dat"),
        (std::vector<std::string>{">>> Дура.", ">>> Ты лох.", ">>> Гад!", ">>> Я тебя сотру."}));
}

TEST(PhraseLists, AMissingRecordIsNeverCreated)
{
    ScratchDir dir;
    LineList work;
    EXPECT_THROW(RecordProfanity(work, cp("Дура.")), FileError);
    EXPECT_FALSE(dir.exists("Base\\Collection.Dat"));
}

TEST(ClockDice, DrawsEveryValueInRangeAndNothingFromNothing)
{
    ClockDice dice;
    EXPECT_EQ(dice.random(0), 0);
    EXPECT_EQ(dice.random(-3), 0);
    EXPECT_EQ(dice.random(1), 0);
    std::set<int> seen;
    for (int i = 0; i < 600; ++i) {
        if (i % 50 == 0)
            dice.reseed();
        const int v = dice.random(6);
        ASSERT_GE(v, 0);
        ASSERT_LT(v, 6);
        seen.insert(v);
    }
    EXPECT_EQ(seen.size(), 6u);
}

} // namespace
} // namespace tovrin::test
