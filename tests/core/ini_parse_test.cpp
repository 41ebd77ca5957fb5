#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "ini/ini_file.h"
#include "ini/ini_text.h"
#include "platform/unicode.h"
#include "tests/support/temp_dir.h"

namespace {

using testsupport::TempDir;
using testsupport::WriteBytes;

// "[name]<key>=<value>..." for every section in map order; also checks the map keys.
std::u16string Dump(const CIniFile& ini) {
    std::u16string out;
    for (const auto& s : ini.sections) {
        EXPECT_EQ(FoldCase(s.second.name), s.first);
        out += u"[" + s.second.name + u"]";
        for (const auto& e : s.second.entries) {
            EXPECT_EQ(FoldCase(e.second.key), e.first);
            out += u"<" + e.second.key + u">=<" + e.second.value + u">";
        }
    }
    return out;
}

std::u16string LoadDump(const TempDir& dir, const std::string& bytes) {
    WriteBytes(dir.Path() / "t.cfg", bytes);
    CIniFile ini(dir.Text(u"t.cfg"));
    ini.Load();
    return Dump(ini);
}

TEST(SplitString, PiecesAreTrimmedAndNeverEmpty) {
    struct Case {
        std::u16string source, separator;
        std::vector<std::u16string> pieces;
    };
    const Case cases[] = {
        {u"", u"=", {}},
        {u" \t\v\f\r\n", u"=", {}},
        {u"  a b  ", u"=", {u"a b"}},
        {u"=a==b=", u"=", {u"a", u"b"}},
        {u" == a = \t = b ", u"=", {u"a", u"b"}},
        {u"===", u"=", {}},
        {u"k=v=w", u"=", {u"k", u"v", u"w"}},
        {u"\r\n\r\na\r\n\r\n b \r\nc\r\n", u"\r\n", {u"a", u"b", u"c"}},
        {u"a\rb\r\nc\nd", u"\r\n", {u"a\rb", u"c\nd"}},
        {u"\u3000a\u00A0", u"=", {u"a"}},  // the runtime's iswspace takes both as white space
        {u"a\u200B", u"=", {u"a\u200B"}},  // but not the zero-width space
    };
    for (const Case& c : cases) {
        std::vector<std::u16string> list{u"stale"};
        SplitString(c.source, c.separator, list);
        EXPECT_EQ(c.pieces, list) << platform::Utf16ToUtf8(c.source);
    }
}

TEST(IniParse, GrammarTable) {
    struct Case {
        std::string bytes;
        std::u16string model;
    };
    const Case cases[] = {
        {"", u""},
        {"[SysPar]\r\nLangFileList=a|b\r\n", u"[SysPar]<LangFileList>=<a|b>"},
        // keys above the first header join it; a file without headers has the section ""
        {"k0=1\r\n[A]\r\nk1=2\r\n", u"[A]<k0>=<1><k1>=<2>"},
        {"k=1\r\n", u"[]<k>=<1>"},
        // an empty section is kept only when another header follows
        {"[A]\r\n[B]\r\nk=1\r\n", u"[A][B]<k>=<1>"},
        {"[A]\r\nk=1\r\n[B]\r\n", u"[A]<k>=<1>"},
        // a later block of a stored section is dropped; the current one continues
        {"[A]\r\nx=1\r\n[B]\r\ny=2\r\n[a]\r\nz=3\r\n", u"[A]<x>=<1>[B]<y>=<2>"},
        {"[A]\r\nx=1\r\n[a]\r\ny=2\r\n", u"[A]<x>=<1><y>=<2>"},
        {"[A]\r\nk=1\r\nK=2\r\n", u"[A]<k>=<1>"},
        // after "[]" keys wait for the next named header
        {"[A]\r\nx=1\r\n[]\r\ny=2\r\n[B]\r\nz=3\r\n", u"[A]<x>=<1>[B]<y>=<2><z>=<3>"},
        {"[]\r\nk=1\r\n", u"[]<k>=<1>"},
        // values: trimmed, further "=" kept, empty when nothing follows
        {"[A]\r\nk = a=b=c \r\n", u"[A]<k>=<a=b=c>"},
        {"[A]\r\nk==x\r\n", u"[A]<k>=<=x>"},
        {"[A]\r\nk= \t v a l \t\r\n", u"[A]<k>=<v a l>"},
        {"=abc\r\nkey=\r\n", u"[]<abc>=<><key>=<>"},
        {" = = abc = d\r\n", u"[]<abc>=<d>"},
        // header test only for lines with fewer than two pieces
        {"[a=b]\r\n", u"[]<[a>=<b]>"},
        {"[A]=\r\n", u"[]<[A]>=<>"},
        {"[ A ]\r\nk=1\r\n", u"[ A ]<k>=<1>"},
        // no comment syntax: lines without "=" are ignored, others are entries
        {";x=1\r\n# note\r\n; note\r\n", u"[]<;x>=<1>"},
        {"[A]\r\nk=1\r\n[abc\r\n[a]b\r\n[a]]\r\n===\r\n = \r\nm=2\r\n", u"[A]<k>=<1><m>=<2>"},
        {"\r\n \t\r\n[A]\r\n\r\n \r\nk=1\r\n\t\r\n", u"[A]<k>=<1>"},
        // bare LF and bare CR end lines too
        {"[A]\nk=1\nx=2\n", u"[A]<k>=<1><x>=<2>"},
        {"[A]\rk=1\rx=2\r", u"[A]<k>=<1><x>=<2>"},
        {"[A]\r\nk=1\nx=2\r[B]\n\ry=3", u"[A]<k>=<1><x>=<2>[B]<y>=<3>"},
        // NUL is an ordinary character
        {std::string("[A]\r\nk=a\0b\r\n", 13), std::u16string(u"[A]<k>=<a\0b>", 12)},
    };
    TempDir dir;
    for (const Case& c : cases) {
        EXPECT_EQ(c.model, LoadDump(dir, c.bytes)) << c.bytes;
    }
}

TEST(IniParse, LookupsFoldOnlyAToZ) {
    TempDir dir;
    CIniFile ini(dir.Text(u"x.cfg"));
    ini.Parse(u"[SysPar]\r\nLangFileList=a|b\r\n[\u00C4]\r\nk=1\r\n");
    EXPECT_EQ(u"a|b", ini.GetString(u"SYSPAR", u"langfilelist", u"d"));
    EXPECT_EQ(u"1", ini.GetString(u"\u00C4", u"K", u"d"));
    EXPECT_EQ(u"d", ini.GetString(u"\u00E4", u"k", u"d"));  // no folding beyond A-Z
    EXPECT_EQ(u"d", ini.GetString(u"syspar", u"missing", u"d"));
    EXPECT_EQ(u"d", ini.GetString(u"missing", u"k", u"d"));
    EXPECT_EQ(2u, ini.sections.size());  // lookups create nothing
}

TEST(IniParse, GetIntConvertsLikeWtoi) {
    struct Case {
        std::u16string value;
        int32_t expected;
    };
    const Case cases[] = {
        {u"", 0},
        {u"abc", 0},
        {u"-12", -12},
        {u"+7", 7},
        {u" \t\v\f\r\n42", 42},
        {u"0042", 42},
        {u"12abc", 12},
        {u"1 2", 1},
        {u"- 5", 0},
        {u"--1", 0},
        {u"\u00A0\u30005", 5},  // _wtoi skips what iswspace takes as white space
        {u"\u200B5", 0},
        {u"2147483647", INT_MAX},
        {u"2147483648", INT_MAX},
        {u"99999999999999999999999", INT_MAX},
        {u"-2147483648", INT_MIN},
        {u"-2147483649", INT_MIN},
        {u"-99999999999999999999999", INT_MIN},
    };
    TempDir dir;
    CIniFile ini(dir.Text(u"x.cfg"));
    for (const Case& c : cases) {
        ini.SetString(u"A", u"k", c.value);
        EXPECT_EQ(c.expected, ini.GetInt(u"a", u"K", 99)) << platform::Utf16ToUtf8(c.value);
    }
    EXPECT_EQ(99, ini.GetInt(u"A", u"missing", 99));
    EXPECT_EQ(-1, ini.GetInt(u"missing", u"k", -1));
}

}  // namespace
