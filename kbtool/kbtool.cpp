#include "kbtool/kbtool.h"

#include "kb/cp1251.h"
#include "kb/entry.h"
#include "kb/files.h"
#include "kb/knowledge.h"
#include "kb/linelist.h"
#include "kb/fileerror.h"
#include "kb/textformat.h"
#include "engine/match.h"
#include "kbtool/keyset.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <unordered_map>
#include <optional>

namespace tovrin::kbtool {

namespace {

bool hasLowerCase(std::string_view text)
{
    return std::any_of(text.begin(), text.end(), [](char c) { return cp1251::upper(c) != c; });
}

// A main phrase the lookup can answer from, with what the search for shadows needs of it. Its
// key is a view into the checked list, so that a large file is not held twice.
struct Answering {
    std::string_view key;
    int line = 0;
    int shadowAt = 0; // where its finding goes among the other problems
};

// Wherever a key is found in a phrase, the lookup finds an earlier key that the key itself
// holds there too, by the lookup's own rule. All keys are searched in each key at once; the
// lookup's scan then confirms the few found, since it finds a key only where it stands whole.
std::vector<Problem> withShadows(std::vector<Problem> problems,
                                 const std::vector<Answering>& answering)
{
    KeySet keys; // the heads are distinct, so each key's number is its place in answering
    {
        // In byte order, each key shares with the one before it all the beginning it shares
        // with any.
        std::vector<std::string_view> sorted;
        sorted.reserve(answering.size());
        for (const Answering& e : answering)
            sorted.push_back(e.key);
        std::sort(sorted.begin(), sorted.end());
        std::size_t characters = 0;
        std::string_view previous;
        for (const std::string_view key : sorted) {
            const auto differ =
                std::mismatch(key.begin(), key.end(), previous.begin(), previous.end());
            characters += static_cast<std::size_t>(key.end() - differ.first);
            previous = key;
        }
        keys.reserve(characters);
    }
    for (const Answering& e : answering)
        keys.add(e.key);
    std::vector<Problem> out;
    out.reserve(problems.size());
    std::size_t next = 0;
    std::vector<int> held; // the earlier keys that the key holds somewhere, as runs of characters
    for (std::size_t j = 0; j < answering.size(); ++j) {
        const UpperPhrase phrase(answering[j].key);
        held.clear();
        keys.findEach(phrase.text(), [&](int k) {
            if (static_cast<std::size_t>(k) < j)
                held.push_back(k);
        });
        // The earliest of them that the lookup's scan finds is the one that answers first.
        std::sort(held.begin(), held.end());
        const auto shadow = std::find_if(held.begin(), held.end(), [&](int k) {
            return ContainsKey(phrase, answering[static_cast<std::size_t>(k)].key) != 0;
        });
        if (shadow == held.end())
            continue;
        const int first = *shadow;
        for (; next < static_cast<std::size_t>(answering[j].shadowAt); ++next)
            out.push_back(std::move(problems[next]));
        out.push_back({answering[j].line,
                       Finding::Shadowed,
                       answering[static_cast<std::size_t>(first)].line,
                       {}});
    }
    for (; next < problems.size(); ++next)
        out.push_back(std::move(problems[next]));
    return out;
}

// Every main phrase whose head an earlier main phrase has, with the line of the first one, in
// line order: found by sorting the heads rather than by a table of them all.
std::vector<std::pair<int, int>> repeatedMainHeads(const LineList& words)
{
    std::vector<std::pair<std::string_view, int>> heads;
    heads.reserve(static_cast<std::size_t>(words.count()));
    int i = 0;
    for (auto it = words.begin(); it != words.end(); ++it, ++i) {
        const std::string_view text = *it;
        if (i > 0 && CheckEntry(text) == EntryFault::Ok && EntryDepth(text) == 0)
            heads.emplace_back(EntryHeadView(text), i);
    }
    std::sort(heads.begin(), heads.end());
    std::vector<std::pair<int, int>> repeated;
    for (std::size_t k = 1, first = 0; k < heads.size(); ++k) {
        if (heads[k].first != heads[first].first)
            first = k;
        else
            repeated.emplace_back(heads[k].second, heads[first].second);
    }
    std::sort(repeated.begin(), repeated.end());
    return repeated;
}

} // namespace

Severity severityOf(Finding kind)
{
    return kind == Finding::Malformed || kind == Finding::FarewellInReply ? Severity::Error
                                                                          : Severity::Warning;
}

namespace {

// Why an entry too long is refused, in UTF-8.
std::string tooLong()
{
    return "запись длиннее " + std::to_string(kMaxEntryLength) +
        " символов, а больше строка файла знаний не вмещает";
}

} // namespace

std::string ownText(std::string_view utf8) { return cp1251::fromUtf8(utf8); }

std::string counted(long long n, std::string_view one, std::string_view few, std::string_view many)
{
    const long long last = n % 10;
    const long long lastTwo = n % 100;
    const std::string_view word = last == 1 && lastTwo != 11       ? one
        : last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14) ? few
                                                                   : many;
    return std::to_string(n) + ' ' + std::string(word);
}

std::vector<Problem> checkKnowledge(const LineList& words)
{
    std::vector<Problem> problems;
    const std::vector<std::pair<int, int>> repeated = repeatedMainHeads(words);
    auto nextRepeated = repeated.begin();
    // The main phrases the lookup can answer from, in file order: the ones that can shadow.
    std::vector<Answering> answering;
    answering.reserve(static_cast<std::size_t>(std::max(words.count() - 1, 0)));
    // The thread's structure: the entries of the current run (a main phrase and the branches
    // below it) by depth, each with the heads of the branches seen below it so far.
    struct Parent {
        int line = 0;
        std::map<std::string_view, int> childHeads;
    };
    std::vector<std::optional<Parent>> run; // index = depth; empty = no entry of that depth yet

    int i = 1;
    for (auto line = words.at(std::min(1, words.count())); line != words.end(); ++line, ++i) {
        const std::string_view text = *line;
        const EntryFault fault = CheckEntry(text);
        if (fault == EntryFault::Ok && text.size() > kMaxEntryLength)
            problems.push_back({i, Finding::Malformed, 0, ownText(tooLong())});
        if (fault != EntryFault::Ok) {
            problems.push_back({i, Finding::Malformed, 0, ownText(EntryFaultText(fault))});
            // The lookup passes over a malformed line, but one without "_" still ends the run
            // of branches that stood above it.
            if (text.empty() || text.front() != '_')
                run.clear();
            continue;
        }
        const int entryDepth = EntryDepth(text);
        const std::string_view head = EntryHeadView(text);
        const std::string_view key = head.substr(static_cast<std::size_t>(entryDepth));
        const bool lowerCase = hasLowerCase(key);
        if (lowerCase)
            problems.push_back({i, Finding::LowerCaseKey, 0, {}});

        if (entryDepth == 0) {
            run.assign(1, Parent{i, {}});
            if (nextRepeated != repeated.end() && nextRepeated->first == i) {
                problems.push_back({i, Finding::DuplicateHead, nextRepeated->second, {}});
                ++nextRepeated;
            } else if (EntryHasReplies(text) && !lowerCase) {
                // Whether an earlier key shadows this one is known only once all keys are in:
                // the finding takes this place among the others.
                answering.push_back({key, i, static_cast<int>(problems.size())});
            }
            continue;
        }

        // A branch of depth d is reached from any entry of depth d - 1 above it in its run;
        // the nearest such entry is the one whose thread finds it first.
        const auto depth = static_cast<size_t>(entryDepth);
        if (run.empty() || depth > run.size() || !run[depth - 1]) {
            problems.push_back({i, Finding::OrphanBranch, 0, {}});
        } else {
            auto& siblings = run[depth - 1]->childHeads;
            if (auto it = siblings.find(head); it != siblings.end())
                problems.push_back({i, Finding::DuplicateHead, it->second, {}});
            else
                siblings.emplace(head, i);
        }
        if (!run.empty()) {
            if (run.size() <= depth)
                run.resize(depth + 1);
            // Deeper entries above keep their place: a thread that reaches one of them scans
            // on past this branch, so their earlier children still come first.
            run[depth] = Parent{i, {}};
        }
    }
    return withShadows(std::move(problems), answering);
}

std::string describe(const Problem& p, const LineList& words)
{
    const std::string related = std::to_string(p.relatedLine);
    switch (p.kind) {
    case Finding::Malformed: {
        // A long line is named by its beginning only.
        std::string text = words.get(p.line);
        if (text.size() > 80)
            text = text.substr(0, 80) + "...";
        return p.detail + ": \"" + text + "\"";
    }
    case Finding::LowerCaseKey:
        return ownText("ключ \"") + EntryKey(words.get(p.line)) +
            ownText(
                   "\" содержит строчные буквы и никогда не совпадает (фразы сравниваются заглавными буквами)");
    case Finding::DuplicateHead:
        return ownText("заголовок \"") + EntryHead(words.get(p.line)) +
            ownText("\" такой же, как в строке ") + related +
            ownText(", которая всегда находится первой");
    case Finding::Shadowed:
        return ownText("ключ \"") + EntryKey(words.get(p.line)) + ownText("\" содержит ключ \"") +
            EntryKey(words.get(p.relatedLine)) + ownText("\" строки ") + related +
            ownText(", которая отвечает первой везде, где находятся обе");
    case Finding::ControlCharacter:
        return ownText("символ ") + p.detail +
            ownText(" — управляющий: программа таких больше не принимает, а импорт отвергает");
    case Finding::FewReplies:
    case Finding::FarewellInPhrase:
    case Finding::KeyInManyWords:
    case Finding::UnreachedParent:
    case Finding::KeyWordInWords:
    case Finding::FarewellInReply:
    case Finding::SameReplies:
    case Finding::FilteredKey: return p.detail;
    case Finding::OrphanBranch: {
        const int depth = EntryDepth(words.get(p.line));
        return ownText("ветка глубины " + std::to_string(depth) +
                       " не стоит ни под одной записью глубины " + std::to_string(depth - 1) +
                       ", и до неё никогда не доходит");
    }
    }
    return {};
}

Stats collectStats()
{
    Stats s;
    const KnowledgeCounts counts = CountKnowledgeFile();
    s.mainPhrases = counts.mainPhrases;
    s.branches = counts.branches;
    s.replies = counts.replies;
    s.incoming = counts.incoming;
    s.lists = CountOutgoingLists();
    s.outgoing = CountOutgoing(counts, s.lists);
    s.total = s.incoming + s.outgoing;
    return s;
}

namespace {
constexpr std::string_view kVersionLead = "# tovrin-kb export, version ";
constexpr std::string_view kVersionNote =
    " (keep this first line: the import compares it with the file)";
} // namespace

std::string versionLine(const LineList& list)
{
    return std::string(kVersionLead) + versionOf(list) + std::string(kVersionNote);
}

std::optional<std::string> takeVersionLine(std::string_view& utf8)
{
    std::string_view text = utf8;
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    if (!text.starts_with(kVersionLead))
        return std::nullopt;
    const size_t end = text.find('\n');
    std::string_view line = text.substr(kVersionLead.size(),
                                        end == std::string_view::npos ? std::string_view::npos
                                                                      : end - kVersionLead.size());
    const size_t token = line.find_first_of(" \r");
    std::string version(line.substr(0, token));
    utf8 = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    return version;
}

bool holdsNoPhrase(const LineList& lines)
{
    return std::all_of(lines.begin(), lines.end(), [](std::string_view line) {
        return line.find_first_not_of(" \t\xA0") == std::string::npos;
    });
}

std::string exportText(const LineList& list)
{
    std::string out = versionLine(list) + "\n";
    for (const std::string_view line : list) {
        out += cp1251::toUtf8(line);
        out += '\n';
    }
    return out;
}

namespace {

// The length of the UTF-8 sequence at the start of text, or 0 when it is not valid UTF-8
// (overlong forms and surrogates included).
size_t utf8Sequence(std::string_view text)
{
    const auto b = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = b(0);
    size_t length = 0;
    char32_t cp = 0;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        cp = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        cp = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() < length)
        return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((b(i) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b(i) & 0x3F);
    }
    if ((length == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
        (length == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
        return 0;
    return length;
}

constexpr char kUnassignedByte = '\x98';
constexpr std::string_view kUnassignedExported = "\xEF\xBF\xBD"; // U+FFFD

std::string hexCode(std::string_view sequence)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : sequence) {
        out += digits[c >> 4];
        out += digits[c & 0xF];
        out += ' ';
    }
    out.pop_back();
    return out;
}

} // namespace

namespace {

// What of a text's beginning tells whether it begins as an RTF document: every line up to the
// first that holds more than blanks, and the first bytes of that one.
constexpr std::size_t kTellingBytes = 64;
void takeBeginning(std::string& beginning, bool& complete, std::string_view line)
{
    if (complete)
        return;
    beginning += line.substr(0, kTellingBytes);
    beginning += '\n';
    complete = std::any_of(line.begin(), line.end(),
                           [](char c) { return c != ' ' && c != '\t' && c != '\r'; });
}

// A character quoted in a message: as it is, unless it is one of the control characters
// beyond ASCII (U+0080..U+009F), which a terminal would act on.
std::string quotedCharacter(std::string_view sequence)
{
    const bool control = sequence.size() == 2 && static_cast<unsigned char>(sequence[0]) == 0xC2 &&
        static_cast<unsigned char>(sequence[1]) < 0xA0;
    return control ? "(" + hexCode(sequence) + ")" : "\"" + std::string(sequence) + "\"";
}

} // namespace

void ImportReader::add(std::string_view piece)
{
    while (!piece.empty()) {
        const size_t end = piece.find('\n');
        if (end == std::string_view::npos) {
            partial_ += piece;
            return;
        }
        if (partial_.empty()) {
            take(piece.substr(0, end));
        } else {
            partial_ += piece.substr(0, end);
            take(partial_);
            partial_.clear();
            partial_.shrink_to_fit(); // a long line's room is not kept for the short ones after it
        }
        piece.remove_prefix(end + 1);
    }
}

ImportResult ImportReader::finish()
{
    // A last line without a line end is a line too, unless nothing but the byte-order mark
    // was given.
    if (!partial_.empty() && !(index_ == 0 && partial_ == "\xEF\xBB\xBF"))
        take(partial_);
    partial_.clear();
    if (!result_.refusals.empty())
        result_.lines.clear();
    return std::move(result_);
}

void ImportReader::take(std::string_view rest)
{
    const int index = index_++;
    if (index == 0 && rest.starts_with("\xEF\xBB\xBF"))
        rest.remove_prefix(3);
    if (!rest.empty() && rest.back() == '\r')
        rest.remove_suffix(1);
    takeBeginning(result_.beginning, beginningComplete_, rest);

    std::string& converted = converted_;
    converted.clear();
    std::optional<std::string> refusal;
    int column = 1;
    while (!rest.empty() && !refusal) {
        const size_t length = utf8Sequence(rest);
        if (length == 0) {
            refusal = "байт " + hexCode(rest.substr(0, 1)) + " в символе " +
                std::to_string(column) + " — не текст UTF-8";
            break;
        }
        const std::string_view sequence = rest.substr(0, length);
        const unsigned char first = static_cast<unsigned char>(sequence.front());
        if (length == 1 && cp1251::isControl(static_cast<char>(first))) {
            refusal =
                "символ " + std::to_string(column) + " — управляющий (" + hexCode(sequence) + ")";
            break;
        }
        // The one byte that Windows-1251 leaves unassigned is exported as the replacement
        // character, and comes back as that byte.
        const std::string single = sequence == kUnassignedExported ? std::string(1, kUnassignedByte)
                                                                   : cp1251::fromUtf8(sequence);
        if (single.size() != 1 || cp1251::toUtf8(single) != sequence) {
            refusal = "символа " + std::to_string(column) + " " + quotedCharacter(sequence) +
                " нет в Windows-1251";
            break;
        }
        converted += single;
        rest.remove_prefix(length);
        ++column;
    }
    if (!refusal && entries_ && index >= 1) {
        const EntryFault fault = CheckEntry(converted);
        if (fault != EntryFault::Ok)
            refusal = std::string(EntryFaultText(fault));
        else if (converted.size() > kMaxEntryLength)
            refusal = tooLong();
    }
    if (refusal) {
        // Nothing will be written: the lines so far are not needed any more.
        if (result_.refused++ == 0)
            result_.lines = LineList();
        if (result_.refusals.size() < ImportResult::kNamedRefusals)
            result_.refusals.push_back({index, *refusal});
    } else if (result_.refused == 0) {
        result_.lines.add(converted);
    }
}

ImportResult prepareImport(std::string_view utf8, bool entries)
{
    ImportReader reader(entries);
    reader.add(utf8);
    return reader.finish();
}

bool exportLooksLikeRtf(const std::string& path)
{
    LineList list;
    try {
        list.load(path);
    } catch (const FileError&) {
        return false;
    }
    // Told as the import tells it of the text it reads.
    std::string beginning;
    bool complete = false;
    for (auto line = list.begin(); line != list.end() && !complete; ++line)
        takeBeginning(beginning, complete, cp1251::toUtf8(*line));
    return looksLikeRtf(beginning);
}

bool namesKnowledgeFile(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return cp1251::upper(name) == "WORDS.DAT";
}

std::vector<Problem> checkControlCharacters(const LineList& list)
{
    std::vector<Problem> problems;
    int i = 0;
    for (auto it = list.begin(); it != list.end(); ++it, ++i) {
        const std::string_view line = *it;
        const auto at =
            std::find_if(line.begin(), line.end(), [](char c) { return cp1251::isControl(c); });
        if (at != line.end())
            problems.push_back({i, Finding::ControlCharacter, 0,
                                std::to_string(at - line.begin() + 1) + " (" +
                                    hexCode(std::string_view(&*at, 1)) + ")"});
    }
    return problems;
}

std::string versionOf(const LineList& list)
{
    // FNV-1a over the lines and their ends: any change of a line, of their number or of their
    // order gives another version.
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    const auto mix = [&hash](unsigned char byte) {
        hash ^= byte;
        hash *= 0x100000001b3ULL;
    };
    for (const std::string_view line : list) {
        for (const char c : line)
            mix(static_cast<unsigned char>(c));
        mix('\n');
    }
    static const char digits[] = "0123456789abcdef";
    std::string out = std::to_string(list.count()) + ":";
    for (int shift = 60; shift >= 0; shift -= 4)
        out += digits[(hash >> shift) & 0xF];
    return out;
}

} // namespace tovrin::kbtool
