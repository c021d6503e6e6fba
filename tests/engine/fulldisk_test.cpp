// A disk that fills up: the save that does not fit fails with "Failed to Save Stream" and the
// old file stays whole. On a tiny tmpfs where the test may mount one (as root), else with a
// file-size limit in a child process.
#include "engine/engine.h"
#include "kb/cp1251.h"
#include "kb/entry.h"
#include "kb/fileerror.h"
#include "kb/knowledge.h"
#include "kb/linelist.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tovrin;
using namespace tovrin::test;
namespace fs = std::filesystem;

namespace {

// The names in a folder other than the lock file, which is the folder's own.
std::vector<std::string> names(const fs::path& folder)
{
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().filename() != ".tovrin.lock")
            out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

// A 64 KiB tmpfs mounted over a folder for the life of the object.
class TinyDisk {
public:
    explicit TinyDisk(fs::path where) : where_(std::move(where))
    {
        mounted_ = ::geteuid() == 0 &&
            ::mount("tmpfs", where_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k") == 0;
    }
    ~TinyDisk()
    {
        if (mounted_)
            ::umount2(where_.c_str(), MNT_DETACH);
    }
    TinyDisk(const TinyDisk&) = delete;
    TinyDisk& operator=(const TinyDisk&) = delete;
    bool mounted() const { return mounted_; }

private:
    fs::path where_;
    bool mounted_ = false;
};

void writeFiller(const fs::path& p, size_t bytes)
{
    std::ofstream out(p, std::ios::binary);
    out << std::string(bytes, 'f');
    out.flush();
    ASSERT_TRUE(out.good()) << "the filler does not fit";
}

LineList bigList(size_t bytes)
{
    LineList list({cp("Заголовок")});
    while (list.count() * 100 < static_cast<int>(bytes))
        list.add(cp("ФРАЗА НОМЕР ") + std::to_string(list.count()) + "^" + std::string(80, 'x') +
                 ";");
    return list;
}

} // namespace

TEST(FullDisk, ASaveThatDoesNotFitKeepsTheOldFile)
{
    ScratchDir dir;
    TinyDisk disk(dir.path() / "Base");
    if (!disk.mounted())
        GTEST_SKIP() << "no tmpfs can be mounted here; the file-size limit test covers the failure";
    dir.writeLines("Base\\Words.Dat", {"Заголовок", "ПРИВЕТ^Привет!;"});
    writeFiller(dir.path() / "Base" / "filler", 40 * 1024);
    const std::string before = bytesOf(dir.path() / "Base" / "Words.Dat");

    try {
        bigList(60 * 1024).save("Base\\Words.Dat");
        FAIL() << "a save larger than the free space reported success";
    } catch (const FileError& e) {
        EXPECT_STREQ(e.what(), "Failed to Save Stream");
    }
    EXPECT_EQ(bytesOf(dir.path() / "Base" / "Words.Dat"), before);
    EXPECT_EQ(names(dir.path() / "Base"), (std::vector<std::string>{"Words.Dat", "filler"}));

    // The space the failed save took is free again.
    LineList small = bigList(3 * 1024);
    small.save("Base\\Words.Dat");
    LineList back;
    back.load("Base\\Words.Dat");
    EXPECT_EQ(back.lines(), small.lines());
}

// A save killed before its rename left a temporary that fills the disk: the next save under the
// Base lock gives that room back first, so learning does not stop for good.
TEST(FullDisk, TheRoomOfAKilledSaveIsGivenBackBeforeTheNextSave)
{
    ScratchDir dir;
    TinyDisk disk(dir.path() / "Base");
    if (!disk.mounted())
        GTEST_SKIP() << "no tmpfs can be mounted here";
    dir.writeLines("Base\\Words.Dat", {"Заголовок", "ПРИВЕТ^Привет!;"});
    writeFiller(dir.path() / "Base" / ".~Words.Dat.k1LLed", 48 * 1024);

    LineList grown = bigList(20 * 1024);
    {
        FileLock lock("Base\\Words.Dat");
        EXPECT_NO_THROW(grown.save("Base\\Words.Dat"));
    }
    LineList back;
    back.load("Base\\Words.Dat");
    EXPECT_EQ(back.lines(), grown.lines());
    EXPECT_EQ(names(dir.path() / "Base"), std::vector<std::string>{"Words.Dat"});
}

TEST(FullDisk, LearningUntilTheDiskIsFullLosesNothingItHadSaved)
{
    ScratchDir dir;
    TinyDisk disk(dir.path() / "Base");
    if (!disk.mounted())
        GTEST_SKIP() << "no tmpfs can be mounted here";
    dir.writeLines("Base\\Words.Dat", {"Заголовок", "ПРИВЕТ^Привет!;"});
    dir.writeLines("Base\\W1.Dat", {"Да?"});
    dir.writeLines("Base\\W2.Dat", {"Бывает."});
    for (const char* list :
         {"Base\\Povtor.Dat", "Base\\X.Dat", "Base\\BigString.Dat", "Base\\AI.dat"})
        dir.writeLines(list, {"Фраза."});
    writeFiller(dir.path() / "Base" / "filler", 24 * 1024);

    RecordingHost host;
    RecordingCues cues;
    ScriptedDice dice;
    Engine engine(host, cues, dice);
    engine.pickUpAfter(cp("Бывает."));
    std::vector<std::string> learnt; // Windows-1251 keys of the turns that completed
    std::string failure;
    int turns = 0;
    for (; turns < 5000 && failure.empty(); ++turns) {
        char phrase[32];
        std::snprintf(phrase, sizeof phrase, "Qz%05dkx.", turns);
        host.input = phrase;
        try {
            engine.SpeakClick();
            learnt.push_back(cp1251::upper(phrase) + "^");
        } catch (const FileError& e) {
            failure = e.what();
        }
    }
    std::cout << "[ full disk ] " << learnt.size() << " turns learnt before the disk was full\n";
    ASSERT_FALSE(failure.empty()) << "the disk never filled up";
    EXPECT_EQ(failure, "Failed to Save Stream");
    ASSERT_GT(learnt.size(), 10u);

    for (const std::string& name : names(dir.path() / "Base")) {
        if (name == "filler")
            continue;
        EXPECT_EQ(name.rfind(".~", 0), std::string::npos) << "a temporary file was left: " << name;
        LineList list;
        EXPECT_NO_THROW(list.load("Base/" + name)) << name;
    }
    LineList words;
    words.load("Base\\Words.Dat");
    for (int i = 1; i < words.count(); ++i)
        EXPECT_TRUE(EntryWellFormed(words.get(i))) << "line " << i;
    for (const std::string& key : learnt)
        EXPECT_NE(std::find(words.begin(), words.end(), key), words.end()) << "lost: " << key;
}

TEST(FullDisk, AFileSizeLimitFailsTheSaveAndKeepsTheOldFile)
{
    ScratchDir dir;
    dir.writeLines("Base\\Words.Dat", {"Заголовок", "ПРИВЕТ^Привет!;"});
    const std::string before = bytesOf(dir.path() / "Base" / "Words.Dat");

    // The limit is set in a child, so that the test process itself can write freely.
    enum Outcome { Failed = 0, Saved = 1, WrongMessage = 2, OtherError = 3, SmallSaveFailed = 4 };
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{16 * 1024, 16 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        int outcome = OtherError;
        try {
            bigList(64 * 1024).save("Base\\Words.Dat");
            outcome = Saved;
        } catch (const FileError& e) {
            outcome = std::string(e.what()) == "Failed to Save Stream" ? Failed : WrongMessage;
        } catch (...) {
        }
        if (outcome == Failed) {
            try {
                bigList(4 * 1024).save("Base\\Other.Dat");
            } catch (...) {
                outcome = SmallSaveFailed;
            }
        }
        ::_exit(outcome);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status))
        << "the child died by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    EXPECT_EQ(WEXITSTATUS(status), Failed);
    EXPECT_EQ(bytesOf(dir.path() / "Base" / "Words.Dat"), before);
    EXPECT_EQ(names(dir.path() / "Base"), (std::vector<std::string>{"Other.Dat", "Words.Dat"}));
}
