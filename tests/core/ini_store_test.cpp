#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <map>
#include <string>

#include "ini/ini_cache.h"
#include "ini/ini_file.h"
#include "ini/ini_text.h"
#include "platform/unicode.h"
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

TEST(IniSave, KeysAreWrittenInTheOrderOfTheirUtf16Units) {
    // Code point order would put U+E000 before U+10000 (a surrogate pair).
    const std::u16string keys[] = {
        u"\uE000",      u"\U00010000", std::u16string(1, char16_t(0xDC00)),
        u"\u00E9",      u"Z",          u"a\uFFFF",
        u"a\U0010FFFF", u"y"};
    std::map<std::u16string, std::u16string> expected;  // ordinal order of the folded keys
    TempDir dir;
    CIniFile ini(dir.Text(u"o.cfg"));
    for (const std::u16string& key : keys) {
        ini.SetString(u"A", key, u"1");
        expected.emplace(FoldCase(key), key);
    }
    std::u16string text = u"[A]\r\n";
    for (const auto& entry : expected) {
        text += entry.second + u"=1\r\n";
    }
    EXPECT_EQ(text, ini.Format());
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

TEST(IniSave, DestructionSavesChangedFilesButNotTheCustomizationProfile) {
    TempDir dir;
    fs::create_directories(dir.Path() / "config");
    fs::create_directories(dir.Path() / "lower");
    const std::string unsorted = "[B]\r\nk=1\r\n[A]\r\nk=1\r\n";
    const std::string sortedSet = "[A]\r\nk=1\r\n[B]\r\nk=1\r\n[C]\r\nk=1\r\n";
    for (const char* name : {"VirUdezed.cfg", "ZovIDE.cfg", "same.cfg", "read.cfg"}) {
        WriteBytes(dir.Path() / "config" / name, unsorted);
    }
    WriteBytes(dir.Path() / "lower" / "virudezed.cfg", unsorted);

    IniFileCache cache;
    const std::u16string config = dir.Text() + u"\\config\\";
    GetCachedIniFile(cache, config + u"VirUdezed.cfg").SetString(u"C", u"k", u"1");
    GetCachedIniFile(cache, config + u"ZovIDE.cfg").SetString(u"C", u"k", u"1");
    GetCachedIniFile(cache, dir.Text() + u"\\lower\\virudezed.cfg").SetString(u"C", u"k", u"1");
    GetCachedIniFile(cache, config + u"same.cfg").SetString(u"a", u"K", u"1");  // no change
    GetCachedIniFile(cache, config + u"read.cfg").GetString(u"A", u"k", u"");
    // Saved, then left alone: nothing more to write.
    CIniFile& saved = GetCachedIniFile(cache, dir.Text() + u"\\saved.cfg");
    saved.SetString(u"A", u"k", u"1");
    ASSERT_TRUE(saved.Save());
    WriteBytes(dir.Path() / "saved.cfg", "changed by another program");
    ReleaseIniFiles(cache);

    EXPECT_TRUE(cache.empty());
    EXPECT_EQ(unsorted, ReadBytes(dir.Path() / "config" / "VirUdezed.cfg"));
    EXPECT_EQ(sortedSet, ReadBytes(dir.Path() / "config" / "ZovIDE.cfg"));
    EXPECT_EQ(sortedSet, ReadBytes(dir.Path() / "lower" / "virudezed.cfg"));
    EXPECT_EQ(unsorted, ReadBytes(dir.Path() / "config" / "same.cfg"));
    EXPECT_EQ(unsorted, ReadBytes(dir.Path() / "config" / "read.cfg"));
    EXPECT_EQ("changed by another program", ReadBytes(dir.Path() / "saved.cfg"));

    // Discarding the cache writes nothing back.
    GetCachedIniFile(cache, config + u"read.cfg").SetString(u"A", u"k", u"2");
    DiscardIniFiles(cache);
    EXPECT_TRUE(cache.empty());
    EXPECT_EQ(unsorted, ReadBytes(dir.Path() / "config" / "read.cfg"));
}

TEST(IniCache, AFileThatCouldNotBeReadIsReadAgain) {
    TempDir dir;
    // A folder stands in for a file that another program holds.
    fs::create_directory(dir.Path() / "p.cfg");
    IniFileCache cache;
    EXPECT_TRUE(GetCachedIniFile(cache, dir.Text(u"p.cfg")).LoadFailed());
    fs::remove(dir.Path() / "p.cfg");
    WriteBytes(dir.Path() / "p.cfg", "[A]\r\nk=1\r\n");
    CIniFile& again = GetCachedIniFile(cache, dir.Text(u"p.cfg"));
    EXPECT_FALSE(again.LoadFailed());
    EXPECT_EQ(u"1", again.GetString(u"A", u"k", u""));
    EXPECT_EQ(&again, &GetCachedIniFile(cache, dir.Text(u"p.cfg")));
    EXPECT_EQ(1u, cache.size());
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
    EXPECT_FALSE(fs::exists(dir.Path() / "config" / "none.cfg"));  // nothing was set in it
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

std::string Utf16Bytes(const std::u16string& text) {
    std::string bytes("\xFF\xFE");
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

TEST(IniEncoding, FilesAreWrittenBackInTheEncodingTheyWereReadIn) {
    struct Case {
        const char* name;
        std::string bytes;
        std::u16string set;
        std::string written;
    };
    // 中文名 is D6D0 CEC4 C3FB in code page 936; its UTF-8 bytes are not valid there (the
    // pair 8D 0A is not a character), and an LF line end must not be taken into a pair.
    const std::string utf8Body = u8"[SYSPAR]\nNAME=中文名\nLANGFILELIST=a.ini\n";
    const std::string utf8Out = u8"[SYSPAR]\r\nK=한국\r\nLANGFILELIST=a.ini\r\nNAME=中文名\r\n";
    const Case cases[] = {
        {"code page", "[SYSPAR]\r\nNAME=\xD6\xD0\xCE\xC4\xC3\xFB\r\nLANGFILELIST=a.ini\r\n",
         u"北京",
         "[SYSPAR]\r\nK=\xB1\xB1\xBE\xA9\r\nLANGFILELIST=a.ini\r\nNAME="
         "\xD6\xD0\xCE\xC4\xC3\xFB\r\n"},
        {"UTF-8 without mark", utf8Body, u"한국", utf8Out},
        {"UTF-8 with mark", "\xEF\xBB\xBF" + utf8Body, u"한국", "\xEF\xBB\xBF" + utf8Out},
        {"UTF-16LE with mark", Utf16Bytes(u"[SYSPAR]\r\nNAME=中文名\r\nLANGFILELIST=a.ini\r\n"),
         u"한국", Utf16Bytes(u"[SYSPAR]\r\nK=한국\r\nLANGFILELIST=a.ini\r\nNAME=中文名\r\n")},
    };
    TempDir dir;
    for (const Case& c : cases) {
        WriteBytes(dir.Path() / "e.cfg", c.bytes);
        CIniFile ini(dir.Text(u"e.cfg"), 936);
        ini.Load();
        EXPECT_EQ(u"a.ini", ini.GetString(u"SYSPAR", u"LANGFILELIST", u"")) << c.name;
        EXPECT_EQ(u"中文名", ini.GetString(u"SYSPAR", u"NAME", u"")) << c.name;
        EXPECT_EQ(1u, ini.sections.size()) << c.name;
        EXPECT_TRUE(ini.CanHold(c.set)) << c.name;
        ini.SetString(u"SYSPAR", u"K", c.set);
        EXPECT_TRUE(ini.Save()) << c.name;
        EXPECT_EQ(c.written, ReadBytes(dir.Path() / "e.cfg")) << c.name;
    }
}

TEST(IniEncoding, BytesNoEncodingTakesAreNeverReplaced) {
    const std::string cases[] = {
        "[A]\r\nk=\x81\r\n",                            // neither code page 936 nor UTF-8
        "\xEF\xBB\xBF[A]\r\nk=\xC3\r\n",                // a mark, then invalid UTF-8
        std::string("\xFF\xFE\0\0[\0\0\0A\0\0\0", 12),  // UTF-32LE
        std::string("\xFF\xFE[\0A\0]", 7),              // an odd number of bytes
    };
    TempDir dir;
    for (const std::string& bytes : cases) {
        WriteBytes(dir.Path() / "u.cfg", bytes);
        CIniFile ini(dir.Text(u"u.cfg"), 936);
        ini.Load();
        EXPECT_TRUE(ini.LoadFailed()) << bytes;
        ini.SetString(u"A", u"k", u"1");
        EXPECT_FALSE(ini.Save()) << bytes;
        EXPECT_EQ(bytes, ReadBytes(dir.Path() / "u.cfg"));
    }
}

TEST(IniEncoding, CharactersTheEncodingLacksAreNeverWritten) {
    struct Case {
        std::string bytes;
        std::u16string text;
        bool held;
    };
    const std::u16string lone(1, char16_t(0xD800));
    const Case cases[] = {
        {"[A]\r\nk=1\r\n", u"北京 Ltd.", true},
        {"[A]\r\nk=1\r\n", u"À", false},  // no best fit to A or à
        {"[A]\r\nk=1\r\n", u"한국", false},
        {"[A]\r\nk=1\r\n", lone, false},
        {"\xEF\xBB\xBF[A]\r\nk=1\r\n", u"À한국", true},
        {"\xEF\xBB\xBF[A]\r\nk=1\r\n", lone, false},
        {Utf16Bytes(u"[A]\r\nk=1\r\n"), lone, true},
    };
    TempDir dir;
    for (const Case& c : cases) {
        const std::string& original = c.bytes;
        WriteBytes(dir.Path() / "h.cfg", original);
        CIniFile ini(dir.Text(u"h.cfg"), 936);
        ini.Load();
        EXPECT_EQ(c.held, ini.CanHold(c.text)) << platform::Utf16ToUtf8(c.text);
        ini.SetString(u"A", u"k", c.text);
        EXPECT_EQ(c.held, ini.Save());
        if (!c.held) {
            EXPECT_EQ(original, ReadBytes(dir.Path() / "h.cfg"));
        }
    }
}

#ifdef _WIN32
// Windows' code page 936 (the system's under the test locale) is not iconv's: it defines
// 0x80 and the user-defined area, which must read as the code page and keep their bytes.
TEST(IniEncoding, SystemCodePageAsWindowsDefinesIt) {
    TempDir dir;
    const std::string bytes = "[A]\r\nk=\x80\xAA\xA1\xFE\xFE\r\n";
    WriteBytes(dir.Path() / "w.cfg", bytes);
    CIniFile ini(dir.Text(u"w.cfg"));
    ini.Load();
    EXPECT_EQ(IniEncoding::kCodePage, ini.Encoding());
    EXPECT_EQ(u"\u20AC\uE000\uE4C5", ini.GetString(u"A", u"k", u""));
    ini.SetString(u"A", u"n", u"北京");
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ("[A]\r\nk=\x80\xAA\xA1\xFE\xFE\r\nn=\xB1\xB1\xBE\xA9\r\n",
              ReadBytes(dir.Path() / "w.cfg"));

    for (const std::string invalid : {"k=\x81\x7F\r\n", "k=\xFF\r\n", "k=\x81\x30\r\n"}) {
        WriteBytes(dir.Path() / "i.cfg", invalid);
        CIniFile bad(dir.Text(u"i.cfg"));
        bad.Load();
        EXPECT_TRUE(bad.LoadFailed()) << invalid;
    }
}
#endif

// The profile's stamp: what Load read, then what Save wrote. A write-back on release never
// replaces what another program wrote since.
TEST(IniStamp, ChangesOfAnotherProgramAreSeenAndNeverWrittenOver) {
    const struct {
        const char* name;
        const char* atLoad;  // null: no file
        const char* theirs;  // null: the file is removed
    } cases[] = {
        {"changed", "[A]\r\nk=1\r\n", "[A]\r\nk=2\r\n"},
        {"removed", "[A]\r\nk=1\r\n", nullptr},
        {"created", nullptr, "[A]\r\nk=2\r\n"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const fs::path file = dir.Path() / "ZovIDE.cfg";
        if (c.atLoad != nullptr) {
            WriteBytes(file, c.atLoad);
        }
        IniFileCache cache;
        CIniFile& ini = GetCachedIniFile(cache, dir.Text(u"ZovIDE.cfg"));
        EXPECT_FALSE(ini.ChangedOnDisk()) << c.name;
        ini.SetString(u"A", u"k", u"ours");
        if (c.theirs != nullptr) {
            WriteBytes(file, c.theirs);
        } else {
            fs::remove(file);
        }
        EXPECT_TRUE(ini.ChangedOnDisk()) << c.name;
        ReleaseIniFiles(cache);
        EXPECT_EQ(c.theirs != nullptr, fs::exists(file)) << c.name;
        if (c.theirs != nullptr) {
            EXPECT_EQ(c.theirs, ReadBytes(file)) << c.name;
        }
    }

    // Saved, the file is as the object knows it again, and a release writes it back.
    TempDir dir;
    WriteBytes(dir.Path() / "p.cfg", "[A]\r\nk=1\r\n");
    {
        CIniFile ini(dir.Text(u"p.cfg"));
        ini.Load();
        WriteBytes(dir.Path() / "p.cfg", "[A]\r\nk=22\r\n");
        ini.SetString(u"A", u"k", u"3");
        ASSERT_TRUE(ini.Save());
        EXPECT_FALSE(ini.ChangedOnDisk());
        ini.SetString(u"A", u"k", u"4");
        EXPECT_EQ(CIniFile::WriteBack::kSaved, ini.WriteBackIfChanged());
        EXPECT_EQ(CIniFile::WriteBack::kNothing, ini.WriteBackIfChanged());
    }
    EXPECT_EQ("[A]\r\nk=4\r\n", ReadBytes(dir.Path() / "p.cfg"));
}

}  // namespace

namespace {

TEST(IniCache, DestroyingWritesNothingAndReleaseNamesWhatCouldNotBeWritten) {
    testsupport::TempDir dir;
    {
        CIniFile ini(dir.Text(u"a.cfg"));
        ini.Load();
        ini.SetString(u"A", u"k", u"1");
    }
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "a.cfg"));

    IniFileCache cache;
    const std::u16string unwritable = dir.Text(u"missing\\b.cfg");  // its folder does not exist
    GetCachedIniFile(cache, unwritable).SetString(u"A", u"k", u"1");
    GetCachedIniFile(cache, dir.Text(u"c.cfg")).SetString(u"A", u"k", u"1");
    EXPECT_EQ(std::vector<std::u16string>{unwritable}, ReleaseIniFiles(cache));
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "c.cfg"));
}

}  // namespace
