// The data delivered with the program: every file it reads under Base\, the version history
// and the six sound cues. These are what a user meets first, so a broken line, a key that is
// never reached or a farewell that closes the program in mid-sentence is a real fault.
#include "engine/lookup.h"
#include "engine/match.h"
#include "kb/cp1251.h"
#include "kb/entry.h"
#include "kb/linelist.h"
#include "support/kbsupport.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace cp1251 = tovrin::cp1251;
namespace fs = std::filesystem;
using tovrin::test::bytesOf;

namespace {

const fs::path kData = fs::path(TOVRIN_SOURCE_DIR) / "data";
const fs::path kBase = kData / "Base";

// True when the bytes hold at least one multi-byte UTF-8 sequence and nothing else above 0x7F:
// a file saved in UTF-8 by mistake. Russian text in Windows-1251 never passes, since its
// lower-case letters (0xE0..0xFF) are never followed by two continuation bytes.
bool looksLikeUtf8(std::string_view bytes)
{
    bool multiByte = false;
    for (size_t i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        const size_t length = b < 0x80 ? 1
            : (b >> 5) == 0x6          ? 2
            : (b >> 4) == 0xE          ? 3
            : (b >> 3) == 0x1E         ? 4
                                       : 0;
        if (length == 0 || i + length > bytes.size())
            return false;
        for (size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80)
                return false;
        multiByte = multiByte || length > 1;
        i += length;
    }
    return multiByte;
}

// The lines of a plain Windows-1251 text whose every line ends with CR LF; a failure names
// the first thing that is wrong.
testing::AssertionResult plainText(const fs::path& file, std::vector<std::string>& lines)
{
    lines.clear();
    if (!fs::is_regular_file(file))
        return testing::AssertionFailure() << file << " is missing";
    const std::string bytes = bytesOf(file);
    if (bytes.rfind("{\\rtf", 0) == 0)
        return testing::AssertionFailure() << file << " is RTF, not plain text";
    if (looksLikeUtf8(bytes))
        return testing::AssertionFailure() << file << " is UTF-8, not Windows-1251";
    if (!bytes.empty() && bytes.size() < 2)
        return testing::AssertionFailure() << file << " is too short to end with CR LF";
    std::string line;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b == '\r') {
            if (i + 1 >= bytes.size() || bytes[i + 1] != '\n')
                return testing::AssertionFailure()
                    << file << ": a CR without LF after line " << lines.size();
            lines.push_back(line);
            line.clear();
            ++i;
        } else if (b == '\n') {
            return testing::AssertionFailure() << file << ": a bare LF after line " << lines.size();
        } else if (b < 0x20 || b == 0x7F || b == 0x98) {
            return testing::AssertionFailure()
                << file << ": control or unassigned byte " << int(b) << " in line " << lines.size();
        } else {
            line += static_cast<char>(b);
        }
    }
    if (!line.empty())
        return testing::AssertionFailure() << file << ": the last line has no CR LF";
    return testing::AssertionSuccess();
}

std::string cp(std::string_view utf8) { return cp1251::fromUtf8(utf8); }
std::string utf8(std::string_view bytes) { return cp1251::toUtf8(bytes); }

// ---- the knowledge file, through the program's own grammar and lookup

// Words.Dat as the program loads it. Every line from 1 on must be an entry the lookup answers
// from, and stricter than what the program tolerates: one to four replies, the key in upper
// case without two spaces in a row, and no marker character out of its place.
const tovrin::LineList& deliveredWords()
{
    static const tovrin::LineList words = [] {
        std::vector<std::string> lines;
        EXPECT_TRUE(plainText(kBase / "Words.Dat", lines));
        for (size_t i = 1; i < lines.size(); ++i) {
            const std::string& line = lines[i];
            const std::string key = tovrin::EntryKey(line);
            bool markers = key.find(tovrin::kFarewellMark) != std::string::npos;
            for (int r = 0; r < tovrin::EntryReplyCount(line); ++r)
                markers =
                    markers || tovrin::EntryReply(line, r).find_first_of("^@") != std::string::npos;
            EXPECT_TRUE(tovrin::EntryAnswers(line) && tovrin::EntryReplyCount(line) <= 4 &&
                        cp1251::upper(key) == key && key.find("  ") == std::string::npos &&
                        !markers)
                << "Words.Dat line " << i << ": " << utf8(line);
        }
        return tovrin::LineList(lines);
    }();
    return words;
}

std::string headOf(int line) { return tovrin::EntryHead(deliveredWords().get(line)); }
int depthOf(int line) { return tovrin::EntryDepth(deliveredWords().get(line)); }

// The entry a branch stands below: the nearest line above it one level up.
int parentOf(int line)
{
    int parent = line;
    while (parent > 1 && depthOf(parent) >= depthOf(line))
        --parent;
    return parent;
}

// A conversation over the delivered knowledge as a turn goes through it: the branches below
// the entry that answered last, then the main phrases (tovrin::FindAnswer).
class Conversation {
public:
    // The line of the entry that answers the phrase (already normalised, Windows-1251), or 0
    // when a fallback reply would be drawn.
    int say(std::string_view phrase)
    {
        last_ = tovrin::FindAnswer(deliveredWords(), tovrin::UpperPhrase(phrase), line_, depth_);
        if (last_.pass == tovrin::LookupPass::None) {
            depth_ = 0;
            return 0;
        }
        depth_ = last_.pass == tovrin::LookupPass::Branch ? depth_ + 1 : 1;
        line_ = last_.line;
        return last_.line;
    }
    bool saidFarewell() const { return tovrin::AnswerSaysFarewell(deliveredWords(), last_); }

    // Continue as if the entry on the line had just answered.
    void after(int line)
    {
        line_ = line;
        depth_ = depthOf(line) + 1;
    }

private:
    tovrin::LookupFind last_;
    int line_ = 0;
    int depth_ = 0;
};

// ---- Words.Dat

TEST(DeliveredKnowledge, HasAHeaderAndEnoughMainPhrasesAndThreads)
{
    const tovrin::LineList& words = deliveredWords();
    ASSERT_GT(words.count(), 1);
    EXPECT_FALSE(words.get(0).empty()) << "line 0 is the header";

    int mains = 0, branches = 0, deepest = 0;
    for (int i = 1; i < words.count(); ++i) {
        (depthOf(i) == 0 ? mains : branches) += 1;
        deepest = std::max(deepest, depthOf(i));
    }
    EXPECT_GE(mains, 300);
    EXPECT_GE(branches, 40);
    EXPECT_GE(deepest, 2) << "no thread goes two levels deep";
}

// A key such as "НЕ ИНТЕРЕСНО" is also found inside "МНЕ ИНТЕРЕСНО": without an entry above it
// for the "мне" form, "мне интересно" would get the answer to "не интересно".
TEST(DeliveredKnowledge, NegativeKeysDoNotAnswerTheMneForm)
{
    const std::string ne = cp("НЕ "), mne = cp("М");
    const std::string predicatives[] = {cp("ОЧЕНЬ"), cp("НРАВИТСЯ")};
    for (int i = 1; i < deliveredWords().count(); ++i) {
        const std::string key = tovrin::EntryKey(deliveredWords().get(i));
        if (key.rfind(ne, 0) != 0)
            continue;
        const std::string second = key.substr(ne.size(), key.find(' ', ne.size()) - ne.size());
        const bool predicative = second.back() == cp("О")[0] ||
            std::find(std::begin(predicatives), std::end(predicatives), second) !=
                std::end(predicatives);
        if (!predicative)
            continue;
        Conversation talk;
        if (depthOf(i) > 0)
            talk.after(parentOf(i));
        EXPECT_NE(talk.say(mne + key), i)
            << "«" << utf8(mne + key) << "» is answered by «" << utf8(headOf(i)) << "»";
    }
}

// Phrases as they reach the lookup (first letter capitalised, end punctuation added), with
// the entry that must answer them. The farewells must close the program, and the everyday
// "пока" of "не знаю пока" must not.
TEST(DeliveredKnowledge, CommonPhrasesGetTheRightEntry)
{
    struct Case {
        const char* phrase;
        const char* head; // "" when nothing fits and a fallback reply is drawn
        bool farewell;
    };
    const Case cases[] = {
        {"Пока.", "ПОКА.", true},
        {"Ну всё, пока!", "ПОКА!", true},
        {"Пока, Товрин.", "ПОКА,", true},
        {"Пока-пока.", "ПОКА.", true},
        {"До свидания!", "ДО СВИДАНИЯ!", true},
        {"Прощай.", "ПРОЩАЙ.", true},
        {"До встречи!", "ДО ВСТРЕЧИ!", true},
        {"Спокойной ночи.", "СПОКОЙНОЙ НОЧИ.", true},
        {"Мне пора идти.", "МНЕ ПОРА ИДТИ", true},
        {"Давно пора.", "ПОРА.", false},
        {"Пока не знаю.", "ПОКА НЕ ЗНАЮ.", false},
        {"Никак пока.", "НИКАК ПОКА", false},
        {"Не знаю пока.", "НЕ ЗНАЮ ПОКА", false},
        {"Покажи, что умеешь.", "ПОКАЖИ", false},
        {"Привет!", "ПРИВЕТ", false},
        {"Привет, как дела?", "КАК ДЕЛА", false},
        {"Как у тебя дела?", "КАК У ТЕБЯ ДЕЛА", false},
        {"Как тебя зовут?", "КАК ТЕБЯ ЗОВУТ", false},
        {"Товрин, ты робот?", "ТЫ РОБОТ", false},
        {"Какая сегодня погода?", "ПОГОД", false},
        {"Где мой паспорт?", "ПАСПОРТ", false},
        {"Я люблю спорт.", " СПОРТ", false},
        {"Мы победили!", "ПОБЕД", false},
        {"Я уже пообедал.", "ПООБЕДА", false},
        {"Умеешь считать?", "СЧИТАТЬ", false},
        {"Я люблю читать.", "ЧИТАТЬ", false},
        {"Сегодня прохладно.", "ПРОХЛАД", false},
        {"Ладно.", "ЛАДНО", false},
        {"Я копаюсь в огороде.", "В ОГОРОДЕ", false},
        {"Мой город очень красивый.", " ГОРОД", false},
        {"Расскажи анекдот.", "АНЕКДОТ", false},
        {"Ты любишь музыку?", "ЛЮБИШЬ МУЗЫК", false},
        {"Мне интересно.", "МНЕ ИНТЕРЕСНО", false},
        {"Это не интересно.", "НЕ ИНТЕРЕСНО", false},
        {"Мне смешно!", "МНЕ СМЕШНО", false},
        {"С тобой не скучно.", "ТОБОЙ НЕ СКУЧНО", false},
        {"Товрин!", "ТОВРИН", false},
        {"Всё зависит от обстоятельств.", "", false},
    };
    for (const Case& c : cases) {
        Conversation talk;
        const int answer = talk.say(cp(c.phrase));
        if (*c.head == '\0') {
            EXPECT_EQ(answer, 0) << c.phrase << " is answered by «" << utf8(headOf(answer)) << "»";
            continue;
        }
        ASSERT_NE(answer, 0) << c.phrase;
        EXPECT_EQ(utf8(headOf(answer)), c.head) << c.phrase;
        EXPECT_EQ(talk.saidFarewell(), c.farewell) << c.phrase;
    }
}

// Each dialogue starts afresh; every phrase names the entry that must answer it.
TEST(DeliveredKnowledge, ThreadsCarryTheConversation)
{
    using Dialogue = std::vector<std::pair<const char*, const char*>>;
    const Dialogue dialogues[] = {
        {{"Как дела?", "КАК ДЕЛА"}, {"Плохо.", "_ПЛОХО"}, {"Поссорился с другом.", "__ПОССОРИЛ"}},
        {{"Как дела?", "КАК ДЕЛА"}, {"Не очень.", "_НЕ ОЧЕНЬ"}, {"Устал.", "__УСТАЛ"}},
        {{"Как дела?", "КАК ДЕЛА"}, {"Мне очень хорошо!", "_МНЕ ОЧЕНЬ ХОРОШ"}},
        {{"Работаю.", "РАБОТАЮ."}, {"Мне очень не нравится.", "_НЕ НРАВИТСЯ"}},
        {{"Как дела?", "КАК ДЕЛА"}, {"Пока!", "ПОКА!"}},
        {{"Мне скучно.", "СКУЧНО"},
         {"Давай!", "_ДАВАЙ"},
         {"Огурец!", "__ОГУР"},
         {"Давай.", "___ДАВАЙ"},
         {"Лук.", "____ЛУК."}},
        {{"Привет.", "ПРИВЕТ"},
         {"Неплохое.", "_НЕПЛОХ"},
         {"Какая погода?", "ПОГОД"},
         {"Дождь.", "_ДОЖД"},
         {"Нет.", "__НЕТ."}},
        {{"Как тебя зовут?", "КАК ТЕБЯ ЗОВУТ"},
         {"Меня зовут Аня.", "_ЗОВУТ"},
         {"Я учусь в школе.", "__УЧУСЬ"}},
        {{"Ты любишь музыку?", "ЛЮБИШЬ МУЗЫК"},
         {"Классику.", "_КЛАССИК"},
         {"Моцарта.", "__МОЦАРТ"}},
    };
    for (const Dialogue& dialogue : dialogues) {
        Conversation talk;
        for (const auto& [phrase, head] : dialogue) {
            const int answer = talk.say(cp(phrase));
            ASSERT_NE(answer, 0) << phrase;
            EXPECT_EQ(utf8(headOf(answer)), head) << phrase;
        }
    }
}

// ---- the phrase lists

TEST(DeliveredLists, HoldFortyCompletePhrasesWithoutMarkers)
{
    struct List {
        const char* name;
        bool titled; // line 0 is a title that is never shown
    };
    const List lists[] = {
        {"W1.Dat", false},        {"W2.Dat", false},    {"Povtor.Dat", false}, {"X.Dat", false},
        {"BigString.Dat", false}, {"Pause.Dat", false}, {"Begin.dat", false},  {"AI.dat", true},
    };
    for (const List& list : lists) {
        std::vector<std::string> lines;
        ASSERT_TRUE(plainText(kBase / list.name, lines));
        const size_t first = list.titled ? 1 : 0;
        EXPECT_GE(lines.size(), first + 40) << list.name;
        for (size_t i = 0; i < lines.size(); ++i) {
            const std::string& line = lines[i];
            const std::string where = std::string(list.name) + " line " + std::to_string(i);
            ASSERT_FALSE(line.empty()) << where;
            EXPECT_EQ(line.find_first_of("^;@"), std::string::npos) << where << ": " << utf8(line);
            EXPECT_NE(line.front(), '_') << where;
            EXPECT_NE(line.front(), ' ') << where;
            if (i >= first) {
                EXPECT_NE(std::string_view(".!?").find(line.back()), std::string_view::npos)
                    << where << " does not end a sentence: " << utf8(line);
            }
        }
    }
}

TEST(DeliveredFiles, TheRecordAndTheLogStartEmpty)
{
    for (const char* name : {"Collection.Dat", "Log.Tovrin"}) {
        ASSERT_TRUE(fs::is_regular_file(kBase / name)) << name;
        EXPECT_EQ(fs::file_size(kBase / name), 0u) << name;
    }
}

TEST(DeliveredFiles, TheHistoryEndsWithTheCurrentVersion)
{
    std::vector<std::string> lines;
    ASSERT_TRUE(plainText(kData / "ReadMe.Txt", lines));
    std::vector<std::string> versions;
    for (const std::string& line : lines)
        if (line.rfind(cp("Версия "), 0) == 0)
            versions.push_back(utf8(line));
    ASSERT_GE(versions.size(), 3u);
    EXPECT_EQ(versions.front(), "Версия 2.26") << "the newest release comes first";
    EXPECT_EQ(versions.back(), "Версия 1.0");
}

// ---- the sound cues

uint32_t le32(const std::string& b, size_t at)
{
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 |
        uint32_t(uint8_t(b[at + 2])) << 16 | uint32_t(uint8_t(b[at + 3])) << 24;
}
uint16_t le16(const std::string& b, size_t at)
{
    return uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8);
}

// How long a RIFF/WAVE PCM file plays, in seconds; a failure names what is wrong with it.
testing::AssertionResult pcmDuration(const fs::path& file, double& seconds)
{
    const std::string b = bytesOf(file);
    if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0)
        return testing::AssertionFailure() << file << " is not a RIFF/WAVE file";
    if (le32(b, 4) != b.size() - 8)
        return testing::AssertionFailure() << file << ": the RIFF size does not match the file";
    uint16_t format = 0, channels = 0, blockAlign = 0, bits = 0;
    uint32_t rate = 0, byteRate = 0;
    bool haveFormat = false;
    for (size_t at = 12; at + 8 <= b.size();) {
        const std::string id = b.substr(at, 4);
        const uint32_t size = le32(b, at + 4);
        if (size > b.size() - at - 8)
            return testing::AssertionFailure() << file << ": chunk " << id << " runs past the end";
        if (id == "fmt ") {
            if (size < 16)
                return testing::AssertionFailure() << file << ": a short fmt chunk";
            format = le16(b, at + 8);
            channels = le16(b, at + 10);
            rate = le32(b, at + 12);
            byteRate = le32(b, at + 16);
            blockAlign = le16(b, at + 20);
            bits = le16(b, at + 22);
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat)
                return testing::AssertionFailure() << file << ": data before fmt";
            if (format != 1)
                return testing::AssertionFailure() << file << ": format " << format << ", not PCM";
            if (channels < 1 || channels > 2 || (bits != 8 && bits != 16) || rate < 8000 ||
                rate > 96000)
                return testing::AssertionFailure() << file << ": unusual PCM layout";
            if (blockAlign != channels * bits / 8 || byteRate != rate * blockAlign)
                return testing::AssertionFailure()
                    << file << ": inconsistent block align or byte rate";
            if (size == 0 || size % blockAlign != 0)
                return testing::AssertionFailure() << file << ": no whole frames of sound";
            seconds = double(size) / byteRate;
            return testing::AssertionSuccess();
        }
        at += 8 + size + (size & 1);
    }
    return testing::AssertionFailure() << file << " has no data chunk";
}

TEST(DeliveredSounds, AreShortPcmCues)
{
    for (const char* name : {"KeyBoard.wav", "Button1.wav", "Button2.wav", "Button3.wav",
                             "CpuSound.wav", "Close.wav"}) {
        double seconds = 0;
        ASSERT_TRUE(pcmDuration(kData / "Sound" / name, seconds));
        EXPECT_GT(seconds, 0.01) << name;
        EXPECT_LT(seconds, 0.5) << name;
    }
}

} // namespace
