#pragma once
// The knowledge lookup as a query over the lines of a loaded knowledge file: which entry would
// answer a phrase, and in which pass, given the thread. Nothing is drawn, loaded or changed;
// the turn and the authors' tools both ask it.
namespace tovrin {

class LineList;
class UpperPhrase;

enum class LookupPass {
    None, // nothing fits: a fallback reply and learning
    Branch, // a branch of the thread
    Contiguous, // a head found whole in the phrase
    ByWords, // every word of a head found in order
};

struct LookupFind {
    LookupPass pass = LookupPass::None;
    int line = 0; // the entry that answers; 0 when none does
};

// The branch scan of a thread: the entries of depth threadDepth below line threadLine, up to
// the next main phrase. stopLine is where the scan stopped: the answering line, or the main
// phrase or the end of the file that ended the thread.
LookupFind FindBranch(const LineList& lines, const UpperPhrase& phrase, int threadLine,
                      int threadDepth, int& stopLine);

// The main lookup over lines 1 on: the first contiguous match, failing that the first
// word-by-word one.
LookupFind FindMain(const LineList& lines, const UpperPhrase& phrase);

// Both, as a turn that reaches the lookup goes through them (threadDepth 0: no thread).
LookupFind FindAnswer(const LineList& lines, const UpperPhrase& phrase, int threadLine,
                      int threadDepth);

// Whether an answer ends the conversation: only a main phrase with the farewell mark does.
bool AnswerSaysFarewell(const LineList& lines, const LookupFind& find);

} // namespace tovrin
