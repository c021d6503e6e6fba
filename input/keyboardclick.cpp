// Layout correction and opening the virtual keyboard.
#include "app/mainwindow.h"
#include "input/keyboardwindow.h"
#include "input/layout.h"
#include "kb/cp1251.h"

#include <QLineEdit>
#include <QTimer>

namespace tovrin {

namespace {

// The line as the Russian layout would have typed it. Characters are converted one by one so
// that a character the code page cannot hold (pasted into the line) stays as it is instead of
// turning into "?" with the rest of the line.
QString correctedLine(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const qsizetype width = pair ? 2 : 1;
        const QString character = text.mid(i, width);
        i += width;
        const std::string utf8 = character.toUtf8().toStdString();
        const std::string byte = cp1251::fromUtf8(utf8);
        if (byte.size() != 1 || cp1251::toUtf8(byte) != utf8) {
            result += character;
            continue;
        }
        result += QString::fromUtf8(cp1251::toUtf8(CorrectLayout(byte)));
    }
    return result;
}

} // namespace

void TForm1::EnRusClick()
{
    services().cues->play(Cue::MP3);
    const QString text = Input->text();
    const QString corrected = correctedLine(text);
    // An unchanged line is left alone so that no change (and no typing cue) is signalled.
    if (corrected == text)
        return;
    const int caret = Input->cursorPosition();
    Input->setText(corrected);
    Input->setCursorPosition(caret);
}

void TForm1::N36Click()
{
    // Ctrl+S works whether or not "E/R" is enabled, so the handler is called directly.
    EnRusClick();
}

void TForm1::N22Click()
{
    openSecondary(Form4);
    Form4->T1->start();
}

} // namespace tovrin
