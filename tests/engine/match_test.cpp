// Finding keys in phrases: the scan that never backtracks, the word-by-word match, and the
// filters' word lists that are matched by the same scan.
#include "engine/match.h"
#include "engine/normalise.h"
#include "engine/wordlists.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

namespace tovrin {
namespace {

using test::cp;

TEST(ContainsKey, ScansWithoutBacktracking)
{
    struct Case {
        const char* phrase;
        const char* key;
        int start;
        int expected;
    };
    const std::vector<Case> cases = {
        {"ААБ.", "АБ", 1, 0}, // the second А breaks the match and is not tried again
        {"АВАБ.", "АБ", 1, 4},
        {"Привет.", "Я", 1, 0}, // the end of the phrase matches nothing
        {"Я тут.", "Я", 1, 1},
        {"я тут.", "Я", 1, 1}, // the phrase is upper-cased
        {"ёлка.", "ЁЛКА", 1, 4},
        {"hello world.", "WORLD", 1, 11},
        {"привет.", "привет", 1, 0}, // the key is taken as stored
        {"Привет, программа.", "ПРИВЕТ", 1, 6},
        {"ДДУРА.", "ДУРА", 1, 0},
        {"Дура.", "ДУРА", 1, 4},
        {"Ты гад", "ГАД ", 1, 0}, // a trailing space needs a real space
        {"Ты гад.", "ГАД.", 1, 7},
        {"Аб аб.", "АБ", 1, 2},
        {"Аб аб.", "АБ", 2, 5}, // the scan starts at the given position
        {"Аб аб.", "АБ", 6, 0},
        {"Аб.", "", 1, 0}, // an empty key is never found
        {"Аб.", "АБ.Я", 1, 0}, // a key longer than what is left
        {"", "А", 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.phrase) + " / " + c.key);
        EXPECT_EQ(ContainsKey(cp(c.phrase), cp(c.key), c.start), c.expected);
        EXPECT_EQ(ContainsKey(UpperPhrase(cp(c.phrase)), cp(c.key), c.start), c.expected);
    }
}

TEST(ContainsWords, FindsTheKeysWordsInOrder)
{
    struct Case {
        const char* phrase;
        const char* key;
        bool expected;
    };
    const std::vector<Case> cases = {
        {"Как ты?", "КАК ТЫ", true},
        {"Как же ты?", "КАК ТЫ", true},
        {"Ты как?", "КАК ТЫ", false}, // word order counts
        {"Как дела?", "ДЕЛА", true}, // one word: as the contiguous scan
        {"ААБ.", "АБ", false},
        {"Аб.", "АБ Б", false}, // words do not overlap
        {"Аб б.", "АБ Б", true},
        {"Как же ты?", "КАК  ТЫ", true}, // a double space starts the next word with a space
        {"Как,ты?", "КАК  ТЫ", false},
        {"Ну как, скажи, ты там?", "КАК ТЫ ТАМ?", true},
        {"Тут ты.", " ТЫ", true}, // a leading space belongs to the first word
        {"Ты.", " ТЫ", false},
        {"Кто ты такой?", "ТЫ КТО", false},
        {"Привет.", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.phrase) + " / " + c.key);
        EXPECT_EQ(ContainsWords(cp(c.phrase), cp(c.key)), c.expected);
    }
}

bool hitsList(const std::string& normalised, const std::vector<std::string>& list)
{
    const UpperPhrase phrase(normalised);
    for (const auto& entry : list)
        if (ContainsKey(phrase, entry) != 0)
            return true;
    return false;
}

// An entry holding a mark of the knowledge file's grammar could never be matched as written.
TEST(WordLists, HoldNoMarkOfTheKnowledgeFile)
{
    for (const auto* list : {&Cenzura(), &Filter_nr()}) {
        ASSERT_FALSE(list->empty());
        for (const auto& entry : *list)
            EXPECT_EQ(entry.find_first_of("^;@_"), std::string::npos) << entry;
    }
}

TEST(WordLists, DecideWhichPhrasesAreRudeOrHuman)
{
    enum Hit { None, Rude, Human };
    const std::vector<std::pair<const char*, Hit>> cases = {
        {"ты лох", Rude},
        {"лох", None}, // " ЛОХ" needs the space before it
        {"ты  лох", None}, // the second space breaks the match begun by the first
        {"ты,лох", None},
        {"бля", Rude}, // thanks to the appended "."
        {"бляха", None},
        {"ты гад", Rude},
        {"гад?", None},
        {"ты гадина", Rude},
        {"уёбище", Rude},
        {"уебище", None},
        {"ддура", None},
        {"дура", Rude},
        {"я тебя сотру", Rude}, // before the human topic's "СОТРУ" is looked at
        {"я сотру", Rude},
        {"меня зовут Вася", Human},
        {"меня  зовут Вася", None},
        {"сколько тебе лет", Human},
        {"имя", None},
        {"твоё имя?", Human},
        {"имя твоё?", Human},
        {"я хочу спать", Human},
        {"привет", None},
        {"как дела?", None},
    };
    for (const auto& [typed, expected] : cases) {
        SCOPED_TRACE(typed);
        const std::string phrase = NormalisePhrase(cp(typed));
        Hit hit = None;
        if (hitsList(phrase, Cenzura()))
            hit = Rude;
        else if (hitsList(phrase, Filter_nr()))
            hit = Human;
        EXPECT_EQ(hit, expected);
    }
}

} // namespace
} // namespace tovrin
