// The knowledge lookup: which entry answers, which of its replies, how the conversation thread
// goes on from turn to turn, the farewell, and the fallback lists.
#include "support/engine_fixture.h"

namespace tovrin::test {
namespace {

using Lookup = EngineTest;

TEST_F(Lookup, FollowsTheThreadDownTheBranches)
{
    struct Step {
        const char* typed;
        int reply; // the draw
        const char* expected;
        int depth;
        int line;
        bool farewell;
    };
    const std::vector<Step> steps = {
        {"Привет, программа.", 1, "Здравствуй!", 1, 1, false},
        {"Как дела?", 0, "Хорошо, а у тебя?", 2, 2, false},
        {"Хорошо.", 1, "Рад слышать.", 3, 3, false},
        // The branch scan passes over line 4, meets the main phrase of line 5 and ends the
        // thread; the main lookup answers from line 5 and its farewell mark closes the window.
        {"Пока.", 0, "До свидания!", 1, 5, true},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.typed);
        say(s.typed, knowledge(s.reply));
        EXPECT_EQ(reply(), s.expected);
        EXPECT_EQ(engine.state().ThreadDepth, s.depth);
        EXPECT_EQ(engine.state().ThreadLine, s.line);
        EXPECT_EQ(host.farewell, s.farewell);
    }
}

TEST_F(Lookup, ThreadStateAfterEachKindOfTurn)
{
    struct Step {
        const char* typed;
        std::vector<int> draws;
        const char* expected;
        int depth;
        int line;
    };
    const std::vector<Step> steps = {
        {"здравствуй", knowledge(), "Отклик на фразу.", 0, 0}, // fallback: unchanged
        {"привет", knowledge(), "Привет!", 1, 1}, // main phrase at line 1
        {"ты кто?", knowledge(), "Я программа.", 2, 4}, // sibling branch below
        {"ты гад", {0, 1}, "Не груби.", 2, 4}, // canned: unchanged
        {"ну и ну", knowledge(), "Отклик на фразу.", 0, 5}, // met line 5, then fallback
        {"привет", knowledge(1), "Здравствуй!", 1, 1},
        {"хорошо", knowledge(), "Отклик на фразу.", 0, 5}, // depth 2 is not a candidate
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.typed);
        say(s.typed, s.draws);
        EXPECT_EQ(reply(), s.expected);
        EXPECT_EQ(engine.state().ThreadDepth, s.depth);
        EXPECT_EQ(engine.state().ThreadLine, s.line);
    }
}

TEST_F(Lookup, TheEndOfTheFileEndsTheThread)
{
    dir.writeLines("Base\\Words.Dat", {"Знания", "ПРИВЕТ^Привет!;", "ПОКА^До встречи.;"});
    say("пока", knowledge());
    EXPECT_EQ(engine.state().ThreadLine, 2);
    say("привет", knowledge());
    EXPECT_EQ(reply(), "Привет!");
    EXPECT_EQ(engine.state().ThreadLine, 1);
    say("пока", knowledge());
    say("что-то новое", knowledge());
    EXPECT_EQ(reply(), "Отклик на фразу.");
    EXPECT_EQ(engine.state().ThreadDepth, 0);
    EXPECT_EQ(engine.state().ThreadLine, 3); // the count of lines when the scan ran off the end
}

TEST_F(Lookup, AThreadSurvivesTurnsAnsweredWithoutTheLookup)
{
    say("привет", knowledge());
    say("дура", {0, 1});
    say("ДУРА", {0, 1}); // a repetition
    say("как дела?", knowledge());
    EXPECT_EQ(reply(), "Хорошо, а у тебя?");
}

TEST_F(Lookup, WhichEntryAnswers)
{
    struct Case {
        const char* name;
        std::vector<std::string> words;
        const char* typed;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"no backtracking", {"З", "АБ^Да.;"}, "ааб", "Отклик на фразу."},
        {"after a break", {"З", "АБ^Да.;"}, "авааб", "Отклик на фразу."},
        {"a fit", {"З", "АБ^Да.;"}, "авab аб", "Да."},
        {"one letter never fits the end", {"З", "Я^Я тут.;"}, "привет", "Отклик на фразу."},
        {"one letter", {"З", "Я^Я тут.;"}, "я тут", "Я тут."},
        {"a bare key is passed over",
         {"З", "ЧТО ТАКОЕ СЧАСТЬЕ?^"},
         "что такое счастье?",
         "Ответ на вопрос."},
        {"word by word", {"З", "КАК ТЫ^Нормально.;"}, "как же ты?", "Нормально."},
        {"word order", {"З", "КАК ТЫ^Нормально.;"}, "ты как?", "Ответ на вопрос."},
        {"the earlier entry", {"З", "ДЕЛА^Первая.;", "КАК ДЕЛА^Вторая.;"}, "как дела?", "Первая."},
        {"contiguous before word by word",
         {"З", "КАК ДЕЛА^Первая.;", "ТВОИ^Вторая.;"},
         "как твои дела?",
         "Вторая."},
        {"word by word when nothing is contiguous",
         {"З", "КАК ДЕЛА^Первая.;", "ТВОИ ДРУЗЬЯ^Вторая.;"},
         "как твои дела?",
         "Первая."},
        {"a lower-case key never fits", {"З", "Привет^Здравствуй.;"}, "привет", "Отклик на фразу."},
        {"a branch needs its underscores", {"З", "_ПРИВЕТ^Ветка.;"}, "привет", "Отклик на фразу."},
        {"a phrase with underscores fits a branch", {"З", "_ПРИВЕТ^Ветка.;"}, "_привет", "Ветка."},
        {"malformed lines are passed over",
         {"З", "", "ПРИВЕТ", "ПРИВЕТ ^Пробел.;", "ПРИВЕТ^Открыто", "ПРИВЕТ^;", "^ПРИВЕТ;",
          "ПРИВЕТ^@", "ПРИВЕТ^Здравствуй.;"},
         "привет",
         "Здравствуй."},
        {"the header is never an entry", {"ПРИВЕТ^Заголовок.;"}, "привет", "Отклик на фразу."},
        {"an empty file", {}, "привет", "Отклик на фразу."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dir.writeLines("Base\\Words.Dat", c.words);
        engine.pickUpAfter(""); // nothing is learnt
        host.transcript.clear();
        say(c.typed, knowledge());
        EXPECT_EQ(reply(), c.expected);
    }
}

TEST_F(Lookup, EachReplyIsEquallyLikely)
{
    dir.writeLines("Base\\Words.Dat", {"З", "КТО ТЫ^Я программа.;Я собеседник.;Я друг.;"});
    const std::vector<std::string> replies = {"Я программа.", "Я собеседник.", "Я друг."};
    for (int r = 0; r < 3; ++r) {
        host.transcript.clear();
        say("кто ты?", knowledge(r));
        EXPECT_EQ(reply(), replies[static_cast<std::size_t>(r)]);
        EXPECT_EQ(dice.asked[dice.asked.size() - 2], 3); // Random(3) over the entry's replies
    }
}

TEST_F(Lookup, OnlyAMainPhraseTurnsTheFarewellOnOrOff)
{
    dir.writeLines(
        "Base\\Words.Dat",
        {"З", "ПРИВЕТ^Привет!;", "_ПОКА^Пока-пока!;@", "ПОКА^До свидания!;@", "ЛАДНО^Ладно.;"});
    say("привет", knowledge());
    say("пока", knowledge());
    EXPECT_EQ(reply(), "Пока-пока!");
    EXPECT_FALSE(host.farewell); // a branch with the mark does not close

    host.farewell = true;
    say("ладно", knowledge());
    EXPECT_FALSE(host.farewell); // a main phrase without the mark stops it

    say("ну пока", knowledge());
    EXPECT_EQ(reply(), "До свидания!");
    EXPECT_TRUE(host.farewell);

    // A fallback leaves the timer alone.
    say("что-то ещё", knowledge());
    EXPECT_TRUE(host.farewell);
}

TEST_F(Lookup, QuestionsFallBackOnAnswersAndTheRestOnResponses)
{
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"что? да.", "Отклик на фразу."}, // only the last character counts
        {"ну?", "Ответ на вопрос."},
        {"ну!", "Отклик на фразу."},
        {"что это", "Отклик на фразу."},
    };
    for (const auto& [typed, expected] : cases) {
        SCOPED_TRACE(typed);
        host.transcript.clear();
        say(typed, knowledge());
        EXPECT_EQ(reply(), expected);
    }
}

TEST_F(Lookup, AnyLineOfAFallbackListMayBeDrawn)
{
    dir.writeLines("Base\\W2.Dat", {"Первый.", "Второй.", "Третий."});
    const std::vector<int> counts = {3, 3, 4}; // from the second turn on the list learns
    for (int r = 0; r < 3; ++r) {
        host.transcript.clear();
        say("фраза номер " + std::to_string(r), knowledge(r));
        EXPECT_EQ(dice.asked[dice.asked.size() - 2], counts[static_cast<std::size_t>(r)]);
    }
    EXPECT_EQ(reply(), "Третий.");
}

TEST_F(Lookup, AnEmptyFallbackListGivesAnEmptyReply)
{
    dir.writeLines("Base\\W2.Dat", {});
    say("что это", {1, 1});
    EXPECT_EQ(reply(), "");
    EXPECT_EQ(log().back(), "CPU:     ");
}

TEST_F(Lookup, AnEntryLearntOnOneTurnAnswersTheNext)
{
    engine.pickUpAfter(cp("Как тебя зовут?"));
    dir.writeLines("Base\\Words.Dat", {"З", "КАК ТЕБЯ ЗОВУТ?^Не скажу.;"});
    say("это секрет", knowledge());
    host.transcript.clear();
    say("как тебя зовут?", knowledge(1));
    EXPECT_EQ(reply(), "Это секрет.");
}

} // namespace
} // namespace tovrin::test
