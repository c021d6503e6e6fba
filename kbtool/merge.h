#pragma once
// Newer delivered knowledge brought into a user's files without losing what the program learnt.
//
// Three versions of a file take part: the delivered file the user's folder was made from (the
// base), the user's file as the program and the user left it, and the newly delivered one. What
// the delivery changed from base to new is done to the user's file: its new lines go in where
// the new file has them, its changed entries are updated, and lines it removed go unless the
// user's program learnt into them. Everything the user's side did is kept: learnt keys, replies
// learnt into delivered entries, entries that learning moved to the end, lines learnt into the
// lists. An entry that both sides changed otherwise keeps the user's line and gains the new
// delivered replies. Merging the result again with the same base and new file changes nothing,
// so a merge cut short is finished by running it again.
#include <string>
#include <vector>

namespace tovrin::kbtool {

struct MergeCounts {
    int added = 0; // delivered lines (entries) that came in
    int changed = 0; // delivered entries updated in the user's file
    int removed = 0; // lines the delivery dropped that the user's side had left alone
    int learnt = 0; // the user's own lines and entries (learnt or changed) that were kept
    int conflicts = 0; // entries both sides changed: the user's line kept, new replies added
    bool operator==(const MergeCounts&) const = default;
};

struct MergeResult {
    std::vector<std::string> lines;
    MergeCounts counts;
};

// Merges a line-list file. With entries, the lines are the knowledge file's: line 0 is its
// header (it follows the delivery unless the user changed it) and an entry is known by its head
// also when its replies changed. Without a base (a folder made before its delivered files were
// kept), the lines the user's file and the new one share stand for it: nothing is removed, and
// an entry both have with different replies keeps the user's with the new replies added.
MergeResult mergeLines(const std::vector<std::string>* base, const std::vector<std::string>& ours,
                       const std::vector<std::string>& theirs, bool entries);

// The pairs of equal lines of a and b that a line-by-line comparison keeps, in order: for each
// line of a, the index of its equal in b, or -1.
std::vector<int> matchLines(const std::vector<std::string>& a, const std::vector<std::string>& b);

} // namespace tovrin::kbtool
