#pragma once
// Entries of the knowledge file: "_"-prefix for depth, key, "^", replies each closed by ";",
// and optionally the farewell mark "@" as the last character.
#include <string>
#include <string_view>

namespace tovrin {

int EntryDepth(std::string_view line);
std::string EntryHead(std::string_view line);
std::string EntryKey(std::string_view line);
bool EntryHasReplies(std::string_view line);
int EntryReplyCount(std::string_view line);
std::string EntryReply(std::string_view line, int r);
bool EntryHasFarewell(std::string_view line);

// What is wrong with a line as an entry; Ok for a well-formed one.
enum class EntryFault {
    Ok,
    Empty,
    NoKeyTerminator,      // no "^"
    NoKey,                // the key is empty ("^" first, or only underscores before it)
    KeyEndsWithSpace,
    KeyHasSemicolon,
    UnclosedReply,        // text after the last ";" that is not a farewell mark
    EmptyReply,
    FarewellWithoutReply, // the farewell mark right after "^"
};
EntryFault CheckEntry(std::string_view line);
inline bool EntryWellFormed(std::string_view line) { return CheckEntry(line) == EntryFault::Ok; }
const char* EntryFaultText(EntryFault fault);

} // namespace tovrin
