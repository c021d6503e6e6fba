#pragma once
// The six sound players MP1..MP6, each bound for the whole run to one WAV file under Sound\.
#include "engine/host.h"

#include <memory>
#include <string>

namespace tovrin {

// The file a cue plays, as the program names it ("Sound\KeyBoard.wav").
const std::string& cueFile(Cue cue);

// Checks that a cue's file can be read and is a RIFF/WAVE sound.
// Throws FileError naming the file.
void checkWaveFile(const std::string& programPath);

// Opens the six players. A missing, unreadable or malformed file throws FileError naming it:
// the program does not start without its cues. A machine without any audio output gets
// players that stay silent, so that the program still runs there.
std::unique_ptr<CuePlayer> openSoundCues();

} // namespace tovrin
