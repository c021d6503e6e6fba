#include "kb/linelist.h"

namespace tovrin {

void LineList::load(const std::string&) {}
void LineList::save(const std::string&) const {}
std::string LineList::get(int i) const { return i >= 0 && i < count() ? lines_[static_cast<size_t>(i)] : std::string(); }
void LineList::remove(int i)
{
    if (i >= 0 && i < count())
        lines_.erase(lines_.begin() + i);
}
std::string LineList::text() const
{
    std::string t;
    for (const auto& l : lines_)
        t += l + "\r\n";
    return t;
}
std::vector<std::string> loadMemo(const std::string&) { return {}; }

} // namespace tovrin
