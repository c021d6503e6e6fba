#include "kb/textformat.h"

#include "kb/cp1251.h"

#include <algorithm>
#include <cstdint>
#include <map>

namespace tovrin {

// ---- writing

namespace {

// Every line is one paragraph closed by \par; the text is kept to seven-bit characters so that
// the code page declared in the header alone decides how a word processor shows it.
constexpr std::string_view kRtfHeader =
    "{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049"
    "{\\fonttbl{\\f0\\fnil\\fcharset204 Arial;}}\r\n"
    "\\uc1\\pard\\plain\\f0\\fs20\\lang1049\r\n";
constexpr std::string_view kRtfParagraphEnd = "\\par\r\n";
constexpr std::string_view kRtfFooter = "}\r\n";

bool needsHexEscape(unsigned char c) { return c < 0x20 || c >= 0x7F; }

size_t escapedSize(unsigned char c)
{
    if (c == '\\' || c == '{' || c == '}')
        return 2;
    if (c == '\t')
        return 5; // "\tab "
    return needsHexEscape(c) ? 4 : 1;
}

void appendEscaped(std::string& out, unsigned char c)
{
    static constexpr char kHex[] = "0123456789abcdef";
    if (c == '\\' || c == '{' || c == '}') {
        out += '\\';
        out += static_cast<char>(c);
    } else if (c == '\t') {
        out += "\\tab ";
    } else if (needsHexEscape(c)) {
        out += "\\'";
        out += kHex[c >> 4];
        out += kHex[c & 0x0F];
    } else {
        out += static_cast<char>(c);
    }
}

} // namespace

std::string writeRtf(const std::vector<std::string>& lines)
{
    // The exact size first, so that a knowledge file of many megabytes is built without
    // a single reallocation.
    size_t size = kRtfHeader.size() + kRtfFooter.size() + lines.size() * kRtfParagraphEnd.size();
    for (const auto& line : lines)
        for (const char c : line)
            size += escapedSize(static_cast<unsigned char>(c));

    std::string out;
    out.reserve(size);
    out += kRtfHeader;
    for (const auto& line : lines) {
        for (const char c : line)
            appendEscaped(out, static_cast<unsigned char>(c));
        out += kRtfParagraphEnd;
    }
    out += kRtfFooter;
    return out;
}

// ---- reading

bool looksLikeRtf(std::string_view bytes) { return bytes.starts_with("{\\rtf"); }

namespace {

// Limits that keep hostile documents cheap: groups nest no deeper than any real document
// does, and numbers saturate instead of overflowing.
constexpr size_t kMaxGroupDepth = 256;
constexpr size_t kMaxKeywordLength = 32;
constexpr int64_t kMaxParameter = 2'000'000'000;
constexpr int kMaxFallbackLength = 255;
constexpr size_t kMaxFonts = 4096;

constexpr int kCharsetAnsi = 0;
constexpr int kCharsetCyrillic = 204;
constexpr int kCodePageCyrillic = 1251;
constexpr int kCodePageWestern = 1252;

// Windows-1252 0x80..0x9F; the rest of its upper half is U+00A0..U+00FF. 0 is unassigned.
constexpr char32_t kWestern80[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

char westernToCyrillic(unsigned char byte)
{
    const char32_t ch = byte < 0x80 ? byte : byte < 0xA0 ? kWestern80[byte - 0x80] : byte;
    const int out = ch == 0 ? -1 : cp1251::fromUnicode(ch);
    return out < 0 ? '?' : static_cast<char>(out);
}

// Destinations whose text is not part of the document's body.
constexpr std::string_view kSkippedDestinations[] = {
    "annotation", "author",   "buptim",    "colortbl",  "comment",   "creatim",
    "doccomm",    "falt",     "filetbl",   "fldinst",   "footer",
    "footerf",    "footerl",  "footerr",   "footnote",  "header",    "headerf",
    "headerl",    "headerr",  "info",      "keywords",  "listoverridetable",
    "listtable",  "listtext", "nonshppict", "object",   "operator",  "pict",
    "pntext",     "pntxta",   "pntxtb",    "printim",   "revtbl",    "revtim",
    "rsidtbl",    "stylesheet", "subject", "tc",        "template",  "title",
    "txe",        "xe",
};

bool isSkippedDestination(std::string_view word)
{
    return std::find(std::begin(kSkippedDestinations), std::end(kSkippedDestinations), word) !=
           std::end(kSkippedDestinations);
}

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

class RtfReader {
public:
    explicit RtfReader(std::string_view in) : in_(in) {}

    std::optional<std::vector<std::string>> read()
    {
        while (pos_ < in_.size()) {
            const char c = in_[pos_];
            if (c == '{') {
                if (stack_.size() >= kMaxGroupDepth)
                    return std::nullopt;
                stack_.push_back(state_);
                fallback_ = 0;
                ++pos_;
            } else if (c == '}') {
                if (stack_.empty())
                    return std::nullopt;
                state_ = stack_.back();
                stack_.pop_back();
                fallback_ = 0;
                ++pos_;
                if (stack_.empty())
                    return finish(); // whatever follows the document is not part of it
            } else if (c == '\\') {
                if (!controlSequence())
                    return std::nullopt;
            } else {
                if (c != '\r' && c != '\n') // raw line breaks only lay out the source
                    codeByte(static_cast<unsigned char>(c));
                ++pos_;
            }
        }
        return std::nullopt; // the document never closed: cut short
    }

private:
    struct GroupState {
        bool skip = false;      // inside a destination whose text is not shown
        bool fontTable = false; // inside \fonttbl, where \fN names the font being described
        int uc = 1;             // characters standing in for each \uN
        int font = -1;          // -1: the document's default font
    };

    std::optional<std::vector<std::string>> finish()
    {
        // The paragraph after the last \par counts only when it holds text: what Save writes
        // ends every line with \par, and a word processor adds no empty line of its own.
        if (!line_.empty())
            lines_.push_back(std::move(line_));
        return std::move(lines_);
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
        line_ += c;
    }

    // A byte of text in the code page of the current font: a Cyrillic font, or a document
    // in Windows-1251 (declared or not), gives it as it is; a Western one is converted.
    void codeByte(unsigned char byte)
    {
        if (byte >= 0x80 && codePage() == kCodePageWestern)
            text(westernToCyrillic(byte));
        else
            text(static_cast<char>(byte));
    }

    int codePage() const
    {
        const int font = state_.font >= 0 ? state_.font : defaultFont_;
        const auto it = fontCharsets_.find(font);
        const int charset = it == fontCharsets_.end() ? kCharsetAnsi : it->second;
        if (charset == kCharsetCyrillic)
            return kCodePageCyrillic;
        // The ANSI character set means the document's own code page; the other character
        // sets are not told apart from Windows-1251.
        return charset == kCharsetAnsi ? documentCodePage_ : kCodePageCyrillic;
    }

    void paragraph()
    {
        fallback_ = 0;
        if (state_.skip)
            return;
        highSurrogate_ = false;
        lines_.push_back(std::move(line_));
        line_.clear();
    }

    void unicode(int64_t n)
    {
        if (!state_.skip) {
            if (n < 0)
                n += 65536;
            if (n >= 0xD800 && n <= 0xDBFF) {
                // Half of a character beyond the code page: one "?" for the pair.
                line_ += '?';
                highSurrogate_ = true;
            } else if (n >= 0xDC00 && n <= 0xDFFF) {
                if (!highSurrogate_)
                    line_ += '?';
                highSurrogate_ = false;
            } else {
                const int byte = n >= 0 && n <= 0x10FFFF ? cp1251::fromUnicode(static_cast<char32_t>(n)) : -1;
                line_ += byte < 0 ? '?' : static_cast<char>(byte);
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
        case '}':
            text(c);
            return true;
        case '~':
            text('\xA0');
            return true;
        case '_':
            text('-');
            return true;
        case '*':
            state_.skip = true; // no destination marked ignorable carries text we show
            return true;
        case '\r':
        case '\n':
            paragraph();
            return true;
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
    }

    void fontCharset(int charset)
    {
        if (!state_.fontTable)
            return;
        if (fontCharsets_.size() < kMaxFonts || fontCharsets_.contains(describedFont_))
            fontCharsets_[describedFont_] = charset;
    }

    bool controlWord()
    {
        const size_t start = pos_;
        while (pos_ < in_.size() && isLetter(in_[pos_]))
            ++pos_;
        const std::string_view word =
            pos_ - start <= kMaxKeywordLength ? in_.substr(start, pos_ - start) : std::string_view();

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
            const uint64_t count = hasParameter && parameter > 0 ? static_cast<uint64_t>(parameter) : 0;
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
            state_.uc = static_cast<int>(std::clamp<int64_t>(hasParameter ? parameter : 1, 0, kMaxFallbackLength));
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
            defaultFont_ = static_cast<int>(parameter);
        else if (word == "plain")
            state_.font = -1;
        else if (word == "ansicpg")
            documentCodePage_ = static_cast<int>(parameter);
        else if (word == "fonttbl")
            state_.skip = state_.fontTable = true;
        else if (isSkippedDestination(word))
            state_.skip = true;
        return true;
    }

    std::string_view in_;
    size_t pos_ = 0;
    std::vector<GroupState> stack_;
    GroupState state_;
    int fallback_ = 0; // fallback characters of the last \uN still to be skipped
    bool highSurrogate_ = false;
    int documentCodePage_ = kCodePageCyrillic;
    int defaultFont_ = 0;
    int describedFont_ = 0;
    std::map<int, int> fontCharsets_; // font number to character set
    std::vector<std::string> lines_;
    std::string line_;
};

} // namespace

std::optional<std::vector<std::string>> readRtf(std::string_view bytes)
{
    if (!looksLikeRtf(bytes))
        return std::nullopt;
    return RtfReader(bytes).read();
}

std::vector<std::string> readPlain(std::string_view bytes)
{
    size_t breaks = 0;
    for (const char c : bytes)
        breaks += c == '\n' || c == '\r';
    std::vector<std::string> lines;
    lines.reserve(breaks + 1);

    size_t start = 0;
    size_t i = 0;
    while (i < bytes.size()) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        lines.emplace_back(bytes.substr(start, i - start));
        i += (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ? 2 : 1;
        start = i;
    }
    if (start < bytes.size())
        lines.emplace_back(bytes.substr(start));
    return lines;
}

} // namespace tovrin
