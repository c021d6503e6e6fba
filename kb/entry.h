#pragma once
// Entries of the knowledge file: "_"-prefix for depth, key, "^", replies each closed by ";",
// and optionally the farewell mark "@" as the last character.
#include <string>
#include <string_view>

namespace tovrin {

// The marks of the entry grammar.
inline constexpr char kDepthMark = '_';
inline constexpr char kKeyEnd = '^';
inline constexpr char kReplyEnd = ';';
inline constexpr char kFarewellMark = '@';

// A line is read back with at most this many characters, so no entry may grow past it: a
// longer line would lose the end of its replies at the next load.
inline constexpr std::size_t kMaxEntryLength = 4096;

int EntryDepth(std::string_view line);
std::string EntryHead(std::string_view line);
std::string EntryKey(std::string_view line);
bool EntryHasReplies(std::string_view line);
int EntryReplyCount(std::string_view line);
std::string EntryReply(std::string_view line, int r);
bool EntryHasFarewell(std::string_view line);

// The same head, without a copy, for the scans over the whole file.
std::string_view EntryHeadView(std::string_view line);

// What is wrong with a line as an entry; Ok for a well-formed one.
enum class EntryFault {
    Ok,
    Empty,
    NoKeyTerminator, // no "^"
    NoKey, // the key is empty ("^" first, or only underscores before it)
    KeyEndsWithSpace,
    KeyHasSemicolon,
    UnclosedReply, // text after the last ";" that is not a farewell mark
    EmptyReply,
    FarewellWithoutReply, // the farewell mark right after "^"
};
EntryFault CheckEntry(std::string_view line);
inline bool EntryWellFormed(std::string_view line) { return CheckEntry(line) == EntryFault::Ok; }
// What is wrong with a line, as a Russian phrase (UTF-8) for the kb tool to say.
const char* EntryFaultText(EntryFault fault);

// A well-formed entry with at least one reply: the only kind the lookup answers from.
bool EntryAnswers(std::string_view line);

} // namespace tovrin
