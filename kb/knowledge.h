#pragma once
// The program's files under Base\ and the counts shown to the user.
#include <string>

namespace tovrin {

class LineList;

namespace files {
inline const std::string Words = "Base\\Words.Dat";
inline const std::string W1 = "Base\\W1.Dat";
inline const std::string W2 = "Base\\W2.Dat";
inline const std::string Povtor = "Base\\Povtor.Dat";
inline const std::string X = "Base\\X.Dat";
inline const std::string Collection = "Base\\Collection.Dat";
inline const std::string BigString = "Base\\BigString.Dat";
inline const std::string Pause = "Base\\Pause.Dat";
inline const std::string Begin = "Base\\Begin.dat";
inline const std::string AI = "Base\\AI.dat";
inline const std::string LogFile = "Base\\Log.Tovrin";
inline const std::string ReadMe = "ReadMe.Txt";
inline const std::string DefaultExchange = "D:\\Txt.Dat";
} // namespace files

struct KnowledgeCounts {
    int mainPhrases = 0; // lines 1..Count-1 not starting with "_" (bare keys included)
    int branches = 0;    // lines 1..Count-1 starting with "_"
    int replies = 0;     // ";" in lines 1..Count-1
};
// Counts over a loaded Words.Dat. A malformed line is no entry: it counts as neither main
// phrase nor branch, and its ";" are no replies.
KnowledgeCounts CountKnowledge(const LineList& words);

} // namespace tovrin
