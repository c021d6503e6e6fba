#pragma once
// The six sound players MP1..MP6, each bound for the whole run to one WAV file under Sound\.
#include "engine/host.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tovrin {

// The file a cue plays, as the program names it ("Sound\KeyBoard.wav").
const std::string& cueFile(Cue cue);

constexpr std::size_t kCueCount = 6;

// Every cue is played at this rate, one channel, 16 bits.
constexpr int kCueRate = 22050;

// Reads a cue's file whole: a RIFF/WAVE sound of PCM samples, 8 or 16 bits, one or two
// channels, at any rate. Returns its samples as one channel at kCueRate.
// Throws FileError naming the file when it cannot be read or is not such a sound.
std::vector<std::int16_t> readWaveFile(const std::string& programPath);

// Which requests start a cue: one asked for while it still sounds goes on where it is (the
// request starts nothing); one asked for after its end starts again from its beginning.
// Times are milliseconds of one clock.
class CueGate {
public:
    CueGate() { startedAt_.fill(-1); }
    void setLength(Cue cue, int ms);
    // Whether the request at nowMs starts the cue; if so, it sounds from then on.
    bool start(Cue cue, std::int64_t nowMs);
    // When the last of the cues that sound at nowMs ends (nowMs when none does).
    std::int64_t endOfAll(std::int64_t nowMs) const;

private:
    std::array<int, kCueCount> lengths_{};
    std::array<std::int64_t, kCueCount> startedAt_{};
};

// Opens the six players. A missing, unreadable or malformed file throws FileError naming it:
// the program does not start without its cues. A machine without a sound server gets players
// that stay silent, so that the program still runs there.
std::unique_ptr<CuePlayer> openSoundCues();

} // namespace tovrin
