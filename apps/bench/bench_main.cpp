// tovrin-bench: how a dialogue turn scales with the knowledge file. For knowledge files of
// 1,000, 10,000 and 100,000 entries, saved as the program saves them, it measures the median
// of repeated runs of: loading and saving Words.Dat; a turn answered by an entry near the end
// of the file; a fallback turn whose learning moves an entry (the slowest turn); and the I/O
// floor of that turn: the same bytes read and written with plain system calls, with the same
// number of reads, writes, flushes and renames (the reads and writes are checked against the
// system's count of the turn's own). Peak memory is measured in a fresh process. The check of
// the knowledge file that authors run (tovrin-kb check) is timed on the same file.
//
//   tovrin-bench              the table, then "worst ratio: X" (learning turn / I/O floor) and
//                             the check's time at the largest size against its limit (exit 1
//                             when over it)
#include "engine/engine.h"
#include "engine/plainhost.h"
#include "engine/host.h"
#include "kb/cp1251.h"
#include "kb/entry.h"
#include "kb/knowledge.h"
#include "kb/linelist.h"
#include "kb/textformat.h"
#include "kbtool/kbtool.h"

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
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace tovrin;

namespace {

// ---- the knowledge base

const std::vector<const char*> kWords = {
    "привет", "сегодня", "погода", "хорошая", "плохая", "думаю", "знаешь", "любимый", "фильм",
    "музыка", "книга", "читать", "работа", "учёба", "школа", "город", "москва", "деревня", "зима",
    "лето", "осень", "весна", "праздник", "подарок", "компьютер", "программа", "разговор",
    "вопрос", "ответ", "правда", "интересно", "скучно", "весело", "грустно", "вечером", "утром",
    "завтра", "вчера", "всегда", "никогда", "иногда", "конечно", "наверное", "совсем", "очень",
    "немного", "много", "дорога", "машина", "поезд", "самолёт", "море", "солнце", "дождь",
    "снег", "ветер", "небо", "звезда", "луна", "кошка", "собака", "птица", "цветок", "дерево",
    "лес", "река", "гора", "поле", "дом", "окно", "дверь", "стол", "стул", "лампа", "телефон",
    "письмо", "новость", "история", "сказка", "песня", "танец", "игра", "спорт", "футбол",
    "шахматы", "чай", "кофе", "хлеб", "сыр", "яблоко", "суп", "обед", "ужин", "завтрак",
    "магазин", "деньги", "время", "минута", "неделя", "месяц", "год", "друг", "сосед", "учитель",
    "врач", "повар", "художник", "поэт", "умный", "добрый", "смешной", "странный", "новый",
    "старый", "большой", "маленький", "быстро", "медленно", "громко", "тихо", "сказать",
    "понять", "помнить", "забыть", "найти", "искать", "купить", "продать", "ждать", "верить",
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
    std::string key() { return cp1251::upper(words(2 + below(3)) + kEndings[static_cast<std::size_t>(below(7))]); }
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
    auto room = [&] { return words.count() <= entries && words.count() != asked && words.count() != target; };
    while (words.count() <= entries) {
        const int line = words.count();
        if (line == asked) {
            words.add(cp1251::fromUtf8(kAskedHead) + '^' + gen.replies());
        } else if (line == target) {
            words.add(cp1251::fromUtf8(kTargetKey) + '^' + cp1251::fromUtf8("Полетели!;Ключ на старт.;"));
        } else if (gen.below(20) == 0) {
            words.add(gen.key() + '^'); // learnt, not yet answered
        } else {
            words.add(gen.key() + '^' + gen.replies());
            if (gen.below(8) == 0)
                for (int b = 1 + gen.below(3); b > 0 && room(); --b) {
                    words.add('_' + gen.key() + '^' + gen.replies());
                    if (gen.below(3) == 0 && room())
                        words.add("__" + gen.key() + '^' + gen.replies() + (gen.below(10) == 0 ? "@" : ""));
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

// ---- a host and dice that stay out of the way

// The knowledge path every time (r = 2), the first reply or line, and no delayed remark.
class KnowledgeDice : public Dice {
public:
    void reseed() override {}
    int random(int n) override { return n == 6 || n == 3 ? 1 : 0; }
};

struct Turn {
    PlainHost host;
    SilentCues cues;
    KnowledgeDice dice;
    Engine engine{host, cues, dice};

    void say(const char* utf8Phrase, const char* lastReply)
    {
        host.transcript.clear(); // no repetition of the run before
        host.input = cp1251::fromUtf8(utf8Phrase);
        engine.preset().LastReply = cp1251::fromUtf8(lastReply);
        engine.preset().ThreadDepth = 0;
        engine.SpeakClick();
    }
};

// ---- timing

double millisecondsOf(const std::function<void()>& run)
{
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
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
    const int folder = ::open(fs::path(path).parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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

// ---- one size

struct Row {
    int entries = 0;
    double fileMegabytes = 0;
    double load = 0, save = 0, answered = 0, learning = 0, floor = 0, peak = 0, check = 0;
};

// The check of the largest file may take at most this long.
constexpr double kCheckLimitSeconds = 2.0;

Row measure(int entries, int runs, const std::string& self, const fs::path& root)
{
    Row row;
    row.entries = entries;
    const fs::path folder = root / std::to_string(entries);
    fs::create_directories(folder / "Base");
    fs::current_path(folder);

    Generator gen(static_cast<unsigned>(entries));
    const LineList words = knowledgeBase(entries, gen);
    words.save(files::Words);
    phraseList(std::max(10, entries / 10), gen).save(files::W1);
    phraseList(std::max(10, entries / 10), gen).save(files::W2);
    for (const std::string& list : {files::Povtor, files::X, files::BigString, files::AI, files::Collection})
        phraseList(20, gen).save(list);

    const std::string wordsPath = "Base/Words.Dat";
    const std::string w2Path = "Base/W2.Dat";
    const std::string wordsBytes = bytesOf(wordsPath);
    const std::string w2Bytes = bytesOf(w2Path);
    row.fileMegabytes = static_cast<double>(wordsBytes.size()) / (1024.0 * 1024.0);

    // The turns must take the paths they are meant to measure.
    Turn turn;
    turn.say(kAnsweredPhrase, "");
    if (cp1251::toUtf8(turn.engine.state().CpuPhrase) != "Полетели!")
        throw std::runtime_error("the answered turn was answered by another entry");
    const IoCalls learningCalls = ioCallsOf([&] { turn.say(kFallbackPhrase, kAskedReply); });
    LineList learnt;
    learnt.load(files::Words);
    if (cp1251::toUtf8(EntryHead(learnt.get(learnt.count() - 1))) != kAskedHead)
        throw std::runtime_error("the learning turn did not move the asked entry");
    // What the learning turn wrote, for the floor: W2, Words.Dat with the new key, and the final one.
    const std::string w2After = bytesOf(w2Path);
    const std::string wordsAfter = bytesOf(wordsPath);
    LineList withKey = words;
    withKey.add(cp1251::upper(cp1251::fromUtf8(kFallbackPhrase)) + '^');
    withKey.save(files::Words);
    const std::string wordsWithKey = bytesOf(wordsPath);

    auto restore = [&] {
        putBytes(wordsPath, wordsBytes);
        putBytes(w2Path, w2Bytes);
        ::sync(); // no write-back of the restore competes with the measured flushes
    };
    std::string buffer;
    auto floorRun = [&] {
        plainRead(wordsPath, buffer);             // the lookup
        plainRead(w2Path, buffer);                // the fallback reply
        plainRead(w2Path, buffer);                // learning: the list, under the lock
        plainSave("Base/FloorW2.Dat", w2After);
        plainStat(wordsPath);                     // learning: is the lookup's read still the file?
        plainSave("Base/FloorWords.Dat", wordsWithKey);
        plainSave("Base/FloorWords.Dat", wordsAfter);
    };
    // The floor is only a floor while it makes the turn's calls: the system's own count of
    // them keeps it so.
    restore();
    const IoCalls floorCalls = ioCallsOf(floorRun);
    if (floorCalls != learningCalls)
        throw std::runtime_error("the I/O floor makes " + std::to_string(floorCalls.reads) + " reads and " +
                                 std::to_string(floorCalls.writes) + " writes, the learning turn " +
                                 std::to_string(learningCalls.reads) + " and " +
                                 std::to_string(learningCalls.writes));
    restore();

    std::vector<double> load, save, answered, learning, floor, check;
    LineList list;
    for (int run = 0; run < runs; ++run) {
        load.push_back(millisecondsOf([&] { list.load(files::Words); }));
        save.push_back(millisecondsOf([&] { list.save(files::Words); }));
        restore();
        answered.push_back(millisecondsOf([&] { turn.say(kAnsweredPhrase, ""); }));
        learning.push_back(millisecondsOf([&] { turn.say(kFallbackPhrase, kAskedReply); }));
        restore();
        buffer = std::string(); // each run reads into fresh memory, as the turn does
        floor.push_back(millisecondsOf(floorRun));
        check.push_back(millisecondsOf([&] { kbtool::checkKnowledge(words); }));
    }
    row.load = median(load);
    row.save = median(save);
    row.answered = median(answered);
    row.learning = median(learning);
    row.floor = median(floor);
    row.check = median(check);
    row.peak = peakMegabytes(self, folder);
    return row;
}

std::string selfPath()
{
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string("tovrin-bench") : self.string();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--memory")
        return measureMemory(argv[2]);

    const fs::path start = fs::current_path();
    char pattern[] = "/tmp/tovrin-bench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        std::perror("tovrin-bench: temporary folder");
        return 1;
    }
    const fs::path root = pattern;
    const std::string self = selfPath();

    std::printf("%9s %11s %9s %9s %10s %10s %10s %6s %8s %13s %10s\n", "entries", "Words.Dat", "load", "save",
                "answered", "learning", "I/O floor", "ratio", "growth", "peak memory", "check");
    double worst = 0;
    double previous = 0;
    double lastCheck = 0;
    int lastEntries = 0;
    int status = 0;
    try {
        for (const auto& [entries, runs] : {std::pair{1000, 31}, std::pair{10000, 15}, std::pair{100000, 9}}) {
            const Row row = measure(entries, runs, self, root);
            const double ratio = row.learning / row.floor;
            worst = std::max(worst, ratio);
            char growth[16] = "-";
            if (previous > 0)
                std::snprintf(growth, sizeof growth, "x%.1f", row.learning / previous);
            previous = row.learning;
            std::printf("%9d %8.2f MB %6.1f ms %6.1f ms %7.1f ms %7.1f ms %7.1f ms %6.2f %8s %6.1f MB x%.1f %7.1f ms\n",
                        row.entries, row.fileMegabytes, row.load, row.save, row.answered, row.learning, row.floor,
                        ratio, growth, row.peak, row.peak / row.fileMegabytes, row.check);
            lastCheck = row.check / 1000.0;
            lastEntries = row.entries;
            std::fflush(stdout);
        }
        std::printf("worst ratio: %.2f\n", worst);
        const bool slow = lastCheck > kCheckLimitSeconds;
        std::printf("check of %d entries: %.2f s (at most %.0f s)%s\n", lastEntries, lastCheck, kCheckLimitSeconds,
                    slow ? ": TOO SLOW" : "");
        if (slow)
            status = 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tovrin-bench: %s\n", e.what());
        status = 1;
    }
    fs::current_path(start);
    std::error_code ec;
    fs::remove_all(root, ec);
    return status;
}
