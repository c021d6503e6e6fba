#include "kb/dialoglog.h"

#include "kb/cp1251.h"
#include "kb/files.h"
#include "kb/knowledge.h"
#include "kb/linelist.h"

#include <algorithm>
#include <clocale>
#include <langinfo.h>
#include <locale.h>

namespace tovrin {

namespace {

const std::string kIndent(22, ' ');

// A locale object for the lifetime of one formatting; "C" when the name is not installed.
class Regional {
public:
    explicit Regional(const std::string& name) :
        locale_(newlocale(LC_ALL_MASK, name.c_str(), static_cast<locale_t>(nullptr)))
    {
        if (locale_ == static_cast<locale_t>(nullptr))
            locale_ = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    }
    ~Regional()
    {
        if (locale_ != static_cast<locale_t>(nullptr))
            freelocale(locale_);
    }
    Regional(const Regional&) = delete;
    Regional& operator=(const Regional&) = delete;

    std::string info(nl_item item) const { return nl_langinfo_l(item, locale_); }
    locale_t get() const { return locale_; }

    // The locale's text in Windows-1251.
    std::string toCp1251(const std::string& text) const
    {
        const std::string codeset = info(CODESET);
        if (codeset == "UTF-8")
            return cp1251::fromUtf8(text);
        if (codeset == "CP1251")
            return text;
        std::string out = text;
        for (char& c : out)
            if (static_cast<unsigned char>(c) >= 0x80)
                c = '?';
        return out;
    }

private:
    locale_t locale_;
};

void replaceAll(std::string& text, const std::string& what, const std::string& with)
{
    for (std::size_t pos = text.find(what); pos != std::string::npos;
         pos = text.find(what, pos + with.size()))
        text.replace(pos, what.size(), with);
}

std::string twoDigits(int value)
{
    return std::string(1, static_cast<char>('0' + value / 10 % 10)) +
        static_cast<char>('0' + value % 10);
}

// The short date always shows the whole year.
std::string formatDate(const std::tm& when, const std::string& dateFormat, locale_t locale)
{
    std::string format = dateFormat.empty() ? std::string("%d.%m.%Y") : dateFormat;
    replaceAll(format, "%D", "%m/%d/%Y");
    replaceAll(format, "%Ey", "%Y");
    replaceAll(format, "%Oy", "%Y");
    replaceAll(format, "%y", "%Y");
    char buffer[256];
    const std::size_t n = locale == static_cast<locale_t>(nullptr)
        ? std::strftime(buffer, sizeof buffer, format.c_str(), &when)
        : strftime_l(buffer, sizeof buffer, format.c_str(), &when, locale);
    return std::string(buffer, n);
}

} // namespace

std::string FormatLogDateAs(const std::tm& when, const std::string& dateFormat)
{
    return formatDate(when, dateFormat, static_cast<locale_t>(nullptr));
}

std::string FormatLogTimeAs(const std::tm& when, const std::string& timeFormat,
                            const std::string& timeFormat12, const std::string& am,
                            const std::string& pm)
{
    std::string format = timeFormat;
    replaceAll(format, "%r", timeFormat12.empty() ? std::string("%I:%M:%S %p") : timeFormat12);
    const std::size_t hour12 = std::min(format.find("%I"), format.find("%l"));
    const std::size_t designator = std::min(format.find("%p"), format.find("%P"));
    const bool twelveHour = hour12 != std::string::npos && (!am.empty() || !pm.empty());
    const bool padded =
        format.find("%0H") != std::string::npos || format.find("%0I") != std::string::npos;

    int hour = when.tm_hour;
    if (twelveHour) {
        hour %= 12;
        if (hour == 0)
            hour = 12;
    }
    std::string text = padded ? twoDigits(hour) : std::to_string(hour);
    text += ':' + twoDigits(when.tm_min) + ':' + twoDigits(when.tm_sec);
    if (twelveHour) {
        const std::string& mark = when.tm_hour < 12 ? am : pm;
        if (!mark.empty())
            text = designator < hour12 ? mark + ' ' + text : text + ' ' + mark;
    }
    return text;
}

std::string FormatLogDate(const std::tm& when, const std::string& localeName)
{
    const Regional regional(localeName);
    return regional.toCp1251(formatDate(when, regional.info(D_FMT), regional.get()));
}

std::string FormatLogTime(const std::tm& when, const std::string& localeName)
{
    const Regional regional(localeName);
    return regional.toCp1251(FormatLogTimeAs(when, regional.info(T_FMT), regional.info(T_FMT_AMPM),
                                             regional.info(AM_STR), regional.info(PM_STR)));
}

LogStamp MakeLogStamp(std::time_t when, const std::string& localeName)
{
    std::tm local{};
    localtime_r(&when, &local);
    return {FormatLogDate(local, localeName), FormatLogTime(local, localeName)};
}

void AppendDialogueLog(LineList& work, const LineList& dialogueLog, const std::string& date,
                       const std::string& time)
{
    // The count and the block are taken under the lock, so two copies leaving at once each
    // append a whole block.
    FileLock lock(files::LogFile);
    work.load(files::Words);
    const int learnt = std::max(0, work.count() - 1);
    work.load(files::LogFile);
    work.add("");
    work.add(std::string(80, '-'));
    work.add(kIndent + std::string(30, '_'));
    work.add(kIndent + cp1251::fromUtf8("Дата - ") + date + "   |   " +
             cp1251::fromUtf8("Время - ") + time);
    work.add(kIndent + std::string(30, '~'));
    work.add(cp1251::fromUtf8("//Загружено фраз выученных программой: ") + std::to_string(learnt));
    for (const std::string_view line : dialogueLog)
        work.add(line);
    work.add(std::string(53, '='));
    work.save(files::LogFile);
}

} // namespace tovrin
