#include "kb/linelist.h"

#include "kb/fileerror.h"
#include "kb/files.h"
#include "kb/textformat.h"

namespace tovrin {

void LineList::load(const std::string& path)
{
    FileStamp stamp;
    load(path, stamp);
}

void LineList::load(const std::string& path, FileStamp& stamp)
{
    std::string bytes = readWholeFile(path, &stamp);
    if (looksLikeRtf(bytes)) {
        if (!readRtf(std::move(bytes), lines_))
            throw FileError::failedToLoad();
    } else {
        readPlain(bytes, lines_);
    }
}

void LineList::save(const std::string& path) const
{
    // Piece by piece: the document of a large knowledge file is never built whole.
    RtfPieces document(lines_);
    saveWholeFile(path, [&document] { return document.next(); });
}

std::string_view LineList::view(int i) const
{
    return i >= 0 && i < count() ? lines_[static_cast<size_t>(i)] : std::string_view();
}

void LineList::remove(int i)
{
    if (i >= 0 && i < count())
        lines_.erase(static_cast<size_t>(i));
}

std::string LineList::text() const
{
    size_t size = 0;
    for (const std::string_view line : lines_)
        size += line.size() + 2;
    std::string t;
    t.reserve(size);
    for (const std::string_view line : lines_) {
        t += line;
        t += "\r\n";
    }
    return t;
}

std::vector<std::string> loadMemo(const std::string& path) { return readPlain(readWholeFile(path)); }

} // namespace tovrin
