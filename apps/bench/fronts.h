#pragma once
// The programs a turn is measured through: the core's engine alone, the terminal version's
// session, and the main window.
#include "engine/host.h"

#include <memory>
#include <string>

namespace tovrin::bench {

// The knowledge path every time (r = 2), the first reply or line, and no delayed remark.
class KnowledgeDice : public Dice {
public:
    void reseed() override {}
    int random(int n) override { return n == 6 || n == 3 ? 1 : 0; }
};

class Front {
public:
    virtual ~Front() = default;
    virtual const char* name() const = 0;
    // Sets up a turn on utf8Phrase, in a dialogue whose previous reply was lastReply and whose
    // thread is over: what comes before the user's ENTER (in the window, the phrase typed into
    // the input line and the tick that enables "Сказать").
    virtual void prepare(const std::string& utf8Phrase, const std::string& lastReply) = 0;
    // The turn itself, from the ENTER on. Throws what the turn threw.
    virtual void press() = 0;
    void say(const std::string& utf8Phrase, const std::string& lastReply)
    {
        prepare(utf8Phrase, lastReply);
        press();
    }
    // The reply of the last turn, in UTF-8.
    virtual std::string reply() = 0;
};

// The window's turn, or nothing in a build without the windows. startWindows() is called
// once, before any window is made, and stopWindows() once every window is gone.
void startWindows(int& argc, char** argv);
void stopWindows();
std::unique_ptr<Front> makeWindowFront();

} // namespace tovrin::bench
