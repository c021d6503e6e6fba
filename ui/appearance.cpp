// The colour and font commands. What a command changes at once is only the controls it names
// and, for the transcript commands, the text the user has selected; the transcript's lines take
// the chosen colours and fonts when they are appended.
#include "ui/appearance.h"

#include "ui/captions.h"
#include "ui/look.h"
#include "ui/transcript.h"

#include <QAction>
#include <QLineEdit>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QToolButton>

namespace tovrin {

namespace {

void setColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

void setTextStyle(QLineEdit* line, bool bold, bool italic)
{
    QFont font = line->font();
    font.setBold(bold);
    font.setItalic(italic);
    line->setFont(font);
}

// Text the user has selected in the transcript takes the one attribute that was chosen and
// keeps the others it has.
void mergeIntoSelection(Transcript* transcript, const QTextCharFormat& chosen)
{
    QTextCursor cursor = transcript->textCursor();
    if (cursor.hasSelection())
        cursor.mergeCharFormat(chosen);
}

} // namespace

Appearance::Appearance(Pickers* const& pickers, const Controls& controls) :
    pickers_(pickers),
    controls_(controls)
{
}

void Appearance::pick(const LookCommand& command)
{
    controls_.untouched->setChecked(false);
    switch (command.value) {
    case LookCommand::Font3: pickInputFont(); return;
    case LookCommand::Font1:
    case LookCommand::Font2: pickTranscriptFont(font(command.value)); return;
    default: break;
    }
    QColor& value = colour(command.value);
    if (command.role == QPalette::NoRole) {
        pickTranscriptColour(value);
        return;
    }
    // One dialog per control; each opens with the colour confirmed last, and a cancelled one
    // leaves only its own control alone.
    for (QWidget* control : targets(command.target)) {
        if (!pickers_->pickColor(value, controls_.window))
            continue;
        if (command.target == LookCommand::Buttons)
            setCaptionColour(control, value);
        else
            setColour(control, command.role, value);
    }
}

QColor& Appearance::colour(LookCommand::Value value)
{
    switch (value) {
    case LookCommand::Colour2: return ColorDialog2;
    case LookCommand::Colour3: return ColorDialog3;
    default: return ColorDialog1;
    }
}

FontChoice& Appearance::font(LookCommand::Value value)
{
    switch (value) {
    case LookCommand::Font1: return FontDialog1;
    case LookCommand::Font2: return FontDialog2;
    default: return FontDialog3;
    }
}

QList<QWidget*> Appearance::targets(LookCommand::Target target) const
{
    switch (target) {
    case LookCommand::Window: return {controls_.window};
    case LookCommand::Transcript: return {controls_.transcript};
    case LookCommand::Input: return {controls_.input};
    case LookCommand::Buttons:
        return {controls_.buttons[0], controls_.buttons[1], controls_.buttons[2]};
    }
    return {};
}

void Appearance::pickInputFont()
{
    // The input line keeps its size whatever the dialog says; its style follows the dialog
    // even after a cancel.
    if (pickers_->pickFont(FontDialog3, true, controls_.window)) {
        QFont font = controls_.input->font();
        font.setFamily(FontDialog3.face);
        controls_.input->setFont(font);
    }
    setTextStyle(controls_.input, FontDialog3.bold, FontDialog3.italic);
}

void Appearance::restore()
{
    controls_.untouched->setChecked(true);

    // Backgrounds back to the window's silver, text and captions to black.
    for (const LookCommand* command : look::Restored) {
        const bool background =
            command->role == QPalette::Window || command->role == QPalette::Base;
        const QColor initial = background ? look::Silver : look::Black;
        for (QWidget* control : targets(command->target)) {
            if (command->target == LookCommand::Buttons)
                setCaptionColour(control, initial);
            else
                setColour(control, command->role, initial);
        }
    }
    // The restored input line is bold, not the regular of a fresh start.
    setTextStyle(controls_.input, true, false);

    ColorDialog1 = ColorDialog2 = ColorDialog3 = look::Black;
    FontDialog1 = FontDialog2 = FontChoice{look::FontFace, look::FontSize, false, false};
    FontDialog3.face = look::FontFace;
    FontDialog3.size = look::FontSize;
}

void Appearance::prepareLine(LineStyle style)
{
    Transcript* transcript = controls_.transcript;
    switch (style) {
    case LineStyle::User:
        transcript->setCurrentColor(ColorDialog2);
        transcript->setCurrentFont(FontDialog1);
        break;
    case LineStyle::Program:
        transcript->setCurrentColor(ColorDialog3);
        transcript->setCurrentFont(FontDialog2);
        break;
    case LineStyle::IdleRemark: transcript->setCurrentColor(ColorDialog1); break;
    case LineStyle::Service: transcript->setCurrentColor(look::Teal); break;
    case LineStyle::Unchanged: break;
    }
}

void Appearance::pickTranscriptColour(QColor& value)
{
    if (!pickers_->pickColor(value, controls_.window))
        return;
    controls_.transcript->setCurrentColor(value);
    QTextCharFormat chosen;
    chosen.setForeground(value);
    mergeIntoSelection(controls_.transcript, chosen);
}

// User2 and Cpu2: the face follows a confirmed choice only, while size and style follow the
// dialog's value whatever the answer, so a cancel re-applies the values the dialog held.
void Appearance::pickTranscriptFont(FontChoice& value)
{
    QTextCharFormat chosen;
    if (pickers_->pickFont(value, false, controls_.window)) {
        controls_.transcript->setCurrentFace(value.face);
        chosen.setFontFamilies({value.face});
    }
    controls_.transcript->setCurrentSizeAndStyle(value.size, value.bold, value.italic);
    chosen.setFontPointSize(value.size);
    chosen.setFontWeight(value.bold ? QFont::Bold : QFont::Normal);
    chosen.setFontItalic(value.italic);
    mergeIntoSelection(controls_.transcript, chosen);
}

} // namespace tovrin
