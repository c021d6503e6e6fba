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

void setBackground(QWidget* window, const QColor& colour) { setColour(window, QPalette::Window, colour); }

void setFieldBackground(QWidget* field, const QColor& colour) { setColour(field, QPalette::Base, colour); }

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

Appearance::Appearance(Pickers* const& pickers, const Controls& controls) : pickers_(pickers), controls_(controls) {}

void Appearance::pickWindowColour()
{
    controls_.untouched->setChecked(false);
    if (pickers_->pickColor(ColorDialog1, controls_.window))
        setBackground(controls_.window, ColorDialog1);
}

void Appearance::pickTranscriptBackground()
{
    controls_.untouched->setChecked(false);
    if (pickers_->pickColor(ColorDialog1, controls_.window))
        setFieldBackground(controls_.transcript, ColorDialog1);
}

void Appearance::pickInputBackground()
{
    controls_.untouched->setChecked(false);
    if (pickers_->pickColor(ColorDialog1, controls_.window))
        setFieldBackground(controls_.input, ColorDialog1);
}

void Appearance::pickButtonCaptions()
{
    controls_.untouched->setChecked(false);
    // One dialog per button; each opens with the colour confirmed last, and a cancelled one
    // leaves only its own button alone.
    for (QToolButton* button : controls_.buttons) {
        if (pickers_->pickColor(ColorDialog1, controls_.window))
            setCaptionColour(button, ColorDialog1);
    }
}

void Appearance::pickUserColour()
{
    controls_.untouched->setChecked(false);
    pickTranscriptColour(ColorDialog2);
}

void Appearance::pickProgramColour()
{
    controls_.untouched->setChecked(false);
    pickTranscriptColour(ColorDialog3);
}

void Appearance::pickInputColour()
{
    controls_.untouched->setChecked(false);
    if (pickers_->pickColor(ColorDialog1, controls_.window))
        setColour(controls_.input, QPalette::Text, ColorDialog1);
}

void Appearance::pickUserFont()
{
    controls_.untouched->setChecked(false);
    pickTranscriptFont(FontDialog1);
}

void Appearance::pickProgramFont()
{
    controls_.untouched->setChecked(false);
    pickTranscriptFont(FontDialog2);
}

void Appearance::pickInputFont()
{
    controls_.untouched->setChecked(false);
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

    setBackground(controls_.window, look::Silver);
    setFieldBackground(controls_.transcript, look::Silver);
    setFieldBackground(controls_.input, look::Silver);

    // The restored input line is bold, not the regular of a fresh start.
    setColour(controls_.input, QPalette::Text, look::Black);
    setTextStyle(controls_.input, true, false);

    for (QToolButton* button : controls_.buttons)
        setCaptionColour(button, look::Black);

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
    case LineStyle::IdleRemark:
        transcript->setCurrentColor(ColorDialog1);
        break;
    case LineStyle::Service:
        transcript->setCurrentColor(look::Teal);
        break;
    case LineStyle::Unchanged:
        break;
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
