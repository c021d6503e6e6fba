#pragma once
// The terminal version's session: each line of input is a phrase, as if typed into the input
// line and submitted; every line the program says goes to the output (with the transcript, the
// phrases too, tagged as in the dialogue log).
#include "engine/engine.h"
#include "engine/host.h"
#include "engine/plainhost.h"

#include <cstdio>
#include <string>

namespace tovrin {

class ConsoleHost : public PlainHost {
public:
    // Without the transcript only the program's lines are printed, as they are.
    ConsoleHost(bool tagged, std::FILE* out) : tagged_(tagged), out_(out) {}

    void appendTranscript(const std::string& line, LineStyle style) override;
    void type(std::string text) { input = std::move(text); }
    bool farewellSaid() const { return farewell; }

private:
    bool tagged_;
    std::FILE* out_;
};

class ConsoleSession {
public:
    // Lines go to out, the failures of turns to errors.
    ConsoleSession(bool transcript, Dice& dice, std::FILE* out, std::FILE* errors);

    // One line of input (UTF-8, as read, its line break gone) as one turn. A turn that fails
    // is reported and the session goes on. False once a farewell was said: the session is over.
    bool take(std::string line);
    bool everyTurnSucceeded() const { return everyTurnSucceeded_; }
    Engine& engine() { return engine_; }

private:
    ConsoleHost host_;
    SilentCues cues_;
    Engine engine_;
    std::FILE* errors_;
    bool first_ = true;
    bool everyTurnSucceeded_ = true;
};

// Writes a UTF-8 line and flushes it.
void writeLine(std::FILE* stream, const std::string& utf8);

} // namespace tovrin
