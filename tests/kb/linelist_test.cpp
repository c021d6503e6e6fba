#include "kb/fileerror.h"
#include "kb/files.h"
#include "kb/linelist.h"
#include "kb/textformat.h"
#include "support/kbsupport.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <new>
#include <random>
#include <thread>

#include <malloc.h>

// Every allocation of this program is counted, so that the memory a loaded list takes, and the
// most a load takes on its way, can be measured.
namespace {
std::atomic<long long> gLiveBytes{0};
std::atomic<long long> gPeakBytes{0};

void* counted(std::size_t size)
{
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr)
        throw std::bad_alloc();
    const long long live = gLiveBytes += static_cast<long long>(malloc_usable_size(p));
    long long peak = gPeakBytes.load();
    while (live > peak && !gPeakBytes.compare_exchange_weak(peak, live)) {}
    return p;
}

void uncounted(void* p)
{
    if (p != nullptr) {
        gLiveBytes -= static_cast<long long>(malloc_usable_size(p));
        std::free(p);
    }
}
} // namespace

void* operator new(std::size_t size) { return counted(size); }
void* operator new[](std::size_t size) { return counted(size); }
void operator delete(void* p) noexcept { uncounted(p); }
void operator delete[](void* p) noexcept { uncounted(p); }
void operator delete(void* p, std::size_t) noexcept { uncounted(p); }
void operator delete[](void* p, std::size_t) noexcept { uncounted(p); }

using tovrin::FileError;
using tovrin::LineList;
using tovrin::loadMemo;
using tovrin::test::cp;
using tovrin::test::errorOf;
using tovrin::test::ScratchDir;
using Lines = std::vector<std::string>;

TEST(LineList, CountOfWhatALoadFinds)
{
    struct Case {
        const char* name;
        std::string bytes;
        Lines lines;
    };
    const Case cases[] = {
        {"empty file", "", {}},
        {"final line break adds no line", "a\r\nb\r\n", {"a", "b"}},
        {"last line without a break", "a\r\nb", {"a", "b"}},
        {"empty last line", "a\r\n\r\n", {"a", ""}},
        {"one line break", "\r\n", {""}},
        {"empty RTF document", "{\\rtf1\\ansi }", {}},
        {"RTF document", "{\\rtf1\\ansi a\\par\\par b\\par}", {"a", "", "b"}},
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        dir.write("Base\\Words.Dat", c.bytes);
        LineList list({"left over"});
        list.load("Base\\Words.Dat");
        EXPECT_EQ(list.lines(), c.lines) << c.name;
        EXPECT_EQ(list.count(), static_cast<int>(c.lines.size())) << c.name;
    }
}

TEST(LineList, IndexesOutsideTheListAreHarmless)
{
    LineList list({"a", "b"});
    for (const int i : {-100, -1, 2, 3, 1'000'000})
        EXPECT_EQ(list.get(i), "") << i;
    for (const int i : {-1, 2, 100}) {
        list.remove(i);
        EXPECT_EQ(list.lines(), (Lines{"a", "b"})) << i;
    }
    LineList empty;
    empty.remove(empty.count() - 1);
    empty.remove(0);
    EXPECT_EQ(empty.count(), 0);
    EXPECT_EQ(empty.get(0), "");
}

TEST(LineList, EditingOperations)
{
    LineList list;
    list.add("first");
    list.add("");
    list.add("third");
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(list.text(), "first\r\n\r\nthird\r\n");
    list.remove(1);
    EXPECT_EQ(list.lines(), (Lines{"first", "third"}));
    list.remove(list.count() - 1);
    EXPECT_EQ(list.lines(), Lines{"first"});
    list.clear();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.text(), "");
}

TEST(LineList, PlainFileBecomesRtfAndLoadsBackTheSame)
{
    ScratchDir dir;
    dir.writeLines("Base\\Words.Dat", {"ПРИВЕТ^Здравствуй!;", "_КАК ДЕЛА^Хорошо;", ""});
    LineList list;
    list.load("Base\\Words.Dat");
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(list.get(0), cp("ПРИВЕТ^Здравствуй!;"));
    EXPECT_EQ(list.get(2), "");
    list.save("Base\\Words.dat");

    LineList again;
    again.load("Base\\WORDS.DAT");
    EXPECT_EQ(again.lines(), list.lines());
    EXPECT_TRUE(tovrin::looksLikeRtf(tovrin::readWholeFile("Base\\Words.Dat")));
}

// A line appended by hand to a file the program saved as RTF is read, and the next save keeps it.
TEST(LineList, ALineAppendedToASavedFileIsKept)
{
    ScratchDir dir;
    LineList({cp("Заголовок"), cp("ПРИВЕТ^Привет!;")}).save("Base\\Words.Dat");
    std::ofstream(dir.path() / "Base" / "Words.Dat", std::ios::binary | std::ios::app)
        << cp("КЛЮЧ^Ответ;\r\n");
    LineList words;
    words.load("Base\\Words.Dat");
    words.add(cp("НОВОЕ^"));
    words.save("Base\\Words.Dat");
    EXPECT_EQ(dir.readLines("Base\\Words.Dat"),
              (std::vector<std::string>{"Заголовок", "ПРИВЕТ^Привет!;", "КЛЮЧ^Ответ;", "НОВОЕ^"}));
}

// Lines appended by hand after the file was loaded, while the program was changing it, are
// kept by its save (and only once, however many saves follow); a file changed otherwise
// meanwhile is left as it is, and the save fails.
TEST(LineList, ASaveKeepsWhatWasAppendedToTheFileSinceItsLoad)
{
    struct Case {
        const char* name;
        bool savedFirst; // the file is the program's RTF, else plain text
        std::string appended; // added at the end of the file after the load
        std::string replacedWith; // or the whole file written anew
        std::vector<std::string> expected; // nothing: the save fails, the file stays
    };
    const Case cases[] = {
        {"a line after the RTF document",
         true,
         cp("КЛЮЧ^Ответ;\r\n"),
         "",
         {"h", "ПРИВЕТ^Привет!;", "НОВОЕ^", "КЛЮЧ^Ответ;", "ЕЩЁ^"}},
        {"two lines after plain text",
         false,
         cp("А^Б;\nВ^Г;\n"),
         "",
         {"h", "ПРИВЕТ^Привет!;", "НОВОЕ^", "А^Б;", "В^Г;", "ЕЩЁ^"}},
        {"nothing", true, "", "", {"h", "ПРИВЕТ^Привет!;", "НОВОЕ^", "ЕЩЁ^"}},
        {"a line edited", false, "", cp("h\r\nПРИВЕТ^Здравствуй!;\r\n"), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        if (c.savedFirst)
            LineList({cp("h"), cp("ПРИВЕТ^Привет!;")}).save("Base\\Words.Dat");
        else
            dir.writeLines("Base\\Words.Dat", {"h", "ПРИВЕТ^Привет!;"});
        LineList words;
        words.load("Base\\Words.Dat");
        if (!c.appended.empty())
            std::ofstream(dir.path() / "Base" / "Words.Dat", std::ios::binary | std::ios::app)
                << c.appended;
        if (!c.replacedWith.empty())
            dir.write("Base\\Words.Dat", c.replacedWith);
        const std::string before = tovrin::readWholeFile("Base\\Words.Dat");
        words.add(cp("НОВОЕ^"));
        const std::string error = errorOf([&] {
            words.save("Base\\Words.Dat");
            words.add(cp("ЕЩЁ^")); // a second save of the same turn
            words.save("Base\\Words.Dat");
        });
        if (c.expected.empty()) {
            EXPECT_EQ(error, "Failed to Save Stream");
            EXPECT_EQ(tovrin::readWholeFile("Base\\Words.Dat"), before);
        } else {
            EXPECT_EQ(error, "");
            EXPECT_EQ(dir.readLines("Base\\Words.Dat"), c.expected);
        }
    }
}

// A load that finds a version it read before by its stamp takes the digest it made then: a
// file changed since (in place, keeping its size) is still caught by the save, and lines
// appended are still kept. The versions are old enough for their stamps to be trusted.
TEST(LineList, AVersionKnownByItsStampIsStillCheckedAtTheSave)
{
    ScratchDir dir;
    const Lines lines = {"h", "ПРИВЕТ^Привет!;"};
    dir.writeLines("Base\\W1.Dat", lines);
    dir.writeLines("Base\\W2.Dat", lines);
    constexpr int kSettled = 12; // more versions than loads remember
    for (int i = 0; i < kSettled; ++i)
        dir.writeLines("Base\\S" + std::to_string(i) + ".Dat", lines);
    const auto changed = std::filesystem::last_write_time(dir.path() / "Base" / "W2.Dat");
    while (std::filesystem::file_time_type::clock::now() - changed <
           std::chrono::milliseconds(2100))
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    struct Case {
        const char* name;
        const char* file;
        std::string appended; // added at the end after the load
        std::string sameSizeEdit; // or the file rewritten in place, as long as before
        Lines expected; // nothing: the save fails, the file stays
    };
    const Case cases[] = {
        {"edited in place", "W1.Dat", "", cp("h\r\nПРИВЕТ^Превет!;\r\n"), {}},
        {"a line appended",
         "W2.Dat",
         cp("КЛЮЧ^Ответ;\r\n"),
         "",
         {"h", "ПРИВЕТ^Привет!;", "НОВОЕ^", "КЛЮЧ^Ответ;"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = std::string("Base\\") + c.file;
        const auto onDisk = dir.path() / "Base" / c.file;
        LineList first;
        first.load(path); // the version becomes known
        LineList words;
        words.load(path);
        if (!c.appended.empty())
            std::ofstream(onDisk, std::ios::binary | std::ios::app) << c.appended;
        if (!c.sameSizeEdit.empty()) {
            ASSERT_EQ(std::filesystem::file_size(onDisk), c.sameSizeEdit.size());
            std::fstream(onDisk, std::ios::binary | std::ios::in | std::ios::out) << c.sameSizeEdit;
        }
        const std::string before = tovrin::readWholeFile(path);
        words.add(cp("НОВОЕ^"));
        const std::string error = errorOf([&] { words.save(path); });
        if (c.expected.empty()) {
            EXPECT_EQ(error, "Failed to Save Stream");
            EXPECT_EQ(tovrin::readWholeFile(path), before);
        } else {
            EXPECT_EQ(error, "");
            EXPECT_EQ(dir.readLines(path), c.expected);
        }
    }

    // Remembering a version takes no memory of its own: a program that loads its files turn
    // after turn keeps the same room, whenever their stamps settle and however many they are.
    LineList list;
    list.load("Base\\S0.Dat");
    list.load("Base\\S0.Dat");
    for (int i = 1; i < kSettled; ++i) {
        const long long before = gLiveBytes;
        list.load("Base\\S" + std::to_string(i) + ".Dat");
        EXPECT_LE(gLiveBytes - before, 0) << "a load of version " << i << " kept new memory";
    }
}

// A byte-order mark that an editor put before the document, or blanks and empty lines, leave
// it an RTF document: read as text, its markup would become thousands of lines.
TEST(LineList, BlanksOrAByteOrderMarkBeforeAnRtfDocumentLeaveItRtf)
{
    const std::string document = tovrin::writeRtf({cp("h"), cp("ПРИВЕТ^Привет!;")});
    for (const std::string before :
         {"\xEF\xBB\xBF", " ", "\r\n", "\n\n", "\t \r\n", "\xEF\xBB\xBF\r\n"}) {
        SCOPED_TRACE(testing::PrintToString(before));
        ScratchDir dir;
        dir.write("Base\\Words.Dat", before + document);
        LineList words;
        words.load("Base\\Words.Dat");
        EXPECT_EQ(words.lines(), (std::vector<std::string>{cp("h"), cp("ПРИВЕТ^Привет!;")}));
        EXPECT_TRUE(tovrin::looksLikeRtf(before + document));
    }
    // Anything else before it is text, as before.
    EXPECT_FALSE(tovrin::looksLikeRtf("x" + document));
}

TEST(LineList, EmptyListsAndEmptyLinesSurviveASave)
{
    for (const Lines& lines :
         {Lines{}, Lines{""}, Lines{"", ""}, Lines{"a", "", ""}, Lines{"", "b"}}) {
        ScratchDir dir;
        LineList(lines).save("Base\\Txt.Dat");
        LineList back({"left over"});
        back.load("Base\\Txt.Dat");
        EXPECT_EQ(back.lines(), lines);
    }
}

TEST(LineList, LongLinesAreNeverCut)
{
    ScratchDir dir;
    const std::string reply = cp(std::string(3000, 'x') + "Ответ в самом конце");
    dir.write("Base\\Big.Dat", "a\r\n" + reply + "\r\nb\r\n");
    LineList list;
    list.load("Base\\Big.Dat");
    EXPECT_EQ(list.lines(), (Lines{"a", reply, "b"}));
    list.add(std::string(70'000, '\xE9'));
    list.save("Base\\Big.Dat");
    LineList back;
    back.load("Base\\Big.Dat");
    EXPECT_EQ(back.lines(), list.lines());
}

TEST(LineList, FailuresNameThePathAsTheProgramNamedIt)
{
    ScratchDir dir;
    dir.write("Base\\Broken.Dat", "{\\rtf1 cut short\\par");
    LineList list({"kept"});
    struct Case {
        std::function<void()> operation;
        std::string message;
    };
    const Case cases[] = {
        {[&] { list.load("Base\\Nothing.Dat"); }, "Cannot open file Base\\Nothing.Dat"},
        {[&] { list.load("D:\\Txt.Dat"); }, "Cannot open file D:\\Txt.Dat"},
        {[&] { list.load("Base\\Broken.Dat"); }, "Failed to Load Stream"},
        {[&] { list.save("D:\\Txt.Dat"); }, "Cannot create file D:\\Txt.Dat"},
        {[&] { list.save("Nowhere\\Txt.Dat"); }, "Cannot create file Nowhere\\Txt.Dat"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(errorOf(c.operation), c.message);
        EXPECT_EQ(list.lines(), Lines{"kept"}) << "a failed load changed the list";
    }
}

// The room kept for the next load holds nothing of what was read: a load after a larger file,
// after a failed load and after a save gives exactly its own file's lines, in either form.
TEST(LineList, ALoadInKeptRoomReadsOnlyItsOwnFile)
{
    ScratchDir dir;
    std::vector<std::string> large;
    for (int i = 0; i < 2000; ++i)
        large.push_back(cp("ДЛИННАЯ СТРОКА НОМЕР ") + std::to_string(i) + "^" +
                        std::string(static_cast<std::size_t>(i % 300), 'x') + ";");
    LineList(large).save("Base\\Large.Dat");
    dir.write("Base\\Plain.Dat", cp("один\r\nдва\r\n"));
    LineList(Lines{cp("три"), ""}).save("Base\\Small.Dat");
    dir.write("Base\\Broken.Dat", "{\\rtf1 never closed \\par");
    dir.write("Base\\Empty.Dat", "");
    struct Step {
        const char* path;
        Lines expected; // empty with broken: the load fails and the list stays
        bool broken = false;
    };
    const Step steps[] = {
        {"Base\\Large.Dat", large},
        {"Base\\Small.Dat", {cp("три"), ""}},
        {"Base\\Large.Dat", large},
        {"Base\\Broken.Dat", large, true},
        {"Base\\Plain.Dat", {cp("один"), cp("два")}},
        {"Base\\Empty.Dat", {}},
        {"Base\\Large.Dat", large},
        {"Base\\Plain.Dat", {cp("один"), cp("два")}},
    };
    LineList list;
    LineList other;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.path);
        if (step.broken) {
            EXPECT_EQ(errorOf([&] { list.load(step.path); }), "Failed to Load Stream");
        } else {
            list.load(step.path);
            other.load("Base\\Small.Dat"); // another list loading in between
            list.save("Base\\Copy.Dat");
        }
        EXPECT_EQ(list.lines(), step.expected);
        LineList copy;
        copy.load("Base\\Copy.Dat");
        if (!step.broken) {
            EXPECT_EQ(copy.lines(), step.expected);
        }
    }
}

// Whatever the shape of a file, its loaded list takes less than twice its size, and the load on
// its way no more than that and the file's own bytes (the thread's room for reading already
// being as large as the file needs). Loaded again and again, as every turn loads the knowledge
// file, and saved, the list takes no new memory: the room of the bytes, of the lines and of the
// save's pieces is kept from one load or save to the next.
TEST(LineList, TheMemoryOfALoadedListFollowsTheFileSize)
{
    ScratchDir dir;
    const std::size_t bytes = 1u << 20;
    struct Case {
        const char* name;
        std::string content;
    };
    std::string russian;
    while (russian.size() < bytes)
        russian += cp("ПРИВЕТ^Здравствуй, как поживаешь?;\r\n");
    std::string paragraphs = "{\\rtf1 ";
    while (paragraphs.size() < bytes)
        paragraphs += "\\par\r\n";
    paragraphs += "}";
    const Case cases[] = {
        {"empty lines with CR LF",
         [&] {
             std::string crlf;
             while (crlf.size() < bytes)
                 crlf += "\r\n";
             return crlf;
         }()},
        {"empty lines with CR", std::string(bytes, '\r')},
        {"empty lines with LF", std::string(bytes, '\n')},
        {"one long line", std::string(bytes, 'x')},
        {"entries", russian},
        {"empty paragraphs of RTF", paragraphs},
        {"entries saved as RTF", tovrin::writeRtf(tovrin::readPlain(russian))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dir.write("Base\\Words.Dat", c.content);
        const double size = static_cast<double>(c.content.size());
        LineList warm;
        warm.load("Base\\Words.Dat");
        LineList list;
        long long before = gLiveBytes;
        gPeakBytes = before;
        list.load("Base\\Words.Dat");
        EXPECT_LT(static_cast<double>(gLiveBytes - before), 2 * size) << "kept";
        EXPECT_LT(static_cast<double>(gPeakBytes - before), 2.6 * size) << "on the way";
        EXPECT_EQ(list.lines(), warm.lines());

        list.load("Base\\Words.Dat"); // the room of the lines is two stores that change places
        list.save("Base\\Copy.Dat");
        for (const char* step : {"load", "save"}) {
            before = gLiveBytes;
            gPeakBytes = before;
            if (step == std::string_view("load"))
                list.load("Base\\Words.Dat");
            else
                list.save("Base\\Copy.Dat");
            EXPECT_LT(gPeakBytes - before, 16 * 1024) << step << " again took new memory";
            EXPECT_LE(gLiveBytes - before, 0) << step << " again kept new memory";
        }
        EXPECT_EQ(list.lines(), warm.lines());
    }
}

// The packed lines behave as a plain vector of lines would, through every kind of change,
// with lines short and long (their length takes one to three bytes) and every block's edges.
TEST(LineStore, BehavesAsAVectorOfLines)
{
    std::mt19937 random(7);
    const std::size_t lengths[] = {0, 1, 127, 128, 300, 16383, 16384, 20000};
    tovrin::LineStore store;
    Lines model;
    for (int step = 0; step < 2000; ++step) {
        const auto action = random() % 10;
        if (action < 6 || model.empty()) {
            const std::size_t length = lengths[random() % std::size(lengths)] + random() % 3;
            std::string line(length, static_cast<char>('a' + step % 26));
            store.push_back(line);
            model.push_back(line);
        } else if (action < 9) {
            const std::size_t at = random() % model.size();
            store.erase(at);
            model.erase(model.begin() + static_cast<std::ptrdiff_t>(at));
        } else if (random() % 40 == 0) {
            store.clear();
            model.clear();
        }
        ASSERT_EQ(store.size(), model.size()) << step;
        if (step % 50 == 0 || model.size() < 40) {
            ASSERT_EQ(store.toVector(), model) << step;
            for (std::size_t i = 0; i < model.size(); ++i)
                ASSERT_EQ(store[i], model[i]) << step << " line " << i;
            ASSERT_TRUE(store.at(model.size()) == store.end());
        }
    }
    EXPECT_EQ(tovrin::LineStore(model), store);
}

TEST(LineList, KnowledgeFileOfAHundredThousandEntries)
{
    ScratchDir dir;
    Lines lines;
    lines.reserve(100'001);
    lines.push_back("100000");
    for (int i = 0; i < 100'000; ++i)
        lines.push_back(cp("_КЛЮЧ НОМЕР " + std::to_string(i) +
                           "^Ответ на этот ключ, довольно длинный;Второй ответ;"));
    LineList big(lines);
    big.save("Base\\Words.Dat");
    EXPECT_GT(std::filesystem::file_size(dir.path() / "Base/Words.Dat"), 10'000'000u);
    LineList back;
    back.load("Base\\Words.Dat");
    EXPECT_EQ(back.lines(), lines);
}

TEST(Memo, ReadsPlainTextOnly)
{
    struct Case {
        const char* name;
        std::string bytes;
        Lines lines;
    };
    const Case cases[] = {
        {"every kind of line end", "a\r\nb\rc\nd", {"a", "b", "c", "d"}},
        {"final line break", cp("Версия 1\r\n"), {cp("Версия 1")}},
        {"empty", "", {}},
        {"RTF is not interpreted", "{\\rtf1 a\\par}\r\n", {"{\\rtf1 a\\par}"}},
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        dir.write("ReadMe.Txt", c.bytes);
        EXPECT_EQ(loadMemo("readme.txt"), c.lines) << c.name;
    }
    ScratchDir dir;
    EXPECT_EQ(errorOf([] { loadMemo("ReadMe.Txt"); }), "Cannot open file ReadMe.Txt");
}
