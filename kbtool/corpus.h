#pragma once
// The authors' replay of the knowledge file: a corpus of phrases, each with what must happen to
// it, is put through the program's own filters, strategy and lookup, one fresh turn per phrase,
// and every phrase is told what the program would do with it. Nothing is learnt or saved.
#include "kb/linelist.h"

#include <string>
#include <string_view>
#include <vector>

namespace tovrin::kbtool {

// ---- the corpus file (UTF-8): "[part NAME]" and "[topic NAME]" headers, then one case a line,
// "PHRASE<TAB>EXPECTED[<TAB>PRECEDING REPLY[<TAB>ENTRY THAT SAID IT]]"; "#" begins a comment
// line. In the phrase, "\t" stands for a TAB and "\\" for a backslash.

inline constexpr std::string_view kPartTuning = "tuning";
inline constexpr std::string_view kPartHeldBack = "held-back";

struct CorpusCase {
    int line = 0; // in the corpus file, from 1
    std::string part; // UTF-8
    std::string topic; // UTF-8; empty before the first topic header
    std::string phrase; // UTF-8, as typed
    enum class Expect { Keys, Farewell, Learn } expect = Expect::Learn;
    std::vector<std::string> keys; // Windows-1251 heads, any of which may answer
    std::string after; // Windows-1251: the program's reply just before; empty for none
    std::string said; // Windows-1251: the entry that said it, by line or head; empty when not named
};

struct Corpus {
    std::vector<CorpusCase> cases;
    struct Fault {
        int line = 0;
        std::string reason; // Russian, UTF-8
    };
    std::vector<Fault> faults; // lines that are neither a header, a comment nor a case
};
Corpus parseCorpus(std::string_view utf8);

// ---- one fresh turn

// The step of a turn that decided the reply.
enum class Step {
    Profanity, // the profanity filter: a line of the insult replies
    LongPhrase, // the strategy gives a canned long-phrase reply in 4 turns of 6
    Branch, // the lookup: a branch of the thread
    Contiguous, // the lookup: a head found whole
    ByWords, // the lookup: the words of a head found in order
    Fallback, // nothing fits: a fallback reply, and the phrase is learnt
};
const char* stepName(Step step); // Russian, UTF-8

struct Turn {
    std::string phrase; // Windows-1251, as the turn works on it
    Step step = Step::Fallback;
    int line = 0; // the entry that answers (by the lookup); 0 when none
    bool farewell = false; // the answer ends the conversation
    bool humanTopic = false; // an unknown phrase would not be learnt
    // For a long phrase, what the knowledge path does in the other 2 turns of 6.
    Step lookupStep = Step::Fallback;
};

// A typed UTF-8 phrase as the turn takes it: as the input line holds it (TypedLine), its
// control characters as spaces, capitalised and punctuated.
std::string takePhrase(std::string_view utf8);

// A phrase field as written in a corpus or a batch of phrases: "\t" is a TAB, "\\" a backslash.
std::string unescapeField(std::string_view field);
// The other way, for a phrase written out as a field.
std::string escapeField(std::string_view text);

// The thread a reply before the phrase opens. The program threads from the entry that said the
// reply, so where entries with different branches have the same reply, the entry must be named.
struct ThreadPick {
    int line = 0; // the entry whose branches are tried first; 0 for none
    std::vector<int> carriers; // the entries that have the reply, in file order
    bool ambiguous = false; // carriers with different branches, and none named
    std::string
        fault; // Russian, Windows-1251: why the entry named cannot be the one; empty when fine
};
// reply: Windows-1251, empty for none. said: the entry that said it, as a line number or as
// its head (Windows-1251), empty when not named; given alone, it opens that entry's thread.
ThreadPick pickThread(const LineList& words, std::string_view reply, std::string_view said);
// "строки 12 "HEAD", 40 "HEAD"": the carriers, for a message (Windows-1251).
std::string carriersText(const LineList& words, const std::vector<int>& carriers);

// What a fresh turn (no repetition, nothing learnt) does with the phrase taken by takePhrase,
// with the thread of the entry at threadLine (0: no thread).
Turn playTurn(const LineList& words, const std::string& phrase, int threadLine);

// ---- the replay

struct CaseResult {
    const CorpusCase* c = nullptr;
    Turn turn;
    int threadLine = 0; // the entry whose reply came before; 0 when none
    bool passed = false;
    bool unintendedFarewell = false;
    std::string why; // for a miss: what went wrong (Russian, Windows-1251)
};

struct Share {
    std::string name; // UTF-8
    int cases = 0;
    int passed = 0;
    double percent() const { return cases == 0 ? 0.0 : 100.0 * passed / cases; }
};

struct Replay {
    std::vector<CaseResult> results; // in corpus order
    std::vector<Share> parts; // in order of first appearance
    std::vector<Share> topics; // "part / topic", in order of first appearance
    int unintendedFarewells = 0;
};
Replay replayCorpus(const LineList& words, const Corpus& corpus);

} // namespace tovrin::kbtool
