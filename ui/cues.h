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

// Every cue is played at this rate, one channel, 16 bits.
constexpr int kCueRate = 22050;

// Reads a cue's file whole: a RIFF/WAVE sound of PCM samples, 8 or 16 bits, one or two
// channels, at any rate. Returns its samples as one channel at kCueRate.
// Throws FileError naming the file when it cannot be read or is not such a sound.
std::vector<std::int16_t> readWaveFile(const std::string& programPath);

// The six players mixed into one sound: each cue plays its samples from a position of its own.
// A cue requested while it sounds goes on where it is; one requested after its end starts from
// its beginning.
class CueMixer {
public:
    static constexpr int Count = 6;

    void setSamples(Cue cue, std::vector<std::int16_t> samples);
    void request(Cue cue);
    // Whether any cue has samples left to give.
    bool sounding() const;
    // Mixes up to frames samples of every sounding cue into out and moves them on; returns how
    // many were written, 0 once every cue has ended.
    int mix(std::int16_t* out, int frames);

private:
    struct Voice {
        std::vector<std::int16_t> samples;
        int position = -1; // -1: not sounding
    };
    std::array<Voice, Count> voices_;
};

// Opens the six players. A missing, unreadable or malformed file throws FileError naming it:
// the program does not start without its cues. A machine without any audio output gets
// players that stay silent, so that the program still runs there.
std::unique_ptr<CuePlayer> openSoundCues();

} // namespace tovrin
