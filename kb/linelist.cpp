#include "kb/linelist.h"

#include "kb/fileerror.h"
#include "kb/files.h"
#include "kb/textformat.h"

namespace tovrin {

void LineList::load(const std::string& path)
{
    const std::string bytes = readWholeFile(path);
    if (looksLikeRtf(bytes)) {
        auto lines = readRtf(bytes);
        if (!lines)
            throw FileError::failedToLoad();
        lines_ = std::move(*lines);
    } else {
        lines_ = readPlain(bytes);
    }
}

void LineList::save(const std::string& path) const { saveWholeFile(path, writeRtf(lines_)); }

std::string LineList::get(int i) const
{
    return i >= 0 && i < count() ? lines_[static_cast<size_t>(i)] : std::string();
}

void LineList::remove(int i)
{
    if (i >= 0 && i < count())
        lines_.erase(lines_.begin() + i);
}

std::string LineList::text() const
{
    size_t size = 0;
    for (const auto& line : lines_)
        size += line.size() + 2;
    std::string t;
    t.reserve(size);
    for (const auto& line : lines_) {
        t += line;
        t += "\r\n";
    }
    return t;
}

std::vector<std::string> loadMemo(const std::string& path) { return readPlain(readWholeFile(path)); }

} // namespace tovrin
