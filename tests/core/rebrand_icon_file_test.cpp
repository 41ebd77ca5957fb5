#include <gtest/gtest.h>

#include <string>

#include "rebrand/icon_file.h"
#include "samples/sample_install.h"
#include "tests/support/pe_builder.h"

namespace {

using rebrand::IconDirEntry;
using rebrand::IconFileStatus;
using testsupport::SetLe16;
using testsupport::SetLe32;

// Header and one entry for an image of size bytes at offset, followed by filler bytes.
std::string IcoWithEntry(uint32_t size, uint32_t offset, size_t fileSize) {
    std::string file(fileSize, '\x5A');
    SetLe16(file, 0, 0);
    SetLe16(file, 2, 1);
    SetLe16(file, 4, 1);
    file[6] = 40;
    file[7] = 40;
    file[8] = 0;
    file[9] = 0;
    SetLe16(file, 10, 1);
    SetLe16(file, 12, 32);
    SetLe32(file, 14, size);
    SetLe32(file, 18, offset);
    return file;
}

TEST(IconFile, FirstImageOfSeveralIsTakenUnchanged) {
    const std::string file = samples::MakeIco({16, 32, 48}, 1);
    IconDirEntry entry;
    std::string image;
    ASSERT_EQ(IconFileStatus::kOk, rebrand::ReadFirstIconImage(file, entry, image));
    EXPECT_EQ(16, entry.width);
    EXPECT_EQ(16, entry.height);
    EXPECT_EQ(32, entry.bitCount);
    EXPECT_EQ(6u + 3 * 16, entry.imageOffset);
    // 40-byte header, 16 x 16 x 4 colour bytes, 16 rows of a 4-byte mask.
    EXPECT_EQ(40u + 1024 + 64, entry.imageSize);
    EXPECT_EQ(file.substr(entry.imageOffset, entry.imageSize), image);
}

TEST(IconFile, PngImageAndImageEndingTheFileAreCopiedAsTheyAre) {
    const std::string png("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16);
    std::string file = IcoWithEntry(static_cast<uint32_t>(png.size()), 22, 22);
    SetLe16(file, 4, 7);  // the count is not compared with the entries
    file += png;
    IconDirEntry entry;
    std::string image;
    ASSERT_EQ(IconFileStatus::kOk, rebrand::ReadFirstIconImage(file, entry, image));
    EXPECT_EQ(png, image);
}

TEST(IconFile, IncompleteOrEmptyImagesAreRefusedWithoutOutput) {
    struct Case {
        const char* name;
        std::string file;
        IconFileStatus status;
    };
    std::string noImages = IcoWithEntry(4, 22, 30);
    SetLe16(noImages, 4, 0);
    const Case cases[] = {
        {"empty file", "", IconFileStatus::kTooShort},
        {"21 bytes", IcoWithEntry(4, 0, 22).substr(0, 21), IconFileStatus::kTooShort},
        {"count 0", noImages, IconFileStatus::kNoImages},
        {"size 0", IcoWithEntry(0, 22, 30), IconFileStatus::kEmptyImage},
        {"one byte beyond the end", IcoWithEntry(9, 22, 30), IconFileStatus::kImageOutsideFile},
        {"offset beyond the end", IcoWithEntry(1, 30, 30), IconFileStatus::kImageOutsideFile},
        {"offset + size past 4 GB", IcoWithEntry(0x10, 0xFFFFFFF8u, 64),
         IconFileStatus::kImageOutsideFile},
        {"size of 4 GB - 1", IcoWithEntry(0xFFFFFFFFu, 6, 64), IconFileStatus::kImageOutsideFile},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IconDirEntry entry;
        entry.imageSize = 77;
        std::string image = "previous";
        EXPECT_EQ(c.status, rebrand::ReadFirstIconImage(c.file, entry, image));
        EXPECT_EQ("previous", image);
        EXPECT_EQ(77u, entry.imageSize);
    }
}

}  // namespace
