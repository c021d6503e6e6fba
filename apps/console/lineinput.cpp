#include "lineinput.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <langinfo.h>
#include <unistd.h>

#include <editline/readline.h>

namespace tovrin {

namespace {

volatile std::sig_atomic_t interrupted = 0;

// The first Ctrl+C ends the input as Ctrl+D does; the second ends the program as if none had
// been caught.
void onInterrupt(int)
{
    if (interrupted) {
        std::signal(SIGINT, SIG_DFL);
        std::raise(SIGINT);
    }
    interrupted = 1;
}

// While a line is awaited, a Ctrl+C breaks off the wait; otherwise the calls it lands in go
// on, so that the work between two reads (a save, say) is finished whole.
void catchInterrupt(bool breakingOff)
{
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = breakingOff ? 0 : SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
}

} // namespace

LineInput::LineInput(std::string prompt, std::size_t maxBytes) :
    prompt_(std::move(prompt)),
    maxBytes_(maxBytes)
{
    catchInterrupt(false);
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
    if (interrupted)
        return false;
    catchInterrupt(true);
    const bool got = readLine(line);
    catchInterrupt(false);
    return got && !interrupted;
}

bool LineInput::readLine(std::string& line)
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
    bool any = false;
    for (;;) {
        if (begin_ == end_) {
            const ssize_t n = ::read(STDIN_FILENO, buffer_.data(), buffer_.size());
            if (n < 0 && errno == EINTR && !interrupted)
                continue;
            if (n <= 0)
                return any && !interrupted;
            begin_ = 0;
            end_ = static_cast<std::size_t>(n);
        }
        const char c = buffer_[begin_++];
        any = true;
        if (c == '\n')
            return true;
        if (line.size() < maxBytes_)
            line.push_back(c);
    }
}

} // namespace tovrin
