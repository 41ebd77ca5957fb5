#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "platform/file_stamp.h"
#include "platform/hash64.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using testsupport::TempDir;
using testsupport::WriteBytes;

TEST(Hash64, PiecesOfAnySizeGiveTheWholeHash) {
    std::string bytes;
    for (int i = 0; i < 1000; ++i) {
        bytes += static_cast<char>(i * 37 + i / 7);
    }
    for (size_t piece : {1, 3, 7, 8, 31, 32, 33, 64, 100, 999, 1000}) {
        for (size_t size : {0, 1, 31, 32, 33, 63, 64, 65, 1000}) {
            platform::Hasher64 hasher;
            for (size_t at = 0; at < size; at += piece) {
                hasher.Update(bytes.data() + at, std::min(piece, size - at));
            }
            EXPECT_EQ(platform::Hash64(bytes.data(), size), hasher.Digest())
                << "piece " << piece << ", size " << size;
        }
    }
}

TEST(Hash64, EveryByteAndTheLengthCount) {
    // Each length up to three stripes and a tail, each byte flipped in turn: no two alike.
    std::set<uint64_t> seen;
    size_t count = 0;
    for (size_t size = 0; size <= 100; ++size) {
        std::string bytes(size, 'a');
        seen.insert(platform::Hash64(bytes.data(), size));
        ++count;
        for (size_t i = 0; i < size; ++i) {
            bytes[i] = 'b';
            seen.insert(platform::Hash64(bytes.data(), size));
            ++count;
            bytes[i] = 'a';
        }
    }
    EXPECT_EQ(count, seen.size());
}

// A file read with its stamp, then changed (or not) by another program.
TEST(FileStamp, TellsWhetherAnotherProgramChangedTheFile) {
    const std::string kRead = "[ZOVIDE]\r\nA=1\r\n";
    const auto rewrite = [](const std::string& bytes) {
        return [bytes](const fs::path& p) { WriteBytes(p, bytes); };
    };
    const auto shiftTime = [](const fs::path& p) {
        fs::last_write_time(p, fs::last_write_time(p) + std::chrono::seconds(5));
    };
    const struct {
        const char* name;
        bool existsAtRead;
        bool oldFile;  // its last-write time lay an hour back when it was read
        std::function<void(const fs::path&)> change;
        bool changed;
    } cases[] = {
        {"left alone", true, true, [](const fs::path&) {}, false},
        {"left alone, read right after it was written", true, false, [](const fs::path&) {}, false},
        {"touched only", true, true, shiftTime, false},
        {"rewritten with the same bytes", true, false, rewrite(kRead), false},
        {"other bytes of the same size", true, true,
         [&](const fs::path& p) {
             WriteBytes(p, "[ZOVIDE]\r\nA=2\r\n");
             shiftTime(p);
         },
         true},
        // Written in the same tick of the file system's clock as the read: the time cannot
        // tell, the bytes do.
        {"other bytes of the same size, same time, read right after it was written", true, false,
         [](const fs::path& p) {
             const auto time = fs::last_write_time(p);
             WriteBytes(p, "[ZOVIDE]\r\nA=2\r\n");
             fs::last_write_time(p, time);
         },
         true},
        {"size changed", true, true, rewrite("[ZOVIDE]\r\nA=10\r\n"), true},
        {"emptied", true, true, rewrite(""), true},
        {"deleted", true, true, [](const fs::path& p) { fs::remove(p); }, true},
        {"replaced by a folder", true, true,
         [](const fs::path& p) {
             fs::remove(p);
             fs::create_directory(p);
         },
         true},
        {"absent and still absent", false, false, [](const fs::path&) {}, false},
        {"created", false, false, rewrite(kRead), true},
        {"created empty", false, false, rewrite(""), true},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const fs::path file = dir.Path() / "lang_chs.ini";
        if (c.existsAtRead) {
            WriteBytes(file, kRead);
            if (c.oldFile) {
                fs::last_write_time(file, fs::last_write_time(file) - std::chrono::hours(1));
            }
        }
        std::string bytes;
        platform::FileStamp stamp;
        const platform::ReadResult read =
            platform::ReadWholeFileStamped(dir.Text(u"lang_chs.ini"), bytes, stamp);
        ASSERT_EQ(c.existsAtRead ? platform::ReadResult::kOk : platform::ReadResult::kMissing, read)
            << c.name;
        EXPECT_EQ(c.existsAtRead, stamp.exists) << c.name;
        EXPECT_FALSE(platform::FileChangedSince(dir.Text(u"lang_chs.ini"), stamp)) << c.name;
        c.change(file);
        EXPECT_EQ(c.changed, platform::FileChangedSince(dir.Text(u"lang_chs.ini"), stamp))
            << c.name;
    }
}

// An old file whose size and time are as read is taken as unchanged without reading it:
// the time of the open file and the time of the path agree.
TEST(FileStamp, SameSizeAndTimeOfAnOldFileAreNotReadAgain) {
    TempDir dir;
    const fs::path file = dir.Path() / "a.cfg";
    WriteBytes(file, "abc");
    const auto old = fs::last_write_time(file) - std::chrono::hours(1);
    fs::last_write_time(file, old);
    std::string bytes;
    platform::FileStamp stamp;
    ASSERT_EQ(platform::ReadResult::kOk,
              platform::ReadWholeFileStamped(dir.Text(u"a.cfg"), bytes, stamp));
    EXPECT_TRUE(stamp.timeTells);
    WriteBytes(file, "xyz");
    fs::last_write_time(file, old);
    EXPECT_FALSE(platform::FileChangedSince(dir.Text(u"a.cfg"), stamp));
}

TEST(FileStamp, TheStampOfWrittenBytesMatchesTheFile) {
    TempDir dir;
    const fs::path file = dir.Path() / "a.cfg";
    const std::string bytes = "[A]\r\nk=1\r\n";
    WriteBytes(file, bytes);
    const platform::FileStamp stamp =
        platform::StampOfWritten(dir.Text(u"a.cfg"), bytes.data(), bytes.size());
    EXPECT_FALSE(platform::FileChangedSince(dir.Text(u"a.cfg"), stamp));
    WriteBytes(file, "[A]\r\nk=2\r\n");
    EXPECT_TRUE(platform::FileChangedSince(dir.Text(u"a.cfg"), stamp));
}

}  // namespace
