// An installation into a fresh prefix: the programs, the data, the menu entry and its icon, and
// the launcher that makes the user's working folder the first time and never again.
#include "support/childprocess.h"
#include "support/kbsupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/stat.h>

using namespace tovrin::test;
namespace fs = std::filesystem;

namespace {

bool executable(const fs::path& p)
{
    return ::access(p.c_str(), X_OK) == 0 && fs::is_regular_file(p);
}

std::string findCmake()
{
    for (const char* candidate : {"/usr/bin/cmake", "/usr/local/bin/cmake"})
        if (executable(candidate))
            return candidate;
    return {};
}

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "tovrin-install-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            path_ = pattern;
    }
    ~TempFolder()
    {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

// Runs the launcher as a desktop session without a display would: a clean environment with
// only the given variables (and the sanitizer's options, which the built programs need).
// A folder given as `in` is the one the program starts in.
RunResult launch(const fs::path& launcher, const std::vector<std::string>& env,
                 const std::string& input, const std::vector<std::string>& options = {},
                 const fs::path& in = {})
{
    std::vector<std::string> args = {"-i"};
    if (!in.empty())
        args.insert(args.end(), {"-C", in.string()});
    args.push_back("PATH=/usr/bin:/bin");
    for (const char* inherited : {"ASAN_OPTIONS", "UBSAN_OPTIONS"})
        if (const char* value = std::getenv(inherited))
            args.push_back(std::string(inherited) + "=" + value);
    args.insert(args.end(), env.begin(), env.end());
    args.push_back(launcher.string());
    args.insert(args.end(), options.begin(), options.end());
    return runProgram("/usr/bin/env", args, input);
}

} // namespace

TEST(Install, PutsEverythingUnderThePrefixAndStartsFromTheMenu)
{
    const std::string cmake = findCmake();
    if (cmake.empty())
        GTEST_SKIP() << "cmake is not at hand";
    TempFolder prefix;
    ASSERT_FALSE(prefix.path().empty());
    const auto installed =
        runProgram(cmake, {"--install", TOVRIN_BINARY_DIR, "--prefix", prefix.path().string()});
    ASSERT_EQ(installed.exitCode, 0) << installed.out << installed.err;

    // Shaped as a game: the launcher, the terminal version and the tool in games/, the window
    // program where only the launcher starts it.
    const fs::path bin = prefix.path() / "games";
    for (const char* program : {"tovrin", "tovrin-console", "tovrin-kb"})
        EXPECT_TRUE(executable(bin / program)) << program;
    EXPECT_FALSE(fs::exists(prefix.path() / "bin"));

    // What a person reads: a manual page for every program, in English and in Russian, and the
    // package's own papers.
    for (const auto& [page, section] :
         {std::pair{"tovrin", "6"}, {"tovrin-console", "6"}, {"tovrin-kb", "1"}})
        for (const char* folder : {"", "ru"})
            EXPECT_TRUE(fs::is_regular_file(prefix.path() / "share" / "man" / folder /
                                            ("man" + std::string(section)) /
                                            (std::string(page) + "." + section + ".gz")))
                << folder << " " << page;
    for (const char* paper : {"copyright", "changelog.Debian.gz"})
        EXPECT_TRUE(fs::is_regular_file(prefix.path() / "share" / "doc" / "tovrin" / paper))
            << paper;
    EXPECT_NE(bytesOf(prefix.path() / "share" / "metainfo" / "io.github.tovrin.Tovrin.metainfo.xml")
                  .find("<launchable type=\"desktop-id\">tovrin.desktop</launchable>"),
              std::string::npos);

    const fs::path data = prefix.path() / "share" / "games" / "tovrin" / "data";
    const bool delivered = fs::is_directory(fs::path(TOVRIN_SOURCE_DIR) / "data");
    if (delivered) {
        EXPECT_TRUE(fs::exists(data / "Base" / "Words.Dat"));
    } else {
        // Without the delivered data the launcher is tried on a Base of our own.
        fs::create_directories(data / "Base");
        std::ofstream(data / "Base" / "Words.Dat") << "Header\r\n";
        for (const char* list :
             {"W1.Dat", "W2.Dat", "Povtor.Dat", "X.Dat", "BigString.Dat", "AI.dat", "Pause.Dat",
              "Begin.dat", "Collection.Dat", "Log.Tovrin"})
            std::ofstream(data / "Base" / list) << "Да.\r\n";
    }

    if (executable(prefix.path() / "lib" / "games" / "tovrin" / "tovrin")) {
        // Without a display the window says so and ends, with no abort of its own.
        const auto window = runProgram(
            "/usr/bin/env", {"-i", (prefix.path() / "lib/games/tovrin/tovrin").string()});
        EXPECT_EQ(window.exitCode, 1) << window.err;
        EXPECT_NE(window.err.find("нет дисплея"), std::string::npos) << window.err;
        const std::string entry =
            bytesOf(prefix.path() / "share" / "applications" / "tovrin.desktop");
        EXPECT_NE(entry.find("[Desktop Entry]\n"), std::string::npos);
        EXPECT_NE(entry.find("\nExec=" + (bin / "tovrin").string() + "\n"), std::string::npos)
            << entry;
        EXPECT_NE(entry.find("\nName[ru]="), std::string::npos);
        EXPECT_NE(entry.find("\nComment[ru]="), std::string::npos);
        EXPECT_NE(entry.find("\nIcon=tovrin\n"), std::string::npos);
        const std::string icon = bytesOf(prefix.path() / "share" / "icons" / "hicolor" /
                                         "scalable" / "apps" / "tovrin.svg");
        EXPECT_NE(icon.find("<svg"), std::string::npos);
        for (const char* size : {"16x16", "32x32", "48x48", "64x64", "128x128", "256x256"})
            EXPECT_EQ(bytesOf(prefix.path() / "share" / "icons" / "hicolor" / size / "apps" /
                              "tovrin.png")
                          .substr(1, 3),
                      "PNG")
                << size;
    }

    // --help and --version are answered by the launcher itself and prepare nothing.
    TempFolder untouched;
    for (const char* option : {"--help", "--version"}) {
        const auto r = launch(bin / "tovrin", {"HOME=" + untouched.path().string()}, "", {option});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_FALSE(r.out.empty()) << option;
        EXPECT_TRUE(fs::is_empty(untouched.path())) << option;
    }

    // The first start makes the working folder from the installed data and talks there.
    TempFolder home;
    const fs::path work = home.path() / ".local" / "share" / "tovrin";
    auto r = launch(bin / "tovrin", {"HOME=" + home.path().string()}, "Привет\n", {"--transcript"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("USER:     Привет.\nCPU:     "), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("рабочая папка подготовлена: " + work.string()), std::string::npos)
        << r.err;
    ASSERT_TRUE(fs::exists(work / "Base" / "Words.Dat"));
    for (const auto& e : fs::directory_iterator(work.parent_path()))
        EXPECT_EQ(e.path().filename(), "tovrin") << "the staging folder was left";

    // What the user's copy has learnt is never overwritten by a later start.
    std::ofstream(work / "Base" / "Words.Dat") << "Mine\r\n";
    r = launch(bin / "tovrin", {"HOME=" + home.path().string()}, "");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err.find("подготовлена"), std::string::npos);
    EXPECT_EQ(bytesOf(work / "Base" / "Words.Dat").substr(0, 4), "Mine");

    // A folder that lost delivered files gets them back; what it holds stays as it is.
    fs::remove(work / "Base" / "X.Dat");
    fs::remove(work / "ReadMe.Txt");
    r = launch(bin / "tovrin", {"HOME=" + home.path().string()}, "");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("Возвращены недостающие файлы рабочей папки: 2."), std::string::npos)
        << r.err;
    EXPECT_TRUE(fs::exists(work / "Base" / "X.Dat"));
    EXPECT_TRUE(fs::exists(work / "ReadMe.Txt"));
    EXPECT_EQ(bytesOf(work / "Base" / "Words.Dat").substr(0, 4), "Mine");

    // A folder that merely has a Base of its own is no working folder for the terminal version.
    TempFolder project;
    fs::create_directories(project.path() / "Base");
    r = launch(bin / "tovrin-console", {"HOME=" + home.path().string()}, "Привет\n", {},
               project.path());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_FALSE(r.out.empty()) << "no reply";
    EXPECT_TRUE(fs::is_empty(project.path() / "Base"))
        << "something was left in the user's own Base";

    // The terminal version started in a fresh home goes to the working folder the same way.
    TempFolder fresh;
    r = launch(bin / "tovrin-console", {"HOME=" + fresh.path().string()}, "Привет\n", {},
               fresh.path());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_FALSE(r.out.empty()) << "no reply";
    EXPECT_TRUE(fs::exists(fresh.path() / ".local" / "share" / "tovrin" / "Base" / "Log.Tovrin"))
        << r.err;

    // XDG_DATA_HOME moves the working folder.
    const fs::path elsewhere = home.path() / "xdg";
    r = launch(bin / "tovrin",
               {"HOME=" + home.path().string(), "XDG_DATA_HOME=" + elsewhere.string()}, "");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(fs::exists(elsewhere / "tovrin" / "Base" / "Words.Dat"));

    // A working folder that would hold the installed data is refused before anything is made in
    // it: a later "start afresh" (deleting the folder) would delete the installation.
    const fs::path around = prefix.path() / "share" / "games";
    r = launch(bin / "tovrin", {"HOME=" + home.path().string(), "XDG_DATA_HOME=" + around.string()},
               "");
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_NE(r.err.find("лежат внутри рабочей папки"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(around / "tovrin" / "Base"))
        << "the working folder was prepared around the data";
    EXPECT_TRUE(fs::exists(data / "Base" / "Words.Dat"));
}
