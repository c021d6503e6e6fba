#include "lineinput.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <langinfo.h>
#include <unistd.h>

#include <editline/readline.h>

namespace tovrin {

LineInput::LineInput(std::string prompt, std::size_t maxBytes) : prompt_(std::move(prompt)), maxBytes_(maxBytes)
{
    // Standard input is read either by the editor or through std::cin's buffer, never both.
    std::ios::sync_with_stdio(false);
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
    if (readPlain(line))
        return true;
    if (interactive_) {
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
    return false;
}

bool LineInput::readPlain(std::string& line)
{
    line.clear();
    std::streambuf* const in = std::cin.rdbuf();
    bool any = false;
    for (int c = in->sbumpc(); c != std::char_traits<char>::eof(); c = in->sbumpc()) {
        any = true;
        if (c == '\n')
            return true;
        if (line.size() < maxBytes_)
            line.push_back(static_cast<char>(c));
    }
    return any;
}

} // namespace tovrin
