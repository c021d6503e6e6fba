// tovrin-kb import: a line-list file replaced by edited UTF-8 text, never losing what the
// program learnt since the text was exported.
#include "command.h"

#include "kb/files.h"
#include "kb/linelist.h"
#include "kb/textformat.h"
#include "kbtool/kbtool.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <optional>

#include <unistd.h>

namespace tovrin::kb {

namespace {

const char* const kHelp =
    "Заменяет файл-список строк ФАЙЛ (без него — Base\\Words.Dat) текстом UTF-8 из\n"
    "стандартного ввода, строка в строку (LF или CR LF), и сохраняет его так, как хранит\n"
    "программа.\n"
    "Ничего не записывается, если в строке есть символ, которого нет в Windows-1251,\n"
    "управляющий символ или текст не в UTF-8, или, для файла знаний, если строка с 1-й и\n"
    "дальше нарушает грамматику записи (строка 0 — заголовок, она свободна): каждая такая\n"
    "строка называется в стандартном потоке ошибок.\n"
    "Ничего не записывается и тогда, когда стандартный ввод не читается, когда текст —\n"
    "документ RTF, а не текст UTF-8 (если только собственный текст файла не начинается так\n"
    "же), или когда в нём нет ни одной записи (ни одной строки, для файла знаний — только\n"
    "строка заголовка, для списка фраз — только пустые строки), если не указан --allow-empty.\n"
    "Файл должен быть той самой версии, из которой выгружен текст, как её называет первая\n"
    "строка текста: если программа с тех пор чему-то научилась или тем временем загружен\n"
    "другой текст (или текст не называет версию), импорт отказывается, чтобы ничего не\n"
    "потерять; выгрузите файл заново и повторите правку или укажите --force.\n"
    "Файл заменяется целиком, под той же блокировкой, которую программа берёт для своих\n"
    "изменений, так что программа, читающая его в тот же миг, видит либо старое, либо новое\n"
    "содержимое.\n"
    "  --allow-empty  сохранить и текст без единой записи\n"
    "  --force        заменить файл, даже если он изменился после выгрузки текста\n";

// The text on its way to the reader, its first line taken off when it names the version the
// text was exported from.
class VersionedInput {
public:
    explicit VersionedInput(kbtool::ImportReader& reader) : reader_(reader) {}
    void add(std::string_view piece)
    {
        if (decided_) {
            reader_.add(piece);
            return;
        }
        head_ += piece;
        if (head_.find('\n') != std::string::npos || head_.size() > kLongestHead)
            decide();
    }
    // The version the text names, once all of it was given; nothing when it names none.
    const std::optional<std::string>& finish()
    {
        if (!decided_)
            decide();
        return version_;
    }

private:
    static constexpr std::size_t kLongestHead = 4096; // a version line is far shorter
    void decide()
    {
        std::string_view rest = head_;
        version_ = kbtool::takeVersionLine(rest);
        reader_.add(rest);
        head_ = std::string();
        decided_ = true;
    }
    kbtool::ImportReader& reader_;
    std::string head_;
    bool decided_ = false;
    std::optional<std::string> version_;
};

// The whole of standard input. A read error is no end of input: it fails, with its cause.
// It goes to the reader piece by piece, so that it is never held whole.
bool readInput(VersionedInput& reader, std::string& error)
{
    char buffer[1 << 16];
    std::size_t total = 0;
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n == 0)
            return true;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = std::strerror(errno);
            return false;
        }
        total += static_cast<size_t>(n);
        if (total > kMaxFileSize) {
            error = "текст больше, чем может быть файл-список строк";
            return false;
        }
        reader.add(std::string_view(buffer, static_cast<size_t>(n)));
    }
}

int refuseImport(const std::string& file, const std::string& why)
{
    std::cerr << "tovrin-kb import: " << why << "\n"
              << "tovrin-kb import: "
              << "файл " << shown(file) << " оставлен как был.\n";
    return ExitFailed;
}

int importFile(const Args& args)
{
    bool allowEmpty = false;
    bool force = false;
    Args operands;
    for (const auto& a : args) {
        if (a == "--allow-empty")
            allowEmpty = true;
        else if (a == "--force")
            force = true;
        else
            operands.push_back(a);
    }
    std::string file;
    if (!fileOperand("import", operands, file))
        return ExitUsage;
    const bool entries = kbtool::namesKnowledgeFile(file);
    kbtool::ImportReader reader(entries);
    VersionedInput input(reader);
    std::string readError;
    if (!readInput(input, readError))
        return refuseImport(file, "не удалось прочесть стандартный ввод: " + readError + ".");
    const std::optional<std::string> exportedVersion = input.finish();
    auto result = reader.finish();
    if (looksLikeRtf(result.beginning) && !kbtool::exportLooksLikeRtf(file))
        return refuseImport(file,
                            "текст — документ RTF, а не текст UTF-8; дайте импорту текст, который "
                            "пишет «tovrin-kb export».");
    if (result.refused > 0) {
        for (const auto& r : result.refusals)
            std::cerr << "tovrin-kb import: строка " << r.line << ": " << r.reason << ".\n";
        if (result.refused > static_cast<int>(result.refusals.size()))
            std::cerr << "tovrin-kb import: и ещё "
                      << kbtool::counted(result.refused - static_cast<int>(result.refusals.size()),
                                         "строка", "строки", "строк")
                      << ".\n";
        std::cerr << "tovrin-kb import: "
                  << "файл " << shown(file)
                  << " оставлен как был (отвергнуто строк: " << result.refused << ").\n";
        return ExitFailed;
    }
    // Empty lines are no phrases: a phrase list of nothing else is as empty as one of no line.
    const bool empty = entries ? result.lines.count() < 2 : kbtool::holdsNoPhrase(result.lines);
    if (empty && !allowEmpty)
        return refuseImport(
            file,
            std::string(entries ? "в тексте нет ни одной записи после строки заголовка"
                            : result.lines.count() == 0
                            ? "в тексте нет ни одной строки"
                            : "в тексте нет ни одной фразы, только пустые строки") +
                " (пустой или пропавший ввод?); чтобы сохранить его таким, укажите --allow-empty.");
    LineList& list = result.lines;
    {
        // A copy of the program that changes the file at this moment waits for the import, and
        // one that changed it since the export is found out here.
        FileLock lock(file);
        if (!force && currentStamp(file)) {
            LineList now;
            now.load(file);
            const std::string version = kbtool::versionOf(now);
            // The text replaces only the version it was made from: what was learnt since, or
            // imported from another text, would be lost. A text that holds what the file holds
            // loses nothing.
            if (version != kbtool::versionOf(list)) {
                if (!exportedVersion)
                    return refuseImport(
                        file,
                        "текст не говорит, из какой версии " + shown(file) +
                            " он выгружен (нет его первой строки, которую пишет «tovrin-kb "
                            "export»), и импорт не может знать, что он заменит; выгрузите файл, "
                            "отредактируйте этот текст и загрузите его или укажите --force.");
                if (*exportedVersion != version)
                    return refuseImport(
                        file,
                        "файл " + shown(file) +
                            " изменился после выгрузки, из которой взят этот текст "
                            "(программа могла тем временем чему-то научиться или был "
                            "загружен другой текст), и импорт это потерял бы; выгрузите "
                            "файл заново и повторите правку или укажите --force.");
            }
        }
        list.save(file);
    }
    std::cerr << "tovrin-kb import: в " << shown(file) << " записано строк: " << list.count()
              << ".\n";
    return ExitOk;
}

} // namespace

const Command& importCommand()
{
    static const Command c{"import",
                           {"[--allow-empty] [--force] [ФАЙЛ] < ТЕКСТ"},
                           "заменяет список строк текстом UTF-8 из стандартного ввода",
                           kHelp,
                           importFile};
    return c;
}

} // namespace tovrin::kb
