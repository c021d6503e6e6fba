// tovrin-console: the conversation in a terminal. Each line of standard input is a phrase, as
// if typed into the input line and submitted; every line the program says goes to standard
// output (with --transcript the phrases too, tagged as in the dialogue log). It works on the
// Base folder of the current folder and learns exactly as the window does. At the end of the
// input, or after a farewell, the dialogue is appended to Base\Log.Tovrin.
//
// Exit status: 0 when every turn (its lines written to standard output included) and the log
// succeeded; otherwise the input is still taken to its end and the status is 1.
#include "apps/console/consolesession.h"
#include "engine/clockdice.h"
#include "engine/engine.h"
#include "engine/host.h"
#include "engine/normalise.h"
#include "engine/plainhost.h"
#include "kb/cp1251.h"
#include "kb/dialoglog.h"
#include "kb/fileerror.h"
#include "kb/files.h"
#include "kb/knowledge.h"
#include "lineinput.h"
#include "tovrin/version.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <filesystem>
#include <new>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

using namespace tovrin;

const char* const kPrompt = "> ";
// The bytes of a line of standard input that can matter: a byte-order mark, as many characters
// as the input line takes, of at most four bytes each in UTF-8, and a CR. The rest of a longer
// line is read and dropped, never held.
constexpr std::size_t kLineBytes = 3 + static_cast<std::size_t>(kInputLimit) * 4 + 1;
const char* const kLockWait = "Another copy of the program is saving in Base; waiting for it to finish.";
// Set by the launcher for the programs it starts in the working folder.
const char* const kLaunchedVariable = "TOVRIN_WORK_FOLDER";

const char* const kUsage =
    "Usage: tovrin-console [--transcript]\n"
    "\n"
    "Talks in the terminal: each line of standard input is a phrase, and every line the\n"
    "program says is written to standard output. The knowledge is read from and learnt into\n"
    "Base/ of the current folder; started where there is none, the console goes to the\n"
    "working folder ~/.local/share/tovrin (made from the installed data the first time).\n"
    "The dialogue is appended to Base/Log.Tovrin at the end of the input (Ctrl+D at a\n"
    "terminal), on Ctrl+C (a second Ctrl+C ends at once, without it) or after a farewell.\n"
    "A turn that fails (a file that cannot be read or written, or no memory left) is\n"
    "reported on standard error and the next line is taken.\n"
    "\n"
    "  --transcript  print the phrases too: every line begins with USER: or CPU: as in the\n"
    "                dialogue log\n"
    "  --help        show this help and end\n"
    "  --version     show the version and end\n"
    "\n"
    "Exit status: 0 when every turn (its reply written to standard output) and the dialogue\n"
    "log succeeded, 1 otherwise (2 for an unknown option).\n";

// Started where there is no Base (a fresh home, say), the console goes through the launcher
// installed beside it, which makes the user's working folder the first time and starts the
// console there. Returns only when there is no launcher to go through.
void goToWorkingFolder(char** argv)
{
    std::error_code error;
    if (std::filesystem::is_directory("Base", error) || std::getenv(kLaunchedVariable) != nullptr)
        return;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return;
    std::string launcher = (self.parent_path() / "tovrin-launch").string();
    if (::access(launcher.c_str(), X_OK) != 0)
        return;
    std::string console = "--console";
    std::vector<char*> args = {launcher.data(), console.data()};
    for (char** arg = argv + 1; *arg != nullptr; ++arg)
        args.push_back(*arg);
    args.push_back(nullptr);
    ::execv(launcher.c_str(), args.data());
}

} // namespace

int main(int argc, char** argv)
{
    bool transcript = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--version") {
            std::printf("tovrin-console %s\n", kVersion);
            return 0;
        }
        if (arg == "--transcript") {
            transcript = true;
            continue;
        }
        std::fprintf(stderr, "tovrin-console: unknown option %s\n\n%s", argv[i], kUsage);
        return 2;
    }
    goToWorkingFolder(argv);
    setLockWaitNotice([] { writeLine(stderr, kLockWait); });
    // What saves killed on the way left under Base\ goes before the first turn needs the room.
    removeAbandonedSaves(files::Words);

    std::setlocale(LC_ALL, "");
    ClockDice dice;
    ConsoleSession session(transcript, dice, stdout, stderr);
    LineInput input(kPrompt, kLineBytes);

    try {
        std::string line;
        while (input.read(line) && session.take(std::move(line))) {
        }

        const LogStamp stamp = MakeLogStamp(std::time(nullptr));
        session.engine().WriteDialogueLog(stamp.date, stamp.time);
    } catch (const FileError& e) {
        writeLine(stderr, "The dialogue log was not written: " + e.utf8());
        return 1;
    } catch (const std::exception& e) {
        writeLine(stderr, std::string("tovrin-console: ") + e.what());
        return 1;
    }
    return session.everyTurnSucceeded() ? 0 : 1;
}
