#include "kb/files.h"

#include "kb/cp1251.h"
#include "kb/fileerror.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <thread>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tovrin {

namespace {

constexpr std::string_view kLockName = ".tovrin.lock";
// Long enough to tell which file a stray temporary belonged to, short enough for any name.
constexpr size_t kTempNameStem = 96;

thread_local SaveFaults* tSaveFaults = nullptr;
thread_local size_t tFileSizeLimit = 0;

size_t fileSizeLimit() { return tFileSizeLimit != 0 ? tFileSizeLimit : kMaxFileSize; }

bool injectedFault(SaveStep step) { return tSaveFaults != nullptr && tSaveFaults->fail(step); }

bool exists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::string joinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    if (folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

// The name in folder that equals name (Windows-1251) without regard to case.
std::optional<std::string> findIgnoringCase(const std::string& folder, const std::string& name)
{
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr)
        return std::nullopt;
    const std::string wanted = cp1251::upper(name);
    std::optional<std::string> best;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string entryName = entry->d_name;
        if (entryName == "." || entryName == "..")
            continue;
        // Only a name that Windows-1251 can spell can be the one the program means.
        const std::string asCp1251 = cp1251::fromUtf8(entryName);
        if (cp1251::toUtf8(asCp1251) != entryName || cp1251::upper(asCp1251) != wanted)
            continue;
        if (!best || entryName < *best)
            best = entryName;
    }
    ::closedir(dir);
    return best;
}

std::pair<std::string, std::string> splitFolder(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {".", path};
    if (slash == 0)
        return {"/", path.substr(1)};
    return {path.substr(0, slash), path.substr(slash + 1)};
}

// The permissions a new file gets from the process's umask, read without changing it.
mode_t newFileMode()
{
    mode_t mask = 022;
    if (FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        while (std::fgets(line, sizeof line, status)) {
            unsigned value = 0;
            if (std::sscanf(line, "Umask: %o", &value) == 1) {
                mask = static_cast<mode_t>(value);
                break;
            }
        }
        std::fclose(status);
    }
    return 0666 & ~mask;
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

} // namespace

bool namesForeignDrive(std::string_view programPath)
{
    const bool driveLetter = programPath.size() >= 2 && programPath[1] == ':' &&
        ((programPath[0] >= 'A' && programPath[0] <= 'Z') ||
         (programPath[0] >= 'a' && programPath[0] <= 'z'));
    return driveLetter || programPath.starts_with("\\\\");
}

std::string resolvePath(const std::string& programPath)
{
    if (namesForeignDrive(programPath) || programPath.empty())
        return {};

    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t i = 0; i <= programPath.size(); ++i) {
        if (i == programPath.size() || programPath[i] == '\\' || programPath[i] == '/') {
            if (i > start)
                parts.push_back(programPath.substr(start, i - start));
            start = i + 1;
        }
    }

    std::string path = programPath[0] == '\\' || programPath[0] == '/' ? "/" : "";
    bool missing = false; // below a missing folder nothing can be matched
    for (const auto& part : parts) {
        const std::string asWritten = cp1251::toUtf8(part);
        const std::string candidate = joinPath(path, asWritten);
        if (missing || part == "." || part == ".." || exists(candidate)) {
            path = candidate;
            continue;
        }
        if (const auto match = findIgnoringCase(path, part)) {
            path = joinPath(path, *match);
        } else {
            missing = true;
            path = candidate;
        }
    }
    return path;
}

namespace {

FileStamp stampOf(const struct stat& st)
{
    FileStamp stamp;
    stamp.device = static_cast<unsigned long long>(st.st_dev);
    stamp.inode = static_cast<unsigned long long>(st.st_ino);
    stamp.size = static_cast<long long>(st.st_size);
    stamp.modifiedSeconds = static_cast<long long>(st.st_mtim.tv_sec);
    stamp.modifiedNanoseconds = static_cast<long long>(st.st_mtim.tv_nsec);
    stamp.changedSeconds = static_cast<long long>(st.st_ctim.tv_sec);
    stamp.changedNanoseconds = static_cast<long long>(st.st_ctim.tv_nsec);
    return stamp;
}

// The path with "." and ".." taken away by their names alone, links not followed.
std::string lexicallyNormal(const std::string& path)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i != path.size() && path[i] != '/')
            continue;
        const std::string part = path.substr(start, i - start);
        start = i + 1;
        if (part.empty() || part == ".")
            continue;
        if (part == ".." && !parts.empty() && parts.back() != "..")
            parts.pop_back();
        else if (part != ".." || path.front() != '/')
            parts.push_back(part);
    }
    std::string out = path.starts_with('/') ? "/" : "";
    for (const auto& part : parts)
        out += (out.empty() || out.back() == '/' ? "" : "/") + part;
    return out.empty() ? "." : out;
}

std::optional<std::string> realPath(const std::string& path)
{
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr)
        return std::nullopt;
    std::string result = real;
    std::free(real);
    return result;
}

bool within(const std::string& path, const std::string& folder)
{
    return path == folder ||
        (path.starts_with(folder) && (folder.ends_with('/') || path[folder.size()] == '/'));
}

// A descriptor closed when it goes.
class Descriptor {
public:
    Descriptor() = default;
    explicit Descriptor(int descriptor) : fd(descriptor) {}
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Descriptor(Descriptor&& other) noexcept : fd(std::exchange(other.fd, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept
    {
        std::swap(fd, other.fd);
        return *this;
    }
    int fd = -1;
};

std::string workingFolder()
{
    char* cwd = ::getcwd(nullptr, 0); // the kernel's own name of it: no link on the way
    if (cwd == nullptr)
        return {};
    std::string folder = cwd;
    std::free(cwd);
    return folder;
}

// Where an open folder really is now, whatever path led to it (folderPath, the path it was
// opened by, serves where /proc does not).
std::optional<std::string> folderOf(int fd, const std::string& folderPath)
{
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    std::string real(4096, '\0');
    const ssize_t n = ::readlink(link, real.data(), real.size());
    if (n > 0 && static_cast<size_t>(n) < real.size() && real[0] == '/') {
        real.resize(static_cast<size_t>(n));
        return real;
    }
    struct stat open {};
    struct stat named {};
    const auto candidate = realPath(folderPath);
    if (candidate && ::fstat(fd, &open) == 0 && ::stat(candidate->c_str(), &named) == 0 &&
        open.st_dev == named.st_dev && open.st_ino == named.st_ino)
        return candidate;
    return std::nullopt;
}

// The place a file is read from or saved to: its folder, open, and its name there, which was
// no symbolic link when it was looked at. Everything that follows is done relative to the
// open folder, so a folder or a link swapped for another after the look leads nowhere else.
struct Place {
    Descriptor folder;
    std::string real; // the folder's real path
    std::string name;
    bool exists = false;
    struct stat st {}; // of the file, when it exists
};

constexpr int kMaxLinks = 16;

// Follows the links of a file (a link stays a link: the file it leads to is the one read or
// replaced). Nothing when the folder is missing, when the name cannot be a file's, when a link
// leads nowhere or round in a loop, or when a path that names a place in the working folder
// leads out of it through a link on the way: a Base folder received from someone else may
// hold such links. A path that names another place to begin with is the user's own choice.
std::optional<Place> findPlace(const std::string& path)
{
    const std::string working = workingFolder();
    const bool confined = !working.empty() &&
        within(lexicallyNormal(path.starts_with('/') ? path : working + "/" + path), working);
    std::string current = path;
    for (int links = 0; links <= kMaxLinks; ++links) {
        const auto [folderPath, name] = splitFolder(current);
        if (name.empty() || name == "." || name == "..")
            return std::nullopt;
        Place place;
        place.folder =
            Descriptor(::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY));
        if (place.folder.fd < 0)
            return std::nullopt;
        const auto real = folderOf(place.folder.fd, folderPath);
        if (!real || (confined && !within(*real, working)))
            return std::nullopt;
        place.real = *real;
        place.name = name;
        if (::fstatat(place.folder.fd, name.c_str(), &place.st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT || links > 0)
                return std::nullopt; // a link that leads nowhere: no telling where to
            return place;
        }
        if (!S_ISLNK(place.st.st_mode)) {
            place.exists = true;
            return place;
        }
        std::string target(4096, '\0');
        const ssize_t n = ::readlinkat(place.folder.fd, name.c_str(), target.data(), target.size());
        if (n <= 0 || static_cast<size_t>(n) >= target.size())
            return std::nullopt;
        target.resize(static_cast<size_t>(n));
        current = target.starts_with('/') ? target : joinPath(*real, target);
    }
    return std::nullopt;
}

} // namespace

std::optional<FileStamp> currentStamp(const std::string& programPath)
{
    const std::string path = resolvePath(programPath);
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return stampOf(st);
}

void ReadRoom::reserve(std::size_t bytes)
{
    if (bytes <= capacity_)
        return;
    const std::size_t capacity = std::max(bytes, capacity_ + capacity_ / 8 + 4096);
    auto room = std::make_unique_for_overwrite<char[]>(capacity);
    if (size_ != 0)
        std::memcpy(room.get(), room_.get(), size_);
    room_ = std::move(room);
    capacity_ = capacity;
}

void readWholeFile(const std::string& programPath, ReadRoom& room, FileStamp* stamp)
{
    room.clear();
    const std::string path = resolvePath(programPath);
    if (path.empty())
        throw FileError::cannotOpen(programPath);
    // A link out of the working folder is not followed, and the file is opened in the folder
    // that was checked, never through a link put in its place meanwhile. Not blocking, so
    // that a named pipe in place of the file is refused rather than waited on.
    const auto place = findPlace(path);
    if (!place || !place->exists)
        throw FileError::cannotOpen(programPath);
    const int fd = ::openat(place->folder.fd, place->name.c_str(),
                            O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0)
        throw FileError::cannotOpen(programPath);
    const Descriptor closer(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        throw FileError::cannotOpen(programPath);
    const size_t expected = static_cast<size_t>(st.st_size);
    const size_t limit = fileSizeLimit();
    if (expected > limit)
        throw FileError::failedToLoad();
    if (stamp != nullptr)
        *stamp = stampOf(st);

    // One read for the whole file (the byte of room beyond it tells that it ended); the loop
    // only goes on if the file grew meanwhile.
    room.reserve(expected + 1);
    size_t got = 0;
    for (;;) {
        if (got == room.capacity()) {
            if (got > limit) {
                room.clear();
                throw FileError::failedToLoad();
            }
            room.size_ = got;
            room.reserve(std::min(limit + 1, got * 2));
        }
        const ssize_t n = ::read(fd, room.data() + got, room.capacity() - got);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            room.clear();
            throw FileError::failedToLoad();
        }
        if (n == 0)
            break;
        got += static_cast<size_t>(n);
    }
    if (got > limit) {
        room.clear();
        throw FileError::failedToLoad();
    }
    room.size_ = got;
}

std::string readWholeFile(const std::string& programPath, FileStamp* stamp)
{
    ReadRoom room;
    readWholeFile(programPath, room, stamp);
    return std::string(room.bytes());
}

std::optional<std::string> savedAt(const std::string& programPath)
{
    const std::string target = resolvePath(programPath);
    if (target.empty())
        return std::nullopt;
    const auto place = findPlace(target);
    if (!place)
        return std::nullopt;
    return joinPath(place->real, place->name);
}

std::optional<std::string> realFolder(const std::string& programPath)
{
    const std::string folderPath = resolvePath(programPath);
    if (folderPath.empty())
        return std::nullopt;
    const Descriptor folder(
        ::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY));
    if (folder.fd < 0)
        return std::nullopt;
    return folderOf(folder.fd, folderPath);
}

namespace {

// A save that was killed between creating its temporary file and the rename leaves that file
// behind, as large as the file it was to replace. A save holds a lock on its temporary while
// it writes it (the system lets it go when the save ends, killed or not), so a temporary that
// can be locked is abandoned. Under the Base lock every such file of the folder goes; without
// it, only those of the saved file's own name old enough that no save can still be writing them.
constexpr time_t kAbandonedAfterSeconds = 60 * 60;
constexpr size_t kTempSuffixLength = 6; // the random end of the temporary's name

std::string tempPrefix(const std::string& name)
{
    return ".~" + name.substr(0, kTempNameStem) + ".";
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// name is empty for the temporaries of every file of the folder.
void removeAbandonedTemporaries(int folder, const std::string& name, bool anyAge)
{
    const std::string prefix = name.empty() ? ".~" : tempPrefix(name);
    const int listed = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listed < 0)
        return;
    DIR* dir = ::fdopendir(listed);
    if (dir == nullptr) {
        ::close(listed);
        return;
    }
    const time_t now = ::time(nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string entryName = entry->d_name;
        if (!entryName.starts_with(prefix))
            continue;
        if (name.empty() ? entryName.size() < prefix.size() + 2 + kTempSuffixLength ||
                    entryName[entryName.size() - kTempSuffixLength - 1] != '.'
                         : entryName.size() != prefix.size() + kTempSuffixLength)
            continue;
        const Descriptor temp(::openat(folder, entryName.c_str(),
                                       O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW));
        struct stat open {};
        struct stat named {};
        if (temp.fd < 0 || ::fstat(temp.fd, &open) != 0 || !S_ISREG(open.st_mode) ||
            (!anyAge && now - open.st_mtim.tv_sec <= kAbandonedAfterSeconds))
            continue;
        // Held by a save that is writing it: not abandoned.
        if (::flock(temp.fd, LOCK_EX | LOCK_NB) != 0)
            continue;
        if (::fstatat(folder, entryName.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            sameFile(open, named))
            ::unlinkat(folder, entryName.c_str(), 0);
    }
    ::closedir(dir);
}

// The lock file's identity, as the held locks are kept.
using LockKey = std::pair<unsigned long long, unsigned long long>;

struct HeldLock {
    int fd = -1;
    int holders = 0;
};

// The locks this thread holds, by the lock file's identity, so that taking one again is
// free: flock() would make a second descriptor of the same thread wait for the first.
thread_local std::map<LockKey, HeldLock> tHeldLocks;

bool holdsLockOf(int folder)
{
    struct stat st {};
    if (tHeldLocks.empty() ||
        ::fstatat(folder, std::string(kLockName).c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    return tHeldLocks.contains(
        {static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino)});
}

// The temporary file of a save, in the folder of the file it replaces, locked while it is
// written and removed unless it was renamed into place.
class TempFile {
public:
    TempFile(int folder, std::string name, int fd) :
        folder_(folder),
        name_(std::move(name)),
        fd_(fd)
    {
    }
    ~TempFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
        if (!committed_)
            ::unlinkat(folder_, name_.c_str(), 0);
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    // A new temporary for the file name, already locked, or nothing when none can be made.
    static std::unique_ptr<TempFile> create(int folder, const std::string& name)
    {
        static constexpr char kLetters[] =
            "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
        thread_local std::mt19937_64 random{std::random_device{}() ^
                                            static_cast<std::uint64_t>(::getpid())};
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::string tempName = tempPrefix(name);
            for (size_t i = 0; i < kTempSuffixLength; ++i)
                tempName += kLetters[random() % (sizeof kLetters - 1)];
            const int fd =
                ::openat(folder, tempName.c_str(),
                         O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0600);
            if (fd < 0) {
                if (errno == EEXIST)
                    continue;
                return nullptr;
            }
            auto temp = std::make_unique<TempFile>(folder, tempName, fd);
            // Another copy's clean-up may have found it between its creation and the lock, and
            // removed it: then another one is made.
            struct stat open {};
            struct stat named {};
            while (::flock(fd, LOCK_EX) != 0)
                if (errno != EINTR)
                    return nullptr;
            if (::fstat(fd, &open) == 0 &&
                ::fstatat(folder, tempName.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
                sameFile(open, named))
                return temp;
            temp->committed_ = true; // gone already: nothing of this one to remove
        }
        return nullptr;
    }

    int fd() const { return fd_; }
    const std::string& name() const { return name_; }
    void commit() { committed_ = true; }

private:
    int folder_;
    std::string name_;
    int fd_;
    bool committed_ = false;
};

} // namespace

void saveWholeFile(const std::string& programPath, std::string_view bytes)
{
    saveWholeFile(programPath, [bytes, given = false]() mutable {
        return std::exchange(given, true) ? std::string_view() : bytes;
    });
}

void saveWholeFile(const std::string& programPath,
                   const std::function<std::string_view()>& nextPiece)
{
    saveWholeFile(programPath, nextPiece, nullptr);
}

void saveWholeFile(const std::string& programPath,
                   const std::function<std::string_view()>& nextPiece, FileStamp* saved)
{
    const std::string target = resolvePath(programPath);
    if (target.empty())
        throw FileError::cannotCreate(programPath);
    // The place is looked at once; the temporary, the rename and the checks below are all done
    // in its open folder, and the rename replaces whatever stands at the name then, a link
    // included, without following it.
    const auto place = findPlace(target);
    if (!place)
        throw FileError::cannotCreate(programPath);
    const int folder = place->folder.fd;
    const std::string& name = place->name;
    const struct stat& old = place->st;
    const bool replacing = place->exists;
    // A folder, or a file marked read-only, cannot be truncated, so it is not replaced either.
    // A file with no write permission bit at all is read-only for the superuser too.
    if (replacing &&
        (!S_ISREG(old.st_mode) || (old.st_mode & 0222) == 0 ||
         ::faccessat(folder, name.c_str(), W_OK, AT_EACCESS | AT_SYMLINK_NOFOLLOW) != 0))
        throw FileError::cannotCreate(programPath);

    // Under the lock the room that killed saves took is given back first, so that a full disk
    // does not stay full.
    const bool locked = holdsLockOf(folder);
    if (locked)
        removeAbandonedTemporaries(folder, {}, true);
    if (injectedFault(SaveStep::Open))
        throw FileError::cannotCreate(programPath);
    const auto temp = TempFile::create(folder, name);
    if (!temp)
        throw FileError::cannotCreate(programPath);

    if (replacing) {
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid())
            (void)!::fchown(temp->fd(), old.st_uid, old.st_gid); // only where allowed
        ::fchmod(temp->fd(), old.st_mode & 07777);
    } else {
        ::fchmod(temp->fd(), newFileMode());
    }

    if (injectedFault(SaveStep::Write))
        throw FileError::failedToSave();
    // A file that a load would refuse is not written: the old one stays.
    const size_t limit = fileSizeLimit();
    size_t written = 0;
    for (std::string_view piece = nextPiece(); !piece.empty(); piece = nextPiece()) {
        written += piece.size();
        if (written > limit || !writeAll(temp->fd(), piece))
            throw FileError::failedToSave();
    }
    if (injectedFault(SaveStep::Flush) || ::fsync(temp->fd()) != 0)
        throw FileError::failedToSave();
    // A close that fails (a network file system reports late) fails the save; a second
    // descriptor keeps the temporary locked until it is in place.
    {
        const int second = ::dup(temp->fd());
        if (second < 0 || ::close(second) != 0)
            throw FileError::failedToSave();
    }
    if (injectedFault(SaveStep::Rename) ||
        ::renameat(folder, temp->name().c_str(), folder, name.c_str()) != 0)
        throw FileError::failedToSave();
    temp->commit();
    struct stat now {};
    if (saved != nullptr && ::fstat(temp->fd(), &now) == 0)
        *saved = stampOf(now);
    // The rename is already done; a file system that cannot flush a folder has still
    // replaced the file, so this is best effort.
    ::fsync(folder);
    if (!locked)
        removeAbandonedTemporaries(folder, name, false);
}

void setSaveFaults(SaveFaults* faults) { tSaveFaults = faults; }

void setFileSizeLimit(size_t bytes) { tFileSizeLimit = bytes; }

// ---- the lock

namespace {

// How long a lock is waited for before the front end is told, and how often it is tried
// meanwhile.
constexpr auto kLockNoticeAfter = std::chrono::seconds(1);
constexpr auto kLockRetry = std::chrono::milliseconds(20);

std::mutex gLockNoticeMutex;
std::function<void()> gLockNotice;

void noticeLongWait()
{
    std::function<void()> notice;
    {
        const std::lock_guard guard(gLockNoticeMutex);
        notice = gLockNotice;
    }
    if (notice)
        notice();
}

// The folder of a program path's file, open; none when it is missing or leads out of the
// working folder (then nothing can be read or saved there either, and the load says so).
Descriptor openFolderOf(const std::string& target)
{
    const std::string folderPath = splitFolder(target).first;
    Descriptor folder(::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY));
    if (folder.fd < 0)
        return {};
    const std::string working = workingFolder();
    const auto real = folderOf(folder.fd, folderPath);
    const bool confined = !working.empty() &&
        within(
            lexicallyNormal(folderPath.starts_with('/') ? folderPath : working + "/" + folderPath),
            working);
    if (!real || (confined && !within(*real, working)))
        return {};
    return folder;
}

// The lock file's name as the program names it, for the message: beside the file it guards.
std::string lockProgramPath(const std::string& programPath)
{
    const size_t slash = programPath.find_last_of("\\/");
    return (slash == std::string::npos ? std::string() : programPath.substr(0, slash + 1)) +
        std::string(kLockName);
}

// What opening the lock file of a folder gave.
enum class LockFile { Open, Unneeded, Failed };

// Opens the lock file, made when missing. A link in its place is never followed, nor made
// into a file elsewhere. In a folder where nothing can be written, without a lock file, no lock
// is needed: no save can be made there, and each one says so.
LockFile openLockFile(int folder, Descriptor& lock)
{
    const char* const name = kLockName.data();
    constexpr int kFlags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW;
    lock = Descriptor(::openat(folder, name, O_RDWR | O_CREAT | kFlags, 0666));
    if (lock.fd < 0) {
        const int created = errno;
        if (created != EACCES && created != EROFS && created != EPERM)
            return LockFile::Failed;
        lock = Descriptor(::openat(folder, name, O_RDONLY | kFlags)); // a read-only folder
        if (lock.fd < 0)
            return errno == ENOENT ? LockFile::Unneeded : LockFile::Failed;
    }
    struct stat st {};
    if (::fstat(lock.fd, &st) != 0 || !S_ISREG(st.st_mode))
        return LockFile::Failed;
    return LockFile::Open;
}

bool tryLock(int fd)
{
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        if (errno != EINTR)
            return false;
    return true;
}

// Waits for the lock: quietly for a second, then after telling the front end.
bool waitForLock(int fd)
{
    const auto noticeAt = std::chrono::steady_clock::now() + kLockNoticeAfter;
    for (;;) {
        if (tryLock(fd))
            return true;
        if (errno != EWOULDBLOCK)
            return false;
        if (std::chrono::steady_clock::now() >= noticeAt)
            break;
        std::this_thread::sleep_for(kLockRetry);
    }
    noticeLongWait();
    while (::flock(fd, LOCK_EX) != 0)
        if (errno != EINTR)
            return false;
    return true;
}

} // namespace

void setLockWaitNotice(std::function<void()> notice)
{
    const std::lock_guard guard(gLockNoticeMutex);
    gLockNotice = std::move(notice);
}

void removeAbandonedSaves(const std::string& programPath)
{
    const std::string target = resolvePath(programPath);
    if (target.empty())
        return;
    const Descriptor folder = openFolderOf(target);
    if (folder.fd < 0)
        return;
    if (holdsLockOf(folder.fd)) {
        removeAbandonedTemporaries(folder.fd, {}, true);
        return;
    }
    Descriptor lock;
    if (openLockFile(folder.fd, lock) == LockFile::Open && tryLock(lock.fd))
        removeAbandonedTemporaries(folder.fd, {}, true);
} // closing the lock file releases the lock

FileLock::FileLock(const std::string& programPath)
{
    const std::string target = resolvePath(programPath);
    if (target.empty())
        return;
    const Descriptor folder = openFolderOf(target);
    if (folder.fd < 0)
        return;
    Descriptor lock;
    const LockFile opened = openLockFile(folder.fd, lock);
    if (opened == LockFile::Unneeded)
        return;
    // A lock that cannot be taken fails what it was to guard: going on without it would let
    // copies that share the folder lose each other's changes.
    struct stat st {};
    if (opened == LockFile::Failed || ::fstat(lock.fd, &st) != 0)
        throw FileError::cannotOpen(lockProgramPath(programPath));
    const LockKey key{static_cast<unsigned long long>(st.st_dev),
                      static_cast<unsigned long long>(st.st_ino)};
    if (auto it = tHeldLocks.find(key); it != tHeldLocks.end()) {
        ++it->second.holders;
    } else {
        if (!waitForLock(lock.fd))
            throw FileError::cannotOpen(lockProgramPath(programPath));
        tHeldLocks.emplace(key, HeldLock{std::exchange(lock.fd, -1), 1});
    }
    held_ = true;
    device_ = key.first;
    inode_ = key.second;
}
FileLock::~FileLock()
{
    if (!held_)
        return;
    const auto it = tHeldLocks.find({device_, inode_});
    if (it == tHeldLocks.end())
        return;
    if (--it->second.holders == 0) {
        ::close(it->second.fd); // closing the last descriptor releases the lock
        tHeldLocks.erase(it);
    }
}

} // namespace tovrin
