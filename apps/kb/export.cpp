// tovrin-kb export: a line-list file as UTF-8 text, to be edited in any text editor.
#include "command.h"

#include "kb/linelist.h"
#include "kbtool/kbtool.h"

#include <iostream>

namespace tovrin::kb {

namespace {

const char* const kHelp =
    "Выводит файл-список строк ФАЙЛ (без него — Base\\Words.Dat), в RTF или простым текстом,\n"
    "в стандартный вывод текстом UTF-8, строка в строку, после первой строки, которая\n"
    "называет версию выданного файла («# tovrin-kb export, version ...»): оставьте её в\n"
    "отредактированном тексте, import сверяет её с файлом.\n"
    "Единственный байт, которому Windows-1251 не даёт символа (98), выводится как U+FFFD,\n"
    "и import читает его обратно как этот байт. Ключей у команды нет.\n";

int exportFile(const Args& args)
{
    std::string file;
    if (!fileOperand("export", args, file))
        return ExitUsage;
    LineList list;
    list.load(file);
    std::cout << kbtool::exportText(list);
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "tovrin-kb export: не удалось записать в стандартный вывод.\n";
        return ExitFailed;
    }
    return ExitOk;
}

} // namespace

const Command& exportCommand()
{
    static const Command c{"export",
                           {"[ФАЙЛ] > ТЕКСТ"},
                           "выводит список строк в стандартный вывод текстом UTF-8",
                           kHelp,
                           exportFile};
    return c;
}

} // namespace tovrin::kb
