#pragma once
// Test doubles shared by the test programs: a scratch working folder, scripted dice, a
// recording cue player and a recording host.
#include "engine/host.h"
#include "kb/linelist.h"

#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tovrin::test {

// A fresh temporary folder that becomes the working directory for the test's lifetime and is
// removed afterwards. With withData, the delivered data/ is copied into it first.
class ScratchDir {
public:
    explicit ScratchDir(bool withData = false);
    ~ScratchDir();
    const std::filesystem::path& path() const { return path_; }
    // Writes a file (a program path such as "Base\\W1.Dat" is accepted) as raw bytes.
    void write(const std::string& programPath, const std::string& bytes) const;
    // Writes lines as plain Windows-1251 text with CR LF (lines given in UTF-8).
    void writeLines(const std::string& programPath, const std::vector<std::string>& utf8Lines) const;
    // The lines of a line-list file, in UTF-8.
    std::vector<std::string> readLines(const std::string& programPath) const;
    bool exists(const std::string& programPath) const;
    void remove(const std::string& programPath) const;

private:
    std::filesystem::path path_;
    std::filesystem::path previous_;
};

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

// The message of the FileError that f throws, or "" when it throws none.
std::string errorOf(const std::function<void()>& f);

// UTF-8 <-> Windows-1251 shorthands for readable tests.
std::string cp(const std::string& utf8);
// A line list of the given lines (UTF-8), in Windows-1251.
LineList utf8List(const std::vector<std::string>& utf8Lines);
std::string utf(const std::string& cp1251);

} // namespace tovrin::test
