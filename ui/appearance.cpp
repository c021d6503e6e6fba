// Colours, fonts and the restore of the initial settings.
//
// Each command clears the check mark of N13 before its dialog opens, so the mark says "nothing
// has been touched" and stays cleared even when the dialog is cancelled. The transcript's lines
// take the chosen colours and fonts when they are appended (appendTranscript); what a command
// changes at once is only the controls it names and, for the transcript commands, the text the
// user has selected.
#include "app/editorwindow.h"
#include "app/mainwindow.h"
#include "app/transcript.h"
#include "ui/aboutwindow.h"
#include "ui/captions.h"

#include <QAction>
#include <QLineEdit>
#include <QSpinBox>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QToolButton>

namespace tovrin {

namespace {

// The initial settings that N13 brings back.
namespace initial {
const QColor Silver(192, 192, 192);
const QColor Black(0, 0, 0);
const QString Face = QStringLiteral("MS Sans Serif");
constexpr int Size = 8;
const QString ExchangePath = QStringLiteral("D:\\Txt.Dat");
constexpr int Period = 1000;
} // namespace initial

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

void pickTranscriptColour(TForm1& form, QColor& value)
{
    if (!form.services().pickers->pickColor(value, &form))
        return;
    form.RE1->setCurrentColor(value);
    QTextCharFormat chosen;
    chosen.setForeground(value);
    mergeIntoSelection(form.RE1, chosen);
}

// User2 and Cpu2: the face follows a confirmed choice only, while size and style follow the
// dialog's value whatever the answer, so a cancel re-applies the values the dialog held.
void pickTranscriptFont(TForm1& form, FontChoice& value)
{
    QTextCharFormat chosen;
    if (form.services().pickers->pickFont(value, false, &form)) {
        form.RE1->setCurrentFace(value.face);
        chosen.setFontFamilies({value.face});
    }
    form.RE1->setCurrentSizeAndStyle(value.size, value.bold, value.italic);
    chosen.setFontPointSize(value.size);
    chosen.setFontWeight(value.bold ? QFont::Bold : QFont::Normal);
    chosen.setFontItalic(value.italic);
    mergeIntoSelection(form.RE1, chosen);
}

} // namespace

void TForm1::N6Click()
{
    N13->setChecked(false);
    if (services().pickers->pickColor(ColorDialog1, this))
        setBackground(this, ColorDialog1);
}

void TForm1::N21Click()
{
    N13->setChecked(false);
    if (services().pickers->pickColor(ColorDialog1, this))
        setFieldBackground(RE1, ColorDialog1);
}

void TForm1::N16Click()
{
    N13->setChecked(false);
    if (services().pickers->pickColor(ColorDialog1, this))
        setFieldBackground(Input, ColorDialog1);
}

void TForm1::N9Click()
{
    N13->setChecked(false);
    // One dialog per button; each opens with the colour confirmed last, and a cancelled one
    // leaves only its own button alone.
    for (QToolButton* button : {Speak, Cancel, EnRus}) {
        if (services().pickers->pickColor(ColorDialog1, this))
            setCaptionColour(button, ColorDialog1);
    }
}

void TForm1::User1Click()
{
    N13->setChecked(false);
    pickTranscriptColour(*this, ColorDialog2);
}

void TForm1::Cpu1Click()
{
    N13->setChecked(false);
    pickTranscriptColour(*this, ColorDialog3);
}

void TForm1::Mystring2Click()
{
    N13->setChecked(false);
    if (services().pickers->pickColor(ColorDialog1, this))
        setColour(Input, QPalette::Text, ColorDialog1);
}

void TForm1::User2Click()
{
    N13->setChecked(false);
    pickTranscriptFont(*this, FontDialog1);
}

void TForm1::Cpu2Click()
{
    N13->setChecked(false);
    pickTranscriptFont(*this, FontDialog2);
}

void TForm1::Mystring1Click()
{
    N13->setChecked(false);
    // The input line keeps its size whatever the dialog says; its style follows the dialog
    // even after a cancel.
    if (services().pickers->pickFont(FontDialog3, true, this)) {
        QFont font = Input->font();
        font.setFamily(FontDialog3.face);
        Input->setFont(font);
    }
    setTextStyle(Input, FontDialog3.bold, FontDialog3.italic);
}

void TForm1::N13Click()
{
    N13->setChecked(true);

    setBackground(this, initial::Silver);
    setFieldBackground(RE1, initial::Silver);
    setFieldBackground(Input, initial::Silver);

    // The restored input line is bold, not the regular of a fresh start.
    setColour(Input, QPalette::Text, initial::Black);
    setTextStyle(Input, true, false);

    for (QToolButton* button : {Speak, Cancel, EnRus})
        setCaptionColour(button, initial::Black);

    ColorDialog1 = ColorDialog2 = ColorDialog3 = initial::Black;
    FontDialog1 = FontDialog2 = FontChoice{initial::Face, initial::Size, false, false};
    FontDialog3.face = initial::Face;
    FontDialog3.size = initial::Size;

    Form2->Edit1->setText(initial::ExchangePath);
    Form2->SpinEdit1->setValue(initial::Period);
    // The editor takes any change of these two fields for a change of the settings; this one
    // is the restore itself.
    N13->setChecked(true);

    Form3->setOuterHeight(TForm3::FoldedHeight);
}

} // namespace tovrin
