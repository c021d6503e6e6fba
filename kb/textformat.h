#pragma once
// The two on-disk forms of a line list: RTF documents (written and read) and plain text (read).
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kb/linestore.h"

namespace tovrin {

// One paragraph per line, each closed by \par, in Windows-1251 (\ansicpg1251, a font with
// \fcharset204). Every byte from 0x80 and every control byte is written as \'hh, a tab as \tab,
// and \ { } are escaped, so the document is seven-bit text and any line (CR and LF included)
// reads back byte for byte. An empty list is a document without paragraphs.
std::string writeRtf(const std::vector<std::string>& lines);

// The same document in pieces of kPieceSize bytes (the last one shorter), so that a save can
// write a list of many megabytes without building its whole document first. The lines must
// stay as they are while the pieces are taken.
class RtfPieces {
public:
    static constexpr std::size_t kPieceSize = std::size_t{1} << 18;

    explicit RtfPieces(const LineStore& lines) : lines_(lines) {}
    explicit RtfPieces(const std::vector<std::string>& lines) :
        owned_(std::make_unique<LineStore>(lines)),
        lines_(*owned_)
    {
    }
    ~RtfPieces();
    RtfPieces(const RtfPieces&) = delete;
    RtfPieces& operator=(const RtfPieces&) = delete;

    // The next piece, valid until the next call; empty once the document is complete.
    std::string_view next();

private:
    std::unique_ptr<LineStore> owned_;
    const LineStore& lines_;
    bool headerWritten_ = false;
    bool footerWritten_ = false;
    LineStore::const_iterator line_; // the line being written
    std::size_t offset_ = 0; // and its next byte
    char* buffer_ = nullptr; // the thread's room for pieces, or own_
    std::unique_ptr<char[]> own_; // while another save of the thread holds that room
    bool holdsThreadRoom_ = false;
    std::size_t room_ = 0; // a piece's size, or less for a small document
    std::size_t given_ = 0; // the piece given last, at the start of the buffer
    std::size_t carried_ = 0; // what was written after it
};

// True when the bytes begin as an RTF document ("{\rtf"), after a UTF-8 byte-order mark and
// blanks or line breaks, if any.
bool looksLikeRtf(std::string_view bytes);
// Where the document begins in them ("{\rtf"), or npos when they are no RTF document.
std::size_t rtfStart(std::string_view bytes);

// The paragraphs of an RTF document as Windows-1251 lines. Every \par ends a line, and so do
// \line (a line break inside a paragraph: a line of the list cannot hold one), \row and a
// backslash before a raw line break. The text after the last paragraph mark is a line only
// when it is not empty, so the empty paragraph that closes every document adds no line and
// writeRtf() followed by readRtf() gives back the same list, empty lines and empty lists
// included.
//
// Text: \'hh and raw bytes are taken in the code page of the current font (a Western font of
// a \ansicpg1252 document is converted, "?" where Windows-1251 has no such character; any
// other font is Windows-1251); \uN becomes its Windows-1251 character or "?" and skips the
// \ucN fallback characters after it; \tab and \cell give a tab, \~ 0xA0, \_ "-", and \\ \{ \}
// themselves. Skipped: {\*...} groups, the font, colour and style tables, the document
// information, pictures, objects, headers, footers, footnotes, field instructions and list
// numbers; \binN skips N bytes.
//
// Returns nothing when the document cannot be read: it does not begin with "{\rtf" (after a
// byte-order mark and blanks, which are skipped), it ends
// before its outermost group closes (a file cut short is refused rather than read in part),
// its groups nest deeper than 256, or a \binN runs past its end. Text after the closing brace
// (a line appended by hand) is read as plain text, each of its lines one more line; line breaks
// right after the brace, and a tail of nothing but blanks and NULs, give none. Work and memory grow linearly with the input: numbers saturate, control
// words longer than 32 letters are ignored, and at most 4096 fonts are remembered.
std::optional<std::vector<std::string>> readRtf(std::string_view bytes);
// The same into lines, without a copy of the document: its own bytes are the workspace of the
// reading. Returns false, and leaves lines as they were, when the document cannot be read.
bool readRtf(std::string document, LineStore& lines);
// The same in place: the size bytes at document are the workspace, and the lines replace those
// of lines in the room it has. On false, lines holds what was read before the fault.
bool readRtfInPlace(char* document, std::size_t size, LineStore& lines);
bool readRtf(std::string document, std::vector<std::string>& lines);

// Plain text: CR LF, a lone CR and a lone LF end a line; a final line break adds no line.
std::vector<std::string> readPlain(std::string_view bytes);
// Into lines: the lines replace its own in the room it has.
void readPlain(std::string_view bytes, LineStore& lines);

} // namespace tovrin
