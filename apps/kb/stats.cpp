// tovrin-kb stats: the counts of the main window.
#include "command.h"

#include "kb/knowledge.h"
#include "kbtool/kbtool.h"

#include <iostream>

namespace tovrin::kb {

namespace {

const char* const kHelp =
    "Считает базу знаний так же, как главное окно после запуска: главные фразы и ветки\n"
    "Base\\Words.Dat (строка состояния), входящие выражения (записи Words.Dat), исходящие\n"
    "выражения (строки BigString.Dat, Pause.Dat, Povtor.Dat, W1.Dat, W2.Dat и X.Dat и ответы\n"
    "Words.Dat) и их сумму (меню «Подробнее о базе:»), а затем исходящие выражения по файлам.\n"
    "Ключей у команды нет.\n";

int stats(const Args& args)
{
    if (!args.empty()) {
        std::cerr << "tovrin-kb stats: аргументов не принимает.\n";
        return ExitUsage;
    }
    const kbtool::Stats s = kbtool::collectStats();
    // The very words of the status bar and of the menu "Подробнее о базе:".
    std::cout << "Программе известно:   [главные фразы - " << s.mainPhrases << "   ветки - "
              << s.branches << "]\n"
              << "Входящие выражения: [" << s.incoming << "]\n"
              << "Исходящие выражения: [" << s.outgoing << "]\n"
              << "Итого: [" << s.total << "]\n"
              << "\nИсходящие выражения по файлам:\n";
    for (const auto& list : s.lists)
        std::cout << "  " << shown(list.path) << ": " << list.count << '\n';
    std::cout << "  " << shown(files::Words) << " (ответы): " << s.replies << '\n';
    return ExitOk;
}

} // namespace

const Command& statsCommand()
{
    static const Command c{"stats", {}, "показывает числа главного окна", kHelp, stats};
    return c;
}

} // namespace tovrin::kb
