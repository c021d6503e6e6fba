#pragma once
// The lines the terminal version reads: from a terminal with a prompt, line editing and the
// history of the session (libedit); from a pipe or a file as they come, holding only the
// beginning of a line that matters.
#include <cstddef>
#include <string>
#include <vector>

namespace tovrin {

class LineInput {
public:
    // Reads standard input; shows prompt before each line when standard input is a terminal.
    // Of a line from a pipe or a file only the first maxBytes bytes are kept; the rest is
    // read and dropped, so that no line, however long, is held whole.
    LineInput(std::string prompt, std::size_t maxBytes);
    LineInput(const LineInput&) = delete;
    LineInput& operator=(const LineInput&) = delete;

    // The next line, UTF-8, without its line end; false at the end of the input (Ctrl+D at
    // a terminal) and from the first Ctrl+C on. A Ctrl+C while the caller works between two
    // reads lets that work finish and ends the input at the next read; a second Ctrl+C ends
    // the program at once.
    bool read(std::string& line);

    // Whether a person types the lines.
    bool interactive() const { return interactive_; }

private:
    // The next line from the editor or from standard input.
    bool readLine(std::string& line);
    // The next line of standard input, cut to maxBytes_; read here rather than through a
    // stream, whose reads would carry on past a Ctrl+C.
    bool readPlain(std::string& line);

    std::string prompt_;
    std::size_t maxBytes_;
    bool interactive_ = false;
    bool editing_ = false;
    std::vector<char> buffer_ = std::vector<char>(1 << 16);
    std::size_t begin_ = 0; // the bytes read but not yet taken: begin_ .. end_
    std::size_t end_ = 0;
};

} // namespace tovrin
