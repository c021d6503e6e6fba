// One dialogue turn: the phrase is taken and echoed, the filters and the strategy may answer
// it with a canned phrase, otherwise the knowledge file answers (or the phrase is learnt), and
// the reply is shown. A file error stops the turn where it happens: what was shown stays, the
// pointer stays busy, and the next turn starts afresh.
#include "engine/engine.h"

#include "engine/match.h"
#include "engine/normalise.h"
#include "engine/phraselists.h"
#include "engine/wordlists.h"
#include "kb/cp1251.h"
#include "kb/dialoglog.h"
#include "kb/entry.h"
#include "kb/fileerror.h"
#include "kb/knowledge.h"

namespace tovrin {

Engine::Engine(Host& host, CuePlayer& cues, Dice& dice) : host_(host), cues_(cues), dice_(dice) {}

void Engine::SpeakClick()
{
    // Intake.
    dice_.reseed();
    s_.HumanTopic = false;
    // A control character typed, pasted or read from the exchange file would be stored and
    // later sent back to a terminal as it is: each is taken in as a space.
    s_.UserPhrase =
        cp1251::withoutControls(host_.cpuCpuMode() ? s_.LoadtxtCpuCpu.get(0) : host_.inputText());
    if (s_.UserPhrase.empty())
        return;
    const int shown = host_.transcriptCount();
    const std::string previousLine = shown >= 2 ? host_.transcriptLine(shown - 2) : std::string();
    host_.setBusy(true);
    s_.UserPhrase = NormalisePhrase(std::move(s_.UserPhrase));
    cues_.play(Cue::MP2);
    host_.appendTranscript(s_.UserPhrase, LineStyle::User);
    s_.Log.add(UserTag + s_.UserPhrase);

    const UpperPhrase phrase(s_.UserPhrase);
    if (answeredByFilters(phrase, previousLine) || answeredByLongPhrase()) {
        emitReply();
        return;
    }

    // Whatever happens to the turn, nothing of this file's lines is held after it.
    struct Forget {
        WordsRead& read;
        ~Forget() { read.forget(); }
    } forget{read_};
    const Outcome outcome = lookup(phrase, read_);
    if (outcome != Outcome::Answered)
        learn(read_);
    emitReply();
}

bool Engine::answeredByFilters(const UpperPhrase& phrase, const std::string& previousLine)
{
    if (phrase.text() == cp1251::upper(previousLine)) {
        s_.CpuPhrase = DrawPhrase(s_.RE2, files::Povtor, dice_);
        return true;
    }
    if (ContainsAny(phrase, Cenzura())) {
        s_.CpuPhrase = DrawPhrase(s_.RE2, files::X, dice_);
        RecordProfanity(s_.RE2, s_.UserPhrase);
        return true;
    }
    // The mark only keeps an unknown phrase out of learning; the turn goes on.
    s_.HumanTopic = ContainsAny(phrase, Filter_nr());
    return false;
}

bool Engine::answeredByLongPhrase()
{
    const int r = dice_.random(6) + 1;
    if (r == 2 || r == 6 || s_.UserPhrase.size() < kLongPhrase)
        return false;
    s_.CpuPhrase = DrawPhrase(s_.RE2, files::BigString, dice_);
    return true;
}

void Engine::emitReply()
{
    cues_.play(Cue::MP5);
    host_.appendTranscript(s_.CpuPhrase, LineStyle::Program);
    s_.Log.add(CpuTag + s_.CpuPhrase);
    host_.setBusy(false);
    if (dice_.random(3) + 1 == 1) {
        host_.setDelayedRemarkArmed(true);
        s_.RE2.load(files::AI);
    } else {
        host_.setDelayedRemarkArmed(false);
    }
    if (host_.cpuCpuMode()) {
        const std::string exchange = host_.exchangePath();
        // The reply replaces the whole exchange file: never one of the program's own.
        if (files::namesProgramFile(exchange))
            throw FileError::cannotCreate(exchange);
        s_.LoadtxtCpuCpu.clear();
        s_.LoadtxtCpuCpu.add(s_.CpuPhrase);
        s_.LoadtxtCpuCpu.save(exchange);
    }
    s_.LastReply = s_.CpuPhrase;
    host_.clearInput();
    s_.IdleTicks = 0;
}

bool Engine::SanitiseTick(const std::string& input)
{
    if (input.empty())
        return false;
    const int length = static_cast<int>(input.size());
    if (++s_.ScanPos > length)
        s_.ScanPos = 1;
    switch (input[static_cast<std::size_t>(s_.ScanPos - 1)]) {
    case kKeyEnd:
    case kDepthMark:
    case kReplyEnd:
    case kFarewellMark: return true;
    default: break;
    }
    if (s_.ScanPos == length)
        s_.ScanPos = 0;
    return false;
}

void Engine::LoadExchange()
{
    // One of the program's own files is no exchange file: its turn would be answered into it.
    const std::string exchange = host_.exchangePath();
    if (files::namesProgramFile(exchange))
        throw FileError::cannotOpen(exchange);
    s_.LoadtxtCpuCpu.load(exchange);
}

void Engine::LoadKnowledgeAtStart()
{
    // Named with this spelling at start; the file system ignores case.
    s_.RE2.load("Base\\Words.dat");
}

void Engine::pickUpAfter(const std::string& reply)
{
    s_.LastReply = reply;
    s_.ThreadDepth = 0;
}

void Engine::DropLastLogLine() { s_.Log.remove(s_.Log.count() - 1); }

void Engine::ClearLog() { s_.Log.clear(); }

void Engine::WriteDialogueLog(const std::string& date, const std::string& time)
{
    AppendDialogueLog(s_.RE2, s_.Log, date, time);
}

} // namespace tovrin
