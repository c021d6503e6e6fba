// The terminal program: phrases in, the program's lines out (and with --transcript the
// phrases too), line editing at a terminal, the dialogue log at the end; and two copies
// learning into one Base\ at once without losing each other's lessons.
#include "support/engine_fixture.h"
#include "kb/cp1251.h"
#include "kb/entry.h"
#include "support/childprocess.h"
#include "tovrin/version.h"

#include <chrono>
#include <fcntl.h>
#include <functional>
#include <sys/resource.h>
#include <thread>
#include <poll.h>
#include <pty.h>
#include <fstream>
#include <set>
#include <sstream>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace tovrin::test {
namespace {

const std::string kConsole = std::string(TOVRIN_BINARY_DIR) + "/tovrin-console";

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Starts the console in the current folder with files for its three streams.
pid_t start(const std::string& input, const std::string& output, const std::string& errors,
            const char* option = nullptr)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int in = ::open(input.c_str(), O_RDONLY);
        const int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0)
            ::_exit(127);
        ::dup2(in, STDIN_FILENO);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        ::execl(kConsole.c_str(), kConsole.c_str(), option, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    return pid;
}

int finish(pid_t pid)
{
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class Console : public EngineTest {
protected:
    Console()
    {
        // Entries with one reply each, so that the output does not depend on the dice.
        dir.writeLines("Base\\Words.Dat", {"Знания", "ПРИВЕТ^Привет!;", "ПОКА^До свидания!;@"});
    }

    struct Run {
        int status;
        std::vector<std::string> out;
        std::string err;
    };
    Run run(const std::string& input, const char* option = nullptr)
    {
        dir.write("in.txt", input);
        const int status = finish(start("in.txt", "out.txt", "err.txt", option));
        return {status, linesOf(bytesOf("out.txt")), bytesOf("err.txt")};
    }
};

TEST_F(Console, PrintsWhatTheProgramSaysAndWithTheTranscriptThePhrasesToo)
{
    const struct {
        const char* option;
        std::vector<std::string> out;
    } cases[] = {
        {nullptr, {"Отклик на фразу.", "Привет!"}},
        {"--transcript",
         {"USER:     Как погода.", "CPU:     Отклик на фразу.", "USER:     Привет.",
          "CPU:     Привет!"}},
    };
    for (const auto& c : cases) {
        dir.writeLines("Base\\Log.Tovrin", {});
        const Run r = run("как погода\nпривет\n", c.option);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, c.out) << (c.option ? c.option : "by default");
        EXPECT_EQ(r.err, "");
    }
    const auto log = file("Base\\Log.Tovrin");
    ASSERT_EQ(log.size(), 11u);
    EXPECT_EQ(log[5], "//Загружено фраз выученных программой: 2");
    EXPECT_EQ(
        std::vector<std::string>(log.begin() + 6, log.end()),
        (std::vector<std::string>{"USER:     Как погода.", "CPU:     Отклик на фразу.",
                                  "USER:     Привет.", "CPU:     Привет!", std::string(53, '=')}));
    EXPECT_EQ(log[3].rfind(std::string(22, ' ') + "Дата - ", 0), 0u) << log[3];
    EXPECT_NE(log[3].find("   |   Время - "), std::string::npos) << log[3];
}

TEST(Programs, AnswerHelpAndVersionAndRefuseAnUnknownOption)
{
    const std::string bin = std::string(TOVRIN_BINARY_DIR) + "/";
    const std::string version = std::string(" ") + kVersion + "\n";
    const struct {
        const char* program;
        std::vector<std::string> args;
        int status;
        std::string out; // the beginning of standard output
    } cases[] = {
        {"tovrin-console", {"--version"}, 0, "tovrin-console" + version},
        {"tovrin-console", {"--help"}, 0, "Использование: tovrin-console [--transcript]\n"},
        {"tovrin-console", {"--transcript", "--bogus"}, 2, ""},
        {"tovrin-kb", {"--version"}, 0, "tovrin-kb" + version},
        {"tovrin-kb", {"--help"}, 0, "Использование: tovrin-kb"},
        {"tovrin", {"--version"}, 0, "tovrin" + version},
        {"tovrin", {"--help"}, 0, "Использование: tovrin [--help]"},
    };
    for (const auto& c : cases) {
        if (::access((bin + c.program).c_str(), X_OK) != 0)
            continue; // the window program is not built without Qt
        const RunResult r = runProgram(bin + c.program, c.args);
        EXPECT_EQ(r.exitCode, c.status) << c.program << " " << c.args.back() << r.err;
        EXPECT_EQ(r.out.substr(0, c.out.size()), c.out) << c.program << " " << c.args.back();
        EXPECT_EQ(r.err.empty(), c.status == 0) << c.program << " " << c.args.back() << r.err;
    }
}

// A hostile file's escape sequences never reach the terminal as such: every program shows a
// control character of a file as an escape, in a reply, in a malformed line and in a header.
TEST(Programs, ShowAFilesControlCharactersAsEscapes)
{
    ScratchDir dir(true);
    dir.write("Base\\Words.Dat",
              cp("h\x1b]0;title\x07\r\nПРИВЕТ^При\x1b[2Jвет;\r\n"
                 "ПЛОХ\x7fАЯ\x01СТРОКА\r\n"));
    const std::string bin = std::string(TOVRIN_BINARY_DIR) + "/";
    const struct {
        const char* program;
        std::vector<std::string> args;
        std::string input;
        std::vector<std::string> shown; // in standard output
    } cases[] = {
        {"tovrin-kb", {"check", "--no-words"}, "", {"ПЛОХ\\x7FАЯ\\x01СТРОКА"}},
        {"tovrin-kb", {"explain", "привет"}, "", {"При\\x1B[2Jвет"}},
        {"tovrin-kb", {"export", "Base\\Missing\x1b[2J.Dat"}, "", {}},
        {"tovrin-kb", {"export", "Elsewhere\x1b[2J\\W1.Dat"}, "", {}},
        {"tovrin-console", {}, "привет\n", {"При\\x1B[2Jвет"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.program + (c.args.empty() ? std::string() : " " + c.args.front()));
        const RunResult r = runProgram(bin + c.program, c.args, c.input);
        for (const std::string& text : c.shown)
            EXPECT_NE(r.out.find(text), std::string::npos) << r.out;
        for (const std::string* stream : {&r.out, &r.err})
            EXPECT_TRUE(std::none_of(stream->begin(), stream->end(), [](char ch) {
                return ch != '\n' && cp1251::isControl(ch);
            })) << *stream;
    }
}

TEST_F(Console, TakesEachLineAsTypedIntoTheInputLine)
{
    std::string longPhrase;
    for (int i = 0; i < 300; ++i)
        longPhrase += "я";
    std::string cut = "Я";
    for (int i = 1; i < 255; ++i)
        cut += "я";
    const Run r = run("\n\r\nпривет\r\n" + longPhrase + "\n日本\n", "--transcript");
    EXPECT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(r.out.size(), 6u);
    EXPECT_EQ(r.out[0], "USER:     Привет."); // empty lines say nothing; CR LF is a line end
    EXPECT_EQ(r.out[2], "USER:     " + cut + "."); // 255 characters, then the final "."
    EXPECT_EQ(r.out[4], "USER:     ??"); // no Windows-1251 form; a final "?" needs no "."
}

TEST_F(Console, AFarewellEndsTheDialogue)
{
    const Run r = run("привет\nпока\nещё одно\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, (std::vector<std::string>{"Привет!", "До свидания!"}));
    const auto log = file("Base\\Log.Tovrin");
    EXPECT_EQ(log[log.size() - 2], "CPU:     До свидания!");
}

// A turn that fails is reported, the next phrase is still taken, and the exit status says so.
TEST_F(Console, AFailedTurnIsReportedTheNextPhraseTakenAndTheExitFails)
{
    struct Case {
        const char* name;
        std::function<void()> spoil;
        std::string input;
        std::vector<std::string> out;
        std::string err;
    };
    const Case cases[] = {
        // The failed turn says nothing.
        {"a missing list",
         [&] { dir.remove("Base\\W2.Dat"); },
         "как погода\nпривет\n",
         {"Привет!"},
         "Cannot open file Base\\W2.Dat\n"},
        {"a read-only knowledge file",
         [&] {
             dir.writeLines("Base\\W2.Dat", {"Отклик на фразу."});
             std::filesystem::permissions(dir.path() / "Base/Words.Dat",
                                          std::filesystem::perms::owner_read);
         },
         "привет\nкак погода\nпривет\n",
         {"Привет!", "Привет!"},
         "Cannot create file Base\\Words.Dat\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.spoil();
        const Run r = run(c.input);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(file("Base\\Log.Tovrin").back(), std::string(53, '='))
            << "the log is still written";
    }
}

// However long a line, only what the input line can take of it is held.
TEST_F(Console, AHugeLineIsReadInBoundedPieces)
{
    const std::size_t lineBytes = 64u << 20;
    {
        std::ofstream in(dir.path() / "in.txt", std::ios::binary);
        const std::string piece = std::string(1 << 20, 'z');
        for (std::size_t written = 0; written < lineBytes; written += piece.size())
            in << piece;
        in << "\nпривет\n";
    }
    const pid_t pid = start("in.txt", "out.txt", "err.txt", "--transcript");
    int status = 0;
    rusage usage{};
    ASSERT_EQ(::wait4(pid, &status, 0, &usage), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << bytesOf("err.txt");
    const auto out = linesOf(bytesOf("out.txt"));
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[0], "USER:     " + std::string(255, 'z') + ".");
    EXPECT_EQ(out[2], "USER:     Привет.");
    // Kilobytes; the line alone would take more than 64 MiB.
    EXPECT_LT(usage.ru_maxrss, 48 * 1024) << "the line was held whole";
    std::cout << "[ huge line ] peak " << usage.ru_maxrss / 1024 << " MiB\n";
}

const char* const kLockWaitLine =
    "tovrin-console: другая копия программы сейчас сохраняет файлы в Base, жду, пока она закончит.";

// A copy that waits for another one's save says so after a second, then goes on.
TEST_F(Console, AWaitForTheLockIsAnnounced)
{
    dir.write("in.txt", "привет\nкак погода\n");
    pid_t pid = -1;
    {
        FileLock held("Base\\Words.Dat");
        pid = start("in.txt", "out.txt", "err.txt");
        for (int i = 0; i < 6000 && bytesOf("err.txt").empty(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_EQ(bytesOf("err.txt"), std::string(kLockWaitLine) + "\n");
    }
    EXPECT_EQ(finish(pid), 0);
    EXPECT_EQ(linesOf(bytesOf("out.txt")),
              (std::vector<std::string>{"Привет!", "Отклик на фразу."}));
    EXPECT_EQ(lastLineOf("Base\\W2.Dat"), "Как погода.");
}

TEST_F(Console, AnUnwritableLogFailsTheExit)
{
    dir.remove("Base\\Log.Tovrin");
    const Run r = run("привет\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, (std::vector<std::string>{"Привет!"}));
    EXPECT_NE(r.err.find("Cannot open file Base\\Log.Tovrin"), std::string::npos) << r.err;
    EXPECT_FALSE(dir.exists("Base\\Log.Tovrin"));
}

// A reply that could not be written is a failed turn: standard output closed or on a full
// disk fails the exit, and the dialogue goes on to its log.
TEST_F(Console, AReplyThatCannotBeWrittenFailsTheExit)
{
    dir.write("in.txt", "привет\nкак погода\n");
    for (const char* output : {"/dev/full", "closed"}) {
        SCOPED_TRACE(output);
        dir.writeLines("Base\\Log.Tovrin", {});
        const pid_t pid = ::fork();
        if (pid == 0) {
            const int in = ::open("in.txt", O_RDONLY);
            const int err = ::open("err.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(in, STDIN_FILENO);
            ::dup2(err, STDERR_FILENO);
            if (std::string(output) == "closed") {
                ::close(STDOUT_FILENO);
                ::unsetenv("LD_PRELOAD"); // a preloaded library would be given the free descriptor
            } else {
                ::dup2(::open(output, O_WRONLY), STDOUT_FILENO);
            }
            ::execl(kConsole.c_str(), kConsole.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        EXPECT_EQ(finish(pid), 1);
        const std::string err = bytesOf("err.txt");
        EXPECT_NE(err.find("a reply could not be written to standard output"), std::string::npos)
            << err;
        EXPECT_EQ(file("Base\\Log.Tovrin").back(), std::string(53, '='))
            << "the log is still written";
    }
}

TEST_F(Console, NoInputStillWritesAnEmptyDialogue)
{
    const Run r = run("");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(file("Base\\Log.Tovrin").back(), std::string(53, '='));
}

// A console on a pseudo-terminal, typed at as a person would: each line after the prompt.
class Terminal {
public:
    explicit Terminal(const char* option)
    {
        pid_ = ::forkpty(&fd_, nullptr, nullptr, nullptr);
        if (pid_ == 0) {
            // The editor's keys and its settings file must not come from the machine.
            ::setenv("TERM", "xterm", 1);
            ::setenv("HOME", ".", 1);
            ::execl(kConsole.c_str(), kConsole.c_str(), option, static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    ~Terminal()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool started() const { return pid_ > 0; }

    // Reads what the console shows until `part` is shown from `from` on, or until it closes
    // (when part is empty).
    bool waitFor(const std::string& part, std::size_t from = 0)
    {
        for (;;) {
            if (!part.empty() && screen.find(part, from) != std::string::npos)
                return true;
            pollfd ready{fd_, POLLIN, 0};
            if (::poll(&ready, 1, 60000) <= 0)
                return false; // a safety net only: the console answers or ends on its own
            char buffer[512];
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n <= 0)
                return part.empty();
            screen.append(buffer, static_cast<std::size_t>(n));
        }
    }
    // The line editor shows its prompt before it takes the terminal key by key; what is typed
    // in between goes through the terminal's own line editing, which drops a Ctrl+D. So keys
    // are typed only once the console reads them one by one, as a person's would be.
    void type(const std::string& keys)
    {
        for (int waited = 0;; waited += 10) {
            termios mode{};
            ASSERT_EQ(::tcgetattr(fd_, &mode), 0);
            if ((mode.c_lflag & ICANON) == 0)
                break;
            ASSERT_LT(waited, 60000) << "the console never took the terminal key by key";
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ASSERT_EQ(::write(fd_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }
    int end()
    {
        waitFor("");
        ::close(fd_);
        fd_ = -1;
        return finish(pid_);
    }

    std::string screen;

private:
    int fd_ = -1;
    pid_t pid_ = -1;
};

std::size_t occurrences(const std::string& text, const std::string& part)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos;
         at = text.find(part, at + part.size()))
        ++n;
    return n;
}

TEST_F(Console, ATerminalGetsAPromptAndLeavesWithControlDOrControlC)
{
    // Ctrl+C ends the session as Ctrl+D does, the dialogue log written; a half-typed line
    // is dropped, never said.
    const struct {
        const char* name;
        const char* keys;
    } ways[] = {
        {"Ctrl+D", "\x04"}, {"Ctrl+C", "\x03"}, {"Ctrl+C on a half-typed line", "пока\x03"}};
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        dir.writeLines("Base\\Log.Tovrin", {});
        Terminal t(nullptr);
        ASSERT_TRUE(t.started());
        ASSERT_TRUE(t.waitFor("> ")) << t.screen;
        t.type("привет\r");
        ASSERT_TRUE(t.waitFor("Привет!\r\n> ")) << t.screen;
        t.type(way.keys);
        EXPECT_EQ(t.end(), 0) << t.screen;
        EXPECT_EQ(occurrences(t.screen, "Привет."), 0u) << "the phrase was echoed: " << t.screen;
        const auto log = file("Base\\Log.Tovrin");
        ASSERT_GE(log.size(), 3u);
        EXPECT_EQ(log[log.size() - 3], "USER:     Привет.");
        EXPECT_EQ(log[log.size() - 2], "CPU:     Привет!");
        EXPECT_EQ(log.back(), std::string(53, '='));
    }
}

TEST_F(Console, ATerminalEditsTheLineAndRecallsTheSessionsPhrases)
{
    Terminal t("--transcript");
    ASSERT_TRUE(t.started());
    const struct {
        const char* keys;
        const char* said; // the phrase as the transcript shows it
    } turns[] = {
        {"привет\r", "USER:     Привет.\r\n"},
        {"\x1b[A\r", "USER:     Привет.\r\n"}, // Up recalls the last phrase
        {"пка\x1b[D\x1b[Dо\r", "USER:     Пока.\r\n"}, // Left twice, then a letter
    };
    std::size_t shown = 0;
    for (const auto& turn : turns) {
        ASSERT_TRUE(t.waitFor("> ", shown)) << t.screen;
        shown = t.screen.size();
        t.type(turn.keys);
        ASSERT_TRUE(t.waitFor(turn.said, shown)) << "expected " << turn.said << " in " << t.screen;
        shown = t.screen.find(turn.said, shown) + std::string(turn.said).size();
    }
    EXPECT_EQ(t.end(), 0) << t.screen; // the farewell ends it
    const auto log = file("Base\\Log.Tovrin");
    ASSERT_GE(log.size(), 7u);
    EXPECT_EQ(log[log.size() - 3], "USER:     Пока.");
}

TEST_F(Console, TwoCopiesLearnIntoOneBaseWithoutLosingALesson)
{
    // Every fallback reply is a key, so that each lesson also teaches the entry of the
    // previous reply and moves it.
    dir.writeLines("Base\\Words.Dat", {"Знания", "ЯСНО.^"});
    dir.writeLines("Base\\W2.Dat", {"Ясно."});
    const int perCopy = 300;
    struct Copy {
        const char* letter;
        const char* capital;
        const char* input;
    };
    std::set<std::string> keys;
    for (const Copy& copy : {Copy{"а", "А", "a.in"}, Copy{"б", "Б", "b.in"}}) {
        std::string input = "начнём\n"; // the first turn of a run learns nothing
        for (int i = 0; i < perCopy; ++i) {
            char number[12]; // room for any int
            std::snprintf(number, sizeof number, "%03d", i);
            input += std::string("число ") + copy.letter + number + " сказано\n";
            keys.insert(std::string("ЧИСЛО ") + copy.capital + number + " СКАЗАНО.");
        }
        dir.write(copy.input, input);
    }
    const pid_t a = start("a.in", "a.out", "a.err");
    const pid_t b = start("b.in", "b.out", "b.err");
    EXPECT_EQ(finish(a), 0) << bytesOf("a.err");
    EXPECT_EQ(finish(b), 0) << bytesOf("b.err");
    // A copy may wait a second for the other's save, and says so; nothing else goes wrong.
    std::string errors;
    for (const auto& line : linesOf(bytesOf("a.err") + bytesOf("b.err")))
        if (line != kLockWaitLine)
            errors += line + "\n";
    EXPECT_EQ(errors, "");

    LineList words;
    words.load("Base\\Words.Dat");
    std::set<std::string> heads;
    int taught = 0;
    for (int i = 1; i < words.count(); ++i) {
        const std::string line = words.get(i);
        EXPECT_TRUE(EntryWellFormed(line)) << utf(line);
        EXPECT_TRUE(heads.insert(utf(EntryHead(line))).second) << "twice: " << utf(line);
        taught += EntryReplyCount(line);
    }
    for (const auto& key : keys)
        EXPECT_TRUE(heads.count(key)) << "lost: " << key;
    EXPECT_EQ(heads.size(), keys.size() + 1); // and ЯСНО.
    EXPECT_GT(taught, perCopy);

    EXPECT_EQ(file("Base\\W2.Dat").size(), 1u + 2 * perCopy);
    const auto log = file("Base\\Log.Tovrin");
    EXPECT_EQ(std::count(log.begin(), log.end(), std::string(53, '=')), 2);
    EXPECT_EQ(log.size(), 2 * (6 + 2 * (perCopy + 1) + 1));
}

} // namespace
} // namespace tovrin::test
