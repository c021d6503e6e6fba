#include "input/layout.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <set>

using tovrin::CorrectLayout;
using tovrin::LayoutTable;
using tovrin::test::cp;
using tovrin::test::utf;

namespace {

struct Case {
    const char* typed; // UTF-8
    const char* corrected;
};

// Whole keyboard rows, unshifted and shifted, check every row of the table against the keys it
// comes from; the examples check what the user sees.
const Case kCases[] = {
    {"Ghbdtn", "Привет"},
    {"Lf? z gjyzk", "Да? я понял"},
    {"@|$^&", "\"/;:?"},
    {"\"/;:?", "Э.жЖ?"}, // a second pass over the line above
    {"<>", "бю"},
    {"Hello, World.", "Руддщ, Цщкдв."},
    {"\\", "\\"},
    {"`~", "ёЁ"},
    {"#", "№"},
    {"Привет", "Привет"},
    {"ёЁ № «»", "ёЁ № «»"},
    {"", ""},
    {"`qwertyuiop[]asdfghjkl;'zxcvbnm,./", "ёйцукенгшщзхъфывапролдж'ячсмить,.."},
    {"~QWERTYUIOP{}ASDFGHJKL:\"ZXCVBNM<>?", "ЁЙЦУКЕНГШЩЗХЪФЫВАПРОЛДЖЭЯЧСМИТЬбю?"},
    {"1234567890-=\\", "1234567890-=\\"},
    {"!@#$%^&*()_+|", "!\"№;%:?*()_+/"},
    {"  \t", "  \t"},
};

void PrintTo(const Case& c, std::ostream* os) { *os << '"' << c.typed << '"'; }

class LayoutCases : public ::testing::TestWithParam<Case> {};

TEST_P(LayoutCases, ConvertsOncePerPosition)
{
    const Case& c = GetParam();
    const std::string typed = cp(c.typed);
    const std::string got = CorrectLayout(typed);
    EXPECT_EQ(utf(got), c.corrected) << "typed: " << c.typed;
    EXPECT_EQ(got.size(), typed.size());
}

INSTANTIATE_TEST_SUITE_P(Examples, LayoutCases, ::testing::ValuesIn(kCases));

} // namespace

TEST(LayoutTable, HasSeventyOneRowsWithDistinctSources)
{
    EXPECT_EQ(LayoutTable().size(), 71u);
    std::set<char> sources;
    for (const auto& row : LayoutTable())
        EXPECT_TRUE(sources.insert(row.from).second) << "second row for " << row.from;
}

TEST(LayoutTable, OnlyTheRowsChangeACharacter)
{
    // Backslash has a row of its own that keeps it, so one row fewer changes anything.
    int changed = 0;
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        if (CorrectLayout(c) != c)
            ++changed;
    }
    EXPECT_EQ(changed, 70);
}

TEST(LayoutTable, LeavesEveryByteAboveAsciiAlone)
{
    // Cyrillic letters, ё and Ё included, and the rest of the upper half of the code page.
    for (int b = 0x80; b < 256; ++b) {
        const char c = static_cast<char>(b);
        EXPECT_EQ(CorrectLayout(c), c) << "byte " << b;
    }
}

TEST(LayoutTable, KeepsTheLengthOfAnyLine)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string once = CorrectLayout(all);
    ASSERT_EQ(once.size(), all.size());
    for (std::size_t i = 0; i < all.size(); ++i)
        EXPECT_EQ(once[i], CorrectLayout(all[i])) << "position " << i;

    const std::string repeated = all + all + all;
    EXPECT_EQ(CorrectLayout(repeated), once + once + once);
}
