#pragma once
// Test doubles of the engine's surroundings: scripted dice, a recording cue player and a
// recording host; with the files layer's helpers.
#include "engine/host.h"
#include "support/kbsupport.h"

#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tovrin::test {

// Dice that give the scripted values in order, then fall back to 0 (or to a value modulo n).
class ScriptedDice : public Dice {
public:
    ScriptedDice() = default;
    explicit ScriptedDice(std::vector<int> values) : values_(values.begin(), values.end()) {}
    void push(int value) { values_.push_back(value); }
    void reseed() override { ++reseeds; }
    int random(int n) override;
    std::vector<int> asked; // the n of every draw
    int reseeds = 0;

private:
    std::deque<int> values_;
};

class RecordingCues : public CuePlayer {
public:
    void play(Cue cue) override { played.push_back(cue); }
    std::vector<Cue> played;
};

// A host that records everything; texts are kept in Windows-1251.
class RecordingHost : public Host {
public:
    struct Line {
        std::string text;
        LineStyle style;
    };
    void appendTranscript(const std::string& line, LineStyle style) override { transcript.push_back({line, style}); }
    int transcriptCount() const override { return static_cast<int>(transcript.size()); }
    std::string transcriptLine(int index) const override;
    void setBusy(bool b) override { busy = b; }
    void setFarewell(bool said) override { farewell = said; }
    void setDelayedRemarkArmed(bool armed) override { delayArmed = armed; }
    void greetingDone() override { greeted = true; }
    std::string inputText() const override { return input; }
    void clearInput() override { input.clear(); }
    bool cpuCpuMode() const override { return cpuCpu; }
    std::string exchangePath() const override { return exchange; }

    std::vector<Line> transcript;
    bool busy = false;
    bool farewell = false;
    bool delayArmed = false;
    bool greeted = false;
    std::string input;
    bool cpuCpu = false;
    std::string exchange = "D:\\Txt.Dat";
};

} // namespace tovrin::test
