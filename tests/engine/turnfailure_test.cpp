// A file that is missing stops the turn where it is needed: the phrase stays echoed, no reply
// follows, the pointer stays busy, and once the file is back the next turn works.
#include "support/engine_fixture.h"
#include "kb/files.h"

namespace tovrin::test {
namespace {

using TurnFailure = EngineTest;

struct Failure {
    const char* name;
    const char* missing; // the file taken away
    const char* typed; // the phrase ("" for a long one)
    const char* lastReply; // the previous reply it learns from
    std::vector<int> retry; // the draws of the turn once the file is back
};

TEST_F(TurnFailure, AMissingFileStopsTheTurnAtItsStep)
{
    const std::vector<Failure> cases = {
        {"repetition", "Base\\Povtor.Dat", "привет", "", {1, 0, 1}},
        {"profanity retort", "Base\\X.Dat", "ты лох", "", {0, 1}},
        {"profanity record", "Base\\Collection.Dat", "ты лох", "", {0, 1}},
        {"long phrase", "Base\\BigString.Dat", "", "", {0, 0, 1}},
        {"knowledge file", "Base\\Words.Dat", "как погода", "", {1, 0, 1}},
        {"answers", "Base\\W1.Dat", "как погода?", "", {1, 0, 1}},
        {"responses", "Base\\W2.Dat", "как погода", "", {1, 0, 1}},
        {"learning's list", "Base\\W1.Dat", "как погода", "Как дела?", {1, 0, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string typed = *c.typed ? std::string(c.typed) : std::string(120, 'x');
        // A first «привет», so that the repetition case has something to repeat.
        host.transcript.clear();
        engine.ClearLog();
        say("привет", knowledge());
        const auto saved = dir.readLines(c.missing);
        dir.remove(c.missing);

        // The failing turn draws nothing scripted: every draw it reaches gives 0, which keeps
        // a short phrase on the knowledge path and sends the long one to its canned list.
        engine.pickUpAfter(cp(c.lastReply));
        host.input = cp(typed);
        try {
            engine.SpeakClick();
            ADD_FAILURE() << "the turn went through";
        } catch (const FileError& e) {
            EXPECT_EQ(std::string(e.what()), std::string("Cannot open file ") + c.missing);
        }
        ASSERT_EQ(host.transcript.size(), 3u); // «Привет.», «Привет!», the echo
        EXPECT_EQ(host.transcript.back().style, LineStyle::User);
        EXPECT_EQ(engine.state().Log.count(), 3);
        EXPECT_TRUE(host.busy);
        EXPECT_EQ(host.input, cp(typed)); // the input line keeps the phrase
        EXPECT_EQ(engine.state().LastReply, cp(c.lastReply));
        EXPECT_FALSE(dir.exists(c.missing)); // nothing creates a missing file

        // With the file back the next turn works.
        LineList back;
        for (const auto& line : saved)
            back.add(cp(line));
        back.save(c.missing);
        for (int d : c.retry)
            dice.push(d);
        engine.SpeakClick();
        EXPECT_EQ(host.transcript.size(), 5u);
        EXPECT_EQ(host.transcript.back().style, LineStyle::Program);
        EXPECT_FALSE(host.busy);
        EXPECT_EQ(host.input, "");
    }
}

// Fails every save after the first few.
class FailLaterSaves : public SaveFaults {
public:
    explicit FailLaterSaves(int allowed) : allowed_(allowed) {}
    bool fail(SaveStep step) override { return step == SaveStep::Open && allowed_-- <= 0; }

private:
    int allowed_;
};

TEST_F(TurnFailure, LearningKeepsWhatItSavedBeforeAFailedSave)
{
    engine.pickUpAfter(cp("Как дела?"));
    FailLaterSaves faults(1); // W1 is saved, the knowledge file is not
    setSaveFaults(&faults);
    host.input = cp("хорошо");
    EXPECT_THROW(engine.SpeakClick(), FileError);
    setSaveFaults(nullptr);
    EXPECT_EQ(lastLineOf("Base\\W1.Dat"), "Хорошо.");
    EXPECT_EQ(file("Base\\Words.Dat"), kExampleWords);
    EXPECT_TRUE(host.busy);
}

TEST_F(TurnFailure, AMissingDelayedRemarkListStopsTheTurnAfterTheReply)
{
    dir.remove("Base\\AI.dat");
    host.input = cp("как погода");
    for (int d : {1, 0, 0}) // r = 1: the delayed remark is armed
        dice.push(d);
    EXPECT_THROW(engine.SpeakClick(), FileError);
    ASSERT_EQ(host.transcript.size(), 2u);
    EXPECT_EQ(reply(), "Отклик на фразу.");
    EXPECT_FALSE(host.busy);
    EXPECT_TRUE(host.delayArmed);
    EXPECT_EQ(engine.state().LastReply, ""); // the last steps did not run
    EXPECT_EQ(host.input, cp("как погода"));
}

TEST_F(TurnFailure, AnUnwritableExchangeFileStopsTheTurnAfterTheReply)
{
    host.cpuCpu = true;
    host.exchange = "Нет такой папки\\Txt.Dat";
    EngineTestAccess::setExchangeRead(engine, LineList({cp("как погода")}));
    for (int d : knowledge())
        dice.push(d);
    try {
        engine.SpeakClick();
        ADD_FAILURE() << "the turn went through";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + host.exchange);
    }
    EXPECT_EQ(reply(), "Отклик на фразу.");
    EXPECT_EQ(engine.state().LastReply, "");
}

// The exchange file set to one of the program's own files: the poll reads nothing from it and
// the reply never replaces it, whatever way the path is written.
TEST_F(TurnFailure, TheExchangeFileIsNeverOneOfTheProgramsOwn)
{
    const std::string absolute = (dir.path() / "Base" / "W1.Dat").string();
    for (const std::string& path : {std::string("Base\\Words.Dat"), std::string("base\\words.dat"),
                                    std::string("Base\\..\\Base\\W2.Dat"), absolute}) {
        SCOPED_TRACE(path);
        const auto words = dir.readLines("Base\\Words.Dat");
        const auto w1 = dir.readLines("Base\\W1.Dat");
        const auto w2 = dir.readLines("Base\\W2.Dat");
        host.cpuCpu = true;
        host.exchange = path;
        EXPECT_EQ(errorOf([&] { engine.LoadExchange(); }), "Cannot open file " + path);

        host.transcript.clear();
        EngineTestAccess::setExchangeRead(engine, LineList({cp("как погода")}));
        for (int d : knowledge())
            dice.push(d);
        EXPECT_EQ(errorOf([&] { engine.SpeakClick(); }), "Cannot create file " + path);
        EXPECT_EQ(reply(), "Отклик на фразу.");
        EXPECT_EQ(dir.readLines("Base\\Words.Dat"), words);
        EXPECT_EQ(dir.readLines("Base\\W1.Dat"), w1);
        EXPECT_EQ(dir.readLines("Base\\W2.Dat"), w2);
    }
}

} // namespace
} // namespace tovrin::test
