#include "kbtool/merge.h"

#include "kb/entry.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace tovrin::kbtool {

namespace {

using Lines = std::vector<std::string>;

// Above this many cells a gap without a line of its own on either side is taken as replaced
// whole: the table of a full comparison would cost more than the gap is worth.
constexpr std::size_t kMaxTableCells = std::size_t{1} << 21;

// The longest common run of lines of two gaps that have no anchor: the plain table.
void matchByTable(const Lines& a, const Lines& b, int a0, int a1, int b0, int b1,
                  std::vector<int>& out)
{
    const auto n = static_cast<std::size_t>(a1 - a0);
    const auto m = static_cast<std::size_t>(b1 - b0);
    if ((n + 1) * (m + 1) > kMaxTableCells)
        return;
    std::vector<std::uint32_t> table((n + 1) * (m + 1), 0);
    auto at = [&](std::size_t i, std::size_t j) -> std::uint32_t& {
        return table[i * (m + 1) + j];
    };
    for (std::size_t i = n; i-- > 0;)
        for (std::size_t j = m; j-- > 0;)
            at(i, j) = a[a0 + i] == b[b0 + j] ? at(i + 1, j + 1) + 1
                                              : std::max(at(i + 1, j), at(i, j + 1));
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < n && j < m) {
        if (a[a0 + i] == b[b0 + j]) {
            out[a0 + i] = static_cast<int>(b0 + j);
            ++i;
            ++j;
        } else if (at(i + 1, j) >= at(i, j + 1)) {
            ++i;
        } else {
            ++j;
        }
    }
}

// Lines that stand once in each gap anchor the comparison (in the longest run that keeps their
// order); the gaps between anchors are compared the same way, each on its own.
void matchRange(const Lines& a, const Lines& b, int a0, int a1, int b0, int b1,
                std::vector<int>& out)
{
    while (a0 < a1 && b0 < b1 && a[a0] == b[b0])
        out[a0++] = b0++;
    while (a0 < a1 && b0 < b1 && a[a1 - 1] == b[b1 - 1])
        out[--a1] = --b1;
    if (a0 == a1 || b0 == b1)
        return;

    struct Seen {
        int inA = 0, atA = -1, inB = 0, atB = -1;
    };
    std::unordered_map<std::string_view, Seen> seen;
    seen.reserve(static_cast<std::size_t>(a1 - a0));
    for (int i = a0; i < a1; ++i) {
        Seen& s = seen[a[i]];
        ++s.inA;
        s.atA = i;
    }
    for (int j = b0; j < b1; ++j) {
        const auto found = seen.find(b[j]);
        if (found != seen.end()) {
            ++found->second.inB;
            found->second.atB = j;
        }
    }
    std::vector<std::pair<int, int>> unique;
    for (int i = a0; i < a1; ++i) {
        const Seen& s = seen[a[i]];
        if (s.inA == 1 && s.inB == 1)
            unique.emplace_back(i, s.atB);
    }
    if (unique.empty()) {
        matchByTable(a, b, a0, a1, b0, b1, out);
        return;
    }

    // The longest run of the unique pairs that rises in b too (patience sorting).
    std::vector<int> tails; // index into unique of the smallest tail of each length
    std::vector<int> before(unique.size(), -1); // the pair before it in its run
    for (int k = 0; k < static_cast<int>(unique.size()); ++k) {
        const int j = unique[k].second;
        const auto place = std::lower_bound(tails.begin(), tails.end(), j, [&](int t, int value) {
            return unique[t].second < value;
        });
        if (place != tails.begin())
            before[k] = *(place - 1);
        if (place == tails.end())
            tails.push_back(k);
        else
            *place = k;
    }
    std::vector<std::pair<int, int>> anchors;
    for (int k = tails.back(); k >= 0; k = before[k])
        anchors.push_back(unique[k]);
    std::reverse(anchors.begin(), anchors.end());

    int i = a0;
    int j = b0;
    for (const auto& [ai, bj] : anchors) {
        matchRange(a, b, i, ai, j, bj, out);
        out[ai] = bj;
        i = ai + 1;
        j = bj + 1;
    }
    matchRange(a, b, i, a1, j, b1, out);
}

// An entry taken apart: head, replies and the farewell mark. Nothing for a line that is no
// well-formed entry: such a line is only ever kept or dropped whole.
struct Parts {
    std::string_view head;
    std::vector<std::string_view> replies;
    bool farewell = false;
};

std::optional<Parts> partsOf(std::string_view line)
{
    if (!EntryWellFormed(line))
        return std::nullopt;
    Parts p;
    const std::size_t caret = line.find(kKeyEnd);
    p.head = line.substr(0, caret);
    std::string_view rest = line.substr(caret + 1);
    if (!rest.empty() && rest.back() == kFarewellMark) {
        p.farewell = true;
        rest.remove_suffix(1);
    }
    while (!rest.empty()) {
        const std::size_t end = rest.find(kReplyEnd);
        p.replies.push_back(rest.substr(0, end));
        rest.remove_prefix(end + 1);
    }
    return p;
}

std::string joined(std::string_view head, const std::vector<std::string_view>& replies,
                   bool farewell)
{
    std::string line(head);
    line += kKeyEnd;
    for (const auto r : replies) {
        line += r;
        line += kReplyEnd;
    }
    if (farewell && !replies.empty())
        line += kFarewellMark;
    return line;
}

bool holds(const std::vector<std::string_view>& list, std::string_view r)
{
    return std::find(list.begin(), list.end(), r) != list.end();
}

// The head of a line that can be an entry, or nothing.
std::optional<std::string_view> headOf(std::string_view line)
{
    const std::size_t caret = line.find(kKeyEnd);
    if (caret == std::string_view::npos || caret == 0)
        return std::nullopt;
    return line.substr(0, caret);
}

// Both sides changed one entry. When the user's side removed no reply the delivery kept, the
// delivered entry wins with the user's own replies after its own; otherwise the user's line is
// kept and gains the delivered replies it lacks. An entry that would grow too long for a line
// stays as the user has it.
struct EntryMerge {
    std::string line;
    bool conflict = false;
};
EntryMerge mergeEntry(std::string_view base, std::string_view ours, std::string_view theirs)
{
    const auto b = partsOf(base);
    const auto o = partsOf(ours);
    const auto t = partsOf(theirs);
    if (!b || !o || !t || o->head != t->head)
        return {std::string(ours), true};

    bool userRemovedKept = false;
    for (const auto r : b->replies)
        if (!holds(o->replies, r) && holds(t->replies, r))
            userRemovedKept = true;
    std::string line;
    bool conflict = false;
    if (!userRemovedKept && o->farewell == b->farewell) {
        std::vector<std::string_view> replies = t->replies;
        for (const auto r : o->replies)
            if (!holds(b->replies, r) && !holds(replies, r))
                replies.push_back(r);
        line = joined(t->head, replies, t->farewell);
    } else {
        std::vector<std::string_view> replies = o->replies;
        for (const auto r : t->replies)
            if (!holds(b->replies, r) && !holds(replies, r))
                replies.push_back(r);
        line = joined(o->head, replies, o->farewell);
        conflict = line != ours;
    }
    if (line.size() > kMaxEntryLength)
        return {std::string(ours), true};
    return {line, conflict};
}

// An entry both sides added: the delivered one with the user's replies after its own.
std::string unionEntry(std::string_view ours, std::string_view theirs)
{
    const auto o = partsOf(ours);
    const auto t = partsOf(theirs);
    if (!o || !t)
        return std::string(ours);
    std::vector<std::string_view> replies = t->replies;
    for (const auto r : o->replies)
        if (!holds(replies, r))
            replies.push_back(r);
    std::string line = joined(t->head, replies, t->farewell);
    return line.size() > kMaxEntryLength ? std::string(ours) : line;
}

// How the lines of one side stand to the base's: the same line, the same entry changed, or none.
struct Link {
    std::vector<int> fromBase; // base line -> its line on this side, or -1 (gone)
    std::vector<bool> same; // that line is the base's, byte for byte
    std::vector<int> toBase; // line of this side -> its base line, or -1 (new on this side)
};

Link link(const Lines& base, const Lines& side, bool entries)
{
    Link l;
    l.fromBase = matchLines(base, side);
    l.same.assign(base.size(), false);
    l.toBase.assign(side.size(), -1);
    for (std::size_t i = 0; i < base.size(); ++i)
        if (l.fromBase[i] >= 0) {
            l.same[i] = true;
            l.toBase[static_cast<std::size_t>(l.fromBase[i])] = static_cast<int>(i);
        }
    if (!entries)
        return l;

    auto pair = [&](std::size_t i, int j) {
        l.fromBase[i] = j;
        l.toBase[static_cast<std::size_t>(j)] = static_cast<int>(i);
    };
    // First an entry changed where it stands: the same head between the same unchanged lines.
    std::map<std::pair<int, std::string_view>, std::deque<int>> near;
    int gap = 0;
    for (std::size_t j = 0; j < side.size(); ++j) {
        if (l.toBase[j] >= 0) {
            ++gap;
            continue;
        }
        if (const auto head = headOf(side[j]))
            near[{gap, *head}].push_back(static_cast<int>(j));
    }
    gap = 0;
    for (std::size_t i = 0; i < base.size(); ++i) {
        if (l.same[i]) {
            ++gap;
            continue;
        }
        const auto head = headOf(base[i]);
        if (!head)
            continue;
        const auto found = near.find({gap, *head});
        if (found != near.end() && !found->second.empty()) {
            pair(i, found->second.front());
            found->second.pop_front();
        }
    }
    // Then a main phrase moved elsewhere (learning moves an entry that gains a reply to the end).
    std::unordered_map<std::string_view, std::deque<int>> moved;
    for (std::size_t j = 0; j < side.size(); ++j)
        if (l.toBase[j] < 0)
            if (const auto head = headOf(side[j]); head && EntryDepth(*head) == 0)
                moved[*head].push_back(static_cast<int>(j));
    for (std::size_t i = 0; i < base.size(); ++i) {
        if (l.fromBase[i] >= 0)
            continue;
        const auto head = headOf(base[i]);
        if (!head || EntryDepth(*head) != 0)
            continue;
        auto found = moved.find(*head);
        while (found != moved.end() && !found->second.empty() &&
               l.toBase[static_cast<std::size_t>(found->second.front())] >= 0)
            found->second.pop_front();
        if (found != moved.end() && !found->second.empty()) {
            pair(i, found->second.front());
            found->second.pop_front();
        }
    }
    return l;
}

MergeResult mergeBody(const Lines& base, const Lines& ours, const Lines& theirs, bool entries)
{
    MergeResult result;
    MergeCounts& counts = result.counts;
    const Link mine = link(base, ours, entries);
    const Link delivered = link(base, theirs, entries);

    std::vector<std::string> content = ours;
    std::vector<bool> gone(ours.size(), false);
    std::vector<std::vector<std::string>> after(ours.size() +
                                                1); // after[k]: new lines after ours[k - 1]

    for (std::size_t j = 0; j < ours.size(); ++j)
        if (mine.toBase[j] < 0 || !mine.same[static_cast<std::size_t>(mine.toBase[j])])
            ++counts.learnt;

    for (std::size_t i = 0; i < base.size(); ++i) {
        const int t = delivered.fromBase[i];
        const int o = mine.fromBase[i];
        if (t >= 0 && delivered.same[i])
            continue; // the delivery left it alone
        if (o < 0)
            continue; // the user's side removed it: it stays removed
        const auto oi = static_cast<std::size_t>(o);
        if (t >= 0) {
            if (mine.same[i]) {
                content[oi] = theirs[static_cast<std::size_t>(t)];
                ++counts.changed;
            } else {
                const EntryMerge m =
                    mergeEntry(base[i], ours[oi], theirs[static_cast<std::size_t>(t)]);
                if (m.line != ours[oi])
                    ++(m.conflict ? counts.conflicts : counts.changed);
                content[oi] = m.line;
            }
        } else if (mine.same[i]) {
            gone[oi] = true;
            ++counts.removed;
        }
    }

    // The user's own lines that a delivered line may turn out to be.
    std::unordered_map<std::string_view, std::deque<int>> ownByText;
    std::unordered_map<std::string_view, std::deque<int>> ownByHead; // main phrases only
    for (std::size_t j = 0; j < ours.size(); ++j) {
        if (mine.toBase[j] >= 0)
            continue;
        ownByText[ours[j]].push_back(static_cast<int>(j));
        if (entries)
            if (const auto head = headOf(ours[j]); head && EntryDepth(*head) == 0)
                ownByHead[*head].push_back(static_cast<int>(j));
    }
    std::vector<bool> used(ours.size(), false);
    auto takeFrom = [&](std::deque<int>& q) -> int {
        while (!q.empty() && used[static_cast<std::size_t>(q.front())])
            q.pop_front();
        if (q.empty())
            return -1;
        const int j = q.front();
        q.pop_front();
        used[static_cast<std::size_t>(j)] = true;
        return j;
    };

    std::size_t place = 0; // new lines go into after[place]
    for (std::size_t j = 0; j < theirs.size(); ++j) {
        const std::string& line = theirs[j];
        if (const int i = delivered.toBase[j]; i >= 0) {
            if (const int o = mine.fromBase[static_cast<std::size_t>(i)]; o >= 0)
                place = static_cast<std::size_t>(o) + 1;
            continue;
        }
        // New in the delivery. The user's side may have it already, word for word ...
        if (const auto found = ownByText.find(line); found != ownByText.end()) {
            if (const int o = takeFrom(found->second); o >= 0) {
                place = static_cast<std::size_t>(o) + 1;
                continue;
            }
        }
        const auto head = entries ? headOf(line) : std::nullopt;
        // ... or as an entry of the same head right here, changed (only without a base: with one,
        // a change of the user's is known as such) ...
        if (head) {
            std::size_t k = place;
            while (k < ours.size() && mine.toBase[k] < 0 && (used[k] || headOf(ours[k]) != head))
                ++k;
            if (k < ours.size() && mine.toBase[k] < 0 && !used[k]) {
                used[k] = true;
                const std::string merged = unionEntry(ours[k], line);
                if (merged != ours[k])
                    ++counts.changed;
                content[k] = merged;
                place = k + 1;
                continue;
            }
        }
        // ... or as a main phrase of the same head learnt elsewhere: it joins the delivered one.
        if (head && EntryDepth(*head) == 0) {
            if (const auto found = ownByHead.find(*head); found != ownByHead.end()) {
                if (const int o = takeFrom(found->second); o >= 0) {
                    gone[static_cast<std::size_t>(o)] = true;
                    after[place].push_back(unionEntry(ours[static_cast<std::size_t>(o)], line));
                    ++counts.added;
                    continue;
                }
            }
        }
        after[place].push_back(line);
        ++counts.added;
    }

    for (std::string& l : after[0])
        result.lines.push_back(std::move(l));
    for (std::size_t j = 0; j < ours.size(); ++j) {
        if (!gone[j])
            result.lines.push_back(std::move(content[j]));
        for (std::string& l : after[j + 1])
            result.lines.push_back(std::move(l));
    }
    return result;
}

Lines tail(const Lines& lines)
{
    return lines.empty() ? Lines{} : Lines(lines.begin() + 1, lines.end());
}

} // namespace

std::vector<int> matchLines(const Lines& a, const Lines& b)
{
    std::vector<int> out(a.size(), -1);
    matchRange(a, b, 0, static_cast<int>(a.size()), 0, static_cast<int>(b.size()), out);
    return out;
}

MergeResult mergeLines(const Lines* base, const Lines& ours, const Lines& theirs, bool entries)
{
    Lines shared;
    if (base == nullptr) {
        // What both have stands for the base they came from.
        const Lines& o = entries ? tail(ours) : ours;
        const Lines& t = entries ? tail(theirs) : theirs;
        const std::vector<int> m = matchLines(o, t);
        for (std::size_t i = 0; i < o.size(); ++i)
            if (m[i] >= 0)
                shared.push_back(o[i]);
        if (entries)
            shared.insert(shared.begin(), ours.empty() ? std::string() : ours[0]);
        base = &shared;
    }
    if (!entries)
        return mergeBody(*base, ours, theirs, false);

    MergeResult r = mergeBody(tail(*base), tail(ours), tail(theirs), true);
    // The header line follows the delivery unless the user wrote one of their own.
    std::string header;
    if (!theirs.empty() &&
        (ours.empty() || base->empty() || ours[0] == (*base)[0] || base == &shared))
        header = theirs[0];
    else if (!ours.empty())
        header = ours[0];
    else if (r.lines.empty())
        return r;
    r.lines.insert(r.lines.begin(), header);
    return r;
}

} // namespace tovrin::kbtool
