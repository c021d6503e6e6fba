#pragma once
// The lines the terminal version reads: from a terminal with a prompt, line editing and the
// history of the session (libedit); from a pipe or a file as they come, holding only the
// beginning of a line that matters.
#include <cstddef>
#include <string>

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
    // a terminal).
    bool read(std::string& line);

    // Whether a person types the lines.
    bool interactive() const { return interactive_; }

private:
    // The next line of standard input through std::cin's buffer, cut to maxBytes_.
    bool readPlain(std::string& line);

    std::string prompt_;
    std::size_t maxBytes_;
    bool interactive_ = false;
    bool editing_ = false;
};

} // namespace tovrin
