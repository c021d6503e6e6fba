#pragma once
// A dialogue turn in a scratch folder that holds a whole Base\: the knowledge file of the
// thread example, one-line phrase lists and the files the turn appends to.
#include "engine/engine.h"
#include "kb/fileerror.h"
#include "kb/linelist.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tovrin::test {

// The example knowledge file: a greeting with two branches (one of them with a branch of its
// own), a farewell, and a bare key.
inline const std::vector<std::string> kExampleWords = {
    "Знания программы",
    "ПРИВЕТ^Привет!;Здравствуй!;",
    "_КАК ДЕЛА^Хорошо, а у тебя?;",
    "__ХОРОШО^Вот и славно.;Рад слышать.;",
    "_ТЫ КТО^Я программа.;",
    "ПОКА^До свидания!;@",
    "ЧТО ТАКОЕ СЧАСТЬЕ?^",
};

class EngineTest : public ::testing::Test {
protected:
    EngineTest()
    {
        dir.writeLines("Base\\Words.Dat", kExampleWords);
        dir.writeLines("Base\\W1.Dat", {"Ответ на вопрос."});
        dir.writeLines("Base\\W2.Dat", {"Отклик на фразу."});
        dir.writeLines("Base\\Povtor.Dat", {"Ты повторяешься."});
        dir.writeLines("Base\\X.Dat", {"Не груби."});
        dir.writeLines("Base\\Collection.Dat", {});
        dir.writeLines("Base\\BigString.Dat", {"Слишком длинно."});
        dir.writeLines("Base\\AI.dat", {"Заголовок", "Кстати, о погоде."});
        dir.writeLines("Base\\Log.Tovrin", {});
    }

    // Types the phrase (UTF-8) and submits it, with the draws of this turn.
    void say(const std::string& typed, const std::vector<int>& draws = {})
    {
        host.input = cp(typed);
        for (int d : draws)
            dice.push(d);
        engine.SpeakClick();
    }

    // The draws of an ordinary knowledge-path turn: the strategy, then the reply (or the
    // fallback line), then no delayed remark.
    static std::vector<int> knowledge(int reply = 0) { return {1, reply, 1}; }

    std::string reply() const
    {
        return host.transcript.empty() ? "" : utf(host.transcript.back().text);
    }
    std::vector<std::string> file(const std::string& path) const { return dir.readLines(path); }
    std::string lastLineOf(const std::string& path) const
    {
        const auto lines = file(path);
        return lines.empty() ? "" : lines.back();
    }
    std::vector<std::string> transcript() const
    {
        std::vector<std::string> out;
        for (const auto& line : host.transcript)
            out.push_back(utf(line.text));
        return out;
    }
    std::vector<std::string> log() const
    {
        std::vector<std::string> out;
        for (const auto& line : engine.state().Log.lines())
            out.push_back(utf(line));
        return out;
    }

    ScratchDir dir;
    RecordingHost host;
    RecordingCues cues;
    ScriptedDice dice;
    Engine engine{host, cues, dice};
};

} // namespace tovrin::test
