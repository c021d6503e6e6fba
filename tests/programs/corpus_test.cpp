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
        {{}, "как дела", Step::Fallback, 0, false},    // a branch is no main phrase
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
    const kbtool::Corpus corpus = kbtool::parseCorpus("\xEF\xBB\xBF# comment\n"
                                                      "бездомный\tlearn\n"             // 2: before any part
                                                      "[part tuning]   # the tuned ones\n"
                                                      "[topic greetings]\n"
                                                      "привет)))\tПРИВЕТ | ЗДРАВСТВУЙ\r\n" // 5
                                                      "\n"
                                                      "ну всё, пока!\tfarewell\n"        // 7
                                                      "[part other]\n"                   // 8: unknown part
                                                      "[part held-back]\n"
                                                      "да, загадывай\t_ДА\tХочешь, загадаю?\n" // 10
                                                      "без ожидания\n"                   // 11
                                                      "a\tb\tc\td\n"                     // 12
                                                      "[topic]\n"                        // 13
                                                      "я пока ем\tlearn\n");             // 14
    std::vector<int> faultLines;
    for (const auto& f : corpus.faults)
        faultLines.push_back(f.line);
    EXPECT_EQ(faultLines, (std::vector<int>{2, 8, 11, 12, 13}));

    ASSERT_EQ(corpus.cases.size(), 4u);
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
    EXPECT_EQ(corpus.cases[3].expect, kbtool::CorpusCase::Expect::Learn);
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
        {"пока, ты кто?\tfarewell\tЗдравствуй!", false, false, Step::Branch},   // a branch first
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
        const kbtool::Corpus corpus = kbtool::parseCorpus(std::string("[part tuning]\n") + c.line + "\n");
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
    const std::string twoOfThree = "[part tuning]\n[topic a]\nпривет\tПРИВЕТ\nкто ты\tlearn\nхм\tПРИВЕТ\n"
                                   "[part held-back]\nпривет всем\tПРИВЕТ\n";
    const Case cases[] = {
        {twoOfThree, {}, 0, "part tuning: 2 of 3 as expected (66.7%)"},
        {twoOfThree, {"--min-tuning", "66"}, 0, "corpus.txt:5: miss [tuning / a] \"хм\""},
        {twoOfThree, {"--min-tuning", "67"}, 1, "at least 67.0% required: FAILED"},
        {twoOfThree, {"--min-held-back", "100"}, 0, "part held-back: 1 of 1 as expected (100.0%)"},
        {"[part tuning]\nпривет\tПРИВЕТ\n", {"--min-held-back", "50"}, 1, "part held-back: no cases"},
        {"[part tuning]\nну пока\tlearn\n", {}, 1, "unintended farewells: 1: FAILED"},
        {"[part tuning]\nпривет\n", {}, 1, "corpus.txt:2: error:"},
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
        cp("ПОКА.^Пока!;@"),           // 1
        cp("ДЕЛА КАК^Так.;"),          // 2
        cp("ЧТО ТЫ ДЕЛАЕШЬ^Ничего.;"), // 3
        cp("Как^Никак.;"),             // 4
        cp("КАК ДЕЛА?^"),              // 5
        cp("АБ^Аб.;"),                 // 6
        cp("КАК ДЕЛА^Хорошо.;"),       // 7
        cp("_НОРМАЛЬНО^Ну и славно.;"), // 8
        cp("ДЕЛА^Дела.;"),             // 9
        cp("КАК ТЫ ДЕЛА^Так.;"),       // 10
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
        {"пока ты что делаешь? как дела? ааб", "",
         7,
         {{1, Why::EndMark}, {3, Why::WordOrder}, {4, Why::LowerCase}, {5, Why::CannotAnswer}, {6, Why::Backtracked}},
         {{2, Why::WordsLater}, {9, Why::Later}}}, // 10 lies beyond the answer and does not fit
        {"как ты, дела нормально", "Хорошо.", 8,
         {{2, Why::WordOrder}, {4, Why::LowerCase}, {5, Why::EndMark}},
         {{7, Why::Thread}, {9, Why::Thread}, {10, Why::Thread}}},
        // A whole key further down beats the word-by-word fits above it.
        {"как ты, дела", "", 9,
         {{2, Why::WordOrder}, {4, Why::LowerCase}, {5, Why::EndMark}},
         {{7, Why::WordsLater}, {10, Why::WordsLater}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.phrase);
        const kbtool::Explanation e = kbtool::explain(lines, c.phrase, c.after);
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
    std::ofstream(dir.path() / "corpus.txt", std::ios::binary) << "[part tuning]\nкак дела\t_КАК ДЕЛА\tПривет!\n";
    auto r = runProgram(kb, {"test", "-C", "kb", "corpus.txt", "--min-tuning", "100"});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("part tuning: 1 of 1 as expected (100.0%)"), std::string::npos) << r.out;

    r = runProgram(kb, {"-C", "kb", "explain", "--after", "Привет!", "как", "дела"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("After:    \"Привет!\": a reply of line 1 \"ПРИВЕТ\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Answer:   line 2 \"_КАК ДЕЛА\" by the branch scan of the thread"), std::string::npos) << r.out;
}
