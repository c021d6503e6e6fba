// tovrin-kb: checks, counts, exports and imports the knowledge base, for the people who prepare
// and look after it by hand. It works on the files under Base\ of the current folder (or of the
// folder given with -C), exactly as the program reads and writes them.
#include "kb/cp1251.h"
#include "kb/entry.h"
#include "kb/fileerror.h"
#include "kb/files.h"
#include "kbtool/advice.h"
#include "kbtool/corpus.h"
#include "kbtool/explain.h"
#include "kb_merge.h"
#include "kbtool/kbtool.h"
#include "kb/knowledge.h"
#include "kb/linelist.h"
#include "tovrin/version.h"
#include "kb/textformat.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>
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
    "Использование: tovrin-kb [-C ПАПКА] КОМАНДА [АРГУМЕНТЫ]\n"
    "\n"
    "Работает с базой знаний в Base\\ текущей папки (или ПАПКИ).\n"
    "\n"
    "Команды:\n"
    "  check [--advice] [--corpus КОРПУС] [--words СПИСОК | --no-words] [ФАЙЛ]\n"
    "                  находит строки базы знаний, которыми программа не может воспользоваться\n"
    "  stats           показывает числа главного окна\n"
    "  export [ФАЙЛ]   выводит список строк в стандартный вывод текстом UTF-8\n"
    "  import [--allow-empty] [--force] [ФАЙЛ]\n"
    "                  заменяет список строк текстом UTF-8 из стандартного ввода\n"
    "  test [--min-tuning ПРОЦЕНТ] [--min-held-back ПРОЦЕНТ] КОРПУС\n"
    "                  пропускает каждую фразу корпуса через новый ход и считает попадания\n"
    "  explain [--after ОТВЕТ] ФРАЗА | explain --batch ФАЙЛ\n"
    "                  рассказывает, что программа сделала бы с фразой (или с файлом фраз)\n"
    "  merge [--quiet] ДАННЫЕ\n"
    "                  приводит рабочую папку к поставленным данным, сохраняя выученное\n"
    "\n"
    "ФАЙЛ называется так, как его называет программа (Base\\Words.Dat), или так, как принято\n"
    "в этой системе (Base/Words.Dat); без него берётся Base\\Words.Dat.\n"
    "'tovrin-kb КОМАНДА --help' рассказывает о команде, 'tovrin-kb --version' называет версию.\n";

const char* const CheckHelp =
    "Usage: tovrin-kb check [--advice] [--corpus CORPUS] [--words LIST | --no-words] [FILE]\n"
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
    "With --advice (or --corpus), the advice for authors too, as warnings: entries with\n"
    "fewer than 3 replies; entries\n"
    "whose replies are all the same; farewell entries that answer ordinary phrases (a\n"
    "built-in list of phrases such as \"я пока ем\", and the phrases of the corpus that\n"
    "expect no farewell); keys found inside 50 or more words of a word list, and keys of\n"
    "several words (the main lookup finds them word by word too) with a word of three\n"
    "letters or more that stands after other letters in 50 or more words of it; keys that\n"
    "hold a word of the profanity list, which answers first; and, with a corpus, entries\n"
    "with branches that no phrase of the corpus reaches.\n"
    "An error too: a farewell key found in a line the program says (a reply of an entry\n"
    "that is no farewell, or a line of the phrase lists beside the file): in two-copy mode\n"
    "that line is the other copy's phrase, and the two end their conversation.\n"
    "  --advice         add the advice for authors (its errors are always shown)\n"
    "  --corpus CORPUS  the corpus of tovrin-kb test (implies --advice)\n"
    "  --words LIST     a word list, one word a line (a spelling dictionary's .dic file\n"
    "                   serves; its .aff file tells its encoding); by default\n"
    "                   /usr/share/hunspell/ru_RU.dic when it is there\n"
    "  --no-words       no word list\n"
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
    "standard output as UTF-8 text, one line per line, after a first line that names the\n"
    "version of the file given out (\"# tovrin-kb export, version ...\"): keep it in the\n"
    "edited text, the import compares it with the file.\n"
    "The one byte Windows-1251 leaves unassigned (98) is written as U+FFFD, which import\n"
    "reads back as that byte.\n";

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
    "document rather than UTF-8 text (unless the file's own text begins so too), or when it\n"
    "holds no entry (no line at all, or for the knowledge file only its header line, for a\n"
    "phrase list only empty lines) unless --allow-empty is given.\n"
    "The file must still be the version the text was exported from, as its first line names\n"
    "it: when the program has learnt since, or another text was imported meanwhile (or the\n"
    "text names no version), the import is refused, so that nothing is lost; export again\n"
    "and redo the edits, or give --force.\n"
    "The file is replaced whole, under the lock the program takes for its own changes, so\n"
    "that a program that reads it at the same moment sees either the old or the new content.\n";

const char* const TestHelp =
    "Usage: tovrin-kb test [--min-tuning PCT] [--min-held-back PCT] CORPUS\n"
    "\n"
    "Puts every phrase of the CORPUS file through what the program does on a fresh turn\n"
    "(the filters, the long-phrase strategy and the lookup of Base\\Words.Dat, with the\n"
    "thread of the reply before it when the case gives one); nothing is learnt or saved.\n"
    "Prints each miss as CORPUS:LINE with the phrase, what was expected, the entry that\n"
    "answered and the step that decided it, then the share of cases as expected per part\n"
    "and per topic, and the farewells that happened where none was expected.\n"
    "\n"
    "The corpus is UTF-8 text: \"[part tuning]\" or \"[part held-back]\" and\n"
    "\"[topic NAME]\" headers, \"#\" comment lines, and one case a line:\n"
    "  PHRASE<TAB>EXPECTED[<TAB>REPLY BEFORE[<TAB>ENTRY THAT SAID IT]]\n"
    "PHRASE is taken as the input line takes it (255 characters, control characters as\n"
    "spaces, a smile as \")\"); in it \"\\t\" stands for a TAB and \"\\\\\" for a backslash.\n"
    "The thread is that of the entry that said REPLY BEFORE. Where entries with different\n"
    "branches have that reply, the case fails naming them until ENTRY THAT SAID IT names\n"
    "the one, by its line in Words.Dat or by its head; given without a reply, a line\n"
    "number alone opens that entry's thread.\n"
    "EXPECTED is the head of the entry that must answer as written in Words.Dat (several\n"
    "separated by \" | \"), or \"farewell\" (a farewell entry must answer), or \"learn\"\n"
    "(anything but a farewell). Where no entry has the head as written, one whose head is\n"
    "the same word with a leading space or final punctuation (\" ПЛАЧ\", \"ЛОЛ.\") stands for it.\n"
    "\n"
    "Exit status: 1 when a part's share is below its --min-... percentage, when any\n"
    "farewell was not expected, or when a corpus line cannot be read; 0 otherwise.\n";

const char* const ExplainHelp =
    "Usage: tovrin-kb explain [--after REPLY] [--after-line LINE] [--all-replies] PHRASE\n"
    "       tovrin-kb explain --batch FILE\n"
    "\n"
    "Tells what the program would do with PHRASE on a fresh turn, as tovrin-kb test\n"
    "judges it: the filters it meets, the entry of Base\\Words.Dat that answers, its line,\n"
    "the pass that found it and all its replies, the entries before it that nearly fitted\n"
    "and why not, and the entries that fit too but lose to it. PHRASE is taken as the input\n"
    "line takes it: cut to 255 characters, control characters as spaces.\n"
    "Nothing is learnt or saved.\n"
    "  --after REPLY      what the program said just before: the branches of the entry that\n"
    "                     said it are tried first. When entries with different branches have\n"
    "                     that reply, it is refused, naming them: give --after-line too.\n"
    "  --after-line LINE  the line of Words.Dat that answered the turn before (the reply, when\n"
    "                     given as well, must be one of its replies)\n"
    "  --all-replies      every reply of the answering entry (they are always shown)\n"
    "  --batch FILE       many phrases in one go (FILE \"-\": standard input), one a line:\n"
    "                       PHRASE[<TAB>REPLY BEFORE[<TAB>LINE OR HEAD OF THE ENTRY THAT SAID IT]]\n"
    "                     (in PHRASE \"\\t\" is a TAB and \"\\\\\" a backslash; empty lines and\n"
    "                     lines beginning with \"#\" are passed over). Writes a header line and\n"
    "                     one line per phrase of TAB-separated fields: phrase, reply before,\n"
    "                     answer (the head of the answering entry, \"fallback W1\",\n"
    "                     \"fallback W2\", \"profanity filter\", or \"no thread\" when the reply\n"
    "                     before cannot be placed), all its replies separated by \" | \",\n"
    "                     farewell (yes or no), and a note on how it was found.\n";

// Texts of the files are Windows-1251; the terminal speaks UTF-8 and is given no control
// character of a file to act on.
std::string shown(const std::string& text) { return cp1251::toUtf8(cp1251::visibleControls(text)); }

bool readFile(const std::string& command, const std::string& path, std::string& text);

// The folder tovrin-kb was started in: a file named on the command line is found from there,
// whatever folder -C names.
std::filesystem::path startFolder;

std::string fromStart(const std::string& path)
{
    const std::filesystem::path p(path);
    return p.is_absolute() || startFolder.empty() ? path : (startFolder / p).string();
}

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

int check(const std::vector<std::string>& given)
{
    // The authors' options come first; what is left is the file.
    std::vector<std::string> args;
    std::string corpusPath;
    std::string wordsPath;
    bool noWords = false;
    bool adviceWanted = false;
    for (std::size_t i = 0; i < given.size(); ++i) {
        const std::string& a = given[i];
        if (a == "--advice") {
            adviceWanted = true;
        } else if (a == "--corpus" || a == "--words") {
            if (i + 1 == given.size()) {
                std::cerr << "tovrin-kb check: " << a << " needs a file.\n";
                return ExitUsage;
            }
            (a == "--corpus" ? corpusPath : wordsPath) = fromStart(given[++i]);
        } else if (a == "--no-words") {
            noWords = true;
        } else {
            args.push_back(a);
        }
    }
    std::string file;
    if (!fileOperand("check", args, file))
        return ExitUsage;
    LineList words;
    words.load(file);
    auto problems = kbtool::checkKnowledge(words);
    const auto controls = kbtool::checkControlCharacters(words);
    problems.insert(problems.end(), controls.begin(), controls.end());
    kbtool::Corpus corpus;
    std::vector<std::string> wordList;
    kbtool::AdviceInput advice;
    if (!corpusPath.empty()) {
        std::string text;
        if (!readFile("check", corpusPath, text))
            return ExitFailed;
        corpus = kbtool::parseCorpus(text);
        advice.corpus = &corpus;
    }
    if (wordsPath.empty() && !noWords && std::filesystem::exists(kbtool::kDefaultWordList))
        wordsPath = kbtool::kDefaultWordList;
    if (!wordsPath.empty() && !noWords) {
        wordList = kbtool::loadWordList(wordsPath);
        advice.wordList = &wordList;
    }
    // The phrase lists beside the knowledge file that a turn's reply is drawn from (in two-copy
    // mode the other copy's phrases), those that are there.
    std::vector<kbtool::NamedList> lists;
    const std::size_t slash = file.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
    for (const std::string* list : {&files::BigString, &files::Povtor, &files::W1, &files::W2, &files::X}) {
        const std::string name = folder + list->substr(list->find_last_of('\\') + 1);
        try {
            kbtool::NamedList named{name, {}};
            named.lines.load(name);
            lists.push_back(std::move(named));
        } catch (const FileError&) {
        }
    }
    advice.phraseLists = &lists;
    // The authors' advice only when asked for; its errors always.
    for (const auto& p : kbtool::adviseAuthors(words, advice))
        if (adviceWanted || !corpusPath.empty() || kbtool::severityOf(p.kind) == kbtool::Severity::Error)
            problems.push_back(p);
    std::stable_sort(problems.begin(), problems.end(), [](const auto& a, const auto& b) { return a.line < b.line; });
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
              << "\nИсходящие выражения по файлам:\n";
    for (const auto& list : s.lists)
        std::cout << "  " << shown(list.path) << ": " << list.count << '\n';
    std::cout << "  " << shown(files::Words) << " (ответы): " << s.replies << '\n';
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

// The text on its way to the reader, its first line taken off when it names the version the
// text was exported from.
class VersionedInput {
public:
    explicit VersionedInput(kbtool::ImportReader& reader) : reader_(reader) {}
    void add(std::string_view piece)
    {
        if (decided_) {
            reader_.add(piece);
            return;
        }
        head_ += piece;
        if (head_.find('\n') != std::string::npos || head_.size() > kLongestHead)
            decide();
    }
    // The version the text names, once all of it was given; nothing when it names none.
    const std::optional<std::string>& finish()
    {
        if (!decided_)
            decide();
        return version_;
    }

private:
    static constexpr std::size_t kLongestHead = 4096; // a version line is far shorter
    void decide()
    {
        std::string_view rest = head_;
        version_ = kbtool::takeVersionLine(rest);
        reader_.add(rest);
        head_ = std::string();
        decided_ = true;
    }
    kbtool::ImportReader& reader_;
    std::string head_;
    bool decided_ = false;
    std::optional<std::string> version_;
};

// The whole of standard input. A read error is no end of input: it fails, with its cause.
// It goes to the reader piece by piece, so that it is never held whole.
bool readInput(VersionedInput& reader, std::string& error)
{
    char buffer[1 << 16];
    std::size_t total = 0;
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
        total += static_cast<size_t>(n);
        if (total > kMaxFileSize) {
            error = "the text is larger than any line-list file may be";
            return false;
        }
        reader.add(std::string_view(buffer, static_cast<size_t>(n)));
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
    const bool entries = kbtool::namesKnowledgeFile(file);
    kbtool::ImportReader reader(entries);
    VersionedInput input(reader);
    std::string readError;
    if (!readInput(input, readError))
        return refuseImport(file, "could not read standard input: " + readError + ".");
    const std::optional<std::string> exportedVersion = input.finish();
    auto result = reader.finish();
    if (looksLikeRtf(result.beginning) && !kbtool::exportLooksLikeRtf(file))
        return refuseImport(file, "the text is an RTF document, not UTF-8 text; give it the text that "
                                  "'tovrin-kb export' writes.");
    if (result.refused > 0) {
        for (const auto& r : result.refusals)
            std::cerr << "tovrin-kb import: line " << r.line << ": " << r.reason << ".\n";
        if (result.refused > static_cast<int>(result.refusals.size()))
            std::cerr << "tovrin-kb import: and " << result.refused - static_cast<int>(result.refusals.size())
                      << " more lines.\n";
        std::cerr << "tovrin-kb import: " << shown(file) << " was left as it was ("
                  << result.refused << (result.refused == 1 ? " line" : " lines") << " refused).\n";
        return ExitFailed;
    }
    // Empty lines are no phrases: a phrase list of nothing else is as empty as one of no line.
    const bool empty = entries ? result.lines.count() < 2 : kbtool::holdsNoPhrase(result.lines);
    if (empty && !allowEmpty)
        return refuseImport(file, std::string(entries ? "the text holds no entry after its header line"
                                                      : result.lines.count() == 0 ? "the text holds no line"
                                                                             : "the text holds no phrase, only empty lines") +
                                      " (an empty or missing input?); give --allow-empty to store it so.");
    LineList& list = result.lines;
    {
        // A copy of the program that changes the file at this moment waits for the import, and
        // one that changed it since the export is found out here.
        FileLock lock(file);
        if (!force && currentStamp(file)) {
            LineList now;
            now.load(file);
            const std::string version = kbtool::versionOf(now);
            // The text replaces only the version it was made from: what was learnt since, or
            // imported from another text, would be lost. A text that holds what the file holds
            // loses nothing.
            if (version != kbtool::versionOf(list)) {
                if (!exportedVersion)
                    return refuseImport(file, "the text does not say which version of " + shown(file) +
                                                  " it was exported from (its first line, which 'tovrin-kb export' "
                                                  "writes, is missing), so the import cannot tell what it would "
                                                  "replace; export it, edit that text and import it, or give --force.");
                if (*exportedVersion != version)
                    return refuseImport(file, shown(file) + " has changed since the export this text came from (the "
                                              "program may have learnt meanwhile, or another text was imported), and "
                                              "the import would lose that; export it again and redo the edits, or "
                                              "give --force.");
            }
        }
        list.save(file);
    }
    std::cerr << "tovrin-kb import: wrote " << list.count() << (list.count() == 1 ? " line" : " lines") << " to "
              << shown(file) << ".\n";
    return ExitOk;
}

// A percentage given on the command line: a number from 0 to 100.
bool percentOption(const std::string& command, const std::string& option, const std::string& value, double& out)
{
    char* end = nullptr;
    out = std::strtod(value.c_str(), &end);
    if (value.empty() || *end != '\0' || out < 0 || out > 100) {
        std::cerr << "tovrin-kb " << command << ": " << option << " takes a percentage from 0 to 100.\n";
        return false;
    }
    return true;
}

bool readFile(const std::string& command, const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    if (!in) {
        std::cerr << "tovrin-kb " << command << ": cannot read " << path << ".\n";
        return false;
    }
    text = s.str();
    return true;
}

std::string percent(double value)
{
    std::ostringstream s;
    s << std::fixed << std::setprecision(1) << value << '%';
    return s.str();
}

int test(const std::vector<std::string>& args)
{
    double minTuning = 0;
    double minHeldBack = 0;
    std::string corpusPath;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--min-tuning" || a == "--min-held-back") {
            if (i + 1 == args.size()) {
                std::cerr << "tovrin-kb test: " << a << " needs a percentage.\n";
                return ExitUsage;
            }
            if (!percentOption("test", a, args[i + 1], a == "--min-tuning" ? minTuning : minHeldBack))
                return ExitUsage;
            ++i;
        } else if (a.size() > 1 && a[0] == '-') {
            std::cerr << "tovrin-kb test: unknown option " << a << ".\n";
            return ExitUsage;
        } else if (corpusPath.empty()) {
            corpusPath = a;
        } else {
            std::cerr << "tovrin-kb test: give one corpus file.\n";
            return ExitUsage;
        }
    }
    if (corpusPath.empty()) {
        std::cerr << "tovrin-kb test: give the corpus file.\n";
        return ExitUsage;
    }
    corpusPath = fromStart(corpusPath);
    std::string text;
    if (!readFile("test", corpusPath, text))
        return ExitFailed;
    const kbtool::Corpus corpus = kbtool::parseCorpus(text);
    LineList words;
    words.load(files::Words);
    const kbtool::Replay replay = kbtool::replayCorpus(words, corpus);

    bool failed = false;
    for (const auto& f : corpus.faults) {
        std::cout << corpusPath << ':' << f.line << ": error: " << f.reason << ".\n";
        failed = true;
    }
    for (const auto& r : replay.results) {
        if (r.passed)
            continue;
        const kbtool::CorpusCase& c = *r.c;
        std::cout << corpusPath << ':' << c.line << ": " << (r.unintendedFarewell ? "farewell" : "miss") << " ["
                  << cp1251::visibleControls(c.part + (c.topic.empty() ? "" : " / " + c.topic)) << "] \"" << cp1251::visibleControls(c.phrase) << "\"";
        if (!c.after.empty())
            std::cout << " after \"" << shown(c.after) << "\"";
        if (!c.said.empty())
            std::cout << " said by " << shown(c.said);
        std::cout << "\n    expected: ";
        switch (c.expect) {
        case kbtool::CorpusCase::Expect::Farewell: std::cout << "a farewell entry"; break;
        case kbtool::CorpusCase::Expect::Learn: std::cout << "no farewell"; break;
        case kbtool::CorpusCase::Expect::Keys:
            for (std::size_t k = 0; k < c.keys.size(); ++k)
                std::cout << (k ? " | " : "") << shown(c.keys[k]);
            break;
        }
        const kbtool::Turn& t = r.turn;
        std::cout << "\n    got:      ";
        if (t.line > 0)
            std::cout << "line " << t.line << " \"" << shown(EntryHead(words.get(t.line))) << "\"" << (t.farewell ? " (farewell)" : "")
                      << " by ";
        std::cout << kbtool::stepName(t.step == kbtool::Step::LongPhrase ? t.lookupStep : t.step);
        if (t.step == kbtool::Step::LongPhrase)
            std::cout << " in 2 turns of 6; " << kbtool::stepName(t.step) << " otherwise";
        std::cout << "\n    why:      " << shown(r.why) << '\n';
    }

    std::cout << "\n";
    const auto required = [&](const std::string& part) {
        return part == kbtool::kPartTuning ? minTuning : part == kbtool::kPartHeldBack ? minHeldBack : 0.0;
    };
    for (const std::string& part : {std::string(kbtool::kPartTuning), std::string(kbtool::kPartHeldBack)}) {
        const auto it = std::find_if(replay.parts.begin(), replay.parts.end(), [&](const auto& s) { return s.name == part; });
        const double need = required(part);
        if (it == replay.parts.end()) {
            if (need > 0) {
                std::cout << "part " << part << ": no cases, at least " << percent(need) << " required: FAILED\n";
                failed = true;
            }
            continue;
        }
        const bool low = it->percent() < need;
        failed = failed || low;
        std::cout << "part " << part << ": " << it->passed << " of " << it->cases << " as expected ("
                  << percent(it->percent()) << ")";
        if (need > 0)
            std::cout << ", at least " << percent(need) << " required" << (low ? ": FAILED" : "");
        std::cout << '\n';
    }
    for (const auto& s : replay.topics)
        std::cout << "  " << s.name << ": " << s.passed << " of " << s.cases << " (" << percent(s.percent()) << ")\n";
    std::cout << "unintended farewells: " << replay.unintendedFarewells << (replay.unintendedFarewells > 0 ? ": FAILED\n" : "\n");
    failed = failed || replay.unintendedFarewells > 0;
    return failed ? ExitFailed : ExitOk;
}

void listNeighbours(const char* title, const std::vector<kbtool::Neighbour>& list, const LineList& words)
{
    constexpr std::size_t kShown = 15;
    if (list.empty())
        return;
    std::cout << title << '\n';
    for (std::size_t i = 0; i < list.size() && i < kShown; ++i) {
        const kbtool::Neighbour& n = list[i];
        std::cout << "  line " << n.line << " \"" << shown(EntryHead(words.get(n.line))) << "\": " << kbtool::whyText(n.why);
        if (!n.missing.empty())
            std::cout << " (not \"" << shown(n.missing) << "\")";
        std::cout << '\n';
    }
    if (list.size() > kShown)
        std::cout << "  and " << list.size() - kShown << " more\n";
}

// The thread of the reply before, as the command line gives it; false (with the reason on
// standard error) when it cannot be placed.
bool threadOf(const LineList& words, const std::string& after, const std::string& said, int& line)
{
    line = 0;
    if (after.empty() && said.empty())
        return true;
    const kbtool::ThreadPick pick = kbtool::pickThread(words, cp1251::fromUtf8(after), cp1251::fromUtf8(said));
    if (!pick.fault.empty()) {
        std::cerr << "tovrin-kb explain: " << shown(pick.fault) << ".\n";
        return false;
    }
    if (pick.ambiguous) {
        std::cerr << "tovrin-kb explain: entries with different branches have the reply \"" << after << "\": "
                  << shown(kbtool::carriersText(words, pick.carriers))
                  << ". Name the one that said it with --after-line.\n";
        return false;
    }
    line = pick.line;
    return true;
}

int explainBatch(const std::string& path)
{
    std::string text;
    if (path == "-") {
        text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
        if (std::cin.bad()) {
            std::cerr << "tovrin-kb explain: could not read standard input.\n";
            return ExitFailed;
        }
    } else if (!readFile("explain", fromStart(path), text)) {
        return ExitFailed;
    }
    LineList words;
    words.load(files::Words);
    LineList insults;
    insults.load(files::X);
    std::cout << kbtool::kBatchHeader << '\n';
    for (const kbtool::BatchPhrase& p : kbtool::parseBatch(text))
        std::cout << kbtool::batchRow(words, insults, p) << '\n';
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "tovrin-kb explain: could not write to standard output.\n";
        return ExitFailed;
    }
    return ExitOk;
}

int explain(const std::vector<std::string>& args)
{
    std::string after;
    std::string said;
    std::string batch;
    std::string phrase;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--after" || a == "--after-line" || a == "--batch") {
            if (i + 1 == args.size()) {
                std::cerr << "tovrin-kb explain: " << a
                          << (a == "--after" ? " needs the reply.\n" : a == "--batch" ? " needs a file.\n" : " needs a line number.\n");
                return ExitUsage;
            }
            (a == "--after" ? after : a == "--batch" ? batch : said) = args[++i];
        } else if (a == "--all-replies") {
            // every reply of the answering entry is shown anyway
        } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
            std::cerr << "tovrin-kb explain: unknown option " << a << ".\n";
            return ExitUsage;
        } else {
            phrase += (phrase.empty() ? "" : " ") + a;
        }
    }
    if (!batch.empty()) {
        if (!phrase.empty() || !after.empty() || !said.empty()) {
            std::cerr << "tovrin-kb explain: --batch takes the phrases and replies from its file alone.\n";
            return ExitUsage;
        }
        return explainBatch(batch);
    }
    if (!said.empty() && (said.find_first_not_of("0123456789") != std::string::npos)) {
        std::cerr << "tovrin-kb explain: --after-line takes a line number of Words.Dat.\n";
        return ExitUsage;
    }
    if (phrase.empty()) {
        std::cerr << "tovrin-kb explain: give the phrase.\n";
        return ExitUsage;
    }
    LineList words;
    words.load(files::Words);
    int threadLine = 0;
    if (!threadOf(words, after, said, threadLine))
        return ExitFailed;
    const kbtool::Explanation e = kbtool::explain(words, phrase, threadLine);
    const kbtool::Turn& t = e.turn;

    std::cout << "Phrase:   \"" << shown(t.phrase) << "\", as the turn takes it\n";
    if (!after.empty() || !said.empty()) {
        std::cout << "After:    ";
        if (!after.empty())
            std::cout << '"' << after << "\": ";
        if (threadLine == 0)
            std::cout << "no entry has this reply, so there is no thread\n";
        else
            std::cout << (after.empty() ? "said by" : "a reply of") << " line " << threadLine << " \""
                      << shown(EntryHead(words.get(threadLine))) << "\", whose branches are tried first\n";
    }
    if (!e.profanity.empty())
        std::cout << "Filter:   the profanity list holds \"" << shown(e.profanity) << "\": a reply from "
                  << shown(files::X) << ", nothing is looked up or learnt\n";
    if (!e.humanTopic.empty() && e.profanity.empty())
        std::cout << "Filter:   the list of human matters holds \"" << shown(e.humanTopic)
                  << "\": the phrase is not learnt if nothing answers it\n";
    if (t.step == kbtool::Step::LongPhrase)
        std::cout << "Strategy: " << t.phrase.size() << " characters: a reply from " << shown(files::BigString)
                  << " in 4 turns of 6, in the others:\n";
    if (t.step != kbtool::Step::Profanity) {
        const kbtool::Step step = t.step == kbtool::Step::LongPhrase ? t.lookupStep : t.step;
        if (t.line > 0) {
            const std::string line = words.get(t.line);
            std::cout << "Answer:   line " << t.line << " \"" << shown(EntryHead(line)) << "\" by " << kbtool::stepName(step)
                      << (t.farewell ? "; it ends the conversation" : "") << '\n';
            for (int r = 1; r <= EntryReplyCount(line); ++r)
                std::cout << "          " << shown(EntryReply(line, r)) << '\n';
        } else {
            const bool question = !t.phrase.empty() && t.phrase.back() == '?';
            std::cout << "Answer:   nothing fits: a reply from " << shown(question ? files::W1 : files::W2)
                      << (t.humanTopic ? ", and the phrase is not learnt\n" : ", and the phrase is learnt\n");
        }
    }
    listNeighbours("Nearly fitted before it:", e.almost, words);
    listNeighbours("Fit too, but lost:", e.lost, words);
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
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode) && !savedAt(file))
        return "it is a symbolic link that leads out of the working folder (or nowhere), which the "
               "programs never follow.";
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
    // -C FOLDER before the command or among its arguments.
    for (std::size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] != "-C")
            continue;
        std::error_code ec;
        startFolder = std::filesystem::current_path(ec);
        if (::chdir(args[i + 1].c_str()) != 0) {
            std::cerr << "tovrin-kb: cannot change into the folder " << args[i + 1] << ": " << std::strerror(errno) << ".\n";
            return ExitFailed;
        }
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
        break;
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
        {"test", TestHelp, test},
        {"explain", ExplainHelp, explain},
        {"merge", kbtool::MergeHelp, [](const std::vector<std::string>& a) { return kbtool::runMerge(a, fromStart); }},
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
            if (e.kind() == FileError::Kind::CannotOpen)
                std::cerr << "tovrin-kb " << c.name << ": " << cp1251::visibleControls(whyCannotOpen(e.path())) << '\n';
            return ExitFailed;
        } catch (const std::exception& e) {
            std::cerr << "tovrin-kb " << c.name << ": " << e.what() << ".\n";
            return ExitFailed;
        }
    }
    std::cerr << "tovrin-kb: unknown command '" << command << "'.\n\n" << Usage;
    return ExitUsage;
}
