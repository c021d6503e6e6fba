// tovrin-kb: checks, counts, exports and imports the knowledge base, for the people who prepare
// and look after it by hand. It works on the files under Base\ of the current folder (or of the
// folder given with -C), exactly as the program reads and writes them. Each command is a file
// of this folder; main only finds it in the table and runs it.
#include "command.h"

#include "kb/cp1251.h"
#include "kb/fileerror.h"
#include "kb/startup.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iostream>

#include <unistd.h>

using namespace tovrin;
using namespace tovrin::kb;

namespace {

bool wantsHelp(const Args& args)
{
    return std::any_of(args.begin(), args.end(),
                       [](const std::string& a) { return a == "--help" || a == "-h"; });
}

int run(const Command& c, const Args& args)
{
    try {
        return c.run(args);
    } catch (const FileError& e) {
        std::cerr << "tovrin-kb " << c.name << ": " << shown(e.what()) << ".\n";
        if (e.kind() == FileError::Kind::CannotOpen)
            std::cerr << "tovrin-kb " << c.name << ": "
                      << cp1251::visibleControls(whyCannotOpen(e.path())) << '\n';
        return ExitFailed;
    } catch (const std::exception& e) {
        std::cerr << "tovrin-kb " << c.name << ": " << e.what() << ".\n";
        return ExitFailed;
    }
}

} // namespace

int main(int argc, char** argv)
{
    Args args(argv + 1, argv + argc);
    announceLockWaits("tovrin-kb");
    // -C FOLDER before the command or among its arguments.
    for (std::size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] != "-C")
            continue;
        std::error_code ec;
        setStartFolder(std::filesystem::current_path(ec).string());
        if (::chdir(args[i + 1].c_str()) != 0) {
            std::cerr << "tovrin-kb: не удаётся перейти в папку " << args[i + 1] << ": "
                      << std::strerror(errno) << ".\n";
            return ExitFailed;
        }
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                   args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
        break;
    }
    if (args.empty()) {
        std::cerr << generalHelp();
        return ExitUsage;
    }
    const std::string name = args.front();
    args.erase(args.begin());
    if (name == "help") {
        // "tovrin-kb help COMMAND" is COMMAND's own help.
        const Command* c = args.empty() ? nullptr : findCommand(args.front());
        std::cout << (c != nullptr ? commandHelp(*c) : generalHelp());
        return ExitOk;
    }
    if (answerStandardOption(name, "tovrin-kb", generalHelp()))
        return ExitOk;
    const Command* c = findCommand(name);
    if (c == nullptr) {
        std::cerr << "tovrin-kb: неизвестная команда «" << name << "».\n\n" << generalHelp();
        return ExitUsage;
    }
    if (wantsHelp(args)) {
        std::cout << commandHelp(*c);
        return ExitOk;
    }
    return run(*c, args);
}
