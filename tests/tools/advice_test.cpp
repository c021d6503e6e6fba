// The authors' advice of tovrin-kb check: replies, farewells, eager keys and unreached threads.
#include "kb/linelist.h"
#include "support/testsupport.h"
#include "kbtool/advice.h"
#include "kbtool/corpus.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace tovrin;
using namespace tovrin::test;
using kbtool::Finding;

namespace {

const std::string three = "^Раз.;Два.;Три.;";

// The findings of one kind, as (line, related line).
std::vector<std::pair<int, int>> of(Finding kind, const std::vector<kbtool::Problem>& problems)
{
    std::vector<std::pair<int, int>> out;
    for (const auto& p : problems)
        if (p.kind == kind)
            out.push_back({p.line, p.relatedLine});
    return out;
}

} // namespace

TEST(Advice, NamesEntriesWithFewReplies)
{
    const LineList words = utf8List({"h", "А^Раз.;", "Б^Раз.;Два.;@", "В" + three, "Г^",
                                     "_Д^Раз.;Два.;", "Е^Раз", "Ж" + three + "@"});
    EXPECT_EQ(of(Finding::FewReplies, kbtool::adviseAuthors(words, {})),
              (std::vector<std::pair<int, int>>{{1, 0}, {2, 0}, {5, 0}}));
}

TEST(Advice, NamesFarewellsThatOrdinaryPhrasesSetOff)
{
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        std::string corpus;
        std::vector<std::pair<int, int>> expected;
    };
    const Case cases[] = {
        {"a bare farewell word answers the built-in phrases",
         {"h", "ПОКА" + three + "@"},
         "",
         {{1, 0}}},
        {"earlier entries take the ordinary phrases first",
         {"h", "Я ПОКА" + three, "ПОКА НЕ" + three, "ПОКА НИ" + three, "ПОКА ЧТО" + three,
          "ПОКА ТЫ" + three, "ЭТО ПОКА" + three, "ПОКАЖИ" + three, "ПОКА НЕТ" + three,
          "ПОДОЖДУ ПОКА" + three, "ПОКА!" + three + "@", "ПОКА." + three + "@"},
         "",
         {}},
        {"a branch never says goodbye", {"h", "ПРИВЕТ" + three, "_ПОКА" + three + "@"}, "", {}},
        {"a corpus phrase expecting no farewell",
         {"h", "ЗАКРОЙ" + three + "@"},
         "[part tuning]\nзакрой дверь\tlearn\nзакрой\tfarewell\n",
         {{1, 0}}},
        {"a corpus phrase naming the farewell entry wants it",
         {"h", "ЗАКРОЙ" + three + "@"},
         "[part tuning]\nзакрой дверь\tЗАКРОЙ\n",
         {}},
        {"a corpus thread takes the phrase to a branch first",
         {"h", "ПРИВЕТ^Здравствуй!;Раз.;Два.;", "_ЗАКРОЙ ДВЕРЬ" + three, "ЗАКРОЙ" + three + "@"},
         "[part tuning]\nзакрой дверь\tlearn\tЗдравствуй!\n",
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> lines;
        for (const auto& l : c.lines)
            lines.push_back(l);
        const kbtool::Corpus corpus = kbtool::parseCorpus(c.corpus);
        kbtool::AdviceInput input;
        input.corpus = c.corpus.empty() ? nullptr : &corpus;
        EXPECT_EQ(of(Finding::FarewellInPhrase, kbtool::adviseAuthors(utf8List(lines), input)),
                  c.expected);
    }
}

TEST(Advice, NamesKeysThatManyWordsHold)
{
    // Fifty words hold КОТ: a word more or less decides; the key's own marks say where in a word
    // it must stand.
    std::vector<std::string> list;
    for (int i = 0; i < 49; ++i)
        list.push_back(cp("СКОТ") + std::string(static_cast<std::size_t>(i), cp("А")[0]));
    list.push_back(cp("КОТ")); // the word itself
    list.push_back(cp("ЛЕТОПИСЬ")); // " ЛЕТ" begins it
    list.push_back(cp("ПОЛЕТ")); // not at the start
    struct Case {
        std::vector<std::string> extra;
        std::string key;
        bool warned;
    };
    const Case cases[] = {
        {{}, "КОТ", false},
        {{"КОТЛЕТА"}, "КОТ", true},
        {{"КОТЛЕТА"}, "КОТ!", false}, // must end a word: only СКОТ
        {{"КОТЛЕТА"}, " КОТ", false}, // must begin one
        {{"КОТЛЕТА"}, "КОТ КОТ", false}, // two words are never inside one
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key + (c.extra.empty() ? "" : " +1"));
        std::vector<std::string> words = list;
        for (const auto& e : c.extra)
            words.push_back(cp(e));
        kbtool::AdviceInput input;
        input.wordList = &words;
        const auto found = of(Finding::KeyInManyWords,
                              kbtool::adviseAuthors(utf8List({"h", c.key + three}), input));
        EXPECT_EQ(found.size(), c.warned ? 1u : 0u);
    }
}

TEST(Advice, JudgesEachKeyByItsOwnMarks)
{
    // " КОТ" begins only КОТЛЕТА and "КОТ!" ends only СКОТ: together they still do not answer
    // the fifty words that hold КОТ somewhere inside.
    std::vector<std::string> words;
    for (int i = 0; i < 49; ++i)
        words.push_back(cp("СКОТ") + std::string(static_cast<std::size_t>(i), cp("А")[0]));
    words.push_back(cp("КОТЛЕТА"));
    kbtool::AdviceInput input;
    input.wordList = &words;
    EXPECT_TRUE(of(Finding::KeyInManyWords,
                   kbtool::adviseAuthors(utf8List({"h", " КОТ" + three, "КОТ!" + three}), input))
                    .empty());
    EXPECT_EQ(of(Finding::KeyInManyWords,
                 kbtool::adviseAuthors(utf8List({"h", " КОТ" + three, "КОТ" + three}), input))
                  .size(),
              1u);
}

TEST(Advice, NamesThreadsNoCorpusPhraseEnters)
{
    const LineList words =
        utf8List({"h", "ПРИВЕТ" + three, "_КАК ДЕЛА" + three, "__ХОРОШО" + three, "_А ТЫ" + three,
                  "ПОКА" + three, "_УЖЕ" + three, "ДА" + three});
    const kbtool::Corpus corpus = kbtool::parseCorpus("[part tuning]\nпривет\tПРИВЕТ\nда\tДА\n");
    kbtool::AdviceInput input;
    input.corpus = &corpus;
    // ПРИВЕТ is reached, its branch КАК ДЕЛА is not; ПОКА is not.
    EXPECT_EQ(of(Finding::UnreachedParent, kbtool::adviseAuthors(words, input)),
              (std::vector<std::pair<int, int>>{{3, 2}, {6, 5}}));
}

TEST(Advice, ReadsAWordListInItsEncoding)
{
    ScratchDir dir;
    std::ofstream(dir.path() / "ru.dic", std::ios::binary)
        << "3\nкошка/AB\nМосква/X\nёж\tpo:noun\nfrançais\n";
    // KOI8-R: "кот" is CB CF D4; an "SET" line beside it says so.
    std::ofstream(dir.path() / "koi.dic", std::ios::binary) << "2\n\xCB\xCF\xD4/A\n\xA3\xCA\n";
    std::ofstream(dir.path() / "koi.aff", std::ios::binary) << "SET KOI8-R\r\n";
    EXPECT_EQ(kbtool::loadWordList((dir.path() / "ru.dic").string()),
              (std::vector<std::string>{cp("КОШКА"), cp("ЁЖ")}));
    EXPECT_EQ(kbtool::loadWordList((dir.path() / "koi.dic").string()),
              (std::vector<std::string>{cp("КОТ"), cp("ЁЙ")}));
}

TEST(Advice, NamesWordsOfLongerKeysInsideOtherWords)
{
    // ЕШЬ ends 50 words of the list; ЛЕТ begins them (a stem, as meant); ТЫ is too short to tell.
    std::vector<std::string> list;
    for (int i = 0; i < 50; ++i) {
        const std::string letters(static_cast<std::size_t>(i + 1), cp("А")[0]);
        list.push_back(cp("СЛУШ") + letters + cp("ЕШЬ"));
        list.push_back(cp("ЛЕТ") + letters);
        list.push_back(letters + cp("ТЫ") + letters);
    }
    kbtool::AdviceInput input;
    input.wordList = &list;
    const LineList words = utf8List({"h", "ТЫ ЕШЬ" + three, "ЛЕТ ТЫ" + three, "ТЫ  ЕШЬ" + three,
                                     "_ТЫ ЕШЬ" + three, "ТЫ ЕШЬ?" + three});
    // A branch is never found word by word; " ЕШЬ" must begin a word; "ЕШЬ?" may end one.
    EXPECT_EQ(of(Finding::KeyWordInWords, kbtool::adviseAuthors(words, input)),
              (std::vector<std::pair<int, int>>{{1, 0}, {5, 0}}));
}

TEST(Advice, StopsOnAFarewellKeyThatALineTheProgramSaysHolds)
{
    const LineList words =
        utf8List({"h", "ХОРОШЕГО ДНЯ^Пока!;До встречи!;И тебе хорошего дня!;@",
                  "СОН^Хороший сон — половина хорошего дня.;Спи.;Сладких снов.;",
                  "ДО ЗАВТРА^До завтра!;Пока.;Увидимся.;@", "ПОГОДА^Тепло.;Дождь.;Снег.;",
                  "_ДОЖДЬ^Отложим до завтра?;Зонт!;Мокро.;"});
    kbtool::NamedList w2{"Base\\W2.Dat", utf8List({"Ладно.", "Всего доброго и хорошего вам дня."})};
    const std::vector<kbtool::NamedList> lists = {w2};
    kbtool::AdviceInput input;
    // ХОРОШЕГО ДНЯ stands in a reply of СОН (word by word in the list's line); ДО ЗАВТРА in a
    // branch's reply; the farewells' own replies are no one's phrase.
    EXPECT_EQ(of(Finding::FarewellInReply, kbtool::adviseAuthors(words, input)),
              (std::vector<std::pair<int, int>>{{1, 0}, {3, 0}}));
    const LineList alone =
        utf8List({"h", "ХОРОШЕГО ДНЯ^Пока!;До встречи!;И тебе хорошего дня!;@", "ПОГОДА" + three});
    EXPECT_TRUE(of(Finding::FarewellInReply, kbtool::adviseAuthors(alone, input)).empty());
    input.phraseLists = &lists;
    EXPECT_EQ(of(Finding::FarewellInReply, kbtool::adviseAuthors(alone, input)),
              (std::vector<std::pair<int, int>>{{1, 0}}));
    EXPECT_EQ(kbtool::severityOf(Finding::FarewellInReply), kbtool::Severity::Error);
}

TEST(Advice, NamesEntriesThatAlwaysSayTheSameAndKeysTheFilterTakes)
{
    const LineList words = utf8List(
        {"h", "ЗАГАДКА^Зимой и летом одним цветом?;Зимой и летом одним цветом?;", "ДА^Да.;",
         "ПРИВЕТ" + three, "ПРОЦЕДУРА" + three, "_ПОДЛИВКА" + three, "ДУРАШКА^", "ДУР" + three});
    const auto advice = kbtool::adviseAuthors(words, {});
    // One reply is few replies, not the same ones; an entry without replies never answers.
    EXPECT_EQ(of(Finding::SameReplies, advice), (std::vector<std::pair<int, int>>{{1, 0}}));
    EXPECT_EQ(of(Finding::FilteredKey, advice), (std::vector<std::pair<int, int>>{{4, 0}, {5, 0}}));
}
