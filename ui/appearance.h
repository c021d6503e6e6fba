#pragma once
// The colours and fonts of the main window: the pickers' values, the commands of the
// "Настройки" menu that choose them, the restore of the initial settings, and the attributes
// each kind of transcript line is appended with.
#include "engine/host.h"
#include "ui/pickers.h"

#include <QColor>

class QAction;
class QLineEdit;
class QToolButton;
class QWidget;

namespace tovrin {

class Transcript;

class Appearance {
public:
    // The controls the commands change. untouched is the check mark that says nothing has
    // been changed since the last restore (N13): every command clears it before its dialog
    // opens, so it stays cleared even when the dialog is cancelled.
    struct Controls {
        QWidget* window = nullptr;
        Transcript* transcript = nullptr;
        QLineEdit* input = nullptr;
        QToolButton* buttons[3] = {}; // the captions N9 colours, one dialog each, in order
        QAction* untouched = nullptr;
    };

    // pickers is the window's own pointer to its pickers, read at every command.
    Appearance(Pickers* const& pickers, const Controls& controls);

    // The pickers' values.
    QColor ColorDialog1 = Qt::black; // the shared colour
    QColor ColorDialog2 = Qt::black; // user lines
    QColor ColorDialog3 = Qt::black; // program lines
    FontChoice FontDialog1;          // user lines
    FontChoice FontDialog2;          // program lines
    FontChoice FontDialog3;          // the input line (8 points only)

    void pickWindowColour();           // N6: the main background
    void pickTranscriptBackground();   // N21
    void pickInputBackground();        // N16
    void pickButtonCaptions();         // N9: the captions of the three buttons
    void pickUserColour();             // User1
    void pickProgramColour();          // Cpu1
    void pickInputColour();            // Mystring2: the input line's text
    void pickUserFont();               // User2
    void pickProgramFont();            // Cpu2
    void pickInputFont();              // Mystring1
    // N13: the window's colours and fonts as at start (the input line bold) and the pickers'
    // values with them; the mark is set.
    void restore();

    // Sets the transcript's current attributes for a line of this style.
    void prepareLine(LineStyle style);

private:
    void pickTranscriptColour(QColor& value);
    void pickTranscriptFont(FontChoice& value);

    Pickers* const& pickers_;
    Controls controls_;
};

} // namespace tovrin
