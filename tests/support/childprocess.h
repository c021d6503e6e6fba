#pragma once
// Runs one of the built programs as a child process with pipes on its standard streams.
#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tovrin::test {

class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            wait();
        }
        closeAll();
    }

    // Starts program with args in the current folder. Returns false when it cannot start.
    bool start(const std::string& program, const std::vector<std::string>& args)
    {
        int in[2], out[2], err[2];
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0 ||
            ::pipe2(err, O_CLOEXEC) != 0)
            return false;
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        pid_ = ::fork();
        if (pid_ < 0)
            return false;
        if (pid_ == 0) {
            ::dup2(in[0], 0);
            ::dup2(out[1], 1);
            ::dup2(err[1], 2);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        ::close(err[1]);
        in_ = in[1];
        out_ = out[0];
        err_ = err[0];
        // A child that dies must not take the test with it through SIGPIPE.
        std::signal(SIGPIPE, SIG_IGN);
        return true;
    }

    pid_t pid() const { return pid_; }

    // Writes all of text to the child's standard input; false once the child has gone.
    bool write(const std::string& text)
    {
        size_t done = 0;
        while (done < text.size()) {
            const ssize_t n = ::write(in_, text.data() + done, text.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            done += static_cast<size_t>(n);
        }
        return true;
    }

    void closeInput()
    {
        if (in_ >= 0)
            ::close(in_);
        in_ = -1;
    }

    // The next line of standard output (without its "\n"). Waits at most timeoutMs; false at
    // the end of output or on timeout.
    bool readLine(std::string& line, int timeoutMs)
    {
        for (;;) {
            const size_t nl = outBuffer_.find('\n');
            if (nl != std::string::npos) {
                line = outBuffer_.substr(0, nl);
                outBuffer_.erase(0, nl + 1);
                return true;
            }
            if (out_ < 0)
                return false;
            pollfd p{out_, POLLIN, 0};
            const int r = ::poll(&p, 1, timeoutMs);
            if (r < 0 && errno == EINTR)
                continue;
            if (r <= 0)
                return false;
            char buffer[4096];
            const ssize_t n = ::read(out_, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                ::close(out_);
                out_ = -1;
                continue;
            }
            outBuffer_.append(buffer, static_cast<size_t>(n));
        }
    }

    // Everything left on standard output and standard error, until the child closes them.
    void drain(std::string& out, std::string& err)
    {
        out = outBuffer_;
        outBuffer_.clear();
        while (out_ >= 0 || err_ >= 0) {
            pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0 && errno != EINTR)
                break;
            for (int i = 0; i < 2; ++i) {
                int& fd = i == 0 ? out_ : err_;
                if (fd < 0 || fds[i].revents == 0)
                    continue;
                char buffer[4096];
                const ssize_t n = ::read(fd, buffer, sizeof buffer);
                if (n > 0)
                    (i == 0 ? out : err).append(buffer, static_cast<size_t>(n));
                else if (n == 0 || errno != EINTR) {
                    ::close(fd);
                    fd = -1;
                }
            }
        }
    }

    void kill(int signal)
    {
        if (pid_ > 0)
            ::kill(pid_, signal);
    }

    // The wait status of the child.
    int wait()
    {
        int status = 0;
        if (pid_ > 0) {
            while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {}
            pid_ = -1;
            status_ = status;
        }
        return status_;
    }

private:
    void closeAll()
    {
        for (int* fd : {&in_, &out_, &err_})
            if (*fd >= 0) {
                ::close(*fd);
                *fd = -1;
            }
    }

    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    int err_ = -1;
    int status_ = 0;
    std::string outBuffer_;
};

struct RunResult {
    int exitCode = -1; // -1 when the program did not exit normally
    std::string out;
    std::string err;
};

// Runs a program to its end with input on its standard input.
inline RunResult runProgram(const std::string& program, const std::vector<std::string>& args,
                            const std::string& input = {})
{
    RunResult result;
    ChildProcess child;
    if (!child.start(program, args))
        return result;
    child.write(input);
    child.closeInput();
    child.drain(result.out, result.err);
    const int status = child.wait();
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

} // namespace tovrin::test
