#pragma once
// What a dialogue turn needs from the program around it. The window program and the terminal
// program each provide one; tests provide a recording one.
#include <string>

namespace tovrin {

// The sound cues, by their players.
enum class Cue {
    MP1, // Sound\KeyBoard.wav: the input line changed
    MP2, // Sound\Button3.wav: a phrase is echoed
    MP3, // Sound\Button2.wav: layout correction
    MP4, // Sound\Button1.wav: the shake begins
    MP5, // Sound\CpuSound.wav: the program speaks
    MP6, // Sound\Close.wav: the shrink-and-close
};

class CuePlayer {
public:
    virtual ~CuePlayer() = default;
    // Starts the cue and returns at once; a cue still sounding goes on, an ended one restarts.
    virtual void play(Cue cue) = 0;
    // At the end of the program: lets the cues that still sound end before it goes.
    virtual void finish() {}
};

// Random(n) from a generator that is reseeded from the clock.
class Dice {
public:
    virtual ~Dice() = default;
    virtual void reseed() = 0;
    // A uniform integer from 0 to n - 1; 0 when n is 0.
    virtual int random(int n) = 0;
};

// The input line takes at most this many characters.
constexpr int kInputLimit = 255;

// A player for a front end without sound.
class SilentCues : public CuePlayer {
public:
    void play(Cue) override {}
};

// The attributes a transcript line is appended with.
enum class LineStyle {
    User, // colour of ColorDialog2, font of FontDialog1
    Program, // colour of ColorDialog3, font of FontDialog2
    IdleRemark, // colour of ColorDialog1 only; the font stays as it was
    Service, // teal only; the font stays as it was
    Unchanged, // no attributes set: as the line before
};

class Host {
public:
    virtual ~Host() = default;

    // The transcript RE1, counted as lines were appended.
    virtual void appendTranscript(const std::string& line, LineStyle style) = 0;
    virtual int transcriptCount() const = 0;
    virtual std::string transcriptLine(int index) const = 0;

    // The application-wide pointer: hourglass (true) or arrow (false).
    virtual void setBusy(bool busy) = 0;

    // What a turn means beyond its lines. Every turn that answers from the knowledge file
    // tells whether its reply said farewell (the program then leaves); every reply tells
    // whether a delayed remark follows it, and the delayed remark disarms itself once made.
    // Saying the same twice changes nothing: an armed remark keeps its pace.
    virtual void setFarewell(bool said) = 0;
    virtual void setDelayedRemarkArmed(bool armed) = 0;
    // The greeting of a dialogue has had its chance; it is not tried again.
    virtual void greetingDone() = 0;

    // The input line.
    virtual std::string inputText() const = 0;
    virtual void clearInput() = 0;

    // The conversation mode (Cpu\Cpu when true) and the exchange file's path as typed.
    virtual bool cpuCpuMode() const = 0;
    virtual std::string exchangePath() const = 0;
};

} // namespace tovrin
