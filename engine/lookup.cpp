// The knowledge lookup: the branches below the entry that answered last are tried first, then
// the main phrases, contiguous matches before word-by-word ones; without a fitting entry the
// reply falls back to a phrase list.
#include "engine/engine.h"

#include "engine/match.h"
#include "engine/phraselists.h"
#include "kb/entry.h"
#include "kb/knowledge.h"

#include <algorithm>
#include <vector>


namespace tovrin {

Engine::Outcome Engine::lookup(const UpperPhrase& phrase, WordsRead& read)
{
    // One load serves both stages: the file does not change within one lookup.
    FileStamp stamp;
    RE2.load(files::Words, stamp);
    if ((ThreadDepth >= 1 && branchScan(phrase)) || mainLookup(phrase))
        return Outcome::Answered;

    const bool question = UserPhrase.back() == '?';
    // The fallback list replaces the knowledge file in RE2 only once it is loaded; the
    // knowledge file goes on to the learning step.
    LineList fallback;
    CpuPhrase = DrawPhrase(fallback, question ? files::W1 : files::W2, dice_);
    read.lines = std::move(RE2);
    read.stamp = stamp;
    RE2 = std::move(fallback);
    return question ? Outcome::FallbackW1 : Outcome::FallbackW2;
}

bool Engine::branchScan(const UpperPhrase& phrase)
{
    for (;;) {
        ++ThreadLine;
        if (ThreadLine < 1 || ThreadLine >= RE2.count()) {
            ThreadDepth = 0;
            return false;
        }
        const std::string_view line = RE2.view(ThreadLine);
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
    // then: the scan over the file stays a plain pass over the heads. One pass serves both
    // kinds of match, so that a file of many thousand lines is gone through once: the first
    // contiguous match wins, and failing that the first word-by-word one.
    std::size_t found = 0;
    std::size_t foundByWords = 0;
    std::size_t i = 1;
    for (auto it = RE2.at(std::min(1, RE2.count())); it != RE2.end() && found == 0; ++it, ++i) {
        const std::string_view line = *it;
        // Both kinds of match begin with the head's first character.
        if (line.empty() || !phrase.holds(line.front()))
            continue;
        const std::string_view head = EntryHeadView(line);
        if (ContainsKey(phrase, head) != 0 && EntryAnswers(line))
            found = i;
        else if (foundByWords == 0 && ContainsWords(phrase, head) && EntryAnswers(line))
            foundByWords = i;
    }
    if (found == 0)
        found = foundByWords;
    if (found == 0)
        return false;

    const std::string_view line = RE2.view(static_cast<int>(found));
    answerFrom(line);
    ThreadDepth = 1;
    ThreadLine = static_cast<int>(found);
    host_.setTimerEnabled(Timer::T4, EntryHasFarewell(line));
    return true;
}

void Engine::answerFrom(std::string_view entry)
{
    CpuPhrase = EntryReply(entry, dice_.random(EntryReplyCount(entry)) + 1);
}

} // namespace tovrin
