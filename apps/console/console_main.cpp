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
#include "kb/startup.h"
#include "lineinput.h"

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
// Set by the launcher for the programs it starts in the working folder.
const char* const kLaunchedVariable = "TOVRIN_WORK_FOLDER";

const char* const kUsage =
    "Использование: tovrin-console [--transcript]\n"
    "\n"
    "Беседа в терминале: каждая строка стандартного ввода — фраза, каждая строка, которую\n"
    "говорит программа, пишется в стандартный вывод. Знания читаются из Base/ текущей папки\n"
    "и пополняются там же, если там есть база знаний Base/Words.Dat; в другом месте программа\n"
    "переходит в рабочую папку ~/.local/share/tovrin (при первом запуске она делается из\n"
    "поставленных данных). Диалог дописывается в Base/Log.Tovrin в конце ввода (Ctrl+D в\n"
    "терминале), по Ctrl+C (второй Ctrl+C завершает сразу, без журнала) или после прощания.\n"
    "Неудавшийся ход (файл не читается или не пишется, не хватило памяти) называется в\n"
    "стандартном потоке ошибок, и берётся следующая строка.\n"
    "\n"
    "  --transcript  печатать и фразы: каждая строка начинается с USER: или CPU:, как в\n"
    "                журнале диалогов\n"
    "  --help        показать эту справку\n"
    "  --version     показать версию\n"
    "\n"
    "Код возврата: 0, если все ходы (с ответом, записанным в стандартный вывод) и журнал\n"
    "удались, иначе 1 (2 при неизвестном ключе).\n";

// Started outside a working folder (a fresh home, or a folder that merely has a Base of some
// other kind), the console goes through the launcher installed beside it, which makes the
// user's working folder the first time and starts the console there. A working folder is one
// whose Base holds the knowledge file. Returns only when there is no launcher to go through.
void goToWorkingFolder(char** argv)
{
    std::error_code error;
    if (std::getenv(kLaunchedVariable) != nullptr ||
        std::filesystem::is_regular_file(resolvePath(files::Words), error))
        return;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return;
    // The launcher is a script; in a build folder "tovrin" beside the console is the window.
    std::string launcher = (self.parent_path() / "tovrin").string();
    char start[2] = {};
    if (std::FILE* f = std::fopen(launcher.c_str(), "rbe")) {
        if (std::fread(start, 1, 2, f) != 2)
            start[0] = 0;
        std::fclose(f);
    }
    if (::access(launcher.c_str(), X_OK) != 0 || start[0] != '#' || start[1] != '!')
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
        if (answerStandardOption(arg, "tovrin-console", kUsage))
            return 0;
        if (arg == "--transcript") {
            transcript = true;
            continue;
        }
        std::fprintf(stderr, "tovrin-console: unknown option %s\n\n%s", argv[i], kUsage);
        return 2;
    }
    goToWorkingFolder(argv);
    prepareBase("tovrin-console");

    std::setlocale(LC_ALL, "");
    ClockDice dice;
    ConsoleSession session(transcript, dice, stdout, stderr);
    LineInput input(kPrompt, kLineBytes);

    try {
        std::string line;
        while (input.read(line) && session.take(std::move(line))) {}

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
