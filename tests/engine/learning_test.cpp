// Learning from unanswered phrases: the fallback lists, the new key and the new reply of the
// entry the program spoke from; and that no phrase, however odd, breaks the knowledge file.
#include "support/engine_fixture.h"
#include "kb/cp1251.h"
#include "kb/entry.h"

#include "kb/files.h"

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <functional>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tovrin::test {
namespace {

namespace fs = std::filesystem;

class Learning : public EngineTest {
protected:
    Learning()
    {
        dir.writeLines("Base\\Words.Dat",
                       {"Знания", "ПРИВЕТ^Привет!;Здравствуй!;", "_КАК ДЕЛА^Хорошо.;",
                        "ДОБРЫЙ ДЕНЬ^Добрый!;", "КАК ТЕБЯ ЗОВУТ?^Не скажу.;", "ПОКА^До свидания!;@",
                        "ЯСНО.^"});
    }
    // A fallback turn after the given previous reply.
    void after(const char* previousReply, const char* typed)
    {
        engine.pickUpAfter(cp(previousReply));
        host.transcript.clear();
        say(typed, knowledge());
    }
};

TEST_F(Learning, TheAnswerToAQuestionIsLearntThreeWays)
{
    after("Как тебя зовут?", "это секрет");
    EXPECT_EQ(reply(), "Отклик на фразу.");
    EXPECT_EQ(file("Base\\W1.Dat"), (std::vector<std::string>{"Ответ на вопрос.", "Это секрет."}));
    EXPECT_EQ(file("Base\\W2.Dat"), (std::vector<std::string>{"Отклик на фразу."}));
    EXPECT_EQ(
        file("Base\\Words.Dat"),
        (std::vector<std::string>{"Знания", "ПРИВЕТ^Привет!;Здравствуй!;", "_КАК ДЕЛА^Хорошо.;",
                                  "ДОБРЫЙ ДЕНЬ^Добрый!;", "ПОКА^До свидания!;@", "ЯСНО.^",
                                  "ЭТО СЕКРЕТ.^", "КАК ТЕБЯ ЗОВУТ?^Не скажу.;Это секрет.;"}));
}

TEST_F(Learning, NothingIsLearntOnTheFirstTurnOfARun)
{
    const auto words = file("Base\\Words.Dat");
    after("", "что нового");
    EXPECT_EQ(file("Base\\Words.Dat"), words);
    EXPECT_EQ(file("Base\\W2.Dat").size(), 1u);
}

TEST_F(Learning, APhraseTheFallbackListHoldsStillBecomesAKey)
{
    dir.writeLines("Base\\W2.Dat", {"Отклик на фразу.", "Что нового."});
    after("", "что нового");
    EXPECT_EQ(lastLineOf("Base\\Words.Dat"), "ЧТО НОВОГО.^");
    EXPECT_EQ(file("Base\\W2.Dat").size(), 2u);
    EXPECT_EQ(file("Base\\W1.Dat").size(), 1u);
}

TEST_F(Learning, TheFallbackListsFirstLineIsNotSearched)
{
    dir.writeLines("Base\\W2.Dat", {"Что нового."});
    after("Ясно.", "что нового");
    EXPECT_EQ(file("Base\\W2.Dat"), (std::vector<std::string>{"Что нового.", "Что нового."}));
}

TEST_F(Learning, AKnownKeyAddsNothingToTheKnowledgeFile)
{
    // «Ясно.» is a bare key already: its reply list is not the place for it either.
    const auto words = file("Base\\Words.Dat");
    after("Как тебя зовут?", "ясно");
    EXPECT_EQ(file("Base\\Words.Dat"), words);
    EXPECT_EQ(lastLineOf("Base\\W1.Dat"), "Ясно.");
}

TEST_F(Learning, WhereTheAnswerGoes)
{
    struct Case {
        const char* previous;
        const char* typed;
        std::vector<std::string> w2; // before the turn
        std::size_t w1Lines; // after the turn
        std::size_t w2Lines;
    };
    const std::vector<Case> cases = {
        {"Что? Ладно.", "ну ладно", {"Отклик на фразу."}, 2, 1}, // a "?" anywhere
        {"Ладно.", "ну ладно", {"Отклик на фразу."}, 1, 2},
        // «Да.» ends with "." so the fallback came from W2; the target is W1.
        {"Ты здесь?", "да", {"Отклик на фразу."}, 2, 1},
        {"Ты здесь?", "да", {"Отклик на фразу.", "Да."}, 1, 2}, // found in W2: not added
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.previous) + " / " + c.typed);
        dir.writeLines("Base\\W1.Dat", {"Ответ на вопрос.", "Да."}); // W1 may hold it already
        dir.writeLines("Base\\W2.Dat", c.w2);
        after(c.previous, c.typed);
        EXPECT_EQ(file("Base\\W1.Dat").size(), c.w1Lines + 1);
        EXPECT_EQ(file("Base\\W2.Dat").size(), c.w2Lines);
    }
}

TEST_F(Learning, RepeatingTheProgramsWordsTeachesTheNewKeyItself)
{
    after("Ага.", "ага");
    EXPECT_EQ(lastLineOf("Base\\Words.Dat"), "АГА.^Ага.;");
}

TEST_F(Learning, TheEntryThatLearnsMovesToTheEndWithoutItsBranches)
{
    after("Привет", "и тебе привет");
    // «И тебе привет.» holds ПРИВЕТ, so it is answered: no learning. A phrase that no entry
    // answers is needed.
    EXPECT_EQ(reply(), "Привет!");
    after("Привет", "и тебе");
    EXPECT_EQ(
        file("Base\\Words.Dat"),
        (std::vector<std::string>{"Знания", "_КАК ДЕЛА^Хорошо.;", "ДОБРЫЙ ДЕНЬ^Добрый!;",
                                  "КАК ТЕБЯ ЗОВУТ?^Не скажу.;", "ПОКА^До свидания!;@", "ЯСНО.^",
                                  "И ТЕБЕ.^", "ПРИВЕТ^Привет!;Здравствуй!;И тебе.;"}));
}

TEST_F(Learning, AFarewellEntryKeepsItsMarkAtTheEnd)
{
    after("Пока", "всего доброго");
    EXPECT_EQ(lastLineOf("Base\\Words.Dat"), "ПОКА^До свидания!;Всего доброго.;@");
}

TEST_F(Learning, APreviousReplyThatIsNoKeyTeachesOnlyTheNewKey)
{
    after("Интересно.", "вот так");
    const auto words = file("Base\\Words.Dat");
    EXPECT_EQ(words.back(), "ВОТ ТАК.^");
    EXPECT_EQ(words.size(), 8u);
}

TEST_F(Learning, PhrasesWithTheFilesMarksNeverReachTheKnowledgeFile)
{
    const std::vector<const char*> cases = {
        "при^вет", "раз;два", "почта@дом", "_слева", "__двойное", "конец^", "ну;", "a@",
    };
    const auto words = file("Base\\Words.Dat");
    for (const char* typed : cases) {
        SCOPED_TRACE(typed);
        const auto w2 = file("Base\\W2.Dat").size();
        after("Ладно.", typed);
        EXPECT_EQ(file("Base\\Words.Dat"), words);
        EXPECT_EQ(file("Base\\W2.Dat").size(), w2 + 1); // the fallback list still learns it
    }
    // An underscore inside a phrase is harmless.
    after("Ладно.", "как_дела");
    EXPECT_EQ(lastLineOf("Base\\Words.Dat"), "КАК_ДЕЛА.^");
}

TEST_F(Learning, AnEntryNeverGrowsPastWhatALoadReadsBack)
{
    std::string replies;
    while (replies.size() < kMaxEntryLength - 40)
        replies += cp("Длинный ответ номер.;");
    const std::string entry = cp("ДЛИННО?^") + replies;
    LineList words({cp("Знания"), entry});
    words.save("Base\\Words.Dat");

    after("Длинно?", "это очень длинный ответ, который уже не поместится в строку");
    const auto lines = file("Base\\Words.Dat");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(cp(lines[1]), entry); // refused, not cut
    EXPECT_EQ(lines[2], "ЭТО ОЧЕНЬ ДЛИННЫЙ ОТВЕТ, КОТОРЫЙ УЖЕ НЕ ПОМЕСТИТСЯ В СТРОКУ.^");

    after("Длинно?", "да");
    EXPECT_EQ(cp(file("Base\\Words.Dat").back()), entry + cp("Да.;"));
}

TEST_F(Learning, APhraseWithNoLetterOrDigitIsAnsweredButNeverLearnt)
{
    struct Case {
        const char* typed;
        bool learnt;
    };
    const Case cases[] = {
        {".", false},
        {"?", false},
        {")))", false},
        {"!!! ...", false},
        {"\u2026 \u2014 \u00AB\u00BB", false},
        {"-_-", false},
        {"5?", true},
        {"ё!", true},
        {"\u0491?", true},
        {"ok)", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        const auto words = file("Base\\Words.Dat");
        const auto w1 = file("Base\\W1.Dat");
        const auto w2 = file("Base\\W2.Dat");
        after("Как тебя зовут?", c.typed);
        EXPECT_FALSE(reply().empty()); // the turn still answers, from a fallback list
        EXPECT_EQ(file("Base\\Words.Dat") != words, c.learnt);
        EXPECT_EQ(file("Base\\W1.Dat") != w1, c.learnt);
        EXPECT_EQ(file("Base\\W2.Dat"), w2);
    }
}

TEST_F(Learning, AHumanTopicPhraseChangesNoFile)
{
    const auto words = file("Base\\Words.Dat");
    after("Как тебя зовут?", "меня зовут Вася");
    EXPECT_EQ(file("Base\\Words.Dat"), words);
    EXPECT_EQ(file("Base\\W1.Dat").size(), 1u);
    EXPECT_EQ(file("Base\\W2.Dat").size(), 1u);
}

// Another process changes Words.Dat while a turn is between its lookup and its learning step:
// it steps in at the first save of the turn, the fallback list's.
class WriterBetweenLookupAndLearning : public SaveFaults {
public:
    explicit WriterBetweenLookupAndLearning(std::function<bool()> change) :
        change_(std::move(change))
    {
        setSaveFaults(this);
    }
    ~WriterBetweenLookupAndLearning() override { setSaveFaults(nullptr); }

    bool fail(SaveStep) override
    {
        if (!changed_) {
            changed_ = true; // before the fork: the other process's own saves pass through
            const pid_t pid = ::fork();
            if (pid == 0) {
                bool ok = false;
                try {
                    ok = change_();
                } catch (...) {
                }
                ::_exit(ok ? 0 : 1);
            }
            int status = -1;
            ::waitpid(pid, &status, 0);
            succeeded_ = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        }
        return false;
    }
    bool succeeded() const { return succeeded_; }

private:
    std::function<bool()> change_;
    bool changed_ = false;
    bool succeeded_ = false;
};

TEST_F(Learning, AChangeMadeBetweenTheLookupAndTheLearningStepIsKept)
{
    const std::string words = "Base\\Words.Dat";
    // Saves the lines of Words.Dat as another copy of the program does, after edit.
    const auto saveEdited = [&](const std::function<void(LineList&)>& edit) {
        LineList list;
        list.load(words);
        edit(list);
        list.save(words);
    };
    const auto renamedEntry = [](LineList& list) {
        std::vector<std::string> lines = list.lines();
        for (auto& line : lines)
            if (line == cp("КАК ТЕБЯ ЗОВУТ?^Не скажу.;"))
                line = cp("КАК ТЕБЯ ЗОВУТ?^Не скажи.;");
        list = LineList(lines);
    };
    struct Case {
        const char* name;
        std::function<bool()> change; // in the other process; false when it could not be made
        std::vector<std::string> words;
    };
    const std::vector<std::string> head = {"Знания",
                                           "ПРИВЕТ^Привет!;Здравствуй!;",
                                           "_КАК ДЕЛА^Хорошо.;",
                                           "ДОБРЫЙ ДЕНЬ^Добрый!;",
                                           "ПОКА^До свидания!;@",
                                           "ЯСНО.^"};
    const auto with = [&](std::vector<std::string> tail) {
        std::vector<std::string> all = head;
        all.insert(all.end(), tail.begin(), tail.end());
        return all;
    };
    const std::vector<Case> cases = {
        {"another copy saves a new entry",
         [&] {
             saveEdited([](LineList& list) { list.add(cp("НОВОЕ^Новое.;")); });
             return true;
         },
         with({"НОВОЕ^Новое.;", "ЭТО СЕКРЕТ.^", "КАК ТЕБЯ ЗОВУТ?^Не скажу.;Это секрет.;"})},
        {"a file of the same size and time takes its place",
         [&] {
             // As a copy that keeps the times (a backup put back) would leave it.
             struct stat before {};
             ::stat("Base/Words.Dat", &before);
             saveEdited(renamedEntry);
             const timespec times[2] = {before.st_atim, before.st_mtim};
             struct stat after {};
             return ::utimensat(AT_FDCWD, "Base/Words.Dat", times, 0) == 0 &&
                 ::stat("Base/Words.Dat", &after) == 0 && after.st_size == before.st_size &&
                 after.st_mtim.tv_sec == before.st_mtim.tv_sec &&
                 after.st_mtim.tv_nsec == before.st_mtim.tv_nsec;
         },
         with({"ЭТО СЕКРЕТ.^", "КАК ТЕБЯ ЗОВУТ?^Не скажи.;Это секрет.;"})},
        {"another program changes a letter in place",
         [&] {
             // «скажу.» as saved; the escape of «у» becomes that of «и».
             std::ifstream in("Base/Words.Dat", std::ios::binary);
             const std::string bytes{std::istreambuf_iterator<char>(in),
                                     std::istreambuf_iterator<char>()};
             const std::size_t at = bytes.find("\\'e6\\'f3.");
             const int fd = ::open("Base/Words.Dat", O_WRONLY);
             const bool written = at != std::string::npos && fd >= 0 &&
                 ::pwrite(fd, "e8", 2, static_cast<off_t>(at + 6)) == 2;
             ::close(fd);
             return written;
         },
         with({"ЭТО СЕКРЕТ.^", "КАК ТЕБЯ ЗОВУТ?^Не скажи.;Это секрет.;"})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Saved as the program saves it, with a time long past, so that a change in place
        // gives the file another one.
        LineList({cp("Знания"), cp("ПРИВЕТ^Привет!;Здравствуй!;"), cp("_КАК ДЕЛА^Хорошо.;"),
                  cp("ДОБРЫЙ ДЕНЬ^Добрый!;"), cp("КАК ТЕБЯ ЗОВУТ?^Не скажу.;"),
                  cp("ПОКА^До свидания!;@"), cp("ЯСНО.^")})
            .save(words);
        fs::last_write_time("Base/Words.Dat",
                            fs::file_time_type::clock::now() - std::chrono::hours(24 * 365));
        dir.writeLines("Base\\W1.Dat", {"Ответ на вопрос."});
        {
            WriterBetweenLookupAndLearning writer(c.change);
            after("Как тебя зовут?", "это секрет");
            EXPECT_TRUE(writer.succeeded());
        }
        EXPECT_EQ(file(words), c.words);
    }
}

TEST_F(Learning, AKnowledgeFileRemovedBeforeTheLearningStepFailsTheTurn)
{
    WriterBetweenLookupAndLearning writer([] { return ::unlink("Base/Words.Dat") == 0; });
    engine.pickUpAfter(cp("Как тебя зовут?"));
    host.input = cp("это секрет");
    for (int d : knowledge())
        dice.push(d);
    try {
        engine.SpeakClick();
        ADD_FAILURE() << "the turn went on without the knowledge file";
    } catch (const FileError& e) {
        EXPECT_STREQ(e.what(), "Cannot open file Base\\Words.Dat");
    }
    EXPECT_TRUE(writer.succeeded());
    EXPECT_EQ(lastLineOf("Base\\W1.Dat"), "Это секрет.");
}

// Dice of a fixed seed, so that a failure can be replayed.
class SeededDice : public Dice {
public:
    void reseed() override {}
    int random(int n) override
    {
        return n <= 0 ? 0 : std::uniform_int_distribution<int>(0, n - 1)(generator);
    }
    std::mt19937 generator{20261207};
};

TEST(LearningAtRandom, TheKnowledgeFileStaysWellFormed)
{
    ScratchDir dir;
    dir.writeLines("Base\\Words.Dat",
                   {"Знания", "ПРИВЕТ^Привет!;", "_КАК ДЕЛА^Хорошо.;", "ПОКА^Пока.;@"});
    dir.writeLines("Base\\W1.Dat", {"Да?", "Не знаю."});
    dir.writeLines("Base\\W2.Dat", {"Ясно.", "Интересно;", "@"});
    for (const char* list :
         {"Base\\Povtor.Dat", "Base\\X.Dat", "Base\\BigString.Dat", "Base\\AI.dat"})
        dir.writeLines(list, {"Так.", "Вот."});
    dir.writeLines("Base\\Collection.Dat", {});

    RecordingHost host;
    RecordingCues cues;
    SeededDice dice;
    Engine engine(host, cues, dice);

    // Short phrases from a small alphabet, so that keys recur and entries learn replies.
    const std::vector<std::string> pieces = {cp("да"), cp("нет"),    cp("ну"),   " ",     " ", "^",
                                             ";",      "@",          "_",        "?",     "!", ",",
                                             ".",      cp("привет"), cp("пока"), cp("ё"), "a"};
    std::mt19937 generator(1207);
    const int turns = 2000;
    for (int turn = 0; turn < turns; ++turn) {
        std::string phrase;
        const int length = std::uniform_int_distribution<int>(1, 5)(generator);
        for (int i = 0; i < length; ++i)
            phrase +=
                pieces[std::uniform_int_distribution<std::size_t>(0, pieces.size() - 1)(generator)];
        host.input = phrase;
        engine.SpeakClick();
    }

    LineList words;
    words.load("Base\\Words.Dat");
    ASSERT_GT(words.count(), 20);
    int withReplies = 0;
    for (int i = 1; i < words.count(); ++i) {
        EXPECT_TRUE(EntryWellFormed(words.get(i)))
            << "line " << i << ": " << utf(words.get(i)) << " ("
            << EntryFaultText(CheckEntry(words.get(i))) << ")";
        withReplies += EntryHasReplies(words.get(i)) ? 1 : 0;
    }
    EXPECT_GT(withReplies, 5);
    for (const char* list : {"Base\\W1.Dat", "Base\\W2.Dat", "Base\\Collection.Dat"})
        EXPECT_NO_THROW(LineList().load(list)) << list;
}

} // namespace
} // namespace tovrin::test
