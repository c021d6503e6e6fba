#include "kb/fileerror.h"
#include "kb/linelist.h"
#include "support/testsupport.h"

#include <functional>
#include <gtest/gtest.h>

using tovrin::FileError;
using tovrin::LineList;
using tovrin::test::cp;
using tovrin::test::ScratchDir;

namespace {

std::string errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const FileError& e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(LineList, PlainFileBecomesRtfAndLoadsBackTheSame)
{
    ScratchDir dir;
    dir.writeLines("Base\\Words.Dat", {"ПРИВЕТ^Здравствуй!;", "_КАК ДЕЛА^Хорошо;", ""});
    LineList list;
    list.load("Base\\Words.Dat");
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(list.get(0), cp("ПРИВЕТ^Здравствуй!;"));
    list.save("Base\\Words.dat");
    LineList again;
    again.load("Base\\WORDS.DAT");
    EXPECT_EQ(again.lines(), list.lines());
}

TEST(LineList, MissingFileNamesThePathAsGiven)
{
    ScratchDir dir;
    LineList list;
    EXPECT_EQ(errorOf([&] { list.load("Base\\Nothing.Dat"); }), "Cannot open file Base\\Nothing.Dat");
    EXPECT_EQ(errorOf([&] { list.load("D:\\Txt.Dat"); }), "Cannot open file D:\\Txt.Dat");
    EXPECT_EQ(errorOf([&] { list.save("D:\\Txt.Dat"); }), "Cannot create file D:\\Txt.Dat");
    EXPECT_EQ(errorOf([&] { list.save("Nowhere\\Txt.Dat"); }), "Cannot create file Nowhere\\Txt.Dat");
}
