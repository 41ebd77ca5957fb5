#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <string>

#include "ini/ini_cache.h"
#include "ini/ini_file.h"
#include "tests/support/temp_dir.h"

#ifdef _WIN32
#include <io.h>
#include <share.h>
#include <fcntl.h>
#endif

namespace {

namespace fs = std::filesystem;
using testsupport::ReadBytes;
using testsupport::TempDir;
using testsupport::WriteBytes;

void MakeReadOnly(const fs::path& file) {
    fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}

TEST(IniSave, WriterTable) {
    struct Case {
        const char* name;
        std::string loaded;
        void (*change)(CIniFile&);
        std::string written;
    };
    const Case cases[] = {
        {"fresh model", "", [](CIniFile& f) { f.SetString(u"CUSTOMPAR", u"COMPANY", u"X"); },
         "[CUSTOMPAR]\r\nCOMPANY=X\r\n"},
        {"first letter case stays", "[A]\r\nk=1\r\n",
         [](CIniFile& f) { f.SetString(u"a", u"K", u"2"); }, "[A]\r\nk=2\r\n"},
        {"sorted by folded name, ordinal", "",
         [](CIniFile& f) {
             f.SetString(u"B", u"y", u"1");
             f.SetString(u"Z", u"B", u"1");
             f.SetString(u"Z", u"_", u"1");
             f.SetString(u"a", u"x", u"1");
             f.SetString(u"_", u"k", u"1");
         },
         "[_]\r\nk=1\r\n[a]\r\nx=1\r\n[B]\r\ny=1\r\n[Z]\r\n_=1\r\nB=1\r\n"},
        {"normalised on save", "[Z]\r\nb = 2\r\n a=1\r\n; note\r\n[E]\r\n[F]\r\n", nullptr,
         "[E]\r\n[Z]\r\na=1\r\nb=2\r\n"},
        {"empty model", "no entries here\r\n", nullptr, ""},
        {"values unchanged, integers as %d", "",
         [](CIniFile& f) {
             f.SetString(u"A", u"s", u"  v  ");
             f.SetInt(u"A", u"n", -5);
             f.SetInt(u"A", u"min", INT_MIN);
             f.SetInt(u"A", u"zero", 0);
         },
         "[A]\r\nmin=-2147483648\r\nn=-5\r\ns=  v  \r\nzero=0\r\n"},
        {"line ends inside text become blanks", "",
         [](CIniFile& f) { f.SetString(u"A\r\n", u"k", u"one\r\n[B]\rx=1\n"); },
         "[A  ]\r\nk=one  [B] x=1 \r\n"},
        {"NUL survives", std::string("k=a\0b\r\n", 7), nullptr,
         std::string("[]\r\nk=a\0b\r\n", 11)},
    };
    TempDir dir;
    const std::u16string path = dir.Text(u"w.cfg");
    for (const Case& c : cases) {
        WriteBytes(dir.Path() / "w.cfg", c.loaded);
        CIniFile ini(path);
        ini.Load();
        if (c.change != nullptr) {
            c.change(ini);
        }
        EXPECT_TRUE(ini.Save()) << c.name;
        EXPECT_EQ(c.written, ReadBytes(dir.Path() / "w.cfg")) << c.name;
    }
}

TEST(IniSave, SettersKeepTheModelAsGiven) {
    TempDir dir;
    CIniFile ini(dir.Text(u"m.cfg"));
    ini.SetInt(u"A", u"n", -5);
    EXPECT_EQ(u"-5", ini.GetString(u"a", u"N", u""));
    ini.SetString(u"A", u"s", u" x\r\ny ");
    EXPECT_EQ(u" x\r\ny ", ini.GetString(u"A", u"s", u""));
    ASSERT_TRUE(ini.Save());

    CIniFile again(dir.Text(u"m.cfg"));
    again.Load();
    EXPECT_EQ(u"x  y", again.GetString(u"A", u"s", u""));  // trimmed, still one key
    EXPECT_EQ(1u, again.sections.size());
}

TEST(IniSave, FailedSaveLeavesTheFileAsItWas) {
    TempDir dir;
    const std::string original = "[A]\r\nk = 1\r\n";
    WriteBytes(dir.Path() / "ro.cfg", original);
    MakeReadOnly(dir.Path() / "ro.cfg");
    {
        CIniFile ini(dir.Text(u"ro.cfg"));
        ini.Load();
        ini.SetString(u"A", u"k", u"2");
        EXPECT_FALSE(ini.Save());
        EXPECT_EQ(u"2", ini.GetString(u"A", u"k", u""));
    }
    EXPECT_EQ(original, ReadBytes(dir.Path() / "ro.cfg"));

    CIniFile lost(dir.Text(u"none\\x.cfg"));
    lost.Load();
    lost.SetString(u"A", u"k", u"1");
    EXPECT_FALSE(lost.Save());
    EXPECT_FALSE(fs::exists(dir.Path() / "none"));
}

TEST(IniSave, UnreadableFileIsNeverReplaced) {
    TempDir dir;
    // A folder stands in for a file that exists but cannot be read; once it has become a
    // readable file, the model that missed its content still must not replace it.
    fs::create_directory(dir.Path() / "u.cfg");
    CIniFile ini(dir.Text(u"u.cfg"));
    ini.Load();
    EXPECT_TRUE(ini.LoadFailed());
    EXPECT_TRUE(ini.sections.empty());
    fs::remove(dir.Path() / "u.cfg");
    const std::string original = "[A]\r\nk=1\r\n";
    WriteBytes(dir.Path() / "u.cfg", original);
    ini.SetString(u"A", u"x", u"2");
    EXPECT_FALSE(ini.Save());
    EXPECT_EQ(original, ReadBytes(dir.Path() / "u.cfg"));
}

#ifdef _WIN32
// A file another program holds open without sharing can be neither read nor replaced.
TEST(IniSave, LockedFileIsNeitherReadAsEmptyNorReplaced) {
    TempDir dir;
    const std::string original = "[A]\r\nk=1\r\n";
    WriteBytes(dir.Path() / "l.cfg", original);
    const std::u16string path = dir.Text(u"l.cfg");
    CIniFile before(path);
    before.Load();
    const int fd =
        _wsopen((dir.Path() / "l.cfg").wstring().c_str(), _O_RDONLY | _O_BINARY, _SH_DENYRW);
    ASSERT_NE(-1, fd);
    CIniFile during(path);
    during.Load();
    EXPECT_TRUE(during.LoadFailed());
    before.SetString(u"A", u"x", u"2");
    EXPECT_FALSE(before.Save());
    _close(fd);
    during.SetString(u"A", u"x", u"2");
    EXPECT_FALSE(during.Save());
    EXPECT_EQ(original, ReadBytes(dir.Path() / "l.cfg"));
}
#endif

TEST(IniSave, DestructionSavesAllButTheCustomizationProfile) {
    TempDir dir;
    fs::create_directories(dir.Path() / "config");
    fs::create_directories(dir.Path() / "lower");
    const std::string unsorted = "[B]\r\nk=1\r\n[A]\r\nk=1\r\n";
    const std::string sorted = "[A]\r\nk=1\r\n[B]\r\nk=1\r\n";
    WriteBytes(dir.Path() / "config" / "VirUdezed.cfg", unsorted);
    WriteBytes(dir.Path() / "config" / "ZovIDE.cfg", unsorted);
    WriteBytes(dir.Path() / "lower" / "virudezed.cfg", unsorted);

    IniFileCache cache;
    GetCachedIniFile(cache, dir.Text() + u"\\config\\VirUdezed.cfg").SetString(u"C", u"k", u"1");
    GetCachedIniFile(cache, dir.Text() + u"\\config\\ZovIDE.cfg");
    GetCachedIniFile(cache, dir.Text() + u"\\lower\\virudezed.cfg");
    ReleaseIniFiles(cache);

    EXPECT_TRUE(cache.empty());
    EXPECT_EQ(unsorted, ReadBytes(dir.Path() / "config" / "VirUdezed.cfg"));
    EXPECT_EQ(sorted, ReadBytes(dir.Path() / "config" / "ZovIDE.cfg"));
    EXPECT_EQ(sorted, ReadBytes(dir.Path() / "lower" / "virudezed.cfg"));

    // Discarding the cache writes nothing back.
    WriteBytes(dir.Path() / "config" / "ZovIDE.cfg", unsorted);
    GetCachedIniFile(cache, dir.Text() + u"\\config\\ZovIDE.cfg").SetString(u"A", u"k", u"2");
    DiscardIniFiles(cache);
    EXPECT_TRUE(cache.empty());
    EXPECT_EQ(unsorted, ReadBytes(dir.Path() / "config" / "ZovIDE.cfg"));
}

TEST(IniCache, OneObjectPerPathFoldedAToZ) {
    TempDir dir;
    fs::create_directories(dir.Path() / "config");
    WriteBytes(dir.Path() / "config" / "a.cfg", "[S]\r\nk=first\r\n");
    IniFileCache cache;
    const std::u16string spelled = dir.Text() + u"\\config\\a.cfg";
    CIniFile& first = GetCachedIniFile(cache, spelled);
    EXPECT_EQ(spelled, first.path);

    WriteBytes(dir.Path() / "config" / "a.cfg", "[S]\r\nk=second\r\n");
    CIniFile& again = GetCachedIniFile(cache, dir.Text() + u"\\CONFIG\\A.CFG");
    EXPECT_EQ(&first, &again);
    EXPECT_EQ(u"first", again.GetString(u"S", u"k", u""));

    CIniFile& dotted = GetCachedIniFile(cache, dir.Text() + u"\\config\\.\\a.cfg");
    EXPECT_NE(&first, &dotted);
    EXPECT_EQ(u"second", dotted.GetString(u"S", u"k", u""));

    CIniFile& missing = GetCachedIniFile(cache, dir.Text() + u"\\config\\none.cfg");
    EXPECT_TRUE(missing.sections.empty());
    EXPECT_FALSE(missing.LoadFailed());
    EXPECT_EQ(3u, cache.size());
    ReleaseIniFiles(cache);
    EXPECT_TRUE(fs::exists(dir.Path() / "config" / "none.cfg"));
}

TEST(IniCodePage, ChineseProfileRoundTripsThrough936) {
    TempDir dir;
    // 北京 = B1B1 BEA9, 电话 = B5E7 BBB0; 癩 = B05D, whose second byte is "]".
    const std::string bytes = "[CUSTOMPAR]\r\nCOMPANY=\xB1\xB1\xBE\xA9\r\n[\xB0\x5D]\r\nk=1\r\n";
    WriteBytes(dir.Path() / "c.cfg", bytes);
    CIniFile ini(dir.Text(u"c.cfg"), 936);
    ini.Load();
    EXPECT_EQ(u"北京", ini.GetString(u"CUSTOMPAR", u"COMPANY", u""));
    EXPECT_EQ(u"1", ini.GetString(u"癩", u"k", u""));
    ini.SetString(u"CUSTOMPAR", u"PHONE", u"电话");
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(
        "[CUSTOMPAR]\r\nCOMPANY=\xB1\xB1\xBE\xA9\r\nPHONE=\xB5\xE7\xBB\xB0\r\n"
        "[\xB0\x5D]\r\nk=1\r\n",
        ReadBytes(dir.Path() / "c.cfg"));
}

}  // namespace
