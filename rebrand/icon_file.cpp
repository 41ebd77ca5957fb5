#include "rebrand/icon_file.h"

namespace rebrand {

namespace {

constexpr size_t kHeaderSize = 6;
constexpr size_t kEntrySize = 16;

uint8_t Byte(std::string_view data, size_t pos) {
    return static_cast<uint8_t>(data[pos]);
}

uint16_t Le16(std::string_view data, size_t pos) {
    return static_cast<uint16_t>(Byte(data, pos) | (Byte(data, pos + 1) << 8));
}

uint32_t Le32(std::string_view data, size_t pos) {
    return static_cast<uint32_t>(Le16(data, pos)) |
           (static_cast<uint32_t>(Le16(data, pos + 2)) << 16);
}

}  // namespace

IconFileStatus ReadFirstIconImage(std::string_view file, IconDirEntry& entry, std::string& image) {
    if (file.size() < kHeaderSize + kEntrySize) {
        return IconFileStatus::kTooShort;
    }
    if (Le16(file, 4) == 0) {
        return IconFileStatus::kNoImages;
    }
    IconDirEntry first;
    first.width = Byte(file, 6);
    first.height = Byte(file, 7);
    first.colorCount = Byte(file, 8);
    first.planes = Le16(file, 10);
    first.bitCount = Le16(file, 12);
    first.imageSize = Le32(file, 14);
    first.imageOffset = Le32(file, 18);
    if (first.imageSize == 0) {
        return IconFileStatus::kEmptyImage;
    }
    const uint64_t end = uint64_t{first.imageOffset} + first.imageSize;
    if (end > file.size()) {
        return IconFileStatus::kImageOutsideFile;
    }
    image.assign(file.substr(first.imageOffset, first.imageSize));
    entry = first;
    return IconFileStatus::kOk;
}

}  // namespace rebrand
