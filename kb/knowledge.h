#pragma once
// The program's files under Base\ and the counts shown to the user.
#include <string>
#include <vector>

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

// The phrase lists whose lines count as outgoing expressions, in the order they are counted.
inline const std::string* const OutgoingLists[] = {&BigString, &Pause, &Povtor, &W1, &W2, &X};
// The program's own files under Base\ (besides the hidden files it keeps there).
inline const std::string* const BaseFiles[] = {
    &Words, &W1, &W2, &Povtor, &X, &Collection, &BigString, &Pause, &Begin, &AI, &LogFile};
inline const std::string BaseFolder = "Base";
inline const std::string SoundFolder = "Sound";

// True when a path leads to one of the program's own files, whatever way it is written (case,
// "..", links): a file of Base\ above or a hidden one there (the lock, a temporary), any file
// of Sound\, or the history ReadMe.Txt. The exchange file may be none of them: the reply saved
// into it would replace the file.
bool namesProgramFile(const std::string& programPath);
} // namespace files

struct KnowledgeCounts {
    int mainPhrases = 0; // lines 1..Count-1 not starting with "_" (bare keys included)
    int branches = 0; // lines 1..Count-1 starting with "_"
    int replies = 0; // ";" in lines 1..Count-1
    int incoming = 0; // Count-1: the entries, whatever their form (0 for an empty file)
};
// Counts over a loaded Words.Dat. A malformed line is no entry: it counts as neither main
// phrase nor branch, and its ";" are no replies.
KnowledgeCounts CountKnowledge(const LineList& words);

// Loads Base\Words.Dat into a list of its own and counts it. Throws FileError.
KnowledgeCounts CountKnowledgeFile();

// Loads each of the outgoing phrase lists and counts its lines. Throws FileError at the first
// list that cannot be read.
struct ListCount {
    std::string path;
    int count = 0;
};
std::vector<ListCount> CountOutgoingLists();

// The menu's outgoing expressions: the lines of the phrase lists and the knowledge's replies.
int CountOutgoing(const KnowledgeCounts& knowledge, const std::vector<ListCount>& lists);

} // namespace tovrin
