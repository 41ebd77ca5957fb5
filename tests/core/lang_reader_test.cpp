#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "lang/lang_reader.h"
#include "lang/lang_slot.h"
#include "lang/lang_table.h"
#include "tests/support/temp_dir.h"

namespace {

using testsupport::TempDir;
using testsupport::Utf16LeBytes;
using testsupport::WriteBytes;
using Pairs = std::vector<std::pair<std::u16string, std::u16string>>;

const std::string kUtf16Mark("\xFF\xFE", 2);
const std::string kUtf8Mark("\xEF\xBB\xBF", 3);

Pairs ToPairs(const CLangSlot& slot) {
    Pairs out;
    for (const LangEntry& e : slot) {
        out.emplace_back(std::u16string(e.id), std::u16string(e.text));
    }
    return out;
}

// The entries a language file of these bytes gives.
Pairs Read(const std::string& bytes) {
    std::u16string text;
    EXPECT_TRUE(lang::DecodeLangText(bytes, text));
    CLangSlot slot;
    slot.Load(std::move(text));
    return ToPairs(slot);
}

Pairs ReadUtf16(const std::u16string& text) {
    return Read(kUtf16Mark + Utf16LeBytes(text));
}

struct LineCase {
    const char* name;
    std::u16string text;  // file text after the UTF-16LE mark
    Pairs expected;
};

TEST(LangReader, ClassifiesTrimsAndUpperCasesLines) {
    const std::u16string longText(3000, u'x');
    const std::u16string longId(300, u'k');
    const std::vector<LineCase> cases = {
        {"blanks around ID and text", u"  title_main  =  Hello  \r\n", {{u"TITLE_MAIN", u"Hello"}}},
        {"first = splits", u"a=b=c\n", {{u"A", u"b=c"}}},
        {"empty ID", u"=x\n", {{u"", u"x"}}},
        {"only = and LF", u"=\n", {{u"", u""}}},
        {"only = and CR LF", u"=\r\n", {{u"", u""}}},
        {"one character at the end", u"a=1\n=", {{u"A", u"1"}}},
        {"= and lone CR at the end", u"=\r", {{u"", u""}}},
        {"comment", u"##abc=1\n", {}},
        {"comment only at the start", u" ##abc=1\n#a=2\n", {{u"##ABC", u"1"}, {u"#A", u"2"}}},
        {"header and blank lines", u"[ZOVIDE]\r\n\r\n\n \r\n[OTHER]\nx\n", {}},
        {"sections do not matter", u"[A]\na=1\n[B]\nb=2\n", {{u"A", u"1"}, {u"B", u"2"}}},
        {"later duplicate wins", u"Key=1\nx=0\nKEY=2\n", {{u"KEY", u"2"}, {u"X", u"0"}}},
        {"ordinal order", u"B=1\nA_2=2\nA=3\nb=4\n", {{u"A", u"3"}, {u"A_2", u"2"}, {u"B", u"4"}}},
        // U+1F600 is D83D DE00 in UTF-16: before U+FF21, unlike in code point order.
        {"order by code units",
         u"\u00E9=1\nZ=2\n\uFF21=3\n_=4\n\U0001F600=5\n",
         {{u"Z", u"2"}, {u"_", u"4"}, {u"\u00E9", u"1"}, {u"\U0001F600", u"5"}, {u"\uFF21", u"3"}}},
        {"trim set", u"\t\v\fid \t=\f text\v \r\n", {{u"ID", u"text"}}},
        {"no-break and ideographic spaces go, zero-width space stays",
         u"\u00A0id=\u3000x\u200B\n",
         {{u"ID", u"x\u200B"}}},
        {"only a-z upper-cased",
         u"\u00E4bc_z\u0101=Mixed Case\n",
         {{u"\u00E4BC_Z\u0101", u"Mixed Case"}}},
        {"lone CR is a character", u"a=b\rc=d\r\n", {{u"A", u"b\rc=d"}}},
        {"CR CR LF", u"a=b\r\r\n", {{u"A", u"b"}}},
        {"last line without line end", u"a=1\nb=2", {{u"A", u"1"}, {u"B", u"2"}}},
        {"NUL is a character",
         std::u16string(u"a=x\0y\n", 6),
         {{u"A", std::u16string(u"x\0y", 3)}}},
        {"Ctrl+Z does not end the file", u"a=1\n\x1A\nb=2\n", {{u"A", u"1"}, {u"B", u"2"}}},
        {"long line read whole", u"t=" + longText + u"\n", {{u"T", longText}}},
        {"long ID kept", longId + u"=v\n", {{std::u16string(300, u'K'), u"v"}}},
    };
    for (const LineCase& c : cases) {
        EXPECT_EQ(c.expected, ReadUtf16(c.text)) << c.name;
    }
}

TEST(LangReader, LfAndCrLfGiveTheSameEntries) {
    const Pairs expected = {{u"A", u"1"}, {u"B", u"two words"}, {u"C", u""}};
    EXPECT_EQ(expected, ReadUtf16(u"a = 1\nb= two words \nc=\n"));
    EXPECT_EQ(expected, ReadUtf16(u"a = 1\r\nb= two words \r\nc=\r\n"));
    EXPECT_EQ(expected, ReadUtf16(u"a = 1\r\nb= two words \nc=\r\n"));
}

TEST(LangReader, EncodingsAndMarks) {
    const std::u16string text = u"title=\u6587\u5B57\r\n##x=1\r\nb=\U0001F600\r\n";
    const Pairs expected = {{u"B", u"\U0001F600"}, {u"TITLE", u"\u6587\u5B57"}};
    struct Case {
        const char* name;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"UTF-16LE with mark", kUtf16Mark + Utf16LeBytes(text)},
        {"UTF-16LE without mark", Utf16LeBytes(text)},
        {"UTF-8 with mark",
         kUtf8Mark + "title=\xE6\x96\x87\xE5\xAD\x97\r\n##x=1\r\nb=\xF0\x9F\x98\x80\r\n"},
        // A last odd byte is no character.
        {"UTF-16LE, odd byte count", kUtf16Mark + Utf16LeBytes(text) + "="},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(expected, Read(c.bytes)) << c.name;
    }
    // The mark is not part of the first line: the first ID is whole and a first "##" line
    // is a comment.
    EXPECT_EQ((Pairs{{u"ID", u"v"}}), Read(kUtf16Mark + Utf16LeBytes(u"id=v")));
    EXPECT_EQ((Pairs{{u"ID", u"v"}}), Read(kUtf8Mark + "id=v"));
    EXPECT_EQ((Pairs{}), Read(kUtf8Mark + "##id=v"));
    EXPECT_EQ((Pairs{}), Read(kUtf16Mark + Utf16LeBytes(u"##id=v")));
    // Only one mark is taken; a second one is text.
    EXPECT_EQ((Pairs{{u"\uFEFFID", u"v"}}), Read(kUtf16Mark + kUtf16Mark + Utf16LeBytes(u"id=v")));
}

TEST(LangReader, OddAndBrokenBytesNeverFail) {
    EXPECT_EQ((Pairs{{u"A", u"1"}}), Read(kUtf16Mark + Utf16LeBytes(u"a=1") + "\x41"));
    std::u16string text;
    EXPECT_FALSE(lang::DecodeLangText(std::string("\xFF", 1), text));    // no zero byte, no mark
    EXPECT_FALSE(lang::DecodeLangText(std::string("\xFF\0", 2), text));  // no "=", no mark
    EXPECT_EQ((Pairs{}), Read(std::string("")));
    EXPECT_EQ((Pairs{}), Read(kUtf16Mark));
    EXPECT_EQ((Pairs{}), Read(kUtf8Mark));
    // Invalid UTF-8 after the mark becomes replacement characters; the LF still ends the line.
    EXPECT_EQ((Pairs{{u"A", u"\uFFFD"}, {u"\uFFFD\uFFFD", u"b"}}),
              Read(kUtf8Mark + "a=\xC3\n\xFF\xC0=b\n"));
    // UTF-16 with unpaired surrogates keeps them as they are.
    EXPECT_EQ((Pairs{{u"A", std::u16string(1, char16_t(0xD800))}}),
              ReadUtf16(u"a=" + std::u16string(1, char16_t(0xD800)) + u"\n"));
}

TEST(LangReader, BigEndianFileIsNotRead) {
    std::u16string text;
    EXPECT_FALSE(lang::DecodeLangText(std::string("\xFE\xFF\x00\x61\x00\x3D", 6), text));

    TempDir dir;
    WriteBytes(dir.Path() / "be.ini", std::string("\xFE\xFF\x00\x61\x00\x3D\x00\x31", 8));
    WriteBytes(dir.Path() / "le.ini", kUtf16Mark + Utf16LeBytes(u"b=2\n"));
    CLangTable table;
    ASSERT_EQ(0, table.ReadLangFile(0, dir.Text(u"le.ini")));
    EXPECT_EQ(-1, table.ReadLangFile(0, dir.Text(u"be.ini")));
    EXPECT_EQ((Pairs{{u"B", u"2"}}), ToPairs(table.Entries(0)));  // unchanged
    EXPECT_EQ(u"le.ini", table.FileName(0));
}

TEST(LangReader, MarklessFileWithoutZeroBytesIsNotRead) {
    std::u16string text;
    // UTF-8 without a mark: as UTF-16LE it could hold no "=", so it is not taken.
    EXPECT_FALSE(lang::DecodeLangText("[ZOVIDE]\r\nKEY = \xE6\x96\x87\r\n", text));
    EXPECT_TRUE(lang::DecodeLangText(Utf16LeBytes(u"k=1"), text));
    EXPECT_EQ(u"k=1", text);
    TempDir dir;
    WriteBytes(dir.Path() / "utf8.ini", "KEY = value\r\n");
    CLangTable table;
    EXPECT_EQ(-1, table.ReadLangFile(0, dir.Text(u"utf8.ini")));
    EXPECT_TRUE(table.FileName(0).empty());
    EXPECT_EQ(LangSaveResult::kNothingToWrite, table.SaveLangFile(0, dir.Text()));
    EXPECT_EQ("KEY = value\r\n", testsupport::ReadBytes(dir.Path() / "utf8.ini"));
}

// Files in an encoding the reader cannot take: not read, and saving leaves them as they are.
TEST(LangReader, ForeignEncodingsAreNotReadAndNeverWritten) {
    std::string utf32le;
    std::string utf16beBare;
    for (char c : std::string("[ZOVIDE]\r\nKEY=value\r\n")) {
        utf32le += std::string(1, c) + std::string(3, '\0');
        utf16beBare += std::string(1, '\0') + c;
    }
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"UTF-32LE with mark", std::string("\xFF\xFE\0\0", 4) + utf32le},
        {"UTF-32LE without mark", utf32le},
        {"UTF-32BE with mark",
         std::string("\0\0\xFE\xFF", 4) + std::string(utf32le.rbegin(), utf32le.rend())},
        {"UTF-16BE without mark", utf16beBare},
        {"ANSI, odd byte count", "KEY=value\r\n"},
        {"ANSI padded to an even count", std::string("KEY=value\r\n\0", 12)},
        {"ANSI padded with NULs", std::string("AB=\0value\n\0\0", 12)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::u16string text;
        EXPECT_FALSE(lang::DecodeLangText(c.bytes, text));
        TempDir dir;
        WriteBytes(dir.Path() / "lang_chs.ini", c.bytes);
        CLangTable table;
        EXPECT_EQ(-1, table.ReadLangFile(0, dir.Text(u"lang_chs.ini")));
        table.SetText(0, u"KEY", u"edited");
        EXPECT_NE(LangSaveResult::kWritten, table.SaveLangFile(0, dir.Text()));
        EXPECT_EQ(c.bytes, testsupport::ReadBytes(dir.Path() / "lang_chs.ini"));
    }
    // UTF-16LE without a mark and with a NUL-free "=" is still read.
    EXPECT_EQ((Pairs{{u"KEY", u"value"}}), Read(Utf16LeBytes(u"KEY=value\r\n")));
}

TEST(LangReader, ReadLangFileResults) {
    TempDir dir;
    WriteBytes(dir.Path() / "a.ini", kUtf16Mark + Utf16LeBytes(u"x=1\ny=2\n"));
    WriteBytes(dir.Path() / "b.ini", kUtf16Mark + Utf16LeBytes(u"z=3\n"));
    WriteBytes(dir.Path() / "empty.ini", "");
    CLangTable table;
    EXPECT_EQ(-1, table.ReadLangFile(0, u""));
    EXPECT_EQ(-1, table.ReadLangFile(-1, dir.Text(u"a.ini")));
    EXPECT_EQ(-1, table.ReadLangFile(16, dir.Text(u"a.ini")));
    EXPECT_EQ(-1, table.ReadLangFile(0, dir.Text(u"missing.ini")));
    EXPECT_EQ(-1, table.ReadLangFile(0, dir.Text()));  // a folder
    EXPECT_TRUE(table.FileName(0).empty());

    ASSERT_EQ(0, table.ReadLangFile(15, dir.Text(u"a.ini")));
    EXPECT_EQ((Pairs{{u"X", u"1"}, {u"Y", u"2"}}), ToPairs(table.Entries(15)));
    EXPECT_EQ(u"a.ini", table.FileName(15));
    // A second read replaces the slot's entries.
    ASSERT_EQ(0, table.ReadLangFile(15, dir.Text(u"b.ini")));
    EXPECT_EQ((Pairs{{u"Z", u"3"}}), ToPairs(table.Entries(15)));
    EXPECT_EQ(u"b.ini", table.FileName(15));
    // A failed read leaves it as it was.
    EXPECT_EQ(-1, table.ReadLangFile(15, dir.Text(u"missing.ini")));
    EXPECT_EQ((Pairs{{u"Z", u"3"}}), ToPairs(table.Entries(15)));
    EXPECT_EQ(u"b.ini", table.FileName(15));
    // An empty file is read: no entries, but the slot has its file.
    ASSERT_EQ(0, table.ReadLangFile(15, dir.Text(u"empty.ini")));
    EXPECT_TRUE(table.Entries(15).empty());
    EXPECT_EQ(u"empty.ini", table.FileName(15));
}

}  // namespace
