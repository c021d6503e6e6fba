// Undo of the last line, a new dialogue and the exit that writes the dialogue log.
#include "app/mainwindow.h"

#include "app/logstamp.h"
#include "app/transcript.h"
#include "kb/cp1251.h"

#include <QDateTime>
#include <QLineEdit>
#include <QLocale>

namespace tovrin {

namespace {

std::string toCp1251(const QString& text)
{
    return cp1251::fromUtf8(text.toStdString());
}

} // namespace

void TForm1::CancelClick()
{
    // The two removals are independent: service lines live only in the transcript.
    RE1->removeLast();
    engine().Log.remove(engine().Log.count() - 1);
    setTimerEnabled(Timer::T7, true);
}

void TForm1::N15Click()
{
    CancelClick();
}

void TForm1::N2Click()
{
    RE1->clearLines();
    engine().Log.clear();
    Input->clear();
    setTimerEnabled(Timer::T7, true);
    setTimerEnabled(Timer::T10, true);
}

void TForm1::N4Click()
{
    guarded([this] { writeLogAndClose(); });
}

void TForm1::writeLogAndClose()
{
    const QLocale locale; // the regional settings, or what the tests pinned as the default
    const QDateTime now = QDateTime::currentDateTime();
    engine().WriteDialogueLog(toCp1251(logDate(locale, now.date())), toCp1251(logTime(locale, now.time())));
    close();
}

} // namespace tovrin
