#include "kbtool/corpus.h"
#include "kbtool/kbtool.h"

#include "engine/engine.h"
#include "engine/lookup.h"
#include "engine/match.h"
#include "engine/normalise.h"
#include "engine/wordlists.h"
#include "kb/cp1251.h"
#include "kb/entry.h"

#include <algorithm>

namespace tovrin::kbtool {

namespace {

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && (s.back() == ' ' || s.back() == '\r' || s.back() == '\t'))
        s.remove_suffix(1);
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    return s;
}

std::vector<std::string_view> split(std::string_view s, std::string_view separator)
{
    std::vector<std::string_view> out;
    for (;;) {
        const std::size_t at = s.find(separator);
        out.push_back(s.substr(0, at));
        if (at == std::string_view::npos)
            return out;
        s.remove_prefix(at + separator.size());
    }
}

Step stepOf(LookupPass pass)
{
    switch (pass) {
    case LookupPass::Branch: return Step::Branch;
    case LookupPass::Contiguous: return Step::Contiguous;
    case LookupPass::ByWords: return Step::ByWords;
    case LookupPass::None: break;
    }
    return Step::Fallback;
}

Share& shareNamed(std::vector<Share>& shares, const std::string& name)
{
    for (Share& s : shares)
        if (s.name == name)
            return s;
    shares.push_back({name, 0, 0});
    return shares.back();
}

// The word of a head without the marks that only say where it stands: a leading space (the
// word begins there) and final punctuation (it ends there). " ПЛАЧ" and "ЛОЛ." are the
// entries a case names as ПЛАЧ and ЛОЛ.
std::string_view bareWord(std::string_view head)
{
    std::size_t depth = 0;
    while (depth < head.size() && head[depth] == '_')
        ++depth;
    std::string_view key = head.substr(depth);
    if (!key.empty() && key.front() == ' ')
        key.remove_prefix(1);
    while (key.size() > 1 && std::string_view(".,!?").find(key.back()) != std::string_view::npos)
        key.remove_suffix(1);
    return key;
}

bool sameWord(std::string_view head, std::string_view expected)
{
    const auto depthOf = [](std::string_view h) { return h.find_first_not_of('_'); };
    return depthOf(head) == depthOf(expected) &&
        bareWord(head) == expected.substr(std::min(depthOf(expected), expected.size()));
}

bool hasExactHead(const LineList& words, std::string_view head)
{
    for (auto it = words.at(std::min(1, words.count())); it != words.end(); ++it)
        if (EntryHeadView(*it) == head && EntryWellFormed(*it))
            return true;
    return false;
}

// A case names the entry by its head; when no entry has that head as written, an entry whose
// head is the same word with its place marked (" ПЛАЧ", "ЛОЛ.") is the one meant.
bool sameHead(const LineList& words, std::string_view head, std::string_view expected)
{
    if (head == expected)
        return true;
    return sameWord(head, expected) && !hasExactHead(words, expected);
}

bool hasHead(const LineList& words, const std::string& head)
{
    for (auto it = words.at(std::min(1, words.count())); it != words.end(); ++it)
        if ((EntryHeadView(*it) == head || sameWord(EntryHeadView(*it), head)) &&
            EntryWellFormed(*it))
            return true;
    return false;
}

} // namespace

Corpus parseCorpus(std::string_view utf8)
{
    Corpus corpus;
    if (utf8.substr(0, 3) == "\xEF\xBB\xBF")
        utf8.remove_prefix(3);
    std::string part;
    std::string topic;
    int number = 0;
    for (std::string_view raw : split(utf8, "\n")) {
        ++number;
        if (!raw.empty() && raw.back() == '\r')
            raw.remove_suffix(1);
        const std::string_view line = trimmed(raw);
        if (line.empty() || line.front() == '#')
            continue;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            const std::string_view rest =
                close == std::string_view::npos ? "" : trimmed(line.substr(close + 1));
            const std::string_view inside =
                close == std::string_view::npos ? "" : trimmed(line.substr(1, close - 1));
            const std::size_t space = inside.find(' ');
            const std::string_view kind = inside.substr(0, space);
            const std::string_view name =
                space == std::string_view::npos ? "" : trimmed(inside.substr(space));
            if (close == std::string_view::npos || (!rest.empty() && rest.front() != '#') ||
                name.empty() || (kind != "part" && kind != "topic")) {
                corpus.faults.push_back({number, "заголовок — это «[part ИМЯ]» или «[topic ИМЯ]»"});
            } else if (kind == "part") {
                if (name != kPartTuning && name != kPartHeldBack)
                    corpus.faults.push_back({number, "часть — это «tuning» или «held-back»"});
                part = name;
                topic.clear();
            } else {
                topic = name;
            }
            continue;
        }
        const std::vector<std::string_view> fields = split(raw, "\t");
        if (fields.size() < 2 || fields.size() > 4) {
            corpus.faults.push_back(
                {number,
                 "случай — это фраза, TAB и то, что должно произойти, а по желанию "
                 "ещё TAB и ответ перед фразой и TAB и запись, которая его сказала"});
            continue;
        }
        if (part.empty()) {
            corpus.faults.push_back({number, "случай стоит раньше всякого заголовка «[part ИМЯ]»"});
            continue;
        }
        CorpusCase c;
        c.line = number;
        c.part = part;
        c.topic = topic;
        c.phrase = unescapeField(fields[0]); // as typed: a space at either end is part of it
        const std::string_view expected = trimmed(fields[1]);
        if (expected == "farewell") {
            c.expect = CorpusCase::Expect::Farewell;
        } else if (expected == "learn") {
            c.expect = CorpusCase::Expect::Learn;
        } else {
            c.expect = CorpusCase::Expect::Keys;
            for (std::string_view key : split(expected, " | "))
                if (!trimmed(key).empty())
                    c.keys.push_back(cp1251::fromUtf8(trimmed(key)));
        }
        if (fields.size() >= 3)
            c.after = cp1251::fromUtf8(trimmed(fields[2]));
        if (fields.size() == 4)
            c.said = cp1251::fromUtf8(trimmed(fields[3]));
        if (c.phrase.empty() || (c.expect == CorpusCase::Expect::Keys && c.keys.empty())) {
            corpus.faults.push_back({number, "пуста фраза или то, что должно произойти"});
            continue;
        }
        corpus.cases.push_back(std::move(c));
    }
    return corpus;
}

const char* stepName(Step step)
{
    switch (step) {
    case Step::Profanity: return "фильтр грубостей";
    case Step::LongPhrase: return "готовый ответ на длинную фразу (4 хода из 6)";
    case Step::Branch: return "просмотр веток нити";
    case Step::Contiguous: return "главный поиск, ключ целиком";
    case Step::ByWords: return "главный поиск, ключ по словам";
    case Step::Fallback: return "запасной ответ, ничто не подошло";
    }
    return "";
}

std::string takePhrase(std::string_view utf8)
{
    return NormalisePhrase(cp1251::withoutControls(TypedLine(utf8)));
}

std::string unescapeField(std::string_view field)
{
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 1 < field.size() &&
            (field[i + 1] == 't' || field[i + 1] == '\\')) {
            out += field[++i] == 't' ? '\t' : '\\';
            continue;
        }
        out += field[i];
    }
    return out;
}

std::string escapeField(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c == '\t')
            out += "\\t";
        else if (c == '\\')
            out += "\\\\";
        else
            out += c;
    }
    return out;
}

namespace {

bool hasReply(std::string_view line, std::string_view reply)
{
    if (line.find(reply) == std::string_view::npos || !EntryAnswers(line))
        return false;
    const int n = EntryReplyCount(line);
    for (int r = 1; r <= n; ++r)
        if (EntryReply(line, r) == reply)
            return true;
    return false;
}

// The lines the branch scan of the entry's thread can answer from, as FindBranch goes.
std::vector<std::string_view> branchesOf(const LineList& words, int line)
{
    std::vector<std::string_view> branches;
    const int depth = EntryDepth(words.view(line)) + 1;
    for (int i = line + 1; i < words.count(); ++i) {
        const std::string_view l = words.view(i);
        if (!EntryWellFormed(l))
            continue;
        if (EntryDepth(l) == 0)
            break;
        if (EntryDepth(l) == depth && EntryHasReplies(l))
            branches.push_back(l);
    }
    return branches;
}

bool allDigits(std::string_view s)
{
    return !s.empty() &&
        std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

ThreadPick pickThread(const LineList& words, std::string_view reply, std::string_view said)
{
    ThreadPick pick;
    if (!reply.empty())
        for (int i = 1; i < words.count(); ++i)
            if (hasReply(words.view(i), reply))
                pick.carriers.push_back(i);
    if (!said.empty()) {
        int line = 0;
        if (allDigits(said)) {
            line = said.size() <= 9 ? std::stoi(std::string(said)) : 0;
            if (line < 1 || line >= words.count() || !EntryAnswers(words.view(line)))
                pick.fault =
                    ownText("строка " + std::string(said) + " — не запись, которая отвечает");
            else if (!reply.empty() && !hasReply(words.view(line), reply))
                pick.fault = ownText("у строки " + std::string(said) +
                                     " нет ответа, сказанного перед фразой");
        } else {
            const auto it = std::find_if(pick.carriers.begin(), pick.carriers.end(), [&](int c) {
                return EntryHeadView(words.view(c)) == said;
            });
            if (reply.empty())
                pick.fault =
                    ownText("для записи, названной заголовком, нужен ответ, который она сказала");
            else if (it == pick.carriers.end())
                pick.fault = ownText("ни у одной записи с заголовком \"") + std::string(said) +
                    ownText("\" нет ответа, сказанного перед фразой");
            else
                line = *it;
        }
        if (pick.fault.empty())
            pick.line = line;
        return pick;
    }
    if (pick.carriers.empty())
        return pick;
    const std::vector<std::string_view> first = branchesOf(words, pick.carriers.front());
    for (std::size_t k = 1; k < pick.carriers.size() && !pick.ambiguous; ++k)
        pick.ambiguous = branchesOf(words, pick.carriers[k]) != first;
    if (!pick.ambiguous)
        pick.line = pick.carriers.front(); // each carrier threads alike
    return pick;
}

std::string carriersText(const LineList& words, const std::vector<int>& carriers)
{
    constexpr std::size_t kNamed = 10;
    std::string text = ownText(carriers.size() == 1 ? "строка " : "строки ");
    for (std::size_t k = 0; k < carriers.size() && k < kNamed; ++k)
        text += (k ? ", " : "") + std::to_string(carriers[k]) + " \"" +
            EntryHead(words.view(carriers[k])) + "\"";
    if (carriers.size() > kNamed)
        text += ownText(" и ещё " + std::to_string(carriers.size() - kNamed));
    return text;
}

Turn playTurn(const LineList& words, const std::string& phrase, int threadLine)
{
    // The order of the turn: repetition (never, on a fresh turn), profanity, the human-topic
    // mark, the long-phrase strategy, the lookup.
    Turn t;
    t.phrase = phrase;
    const UpperPhrase upper(phrase);
    if (ContainsAny(upper, Cenzura())) {
        t.step = Step::Profanity;
        return t;
    }
    t.humanTopic = ContainsAny(upper, Filter_nr());
    const int threadDepth = threadLine > 0 ? EntryDepth(words.view(threadLine)) + 1 : 0;
    const LookupFind find = FindAnswer(words, upper, threadLine, threadDepth);
    t.lookupStep = stepOf(find.pass);
    t.line = find.line;
    t.farewell = AnswerSaysFarewell(words, find);
    t.step = phrase.size() >= Engine::kLongPhrase ? Step::LongPhrase : t.lookupStep;
    return t;
}

Replay replayCorpus(const LineList& words, const Corpus& corpus)
{
    Replay replay;
    for (const CorpusCase& c : corpus.cases) {
        CaseResult r;
        r.c = &c;
        std::string why;
        bool threaded = true;
        if (!c.after.empty() || !c.said.empty()) {
            const ThreadPick pick = pickThread(words, c.after, c.said);
            r.threadLine = pick.line;
            threaded = pick.line != 0;
            if (!pick.fault.empty())
                why = pick.fault + "; ";
            else if (pick.ambiguous)
                why = ownText("ответ перед фразой есть у записей с разными ветками (") +
                    carriersText(words, pick.carriers) +
                    ownText("): назовите ту, что его сказала; ");
            else if (pick.line == 0)
                why = ownText("ответа перед фразой нет ни у одной записи; ");
        }
        r.turn = playTurn(words, takePhrase(c.phrase), r.threadLine);
        const Turn& t = r.turn;
        const bool looked = t.step != Step::Profanity && t.step != Step::LongPhrase;
        // A long phrase is answered by the lookup only now and then: it fails what needs an
        // entry, and a farewell on the lookup's side still counts against it.
        switch (c.expect) {
        case CorpusCase::Expect::Learn:
            r.passed = !t.farewell;
            if (!r.passed)
                why += ownText("отвечает прощальная запись");
            break;
        case CorpusCase::Expect::Farewell:
            r.passed = looked && t.farewell;
            if (!r.passed)
                why += ownText(looked ? std::string("прощальная запись не отвечает")
                                      : std::string("решил ") + stepName(t.step));
            break;
        case CorpusCase::Expect::Keys: {
            const std::string head = t.line > 0 ? EntryHead(words.view(t.line)) : std::string();
            r.passed = looked && t.line > 0 &&
                std::any_of(c.keys.begin(), c.keys.end(),
                            [&](const std::string& k) { return sameHead(words, head, k); });
            if (r.passed)
                break;
            if (!looked)
                why += ownText(std::string("решил ") + stepName(t.step));
            else
                why += ownText("ожидалась другая запись");
            for (const std::string& key : c.keys)
                if (!hasHead(words, key))
                    why += ownText("; ни у одной записи нет заголовка \"") + key + "\"";
            break;
        }
        }
        // A farewell entry named as the one expected is intended.
        r.unintendedFarewell = t.farewell && c.expect != CorpusCase::Expect::Farewell &&
            !(c.expect == CorpusCase::Expect::Keys && r.passed);
        if (r.unintendedFarewell && c.expect == CorpusCase::Expect::Keys)
            why += ownText("; к тому же она заканчивает беседу");
        if (!why.empty() && why.size() >= 2 && why.compare(why.size() - 2, 2, "; ") == 0)
            why.resize(why.size() - 2);
        if (!threaded)
            r.passed = false;
        r.why = why;
        if (r.unintendedFarewell)
            ++replay.unintendedFarewells;
        for (Share* s :
             {&shareNamed(replay.parts, c.part),
              &shareNamed(replay.topics,
                          c.part + " / " + (c.topic.empty() ? "(без темы)" : c.topic))}) {
            ++s->cases;
            s->passed += r.passed ? 1 : 0;
        }
        replay.results.push_back(std::move(r));
    }
    return replay;
}

} // namespace tovrin::kbtool
