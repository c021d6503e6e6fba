#pragma once
// The lines the terminal version reads: from a terminal with a prompt, line editing and the
// history of the session (libedit); from a pipe or a file as they come.
#include <string>

namespace tovrin {

class LineInput {
public:
    // Reads standard input; shows prompt before each line when standard input is a terminal.
    explicit LineInput(std::string prompt);
    LineInput(const LineInput&) = delete;
    LineInput& operator=(const LineInput&) = delete;

    // The next line, UTF-8, without its line end; false at the end of the input (Ctrl+D at
    // a terminal).
    bool read(std::string& line);

    // Whether a person types the lines.
    bool interactive() const { return interactive_; }

private:
    std::string prompt_;
    bool interactive_ = false;
    bool editing_ = false;
};

} // namespace tovrin
