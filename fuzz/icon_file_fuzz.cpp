// The first image of an .ico file from arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "rebrand/icon_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    rebrand::IconDirEntry entry;
    entry.width = 7;
    entry.imageSize = 0xDEAD;
    entry.imageOffset = 0xBEEF;
    std::string image = "untouched";
    const rebrand::IconFileStatus status = rebrand::ReadFirstIconImage(file, entry, image);
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
    fuzz::Require(
        image.compare(0, 8, "\x89PNG\r\n\x1A\n") == 0 ||
            (image.size() >= 40 && image.compare(0, 4, std::string("\x28\0\0\0", 4)) == 0),
        "the image is a bitmap with a 40-byte header or a PNG stream");
    fuzz::Require(entry.width == data[6] && entry.height == data[7] && entry.colorCount == data[8],
                  "the entry is the file's first entry");
    return 0;
}
