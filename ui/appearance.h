#pragma once
// The colours and fonts of the main window: the pickers' values, the commands of the
// "Настройки" menu that choose them, the restore of the initial settings, and the attributes
// each kind of transcript line is appended with.
#include "engine/host.h"
#include "ui/pickers.h"

#include <QColor>
#include <QList>
#include <QPalette>

class QAction;
class QLineEdit;
class QToolButton;
class QWidget;

namespace tovrin {

class Transcript;

// A colour or font command of the "Настройки" menu: the picker value it opens its dialog with
// and keeps, the controls it changes, and the palette role it sets on them. A command with no
// role chooses for the transcript's next lines of one speaker (and for the selected text).
struct LookCommand {
    enum Value { Colour1, Colour2, Colour3, Font1, Font2, Font3 };
    enum Target { Window, Transcript, Input, Buttons };
    Value value;
    Target target;
    QPalette::ColorRole role;
};

// The ten commands, by the design names of their menu entries.
namespace look {
inline constexpr LookCommand N6{LookCommand::Colour1, LookCommand::Window,
                                QPalette::Window}; // the main background
inline constexpr LookCommand N21{LookCommand::Colour1, LookCommand::Transcript,
                                 QPalette::Base}; // the transcript's background
inline constexpr LookCommand N16{LookCommand::Colour1, LookCommand::Input,
                                 QPalette::Base}; // the input line's background
inline constexpr LookCommand N9{LookCommand::Colour1, LookCommand::Buttons,
                                QPalette::ButtonText}; // the three buttons' captions
inline constexpr LookCommand User1{LookCommand::Colour2, LookCommand::Transcript,
                                   QPalette::NoRole}; // the user's lines
inline constexpr LookCommand Cpu1{LookCommand::Colour3, LookCommand::Transcript,
                                  QPalette::NoRole}; // the program's lines
inline constexpr LookCommand Mystring2{LookCommand::Colour1, LookCommand::Input,
                                       QPalette::Text}; // the input line's text
inline constexpr LookCommand User2{LookCommand::Font1, LookCommand::Transcript,
                                   QPalette::NoRole}; // the user's lines' font
inline constexpr LookCommand Cpu2{LookCommand::Font2, LookCommand::Transcript,
                                  QPalette::NoRole}; // the program's lines' font
inline constexpr LookCommand Mystring1{LookCommand::Font3, LookCommand::Input,
                                       QPalette::NoRole}; // the input line's font
// What N13 brings back: every command that colours a control.
inline constexpr const LookCommand* Restored[] = {&N6, &N21, &N16, &N9, &Mystring2};
} // namespace look

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
    FontChoice FontDialog1; // user lines
    FontChoice FontDialog2; // program lines
    FontChoice FontDialog3; // the input line (8 points only)

    // Runs one colour or font command: clears the restore mark, opens the dialog (one per
    // button for the captions) and applies a confirmed choice.
    void pick(const LookCommand& command);
    // N13: the window's colours and fonts as at start (the input line bold) and the pickers'
    // values with them; the mark is set.
    void restore();

    // Sets the transcript's current attributes for a line of this style.
    void prepareLine(LineStyle style);

private:
    QColor& colour(LookCommand::Value value);
    FontChoice& font(LookCommand::Value value);
    QList<QWidget*> targets(LookCommand::Target target) const;
    void pickInputFont();
    void pickTranscriptColour(QColor& value);
    void pickTranscriptFont(FontChoice& value);

    Pickers* const& pickers_;
    Controls controls_;
};

} // namespace tovrin
