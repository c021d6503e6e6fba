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

namespace {

// What a load reads into: the file's bytes, then its lines. Kept by the thread, empty between
// loads, so that loading the same files turn after turn takes the same room again.
struct LoadRoom {
    ReadRoom bytes;
    LineStore lines;
};
thread_local LoadRoom tLoadRoom;

} // namespace

void LineList::load(const std::string& path, FileStamp& stamp)
{
    LoadRoom& room = tLoadRoom;
    struct Forget {
        LoadRoom& room;
        ~Forget()
        {
            room.bytes.clear();
            room.lines.clear();
        }
    } forget{room};
    readWholeFile(path, room.bytes, &stamp);
    if (looksLikeRtf(room.bytes.bytes())) {
        if (!readRtfInPlace(room.bytes.data(), room.bytes.size(), room.lines))
            throw FileError::failedToLoad();
    } else {
        readPlain(room.bytes.bytes(), room.lines);
    }
    // The old lines' room is the next load's.
    lines_.swap(room.lines);
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
