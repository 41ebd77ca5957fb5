#include "text/replace_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Pairs = std::vector<std::pair<std::u16string, std::u16string>>;

TEST(ReplaceText, LongestOldTextWinsAndReplacedTextIsNotSearchedAgain) {
    const Pairs brand = {{u"ZovIDE", u"ACad"}, {u"Zov 软件有限公司", u"A 公司"}, {u"Zov", u"Q"}};
    const struct {
        Pairs pairs;
        std::u16string text;
        std::u16string expected;
        size_t count;
    } cases[] = {
        {brand, u"欢迎使用 ZovIDE", u"欢迎使用 ACad", 1},
        {brand, u"Zov 软件有限公司 版权所有，ZovIDE 与 Zov", u"A 公司 版权所有，ACad 与 Q", 3},
        {brand, u"zovide ZOVIDE", u"zovide ZOVIDE", 0},      // letter case counts
        {brand, u"ZovIDZovIDE", u"QIDACad", 2},              // a partial longer match falls back
        {{{u"A", u"AA"}}, u"ABA", u"AABAA", 2},              // no endless growth
        {{{u"ab", u"b"}, {u"bb", u"X"}}, u"abb", u"bb", 1},  // new text is not matched again
        {{{u"aa", u"b"}}, u"aaa", u"ba", 1},                 // left to right, no overlaps
        {{{u"", u"x"}, {u"b", u""}}, u"abc", u"ac", 1},      // empty old text never matches
        {brand, u"", u"", 0},
        {{{u"\U0001F600", u"笑"}}, u"a\U0001F600b", u"a笑b", 1},  // a surrogate pair as text
    };
    for (const auto& c : cases) {
        const text::Replacements r(c.pairs);
        size_t count = 99;
        EXPECT_EQ(c.expected, r.Apply(c.text, &count));
        EXPECT_EQ(c.count, count);
        EXPECT_EQ(c.count != 0, r.AnyIn(c.text));
    }
}

TEST(ReplaceText, OccurrencesIncludeOverlaps) {
    EXPECT_EQ((std::vector<size_t>{0, 1, 2}), text::Occurrences(u"aaaa", u"aa"));
    EXPECT_EQ((std::vector<size_t>{5}), text::Occurrences(u"欢迎使用 ZovIDE", u"ZovIDE"));
    EXPECT_TRUE(text::Occurrences(u"abc", u"").empty());
    EXPECT_TRUE(text::Occurrences(u"abc", u"C").empty());
}

}  // namespace
