#pragma once
// Test helpers for the files layer and everything above it: a scratch working folder, the
// message of a failed file operation, and Windows-1251 shorthands.
#include "kb/linelist.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tovrin::test {

// A fresh temporary folder that becomes the working directory for the test's lifetime and is
// removed afterwards. With withData, the delivered data/ is copied into it first.
class ScratchDir {
public:
    explicit ScratchDir(bool withData = false);
    ~ScratchDir();
    const std::filesystem::path& path() const { return path_; }
    // Writes a file (a program path such as "Base\\W1.Dat" is accepted) as raw bytes.
    void write(const std::string& programPath, const std::string& bytes) const;
    // Writes lines as plain Windows-1251 text with CR LF (lines given in UTF-8).
    void writeLines(const std::string& programPath,
                    const std::vector<std::string>& utf8Lines) const;
    // The lines of a line-list file, in UTF-8.
    std::vector<std::string> readLines(const std::string& programPath) const;
    bool exists(const std::string& programPath) const;
    void remove(const std::string& programPath) const;

private:
    std::filesystem::path path_;
    std::filesystem::path previous_;
};

// The bytes of a file as they are on disk ("" when it cannot be read).
std::string bytesOf(const std::filesystem::path& file);

// The message of the FileError that f throws, or "" when it throws none.
std::string errorOf(const std::function<void()>& f);

// UTF-8 <-> Windows-1251 shorthands for readable tests.
std::string cp(const std::string& utf8);
// A line list of the given lines (UTF-8), in Windows-1251.
LineList utf8List(const std::vector<std::string>& utf8Lines);
std::string utf(const std::string& cp1251);

} // namespace tovrin::test
