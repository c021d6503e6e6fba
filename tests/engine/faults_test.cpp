// Every operation of each of the three saves of a learning turn failed in turn: the turn stops
// with the message the user is shown, and exactly the saves before the failed one are kept.
#include "engine/engine.h"
#include "kb/entry.h"
#include "kb/fileerror.h"
#include "kb/files.h"
#include "kb/knowledge.h"
#include "kb/linelist.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>

using namespace tovrin;
using namespace tovrin::test;
namespace fs = std::filesystem;

namespace {

const char* stepName(SaveStep step)
{
    switch (step) {
    case SaveStep::Open: return "open";
    case SaveStep::Write: return "write";
    case SaveStep::Flush: return "flush";
    case SaveStep::Rename: return "rename";
    }
    return "?";
}

const SaveStep allSteps[] = {SaveStep::Open, SaveStep::Write, SaveStep::Flush, SaveStep::Rename};

// Fails one step of the n-th save (counted from 1) and remembers how many saves began.
class FailNthSave : public SaveFaults {
public:
    FailNthSave(int n, std::optional<SaveStep> step) : n_(n), step_(step) {}
    bool fail(SaveStep step) override
    {
        if (step == SaveStep::Open)
            ++saves;
        return saves == n_ && step_ && step == *step_;
    }
    int saves = 0;

private:
    int n_;
    std::optional<SaveStep> step_;
};

// Installs a seam for one scope, so that a failing assertion never leaves it in place.
class SeamGuard {
public:
    explicit SeamGuard(SaveFaults* faults) { setSaveFaults(faults); }
    ~SeamGuard() { setSaveFaults(nullptr); }
};

using Snapshot = std::map<std::string, std::string>; // file name -> bytes

// Every file of the folder; the lock file is the folder's own and is left out.
Snapshot snapshot(const fs::path& folder)
{
    Snapshot s;
    for (const auto& e : fs::directory_iterator(folder)) {
        const std::string name = e.path().filename().string();
        if (name == ".tovrin.lock")
            continue;
        s[name] = bytesOf(e.path());
    }
    return s;
}

std::string expectedMessage(SaveStep step, const std::string& path)
{
    return step == SaveStep::Open ? "Cannot create file " + path : "Failed to Save Stream";
}

// A Base in which one turn learns with three saves: the phrase goes to W1.Dat (the previous
// reply was a question), becomes a bare key of Words.Dat, and becomes a reply of the entry of
// the previous reply, which moves to the end.
void writeLearningBase(const ScratchDir& dir)
{
    dir.writeLines("Base\\Words.Dat",
                   {"Заголовок", "КАК ТЕБЯ ЗОВУТ?^Не скажу.;", "ПРИВЕТ^Привет!;"});
    dir.writeLines("Base\\W1.Dat", {"Да."});
    dir.writeLines("Base\\W2.Dat", {"Бывает."});
    for (const char* list :
         {"Base\\Povtor.Dat", "Base\\X.Dat", "Base\\BigString.Dat", "Base\\AI.dat",
          "Base\\Pause.Dat", "Base\\Begin.dat", "Base\\Collection.Dat"})
        dir.writeLines(list, {"Фраза."});
}

struct TurnResult {
    std::optional<std::string> error;
    std::vector<std::string> transcript;
};

TurnResult learningTurn(SaveFaults& faults)
{
    RecordingHost host;
    RecordingCues cues;
    ScriptedDice dice;
    Engine engine(host, cues, dice);
    engine.pickUpAfter(cp("Как тебя зовут?"));
    host.input = cp("Это секрет.");
    TurnResult result;
    SeamGuard seam(&faults);
    try {
        engine.SpeakClick();
    } catch (const FileError& e) {
        result.error = e.what();
    }
    for (const auto& line : host.transcript)
        result.transcript.push_back(utf(line.text));
    return result;
}

// The state of the folder as each save of the turn begins, and after the turn.
class RecordStates : public SaveFaults {
public:
    explicit RecordStates(fs::path folder) : folder_(std::move(folder)) {}
    bool fail(SaveStep step) override
    {
        if (step == SaveStep::Open)
            states.push_back(snapshot(folder_));
        return false;
    }
    std::vector<Snapshot> states;

private:
    fs::path folder_;
};

} // namespace

TEST(SaveFaults, ALearningTurnStopsAtTheFailedSaveWithEveryEarlierSaveKept)
{
    // A turn with no fault, to learn the state before each of its saves.
    std::vector<Snapshot> states;
    std::vector<std::string> fullTranscript;
    {
        ScratchDir dir;
        writeLearningBase(dir);
        RecordStates recorder(dir.path() / "Base");
        const TurnResult clean = learningTurn(recorder);
        ASSERT_FALSE(clean.error) << *clean.error;
        states = recorder.states;
        states.push_back(snapshot(dir.path() / "Base"));
        fullTranscript = clean.transcript;
        EXPECT_EQ(dir.readLines("Base\\Words.Dat"),
                  (std::vector<std::string>{"Заголовок", "ПРИВЕТ^Привет!;", "ЭТО СЕКРЕТ.^",
                                            "КАК ТЕБЯ ЗОВУТ?^Не скажу.;Это секрет.;"}));
        EXPECT_EQ(dir.readLines("Base\\W1.Dat"), (std::vector<std::string>{"Да.", "Это секрет."}));
    }
    const int saves = static_cast<int>(states.size()) - 1;
    ASSERT_EQ(saves, 3) << "W1.Dat, the bare key, the moved entry";
    const std::string savedFile[] = {files::W1, files::Words, files::Words};

    for (int n = 1; n <= saves; ++n) {
        for (const SaveStep step : allSteps) {
            SCOPED_TRACE("save " + std::to_string(n) + ", failing " + stepName(step));
            ScratchDir dir;
            writeLearningBase(dir);
            FailNthSave faults(n, step);
            const TurnResult r = learningTurn(faults);
            ASSERT_TRUE(r.error) << "the turn reported success";
            EXPECT_EQ(*r.error, expectedMessage(step, savedFile[n - 1]));
            // Exactly the saves before the failed one happened, and nothing else.
            EXPECT_EQ(snapshot(dir.path() / "Base"), states[static_cast<size_t>(n - 1)]);
            // The reply is not shown when the turn stopped.
            EXPECT_LT(r.transcript.size(), fullTranscript.size());
            LineList words;
            words.load(files::Words);
            for (int i = 1; i < words.count(); ++i)
                EXPECT_TRUE(EntryWellFormed(words.get(i))) << utf(words.get(i));
        }
    }
}
