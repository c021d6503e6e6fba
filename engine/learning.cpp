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
    const std::vector<std::string>& lines = words.lines();
    for (std::size_t i = 1; i < lines.size(); ++i)
        if (EntryHeadView(lines[i]) == head && EntryWellFormed(lines[i]))
            return static_cast<int>(i);
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

void Engine::learn()
{
    if (HumanTopic)
        return;

    // The fallback list is still loaded; a phrase it already holds is not added again.
    const std::vector<std::string>& fallback = RE2.lines();
    const bool known =
        fallback.size() > 1 && std::find(fallback.begin() + 1, fallback.end(), UserPhrase) != fallback.end();
    if (!known) {
        if (LastReply.empty())
            return;
        AppendLine(RE2, LastReply.find('?') != std::string::npos ? files::W1 : files::W2, UserPhrase);
    }

    const std::string key = cp1251::upper(UserPhrase);
    if (breaksEntries(UserPhrase) || key.size() + 1 > kMaxEntryLength)
        return;

    FileLock lock(files::Words);
    RE2.load(files::Words);
    if (findHead(RE2, key) != 0)
        return;
    RE2.add(key + kKeyEnd);
    RE2.save(files::Words);

    if (LastReply.empty())
        return;
    const int asked = findHead(RE2, cp1251::upper(LastReply));
    if (asked == 0)
        return;
    std::string entry = withReply(RE2.get(asked), UserPhrase);
    // A line longer than a load reads back would lose its last replies: the entry stays as
    // it is rather than grow past that.
    if (entry.size() > kMaxEntryLength)
        return;
    RE2.remove(asked);
    RE2.add(std::move(entry));
    RE2.save(files::Words);
}

} // namespace tovrin
