#include "kb/knowledge.h"

#include "kb/entry.h"
#include "kb/linelist.h"

namespace tovrin {

KnowledgeCounts CountKnowledge(const LineList& words)
{
    KnowledgeCounts counts;
    const auto& lines = words.lines();
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string& line = lines[i];
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
