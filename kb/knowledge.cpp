#include "kb/knowledge.h"

#include "kb/entry.h"
#include "kb/linelist.h"

#include <algorithm>

namespace tovrin {

KnowledgeCounts CountKnowledge(const LineList& words)
{
    KnowledgeCounts counts;
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

} // namespace tovrin
