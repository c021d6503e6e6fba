#include "kb/fileerror.h"
#include "kb/files.h"
#include "kb/knowledge.h"
#include "kb/linelist.h"
#include "kb/textformat.h"
#include "support/kbsupport.h"

#include <algorithm>
#include <csignal>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <gtest/gtest.h>
#include <set>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using tovrin::FileError;
using tovrin::FileLock;
using tovrin::LineList;
using tovrin::resolvePath;
using tovrin::SaveStep;
using tovrin::test::bytesOf;
using tovrin::test::cp;
using tovrin::test::errorOf;
using tovrin::test::ScratchDir;

namespace {

std::set<std::string> namesIn(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

class FailAt : public tovrin::SaveFaults {
public:
    explicit FailAt(SaveStep step) : step_(step) { tovrin::setSaveFaults(this); }
    ~FailAt() override { tovrin::setSaveFaults(nullptr); }
    bool fail(SaveStep step) override { return step == step_; }

private:
    SaveStep step_;
};

// Runs f in a child process that has no root privileges (permissions mean nothing to root).
// Gives f's exit code, or -1 when the child did not end normally.
int inUnprivilegedChild(const std::function<int()>& f)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(100);
        ::_exit(f());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Whether another process could take the lock of folder right now.
bool otherProcessCanLock(const fs::path& folder)
{
    const std::string lockFile = (folder / ".tovrin.lock").string();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int fd = ::open(lockFile.c_str(), O_RDWR);
        ::_exit(fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

// ---- paths

TEST(Paths, NamesAreMatchedWithoutRegardToCase)
{
    ScratchDir dir;
    dir.write("Base/Words.dat", "x");
    dir.write("Base/Both.Dat", "1");
    dir.write("Base/both.dat", "2");
    dir.write("Sound/KeyBoard.wav", "w");
    dir.write("Base/ПРИВЕТ.dat", "p"); // file names on disk are UTF-8
    struct Case {
        std::string programPath;
        std::string resolved;
    };
    const Case cases[] = {
        {"Base\\Words.Dat", "Base/Words.dat"},
        {"Base\\Words.dat", "Base/Words.dat"},
        {"BASE\\WORDS.DAT", "Base/Words.dat"},
        {"base/words.dat", "Base/Words.dat"},
        {"Base\\Both.Dat", "Base/Both.Dat"}, // the exact name wins
        {"Base\\both.dat", "Base/both.dat"},
        {"Base\\BOTH.DAT", "Base/Both.Dat"}, // else the first in byte order
        {"sound\\keyboard.WAV", "Sound/KeyBoard.wav"},
        {cp("Base\\Привет.Dat"), "Base/ПРИВЕТ.dat"},
        {"Base\\Missing.Dat", "Base/Missing.Dat"},
        {"Nowhere\\Words.dat", "Nowhere/Words.dat"},
        {".\\Base\\..\\Base\\words.DAT", "./Base/../Base/Words.dat"},
        {"Base\\\\Words.Dat", "Base/Words.dat"},
        {"D:\\Txt.Dat", ""},
        {"d:txt.dat", ""},
        {"\\\\server\\share\\Txt.Dat", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(resolvePath(c.programPath), c.resolved) << c.programPath;
}

TEST(Paths, AbsolutePathsAreUsedAsTheyAre)
{
    ScratchDir dir;
    dir.write("Base/Txt.Dat", "hello\r\n");
    const std::string absolute = (dir.path() / "Base/Txt.Dat").string();
    EXPECT_EQ(resolvePath(absolute), absolute);
    LineList list;
    list.load(absolute);
    EXPECT_EQ(list.lines(), std::vector<std::string>{"hello"});
}

TEST(Paths, ASaveOverAnExistingFileKeepsItsName)
{
    ScratchDir dir;
    dir.write("Base/words.DAT", "old\r\n");
    LineList({"new"}).save("Base\\Words.Dat");
    EXPECT_EQ(namesIn(dir.path() / "Base"), std::set<std::string>{"words.DAT"});
    LineList back;
    back.load("Base\\WORDS.dat");
    EXPECT_EQ(back.lines(), std::vector<std::string>{"new"});

    LineList({"fresh"}).save("Base\\New.Dat");
    EXPECT_TRUE(fs::exists(dir.path() / "Base/New.Dat"));
}

TEST(Paths, ForeignDrivesNameNothing)
{
    ScratchDir dir;
    fs::create_directories(dir.path() / "D:");
    LineList list;
    EXPECT_EQ(errorOf([&] { list.load("D:\\Txt.Dat"); }), "Cannot open file D:\\Txt.Dat");
    EXPECT_EQ(errorOf([&] { list.save("D:\\Txt.Dat"); }), "Cannot create file D:\\Txt.Dat");
    EXPECT_TRUE(fs::is_empty(dir.path() / "D:"));
}

// ---- reading

TEST(Reading, WhatCannotBeOpened)
{
    ScratchDir dir;
    fs::create_directories(dir.path() / "Base/Folder.Dat");
    ASSERT_EQ(::mkfifo((dir.path() / "Base/Pipe.Dat").c_str(), 0600), 0);
    struct Case {
        std::string path;
        std::string message;
    };
    const Case cases[] = {
        {"Base\\Words.Dat", "Cannot open file Base\\Words.Dat"},
        {"Missing\\Words.Dat", "Cannot open file Missing\\Words.Dat"},
        {"Base\\Folder.Dat", "Cannot open file Base\\Folder.Dat"},
        {"Base\\Pipe.Dat", "Cannot open file Base\\Pipe.Dat"},
        {"D:\\Txt.Dat", "Cannot open file D:\\Txt.Dat"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(errorOf([&] { tovrin::readWholeFile(c.path); }), c.message);
}

TEST(Reading, AnUnreadableFileCannotBeOpened)
{
    ScratchDir dir;
    dir.write("Base/Words.Dat", "secret\r\n");
    fs::permissions(dir.path(), fs::perms::all);
    fs::permissions(dir.path() / "Base", fs::perms::all);
    fs::permissions(dir.path() / "Base/Words.Dat", fs::perms::none);
    EXPECT_EQ(inUnprivilegedChild([] {
                  return errorOf([] { tovrin::readWholeFile("Base\\Words.Dat"); }) ==
                          "Cannot open file Base\\Words.Dat"
                      ? 0
                      : 1;
              }),
              0);
}

// ---- saving

TEST(Saving, AFailingStepKeepsTheOldFileAndLeavesNoTemporaryFile)
{
    struct Case {
        SaveStep step;
        const char* message;
    };
    const Case cases[] = {
        {SaveStep::Open, "Cannot create file Base\\Words.Dat"},
        {SaveStep::Write, "Failed to Save Stream"},
        {SaveStep::Flush, "Failed to Save Stream"},
        {SaveStep::Rename, "Failed to Save Stream"},
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        const std::string old = tovrin::writeRtf({"old", cp("строка")});
        dir.write("Base/Words.Dat", old);
        {
            FailAt fault(c.step);
            EXPECT_EQ(errorOf([] { LineList({"new"}).save("Base\\Words.Dat"); }), c.message);
            EXPECT_EQ(errorOf([] { LineList({"new"}).save("Base\\Other.Dat"); }),
                      std::string(c.message) == "Failed to Save Stream"
                          ? "Failed to Save Stream"
                          : "Cannot create file Base\\Other.Dat");
        }
        EXPECT_EQ(bytesOf(dir.path() / "Base/Words.Dat"), old);
        EXPECT_EQ(namesIn(dir.path() / "Base"), std::set<std::string>{"Words.Dat"});

        LineList({"new"}).save("Base\\Words.Dat"); // the seam is gone: the save goes through
        EXPECT_EQ(dir.readLines("Base\\Words.Dat"), std::vector<std::string>{"new"});
        EXPECT_EQ(namesIn(dir.path() / "Base"), std::set<std::string>{"Words.Dat"});
    }
}

// A save killed before its rename leaves its temporary file; the next save of the same file
// removes it once it is old, and leaves young ones (a save may still be writing them) and
// other files' temporaries alone.
TEST(Saving, AbandonedTemporariesAreRemovedWhenOld)
{
    ScratchDir dir;
    const fs::path base = dir.path() / "Base";
    const auto leave = [&](const std::string& name, int ageSeconds) {
        std::ofstream(base / name) << "half a file";
        fs::last_write_time(base / name,
                            fs::file_time_type::clock::now() - std::chrono::seconds(ageSeconds));
    };
    leave(".~W1.Dat.aB3dE9", 2 * 60 * 60);
    leave(".~W1.Dat.Zz0011", 10);
    leave(".~W2.Dat.aB3dE9", 2 * 60 * 60);
    leave(".~W1.Dat.toolong1", 2 * 60 * 60);

    LineList({"a"}).save("Base\\W1.Dat");

    const std::set<std::string> expected = {".tovrin.lock", "W1.Dat", ".~W1.Dat.Zz0011",
                                            ".~W2.Dat.aB3dE9", ".~W1.Dat.toolong1"};
    std::set<std::string> names = namesIn(base);
    names.insert(".tovrin.lock"); // present only when something took the lock
    EXPECT_EQ(names, expected);
}

TEST(Saving, TheFaultSeamBelongsToOneThread)
{
    ScratchDir dir;
    FailAt fault(SaveStep::Rename);
    std::string otherThread = "not run";
    std::thread([&] {
        otherThread = errorOf([] { LineList({"other"}).save("Base\\Other.Dat"); });
    }).join();
    EXPECT_EQ(otherThread, "");
    EXPECT_EQ(errorOf([] { LineList({"this"}).save("Base\\This.Dat"); }), "Failed to Save Stream");
    EXPECT_EQ(namesIn(dir.path() / "Base"), std::set<std::string>{"Other.Dat"});
}

TEST(Saving, AReadOnlyFolderOrFileIsNotReplaced)
{
    ScratchDir dir;
    dir.write("Base/Words.Dat", "old\r\n");
    dir.write("Locked/Words.Dat", "locked\r\n");
    fs::permissions(dir.path(), fs::perms::all);
    fs::permissions(dir.path() / "Base", fs::perms::all);
    fs::permissions(dir.path() / "Base/Words.Dat",
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(dir.path() / "Locked",
                    fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                        fs::perms::others_exec);

    EXPECT_EQ(
        inUnprivilegedChild([] {
            const std::string folder = errorOf([] { LineList({"new"}).save("Locked\\Words.Dat"); });
            const std::string fresh = errorOf([] { LineList({"new"}).save("Locked\\New.Dat"); });
            const std::string file = errorOf([] { LineList({"new"}).save("Base\\Words.Dat"); });
            return (folder == "Cannot create file Locked\\Words.Dat" ? 0 : 1) |
                (fresh == "Cannot create file Locked\\New.Dat" ? 0 : 2) |
                (file == "Cannot create file Base\\Words.Dat" ? 0 : 4);
        }),
        0);
    EXPECT_EQ(bytesOf(dir.path() / "Locked/Words.Dat"), "locked\r\n");
    EXPECT_EQ(bytesOf(dir.path() / "Base/Words.Dat"), "old\r\n");
    EXPECT_EQ(namesIn(dir.path() / "Locked"), std::set<std::string>{"Words.Dat"});
    EXPECT_EQ(namesIn(dir.path() / "Base"), std::set<std::string>{"Words.Dat"});
}

TEST(Saving, AFolderIsNotReplaced)
{
    ScratchDir dir;
    fs::create_directories(dir.path() / "Base/Words.Dat");
    EXPECT_EQ(errorOf([] { LineList({"x"}).save("Base\\Words.Dat"); }),
              "Cannot create file Base\\Words.Dat");
    EXPECT_TRUE(fs::is_directory(dir.path() / "Base/Words.Dat"));
}

TEST(Saving, PermissionsAndLinksAreKept)
{
    ScratchDir dir;
    dir.write("Base/Words.Dat", "old\r\n");
    fs::permissions(dir.path() / "Base/Words.Dat",
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    LineList({"new"}).save("Base\\Words.Dat");
    EXPECT_EQ(fs::status(dir.path() / "Base/Words.Dat").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    const mode_t previous = ::umask(027);
    LineList({"new"}).save("Base\\New.Dat");
    ::umask(previous);
    EXPECT_EQ(fs::status(dir.path() / "Base/New.Dat").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    dir.write("Real/Txt.Dat", "old\r\n");
    fs::create_symlink(dir.path() / "Real/Txt.Dat", dir.path() / "Base/Link.Dat");
    LineList({"through the link"}).save("Base\\Link.Dat");
    EXPECT_TRUE(fs::is_symlink(dir.path() / "Base/Link.Dat"));
    EXPECT_EQ(dir.readLines("Real\\Txt.Dat"), std::vector<std::string>{"through the link"});
}

// A Base folder received from someone else may hold links out of the working folder, and a
// file marked read-only is meant for the superuser too: neither is ever written.
TEST(Saving, NoSaveLeavesTheWorkingFolderOrReplacesAReadOnlyFile)
{
    ScratchDir dir;
    char elsewhereName[] = "/tmp/tovrin-elsewhere-XXXXXX";
    ASSERT_NE(::mkdtemp(elsewhereName), nullptr);
    const fs::path elsewhere = elsewhereName;
    std::ofstream(elsewhere / "victim") << "keep me\r\n";
    fs::create_directories(dir.path() / "Base");
    fs::create_directories(dir.path() / "Inside");
    fs::create_symlink(elsewhere / "victim", dir.path() / "Base/Words.Dat");
    fs::create_symlink(elsewhere, dir.path() / "Away");
    fs::create_symlink("../Away/victim", dir.path() / "Inside/Relative.Dat");
    fs::create_symlink(elsewhere / "missing", dir.path() / "Base/Dangling.Dat");
    dir.write("Base/ReadOnly.Dat", "old\r\n");
    fs::permissions(dir.path() / "Base/ReadOnly.Dat",
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

    for (const char* path : {"Base\\Words.Dat", "Away\\victim", "Away\\New.Dat",
                             "Inside\\Relative.Dat", "Base\\Dangling.Dat", "Base\\ReadOnly.Dat"}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(errorOf([&] { LineList({"new"}).save(path); }),
                  std::string("Cannot create file ") + path);
    }
    EXPECT_EQ(bytesOf(elsewhere / "victim"), "keep me\r\n");
    EXPECT_EQ(bytesOf(dir.path() / "Base/ReadOnly.Dat"), "old\r\n");
    std::set<std::string> left;
    for (const auto& e : fs::directory_iterator(elsewhere))
        left.insert(e.path().filename().string());
    EXPECT_EQ(left, std::set<std::string>{"victim"});
    EXPECT_EQ(namesIn(dir.path() / "Base"),
              (std::set<std::string>{"Dangling.Dat", "ReadOnly.Dat", "Words.Dat"}));

    // A path that names another place itself is the user's choice, as the exchange file's is.
    LineList({"chosen"}).save((elsewhere / "Chosen.Dat").string());
    EXPECT_EQ(bytesOf(elsewhere / "Chosen.Dat").rfind("{\\rtf", 0), 0u);
    fs::remove_all(elsewhere);
}

// Whatever is saved loads again: one limit for both ways, and a save past it keeps the old file.
TEST(Saving, OneSizeLimitForSavingAndLoading)
{
    ScratchDir dir;
    dir.write("Base/Words.Dat", "old\r\n");
    const size_t limit = 4096;
    tovrin::setFileSizeLimit(limit);
    struct Case {
        size_t letters; // Cyrillic letters in one line: four bytes each in the document
        bool fits;
    };
    for (const Case c : {Case{10, true}, Case{950, true}, Case{1010, false}, Case{4000, false}}) {
        SCOPED_TRACE(c.letters);
        LineList list({std::string(c.letters, '\xC0')});
        const std::string before = bytesOf(dir.path() / "Base/Words.Dat");
        const std::string error = errorOf([&] { list.save("Base\\Words.Dat"); });
        EXPECT_EQ(error, c.fits ? "" : "Failed to Save Stream");
        if (c.fits) {
            LineList back;
            EXPECT_EQ(errorOf([&] { back.load("Base\\Words.Dat"); }), "");
            EXPECT_TRUE(back.lines() == list.lines());
        } else {
            EXPECT_EQ(bytesOf(dir.path() / "Base/Words.Dat"), before);
        }
        EXPECT_EQ(namesIn(dir.path() / "Base"), std::set<std::string>{"Words.Dat"});
    }
    dir.write("Base/Big.Dat", std::string(limit + 1, 'x'));
    EXPECT_EQ(errorOf([] { LineList().load("Base\\Big.Dat"); }), "Failed to Load Stream");
    tovrin::setFileSizeLimit(0);
    EXPECT_EQ(errorOf([] { LineList().load("Base\\Big.Dat"); }), "");
}

// Under the Base lock nobody else is saving in the folder: what killed saves left there goes,
// however young, before the next save, and at start-up while no other copy holds the lock.
TEST(Saving, UnderTheLockEveryAbandonedTemporaryGoes)
{
    ScratchDir dir;
    const fs::path base = dir.path() / "Base";
    const std::set<std::string> temporaries = {".~W1.Dat.aB3dE9", ".~Words.Dat.Zz0011",
                                               ".~Log.Tovrin.x1Y2z3"};
    const auto leave = [&] {
        for (const auto& name : temporaries)
            std::ofstream(base / name) << "half a file";
        std::ofstream(base / "Keep.Dat") << "not a temporary";
    };
    fs::create_directories(base);

    leave();
    {
        FileLock lock("Base\\Words.Dat");
        LineList({"a"}).save("Base\\W2.Dat");
    }
    EXPECT_EQ(namesIn(base), (std::set<std::string>{".tovrin.lock", "Keep.Dat", "W2.Dat"}));

    leave();
    {
        // Another copy is saving: its temporaries are left alone.
        const int fd = ::open((base / ".tovrin.lock").c_str(), O_RDWR);
        const pid_t holder = ::fork();
        if (holder == 0) {
            ::flock(fd, LOCK_EX);
            ::pause();
            ::_exit(0);
        }
        ::close(fd);
        for (int i = 0; i < 500 && otherProcessCanLock(base); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        tovrin::removeAbandonedSaves("Base\\Words.Dat");
        ::kill(holder, SIGKILL);
        ::waitpid(holder, nullptr, 0);
        EXPECT_EQ(namesIn(base).size(), temporaries.size() + 3);
    }
    tovrin::removeAbandonedSaves("Base\\Words.Dat");
    EXPECT_EQ(namesIn(base), (std::set<std::string>{".tovrin.lock", "Keep.Dat", "W2.Dat"}));
}

TEST(Saving, APollingReaderNeverSeesHalfAFile)
{
    ScratchDir dir;
    LineList a(std::vector<std::string>(3000, cp("первая версия строки")));
    LineList b(std::vector<std::string>(2000, "second version of the line"));
    a.save("Base\\Txt.Dat");
    const pid_t writer = ::fork();
    if (writer == 0) {
        for (int i = 0; i < 60; ++i)
            (i % 2 ? a : b).save("Base\\Txt.Dat");
        ::_exit(0);
    }
    int torn = 0;
    for (int i = 0; i < 200; ++i) {
        LineList seen;
        try {
            seen.load("Base\\Txt.Dat");
        } catch (const FileError&) {
            ++torn;
            continue;
        }
        torn += seen.lines() != a.lines() && seen.lines() != b.lines();
    }
    int status = 0;
    ::waitpid(writer, &status, 0);
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(namesIn(dir.path() / "Base"), std::set<std::string>{"Txt.Dat"});
}

// ---- the lock

TEST(Lock, ExcludesOtherProcessesUntilReleased)
{
    ScratchDir dir;
    {
        FileLock lock("Base\\Words.Dat");
        EXPECT_TRUE(lock.held());
        EXPECT_TRUE(fs::exists(dir.path() / "Base/.tovrin.lock"));
        EXPECT_FALSE(otherProcessCanLock(dir.path() / "Base"));
        {
            FileLock again("base\\W1.Dat"); // the same folder on the same thread: no wait
            EXPECT_TRUE(again.held());
        }
        EXPECT_FALSE(otherProcessCanLock(dir.path() / "Base"));
    }
    EXPECT_TRUE(otherProcessCanLock(dir.path() / "Base"));
}

TEST(Lock, TheLockFileOutlivesSaves)
{
    ScratchDir dir;
    FileLock lock("Base\\Words.Dat");
    const auto inode = [&] {
        struct stat st {};
        ::stat((dir.path() / "Base/.tovrin.lock").c_str(), &st);
        return st.st_ino;
    };
    const auto before = inode();
    LineList({"x"}).save("Base\\Words.Dat");
    EXPECT_EQ(inode(), before);
    EXPECT_FALSE(otherProcessCanLock(dir.path() / "Base"));
}

TEST(Lock, WithoutItsFolderNothingIsLockedAndNothingThrown)
{
    ScratchDir dir;
    for (const char* path : {"Missing\\Words.Dat", "D:\\Txt.Dat"}) {
        std::unique_ptr<FileLock> lock;
        EXPECT_NO_THROW(lock = std::make_unique<FileLock>(path));
        EXPECT_FALSE(lock->held());
        EXPECT_EQ(errorOf([&] { LineList().load(path); }), std::string("Cannot open file ") + path);
    }
    EXPECT_FALSE(fs::exists(dir.path() / "Missing"));
}

// ---- links, locks and temporaries that others put in the way

namespace {

// A folder outside the working folder, removed at the end.
class Elsewhere {
public:
    Elsewhere()
    {
        char name[] = "/tmp/tovrin-elsewhere-XXXXXX";
        path_ = ::mkdtemp(name) != nullptr ? name : "";
    }
    ~Elsewhere() { fs::remove_all(path_); }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

// Runs a handler at one step of the save being made on this thread.
class AtStep : public tovrin::SaveFaults {
public:
    AtStep(SaveStep step, std::function<void()> handler) : step_(step), handler_(std::move(handler))
    {
        tovrin::setSaveFaults(this);
    }
    ~AtStep() override { tovrin::setSaveFaults(nullptr); }
    bool fail(SaveStep step) override
    {
        if (step == step_ && handler_) {
            const auto handler =
                std::exchange(handler_, nullptr); // once, and not for its own saves
            handler();
        }
        return false;
    }

private:
    SaveStep step_;
    std::function<void()> handler_;
};

} // namespace

// A load follows no link out of the working folder, as a save does not: run as root, the
// programs would otherwise show a file that only root may read.
TEST(Reading, LinksOutOfTheWorkingFolderAreNotFollowed)
{
    ScratchDir dir;
    Elsewhere elsewhere;
    std::ofstream(elsewhere.path() / "secret") << "root only\r\n";
    dir.write("Base/Words.Dat", "h\r\n");
    dir.write("Inside/Real.Dat", "inside\r\n");
    fs::create_symlink(elsewhere.path() / "secret", dir.path() / "Base/W2.Dat");
    fs::create_symlink(elsewhere.path(), dir.path() / "Away");
    fs::create_symlink("../Away/secret", dir.path() / "Base/Relative.Dat");
    fs::create_symlink("../Inside/Real.Dat", dir.path() / "Base/Inside.Dat");
    struct Case {
        const char* path;
        std::vector<std::string> lines; // nothing: refused
    };
    const Case cases[] = {
        {"Base\\W2.Dat", {}},
        {"Away\\secret", {}},
        {"Base\\Relative.Dat", {}},
        {"Base\\Inside.Dat", {"inside"}}, // a link that stays inside is followed
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        LineList list;
        const std::string error = errorOf([&] { list.load(c.path); });
        EXPECT_EQ(error, c.lines.empty() ? std::string("Cannot open file ") + c.path : "");
        EXPECT_EQ(list.lines(), c.lines);
        if (c.lines.empty()) {
            EXPECT_EQ(errorOf([&] { tovrin::loadMemo(c.path); }),
                      std::string("Cannot open file ") + c.path);
        }
    }
    // Another place named as such is the user's own choice.
    EXPECT_EQ(tovrin::loadMemo((elsewhere.path() / "secret").string()),
              std::vector<std::string>{"root only"});
}

// A folder swapped for a link after the save looked at it: the save still lands where it
// looked, never in the place the link leads to.
TEST(Saving, AFolderSwappedForALinkDuringTheSaveIsNotFollowed)
{
    ScratchDir dir;
    Elsewhere elsewhere;
    std::ofstream(elsewhere.path() / "W1.Dat") << "keep me\r\n";
    dir.write("Base/Sub/W1.Dat", "old\r\n");
    {
        AtStep swap(SaveStep::Open, [&] {
            fs::rename(dir.path() / "Base/Sub", dir.path() / "Base/Moved");
            fs::create_symlink(elsewhere.path(), dir.path() / "Base/Sub");
        });
        EXPECT_EQ(errorOf([] { LineList({"new"}).save("Base\\Sub\\W1.Dat"); }), "");
    }
    EXPECT_EQ(bytesOf(elsewhere.path() / "W1.Dat"), "keep me\r\n");
    EXPECT_EQ(namesIn(elsewhere.path()), std::set<std::string>{"W1.Dat"});
    EXPECT_EQ(dir.readLines("Base\\Moved\\W1.Dat"), std::vector<std::string>{"new"});
}

// The window's save of an exchange file in Base\ takes no Base lock; a copy that cleans up
// under the lock meanwhile leaves its temporary alone, and so does one starting up.
TEST(Saving, ASaveInProgressKeepsItsTemporaryWhileOthersCleanUp)
{
    const std::vector<std::pair<const char*, std::function<void()>>> cleanUps = {
        {"a save under the lock",
         [] {
             FileLock lock("Base\\Words.Dat");
             LineList({"learnt"}).save("Base\\W1.Dat");
         }},
        {"a start-up", [] { tovrin::removeAbandonedSaves("Base\\Words.Dat"); }},
    };
    for (const auto& [name, cleanUp] : cleanUps) {
        SCOPED_TRACE(name);
        ScratchDir dir;
        dir.write("Base/Txt.Dat", "old\r\n");
        dir.write("Base/.~Words.Dat.aB3dE9", "left by a killed save");
        {
            AtStep other(SaveStep::Write, cleanUp);
            EXPECT_EQ(errorOf([] { LineList({"reply"}).save("Base\\Txt.Dat"); }), "");
        }
        EXPECT_EQ(dir.readLines("Base\\Txt.Dat"), std::vector<std::string>{"reply"});
        EXPECT_FALSE(dir.exists("Base\\.~Words.Dat.aB3dE9")); // what was abandoned still goes
    }
}

// A lock file that cannot be used fails the change it guards, with the file messages: a copy
// going on without it would lose the lessons of the others. A link in its place is never
// followed, nor made into a file where it leads.
TEST(Lock, ALockThatCannotBeTakenFailsTheChange)
{
    struct Case {
        const char* name;
        std::function<void(const fs::path& base, const fs::path& elsewhere)> prepare;
        bool unprivileged;
    };
    const Case cases[] = {
        {"left mode 0600 by root",
         [](const fs::path& base, const fs::path&) {
             std::ofstream(base / ".tovrin.lock").flush();
             fs::permissions(base / ".tovrin.lock", fs::perms::owner_read | fs::perms::owner_write);
         },
         true},
        {"a dangling link",
         [](const fs::path& base, const fs::path& elsewhere) {
             fs::create_symlink(elsewhere / "nologin", base / ".tovrin.lock");
         },
         false},
        {"a link to a file",
         [](const fs::path& base, const fs::path& elsewhere) {
             std::ofstream(elsewhere / "nologin").flush();
             fs::create_symlink(elsewhere / "nologin", base / ".tovrin.lock");
         },
         false},
        {"a folder",
         [](const fs::path& base, const fs::path&) {
             fs::create_directories(base / ".tovrin.lock");
         },
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        Elsewhere elsewhere;
        dir.write("Base/W1.Dat", "old\r\n");
        fs::permissions(dir.path(), fs::perms::all);
        fs::permissions(dir.path() / "Base", fs::perms::all);
        fs::permissions(dir.path() / "Base/W1.Dat", fs::perms::all);
        c.prepare(dir.path() / "Base", elsewhere.path());
        const auto attempt = [] {
            const std::string lock = errorOf([] { FileLock held("Base\\W1.Dat"); });
            const std::string append = errorOf([] {
                FileLock held("Base\\W1.Dat");
                LineList list;
                list.load("Base\\W1.Dat");
                list.add("new");
                list.save("Base\\W1.Dat");
            });
            return (lock == "Cannot open file Base\\.tovrin.lock" ? 0 : 1) |
                (append == lock ? 0 : 2);
        };
        EXPECT_EQ(c.unprivileged ? inUnprivilegedChild(attempt) : attempt(), 0);
        EXPECT_EQ(dir.readLines("Base\\W1.Dat"), std::vector<std::string>{"old"});
        EXPECT_FALSE(fs::exists(elsewhere.path() / "nologin") &&
                     fs::file_size(elsewhere.path() / "nologin") > 0);
        if (std::string(c.name) == "a dangling link") {
            EXPECT_FALSE(fs::exists(elsewhere.path() / "nologin"));
        }
    }
}

// The exchange file may be any file but the program's own: whatever way the path is written.
TEST(Paths, TheProgramsOwnFilesAreKnownHoweverNamed)
{
    ScratchDir dir(true);
    Elsewhere elsewhere;
    fs::create_symlink(dir.path() / "Base/Words.Dat", elsewhere.path() / "words-link");
    fs::create_symlink(dir.path() / "Base", dir.path() / "Knowledge");
    const std::string absolute = (dir.path() / "Base/Log.Tovrin").string();
    struct Case {
        std::string path;
        bool own;
    };
    const Case cases[] = {
        {"Base\\Words.Dat", true},
        {"base\\words.dat", true},
        {"Base\\..\\Base\\W1.Dat", true},
        {"./Base/AI.dat", true},
        {absolute, true},
        {"Knowledge\\Povtor.Dat", true},
        {(elsewhere.path() / "words-link").string(), true},
        {"Base\\.tovrin.lock", true},
        {"Base\\.~Words.Dat.aB3dE9", true},
        {"Sound\\Close.wav", true},
        {"Sound\\Anything.Dat", true},
        {"ReadMe.Txt", true},
        {"Base\\Txt.Dat", false},
        {"Txt.Dat", false},
        {(elsewhere.path() / "Txt.Dat").string(), false},
        {"D:\\Txt.Dat", false},
        {"Missing\\Words.Dat", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(tovrin::files::namesProgramFile(c.path), c.own);
    }
}
