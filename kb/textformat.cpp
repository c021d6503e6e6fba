#include "kb/textformat.h"

#include "kb/cp1251.h"
#include "kb/linestore.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>

namespace tovrin {

// ---- writing

namespace {

// Every line is one paragraph closed by \par; the text is kept to seven-bit characters so that
// the code page declared in the header alone decides how a word processor shows it.
constexpr std::string_view kRtfHeader = "{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049"
                                        "{\\fonttbl{\\f0\\fnil\\fcharset204 Arial;}}\r\n"
                                        "\\uc1\\pard\\plain\\f0\\fs20\\lang1049\r\n";
constexpr std::string_view kRtfParagraphEnd = "\\par\r\n";
constexpr std::string_view kRtfFooter = "}\r\n";

// What each byte of text becomes in the document. Every entry is padded to eight bytes, so
// that the writer copies one fixed-size block per byte and only advances by the real length.
struct EscapeTable {
    static constexpr std::size_t kSlot = 8;
    char text[256][kSlot] = {};
    unsigned char size[256] = {};

    constexpr EscapeTable()
    {
        constexpr char kHex[] = "0123456789abcdef";
        for (int b = 0; b < 256; ++b) {
            char* out = text[b];
            const char c = static_cast<char>(b);
            if (c == '\\' || c == '{' || c == '}') {
                out[0] = '\\';
                out[1] = c;
                size[b] = 2;
            } else if (c == '\t') {
                const std::string_view tab = "\\tab ";
                for (std::size_t i = 0; i < tab.size(); ++i)
                    out[i] = tab[i];
                size[b] = static_cast<unsigned char>(tab.size());
            } else if (b < 0x20 || b >= 0x7F) {
                out[0] = '\\';
                out[1] = '\'';
                out[2] = kHex[b >> 4];
                out[3] = kHex[b & 0x0F];
                size[b] = 4;
            } else {
                out[0] = c;
                size[b] = 1;
            }
        }
    }
};
constexpr EscapeTable kEscapes;

constexpr std::size_t kLongestEscape = [] {
    std::size_t longest = 0;
    for (const unsigned char size : kEscapes.size)
        longest = std::max<std::size_t>(longest, size);
    return longest;
}();

char* put(char* out, std::string_view text)
{
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

} // namespace

std::string writeRtf(const std::vector<std::string>& lines)
{
    // The exact size first, so that a knowledge file of many megabytes is built in one
    // allocation and filled without a check per byte.
    std::size_t size =
        kRtfHeader.size() + kRtfFooter.size() + lines.size() * kRtfParagraphEnd.size();
    for (const auto& line : lines)
        for (const char c : line)
            size += kEscapes.size[static_cast<unsigned char>(c)];

    std::string out;
    out.resize(size + EscapeTable::kSlot); // room for the padding of the last escape
    char* p = put(out.data(), kRtfHeader);
    for (const auto& line : lines) {
        for (const char c : line) {
            const auto b = static_cast<unsigned char>(c);
            std::memcpy(p, kEscapes.text[b], EscapeTable::kSlot);
            p += kEscapes.size[b];
        }
        p = put(p, kRtfParagraphEnd);
    }
    p = put(p, kRtfFooter);
    out.resize(size);
    return out;
}

namespace {

// A step of the pieces begins only while the piece is not full, and writes at most this much
// past it.
constexpr std::size_t kOvershoot = 32;

// The room of a save's pieces, kept for the thread's next save.
struct PieceRoom {
    std::unique_ptr<char[]> room;
    bool held = false;
};
thread_local PieceRoom tPieceRoom;

} // namespace

RtfPieces::~RtfPieces()
{
    if (holdsThreadRoom_)
        tPieceRoom.held = false;
}

std::string_view RtfPieces::next()
{
    if (!buffer_) {
        // A small list needs no more room than its whole document can take; a document that
        // fits it is then given whole, as one piece.
        std::size_t bound = kRtfHeader.size() + kRtfFooter.size();
        for (auto it = lines_.begin(); it != lines_.end() && bound < kPieceSize; ++it)
            bound += it->size() * kLongestEscape + kRtfParagraphEnd.size();
        line_ = lines_.begin();
        room_ = std::min(bound, kPieceSize);
        // The thread's room serves every save but one made while another is under way.
        if (!tPieceRoom.held) {
            if (!tPieceRoom.room)
                tPieceRoom.room = std::make_unique_for_overwrite<char[]>(kPieceSize + kOvershoot);
            tPieceRoom.held = holdsThreadRoom_ = true;
            buffer_ = tPieceRoom.room.get();
        } else {
            own_ = std::make_unique_for_overwrite<char[]>(room_ + kOvershoot);
            buffer_ = own_.get();
        }
    }
    char* const start = buffer_;
    if (carried_ != 0)
        std::memmove(start, start + given_, carried_);
    char* p = start + carried_;
    char* const full = start + room_;

    if (!headerWritten_) {
        p = put(p, kRtfHeader);
        headerWritten_ = true;
    }
    while (p < full && !footerWritten_) {
        if (line_ == lines_.end()) {
            p = put(p, kRtfFooter);
            footerWritten_ = true;
            break;
        }
        const std::string_view line = *line_;
        const char* s = line.data() + offset_;
        const char* const end = line.data() + line.size();
        while (s != end && p < full) {
            // As many bytes as surely fit, so that the inner loop has no check of the room.
            const auto fit = static_cast<std::size_t>(full - p) / kLongestEscape + 1;
            const char* const stop = s + std::min(fit, static_cast<std::size_t>(end - s));
            for (; s != stop; ++s) {
                const auto b = static_cast<unsigned char>(*s);
                std::memcpy(p, kEscapes.text[b], EscapeTable::kSlot);
                p += kEscapes.size[b];
            }
        }
        offset_ = static_cast<std::size_t>(s - line.data());
        if (s == end && p < full) {
            p = put(p, kRtfParagraphEnd);
            ++line_;
            offset_ = 0;
        }
    }

    const auto written = static_cast<std::size_t>(p - start);
    given_ = std::min(written, room_);
    carried_ = written - given_;
    return {start, given_};
}

// ---- reading

size_t rtfStart(std::string_view bytes)
{
    // A byte-order mark that an editor adds, and blanks or empty lines before the document,
    // belong to it: they are no line of text.
    size_t at = bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    while (at < bytes.size() &&
           (bytes[at] == ' ' || bytes[at] == '\t' || bytes[at] == '\r' || bytes[at] == '\n'))
        ++at;
    return bytes.substr(at).starts_with("{\\rtf") ? at : std::string_view::npos;
}

bool looksLikeRtf(std::string_view bytes) { return rtfStart(bytes) != std::string_view::npos; }

namespace {

// Limits that keep hostile documents cheap: groups nest no deeper than any real document
// does, and numbers saturate instead of overflowing.
constexpr size_t kMaxGroupDepth = 256;
constexpr size_t kMaxKeywordLength = 32;
constexpr int64_t kMaxParameter = 2'000'000'000;
constexpr int kMaxFallbackLength = 255;
constexpr size_t kMaxFonts = 4096;

constexpr int kCharsetAnsi = 0;
constexpr int kCodePageCyrillic = 1251;
constexpr int kCodePageWestern = 1252;

// Windows-1252 0x80..0x9F; the rest of its upper half is U+00A0..U+00FF. 0 is unassigned.
constexpr char32_t kWestern80[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

char westernToCyrillic(unsigned char byte)
{
    const char32_t ch = byte < 0x80 ? byte : byte < 0xA0 ? kWestern80[byte - 0x80] : byte;
    const int out = ch == 0 ? -1 : cp1251::fromUnicode(ch);
    return out < 0 ? '?' : static_cast<char>(out);
}

// Destinations whose text is not part of the document's body.
constexpr std::string_view kSkippedDestinations[] = {
    "annotation", "author",
    "buptim",     "colortbl",
    "comment",    "creatim",
    "doccomm",    "falt",
    "filetbl",    "fldinst",
    "footer",     "footerf",
    "footerl",    "footerr",
    "footnote",   "header",
    "headerf",    "headerl",
    "headerr",    "info",
    "keywords",   "listoverridetable",
    "listtable",  "listtext",
    "nonshppict", "object",
    "operator",   "pict",
    "pntext",     "pntxta",
    "pntxtb",     "printim",
    "revtbl",     "revtim",
    "rsidtbl",    "stylesheet",
    "subject",    "tc",
    "template",   "title",
    "txe",        "xe",
};

bool isSkippedDestination(std::string_view word)
{
    return std::find(std::begin(kSkippedDestinations), std::end(kSkippedDestinations), word) !=
        std::end(kSkippedDestinations);
}

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Hex digit values, -1 for any other byte; and the bytes that end a run of plain text.
struct ByteClasses {
    signed char hex[256] = {};
    bool special[256] = {};

    constexpr ByteClasses()
    {
        for (int b = 0; b < 256; ++b)
            hex[b] = b >= '0' && b <= '9' ? static_cast<signed char>(b - '0')
                : b >= 'a' && b <= 'f'    ? static_cast<signed char>(b - 'a' + 10)
                : b >= 'A' && b <= 'F'    ? static_cast<signed char>(b - 'A' + 10)
                                          : -1;
        for (const unsigned char c : {'\\', '{', '}', '\r', '\n'})
            special[c] = true;
    }
};
constexpr ByteClasses kBytes;

int hexValue(char c) { return kBytes.hex[static_cast<unsigned char>(c)]; }

// Two hex digits, the first in the low byte of the index: the byte they give, or -1.
struct HexPairs {
    short value[65536] = {};

    constexpr HexPairs()
    {
        for (int first = 0; first < 256; ++first)
            for (int second = 0; second < 256; ++second) {
                const int high = kBytes.hex[first];
                const int low = kBytes.hex[second];
                value[first | second << 8] =
                    static_cast<short>(high < 0 || low < 0 ? -1 : high * 16 + low);
            }
    }
};
constexpr HexPairs kHexPairs;

int hexPair(std::uint64_t digits) { return kHexPairs.value[digits & 0xFFFF]; }

// Eight bytes of a document, the first in the low byte.
std::uint64_t eightBytes(const char* p)
{
    std::uint64_t bytes = 0;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&bytes, p, sizeof bytes);
    } else {
        for (int i = 7; i >= 0; --i)
            bytes = bytes << 8 | static_cast<unsigned char>(p[i]);
    }
    return bytes;
}

// "\'" as the first two bytes of eightBytes(), once and twice four bytes apart.
constexpr std::uint64_t kEscapeStart = '\\' | '\'' << 8;
constexpr std::uint64_t kEscapeStartMask = 0xFFFF;
constexpr std::uint64_t kTwoEscapeStarts = kEscapeStart | kEscapeStart << 32;
constexpr std::uint64_t kTwoEscapeStartsMask = kEscapeStartMask | kEscapeStartMask << 32;

// Reads a document in place: the text of each line is written over the document's own bytes
// from the start, and goes to the lines when the line ends. Text never takes more bytes than
// the part of the document it comes from (each byte of it costs at least one), so the writing
// never overtakes the reading and needs no room of its own.
class RtfReader {
public:
    RtfReader(char* document, std::size_t size, LineStore& out) :
        in_(document, size),
        begin_(document),
        end_(document + size),
        out_(out),
        cursor_(document)
    {
        // The lines never take more room than the document: each costs it at least as many
        // bytes as its text and its length take.
        out_.reserve(0, size);
    }

    // False when the document cannot be read.
    bool read()
    {
        while (pos_ < in_.size()) {
            if (!state_.skip && fallback_ == 0 && !westernFont()) {
                plainText();
                if (pos_ >= in_.size())
                    break;
            }
            const char c = in_[pos_];
            if (c == '{') {
                if (stack_.size() >= kMaxGroupDepth)
                    return false;
                stack_.push_back(state_);
                fallback_ = 0;
                ++pos_;
            } else if (c == '}') {
                if (stack_.empty())
                    return false;
                state_ = stack_.back();
                stack_.pop_back();
                fontChanged();
                fallback_ = 0;
                ++pos_;
                if (stack_.empty())
                    return finish();
            } else if (c == '\\') {
                if (!controlSequence())
                    return false;
            } else {
                if (c != '\r' && c != '\n') // raw line breaks only lay out the source
                    codeByte(static_cast<unsigned char>(c));
                ++pos_;
            }
        }
        return false; // the document never closed: cut short
    }

private:
    struct GroupState {
        bool skip = false; // inside a destination whose text is not shown
        bool fontTable = false; // inside \fonttbl, where \fN names the font being described
        int uc = 1; // characters standing in for each \uN
        int font = -1; // -1: the document's default font
    };

    bool finish()
    {
        // The paragraph after the last \par counts only when it holds text: what Save writes
        // ends every line with \par, and a word processor adds no empty line of its own.
        if (cursor_ != lineStart())
            endLine();
        trailingLines();
        return true;
    }

    // Lines added by hand after the document's closing brace are kept, read as plain text
    // reads them: a save would otherwise drop them unseen. Line breaks directly after the brace
    // and a tail of nothing but blanks and NULs (as some writers leave) give no line.
    void trailingLines()
    {
        const char* p = in_.data() + pos_;
        const char* const end = in_.data() + in_.size();
        while (p != end && (*p == '\r' || *p == '\n'))
            ++p;
        const auto blank = [](char c) {
            return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0' || c == '\x1a';
        };
        if (std::all_of(p, end, blank))
            return;
        // The text moves down to where the document's text ends, never past where it is read.
        char* out = cursor_;
        while (p != end) {
            const char c = *p++;
            if (c != '\r' && c != '\n') {
                *out++ = c;
                continue;
            }
            if (c == '\r' && p != end && *p == '\n')
                ++p;
            cursor_ = out;
            endLine();
            out = cursor_;
        }
        cursor_ = out;
        if (cursor_ != lineStart())
            endLine();
        pos_ = in_.size();
    }

    // Every line is written from the start of the document, which is read past it by then.
    const char* lineStart() const { return begin_; }
    void endLine()
    {
        out_.push_back({begin_, static_cast<std::size_t>(cursor_ - begin_)});
        cursor_ = begin_;
    }

    // A byte of text outside the body's fast path. The check keeps a mistake in the reckoning
    // above from ever writing past the document.
    void put(char c)
    {
        if (cursor_ != end_)
            *cursor_++ = c;
    }

    // The body of the document, where nearly all of its bytes are: text, \'hh escapes, raw
    // line breaks and bare \par, taken while no fallback characters are pending, the text is
    // shown, and the font's code page is Windows-1251 (its bytes are taken as they are).
    // Stops at anything else, which read() then handles.
    void plainText()
    {
        const char* p = in_.data() + pos_;
        const char* const end = in_.data() + in_.size();
        // Before this a step may read eight bytes without a check.
        const char* const wide = in_.size() >= 8 ? end - 7 : in_.data();
        char* out = cursor_;
        char* lineBegin = out;
        for (;;) {
            // Each step takes at least as many bytes of the document as it gives text.
            while (p < wide) {
                const std::uint64_t bytes = eightBytes(p);
                if ((bytes & kTwoEscapeStartsMask) == kTwoEscapeStarts) {
                    const int first = hexPair(bytes >> 16);
                    const int second = hexPair(bytes >> 48);
                    if ((first | second) >= 0) {
                        out[0] = static_cast<char>(first);
                        out[1] = static_cast<char>(second);
                        out += 2;
                        p += 8;
                        continue;
                    }
                }
                if ((bytes & kEscapeStartMask) == kEscapeStart) {
                    const int byte = hexPair(bytes >> 16);
                    if (byte >= 0) {
                        *out++ = static_cast<char>(byte);
                        p += 4;
                        continue;
                    }
                }
                const auto c = static_cast<unsigned char>(*p);
                if (kBytes.special[c])
                    break;
                *out++ = static_cast<char>(c);
                ++p;
            }
            if (p == end)
                break;
            const auto c = static_cast<unsigned char>(*p);
            if (!kBytes.special[c]) {
                *out++ = static_cast<char>(c);
                ++p;
            } else if (c == '\r' || c == '\n') { // raw line breaks only lay out the source
                ++p;
            } else if (c == '\\' && end - p >= 4 && p[1] == '\'' &&
                       (hexValue(p[2]) | hexValue(p[3])) >= 0) {
                *out++ = static_cast<char>(hexValue(p[2]) * 16 + hexValue(p[3]));
                p += 4;
            } else if (c == '\\' && end - p >= 5 && std::string_view(p + 1, 3) == "par" &&
                       kBytes.special[static_cast<unsigned char>(p[4])]) {
                // \par with neither parameter nor space after it, as Save writes it.
                cursor_ = out;
                paragraph();
                out = cursor_;
                lineBegin = out;
                p += 4;
            } else {
                break;
            }
        }
        if (out != lineBegin)
            highSurrogate_ = false; // text was taken since the last paragraph
        cursor_ = out;
        pos_ = static_cast<std::size_t>(p - in_.data());
    }

    // Consumes one of the fallback characters that follow \uN; true when the character at
    // hand was one of them and is to be dropped.
    bool consumedAsFallback()
    {
        if (fallback_ == 0)
            return false;
        --fallback_;
        return true;
    }

    void text(char c)
    {
        if (consumedAsFallback() || state_.skip)
            return;
        highSurrogate_ = false;
        put(c);
    }

    // A byte of text in the code page of the current font: a Cyrillic font, or a document
    // in Windows-1251 (declared or not), gives it as it is; a Western one is converted.
    void codeByte(unsigned char byte)
    {
        if (byte >= 0x80 && westernFont())
            text(westernToCyrillic(byte));
        else
            text(static_cast<char>(byte));
    }

    // True when the current font's code page is Windows-1252. Worked out again only after
    // something it depends on changed.
    bool westernFont()
    {
        if (western_ == Unknown) {
            const int font = state_.font >= 0 ? state_.font : defaultFont_;
            const auto it = fontCharsets_.find(font);
            const int charset = it == fontCharsets_.end() ? kCharsetAnsi : it->second;
            // The ANSI character set means the document's own code page; the other character
            // sets are not told apart from Windows-1251.
            western_ = charset == kCharsetAnsi && documentCodePage_ == kCodePageWestern ? Yes : No;
        }
        return western_ == Yes;
    }
    void fontChanged() { western_ = Unknown; }

    void paragraph()
    {
        fallback_ = 0;
        if (state_.skip)
            return;
        highSurrogate_ = false;
        endLine();
    }

    void unicode(int64_t n)
    {
        if (!state_.skip) {
            if (n < 0)
                n += 65536;
            if (n >= 0xD800 && n <= 0xDBFF) {
                // Half of a character beyond the code page: one "?" for the pair.
                put('?');
                highSurrogate_ = true;
            } else if (n >= 0xDC00 && n <= 0xDFFF) {
                if (!highSurrogate_)
                    put('?');
                highSurrogate_ = false;
            } else {
                const int byte =
                    n >= 0 && n <= 0x10FFFF ? cp1251::fromUnicode(static_cast<char32_t>(n)) : -1;
                put(byte < 0 ? '?' : static_cast<char>(byte));
                highSurrogate_ = false;
            }
        }
        fallback_ = state_.uc;
    }

    // At a backslash. False when the document ends inside the sequence.
    bool controlSequence()
    {
        ++pos_;
        if (pos_ >= in_.size())
            return false;
        const char c = in_[pos_];
        if (isLetter(c))
            return controlWord();
        ++pos_;
        switch (c) {
        case '\'': {
            int value = 0;
            int digits = 0;
            while (digits < 2 && pos_ < in_.size() && hexValue(in_[pos_]) >= 0) {
                value = value * 16 + hexValue(in_[pos_]);
                ++digits;
                ++pos_;
            }
            if (digits == 2)
                codeByte(static_cast<unsigned char>(value));
            else
                consumedAsFallback(); // a broken escape gives nothing
            return true;
        }
        case '\\':
        case '{':
        case '}': text(c); return true;
        case '~': text('\xA0'); return true;
        case '_': text('-'); return true;
        case '*':
            state_.skip = true; // no destination marked ignorable carries text we show
            return true;
        case '\r':
        case '\n': paragraph(); return true;
        default: // \- \: \| and the unknown symbols show nothing
            consumedAsFallback();
            return true;
        }
    }

    void font(int number)
    {
        if (state_.fontTable)
            describedFont_ = number;
        else
            state_.font = number;
        fontChanged();
    }

    void fontCharset(int charset)
    {
        if (!state_.fontTable)
            return;
        if (fontCharsets_.size() < kMaxFonts || fontCharsets_.contains(describedFont_))
            fontCharsets_[describedFont_] = charset;
        fontChanged();
    }

    bool controlWord()
    {
        const size_t start = pos_;
        while (pos_ < in_.size() && isLetter(in_[pos_]))
            ++pos_;
        const std::string_view word = pos_ - start <= kMaxKeywordLength
            ? in_.substr(start, pos_ - start)
            : std::string_view();

        bool negative = false;
        if (pos_ + 1 < in_.size() && in_[pos_] == '-' && isDigit(in_[pos_ + 1])) {
            negative = true;
            ++pos_;
        }
        bool hasParameter = false;
        int64_t parameter = 0;
        while (pos_ < in_.size() && isDigit(in_[pos_])) {
            hasParameter = true;
            parameter = std::min(kMaxParameter, parameter * 10 + (in_[pos_] - '0'));
            ++pos_;
        }
        if (negative)
            parameter = -parameter;
        if (pos_ < in_.size() && in_[pos_] == ' ')
            ++pos_;

        if (word == "bin") {
            // Binary data: its bytes are not RTF. A count past the end cuts the document short.
            const uint64_t count =
                hasParameter && parameter > 0 ? static_cast<uint64_t>(parameter) : 0;
            if (count > in_.size() - pos_)
                return false;
            pos_ += count;
            consumedAsFallback();
            return true;
        }
        if (word == "par" || word == "line" || word == "row") {
            // A line break inside a paragraph ends the line just as a paragraph does: a list
            // line can hold no line break of its own.
            paragraph();
            return true;
        }
        if (consumedAsFallback())
            return true;

        if (word == "tab" || word == "cell")
            text('\t');
        else if (word == "u" && hasParameter)
            unicode(parameter);
        else if (word == "uc")
            state_.uc = static_cast<int>(
                std::clamp<int64_t>(hasParameter ? parameter : 1, 0, kMaxFallbackLength));
        else if (word == "emdash")
            text('\x97');
        else if (word == "endash")
            text('\x96');
        else if (word == "lquote")
            text('\x91');
        else if (word == "rquote")
            text('\x92');
        else if (word == "ldblquote")
            text('\x93');
        else if (word == "rdblquote")
            text('\x94');
        else if (word == "bullet")
            text('\x95');
        else if (word == "emspace" || word == "enspace" || word == "qmspace")
            text(' ');
        else if (word == "f")
            font(static_cast<int>(parameter));
        else if (word == "fcharset")
            fontCharset(static_cast<int>(parameter));
        else if (word == "deff")
            setFontInput(defaultFont_, static_cast<int>(parameter));
        else if (word == "plain")
            setFontInput(state_.font, -1);
        else if (word == "ansicpg")
            setFontInput(documentCodePage_, static_cast<int>(parameter));
        else if (word == "fonttbl")
            state_.skip = state_.fontTable = true;
        else if (isSkippedDestination(word))
            state_.skip = true;
        return true;
    }

    void setFontInput(int& input, int value)
    {
        input = value;
        fontChanged();
    }

    std::string_view in_;
    size_t pos_ = 0;
    std::vector<GroupState> stack_;
    GroupState state_;
    int fallback_ = 0; // fallback characters of the last \uN still to be skipped
    bool highSurrogate_ = false;
    int documentCodePage_ = kCodePageCyrillic;
    enum { Unknown, Yes, No } western_ = Unknown; // whether the current font is Windows-1252
    int defaultFont_ = 0;
    int describedFont_ = 0;
    std::map<int, int> fontCharsets_; // font number to character set
    char* const begin_;
    char* const end_;
    LineStore& out_;
    char* cursor_; // where the next byte of text goes
};

} // namespace

bool readRtfInPlace(char* document, std::size_t size, LineStore& lines)
{
    lines.clear();
    const size_t start = rtfStart({document, size});
    if (start == std::string_view::npos)
        return false;
    return RtfReader(document + start, size - start, lines).read();
}

bool readRtf(std::string document, LineStore& lines)
{
    const size_t start = rtfStart(document);
    if (start == std::string_view::npos)
        return false;
    LineStore read;
    if (!RtfReader(document.data() + start, document.size() - start, read).read())
        return false;
    // The room taken for the lines while reading was the document's size: once the document is
    // gone, the lines keep only what they need.
    document = std::string();
    read.shrinkToFit();
    lines = std::move(read);
    return true;
}

std::optional<std::vector<std::string>> readRtf(std::string_view bytes)
{
    LineStore lines;
    if (!readRtf(std::string(bytes), lines))
        return std::nullopt;
    return lines.toVector();
}

bool readRtf(std::string document, std::vector<std::string>& lines)
{
    LineStore read;
    if (!readRtf(std::move(document), read))
        return false;
    lines = read.toVector();
    return true;
}

void readPlain(std::string_view bytes, LineStore& lines)
{
    // The lines are counted first, so that the list takes the room it needs and no more
    // (beyond what it already had).
    size_t breaks = 0;
    for (const char c : bytes)
        breaks += c == '\n' || c == '\r';
    lines.clear();
    lines.reserve(breaks + 1, bytes.size() - breaks);

    size_t start = 0;
    size_t i = 0;
    while (i < bytes.size()) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        lines.push_back(bytes.substr(start, i - start));
        i += (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ? 2 : 1;
        start = i;
    }
    if (start < bytes.size())
        lines.push_back(bytes.substr(start));
}

std::vector<std::string> readPlain(std::string_view bytes)
{
    LineStore lines;
    readPlain(bytes, lines);
    return lines.toVector();
}

} // namespace tovrin
