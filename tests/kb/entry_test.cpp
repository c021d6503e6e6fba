// The knowledge file's line grammar: what each part of an entry means, which lines are
// malformed, and the counts shown to the user.
#include "kb/entry.h"
#include "kb/knowledge.h"
#include "kb/linelist.h"
#include "support/kbsupport.h"

#include <gtest/gtest.h>

namespace tovrin {
namespace {

using test::cp;
using test::utf;

struct EntryCase {
    const char* line;
    int depth;
    const char* head;
    const char* key;
    bool hasReplies;
    std::vector<std::string> replies;
    bool farewell;
};

TEST(Entry, ReadsEveryPartOfAnEntry)
{
    const std::vector<EntryCase> cases = {
        {"ПРИВЕТ^Привет!;Здравствуй!;",
         0,
         "ПРИВЕТ",
         "ПРИВЕТ",
         true,
         {"Привет!", "Здравствуй!"},
         false},
        {"_КАК ДЕЛА^Хорошо, а у тебя?;",
         1,
         "_КАК ДЕЛА",
         "КАК ДЕЛА",
         true,
         {"Хорошо, а у тебя?"},
         false},
        {"__ХОРОШО^Вот и славно.;Рад слышать.;",
         2,
         "__ХОРОШО",
         "ХОРОШО",
         true,
         {"Вот и славно.", "Рад слышать."},
         false},
        {"ПОКА^До свидания!;@", 0, "ПОКА", "ПОКА", true, {"До свидания!"}, true},
        {"ЧТО ТАКОЕ СЧАСТЬЕ?^", 0, "ЧТО ТАКОЕ СЧАСТЬЕ?", "ЧТО ТАКОЕ СЧАСТЬЕ?", false, {}, false},
        {"СКАЖИ^Раз.;Два.;@", 0, "СКАЖИ", "СКАЖИ", true, {"Раз.", "Два."}, true},
        // Only the first "^" ends the key; a reply may hold "^" and "@".
        {"ГДЕ^Там^тут.;На e@mail.;", 0, "ГДЕ", "ГДЕ", true, {"Там^тут.", "На e@mail."}, false},
        {"___ОЧЕНЬ ГЛУБОКО^Да.;@", 3, "___ОЧЕНЬ ГЛУБОКО", "ОЧЕНЬ ГЛУБОКО", true, {"Да."}, true},
    };
    for (const auto& c : cases) {
        const std::string line = cp(c.line);
        SCOPED_TRACE(c.line);
        EXPECT_EQ(EntryDepth(line), c.depth);
        EXPECT_EQ(utf(EntryHead(line)), c.head);
        EXPECT_EQ(utf(EntryKey(line)), c.key);
        EXPECT_EQ(EntryHasReplies(line), c.hasReplies);
        EXPECT_EQ(EntryAnswers(line), c.hasReplies); // a bare key is found but answers nothing
        ASSERT_EQ(EntryReplyCount(line), static_cast<int>(c.replies.size()));
        for (std::size_t r = 0; r < c.replies.size(); ++r)
            EXPECT_EQ(utf(EntryReply(line, static_cast<int>(r) + 1)), c.replies[r]);
        EXPECT_EQ(EntryHasFarewell(line), c.farewell);
        EXPECT_EQ(CheckEntry(line), EntryFault::Ok) << EntryFaultText(CheckEntry(line));
    }
}

TEST(Entry, ReplyOutsideTheEntryIsEmpty)
{
    const std::string line = cp("ПРИВЕТ^Привет!;Здравствуй!;");
    EXPECT_EQ(EntryReply(line, 0), "");
    EXPECT_EQ(EntryReply(line, 3), "");
    EXPECT_EQ(EntryReply(cp("ПРИВЕТ^"), 1), "");
}

TEST(Entry, FindsEveryKindOfMalformedLine)
{
    const std::vector<std::pair<const char*, EntryFault>> cases = {
        {"", EntryFault::Empty},
        {"ПРИВЕТ", EntryFault::NoKeyTerminator},
        {"_ПРИВЕТ;Да;", EntryFault::NoKeyTerminator},
        {"^Привет!;", EntryFault::NoKey},
        {"__^Привет!;", EntryFault::NoKey},
        {"ПРИВЕТ ^Привет!;", EntryFault::KeyEndsWithSpace},
        {"_ПРИВЕТ ^", EntryFault::KeyEndsWithSpace},
        {"ПРИ;ВЕТ^Привет!;", EntryFault::KeyHasSemicolon},
        {"ПРИВЕТ^Привет!", EntryFault::UnclosedReply},
        {"ПРИВЕТ^Привет!;Здравствуй", EntryFault::UnclosedReply},
        {"ПРИВЕТ^Привет!;@@", EntryFault::UnclosedReply},
        {"ПРИВЕТ^Привет!@", EntryFault::UnclosedReply},
        {"ПРИВЕТ^;", EntryFault::EmptyReply},
        {"ПРИВЕТ^Привет!;;", EntryFault::EmptyReply},
        {"ПРИВЕТ^;Привет!;@", EntryFault::EmptyReply},
        {"ПОКА^@", EntryFault::FarewellWithoutReply},
    };
    for (const auto& [line, fault] : cases) {
        SCOPED_TRACE(line);
        EXPECT_EQ(CheckEntry(cp(line)), fault) << EntryFaultText(CheckEntry(cp(line)));
        EXPECT_FALSE(EntryAnswers(cp(line)));
    }
}

TEST(KnowledgeCounts, CountsMainPhrasesBranchesAndReplies)
{
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        KnowledgeCounts expected;
    };
    const std::vector<Case> cases = {
        {"empty file", {}, {0, 0, 0}},
        {"header only", {"Знания"}, {0, 0, 0}},
        {"header is never an entry", {"ПРИВЕТ^Да;", "ПОКА^Нет;"}, {1, 0, 1}},
        {"example file",
         {"Знания", "ПРИВЕТ^Привет!;Здравствуй!;", "_КАК ДЕЛА^Хорошо, а у тебя?;",
          "__ХОРОШО^Вот и славно.;Рад слышать.;", "_ТЫ КТО^Я программа.;", "ПОКА^До свидания!;@",
          "ЧТО ТАКОЕ СЧАСТЬЕ?^"},
         {3, 3, 7}},
        {"bare keys are main phrases", {"Знания", "А^", "Б^", "_В^"}, {2, 1, 0}},
        {"three replies and a farewell", {"Знания", "ПОКА^Раз;Два;Три;@"}, {1, 0, 3}},
        {"malformed lines are neither",
         {"Знания", "", "ПРИВЕТ", "^а;", "_ПРИВЕТ ^а;", "А^б", "А^;", "А^@", "ПРИВЕТ^Да;", "_А^б;"},
         {1, 1, 2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> lines;
        for (const auto& l : c.lines)
            lines.push_back(cp(l));
        const KnowledgeCounts counts = CountKnowledge(LineList(lines));
        EXPECT_EQ(counts.mainPhrases, c.expected.mainPhrases);
        EXPECT_EQ(counts.branches, c.expected.branches);
        EXPECT_EQ(counts.replies, c.expected.replies);
    }
}

} // namespace
} // namespace tovrin
