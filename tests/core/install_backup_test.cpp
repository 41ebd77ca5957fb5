// The backup of an install's originals: the manifest, keeping, restoring; and the SHA-256
// it relies on.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "install/backup.h"
#include "messages/messages.h"
#include "platform/file_ops.h"
#include "platform/sha256.h"
#include "platform/unicode.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using install::BackupManifest;
using Kind = install::BackupProblem::Kind;
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

// An install folder with an executable, a picture and a language file, in a scratch folder
// that also holds its backup folder beside it.
struct Install {
    TempDir root;
    fs::path Folder() const { return root.Path() / "ZovIDE"; }
    std::u16string Text() const { return Folder().u16string(); }
    fs::path Path(const char* relative) const { return Folder() / fs::u8path(relative); }
    fs::path Backup(const char* relative = nullptr) const {
        const fs::path folder = root.Path() / "ZovIDE.VedArodBackup";
        return relative == nullptr ? folder : folder / fs::u8path(relative);
    }
    Install() {
        fs::create_directories(Path("res"));
        fs::create_directories(Path("Lang"));
        WriteBytes(Path("ZovIDE.exe"), "MZ original");
        WriteBytes(Path("res/login.bmp"), "BM original");
        WriteBytes(Path("Lang/lang_en.ini"), std::string("\xFF\xFE", 2));
    }
    // Every file of the scratch folder: the install's and the backup's.
    std::map<std::string, std::string> Files() const {
        std::map<std::string, std::string> files;
        for (const auto& e : fs::recursive_directory_iterator(root.Path())) {
            if (e.is_regular_file()) {
                files[fs::relative(e.path(), root.Path()).generic_string()] = ReadBytes(e.path());
            }
        }
        return files;
    }
};

// What the tool does after a keep: a complete new file renamed over the old one.
void Replace(const fs::path& path, const std::string& bytes) {
    WriteBytes(fs::path(path).concat(".new"), bytes);
    fs::rename(fs::path(path).concat(".new"), path);
}

std::string Narrow(const std::u16string& s) {
    return platform::Utf16ToUtf8(s);
}

TEST(InstallBackup, KeepsFirstOriginalsBesideTheInstallAndRestoresTheTreeExactly) {
    Install in;
    const auto before = in.Files();
    InstallBackup backup(in.Text());
    EXPECT_EQ((in.root.Path() / "ZovIDE.VedArodBackup").u16string(), backup.Folder());
    install::BackupProblem why;
    BackupManifest m;
    EXPECT_EQ(InstallBackup::State::kNone, backup.Read(m));

    // A rebrand: the executable changed twice, a picture, a rename; a language file saved.
    for (const char16_t* path : {u"ZovIDE.exe", u"res\\login.bmp", u"ZovIDE.exe"}) {
        ASSERT_TRUE(backup.Keep(path, why)) << Narrow(msg::Describe(why));
    }
    // Kept as a second name of the original: nothing copied until the replace.
    EXPECT_TRUE(
        platform::SameFile(in.Path("ZovIDE.exe").u16string(), in.Backup("1.orig").u16string()));
    Replace(in.Path("ZovIDE.exe"), "MZ changed");
    Replace(in.Path("res/login.bmp"), "BM changed");
    ASSERT_TRUE(backup.Keep(u"ZovIDE.exe", why));
    ASSERT_TRUE(backup.Keep(u"New.exe", why));
    fs::rename(in.Path("ZovIDE.exe"), in.Path("New.exe"));
    ASSERT_TRUE(backup.Keep(u"Lang\\lang_en.ini", why));
    Replace(in.Path("Lang/lang_en.ini"), "changed");
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
    EXPECT_EQ("MZ original", ReadBytes(in.Backup("1.orig")));
    EXPECT_FALSE(fs::exists(in.Path("VedArodBackup")));

    EXPECT_TRUE(backup.Restore().empty());
    EXPECT_EQ(before, in.Files());
    EXPECT_FALSE(fs::exists(in.Backup()));
    EXPECT_EQ(InstallBackup::State::kNone, backup.Read(m));
}

TEST(InstallBackup, BackupFolderLiesBesideTheInstallExceptAtARoot) {
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"D:\\Apps\\ZovIDE", u"D:\\Apps\\ZovIDE.VedArodBackup"},
        {u"\\\\server\\share\\ZovIDE", u"\\\\server\\share\\ZovIDE.VedArodBackup"},
        {u"D:", u"D:\\VedArodBackup"},
        {u"\\\\server\\share", u"\\\\server\\share\\VedArodBackup"},
    };
    for (const auto& [install, folder] : cases) {
        EXPECT_EQ(std::u16string(folder), InstallBackup(install).Folder()) << Narrow(install);
    }
}

TEST(InstallBackup, KeepAsCopyForAFileThatIsRenamedOrChangedInPlace) {
    Install in;
    InstallBackup backup(in.Text());
    install::BackupProblem why;
    ASSERT_TRUE(backup.Keep(u"ZovIDE.exe", why, nullptr, InstallBackup::KeepHow::kCopy));
    EXPECT_FALSE(
        platform::SameFile(in.Path("ZovIDE.exe").u16string(), in.Backup("1.orig").u16string()));
    WriteBytes(in.Path("ZovIDE.exe"), "MZ changed in place");
    EXPECT_EQ("MZ original", ReadBytes(in.Backup("1.orig")));
}

TEST(InstallBackup, DigestTakenAheadIsUsedOnlyForItsPathAndSize) {
    const struct {
        const char* name;
        const char16_t* aheadOf;
        std::string changedTo;  // the executable's bytes between the digest and the keep
    } cases[] = {
        {"same path", u"ZovIDE.exe", ""},
        {"other path", u"res\\login.bmp", ""},
        {"grew meanwhile", u"ZovIDE.exe", "MZ original, grown"},
    };
    for (const auto& c : cases) {
        Install in;
        InstallBackup backup(in.Text());
        install::BackupProblem why;
        const auto ahead = backup.DigestOriginalsAhead({c.aheadOf});
        ASSERT_NE(nullptr, ahead) << c.name;
        if (!c.changedTo.empty()) {
            ahead->Wait();
            Replace(in.Path("ZovIDE.exe"), c.changedTo);
        }
        const std::string now = ReadBytes(in.Path("ZovIDE.exe"));
        ASSERT_TRUE(backup.Keep(u"ZovIDE.exe", why, ahead.get())) << c.name;
        BackupManifest m;
        ASSERT_EQ(InstallBackup::State::kPresent, backup.Read(m)) << c.name;
        EXPECT_EQ(platform::Sha256Hex(now), m.records.at(0).sha256) << c.name;
        EXPECT_EQ(now.size(), m.records.at(0).size) << c.name;
    }
    // Nothing to start for a kept path or a missing file.
    Install in;
    InstallBackup backup(in.Text());
    install::BackupProblem why;
    ASSERT_TRUE(backup.Keep(u"ZovIDE.exe", why));
    EXPECT_EQ(nullptr, backup.DigestOriginalsAhead({u"ZovIDE.exe"}));
    EXPECT_EQ(nullptr, backup.DigestOriginalsAhead({u"New.exe", u"ZovIDE.exe"}));
}

TEST(InstallBackup, OriginalStillBeingDigestedAheadIsKeptByALink) {
    Install in;
    // Large enough that the keep comes while the worker still reads it.
    Replace(in.Path("ZovIDE.exe"), "MZ" + std::string(24 << 20, 'x'));
    InstallBackup backup(in.Text());
    install::BackupProblem why;
    const auto ahead = backup.DigestOriginalsAhead({u"ZovIDE.exe"});
    ASSERT_NE(nullptr, ahead);
    ASSERT_TRUE(backup.Keep(u"ZovIDE.exe", why, ahead.get()));
    EXPECT_TRUE(
        platform::SameFile(in.Path("ZovIDE.exe").u16string(), in.Backup("1.orig").u16string()));
}

TEST(InstallBackup, TakeBackRemovesOnlyEntriesOfFilesThatDidNotChange) {
    Install in;
    const auto before = in.Files();
    InstallBackup backup(in.Text());
    install::BackupProblem why;
    for (const char16_t* path : {u"ZovIDE.exe", u"res\\login.bmp", u"res\\main.bmp"}) {
        ASSERT_TRUE(backup.Keep(path, why));
    }
    ASSERT_TRUE(backup.Keep(u"Lang\\lang_en.ini", why, nullptr, InstallBackup::KeepHow::kCopy));
    Replace(in.Path("res/login.bmp"), "BM changed");
    // The executable's replace failed; the language file and the new picture were not
    // written: all three go, the changed picture stays.
    for (const char16_t* path :
         {u"ZovIDE.exe", u"res\\login.bmp", u"res\\main.bmp", u"Lang\\lang_en.ini"}) {
        backup.TakeBack(path);
    }
    BackupManifest m;
    ASSERT_EQ(InstallBackup::State::kPresent, backup.Read(m));
    ASSERT_EQ(1u, m.records.size());
    EXPECT_EQ(u"res\\login.bmp", m.records[0].path);
    // The changed picture's copy and the manifest.
    EXPECT_EQ(2, std::distance(fs::directory_iterator(in.Backup()), fs::directory_iterator()));
    Replace(in.Path("res/login.bmp"), "BM original");
    backup.TakeBack(u"res\\login.bmp");
    EXPECT_EQ(before, in.Files());  // the folder went with the last entry
}

TEST(InstallBackup, TidyPutsBackWhatKilledRunsLeftAndRemovesTheRest) {
    Install in;
    InstallBackup backup(in.Text());
    install::BackupProblem why;
    ASSERT_TRUE(backup.Keep(u"ZovIDE.exe", why));
    Replace(in.Path("ZovIDE.exe"), "MZ changed");
    // A replace of earlier versions killed half-way: the former file moved aside, the new one
    // staged; a rename of the letter case killed between its two moves; a staged copy and
    // an unlisted copy in the backup; the manifest moved aside by a killed replace.
    fs::rename(in.Path("res/login.bmp"), in.Path("res/login.bmp.~bak1f2a3"));
    WriteBytes(in.Path("res/login.bmp.~tmp1f2a4"), "BM new");
    WriteBytes(in.Path("Lang/lang_en.ini.~bak99"), "spare");
    fs::rename(in.Path("Lang/lang_en.ini"), in.Path("Lang/lang_en.ini.~ren"));
    WriteBytes(in.Path("ZovIDE.exe.~tmp5"), std::string(1000, 'x'));
    WriteBytes(in.Backup("7.orig"), "");
    WriteBytes(in.Backup("2.orig.~tmp6"), "partial");
    fs::rename(in.Backup("manifest.txt"), in.Backup("manifest.txt.~bak7"));
    BackupManifest m;
    EXPECT_EQ(InstallBackup::State::kPresent, backup.Read(m));  // found under its other name

    const std::vector<install::TidyAction> lines = backup.Tidy();
    EXPECT_EQ(8u, lines.size());
    std::map<std::string, std::string> expected = {
        {"ZovIDE/ZovIDE.exe", "MZ changed"},
        {"ZovIDE/res/login.bmp", "BM original"},
        {"ZovIDE/Lang/lang_en.ini", std::string("\xFF\xFE", 2)},
        {"ZovIDE.VedArodBackup/1.orig", "MZ original"},
    };
    auto after = in.Files();
    ASSERT_EQ(1u, after.count("ZovIDE.VedArodBackup/manifest.txt"));
    after.erase("ZovIDE.VedArodBackup/manifest.txt");
    EXPECT_EQ(expected, after);
    EXPECT_TRUE(backup.Tidy().empty());  // nothing left to do
    EXPECT_TRUE(backup.Restore().empty());
    EXPECT_EQ("MZ original", ReadBytes(in.Path("ZovIDE.exe")));
}

TEST(InstallBackup, BackupInsideTheInstallIsTakenOverBesideIt) {
    Install in;
    const auto before = in.Files();
    fs::create_directories(in.Path("VedArodBackup"));
    WriteBytes(in.Path("VedArodBackup/1.orig"), "BM original");
    WriteBytes(in.Path("VedArodBackup/manifest.txt"),
               Line("VedArodBackup manifest 1") +
                   Line("res\\login.bmp\texisted\t11\t" + platform::Sha256Hex("BM original") +
                        "\t2026-01-02T03:04:05Z\t1.orig"));
    Replace(in.Path("res/login.bmp"), "BM changed");
    InstallBackup backup(in.Text());
    BackupManifest m;
    EXPECT_EQ(InstallBackup::State::kPresent, backup.Read(m));  // seen before the take-over
    install::BackupProblem why;
    EXPECT_FALSE(backup.Keep(u"ZovIDE.exe", why));  // not written to before the take-over

    const auto lines = backup.Tidy();
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(install::TidyAction::Kind::kMovedBeside, lines[0].kind);
    EXPECT_FALSE(fs::exists(in.Path("VedArodBackup")));
    EXPECT_EQ("BM original", ReadBytes(in.Backup("1.orig")));
    ASSERT_TRUE(backup.Keep(u"ZovIDE.exe", why)) << Narrow(msg::Describe(why));
    Replace(in.Path("ZovIDE.exe"), "MZ changed");
    EXPECT_TRUE(backup.Restore().empty());
    EXPECT_EQ(before, in.Files());
}

TEST(InstallBackup, KeepAfterTheHighestCopyNumberStillWritesAReadableManifest) {
    // A manifest edited elsewhere may list the highest copy number there is.
    Install in;
    const auto before = in.Files();
    fs::create_directories(in.Backup());
    WriteBytes(in.Backup("999999999.orig"), "BM original");
    WriteBytes(in.Backup("manifest.txt"),
               Line("VedArodBackup manifest 1") +
                   Line("res\\login.bmp\texisted\t11\t" + platform::Sha256Hex("BM original") +
                        "\t2026-01-02T03:04:05Z\t999999999.orig"));
    InstallBackup backup(in.Text());
    install::BackupProblem why;
    ASSERT_TRUE(backup.Keep(u"ZovIDE.exe", why));
    BackupManifest m;
    ASSERT_EQ(InstallBackup::State::kPresent, backup.Read(m));
    EXPECT_EQ(2u, m.records.size());
    Replace(in.Path("ZovIDE.exe"), "MZ changed");
    EXPECT_TRUE(backup.Restore().empty());
    EXPECT_EQ(before, in.Files());
}

TEST(InstallBackup, FileThatStillHoldsItsOriginalIsRestoredEvenWhenReadOnly) {
    // A keep comes before its change, and the change may be refused: a read-only picture
    // keeps its original bytes, and must not hold back the rest of the restore.
    Install in;
    const auto before = in.Files();
    InstallBackup backup(in.Text());
    install::BackupProblem why;
    const auto copy = InstallBackup::KeepHow::kCopy;
    ASSERT_TRUE(backup.Keep(u"ZovIDE.exe", why, nullptr, copy));
    ASSERT_TRUE(backup.Keep(u"New.exe", why, nullptr, copy));
    ASSERT_TRUE(backup.Keep(u"res\\login.bmp", why));
    fs::rename(in.Path("ZovIDE.exe"), in.Path("New.exe"));
    fs::permissions(in.Path("res/login.bmp"),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_TRUE(backup.Restore().empty());
    EXPECT_EQ(before, in.Files());
    EXPECT_FALSE(fs::exists(in.Backup()));
}

TEST(InstallBackup, KeepThatCannotWriteTheBackupSaysWhyAndChangesNothing) {
    Install in;
    WriteBytes(in.Backup(), "a file where the folder should be");
    const auto before = in.Files();
    InstallBackup backup(in.Text());
    install::BackupProblem why;
    EXPECT_FALSE(backup.Keep(u"ZovIDE.exe", why));
    EXPECT_EQ(Kind::kCreateFolder, why.kind);
    EXPECT_FALSE(backup.Keep(u"..\\outside.exe", why));
    EXPECT_EQ(Kind::kNotInInstall, why.kind);
    EXPECT_EQ(before, in.Files());

    // An original that cannot be read (a folder where the file should be) is named as such.
    fs::remove(in.Backup());
    fs::create_directories(in.Path("res/main.bmp"));
    EXPECT_FALSE(backup.Keep(u"res\\main.bmp", why));
    EXPECT_EQ(Kind::kReadOriginal, why.kind) << Narrow(msg::Describe(why));
    EXPECT_FALSE(fs::exists(in.Backup()));
    fs::remove(in.Path("res/main.bmp"));

    fs::create_directories(in.Backup());
    WriteBytes(in.Backup("manifest.txt"), "not a manifest");
    EXPECT_FALSE(backup.Keep(u"ZovIDE.exe", why));
    EXPECT_EQ(Kind::kManifestUnreadable, why.kind);
    EXPECT_EQ(1u, backup.Restore().size());
    EXPECT_EQ("not a manifest", ReadBytes(in.Backup("manifest.txt")));
}

TEST(InstallBackup, LinksLeadNeitherTheKeepNorTheRestoreOutOfTheInstall) {
    Install in;
    TempDir elsewhere;
    WriteBytes(elsewhere.Path() / "victim.txt", "keep me");
    WriteBytes(elsewhere.Path() / "1.orig", "keep me too");
    std::error_code error;
    fs::create_directory_symlink(elsewhere.Path(), in.Backup(), error);
    if (error) {
        GTEST_SKIP() << "no symbolic links here: " << error.message();  // MinGW's runtime
    }
    InstallBackup backup(in.Text());
    install::BackupProblem why;
    EXPECT_FALSE(backup.Keep(u"ZovIDE.exe", why));
    EXPECT_EQ(Kind::kFolderIsLink, why.kind);
    // A linked backup folder whose manifest lists files: nothing is restored or deleted.
    WriteBytes(elsewhere.Path() / "manifest.txt",
               Line("VedArodBackup manifest 1") +
                   Line("res\\login.bmp\tabsent\t0\t-\t2026-01-02T03:04:05Z\t-"));
    const auto refused = backup.Restore();
    ASSERT_EQ(1u, refused.size());
    EXPECT_EQ(Kind::kFolderIsLink, refused[0].problem.kind);
    EXPECT_TRUE(fs::exists(in.Path("res/login.bmp")));
    EXPECT_EQ("keep me too", ReadBytes(elsewhere.Path() / "1.orig"));

    // A real backup folder whose entries reach outside through a linked folder of the
    // install: the outside file stays, the entry stays, the rest comes back.
    fs::remove(in.Backup());
    fs::remove_all(in.Path("res"));
    fs::create_directory_symlink(elsewhere.Path(), in.Path("res"));
    fs::create_directories(in.Backup());
    WriteBytes(in.Backup("1.orig"), "MZ original");
    WriteBytes(in.Backup("manifest.txt"),
               Line("VedArodBackup manifest 1") +
                   Line("res\\victim.txt\tabsent\t0\t-\t2026-01-02T03:04:05Z\t-") +
                   Line("ZovIDE.exe\texisted\t11\t" + platform::Sha256Hex("MZ original") +
                        "\t2026-01-02T03:04:05Z\t1.orig"));
    Replace(in.Path("ZovIDE.exe"), "MZ changed");
    const auto failures = backup.Restore();
    ASSERT_EQ(1u, failures.size());
    EXPECT_EQ(u"res\\victim.txt", failures[0].path);
    EXPECT_EQ(Kind::kLeadsOutside, failures[0].problem.kind);
    EXPECT_EQ("keep me", ReadBytes(elsewhere.Path() / "victim.txt"));
    EXPECT_EQ("MZ original", ReadBytes(in.Path("ZovIDE.exe")));
}

TEST(InstallBackup, DamagedCopyStaysInTheBackupAndWithholdsTheRemovals) {
    Install in;
    InstallBackup backup(in.Text());
    install::BackupProblem why;
    ASSERT_TRUE(backup.Keep(u"ZovIDE.exe", why, nullptr, InstallBackup::KeepHow::kCopy));
    ASSERT_TRUE(backup.Keep(u"res\\login.bmp", why));
    ASSERT_TRUE(backup.Keep(u"New.exe", why));
    Replace(in.Path("res/login.bmp"), "BM changed");
    fs::rename(in.Path("ZovIDE.exe"), in.Path("New.exe"));
    WriteBytes(in.Backup("1.orig"), "MZ tampered");

    const auto failures = backup.Restore();
    ASSERT_EQ(2u, failures.size());
    EXPECT_EQ(u"ZovIDE.exe", failures[0].path);
    EXPECT_EQ(Kind::kCopyMismatch, failures[0].problem.kind);
    EXPECT_EQ(u"New.exe", failures[1].path);
    EXPECT_EQ("BM original", ReadBytes(in.Path("res/login.bmp")));
    EXPECT_TRUE(fs::exists(in.Path("New.exe")));  // the only executable is not removed
    BackupManifest m;
    ASSERT_EQ(InstallBackup::State::kPresent, backup.Read(m));
    ASSERT_EQ(2u, m.records.size());
    EXPECT_FALSE(fs::exists(in.Backup("2.orig")));

    // Once the copy is sound again, the rest comes back.
    WriteBytes(in.Backup("1.orig"), "MZ original");
    EXPECT_TRUE(backup.Restore().empty());
    EXPECT_EQ("MZ original", ReadBytes(in.Path("ZovIDE.exe")));
    EXPECT_FALSE(fs::exists(in.Path("New.exe")));
    EXPECT_FALSE(fs::exists(in.Backup()));
}

}  // namespace
