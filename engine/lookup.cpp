// The knowledge lookup: the branches below the entry that answered last are tried first, then
// the main phrases, contiguous matches before word-by-word ones; without a fitting entry the
// reply falls back to a phrase list.
#include "engine/engine.h"
#include "engine/lookup.h"

#include "engine/match.h"
#include "engine/phraselists.h"
#include "kb/entry.h"
#include "kb/knowledge.h"

#include <vector>

namespace tovrin {

LookupFind FindBranch(const std::vector<std::string>& lines, const UpperPhrase& phrase, int threadLine,
                      int threadDepth, int& stopLine)
{
    const int count = static_cast<int>(lines.size());
    for (int i = threadLine + 1;; ++i) {
        stopLine = i;
        if (i < 1 || i >= count)
            return {};
        const std::string& line = lines[static_cast<std::size_t>(i)];
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
}

LookupFind FindMain(const std::vector<std::string>& lines, const UpperPhrase& phrase)
{
    // A key found in the phrase is rare, so whether its line can answer at all is asked only
    // then: the scan over the file stays a plain pass over the heads. One pass serves both
    // kinds of match, so that a file of many thousand lines is gone through once: the first
    // contiguous match wins, and failing that the first word-by-word one.
    std::size_t found = 0;
    std::size_t foundByWords = 0;
    for (std::size_t i = 1; i < lines.size() && found == 0; ++i) {
        // Both kinds of match begin with the head's first character.
        if (lines[i].empty() || !phrase.holds(lines[i].front()))
            continue;
        const std::string_view head = EntryHeadView(lines[i]);
        if (ContainsKey(phrase, head) != 0 && EntryAnswers(lines[i]))
            found = i;
        else if (foundByWords == 0 && ContainsWords(phrase, head) && EntryAnswers(lines[i]))
            foundByWords = i;
    }
    if (found != 0)
        return {LookupPass::Contiguous, static_cast<int>(found)};
    if (foundByWords != 0)
        return {LookupPass::ByWords, static_cast<int>(foundByWords)};
    return {};
}

LookupFind FindAnswer(const std::vector<std::string>& lines, const UpperPhrase& phrase, int threadLine,
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

bool AnswerSaysFarewell(const std::vector<std::string>& lines, const LookupFind& find)
{
    return (find.pass == LookupPass::Contiguous || find.pass == LookupPass::ByWords) &&
           EntryHasFarewell(lines[static_cast<std::size_t>(find.line)]);
}

Engine::Outcome Engine::lookup(const UpperPhrase& phrase, WordsRead& read)
{
    // One load serves both stages: the file does not change within one lookup.
    FileStamp stamp;
    s_.RE2.load(files::Words, stamp);
    if ((s_.ThreadDepth >= 1 && branchScan(phrase)) || mainLookup(phrase))
        return Outcome::Answered;

    const bool question = s_.UserPhrase.back() == '?';
    // The fallback list replaces the knowledge file in RE2 only once it is loaded; the
    // knowledge file goes on to the learning step.
    LineList fallback;
    s_.CpuPhrase = DrawPhrase(fallback, question ? files::W1 : files::W2, dice_);
    read.lines = std::move(s_.RE2.lines());
    read.stamp = stamp;
    s_.RE2 = std::move(fallback);
    return question ? Outcome::FallbackW1 : Outcome::FallbackW2;
}

bool Engine::branchScan(const UpperPhrase& phrase)
{
    int stop = s_.ThreadLine;
    const LookupFind find = FindBranch(s_.RE2.lines(), phrase, s_.ThreadLine, s_.ThreadDepth, stop);
    s_.ThreadLine = stop;
    if (find.pass == LookupPass::None) {
        s_.ThreadDepth = 0;
        return false;
    }
    answerFrom(s_.RE2.lines()[static_cast<std::size_t>(find.line)]);
    ++s_.ThreadDepth;
    return true;
}

bool Engine::mainLookup(const UpperPhrase& phrase)
{
    const LookupFind find = FindMain(s_.RE2.lines(), phrase);
    if (find.pass == LookupPass::None)
        return false;
    const std::string& line = s_.RE2.lines()[static_cast<std::size_t>(find.line)];
    answerFrom(line);
    s_.ThreadDepth = 1;
    s_.ThreadLine = find.line;
    host_.setFarewell(EntryHasFarewell(line));
    return true;
}

void Engine::answerFrom(const std::string& entry)
{
    s_.CpuPhrase = EntryReply(entry, dice_.random(EntryReplyCount(entry)) + 1);
}

} // namespace tovrin
