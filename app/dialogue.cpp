// Undo of the last line, a new dialogue and the exit that writes the dialogue log.
#include "app/mainwindow.h"

#include "app/transcript.h"
#include "kb/cp1251.h"

#include <QDateTime>
#include <QLineEdit>
#include <QLocale>

namespace tovrin {

namespace {

// The date and time of the log block, as the regional settings write them: the short date
// (a two-digit year is widened to four, a log outlives a century's doubt), and the time with
// seconds, the hour as the locale writes it and its AM/PM where it uses a 12-hour clock.
QString logDate(const QLocale& locale, const QDate& date)
{
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return locale.toString(date, format);
}

QString logTime(const QLocale& locale, const QTime& time)
{
    QString format = locale.timeFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1Char('s'))) {
        const int minutes = format.indexOf(QLatin1String("mm"));
        if (minutes >= 0) {
            // The seconds follow the minutes with the separator that stands before them.
            const QChar before = minutes > 0 ? format.at(minutes - 1) : QChar(u':');
            const QChar separator = before.isLetter() ? QChar(u':') : before;
            format.insert(minutes + 2, QString(separator) + QLatin1String("ss"));
        }
        else
            format = locale.timeFormat(QLocale::LongFormat);
    }
    return locale.toString(time, format);
}

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
