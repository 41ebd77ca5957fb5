#include "lang/find_replace.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/unicode.h"

namespace {

TEST(FindReplaceTest, ReplacesEveryOccurrenceOnceWithOrWithoutCase) {
    const struct {
        const char16_t* text;
        const char16_t* find;
        const char16_t* replacement;
        bool matchCase;
        const char16_t* expected;
        size_t count;
    } cases[] = {
        {u"ZovIDE zovide ZOVIDE", u"ZovIDE", u"ACad", true, u"ACad zovide ZOVIDE", 1},
        {u"ZovIDE zovide ZOVIDE", u"zovIde", u"ACad", false, u"ACad ACad ACad", 3},
        {u"aaaa", u"aa", u"a", true, u"aa", 2},  // not overlapping, not searched again
        {u"ab", u"b", u"bb", true, u"abb", 1},
        {u"Ärger über ÄRGER", u"ärger", u"Ä", false, u"Ä über Ä", 2},  // beyond ASCII
        {u"Δέλτα ΔΈΛΤΑ", u"δέλτα", u"x", false, u"x x", 2},
        {u"欢迎使用 ZovIDE", u"欢迎", u"", true, u"使用 ZovIDE", 1},
        {u"short", u"longer text", u"x", false, u"short", 0},
    };
    for (const auto& c : cases) {
        size_t count = 99;
        EXPECT_EQ(lang::ReplaceOccurrences(c.text, {c.find, c.replacement, c.matchCase}, count),
                  c.expected)
            << platform::Utf16ToUtf8(c.text);
        EXPECT_EQ(count, c.count) << platform::Utf16ToUtf8(c.text);
    }
}

TEST(FindReplaceTest, EditsTheChosenLanguagesOnly) {
    CLangTable table;
    table.SetText(0, u"IDS_A", u"欢迎使用 ZovIDE");
    table.SetText(0, u"IDS_B", u"无关");
    table.SetText(1, u"IDS_A", u"Welcome to ZovIDE, zovide");
    table.SetText(2, u"IDS_A", u"ZovIDE");
    const lang::FindReplaceResult r =
        lang::ReplaceInLanguages(table, {0, 1}, {u"zovide", u"ACad", false});
    EXPECT_EQ(r.occurrences, 3u);
    EXPECT_EQ(r.languages, 2u);
    ASSERT_EQ(r.edited.size(), 2u);
    EXPECT_EQ(table.Entries(1).begin()->text, u"Welcome to ACad, ACad");
    EXPECT_EQ(table.Entries(2).begin()->text, u"ZovIDE");  // not chosen
}

}  // namespace
