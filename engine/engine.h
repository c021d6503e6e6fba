#pragma once
// One dialogue turn (SpeakClick) and the remarks the program makes by itself, with the state
// that outlives a turn. Every file error is thrown as FileError after whatever the turn had
// already shown; the caller reports it and goes on.
#include "engine/host.h"
#include "kb/files.h"
#include "kb/linelist.h"

#include <optional>
#include <string>
#include <vector>

namespace tovrin {

class UpperPhrase;
namespace test {
struct EngineTestAccess;
}

class Engine {
public:
    Engine(Host& host, CuePlayer& cues, Dice& dice);

    // One whole turn: intake, filters, strategy, lookup, learning, emission (the main window's
    // TForm1::SpeakClick runs it under its error guard).
    void SpeakClick();

    // Phrases of this many characters or more may get a canned long-phrase reply.
    static constexpr std::size_t kLongPhrase = 110;

    // One tick of the input sanitiser T5 on the given text. Returns true when the text holds
    // a reserved mark at the examined position: the caller then clears the input line and
    // disables the transcript.
    bool SanitiseTick(const std::string& input);

    // The exchange-file poll: loads the file at the host's exchange path into LoadtxtCpuCpu.
    void LoadExchange();

    // Spontaneous remarks. IdleTick runs every second and makes a remark after a silence;
    // GreetingTick runs until the host hears greetingDone; DelayTick runs every second while
    // the host keeps the delayed remark armed.
    void IdleTick();
    void GreetingTick();
    void DelayTick();

    // At start: reads the knowledge file, so that a missing one is reported at once.
    void LoadKnowledgeAtStart();

    // The dialogue log kept for the exit: the undo drops its last line, a new dialogue
    // empties it.
    void DropLastLogLine();
    void ClearLog();

    // The exit: appends the dialogue log block to Base\Log.Tovrin.
    void WriteDialogueLog(const std::string& date, const std::string& time);

    // The state that outlives a turn.
    struct State {
        // The hidden line lists.
        // RE2: the file a step works on, loaded afresh by each: the filters' lists, then
        // Words.Dat for the lookup and learning, then W1/W2 for a fallback and its learning,
        // then AI.dat at the emission (which the delayed remark speaks from).
        LineList RE2;
        LineList Log; // the dialogue log: "USER:     …" and "CPU:     …" lines
        LineList LoadtxtCpuCpu; // the exchange file as Cpu\Cpu read it this turn

        std::string UserPhrase; // the phrase of this turn, as normalised by the intake
        std::string CpuPhrase; // the reply of this turn, or the text of a remark or greeting
        // The reply shown at the end of the previous turn: learning files this turn's phrase
        // as a new reply of that entry. Empty before the first reply, so the first turn of a
        // dialogue teaches nothing: there is no line of the program's it could answer.
        std::string LastReply;
        int ThreadDepth = 0; // depth of the branches to try first; 0: no thread
        int ThreadLine = 0; // the Words.Dat line the thread continues below
        int IdleTicks = 0; // seconds of the user's silence (T2)
        int DelayCounter = 0; // progress of the delayed remark (T9)
        int ScanPos = 0; // the input sanitiser's place in the input line (T5)
        bool HumanTopic = false; // this turn's phrase is about human matters: not learnt
    };
    const State& state() const { return s_; }

    // A dialogue picked up after the given reply of the program's, outside any thread: the
    // next turn answers it, and a phrase nothing knows is learnt as its reply (the bench
    // measures its learning turns so).
    void pickUpAfter(const std::string& reply);

private:
    // The tests' way to the few states that no turn or tick reaches quickly (the silence count
    // near its threshold, a remark half way, the sanitiser's place): tests/support/testsupport.h.
    friend struct test::EngineTestAccess;

    // Where the knowledge path got its reply.
    enum class Outcome { Answered, FallbackW1, FallbackW2 };

    // Words.Dat as the lookup of this turn read it, handed to the learning step of the same
    // turn, which takes it instead of reading the file again only while the file is still
    // that version. Emptied at the end of every turn: only the room of its lines outlives
    // the turn, for the next one's.
    struct WordsRead {
        LineList lines;
        std::optional<FileStamp> stamp;
        void forget()
        {
            lines.clear();
            stamp.reset();
        }
    };

    // engine/engine.cpp
    bool answeredByFilters(const UpperPhrase& phrase, const std::string& previousLine);
    bool answeredByLongPhrase();
    void emitReply();
    // engine/lookup.cpp
    Outcome lookup(const UpperPhrase& phrase, WordsRead& read);
    bool branchScan(const UpperPhrase& phrase);
    bool mainLookup(const UpperPhrase& phrase);
    void answerFrom(std::string_view entry);
    // engine/learning.cpp
    void learn(WordsRead& read); // with the fallback list still in RE2
    void loadWordsAgain(WordsRead& read);

    Host& host_;
    CuePlayer& cues_;
    Dice& dice_;
    State s_;
    WordsRead read_;
};

} // namespace tovrin
