// tovrin-kb explain: which entry answers a phrase, with all its replies, which almost did, and
// why; or a file of phrases answered as tab-separated lines.
#include "command.h"

#include "kb/cp1251.h"
#include "kb/entry.h"
#include "kb/knowledge.h"
#include "kb/linelist.h"
#include "kbtool/corpus.h"
#include "kbtool/explain.h"
#include "kbtool/kbtool.h"

#include <iostream>
#include <iterator>

namespace tovrin::kb {

namespace {

const char* const kHelp =
    "Рассказывает, что программа сделала бы с ФРАЗОЙ в новом ходе, как её судит\n"
    "tovrin-kb test: какие фильтры она встречает, какая запись Base\\Words.Dat отвечает, её\n"
    "строку, проход, который её нашёл, и все её ответы, записи выше, которые почти подошли,\n"
    "и почему не подошли, и записи, которые тоже подходят, но ей уступают. ФРАЗА берётся\n"
    "так, как её берёт строка ввода: до 255 символов, управляющие символы как пробелы.\n"
    "Ничего не выучивается и не сохраняется.\n"
    "  --after ОТВЕТ        что программа сказала перед этим: сначала пробуются ветки\n"
    "                       записи, которая это сказала. Если такой ответ есть у записей с\n"
    "                       разными ветками, он отвергается, и они называются: укажите ещё\n"
    "                       --after-line.\n"
    "  --after-line СТРОКА  строка Words.Dat, которая ответила в предыдущем ходе (ответ,\n"
    "                       если он тоже указан, должен быть одним из её ответов)\n"
    "  --all-replies        все ответы отвечающей записи (они показываются всегда)\n"
    "  --batch ФАЙЛ         много фраз за раз (ФАЙЛ «-» — стандартный ввод), по фразе на\n"
    "                       строке:\n"
    "                         ФРАЗА[<TAB>ОТВЕТ ПЕРЕД НЕЙ[<TAB>СТРОКА ИЛИ ЗАГОЛОВОК ЗАПИСИ]]\n"
    "                       (в ФРАЗЕ «\\t» — TAB, «\\\\» — обратная косая черта; пустые строки\n"
    "                       и строки, которые начинаются с «#», пропускаются). Пишет строку\n"
    "                       заголовка и по строке на фразу, с полями через TAB: фраза, ответ\n"
    "                       перед ней, ответ (заголовок отвечающей записи, «fallback W1»,\n"
    "                       «fallback W2», «profanity filter» или «no thread», когда ответ\n"
    "                       перед фразой не отнести ни к одной записи), все его ответы через\n"
    "                       « | », прощание (yes или no) и заметка о том, как он найден.\n"
    "                       Заголовок и слова полей ответа и прощания — для программ, они\n"
    "                       английские; заметка — по-русски.\n";

void listNeighbours(const char* title, const std::vector<kbtool::Neighbour>& list,
                    const LineList& words)
{
    constexpr std::size_t kShown = 15;
    if (list.empty())
        return;
    std::cout << title << '\n';
    for (std::size_t i = 0; i < list.size() && i < kShown; ++i) {
        const kbtool::Neighbour& n = list[i];
        std::cout << "  строка " << n.line << " \"" << shown(EntryHead(words.get(n.line)))
                  << "\": " << kbtool::whyText(n.why);
        if (!n.missing.empty())
            std::cout << " (нет \"" << shown(n.missing) << "\")";
        std::cout << '\n';
    }
    if (list.size() > kShown)
        std::cout << "  и ещё " << list.size() - kShown << '\n';
}

// The thread of the reply before, as the command line gives it; false (with the reason on
// standard error) when it cannot be placed.
bool threadOf(const LineList& words, const std::string& after, const std::string& said, int& line)
{
    line = 0;
    if (after.empty() && said.empty())
        return true;
    const kbtool::ThreadPick pick =
        kbtool::pickThread(words, cp1251::fromUtf8(after), cp1251::fromUtf8(said));
    if (!pick.fault.empty()) {
        std::cerr << "tovrin-kb explain: " << shown(pick.fault) << ".\n";
        return false;
    }
    if (pick.ambiguous) {
        std::cerr << "tovrin-kb explain: ответ \"" << after
                  << "\" есть у записей с разными ветками: "
                  << shown(kbtool::carriersText(words, pick.carriers))
                  << ". Назовите ту, что его сказала, ключом --after-line.\n";
        return false;
    }
    line = pick.line;
    return true;
}

int explainBatch(const std::string& path)
{
    std::string text;
    if (path == "-") {
        text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
        if (std::cin.bad()) {
            std::cerr << "tovrin-kb explain: не удалось прочесть стандартный ввод.\n";
            return ExitFailed;
        }
    } else if (!readFile("explain", fromStart(path), text)) {
        return ExitFailed;
    }
    LineList words;
    words.load(files::Words);
    LineList insults;
    insults.load(files::X);
    std::cout << kbtool::kBatchHeader << '\n';
    for (const kbtool::BatchPhrase& p : kbtool::parseBatch(text))
        std::cout << kbtool::batchRow(words, insults, p) << '\n';
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "tovrin-kb explain: не удалось записать в стандартный вывод.\n";
        return ExitFailed;
    }
    return ExitOk;
}

int explain(const Args& args)
{
    std::string after;
    std::string said;
    std::string batch;
    std::string phrase;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--after" || a == "--after-line" || a == "--batch") {
            if (i + 1 == args.size()) {
                std::cerr << "tovrin-kb explain: после " << a
                          << (a == "--after"       ? " нужен ответ.\n"
                                  : a == "--batch" ? " нужен файл.\n"
                                                   : " нужен номер строки.\n");
                return ExitUsage;
            }
            (a == "--after" ? after : a == "--batch" ? batch : said) = args[++i];
        } else if (a == "--all-replies") {
            // every reply of the answering entry is shown anyway
        } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
            std::cerr << "tovrin-kb explain: неизвестный ключ " << a << ".\n";
            return ExitUsage;
        } else {
            phrase += (phrase.empty() ? "" : " ") + a;
        }
    }
    if (!batch.empty()) {
        if (!phrase.empty() || !after.empty() || !said.empty()) {
            std::cerr
                << "tovrin-kb explain: с --batch фразы и ответы берутся только из его файла.\n";
            return ExitUsage;
        }
        return explainBatch(batch);
    }
    if (!said.empty() && (said.find_first_not_of("0123456789") != std::string::npos)) {
        std::cerr << "tovrin-kb explain: --after-line принимает номер строки Words.Dat.\n";
        return ExitUsage;
    }
    if (phrase.empty()) {
        std::cerr << "tovrin-kb explain: укажите фразу.\n";
        return ExitUsage;
    }
    LineList words;
    words.load(files::Words);
    int threadLine = 0;
    if (!threadOf(words, after, said, threadLine))
        return ExitFailed;
    const kbtool::Explanation e = kbtool::explain(words, phrase, threadLine);
    const kbtool::Turn& t = e.turn;

    std::cout << "Фраза:     \"" << shown(t.phrase) << "\" — так её берёт ход\n";
    if (!after.empty() || !said.empty()) {
        std::cout << "Перед ней: ";
        if (!after.empty())
            std::cout << '"' << after << "\": ";
        if (threadLine == 0)
            std::cout << "такого ответа нет ни у одной записи, поэтому нити нет\n";
        else
            std::cout << (after.empty() ? "сказала строка" : "ответ строки") << ' ' << threadLine
                      << " \"" << shown(EntryHead(words.get(threadLine)))
                      << "\", её ветки пробуются первыми\n";
    }
    if (!e.profanity.empty())
        std::cout << "Фильтр:    в списке грубостей есть \"" << shown(e.profanity)
                  << "\": ответ из " << shown(files::X) << ", ничего не ищется и не выучивается\n";
    if (!e.humanTopic.empty() && e.profanity.empty())
        std::cout << "Фильтр:    в списке человеческих тем есть \"" << shown(e.humanTopic)
                  << "\": если ничто не ответит, фраза не выучивается\n";
    if (t.step == kbtool::Step::LongPhrase)
        std::cout << "Стратегия: "
                  << kbtool::counted(static_cast<long long>(t.phrase.size()), "символ", "символа",
                                     "символов")
                  << ": ответ из " << shown(files::BigString) << " в 4 ходах из 6, в остальных:\n";
    if (t.step != kbtool::Step::Profanity) {
        const kbtool::Step step = t.step == kbtool::Step::LongPhrase ? t.lookupStep : t.step;
        if (t.line > 0) {
            const std::string line = words.get(t.line);
            std::cout << "Ответ:     строка " << t.line << " \"" << shown(EntryHead(line))
                      << "\" — " << kbtool::stepName(step)
                      << (t.farewell ? "; она заканчивает беседу" : "") << '\n';
            for (int r = 1; r <= EntryReplyCount(line); ++r)
                std::cout << "           " << shown(EntryReply(line, r)) << '\n';
        } else {
            const bool question = !t.phrase.empty() && t.phrase.back() == '?';
            std::cout << "Ответ:     ничто не подошло: ответ из "
                      << shown(question ? files::W1 : files::W2)
                      << (t.humanTopic ? ", и фраза не выучивается\n" : ", и фраза выучивается\n");
        }
    }
    listNeighbours("Почти подошли раньше неё:", e.almost, words);
    listNeighbours("Тоже подходят, но уступают:", e.lost, words);
    return ExitOk;
}

} // namespace

const Command& explainCommand()
{
    static const Command c{
        "explain",
        {"[--after ОТВЕТ] [--after-line СТРОКА] [--all-replies] ФРАЗА", "--batch ФАЙЛ"},
        "рассказывает, что программа сделала бы с фразой (или с файлом фраз)",
        kHelp,
        explain};
    return c;
}

} // namespace tovrin::kb
