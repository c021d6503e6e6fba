#pragma once
// The date and time that head a block of the dialogue log, as the regional settings write them.
#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>

namespace tovrin {

// The short date; a two-digit year is widened to four, a log outlives a century's doubt.
QString logDate(const QLocale& locale, const QDate& date);

// The time with seconds and, where the locale uses a 12-hour clock, its AM/PM designator.
// The hour carries no leading zero (6:05:42), as the regional settings of the desktop this
// program grew up on write it for Russian; the locale tables here would pad it.
QString logTime(const QLocale& locale, const QTime& time);

} // namespace tovrin
