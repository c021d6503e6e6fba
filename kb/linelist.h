#pragma once
// A line list: an ordered list of Windows-1251 lines, loaded from and saved to a file whole.
#include <string>
#include <vector>

namespace tovrin {

class LineList {
public:
    LineList() = default;
    explicit LineList(std::vector<std::string> lines) : lines_(std::move(lines)) {}

    // Replaces the content by the file's: RTF if the file begins as an RTF document, else plain
    // text. Lines are never cut, however long. On failure the content stays as it was.
    // Throws FileError "Cannot open file <path>" or "Failed to Load Stream" (an RTF document
    // that cannot be read, or a read error).
    void load(const std::string& path);
    // Writes the list as an RTF document, crash-safe: the old file is replaced whole or kept
    // byte for byte. Throws FileError "Cannot create file <path>" or "Failed to Save Stream".
    void save(const std::string& path) const;

    int count() const { return static_cast<int>(lines_.size()); }
    // Line i; an index outside 0 .. count()-1 gives an empty line.
    std::string get(int i) const;
    void add(std::string line) { lines_.push_back(std::move(line)); }
    // Removes line i; an index outside the list does nothing.
    void remove(int i);
    void clear() { lines_.clear(); }
    // Lines joined by CR LF, with a final CR LF.
    std::string text() const;

    const std::vector<std::string>& lines() const { return lines_; }
    std::vector<std::string>& lines() { return lines_; }

private:
    std::vector<std::string> lines_;
};

// Reads a plain memo (no RTF): lines end at CR LF, a lone CR or a lone LF.
// Throws FileError "Cannot open file <path>".
std::vector<std::string> loadMemo(const std::string& path);

} // namespace tovrin
