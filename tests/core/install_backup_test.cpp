// The backup of an install's originals: the manifest, keeping, restoring; and the SHA-256
// it relies on.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "install/backup.h"
#include "platform/sha256.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using install::BackupManifest;
using install::InstallBackup;
using testsupport::ReadBytes;
using testsupport::TempDir;
using testsupport::WriteBytes;

TEST(Sha256, KnownVectors) {
    EXPECT_EQ("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855",
              platform::Sha256Hex(""));
    EXPECT_EQ("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad",
              platform::Sha256Hex("abc"));
    EXPECT_EQ("248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1",
              platform::Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"));
    EXPECT_EQ("cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0",
              platform::Sha256Hex(std::string(1000000, 'a')));
}

TEST(Sha256, FileDigestIsTakenInPiecesAcrossTheirBorders) {
    // A million 'a' digests to the vector above; 2.5 MB spans three pieces of the read.
    TempDir dir;
    for (const size_t size : {size_t{1000000}, size_t{2500000}}) {
        const std::string bytes(size, 'a');
        WriteBytes(dir.Path() / "f.bin", bytes);
        uint64_t hashed = 0;
        EXPECT_EQ(platform::Sha256Hex(bytes), platform::Sha256OfFile(dir.Text(u"f.bin"), hashed));
        EXPECT_EQ(size, hashed);
    }
    uint64_t hashed = 7;
    EXPECT_EQ("", platform::Sha256OfFile(dir.Text(u"missing.bin"), hashed));
    EXPECT_EQ(0u, hashed);
}

const char kHash[] = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";

std::string Line(const std::string& fields) {
    return fields + "\r\n";
}

TEST(BackupManifest, RoundTripAndRefusedManifests) {
    BackupManifest m;
    m.records.push_back({u"ZovIDE.exe", true, 3, kHash, "2026-01-02T03:04:05Z", u"1.orig"});
    m.records.push_back({u"Lang\\新.ini", false, 0, "", "2026-01-02T03:04:06Z", u""});
    const std::string text = m.Format();
    EXPECT_EQ(Line("VedArodBackup manifest 1") +
                  Line("ZovIDE.exe\texisted\t3\t" + std::string(kHash) +
                       "\t2026-01-02T03:04:05Z\t1.orig") +
                  Line("Lang\\\xE6\x96\xB0.ini\tabsent\t0\t-\t2026-01-02T03:04:06Z\t-"),
              text);
    BackupManifest parsed;
    ASSERT_TRUE(BackupManifest::Parse(text, parsed));
    EXPECT_EQ(text, parsed.Format());
    EXPECT_EQ(u"2.orig", parsed.NextCopyName());
    ASSERT_NE(nullptr, parsed.Find(u"zovide.EXE"));
    EXPECT_EQ(nullptr, parsed.Find(u"res\\login.bmp"));

    const std::string head = Line("VedArodBackup manifest 1");
    const std::string good =
        "\texisted\t3\t" + std::string(kHash) + "\t2026-01-02T03:04:05Z\t1.orig";
    const std::pair<const char*, std::string> refused[] = {
        {"other header", Line("VedArodBackup manifest 2")},
        {"no CR LF at the end", head + "a.exe" + good},
        {"bare LF", "VedArodBackup manifest 1\na.exe" + good + "\n"},
        {"byte order mark", "\xEF\xBB\xBF" + head + Line("a.exe" + good)},
        {"blank line at the end", head + Line("a.exe" + good) + Line("")},
        {"blank after a field", head + Line("a.exe" + good + " ")},
        {"up and out", head + Line("..\\a.exe" + good)},
        {"absolute", head + Line("C:\\a.exe" + good)},
        {"forward slash", head + Line("res/a.bmp" + good)},
        {"inside the backup", head + Line("vedarodbackup\\1.orig" + good)},
        {"empty part", head + Line("res\\\\a.bmp" + good)},
        {"short hash", head + Line("a.exe\texisted\t3\tabc\t2026-01-02T03:04:05Z\t1.orig")},
        {"copy outside",
         head + Line("a.exe\texisted\t3\t" + std::string(kHash) + "\t2026-01-02T03:04:05Z\t..\\x")},
        {"absent with size", head + Line("a.exe\tabsent\t3\t-\t2026-01-02T03:04:05Z\t-")},
        {"five fields", head + Line("a.exe\tabsent\t0\t-\t2026-01-02T03:04:05Z")},
        {"same path twice", head + Line("a.exe" + good) + Line("A.EXE" + good)},
        {"bad UTF-8", head + Line("a\xC3.exe" + good)},
    };
    for (const auto& [what, bad] : refused) {
        BackupManifest out;
        EXPECT_FALSE(BackupManifest::Parse(bad, out)) << what;
        EXPECT_TRUE(out.records.empty()) << what;
    }
}

// An install folder with an executable, a picture and a language file.
struct Install {
    TempDir dir;
    fs::path Path(const char* relative) const { return dir.Path() / fs::u8path(relative); }
    Install() {
        fs::create_directories(Path("res"));
        fs::create_directories(Path("Lang"));
        WriteBytes(Path("ZovIDE.exe"), "MZ original");
        WriteBytes(Path("res/login.bmp"), "BM original");
        WriteBytes(Path("Lang/lang_en.ini"), std::string("\xFF\xFE", 2));
    }
    std::map<std::string, std::string> Files() const {
        std::map<std::string, std::string> files;
        for (const auto& e : fs::recursive_directory_iterator(dir.Path())) {
            if (e.is_regular_file()) {
                files[fs::relative(e.path(), dir.Path()).generic_string()] = ReadBytes(e.path());
            }
        }
        return files;
    }
};

TEST(InstallBackup, KeepsFirstOriginalsAndRestoresTheTreeExactly) {
    Install in;
    const auto before = in.Files();
    InstallBackup backup(in.dir.Text());
    std::u16string why;
    BackupManifest m;
    EXPECT_EQ(InstallBackup::State::kNone, backup.Read(m));

    // A rebrand: the executable changed twice, a picture, a rename; a language file saved.
    for (const char16_t* path : {u"ZovIDE.exe", u"res\\login.bmp", u"ZovIDE.exe"}) {
        ASSERT_TRUE(backup.Keep(path, why)) << std::string(why.begin(), why.end());
    }
    WriteBytes(in.Path("ZovIDE.exe"), "MZ changed");
    WriteBytes(in.Path("res/login.bmp"), "BM changed");
    ASSERT_TRUE(backup.Keep(u"ZovIDE.exe", why));
    ASSERT_TRUE(backup.Keep(u"New.exe", why));
    fs::rename(in.Path("ZovIDE.exe"), in.Path("New.exe"));
    ASSERT_TRUE(backup.Keep(u"Lang\\lang_en.ini", why));
    WriteBytes(in.Path("Lang/lang_en.ini"), "changed");
    ASSERT_TRUE(backup.Keep(u"res\\main.bmp", why));  // created by the tool
    WriteBytes(in.Path("res/main.bmp"), "new");
    // A second rebrand of the renamed executable keeps nothing new.
    ASSERT_TRUE(backup.Keep(u"new.EXE", why));

    ASSERT_EQ(InstallBackup::State::kPresent, backup.Read(m));
    ASSERT_EQ(5u, m.records.size());
    EXPECT_EQ(platform::Sha256Hex("MZ original"), m.Find(u"ZovIDE.exe")->sha256);
    EXPECT_EQ(11u, m.Find(u"ZovIDE.exe")->size);
    EXPECT_FALSE(m.Find(u"New.exe")->existed);
    EXPECT_FALSE(m.Find(u"res\\main.bmp")->existed);
    EXPECT_EQ("MZ original", ReadBytes(in.Path("VedArodBackup") / "1.orig"));

    EXPECT_TRUE(backup.Restore().empty());
    EXPECT_EQ(before, in.Files());
    EXPECT_FALSE(fs::exists(in.Path("VedArodBackup")));
    EXPECT_EQ(InstallBackup::State::kNone, backup.Read(m));
}

TEST(InstallBackup, CopyTakenAheadIsListedByKeepOrRemovedWhenGivenUp) {
    Install in;
    const auto before = in.Files();
    InstallBackup backup(in.dir.Text());
    std::u16string why;
    // Given up: nothing stays behind.
    EXPECT_NE(nullptr, backup.CopyAhead(u"ZovIDE.exe"));
    EXPECT_EQ(before, in.Files());
    EXPECT_FALSE(fs::exists(in.Path("VedArodBackup")));

    // Not usable for the first keep of an install (here a copy of another path; after a
    // failed copy the same): giving it up must not take the backup folder with it.
    {
        Install first;
        InstallBackup firstBackup(first.dir.Text());
        const auto other = firstBackup.CopyAhead(u"res\\login.bmp");
        ASSERT_NE(nullptr, other);
        EXPECT_TRUE(firstBackup.Keep(u"ZovIDE.exe", why, other.get()));
        BackupManifest kept;
        ASSERT_EQ(InstallBackup::State::kPresent, firstBackup.Read(kept));
        EXPECT_EQ(u"ZovIDE.exe", kept.records.at(0).path);
        EXPECT_EQ(first.Files().size(), before.size() + 2);  // its copy and the manifest
    }

    // Listed: the same entry as a Keep without it, and the only copy.
    {
        const auto ahead = backup.CopyAhead(u"ZovIDE.exe");
        ASSERT_NE(nullptr, ahead);
        ASSERT_TRUE(backup.Keep(u"ZovIDE.exe", why, ahead.get()));
    }
    BackupManifest m;
    ASSERT_EQ(InstallBackup::State::kPresent, backup.Read(m));
    ASSERT_EQ(1u, m.records.size());
    EXPECT_EQ(platform::Sha256Hex("MZ original"), m.records[0].sha256);
    EXPECT_EQ(11u, m.records[0].size);
    auto after = in.Files();
    EXPECT_EQ("MZ original", after["VedArodBackup/" + fs::path(m.records[0].copy).string()]);
    EXPECT_EQ(before.size() + 2, after.size());  // the copy and the manifest

    // Nothing to start for a kept path or a missing file; a copy of another path is not
    // listed for this one.
    EXPECT_EQ(nullptr, backup.CopyAhead(u"ZovIDE.exe"));
    EXPECT_EQ(nullptr, backup.CopyAhead(u"New.exe"));
    {
        const auto other = backup.CopyAhead(u"res\\login.bmp");
        ASSERT_TRUE(backup.Keep(u"Lang\\lang_en.ini", why, other.get()));
    }
    ASSERT_EQ(InstallBackup::State::kPresent, backup.Read(m));
    ASSERT_EQ(2u, m.records.size());
    EXPECT_EQ(platform::Sha256Hex(std::string("\xFF\xFE", 2)), m.records[1].sha256);
    EXPECT_EQ(before.size() + 3, in.Files().size());
}

TEST(InstallBackup, KeepAfterTheHighestCopyNumberStillWritesAReadableManifest) {
    // A manifest edited elsewhere may list the highest copy number there is.
    Install in;
    const auto before = in.Files();
    fs::create_directories(in.Path("VedArodBackup"));
    WriteBytes(in.Path("VedArodBackup/999999999.orig"), "BM original");
    WriteBytes(in.Path("VedArodBackup/manifest.txt"),
               Line("VedArodBackup manifest 1") +
                   Line("res\\login.bmp\texisted\t11\t" + platform::Sha256Hex("BM original") +
                        "\t2026-01-02T03:04:05Z\t999999999.orig"));
    InstallBackup backup(in.dir.Text());
    std::u16string why;
    ASSERT_TRUE(backup.Keep(u"ZovIDE.exe", why));
    BackupManifest m;
    ASSERT_EQ(InstallBackup::State::kPresent, backup.Read(m));
    EXPECT_EQ(2u, m.records.size());
    WriteBytes(in.Path("ZovIDE.exe"), "MZ changed");
    EXPECT_TRUE(backup.Restore().empty());
    EXPECT_EQ(before, in.Files());
}

TEST(InstallBackup, FileThatStillHoldsItsOriginalIsRestoredEvenWhenReadOnly) {
    // A keep comes before its change, and the change may be refused: a read-only picture
    // keeps its original bytes, and must not hold back the rest of the restore.
    Install in;
    const auto before = in.Files();
    InstallBackup backup(in.dir.Text());
    std::u16string why;
    for (const char16_t* path : {u"ZovIDE.exe", u"New.exe", u"res\\login.bmp"}) {
        ASSERT_TRUE(backup.Keep(path, why));
    }
    fs::rename(in.Path("ZovIDE.exe"), in.Path("New.exe"));
    fs::permissions(in.Path("res/login.bmp"),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_TRUE(backup.Restore().empty());
    EXPECT_EQ(before, in.Files());
    EXPECT_FALSE(fs::exists(in.Path("VedArodBackup")));
}

TEST(InstallBackup, KeepThatCannotWriteTheBackupSaysWhyAndChangesNothing) {
    Install in;
    WriteBytes(in.Path("VedArodBackup"), "a file where the folder should be");
    const auto before = in.Files();
    InstallBackup backup(in.dir.Text());
    std::u16string why;
    EXPECT_FALSE(backup.Keep(u"ZovIDE.exe", why));
    EXPECT_EQ(0u, why.find(u"无法创建备份文件夹"));
    EXPECT_FALSE(backup.Keep(u"..\\outside.exe", why));
    EXPECT_EQ(0u, why.find(u"文件不在安装文件夹内"));
    EXPECT_EQ(before, in.Files());

    // An original that cannot be read (a folder where the file should be) is named as such.
    fs::remove(in.Path("VedArodBackup"));
    fs::create_directories(in.Path("res/main.bmp"));
    EXPECT_FALSE(backup.Keep(u"res\\main.bmp", why));
    EXPECT_EQ(0u, why.find(u"无法读取原文件")) << std::string(why.begin(), why.end());
    EXPECT_FALSE(fs::exists(in.Path("VedArodBackup")));
    fs::remove(in.Path("res/main.bmp"));
    WriteBytes(in.Path("VedArodBackup"), "a file where the folder should be");

    fs::remove(in.Path("VedArodBackup"));
    fs::create_directories(in.Path("VedArodBackup"));
    WriteBytes(in.Path("VedArodBackup/manifest.txt"), "not a manifest");
    EXPECT_FALSE(backup.Keep(u"ZovIDE.exe", why));
    EXPECT_EQ(0u, why.find(u"备份清单无法读取"));
    EXPECT_EQ(1u, backup.Restore().size());
    EXPECT_EQ("not a manifest", ReadBytes(in.Path("VedArodBackup/manifest.txt")));
}

TEST(InstallBackup, KeepRefusesABackupFolderThatLinksOutOfTheInstall) {
    Install in;
    TempDir elsewhere;
    std::error_code error;
    fs::create_directory_symlink(elsewhere.Path(), in.Path("VedArodBackup"), error);
    if (error) {
        GTEST_SKIP() << "no symbolic links here: " << error.message();  // MinGW's runtime
    }
    InstallBackup backup(in.dir.Text());
    std::u16string why;
    EXPECT_FALSE(backup.Keep(u"ZovIDE.exe", why));
    EXPECT_EQ(0u, why.find(u"无法写入备份副本"));
    EXPECT_NE(std::u16string::npos, why.find(u"经链接指向安装文件夹之外"));
    EXPECT_TRUE(fs::is_empty(elsewhere.Path()));
}

TEST(InstallBackup, DamagedCopyStaysInTheBackupAndWithholdsTheRemovals) {
    Install in;
    InstallBackup backup(in.dir.Text());
    std::u16string why;
    ASSERT_TRUE(backup.Keep(u"ZovIDE.exe", why));
    ASSERT_TRUE(backup.Keep(u"res\\login.bmp", why));
    ASSERT_TRUE(backup.Keep(u"New.exe", why));
    WriteBytes(in.Path("res/login.bmp"), "BM changed");
    fs::rename(in.Path("ZovIDE.exe"), in.Path("New.exe"));
    WriteBytes(in.Path("VedArodBackup/1.orig"), "MZ tampered");

    const auto failures = backup.Restore();
    ASSERT_EQ(2u, failures.size());
    EXPECT_EQ(u"ZovIDE.exe", failures[0].path);
    EXPECT_NE(std::u16string::npos, failures[0].reason.find(u"SHA-256"));
    EXPECT_EQ(u"New.exe", failures[1].path);
    EXPECT_EQ("BM original", ReadBytes(in.Path("res/login.bmp")));
    EXPECT_TRUE(fs::exists(in.Path("New.exe")));  // the only executable is not removed
    BackupManifest m;
    ASSERT_EQ(InstallBackup::State::kPresent, backup.Read(m));
    ASSERT_EQ(2u, m.records.size());
    EXPECT_FALSE(fs::exists(in.Path("VedArodBackup/2.orig")));

    // Once the copy is sound again, the rest comes back.
    WriteBytes(in.Path("VedArodBackup/1.orig"), "MZ original");
    EXPECT_TRUE(backup.Restore().empty());
    EXPECT_EQ("MZ original", ReadBytes(in.Path("ZovIDE.exe")));
    EXPECT_FALSE(fs::exists(in.Path("New.exe")));
    EXPECT_FALSE(fs::exists(in.Path("VedArodBackup")));
}

}  // namespace
