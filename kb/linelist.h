#pragma once
// A line list: an ordered list of Windows-1251 lines, loaded from and saved to a file whole.
#include "kb/linestore.h"

#include <string>
#include <string_view>
#include <vector>

namespace tovrin {

struct FileStamp;

class LineList {
public:
    LineList() = default;
    explicit LineList(const std::vector<std::string>& lines) : lines_(lines) {}

    // Replaces the content by the file's: RTF if the file begins as an RTF document, else plain
    // text. Lines are never cut, however long. On failure the content stays as it was.
    // The file's bytes and its lines are read into room that the thread keeps from one load to
    // the next (the lines' room changes places with the list's own), so that loading a file
    // again takes no new memory: only room is kept, never a line or a byte of what was read.
    // Throws FileError "Cannot open file <path>" or "Failed to Load Stream" (an RTF document
    // that cannot be read, or a read error).
    void load(const std::string& path);
    // The same, also giving the stamp of the version of the file that was read.
    void load(const std::string& path, FileStamp& stamp);
    // Writes the list as an RTF document, crash-safe: the old file is replaced whole or kept
    // byte for byte. Throws FileError "Cannot create file <path>" or "Failed to Save Stream".
    void save(const std::string& path) const;

    int count() const { return static_cast<int>(lines_.size()); }
    // Line i; an index outside 0 .. count()-1 gives an empty line.
    std::string get(int i) const { return std::string(view(i)); }
    // The same without a copy, valid until the list changes.
    std::string_view view(int i) const;
    void add(std::string_view line) { lines_.push_back(line); }
    // Removes line i; an index outside the list does nothing.
    void remove(int i);
    // Removes all lines; their room is kept.
    void clear() { lines_.clear(); }
    // Changes content (and room) with other.
    void swap(LineList& other) noexcept { lines_.swap(other.lines_); }
    // Lines joined by CR LF, with a final CR LF.
    std::string text() const;

    // The lines in order, as views: for (std::string_view line : list).
    LineStore::const_iterator begin() const { return lines_.begin(); }
    LineStore::const_iterator end() const { return lines_.end(); }
    // The iterator at line i (0 <= i <= count()).
    LineStore::const_iterator at(int i) const { return lines_.at(static_cast<std::size_t>(i)); }
    // A copy of the lines.
    std::vector<std::string> lines() const { return lines_.toVector(); }

private:
    LineStore lines_;
};

// Reads a plain memo (no RTF): lines end at CR LF, a lone CR or a lone LF.
// Throws FileError "Cannot open file <path>".
std::vector<std::string> loadMemo(const std::string& path);

} // namespace tovrin
