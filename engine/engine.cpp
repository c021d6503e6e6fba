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
#include "kb/knowledge.h"

namespace tovrin {

namespace {

bool hitsAny(const UpperPhrase& phrase, const std::vector<std::string>& list)
{
    for (const std::string& entry : list)
        if (ContainsKey(phrase, entry) != 0)
            return true;
    return false;
}
} // namespace

Engine::Engine(Host& host, CuePlayer& cues, Dice& dice) : host_(host), cues_(cues), dice_(dice) {}

void Engine::SpeakClick()
{
    // Intake.
    dice_.reseed();
    HumanTopic = false;
    // A control character typed, pasted or read from the exchange file would be stored and
    // later sent back to a terminal as it is: each is taken in as a space.
    UserPhrase = cp1251::withoutControls(host_.cpuCpuMode() ? LoadtxtCpuCpu.get(0) : host_.inputText());
    if (UserPhrase.empty())
        return;
    const int shown = host_.transcriptCount();
    const std::string previousLine = shown >= 2 ? host_.transcriptLine(shown - 2) : std::string();
    host_.setBusy(true);
    UserPhrase = NormalisePhrase(std::move(UserPhrase));
    cues_.play(Cue::MP2);
    host_.appendTranscript(UserPhrase, LineStyle::User);
    Log.add(UserTag + UserPhrase);

    const UpperPhrase phrase(UserPhrase);
    if (answeredByFilters(phrase, previousLine) || answeredByLongPhrase()) {
        emitReply();
        return;
    }

    WordsRead read;
    const Outcome outcome = lookup(phrase, read);
    if (outcome != Outcome::Answered)
        learn(read);
    emitReply();
}

bool Engine::answeredByFilters(const UpperPhrase& phrase, const std::string& previousLine)
{
    if (phrase.text() == cp1251::upper(previousLine)) {
        CpuPhrase = DrawPhrase(RE2, files::Povtor, dice_);
        return true;
    }
    if (hitsAny(phrase, Cenzura())) {
        CpuPhrase = DrawPhrase(RE2, files::X, dice_);
        RecordProfanity(RE2, UserPhrase);
        return true;
    }
    // The mark only keeps an unknown phrase out of learning; the turn goes on.
    HumanTopic = hitsAny(phrase, Filter_nr());
    return false;
}

bool Engine::answeredByLongPhrase()
{
    const int r = dice_.random(6) + 1;
    if (r == 2 || r == 6 || UserPhrase.size() < kLongPhrase)
        return false;
    CpuPhrase = DrawPhrase(RE2, files::BigString, dice_);
    return true;
}

void Engine::emitReply()
{
    cues_.play(Cue::MP5);
    host_.appendTranscript(CpuPhrase, LineStyle::Program);
    Log.add(CpuTag + CpuPhrase);
    host_.setBusy(false);
    if (dice_.random(3) + 1 == 1) {
        host_.setTimerEnabled(Timer::T9, true);
        RE2.load(files::AI);
    } else {
        host_.setTimerEnabled(Timer::T9, false);
    }
    if (host_.cpuCpuMode()) {
        LoadtxtCpuCpu.clear();
        LoadtxtCpuCpu.add(CpuPhrase);
        LoadtxtCpuCpu.save(host_.exchangePath());
    }
    LastReply = CpuPhrase;
    host_.clearInput();
    IdleTicks = 0;
}

bool Engine::SanitiseTick(const std::string& input)
{
    if (input.empty())
        return false;
    const int length = static_cast<int>(input.size());
    if (++ScanPos > length)
        ScanPos = 1;
    switch (input[static_cast<std::size_t>(ScanPos - 1)]) {
    case kKeyEnd:
    case kDepthMark:
    case kReplyEnd:
    case kFarewellMark: return true;
    default: break;
    }
    if (ScanPos == length)
        ScanPos = 0;
    return false;
}

void Engine::LoadExchange() { LoadtxtCpuCpu.load(host_.exchangePath()); }

void Engine::WriteDialogueLog(const std::string& date, const std::string& time)
{
    AppendDialogueLog(RE2, Log, date, time);
}

} // namespace tovrin
