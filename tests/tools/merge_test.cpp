// Newer delivered knowledge merged into a user's files: the merge of lines and entries, the
// working folder brought up to the delivered data, and a merge killed at random moments.
#include "support/childprocess.h"
#include "support/testsupport.h"
#include "kbtool/merge.h"
#include "kbtool/upgrade.h"

#include "kb/linelist.h"
#include "tovrin/version.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <thread>

namespace fs = std::filesystem;
using namespace tovrin;
using namespace tovrin::kbtool;
using tovrin::test::bytesOf;
using Lines = std::vector<std::string>;

namespace {

const Lines Base = {
    "Knowledge 1", "HELLO^Hi.;Hello.;", "_HOW^Fine.;", "BYE^Bye.;@", "WHAT^What?;",
};

struct Case {
    const char* name;
    bool entries;
    std::optional<Lines> base;
    Lines ours;
    Lines theirs;
    Lines expected;
};

const Case Cases[] = {
    {"a new entry goes where the delivery has it",
     true,
     Base,
     Base,
     {"Knowledge 1", "HELLO^Hi.;Hello.;", "_HOW^Fine.;", "NEWS^News.;", "BYE^Bye.;@",
      "WHAT^What?;"},
     {"Knowledge 1", "HELLO^Hi.;Hello.;", "_HOW^Fine.;", "NEWS^News.;", "BYE^Bye.;@",
      "WHAT^What?;"}},
    {"a new entry comes in and the learnt key stays last",
     true,
     Base,
     {"Knowledge 1", "HELLO^Hi.;Hello.;", "_HOW^Fine.;", "BYE^Bye.;@", "WHAT^What?;",
      "ODD THING.^"},
     {"Knowledge 1", "NEWS^News.;", "HELLO^Hi.;Hello.;", "_HOW^Fine.;", "BYE^Bye.;@",
      "WHAT^What?;"},
     {"Knowledge 1", "NEWS^News.;", "HELLO^Hi.;Hello.;", "_HOW^Fine.;", "BYE^Bye.;@", "WHAT^What?;",
      "ODD THING.^"}},
    {"a changed entry is updated",
     true,
     Base,
     Base,
     {"Knowledge 1", "HELLO^Hi.;Hey.;", "_HOW^Fine.;", "BYE^Bye.;@", "WHAT^What?;"},
     {"Knowledge 1", "HELLO^Hi.;Hey.;", "_HOW^Fine.;", "BYE^Bye.;@", "WHAT^What?;"}},
    {"a moved entry with a learnt reply takes the delivered change and keeps its reply",
     true,
     Base,
     {"Knowledge 1", "_HOW^Fine.;", "BYE^Bye.;@", "WHAT^What?;", "HELLO^Hi.;Hello.;Mine.;"},
     {"Knowledge 1", "HELLO^Hi.;Hey.;", "_HOW^Fine.;", "BYE^Bye.;@", "WHAT^What?;"},
     {"Knowledge 1", "_HOW^Fine.;", "BYE^Bye.;@", "WHAT^What?;", "HELLO^Hi.;Hey.;Mine.;"}},
    {"an entry both sides changed keeps the user's line and gains the new replies",
     true,
     Base,
     {"Knowledge 1", "HELLO^Hi!;Hello.;", "_HOW^Fine.;", "BYE^Bye.;@", "WHAT^What?;"},
     {"Knowledge 1", "HELLO^Hi.;Hello.;Hey.;", "_HOW^Fine.;", "BYE^Bye.;@", "WHAT^What?;"},
     {"Knowledge 1", "HELLO^Hi!;Hello.;Hey.;", "_HOW^Fine.;", "BYE^Bye.;@", "WHAT^What?;"}},
    {"an entry the delivery dropped goes, unless the user learnt into it",
     true,
     Base,
     {"Knowledge 1", "HELLO^Hi.;Hello.;", "_HOW^Fine.;", "WHAT^What?;", "BYE^Bye.;@See you.;"},
     {"Knowledge 1", "HELLO^Hi.;Hello.;", "_HOW^Fine.;"},
     {"Knowledge 1", "HELLO^Hi.;Hello.;", "_HOW^Fine.;", "BYE^Bye.;@See you.;"}},
    {"a key both sides added becomes one entry where the delivery has it",
     true,
     Base,
     {"Knowledge 1", "HELLO^Hi.;Hello.;", "_HOW^Fine.;", "BYE^Bye.;@", "WHAT^What?;",
      "NEWS.^Mine.;"},
     {"Knowledge 1", "NEWS.^News.;", "HELLO^Hi.;Hello.;", "_HOW^Fine.;", "BYE^Bye.;@",
      "WHAT^What?;"},
     {"Knowledge 1", "NEWS.^News.;Mine.;", "HELLO^Hi.;Hello.;", "_HOW^Fine.;", "BYE^Bye.;@",
      "WHAT^What?;"}},
    {"the header follows the delivery",
     true,
     Base,
     Base,
     {"Knowledge 2", "HELLO^Hi.;Hello.;", "_HOW^Fine.;", "BYE^Bye.;@", "WHAT^What?;"},
     {"Knowledge 2", "HELLO^Hi.;Hello.;", "_HOW^Fine.;", "BYE^Bye.;@", "WHAT^What?;"}},
    {"a header of the user's own stays",
     true,
     Base,
     {"My own knowledge", "HELLO^Hi.;Hello.;", "_HOW^Fine.;", "BYE^Bye.;@", "WHAT^What?;"},
     {"Knowledge 2", "HELLO^Hi.;Hello.;", "_HOW^Fine.;", "BYE^Bye.;@", "WHAT^What?;"},
     {"My own knowledge", "HELLO^Hi.;Hello.;", "_HOW^Fine.;", "BYE^Bye.;@", "WHAT^What?;"}},
    {"one of two equal branches changes, the one the delivery changed",
     true,
     Lines{"K", "A^a;", "_YES^Good.;", "B^b;", "_YES^Good.;", "C^c;"},
     {"K", "A^a;", "_YES^Good.;", "B^b;", "_YES^Good.;", "C^c;", "LEARNT.^"},
     {"K", "A^a;", "_YES^Good.;", "B^b;", "_YES^Better.;", "C^c;"},
     {"K", "A^a;", "_YES^Good.;", "B^b;", "_YES^Better.;", "C^c;", "LEARNT.^"}},
    {"without a base nothing goes and the user's replies stay",
     true,
     std::nullopt,
     {"Knowledge 1", "_HOW^Fine.;", "BYE^Bye.;@", "WHAT^What?;", "HELLO^Hi.;Hello.;Mine.;",
      "ODD.^"},
     {"Knowledge 2", "HELLO^Hi.;Hey.;", "_HOW^Fine.;", "NEWS^News.;", "BYE^Bye.;@"},
     {"Knowledge 2", "HELLO^Hi.;Hey.;Hello.;Mine.;", "_HOW^Fine.;", "NEWS^News.;", "BYE^Bye.;@",
      "WHAT^What?;", "ODD.^"}},
    {"list lines: new ones where the delivery has them, learnt ones kept, dropped ones gone",
     false,
     Lines{"one", "two", "three"},
     {"one", "two", "three", "learnt"},
     {"one", "new", "two"},
     {"one", "new", "two", "learnt"}},
    {"list lines: a line the user removed stays removed",
     false,
     Lines{"one", "two", "three"},
     {"one", "three"},
     {"one", "two", "three", "four"},
     {"one", "three", "four"}},
    {"list lines: into an empty list", false, Lines{}, Lines{}, {"a", "b"}, {"a", "b"}},
};

TEST(MergeLines, EveryCase)
{
    for (const Case& c : Cases) {
        SCOPED_TRACE(c.name);
        const Lines* base = c.base ? &*c.base : nullptr;
        const MergeResult r = mergeLines(base, c.ours, c.theirs, c.entries);
        EXPECT_EQ(r.lines, c.expected);
        // A merge cut short is finished by running it again: a second merge changes nothing.
        EXPECT_EQ(mergeLines(base, r.lines, c.theirs, c.entries).lines, r.lines);
    }
}

TEST(MergeLines, CountsTellWhatCameIn)
{
    const Lines ours = {
        "Knowledge 1", "_HOW^Fine.;", "BYE^Bye.;@", "WHAT^What?;", "HELLO^Hi.;Hello.;Mine.;",
        "ODD.^"};
    const Lines theirs = {"Knowledge 2", "HELLO^Hi.;Hey.;", "_HOW^Fine.;", "NEWS^News.;",
                          "BYE^Bye.;See you.;@"};
    const MergeResult r = mergeLines(&Base, ours, theirs, true);
    MergeCounts expected;
    expected.added = 1; // NEWS
    expected.changed = 2; // HELLO and BYE
    expected.removed = 1; // WHAT
    expected.learnt = 2; // the moved HELLO and ODD.
    EXPECT_EQ(r.counts, expected);
}

TEST(MergeLines, MatchesLinesInOrderAroundRepeatedOnes)
{
    const Lines a = {"x", "y", "x", "z", "x"};
    const Lines b = {"x", "z", "x", "q"};
    const std::vector<int> m = matchLines(a, b);
    int matched = 0;
    int last = -1;
    for (std::size_t i = 0; i < m.size(); ++i) {
        const int j = m[i];
        if (j < 0)
            continue;
        EXPECT_GT(j, last);
        EXPECT_EQ(a[i], b[static_cast<std::size_t>(j)]);
        last = j;
        ++matched;
    }
    EXPECT_EQ(matched, 3);
}

// ---- the working folder

void put(const fs::path& p, const std::string& bytes)
{
    if (!p.parent_path().empty())
        fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
}

Lines linesAt(const fs::path& p)
{
    LineList l;
    l.load(p.string());
    return l.lines();
}

// A small delivered data folder of one version.
void deliver(const fs::path& at, const std::string& version, const Lines& words, const Lines& w1,
             const std::string& sound)
{
    fs::remove_all(at);
    std::string text;
    Lines all = words;
    all[0] += " " + version;
    for (const auto& l : all)
        text += l + "\r\n";
    put(at / "Base" / "Words.Dat", text);
    text.clear();
    for (const auto& l : w1)
        text += l + "\r\n";
    put(at / "Base" / "W1.Dat", text);
    put(at / "Base" / "Log.Tovrin", "");
    put(at / "Sound" / "Close.wav", sound);
    put(at / "ReadMe.Txt", "History " + version + "\r\n");
}

class InFolder {
public:
    explicit InFolder(const fs::path& p) : previous_(fs::current_path())
    {
        fs::create_directories(p);
        fs::current_path(p);
    }
    ~InFolder() { fs::current_path(previous_); }

private:
    fs::path previous_;
};

TEST(UpgradeFolder, MakesAFolderAndThenHasNothingToDo)
{
    test::ScratchDir dir;
    deliver(dir.path() / "v1", "1", Base, {"w one"}, "RIFF1");
    InFolder in(dir.path() / "work");
    const UpgradeReport made = upgradeWorkingFolder(dir.path() / "v1", "1");
    EXPECT_TRUE(made.made);
    EXPECT_EQ(made.restored, 5);
    EXPECT_EQ(describeUpgrade(made), "");
    EXPECT_EQ(bytesOf("Base/Words.Dat"), bytesOf(dir.path() / "v1/Base/Words.Dat"));
    EXPECT_FALSE(fs::exists("before-1"));
    EXPECT_TRUE(upgradeWorkingFolder(dir.path() / "v1", "1").upToDate);
}

TEST(UpgradeFolder, APartialFolderGetsWhatItLacksAndKeepsWhatItHas)
{
    test::ScratchDir dir;
    deliver(dir.path() / "v1", "1", Base, {"w one"}, "RIFF1");
    InFolder in(dir.path() / "work");
    // Half a copy: the knowledge file learnt into, the sound and the history text never copied.
    put("Base/Words.Dat", "Knowledge 1 1\r\nHELLO^Hi.;Hello.;Mine.;\r\n");
    put("Base/W1.Dat", "w one\r\nlearnt\r\n");
    const UpgradeReport r = upgradeWorkingFolder(dir.path() / "v1", "1");
    EXPECT_EQ(r.restored, 3);
    EXPECT_EQ(bytesOf("Sound/Close.wav"), "RIFF1");
    EXPECT_EQ(bytesOf("ReadMe.Txt"), "History 1\r\n");
    EXPECT_EQ(linesAt("Base/W1.Dat"), (Lines{"w one", "learnt"}));
    // What the folder holds of the knowledge is kept, and the delivered entries it lacks come in.
    const Lines words = linesAt("Base/Words.Dat");
    EXPECT_NE(std::find(words.begin(), words.end(), "HELLO^Hi.;Hello.;Mine.;"), words.end());
    EXPECT_NE(std::find(words.begin(), words.end(), "WHAT^What?;"), words.end());
    EXPECT_TRUE(upgradeWorkingFolder(dir.path() / "v1", "1").upToDate);
}

TEST(UpgradeFolder, ANewerDeliveryComesInAndTheOldFilesAreKept)
{
    test::ScratchDir dir;
    deliver(dir.path() / "v1", "1", Base, {"w one"}, "RIFF1");
    const Lines words2 = {"Knowledge",   "NEWS^News.;", "HELLO^Hi.;Hey.;",
                          "_HOW^Fine.;", "BYE^Bye.;@",  "WHAT^What?;"};
    deliver(dir.path() / "v2", "2", words2, {"w one", "w two"}, "RIFF2");
    InFolder in(dir.path() / "work");
    upgradeWorkingFolder(dir.path() / "v1", "1");
    // The user talks: a reply learnt into HELLO (moved to the end), a key, a line of W1, a log.
    put("Base/Words.Dat",
        "Knowledge 1 1\r\n_HOW^Fine.;\r\nBYE^Bye.;@\r\nWHAT^What?;\r\nHELLO^Hi.;Hello.;Mine.;\r\nODD.^\r\n");
    put("Base/W1.Dat", "w one\r\nlearnt\r\n");
    put("Base/Log.Tovrin", "USER:     hello\r\n");
    const std::string oldWords = bytesOf("Base/Words.Dat");
    put("ReadMe.Txt", "My own notes\r\n");

    const UpgradeReport r = upgradeWorkingFolder(dir.path() / "v2", "2");
    EXPECT_EQ(r.fromVersion, "1");
    EXPECT_EQ(r.entries.added, 1);
    EXPECT_EQ(r.entries.changed, 1);
    EXPECT_EQ(r.lines.added, 1);
    EXPECT_EQ(r.followed, 1); // the sound; the history text is the user's own now
    EXPECT_EQ(r.keptOwn, 1);
    EXPECT_EQ(linesAt("Base/Words.Dat"),
              (Lines{"Knowledge 2", "NEWS^News.;", "_HOW^Fine.;", "BYE^Bye.;@", "WHAT^What?;",
                     "HELLO^Hi.;Hey.;Mine.;", "ODD.^"}));
    EXPECT_EQ(linesAt("Base/W1.Dat"), (Lines{"w one", "w two", "learnt"}));
    EXPECT_EQ(bytesOf("Base/Log.Tovrin"), "USER:     hello\r\n");
    EXPECT_EQ(bytesOf("Sound/Close.wav"), "RIFF2");
    EXPECT_EQ(bytesOf("ReadMe.Txt"), "My own notes\r\n");
    EXPECT_EQ(bytesOf("before-2/Base/Words.Dat"), oldWords);
    EXPECT_EQ(bytesOf("before-2/Sound/Close.wav"), "RIFF1");
    const std::string told = describeUpgrade(r);
    EXPECT_NE(told.find("версии 2"), std::string::npos) << told;
    EXPECT_NE(told.find("before-2"), std::string::npos) << told;
    EXPECT_TRUE(upgradeWorkingFolder(dir.path() / "v2", "2").upToDate);
}

// ---- killed while it merges

const std::string Kb = std::string(TOVRIN_BINARY_DIR) + "/tovrin-kb";

// The delivered data (its first 3,000 entries), and a newer version of it: every tenth entry
// with one more reply, a new entry every fiftieth line, lines added to W2.
void deliverBig(const fs::path& at, bool newer)
{
    fs::remove_all(at);
    fs::create_directories(at);
    fs::copy(fs::path(TOVRIN_SOURCE_DIR) / "data", at, fs::copy_options::recursive);
    Lines words = linesAt(at / "Base/Words.Dat");
    words.resize(std::min<std::size_t>(words.size(), 3001));
    Lines out = {words[0] + (newer ? " new" : "")};
    for (std::size_t i = 1; i < words.size(); ++i) {
        if (!newer) {
            out.push_back(words[i]);
            continue;
        }
        if (i % 50 == 0)
            out.push_back("NEW KEY " + std::to_string(i) + "^New reply.;");
        out.push_back(i % 10 == 0 && words[i].ends_with(';') ? words[i] + "Another reply.;"
                                                             : words[i]);
    }
    LineList(out).save((at / "Base/Words.Dat").string());
    if (!newer)
        return;
    Lines w2 = linesAt(at / "Base/W2.Dat");
    w2.push_back("A new fallback.");
    LineList(w2).save((at / "Base/W2.Dat").string());
}

TEST(UpgradeFolder, AMergeKilledAtAnyMomentIsFinishedByTheNextOne)
{
    if (!fs::exists(Kb) || !fs::exists(fs::path(TOVRIN_SOURCE_DIR) / "data/Base/Words.Dat"))
        GTEST_SKIP() << "tovrin-kb or the delivered data is missing";
    test::ScratchDir dir;
    deliverBig(dir.path() / "old", false);
    deliverBig(dir.path() / "new", true);
    auto prepare = [&](const fs::path& work) {
        fs::remove_all(work);
        InFolder in(work);
        upgradeWorkingFolder(dir.path() / "old", "1");
        LineList w1;
        w1.load("Base\\W1.Dat");
        w1.add("A learnt line.");
        w1.save("Base\\W1.Dat");
    };
    // The merge done whole, once: what every interrupted one must come to, and how long it takes.
    const fs::path reference = dir.path() / "reference";
    prepare(reference);
    int micros = 0;
    {
        InFolder in(reference);
        test::ChildProcess kb;
        const auto started = std::chrono::steady_clock::now();
        ASSERT_TRUE(kb.start(Kb, {"merge", "--quiet", (dir.path() / "new").string()}));
        const int status = kb.wait();
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        micros = static_cast<int>(std::chrono::duration_cast<std::chrono::microseconds>(
                                      std::chrono::steady_clock::now() - started)
                                      .count());
    }
    const std::string merged = bytesOf(reference / "Base/Words.Dat");

    std::mt19937 random(20261209);
    int kills = 0;
    // Each run kills in its own slice of that time, so that a dozen runs cover all of it.
    constexpr int kRuns = 12;
    for (int run = 0; run < kRuns; ++run) {
        const fs::path work = dir.path() / "work";
        prepare(work);
        InFolder in(work);
        {
            test::ChildProcess kb;
            ASSERT_TRUE(kb.start(Kb, {"merge", "--quiet", (dir.path() / "new").string()}));
            // Anywhere in the first half of the whole merge's time: a later merge on a warm cache
            // may take less time than the first, and a kill after its end proves nothing.
            const int slice = micros / 2 / kRuns;
            std::this_thread::sleep_for(std::chrono::microseconds(
                run * slice + std::uniform_int_distribution<int>(0, slice)(random)));
            kb.kill(SIGKILL);
            if (WIFSIGNALED(kb.wait()))
                ++kills;
        }
        // Whatever was cut, the files load, and the next merge gives what the whole one gave.
        for (const char* f : {"Base/Words.Dat", "Base/W1.Dat", "Base/W2.Dat"})
            EXPECT_NO_THROW(linesAt(f)) << f << " after run " << run;
        const Lines w1 = linesAt("Base/W1.Dat");
        ASSERT_EQ(w1.back(), "A learnt line.") << "run " << run;
        upgradeWorkingFolder(dir.path() / "new",
                             kVersion); // the version tovrin-kb names its backup by
        ASSERT_EQ(linesAt("Base/Words.Dat"), linesAt(reference / "Base/Words.Dat"))
            << "run " << run;
        ASSERT_EQ(linesAt("Base/W2.Dat"), linesAt(reference / "Base/W2.Dat")) << "run " << run;
        ASSERT_EQ(linesAt("Base/W1.Dat"), linesAt(reference / "Base/W1.Dat")) << "run " << run;
        ASSERT_EQ(bytesOf(fs::path("before-" + std::string(kVersion)) / "Base/Words.Dat"),
                  bytesOf(dir.path() / "old/Base/Words.Dat"))
            << "run " << run;
    }
    // How many land inside a merge depends on the machine; that some do is what the proof needs.
    EXPECT_GT(kills, 0);
    std::cout << "[ merge kills ] " << kills << " of " << kRuns << " merges killed (a merge takes "
              << micros / 1000 << " ms), every one finished by the next\n";
    EXPECT_FALSE(merged.empty());
}

} // namespace
