#pragma once
// Test doubles of the engine's surroundings: scripted dice, a recording cue player and a
// recording host; with the files layer's helpers.
#include "engine/engine.h"
#include "engine/host.h"
#include "support/kbsupport.h"

#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
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
    void appendTranscript(const std::string& line, LineStyle style) override
    {
        transcript.push_back({line, style});
    }
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

// The states of the engine that no turn or tick reaches quickly, each set alone.
struct EngineTestAccess {
    // The seconds of silence counted so far (an idle remark is due from 60 on).
    static void setSilence(Engine& e, int seconds) { e.s_.IdleTicks = seconds; }
    // The delayed remark's progress (it speaks at 1000; a tick adds 500).
    static void setDelayProgress(Engine& e, int counter) { e.s_.DelayCounter = counter; }
    // The input sanitiser's place in the line.
    static void setScanPos(Engine& e, int pos) { e.s_.ScanPos = pos; }
    // What the program said last (CpuPhrase), Windows-1251.
    static void setLastSaid(Engine& e, const std::string& phrase) { e.s_.CpuPhrase = phrase; }
    // The list the last step left in RE2.
    static void setWorkingList(Engine& e, LineList list) { e.s_.RE2 = std::move(list); }
    // The exchange file as the last poll read it.
    static void setExchangeRead(Engine& e, LineList list) { e.s_.LoadtxtCpuCpu = std::move(list); }
    // A line of the dialogue log kept for the exit, Windows-1251.
    static void addLogLine(Engine& e, const std::string& line) { e.s_.Log.add(line); }
};

} // namespace tovrin::test
