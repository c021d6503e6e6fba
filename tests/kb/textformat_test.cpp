#include "kb/textformat.h"
#include "support/kbsupport.h"

#include <gtest/gtest.h>
#include <optional>
#include <random>
#include <string>
#include <vector>

using tovrin::looksLikeRtf;
using tovrin::readPlain;
using tovrin::readRtf;
using tovrin::writeRtf;
using tovrin::test::cp;
using Lines = std::vector<std::string>;

namespace {

// Random lines over the given bytes, empty lines and empty lists included.
std::vector<Lines> randomLists(const std::string& alphabet, int lists, unsigned seed)
{
    std::mt19937 rng(seed);
    std::vector<Lines> out{{}, {""}, {"", ""}};
    for (int n = 0; n < lists; ++n) {
        Lines lines(rng() % 12);
        for (auto& line : lines) {
            const size_t length = rng() % 4 == 0 ? 0 : rng() % 60;
            for (size_t i = 0; i < length; ++i)
                line += alphabet[rng() % alphabet.size()];
        }
        out.push_back(std::move(lines));
    }
    return out;
}

std::string everyByte()
{
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        bytes += static_cast<char>(b);
    return bytes;
}

std::string rtf(const std::string& body) { return "{\\rtf1\\ansi\\ansicpg1251 " + body + "}"; }

} // namespace

// ---- the writer

TEST(RtfWriter, DeclaresWindows1251AndACyrillicFont)
{
    const std::string doc = writeRtf({cp("Привет")});
    EXPECT_TRUE(doc.starts_with("{\\rtf1\\ansi\\ansicpg1251"));
    EXPECT_NE(doc.find("{\\fonttbl{\\f0"), std::string::npos);
    EXPECT_NE(doc.find("\\fcharset204"), std::string::npos);
    EXPECT_NE(doc.find("\\'cf\\'f0\\'e8\\'e2\\'e5\\'f2\\par"), std::string::npos);
    EXPECT_TRUE(doc.ends_with("}\r\n"));
}

TEST(RtfWriter, EscapesEveryByteThatIsNotPlainText)
{
    const std::string doc = writeRtf({everyByte()});
    for (const char c : doc)
        EXPECT_LT(static_cast<unsigned char>(c), 0x80) << "the document holds a raw byte";
    EXPECT_NE(doc.find("\\'80\\'81"), std::string::npos);
    EXPECT_NE(doc.find("\\'fe\\'ff"), std::string::npos);
    EXPECT_NE(doc.find("\\'0a\\'0b\\'0c\\'0d"), std::string::npos);
    EXPECT_NE(doc.find("[\\\\]"), std::string::npos);
    EXPECT_NE(doc.find("z\\{|\\}~\\'7f"), std::string::npos);
    EXPECT_NE(doc.find("\\tab "), std::string::npos);
}

TEST(RtfWriter, OneParagraphPerLine)
{
    struct Case {
        Lines lines;
        size_t paragraphs;
    };
    const Case cases[] = {{{}, 0}, {{""}, 1}, {{"a"}, 1}, {{"a", "", "b", ""}, 4}};
    for (const auto& c : cases) {
        const std::string doc = writeRtf(c.lines);
        size_t count = 0;
        for (size_t at = doc.find("\\par"); at != std::string::npos; at = doc.find("\\par", at + 1))
            count += doc.compare(at, 5, "\\pard") != 0;
        EXPECT_EQ(count, c.paragraphs);
    }
}

TEST(RtfPieces, GiveTheDocumentOfTheWholeWriterInFullPieces)
{
    using tovrin::RtfPieces;
    const size_t piece = RtfPieces::kPieceSize;
    // One line of plain letters whose document is the given size.
    const size_t frame = writeRtf({""}).size();
    const auto ofSize = [&](size_t size) { return Lines{std::string(size - frame, 'x')}; };
    std::mt19937 rng(204);
    Lines manyLines(3000);
    for (auto& line : manyLines)
        for (size_t i = rng() % 600; i > 0; --i)
            line += static_cast<char>(rng());

    std::vector<std::pair<const char*, Lines>> cases = {
        {"no lines", {}},
        {"one empty line", {""}},
        {"one piece less a byte", ofSize(piece - 1)},
        {"exactly one piece", ofSize(piece)},
        {"one piece and a byte", ofSize(piece + 1)},
        {"exactly two pieces", ofSize(2 * piece)},
        {"a line of escapes over several pieces",
         {"a", std::string(3 * piece / 4 + 3, '\xE0'), "b"}},
        {"a small document of tabs, the longest escape", {std::string(100, '\t'), "\t"}},
        {"tabs across the ends of pieces",
         {std::string(piece / 5 + 7, '\t'), std::string(piece / 2, '{')}},
        {"many lines of every byte", manyLines},
    };
    for (const auto& [name, lines] : cases) {
        SCOPED_TRACE(name);
        RtfPieces pieces(lines);
        std::string joined;
        std::vector<size_t> sizes;
        for (std::string_view next = pieces.next(); !next.empty(); next = pieces.next()) {
            joined += next;
            sizes.push_back(next.size());
        }
        EXPECT_TRUE(pieces.next().empty()); // and stays complete
        EXPECT_EQ(joined, writeRtf(lines));
        ASSERT_FALSE(sizes.empty());
        for (size_t i = 0; i + 1 < sizes.size(); ++i)
            EXPECT_EQ(sizes[i], piece) << "piece " << i;
        EXPECT_LE(sizes.back(), piece);
        EXPECT_EQ(sizes.size(), (joined.size() + piece - 1) / piece);
    }
}

// ---- round trips

TEST(RtfRoundTrip, RandomListsOverEveryByte)
{
    for (const auto& lines : randomLists(everyByte(), 400, 1251)) {
        const auto back = readRtf(writeRtf(lines));
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(*back, lines);
    }
}

TEST(RtfReader, ReadingIntoAListReplacesItOrLeavesIt)
{
    const std::vector<std::pair<const char*, std::string>> documents = {
        {"three lines", writeRtf({"one", "", std::string(300, '\xE0')})},
        {"no lines", writeRtf({})},
        {"another writer's", rtf("{\\fonttbl{\\f0\\fcharset204 A;}}\\f0 a\\par b\\line c")},
        {"cut short", writeRtf({"one", "two"}).substr(0, 40)},
        {"not RTF", "one\r\ntwo\r\n"},
    };
    const std::vector<std::pair<const char*, Lines>> before = {
        {"empty", {}},
        {"shorter", {"x"}},
        {"longer", {"a", "b", "c", "d", "e", "f"}},
        {"with a very long line", {std::string(100'000, 'y'), "z"}},
    };
    for (const auto& [documentName, document] : documents) {
        const std::optional<Lines> expected = readRtf(document);
        for (const auto& [beforeName, lines] : before) {
            SCOPED_TRACE(std::string(documentName) + " into " + beforeName);
            Lines into = lines;
            EXPECT_EQ(readRtf(document, into), expected.has_value());
            EXPECT_EQ(into, expected ? *expected : lines);
        }
    }
}

TEST(RtfRoundTrip, LongLinesAreNotCut)
{
    const Lines lines{std::string(5000, 'x'), std::string(100000, '\xE0'), ""};
    EXPECT_EQ(readRtf(writeRtf(lines)), lines);
}

TEST(PlainRoundTrip, RandomListsOverEveryByteButLineBreaks)
{
    std::string alphabet;
    for (const char c : everyByte())
        if (c != '\r' && c != '\n')
            alphabet += c;
    for (const auto& lines : randomLists(alphabet, 400, 866)) {
        std::string crlf, lf, cr;
        for (const auto& line : lines) {
            crlf += line + "\r\n";
            lf += line + "\n";
            cr += line + "\r";
        }
        EXPECT_EQ(readPlain(crlf), lines);
        EXPECT_EQ(readPlain(lf), lines);
        EXPECT_EQ(readPlain(cr), lines);
    }
}

// ---- plain text

TEST(PlainReader, LineBreaksAndTheFinalLine)
{
    struct Case {
        std::string text;
        Lines lines;
    };
    const Case cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r\nb", {"a", "b"}},
        {"a\r\n\r\n", {"a", ""}},
        {"\r\n", {""}},
        {"a\rb\nc\r\nd", {"a", "b", "c", "d"}},
        {"\n\r", {"", ""}}, // LF then CR: two breaks, not one
        {"a\r\r\nb", {"a", "", "b"}},
        {"\r\n\r\n\r\n", {"", "", ""}},
        {std::string("a\0b\r\n", 5), {std::string("a\0b", 3)}},
        {"{\\rtf1 x}", {"{\\rtf1 x}"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readPlain(c.text), c.lines) << testing::PrintToString(c.text);
}

// ---- reading documents from other writers

TEST(RtfReader, DocumentsFromOtherWriters)
{
    struct Case {
        const char* name;
        std::string document;
        std::optional<Lines> lines;
    };
    const Case cases[] = {
        {"hex escapes", rtf("\\'cf\\'f0\\'e8\\'e2\\'e5\\'f2\\par"), Lines{cp("Привет")}},
        {"upper-case hex", rtf("\\'CF\\'F0\\par"), Lines{cp("Пр")}},
        {"raw Windows-1251 bytes", rtf(cp("Да") + "\\par"), Lines{cp("Да")}},
        {"final paragraph without \\par", rtf("a\\par b"), Lines{"a", "b"}},
        {"empty paragraph after the last \\par", rtf("a\\par "), Lines{"a"}},
        {"empty lines kept", rtf("\\par a\\par\\par "), Lines{"", "a", ""}},
        {"empty document", "{\\rtf1}", Lines{}},
        {"\\line ends the line", rtf("a\\line b\\par"), Lines{"a", "b"}},
        {"backslash and line break", rtf("a\\\nb\\\r\nc"), Lines{"a", "b", "c"}},
        {"raw line breaks are layout", rtf("a\r\nb\nc\\par"), Lines{"abc"}},
        {"tab", rtf("a\\tab b\\par"), Lines{"a\tb"}},
        {"non-breaking space", rtf("a\\~b\\par"),
         Lines{"a\xA0"
               "b"}},
        {"escaped specials", rtf("\\\\ \\{ \\}\\par"), Lines{"\\ { }"}},
        {"space after a control word is its end", rtf("\\b  bold\\b0 \\par"), Lines{" bold"}},
        {"control word ended by a digit parameter", rtf("\\fs24 x\\par"), Lines{"x"}},
        {"unknown control words are ignored", rtf("\\zzz1 \\qc\\sl-240 x\\par"), Lines{"x"}},
        {"other control symbols", rtf("a\\-b\\_c\\:d\\|\\par"), Lines{"ab-cd"}},
        {"typographic words",
         rtf("\\emdash\\endash\\lquote\\rquote\\ldblquote\\rdblquote\\bullet\\par"),
         Lines{"\x97\x96\x91\x92\x93\x94\x95"}},
        {"Unicode with one fallback", rtf("\\uc1\\u1055?\\u1088?\\par"), Lines{cp("Пр")}},
        {"Unicode default fallback is one", rtf("\\u1055\\'cf\\u1088\\'f0\\par"), Lines{cp("Пр")}},
        {"Unicode without fallback", rtf("\\uc0\\u1055\\u1088 \\par"), Lines{cp("Пр")}},
        {"Unicode with two fallbacks", rtf("\\uc2\\u1105??x\\par"), Lines{cp("ё") + "x"}},
        {"negative Unicode", rtf("\\u-3931?\\par"), Lines{"?"}}, // U+F0A5, no form
        {"Unicode without a form", rtf("\\u945?\\u8364?\\par"), Lines{"?\x88"}},
        {"surrogate pair is one character", rtf("\\u-10179?\\u-8704?x\\par"), Lines{"?x"}},
        {"lone low surrogate", rtf("\\u-8704?\\par"), Lines{"?"}},
        {"fallback ends with the group", rtf("{\\uc3\\u1040 x}y\\par"), Lines{cp("А") + "y"}},
        {"fallback set per group", rtf("{\\uc0\\u1040}\\u1041?\\par"), Lines{cp("АБ")}},
        {"\\u without a number is ignored", rtf("a\\u b\\par"), Lines{"ab"}},
        {"ignorable groups", rtf("{\\*\\generator Writer 1.0;}{\\*\\unknown {deep} text}x\\par"),
         Lines{"x"}},
        {"tables skipped",
         "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fnil\\fcharset204 Arial;}{\\f1 Courier;}}"
         "{\\colortbl ;\\red255\\green0\\blue0;}{\\stylesheet{\\s0 Normal;}}"
         "{\\info{\\title T}{\\author A}}\\pard\\f0 x\\par}",
         Lines{"x"}},
        {"field result kept, instruction skipped",
         rtf("{\\field{\\*\\fldinst HYPERLINK \"a\"}{\\fldrslt link}}\\par"), Lines{"link"}},
        {"list numbers skipped", rtf("{\\pntext\\f1 1.\\tab}item\\par"), Lines{"item"}},
        {"binary data skipped", rtf("a\\bin3 {}\\b\\par"), Lines{"ab"}},
        {"binary data in a picture", rtf("{\\pict\\bin4 \\par}x\\par"), Lines{"x"}},
        {"\\bin without count", rtf("a\\bin b\\par"), Lines{"ab"}},
        {"Western code page",
         "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fcharset0 Arial;}}\\f0 \\'e9\\'ab\\'80\\'81\\par}",
         Lines{"?\xAB\x88?"}},
        {"Cyrillic font in a Western document",
         "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fcharset0 Arial;}{\\f1\\fcharset204 Arial CYR;}}"
         "\\f1\\'e0{\\f0\\'e9}\\'e0\\plain\\'e9\\par}",
         Lines{"\xE0?\xE0?"}},
        {"ANSI font in a Windows-1251 document",
         "{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0\\fcharset0 Arial;}}\\f0\\'e0\\par}",
         Lines{"\xE0"}},
        {"no code page named", "{\\rtf1\\ansi \\'e0\\par}", Lines{"\xE0"}},
        {"line breaks after the document give no line", rtf("a\\par") + "\r\n", Lines{"a"}},
        {"a line appended by hand", rtf("a\\par") + "\r\n" + cp("КЛЮЧ^Ответ;") + "\r\n",
         Lines{"a", cp("КЛЮЧ^Ответ;")}},
        {"appended right after the brace", rtf("a\\par") + "B^b;", Lines{"a", "B^b;"}},
        {"appended lines as plain text has them", rtf("a") + "\n\nB^b;\nC^c;\r\n\r\nD^d;\r",
         Lines{"a", "B^b;", "C^c;", "", "D^d;"}},
        {"blanks and NULs after the document",
         rtf("a\\par") + std::string("\r\n\0\0 \t\x1a\r\n", 9), Lines{"a"}},
        {"table cells and rows", rtf("a\\cell b\\cell\\row c\\par"), Lines{"a\tb\t", "c"}},
        {"skipped group text with \\par", rtf("{\\footnote note\\par}x\\par"), Lines{"x"}},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(looksLikeRtf(c.document)) << c.name;
        EXPECT_EQ(readRtf(c.document), c.lines) << c.name;
    }
}

// ---- hostile documents

TEST(RtfReader, HostileDocumentsAreRefusedOrReadCheaply)
{
    struct Case {
        const char* name;
        std::string document;
        std::optional<Lines> lines; // nothing: refused
    };
    const std::string deep(1'000'000, '{');
    std::string nested = "{\\rtf1 ";
    for (int i = 0; i < 200; ++i)
        nested += "{";
    nested += "x\\par";
    for (int i = 0; i < 201; ++i)
        nested += "}";
    std::string tooDeep = "{\\rtf1 ";
    for (int i = 0; i < 300; ++i)
        tooDeep += "{";
    tooDeep += "x";
    for (int i = 0; i < 301; ++i)
        tooDeep += "}";
    std::string manyGroups = "{\\rtf1 ";
    for (int i = 0; i < 200'000; ++i)
        manyGroups += "{}";
    manyGroups += "x}";

    const Case cases[] = {
        {"not RTF at all", "hello", std::nullopt},
        {"only the opening", "{\\rtf", std::nullopt},
        {"unterminated group", "{\\rtf1 abc\\par", std::nullopt},
        {"unterminated inner group", "{\\rtf1 {\\b abc}\\par", std::nullopt},
        {"a million open braces", "{\\rtf1" + deep, std::nullopt},
        {"nesting that real documents use", nested, Lines{"x"}},
        {"nesting past the limit", tooDeep, std::nullopt},
        {"many sibling groups", manyGroups, Lines{"x"}},
        {"backslash at the end", "{\\rtf1 a\\", std::nullopt},
        {"hex escape cut short", "{\\rtf1 a\\'4", std::nullopt},
        {"hex escape broken", rtf("a\\'4zb\\'\\par"), Lines{"azb"}},
        {"huge number", rtf("\\fs99999999999999999999999999999 x\\par"), Lines{"x"}},
        {"huge negative number", rtf("\\li-99999999999999999999999 x\\par"), Lines{"x"}},
        {"huge Unicode", rtf("\\u99999999999999999999?x\\par"), Lines{"?x"}},
        {"huge fallback count", rtf("\\uc99999999999\\u1040 abc}d\\par"),
         Lines{cp("А"), "d\\par}"}},
        {"huge binary count", rtf("\\bin99999999999999999 x"), std::nullopt},
        {"binary count past the end", rtf("\\bin10 x"), std::nullopt},
        {"negative binary count", rtf("a\\bin-5 b\\par"), Lines{"ab"}},
        {"endless control word", rtf(std::string(100'000, 'a').insert(0, "\\") + " x\\par"),
         Lines{"x"}},
        {"endless digits", rtf("\\fs" + std::string(100'000, '9') + " x\\par"), Lines{"x"}},
        {"closing brace first", "{\\rtf1}}}}", Lines{"}}}"}},
        {"NUL bytes", rtf(std::string("a\0b\\par", 7)), Lines{std::string("a\0b", 3)}},
        {"many fonts",
         [] {
             std::string d = "{\\rtf1\\ansicpg1252{\\fonttbl";
             for (int i = 0; i < 10'000; ++i)
                 d += "{\\f" + std::to_string(i) + "\\fcharset204 F;}";
             return d + "}\\f4000\\'e0\\par}";
         }(),
         Lines{"\xE0"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readRtf(c.document), c.lines) << c.name;
}

TEST(RtfReader, MillionsOfParagraphsStayLinear)
{
    std::string doc = "{\\rtf1 ";
    for (int i = 0; i < 1'000'000; ++i)
        doc += "\\\n";
    doc += "}";
    const auto lines = readRtf(doc);
    ASSERT_TRUE(lines.has_value());
    EXPECT_EQ(lines->size(), 1'000'000u);
}
