#pragma once
// The knowledge-base tool's work, kept apart from its command line so that it can be tested:
// checking a knowledge file, the counts the main window shows, and the passage of a line-list
// file to and from UTF-8 plain text.
#include "kb/knowledge.h"
#include "kb/linelist.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tovrin {

class LineList;

namespace kbtool {

// A sentence of the tool's own (UTF-8 in the source) among text quoted from a file, which is
// Windows-1251 as everything the core holds.
std::string ownText(std::string_view utf8);

// "1 запись", "2 записи", "5 записей": a count with the Russian form of its word (UTF-8).
std::string counted(long long n, std::string_view one, std::string_view few, std::string_view many);

enum class Severity { Error, Warning };

enum class Finding {
    Malformed, // breaks the entry grammar (Error)
    LowerCaseKey, // never matched: the phrase is upper-cased before it is compared
    DuplicateHead, // an earlier entry with the same head always wins
    Shadowed, // an earlier main phrase's key is found wherever this key is
    OrphanBranch, // no entry of the depth above stands above it in its run
    ControlCharacter, // a byte the program no longer takes in, which an import refuses
    // The authors' advice (kbtool/advice.h); each of these carries its sentence in detail.
    FewReplies, // the entry repeats itself soon
    FarewellInPhrase, // a farewell entry answers an ordinary phrase
    KeyInManyWords, // the key is found inside many words that mean something else
    UnreachedParent, // no phrase of the corpus reaches the entry its branches stand below
    KeyWordInWords, // a word of a key of several words is found inside many other words
    FarewellInReply, // a farewell key is found in a line the program says (Error)
    SameReplies, // every reply of the entry is the same line
    FilteredKey, // the profanity filter answers every phrase that holds the key
};

struct Problem {
    int line = 0; // index in the line list (line 0 is the header)
    Finding kind = Finding::Malformed;
    int relatedLine = 0; // the earlier entry for DuplicateHead and Shadowed
    std::string detail; // for Malformed and the advice: what is wrong (Windows-1251)
};

Severity severityOf(Finding kind);

// Every problem of a loaded knowledge file, in line order. Line 0 is never looked at.
std::vector<Problem> checkKnowledge(const LineList& words);

// Every line, the header included, that holds a control character (the tab apart): the first
// one of the line is named, by its column (detail) and code.
std::vector<Problem> checkControlCharacters(const LineList& list);

// A problem as one Russian sentence, without the line number. Texts quoted from the file stay
// in Windows-1251.
std::string describe(const Problem& problem, const LineList& words);

// The counts of the main window: the status bar's main phrases and branches, and the menu's
// incoming, outgoing and total expressions.
struct Stats {
    int mainPhrases = 0;
    int branches = 0;
    int incoming = 0; // entries of Words.Dat (its count less the header line)
    int replies = 0; // ";" in the entries of Words.Dat
    std::vector<ListCount> lists; // the phrase lists counted as outgoing, in the program's order
    int outgoing = 0; // the phrase lists' lines and the replies
    int total = 0;
};
// Loads Base\Words.Dat and the six phrase lists as the program does. Throws FileError.
Stats collectStats();

// A line-list file as UTF-8 text: one line per line, each ended by "\n", after a first line
// that names the version of the file the text came from (versionLine).
std::string exportText(const LineList& list);

// The first line of an exported text: "# tovrin-kb export, version V (...)", V as versionOf
// gives it. The import compares V with the file, so that a text edited from an older version
// never replaces what was learnt since.
std::string versionLine(const LineList& list);
// The version named by the first line of a text, taken off the text; nothing (and the text as
// it was) when the text does not begin with a version line (after a byte-order mark, if any).
std::optional<std::string> takeVersionLine(std::string_view& utf8);

// True when no line of a text holds anything but blanks: no phrase at all.
bool holdsNoPhrase(const LineList& lines);

struct ImportResult {
    LineList lines; // Windows-1251, ready to be saved
    struct Refusal {
        int line = 0; // index of the line (0 is the first)
        std::string reason; // English, UTF-8
    };
    // The first refused lines, named; nothing may be written while there are any.
    static constexpr std::size_t kNamedRefusals = 100;
    std::vector<Refusal> refusals;
    int refused = 0; // the refused lines, named or not
    // The text up to its first line that holds more than blanks, and a few bytes of that one:
    // what tells whether it begins as an RTF document.
    std::string beginning;
};

// Reads UTF-8 text (LF or CR LF line ends, a leading byte-order mark is dropped). Every line
// must be valid UTF-8 of characters that Windows-1251 can hold, without control characters
// other than TAB; with entries, every line from 1 on must also be a well-formed entry.
// The text is given piece by piece, as it is read: only the converted lines are held (in the
// packed form of a loaded list) and the line being read, never the text whole; once a line is
// refused, not even the lines.
class ImportReader {
public:
    explicit ImportReader(bool entries) : entries_(entries) {}
    void add(std::string_view piece);
    // The last line, when the text does not end with a line end, then the result.
    ImportResult finish();

private:
    void take(std::string_view line);

    bool entries_;
    int index_ = 0;
    std::string partial_; // the line being read, when it spans pieces
    std::string converted_;
    bool beginningComplete_ = false;
    ImportResult result_;
};
// The same for a text given whole.
ImportResult prepareImport(std::string_view utf8, bool entries);

// True when the export of the line-list file at path begins as an RTF document does (a
// phrase list may hold any line, "{\rtf1" too): a text that begins so is then its text all the
// same, not an RTF document given by mistake. False when the file cannot be loaded.
bool exportLooksLikeRtf(const std::string& path);

// True when a program path names the knowledge file (whatever its folder or case).
bool namesKnowledgeFile(const std::string& path);

// The version of a list as export shows it: a digest of its lines.
std::string versionOf(const LineList& list);

} // namespace kbtool
} // namespace tovrin
