// What the commands of tovrin-kb share: the help made from the table, the paths of the command
// line and the reasons a file cannot be opened.
#include "command.h"

#include "kb/cp1251.h"
#include "kb/files.h"
#include "kb/knowledge.h"

#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <sstream>

#include <sys/stat.h>

namespace tovrin::kb {

namespace {

std::filesystem::path gStartFolder;

// Characters, not bytes, of UTF-8 text: the columns it takes at a terminal.
std::size_t columns(std::string_view utf8)
{
    std::size_t n = 0;
    for (const char c : utf8)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    return n;
}

const char* const kUsageLead = "Использование: ";
const char* const kProgram = "tovrin-kb [-C ПАПКА] ";

} // namespace

const Command* findCommand(const std::string& name)
{
    for (const Command& c : commands())
        if (name == c.name)
            return &c;
    return nullptr;
}

std::string generalHelp()
{
    constexpr std::size_t kSummaryColumn = 18;
    std::string text = std::string(kUsageLead) + kProgram +
        "КОМАНДА [АРГУМЕНТЫ]\n"
        "\n"
        "Работает с базой знаний в Base\\ текущей папки (или ПАПКИ).\n"
        "\n"
        "Команды:\n";
    for (const Command& c : commands()) {
        std::string forms;
        for (const char* form : c.synopsis) {
            if (!forms.empty())
                forms += "\n";
            forms += "  " + std::string(c.name) + (*form ? " " : "") + form;
        }
        if (c.synopsis.empty())
            forms = "  " + std::string(c.name);
        const std::size_t last = forms.rfind('\n') + 1;
        const std::size_t width = columns(std::string_view(forms).substr(last));
        if (width + 2 <= kSummaryColumn && c.synopsis.size() <= 1)
            text += forms + std::string(kSummaryColumn - width, ' ') + c.summary + "\n";
        else
            text += forms + "\n" + std::string(kSummaryColumn, ' ') + c.summary + "\n";
    }
    text +=
        "\n"
        "ФАЙЛ называется так, как его называет программа (Base\\Words.Dat), или так, как принято\n"
        "в этой системе (Base/Words.Dat); без него берётся Base\\Words.Dat.\n"
        "«tovrin-kb КОМАНДА --help» рассказывает о команде и всех её ключах,\n"
        "«tovrin-kb --version» называет версию.\n";
    return text;
}

std::string commandHelp(const Command& command)
{
    std::string text;
    const std::string indent(columns(kUsageLead), ' ');
    bool first = true;
    for (const char* form : command.synopsis) {
        text += (first ? std::string(kUsageLead) : indent) + kProgram + command.name +
            (*form ? " " : "") + form + "\n";
        first = false;
    }
    if (first)
        text += std::string(kUsageLead) + kProgram + command.name + "\n";
    return text + "\n" + command.help;
}

std::string shown(const std::string& text) { return cp1251::toUtf8(cp1251::visibleControls(text)); }

void setStartFolder(const std::string& folder) { gStartFolder = folder; }

std::string fromStart(const std::string& path)
{
    const std::filesystem::path p(path);
    return p.is_absolute() || gStartFolder.empty() ? path : (gStartFolder / p).string();
}

bool fileOperand(const std::string& command, const Args& args, std::string& file)
{
    file = files::Words;
    if (args.size() > 1) {
        std::cerr << "tovrin-kb " << command << ": укажите не больше одного файла.\n";
        return false;
    }
    if (!args.empty()) {
        if (args[0].size() > 1 && args[0][0] == '-') {
            std::cerr << "tovrin-kb " << command << ": неизвестный ключ " << args[0] << ".\n";
            return false;
        }
        file = cp1251::fromUtf8(args[0]);
    }
    return true;
}

bool readFile(const std::string& command, const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    if (!in) {
        std::cerr << "tovrin-kb " << command << ": не удаётся прочесть " << path << ".\n";
        return false;
    }
    text = s.str();
    return true;
}

std::string percent(double value)
{
    std::ostringstream s;
    s << std::fixed << std::setprecision(1) << value;
    std::string text = s.str();
    if (const std::size_t point = text.find('.'); point != std::string::npos)
        text[point] = ','; // the Russian decimal mark
    return text + '%';
}

std::string whyCannotOpen(const std::string& file)
{
    if (namesForeignDrive(file))
        return "путь называет диск или сетевую папку, а их в этой системе нет.";
    const std::string path = resolvePath(file);
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode) && !savedAt(file))
        return "это символическая ссылка, которая ведёт за пределы рабочей папки (или в никуда), а по таким "
               "программы не ходят.";
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return "это папка, а не файл.";
        if (!S_ISREG(st.st_mode))
            return "это не обычный файл.";
        return "нет прав на его чтение.";
    }
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    if (slash != std::string::npos && ::stat(folder.c_str(), &st) != 0)
        return "здесь нет папки " + folder +
            ". Запустите команду в рабочей папке программы, той, где лежит "
            "Base, или назовите эту папку ключом -C.";
    return "такого файла нет.";
}

} // namespace tovrin::kb
