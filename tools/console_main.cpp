// tovrin-console: the conversation in a terminal. Each line of standard input is a phrase, as
// if typed into the input line and submitted; every line the program says (the echoed phrase
// and the reply) goes to standard output. It works on Base\ in the current folder and learns
// exactly as the window does. At the end of the input, or after a farewell, the dialogue is
// appended to Base\Log.Tovrin.
#include "engine/clockdice.h"
#include "engine/engine.h"
#include "engine/host.h"
#include "kb/cp1251.h"
#include "kb/dialoglog.h"
#include "kb/fileerror.h"

#include <clocale>
#include <cstdio>
#include <ctime>
#include <exception>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace tovrin;

const char* const kPrompt = "> ";

void writeLine(std::FILE* stream, const std::string& utf8)
{
    std::fwrite(utf8.data(), 1, utf8.size(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

class ConsoleHost : public Host {
public:
    void appendTranscript(const std::string& line, LineStyle) override
    {
        transcript_.push_back(line);
        writeLine(stdout, cp1251::toUtf8(line));
    }
    int transcriptCount() const override { return static_cast<int>(transcript_.size()); }
    std::string transcriptLine(int index) const override
    {
        return index >= 0 && index < transcriptCount() ? transcript_[static_cast<std::size_t>(index)] : std::string();
    }
    void setBusy(bool) override {}
    void setFarewell(bool said) override { farewell_ = said; }
    // No remark is made by itself here: a terminal speaks only when spoken to.
    void setDelayedRemarkArmed(bool) override {}
    void greetingDone() override {}
    std::string inputText() const override { return input_; }
    void clearInput() override { input_.clear(); }
    bool cpuCpuMode() const override { return false; }
    std::string exchangePath() const override { return {}; }

    void type(std::string text) { input_ = std::move(text); }
    bool farewellSaid() const { return farewell_; }

private:
    std::vector<std::string> transcript_;
    bool farewell_ = false;
    std::string input_;
};

// A line of standard input as the input line would hold it.
std::string phraseOf(std::string utf8, bool first)
{
    if (!utf8.empty() && utf8.back() == '\r')
        utf8.pop_back();
    if (first && utf8.rfind("\xEF\xBB\xBF", 0) == 0)
        utf8.erase(0, 3);
    std::string text = cp1251::fromUtf8(utf8); // one byte per character from here on
    if (text.size() > static_cast<std::size_t>(kInputLimit))
        text.resize(static_cast<std::size_t>(kInputLimit));
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

    try {
        std::string line;
        for (bool first = true;; first = false) {
            if (interactive) {
                std::fputs(kPrompt, stdout);
                std::fflush(stdout);
            }
            if (!std::getline(std::cin, line)) {
                if (interactive)
                    writeLine(stdout, "");
                break;
            }
            host.type(phraseOf(line, first));
            try {
                engine.SpeakClick();
            } catch (const FileError& e) {
                writeLine(stderr, e.utf8());
            }
            // A farewell reply closes the program, as it closes the window.
            if (host.farewellSaid())
                break;
        }

        const LogStamp stamp = MakeLogStamp(std::time(nullptr));
        engine.WriteDialogueLog(stamp.date, stamp.time);
    } catch (const FileError& e) {
        writeLine(stderr, "The dialogue log was not written: " + e.utf8());
        return 1;
    } catch (const std::exception& e) {
        writeLine(stderr, std::string("tovrin-console: ") + e.what());
        return 1;
    }
    return 0;
}
