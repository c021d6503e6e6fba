#include "kbtool/advice.h"

#include "kb/cp1251.h"
#include "kb/entry.h"
#include "kb/fileerror.h"
#include "kb/linelist.h"
#include "engine/match.h"
#include "engine/normalise.h"
#include "engine/wordlists.h"
#include "kbtool/corpus.h"
#include "kbtool/explain.h"
#include "kbtool/keyset.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace tovrin::kbtool {

namespace {

// KOI8-R letters from 0xC0 on, in the code page's order; the capitals follow at 0xE0.
constexpr std::string_view kKoi8Letters = "юабцдефгхийклмнопярстужвьызшэщчъ";

std::string koi8ToUtf8(std::string_view bytes)
{
    static const std::vector<std::string> high = [] {
        std::vector<std::string> table(128);
        std::string_view letters = kKoi8Letters;
        for (int i = 0; i < 32; ++i) {
            table[static_cast<std::size_t>(0x40 + i)] =
                std::string(letters.substr(static_cast<std::size_t>(2 * i), 2));
            table[static_cast<std::size_t>(0x60 + i)] =
                cp1251::toUtf8(std::string(1,
                                           cp1251::upper(cp1251::fromUtf8(letters.substr(
                                               static_cast<std::size_t>(2 * i), 2))[0])));
        }
        table[0x23] = "ё";
        table[0x33] = "Ё";
        return table;
    }();
    std::string out;
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80)
            out += ch;
        else if (!high[c - 0x80].empty())
            out += high[c - 0x80];
        else
            out += "\xEF\xBF\xBD"; // no letter: the word is dropped
    }
    return out;
}

std::string readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw FileError::cannotOpen(path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool isKoi8(const std::string& dictionaryPath)
{
    const std::size_t dot = dictionaryPath.rfind('.');
    if (dot == std::string::npos)
        return false;
    std::ifstream aff(dictionaryPath.substr(0, dot) + ".aff", std::ios::binary);
    for (std::string line; std::getline(aff, line);) {
        if (line.rfind("SET ", 0) != 0)
            continue;
        std::string set = line.substr(4);
        while (!set.empty() && (set.back() == '\r' || set.back() == ' '))
            set.pop_back();
        return cp1251::upper(set) == "KOI8-R";
    }
    return false;
}

// What the key asks of the word it is found in: where a leading space stands, the key begins a
// word; where a final space or punctuation mark stands, it ends one. Empty when the key cannot
// be found inside a single word at all.
struct WordPart {
    std::string core;
    bool atStart = false;
    bool atEnd = false;
};

WordPart wordPartOf(std::string_view key)
{
    WordPart part;
    if (!key.empty() && key.front() == ' ') {
        part.atStart = true;
        key.remove_prefix(1);
    }
    while (!key.empty() && std::string_view(" .,!?").find(key.back()) != std::string_view::npos) {
        part.atEnd = true;
        key.remove_suffix(1);
    }
    if (key.find(' ') == std::string_view::npos)
        part.core = std::string(key);
    return part;
}

// The entry each branch is reached from first: the nearest entry of the depth above it in its
// run of branches, as the thread scans them.
std::vector<int> parentsOf(const LineList& lines)
{
    std::vector<int> parents(static_cast<std::size_t>(lines.count()), 0);
    std::vector<int> lastAt; // by depth, within the current run
    for (int i = 1; i < lines.count(); ++i) {
        const std::string_view line = lines.view(i);
        if (!EntryWellFormed(line)) {
            if (line.empty() || line.front() != kDepthMark)
                lastAt.clear();
            continue;
        }
        const auto depth = static_cast<std::size_t>(EntryDepth(line));
        if (depth == 0)
            lastAt.assign(1, i);
        else if (depth <= lastAt.size() && lastAt[depth - 1] > 0)
            parents[static_cast<std::size_t>(i)] = lastAt[depth - 1];
        if (!lastAt.empty()) {
            if (lastAt.size() <= depth)
                lastAt.resize(depth + 1, 0);
            lastAt[depth] = i;
        }
    }
    return parents;
}

// Entries that soon repeat themselves: with few replies, or with replies that are all one.
void repeatingReplies(const LineList& lines, std::vector<Problem>& out)
{
    for (int i = 1; i < lines.count(); ++i) {
        const std::string_view line = lines.view(i);
        if (!EntryAnswers(line))
            continue;
        const int n = EntryReplyCount(line);
        if (n < kFewestReplies)
            out.push_back({i, Finding::FewReplies, 0,
                           ownText("у записи всего " + counted(n, "ответ", "ответа", "ответов") +
                                   ", и она скоро начнёт повторяться; дайте ей " +
                                   std::to_string(kFewestReplies) + " или больше")});
        if (n < 2)
            continue;
        const std::string first = EntryReply(line, 1);
        bool same = true;
        for (int r = 2; r <= n && same; ++r)
            same = EntryReply(line, r) == first;
        if (same)
            out.push_back(
                {i, Finding::SameReplies, 0,
                 ownText("все " + counted(n, "ответ", "ответа", "ответов") + " записи — \"") +
                     first + ownText("\": что ни выпадет, она говорит одно и то же")});
    }
}

void farewellsInPhrases(const LineList& lines, const Corpus* corpus, std::vector<Problem>& out)
{
    struct Phrase {
        std::string utf8;
        int threadLine = 0;
    };
    // A case that names a farewell entry as the one to answer wants a farewell too.
    std::set<std::string> farewellHeads;
    for (auto it = lines.at(std::min(1, lines.count())); it != lines.end(); ++it)
        if (EntryDepth(*it) == 0 && EntryAnswers(*it) && EntryHasFarewell(*it))
            farewellHeads.insert(EntryHead(*it));
    std::vector<Phrase> phrases;
    for (const std::string& p : commonPhrases())
        phrases.push_back({p, 0});
    if (corpus != nullptr)
        for (const CorpusCase& c : corpus->cases)
            if (c.expect != CorpusCase::Expect::Farewell &&
                std::none_of(c.keys.begin(), c.keys.end(),
                             [&](const std::string& k) { return farewellHeads.count(k) != 0; }))
                phrases.push_back({c.phrase, pickThread(lines, c.after, c.said).line});

    std::map<int, std::vector<std::string>> hits; // farewell entry -> the phrases it answers
    for (const Phrase& p : phrases) {
        const Turn t = playTurn(lines, takePhrase(p.utf8), p.threadLine);
        if (!t.farewell)
            continue;
        auto& list = hits[t.line];
        if (std::find(list.begin(), list.end(), p.utf8) == list.end())
            list.push_back(p.utf8);
    }
    for (const auto& [line, list] : hits) {
        std::string text = ownText("прощальная запись заканчивает беседу на обычной фразе \"" +
                                   list.front() + "\"");
        if (list.size() > 1)
            text +=
                ownText(" и ещё на " +
                        counted(static_cast<int>(list.size() - 1), "фразе", "фразах", "фразах"));
        out.push_back({line, Finding::FarewellInPhrase, 0, text});
    }
}

void keysInWords(const LineList& lines, const std::vector<std::string>& wordList,
                 std::vector<Problem>& out)
{
    // Keys with the same word inside are found by one scan; the marks around each decide which
    // of the words holding it that key answers, so " КОТ" and "КОТ." are each judged by their own.
    // A key of one word is judged as a whole; a key of several words, which the main lookup
    // also finds word by word wherever they stand, by each of its words.
    KeySet set;
    std::vector<std::vector<WordPart>> forms; // by key number: the marked forms of that word
    std::map<std::pair<int, int>, std::vector<int>>
        linesOf; // (key number, form) -> its one-word entries
    std::map<std::pair<int, int>, std::vector<int>>
        keysWith; // (key number, form) -> entries of several words
    const auto formOf = [&](const WordPart& part) {
        const int number = set.add(part.core);
        if (number == static_cast<int>(forms.size()))
            forms.emplace_back();
        auto& known = forms[static_cast<std::size_t>(number)];
        const auto same = std::find_if(known.begin(), known.end(), [&](const WordPart& f) {
            return f.atStart == part.atStart && f.atEnd == part.atEnd;
        });
        const int form = static_cast<int>(same - known.begin());
        if (same == known.end())
            known.push_back(part);
        return std::pair<int, int>{number, form};
    };
    for (int i = 1; i < lines.count(); ++i) {
        const std::string_view line = lines.view(i);
        if (!EntryAnswers(line))
            continue;
        const std::string key = EntryKey(line);
        const WordPart part = wordPartOf(key);
        if (!part.core.empty()) {
            linesOf[formOf(part)].push_back(i);
            continue;
        }
        if (EntryDepth(line) != 0) // a branch is found as a whole key only
            continue;
        for (const std::string_view word : keyWords(key)) {
            const WordPart w = wordPartOf(word);
            if (!w.core.empty()) {
                auto& with = keysWith[formOf(w)];
                if (with.empty() || with.back() != i)
                    with.push_back(i);
            }
        }
    }
    std::map<std::pair<int, int>, int> count;
    std::map<std::pair<int, int>, int> lastWord;
    std::map<std::pair<int, int>, std::vector<std::size_t>> examples;
    std::map<std::pair<int, int>, int> countInside;
    std::map<std::pair<int, int>, std::vector<std::size_t>> examplesInside;
    for (std::size_t w = 0; w < wordList.size(); ++w) {
        const std::string& word = wordList[w];
        set.find(word, [&](int k, std::size_t end) {
            const auto& known = forms[static_cast<std::size_t>(k)];
            for (std::size_t f = 0; f < known.size(); ++f) {
                const WordPart& part = known[f];
                const std::pair<int, int> id{k, static_cast<int>(f)};
                if (word.size() == part.core.size())
                    return;
                if ((part.atStart && end != part.core.size()) || (part.atEnd && end != word.size()))
                    continue;
                auto last = lastWord.find(id);
                if (last != lastWord.end() && last->second == static_cast<int>(w))
                    continue;
                lastWord[id] = static_cast<int>(w);
                ++count[id];
                if (examples[id].size() < 4)
                    examples[id].push_back(w);
                // A word of a longer key counts only where letters stand before it: as the
                // start of a longer word it is the stem its author meant.
                if (end != part.core.size()) {
                    ++countInside[id];
                    if (examplesInside[id].size() < 4)
                        examplesInside[id].push_back(w);
                }
            }
        });
    }
    const auto sampleOf = [&](const std::vector<std::size_t>& found) {
        std::string sample;
        for (const std::size_t w : found)
            sample += (sample.empty() ? "" : ", ") + wordList[w];
        return sample;
    };
    for (const auto& [id, entries] : linesOf) {
        if (count[id] < kManyWords)
            continue;
        for (const int line : entries)
            out.push_back(
                {line, Finding::KeyInManyWords, 0,
                 ownText("ключ \"") + EntryKey(lines.view(line)) +
                     ownText("\" стоит внутри " + counted(count[id], "слова", "слов", "слов") +
                             " словаря, которые значат другое, например: ") +
                     sampleOf(examples[id])});
    }
    // One finding a key, naming each of its eager words.
    std::map<int, std::string> eager;
    for (const auto& [id, entries] : keysWith) {
        // A word of one or two letters stands inside nearly every word; its author knows that.
        const std::string& core =
            forms[static_cast<std::size_t>(id.first)][static_cast<std::size_t>(id.second)].core;
        if (countInside[id] < kManyWordsForKeyWord || core.size() < 3)
            continue;
        const std::string text = "\"" + core +
            ownText("\" внутри " + counted(countInside[id], "слова", "слов", "слов") +
                    ", например: ") +
            sampleOf(examplesInside[id]);
        for (const int line : entries)
            eager[line] += (eager[line].empty() ? "" : "; ") + text;
    }
    for (const auto& [line, words] : eager)
        out.push_back(
            {line, Finding::KeyWordInWords, 0,
             ownText("ключ \"") + EntryKey(lines.view(line)) +
                 ownText("\" находится и по словам, а его слово стоит внутри слов словаря, "
                         "которые значат другое: ") +
                 words});
}

// Every line the program says, but the farewells' own replies: the replies of the entries and
// the lines of the phrase lists. In two-copy mode each is the other copy's phrase.
struct Said {
    std::string text; // Windows-1251
    std::string where; // Windows-1251: whence it comes
};

std::vector<Said> linesSaid(const LineList& lines, const std::vector<NamedList>* lists)
{
    std::vector<Said> said;
    for (int i = 1; i < lines.count(); ++i) {
        const std::string_view line = lines.view(i);
        if (!EntryAnswers(line) || EntryHasFarewell(line))
            continue;
        for (int r = 1; r <= EntryReplyCount(line); ++r)
            said.push_back({EntryReply(line, r), ownText("ответ строки " + std::to_string(i))});
    }
    if (lists != nullptr)
        for (const NamedList& list : *lists)
            for (int i = 0; i < list.lines.count(); ++i)
                if (!list.lines.view(i).empty())
                    said.push_back(
                        {list.lines.get(i),
                         ownText("строка " + std::to_string(i) + " файла ") + list.name});
    return said;
}

void farewellsInReplies(const LineList& lines, const std::vector<NamedList>* lists,
                        std::vector<Problem>& out)
{
    std::vector<int> farewells;
    for (int i = 1; i < lines.count(); ++i)
        if (EntryDepth(lines.view(i)) == 0 && EntryAnswers(lines.view(i)) &&
            EntryHasFarewell(lines.view(i)))
            farewells.push_back(i);
    if (farewells.empty())
        return;
    // A key can fit only a line that holds each of its characters: most lines are passed over
    // on that alone.
    std::vector<std::string> marks(farewells.size());
    for (std::size_t k = 0; k < farewells.size(); ++k)
        for (const char c : EntryHeadView(lines.view(farewells[k])))
            if (c != ' ' && marks[k].find(c) == std::string::npos)
                marks[k] += c;
    std::map<int, std::vector<const Said*>> hits;
    const std::vector<Said> said = linesSaid(lines, lists);
    for (const Said& s : said) {
        const UpperPhrase phrase(NormalisePhrase(s.text));
        for (std::size_t k = 0; k < farewells.size(); ++k) {
            if (!std::all_of(marks[k].begin(), marks[k].end(),
                             [&](char c) { return phrase.holds(c); }))
                continue;
            const std::string_view head = EntryHeadView(lines.view(farewells[k]));
            if (ContainsKey(phrase, head) != 0 || ContainsWords(phrase, head))
                hits[farewells[k]].push_back(&s);
        }
    }
    for (const auto& [line, list] : hits) {
        std::string text = ownText("прощальный ключ \"") + EntryKey(lines.view(line)) +
            ownText("\" находится в \"") + list.front()->text + "\" (" + list.front()->where + ")";
        if (list.size() > 1)
            text +=
                ownText(" и ещё в " +
                        counted(static_cast<int>(list.size() - 1), "строке", "строках", "строках"));
        text += ownText(
            ": в режиме двух копий эта строка становится фразой другой копии, и беседа кончается");
        out.push_back({line, Finding::FarewellInReply, 0, text});
    }
}

void filteredKeys(const LineList& lines, std::vector<Problem>& out)
{
    for (int i = 1; i < lines.count(); ++i) {
        const std::string_view line = lines.view(i);
        if (!EntryAnswers(line))
            continue;
        const std::string key = EntryKey(line);
        const UpperPhrase upper(key);
        for (const std::string& word : Cenzura())
            if (upper.holds(word.front()) && ContainsKey(upper, word) != 0) {
                out.push_back(
                    {i, Finding::FilteredKey, 0,
                     ownText("ключ \"") + key + ownText("\" содержит \"") + word +
                         ownText(
                             "\" из списка грубостей, который первым отвечает на любую фразу с этим ключом")});
                break;
            }
    }
}

void unreachedParents(const LineList& lines, const Corpus& corpus, std::vector<Problem>& out)
{
    std::set<int> reached;
    const Replay replay = replayCorpus(lines, corpus);
    for (const CaseResult& r : replay.results)
        if (r.turn.line > 0 && r.turn.step != Step::Profanity)
            reached.insert(r.turn.line);
    const std::vector<int> parents = parentsOf(lines);
    std::set<int> told;
    for (int i = 1; i < lines.count(); ++i) {
        const int parent = parents[static_cast<std::size_t>(i)];
        if (parent == 0 || reached.count(parent) != 0 || !told.insert(parent).second)
            continue;
        const int branches = static_cast<int>(std::count(parents.begin(), parents.end(), parent));
        out.push_back(
            {i, Finding::UnreachedParent, parent,
             ownText("ни одна фраза корпуса не доходит до строки " + std::to_string(parent) +
                     " \"") +
                 EntryHead(lines.view(parent)) +
                 ownText(branches == 1
                             ? std::string("\", так что её единственная ветка не пробуется никогда")
                             : "\", так что её ветки (" +
                                 counted(branches, "ветка", "ветки", "веток") +
                                 ") не пробуются никогда")});
    }
}

} // namespace

const std::vector<std::string>& commonPhrases()
{
    static const std::vector<std::string> phrases = {
        "я пока ем",
        "пока не знаю",
        "пока ничего",
        "пока что всё хорошо",
        "пока нет",
        "это пока секрет",
        "пока ты думал, я поел",
        "подожду пока",
        "покажи",
        "покажи, что умеешь",
        "пойдём покатаемся",
        "давно пора",
        "пора бы уже начать",
        "пора обедать?",
        "порадуй меня",
        "подожду до завтра",
        "отложим до завтра!",
        "до встречи ещё два дня",
        "я прощаю тебя",
        "прощайте, экзамены!",
    };
    return phrases;
}

std::vector<std::string> loadWordList(const std::string& path)
{
    const std::string bytes = readBytes(path);
    const bool koi8 = isKoi8(path);
    std::vector<std::string> words;
    std::istringstream in(bytes);
    bool first = true;
    for (std::string line; std::getline(in, line); first = false) {
        line = line.substr(0, line.find_first_of("/\t \r"));
        if (line.empty() || (first && std::all_of(line.begin(), line.end(), [](char c) {
                                 return c >= '0' && c <= '9';
                             })))
            continue;
        const std::string utf8 = koi8 ? koi8ToUtf8(line) : line;
        const std::string word = cp1251::fromUtf8(utf8);
        // A character the code page lacks comes back as "?": such a word can never be typed.
        // A name (a capital first) is no everyday word.
        if (word.find('?') != std::string::npos || cp1251::upper(word.front()) == word.front())
            continue;
        words.push_back(cp1251::upper(word));
    }
    return words;
}

std::vector<Problem> adviseAuthors(const LineList& words, const AdviceInput& input)
{
    std::vector<Problem> out;
    repeatingReplies(words, out);
    farewellsInPhrases(words, input.corpus, out);
    if (input.wordList != nullptr)
        keysInWords(words, *input.wordList, out);
    farewellsInReplies(words, input.phraseLists, out);
    filteredKeys(words, out);
    if (input.corpus != nullptr)
        unreachedParents(words, *input.corpus, out);
    std::stable_sort(out.begin(), out.end(),
                     [](const Problem& a, const Problem& b) { return a.line < b.line; });
    return out;
}

} // namespace tovrin::kbtool
