// tovrin-kb test: every phrase of a corpus through a fresh turn, each miss named and the share
// as expected counted per part and topic.
#include "command.h"

#include "kb/cp1251.h"
#include "kb/entry.h"
#include "kb/knowledge.h"
#include "kb/linelist.h"
#include "kbtool/corpus.h"
#include "kbtool/kbtool.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>

namespace tovrin::kb {

namespace {

const char* const kHelp =
    "Пропускает каждую фразу файла КОРПУС через то, что программа делает в новом ходе\n"
    "(фильтры, стратегию длинной фразы и поиск в Base\\Words.Dat, с нитью ответа перед\n"
    "фразой, если случай его называет); ничего не выучивается и не сохраняется.\n"
    "Каждый промах печатается как КОРПУС:СТРОКА с фразой, ожидаемым, ответившей записью и\n"
    "шагом, который это решил; затем доля случаев, прошедших как ожидалось, по частям и по\n"
    "темам, и прощания там, где их не ждали.\n"
    "\n"
    "Корпус — текст UTF-8: заголовки «[part tuning]» или «[part held-back]» и «[topic ИМЯ]»,\n"
    "строки комментариев с «#» и по случаю на строке:\n"
    "  ФРАЗА<TAB>ОЖИДАЕМОЕ[<TAB>ОТВЕТ ПЕРЕД НЕЙ[<TAB>ЗАПИСЬ, КОТОРАЯ ЕГО СКАЗАЛА]]\n"
    "ФРАЗА берётся так, как её берёт строка ввода (255 символов, управляющие символы как\n"
    "пробелы, смайлик как «)»); в ней «\\t» означает TAB, а «\\\\» — обратную косую черту.\n"
    "Нить — та, что у записи, сказавшей ОТВЕТ ПЕРЕД НЕЙ. Если этот ответ есть у записей с\n"
    "разными ветками, случай не проходит и называет их, пока поле ЗАПИСЬ, КОТОРАЯ ЕГО\n"
    "СКАЗАЛА не назовёт одну — номером строки в Words.Dat или заголовком; номер строки без\n"
    "ответа открывает нить этой записи.\n"
    "ОЖИДАЕМОЕ — заголовок записи, которая должна ответить, как он написан в Words.Dat\n"
    "(несколько — через « | »), или «farewell» (должна ответить прощальная запись), или\n"
    "«learn» (что угодно, кроме прощания). Если записи с таким заголовком нет, его заменяет\n"
    "запись с тем же словом и пробелом впереди или знаком в конце (« ПЛАЧ», «ЛОЛ.»).\n"
    "  --min-tuning ПРОЦЕНТ     наименьшая доля для части tuning (от 0 до 100)\n"
    "  --min-held-back ПРОЦЕНТ  наименьшая доля для части held-back (от 0 до 100)\n"
    "\n"
    "Код возврата: 1, если доля части ниже её --min-..., если было нежданное прощание или\n"
    "если строку корпуса не удалось прочесть; иначе 0.\n";

const char* const kFailed = ": НЕ ПРОЙДЕНО";

// A percentage given on the command line: a number from 0 to 100.
bool percentOption(const std::string& option, const std::string& value, double& out)
{
    char* end = nullptr;
    out = std::strtod(value.c_str(), &end);
    if (value.empty() || *end != '\0' || out < 0 || out > 100) {
        std::cerr << "tovrin-kb test: " << option << " принимает процент от 0 до 100.\n";
        return false;
    }
    return true;
}

void showMiss(const kbtool::CaseResult& r, const LineList& words, const std::string& corpusPath)
{
    const kbtool::CorpusCase& c = *r.c;
    std::cout << corpusPath << ':' << c.line << ": "
              << (r.unintendedFarewell ? "прощание" : "промах") << " ["
              << cp1251::visibleControls(c.part + (c.topic.empty() ? "" : " / " + c.topic))
              << "] \"" << cp1251::visibleControls(c.phrase) << "\"";
    if (!c.after.empty())
        std::cout << " после \"" << shown(c.after) << "\"";
    if (!c.said.empty())
        std::cout << " (сказала запись " << shown(c.said) << ")";
    std::cout << "\n    ожидалось: ";
    switch (c.expect) {
    case kbtool::CorpusCase::Expect::Farewell: std::cout << "прощальная запись"; break;
    case kbtool::CorpusCase::Expect::Learn: std::cout << "не прощание"; break;
    case kbtool::CorpusCase::Expect::Keys:
        for (std::size_t k = 0; k < c.keys.size(); ++k)
            std::cout << (k ? " | " : "") << shown(c.keys[k]);
        break;
    }
    const kbtool::Turn& t = r.turn;
    std::cout << "\n    получено:  ";
    if (t.line > 0)
        std::cout << "строка " << t.line << " \"" << shown(EntryHead(words.get(t.line))) << "\""
                  << (t.farewell ? " (прощание)" : "") << " — ";
    std::cout << kbtool::stepName(t.step == kbtool::Step::LongPhrase ? t.lookupStep : t.step);
    if (t.step == kbtool::Step::LongPhrase)
        std::cout << " в 2 ходах из 6; в остальных — " << kbtool::stepName(t.step);
    std::cout << "\n    почему:    " << shown(r.why) << '\n';
}

int test(const Args& args)
{
    double minTuning = 0;
    double minHeldBack = 0;
    std::string corpusPath;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--min-tuning" || a == "--min-held-back") {
            if (i + 1 == args.size()) {
                std::cerr << "tovrin-kb test: после " << a << " нужен процент.\n";
                return ExitUsage;
            }
            if (!percentOption(a, args[i + 1], a == "--min-tuning" ? minTuning : minHeldBack))
                return ExitUsage;
            ++i;
        } else if (a.size() > 1 && a[0] == '-') {
            std::cerr << "tovrin-kb test: неизвестный ключ " << a << ".\n";
            return ExitUsage;
        } else if (corpusPath.empty()) {
            corpusPath = a;
        } else {
            std::cerr << "tovrin-kb test: укажите один файл корпуса.\n";
            return ExitUsage;
        }
    }
    if (corpusPath.empty()) {
        std::cerr << "tovrin-kb test: укажите файл корпуса.\n";
        return ExitUsage;
    }
    corpusPath = fromStart(corpusPath);
    std::string text;
    if (!readFile("test", corpusPath, text))
        return ExitFailed;
    const kbtool::Corpus corpus = kbtool::parseCorpus(text);
    LineList words;
    words.load(files::Words);
    const kbtool::Replay replay = kbtool::replayCorpus(words, corpus);

    bool failed = false;
    for (const auto& f : corpus.faults) {
        std::cout << corpusPath << ':' << f.line << ": ошибка: " << f.reason << ".\n";
        failed = true;
    }
    for (const auto& r : replay.results)
        if (!r.passed)
            showMiss(r, words, corpusPath);

    std::cout << "\n";
    const auto required = [&](const std::string& part) {
        return part == kbtool::kPartTuning  ? minTuning
            : part == kbtool::kPartHeldBack ? minHeldBack
                                            : 0.0;
    };
    for (const std::string& part :
         {std::string(kbtool::kPartTuning), std::string(kbtool::kPartHeldBack)}) {
        const auto it = std::find_if(replay.parts.begin(), replay.parts.end(),
                                     [&](const auto& s) { return s.name == part; });
        const double need = required(part);
        if (it == replay.parts.end()) {
            if (need > 0) {
                std::cout << "часть " << part << ": случаев нет, а нужно не меньше "
                          << percent(need) << kFailed << "\n";
                failed = true;
            }
            continue;
        }
        const bool low = it->percent() < need;
        failed = failed || low;
        std::cout << "часть " << part << ": как ожидалось " << it->passed << " из " << it->cases
                  << " (" << percent(it->percent()) << ")";
        if (need > 0)
            std::cout << ", нужно не меньше " << percent(need) << (low ? kFailed : "");
        std::cout << '\n';
    }
    for (const auto& s : replay.topics)
        std::cout << "  " << s.name << ": " << s.passed << " из " << s.cases << " ("
                  << percent(s.percent()) << ")\n";
    std::cout << "нежданных прощаний: " << replay.unintendedFarewells
              << (replay.unintendedFarewells > 0 ? kFailed : "") << "\n";
    failed = failed || replay.unintendedFarewells > 0;
    return failed ? ExitFailed : ExitOk;
}

} // namespace

const Command& testCommand()
{
    static const Command c{"test",
                           {"[--min-tuning ПРОЦЕНТ] [--min-held-back ПРОЦЕНТ] КОРПУС"},
                           "пропускает каждую фразу корпуса через новый ход и считает попадания",
                           kHelp,
                           test};
    return c;
}

} // namespace tovrin::kb
