#pragma once
// Many keys searched in a text at once: every key that occurs in it as a run of characters,
// found in one pass over the text whatever the number of keys.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tovrin::kbtool {

class KeySet {
public:
    // Returns the key's number: distinct keys are numbered from 0 in the order they are first
    // added, and a key added again keeps its number. An empty key is never found (-1).
    int add(std::string_view key);
    // Calls found(key number, position after the key's last character) for every occurrence
    // of every key, in the order the occurrences end in the text.
    void find(std::string_view text, const std::function<void(int, std::size_t)>& found) const;

private:
    struct Node {
        int firstChild = -1;
        int nextSibling = -1;
        int fail = 0;
        int output = -1; // the nearest node on the fail chain, this one included, that ends a key
        int key = -1;    // the key that ends here
        unsigned char c = 0;
    };
    // While keys are added, a node's children are a list through nextSibling; the search
    // reads them laid out together, and the root's by character.
    int addedChild(int node, unsigned char c) const;
    int child(int node, unsigned char c) const;
    void prepare() const;

    struct Edge {
        unsigned char c;
        int to;
    };
    mutable std::vector<Node> nodes_{Node{}};
    mutable std::vector<Edge> edges_;
    mutable std::vector<int> edgesBegin_; // node n's edges are edgesBegin_[n] .. edgesBegin_[n + 1]
    std::vector<int> rootChild_ = std::vector<int>(256, -1); // by character; -1 for none
    mutable bool prepared_ = false;
    int keys_ = 0;
};

} // namespace tovrin::kbtool
