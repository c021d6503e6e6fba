// Many keys found in a text at once, and the check's shadowed keys that rest on it.
#include "engine/match.h"
#include "kb/linelist.h"
#include "support/testsupport.h"
#include "kbtool/kbtool.h"
#include "kbtool/keyset.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <utility>

using namespace tovrin;
using namespace tovrin::test;

namespace {

struct Case {
    std::vector<std::string> keys;
    std::string text;
};
const Case cases[] = {
    {{"he", "she", "his", "hers"}, "ushers"},
    {{"a", "aa", "aaa"}, "aaaa"},
    {{"ab", "b", "bab", "ab", ""}, "babab"},
    {{"ПОКА", "КА", "ПОКАЗ"}, cp("ПОКАЖИ ПОКАЗ ПОКА")},
    {{"xyz"}, "xy"},
    {{"\xFF\x01", "\x01"}, "\xFF\x01\x01"},
    {{"a", "aa", "aaa", "aaaa", "b", "ab"}, "aaaaaab aaab"},
};

} // namespace

TEST(KeySet, FindsEveryOccurrenceOfEveryKeyAndEachKeyOnce)
{
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        kbtool::KeySet set;
        for (const auto& k : c.keys)
            set.add(k);
        std::set<std::pair<int, std::size_t>> found;
        set.find(c.text, [&](int k, std::size_t end) { found.insert({k, end}); });
        // Every occurrence, by a plain search; a key added again keeps its first number.
        std::set<std::pair<int, std::size_t>> expected;
        for (std::size_t k = 0; k < c.keys.size(); ++k) {
            const auto first = static_cast<int>(std::find(c.keys.begin(), c.keys.end(), c.keys[k]) -
                                                c.keys.begin());
            for (std::size_t at = c.keys[k].empty() ? std::string::npos : c.text.find(c.keys[k]);
                 at != std::string::npos; at = c.text.find(c.keys[k], at + 1))
                expected.insert({first, at + c.keys[k].size()});
        }
        EXPECT_EQ(found, expected);

        // Each key that occurs, once however often it does; a second search of the same text,
        // and one of another, report afresh.
        std::set<int> occurring;
        for (const auto& [k, end] : expected)
            occurring.insert(k);
        for (const std::string& text : {c.text, c.text, std::string("-") + c.text}) {
            std::vector<int> each;
            set.findEach(text, [&](int k) { each.push_back(k); });
            EXPECT_EQ(std::set<int>(each.begin(), each.end()), occurring);
            EXPECT_EQ(each.size(), occurring.size());
        }
    }
}

TEST(KeySet, CheckFindsTheSameShadowsAsAKeyByKeySearch)
{
    // Keys of few letters so that many hold others, the lookup's no-backtracking scan included:
    // short ones, and long ones of two letters that hold one another many times over.
    struct Shape {
        std::string letters;
        std::size_t longest;
        std::size_t minimumShadows;
    };
    for (const Shape& shape : {Shape{cp("АБВ "), 6, 50}, Shape{cp("АБ"), 40, 100}}) {
        SCOPED_TRACE(shape.longest);
        std::mt19937 random(7);
        LineList words({"h"});
        for (int i = 0; i < 400; ++i) {
            std::string key;
            for (std::size_t n = 1 + random() % shape.longest; key.size() < n;)
                key += shape.letters[random() % shape.letters.size()];
            if (key.front() == ' ' || key.back() == ' ')
                continue;
            words.add(key + "^x;");
        }
        std::vector<std::pair<int, int>> expected;
        std::vector<std::pair<std::string, int>> earlier;
        std::set<std::string> seen;
        for (int i = 1; i < words.count(); ++i) {
            const std::string key = words.get(i).substr(0, words.get(i).find('^'));
            if (!seen.insert(key).second)
                continue;
            for (const auto& [k, line] : earlier)
                if (ContainsKey(key, k) != 0) {
                    expected.push_back({i, line});
                    break;
                }
            earlier.push_back({key, i});
        }
        std::vector<std::pair<int, int>> found;
        for (const auto& p : kbtool::checkKnowledge(words))
            if (p.kind == kbtool::Finding::Shadowed)
                found.push_back({p.line, p.relatedLine});
        EXPECT_GT(expected.size(), shape.minimumShadows);
        EXPECT_EQ(found, expected);
    }
}
