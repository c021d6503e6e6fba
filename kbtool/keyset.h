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
    // Room for keys that hold this many characters once the beginnings they share are counted
    // once (a node each), so that a large set takes no more room than it needs.
    void reserve(std::size_t characters) { nodes_.reserve(characters + 1); }
    // Calls found(key number, position after the key's last character) for every occurrence
    // of every key, in the order the occurrences end in the text.
    void find(std::string_view text, const std::function<void(int, std::size_t)>& found) const;
    // Calls found(key number) once for every key that occurs in the text, however often it
    // occurs there: the work is the text's length and the number of keys found, never the
    // number of their occurrences (the keys «А», «АА», «ААА»... occur quadratically often in
    // the longest of them).
    void findEach(std::string_view text, const std::function<void(int)>& found) const;

private:
    struct Node {
        int firstChild = -1;
        int nextSibling = -1;
        int fail = 0;
        int output = -1; // the nearest node on the fail chain, this one included, that ends a key
        int key = -1; // the key that ends here
        unsigned char c = 0;
    };
    // A node's children are a list through nextSibling, the root's also a table by character:
    // a node for every character of the keys, and nothing more per character, however many
    // keys there are.
    int child(int node, unsigned char c) const;
    void prepare() const;
    // The node the search reaches after character c from node.
    int step(int node, unsigned char c) const;

    mutable std::vector<Node> nodes_{Node{}};
    std::vector<int> rootChild_ = std::vector<int>(256, -1); // by character; -1 for none
    mutable bool prepared_ = false;
    // For findEach: the search that last reported each key.
    mutable std::vector<unsigned> seenIn_;
    mutable unsigned search_ = 0;
    int keys_ = 0;
};

} // namespace tovrin::kbtool
