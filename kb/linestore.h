#pragma once
// The lines of a line list, packed: each line is its length (seven bits to a byte) followed by
// its bytes, one after the other in one block, and the place of every sixteenth line is kept.
// A line costs one or two bytes more than its text, however short, so a loaded list stays
// within about twice its file's size whatever the file's shape (a file of millions of empty
// lines included).
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tovrin {

class LineStore {
public:
    LineStore() = default;
    explicit LineStore(const std::vector<std::string>& lines);
    LineStore(const LineStore&) = default;
    LineStore& operator=(const LineStore&) = default;
    // A store moved from is empty.
    LineStore(LineStore&& other) noexcept :
        bytes_(std::move(other.bytes_)),
        blocks_(std::move(other.blocks_)),
        count_(std::exchange(other.count_, 0))
    {
        other.bytes_.clear();
        other.blocks_.clear();
    }
    LineStore& operator=(LineStore&& other) noexcept
    {
        bytes_ = std::move(other.bytes_);
        blocks_ = std::move(other.blocks_);
        count_ = std::exchange(other.count_, 0);
        other.bytes_.clear();
        other.blocks_.clear();
        return *this;
    }

    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    // Line i, 0 <= i < size(); valid until the store changes. Takes at most sixteen steps.
    std::string_view operator[](std::size_t i) const;

    void push_back(std::string_view line);
    // Removes line i (i < size()).
    void erase(std::size_t i);
    // Forgets the lines; the room they took is kept for the next ones.
    void clear();
    // Room for lines of textBytes bytes in all, so that a load takes no more than it needs.
    // Room already there is kept; room that has to grow grows by at least an eighth, so that a
    // list loaded again and again as its file grows by a line is not moved every time.
    void reserve(std::size_t lines, std::size_t textBytes);
    void swap(LineStore& other) noexcept
    {
        bytes_.swap(other.bytes_);
        blocks_.swap(other.blocks_);
        std::swap(count_, other.count_);
    }
    // Gives back the room reserved beyond the lines.
    void shrinkToFit();

    std::vector<std::string> toVector() const;

    bool operator==(const LineStore& other) const
    {
        return count_ == other.count_ && bytes_ == other.bytes_;
    }

    // The lines in order, as views.
    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using pointer = const std::string_view*;
        using reference = std::string_view;

        const_iterator() = default;
        std::string_view operator*() const { return line_; }
        const std::string_view* operator->() const { return &line_; }
        const_iterator& operator++()
        {
            at_ = line_.data() + line_.size();
            decode();
            return *this;
        }
        const_iterator operator++(int)
        {
            const_iterator before = *this;
            ++*this;
            return before;
        }
        bool operator==(const const_iterator& other) const { return at_ == other.at_; }

    private:
        friend class LineStore;
        const_iterator(const char* at, const char* end) : at_(at), end_(end) { decode(); }
        void decode();

        const char* at_ = nullptr; // the record of the current line
        const char* end_ = nullptr;
        std::string_view line_;
    };
    const_iterator begin() const { return {bytes_.data(), bytes_.data() + bytes_.size()}; }
    const_iterator end() const
    {
        return {bytes_.data() + bytes_.size(), bytes_.data() + bytes_.size()};
    }
    // The iterator at line i (i <= size()).
    const_iterator at(std::size_t i) const;

private:
    static constexpr std::size_t kBlock = 16;
    std::size_t offsetOf(std::size_t i) const;
    void indexFrom(std::size_t block);

    // Room that grows without being filled first: every byte of it is written by the line
    // that takes it.
    template <typename T>
    struct UnfilledAllocator : std::allocator<T> {
        template <typename U>
        struct rebind {
            using other = UnfilledAllocator<U>;
        };
        UnfilledAllocator() = default;
        template <typename U>
        UnfilledAllocator(const UnfilledAllocator<U>&) noexcept
        {
        }
        template <typename U>
        void construct(U* p) noexcept
        {
            ::new (static_cast<void*>(p)) U;
        }
        template <typename U, typename... Args>
        void construct(U* p, Args&&... args)
        {
            ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
        }
    };
    std::vector<char, UnfilledAllocator<char>> bytes_; // every line: its length, then its bytes
    std::vector<std::uint64_t> blocks_; // where line k * kBlock begins
    std::size_t count_ = 0;
};

} // namespace tovrin
