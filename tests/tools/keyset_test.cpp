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

TEST(KeySet, FindsEveryOccurrenceOfEveryKey)
{
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
    };
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
            const auto first = static_cast<int>(std::find(c.keys.begin(), c.keys.end(), c.keys[k]) - c.keys.begin());
            for (std::size_t at = c.keys[k].empty() ? std::string::npos : c.text.find(c.keys[k]);
                 at != std::string::npos; at = c.text.find(c.keys[k], at + 1))
                expected.insert({first, at + c.keys[k].size()});
        }
        EXPECT_EQ(found, expected);
    }
}

TEST(KeySet, CheckFindsTheSameShadowsAsAKeyByKeySearch)
{
    // Keys of few letters so that many hold others, the lookup's no-backtracking scan included.
    std::mt19937 random(7);
    const std::string letters = cp("АБВ ");
    LineList words({"h"});
    for (int i = 0; i < 400; ++i) {
        std::string key;
        for (std::size_t n = 1 + random() % 6; key.size() < n;)
            key += letters[random() % letters.size()];
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
    EXPECT_GT(expected.size(), 50u);
    EXPECT_EQ(found, expected);
}
