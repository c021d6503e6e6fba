#pragma once
// A line list: an ordered list of Windows-1251 lines, loaded from and saved to a file whole.
#include "kb/files.h"
#include "kb/linestore.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tovrin {

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
    //
    // A list loaded from path (and changed since) is saved over what the file holds now: when
    // the file was changed by someone else after the load, the lines added at its end (by hand,
    // say) are kept, added to the end of the list too; a file changed in any other way is left
    // as it is, with "Failed to Save Stream". Under the lock, no copy of the program changes the
    // file meanwhile. A list cleared since its load is a new content for the file.
    void save(const std::string& path);

    int count() const { return static_cast<int>(lines_.size()); }
    // Line i; an index outside 0 .. count()-1 gives an empty line.
    std::string get(int i) const { return std::string(view(i)); }
    // The same without a copy, valid until the list changes.
    std::string_view view(int i) const;
    void add(std::string_view line) { lines_.push_back(line); }
    // Removes line i; an index outside the list does nothing.
    void remove(int i);
    // Removes all lines (their room is kept): the list is new content for any file now.
    void clear()
    {
        lines_.clear();
        origin_.reset();
    }
    // Changes content (and room, and the version of the file held) with other.
    void swap(LineList& other) noexcept
    {
        lines_.swap(other.lines_);
        origin_.swap(other.origin_);
    }
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
    // The version of the file the list holds, as loaded or saved last.
    struct Origin {
        std::string path;
        FileStamp stamp;
        std::uint64_t digest = 0; // of the file's bytes
        std::size_t size = 0; // bytes
        std::size_t lines = 0;
        bool endsAtLine = false; // what is added at the end of the file makes lines of its own
    };
    // The lines added at the end of the file since it was the origin's version, or nothing when
    // it was changed otherwise; the origin then becomes the file as it is now. Throws FileError.
    std::optional<LineStore> addedSince(Origin& origin) const;

    LineStore lines_;
    std::optional<Origin> origin_;
};

// Reads a plain memo (no RTF): lines end at CR LF, a lone CR or a lone LF.
// Throws FileError "Cannot open file <path>".
std::vector<std::string> loadMemo(const std::string& path);

} // namespace tovrin
