// tovrin-console: the conversation in a terminal. Each line of standard input is a phrase, as
// if typed into the input line and submitted; every line the program says (the echoed phrase
// and the reply) goes to standard output. It works on Base\ in the current folder and learns
// exactly as the window does. At the end of the input, or after a farewell, the dialogue is
// appended to Base\Log.Tovrin.
//
// Exit status: 0 when every turn and the log succeeded; otherwise the input is still taken to
// its end and the status is 1.
#include "engine/clockdice.h"
#include "engine/engine.h"
#include "engine/host.h"
#include "kb/cp1251.h"
#include "kb/dialoglog.h"
#include "kb/fileerror.h"
#include "kb/files.h"
#include "kb/knowledge.h"

#include <clocale>
#include <cstdio>
#include <ctime>
#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace tovrin;

// The input line takes at most this many characters.
constexpr std::size_t kInputLimit = 255;
// The bytes of a line of standard input that can matter: a byte-order mark, that many
// characters of at most four bytes each in UTF-8, and a CR. The rest of a longer line is read
// and dropped, never held.
constexpr std::size_t kLineBytes = 3 + kInputLimit * 4 + 1;
const char* const kLockWait = "Another copy of the program is saving in Base; waiting for it to finish.";
const char* const kOutOfMemory = "Out of memory: the turn was not finished.";
const char* const kPrompt = "> ";

void writeLine(std::FILE* stream, const std::string& utf8)
{
    std::fwrite(utf8.data(), 1, utf8.size(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

// A terminal has no sound, and the remarks of the timers are not spoken here.
class SilentCues : public CuePlayer {
public:
    void play(Cue) override {}
};

class ConsoleHost : public Host {
public:
    void appendTranscript(const std::string& line, LineStyle) override
    {
        transcript_.push_back(line);
        // A control character stored before intake replaced them never reaches the terminal.
        writeLine(stdout, cp1251::toUtf8(cp1251::withoutControls(line)));
    }
    int transcriptCount() const override { return static_cast<int>(transcript_.size()); }
    std::string transcriptLine(int index) const override
    {
        return index >= 0 && index < transcriptCount() ? transcript_[static_cast<std::size_t>(index)] : std::string();
    }
    void setBusy(bool) override {}
    void setTimerEnabled(Timer timer, bool enabled) override { timers_[static_cast<int>(timer)] = enabled; }
    bool timerEnabled(Timer timer) const override { return timers_[static_cast<int>(timer)]; }
    int timerInterval(Timer timer) const override { return timer == Timer::T9 ? 1000 : 1; }
    std::string inputText() const override { return input_; }
    void clearInput() override { input_.clear(); }
    bool cpuCpuMode() const override { return false; }
    std::string exchangePath() const override { return {}; }

    void type(std::string text) { input_ = std::move(text); }

private:
    std::vector<std::string> transcript_;
    bool timers_[10] = {};
    std::string input_;
};

// The next line of standard input, without its "\n", cut to kLineBytes. False at the end of
// the input.
bool readLine(std::string& line)
{
    line.clear();
    std::streambuf* const in = std::cin.rdbuf();
    bool any = false;
    for (int c = in->sbumpc(); c != std::char_traits<char>::eof(); c = in->sbumpc()) {
        any = true;
        if (c == '\n')
            return true;
        if (line.size() < kLineBytes)
            line.push_back(static_cast<char>(c));
    }
    return any;
}

// A line of standard input as the input line would hold it.
std::string phraseOf(std::string utf8, bool first)
{
    if (!utf8.empty() && utf8.back() == '\r')
        utf8.pop_back();
    if (first && utf8.rfind("\xEF\xBB\xBF", 0) == 0)
        utf8.erase(0, 3);
    std::string text = cp1251::fromUtf8(utf8); // one byte per character from here on
    if (text.size() > kInputLimit)
        text.resize(kInputLimit);
    return text;
}

} // namespace

int main()
{
    std::setlocale(LC_ALL, "");
    ConsoleHost host;
    SilentCues cues;
    ClockDice dice;
    Engine engine(host, cues, dice);
    const bool interactive = ::isatty(STDIN_FILENO) != 0;
    std::ios::sync_with_stdio(false); // standard input is read only through std::cin
    setLockWaitNotice([] { writeLine(stderr, kLockWait); });
    removeAbandonedSaves(files::Words);
    bool everyTurnSucceeded = true;

    try {
        std::string line;
        for (bool first = true;; first = false) {
            if (interactive) {
                std::fputs(kPrompt, stdout);
                std::fflush(stdout);
            }
            if (!readLine(line)) {
                if (interactive)
                    writeLine(stdout, "");
                break;
            }
            host.type(phraseOf(line, first));
            try {
                engine.SpeakClick();
            } catch (const FileError& e) {
                writeLine(stderr, cp1251::toUtf8(e.what()));
                everyTurnSucceeded = false;
            } catch (const std::bad_alloc&) {
                // Only this turn fails: the session goes on with the next phrase.
                writeLine(stderr, kOutOfMemory);
                everyTurnSucceeded = false;
            }
            // A farewell reply closes the program, as the window's shrink-and-close would.
            if (host.timerEnabled(Timer::T4))
                break;
        }

        const LogStamp stamp = MakeLogStamp(std::time(nullptr));
        engine.WriteDialogueLog(stamp.date, stamp.time);
    } catch (const FileError& e) {
        writeLine(stderr, "The dialogue log was not written: " + cp1251::toUtf8(e.what()));
        return 1;
    } catch (const std::exception& e) {
        writeLine(stderr, std::string("tovrin-console: ") + e.what());
        return 1;
    }
    return everyTurnSucceeded ? 0 : 1;
}
