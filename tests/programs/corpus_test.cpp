// The authors' replay of a corpus: that it says what a real turn does, how it reads a corpus,
// how it judges each case, and the program's verdict against the thresholds.
#include "support/engine_fixture.h"
#include "kb/entry.h"
#include "support/childprocess.h"
#include "kbtool/corpus.h"
#include "kbtool/explain.h"

#include <fstream>

using namespace tovrin;
using namespace tovrin::test;
using kbtool::Step;

namespace {

std::vector<std::string> words()
{
    std::vector<std::string> lines;
    for (const std::string& l : kExampleWords)
        lines.push_back(cp(l));
    lines.push_back(cp("КАК ТЫ^Нормально.;"));
    lines.push_back(cp("_КАК ДЕЛА^Неправильно.;"));
    return lines;
}

class Replay : public EngineTest {
protected:
    Replay()
    {
        std::vector<std::string> utf8;
        for (const std::string& l : words())
            utf8.push_back(utf(l));
        dir.writeLines("Base\\Words.Dat", utf8);
    }
};

} // namespace

TEST_F(Replay, SaysWhatARealTurnDoes)
{
    struct Case {
        std::vector<const char*> before; // phrases of the turns before, in the same dialogue
        const char* phrase;
        Step step;
        int line;
        bool farewell;
    };
    const Case cases[] = {
        {{}, "привет", Step::Contiguous, 1, false},
        {{"Привет"}, "как дела", Step::Branch, 2, false},
        {{"Привет", "как дела"}, "хорошо", Step::Branch, 3, false},
        {{"Привет"}, "ну а ты кто", Step::Branch, 4, false},
        {{"Привет"}, "пока", Step::Contiguous, 5, true},
        {{}, "как дела", Step::Fallback, 0, false}, // a branch is no main phrase
        {{}, "как же ты?", Step::ByWords, 7, false},
        {{"Пока"}, "ну как ты", Step::Contiguous, 7, false}, // no branch below the farewell
        {{"Привет"}, "что такое счастье?", Step::Fallback, 0, false},
        {{"как же ты?"}, "как дела", Step::Branch, 8, false},
    };
    const LineList lines(words());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.phrase);
        Engine fresh{host, cues, dice}; // a new dialogue: no thread, nothing to repeat
        const auto speak = [&](const char* typed) {
            host.input = cp(typed);
            for (int d : knowledge())
                dice.push(d);
            fresh.SpeakClick();
        };
        host.transcript.clear();
        for (const char* b : c.before)
            speak(b);
        const int threadLine = fresh.state().ThreadDepth >= 1 ? fresh.state().ThreadLine : 0;
        host.transcript.clear();
        host.farewell = false;
        speak(c.phrase);

        const kbtool::Turn t = kbtool::playTurn(lines, kbtool::takePhrase(c.phrase), threadLine);
        EXPECT_EQ(t.step, c.step);
        EXPECT_EQ(t.line, c.line);
        EXPECT_EQ(t.farewell, c.farewell);
        // The turn itself: the same entry's first reply, the same farewell.
        if (c.line > 0) {
            EXPECT_EQ(cp(reply()), EntryReply(lines.view(c.line), 1));
        }
        EXPECT_EQ(host.farewell, c.farewell);
    }
}

TEST(CorpusReading, TakesHeadersCasesAndFaults)
{
    const kbtool::Corpus corpus =
        kbtool::parseCorpus("\xEF\xBB\xBF# comment\n"
                            "бездомный\tlearn\n" // 2: before any part
                            "[part tuning]   # the tuned ones\n"
                            "[topic greetings]\n"
                            "привет)))\tПРИВЕТ | ЗДРАВСТВУЙ\r\n" // 5
                            "\n"
                            "ну всё, пока!\tfarewell\n" // 7
                            "[part other]\n" // 8: unknown part
                            "[part held-back]\n"
                            "да, загадывай\t_ДА\tХочешь, загадаю?\n" // 10
                            "без ожидания\n" // 11
                            "a\tb\tc\td\te\n" // 12
                            "раз\\tдва\\\\\tlearn\tКак дела?\tЗДРАВСТВУЙ\n" // 13
                            "[topic]\n" // 14
                            "я пока ем\tlearn\n"); // 15
    std::vector<int> faultLines;
    for (const auto& f : corpus.faults)
        faultLines.push_back(f.line);
    EXPECT_EQ(faultLines, (std::vector<int>{2, 8, 11, 12, 14}));

    ASSERT_EQ(corpus.cases.size(), 5u);
    const auto& hello = corpus.cases[0];
    EXPECT_EQ(hello.line, 5);
    EXPECT_EQ(hello.part, "tuning");
    EXPECT_EQ(hello.topic, "greetings");
    EXPECT_EQ(hello.keys, (std::vector<std::string>{cp("ПРИВЕТ"), cp("ЗДРАВСТВУЙ")}));
    EXPECT_EQ(corpus.cases[1].expect, kbtool::CorpusCase::Expect::Farewell);
    const auto& yes = corpus.cases[2];
    EXPECT_EQ(yes.part, "held-back");
    EXPECT_EQ(yes.topic, ""); // a part begins without a topic
    EXPECT_EQ(yes.after, cp("Хочешь, загадаю?"));
    // A TAB and a backslash written into the phrase; the entry that said the reply named.
    const auto& tab = corpus.cases[3];
    EXPECT_EQ(tab.phrase, "раз\tдва\\");
    EXPECT_EQ(tab.after, cp("Как дела?"));
    EXPECT_EQ(tab.said, cp("ЗДРАВСТВУЙ"));
    EXPECT_EQ(corpus.cases[4].expect, kbtool::CorpusCase::Expect::Learn);
}

TEST(CorpusReplay, JudgesEachCase)
{
    struct Case {
        const char* line; // one case of the corpus
        bool passed;
        bool unintendedFarewell;
        Step step;
    };
    const Case cases[] = {
        {"привет\tПРИВЕТ", true, false, Step::Contiguous},
        {"привет\tПОКА | ПРИВЕТ", true, false, Step::Contiguous},
        {"привет\tПРИВ", false, false, Step::Contiguous},
        {"как дела\t_КАК ДЕЛА\tЗдравствуй!", true, false, Step::Branch},
        {"как дела\t_КАК ДЕЛА\tНикто так не говорил.", false, false, Step::Fallback},
        {"ну пока\tfarewell", true, false, Step::Contiguous},
        {"ну пока\tlearn", false, true, Step::Contiguous},
        {"ну пока\tПОКА", true, false, Step::Contiguous}, // the farewell entry expected by name
        {"пока ты тут\tfarewell\tЗдравствуй!", true, false, Step::Contiguous}, // past the branches
        {"пока, ты кто?\tfarewell\tЗдравствуй!", false, false, Step::Branch}, // a branch first
        {"что это\tlearn", true, false, Step::Fallback},
        {"что это\tfarewell", false, false, Step::Fallback},
        {"ты дура, пока\tlearn", true, false, Step::Profanity},
        {"ты дура, пока\tfarewell", false, false, Step::Profanity},
        {"привет ааааааааааааааааааааааааааааааааааааааааааааааааааааааааааааааааааааааааааааааааааааааааааааааааааааааааааааа\tПРИВЕТ",
         false, false, Step::LongPhrase},
    };
    const LineList lines(words());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const kbtool::Corpus corpus =
            kbtool::parseCorpus(std::string("[part tuning]\n") + c.line + "\n");
        ASSERT_EQ(corpus.cases.size(), 1u);
        const kbtool::Replay r = kbtool::replayCorpus(lines, corpus);
        ASSERT_EQ(r.results.size(), 1u);
        EXPECT_EQ(r.results[0].passed, c.passed);
        EXPECT_EQ(r.results[0].unintendedFarewell, c.unintendedFarewell);
        EXPECT_EQ(r.unintendedFarewells, c.unintendedFarewell ? 1 : 0);
        EXPECT_EQ(r.results[0].turn.step, c.step);
        EXPECT_EQ(r.parts.at(0).passed, c.passed ? 1 : 0);
    }
}

TEST(CorpusProgram, FailsBelowAThresholdAndOnAnyUnintendedFarewell)
{
    const std::string kb = std::string(TOVRIN_BINARY_DIR) + "/tovrin-kb";
    if (!std::filesystem::exists(kb))
        GTEST_SKIP() << "tovrin-kb is not built";
    ScratchDir dir;
    dir.writeLines("Base\\Words.Dat", kExampleWords);
    const auto corpusFile = [&](const std::string& text) {
        std::ofstream(dir.path() / "corpus.txt", std::ios::binary) << text;
        return (dir.path() / "corpus.txt").string();
    };
    struct Case {
        std::string corpus;
        std::vector<std::string> options;
        int exitCode;
        const char* inOut;
    };
    const std::string twoOfThree =
        "[part tuning]\n[topic a]\nпривет\tПРИВЕТ\nкто ты\tlearn\nхм\tПРИВЕТ\n"
        "[part held-back]\nпривет всем\tПРИВЕТ\n";
    const Case cases[] = {
        {twoOfThree, {}, 0, "часть tuning: как ожидалось 2 из 3 (66,7%)"},
        {twoOfThree, {"--min-tuning", "66"}, 0, "corpus.txt:5: промах [tuning / a] \"хм\""},
        {twoOfThree, {"--min-tuning", "67"}, 1, "нужно не меньше 67,0%: НЕ ПРОЙДЕНО"},
        {twoOfThree,
         {"--min-held-back", "100"},
         0,
         "часть held-back: как ожидалось 1 из 1 (100,0%)"},
        {"[part tuning]\nпривет\tПРИВЕТ\n",
         {"--min-held-back", "50"},
         1,
         "часть held-back: случаев нет"},
        {"[part tuning]\nну пока\tlearn\n", {}, 1, "нежданных прощаний: 1: НЕ ПРОЙДЕНО"},
        {"[part tuning]\nпривет\n", {}, 1, "corpus.txt:2: ошибка:"},
        {twoOfThree, {"--min-tuning", "101"}, 2, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options.empty() ? c.corpus : c.options[1]);
        std::vector<std::string> args = {"test"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back(corpusFile(c.corpus));
        const auto r = runProgram(kb, args);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.out << r.err;
        EXPECT_NE(r.out.find(c.inOut), std::string::npos) << r.out;
    }
}

TEST(Explain, NamesTheEntriesThatNearlyFitAndThoseThatLose)
{
    using Why = kbtool::Neighbour::Why;
    const LineList lines(std::vector<std::string>{
        "h",
        cp("ПОКА.^Пока!;@"), // 1
        cp("ДЕЛА КАК^Так.;"), // 2
        cp("ЧТО ТЫ ДЕЛАЕШЬ^Ничего.;"), // 3
        cp("Как^Никак.;"), // 4
        cp("КАК ДЕЛА?^"), // 5
        cp("АБ^Аб.;"), // 6
        cp("КАК ДЕЛА^Хорошо.;"), // 7
        cp("_НОРМАЛЬНО^Ну и славно.;"), // 8
        cp("ДЕЛА^Дела.;"), // 9
        cp("КАК ТЫ ДЕЛА^Так.;"), // 10
    });
    using N = std::vector<std::pair<int, Why>>;
    const auto pairs = [](const std::vector<kbtool::Neighbour>& list) {
        N out;
        for (const auto& n : list)
            out.push_back({n.line, n.why});
        return out;
    };
    struct Case {
        const char* phrase;
        const char* after;
        int answer;
        N almost;
        N lost;
    };
    const Case cases[] = {
        {"пока ты что делаешь? как дела? ааб",
         "",
         7,
         {{1, Why::EndMark},
          {3, Why::WordOrder},
          {4, Why::LowerCase},
          {5, Why::CannotAnswer},
          {6, Why::Backtracked}},
         {{2, Why::WordsLater}, {9, Why::Later}}}, // 10 lies beyond the answer and does not fit
        {"как ты, дела нормально",
         "Хорошо.",
         8,
         {{2, Why::WordOrder}, {4, Why::LowerCase}, {5, Why::EndMark}},
         {{7, Why::Thread}, {9, Why::Thread}, {10, Why::Thread}}},
        // A whole key further down beats the word-by-word fits above it.
        {"как ты, дела",
         "",
         9,
         {{2, Why::WordOrder}, {4, Why::LowerCase}, {5, Why::EndMark}},
         {{7, Why::WordsLater}, {10, Why::WordsLater}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.phrase);
        const int thread = kbtool::pickThread(lines, cp(c.after), "").line;
        const kbtool::Explanation e = kbtool::explain(lines, c.phrase, thread);
        EXPECT_EQ(e.turn.line, c.answer);
        EXPECT_EQ(pairs(e.almost), c.almost);
        EXPECT_EQ(pairs(e.lost), c.lost);
    }
}

TEST(CorpusProgram, FindsTheCorpusFromTheStartingFolderAndExplains)
{
    const std::string kb = std::string(TOVRIN_BINARY_DIR) + "/tovrin-kb";
    if (!std::filesystem::exists(kb))
        GTEST_SKIP() << "tovrin-kb is not built";
    ScratchDir dir;
    dir.writeLines("kb/Base/Words.Dat", kExampleWords);
    std::ofstream(dir.path() / "corpus.txt", std::ios::binary)
        << "[part tuning]\nкак дела\t_КАК ДЕЛА\tПривет!\n";
    auto r = runProgram(kb, {"test", "-C", "kb", "corpus.txt", "--min-tuning", "100"});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("часть tuning: как ожидалось 1 из 1 (100,0%)"), std::string::npos)
        << r.out;

    r = runProgram(kb, {"-C", "kb", "explain", "--after", "Привет!", "как", "дела"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Перед ней: \"Привет!\": ответ строки 1 \"ПРИВЕТ\""), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("Ответ:     строка 2 \"_КАК ДЕЛА\" — просмотр веток нити"),
              std::string::npos)
        << r.out;
}

namespace {

// One reply said by entries with different branches, and by entries whose branches are alike.
const std::vector<std::string> kSharedReplies = {
    "Знания",
    "ПРИВЕТ^Как дела?;", // 1
    "_ХОРОШО^Рад за тебя.;", // 2
    "ЗДРАВСТВУЙ^Как дела?;", // 3
    "_ПЛОХО^Жаль.;", // 4
    "ДОБРЫЙ ДЕНЬ^Как дела?;", // 5
    "_ПЛОХО^Жаль.;", // 6
    "УТРО^Доброе утро!;", // 7
    "ВЕЧЕР^Доброе утро!;", // 8
    "ЗАКАТ^Красиво.;Ярко.;", // 9
    "ПОКА^До встречи!;@", // 10
    "ДУР^Ладно.;", // 11
};

class Threads : public EngineTest {
protected:
    Threads() { dir.writeLines("Base\\Words.Dat", kSharedReplies); }
};

} // namespace

TEST_F(Threads, ThreadFromTheEntryThatSaidTheReplyOrRefuseToGuess)
{
    struct Case {
        const char* reply;
        const char* said;
        int line;
        bool ambiguous;
        bool fault;
    };
    const Case cases[] = {
        {"Как дела?", "", 0, true, false}, // 1 has other branches than 3 and 5
        {"Как дела?", "3", 3, false, false},
        {"Как дела?", "ЗДРАВСТВУЙ", 3, false, false},
        {"Как дела?", "7", 0, false, true}, // 7 never says it
        {"Как дела?", "ЗАКАТ", 0, false, true},
        {"", "4", 4, false, false}, // the line alone opens its thread
        {"", "99", 0, false, true},
        {"", "ЗДРАВСТВУЙ", 0, false, true}, // a head alone names no reply
        {"Доброе утро!", "", 7, false, false}, // no branches either way: threads alike
        {"Жаль.", "", 4, false, false},
        {"Никто так не говорит.", "", 0, false, false},
    };
    const LineList lines = utf8List(kSharedReplies);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.reply) + " / " + c.said);
        const kbtool::ThreadPick pick = kbtool::pickThread(lines, cp(c.reply), cp(c.said));
        EXPECT_EQ(pick.line, c.line);
        EXPECT_EQ(pick.ambiguous, c.ambiguous);
        EXPECT_EQ(!pick.fault.empty(), c.fault) << pick.fault;
    }
    EXPECT_EQ(kbtool::pickThread(lines, cp("Как дела?"), "").carriers, (std::vector<int>{1, 3, 5}));

    // The program, having answered from line 3, takes "плохо" from its branch; the tool so too.
    say("здравствуй", knowledge());
    ASSERT_EQ(engine.state().ThreadLine, 3);
    say("плохо", knowledge());
    EXPECT_EQ(reply(), "Жаль.");
    const kbtool::Turn t = kbtool::playTurn(lines, kbtool::takePhrase("плохо"),
                                            kbtool::pickThread(lines, cp("Как дела?"), "3").line);
    EXPECT_EQ(t.step, Step::Branch);
    EXPECT_EQ(t.line, 4);
}

TEST(CorpusPhrase, IsTakenAsTheInputLineTakesIt)
{
    struct Case {
        std::string typed;
        std::string taken; // UTF-8
    };
    const Case cases[] = {
        {std::string(300, 'a'), std::string(255, 'a') + "."},
        {"раз\x01два\x7F", "Раз два ."},
        {"раз\tдва", "Раз\tдва."}, // a TAB is taken in as it is
        {"привет \xF0\x9F\x98\x8A", "Привет)."},
        {"ок \xF0\x9F\x91\x8D", "Ок."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(utf(kbtool::takePhrase(c.typed)), c.taken) << c.typed.substr(0, 20);
}

TEST(ExplainBatch, GivesOneRowOfFieldsAPhrase)
{
    const LineList lines = utf8List(kSharedReplies);
    const LineList insults = utf8List({"Не груби."});
    const auto batch = kbtool::parseBatch("# the first round\n"
                                          "плохо\tКак дела?\t3\n"
                                          "\n"
                                          "плохо\tКак дела?\n"
                                          "ну и закат\\tночью\n"
                                          "кто ты?\n"
                                          "ну пока\r\n"
                                          "ты дурак\n"
                                          "плохо\tКак дела?\tНЕ ТОТ\n");
    ASSERT_EQ(batch.size(), 7u);
    EXPECT_EQ(batch[0].line, 2);
    EXPECT_EQ(batch[2].phrase, "ну и закат\tночью");
    std::vector<std::string> rows;
    for (const auto& p : batch)
        rows.push_back(kbtool::batchRow(lines, insults, p));
    const auto fields = [](const std::string& row) {
        std::vector<std::string> out;
        std::size_t begin = 0;
        for (std::size_t tab; (tab = row.find('\t', begin)) != std::string::npos; begin = tab + 1)
            out.push_back(row.substr(begin, tab - begin));
        out.push_back(row.substr(begin));
        return out;
    };
    const std::vector<std::vector<std::string>> expected = {
        {"плохо", "Как дела?", "_ПЛОХО", "Жаль.", "no"},
        {"плохо", "Как дела?", "no thread", "", "no"},
        {"ну и закат\\tночью", "", "ЗАКАТ", "Красиво. | Ярко.", "no"},
        {"кто ты?", "", "fallback W1", "", "no"},
        {"ну пока", "", "ПОКА", "До встречи!", "yes"},
        {"ты дурак", "", "profanity filter", "Не груби.", "no"},
        {"плохо", "Как дела?", "no thread", "", "no"},
    };
    ASSERT_EQ(rows.size(), expected.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        std::vector<std::string> got = fields(rows[i]);
        ASSERT_EQ(got.size(), 6u) << rows[i];
        got.pop_back(); // the note, for a person
        EXPECT_EQ(got, expected[i]);
    }
    EXPECT_NE(rows[1].find("строки 1 \"ПРИВЕТ\", 3 \"ЗДРАВСТВУЙ\", 5 \"ДОБРЫЙ ДЕНЬ\""),
              std::string::npos)
        << rows[1];
    // A note that quotes the head it was given is UTF-8 like the rest of the row.
    EXPECT_NE(rows[6].find("заголовком \"НЕ ТОТ\""), std::string::npos) << rows[6];
}

TEST(CorpusProgram, ExplainRefusesAnAmbiguousReplyAndTakesTheLineThatSaidIt)
{
    const std::string kb = std::string(TOVRIN_BINARY_DIR) + "/tovrin-kb";
    if (!std::filesystem::exists(kb))
        GTEST_SKIP() << "tovrin-kb is not built";
    ScratchDir dir;
    dir.writeLines("kb/Base/Words.Dat", kSharedReplies);
    dir.writeLines("kb/Base/X.Dat", {"Не груби."});
    auto r = runProgram(
        kb, {"-C", dir.path().string() + "/kb", "explain", "--after", "Как дела?", "плохо"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("строки 1 \"ПРИВЕТ\", 3 \"ЗДРАВСТВУЙ\", 5 \"ДОБРЫЙ ДЕНЬ\". Назовите ту"),
              std::string::npos)
        << r.err;

    r = runProgram(kb,
                   {"-C", dir.path().string() + "/kb", "explain", "--after", "Как дела?",
                    "--after-line", "3", "плохо"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Ответ:     строка 4 \"_ПЛОХО\" — просмотр веток нити"), std::string::npos)
        << r.out;

    r = runProgram(kb, {"-C", dir.path().string() + "/kb", "explain", "--batch", "-"},
                   "плохо\tКак дела?\tЗДРАВСТВУЙ\nну пока\n");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "phrase\tafter\tanswer\treplies\tfarewell\tnote");
    EXPECT_NE(r.out.find("\nплохо\tКак дела?\t_ПЛОХО\tЖаль.\tno\t"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\nну пока\t\tПОКА\tДо встречи!\tyes\t"), std::string::npos) << r.out;
}
