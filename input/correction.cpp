#include "input/correction.h"

#include "input/layout.h"
#include "kb/cp1251.h"

#include <QLineEdit>
#include <QString>

namespace tovrin {

QString correctedLine(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const bool pair =
            text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
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

void correctLayout(QLineEdit* input)
{
    const QString text = input->text();
    const QString corrected = correctedLine(text);
    if (corrected == text)
        return;
    const int caret = input->cursorPosition();
    input->setText(corrected);
    input->setCursorPosition(caret);
}

} // namespace tovrin
