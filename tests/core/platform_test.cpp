#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <thread>
#include <vector>

#include "platform/codepage.h"
#include "platform/file_read.h"
#include "platform/files.h"
#include "platform/staged_file.h"
#include "platform/unicode.h"
#include "tests/support/temp_dir.h"

namespace {

using testsupport::ReadBytes;
using testsupport::TempDir;
using testsupport::WriteBytes;

TEST(CodePage, Gbk936RoundTripsChineseText) {
    const std::u16string text = u"公司名称=北京某某科技 Ltd.";
    const std::string bytes = platform::EncodeCodePage(text, 936);
    // 公 is C9 AB in GBK.
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(std::string("\xB9\xAB", 2), bytes.substr(0, 2));
    EXPECT_EQ(text, platform::DecodeCodePage(bytes, 936));
}

TEST(CodePage, UnrepresentableCharacterBecomesQuestionMark) {
    EXPECT_EQ("a?b", platform::EncodeCodePage(u"a\u0E01b", 936));  // Thai letter
    EXPECT_EQ("a?b", platform::EncodeCodePage(u"a\xD800"
                                              u"b",
                                              936));
}

TEST(Unicode, Utf8RoundTripAndInvalidBytes) {
    const std::u16string text = u"ID=内容 \U0001F600";
    EXPECT_EQ(text, platform::Utf8ToUtf16(platform::Utf16ToUtf8(text)));
    EXPECT_EQ(u"a\uFFFDb", platform::Utf8ToUtf16("a\xC3"
                                                 "b"));
    EXPECT_EQ(u"\uFFFD", platform::Utf8ToUtf16("\xED\xA0\x80"));  // encoded surrogate
}

TEST(Files, WriteReplacingCreatesAndReplaces) {
    TempDir dir;
    const std::u16string path = dir.Text(u"a.cfg");
    ASSERT_TRUE(platform::WriteFileReplacing(path, std::string("first")));
    EXPECT_EQ("first", ReadBytes(dir.Path() / "a.cfg"));
    ASSERT_TRUE(platform::WriteFileReplacing(path, std::string("second")));
    EXPECT_EQ("second", ReadBytes(dir.Path() / "a.cfg"));
    // No temporary file is left behind.
    int count = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path())) {
        (void)e;
        ++count;
    }
    EXPECT_EQ(1, count);
}

TEST(Files, ReadOnlyOrMissingFolderLeavesEverythingAsItWas) {
    TempDir dir;
    const auto file = dir.Path() / "ro.cfg";
    WriteBytes(file, "keep");
    std::filesystem::permissions(file,
                                 std::filesystem::perms::owner_write |
                                     std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    int err = 0;
    EXPECT_FALSE(platform::WriteFileReplacing(dir.Text(u"ro.cfg"), std::string("new"), &err));
    EXPECT_NE(0, err);
    platform::StagedWrite staged(dir.Text(u"ro.cfg"), "new", 3);
    EXPECT_FALSE(staged.Ready());
    EXPECT_NE(0, staged.Commit().error);
    EXPECT_EQ("keep", ReadBytes(file));
    {
        // Written, not committed: the destination stays, the staging file goes.
        platform::StagedWrite pending(dir.Text(u"new.cfg"), "new", 3);
        EXPECT_TRUE(pending.Ready());
    }
    EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(dir.Path()),
                               std::filesystem::directory_iterator()));

    EXPECT_FALSE(platform::WriteFileReplacing(dir.Text(u"missing/x.cfg"), std::string("x")));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "missing"));
}

TEST(Files, DestinationsThatResolveOutsideTheRootAreRefused) {
    TempDir dir;
    namespace fs = std::filesystem;
    fs::create_directories(dir.Path() / "install" / "Lang");
    fs::create_directories(dir.Path() / "elsewhere");
    WriteBytes(dir.Path() / "elsewhere" / "x.dll", "keep");
    std::error_code error;
    fs::create_directory_symlink(dir.Path() / "elsewhere", dir.Path() / "install" / "linked",
                                 error);
    if (error) {
        // MinGW's runtime has no symbolic links; the Windows build is tested through the
        // dialog under Wine (SafeWrites.NothingIsWrittenWhereALinkLeadsOutOfTheInstallFolder).
        GTEST_SKIP() << "no symbolic links here: " << error.message();
    }
    const std::u16string root = dir.Text(u"install");
    struct Case {
        const char16_t* path;
        platform::WriteOutcome outcome;
    };
    const Case cases[] = {
        {u"install/Lang/a.ini", platform::WriteOutcome::kWritten},
        {u"install/b.cfg", platform::WriteOutcome::kWritten},
        {u"install/linked/x.dll", platform::WriteOutcome::kOutsideRoot},
        {u"install/linked/new.ini", platform::WriteOutcome::kOutsideRoot},
        {u"install/Lang/../../elsewhere/x.dll", platform::WriteOutcome::kOutsideRoot},
    };
    for (const Case& c : cases) {
        platform::StagedWrite staged(dir.Text(c.path), "staged", 6, root);
        EXPECT_EQ(c.outcome == platform::WriteOutcome::kWritten, staged.Ready());
        EXPECT_EQ(c.outcome, staged.Commit().outcome) << platform::Utf16ToUtf8(c.path);
        const platform::WriteResult r =
            platform::WriteFileSafely(dir.Text(c.path), std::string("new"), root);
        EXPECT_EQ(c.outcome, r.outcome) << platform::Utf16ToUtf8(c.path);
    }
    EXPECT_EQ("keep", ReadBytes(dir.Path() / "elsewhere" / "x.dll"));
    EXPECT_FALSE(fs::exists(dir.Path() / "elsewhere" / "new.ini"));
}

TEST(Files, ASaveRemovesWhatAKilledSaveOfTheSameFileLeft) {
    TempDir dir;
    WriteBytes(dir.Path() / "a.cfg.~tmpAbC123", "half");
    WriteBytes(dir.Path() / "a.cfg.~bak77", "old");
    WriteBytes(dir.Path() / "b.cfg.~tmpAbC123", "other file's");
    ASSERT_TRUE(platform::WriteFileSafely(dir.Text(u"a.cfg"), std::string("new")).Written());
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "a.cfg.~tmpAbC123"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "a.cfg.~bak77"));
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "b.cfg.~tmpAbC123"));
}

TEST(Files, ReadWholeFileTellsMissingFromUnreadable) {
    TempDir dir;
    std::string bytes = "junk";
    EXPECT_EQ(platform::ReadResult::kMissing, platform::ReadWholeFile(dir.Text(u"no.cfg"), bytes));
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(platform::ReadResult::kFailed, platform::ReadWholeFile(dir.Text(), bytes));
    WriteBytes(dir.Path() / "x.bin", std::string("a\0b\r\n", 5));
    EXPECT_EQ(platform::ReadResult::kOk, platform::ReadWholeFile(dir.Text(u"x.bin"), bytes));
    EXPECT_EQ(std::string("a\0b\r\n", 5), bytes);
    EXPECT_TRUE(platform::IsDirectory(dir.Text()));
    EXPECT_FALSE(platform::IsDirectory(dir.Text(u"x.bin")));
    EXPECT_TRUE(platform::PathExists(dir.Text(u"x.bin")));
}

TEST(Files, FileHoldsComparesTheSizeAndEveryByte) {
    TempDir dir;
    // Longer than the pieces the comparison reads, with differences in different pieces.
    std::string bytes(600 * 1024, 'a');
    for (size_t i = 0; i < bytes.size(); i += 7) {
        bytes[i] = static_cast<char>(i % 251);
    }
    const auto with = [&](size_t at, char c) {
        std::string other = bytes;
        other[at] = c;
        return other;
    };
    const struct {
        const char* what;
        std::string file;
        bool holds;
    } cases[] = {
        {"same bytes", bytes, true},
        {"first byte differs", with(0, 'z'), false},
        {"a byte in the third piece differs", with(520 * 1024 + 3, 'z'), false},
        {"last byte differs", with(bytes.size() - 1, 'z'), false},
        {"one byte shorter", bytes.substr(0, bytes.size() - 1), false},
        {"one byte longer", bytes + "a", false},
    };
    for (const auto& c : cases) {
        WriteBytes(dir.Path() / "f.bin", c.file);
        EXPECT_EQ(c.holds, platform::FileHolds(dir.Text(u"f.bin"), bytes.data(), bytes.size()))
            << c.what;
    }
    EXPECT_FALSE(platform::FileHolds(dir.Text(u"missing.bin"), "", 0));
    EXPECT_FALSE(platform::FileHolds(dir.Text(), "", 0));  // a folder
    WriteBytes(dir.Path() / "empty.bin", "");
    EXPECT_TRUE(platform::FileHolds(dir.Text(u"empty.bin"), "", 0));
}

TEST(Files, ReadsInPiecesNestedAndOnThreadsThatEnd) {
    TempDir dir;
    std::string bytes(platform::PieceBuffer::kPieceSize * 2 + 5, 'a');
    for (size_t i = 0; i < bytes.size(); i += 3) {
        bytes[i] = static_cast<char>(i % 253);
    }
    WriteBytes(dir.Path() / "f.bin", bytes);
    const std::u16string path = dir.Text(u"f.bin");
    // A read within a read: each has its own piece of memory.
    size_t done = 0;
    bool inner = true;
    EXPECT_EQ(platform::ReadResult::kOk,
              platform::ReadFileInPieces(
                  path, [](uint64_t) { return true; },
                  [&](const char* piece, size_t n) {
                      inner = inner && platform::FileHolds(path, bytes.data(), bytes.size());
                      const bool same = bytes.compare(done, n, piece, n) == 0;
                      done += n;
                      return same;
                  }));
    EXPECT_EQ(bytes.size(), done);
    EXPECT_TRUE(inner);
    // Threads that read and end, two at a time, as the digest workers do.
    for (int round = 0; round < 40; ++round) {
        bool held[2] = {false, false};
        std::vector<std::thread> workers;
        for (bool& h : held) {
            workers.emplace_back(
                [&] { h = platform::FileHolds(path, bytes.data(), bytes.size()); });
        }
        for (std::thread& w : workers) {
            w.join();
        }
        ASSERT_TRUE(held[0] && held[1]) << "round " << round;
    }
}

}  // namespace
