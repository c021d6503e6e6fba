#pragma once
// What the windows get from outside: the sound cues, the dice, the picker dialogs and the way
// errors are shown. The program uses the real ones; tests inject scripted ones.
#include "engine/host.h"
#include "ui/look.h"

#include <QColor>
#include <QString>

class QWidget;

namespace tovrin {

// A font as the font pickers offer it: face, size and style only.
struct FontChoice {
    QString face = look::FontFace;
    int size = look::FontSize;
    bool bold = false;
    bool italic = false;
    bool operator==(const FontChoice&) const = default;
};

// The colour and font dialogs. Each call opens the dialog preset to value; on confirm it
// stores the choice in value and returns true; on cancel it leaves value and returns false.
class Pickers {
public:
    virtual ~Pickers() = default;
    virtual bool pickColor(QColor& value, QWidget* parent) = 0;
    // With onlySize8 the dialog offers 8 points only.
    virtual bool pickFont(FontChoice& value, bool onlySize8, QWidget* parent) = 0;
};

// Shows a file error (or another failure of a handler) to the user.
class Reporter {
public:
    virtual ~Reporter() = default;
    virtual void showError(const QString& message, QWidget* parent) = 0;
};

struct Services {
    CuePlayer* cues = nullptr;    // default: the six WAV players under Sound\ .
    Dice* dice = nullptr;         // default: seeded from the clock
    Pickers* pickers = nullptr;   // default: Qt's colour and font dialogs
    Reporter* reporter = nullptr; // default: a plain message box
};

} // namespace tovrin
