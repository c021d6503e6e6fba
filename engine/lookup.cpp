// The knowledge lookup: the branches below the entry that answered last are tried first, then
// the main phrases, contiguous matches before word-by-word ones; without a fitting entry the
// reply falls back to a phrase list.
#include "engine/engine.h"
#include "engine/lookup.h"

#include "engine/match.h"
#include "engine/phraselists.h"
#include "kb/entry.h"
#include "kb/knowledge.h"

#include <algorithm>

namespace tovrin {

LookupFind FindBranch(const LineList& lines, const UpperPhrase& phrase, int threadLine,
                      int threadDepth, int& stopLine)
{
    int i = threadLine + 1;
    stopLine = i;
    if (i < 1 || i >= lines.count())
        return {};
    for (auto it = lines.at(i); it != lines.end(); ++it, ++i) {
        stopLine = i;
        const std::string_view line = *it;
        if (!EntryWellFormed(line))
            continue;
        const int depth = EntryDepth(line);
        if (depth == 0)
            return {}; // the next main phrase ends the thread
        if (depth != threadDepth || !EntryHasReplies(line))
            continue;
        if (ContainsKey(phrase, EntryHeadView(line).substr(static_cast<std::size_t>(depth))) != 0)
            return {LookupPass::Branch, i};
    }
    stopLine = i; // the end of the file ended the thread
    return {};
}

LookupFind FindMain(const LineList& lines, const UpperPhrase& phrase)
{
    // A key found in the phrase is rare, so whether its line can answer at all is asked only
    // then: the scan over the file stays a plain pass over the heads. One pass serves both
    // kinds of match, so that a file of many thousand lines is gone through once: the first
    // contiguous match wins, and failing that the first word-by-word one.
    int found = 0;
    int foundByWords = 0;
    int i = 1;
    for (auto it = lines.at(std::min(1, lines.count())); it != lines.end() && found == 0;
         ++it, ++i) {
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
    if (found != 0)
        return {LookupPass::Contiguous, found};
    if (foundByWords != 0)
        return {LookupPass::ByWords, foundByWords};
    return {};
}

LookupFind FindAnswer(const LineList& lines, const UpperPhrase& phrase, int threadLine,
                      int threadDepth)
{
    if (threadDepth >= 1) {
        int stop = 0;
        const LookupFind find = FindBranch(lines, phrase, threadLine, threadDepth, stop);
        if (find.pass != LookupPass::None)
            return find;
    }
    return FindMain(lines, phrase);
}

bool AnswerSaysFarewell(const LineList& lines, const LookupFind& find)
{
    return (find.pass == LookupPass::Contiguous || find.pass == LookupPass::ByWords) &&
        EntryHasFarewell(lines.view(find.line));
}

Engine::Outcome Engine::lookup(const UpperPhrase& phrase, WordsRead& read)
{
    // One load serves both stages: the file does not change within one lookup.
    FileStamp stamp;
    s_.RE2.load(files::Words, stamp);
    if ((s_.ThreadDepth >= 1 && branchScan(phrase)) || mainLookup(phrase))
        return Outcome::Answered;

    const bool question = s_.UserPhrase.back() == '?';
    // The knowledge file goes on to the learning step; the fallback list replaces it in RE2
    // only once it is loaded (a failed load leaves RE2 as it was).
    read.lines.swap(s_.RE2);
    try {
        s_.CpuPhrase = DrawPhrase(s_.RE2, question ? files::W1 : files::W2, dice_);
    } catch (...) {
        read.lines.swap(s_.RE2);
        throw;
    }
    read.stamp = stamp;
    return question ? Outcome::FallbackW1 : Outcome::FallbackW2;
}

bool Engine::branchScan(const UpperPhrase& phrase)
{
    int stop = s_.ThreadLine;
    const LookupFind find = FindBranch(s_.RE2, phrase, s_.ThreadLine, s_.ThreadDepth, stop);
    s_.ThreadLine = stop;
    if (find.pass == LookupPass::None) {
        s_.ThreadDepth = 0;
        return false;
    }
    answerFrom(s_.RE2.view(find.line));
    ++s_.ThreadDepth;
    return true;
}

bool Engine::mainLookup(const UpperPhrase& phrase)
{
    const LookupFind find = FindMain(s_.RE2, phrase);
    if (find.pass == LookupPass::None)
        return false;
    const std::string_view line = s_.RE2.view(find.line);
    answerFrom(line);
    s_.ThreadDepth = 1;
    s_.ThreadLine = find.line;
    host_.setFarewell(EntryHasFarewell(line));
    return true;
}

void Engine::answerFrom(std::string_view entry)
{
    s_.CpuPhrase = EntryReply(entry, dice_.random(EntryReplyCount(entry)) + 1);
}

} // namespace tovrin
