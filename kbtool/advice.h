#pragma once
// Advice for the authors of a knowledge file, beyond what the program cannot use at all:
// entries that repeat themselves soon, farewells that ordinary phrases set off, keys that many
// everyday words hold, threads that no phrase of a corpus enters, entries that say one line
// whatever is drawn and keys the profanity filter answers first: warnings; and farewell keys
// that a line the program says holds: an error, for two copies end each other's conversation.
#include "kb/linelist.h"
#include "kbtool/kbtool.h"

#include <string>
#include <string_view>
#include <vector>

namespace tovrin::kbtool {

struct Corpus;

// An entry should have at least this many replies.
inline constexpr int kFewestReplies = 3;
// A key found inside at least this many words of the word list is too eager.
inline constexpr int kManyWords = 50;
// So is a word of a key of several words found inside this many.
inline constexpr int kManyWordsForKeyWord = 50;

// Where the word list is looked for when none is named.
inline constexpr const char* kDefaultWordList = "/usr/share/hunspell/ru_RU.dic";

// Ordinary phrases that hold farewell words without saying goodbye (UTF-8).
const std::vector<std::string>& commonPhrases();

// A word list read from a dictionary file: one word a line, anything from "/", a TAB or a space
// on dropped, a first line that is only a number (the count) passed over, and names (a capital
// first) left out, as are words that Windows-1251 cannot hold. The encoding is the
// SET line of the .aff file beside it when there is one (UTF-8 or KOI8-R), UTF-8 otherwise.
// Words are returned upper-cased in Windows-1251.
// Throws FileError when the file cannot be read.
std::vector<std::string> loadWordList(const std::string& path);

// A phrase list the program says lines of, by its program path.
struct NamedList {
    std::string name; // Windows-1251
    LineList lines;
};

struct AdviceInput {
    const Corpus* corpus = nullptr; // its non-farewell phrases and the entries it reaches
    const std::vector<std::string>* wordList = nullptr; // upper-case Windows-1251 words
    const std::vector<NamedList>* phraseLists = nullptr; // where farewell keys must not stand
};

// The advice, in line order.
std::vector<Problem> adviseAuthors(const LineList& words, const AdviceInput& input);

} // namespace tovrin::kbtool
