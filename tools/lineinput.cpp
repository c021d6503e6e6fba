#include "tools/lineinput.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <langinfo.h>
#include <unistd.h>

#include <editline/readline.h>

namespace tovrin {

LineInput::LineInput(std::string prompt) : prompt_(std::move(prompt))
{
    interactive_ = ::isatty(STDIN_FILENO) != 0;
    // The editor draws on the terminal it reads from; with the output going elsewhere the
    // prompt is written as a plain line start.
    editing_ = interactive_ && ::isatty(STDOUT_FILENO) != 0;
    if (!editing_)
        return;
    // The phrases are UTF-8 whatever the locale says, and the editor moves by characters.
    if (std::strcmp(::nl_langinfo(CODESET), "UTF-8") != 0)
        std::setlocale(LC_CTYPE, "C.UTF-8");
    ::using_history();
}

bool LineInput::read(std::string& line)
{
    if (editing_) {
        char* typed = ::readline(prompt_.c_str());
        if (typed == nullptr) {
            std::fputc('\n', stdout);
            std::fflush(stdout);
            return false;
        }
        line = typed;
        std::free(typed);
        if (!line.empty())
            ::add_history(line.c_str());
        return true;
    }
    if (interactive_) {
        std::fputs(prompt_.c_str(), stdout);
        std::fflush(stdout);
    }
    if (std::getline(std::cin, line))
        return true;
    if (interactive_) {
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
    return false;
}

} // namespace tovrin
