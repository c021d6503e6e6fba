#include "input/layout.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

using tovrin::CorrectLayout;
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

TEST(LayoutTable, OnlyTheKeysOfTheLatinLayoutChange)
{
    // Seventy keys change; everything else, the upper half of the code page included, stays.
    int changed = 0;
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        if (CorrectLayout(c) != c)
            ++changed;
        if (b >= 0x80) {
            EXPECT_EQ(CorrectLayout(c), c) << "byte " << b;
        }
    }
    EXPECT_EQ(changed, 70);
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
