// tovrin-kb check: the lines of the knowledge file that the program cannot use, the keys that
// can never answer and, for authors who ask, the advice.
#include "command.h"

#include "kb/fileerror.h"
#include "kb/knowledge.h"
#include "kb/linelist.h"
#include "kbtool/advice.h"
#include "kbtool/corpus.h"
#include "kbtool/kbtool.h"

#include <algorithm>
#include <filesystem>
#include <iostream>

namespace tovrin::kb {

namespace {

const char* const kHelp =
    "Читает файл знаний (без ФАЙЛА — Base\\Words.Dat) и называет каждую находку строкой\n"
    "ФАЙЛ:СТРОКА: ошибка|предупреждение: что не так\n"
    "  ошибки:          строки, нарушающие грамматику записи (программа их пропускает);\n"
    "  предупреждения:  ключи со строчными буквами (они никогда не совпадают), заголовки,\n"
    "                   которые уже есть у записи выше (та всегда находится первой), ключи,\n"
    "                   в которых есть ключ главной фразы выше (та отвечает первой везде,\n"
    "                   где находятся обе), ветки, над которыми нет записи на глубину меньше,\n"
    "                   и управляющие символы (программа их больше не принимает, импорт их\n"
    "                   отвергает), в том числе в строке заголовка.\n"
    "Строка 0 — строка заголовка, кроме этого она не проверяется. Последняя строка\n"
    "подводит итог: сколько записей, ошибок и предупреждений.\n"
    "\n"
    "С --advice (или --corpus) добавляются советы авторам, как предупреждения: записи, у\n"
    "которых меньше 3 ответов; записи, все ответы которых одинаковы; прощальные записи,\n"
    "которые отвечают на обычные фразы (встроенный список фраз вроде «я пока ем» и фразы\n"
    "корпуса, где прощания не ждут); ключи, которые стоят внутри 50 и более слов словаря,\n"
    "и ключи из нескольких слов (главный поиск находит их и по словам), одно из слов\n"
    "которых длиной от трёх букв стоит после других букв в 50 и более словах словаря;\n"
    "ключи со словом из списка грубостей, который отвечает первым; а с корпусом — записи с\n"
    "ветками, до которых не доходит ни одна фраза корпуса.\n"
    "Ошибка, которая показывается всегда: прощальный ключ в строке, которую говорит\n"
    "программа (в ответе записи, которая не прощается, или в строке списков фраз рядом с\n"
    "файлом): в режиме двух копий эта строка становится фразой другой копии, и обе\n"
    "заканчивают беседу.\n"
    "  --advice         добавить советы авторам\n"
    "  --corpus КОРПУС  корпус команды test (включает --advice)\n"
    "  --words СПИСОК   словарь, по слову на строке (подойдёт файл .dic орфографического\n"
    "                   словаря, кодировку называет его файл .aff); по умолчанию\n"
    "                   /usr/share/hunspell/ru_RU.dic, если он есть\n"
    "  --no-words       без словаря\n"
    "\n"
    "Код возврата: 0, если ошибок нет (предупреждения допустимы), иначе 1.\n";

int check(const Args& given)
{
    // The authors' options come first; what is left is the file.
    Args args;
    std::string corpusPath;
    std::string wordsPath;
    bool noWords = false;
    bool adviceWanted = false;
    for (std::size_t i = 0; i < given.size(); ++i) {
        const std::string& a = given[i];
        if (a == "--advice") {
            adviceWanted = true;
        } else if (a == "--corpus" || a == "--words") {
            if (i + 1 == given.size()) {
                std::cerr << "tovrin-kb check: после " << a << " нужен файл.\n";
                return ExitUsage;
            }
            (a == "--corpus" ? corpusPath : wordsPath) = fromStart(given[++i]);
        } else if (a == "--no-words") {
            noWords = true;
        } else {
            args.push_back(a);
        }
    }
    std::string file;
    if (!fileOperand("check", args, file))
        return ExitUsage;
    LineList words;
    words.load(file);
    auto problems = kbtool::checkKnowledge(words);
    const auto controls = kbtool::checkControlCharacters(words);
    problems.insert(problems.end(), controls.begin(), controls.end());
    kbtool::Corpus corpus;
    std::vector<std::string> wordList;
    kbtool::AdviceInput advice;
    if (!corpusPath.empty()) {
        std::string text;
        if (!readFile("check", corpusPath, text))
            return ExitFailed;
        corpus = kbtool::parseCorpus(text);
        advice.corpus = &corpus;
    }
    if (wordsPath.empty() && !noWords && std::filesystem::exists(kbtool::kDefaultWordList))
        wordsPath = kbtool::kDefaultWordList;
    if (!wordsPath.empty() && !noWords) {
        wordList = kbtool::loadWordList(wordsPath);
        advice.wordList = &wordList;
    }
    // The phrase lists beside the knowledge file that a turn's reply is drawn from (in two-copy
    // mode the other copy's phrases), those that are there.
    std::vector<kbtool::NamedList> lists;
    const std::size_t slash = file.find_last_of("\\/");
    const std::string folder =
        slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
    for (const std::string* list :
         {&files::BigString, &files::Povtor, &files::W1, &files::W2, &files::X}) {
        const std::string name = folder + list->substr(list->find_last_of('\\') + 1);
        try {
            kbtool::NamedList named{name, {}};
            named.lines.load(name);
            lists.push_back(std::move(named));
        } catch (const FileError&) {
        }
    }
    advice.phraseLists = &lists;
    // The authors' advice only when asked for; its errors always.
    for (const auto& p : kbtool::adviseAuthors(words, advice))
        if (adviceWanted || !corpusPath.empty() ||
            kbtool::severityOf(p.kind) == kbtool::Severity::Error)
            problems.push_back(p);
    std::stable_sort(problems.begin(), problems.end(),
                     [](const auto& a, const auto& b) { return a.line < b.line; });
    int errors = 0;
    int warnings = 0;
    for (const auto& p : problems) {
        const bool error = kbtool::severityOf(p.kind) == kbtool::Severity::Error;
        ++(error ? errors : warnings);
        std::cout << shown(file) << ':' << p.line << ": " << (error ? "ошибка" : "предупреждение")
                  << ": " << shown(kbtool::describe(p, words)) << '\n';
    }
    const int entries = words.count() > 0 ? words.count() - 1 : 0;
    std::cout << shown(file) << ": " << kbtool::counted(entries, "запись", "записи", "записей")
              << ", " << kbtool::counted(errors, "ошибка", "ошибки", "ошибок") << ", "
              << kbtool::counted(warnings, "предупреждение", "предупреждения", "предупреждений")
              << ".\n";
    return errors > 0 ? ExitFailed : ExitOk;
}

} // namespace

const Command& checkCommand()
{
    static const Command c{
        "check",
        {"[--advice] [--corpus КОРПУС] [--words СПИСОК | --no-words] [ФАЙЛ]"},
        "находит строки базы знаний, которыми программа не может воспользоваться",
        kHelp,
        check};
    return c;
}

} // namespace tovrin::kb
