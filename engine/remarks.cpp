// The remarks the program makes by itself: after a silence, at the start of a dialogue, and a
// moment after a reply. None of them is a turn: they learn nothing, and only the idle remark
// touches the silence count.
#include "engine/engine.h"
#include "engine/phraselists.h"
#include "kb/dialoglog.h"
#include "kb/knowledge.h"

namespace tovrin {

namespace {

// The silence before an idle remark: a threshold drawn afresh on every second, 60 to 90.
constexpr int kIdleThresholdLow = 60;
constexpr int kIdleThresholdValues = 31;

// One greeting chance in three.
constexpr int kGreetingChances = 3;

// The delayed remark advances by half of T9's interval per tick: it speaks on the second tick.
constexpr int kDelayStep = 500;

} // namespace

void Engine::IdleTick()
{
    // The threshold is drawn before the count grows, so a remark is due at second n with
    // probability (n - 59) / 31 and certain at second 90.
    dice_.reseed();
    const int threshold = kIdleThresholdLow + dice_.random(kIdleThresholdValues);
    ++IdleTicks;
    if (IdleTicks < threshold)
        return;

    // A missing list throws here, before the count goes back to 0: the remark is tried again
    // on the following seconds.
    CpuPhrase = DrawPhrase(RE2, files::Pause, dice_);
    host_.appendTranscript(CpuPhrase, LineStyle::IdleRemark);
    Log.add(CpuTag + CpuPhrase);
    cues_.play(Cue::MP5);
    IdleTicks = 0;
}

void Engine::GreetingTick()
{
    if (dice_.random(kGreetingChances) + 1 == 1) {
        // A missing list throws before T10 is stopped, so the greeting gets another chance on
        // the next tick. Every line of the list may greet.
        RE2.load(files::Begin);
        host_.setBusy(true);
        CpuPhrase = RE2.get(dice_.random(RE2.count()));
        host_.setBusy(false);
        cues_.play(Cue::MP5);
        host_.appendTranscript(CpuPhrase, LineStyle::Program);
        Log.add(CpuTag + CpuPhrase);
    }
    host_.setTimerEnabled(Timer::T10, false);
}

void Engine::DelayTick()
{
    DelayCounter += kDelayStep;
    // The counter survives a stop of T9, so a remark left half way is made on the first tick
    // of the next run. ">=" rather than "==": a counter that somehow passed the interval must
    // not keep T9 ticking for ever without a remark.
    if (DelayCounter < host_.timerInterval(Timer::T9))
        return;

    host_.setBusy(true);
    // The list is whatever RE2 holds now, normally Base\AI.dat as the end of the turn
    // loaded it.
    const std::string remark = DrawRemark(RE2, dice_);
    cues_.play(Cue::MP5);
    host_.appendTranscript(remark, LineStyle::Program);
    Log.add(CpuTag + remark);
    host_.setBusy(false);
    DelayCounter = 0;
    host_.setTimerEnabled(Timer::T9, false);
}

} // namespace tovrin
