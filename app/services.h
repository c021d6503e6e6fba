#pragma once
// What the windows get from outside: the sound cues, the dice, the picker dialogs and the way
// errors are shown. The program uses the real ones; tests inject scripted ones.
#include "engine/host.h"
#include "ui/pickers.h"

#include <QColor>
#include <QString>

class QWidget;

namespace tovrin {

// Shows a file error (or another failure of a handler) to the user.
class Reporter {
public:
    virtual ~Reporter() = default;
    virtual void showError(const QString& message, QWidget* parent) = 0;
};

struct Services {
    CuePlayer* cues = nullptr; // default: the six WAV players under Sound\ .
    Dice* dice = nullptr; // default: seeded from the clock
    Pickers* pickers = nullptr; // default: Qt's colour and font dialogs
    Reporter* reporter = nullptr; // default: a plain message box
};

} // namespace tovrin
