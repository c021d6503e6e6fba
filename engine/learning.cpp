// Learning from a phrase the program could not answer: it becomes a possible fallback answer,
// a new key of the knowledge file, and a new reply of the entry whose key is what the program
// said just before. Every file is changed under the Base lock and re-read under it, so copies
// of the program that share the folder never lose each other's lessons.
#include "engine/engine.h"

#include "engine/phraselists.h"
#include "kb/cp1251.h"
#include "kb/entry.h"
#include "kb/files.h"
#include "kb/knowledge.h"

#include <algorithm>

namespace tovrin {

namespace {

// A phrase that would make a malformed entry as a key or as a reply: a "^" ends a key early,
// a ";" splits a reply, a farewell mark could land at the end of the line, a leading "_" makes
// a branch, and a line break splits the line.
bool breaksEntries(std::string_view phrase)
{
    return phrase.empty() || phrase.front() == kDepthMark ||
        phrase.find_first_of("^;@\r\n") != std::string_view::npos;
}

// The first well-formed entry from line 1 on whose head is exactly head; 0 when there is none.
int findHead(const LineList& words, std::string_view head)
{
    if (head.empty() || words.count() < 2)
        return 0;
    int i = 1;
    for (auto it = words.at(1); it != words.end(); ++it, ++i) {
        const std::string_view line = *it;
        if (!line.empty() && line.front() == head.front() && EntryHeadView(line) == head &&
            EntryWellFormed(line))
            return i;
    }
    return 0;
}

// The entry with one more reply. The farewell mark stays the last character.
std::string withReply(std::string entry, const std::string& reply)
{
    const bool farewell = EntryHasFarewell(entry);
    if (farewell)
        entry.pop_back();
    entry += reply;
    entry += kReplyEnd;
    if (farewell)
        entry += kFarewellMark;
    return entry;
}

} // namespace

void Engine::loadWordsAgain(WordsRead& read)
{
    // Under the lock. Whoever saved the file since the lookup read it made it another file (or,
    // in place, gave it another time), so an unchanged stamp means the lookup's lines are
    // what a load would read now.
    if (read.stamp && currentStamp(files::Words) == read.stamp)
        s_.RE2.swap(read.lines);
    else
        s_.RE2.load(files::Words);
    read.forget();
}

void Engine::learn(WordsRead& read)
{
    if (s_.HumanTopic)
        return;
    // A phrase of marks alone (".", "?", ")))") says nothing to answer by: learnt as a key it
    // would catch every later phrase that ends so, and as a fallback it would answer anything.
    if (std::none_of(s_.UserPhrase.begin(), s_.UserPhrase.end(), cp1251::isLetterOrDigit))
        return;

    // The fallback list is still loaded; a phrase it already holds is not added again.
    const bool known =
        s_.RE2.count() > 1 && std::find(s_.RE2.at(1), s_.RE2.end(), s_.UserPhrase) != s_.RE2.end();
    if (!known) {
        if (s_.LastReply.empty())
            return;
        AppendLine(s_.RE2, s_.LastReply.find('?') != std::string::npos ? files::W1 : files::W2,
                   s_.UserPhrase);
    }

    const std::string key = cp1251::upper(s_.UserPhrase);
    if (breaksEntries(s_.UserPhrase) || key.size() + 1 > kMaxEntryLength)
        return;

    FileLock lock(files::Words);
    loadWordsAgain(read);
    if (findHead(s_.RE2, key) != 0)
        return;
    s_.RE2.add(key + kKeyEnd);
    s_.RE2.save(files::Words);

    if (s_.LastReply.empty())
        return;
    const int asked = findHead(s_.RE2, cp1251::upper(s_.LastReply));
    if (asked == 0)
        return;
    std::string entry = withReply(s_.RE2.get(asked), s_.UserPhrase);
    // A line longer than a load reads back would lose its last replies: the entry stays as
    // it is rather than grow past that.
    if (entry.size() > kMaxEntryLength)
        return;
    s_.RE2.remove(asked);
    s_.RE2.add(std::move(entry));
    s_.RE2.save(files::Words);
}

} // namespace tovrin
