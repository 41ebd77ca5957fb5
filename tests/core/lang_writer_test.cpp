#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lang/lang_slot.h"
#include "lang/lang_table.h"
#include "lang/lang_writer.h"
#include "tests/support/temp_dir.h"

namespace {

using testsupport::ReadBytes;
using testsupport::TempDir;
using testsupport::Utf16LeBytes;
using testsupport::WriteBytes;
using Pairs = std::vector<std::pair<std::u16string, std::u16string>>;

const std::string kUtf16Mark("\xFF\xFE", 2);

// The bytes of a written file whose text after the mark is text.
std::string FileBytes(const std::u16string& text) {
    return kUtf16Mark + Utf16LeBytes(text);
}

// Concatenation by appending (GCC 12 warns wrongly about chains of operator+ on strings).
std::u16string Cat(std::initializer_list<std::u16string_view> parts) {
    std::u16string out;
    for (std::u16string_view part : parts) {
        out.append(part.data(), part.size());
    }
    return out;
}

std::u16string Blanks(size_t n) {
    return std::u16string(n, u' ');
}

Pairs ToPairs(const CLangSlot& slot) {
    Pairs out;
    for (const LangEntry& e : slot) {
        out.emplace_back(std::u16string(e.id), std::u16string(e.text));
    }
    return out;
}

TEST(LangWriter, LineLayout) {
    const std::u16string id70(70, u'L');
    const std::u16string id60(60, u'S');
    struct Case {
        const char* name;
        std::u16string id;
        std::u16string text;
        std::u16string line;
    };
    const std::vector<Case> cases = {
        {"3 characters", u"ABC", u"text", Cat({u"ABC", Blanks(57), u"=    text\r\n"})},
        {"60 characters", id60, u"t", Cat({id60, u"=    t\r\n"})},
        {"70 characters", id70, u"t", Cat({id70, u"=    t\r\n"})},
        {"empty ID and text", u"", u"", Cat({Blanks(60), u"=    \r\n"})},
        {"= in the text", u"K", u"a=b = c", Cat({u"K", Blanks(59), u"=    a=b = c\r\n"})},
        {"blanks at the ends", u"K", u"  x  ", Cat({u"K", Blanks(59), u"=      x  \r\n"})},
        // Widths count UTF-16 code units: a surrogate pair is two.
        {"code units", u"\U0001F600\u6587", u"\u6587",
         Cat({u"\U0001F600\u6587", Blanks(57), u"=    \u6587\r\n"})},
        {"escaped apostrophe", u"K", u"it\\'s \\\\'q\\' \\x",
         Cat({u"K", Blanks(59), u"=    it's \\'q' \\x\r\n"})},
    };
    for (const Case& c : cases) {
        CLangSlot slot;
        slot.Set(c.id, c.text);
        EXPECT_EQ(FileBytes(u"[ZOVIDE]\r\n" + c.line), lang::EncodeLangFile(slot)) << c.name;
    }
}

TEST(LangWriter, EntriesSortedAndEmptySlotIsHeaderOnly) {
    CLangSlot slot;
    EXPECT_EQ(FileBytes(u"[ZOVIDE]\r\n"), lang::EncodeLangFile(slot));
    slot.Set(u"B", u"2");
    slot.Set(u"A_2", u"1");
    slot.Set(u"A", u"0");
    EXPECT_EQ(FileBytes(u"[ZOVIDE]\r\nA" + Blanks(59) + u"=    0\r\nA_2" + Blanks(57) +
                        u"=    1\r\nB" + Blanks(59) + u"=    2\r\n"),
              lang::EncodeLangFile(slot));
}

TEST(LangWriter, SlotWithoutEntriesLeavesItsFileAsItIs) {
    TempDir dir;
    std::filesystem::create_directory(dir.Path() / "Lang");
    const std::string bytes = FileBytes(u"## only comments\r\n[ZOVIDE]\r\n\r\n");
    WriteBytes(dir.Path() / "Lang" / "lang_chs.ini", bytes);
    CLangTable table;
    table.LoadFiles(dir.Text(), u"lang_chs.ini");
    EXPECT_EQ(u"lang_chs.ini", table.FileName(0));
    EXPECT_EQ(LangSaveResult::kNoEntries, table.SaveLangFile(0, dir.Text() + u"\\Lang"));
    EXPECT_EQ(bytes, ReadBytes(dir.Path() / "Lang" / "lang_chs.ini"));
}

TEST(LangWriter, LiteralIsWrittenAsApostropheAndASecondSaveLeavesTheFile) {
    TempDir dir;
    std::filesystem::create_directory(dir.Path() / "Lang");
    WriteBytes(dir.Path() / "Lang" / "lang_en.ini", FileBytes(u"msg=Don\\'t stop\r\n"));
    CLangTable table;
    table.LoadFiles(dir.Text(), u"lang_en.ini");
    const std::u16string folder = dir.Text() + u"\\Lang";
    ASSERT_EQ(LangSaveResult::kWritten, table.SaveLangFile(0, folder));
    const std::string first = ReadBytes(dir.Path() / "Lang" / "lang_en.ini");
    EXPECT_EQ(FileBytes(u"[ZOVIDE]\r\nMSG" + Blanks(57) + u"=    Don't stop\r\n"), first);
    EXPECT_EQ(u"Don\\'t stop", *table.Entries(0).Find(u"MSG"));  // the table keeps the literal
    ASSERT_EQ(LangSaveResult::kUnchanged, table.SaveLangFile(0, folder));
    EXPECT_EQ(first, ReadBytes(dir.Path() / "Lang" / "lang_en.ini"));
    // A file of the same size that differs in its last byte is replaced (once confirmed:
    // another program changed it since the save).
    std::string changed = first;
    changed.back() = '\x01';
    WriteBytes(dir.Path() / "Lang" / "lang_en.ini", changed);
    ASSERT_EQ(LangSaveResult::kWritten,
              table.SaveLangFile(0, folder, u"", nullptr, {}, [] { return true; }));
    EXPECT_EQ(first, ReadBytes(dir.Path() / "Lang" / "lang_en.ini"));
}

TEST(LangWriter, ReadWriteReadRoundTrip) {
    TempDir dir;
    std::filesystem::create_directory(dir.Path() / "Lang");
    const auto file = dir.Path() / "Lang" / "lang_fra.ini";
    WriteBytes(file, FileBytes(u"## header comment\r\n[ZOVIDE]\r\n  zeta = derni\u00E8re  \r\n"
                               u"\r\nAlpha=a = b\r\n[OTHER]\nmid=\u00E9t\u00E9\nalpha=again\n"
                               u"long_" +
                               std::u16string(70, u'x') + u"=long\r\n"));
    CLangTable table;
    table.LoadFiles(dir.Text(), u"lang_fra.ini");
    const Pairs firstRead = ToPairs(table.Entries(0));
    const Pairs expected = {{u"ALPHA", u"again"},
                            {u"LONG_" + std::u16string(70, u'X'), u"long"},
                            {u"MID", u"\u00E9t\u00E9"},
                            {u"ZETA", u"derni\u00E8re"}};
    ASSERT_EQ(expected, firstRead);

    ASSERT_EQ(LangSaveResult::kWritten, table.SaveLangFile(0, dir.Text() + u"\\Lang"));
    EXPECT_EQ(FileBytes(u"[ZOVIDE]\r\nALPHA" + Blanks(55) + u"=    again\r\nLONG_" +
                        std::u16string(70, u'X') + u"=    long\r\nMID" + Blanks(57) +
                        u"=    \u00E9t\u00E9\r\nZETA" + Blanks(56) + u"=    derni\u00E8re\r\n"),
              ReadBytes(file));

    CLangTable again;
    again.LoadFiles(dir.Text(), u"lang_fra.ini");
    EXPECT_EQ(firstRead, ToPairs(again.Entries(0)));
}

}  // namespace
