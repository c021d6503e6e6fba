#include "kb/knowledge.h"

#include "kb/entry.h"
#include "kb/linelist.h"

#include <algorithm>

namespace tovrin {

KnowledgeCounts CountKnowledge(const LineList& words)
{
    KnowledgeCounts counts;
    // A knowledge file that has lost even its first line knows nothing, not minus one.
    counts.incoming = std::max(0, words.count() - 1);
    for (auto it = words.at(std::min(1, words.count())); it != words.end(); ++it) {
        const std::string_view line = *it;
        if (!EntryWellFormed(line))
            continue;
        if (EntryDepth(line) == 0)
            ++counts.mainPhrases;
        else
            ++counts.branches;
        counts.replies += EntryReplyCount(line);
    }
    return counts;
}

KnowledgeCounts CountKnowledgeFile()
{
    LineList words;
    words.load(files::Words);
    return CountKnowledge(words);
}

std::vector<ListCount> CountOutgoingLists()
{
    std::vector<ListCount> counts;
    LineList list;
    for (const std::string* path : files::OutgoingLists) {
        list.load(*path);
        counts.push_back({*path, list.count()});
    }
    return counts;
}

int CountOutgoing(const KnowledgeCounts& knowledge, const std::vector<ListCount>& lists)
{
    int outgoing = knowledge.replies;
    for (const ListCount& list : lists)
        outgoing += list.count;
    return outgoing;
}

} // namespace tovrin
