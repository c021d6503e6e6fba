#pragma once
// Paths as the program names them ("Base\Words.Dat") and the crash-safe whole-file save.
//
// A program path is Windows-1251 text like every other string of the core; it is turned into
// a UTF-8 file name for this system. Messages always quote the path as the program named it.
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

// Reads a whole file in one go. Throws FileError "Cannot open file <programPath>" when it
// cannot be opened (missing, a folder, no permission) and "Failed to Load Stream" when
// reading fails or the file is larger than any line list could be.
std::string readWholeFile(const std::string& programPath);

// Replaces a file whole: a temporary file in the same folder, flushed, renamed over the old
// file, then the folder flushed. On any failure the old file stays byte-identical and no
// temporary file is left. An existing file keeps its own name (case included), its
// permissions and, where allowed, its owner; a symbolic link stays a link to the new content.
// Throws FileError "Cannot create file <programPath>" (the folder is missing or not writable,
// the file is read-only or a folder) or "Failed to Save Stream".
void saveWholeFile(const std::string& programPath, std::string_view bytes);

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

// An advisory lock that makes a load-change-save of a file under Base\ exclusive between
// copies of the program. It locks "<folder>/.tovrin.lock" in the data file's folder, created
// when missing and never replaced or deleted. Blocks until the lock is held; released by the
// destructor. Taking it again on the same thread while held (for any file of that folder)
// does not block. Without the folder (or a foreign drive) nothing is locked and nothing is
// thrown: the load that follows reports the missing file.
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
