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
    std::string file = IcoWithEntry(static_cast<uint32_t>(png.size()), 6 + 7 * 16, 6 + 7 * 16);
    SetLe16(file, 4, 7);  // entries 2 to 7 are filler: they are not looked at
    file += png;
    IconDirEntry entry;
    std::string image;
    ASSERT_EQ(IconFileStatus::kOk, rebrand::ReadFirstIconImage(file, entry, image));
    EXPECT_EQ(png, image);
}

TEST(IconFile, IncompleteEmptyOrForeignImagesAreRefusedWithoutOutput) {
    struct Case {
        const char* name;
        std::string file;
        IconFileStatus status;
    };
    std::string noImages = IcoWithEntry(4, 22, 30);
    SetLe16(noImages, 4, 0);
    // A 40-byte image at offset in a file whose header counts count entries; behind the
    // first entry the image starts with biSize = 40.
    const auto bitmapAt = [](uint32_t offset, uint16_t count) {
        std::string file = IcoWithEntry(40, offset, 6 + size_t{count} * 16 + 40);
        SetLe16(file, 4, count);
        if (offset >= 22) {
            SetLe32(file, offset, 40);
        }
        return file;
    };
    std::string cursor = bitmapAt(22, 1);
    SetLe16(cursor, 2, 2);
    std::string typeZero = bitmapAt(22, 1);
    SetLe16(typeZero, 2, 0);
    std::string core = bitmapAt(22, 1);
    SetLe32(core, 22, 12);
    std::string shortBitmap = IcoWithEntry(39, 22, 61);
    SetLe32(shortBitmap, 22, 40);
    std::string cutPng = IcoWithEntry(7, 22, 22) + "\x89PNG\r\n\x1A";
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
        {"cursor file", cursor, IconFileStatus::kNotAnIcon},
        {"type 0", typeZero, IconFileStatus::kNotAnIcon},
        {"image is the file's header", bitmapAt(0, 1), IconFileStatus::kImageOverlapsDirectory},
        {"image inside the first entry", bitmapAt(6, 1), IconFileStatus::kImageOverlapsDirectory},
        {"image inside the third entry", bitmapAt(22, 3), IconFileStatus::kImageOverlapsDirectory},
        {"neither bitmap nor PNG", IcoWithEntry(40, 22, 62), IconFileStatus::kNotAnIconImage},
        {"12-byte core header", core, IconFileStatus::kNotAnIconImage},
        {"biSize 40 in a 39-byte image", shortBitmap, IconFileStatus::kNotAnIconImage},
        {"PNG signature cut short", cutPng, IconFileStatus::kNotAnIconImage},
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
