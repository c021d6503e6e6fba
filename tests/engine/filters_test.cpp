// The turns that a canned phrase answers: repetitions, profanity (recorded in the collection),
// and long phrases; and the human-topic mark that only keeps a phrase out of learning.
#include "support/engine_fixture.h"

namespace tovrin::test {
namespace {

using Filters = EngineTest;

TEST_F(Filters, RepetitionsAreAnsweredFromTheirList)
{
    struct Case {
        const char* first;
        const char* second;
        bool repeated;
    };
    const std::vector<Case> cases = {
        {"привет", "привет", true},
        {"привет", "ПРИВЕТ", true}, // «Привет.» and «ПРИВЕТ.» are equal in upper case
        {"привет", "привет!", false},
        {"ну,", "ну.", true}, // both become «Ну.»
        {"ёлка", "ЁЛКА", true},
        {"как дела", "как  дела", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.first) + " / " + c.second);
        host.transcript.clear();
        say(c.first, knowledge());
        say(c.second, c.repeated ? std::vector<int>{0, 1} : knowledge());
        EXPECT_EQ(reply() == "Ты повторяешься.", c.repeated);
    }
}

TEST_F(Filters, RepeatingTheProgramsReplyAfterARemarkIsARepetition)
{
    say("как погода", knowledge());
    host.appendTranscript(cp("Кстати, о погоде."), LineStyle::Program); // a delayed remark
    say("отклик на фразу.", {0, 1});
    EXPECT_EQ(reply(), "Ты повторяешься.");
}

TEST_F(Filters, ARepetitionSkipsEveryOtherTest)
{
    say("ты лох", {0, 1});
    const auto recorded = file("Base\\Collection.Dat");
    say("ты лох", {0, 1});
    EXPECT_EQ(reply(), "Ты повторяешься.");
    EXPECT_EQ(file("Base\\Collection.Dat"), recorded);
    // Only the list's draw and the delayed-remark draw: no strategy, no lookup.
    EXPECT_EQ(dice.asked, (std::vector<int>{1, 3, 1, 3}));
}

TEST_F(Filters, ProfanityIsRetortedAndRecorded)
{
    say("ты лох", {0, 1});
    EXPECT_EQ(reply(), "Не груби.");
    say("дура", {0, 1});
    EXPECT_EQ(reply(), "Не груби.");
    EXPECT_EQ(file("Base\\Collection.Dat"), (std::vector<std::string>{">>> Ты лох.", ">>> Дура."}));
    EXPECT_EQ(log(),
              (std::vector<std::string>{"USER:     Ты лох.", "CPU:     Не груби.",
                                        "USER:     Дура.", "CPU:     Не груби."}));
}

TEST_F(Filters, AThreatToEraseIsProfanity)
{
    say("я тебя сотру", {0, 1});
    EXPECT_EQ(reply(), "Не груби.");
    EXPECT_EQ(lastLineOf("Base\\Collection.Dat"), ">>> Я тебя сотру.");
    EXPECT_FALSE(engine.state().HumanTopic); // the human-topic list is not looked at
}

TEST_F(Filters, TheHumanTopicMarkOnlyKeepsAPhraseOutOfLearning)
{
    engine.pickUpAfter(cp("Как тебя зовут?"));
    const auto words = file("Base\\Words.Dat");
    const auto w1 = file("Base\\W1.Dat");
    say("меня зовут Вася", knowledge());
    EXPECT_TRUE(engine.state().HumanTopic);
    EXPECT_EQ(reply(), "Отклик на фразу.");
    EXPECT_EQ(file("Base\\Words.Dat"), words);
    EXPECT_EQ(file("Base\\W1.Dat"), w1);

    // A phrase the knowledge file holds is answered as if it had not hit.
    say("привет, я хочу спать", knowledge());
    EXPECT_TRUE(engine.state().HumanTopic);
    EXPECT_EQ(reply(), "Привет!");
}

std::string letters(std::size_t n)
{
    std::string s;
    for (std::size_t i = 0; i < n; ++i)
        s += "ы";
    return s;
}

TEST_F(Filters, LongPhrasesGetACannedReplyTwoTimesInThree)
{
    struct Case {
        std::string typed;
        int strategy; // r - 1
        bool canned;
    };
    const std::vector<Case> cases = {
        {letters(109), 0, true}, // 110 characters with the appended "."
        {letters(109), 2, true},        {letters(109), 3, true},
        {letters(109), 4, true},        {letters(109), 1, false}, // r = 2
        {letters(109), 5, false}, // r = 6
        {letters(108) + "?", 0, false}, // 109 characters, nothing appended
        {letters(39), 0, false},        {letters(199), 0, true},
    };
    for (const auto& c : cases) {
        host.transcript.clear();
        say(c.typed, {c.strategy, 0, 1}); // the strategy, the canned or fallback line, no remark
        EXPECT_EQ(reply() == "Слишком длинно.", c.canned)
            << c.typed.size() << " r=" << c.strategy + 1;
    }
}

TEST_F(Filters, ALongHumanPhraseIsCannedLikeAnyOther)
{
    say("я хочу спать " + letters(100), {2, 0, 1});
    EXPECT_TRUE(engine.state().HumanTopic);
    EXPECT_EQ(reply(), "Слишком длинно.");
}

TEST_F(Filters, CannedRepliesDoNotTouchTheThread)
{
    say("привет", knowledge());
    ASSERT_EQ(engine.state().ThreadDepth, 1);
    say("ты гад", {0, 1});
    say(letters(150), {0, 0, 1});
    EXPECT_EQ(engine.state().ThreadDepth, 1);
    EXPECT_EQ(engine.state().ThreadLine, 1);
    say("как дела?", knowledge());
    EXPECT_EQ(reply(), "Хорошо, а у тебя?");
}

TEST_F(Filters, EmptyListsGiveEmptyReplies)
{
    dir.writeLines("Base\\Povtor.Dat", {});
    say("привет", knowledge());
    say("привет", {1}); // an empty list draws nothing
    EXPECT_EQ(reply(), "");
    EXPECT_EQ(log().back(), "CPU:     ");
    EXPECT_EQ(engine.state().LastReply, "");
}

} // namespace
} // namespace tovrin::test
