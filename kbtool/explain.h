#pragma once
// Why the program answers a phrase as it does: the step that decides, the entry that answers
// and the entries around it that nearly did or lost to it, for an author fixing a miss.
#include "kbtool/corpus.h"

#include <string>
#include <vector>

namespace tovrin::kbtool {

struct Neighbour {
    int line = 0;
    enum class Why {
        // nearly fits
        Backtracked,   // the key stands in the phrase, but the scan that never steps back misses it
        EndMark,       // the key fits but for its final mark or space
        WordOrder,     // every word of the key is there, not in the key's order
        OneWordShort,  // every word of the key but one is there in order
        LowerCase,     // the key would fit if it were written in capitals
        CannotAnswer,  // the key fits, but the entry has no replies or breaks the grammar
        // fits but loses
        WordsLater,    // fits word by word only, and a whole key answers first
        Later,         // fits too, further down the file
        Thread,        // fits, but a branch of the thread answers first
        Filtered,      // fits, but the profanity filter answers first
    } why = Why::Later;
    std::string missing; // for OneWordShort: the word that is not there (Windows-1251)
};
const char* whyText(Neighbour::Why why); // English

struct Explanation {
    Turn turn;
    int threadLine = 0;          // the entry whose reply came before; 0 when none
    bool unknownAfter = false;   // a reply before was given but no entry has it
    std::string profanity;       // the profanity list's entry the phrase holds, if any
    std::string humanTopic;      // the human-matters list's entry the phrase holds, if any
    std::vector<Neighbour> almost; // before the answer (all of them when nothing answers)
    std::vector<Neighbour> lost;   // fit too, but another entry answers
};

// phrase as typed (UTF-8); after: the program's reply just before (UTF-8), empty for none.
Explanation explain(const LineList& words, const std::string& phrase, const std::string& after);

} // namespace tovrin::kbtool
