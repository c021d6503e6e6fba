#pragma once
// Paths as the program names them ("Base\Words.Dat") and the crash-safe whole-file save.
//
// A program path is Windows-1251 text like every other string of the core; it is turned into
// a UTF-8 file name for this system. Messages always quote the path as the program named it.
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tovrin {

// Turns a program path into one for this system: "\" separates folders, and a name that does
// not exist as written is matched without regard to case, folder by folder (when several
// names match, the first in byte order wins). Relative paths stay relative to the working
// directory. A path that names a drive letter ("D:\Txt.Dat") or a network share names nothing
// on this system and resolves to the empty path, which no file has.
std::string resolvePath(const std::string& programPath);

// True for "D:\Txt.Dat", "d:", "\\server\share": paths that name nothing on this system.
bool namesForeignDrive(std::string_view programPath);

// The largest file that is read or saved, the same both ways, so that whatever is saved loads
// again. An RTF document takes four bytes for each Cyrillic letter, so it holds about a quarter
// of this much text at the least.
constexpr std::size_t kMaxFileSize = std::size_t{1} << 30;
// Lowers the limit for the current thread, so that tests can reach it (0 puts it back).
void setFileSizeLimit(std::size_t bytes);

// What tells one version of a file from another. Every save replaces the file by a new one
// with another inode (a number comes back only after its old file is gone, and then with the
// times of its new writing); a writer that changes a file in place changes its modification
// and change times.
struct FileStamp {
    unsigned long long device = 0;
    unsigned long long inode = 0;
    long long size = 0;
    long long modifiedSeconds = 0;
    long long modifiedNanoseconds = 0;
    long long changedSeconds = 0;
    long long changedNanoseconds = 0;
    bool operator==(const FileStamp&) const = default;
};

// Reads a whole file in one go. Throws FileError "Cannot open file <programPath>" when it
// cannot be opened (missing, a folder, no permission, or a symbolic link that leads from the
// working folder out of it, as for a save) and "Failed to Load Stream" when
// reading fails or the file is larger than any line list could be. With stamp, it also gives
// the stamp the file had when it was opened, before a byte was read.
std::string readWholeFile(const std::string& programPath, FileStamp* stamp = nullptr);

// Room for a file's bytes that is kept from one read to the next: a file read into it again
// takes no new memory unless it grew past the room, which then grows by an eighth more than
// it needs, so that a file that grows by a line a turn is not given new room every turn.
// Only the room is kept: clear() forgets the bytes.
class ReadRoom {
public:
    char* data() { return room_.get(); }
    std::string_view bytes() const { return {room_.get(), size_}; }
    std::size_t size() const { return size_; }
    std::size_t capacity() const { return capacity_; }
    void clear() { size_ = 0; }

private:
    friend void readWholeFile(const std::string&, ReadRoom&, FileStamp*);
    // Room for at least bytes, the bytes read so far kept.
    void reserve(std::size_t bytes);

    std::unique_ptr<char[]> room_;
    std::size_t capacity_ = 0;
    std::size_t size_ = 0;
};

// The same into room. On failure the room holds no bytes.
void readWholeFile(const std::string& programPath, ReadRoom& room, FileStamp* stamp = nullptr);

// The real path of the file that a save of a program path would replace or make (its links
// followed); nothing when the save would be refused for its place.
std::optional<std::string> savedAt(const std::string& programPath);
// The real path of the folder a program path names; nothing when there is none.
std::optional<std::string> realFolder(const std::string& programPath);

// The stamp of the regular file a program path names now; nothing when there is none.
std::optional<FileStamp> currentStamp(const std::string& programPath);

// Replaces a file whole: a temporary file in the same folder, flushed, renamed over the old
// file, then the folder flushed. On any failure the old file stays byte-identical and no
// temporary file is left. An existing file keeps its own name (case included), its
// permissions and, where allowed, its owner; a symbolic link stays a link to the new content.
// Throws FileError "Cannot create file <programPath>" (the folder is missing or not writable,
// the file is read-only or a folder, or a symbolic link leads from the working folder out of
// it) or "Failed to Save Stream" (a write fails, or the file would be larger than
// kMaxFileSize: the old one is kept). The folder is looked at once and everything after is
// done in it as it was found: a link or a folder swapped in meanwhile is never followed.
//
// A file without any write permission bit is read-only for every user, the superuser too.
// The temporary is locked while it is written. While this thread holds the Base lock of the
// folder, every temporary file that a killed save left there (locked by nobody) is removed
// before the new one is written; otherwise only those of the same file over an hour old are,
// after the save.
void saveWholeFile(const std::string& programPath, std::string_view bytes);
// The same, with the bytes given piece by piece: each call of nextPiece gives the following
// piece, an empty one ends them. A large file is then never held whole in memory. With saved,
// it also gives the stamp of the file just saved.
void saveWholeFile(const std::string& programPath,
                   const std::function<std::string_view()>& nextPiece);
void saveWholeFile(const std::string& programPath,
                   const std::function<std::string_view()>& nextPiece, FileStamp* saved);

// The seam through which tests fail one operation of a save.
enum class SaveStep { Open, Write, Flush, Rename };
class SaveFaults {
public:
    virtual ~SaveFaults() = default;
    // Return true to make this step fail.
    virtual bool fail(SaveStep step) = 0;
};
// Installs a fault seam for the current thread (nullptr removes it).
void setSaveFaults(SaveFaults* faults);

// Removes the temporary files that killed saves left in the folder of programPath, when the
// Base lock of that folder is free at this moment (nobody is saving there then); when it is
// not, nothing is done and nothing waited for. Called at start-up.
void removeAbandonedSaves(const std::string& programPath);

// Called once, on the waiting thread, when a FileLock has waited a second for another copy of
// the program; the wait then goes on until the lock is free. Set by the front end (nullptr: no
// notice).
void setLockWaitNotice(std::function<void()> notice);

// An advisory lock that makes a load-change-save of a file under Base\ exclusive between
// copies of the program. It locks "<folder>/.tovrin.lock" in the data file's folder, created
// when missing and never replaced or deleted. Blocks until the lock is held (after a second,
// the lock-wait notice is given); released by the destructor. Taking it again on the same
// thread while held (for any file of that folder) does not block. Without the folder (or a
// foreign drive, or a folder that leads out of the working folder) nothing is locked and
// nothing is thrown: the load that follows reports the missing file; nor in a folder where
// nothing can be written and no lock file is, since no save can be made there.
// A lock file that cannot be opened (no permission, a symbolic link, not a regular file) or
// locked throws FileError "Cannot open file <folder>\.tovrin.lock": the change it was to guard
// is not made.
class FileLock {
public:
    explicit FileLock(const std::string& programPath);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // True when the lock is held (false only when its folder cannot be used).
    bool held() const { return held_; }

private:
    bool held_ = false;
    unsigned long long device_ = 0;
    unsigned long long inode_ = 0;
};

} // namespace tovrin
