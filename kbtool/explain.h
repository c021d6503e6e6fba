#pragma once
// Why the program answers a phrase as it does: the step that decides, the entry that answers
// and the entries around it that nearly did or lost to it, for an author fixing a miss.
#include "kbtool/corpus.h"

#include <string>
#include <string_view>
#include <vector>

namespace tovrin::kbtool {

struct Neighbour {
    int line = 0;
    enum class Why {
        // nearly fits
        Backtracked, // the key stands in the phrase, but the scan that never steps back misses it
        EndMark, // the key fits but for its final mark or space
        WordOrder, // every word of the key is there, not in the key's order
        OneWordShort, // every word of the key but one is there in order
        LowerCase, // the key would fit if it were written in capitals
        CannotAnswer, // the key fits, but the entry has no replies or breaks the grammar
        // fits but loses
        WordsLater, // fits word by word only, and a whole key answers first
        Later, // fits too, further down the file
        Thread, // fits, but a branch of the thread answers first
        Filtered, // fits, but the profanity filter answers first
    } why = Why::Later;
    std::string missing; // for OneWordShort: the word that is not there (Windows-1251)
};
const char* whyText(Neighbour::Why why); // Russian, UTF-8

// The words of a key as the word-by-word pass cuts it: a space right after a separating one
// begins the next word (so that word must begin a word of the phrase).
std::vector<std::string_view> keyWords(std::string_view key);

struct Explanation {
    Turn turn;
    int threadLine = 0; // the entry whose reply came before; 0 when none
    std::string profanity; // the profanity list's entry the phrase holds, if any
    std::string humanTopic; // the human-matters list's entry the phrase holds, if any
    std::vector<Neighbour> almost; // before the answer (all of them when nothing answers)
    std::vector<Neighbour> lost; // fit too, but another entry answers
};

// phrase as typed (UTF-8); threadLine: the entry that said the reply just before (pickThread),
// 0 for none.
Explanation explain(const LineList& words, const std::string& phrase, int threadLine);

// ---- many phrases in one go, one line of tab-separated fields each

// A line of a batch file (UTF-8): "PHRASE[<TAB>REPLY BEFORE[<TAB>ENTRY THAT SAID IT]]", the
// phrase written as in a corpus ("\t" a TAB, "\\" a backslash). Empty lines and lines that
// begin with "#" are passed over.
struct BatchPhrase {
    int line = 0; // in the batch file, from 1
    std::string phrase; // UTF-8, as typed
    std::string after; // Windows-1251; empty for none
    std::string said; // Windows-1251: a line number or a head; empty when not named
};
std::vector<BatchPhrase> parseBatch(std::string_view utf8);

// The columns of a row, for the first line of the output.
extern const char* const kBatchHeader;
// One row (UTF-8, no newline): the phrase as typed (escaped as in a corpus), the reply before,
// the answer (the answering entry's key, "fallback W1" or "fallback W2", "profanity filter",
// or "no thread" when the reply before cannot be placed), the answering entry's replies (for
// the profanity filter the lines of insults) separated by " | ", "yes" or "no" for a
// farewell, and a note: how the answer was found, or why there is no answer.
std::string batchRow(const LineList& words, const LineList& insults, const BatchPhrase& p);

} // namespace tovrin::kbtool
