// The knowledge lookup: the branches below the entry that answered last are tried first, then
// the main phrases, contiguous matches before word-by-word ones; without a fitting entry the
// reply falls back to a phrase list.
#include "engine/engine.h"

#include "engine/match.h"
#include "engine/phraselists.h"
#include "kb/entry.h"
#include "kb/knowledge.h"

#include <vector>


namespace tovrin {

Engine::Outcome Engine::lookup(const UpperPhrase& phrase)
{
    // One load serves both stages: the file does not change within one lookup.
    RE2.load(files::Words);
    if ((ThreadDepth >= 1 && branchScan(phrase)) || mainLookup(phrase))
        return Outcome::Answered;

    const bool question = UserPhrase.back() == '?';
    CpuPhrase = DrawPhrase(RE2, question ? files::W1 : files::W2, dice_);
    return question ? Outcome::FallbackW1 : Outcome::FallbackW2;
}

bool Engine::branchScan(const UpperPhrase& phrase)
{
    const std::vector<std::string>& lines = RE2.lines();
    for (;;) {
        ++ThreadLine;
        if (ThreadLine < 1 || ThreadLine >= RE2.count()) {
            ThreadDepth = 0;
            return false;
        }
        const std::string& line = lines[static_cast<std::size_t>(ThreadLine)];
        if (!EntryWellFormed(line))
            continue;
        const int depth = EntryDepth(line);
        if (depth == 0) {
            ThreadDepth = 0; // the next main phrase ends the thread
            return false;
        }
        if (depth != ThreadDepth || !EntryHasReplies(line))
            continue;
        if (ContainsKey(phrase, EntryHeadView(line).substr(static_cast<std::size_t>(depth))) != 0) {
            answerFrom(line);
            ++ThreadDepth;
            return true;
        }
    }
}

bool Engine::mainLookup(const UpperPhrase& phrase)
{
    // A key found in the phrase is rare, so whether its line can answer at all is asked only
    // then: the scan over the file stays a plain pass over the heads.
    const std::vector<std::string>& lines = RE2.lines();
    std::size_t found = 0;
    for (std::size_t i = 1; i < lines.size() && found == 0; ++i)
        if (ContainsKey(phrase, EntryHeadView(lines[i])) != 0 && EntryAnswers(lines[i]))
            found = i;
    for (std::size_t i = 1; i < lines.size() && found == 0; ++i)
        if (ContainsWords(phrase, EntryHeadView(lines[i])) && EntryAnswers(lines[i]))
            found = i;
    if (found == 0)
        return false;

    const std::string& line = lines[found];
    answerFrom(line);
    ThreadDepth = 1;
    ThreadLine = static_cast<int>(found);
    host_.setTimerEnabled(Timer::T4, EntryHasFarewell(line));
    return true;
}

void Engine::answerFrom(const std::string& entry)
{
    CpuPhrase = EntryReply(entry, dice_.random(EntryReplyCount(entry)) + 1);
}

} // namespace tovrin
