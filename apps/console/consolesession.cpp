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
const char* const kOutputFailed =
    "tovrin-console: a reply could not be written to standard output.";

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

bool writeLine(std::FILE* stream, const std::string& utf8)
{
    const bool written = std::fwrite(utf8.data(), 1, utf8.size(), stream) == utf8.size() &&
        std::fputc('\n', stream) != EOF;
    return std::fflush(stream) == 0 && written;
}

void ConsoleHost::appendTranscript(const std::string& line, LineStyle style)
{
    PlainHost::appendTranscript(line, style);
    // A control character stored before intake replaced them never reaches the terminal.
    const std::string shown = cp1251::toUtf8(cp1251::visibleControls(line));
    const bool user = style == LineStyle::User;
    bool written = true;
    if (tagged_)
        written = writeLine(out_, (user ? UserTag : CpuTag) + shown);
    else if (!user)
        written = writeLine(out_, shown);
    if (!written)
        outputFailed_ = true;
}

ConsoleSession::ConsoleSession(bool transcript, Dice& dice, std::FILE* out, std::FILE* errors) :
    host_(transcript, out),
    engine_(host_, cues_, dice),
    errors_(errors)
{
}

bool ConsoleSession::take(std::string line)
{
    host_.type(phraseOf(std::move(line), std::exchange(first_, false)));
    const bool failedBefore = host_.outputFailed();
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
    // Said once; every later turn's lines go the same way.
    if (host_.outputFailed()) {
        if (!failedBefore)
            writeLine(errors_, kOutputFailed);
        everyTurnSucceeded_ = false;
    }
    // A farewell reply closes the program, as it closes the window.
    return !host_.farewellSaid();
}

} // namespace tovrin
