// The remarks the program makes by itself: the idle remark (T2), the greeting (T10) and the
// delayed remark (T9), driven tick by tick with scripted dice.
#include "support/engine_fixture.h"
#include "engine/engine.h"
#include "kb/fileerror.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tovrin;
using namespace tovrin::test;

namespace {

// One record of everything the remarks do to the window, in the order they do it, so that the
// place of the cue and of the hourglass can be checked against the line.
class TracingHost : public RecordingHost {
public:
    void appendTranscript(const std::string& line, LineStyle style) override
    {
        RecordingHost::appendTranscript(line, style);
        trace.push_back("line " + utf(line));
    }
    void setBusy(bool b) override
    {
        RecordingHost::setBusy(b);
        trace.push_back(b ? "hourglass" : "arrow");
    }
    std::vector<std::string> trace;
};

class TracingCues : public CuePlayer {
public:
    explicit TracingCues(TracingHost& host) : host_(host) {}
    void play(Cue cue) override
    {
        played.push_back(cue);
        host_.trace.push_back(cue == Cue::MP5 ? "MP5" : "other cue");
    }
    std::vector<Cue> played;

private:
    TracingHost& host_;
};

class RemarksTest : public ::testing::Test {
protected:
    ScratchDir dir;
    TracingHost host;
    TracingCues cues{host};
    ScriptedDice dice;
    Engine engine{host, cues, dice};

    // Runs T2 once with the threshold draw value (0 gives 60, 30 gives 90).
    void idleTick(int thresholdDraw)
    {
        dice.push(thresholdDraw);
        engine.IdleTick();
    }
    std::string lastLog() const
    {
        return utf(engine.state().Log.get(engine.state().Log.count() - 1));
    }
};

// ---- idle remark (T2)

TEST_F(RemarksTest, IdleRemarkComesOnTheFirstTickThatReachesItsThreshold)
{
    dir.writeLines("Base\\Pause.Dat", {"Тишина.", "Вы здесь?"});
    struct Case {
        const char* name;
        std::vector<int> draws; // threshold draws, one per tick, until the remark
        int remarkAt;
    };
    const std::vector<Case> cases = {
        {"lowest threshold on every tick", std::vector<int>(60, 0), 60},
        {"highest threshold on every tick", std::vector<int>(90, 30), 90},
        {"high draws, then a threshold of 70 at second 70",
         [] {
             std::vector<int> d(69, 30);
             d.push_back(10);
             return d;
         }(),
         70},
        // At second 75 a threshold of 74 is already passed: the remark comes at once.
        {"a threshold below the count",
         [] {
             std::vector<int> d(74, 30);
             d.push_back(14);
             return d;
         }(),
         75},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EngineTestAccess::setSilence(engine, 0);
        host.transcript.clear();
        for (size_t i = 0; i + 1 < c.draws.size(); ++i) {
            idleTick(c.draws[i]);
            ASSERT_TRUE(host.transcript.empty()) << "remark too early, at second " << i + 1;
        }
        EXPECT_EQ(engine.state().IdleTicks, c.remarkAt - 1);
        idleTick(c.draws.back());
        EXPECT_EQ(host.transcript.size(), 1u);
        EXPECT_EQ(engine.state().IdleTicks, 0);
    }
}

TEST_F(RemarksTest, IdleThresholdIsDrawnAfreshAfterReseedingOnEverySecond)
{
    for (int i = 0; i < 10; ++i)
        idleTick(30);
    EXPECT_EQ(dice.reseeds, 10);
    EXPECT_EQ(dice.asked, std::vector<int>(10, 31));
    EXPECT_EQ(engine.state().IdleTicks, 10);
}

TEST_F(RemarksTest, IdleRemarkIsALineOfPauseDatInTheSharedColourWithTheCueAfterIt)
{
    dir.writeLines("Base\\Pause.Dat", {"Первая.", "Вторая.", "Третья."});
    EngineTestAccess::setSilence(engine, 59);
    dice.push(0); // threshold 60
    dice.push(2); // the last line
    engine.IdleTick();

    ASSERT_EQ(host.transcript.size(), 1u);
    EXPECT_EQ(utf(host.transcript[0].text), "Третья.");
    EXPECT_EQ(host.transcript[0].style, LineStyle::IdleRemark);
    EXPECT_EQ(utf(engine.state().CpuPhrase), "Третья.");
    EXPECT_EQ(lastLog(), "CPU:     Третья.");
    // The draw covers every line, line 0 included; no hourglass for the idle remark.
    EXPECT_EQ(dice.asked, (std::vector<int>{31, 3}));
    EXPECT_EQ(host.trace, (std::vector<std::string>{"line Третья.", "MP5"}));
    EXPECT_EQ(engine.state().IdleTicks, 0);
}

TEST_F(RemarksTest, IdleRemarkDrawsLineZeroAndAnEmptyListGivesAnEmptyLine)
{
    dir.writeLines("Base\\Pause.Dat", {"Первая.", "Вторая."});
    EngineTestAccess::setSilence(engine, 89);
    dice.push(30);
    dice.push(0);
    engine.IdleTick();
    EXPECT_EQ(utf(host.transcript.back().text), "Первая.");

    dir.write("Base\\Pause.Dat", "");
    EngineTestAccess::setSilence(engine, 89);
    idleTick(30);
    EXPECT_EQ(host.transcript.back().text, "");
    EXPECT_EQ(lastLog(), "CPU:     ");
}

TEST_F(RemarksTest, MissingPauseDatFailsEveryDueTickAndTheCountKeepsGrowing)
{
    EngineTestAccess::setSilence(engine, 89);
    for (int second = 90; second <= 93; ++second) {
        dice.push(30);
        try {
            engine.IdleTick();
            FAIL() << "no error at second " << second;
        } catch (const FileError& e) {
            EXPECT_EQ(std::string(e.what()), "Cannot open file Base\\Pause.Dat");
        }
        EXPECT_EQ(engine.state().IdleTicks, second);
    }
    EXPECT_TRUE(host.transcript.empty());
    EXPECT_TRUE(cues.played.empty());

    // Once the list is back, the next tick speaks and the count starts again.
    dir.writeLines("Base\\Pause.Dat", {"Снова тут."});
    idleTick(30);
    EXPECT_EQ(utf(host.transcript.back().text), "Снова тут.");
    EXPECT_EQ(engine.state().IdleTicks, 0);
}

TEST_F(RemarksTest, OtherRemarksLeaveTheSilenceCountAlone)
{
    dir.writeLines("Base\\Begin.dat", {"Здравствуйте."});
    dir.writeLines("Base\\AI.dat", {"0", "1"});
    EngineTestAccess::setSilence(engine, 42);

    dice.push(0); // greet
    engine.GreetingTick();
    engine.DelayTick();
    engine.DelayTick();
    ASSERT_EQ(host.transcript.size(), 2u);
    EXPECT_EQ(engine.state().IdleTicks, 42);
}

// ---- greeting (T10)

TEST_F(RemarksTest, GreetingComesOneTimeInThreeAndIsDoneEitherWay)
{
    dir.writeLines("Base\\Begin.dat", {"Привет!", "Здравствуйте."});
    struct Case {
        int draw; // random(3): 0 is r = 1
        bool greets;
    };
    for (const Case c : {Case{0, true}, Case{1, false}, Case{2, false}}) {
        SCOPED_TRACE(c.draw);
        host.transcript.clear();
        host.greeted = false;
        dice.asked.clear();
        dice.push(c.draw);
        dice.push(1);
        engine.GreetingTick();
        EXPECT_EQ(host.transcript.size(), c.greets ? 1u : 0u);
        EXPECT_TRUE(host.greeted);
        EXPECT_EQ(dice.asked.front(), 3);
        // Without a greeting no list is drawn from.
        EXPECT_EQ(dice.asked.size(), c.greets ? 2u : 1u);
    }
    EXPECT_EQ(dice.reseeds, 0);
}

TEST_F(RemarksTest, GreetingIsDrawnUnderTheHourglassAndSpokenInTheProgramStyleAfterTheCue)
{
    dir.writeLines("Base\\Begin.dat", {"Привет!", "Здравствуйте.", "Добрый день."});
    EngineTestAccess::setLastSaid(engine, cp("прежний ответ"));
    dice.push(0);
    dice.push(2); // the last line: the draw covers every line and no more
    engine.GreetingTick();

    EXPECT_EQ(dice.asked, (std::vector<int>{3, 3}));
    ASSERT_EQ(host.transcript.size(), 1u);
    EXPECT_EQ(host.transcript[0].style, LineStyle::Program);
    EXPECT_EQ(utf(engine.state().CpuPhrase), "Добрый день.");
    EXPECT_EQ(lastLog(), "CPU:     Добрый день.");
    EXPECT_EQ(host.trace,
              (std::vector<std::string>{"hourglass", "arrow", "MP5", "line Добрый день."}));
}

TEST_F(RemarksTest, MissingBeginDatLeavesTheGreetingToComeButOnlyWhenTheChanceCame)
{
    dice.push(0);
    EXPECT_THROW(engine.GreetingTick(), FileError);
    EXPECT_FALSE(host.greeted);
    EXPECT_TRUE(host.transcript.empty());
    EXPECT_FALSE(host.busy);

    // The next tick is another chance: this time no greeting, so no file is needed.
    dice.push(2);
    EXPECT_NO_THROW(engine.GreetingTick());
    EXPECT_TRUE(host.greeted);
}

TEST_F(RemarksTest, EmptyBeginDatGivesAnEmptyGreeting)
{
    dir.write("Base\\Begin.dat", "");
    dice.push(0);
    engine.GreetingTick();
    ASSERT_EQ(host.transcript.size(), 1u);
    EXPECT_EQ(host.transcript[0].text, "");
    EXPECT_EQ(lastLog(), "CPU:     ");
}

// ---- delayed remark (T9)

TEST_F(RemarksTest, DelayedRemarkComesOnTheSecondTickAndStopsT9)
{
    dir.writeLines("Base\\AI.dat", {"нулевая", "первая", "вторая"});
    host.delayArmed = true;
    const std::string before = cp("ответ");
    EngineTestAccess::setLastSaid(engine, before);

    engine.DelayTick();
    EXPECT_EQ(engine.state().DelayCounter, 500);
    EXPECT_TRUE(host.transcript.empty());
    EXPECT_TRUE(host.delayArmed);

    dice.push(1);
    engine.DelayTick();
    EXPECT_EQ(engine.state().DelayCounter, 0);
    EXPECT_FALSE(host.delayArmed);
    EXPECT_EQ(dice.asked, std::vector<int>{2}); // lines 1 and 2 only
    ASSERT_EQ(host.transcript.size(), 1u);
    EXPECT_EQ(utf(host.transcript[0].text), "вторая");
    EXPECT_EQ(host.transcript[0].style, LineStyle::Program);
    EXPECT_EQ(lastLog(), "CPU:     вторая");
    EXPECT_EQ(engine.state().CpuPhrase, before);
    EXPECT_EQ(host.trace, (std::vector<std::string>{"hourglass", "MP5", "line вторая", "arrow"}));
}

TEST_F(RemarksTest, DelayedRemarkNeverSaysLineZero)
{
    struct Case {
        std::vector<std::string> lines;
        int draw;
        std::string said;
    };
    const std::vector<Case> cases = {
        {{"a", "b", "c"}, 0, "b"},
        {{"a", "b", "c"}, 1, "c"},
        {{"a", "b"}, 0, "b"},
        {{"a"}, 0, ""}, // fewer than two lines: an empty remark
        {{}, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines.size());
        dir.writeLines("Base\\AI.dat", c.lines);
        EngineTestAccess::setDelayProgress(engine, 500);
        dice.push(c.draw);
        engine.DelayTick();
        EXPECT_EQ(host.transcript.back().text, c.said);
        EXPECT_EQ(engine.state().DelayCounter, 0);
    }
}

TEST_F(RemarksTest, HalfwayCounterSurvivesAStopAndSpeaksOnTheFirstTickOfTheNextRun)
{
    dir.writeLines("Base\\AI.dat", {"0", "1"});
    host.delayArmed = true;
    engine.DelayTick();
    // A turn ends without arming the remark: T9 stops, the counter stays.
    host.delayArmed = false;
    EXPECT_EQ(engine.state().DelayCounter, 500);

    // The next turn arms it again: the remark comes at once.
    host.delayArmed = true;
    engine.DelayTick();
    ASSERT_EQ(host.transcript.size(), 1u);
    EXPECT_EQ(host.transcript[0].text, "1");
    EXPECT_FALSE(host.delayArmed);

    // And the run after that takes two ticks again.
    host.delayArmed = true;
    engine.DelayTick();
    EXPECT_EQ(host.transcript.size(), 1u);
}

TEST_F(RemarksTest, DelayedRemarkIsALineOfAIdatWhateverTheWorkingListHolds)
{
    dir.writeLines("Base\\AI.dat", {"ИИ ноль", "ИИ один"});
    dir.writeLines("Base\\Pause.Dat", {"Пауза ноль.", "Пауза один."});
    struct Case {
        const char* name;
        std::vector<std::string> working; // what RE2 holds when T9 speaks
    };
    const std::vector<Case> cases = {
        {"an idle remark loaded its list", {"Пауза ноль.", "Пауза один."}},
        {"a failed exit left the knowledge file", {"// заголовок", "__НЕ ХОЧУ^Хорошо.;@"}},
        {"nothing", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EngineTestAccess::setWorkingList(engine, utf8List(c.working));
        EngineTestAccess::setDelayProgress(engine, 500);
        dice.push(0);
        engine.DelayTick();
        EXPECT_EQ(utf(host.transcript.back().text), "ИИ один");
        EXPECT_EQ(lastLog(), "CPU:     ИИ один");
    }
}

TEST_F(RemarksTest, DelayedRemarkWithoutItsListFailsOnceAndIsDisarmed)
{
    host.delayArmed = true;
    EngineTestAccess::setDelayProgress(engine, 500);
    EXPECT_EQ(errorOf([&] { engine.DelayTick(); }), "Cannot open file Base\\AI.dat");
    EXPECT_TRUE(host.transcript.empty());
    EXPECT_FALSE(host.delayArmed);
    EXPECT_EQ(engine.state().DelayCounter, 0);
}

// ---- the silence and the turns

class SilenceTest : public EngineTest {
protected:
    SilenceTest() { dir.writeLines("Base\\Pause.Dat", {"Молчишь?"}); }
    // Seconds of silence, each with the lowest threshold (60).
    void quietSeconds(int n)
    {
        for (int i = 0; i < n; ++i) {
            dice.push(0);
            engine.IdleTick();
        }
    }
};

TEST_F(SilenceTest, ATurnAtSecondFiftyNineRestartsTheSilence)
{
    quietSeconds(59);
    say("привет", knowledge());
    ASSERT_EQ(reply(), "Привет!");
    EXPECT_EQ(engine.state().IdleTicks, 0);

    const size_t afterTurn = host.transcript.size();
    quietSeconds(59);
    EXPECT_EQ(host.transcript.size(), afterTurn);
    quietSeconds(1);
    EXPECT_EQ(reply(), "Молчишь?");
}

TEST_F(SilenceTest, OnlyATurnThatShowsAReplyRestartsTheSilence)
{
    quietSeconds(30);
    host.input = cp("привет"); // typing alone
    EXPECT_EQ(engine.state().IdleTicks, 30);
    say(""); // an empty phrase ends the turn at once
    EXPECT_EQ(engine.state().IdleTicks, 30);
    EXPECT_TRUE(host.transcript.empty());
}

} // namespace
