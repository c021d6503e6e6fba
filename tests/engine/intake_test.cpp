// The start of a turn: where the phrase comes from, how it is normalised and echoed, and the
// sweep of the input line for the knowledge file's marks.
#include "engine/normalise.h"
#include "support/engine_fixture.h"
#include "kb/cp1251.h"

namespace tovrin::test {
namespace {

TEST(Normalise, CapitalisesTheFirstCyrillicLetterAndEndsThePhrase)
{
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"привет", "Привет."},
        {"как дела?", "Как дела?"},
        {"ну,", "Ну."},
        {"ёлка", "Ёлка."},
        {"hello", "hello."}, // Latin letters keep their case
        {"а", "А."},
        {"я", "Я."},
        {"Привет ", "Привет ."},
        {"ну что...", "Ну что..."},
        {"что?!", "Что?!"},
        {"так;", "Так;."}, // only "," is replaced
        {"да:", "Да:."},
        {"(смеётся)", "(смеётся)."},
        {"1 раз", "1 раз."}, // a digit first: the next letter stays small
        {" привет", " привет."},
        {"«привет»", "«привет»."},
        {"ПРИВЕТ!", "ПРИВЕТ!"},
        {"прИвЕт", "ПрИвЕт."}, // no other character changes case
        {"", ""},
    };
    for (const auto& [typed, expected] : cases) {
        SCOPED_TRACE(typed);
        EXPECT_EQ(utf(NormalisePhrase(cp(typed))), expected);
    }
}

TEST(Normalise, OnlyTheThirtyThreeSmallCyrillicLettersAreCapitalised)
{
    for (int c = 0; c < 256; ++c) {
        std::string phrase(1, static_cast<char>(c));
        CapitaliseFirst(phrase);
        const auto first = static_cast<unsigned char>(phrase[0]);
        if (c >= 0xE0)
            EXPECT_EQ(first, c - 0x20);
        else if (c == 0xB8)
            EXPECT_EQ(first, 0xA8);
        else
            EXPECT_EQ(first, c) << "character " << c;
    }
}

using Intake = EngineTest;

TEST_F(Intake, EchoesThePhraseThenShowsTheReply)
{
    host.input = cp("как дела");
    say("как дела", knowledge());
    EXPECT_EQ(engine.state().UserPhrase, cp("Как дела."));
    ASSERT_EQ(host.transcript.size(), 2u);
    EXPECT_EQ(utf(host.transcript[0].text), "Как дела.");
    EXPECT_EQ(host.transcript[0].style, LineStyle::User);
    EXPECT_EQ(host.transcript[1].style, LineStyle::Program);
    EXPECT_EQ(log(),
              (std::vector<std::string>{"USER:     Как дела.", "CPU:     Отклик на фразу."}));
    EXPECT_EQ(cues.played, (std::vector<Cue>{Cue::MP2, Cue::MP5}));
    EXPECT_EQ(dice.reseeds, 1);
}

TEST_F(Intake, AnEmptyPhraseDoesNothing)
{
    host.input = "";
    engine.SpeakClick();
    EXPECT_TRUE(host.transcript.empty());
    EXPECT_EQ(engine.state().Log.count(), 0);
    EXPECT_TRUE(cues.played.empty());
    EXPECT_FALSE(host.busy);
    EXPECT_TRUE(dice.asked.empty());
}

TEST_F(Intake, EachTurnStartsWithAFreshSeedAndNoHumanTopicMark)
{
    say("меня зовут Вася", knowledge());
    EXPECT_TRUE(engine.state().HumanTopic);
    say("как погода", knowledge());
    EXPECT_FALSE(engine.state().HumanTopic);
    EXPECT_EQ(dice.reseeds, 2);
}

TEST_F(Intake, CpuCpuTakesTheFirstLineOfTheExchangeFile)
{
    host.cpuCpu = true;
    host.exchange = "Txt.Dat";
    host.input = cp("не это");
    EngineTestAccess::setExchangeRead(engine, LineList({cp("как дела"), cp("и ещё")}));
    for (int d : knowledge())
        dice.push(d);
    engine.SpeakClick();
    EXPECT_EQ(utf(host.transcript[0].text), "Как дела.");
    // The reply replaces the exchange file as its only line.
    EXPECT_EQ(dir.readLines("Txt.Dat"), (std::vector<std::string>{"Отклик на фразу."}));
    EXPECT_EQ(utf(engine.state().LoadtxtCpuCpu.get(0)), "Отклик на фразу.");
    EXPECT_EQ(engine.state().LoadtxtCpuCpu.count(), 1);
}

// Control characters never reach the transcript, the log or the files a phrase is learnt into,
// whether typed, pasted or read from the exchange file; a tab, which every file form carries,
// stays.
TEST_F(Intake, ControlCharactersAreTakenInAsSpaces)
{
    struct Case {
        std::string phrase; // UTF-8, as it arrives
        bool exchange;
        const char* taken;
    };
    const Case cases[] = {
        {std::string("начало\x01конец", sizeof "начало\x01конец" - 1), false, "Начало конец."},
        {"\x1b[2Jочисти экран", false, " [2Jочисти экран."},
        {std::string("ноль\0байт", sizeof "ноль\0байт" - 1), false, "Ноль байт."},
        {"строка\r\nещё\x7f", true, "Строка  ещё ."},
        {"с\tтабуляцией", true, "С\tтабуляцией."},
    };
    host.exchange = "Txt.Dat";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.taken);
        host.cpuCpu = c.exchange;
        EngineTestAccess::setExchangeRead(engine, LineList({cp(c.phrase)}));
        engine.pickUpAfter(cp("Да?"));
        say(c.phrase, knowledge());
        EXPECT_EQ(utf(host.transcript[host.transcript.size() - 2].text), c.taken);
        EXPECT_EQ(utf(engine.state().Log.get(engine.state().Log.count() - 2)),
                  std::string("USER:     ") + c.taken);
        EXPECT_EQ(lastLineOf("Base\\W1.Dat"), c.taken);
        EXPECT_EQ(cp(lastLineOf("Base\\Words.Dat")), cp1251::upper(cp(c.taken)) + "^");
    }
}

TEST_F(Intake, CpuCpuWithAnEmptyFirstLineDoesNothing)
{
    host.cpuCpu = true;
    host.exchange = "Txt.Dat";
    EngineTestAccess::setExchangeRead(engine, LineList({"", cp("второй")}));
    engine.SpeakClick();
    EXPECT_TRUE(host.transcript.empty());
    EXPECT_FALSE(dir.exists("Txt.Dat"));
}

TEST_F(Intake, CpuUserNeverTouchesTheExchangeFile)
{
    host.exchange = "Txt.Dat";
    say("как погода", knowledge());
    EXPECT_FALSE(dir.exists("Txt.Dat"));
}

TEST_F(Intake, LoadsTheExchangeFileFromTheHostsPath)
{
    host.exchange = "Txt.Dat";
    dir.writeLines("Txt.Dat", {"как дела", "и ещё"});
    engine.LoadExchange();
    EXPECT_EQ(utf(engine.state().LoadtxtCpuCpu.get(0)), "как дела");
    host.exchange = "Нет.Dat";
    EXPECT_THROW(engine.LoadExchange(), FileError);
}

TEST_F(Intake, ThePreviousLineIsTheOneTwoBeforeTheEnd)
{
    // A lone greeting is no previous line: the same words are no repetition.
    host.appendTranscript(cp("Привет."), LineStyle::Program);
    say("привет", knowledge());
    EXPECT_EQ(reply(), "Привет!");
    // Now the phrase two lines up is «Привет.».
    say("ПРИВЕТ", {0});
    EXPECT_EQ(reply(), "Ты повторяешься.");
}

TEST_F(Intake, TheReplyClearsTheInputAndTheIdleCount)
{
    EngineTestAccess::setSilence(engine, 42);
    say("как погода", knowledge());
    EXPECT_EQ(host.input, "");
    EXPECT_EQ(engine.state().IdleTicks, 0);
    EXPECT_FALSE(host.busy);
    EXPECT_EQ(engine.state().LastReply, cp("Отклик на фразу."));
}

TEST_F(Intake, OneReplyInThreeArmsTheDelayedRemark)
{
    say("как погода", {1, 0, 0}); // r = 1
    EXPECT_TRUE(host.delayArmed);
    EXPECT_EQ(utf(engine.state().RE2.get(1)), "Кстати, о погоде.");
    for (int r : {1, 2}) {
        say("как погода " + std::to_string(r), {1, 0, r});
        EXPECT_FALSE(host.delayArmed);
    }
    EXPECT_EQ(dice.asked.back(), 3);
}

TEST(Sanitiser, SweepsOneCharacterPerTick)
{
    RecordingHost host;
    RecordingCues cues;
    ScriptedDice dice;
    Engine engine(host, cues, dice);

    const std::string text = cp("абв^");
    EXPECT_FALSE(engine.SanitiseTick(text));
    EXPECT_FALSE(engine.SanitiseTick(text));
    EXPECT_FALSE(engine.SanitiseTick(text));
    EXPECT_TRUE(engine.SanitiseTick(text)); // the fourth tick reaches "^"
    EXPECT_EQ(engine.state().ScanPos, 4);

    // An empty line leaves the position alone.
    EXPECT_FALSE(engine.SanitiseTick(""));
    EXPECT_EQ(engine.state().ScanPos, 4);

    // Beyond a shortened text the sweep starts over at the first character.
    EXPECT_TRUE(engine.SanitiseTick("_x"));
    EXPECT_EQ(engine.state().ScanPos, 1);
}

TEST(Sanitiser, FindsEachMarkAndStartsOverAfterTheLastCharacter)
{
    RecordingHost host;
    RecordingCues cues;
    ScriptedDice dice;
    Engine engine(host, cues, dice);
    for (char mark : {'^', '_', ';', '@'}) {
        EngineTestAccess::setScanPos(engine, 0);
        const std::string text = std::string("ab") + mark;
        EXPECT_FALSE(engine.SanitiseTick(text));
        EXPECT_FALSE(engine.SanitiseTick(text));
        EXPECT_TRUE(engine.SanitiseTick(text)) << mark;
    }
    EngineTestAccess::setScanPos(engine, 0);
    const std::string clean = cp("да");
    EXPECT_FALSE(engine.SanitiseTick(clean));
    EXPECT_EQ(engine.state().ScanPos, 1);
    EXPECT_FALSE(engine.SanitiseTick(clean));
    EXPECT_EQ(engine.state().ScanPos, 0); // the last character: the next tick looks at the first
    // Text added at the end is reached as the sweep goes on.
    EXPECT_FALSE(engine.SanitiseTick(clean + "!"));
    EXPECT_FALSE(engine.SanitiseTick(clean + "!"));
    EXPECT_TRUE(engine.SanitiseTick(clean + "@"));
}

} // namespace
} // namespace tovrin::test
