#include "kb/knowledge.h"

#include "kb/cp1251.h"
#include "kb/entry.h"
#include "kb/files.h"
#include "kb/linelist.h"

#include <algorithm>

namespace tovrin {

namespace files {

namespace {

std::string nameOf(const std::string& path) { return path.substr(path.find_last_of("\\/") + 1); }

bool sameName(const std::string& systemName, const std::string& programName)
{
    return cp1251::upper(cp1251::fromUtf8(systemName)) == cp1251::upper(programName);
}

} // namespace

bool namesProgramFile(const std::string& programPath)
{
    const auto where = savedAt(programPath);
    if (!where)
        return false;
    const size_t slash = where->rfind('/');
    const std::string folder = slash == 0 ? "/" : where->substr(0, slash);
    const std::string name = where->substr(slash + 1);
    if (folder == realFolder(SoundFolder))
        return true;
    if (folder == realFolder(BaseFolder))
        return name.starts_with('.') ||
            std::any_of(std::begin(BaseFiles), std::end(BaseFiles),
                        [&](const std::string* file) { return sameName(name, nameOf(*file)); });
    return folder == realFolder(".") && sameName(name, ReadMe);
}

} // namespace files

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
