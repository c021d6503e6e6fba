#pragma once
// The checks that the turn fuzzer runs on every input, shared with the corpus test: whole
// dialogue turns on arbitrary phrases against a small Base with branches and a farewell, in a
// folder of its own. No turn may fail or crash, and the knowledge file must stay well-formed
// whatever the phrases hold.
#include "engine/engine.h"
#include "engine/plainhost.h"
#include "kb/cp1251.h"
#include "kb/entry.h"
#include "kb/fileerror.h"
#include "kb/linelist.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

namespace tovrin::fuzz {

// Dice driven by the input, so that the fuzzer chooses the replies and strategies too.
class InputDice : public Dice {
public:
    explicit InputDice(unsigned seed) : state_(seed * 2654435761u + 1) {}
    void reseed() override {}
    int random(int n) override
    {
        state_ = state_ * 1103515245u + 12345u;
        return n <= 0 ? 0 : static_cast<int>((state_ >> 8) % static_cast<unsigned>(n));
    }

private:
    unsigned state_;
};

class TurnChecker {
public:
    TurnChecker()
    {
        const std::filesystem::path base = std::filesystem::is_directory("/dev/shm")
            ? "/dev/shm"
            : std::filesystem::temp_directory_path();
        std::string pattern = (base / "tovrin-turnfuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            folder_ = pattern;
        std::filesystem::create_directories(folder_ / "Base");
    }
    ~TurnChecker()
    {
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
    TurnChecker(const TurnChecker&) = delete;
    TurnChecker& operator=(const TurnChecker&) = delete;

    // The first byte chooses the mode and the dice; the rest, split at line breaks, are the
    // phrases of up to eight turns. In Cpu\Cpu mode each phrase is written raw into the
    // exchange file and read from there, as another program would hand it over.
    std::string check(std::string_view input)
    {
        const std::filesystem::path previous = std::filesystem::current_path();
        std::filesystem::current_path(folder_);
        std::string failure = run(input);
        std::filesystem::current_path(previous);
        return failure;
    }

private:
    static void writeFile(const std::string& name, const std::vector<std::string>& utf8Lines)
    {
        std::ofstream out(name, std::ios::binary | std::ios::trunc);
        for (const auto& l : utf8Lines)
            out << cp1251::fromUtf8(l) << "\r\n";
    }

    static void writeBase()
    {
        writeFile("Base/Words.Dat",
                  {"Заголовок", "ПРИВЕТ^Привет!;Здравствуй!;", "_КАК ДЕЛА^Хорошо, а у тебя?;",
                   "__ХОРОШО^Вот и славно.;", "_ТЫ КТО^Я программа.;", "ПОКА^До свидания!;@",
                   "КАК ТЫ^Нормально.;", "ЧТО ТАКОЕ СЧАСТЬЕ?^", "_ДА^Да?;"});
        writeFile("Base/W1.Dat", {"Да.", "Не знаю.", "Что? Ладно."});
        writeFile("Base/W2.Dat", {"Бывает.", "Как тебя зовут?", ""});
        writeFile("Base/Povtor.Dat", {"Ты повторяешься."});
        writeFile("Base/X.Dat", {"Не ругайся."});
        writeFile("Base/Collection.Dat", {});
        writeFile("Base/BigString.Dat", {"Длинно."});
        writeFile("Base/AI.dat", {"-", "Кстати.", "А знаешь что?"});
        writeFile("Base/Pause.Dat", {"Ты где?"});
        writeFile("Base/Begin.dat", {"Привет!"});
        writeFile("Base/Log.Tovrin", {});
    }

    static std::string run(std::string_view input)
    {
        writeBase();
        const unsigned char mode = input.empty() ? 0 : static_cast<unsigned char>(input.front());
        if (!input.empty())
            input.remove_prefix(1);

        PlainHost host;
        host.exchange = "Txt.Dat";
        SilentCues cues;
        InputDice dice(mode >> 1);
        Engine engine(host, cues, dice);
        host.cpuCpu = (mode & 1) != 0;

        LineList before;
        before.load("Base\\Words.Dat");
        int turns = 0;
        for (; turns < 8 && !input.empty(); ++turns) {
            const size_t end = input.find('\n');
            const std::string_view phrase = input.substr(0, end);
            input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
            if (host.cpuCpu) {
                std::ofstream("Txt.Dat", std::ios::binary | std::ios::trunc) << phrase;
                try {
                    engine.LoadExchange();
                } catch (const FileError&) {
                    continue; // a broken document: the poll reports it and tries again later
                }
            } else {
                host.input = std::string(phrase);
            }
            try {
                engine.SpeakClick();
                engine.DelayTick(); // the delayed remark speaks on its second tick
                engine.DelayTick();
            } catch (const FileError& e) {
                return std::string("a turn failed: ") + e.what();
            }
        }

        LineList words;
        try {
            words.load("Base\\Words.Dat");
        } catch (const FileError& e) {
            return std::string("the knowledge file does not load after the turns: ") + e.what();
        }
        if (words.get(0) != before.get(0))
            return "the header line changed";
        if (words.count() > before.count() + turns)
            return "more than one new entry per turn";
        for (int i = 1; i < words.count(); ++i)
            if (!EntryWellFormed(words.get(i)))
                return "line " + std::to_string(i) +
                    " of the knowledge file is malformed: " + cp1251::toUtf8(words.get(i));
        return {};
    }

    std::filesystem::path folder_;
};

} // namespace tovrin::fuzz
