#include "kbtool/kbtool.h"

#include "kb/cp1251.h"
#include "kb/entry.h"
#include "kb/files.h"
#include "kb/knowledge.h"
#include "kb/linelist.h"
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

// The well-formed entries of the file with what the checks need of them.
struct Entry {
    int line = 0;
    int depth = 0;
    std::string head;
    std::string key;
    bool answers = false; // has replies, so the lookup can answer from it
    bool lowerCase = false;
};

// Wherever a key is found in a phrase, the lookup finds an earlier key that the key itself
// holds there too, by the lookup's own rule. All keys are searched in each key at once; the
// lookup's scan then confirms the few found, since it finds a key only where it stands whole.
std::vector<Problem> withShadows(std::vector<Problem> problems, const std::vector<Entry>& answering,
                                 const std::vector<std::size_t>& shadowAt)
{
    KeySet keys; // the heads are distinct, so each key's number is its place in answering
    for (const Entry& e : answering)
        keys.add(e.key);
    std::vector<Problem> out;
    out.reserve(problems.size());
    std::size_t next = 0;
    for (std::size_t j = 0; j < answering.size(); ++j) {
        const UpperPhrase phrase(answering[j].key);
        int first = -1;
        keys.find(phrase.text(), [&](int k, std::size_t) {
            const auto earlier = static_cast<std::size_t>(k);
            if (earlier < j && (first < 0 || k < first) && ContainsKey(phrase, answering[earlier].key) != 0)
                first = k;
        });
        if (first < 0)
            continue;
        for (; next < shadowAt[j]; ++next)
            out.push_back(std::move(problems[next]));
        out.push_back({answering[j].line, Finding::Shadowed, answering[static_cast<std::size_t>(first)].line, {}});
    }
    for (; next < problems.size(); ++next)
        out.push_back(std::move(problems[next]));
    return out;
}

} // namespace

Severity severityOf(Finding kind)
{
    return kind == Finding::Malformed ? Severity::Error : Severity::Warning;
}

std::vector<Problem> checkKnowledge(const LineList& words)
{
    std::vector<Problem> problems;
    // The main phrases the lookup can answer from, in file order: the ones that can shadow.
    std::vector<Entry> answering;
    std::vector<std::size_t> shadowAt; // for each of them, where its finding goes among the problems
    std::unordered_map<std::string, int> firstMainHead;
    // The thread's structure: the entries of the current run (a main phrase and the branches
    // below it) by depth, each with the heads of the branches seen below it so far.
    struct Parent {
        int line = 0;
        std::map<std::string, int> childHeads;
    };
    std::vector<std::optional<Parent>> run; // index = depth; empty = no entry of that depth yet

    for (int i = 1; i < words.count(); ++i) {
        const std::string text = words.get(i);
        const EntryFault fault = CheckEntry(text);
        if (fault == EntryFault::Ok && text.size() > kMaxEntryLength)
            problems.push_back({i, Finding::Malformed, 0,
                                "the entry is longer than " + std::to_string(kMaxEntryLength) +
                                    " characters, the most a line of the knowledge file may hold"});
        if (fault != EntryFault::Ok) {
            problems.push_back({i, Finding::Malformed, 0, EntryFaultText(fault)});
            // The lookup passes over a malformed line, but one without "_" still ends the run
            // of branches that stood above it.
            if (text.empty() || text.front() != '_')
                run.clear();
            continue;
        }
        Entry e;
        e.line = i;
        e.depth = EntryDepth(text);
        e.head = EntryHead(text);
        e.key = EntryKey(text);
        e.answers = EntryHasReplies(text);
        e.lowerCase = hasLowerCase(e.key);
        if (e.lowerCase)
            problems.push_back({i, Finding::LowerCaseKey, 0, {}});

        if (e.depth == 0) {
            run.assign(1, Parent{i, {}});
            if (auto it = firstMainHead.find(e.head); it != firstMainHead.end()) {
                problems.push_back({i, Finding::DuplicateHead, it->second, {}});
            } else {
                firstMainHead.emplace(e.head, i);
                if (e.answers && !e.lowerCase) {
                    // Whether an earlier key shadows this one is known only once all keys are
                    // in: the finding takes this place among the others.
                    shadowAt.push_back(problems.size());
                    answering.push_back(std::move(e));
                }
            }
            continue;
        }

        // A branch of depth d is reached from any entry of depth d - 1 above it in its run;
        // the nearest such entry is the one whose thread finds it first.
        const auto depth = static_cast<size_t>(e.depth);
        if (run.empty() || depth > run.size() || !run[depth - 1]) {
            problems.push_back({i, Finding::OrphanBranch, 0, {}});
        } else {
            auto& siblings = run[depth - 1]->childHeads;
            if (auto it = siblings.find(e.head); it != siblings.end())
                problems.push_back({i, Finding::DuplicateHead, it->second, {}});
            else
                siblings.emplace(e.head, i);
        }
        if (!run.empty()) {
            if (run.size() <= depth)
                run.resize(depth + 1);
            // Deeper entries above keep their place: a thread that reaches one of them scans
            // on past this branch, so their earlier children still come first.
            run[depth] = Parent{i, {}};
        }
    }
    return withShadows(std::move(problems), answering, shadowAt);
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
        return "the key \"" + EntryKey(words.get(p.line)) +
               "\" holds lower-case letters and is never matched (phrases are compared in upper case)";
    case Finding::DuplicateHead:
        return "the head \"" + EntryHead(words.get(p.line)) + "\" is the same as on line " + related +
               ", which is always found first";
    case Finding::Shadowed:
        return "the key \"" + EntryKey(words.get(p.line)) + "\" holds the key \"" +
               EntryKey(words.get(p.relatedLine)) + "\" of line " + related +
               ", which answers first wherever both are found";
    case Finding::ControlCharacter:
        return "character " + p.detail + " is a control character, which the program no longer takes in " +
               "and an import refuses";
    case Finding::FewReplies:
    case Finding::FarewellInPhrase:
    case Finding::KeyInManyWords:
    case Finding::UnreachedParent: return p.detail;
    case Finding::OrphanBranch: {
        const int depth = EntryDepth(words.get(p.line));
        return "the branch of depth " + std::to_string(depth) + " stands below no entry of depth " +
               std::to_string(depth - 1) + " and is never reached";
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

std::string exportText(const LineList& list)
{
    std::string out;
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
    if ((length == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (length == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
        return 0;
    return length;
}

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

ImportResult prepareImport(std::string_view utf8, bool entries)
{
    ImportResult result;
    if (utf8.substr(0, 3) == "\xEF\xBB\xBF")
        utf8.remove_prefix(3);

    std::vector<std::string_view> rawLines;
    while (!utf8.empty()) {
        const size_t end = utf8.find('\n');
        std::string_view line = utf8.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        rawLines.push_back(line);
        if (end == std::string_view::npos)
            break;
        utf8.remove_prefix(end + 1);
    }

    for (size_t n = 0; n < rawLines.size(); ++n) {
        const int index = static_cast<int>(n);
        std::string_view rest = rawLines[n];
        std::string converted;
        std::optional<std::string> refusal;
        int column = 1;
        while (!rest.empty() && !refusal) {
            const size_t length = utf8Sequence(rest);
            if (length == 0) {
                refusal = "byte " + hexCode(rest.substr(0, 1)) + " at character " + std::to_string(column) +
                          " is not UTF-8 text";
                break;
            }
            const std::string_view sequence = rest.substr(0, length);
            const unsigned char first = static_cast<unsigned char>(sequence.front());
            if (length == 1 && cp1251::isControl(static_cast<char>(first))) {
                refusal = "character " + std::to_string(column) + " is a control character (" +
                          hexCode(sequence) + ")";
                break;
            }
            const std::string single = cp1251::fromUtf8(sequence);
            if (single.size() != 1 || cp1251::toUtf8(single) != sequence) {
                refusal = "character " + std::to_string(column) + " \"" + std::string(sequence) +
                          "\" has no Windows-1251 form";
                break;
            }
            converted += single;
            rest.remove_prefix(length);
            ++column;
        }
        if (!refusal && entries && index >= 1) {
            const EntryFault fault = CheckEntry(converted);
            if (fault != EntryFault::Ok)
                refusal = std::string(EntryFaultText(fault));
            else if (converted.size() > kMaxEntryLength)
                refusal = "the entry is longer than " + std::to_string(kMaxEntryLength) +
                          " characters, the most a line of the knowledge file may hold";
        }
        if (refusal)
            result.refusals.push_back({index, *refusal});
        else
            result.lines.push_back(std::move(converted));
    }
    if (!result.refusals.empty())
        result.lines.clear();
    return result;
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
        const auto at = std::find_if(line.begin(), line.end(), [](char c) { return cp1251::isControl(c); });
        if (at != line.end())
            problems.push_back({i, Finding::ControlCharacter, 0,
                                std::to_string(at - line.begin() + 1) + " (" + hexCode(std::string_view(&*at, 1)) + ")"});
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

std::string exportNotePath(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return folder + "." + name + ".exported";
}

} // namespace tovrin::kbtool
