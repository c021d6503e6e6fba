#include "kb/entry.h"

#include <algorithm>

namespace tovrin {

namespace {
constexpr auto npos = std::string_view::npos;
}

int EntryDepth(std::string_view line)
{
    const std::size_t n = line.find_first_not_of(kDepthMark);
    return static_cast<int>(n == npos ? line.size() : n);
}

std::string_view EntryHeadView(std::string_view line)
{
    return line.substr(0, std::min(line.find(kKeyEnd), line.size()));
}

std::string EntryHead(std::string_view line) { return std::string(EntryHeadView(line)); }

std::string EntryKey(std::string_view line)
{
    const std::string_view head = EntryHeadView(line);
    return std::string(head.substr(static_cast<std::size_t>(EntryDepth(head))));
}

bool EntryHasReplies(std::string_view line)
{
    const std::size_t caret = line.find(kKeyEnd);
    return caret != npos && caret + 1 < line.size();
}

int EntryReplyCount(std::string_view line)
{
    return static_cast<int>(std::count(line.begin(), line.end(), kReplyEnd));
}

std::string EntryReply(std::string_view line, int r)
{
    if (r < 1)
        return {};
    // Reply 1 starts after the key; reply r after the (r - 1)-th ";" of the line.
    std::size_t start = line.find(kKeyEnd);
    if (start == npos)
        return {};
    ++start;
    if (r >= 2) {
        std::size_t pos = 0;
        for (int i = 1; i < r; ++i) {
            pos = line.find(kReplyEnd, pos);
            if (pos == npos)
                return {};
            ++pos;
        }
        start = pos;
    }
    const std::size_t end = line.find(kReplyEnd, start);
    if (end == npos)
        return {};
    return std::string(line.substr(start, end - start));
}

bool EntryHasFarewell(std::string_view line)
{
    return !line.empty() && line.back() == kFarewellMark;
}

EntryFault CheckEntry(std::string_view line)
{
    if (line.empty())
        return EntryFault::Empty;
    const std::size_t caret = line.find(kKeyEnd);
    if (caret == npos)
        return EntryFault::NoKeyTerminator;
    const std::string_view head = line.substr(0, caret);
    const std::string_view key = head.substr(static_cast<std::size_t>(EntryDepth(head)));
    if (key.empty())
        return EntryFault::NoKey;
    if (key.find(kReplyEnd) != npos)
        return EntryFault::KeyHasSemicolon;
    if (key.back() == ' ')
        return EntryFault::KeyEndsWithSpace;

    std::string_view replies = line.substr(caret + 1);
    if (replies.empty())
        return EntryFault::Ok; // a bare key
    if (replies == std::string_view(&kFarewellMark, 1))
        return EntryFault::FarewellWithoutReply;
    if (replies.back() == kFarewellMark)
        replies.remove_suffix(1);
    if (replies.back() != kReplyEnd)
        return EntryFault::UnclosedReply;
    std::size_t start = 0;
    while (start < replies.size()) {
        const std::size_t end = replies.find(kReplyEnd, start);
        if (end == start)
            return EntryFault::EmptyReply;
        start = end + 1;
    }
    return EntryFault::Ok;
}

const char* EntryFaultText(EntryFault fault)
{
    switch (fault) {
    case EntryFault::Ok: return "строка без ошибок";
    case EntryFault::Empty: return "пустая строка";
    case EntryFault::NoKeyTerminator: return "после ключа нет знака «^»";
    case EntryFault::NoKey: return "перед «^» нет ключа";
    case EntryFault::KeyEndsWithSpace: return "ключ кончается пробелом";
    case EntryFault::KeyHasSemicolon: return "в ключе есть «;»";
    case EntryFault::UnclosedReply: return "ответ не закрыт знаком «;»";
    case EntryFault::EmptyReply: return "пустой ответ";
    case EntryFault::FarewellWithoutReply: return "знак прощания без ответа";
    }
    return "";
}

bool EntryAnswers(std::string_view line) { return EntryHasReplies(line) && EntryWellFormed(line); }

} // namespace tovrin
