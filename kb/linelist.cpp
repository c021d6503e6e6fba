#include "kb/linelist.h"

#include "kb/fileerror.h"
#include "kb/files.h"
#include "kb/textformat.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <ctime>

namespace tovrin {

void LineList::load(const std::string& path)
{
    FileStamp stamp;
    load(path, stamp);
}

namespace {

// A digest of bytes, taken 64 at a time in eight lanes that the processor works on side by
// side: cheap beside the reading of them. The bytes may come in pieces of any size.
class Digest {
public:
    void add(std::string_view bytes)
    {
        size_ += bytes.size();
        if (filled_ != 0) {
            const size_t take = std::min(bytes.size(), sizeof block_ - filled_);
            std::memcpy(block_ + filled_, bytes.data(), take);
            filled_ += take;
            bytes.remove_prefix(take);
            if (filled_ < sizeof block_)
                return;
            mixBlock(block_);
            filled_ = 0;
        }
        while (bytes.size() >= sizeof block_) {
            mixBlock(bytes.data());
            bytes.remove_prefix(sizeof block_);
        }
        std::memcpy(block_, bytes.data(), bytes.size());
        filled_ = bytes.size();
    }
    std::uint64_t value() const
    {
        Digest last = *this;
        std::memset(last.block_ + last.filled_, 0, sizeof block_ - last.filled_);
        last.mixBlock(last.block_);
        std::uint64_t hash = size_;
        for (const std::uint64_t lane : last.lanes_) {
            hash ^= lane;
            hash *= kPrime;
            hash ^= hash >> 29;
        }
        return hash;
    }

private:
    static constexpr std::uint64_t kPrime = 0x9E3779B185EBCA87ULL;
    static constexpr int kLanes = 8;
    void mixBlock(const char* block)
    {
        std::uint64_t words[kLanes];
        std::memcpy(words, block, sizeof words);
        for (int lane = 0; lane < kLanes; ++lane)
            lanes_[lane] = (lanes_[lane] ^ words[lane]) * kPrime;
    }
    std::uint64_t lanes_[kLanes] = {1, 2, 3, 4, 5, 6, 7, 8};
    char block_[kLanes * 8] = {};
    size_t filled_ = 0;
    std::uint64_t size_ = 0;
};

std::uint64_t digestOf(std::string_view bytes)
{
    Digest digest;
    digest.add(bytes);
    return digest.value();
}

// Text added after these bytes starts a line of its own: after a line break, or after the
// closing brace of an RTF document, whose trailing text is read as lines.
bool endsAtLine(std::string_view bytes, bool rtf)
{
    return bytes.empty() || bytes.back() == '\n' || bytes.back() == '\r' ||
        (rtf && bytes.back() == '}');
}

void readLines(std::string bytes, LineStore& lines)
{
    if (looksLikeRtf(bytes)) {
        if (!readRtf(std::move(bytes), lines))
            throw FileError::failedToLoad();
    } else {
        readPlain(bytes, lines);
    }
}

// The digests of versions of files that loads have read, by the versions' stamps. A load that
// finds the stamp of a version read before takes its digest instead of digesting the bytes
// again: the stamp stands for the bytes as far as a save trusts it to (a file whose stamp is
// unchanged is taken as unchanged). A stamp is trusted so only when the file's last change is
// older than any change that could still keep it: a change within the same tick of the
// system's clock, on the coarsest timestamps a file system keeps, leaves the stamp as it was.
// The stamp names the file by its device and node, so two names of one file share a version.
// The table is fixed room, overwritten in turn: a load never takes memory for it, however
// long the program has run or whenever a file's stamp settles.
struct KnownVersion {
    FileStamp stamp;
    std::uint64_t digest = 0;
};
constexpr std::size_t kKnownVersions = 8;
constexpr long long kStampSettledSeconds = 2;
struct KnownVersions {
    std::array<KnownVersion, kKnownVersions> versions{};
    std::size_t count = 0; // how many of the versions hold one
    std::size_t next = 0; // the one the next new version takes
};
thread_local KnownVersions tKnownVersions;

// The clock the file system stamps changes with, as it stood before the stamp was taken.
long long coarseSecondsNow()
{
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
    return static_cast<long long>(now.tv_sec);
}

std::uint64_t digestOfVersion(const FileStamp& stamp, std::string_view bytes,
                              long long secondsBeforeStamp)
{
    // A stamp that a change made now could still keep says nothing of the bytes.
    const bool settled = stamp.changedSeconds + kStampSettledSeconds <= secondsBeforeStamp &&
        static_cast<std::size_t>(stamp.size) == bytes.size();
    if (!settled)
        return digestOf(bytes);
    KnownVersions& known = tKnownVersions;
    for (std::size_t i = 0; i < known.count; ++i)
        if (known.versions[i].stamp == stamp)
            return known.versions[i].digest;
    KnownVersion& version = known.versions[known.next];
    version = {stamp, digestOf(bytes)};
    known.next = (known.next + 1) % kKnownVersions;
    known.count = std::min(known.count + 1, kKnownVersions);
    return version.digest;
}

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
    const long long secondsBeforeStamp = coarseSecondsNow();
    readWholeFile(path, room.bytes, &stamp);
    // The version read, taken before the reading of an RTF document works in its bytes.
    const std::string_view bytes = room.bytes.bytes();
    const bool rtf = looksLikeRtf(bytes);
    Origin origin{path,         stamp, digestOfVersion(stamp, bytes, secondsBeforeStamp),
                  bytes.size(), 0,     endsAtLine(bytes, rtf)};
    if (rtf) {
        if (!readRtfInPlace(room.bytes.data(), room.bytes.size(), room.lines))
            throw FileError::failedToLoad();
    } else {
        readPlain(bytes, room.lines);
    }
    // The old lines' room is the next load's.
    lines_.swap(room.lines);
    origin.lines = lines_.size();
    origin_ = std::move(origin);
}

std::optional<LineStore> LineList::addedSince(Origin& origin) const
{
    FileStamp stamp;
    std::string bytes = readWholeFile(origin.path, &stamp);
    if (!origin.endsAtLine || bytes.size() < origin.size ||
        digestOf(std::string_view(bytes).substr(0, origin.size)) != origin.digest)
        return std::nullopt;
    Origin now{origin.path,  stamp, digestOf(bytes),
               bytes.size(), 0,     endsAtLine(bytes, looksLikeRtf(bytes))};
    LineStore lines;
    readLines(std::move(bytes), lines);
    if (lines.size() < origin.lines)
        return std::nullopt;
    LineStore added;
    for (auto it = lines.at(origin.lines); it != lines.end(); ++it)
        added.push_back(*it);
    now.lines = lines.size();
    origin = std::move(now);
    return added;
}

void LineList::save(const std::string& path)
{
    // Only a list that holds a version of this file is merged with it; any other is new
    // content for it, and stays so.
    if (!origin_ || origin_->path != path) {
        origin_.reset();
        RtfPieces document(lines_);
        saveWholeFile(path, [&document] { return document.next(); });
        return;
    }
    {
        const auto now = currentStamp(path);
        if (now && *now != origin_->stamp) {
            // The origin becomes the file as it is now, so that a save that fails after this
            // does not take the same lines twice when it is made again.
            Origin origin = *origin_;
            const auto added = addedSince(origin);
            if (!added)
                throw FileError::failedToSave();
            for (const std::string_view line : *added)
                lines_.push_back(line);
            origin_ = std::move(origin);
        }
    }
    // Piece by piece: the document of a large knowledge file is never built whole. What is
    // written is the file's new version, which the list now holds.
    RtfPieces document(lines_);
    Origin saved{path, {}, 0, 0, lines_.size(), true};
    Digest digest;
    saveWholeFile(
        path,
        [&] {
            const std::string_view piece = document.next();
            digest.add(piece);
            saved.size += piece.size();
            return piece;
        },
        &saved.stamp);
    saved.digest = digest.value();
    origin_ = std::move(saved);
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

std::vector<std::string> loadMemo(const std::string& path)
{
    return readPlain(readWholeFile(path));
}

} // namespace tovrin
