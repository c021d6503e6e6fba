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

// The delayed remark ticks every second and advances by half of its due count per tick: it
// speaks on the second tick.
constexpr int kDelayDue = 1000;
constexpr int kDelayStep = 500;

} // namespace

void Engine::IdleTick()
{
    // The threshold is drawn before the count grows, so a remark is due at second n with
    // probability (n - 59) / 31 and certain at second 90.
    dice_.reseed();
    const int threshold = kIdleThresholdLow + dice_.random(kIdleThresholdValues);
    ++s_.IdleTicks;
    if (s_.IdleTicks < threshold)
        return;

    // A missing list throws here, before the count goes back to 0: the remark is tried again
    // on the following seconds.
    s_.CpuPhrase = DrawPhrase(s_.RE2, files::Pause, dice_);
    host_.appendTranscript(s_.CpuPhrase, LineStyle::IdleRemark);
    s_.Log.add(CpuTag + s_.CpuPhrase);
    cues_.play(Cue::MP5);
    s_.IdleTicks = 0;
}

void Engine::GreetingTick()
{
    if (dice_.random(kGreetingChances) + 1 == 1) {
        // A missing list throws before the greeting is done, so it gets another chance on the
        // next tick. Every line of the list may greet.
        s_.RE2.load(files::Begin);
        host_.setBusy(true);
        s_.CpuPhrase = s_.RE2.get(dice_.random(s_.RE2.count()));
        host_.setBusy(false);
        cues_.play(Cue::MP5);
        host_.appendTranscript(s_.CpuPhrase, LineStyle::Program);
        s_.Log.add(CpuTag + s_.CpuPhrase);
    }
    host_.greetingDone();
}

void Engine::DelayTick()
{
    s_.DelayCounter += kDelayStep;
    // The counter survives a disarming, so a remark left half way is made on the first tick
    // of the next arming. ">=" rather than "==": a counter that somehow passed the due count
    // must not keep the remark armed for ever without a remark.
    if (s_.DelayCounter < kDelayDue)
        return;

    // The remark is always a line of Base\AI.dat, read afresh: RE2 may hold another file by
    // now (an idle remark's list, or the knowledge file a failed exit left there), whose raw
    // lines are not for speaking. A list that cannot be read ends this remark; the next reply
    // may arm another.
    s_.DelayCounter = 0;
    host_.setDelayedRemarkArmed(false);
    s_.RE2.load(files::AI);
    host_.setBusy(true);
    const std::string remark = DrawRemark(s_.RE2, dice_);
    cues_.play(Cue::MP5);
    host_.appendTranscript(remark, LineStyle::Program);
    s_.Log.add(CpuTag + remark);
    host_.setBusy(false);
}

} // namespace tovrin
