// The knowledge-base tool: the check of a knowledge file, the counts, and the passage to and
// from UTF-8 text, both as functions and through the tovrin-kb program itself.
#include "kb/fileerror.h"
#include "kb/files.h"
#include "kbtool/kbtool.h"
#include "kb/linelist.h"
#include "support/childprocess.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tovrin;
using namespace tovrin::test;
using kbtool::Finding;

namespace {

struct Expected {
    int line;
    Finding kind;
    int related = 0;
};

struct CheckCase {
    const char* name;
    std::vector<std::string> lines; // line 0 is the header
    std::vector<Expected> problems;
};

const CheckCase checkCases[] = {
    {"a sound file has no problem",
     {"База знаний", "ПРИВЕТ^Привет!;Здравствуй!;", "_КАК ДЕЛА^Хорошо, а у тебя?;",
      "__ХОРОШО^Вот и славно.;", "_ТЫ КТО^Я программа.;", "ПОКА^До свидания!;@",
      "ЧТО ТАКОЕ СЧАСТЬЕ?^"},
     {}},
    {"the header line is free", {"привет ^^ ;;", "ДА^Да.;"}, {}},
    {"every way of breaking the grammar is an error",
     {"h", "", "ПРИВЕТ", "^Привет;", "__^x;", "ПРИВЕТ ^Привет;", "ПРИВЕТ^Привет", "ПРИВЕТ^Привет;;",
      "ПРИВЕТ^@", "ПРИ;ВЕТ^x;"},
     {{1, Finding::Malformed},
      {2, Finding::Malformed},
      {3, Finding::Malformed},
      {4, Finding::Malformed},
      {5, Finding::Malformed},
      {6, Finding::Malformed},
      {7, Finding::Malformed},
      {8, Finding::Malformed},
      {9, Finding::Malformed}}},
    {"a key with a lower-case letter is never matched",
     {"h", "Привет^Здравствуй;", "hello^Hi;", "ПРИВЕТ, ёЖИК^a;", "123?!^Цифры;", "_да^Да.;"},
     {{1, Finding::LowerCaseKey},
      {2, Finding::LowerCaseKey},
      {3, Finding::LowerCaseKey},
      {5, Finding::LowerCaseKey}}},
    {"a main phrase whose head an earlier one has",
     {"h", "ПРИВЕТ^a;", "ПОКА^b;", "ПРИВЕТ^c;", "ЧТО?^", "ЧТО?^"},
     {{3, Finding::DuplicateHead, 1}, {5, Finding::DuplicateHead, 4}}},
    {"the same branch below different entries is no duplicate",
     {"h", "ПРИВЕТ^a;", "_ДА^x;", "ПОКА^b;", "_ДА^y;", "ЗДРАВСТВУЙ^c;", "_A^x;", "__ДА^y;", "_B^x;",
      "__ДА^z;"},
     {}},
    {"a branch whose head a sibling above it has",
     {"h", "ПРИВЕТ^a;", "_ДА^x;", "_НЕТ^x;", "_ДА^y;", "_A^x;", "__B^y;", "_C^z;", "__B^w;",
      "___D^v;", "_E^u;", "___D^t;"},
     {{4, Finding::DuplicateHead, 2}, {11, Finding::DuplicateHead, 9}}},
    {"a key that holds an earlier main phrase's key",
     {"h", "ПРИВЕТ^a;", "ПРИВЕТ ВСЕМ^b;", "ВСЕМ ПРИВЕТ!^c;", "ДОБРЫЙ ДЕНЬ^d;", "ДЕНЬ^e;"},
     {{2, Finding::Shadowed, 1}, {3, Finding::Shadowed, 1}}},
    {"shadowing follows the lookup's own scan",
     // The scan does not backtrack, so АБ is not found in ААБ; a bare key answers nothing and
     // so shadows nothing; a key the lookup never matches neither shadows nor is shadowed.
     {"h", "АБ^a;", "ААБ^b;", "ВВ^", "ВВГ^c;", "Кот^d;", "КОТЁНОК^e;", "ДД^f;", "ДДЕ^"},
     {{5, Finding::LowerCaseKey}}},
    {"branches that stand below no entry of the depth above them",
     {"h", "_КАК ДЕЛА^x;", "ПРИВЕТ^a;", "__ГЛУБЖЕ^y;", "_A^x;", "__B^y;", "_C^z;", "___D^v;",
      "____E^w;", "ПЛОХО", "_ДА^x;"},
     {{1, Finding::OrphanBranch},
      {3, Finding::OrphanBranch},
      {9, Finding::Malformed},
      {10, Finding::OrphanBranch}}},
};

} // namespace

TEST(KbCheck, FindsEveryProblemOfAKnowledgeFile)
{
    for (const auto& c : checkCases) {
        SCOPED_TRACE(c.name);
        const LineList words = utf8List(c.lines);
        const auto problems = kbtool::checkKnowledge(words);
        ASSERT_EQ(problems.size(), c.problems.size());
        for (size_t i = 0; i < problems.size(); ++i) {
            EXPECT_EQ(problems[i].line, c.problems[i].line) << "problem " << i;
            EXPECT_EQ(problems[i].kind, c.problems[i].kind) << "problem " << i;
            EXPECT_EQ(problems[i].relatedLine, c.problems[i].related) << "problem " << i;
            EXPECT_FALSE(kbtool::describe(problems[i], words).empty());
        }
    }
}

TEST(KbCheck, OnlyGrammarFaultsAreErrors)
{
    EXPECT_EQ(kbtool::severityOf(Finding::Malformed), kbtool::Severity::Error);
    for (Finding f :
         {Finding::LowerCaseKey, Finding::DuplicateHead, Finding::Shadowed, Finding::OrphanBranch})
        EXPECT_EQ(kbtool::severityOf(f), kbtool::Severity::Warning);
}

TEST(KbCheck, AnEntryLongerThanALineMayHoldIsAnError)
{
    const LineList words({"h", cp("ДА^") + std::string(5000, 'x') + ";"});
    const auto problems = kbtool::checkKnowledge(words);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].kind, Finding::Malformed);
    EXPECT_LT(kbtool::describe(problems[0], words).size(), 300u); // quoted by its beginning only
}

TEST(KbStats, CountsAsTheMainWindowDoes)
{
    ScratchDir dir;
    dir.writeLines("Base\\Words.Dat",
                   {"h", "ПРИВЕТ^Привет!;Здравствуй!;", "_КАК ДЕЛА^Хорошо.;", "ПОКА^a;b;c;@",
                    "ЧТО?^", "плохая строка"});
    const std::vector<std::pair<std::string, int>> lists = {
        {"Base\\BigString.Dat", 1}, {"Base\\Pause.Dat", 0}, {"Base\\Povtor.Dat", 2},
        {"Base\\W1.Dat", 3},        {"Base\\W2.Dat", 4},    {"Base\\X.Dat", 5}};
    for (const auto& [path, n] : lists)
        dir.writeLines(path, std::vector<std::string>(static_cast<size_t>(n), "Фраза."));

    const kbtool::Stats s = kbtool::collectStats();
    EXPECT_EQ(s.mainPhrases, 2 + 1); // bare keys count, the malformed line does not
    EXPECT_EQ(s.branches, 1);
    EXPECT_EQ(s.incoming, 5);
    EXPECT_EQ(s.replies, 6);
    ASSERT_EQ(s.lists.size(), lists.size());
    for (size_t i = 0; i < lists.size(); ++i) {
        EXPECT_EQ(s.lists[i].path, lists[i].first);
        EXPECT_EQ(s.lists[i].count, lists[i].second);
    }
    EXPECT_EQ(s.outgoing, 15 + 6);
    EXPECT_EQ(s.total, 5 + 21);

    dir.remove("Base\\Pause.Dat");
    try {
        kbtool::collectStats();
        FAIL() << "a missing list must fail";
    } catch (const FileError& e) {
        EXPECT_STREQ(e.what(), "Cannot open file Base\\Pause.Dat");
    }
}

TEST(KbImport, AcceptsWhatWindows1251CanHold)
{
    const std::string text = "\xEF\xBB\xBF"
                             "Заголовок «базы» — №1\r\nПРИВЕТ^Привет!;\n_ДА^Ёлки…;\n\nтаб\tтаб";
    const auto r = kbtool::prepareImport(text, false);
    ASSERT_TRUE(r.refusals.empty());
    const std::vector<std::string> expected = {cp("Заголовок «базы» — №1"), cp("ПРИВЕТ^Привет!;"),
                                               cp("_ДА^Ёлки…;"), "", cp("таб\tтаб")};
    EXPECT_EQ(r.lines.lines(), expected);
    EXPECT_EQ(kbtool::prepareImport("", true).lines.count(), 0);
    EXPECT_EQ(kbtool::prepareImport("a\n", false).lines.lines(), std::vector<std::string>{"a"});
}

TEST(KbImport, RefusesEveryLineItCannotStoreAndKeepsNothing)
{
    struct Case {
        const char* name;
        std::string text;
        bool entries;
        std::vector<int> refused;
    };
    const Case cases[] = {
        {"characters with no Windows-1251 form", "ok\n日本\nfine\nsmile 😀\nΩ\n", false, {1, 3, 4}},
        {"text that is not UTF-8",
         "a\n\xFF\xFE\nb\xC3\n\xC0\xAF\n\xED\xA0\x80\n",
         false,
         {1, 2, 3, 4}},
        {"control characters", "a\x01\n\x7F\nb\rc\n", false, {0, 1, 2}},
        {"lines that break the grammar, line 0 being free",
         "заголовок без разметки\nПРИВЕТ^a;\nПРИВЕТ\n\n^a;\n",
         true,
         {2, 3, 4}},
        {"the grammar is no rule for a phrase list", "ПРИВЕТ\n\n^a;\n", false, {}},
        {"an entry too long to be read back", "h\nДА^" + std::string(5000, 'x') + ";\n", true, {1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto r = kbtool::prepareImport(c.text, c.entries);
        std::vector<int> refused;
        for (const auto& x : r.refusals) {
            refused.push_back(x.line);
            EXPECT_FALSE(x.reason.empty());
        }
        EXPECT_EQ(refused, c.refused);
        if (!c.refused.empty()) {
            EXPECT_EQ(r.lines.count(), 0);
        }
    }
}

TEST(KbImport, KnowsTheKnowledgeFileByItsName)
{
    for (const char* p : {"Base\\Words.Dat", "Base/words.dat", "WORDS.DAT", "/tmp/x/Words.Dat"})
        EXPECT_TRUE(kbtool::namesKnowledgeFile(p)) << p;
    for (const char* p : {"Base\\W1.Dat", "Base\\Words.Dat.bak", "MyWords.Dat"})
        EXPECT_FALSE(kbtool::namesKnowledgeFile(p)) << p;
}

// ---- the program itself

namespace {

const std::string Kb = std::string(TOVRIN_BINARY_DIR) + "/tovrin-kb";

class KbProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::filesystem::exists(Kb))
            GTEST_SKIP() << "tovrin-kb is not built";
    }
};

} // namespace

TEST_F(KbProgram, AnswersUsageMistakesWithUsageAndStatus2)
{
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        const char* inOut;
        const char* inErr;
    };
    const Case cases[] = {
        {{}, 2, "", "Использование: tovrin-kb"},
        {{"frobnicate"}, 2, "", "неизвестная команда «frobnicate»"},
        {{"import", "-h"}, 0, "Использование: tovrin-kb [-C ПАПКА] import", ""},
        {{"help", "stats"}, 0, "Использование: tovrin-kb [-C ПАПКА] stats", ""},
        {{"explain", "--after-line", "x", "hi"}, 2, "", "--after-line принимает номер строки"},
        {{"explain", "--batch"}, 2, "", "после --batch нужен файл"},
        {{"explain", "--batch", "f", "hi"}, 2, "", "только из его файла"},
        {{"check", "a", "b"}, 2, "", "не больше одного файла"},
        {{"stats", "x"}, 2, "", "аргументов не принимает"},
        {{"export", "--frob"}, 2, "", "неизвестный ключ --frob"},
        {{"test", "--min-tuning", "101", "c"}, 2, "", "процент от 0 до 100"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.empty() ? "(none)" : c.args[0]);
        const auto r = runProgram(Kb, c.args);
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_NE(r.out.find(c.inOut), std::string::npos) << r.out;
        EXPECT_NE(r.err.find(c.inErr), std::string::npos) << r.err;
    }
}

// The general help names every command, and each command's own help shows its usage and
// explains every option of it, each of which the command takes.
TEST_F(KbProgram, EveryCommandIsInTheHelpWithItsOptions)
{
    ScratchDir dir;
    const auto help = runProgram(Kb, {"--help"});
    ASSERT_EQ(help.exitCode, 0);
    std::set<std::string> listed;
    std::istringstream lines(help.out);
    for (std::string line; std::getline(lines, line);)
        if (line.size() > 2 && line.compare(0, 2, "  ") == 0 && line[2] >= 'a' && line[2] <= 'z')
            listed.insert(line.substr(2, line.find(' ', 2) - 2));
    for (const char* command : {"check", "stats", "export", "import", "test", "explain", "merge"})
        EXPECT_TRUE(listed.count(command)) << command << " is missing from:\n" << help.out;
    for (const std::string& command : listed) {
        SCOPED_TRACE(command);
        const auto own = runProgram(Kb, {command, "--help"});
        EXPECT_EQ(own.exitCode, 0);
        const std::string usage = "Использование: tovrin-kb [-C ПАПКА] " + command;
        ASSERT_EQ(own.out.rfind(usage, 0), 0u) << own.out;
        // The usage lines end at the first empty line; every option they show is told below.
        const std::size_t body = own.out.find("\n\n");
        ASSERT_NE(body, std::string::npos);
        const std::string synopsis = own.out.substr(0, body);
        for (std::size_t at = synopsis.find("--"); at != std::string::npos;
             at = synopsis.find("--", at + 2)) {
            const std::string option =
                synopsis.substr(at, synopsis.find_first_of(" ]|\n", at) - at);
            EXPECT_NE(own.out.find("  " + option, body), std::string::npos)
                << option << " is not explained";
            const auto r = runProgram(Kb, {command, option});
            EXPECT_EQ(r.err.find("неизвестный ключ"), std::string::npos) << option << ": " << r.err;
        }
    }
}

TEST_F(KbProgram, CheckNamesEachLineAndFailsOnlyOnErrors)
{
    ScratchDir dir;
    dir.writeLines(
        "Base\\Words.Dat",
        {"h", "ПРИВЕТ^Привет!;Здравствуй!;Салют!;", "ПРИВЕТ ВСЕМ^Всем!;И тебе!;Салют!;"});
    auto r = runProgram(Kb, {"check", "--no-words"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(
        r.out.find(
            "Base\\Words.Dat:2: предупреждение: ключ \"ПРИВЕТ ВСЕМ\" содержит ключ \"ПРИВЕТ\" строки 1"),
        std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("2 записи, 0 ошибок, 1 предупреждение."), std::string::npos) << r.out;

    dir.writeLines("Base/other.dat", {"h", "ПРИВЕТ^Привет!", "ДА^Да.;"});
    r = runProgram(Kb, {"check", "Base/other.dat"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(
        r.out.find("Base/other.dat:1: ошибка: ответ не закрыт знаком «;»: \"ПРИВЕТ^Привет!\""),
        std::string::npos)
        << r.out;

    r = runProgram(Kb, {"-C", dir.path().string(), "check", "Base\\Missing.Dat"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Cannot open file Base\\Missing.Dat."), std::string::npos) << r.err;
}

TEST_F(KbProgram, StatsShowTheWindowsWords)
{
    ScratchDir dir;
    dir.writeLines("Base\\Words.Dat", {"h", "ПРИВЕТ^Привет!;Здравствуй!;", "_КАК ДЕЛА^Хорошо.;"});
    for (const char* p : {"Base\\BigString.Dat", "Base\\Pause.Dat", "Base\\Povtor.Dat",
                          "Base\\W1.Dat", "Base\\W2.Dat", "Base\\X.Dat"})
        dir.writeLines(p, {"Раз.", "Два."});
    const auto r = runProgram(Kb, {"stats"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, r.out.find("\n\n") + 1),
              "Программе известно:   [главные фразы - 1   ветки - 1]\n"
              "Входящие выражения: [2]\n"
              "Исходящие выражения: [15]\n"
              "Итого: [17]\n");
}

// The text without its first line, the version it was exported from.
std::string withoutVersionLine(const std::string& exported)
{
    return exported.substr(exported.find('\n') + 1);
}

TEST_F(KbProgram, ExportAndImportGoBothWaysThroughUtf8)
{
    ScratchDir dir;
    dir.writeLines("Base\\Words.Dat", {"Заголовок", "ПРИВЕТ^Привет!;", "ЁЖ^Ёжик — «колючий».;"});
    auto r = runProgram(Kb, {"export"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.rfind("# tovrin-kb export, version ", 0), 0u) << r.out;
    EXPECT_EQ(withoutVersionLine(r.out), "Заголовок\nПРИВЕТ^Привет!;\nЁЖ^Ёжик — «колючий».;\n");

    r = runProgram(Kb, {"import"}, r.out + "ПОКА^До свидания!;@\r\n");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string saved = bytesOf(dir.path() / "Base" / "Words.Dat");
    EXPECT_EQ(saved.rfind("{\\rtf", 0), 0u) << "saved in the program's own form";
    EXPECT_EQ(dir.readLines("Base\\Words.Dat"),
              (std::vector<std::string>{"Заголовок", "ПРИВЕТ^Привет!;", "ЁЖ^Ёжик — «колючий».;",
                                        "ПОКА^До свидания!;@"}));

    // A phrase list takes any line; the knowledge file only entries.
    r = runProgram(Kb, {"import", "Base\\W1.Dat"}, "Просто фраза\nещё одна;\n");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(dir.readLines("Base\\W1.Dat"),
              (std::vector<std::string>{"Просто фраза", "ещё одна;"}));
}

// Whatever a stored list holds, its export imports back to the very same lines: a first line
// that begins as an RTF document does, and the one byte Windows-1251 leaves unassigned.
TEST_F(KbProgram, EveryExportImportsBackToTheSameLines)
{
    const struct {
        const char* name;
        std::string file;
        std::vector<std::string> lines; // Windows-1251
    } cases[] = {
        {"a phrase list beginning as RTF",
         "Base\\W1.Dat",
         {"{\\rtf1 " + cp("фраза"), cp("Вторая фраза.")}},
        {"a header beginning as RTF", "Base\\Words.Dat", {"{\\rtf1\\ansi}", cp("ПРИВЕТ^Привет!;")}},
        {"the unassigned byte", "Base\\W2.Dat", {cp("Фраза \x98 с ним."), "\x98"}},
        {"the unassigned byte in a reply", "Base\\Words.Dat", {"h", cp("ПРИВЕТ^При\x98вет!;")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        LineList(c.lines).save(c.file);
        const auto exported = runProgram(Kb, {"export", c.file});
        ASSERT_EQ(exported.exitCode, 0) << exported.err;
        const auto imported = runProgram(Kb, {"import", c.file}, exported.out);
        EXPECT_EQ(imported.exitCode, 0) << imported.err;
        LineList back;
        back.load(c.file);
        EXPECT_EQ(back.lines(), c.lines);
    }
    // An RTF document is still refused where the list's own text does not begin so.
    ScratchDir dir;
    LineList({cp("Фраза.")}).save("Base\\W1.Dat");
    ASSERT_EQ(runProgram(Kb, {"export", "Base\\W1.Dat"}).exitCode, 0);
    const auto r =
        runProgram(Kb, {"import", "Base\\W1.Dat"}, bytesOf(dir.path() / "Base" / "W1.Dat"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("текст — документ RTF"), std::string::npos) << r.err;
}

TEST_F(KbProgram, ARefusedImportWritesNothing)
{
    ScratchDir dir;
    dir.writeLines("Base\\Words.Dat", {"h", "ПРИВЕТ^Привет!;"});
    const std::string before = bytesOf(dir.path() / "Base" / "Words.Dat");
    const auto r = runProgram(Kb, {"import", "Base\\Words.Dat"}, "h\nДА^Да.;\nПЛОХО\nИКС^日本;\n");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("строка 2: после ключа нет знака «^»."), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("строка 3: символа 5 \"日\" нет в Windows-1251."), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("оставлен как был (отвергнуто строк: 2)"), std::string::npos) << r.err;
    EXPECT_EQ(bytesOf(dir.path() / "Base" / "Words.Dat"), before);
    for (const auto& e : std::filesystem::directory_iterator(dir.path() / "Base"))
        EXPECT_TRUE(e.path().filename() == "Words.Dat" || e.path().filename() == ".tovrin.lock")
            << e.path();
}

namespace {

// Runs tovrin-kb with its standard input taken from fd (-1: closed), standard error into a file;
// with peakKilobytes, also its peak memory.
RunResult runWithInput(const std::vector<std::string>& args, int fd, long* peakKilobytes = nullptr)
{
    const std::string errors = "kb-errors.txt";
    const pid_t pid = ::fork();
    if (pid == 0) {
        // The address sanitizer keeps what is freed for a while, which is not the program's.
        if (const char* sanitizer = std::getenv("ASAN_OPTIONS");
            peakKilobytes != nullptr && sanitizer != nullptr)
            ::setenv("ASAN_OPTIONS", (std::string(sanitizer) + ":quarantine_size_mb=0").c_str(), 1);
        const int err = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(err, STDERR_FILENO);
        if (fd >= 0)
            ::dup2(fd, STDIN_FILENO);
        else {
            ::close(STDIN_FILENO);
            // A preloaded library (the hour proof's fake clock) opens a file as it starts and
            // would be given the free descriptor 0: the program must meet a closed one.
            ::unsetenv("LD_PRELOAD");
        }
        std::vector<char*> argv{const_cast<char*>(Kb.c_str())};
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(Kb.c_str(), argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    if (peakKilobytes != nullptr)
        *peakKilobytes = usage.ru_maxrss;
    RunResult r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.err = bytesOf(errors);
    std::filesystem::remove(errors);
    return r;
}

} // namespace

// An input that is empty, unreadable or not text never replaces the file.
TEST_F(KbProgram, AnImportWithoutEntriesOrWithoutInputWritesNothing)
{
    ScratchDir dir;
    dir.writeLines("Base\\Words.Dat", {"h", "ПРИВЕТ^Привет!;"});
    dir.writeLines("Base\\W2.Dat", {"Фраза."});
    ASSERT_EQ(runProgram(Kb, {"export"}).exitCode, 0);
    const std::string before = bytesOf(dir.path() / "Base" / "Words.Dat");
    struct Case {
        const char* name;
        std::vector<std::string> args;
        std::string input;
        const char* why;
    };
    const Case cases[] = {
        {"nothing at all", {"import"}, "", "в тексте нет ни одной записи после строки заголовка"},
        {"the header alone",
         {"import"},
         "h\n",
         "в тексте нет ни одной записи после строки заголовка"},
        {"a phrase list with no line",
         {"import", "Base\\W1.Dat"},
         "\xEF\xBB\xBF",
         "в тексте нет ни одной строки"},
        // An empty variable in a script: blank lines hold no phrase, forced or not.
        {"a phrase list of one empty line",
         {"import", "Base\\W1.Dat"},
         "\n",
         "в тексте нет ни одной фразы"},
        {"a phrase list of blanks, forced",
         {"import", "--force", "Base\\W1.Dat"},
         "\n  \r\n\t\n",
         "в тексте нет ни одной фразы"},
        {"an existing list of empty lines",
         {"import", "--force", "Base\\W2.Dat"},
         "\n\n",
         "в тексте нет ни одной фразы"},
        {"an RTF document",
         {"import"},
         "{\\rtf1\\ansi h\\par ДА^Да.;\\par}\r\n",
         "текст — документ RTF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto r = runProgram(Kb, c.args, c.input);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find(c.why), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("оставлен как был."), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("записано"), std::string::npos) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "Base" / "W1.Dat"));
    EXPECT_EQ(dir.readLines("Base\\W2.Dat"), std::vector<std::string>{"Фраза."});

    const int folder = ::open(".", O_RDONLY | O_DIRECTORY);
    for (const int fd : {folder, -1}) {
        SCOPED_TRACE(fd < 0 ? "closed" : "a folder");
        const auto r = runWithInput({"import"}, fd);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find("не удалось прочесть стандартный ввод: "), std::string::npos) << r.err;
    }
    ::close(folder);
    EXPECT_EQ(bytesOf(dir.path() / "Base" / "Words.Dat"), before);

    // Said explicitly, an empty file is what the user wants (an empty text is no exported one).
    const auto r = runProgram(Kb, {"import", "--allow-empty", "--force"}, "");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(dir.readLines("Base\\Words.Dat").empty());
}

// What the program learnt between the export and the import is never dropped unasked: a text
// replaces only the version it was exported from, whatever was exported or imported since.
TEST_F(KbProgram, AnImportRefusesAFileThatChangedSinceItsExport)
{
    ScratchDir dir;
    dir.writeLines("Base\\Words.Dat", {"h", "ПРИВЕТ^Привет!;"});
    const auto exported = [] {
        const auto r = runProgram(Kb, {"export"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return r.out;
    };
    const auto learn = [](const std::string& key) {
        FileLock lock("Base\\Words.Dat");
        LineList words;
        words.load("Base\\Words.Dat");
        words.add(cp(key));
        words.save("Base\\Words.Dat");
    };
    const auto import = [](const std::string& text) { return runProgram(Kb, {"import"}, text); };
    const std::string changed = "изменился после выгрузки";

    // A text that names no version.
    auto r = import("h\nПРИВЕТ^Привет!;Здорово!;\n");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("не говорит, из какой версии"), std::string::npos) << r.err;

    // Exported for editing; the program learns; exported again only to look: the edited first
    // text is still refused.
    const std::string forEditing = exported();
    learn("ЧТО НОВОГО?^");
    const std::string toLook = exported();
    r = import(forEditing + "ПОКА^Пока.;\n");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find(changed), std::string::npos) << r.err;
    EXPECT_EQ(dir.readLines("Base\\Words.Dat"),
              (std::vector<std::string>{"h", "ПРИВЕТ^Привет!;", "ЧТО НОВОГО?^"}));

    // Two texts from one export, edited apart: the first goes in, the second would undo it.
    const std::string first = toLook + "ПЕРВАЯ^Правка.;\n";
    const std::string second = toLook + "ВТОРАЯ^Правка.;\n";
    EXPECT_EQ(import(first).exitCode, 0);
    r = import(second);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find(changed), std::string::npos) << r.err;
    EXPECT_EQ(dir.readLines("Base\\Words.Dat").back(), "ПЕРВАЯ^Правка.;");
    // The same text again loses nothing.
    EXPECT_EQ(import(first).exitCode, 0);

    // Exported anew, the second edit goes in on top of the first.
    EXPECT_EQ(import(exported() + "ВТОРАЯ^Правка.;\n").exitCode, 0);
    EXPECT_EQ(dir.readLines("Base\\Words.Dat"),
              (std::vector<std::string>{"h", "ПРИВЕТ^Привет!;", "ЧТО НОВОГО?^", "ПЕРВАЯ^Правка.;",
                                        "ВТОРАЯ^Правка.;"}));

    r = runProgram(Kb, {"import", "--force", "Base\\Words.Dat"}, forEditing);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(dir.readLines("Base\\Words.Dat"), (std::vector<std::string>{"h", "ПРИВЕТ^Привет!;"}));
}

// A file that cannot be opened is explained by its real cause.
TEST_F(KbProgram, CannotOpenNamesTheCause)
{
    ScratchDir dir;
    dir.writeLines("Base\\Words.Dat", {"h"});
    std::filesystem::create_directories(dir.path() / "Base" / "Folder.Dat");
    const std::string hint = "Запустите команду в рабочей папке программы";
    struct Case {
        std::string file;
        const char* cause;
        bool hinted;
    };
    const Case cases[] = {
        {"Base\\Missing.Dat", "такого файла нет.", false},
        {"Base\\Folder.Dat", "это папка, а не файл.", false},
        {"Elsewhere\\Words.Dat", "здесь нет папки Elsewhere.", true},
        {"D:\\Txt.Dat", "называет диск или сетевую папку", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const auto r = runProgram(Kb, {"export", c.file});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find("Cannot open file " + c.file + "."), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.cause), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find(hint) != std::string::npos, c.hinted) << r.err;
    }
}

TEST_F(KbProgram, CheckReportsControlCharacters)
{
    ScratchDir dir;
    // Three replies each and no word list, so that no advice for authors joins the findings.
    dir.write("Base\\Words.Dat",
              cp("h\x01\r\nПРИВЕТ^При\x1b[2Jвет;Здравствуй;Хай;\r\nДА^Да\t.;Ага.;Угу.;\r\n"));
    const auto r = runProgram(Kb, {"check", "--no-words"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Base\\Words.Dat:0: предупреждение: символ 2 (01) — управляющий"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("Base\\Words.Dat:1: предупреждение: символ 11 (1B) — управляющий"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("2 записи, 0 ошибок, 2 предупреждения."), std::string::npos) << r.out;
}

// However its input is shaped, tovrin-kb holds no more than a few times what it reads: the
// import converts the text line by line into the packed form of a loaded list, and the check
// keeps views into the list it checks.
TEST_F(KbProgram, ImportAndCheckTakeMemoryInProportionToTheirInput)
{
    ScratchDir dir;
    dir.writeLines("Base\\W1.Dat", {"Фраза."});
    {
        // Written piece by piece: what this process holds when it starts the program counts in
        // the program's peak until it has started.
        std::ofstream blank(dir.path() / "blank.txt", std::ios::binary);
        const std::string piece(1 << 16, '\n');
        for (int n = 0; n < 64; ++n)
            blank << piece;
        std::ofstream words(dir.path() / "Base" / "Words.Dat", std::ios::binary);
        const std::string key = cp("ПРОСТО ОЧЕНЬ ДЛИННЫЙ КЛЮЧ ");
        const std::string replies = cp("?^Да;Нет;Может быть;\r\n");
        words << "h\r\n";
        for (int n = 0; n < 200000; ++n)
            words << key << n << replies;
    }
    const struct {
        const char* name;
        std::vector<std::string> args;
        std::string input;
        std::filesystem::path measure; // the bound is a multiple of this file's size
        long times;
    } cases[] = {
        // Blank lines are no phrase: only an import told so stores them.
        {"an import of 4 MiB of blank lines",
         {"import", "--force", "--allow-empty", "Base\\W1.Dat"},
         "blank.txt",
         "blank.txt",
         10},
        // About 5 times above the start with the sanitizers (55 MiB for 200,000 entries); the
        // old check took 8.5 times before the sanitizers.
        {"a check of 200,000 entries", {"check", "--no-words"}, "/dev/null", "Base/Words.Dat", 8},
    };
    // What the program holds before it reads a byte (its runtime, the sanitizers' own) is
    // not what it holds for its input.
    long atStart = 0;
    ASSERT_EQ(runWithInput({"--version"}, -1, &atStart).exitCode, 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const long bytes = static_cast<long>(std::filesystem::file_size(dir.path() / c.measure));
        const int input = ::open(c.input.c_str(), O_RDONLY);
        long peak = 0;
        const RunResult r = runWithInput(c.args, input, &peak);
        ::close(input);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_LT((peak - atStart) * 1024, c.times * bytes)
            << "peak " << peak / 1024 << " MiB, " << atStart / 1024
            << " MiB of it at the start, for " << bytes / 1024 / 1024 << " MiB";
        std::cout << "[ " << c.name << " ] peak " << peak / 1024 << " MiB, " << atStart / 1024
                  << " MiB of it at the start\n";
    }
}
