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

// The temporary file of a save, removed unless it was renamed into place.
class TempFile {
public:
    TempFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    ~TempFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
        if (!committed_)
            ::unlink(path_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    int fd() const { return fd_; }
    const std::string& path() const { return path_; }
    bool close()
    {
        const int fd = std::exchange(fd_, -1);
        return ::close(fd) == 0;
    }
    void commit() { committed_ = true; }

private:
    int fd_;
    std::string path_;
    bool committed_ = false;
};

void flushFolder(const std::string& folder)
{
    // The rename is already done; a file system that cannot flush a folder has still
    // replaced the file, so this is best effort.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
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
    // Not blocking, so that a named pipe in place of the file is refused rather than waited on.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        throw FileError::cannotOpen(programPath);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};

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

namespace {

// A save that was killed between creating its temporary file and the rename leaves that file
// behind, as large as the file it was to replace. Under the Base lock nobody else is saving in
// that folder, so every such file there is abandoned; without it, only one old enough that no
// save can still be writing it.
constexpr time_t kAbandonedAfterSeconds = 60 * 60;
constexpr size_t kTempSuffixLength = 6; // the XXXXXX of the temporary's name

std::string tempPrefix(const std::string& name) { return ".~" + name.substr(0, kTempNameStem) + "."; }

// name is empty for the temporaries of every file of the folder.
void removeAbandonedTemporaries(const std::string& folder, const std::string& name, bool anyAge)
{
    const std::string prefix = name.empty() ? ".~" : tempPrefix(name);
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr)
        return;
    const time_t now = ::time(nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view entryName = entry->d_name;
        if (!entryName.starts_with(prefix))
            continue;
        if (name.empty() ? entryName.size() < prefix.size() + 2 + kTempSuffixLength ||
                               entryName[entryName.size() - kTempSuffixLength - 1] != '.'
                         : entryName.size() != prefix.size() + kTempSuffixLength)
            continue;
        const std::string path = joinPath(folder, std::string(entryName));
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            (anyAge || now - st.st_mtim.tv_sec > kAbandonedAfterSeconds))
            ::unlink(path.c_str());
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

bool holdsLockOf(const std::string& folder)
{
    struct stat st {};
    if (tHeldLocks.empty() || ::stat(joinPath(folder, std::string(kLockName)).c_str(), &st) != 0)
        return false;
    return tHeldLocks.contains({static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino)});
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
    return path == folder || (path.starts_with(folder) && (folder.ends_with('/') || path[folder.size()] == '/'));
}

// True when a path that names a place in the working folder leads out of it through a symbolic
// link: of the file itself or of a folder on the way. A path that names another place to begin
// with is the user's own choice.
bool leadsOutOfWorkingFolder(const std::string& path)
{
    char* cwd = ::getcwd(nullptr, 0);
    if (cwd == nullptr)
        return false;
    const std::string workingFolder = cwd;
    std::free(cwd);
    const std::string named = lexicallyNormal(path.starts_with('/') ? path : workingFolder + "/" + path);
    if (!within(named, workingFolder))
        return false;

    // Where the save would land: the file a link leads to, or the real folder of a new file.
    std::string real;
    if (const auto file = realPath(path)) {
        real = *file;
    } else {
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0)
            return true; // a link that leads nowhere (or round in a loop): no telling where to
        const auto [folder, name] = splitFolder(path);
        const auto realFolder = realPath(folder);
        if (!realFolder)
            return false; // no folder: the save fails on its own
        real = *realFolder + "/" + name;
    }
    const std::string realWorkingFolder = realPath(workingFolder).value_or(workingFolder);
    return !within(real, realWorkingFolder);
}

} // namespace

void saveWholeFile(const std::string& programPath, std::string_view bytes)
{
    saveWholeFile(programPath, [bytes, given = false]() mutable {
        return std::exchange(given, true) ? std::string_view() : bytes;
    });
}

void saveWholeFile(const std::string& programPath, const std::function<std::string_view()>& nextPiece)
{
    std::string target = resolvePath(programPath);
    if (target.empty() || leadsOutOfWorkingFolder(target))
        throw FileError::cannotCreate(programPath);

    // A link stays a link: the file it points to is the one replaced.
    struct stat linkStat {};
    if (::lstat(target.c_str(), &linkStat) == 0 && S_ISLNK(linkStat.st_mode))
        target = realPath(target).value_or(target);

    struct stat old {};
    const bool replacing = ::stat(target.c_str(), &old) == 0;
    // A folder, or a file marked read-only, cannot be truncated, so it is not replaced either.
    // A file with no write permission bit at all is read-only for the superuser too.
    if (replacing && (!S_ISREG(old.st_mode) || (old.st_mode & 0222) == 0 ||
                      ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0))
        throw FileError::cannotCreate(programPath);

    const auto [folder, name] = splitFolder(target);
    // Under the lock the room that killed saves took is given back first, so that a full disk
    // does not stay full.
    const bool locked = holdsLockOf(folder);
    if (locked)
        removeAbandonedTemporaries(folder, {}, true);
    std::string pattern = joinPath(folder, tempPrefix(name) + "XXXXXX");
    if (injectedFault(SaveStep::Open))
        throw FileError::cannotCreate(programPath);
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0)
        throw FileError::cannotCreate(programPath);
    TempFile temp(fd, pattern);

    if (replacing) {
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid())
            (void)!::fchown(temp.fd(), old.st_uid, old.st_gid); // only where allowed
        ::fchmod(temp.fd(), old.st_mode & 07777);
    } else {
        ::fchmod(temp.fd(), newFileMode());
    }

    if (injectedFault(SaveStep::Write))
        throw FileError::failedToSave();
    // A file that a load would refuse is not written: the old one stays.
    const size_t limit = fileSizeLimit();
    size_t written = 0;
    for (std::string_view piece = nextPiece(); !piece.empty(); piece = nextPiece()) {
        written += piece.size();
        if (written > limit || !writeAll(temp.fd(), piece))
            throw FileError::failedToSave();
    }
    if (injectedFault(SaveStep::Flush) || ::fsync(temp.fd()) != 0)
        throw FileError::failedToSave();
    if (!temp.close())
        throw FileError::failedToSave();
    if (injectedFault(SaveStep::Rename) || ::rename(temp.path().c_str(), target.c_str()) != 0)
        throw FileError::failedToSave();
    temp.commit();
    flushFolder(folder);
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

int openLockFile(const std::string& folder)
{
    const std::string lockPath = joinPath(folder, std::string(kLockName));
    int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0)
        fd = ::open(lockPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY); // a read-only folder
    return fd;
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
    const std::string folder = splitFolder(target).first;
    if (holdsLockOf(folder)) {
        removeAbandonedTemporaries(folder, {}, true);
        return;
    }
    const int fd = openLockFile(folder);
    if (fd < 0)
        return;
    if (tryLock(fd))
        removeAbandonedTemporaries(folder, {}, true);
    ::close(fd); // releases the lock
}

FileLock::FileLock(const std::string& programPath)
{
    const std::string target = resolvePath(programPath);
    if (target.empty())
        return;
    const int fd = openLockFile(splitFolder(target).first);
    if (fd < 0)
        return;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return;
    }
    const LockKey key{static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino)};
    if (auto it = tHeldLocks.find(key); it != tHeldLocks.end()) {
        ::close(fd);
        ++it->second.holders;
    } else {
        if (!waitForLock(fd)) {
            ::close(fd);
            return;
        }
        tHeldLocks.emplace(key, HeldLock{fd, 1});
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
