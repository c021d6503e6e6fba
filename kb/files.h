#pragma once
// Paths as the program names them ("Base\Words.Dat") and the crash-safe whole-file save.
#include <memory>
#include <string>
#include <string_view>

namespace tovrin {

// Turns a program path into one for this system: "\" separates folders, and a name that does
// not exist as written is matched without regard to case. A path that names a drive letter
// ("D:\Txt.Dat") names nothing on this system and resolves to a path that does not exist.
std::string resolvePath(const std::string& programPath);

// Reads a whole file. Throws FileError "Cannot open file <programPath>".
std::string readWholeFile(const std::string& programPath);

// Replaces a file whole: a temporary file in the same folder, flushed, renamed over the old
// file, then the folder flushed. On any failure the old file stays byte-identical and no
// temporary file is left. An existing file keeps its own name (case included).
// Throws FileError "Cannot create file <programPath>" or "Failed to Save Stream".
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
// copies of the program. It locks a separate lock file in the data file's folder that is
// never replaced. Blocks until the lock is held; released by the destructor.
class FileLock {
public:
    explicit FileLock(const std::string& programPath);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int fd_ = -1;
};

} // namespace tovrin
