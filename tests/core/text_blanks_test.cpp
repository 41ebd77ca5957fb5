// White space: the Windows C runtime's iswspace set, and the trimming that uses it.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <cwctype>
#endif
#include <string>

#include "lang/lang_reader.h"
#include "text/blanks.h"

namespace {

TEST(Blanks, WideSpacesCountAsWhiteSpace) {
    const struct {
        char16_t c;
        bool blank;
    } cases[] = {
        {u'\t', true},   {u'\r', true},   {0x001F, false}, {0x0085, false}, {0x00A0, true},
        {0x1680, true},  {0x180E, false}, {0x2000, true},  {0x200A, true},  {0x200B, false},
        {0x2028, true},  {0x2029, true},  {0x202F, true},  {0x205F, true},  {0x3000, true},
        {0x3001, false}, {0xFEFF, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.blank, text::IsBlank(c.c)) << std::hex << int{c.c};
    }
    EXPECT_EQ(u"文件", text::TrimBlanks(u"\u3000文件\u00A0"));
    EXPECT_EQ(u"", text::TrimBlanks(u"\u3000"));

    std::u16string file = u"\u3000id\u00A0=\u3000text\u3000\r\n";
    std::vector<LangEntry> entries;
    lang::ParseLangText(file, entries);
    ASSERT_EQ(1u, entries.size());
    EXPECT_EQ(u"ID", entries[0].id);
    EXPECT_EQ(u"text", entries[0].text);
}

#ifdef _WIN32
// The table above must be what the runtime says, for every code unit.
TEST(Blanks, SameAsTheRuntimesIswspace) {
    for (unsigned c = 0; c <= 0xFFFF; ++c) {
        ASSERT_EQ(std::iswspace(static_cast<wint_t>(c)) != 0,
                  text::IsBlank(static_cast<char16_t>(c)))
            << std::hex << c;
    }
}
#endif

}  // namespace
