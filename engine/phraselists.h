#pragma once
// Drawing from the phrase lists under Base\ and appending to them.
#include <string>

namespace tovrin {

class Dice;
class LineList;

// Loads the list into work and draws one of all its lines, Random(Count). An empty list gives
// an empty phrase. Throws FileError when the list cannot be loaded.
std::string DrawPhrase(LineList& work, const std::string& path, Dice& dice);

// The delayed remark after a reply: a line of work, which holds Base\AI.dat,
// 1 + Random(Count - 1), never line 0. With fewer than two lines the remark is empty and
// nothing is drawn.
std::string DrawRemark(const LineList& work, Dice& dice);

// Appends a line to a file under Base\: under the Base lock, the file is loaded afresh into
// work, the line added and the file saved, so a copy of the program sharing the folder loses
// nothing. Throws FileError when the file cannot be loaded or saved.
void AppendLine(LineList& work, const std::string& path, const std::string& line);

// A phrase that hit the profanity list goes to Base\Collection.Dat as ">>> " + phrase.
void RecordProfanity(LineList& work, const std::string& phrase);

} // namespace tovrin
