#include "kb/cp1251.h"

#include <clocale>
#include <cstdio>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <unistd.h>

namespace cp1251 = tovrin::cp1251;

namespace {

// Runs iconv over bytes; nothing when iconv refuses them or is not installed.
std::optional<std::string> iconv(const std::string& from, const std::string& to,
                                 const std::string& bytes)
{
    const auto input =
        std::filesystem::temp_directory_path() / ("tovrin-iconv-" + std::to_string(::getpid()));
    std::ofstream(input, std::ios::binary) << bytes;
    const std::string command =
        "iconv -f " + from + " -t " + to + " '" + input.string() + "' 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return std::nullopt;
    std::string out;
    char buffer[4096];
    while (const size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        out.append(buffer, n);
    const int status = ::pclose(pipe);
    std::filesystem::remove(input);
    if (status != 0)
        return std::nullopt;
    return out;
}

bool haveIconv() { return iconv("CP1251", "UTF-8", "a").has_value(); }

std::string allBytesBut98()
{
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        if (b != 0x98)
            bytes += static_cast<char>(b);
    return bytes;
}

} // namespace

TEST(Cp1251, EveryByteConvertsToUtf8AsIconvDoes)
{
    if (!haveIconv())
        GTEST_SKIP() << "iconv is not installed";
    const std::string bytes = allBytesBut98();
    const auto reference = iconv("CP1251", "UTF-8", bytes);
    ASSERT_TRUE(reference.has_value());
    size_t at = 0;
    for (const char byte : bytes) {
        const std::string ours = cp1251::toUtf8(std::string(1, byte));
        EXPECT_EQ(ours, reference->substr(at, ours.size()))
            << "byte 0x" << std::hex << (static_cast<unsigned>(byte) & 0xFF);
        at += ours.size();
    }
    EXPECT_EQ(at, reference->size());
}

TEST(Cp1251, EveryCharacterConvertsBackAsIconvDoes)
{
    if (!haveIconv())
        GTEST_SKIP() << "iconv is not installed";
    const std::string bytes = allBytesBut98();
    const std::string utf8 = cp1251::toUtf8(bytes);
    EXPECT_EQ(iconv("UTF-8", "CP1251", utf8), bytes);
    EXPECT_EQ(cp1251::fromUtf8(utf8), bytes);
}

TEST(Cp1251, TheUnassignedByteIsReplaced)
{
    if (haveIconv()) {
        EXPECT_FALSE(iconv("CP1251", "UTF-8", "\x98").has_value()) << "iconv maps 0x98 after all";
    }
    EXPECT_EQ(cp1251::toUtf8("\x98"), "\xEF\xBF\xBD");
    EXPECT_EQ(cp1251::fromUtf8("\xEF\xBF\xBD"), "?");
}

TEST(Cp1251, Utf8WithoutAWindows1251FormBecomesQuestionMarks)
{
    struct Case {
        const char* name;
        std::string utf8;
        std::string expected;
    };
    const Case cases[] = {
        {"plain ASCII", "Hello, world!", "Hello, world!"},
        {"Cyrillic", "Привет, Ёж", "\xCF\xF0\xE8\xE2\xE5\xF2, \xA8\xE6"},
        {"Greek", "\xCE\xB1\xCE\xB2", "??"},
        {"CJK", "\xE4\xB8\xAD", "?"},
        {"emoji (four bytes)", "a\xF0\x9F\x98\x80z", "a?z"},
        {"lone continuation byte", "a\x80z", "a?z"},
        {"two lone continuation bytes", "\x80\xBF", "??"},
        {"invalid lead bytes", "\xC0\xC1\xF5\xFF", "????"},
        {"overlong slash", "\xC0\xAF", "??"},
        {"overlong three bytes", "\xE0\x80\xAF", "???"},
        {"surrogate", "\xED\xA0\x80", "???"},
        {"past U+10FFFF", "\xF4\x90\x80\x80", "????"},
        {"cut short at the end", "ab\xD0", "ab?"},
        {"cut short by ASCII", "\xE2\x82z", "?z"},
        {"cut short by a new lead", "\xD0\xD0\x9F", "?\xCF"},
        {"NUL kept", std::string("a\0b", 3), std::string("a\0b", 3)},
        {"euro and numero", "\xE2\x82\xAC\xE2\x84\x96", "\x88\xB9"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cp1251::fromUtf8(c.utf8), c.expected) << c.name;
}

TEST(Cp1251, TypedEmojiBecomeBracketsOrNothingNeverQuestionMarks)
{
    struct Case {
        const char* name;
        std::string utf8;
        std::string expected; // UTF-8 of the Windows-1251 result
        std::size_t limit = SIZE_MAX;
    };
    const Case cases[] = {
        {"smile on the word before", "привет \U0001F60A", "привет)"},
        {"laughing, three times", "ахаха\U0001F602\U0001F602\U0001F923", "ахаха)))"},
        {"sad face", "мне грустно \U0001F622", "мне грустно("},
        {"white frowning face with its emoji form", "плохо \u2639\uFE0F", "плохо("},
        {"smile alone", "\u263A", ")"},
        {"thumbs up with a skin tone dropped, statement stays", "ок \U0001F44D\U0001F3FD", "ок"},
        {"pictograph between words", "привет \U0001F44B как дела", "привет как дела"},
        {"pictograph first", "\U0001F525 огонь", "огонь"},
        {"family joined by zero-width joiners", "\U0001F468\u200D\U0001F469\u200D\U0001F467", ""},
        {"flag", "из \U0001F1F7\U0001F1FA", "из"},
        {"keycap keeps its digit", "1\uFE0F\u20E3 раз", "1 раз"},
        {"heart and star", "люблю \u2764\uFE0F \u2B50", "люблю"},
        {"stress mark", "за\u0301мок", "замок"},
        {"a question stays a question", "ты кто? \U0001F914", "ты кто?"},
        {"own spaces at the end are kept", "да  ", "да  "},
        {"other scripts still marked", "\u03B1\u4E2D", "??"},
        {"broken UTF-8 still marked", "a\x80z", "a?z"},
        // The input line counts a character past U+FFFF as two.
        {"limit counts emoji twice", "ab\U0001F600cd", "ab)", 4},
        {"limit in the middle of an emoji", "abc\U0001F600", "abc", 4},
        {"limit on plain text", "абвгд", "абв", 3},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cp1251::toUtf8(cp1251::fromTyped(c.utf8, c.limit)), c.expected) << c.name;
}

TEST(Cp1251, UpperCaseRule)
{
    struct Case {
        const char* small;
        const char* capital;
    };
    const Case letters[] = {
        {"абвгдежзийклмнопрстуфхцчшщъыьэюя", "АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"},
        {"ё", "Ё"},
        {"abcdefghijklmnopqrstuvwxyz", "ABCDEFGHIJKLMNOPQRSTUVWXYZ"},
        // The other Cyrillic letters of the code page, each with its own capital.
        {"ђѓѕіїјљњћќўџґє", "ЂЃЅІЇЈЉЊЋЌЎЏҐЄ"},
        // Unchanged: capitals, digits, punctuation, spaces and the signs of the code page.
        {"АЯЁЂІ XYZ", "АЯЁЂІ XYZ"},
        {"0123456789 .,;:!?-()^_@", "0123456789 .,;:!?-()^_@"},
        {"«»—–…№€™§©®°±µ¶·", "«»—–…№€™§©®°±µ¶·"},
        {"\xC2\xA0\t", "\xC2\xA0\t"},
        {"Привет, мир! hello 2", "ПРИВЕТ, МИР! HELLO 2"},
    };
    for (const auto& c : letters) {
        EXPECT_EQ(cp1251::toUtf8(cp1251::upper(cp1251::fromUtf8(c.small))), c.capital) << c.small;
        EXPECT_EQ(cp1251::upper(cp1251::upper(cp1251::fromUtf8(c.small))),
                  cp1251::upper(cp1251::fromUtf8(c.small)));
    }
}

TEST(Cp1251, UpperCaseAgreesWithTheCLibraryForEveryByte)
{
    if (std::setlocale(LC_CTYPE, "C.UTF-8") == nullptr)
        GTEST_SKIP() << "no C.UTF-8 locale";
    if (std::towupper(0x0430) != 0x0410) {
        std::setlocale(LC_CTYPE, "C");
        GTEST_SKIP() << "the C library has no Cyrillic case table";
    }
    for (int b = 0; b < 256; ++b) {
        const char32_t ch = cp1251::toUnicode(static_cast<unsigned char>(b));
        const int capital =
            cp1251::fromUnicode(static_cast<char32_t>(std::towupper(static_cast<wint_t>(ch))));
        // A capital that the code page cannot spell (µ) leaves the byte as it is.
        const int expected = capital < 0 ? b : capital;
        EXPECT_EQ(static_cast<unsigned char>(cp1251::upper(static_cast<char>(b))), expected)
            << "byte 0x" << std::hex << b;
        EXPECT_EQ(cp1251::upper(std::string(1, static_cast<char>(b))),
                  std::string(1, static_cast<char>(expected)));
    }
    std::setlocale(LC_CTYPE, "C");
}
