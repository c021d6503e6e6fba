#pragma once
// The block that the exit appends to Base\Log.Tovrin, and the date and time it is dated with.
#include <ctime>
#include <string>

namespace tovrin {

// Every line of the dialogue log begins with its speaker's tag (the tag and five spaces).
inline const std::string UserTag = "USER:     ";
inline const std::string CpuTag = "CPU:     ";

class LineList;

// Loads Base\Words.Dat (N = Count - 1) and Base\Log.Tovrin into work, appends the block
// (empty line, rules, date and time, the learnt count, the dialogue log, the "=" rule) and
// saves the log file under the Base lock. The log file must exist: it is never created.
// date and time are already formatted by the caller's regional settings (Windows-1251).
void AppendDialogueLog(LineList& work, const LineList& dialogueLog, const std::string& date,
                       const std::string& time);

// The date and the time that head a log block, in Windows-1251.
struct LogStamp {
    std::string date; // the short date: 07.12.2026
    std::string time; // the time with seconds: 6:05:42
};

// The stamp of the moment `when` in the local time zone, written by the regional settings of
// localeName ("" for the environment's). The window and the terminal version both date their
// log blocks with it, so one Base\Log.Tovrin never mixes two ways of writing a day.
LogStamp MakeLogStamp(std::time_t when, const std::string& localeName = "");

// The short date of the regional settings of localeName ("" for the environment's; a locale
// that is not installed reads as "C"), always with a four-digit year: 07.12.2026 under a
// Russian locale, 12/07/2026 under "C". Windows-1251.
std::string FormatLogDate(const std::tm& when, const std::string& localeName);

// The time as hours, two-digit minutes and two-digit seconds separated by colons: 6:05:42
// under a Russian locale, 6:05:42 AM where the settings use a 12-hour clock. The hour has a
// leading zero only when the regional format pads it explicitly ("%0H"). Windows-1251.
std::string FormatLogTime(const std::tm& when, const std::string& localeName);

// The same from the formats themselves (strftime directives as the regional settings give
// them: the short date, the time, the 12-hour time, the AM and PM designators).
std::string FormatLogDateAs(const std::tm& when, const std::string& dateFormat);
std::string FormatLogTimeAs(const std::tm& when, const std::string& timeFormat,
                            const std::string& timeFormat12, const std::string& am,
                            const std::string& pm);

} // namespace tovrin
