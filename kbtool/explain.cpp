#include "kbtool/explain.h"

#include "engine/match.h"
#include "engine/wordlists.h"
#include "kb/cp1251.h"
#include "kb/entry.h"

#include <optional>

namespace tovrin::kbtool {

namespace {

std::vector<std::string_view> wordsOf(std::string_view key)
{
    // As the word-by-word match cuts a key: a space right after a separating one begins the
    // next word.
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
    const std::vector<std::string_view> words = wordsOf(key);
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
    case Why::Backtracked: return "the key stands in the phrase, but the scan never steps back and passes over it";
    case Why::EndMark: return "the key fits but for its final mark";
    case Why::WordOrder: return "every word of the key is there, but not in its order";
    case Why::OneWordShort: return "every word of the key is there in order but one";
    case Why::LowerCase: return "the key would fit if it were written in capitals";
    case Why::CannotAnswer: return "the key fits, but the entry has no reply or breaks the grammar";
    case Why::WordsLater: return "fits word by word only, and a whole key answers first";
    case Why::Later: return "fits too, but stands further down";
    case Why::Thread: return "fits, but the thread's branch answers first";
    case Why::Filtered: return "fits, but the profanity filter answers first";
    }
    return "";
}

Explanation explain(const LineList& words, const std::string& phrase, const std::string& after)
{
    using Why = Neighbour::Why;
    Explanation e;
    if (!after.empty()) {
        e.threadLine = entryWithReply(words, cp1251::fromUtf8(after));
        e.unknownAfter = e.threadLine == 0;
    }
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

} // namespace tovrin::kbtool
