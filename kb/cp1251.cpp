#include "kb/cp1251.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>

namespace tovrin::cp1251 {

namespace {

constexpr char32_t kUnassigned = 0xFFFD;

// 0x80..0xFF; 0xC0..0xFF are the contiguous А..я and are computed.
constexpr std::array<char32_t, 64> kHigh = {
    0x0402,      0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x20AC,      0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88
    0x0452,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    kUnassigned, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98
    0x00A0,      0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0
    0x0401,      0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8
    0x00B0,      0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0
    0x0451,      0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8
};

using Pair = std::pair<char32_t, unsigned char>;

// The characters of 0x80..0xBF sorted by code point, for the way back.
const std::array<Pair, 63>& reverseTable()
{
    static const std::array<Pair, 63> table = [] {
        std::array<Pair, 63> t{};
        size_t n = 0;
        for (unsigned b = 0x80; b < 0xC0; ++b)
            if (kHigh[b - 0x80] != kUnassigned)
                t[n++] = {kHigh[b - 0x80], static_cast<unsigned char>(b)};
        std::sort(t.begin(), t.end());
        return t;
    }();
    return table;
}

// The capital of every small letter of the code page, as a full byte table.
const std::array<unsigned char, 256>& upperTable()
{
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (unsigned b = 0; b < 256; ++b)
            t[b] = static_cast<unsigned char>(b);
        for (unsigned b = 'a'; b <= 'z'; ++b)
            t[b] = static_cast<unsigned char>(b - 'a' + 'A');
        for (unsigned b = 0xE0; b <= 0xFF; ++b) // а..я
            t[b] = static_cast<unsigned char>(b - 0x20);
        // The letters outside the contiguous block: ђ ѓ љ њ ќ ћ џ ў ј ґ ё є і ѕ ї.
        constexpr std::pair<unsigned char, unsigned char> pairs[] = {
            {0x90, 0x80}, {0x83, 0x81}, {0x9A, 0x8A}, {0x9C, 0x8C}, {0x9D, 0x8D},
            {0x9E, 0x8E}, {0x9F, 0x8F}, {0xA2, 0xA1}, {0xBC, 0xA3}, {0xB4, 0xA5},
            {0xB8, 0xA8}, {0xBA, 0xAA}, {0xB3, 0xB2}, {0xBE, 0xBD}, {0xBF, 0xAF},
        };
        for (const auto& [small, capital] : pairs)
            t[small] = capital;
        return t;
    }();
    return table;
}

void appendUtf8(std::string& out, char32_t ch)
{
    if (ch < 0x80) {
        out += static_cast<char>(ch);
    } else if (ch < 0x800) {
        out += static_cast<char>(0xC0 | (ch >> 6));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (ch >> 12));
        out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    }
}

} // namespace

char32_t toUnicode(unsigned char byte)
{
    if (byte < 0x80)
        return byte;
    if (byte >= 0xC0)
        return 0x0410 + (byte - 0xC0);
    return kHigh[byte - 0x80];
}

int fromUnicode(char32_t ch)
{
    if (ch < 0x80)
        return static_cast<int>(ch);
    if (ch >= 0x0410 && ch <= 0x044F)
        return static_cast<int>(ch - 0x0410 + 0xC0);
    const auto& table = reverseTable();
    const auto it = std::lower_bound(table.begin(), table.end(), Pair{ch, 0});
    if (it != table.end() && it->first == ch)
        return it->second;
    return -1;
}

std::string toUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size() * 2);
    for (const char c : text)
        appendUtf8(out, toUnicode(static_cast<unsigned char>(c)));
    return out;
}

namespace {

// Each character of UTF-8 text in turn: fn(ch) for a well-formed one, fn(kBroken) for each
// maximal broken piece (overlong forms, surrogates and values past U+10FFFF are refused).
constexpr char32_t kBroken = 0xFFFFFFFF;

template <typename Fn>
void forEachCharacter(std::string_view utf8, Fn fn)
{
    const size_t n = utf8.size();
    size_t i = 0;
    auto byteAt = [&](size_t k) { return static_cast<unsigned char>(utf8[k]); };
    while (i < n) {
        const unsigned char lead = byteAt(i);
        if (lead < 0x80) {
            fn(static_cast<char32_t>(lead));
            ++i;
            continue;
        }
        // The length of the sequence and the range its second byte must fall in.
        size_t length = 0;
        unsigned char lo = 0x80, hi = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0)
                lo = 0xA0;
            else if (lead == 0xED)
                hi = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0)
                lo = 0x90;
            else if (lead == 0xF4)
                hi = 0x8F;
        }
        if (length == 0) {
            fn(kBroken);
            ++i;
            continue;
        }
        char32_t ch = lead & (0xFF >> (length + 1));
        size_t k = 1;
        for (; k < length && i + k < n; ++k) {
            const unsigned char b = byteAt(i + k);
            if (b < (k == 1 ? lo : 0x80) || b > (k == 1 ? hi : 0xBF))
                break;
            ch = (ch << 6) | (b & 0x3F);
        }
        // One mark for a broken piece; the byte that broke it starts afresh.
        fn(k < length ? kBroken : ch);
        i += k;
    }
}

struct Range {
    char32_t first;
    char32_t last;
};

template <std::size_t N>
bool within(char32_t ch, const Range (&ranges)[N])
{
    return std::any_of(std::begin(ranges), std::end(ranges),
                       [ch](const Range& r) { return ch >= r.first && ch <= r.last; });
}

// The smiling faces, written ")" as a smile is typed; the sad and crying ones, "(".
constexpr Range kSmiles[] = {
    {0x263A, 0x263B},   {0x1F600, 0x1F60F}, {0x1F617, 0x1F61D}, {0x1F638, 0x1F63D},
    {0x1F642, 0x1F643}, {0x1F911, 0x1F911}, {0x1F913, 0x1F913}, {0x1F917, 0x1F917},
    {0x1F920, 0x1F920}, {0x1F923, 0x1F923}, {0x1F929, 0x1F92A}, {0x1F92D, 0x1F92D},
    {0x1F970, 0x1F970}, {0x1F972, 0x1F973},
};
constexpr Range kSadFaces[] = {
    {0x2639, 0x2639},   {0x1F612, 0x1F616}, {0x1F61E, 0x1F61F}, {0x1F622, 0x1F623},
    {0x1F625, 0x1F627}, {0x1F629, 0x1F629}, {0x1F62B, 0x1F62B}, {0x1F62D, 0x1F62D},
    {0x1F630, 0x1F630}, {0x1F63F, 0x1F641}, {0x1F979, 0x1F97A},
};
// Pictographs, emoji and the symbols and invisible marks that go with them: typed text loses
// them rather than take them in as "?".
constexpr Range kDropped[] = {
    {0x0300, 0x036F}, // combining accents (a stress mark over a vowel)
    {0x200B, 0x200F}, // zero-width spaces and joiners, direction marks
    {0x2060, 0x2064}, // word joiner and invisible operators
    {0x20D0, 0x20FF}, // combining marks for symbols (the keycap)
    {0x2100, 0x21FF}, // letter-like symbols and arrows (№ and ™ are in the code page)
    {0x2300, 0x23FF}, // technical symbols (watch, hourglass)
    {0x2460, 0x27BF}, // enclosed signs, box drawing, shapes, the symbols and dingbats
    {0x2900, 0x297F}, // arrows
    {0x2B00, 0x2BFF}, // arrows, stars and shapes
    {0x3030, 0x3030},   {0x303D, 0x303D}, {0x3297, 0x3297},
    {0x3299, 0x3299},   {0xFE00, 0xFE0F}, // variation selectors (emoji or text form)
    {0xFEFF, 0xFEFF}, // a byte-order mark inside the text
    {0x1F000, 0x1FBFF}, // the emoji planes' pictographs, flags and skin tones
    {0xE0000, 0xE007F}, // tag characters (flags of regions)
    {0xE0100, 0xE01EF}, // variation selectors
};

} // namespace

std::string fromUtf8(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    forEachCharacter(utf8, [&](char32_t ch) {
        const int byte = ch == kBroken ? -1 : fromUnicode(ch);
        out += byte < 0 ? '?' : static_cast<char>(byte);
    });
    return out;
}

std::string fromTyped(std::string_view utf8, std::size_t limit)
{
    std::string out;
    out.reserve(utf8.size());
    std::size_t units = 0; // as the input line counts: two for a character past U+FFFF
    std::size_t kept = 0; // out's length up to its last character that is not a space
    bool dropping = false; // a symbol after a space was just dropped: spaces after it go too
    bool full = false;
    forEachCharacter(utf8, [&](char32_t ch) {
        if (full)
            return;
        units += ch != kBroken && ch > 0xFFFF ? 2 : 1;
        if (units > limit) {
            full = true;
            return;
        }
        const int byte = ch == kBroken ? -1 : fromUnicode(ch);
        if (byte >= 0) {
            if (byte == ' ' && dropping)
                return;
            dropping = false;
            out += static_cast<char>(byte);
            if (byte != ' ')
                kept = out.size();
            return;
        }
        const bool smile = within(ch, kSmiles);
        if (smile || within(ch, kSadFaces)) {
            // Written on to the word before it, as "привет)" is typed.
            if (kept > 0 && out[kept - 1] != ' ')
                out.resize(kept);
            out += smile ? ')' : '(';
            kept = out.size();
            dropping = false;
            return;
        }
        if (ch != kBroken && within(ch, kDropped)) {
            // Standing after a space (or first), it takes the spaces after it along.
            dropping = dropping || out.empty() || out.back() == ' ';
            return;
        }
        dropping = false;
        out += '?';
        kept = out.size();
    });
    // Spaces left at the end only by symbols dropped after them go as well.
    if (dropping)
        out.resize(kept);
    return out;
}

char upper(char c) { return static_cast<char>(upperTable()[static_cast<unsigned char>(c)]); }

std::string upper(std::string_view text)
{
    const auto& table = upperTable();
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(table[static_cast<unsigned char>(c)]);
    return out;
}

bool isLetterOrDigit(char c)
{
    // Every letter of the code page has a case: it is a small letter or the capital of one.
    static const std::array<bool, 256> letters = [] {
        std::array<bool, 256> t{};
        const auto& up = upperTable();
        for (unsigned b = 0; b < 256; ++b)
            if (up[b] != b) {
                t[b] = true;
                t[up[b]] = true;
            }
        for (unsigned b = '0'; b <= '9'; ++b)
            t[b] = true;
        return t;
    }();
    return letters[static_cast<unsigned char>(c)];
}

bool isControl(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return (b < 0x20 && c != '\t') || b == 0x7F;
}

std::string withoutControls(std::string text)
{
    for (char& c : text)
        if (isControl(c))
            c = ' ';
    return text;
}

std::string visibleControls(std::string_view text)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (!isControl(c)) {
            out += c;
            continue;
        }
        const auto b = static_cast<unsigned char>(c);
        out += "\\x";
        out += digits[b >> 4];
        out += digits[b & 0xF];
    }
    return out;
}

} // namespace tovrin::cp1251
