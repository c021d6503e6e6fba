#include "apps/console/consolesession.h"

#include "engine/normalise.h"
#include "engine/wordlists.h"
#include "kb/cp1251.h"
#include "kb/dialoglog.h"
#include "kb/fileerror.h"

#include <new>
#include <utility>

namespace tovrin {

namespace {

const char* const kOutOfMemory = "Out of memory: the turn was not finished.";

// A line of standard input as the input line would hold it.
std::string phraseOf(std::string utf8, bool first)
{
    if (!utf8.empty() && utf8.back() == '\r')
        utf8.pop_back();
    if (first && utf8.rfind("\xEF\xBB\xBF", 0) == 0)
        utf8.erase(0, 3);
    return TypedLine(utf8);
}

} // namespace

void writeLine(std::FILE* stream, const std::string& utf8)
{
    std::fwrite(utf8.data(), 1, utf8.size(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

void ConsoleHost::appendTranscript(const std::string& line, LineStyle style)
{
    PlainHost::appendTranscript(line, style);
    // A control character stored before intake replaced them never reaches the terminal.
    const std::string shown = cp1251::toUtf8(cp1251::visibleControls(line));
    const bool user = style == LineStyle::User;
    if (tagged_)
        writeLine(out_, (user ? UserTag : CpuTag) + shown);
    else if (!user)
        writeLine(out_, shown);
}

ConsoleSession::ConsoleSession(bool transcript, Dice& dice, std::FILE* out, std::FILE* errors)
    : host_(transcript, out), engine_(host_, cues_, dice), errors_(errors)
{
}

bool ConsoleSession::take(std::string line)
{
    host_.type(phraseOf(std::move(line), std::exchange(first_, false)));
    try {
        engine_.SpeakClick();
    } catch (const FileError& e) {
        writeLine(errors_, e.utf8());
        everyTurnSucceeded_ = false;
    } catch (const std::bad_alloc&) {
        // Only this turn fails: the session goes on with the next phrase.
        writeLine(errors_, kOutOfMemory);
        everyTurnSucceeded_ = false;
    }
    // A farewell reply closes the program, as it closes the window.
    return !host_.farewellSaid();
}

} // namespace tovrin
