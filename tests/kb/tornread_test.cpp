// Two programs on one exchange file: one rewrites it again and again while the other keeps
// reading it. Every read must find a whole document written by the other side, never a
// half-written one, an empty one or none at all.
#include "kb/fileerror.h"
#include "kb/linelist.h"
#include "support/kbsupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <set>

#include <sys/wait.h>
#include <unistd.h>

using namespace tovrin;
using namespace tovrin::test;
namespace fs = std::filesystem;

namespace {

constexpr int kWrites = 10000;

// The texts the writer takes in turn: short and long, so that a read that met a write half
// done would show a cut or mixed document.
std::vector<std::string> texts()
{
    std::vector<std::string> t = {cp("Привет."), cp("Как дела?"), cp("Ёлки-палки, лес густой!")};
    std::string longer;
    while (longer.size() < 5000)
        longer += cp("Длинная реплика, которая не помещается в одну страницу. ");
    t.push_back(longer);
    std::string longest;
    while (longest.size() < 12000)
        longest += cp("Ещё длиннее: ") + std::to_string(longest.size()) + " ";
    t.push_back(longest);
    return t;
}

// A folder on a memory file system where there is one: the test is about the atomic
// replacement, and a flushed disk would only make the ten thousand saves slow.
class ExchangeFolder {
public:
    ExchangeFolder()
    {
        const fs::path base =
            fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        std::string pattern = (base / "tovrin-tornread-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            path_ = pattern;
    }
    ~ExchangeFolder()
    {
        std::error_code ec;
        if (!path_.empty())
            fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

} // namespace

TEST(TornRead, EveryReadFindsAWholeDocument)
{
    ExchangeFolder folder;
    ASSERT_FALSE(folder.path().empty());
    const std::string exchange = (folder.path() / "Txt.Dat").string();
    const std::vector<std::string> written = texts();
    LineList({written[0]}).save(exchange);

    const pid_t writer = ::fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
        int status = 0;
        try {
            LineList list;
            for (int i = 1; i <= kWrites; ++i) {
                list.clear();
                list.add(written[static_cast<size_t>(i) % written.size()]);
                list.save(exchange);
            }
        } catch (...) {
            status = 1;
        }
        ::_exit(status);
    }

    int reads = 0;
    int torn = 0;
    int failed = 0;
    std::string firstProblem;
    std::set<size_t> seen;
    const auto readOnce = [&] {
        ++reads;
        LineList list;
        try {
            list.load(exchange);
        } catch (const FileError& e) {
            if (failed++ == 0 && firstProblem.empty())
                firstProblem = std::string("read failed: ") + e.what();
            return;
        }
        const auto it = list.count() == 1 ? std::find(written.begin(), written.end(), list.get(0))
                                          : written.end();
        if (it == written.end()) {
            if (torn++ == 0 && firstProblem.empty())
                firstProblem = "a read found " + std::to_string(list.count()) +
                    " lines, the first of " + std::to_string(list.get(0).size()) + " characters";
            return;
        }
        seen.insert(static_cast<size_t>(it - written.begin()));
    };

    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(writer, &status, WNOHANG);
        readOnce();
        if (done == writer)
            break;
        ::usleep(1000);
    }
    std::cout << "[ torn read ] " << kWrites << " writes, " << reads << " reads, " << torn
              << " torn, " << failed << " failed, " << seen.size() << " of " << written.size()
              << " texts seen\n";
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the writer failed";
    EXPECT_EQ(torn, 0) << firstProblem;
    EXPECT_EQ(failed, 0) << firstProblem;
    // The last read came after the last write.
    EXPECT_TRUE(seen.count(kWrites % written.size()));
    // Nothing but the exchange file is left: no temporary of the writer's.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
}
