// The first image and all images of an .ico file from arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "rebrand/icon_file.h"
#include "rebrand/le_bytes.h"

namespace {

bool IsIconImage(const std::string& image) {
    return image.compare(0, 8, "\x89PNG\r\n\x1A\n") == 0 ||
           (image.size() >= 40 && image.compare(0, 4, std::string("\x28\0\0\0", 4)) == 0);
}

void CheckAllImages(std::string_view file, rebrand::IconFileStatus firstStatus,
                    const rebrand::IconDirEntry& first) {
    using rebrand::IconFileStatus;
    std::vector<rebrand::IconImage> images(1);
    images[0].bytes = "untouched";
    const IconFileStatus status = rebrand::ReadIconImages(file, images);
    if (status != IconFileStatus::kOk) {
        fuzz::Require(images.size() == 1 && images[0].bytes == "untouched",
                      "a failed read of all images hands none on");
        fuzz::Require(firstStatus == IconFileStatus::kOk || firstStatus == status ||
                          status == IconFileStatus::kTooManyImages ||
                          status == IconFileStatus::kTooShort,
                      "a bad first image fails the read of all for the same reason");
        return;
    }
    fuzz::Require(firstStatus == IconFileStatus::kOk, "all images read means the first one is");
    const size_t count = rebrand::Le16(file, 4);
    fuzz::Require(images.size() == count && count <= rebrand::kMaxIconImages,
                  "one image per entry, never more than the limit");
    fuzz::Require(images[0].entry.imageOffset == first.imageOffset &&
                      images[0].entry.imageSize == first.imageSize,
                  "the first of all images is the first image");
    for (size_t i = 0; i < count; ++i) {
        const rebrand::IconImage& image = images[i];
        const size_t at = 6 + 16 * i;
        fuzz::Require(image.entry.width == static_cast<uint8_t>(file[at]) &&
                          image.entry.imageSize == rebrand::Le32(file, at + 8) &&
                          image.entry.imageOffset == rebrand::Le32(file, at + 12),
                      "images are in the directory's order");
        fuzz::Require(
            image.entry.imageOffset >= 6 + 16 * count && !image.bytes.empty() &&
                file.substr(image.entry.imageOffset, image.entry.imageSize) == image.bytes,
            "each image is the non-empty bytes behind the directory its entry names");
        fuzz::Require(IsIconImage(image.bytes), "each image is a bitmap or a PNG stream");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    rebrand::IconDirEntry entry;
    entry.width = 7;
    entry.imageSize = 0xDEAD;
    entry.imageOffset = 0xBEEF;
    std::string image = "untouched";
    const rebrand::IconFileStatus status = rebrand::ReadFirstIconImage(file, entry, image);
    CheckAllImages(file, status, entry);
    fuzz::Require((status == rebrand::IconFileStatus::kTooShort) == (size < 22),
                  "too short exactly below header and first entry");
    if (status != rebrand::IconFileStatus::kOk) {
        fuzz::Require(entry.width == 7 && entry.imageSize == 0xDEAD &&
                          entry.imageOffset == 0xBEEF && image == "untouched",
                      "a failed read leaves entry and image alone");
        return 0;
    }
    fuzz::Require(entry.imageSize > 0, "an image is never empty");
    fuzz::Require(uint64_t{entry.imageOffset} + entry.imageSize <= size,
                  "the image lies inside the file");
    fuzz::Require(image.size() == entry.imageSize, "the image has the size of its entry");
    fuzz::Require(file.substr(entry.imageOffset, entry.imageSize) == image,
                  "the image is the bytes at its offset");
    fuzz::Require(data[2] == 1 && data[3] == 0, "only icon files give an image");
    fuzz::Require(entry.imageOffset >= 6 + 16 * size_t{uint16_t(data[4] | (data[5] << 8))},
                  "the image lies behind the directory");
    fuzz::Require(IsIconImage(image),
                  "the image is a bitmap with a 40-byte header or a PNG stream");
    fuzz::Require(entry.width == data[6] && entry.height == data[7] && entry.colorCount == data[8],
                  "the entry is the file's first entry");
    return 0;
}
