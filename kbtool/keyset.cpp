#include "kbtool/keyset.h"

#include <deque>

namespace tovrin::kbtool {

int KeySet::child(int node, unsigned char c) const
{
    if (node == 0)
        return rootChild_[c];
    for (int n = nodes_[static_cast<std::size_t>(node)].firstChild; n >= 0;
         n = nodes_[static_cast<std::size_t>(n)].nextSibling)
        if (nodes_[static_cast<std::size_t>(n)].c == c)
            return n;
    return -1;
}

int KeySet::add(std::string_view key)
{
    if (key.empty())
        return -1;
    prepared_ = false;
    int node = 0;
    for (const char ch : key) {
        const auto c = static_cast<unsigned char>(ch);
        int next = child(node, c);
        if (next < 0) {
            next = static_cast<int>(nodes_.size());
            Node n;
            n.c = c;
            n.nextSibling = nodes_[static_cast<std::size_t>(node)].firstChild;
            nodes_.push_back(n);
            nodes_[static_cast<std::size_t>(node)].firstChild = next;
            if (node == 0)
                rootChild_[c] = next;
        }
        node = next;
    }
    Node& end = nodes_[static_cast<std::size_t>(node)];
    if (end.key < 0)
        end.key = keys_++;
    return end.key;
}

void KeySet::prepare() const
{
    // Breadth first, so that a node's fail link points to a node already done.
    std::deque<int> queue;
    for (int n = nodes_[0].firstChild; n >= 0;
         n = nodes_[static_cast<std::size_t>(n)].nextSibling) {
        nodes_[static_cast<std::size_t>(n)].fail = 0;
        queue.push_back(n);
    }
    nodes_[0].output = -1;
    while (!queue.empty()) {
        const int node = queue.front();
        queue.pop_front();
        Node& self = nodes_[static_cast<std::size_t>(node)];
        self.output = self.key >= 0 ? node : nodes_[static_cast<std::size_t>(self.fail)].output;
        for (int n = self.firstChild; n >= 0; n = nodes_[static_cast<std::size_t>(n)].nextSibling) {
            const unsigned char c = nodes_[static_cast<std::size_t>(n)].c;
            // The longest proper suffix of this node's text that some key begins with.
            int f = self.fail;
            int target = child(f, c);
            while (target < 0 && f != 0) {
                f = nodes_[static_cast<std::size_t>(f)].fail;
                target = child(f, c);
            }
            nodes_[static_cast<std::size_t>(n)].fail = target < 0 ? 0 : target;
            queue.push_back(n);
        }
    }
    prepared_ = true;
}

int KeySet::step(int node, unsigned char c) const
{
    for (;;) {
        const int next = child(node, c);
        if (next >= 0)
            return next;
        if (node == 0)
            return 0;
        node = nodes_[static_cast<std::size_t>(node)].fail;
    }
}

void KeySet::findEach(std::string_view text, const std::function<void(int)>& found) const
{
    if (!prepared_)
        prepare();
    if (seenIn_.size() != static_cast<std::size_t>(keys_) || ++search_ == 0) {
        seenIn_.assign(static_cast<std::size_t>(keys_), 0);
        search_ = 1;
    }
    int node = 0;
    for (const char ch : text) {
        node = step(node, static_cast<unsigned char>(ch));
        // A key already reported in this search had the keys its fail chain holds reported
        // with it: the walk stops there.
        for (int out = nodes_[static_cast<std::size_t>(node)].output; out > 0;) {
            const Node& o = nodes_[static_cast<std::size_t>(out)];
            unsigned& seen = seenIn_[static_cast<std::size_t>(o.key)];
            if (seen == search_)
                break;
            seen = search_;
            found(o.key);
            out = nodes_[static_cast<std::size_t>(o.fail)].output;
        }
    }
}

void KeySet::find(std::string_view text, const std::function<void(int, std::size_t)>& found) const
{
    if (!prepared_)
        prepare();
    int node = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        node = step(node, static_cast<unsigned char>(text[i]));
        for (int out = nodes_[static_cast<std::size_t>(node)].output; out > 0;) {
            const Node& o = nodes_[static_cast<std::size_t>(out)];
            found(o.key, i + 1);
            out = nodes_[static_cast<std::size_t>(o.fail)].output;
        }
    }
}

} // namespace tovrin::kbtool
