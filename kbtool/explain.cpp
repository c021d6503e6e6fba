#include "kbtool/explain.h"

#include "engine/match.h"
#include "engine/wordlists.h"
#include "kb/cp1251.h"
#include "kb/entry.h"

#include <algorithm>
#include <optional>

namespace tovrin::kbtool {

namespace {

} // namespace

std::vector<std::string_view> keyWords(std::string_view key)
{
    std::vector<std::string_view> words;
    std::size_t begin = 0;
    while (begin < key.size()) {
        std::size_t end = key.find(' ', begin + 1);
        if (end == std::string_view::npos)
            end = key.size();
        words.push_back(key.substr(begin, end - begin));
        begin = end + 1;
    }
    return words;
}

namespace {

std::string joined(const std::vector<std::string_view>& words)
{
    std::string key;
    for (std::string_view w : words) {
        if (!key.empty())
            key += ' ';
        key += w;
    }
    return key;
}

bool fits(const UpperPhrase& phrase, std::string_view key)
{
    return ContainsKey(phrase, key) != 0 || ContainsWords(phrase, key);
}

// How a key that does not fit the phrase nearly does; nothing when it is far off.
std::optional<Neighbour> nearly(const UpperPhrase& phrase, std::string_view key)
{
    using Why = Neighbour::Why;
    if (key.empty() || fits(phrase, key))
        return std::nullopt;
    if (phrase.text().find(key) != std::string_view::npos)
        return Neighbour{0, Why::Backtracked, {}};
    std::string_view bare = key;
    while (bare.size() > 1 && std::string_view(" .,!?").find(bare.back()) != std::string_view::npos)
        bare.remove_suffix(1);
    if (bare.size() < key.size() && fits(phrase, bare))
        return Neighbour{0, Why::EndMark, {}};
    const std::string upper = cp1251::upper(key);
    if (upper != key && fits(phrase, upper))
        return Neighbour{0, Why::LowerCase, {}};
    const std::vector<std::string_view> words = keyWords(key);
    if (words.size() >= 2) {
        bool all = true;
        for (std::string_view w : words)
            all = all && ContainsKey(phrase, w) != 0;
        if (all)
            return Neighbour{0, Why::WordOrder, {}};
    }
    // One word found out of two says little; from three words on it is worth a look.
    if (words.size() >= 3)
        for (std::size_t skip = 0; skip < words.size(); ++skip) {
            std::vector<std::string_view> rest = words;
            rest.erase(rest.begin() + static_cast<std::ptrdiff_t>(skip));
            if (ContainsWords(phrase, joined(rest)))
                return Neighbour{0, Why::OneWordShort, std::string(words[skip])};
        }
    return std::nullopt;
}

std::string listHit(const UpperPhrase& phrase, const std::vector<std::string>& list)
{
    for (const std::string& entry : list)
        if (ContainsKey(phrase, entry) != 0)
            return entry;
    return {};
}

} // namespace

const char* whyText(Neighbour::Why why)
{
    using Why = Neighbour::Why;
    switch (why) {
    case Why::Backtracked:
        return "ключ стоит во фразе, но просмотр не возвращается назад и проходит мимо";
    case Why::EndMark: return "ключ подошёл бы, если бы не знак в его конце";
    case Why::WordOrder: return "все слова ключа есть, но не в том порядке";
    case Why::OneWordShort: return "по порядку есть все слова ключа, кроме одного";
    case Why::LowerCase: return "ключ подошёл бы, если бы был написан заглавными буквами";
    case Why::CannotAnswer:
        return "ключ подходит, но у записи нет ответа или она нарушает грамматику";
    case Why::WordsLater: return "подходит только по словам, а целый ключ отвечает первым";
    case Why::Later: return "тоже подходит, но стоит ниже";
    case Why::Thread: return "подходит, но первой отвечает ветка нити";
    case Why::Filtered: return "подходит, но первым отвечает фильтр грубостей";
    }
    return "";
}

Explanation explain(const LineList& words, const std::string& phrase, int threadLine)
{
    using Why = Neighbour::Why;
    Explanation e;
    e.threadLine = threadLine;
    const std::string taken = takePhrase(phrase);
    e.turn = playTurn(words, taken, e.threadLine);
    const UpperPhrase upper(taken);
    e.profanity = listHit(upper, Cenzura());
    e.humanTopic = listHit(upper, Filter_nr());

    const Turn& t = e.turn;
    const Step step = t.step == Step::LongPhrase ? t.lookupStep : t.step;
    const int answer = t.line;
    const auto add = [](std::vector<Neighbour>& to, int line, std::optional<Neighbour> n) {
        if (n) {
            n->line = line;
            to.push_back(std::move(*n));
        }
    };

    // The thread's branches that were tried before the answer.
    if (e.threadLine > 0) {
        const int depth = EntryDepth(words.view(e.threadLine)) + 1;
        for (int i = e.threadLine + 1; i < words.count(); ++i) {
            const std::string_view line = words.view(i);
            if (step == Step::Branch && i == answer)
                break;
            // As the scan goes: past lines that break the grammar, up to the next main phrase.
            const bool wellFormed = EntryWellFormed(line);
            if (wellFormed && EntryDepth(line) == 0)
                break;
            if (EntryDepth(line) != depth)
                continue;
            const std::string key = EntryKey(line);
            if ((!wellFormed || !EntryHasReplies(line)) && ContainsKey(upper, key) != 0)
                e.almost.push_back({i, Why::CannotAnswer, {}});
            else if (wellFormed)
                add(e.almost, i, nearly(upper, key));
        }
    }

    // The main phrases, in file order.
    for (int i = 1; i < words.count(); ++i) {
        const std::string_view line = words.view(i);
        if (line.empty() || line.front() == kDepthMark || i == answer)
            continue;
        const std::string_view head = EntryHeadView(line);
        const bool whole = ContainsKey(upper, head) != 0;
        const bool byWords = !whole && ContainsWords(upper, head);
        const bool before = answer == 0 || step == Step::Branch || i < answer;
        if (whole || byWords) {
            if (!EntryAnswers(line)) {
                if (before)
                    e.almost.push_back({i, Why::CannotAnswer, {}});
            } else if (step == Step::Profanity) {
                e.lost.push_back({i, Why::Filtered, {}});
            } else if (step == Step::Branch) {
                e.lost.push_back({i, Why::Thread, {}});
            } else if (step == Step::Contiguous && byWords) {
                e.lost.push_back({i, Why::WordsLater, {}});
            } else if (answer != 0 && !before) {
                e.lost.push_back({i, Why::Later, {}});
            }
            continue;
        }
        if (before)
            add(e.almost, i, nearly(upper, head));
    }
    return e;
}

std::vector<BatchPhrase> parseBatch(std::string_view utf8)
{
    std::vector<BatchPhrase> batch;
    if (utf8.substr(0, 3) == "\xEF\xBB\xBF")
        utf8.remove_prefix(3);
    int number = 0;
    while (!utf8.empty()) {
        const std::size_t end = std::min(utf8.find('\n'), utf8.size());
        std::string_view line = utf8.substr(0, end);
        utf8.remove_prefix(std::min(end + 1, utf8.size()));
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#')
            continue;
        BatchPhrase p;
        p.line = number;
        std::string_view rest = line;
        std::size_t tab = rest.find('\t');
        p.phrase = unescapeField(rest.substr(0, tab));
        if (tab != std::string_view::npos) {
            rest.remove_prefix(tab + 1);
            tab = rest.find('\t');
            p.after = cp1251::fromUtf8(rest.substr(0, tab));
            if (tab != std::string_view::npos)
                p.said = cp1251::fromUtf8(rest.substr(tab + 1));
        }
        batch.push_back(std::move(p));
    }
    return batch;
}

const char* const kBatchHeader = "phrase\tafter\tanswer\treplies\tfarewell\tnote";

std::string batchRow(const LineList& words, const LineList& insults, const BatchPhrase& p)
{
    // A field never holds a TAB or a line break of its own.
    const auto field = [](const std::string& cp) {
        std::string text = cp1251::toUtf8(cp);
        for (char& c : text)
            if (c == '\t' || c == '\n' || c == '\r')
                c = ' ';
        return text;
    };
    std::string row = escapeField(p.phrase) + '\t' + field(p.after) + '\t';
    const auto finish = [&](const std::string& answer, const std::string& replies, bool farewell,
                            const std::string& note) {
        return row + answer + '\t' + replies + '\t' + (farewell ? "yes" : "no") + '\t' + note;
    };
    int threadLine = 0;
    if (!p.after.empty() || !p.said.empty()) {
        const ThreadPick pick = pickThread(words, p.after, p.said);
        if (!pick.fault.empty())
            return finish("no thread", "", false, field(pick.fault));
        if (pick.ambiguous)
            return finish("no thread", "", false,
                          "ответ перед фразой есть у записей с разными ветками: " +
                              field(carriersText(words, pick.carriers)) +
                              "; назовите ту, что его сказала");
        threadLine = pick.line;
    }
    const Turn t = playTurn(words, takePhrase(p.phrase), threadLine);
    std::string note;
    if (!p.after.empty() && threadLine == 0)
        note = "ответа перед фразой нет ни у одной записи, поэтому нити нет; ";
    else if (threadLine > 0)
        note = "нить строки " + std::to_string(threadLine) + "; ";
    if (t.step == Step::Profanity) {
        std::string replies;
        for (int i = 0; i < insults.count(); ++i)
            replies += (i ? " | " : "") + field(insults.get(i));
        return finish("profanity filter", replies, false, note + stepName(t.step));
    }
    const Step step = t.step == Step::LongPhrase ? t.lookupStep : t.step;
    note += stepName(step);
    if (t.step == Step::LongPhrase)
        note += std::string("; длинная фраза: в остальных ходах ") + stepName(Step::LongPhrase);
    if (t.line == 0) {
        const bool question = !t.phrase.empty() && t.phrase.back() == '?';
        return finish(question ? "fallback W1" : "fallback W2", "", false,
                      note + (t.humanTopic ? ", не выучивается" : ", выучивается"));
    }
    const std::string line = words.get(t.line);
    std::string replies;
    for (int r = 1; r <= EntryReplyCount(line); ++r)
        replies += (r > 1 ? " | " : "") + field(EntryReply(line, r));
    return finish(field(EntryHead(line)), replies, t.farewell,
                  "строка " + std::to_string(t.line) + ", " + note);
}

} // namespace tovrin::kbtool
