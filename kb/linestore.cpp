#include "kb/linestore.h"

#include <algorithm>

namespace tovrin {

namespace {

// A length in seven-bit pieces, the lowest first; every piece but the last has its high bit.
char* putLength(char* out, std::size_t length)
{
    while (length >= 0x80) {
        *out++ = static_cast<char>((length & 0x7F) | 0x80);
        length >>= 7;
    }
    *out++ = static_cast<char>(length);
    return out;
}

const char* takeLength(const char* in, std::size_t& length)
{
    length = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(*in++);
        length |= static_cast<std::size_t>(byte & 0x7F) << shift;
        if (byte < 0x80)
            return in;
    }
}

// The end of the record that begins at p.
const char* skipRecord(const char* p)
{
    std::size_t length = 0;
    p = takeLength(p, length);
    return p + length;
}

constexpr std::size_t kLongestLength = (sizeof(std::size_t) * 8 + 6) / 7;

} // namespace

void LineStore::const_iterator::decode()
{
    if (at_ == end_) {
        line_ = {end_, 0};
        return;
    }
    std::size_t length = 0;
    const char* text = takeLength(at_, length);
    line_ = {text, length};
}

LineStore::LineStore(const std::vector<std::string>& lines)
{
    std::size_t text = 0;
    for (const auto& line : lines)
        text += line.size();
    reserve(lines.size(), text);
    for (const auto& line : lines)
        push_back(line);
}

std::size_t LineStore::offsetOf(std::size_t i) const
{
    const char* const base = bytes_.data();
    const char* p = base + blocks_[i / kBlock];
    for (std::size_t k = i % kBlock; k != 0; --k)
        p = skipRecord(p);
    return static_cast<std::size_t>(p - base);
}

std::string_view LineStore::operator[](std::size_t i) const { return *at(i); }

LineStore::const_iterator LineStore::at(std::size_t i) const
{
    if (i >= count_)
        return end();
    return {bytes_.data() + offsetOf(i), bytes_.data() + bytes_.size()};
}

void LineStore::push_back(std::string_view line)
{
    const std::size_t need = kLongestLength + line.size();
    if (bytes_.capacity() - bytes_.size() < need)
        // An eighth more each time: a list that grows by a line a turn never holds twice its
        // size in reserve.
        bytes_.reserve(bytes_.size() + std::max(need, bytes_.size() / 8 + 64));
    if (count_ % kBlock == 0) {
        if (blocks_.capacity() == blocks_.size())
            blocks_.reserve(blocks_.size() + blocks_.size() / 8 + 16);
        blocks_.push_back(bytes_.size());
    }
    const std::size_t start = bytes_.size();
    bytes_.resize(start + need);
    char* out = putLength(bytes_.data() + start, line.size());
    std::copy(line.begin(), line.end(), out);
    bytes_.resize(static_cast<std::size_t>(out - bytes_.data()) + line.size());
    ++count_;
}

void LineStore::erase(std::size_t i)
{
    if (i >= count_)
        return;
    const std::size_t offset = offsetOf(i);
    const std::size_t end =
        static_cast<std::size_t>(skipRecord(bytes_.data() + offset) - bytes_.data());
    bytes_.erase(bytes_.begin() + static_cast<std::ptrdiff_t>(offset),
                 bytes_.begin() + static_cast<std::ptrdiff_t>(end));
    --count_;
    indexFrom(i / kBlock);
}

void LineStore::indexFrom(std::size_t block)
{
    // The lines from this block on moved; the block's own start did not.
    blocks_.resize((count_ + kBlock - 1) / kBlock);
    if (block >= blocks_.size())
        return;
    const char* const base = bytes_.data();
    const char* p = base + blocks_[block];
    for (std::size_t line = block * kBlock; line < count_; ++line) {
        if (line % kBlock == 0)
            blocks_[line / kBlock] = static_cast<std::uint64_t>(p - base);
        p = skipRecord(p);
    }
}

void LineStore::clear()
{
    bytes_.clear();
    blocks_.clear();
    count_ = 0;
}

void LineStore::reserve(std::size_t lines, std::size_t textBytes)
{
    // A length takes one byte below 128, and one more for each further seven bits, which only
    // a line of at least 128 bytes needs.
    const auto grow = [](auto& vector, std::size_t need) {
        if (need > vector.capacity())
            vector.reserve(vector.capacity() == 0
                               ? need
                               : std::max(need, vector.capacity() + vector.capacity() / 8));
    };
    grow(bytes_, textBytes + lines + textBytes / 128 + kLongestLength);
    grow(blocks_, (lines + kBlock - 1) / kBlock);
}

void LineStore::shrinkToFit()
{
    bytes_.shrink_to_fit();
    blocks_.shrink_to_fit();
}

std::vector<std::string> LineStore::toVector() const
{
    std::vector<std::string> lines;
    lines.reserve(count_);
    for (const std::string_view line : *this)
        lines.emplace_back(line);
    return lines;
}

} // namespace tovrin
