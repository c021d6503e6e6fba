// tovrin-kb: checks, counts, exports and imports the knowledge base, for the people who prepare
// and look after it by hand. It works on the files under Base\ of the current folder (or of the
// folder given with -C), exactly as the program reads and writes them.
#include "kb/cp1251.h"
#include "kb/fileerror.h"
#include "kb/files.h"
#include "tools/kbtool.h"
#include "kb/knowledge.h"
#include "kb/linelist.h"
#include "kb/textformat.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include <sys/stat.h>
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
    "  import [--allow-empty] [--force] [FILE]\n"
    "                  replaces a line-list file by UTF-8 text from standard input\n"
    "\n"
    "FILE is a path as the program names it (Base\\Words.Dat) or as this system does\n"
    "(Base/Words.Dat); it is Base\\Words.Dat when left out.\n"
    "Run 'tovrin-kb COMMAND --help' for more about a command.\n";

const char* const CheckHelp =
    "Usage: tovrin-kb check [FILE]\n"
    "\n"
    "Reads the knowledge file (Base\\Words.Dat when FILE is left out) and reports, as\n"
    "FILE:LINE: error|warning: what is wrong\n"
    "  errors:   lines that break the entry grammar (the program passes over them);\n"
    "  warnings: keys with lower-case letters (never matched), heads that an earlier entry\n"
    "            already has (that entry is always found first), keys that hold the key of\n"
    "            an earlier main phrase (the earlier entry answers first wherever both are\n"
    "            found), branches that stand below no entry of the depth above them, and\n"
    "            control characters (the program no longer takes them in; an import\n"
    "            refuses them), the header line's too.\n"
    "Line 0 is the header line and is otherwise never checked.\n"
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
    "standard output as UTF-8 text, one line per line, and notes beside the file (in\n"
    ".NAME.exported) which version of it was given out, for the import of the edited text.\n";

const char* const ImportHelp =
    "Usage: tovrin-kb import [--allow-empty] [--force] [FILE] < TEXT\n"
    "\n"
    "Replaces the line-list FILE (Base\\Words.Dat when left out) by the UTF-8 text read from\n"
    "standard input, one line per line (LF or CR LF), and saves it in the program's own form.\n"
    "Nothing is written when a line holds a character that Windows-1251 cannot hold, a\n"
    "control character or text that is not UTF-8, or, for the knowledge file, when a line\n"
    "from line 1 on breaks the entry grammar (line 0 is the header and is free): each such\n"
    "line is named on standard error.\n"
    "Nothing is written either when standard input cannot be read, when the text is an RTF\n"
    "document rather than UTF-8 text, or when it holds no entry (no line at all, or for the\n"
    "knowledge file only its header line) unless --allow-empty is given.\n"
    "The file must still be the version that 'tovrin-kb export' gave out: when the program\n"
    "has learnt since (or the file was never exported), the import is refused, so that what\n"
    "was learnt meanwhile is not lost; export again and redo the edits, or give --force.\n"
    "The file is replaced whole, under the lock the program takes for its own changes, so\n"
    "that a program that reads it at the same moment sees either the old or the new content.\n";

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
    auto problems = kbtool::checkKnowledge(words);
    const auto controls = kbtool::checkControlCharacters(words);
    problems.insert(problems.end(), controls.begin(), controls.end());
    std::stable_sort(problems.begin(), problems.end(),
                     [](const kbtool::Problem& a, const kbtool::Problem& b) { return a.line < b.line; });
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

// Notes beside file which version of it the user has now as text.
void noteVersion(const std::string& file, const LineList& list)
{
    FileLock lock(file);
    saveWholeFile(kbtool::exportNotePath(file), kbtool::versionOf(list));
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
    try {
        noteVersion(file, list);
    } catch (const FileError&) {
        std::cerr << "tovrin-kb export: could not note beside " << shown(file)
                  << " which version was exported; importing the text will need --force.\n";
    }
    return ExitOk;
}

// The whole of standard input. A read error is no end of input: it fails, with its cause.
bool readInput(std::string& text, std::string& error)
{
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n == 0)
            return true;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = std::strerror(errno);
            return false;
        }
        if (text.size() + static_cast<size_t>(n) > kMaxFileSize) {
            error = "the text is larger than any line-list file may be";
            return false;
        }
        text.append(buffer, static_cast<size_t>(n));
    }
}

int refuseImport(const std::string& file, const std::string& why)
{
    std::cerr << "tovrin-kb import: " << why << "\n"
              << "tovrin-kb import: " << shown(file) << " was left as it was.\n";
    return ExitFailed;
}

int importFile(const std::vector<std::string>& args)
{
    bool allowEmpty = false;
    bool force = false;
    std::vector<std::string> operands;
    for (const auto& a : args) {
        if (a == "--allow-empty")
            allowEmpty = true;
        else if (a == "--force")
            force = true;
        else
            operands.push_back(a);
    }
    std::string file;
    if (!fileOperand("import", operands, file))
        return ExitUsage;
    std::string text;
    std::string readError;
    if (!readInput(text, readError))
        return refuseImport(file, "could not read standard input: " + readError + ".");
    const std::string_view body = std::string_view(text).substr(text.starts_with("\xEF\xBB\xBF") ? 3 : 0);
    if (looksLikeRtf(body))
        return refuseImport(file, "the text is an RTF document, not UTF-8 text; give it the text that "
                                  "'tovrin-kb export' writes.");
    const bool entries = kbtool::namesKnowledgeFile(file);
    const auto result = kbtool::prepareImport(text, entries);
    if (!result.refusals.empty()) {
        for (const auto& r : result.refusals)
            std::cerr << "tovrin-kb import: line " << r.line << ": " << r.reason << ".\n";
        std::cerr << "tovrin-kb import: " << shown(file) << " was left as it was ("
                  << result.refusals.size() << (result.refusals.size() == 1 ? " line" : " lines")
                  << " refused).\n";
        return ExitFailed;
    }
    const size_t needed = entries ? 2 : 1;
    if (result.lines.size() < needed && !allowEmpty)
        return refuseImport(file, std::string(entries ? "the text holds no entry after its header line"
                                                      : "the text holds no line") +
                                      " (an empty or missing input?); give --allow-empty to store it so.");
    LineList list(result.lines);
    {
        // A copy of the program that changes the file at this moment waits for the import, and
        // one that changed it since the export is found out here.
        FileLock lock(file);
        if (!force && currentStamp(file)) {
            LineList now;
            now.load(file);
            std::string noted;
            try {
                noted = readWholeFile(kbtool::exportNotePath(file));
            } catch (const FileError&) {
            }
            if (noted.empty())
                return refuseImport(file, shown(file) + " was not exported here before, so the import cannot tell "
                                          "what it would replace; export it, edit that text and import it, or give --force.");
            if (noted != kbtool::versionOf(now))
                return refuseImport(file, shown(file) + " has changed since it was exported (the program may have "
                                          "learnt meanwhile), and the import would lose that; export it again and redo "
                                          "the edits, or give --force.");
        }
        list.save(file);
        try {
            noteVersion(file, list); // the text just imported is the version its author has
        } catch (const FileError&) {
        }
    }
    std::cerr << "tovrin-kb import: wrote " << list.count() << (list.count() == 1 ? " line" : " lines") << " to "
              << shown(file) << ".\n";
    return ExitOk;
}

// Why a file cannot be opened, in the user's terms; the hint about the working folder only when
// the folder is what is missing.
std::string whyCannotOpen(const std::string& file)
{
    if (namesForeignDrive(file))
        return "the path names a drive or a network share, which this system does not have.";
    const std::string path = resolvePath(file);
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return "it is a folder, not a file.";
        if (!S_ISREG(st.st_mode))
            return "it is not a regular file.";
        return "there is no permission to read it.";
    }
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    if (slash != std::string::npos && ::stat(folder.c_str(), &st) != 0)
        return "there is no folder " + folder + " here. Run it in the program's working folder, the one "
               "that holds Base, or name that folder with -C.";
    return "there is no such file.";
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    setLockWaitNotice([] {
        std::cerr << "tovrin-kb: another copy of the program is saving in Base; waiting for it to finish.\n";
    });
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
            const std::string message = e.what();
            const std::string_view cannotOpen = "Cannot open file ";
            if (message.starts_with(cannotOpen))
                std::cerr << "tovrin-kb " << c.name << ": " << whyCannotOpen(message.substr(cannotOpen.size())) << '\n';
            return ExitFailed;
        } catch (const std::exception& e) {
            std::cerr << "tovrin-kb " << c.name << ": " << e.what() << ".\n";
            return ExitFailed;
        }
    }
    std::cerr << "tovrin-kb: unknown command '" << command << "'.\n\n" << Usage;
    return ExitUsage;
}
