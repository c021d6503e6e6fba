// tovrin-kb merge: the working folder brought up to the installed delivered data, keeping
// everything the program learnt. The launcher runs it at every start.
#include "command.h"

#include "kbtool/upgrade.h"
#include "tovrin/version.h"

#include <iostream>

namespace tovrin::kb {

namespace {

const char* const kHelp =
    "Приводит рабочую папку (текущую или ПАПКУ) к поставленным данным программы из папки\n"
    "ДАННЫЕ (в пакете: /usr/share/games/tovrin/data). Недостающие файлы копируются.\n"
    "Когда данные новее тех, из которых папка сделана, файлы Base\\ сливаются: новые записи\n"
    "и строки добавляются там, где они стоят в новых данных, изменённые записи обновляются,\n"
    "а всё выученное (новые ключи, ответы, перенесённые записи, строки W1 и W2) остаётся;\n"
    "запись, изменённая с обеих сторон, сохраняет ваш текст и получает новые ответы.\n"
    "Звуки и ReadMe.Txt заменяются новыми, если вы их не меняли; Log.Tovrin и\n"
    "Collection.Dat не трогаются. Прежние версии изменённых файлов сохраняются в\n"
    "before-ВЕРСИЯ/, копия поставленных данных — в .delivered/. Прерванное слияние\n"
    "доводится до конца следующим запуском.\n"
    "  --quiet  ничего не выводить\n"
    "\n"
    "Выводит одну строку о том, что пришло. Код возврата: 0 при успехе, 1 при ошибке файла.\n";

int merge(const Args& args)
{
    bool quiet = false;
    std::string data;
    for (const std::string& a : args) {
        if (a == "--quiet") {
            quiet = true;
        } else if (a.size() > 1 && a[0] == '-') {
            std::cerr << "tovrin-kb merge: неизвестный ключ " << a << ".\n";
            return ExitUsage;
        } else if (data.empty()) {
            data = a;
        } else {
            std::cerr << "tovrin-kb merge: укажите одну папку данных.\n";
            return ExitUsage;
        }
    }
    if (data.empty()) {
        std::cerr << "tovrin-kb merge: укажите папку поставленных данных.\n";
        return ExitUsage;
    }
    const kbtool::UpgradeReport report = kbtool::upgradeWorkingFolder(fromStart(data), kVersion);
    const std::string line = kbtool::describeUpgrade(report);
    if (!quiet && !line.empty())
        std::cout << line << '\n';
    return ExitOk;
}

} // namespace

const Command& mergeCommand()
{
    static const Command c{"merge",
                           {"[--quiet] ДАННЫЕ"},
                           "приводит рабочую папку к поставленным данным, сохраняя выученное",
                           kHelp,
                           merge};
    return c;
}

} // namespace tovrin::kb
