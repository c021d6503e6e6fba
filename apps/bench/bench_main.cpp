// tovrin-bench: how a dialogue turn scales with the knowledge file, in the programs people run.
// For knowledge files of 1,000, 10,000 and 100,000 entries, saved as the program saves them
// (RTF) and as plain text, and for the delivered knowledge as delivered and after its first
// save, it measures the median of repeated runs of a turn answered by an entry near the end of
// the file and of a fallback turn whose learning moves an entry (the slowest turn), each
// through the core's engine alone, through the terminal version's own session and through the
// main window's SpeakClick (offscreen, in a build with the windows), each timed from its ENTER
// on (the phrase typed into the input line before it is not the turn), with the minor page
// faults of each turn; and the I/O floor of the learning turn: the same bytes read and written with
// plain system calls, with the same number of reads, writes, flushes and renames (the reads and
// writes are checked against the system's count of the turn's own). Every turn is given as a
// ratio to the core's and to the floor. Loading and saving Words.Dat are timed alone, peak
// memory is measured in a fresh process, and the check of the knowledge file that authors run
// (tovrin-kb check) is timed on the same file after the turns.
//
//   tovrin-bench              the table, then the worst ratios against their limits (exit 1
//                             when one is over)
//   tovrin-bench --base NAME FOLDER
//                             writes FOLDER/Base with a knowledge file of the table
//                             (1000-rtf, 100000-plain, delivered-rtf, ...) or the delivered
//                             entries ten times over (delivered-x10-rtf), for runs of the
//                             programs themselves
//                             (the check is timed on 4,090 nested keys as well)
//   tovrin-bench --only NAME [RUNS]
//                             the table's row NAME alone (as named for --base), RUNS times
//                             over, for a profiler
#include "engine/engine.h"
#include "engine/plainhost.h"
#include "engine/host.h"
#include "kb/cp1251.h"
#include "kb/entry.h"
#include "kb/knowledge.h"
#include "kb/linelist.h"
#include "kb/textformat.h"
#include "kbtool/kbtool.h"
#include "fronts.h"
#include "apps/console/consolesession.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace tovrin;

namespace {

// ---- the knowledge base

const std::vector<const char*> kWords = {
    "привет",   "сегодня",  "погода",    "хорошая",   "плохая",    "думаю",    "знаешь",
    "любимый",  "фильм",    "музыка",    "книга",     "читать",    "работа",   "учёба",
    "школа",    "город",    "москва",    "деревня",   "зима",      "лето",     "осень",
    "весна",    "праздник", "подарок",   "компьютер", "программа", "разговор", "вопрос",
    "ответ",    "правда",   "интересно", "скучно",    "весело",    "грустно",  "вечером",
    "утром",    "завтра",   "вчера",     "всегда",    "никогда",   "иногда",   "конечно",
    "наверное", "совсем",   "очень",     "немного",   "много",     "дорога",   "машина",
    "поезд",    "самолёт",  "море",      "солнце",    "дождь",     "снег",     "ветер",
    "небо",     "звезда",   "луна",      "кошка",     "собака",    "птица",    "цветок",
    "дерево",   "лес",      "река",      "гора",      "поле",      "дом",      "окно",
    "дверь",    "стол",     "стул",      "лампа",     "телефон",   "письмо",   "новость",
    "история",  "сказка",   "песня",     "танец",     "игра",      "спорт",    "футбол",
    "шахматы",  "чай",      "кофе",      "хлеб",      "сыр",       "яблоко",   "суп",
    "обед",     "ужин",     "завтрак",   "магазин",   "деньги",    "время",    "минута",
    "неделя",   "месяц",    "год",       "друг",      "сосед",     "учитель",  "врач",
    "повар",    "художник", "поэт",      "умный",     "добрый",    "смешной",  "странный",
    "новый",    "старый",   "большой",   "маленький", "быстро",    "медленно", "громко",
    "тихо",     "сказать",  "понять",    "помнить",   "забыть",    "найти",    "искать",
    "купить",   "продать",  "ждать",     "верить",
};
const std::vector<const char*> kEndings = {".", ".", ".", "?", "?", "!", ""};

class Generator {
public:
    explicit Generator(unsigned seed) : random_(seed)
    {
        for (const char* word : kWords)
            words_.push_back(cp1251::fromUtf8(word));
    }

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

    std::string words(int count)
    {
        std::string text;
        for (int i = 0; i < count; ++i) {
            if (i > 0)
                text += ' ';
            text += words_[static_cast<std::size_t>(below(static_cast<int>(words_.size())))];
        }
        return text;
    }
    // A key as the program learns them (a whole phrase, upper case, punctuated) or a stem.
    std::string key()
    {
        return cp1251::upper(words(2 + below(3)) + kEndings[static_cast<std::size_t>(below(7))]);
    }
    // A reply as typed: capitalised, punctuated, a few words.
    std::string reply()
    {
        std::string text = words(1 + below(5));
        text[0] = cp1251::upper(text[0]);
        return text + (below(4) == 0 ? "?" : ".");
    }
    std::string replies()
    {
        std::string text;
        for (int r = 1 + below(5); r > 0; --r)
            text += reply() + ';';
        return text;
    }

private:
    std::mt19937 random_;
    std::vector<std::string> words_;
};

// Entries of the bench's own that its turns rely on, with words found in no other entry.
const char* const kAskedHead = "ЧТО ТЫ СКАЖЕШЬ ПРО КВАЗАРЫ?";
const char* const kAskedReply = "Что ты скажешь про квазары?";
const char* const kTargetKey = "ЗВЕЗДОЛЁТ ГОТОВ";
const char* const kAnsweredPhrase = "Мой звездолёт готов к старту.";
const char* const kFallbackPhrase = "Квазары светят ярче тысяч галактик.";

// Words.Dat of the given number of entries: main phrases with one to five replies, some bare
// keys, branches of depth one and two below some of them; the entry that the learning turn
// teaches near the start, the one that answers near the end.
LineList knowledgeBase(int entries, Generator& gen)
{
    LineList words;
    words.add(cp1251::fromUtf8("Знания программы"));
    const int asked = std::max(1, entries / 20);
    const int target = std::max(2, entries - 2);
    // Branches never take the lines the bench's own entries need.
    auto room = [&] {
        return words.count() <= entries && words.count() != asked && words.count() != target;
    };
    while (words.count() <= entries) {
        const int line = words.count();
        if (line == asked) {
            words.add(cp1251::fromUtf8(kAskedHead) + '^' + gen.replies());
        } else if (line == target) {
            words.add(cp1251::fromUtf8(kTargetKey) + '^' +
                      cp1251::fromUtf8("Полетели!;Ключ на старт.;"));
        } else if (gen.below(20) == 0) {
            words.add(gen.key() + '^'); // learnt, not yet answered
        } else {
            words.add(gen.key() + '^' + gen.replies());
            if (gen.below(8) == 0)
                for (int b = 1 + gen.below(3); b > 0 && room(); --b) {
                    words.add('_' + gen.key() + '^' + gen.replies());
                    if (gen.below(3) == 0 && room())
                        words.add("__" + gen.key() + '^' + gen.replies() +
                                  (gen.below(10) == 0 ? "@" : ""));
                }
        }
    }
    return words;
}

LineList phraseList(int lines, Generator& gen)
{
    LineList list;
    for (int i = 0; i < lines; ++i)
        list.add(gen.reply());
    return list;
}

// ---- the fronts a turn is measured through

struct Turn {
    PlainHost host;
    SilentCues cues;
    bench::KnowledgeDice dice;
    Engine engine{host, cues, dice};

    void prepare(const std::string& utf8Phrase, const std::string& lastReply)
    {
        host.transcript.clear(); // no repetition of the run before
        host.input = cp1251::fromUtf8(utf8Phrase);
        engine.pickUpAfter(cp1251::fromUtf8(lastReply));
    }
    void say(const std::string& utf8Phrase, const std::string& lastReply)
    {
        prepare(utf8Phrase, lastReply);
        engine.SpeakClick();
    }
};

class CoreFront : public bench::Front {
public:
    const char* name() const override { return "core"; }
    void prepare(const std::string& utf8Phrase, const std::string& lastReply) override
    {
        turn_.prepare(utf8Phrase, lastReply);
    }
    void press() override { turn_.engine.SpeakClick(); }
    std::string reply() override { return cp1251::toUtf8(turn_.engine.state().CpuPhrase); }

private:
    Turn turn_;
};

// The terminal version's own loop body, its lines written where nobody reads them.
class ConsoleFront : public bench::Front {
public:
    ConsoleFront() :
        nowhere_(std::fopen("/dev/null", "w")),
        session_(false, dice_, nowhere_, nowhere_)
    {
    }
    ~ConsoleFront() override { std::fclose(nowhere_); }
    const char* name() const override { return "console"; }
    // The line as the terminal gives it; its reading and conversion are the session's turn.
    void prepare(const std::string& utf8Phrase, const std::string& lastReply) override
    {
        session_.engine().pickUpAfter(cp1251::fromUtf8(lastReply));
        line_ = utf8Phrase;
    }
    void press() override
    {
        session_.take(line_);
        if (!session_.everyTurnSucceeded())
            throw std::runtime_error("the console's turn failed");
    }
    std::string reply() override { return cp1251::toUtf8(session_.engine().state().CpuPhrase); }

private:
    bench::KnowledgeDice dice_;
    std::FILE* nowhere_;
    ConsoleSession session_;
    std::string line_;
};

// ---- timing

double millisecondsOf(const std::function<void()>& run)
{
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::string bytesOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void putBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// The plain-system-call twins of the file layer's whole-file read and crash-safe save.
void plainRead(const std::string& path, std::string& buffer)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    ::fstat(fd, &st);
    buffer.resize(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t got = 0;
    for (ssize_t n; (n = ::read(fd, buffer.data() + got, buffer.size() - got)) > 0;)
        got += static_cast<std::size_t>(n);
    ::close(fd);
}

// The learning step reads the knowledge file again only when it changed since the lookup.
void plainStat(const std::string& path)
{
    struct stat st {};
    ::stat(path.c_str(), &st);
}

// A save writes its document in the pieces the RTF writer gives, so the floor writes as many.
void plainSave(const std::string& path, const std::string& bytes)
{
    const std::string temp = path + ".floor";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    for (std::size_t put = 0; put < bytes.size();) {
        const std::size_t piece = std::min(bytes.size() - put, RtfPieces::kPieceSize);
        const ssize_t n = ::write(fd, bytes.data() + put, piece);
        if (n <= 0)
            throw std::runtime_error("cannot write " + temp);
        put += static_cast<std::size_t>(n);
    }
    ::fsync(fd);
    ::close(fd);
    ::rename(temp.c_str(), path.c_str());
    const int folder =
        ::open(fs::path(path).parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::fsync(folder);
    ::close(folder);
}

// ---- the read and write calls a run makes, as the system counts them

struct IoCalls {
    long reads = 0;
    long writes = 0;
    bool operator==(const IoCalls&) const = default;
};

IoCalls ioCallsSoFar()
{
    IoCalls calls;
    std::ifstream in("/proc/self/io");
    for (std::string field; in >> field;) {
        long value = 0;
        in >> value;
        if (field == "syscr:")
            calls.reads = value;
        else if (field == "syscw:")
            calls.writes = value;
    }
    return calls;
}

IoCalls ioCallsOf(const std::function<void()>& run)
{
    const IoCalls before = ioCallsSoFar();
    run();
    const IoCalls after = ioCallsSoFar();
    return {after.reads - before.reads, after.writes - before.writes};
}

// ---- peak memory, in a fresh process so that nothing of the bench's own counts

long statusKilobytes(const char* field)
{
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind(field, 0) == 0)
            return std::strtol(line.c_str() + std::strlen(field), nullptr, 10);
    return 0;
}

int measureMemory(const char* folder)
{
    fs::current_path(folder);
    Turn turn;
    const long before = statusKilobytes("VmRSS:");
    turn.say(kAnsweredPhrase, "");
    turn.say(kFallbackPhrase, kAskedReply);
    std::printf("%ld\n", statusKilobytes("VmHWM:") - before);
    return 0;
}

double peakMegabytes(const std::string& self, const fs::path& folder)
{
    const std::string command = "'" + self + "' --memory '" + folder.string() + "'";
    std::FILE* child = ::popen(command.c_str(), "r");
    long kilobytes = -1;
    if (child == nullptr || std::fscanf(child, "%ld", &kilobytes) != 1)
        kilobytes = -1;
    if (child != nullptr)
        ::pclose(child);
    return static_cast<double>(kilobytes) / 1024.0;
}

// ---- one knowledge file

struct Dataset {
    std::string name;
    int entries = 0; // 0: the delivered knowledge
    bool plain = false; // saved as plain text (as delivered) rather than as the program saves
    int runs = 0;
};

// What the turns say on a file: a phrase an entry near the end answers, and a phrase nothing
// answers after a previous reply that names an entry near the start, which the learning moves.
struct Script {
    std::string answered;
    std::string answer; // the reply the answered turn must give; empty: any from the file
    std::string fallback;
    std::string asked; // the previous reply
};

// The keys of the nested file that the check is timed on as well.
constexpr int kNestedKeys = 4090;

// Median time and minor page faults of one kind of turn through one front.
struct Measured {
    double ms = 0;
    double faults = 0;
};

struct FrontRow {
    std::string front;
    Measured answered, learning;
};

struct Result {
    Dataset data;
    double fileMegabytes = 0;
    double load = 0, save = 0, floor = 0, peak = 0, check = 0;
    std::vector<FrontRow> fronts; // the core first
};

long minorFaultsSoFar()
{
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

struct Sample {
    double ms = 0;
    long faults = 0;
};

Sample sampleOf(const std::function<void()>& run)
{
    const long before = minorFaultsSoFar();
    const double ms = millisecondsOf(run);
    return {ms, minorFaultsSoFar() - before};
}

Measured medianOf(const std::vector<Sample>& samples)
{
    std::vector<double> ms, faults;
    for (const Sample& s : samples) {
        ms.push_back(s.ms);
        faults.push_back(static_cast<double>(s.faults));
    }
    return {median(ms), median(faults)};
}

// The delivered knowledge's folder, beside the sources.
const fs::path kDelivered = TOVRIN_DELIVERED_BASE;

// Writes the dataset's Base folder and gives the turns' phrases.
Script writeBase(const Dataset& data, std::vector<std::string>& plainLines)
{
    fs::create_directories("Base");
    Generator gen(static_cast<unsigned>(data.entries + (data.plain ? 7 : 0)));
    Script script;
    LineList words;
    if (data.entries <= 0) {
        for (const auto& file : fs::directory_iterator(kDelivered))
            fs::copy_file(file.path(), fs::path("Base") / file.path().filename(),
                          fs::copy_options::overwrite_existing);
        words.load(files::Words);
        // -n: the delivered entries n times over.
        const LineList delivered = words;
        for (int copy = 1; copy < -data.entries; ++copy)
            for (int i = 1; i < delivered.count(); ++i)
                words.add(delivered.view(i));
        if (data.entries < -1 && data.plain)
            putBytes("Base/Words.Dat", words.text());
        // The phrases people say; the previous reply names the first entry that answers.
        script.answered = "Как дела?";
        script.fallback = "Зюзюка бубенчит вприпрыжку.";
        for (int i = 1; i < words.count(); ++i)
            if (EntryDepth(words.view(i)) == 0 && EntryHasReplies(words.view(i)) &&
                !EntryHasFarewell(words.view(i))) {
                script.asked = cp1251::toUtf8(EntryHead(words.get(i)));
                break;
            }
        if (!data.plain)
            words.save(files::Words); // as after its first save
    } else {
        words = knowledgeBase(data.entries, gen);
        if (data.plain)
            putBytes("Base/Words.Dat", words.text());
        else
            words.save(files::Words);
        phraseList(std::max(10, data.entries / 10), gen).save(files::W1);
        phraseList(std::max(10, data.entries / 10), gen).save(files::W2);
        for (const std::string& list :
             {files::Povtor, files::X, files::BigString, files::AI, files::Collection})
            phraseList(20, gen).save(list);
        script = {kAnsweredPhrase, "Полетели!", kFallbackPhrase, kAskedReply};
    }
    plainLines = words.lines();
    return script;
}

Result measure(const Dataset& data, const std::string& self, const fs::path& root,
               std::vector<std::unique_ptr<bench::Front>> (*makeFronts)())
{
    Result result;
    result.data = data;
    const fs::path folder = root / data.name;
    fs::create_directories(folder);
    fs::current_path(folder);
    std::vector<std::string> lines;
    const Script script = writeBase(data, lines);
    const LineList words(lines);

    const std::string wordsPath = "Base/Words.Dat";
    const std::string w2Path = "Base/W2.Dat";
    const std::string w1Path = "Base/W1.Dat";
    const std::string wordsBytes = bytesOf(wordsPath);
    const std::string w1Bytes = bytesOf(w1Path);
    const std::string w2Bytes = bytesOf(w2Path);
    result.fileMegabytes = static_cast<double>(wordsBytes.size()) / (1024.0 * 1024.0);
    auto restore = [&] {
        putBytes(wordsPath, wordsBytes);
        putBytes(w1Path, w1Bytes);
        putBytes(w2Path, w2Bytes);
        ::sync(); // no write-back of the restore competes with the measured flushes
    };

    // The fronts, made in the folder (the window reads the knowledge as it starts).
    std::vector<std::unique_ptr<bench::Front>> fronts = makeFronts();

    // The turns must take the paths they are meant to measure, through every front.
    IoCalls learningCalls;
    std::string fallbackList; // the list the learning turn appended to
    for (auto& front : fronts) {
        restore();
        front->say(script.answered, "");
        if (bytesOf(wordsPath) != wordsBytes ||
            (!script.answer.empty() && front->reply() != script.answer))
            throw std::runtime_error(data.name +
                                     ": the answered turn was not answered by its entry (" +
                                     front->name() + ")");
        const IoCalls calls = ioCallsOf([&] { front->say(script.fallback, script.asked); });
        LineList learnt;
        learnt.load(files::Words);
        if (cp1251::toUtf8(EntryHead(learnt.get(learnt.count() - 1))) !=
            cp1251::toUtf8(cp1251::upper(cp1251::fromUtf8(script.asked))))
            throw std::runtime_error(data.name +
                                     ": the learning turn did not move the asked entry (" +
                                     front->name() + ")");
        if (front.get() == fronts.front().get()) {
            learningCalls = calls;
            fallbackList = bytesOf(w1Path) != w1Bytes ? w1Path : w2Path;
        }
    }
    // What the learning turn wrote, for the floor: the list, Words.Dat with the new key, and the
    // final one.
    const std::string listAfter = bytesOf(fallbackList);
    const std::string wordsAfter = bytesOf(wordsPath);
    LineList withKey = words;
    withKey.add(cp1251::upper(cp1251::fromUtf8(script.fallback)) + '^');
    withKey.save(files::Words);
    const std::string wordsWithKey = bytesOf(wordsPath);
    const std::string drawnPath = cp1251::fromUtf8(script.fallback).back() == '?' ? w1Path : w2Path;

    std::string buffer;
    auto floorRun = [&] {
        plainRead(wordsPath, buffer); // the lookup
        plainRead(drawnPath, buffer); // the fallback reply
        plainRead(fallbackList, buffer); // learning: the list, under the lock
        plainSave("Base/FloorList.Dat", listAfter);
        plainStat(wordsPath); // learning: is the lookup's read still the file?
        plainSave("Base/FloorWords.Dat", wordsWithKey);
        plainSave("Base/FloorWords.Dat", wordsAfter);
    };
    // The floor is only a floor while it makes the turn's calls: the system's own count of
    // them keeps it so.
    restore();
    const IoCalls floorCalls = ioCallsOf(floorRun);
    if (floorCalls != learningCalls)
        throw std::runtime_error(
            data.name + ": the I/O floor makes " + std::to_string(floorCalls.reads) +
            " reads and " + std::to_string(floorCalls.writes) + " writes, the learning turn " +
            std::to_string(learningCalls.reads) + " and " + std::to_string(learningCalls.writes));

    std::vector<double> load, save, floor;
    std::vector<std::vector<Sample>> answered(fronts.size()), learning(fronts.size());
    LineList list;
    for (int run = 0; run < data.runs; ++run) {
        restore();
        load.push_back(millisecondsOf([&] { list.load(files::Words); }));
        save.push_back(millisecondsOf([&] { list.save(files::Words); }));
        for (std::size_t f = 0; f < fronts.size(); ++f) {
            restore();
            // Each turn timed from its ENTER on.
            fronts[f]->prepare(script.answered, "");
            answered[f].push_back(sampleOf([&] { fronts[f]->press(); }));
            fronts[f]->prepare(script.fallback, script.asked);
            learning[f].push_back(sampleOf([&] { fronts[f]->press(); }));
        }
        restore();
        floor.push_back(
            millisecondsOf(floorRun)); // the floor reads into room it has, as the turn does
    }
    restore();
    // The authors' check, apart from the turns: what it takes and gives back is none of theirs.
    std::vector<double> check;
    for (int run = 0; run < std::max(3, data.runs / 3); ++run)
        check.push_back(millisecondsOf([&] { kbtool::checkKnowledge(words); }));

    result.load = median(load);
    result.save = median(save);
    result.floor = median(floor);
    result.check = median(check);
    for (std::size_t f = 0; f < fronts.size(); ++f)
        result.fronts.push_back({fronts[f]->name(), medianOf(answered[f]), medianOf(learning[f])});
    fronts.clear();
    result.peak = data.entries != 0 && !data.plain ? peakMegabytes(self, folder) : 0;
    return result;
}

std::vector<std::unique_ptr<bench::Front>> allFronts()
{
    std::vector<std::unique_ptr<bench::Front>> fronts;
    fronts.push_back(std::make_unique<CoreFront>());
    fronts.push_back(std::make_unique<ConsoleFront>());
    if (auto window = bench::makeWindowFront())
        fronts.push_back(std::move(window));
    return fronts;
}

#ifndef TOVRIN_BENCH_WINDOWS
} // namespace
// A build without the windows measures no window.
void bench::startWindows(int&, char**) {}
void bench::stopWindows() {}
std::unique_ptr<bench::Front> bench::makeWindowFront() { return nullptr; }
namespace {
#endif

std::string selfPath()
{
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string("tovrin-bench") : self.string();
}

// The limits the turns are held to.
constexpr double kFrontLimit = 1.2; // a front's turn against the core's
constexpr double kAnsweredLimitMs = 40; // the answered turn at 100,000 entries (RTF)
constexpr double kFloorLimit = 1.3; // the learning turn against the I/O floor
constexpr double kCheckLimitSeconds = 2; // the authors' check of 100,000 entries

void printResult(const Result& r)
{
    const FrontRow& core = r.fronts.front();
    for (const bool learningTurn : {false, true}) {
        const Measured& c = learningTurn ? core.learning : core.answered;
        std::printf("%-16s %8.2f MB  %-8s", r.data.name.c_str(), r.fileMegabytes,
                    learningTurn ? "learning" : "answered");
        for (const FrontRow& front : r.fronts) {
            const Measured& m = learningTurn ? front.learning : front.answered;
            std::printf(" %8.1f ms x%-4.2f /%-5.2f %6.0f", m.ms, m.ms / c.ms, m.ms / r.floor,
                        m.faults);
        }
        if (learningTurn)
            std::printf(" %8.1f ms", r.floor);
        std::printf("\n");
    }
}

// The name a row of the table goes by on the command line: "1000-rtf", "delivered-plain".
std::string slugOf(const Dataset& data)
{
    std::string slug = data.name;
    std::replace(slug.begin(), slug.end(), ' ', '-');
    std::transform(slug.begin(), slug.end(), slug.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return slug;
}

} // namespace

// Writes the Base folder of a knowledge file the bench measures (or of the delivered entries ten
// times over) into folder, for runs of the programs themselves.
int writeBaseOnly(const std::string& name, const fs::path& folder)
{
    std::vector<Dataset> known;
    for (const int entries : {1000, 10000, 100000})
        for (const bool plain : {false, true})
            known.push_back(
                {std::to_string(entries) + (plain ? "-plain" : "-rtf"), entries, plain, 0});
    known.push_back({"delivered-plain", 0, true, 0});
    known.push_back({"delivered-rtf", 0, false, 0});
    known.push_back({"delivered-x10-rtf", -10, false, 0});
    for (const Dataset& data : known)
        if (data.name == name) {
            fs::create_directories(folder);
            fs::current_path(folder);
            std::vector<std::string> lines;
            writeBase(data, lines);
            return 0;
        }
    std::fprintf(stderr, "tovrin-bench: no knowledge file named %s\n", name.c_str());
    return 2;
}

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--memory")
        return measureMemory(argv[2]);
    if (argc == 4 && std::string(argv[1]) == "--base")
        return writeBaseOnly(argv[2], argv[3]);
    std::string only;
    int onlyRuns = 0;
    if ((argc == 3 || argc == 4) && std::string(argv[1]) == "--only") {
        only = argv[2];
        onlyRuns = argc == 4 ? std::atoi(argv[3]) : 0;
    } else if (argc != 1) {
        std::fprintf(stderr, "tovrin-bench: unknown arguments; see the head of its source\n");
        return 2;
    }
    bench::startWindows(argc, argv);

    const fs::path start = fs::current_path();
    char pattern[] = "/tmp/tovrin-bench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        std::perror("tovrin-bench: temporary folder");
        return 1;
    }
    const fs::path root = pattern;
    const std::string self = selfPath();

    std::vector<Dataset> sets;
    for (const auto& [entries, runs] :
         {std::pair{1000, 31}, std::pair{10000, 15}, std::pair{100000, 9}})
        for (const bool plain : {false, true})
            sets.push_back(
                {std::to_string(entries) + (plain ? " plain" : " RTF"), entries, plain, runs});
    if (fs::is_directory(kDelivered))
        for (const bool plain : {true, false})
            sets.push_back({plain ? "delivered plain" : "delivered RTF", 0, plain, 15});
    if (!only.empty()) {
        std::erase_if(sets, [&only](const Dataset& data) { return slugOf(data) != only; });
        if (sets.empty()) {
            std::fprintf(stderr, "tovrin-bench: no knowledge file named %s\n", only.c_str());
            return 2;
        }
        if (onlyRuns > 0)
            sets.front().runs = onlyRuns;
    }

    int status = 0;
    try {
        std::vector<Result> results;
        std::printf(
            "Each front: the turn's median time, x its ratio to the core's turn, / its ratio to the I/O floor,\n"
            "and its minor page faults.\n");
        std::printf("%-16s %11s  %-8s", "data", "Words.Dat", "turn");
        for (const auto& name : {"core", "console", "window"})
            std::printf(" %-29s", name);
        std::printf(" %11s\n", "I/O floor");
        for (const Dataset& data : sets) {
            results.push_back(measure(data, self, root, allFronts));
            printResult(results.back());
            std::fflush(stdout);
        }

        std::printf("\n%9s %11s %9s %9s %13s %10s\n", "entries", "Words.Dat", "load", "save",
                    "peak memory", "check");
        for (const Result& r : results)
            if (r.data.entries != 0 && !r.data.plain)
                std::printf("%9d %8.2f MB %6.1f ms %6.1f ms %6.1f MB x%.1f %7.1f ms\n",
                            r.data.entries, r.fileMegabytes, r.load, r.save, r.peak,
                            r.peak / r.fileMegabytes, r.check);

        double worstFront = 0, worstFloor = 0, answered100k = 0, mostFaults = 0;
        double lastCheck = 0;
        for (const Result& r : results) {
            const FrontRow& core = r.fronts.front();
            for (const FrontRow& front : r.fronts) {
                worstFront = std::max({worstFront, front.answered.ms / core.answered.ms,
                                       front.learning.ms / core.learning.ms});
                worstFloor = std::max(worstFloor, front.learning.ms / r.floor);
                mostFaults = std::max({mostFaults, front.answered.faults, front.learning.faults});
            }
            if (r.data.entries == 100000 && !r.data.plain) {
                answered100k = core.answered.ms;
                lastCheck = r.check / 1000.0;
            }
        }
        const auto verdict = [&status](bool over) {
            if (over)
                status = 1;
            return over ? ": OVER" : "";
        };
        std::printf("\nworst front / core: %.2f (at most %.1f)%s\n", worstFront, kFrontLimit,
                    verdict(worstFront > kFrontLimit));
        std::printf("answered turn at 100000 entries (RTF): %.1f ms (at most %.0f ms)%s\n",
                    answered100k, kAnsweredLimitMs, verdict(answered100k > kAnsweredLimitMs));
        std::printf("worst ratio: %.2f (learning turn / I/O floor, at most %.1f)%s\n", worstFloor,
                    kFloorLimit, verdict(worstFloor > kFloorLimit));
        std::printf("most minor page faults in a turn: %.0f\n", mostFaults);
        std::printf("check of 100000 entries: %.2f s (at most %.0f s)%s\n", lastCheck,
                    kCheckLimitSeconds, verdict(lastCheck > kCheckLimitSeconds));
        // Keys that each hold all the keys before them, many times over: «А», «АА», «ААА»...
        LineList nested;
        nested.add("Nested keys");
        std::string key;
        for (int i = 0; i < kNestedKeys; ++i)
            nested.add((key += '\xC0') + "^x;");
        const double nestedCheck = millisecondsOf([&] { kbtool::checkKnowledge(nested); }) / 1000.0;
        const bool nestedSlow = nestedCheck > kCheckLimitSeconds;
        std::printf("check of %d nested keys: %.2f s (at most %.0f s)%s\n", kNestedKeys,
                    nestedCheck, kCheckLimitSeconds, nestedSlow ? ": TOO SLOW" : "");
        if (nestedSlow)
            status = 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tovrin-bench: %s\n", e.what());
        status = 1;
    }
    std::fflush(stdout);
    bench::stopWindows();
    fs::current_path(start);
    std::error_code ec;
    fs::remove_all(root, ec);
    return status;
}
