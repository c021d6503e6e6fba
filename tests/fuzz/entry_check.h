#pragma once
// The checks that the entry fuzzer runs on every input, shared with the corpus test: the
// operations on one line of the knowledge file, and the scan that finds a key in a phrase.
#include "engine/match.h"
#include "kb/cp1251.h"
#include "kb/entry.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace tovrin::fuzz {

// The input is a line of the knowledge file; split at its first NUL byte it is also a phrase
// and a key.
inline std::string checkEntryLine(std::string_view line)
{
    const size_t caret = line.find('^');
    const std::string_view head = line.substr(0, std::min(caret, line.size()));
    const size_t depth = std::min(head.find_first_not_of('_'), head.size());
    const int replies = static_cast<int>(std::count(line.begin(), line.end(), ';'));

    if (EntryDepth(line) != static_cast<int>(std::min(line.find_first_not_of('_'), line.size())))
        return "EntryDepth is not the number of leading underscores";
    if (EntryHead(line) != head)
        return "EntryHead is not the text before the first caret";
    if (EntryKey(line) != head.substr(depth))
        return "EntryKey is not the head without its underscores";
    if (EntryHasReplies(line) != (caret != std::string_view::npos && caret + 1 < line.size()))
        return "EntryHasReplies disagrees with the place of the caret";
    if (EntryReplyCount(line) != replies)
        return "EntryReplyCount is not the number of semicolons";
    if (EntryHasFarewell(line) != (!line.empty() && line.back() == '@'))
        return "EntryHasFarewell is not the last character";
    for (int r = -1; r <= replies + 1; ++r)
        if (EntryReply(line, r).find(';') != std::string::npos)
            return "a reply holds a semicolon";

    const EntryFault fault = CheckEntry(line);
    if (EntryFaultText(fault) == nullptr || *EntryFaultText(fault) == '\0')
        return "a fault without a text";
    if (fault == EntryFault::Ok) {
        const std::string key = EntryKey(line);
        if (key.empty() || key.back() == ' ' || key.find_first_of(";^") != std::string::npos)
            return "a well-formed entry with a broken key";
        if (EntryHasReplies(line) && replies == 0)
            return "a well-formed entry with text after the caret but no reply";
        // A well-formed entry is exactly its head, the caret, its replies each closed by a
        // semicolon and the farewell mark.
        std::string rebuilt = EntryHead(line) + "^";
        for (int r = 1; r <= replies; ++r) {
            const std::string reply = EntryReply(line, r);
            if (reply.empty())
                return "a well-formed entry with an empty reply";
            rebuilt += reply + ";";
        }
        if (EntryHasFarewell(line))
            rebuilt += '@';
        if (rebuilt != line)
            return "a well-formed entry is not its head, replies and mark";
        if (EntryAnswers(line) != EntryHasReplies(line))
            return "EntryAnswers disagrees with EntryHasReplies";
    } else if (EntryAnswers(line)) {
        return "a malformed entry answers";
    }

    const size_t nul = line.find('\0');
    if (nul != std::string_view::npos) {
        const std::string_view phrase = line.substr(0, nul);
        const std::string_view key = line.substr(nul + 1);
        const int end = ContainsKey(phrase, key);
        if (end < 0 || end > static_cast<int>(phrase.size()))
            return "ContainsKey gave a position outside the phrase";
        if (end != 0 &&
            cp1251::upper(phrase).substr(static_cast<size_t>(end) - key.size(), key.size()) != key)
            return "ContainsKey found the key where the phrase does not hold it";
        if (end != 0 && key.empty())
            return "ContainsKey found an empty key";
        if (!key.empty() && key.find(' ') == std::string_view::npos &&
            ContainsWords(phrase, key) != (end != 0))
            return "for a one-word key the two passes disagree";
        (void)ContainsWords(phrase, key);
    }
    return {};
}

} // namespace tovrin::fuzz
