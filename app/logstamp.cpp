#include "app/logstamp.h"

namespace tovrin {

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
    format.replace(QLatin1String("HH"), QLatin1String("H"));
    format.replace(QLatin1String("hh"), QLatin1String("h"));
    return locale.toString(time, format);
}

} // namespace tovrin
