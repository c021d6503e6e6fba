#include "engine/phraselists.h"

#include "engine/host.h"
#include "kb/files.h"
#include "kb/knowledge.h"
#include "kb/linelist.h"

namespace tovrin {

std::string DrawPhrase(LineList& work, const std::string& path, Dice& dice)
{
    work.load(path);
    return work.get(dice.random(work.count()));
}

std::string DrawRemark(const LineList& work, Dice& dice)
{
    if (work.count() < 2)
        return {};
    return work.get(1 + dice.random(work.count() - 1));
}

void AppendLine(LineList& work, const std::string& path, const std::string& line)
{
    FileLock lock(path);
    work.load(path);
    work.add(line);
    work.save(path);
}

void RecordProfanity(LineList& work, const std::string& phrase)
{
    AppendLine(work, files::Collection, ">>> " + phrase);
}

} // namespace tovrin
