// tovrin-kb: checks, counts, exports and imports the knowledge base, for the people who prepare
// and look after it by hand. It works on the files under Base\ of the current folder (or of the
// folder given with -C), exactly as the program reads and writes them.
#include "kb/cp1251.h"
#include "kb/fileerror.h"
#include "kb/files.h"
#include "tools/kbtool.h"
#include "kb/knowledge.h"
#include "kb/linelist.h"
#include "tovrin/version.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using namespace tovrin;

constexpr int ExitOk = 0;
constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;

const char* const Usage =
    "Usage: tovrin-kb [-C FOLDER] COMMAND [ARGUMENTS]\n"
    "\n"
    "Looks after the knowledge base in Base\\ of the current folder (or of FOLDER).\n"
    "\n"
    "Commands:\n"
    "  check [FILE]    finds the lines of the knowledge file that the program cannot use\n"
    "  stats           shows the counts of the main window\n"
    "  export [FILE]   writes a line-list file to standard output as UTF-8 text\n"
    "  import [FILE]   replaces a line-list file by UTF-8 text from standard input\n"
    "\n"
    "FILE is a path as the program names it (Base\\Words.Dat) or as this system does\n"
    "(Base/Words.Dat); it is Base\\Words.Dat when left out.\n"
    "Run 'tovrin-kb COMMAND --help' for more about a command, 'tovrin-kb --version' for the\n"
    "version.\n";

const char* const CheckHelp =
    "Usage: tovrin-kb check [FILE]\n"
    "\n"
    "Reads the knowledge file (Base\\Words.Dat when FILE is left out) and reports, as\n"
    "FILE:LINE: error|warning: what is wrong\n"
    "  errors:   lines that break the entry grammar (the program passes over them);\n"
    "  warnings: keys with lower-case letters (never matched), heads that an earlier entry\n"
    "            already has (that entry is always found first), keys that hold the key of\n"
    "            an earlier main phrase (the earlier entry answers first wherever both are\n"
    "            found), and branches that stand below no entry of the depth above them.\n"
    "Line 0 is the header line and is never checked.\n"
    "\n"
    "Exit status: 0 when there is no error (warnings allowed), 1 otherwise.\n";

const char* const StatsHelp =
    "Usage: tovrin-kb stats\n"
    "\n"
    "Counts the knowledge base as the main window does after start: main phrases and\n"
    "branches of Base\\Words.Dat (the status bar), incoming expressions (the entries of\n"
    "Words.Dat), outgoing expressions (the lines of BigString.Dat, Pause.Dat, Povtor.Dat,\n"
    "W1.Dat, W2.Dat and X.Dat and the replies of Words.Dat) and their total (the menu).\n";

const char* const ExportHelp =
    "Usage: tovrin-kb export [FILE] > TEXT\n"
    "\n"
    "Writes the line-list FILE (Base\\Words.Dat when left out), RTF or plain text, to\n"
    "standard output as UTF-8 text, one line per line.\n";

const char* const ImportHelp =
    "Usage: tovrin-kb import [FILE] < TEXT\n"
    "\n"
    "Replaces the line-list FILE (Base\\Words.Dat when left out) by the UTF-8 text read from\n"
    "standard input, one line per line (LF or CR LF), and saves it in the program's own form.\n"
    "Nothing is written when a line holds a character that Windows-1251 cannot hold, a\n"
    "control character or text that is not UTF-8, or, for the knowledge file, when a line\n"
    "from line 1 on breaks the entry grammar (line 0 is the header and is free): each such\n"
    "line is named on standard error.\n"
    "The file is replaced whole, so that a program that reads it at the same moment sees\n"
    "either the old or the new content.\n";

// Texts of the files are Windows-1251; the terminal speaks UTF-8.
std::string shown(const std::string& text) { return cp1251::toUtf8(text); }

bool wantsHelp(const std::vector<std::string>& args)
{
    for (const auto& a : args)
        if (a == "--help" || a == "-h")
            return true;
    return false;
}

// At most one FILE operand; anything that looks like an option is a mistake.
bool fileOperand(const std::string& command, const std::vector<std::string>& args, std::string& file)
{
    file = files::Words;
    if (args.size() > 1) {
        std::cerr << "tovrin-kb " << command << ": give at most one file.\n";
        return false;
    }
    if (!args.empty()) {
        if (args[0].size() > 1 && args[0][0] == '-') {
            std::cerr << "tovrin-kb " << command << ": unknown option " << args[0] << ".\n";
            return false;
        }
        file = cp1251::fromUtf8(args[0]);
    }
    return true;
}

int check(const std::vector<std::string>& args)
{
    std::string file;
    if (!fileOperand("check", args, file))
        return ExitUsage;
    LineList words;
    words.load(file);
    const auto problems = kbtool::checkKnowledge(words);
    int errors = 0;
    int warnings = 0;
    for (const auto& p : problems) {
        const bool error = kbtool::severityOf(p.kind) == kbtool::Severity::Error;
        ++(error ? errors : warnings);
        std::cout << shown(file) << ':' << p.line << ": " << (error ? "error" : "warning") << ": "
                  << shown(kbtool::describe(p, words)) << '\n';
    }
    const int entries = words.count() > 0 ? words.count() - 1 : 0;
    std::cout << shown(file) << ": " << entries << (entries == 1 ? " entry, " : " entries, ") << errors
              << (errors == 1 ? " error, " : " errors, ") << warnings << (warnings == 1 ? " warning.\n" : " warnings.\n");
    return errors > 0 ? ExitFailed : ExitOk;
}

int stats(const std::vector<std::string>& args)
{
    if (!args.empty()) {
        std::cerr << "tovrin-kb stats: takes no arguments.\n";
        return ExitUsage;
    }
    const kbtool::Stats s = kbtool::collectStats();
    // The very words of the status bar and of the menu "Подробнее о базе:".
    std::cout << "Программе известно:   [главные фразы - " << s.mainPhrases << "   ветки - " << s.branches << "]\n"
              << "Входящие выражения: [" << s.incoming << "]\n"
              << "Исходящие выражения: [" << s.outgoing << "]\n"
              << "Итого: [" << s.total << "]\n"
              << "\nOutgoing expressions by file:\n";
    for (const auto& list : s.lists)
        std::cout << "  " << shown(list.path) << ": " << list.count << '\n';
    std::cout << "  " << shown(files::Words) << " (replies): " << s.replies << '\n';
    return ExitOk;
}

int exportFile(const std::vector<std::string>& args)
{
    std::string file;
    if (!fileOperand("export", args, file))
        return ExitUsage;
    LineList list;
    list.load(file);
    std::cout << kbtool::exportText(list);
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "tovrin-kb export: could not write to standard output.\n";
        return ExitFailed;
    }
    return ExitOk;
}

int importFile(const std::vector<std::string>& args)
{
    std::string file;
    if (!fileOperand("import", args, file))
        return ExitUsage;
    const std::string text{std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()};
    if (std::cin.bad()) {
        std::cerr << "tovrin-kb import: could not read standard input.\n";
        return ExitFailed;
    }
    const auto result = kbtool::prepareImport(text, kbtool::namesKnowledgeFile(file));
    if (!result.refusals.empty()) {
        for (const auto& r : result.refusals)
            std::cerr << "tovrin-kb import: line " << r.line << ": " << r.reason << ".\n";
        std::cerr << "tovrin-kb import: " << shown(file) << " was left as it was ("
                  << result.refusals.size() << (result.refusals.size() == 1 ? " line" : " lines")
                  << " refused).\n";
        return ExitFailed;
    }
    LineList list(result.lines);
    {
        // A copy of the program that changes the file at this moment waits for the import.
        FileLock lock(file);
        list.save(file);
    }
    std::cerr << "tovrin-kb import: wrote " << list.count() << (list.count() == 1 ? " line" : " lines") << " to "
              << shown(file) << ".\n";
    return ExitOk;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 2 && args[0] == "-C") {
        if (::chdir(args[1].c_str()) != 0) {
            std::cerr << "tovrin-kb: cannot change into the folder " << args[1] << ": " << std::strerror(errno) << ".\n";
            return ExitFailed;
        }
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty()) {
        std::cerr << Usage;
        return ExitUsage;
    }
    const std::string command = args.front();
    args.erase(args.begin());
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << Usage;
        return ExitOk;
    }
    if (command == "--version") {
        std::cout << "tovrin-kb " << kVersion << '\n';
        return ExitOk;
    }

    struct Command {
        const char* name;
        const char* help;
        int (*run)(const std::vector<std::string>&);
    };
    static const Command commands[] = {
        {"check", CheckHelp, check},
        {"stats", StatsHelp, stats},
        {"export", ExportHelp, exportFile},
        {"import", ImportHelp, importFile},
    };
    for (const Command& c : commands) {
        if (command != c.name)
            continue;
        if (wantsHelp(args)) {
            std::cout << c.help;
            return ExitOk;
        }
        try {
            return c.run(args);
        } catch (const FileError& e) {
            std::cerr << "tovrin-kb " << c.name << ": " << shown(e.what()) << ".\n";
            if (std::string(e.what()).rfind("Cannot open file", 0) == 0)
                std::cerr << "Run it in the program's working folder, the one that holds Base, or name that folder with -C.\n";
            return ExitFailed;
        } catch (const std::exception& e) {
            std::cerr << "tovrin-kb " << c.name << ": " << e.what() << ".\n";
            return ExitFailed;
        }
    }
    std::cerr << "tovrin-kb: unknown command '" << command << "'.\n\n" << Usage;
    return ExitUsage;
}
