// The block the exit appends to the log file, and the regional date and time it carries.
#include "support/engine_fixture.h"
#include "kb/dialoglog.h"

#include <clocale>
#include <cstdlib>
#include <ctime>
#include <tuple>
#include <locale.h>

namespace tovrin::test {
namespace {

const std::string kIndent(22, ' ');

std::vector<std::string> header(int learnt)
{
    return {"",
            std::string(80, '-'),
            kIndent + std::string(30, '_'),
            kIndent + "Дата - 07.12.2026   |   Время - 6:05:42",
            kIndent + std::string(30, '~'),
            "//Загружено фраз выученных программой: " + std::to_string(learnt)};
}

std::vector<std::string> concat(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

using DialogueLog = EngineTest;

TEST_F(DialogueLog, TwoTurnsMakeABlockOfFourLines)
{
    dir.writeLines("Base\\Log.Tovrin", {"Старая запись"});
    say("как погода", knowledge()); // the first turn of a run learns nothing
    say("привет", knowledge());
    engine.WriteDialogueLog(cp("07.12.2026"), cp("6:05:42"));
    const auto expected = concat(concat({"Старая запись"}, header(6)),
                                 {"USER:     Как погода.", "CPU:     Отклик на фразу.",
                                  "USER:     Привет.", "CPU:     Привет!", std::string(53, '=')});
    EXPECT_EQ(file("Base\\Log.Tovrin"), expected);
}

TEST_F(DialogueLog, AnEmptyDialogueGoesStraightToTheClosingRule)
{
    engine.WriteDialogueLog(cp("07.12.2026"), cp("6:05:42"));
    EXPECT_EQ(file("Base\\Log.Tovrin"), concat(header(6), {std::string(53, '=')}));
}

TEST_F(DialogueLog, CountsTheLinesOfTheKnowledgeFileAfterTheFirst)
{
    const std::vector<std::pair<std::vector<std::string>, int>> cases = {
        {{"Знания"}, 0},
        {{}, 0}, // an empty file shows no negative count
        {{"Знания", "А^", "_Б^в;", "мусор"}, 3},
    };
    for (const auto& [words, learnt] : cases) {
        dir.writeLines("Base\\Words.Dat", words);
        dir.writeLines("Base\\Log.Tovrin", {});
        engine.WriteDialogueLog(cp("07.12.2026"), cp("6:05:42"));
        EXPECT_EQ(file("Base\\Log.Tovrin")[5],
                  "//Загружено фраз выученных программой: " + std::to_string(learnt));
    }
}

TEST_F(DialogueLog, TwoExitsLeaveTwoBlocksTheOlderFirst)
{
    say("привет", knowledge());
    engine.WriteDialogueLog(cp("07.12.2026"), cp("6:05:42"));
    engine.ClearLog();
    say("как погода", knowledge());
    engine.WriteDialogueLog(cp("07.12.2026"), cp("6:05:42"));
    const auto lines = file("Base\\Log.Tovrin");
    ASSERT_EQ(lines.size(), 2 * (6 + 2 + 1));
    EXPECT_EQ(lines[6], "USER:     Привет.");
    EXPECT_EQ(lines[15], "USER:     Как погода.");
}

TEST_F(DialogueLog, AMissingLogFileIsNeverCreated)
{
    dir.remove("Base\\Log.Tovrin");
    try {
        engine.WriteDialogueLog(cp("07.12.2026"), cp("6:05:42"));
        ADD_FAILURE() << "the log was written";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file Base\\Log.Tovrin");
    }
    EXPECT_FALSE(dir.exists("Base\\Log.Tovrin"));
}

std::tm at(int hour, int minute, int second)
{
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 7;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_wday = 1;
    return t;
}

TEST(LogDate, ShowsTheShortDateWithTheWholeYear)
{
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"%d.%m.%Y", "07.12.2026"}, // Russian
        {"%m/%d/%Y", "12/07/2026"}, // US English
        {"%m/%d/%y", "12/07/2026"}, // "C": the year is never cut to two digits
        {"%D", "12/07/2026"},       {"%Y-%m-%d", "2026-12-07"}, {"%d/%m/%y", "07/12/2026"},
    };
    for (const auto& [format, expected] : cases)
        EXPECT_EQ(FormatLogDateAs(at(6, 5, 42), format), expected) << format;
}

TEST(LogTime, ShowsHoursMinutesAndSecondsWithTheDesignatorOfATwelveHourClock)
{
    struct Case {
        const char* format;
        const char* format12;
        const char* am;
        const char* pm;
        int hour;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"%T", "", "", "", 6, "6:05:42"}, // Russian
        {"%T", "", "", "", 18, "18:05:42"},
        {"%T", "", "", "", 0, "0:05:42"},
        {"%H:%M:%S", "%I:%M:%S %p", "AM", "PM", 6, "6:05:42"}, // "C"
        {"%r", "%I:%M:%S %p", "AM", "PM", 6, "6:05:42 AM"}, // US English
        {"%r", "%I:%M:%S %p", "AM", "PM", 18, "6:05:42 PM"},
        {"%r", "%I:%M:%S %p", "AM", "PM", 0, "12:05:42 AM"},
        {"%r", "%I:%M:%S %p", "AM", "PM", 12, "12:05:42 PM"},
        {"%p %I:%M:%S", "", "AM", "PM", 9, "AM 9:05:42"}, // the designator first
        {"%I:%M:%S", "", "", "", 18, "18:05:42"}, // no designators: 24 hours
        {"%0H:%M:%S", "", "", "", 6, "06:05:42"}, // explicitly padded
    };
    for (const auto& c : cases) {
        std::tm t = at(c.hour, 5, 42);
        EXPECT_EQ(FormatLogTimeAs(t, c.format, c.format12, c.am, c.pm), c.expected)
            << c.format << " " << c.hour;
    }
}

TEST(LogDateTime, FollowsTheNamedLocale)
{
    EXPECT_EQ(FormatLogDate(at(6, 5, 42), "C"), "12/07/2026");
    EXPECT_EQ(FormatLogTime(at(6, 5, 42), "C"), "6:05:42");
    // A locale that is not installed reads as "C".
    EXPECT_EQ(FormatLogDate(at(6, 5, 42), "xx_NOWHERE.UTF-8"), "12/07/2026");

    locale_t russian = newlocale(LC_ALL_MASK, "ru_RU.UTF-8", static_cast<locale_t>(nullptr));
    if (russian == static_cast<locale_t>(nullptr))
        GTEST_SKIP() << "ru_RU.UTF-8 is not installed here";
    freelocale(russian);
    EXPECT_EQ(FormatLogDate(at(6, 5, 42), "ru_RU.UTF-8"), "07.12.2026");
    EXPECT_EQ(FormatLogTime(at(6, 5, 42), "ru_RU.UTF-8"), "6:05:42");
    locale_t us = newlocale(LC_ALL_MASK, "en_US.UTF-8", static_cast<locale_t>(nullptr));
    if (us == static_cast<locale_t>(nullptr))
        return;
    freelocale(us);
    EXPECT_EQ(FormatLogTime(at(18, 5, 42), "en_US.UTF-8"), "6:05:42 PM");
}

// The stamp reads the moment in the local time zone: the same instant is another hour and
// another day in Vladivostok.
TEST(LogStamp, DatesTheMomentInTheLocalZone)
{
    const std::time_t moment = 1796623542; // 2026-12-07 06:05:42 UTC
    const char* saved = std::getenv("TZ");
    const std::string before = saved ? saved : "";
    const std::vector<std::tuple<const char*, const char*, const char*>> zones = {
        {"UTC0", "12/07/2026", "6:05:42"},
        {"<+10>-10", "12/07/2026", "16:05:42"},
        {"<-08>8", "12/06/2026", "22:05:42"},
    };
    for (const auto& [zone, date, time] : zones) {
        setenv("TZ", zone, 1);
        tzset();
        const LogStamp stamp = MakeLogStamp(moment, "C");
        EXPECT_EQ(stamp.date, date) << zone;
        EXPECT_EQ(stamp.time, time) << zone;
    }
    if (saved)
        setenv("TZ", before.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

} // namespace
} // namespace tovrin::test
