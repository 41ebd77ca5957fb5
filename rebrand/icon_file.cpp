#include "rebrand/icon_file.h"

#include "rebrand/le_bytes.h"

namespace rebrand {

namespace {

constexpr size_t kHeaderSize = 6;
constexpr size_t kEntrySize = 16;
constexpr uint16_t kTypeIcon = 1;  // 2 is a cursor
constexpr uint32_t kBitmapHeaderSize = 40;
constexpr std::string_view kPngSignature("\x89PNG\r\n\x1A\n", 8);

uint8_t Byte(std::string_view data, size_t pos) {
    return static_cast<uint8_t>(data[pos]);
}

}  // namespace

IconFileStatus ReadFirstIconImage(std::string_view file, IconDirEntry& entry, std::string& image) {
    if (file.size() < kHeaderSize + kEntrySize) {
        return IconFileStatus::kTooShort;
    }
    if (Le16(file, 2) != kTypeIcon) {
        return IconFileStatus::kNotAnIcon;
    }
    const uint16_t count = Le16(file, 4);
    if (count == 0) {
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
    if (first.imageOffset < kHeaderSize + size_t{count} * kEntrySize) {
        return IconFileStatus::kImageOverlapsDirectory;
    }
    const std::string_view bytes = file.substr(first.imageOffset, first.imageSize);
    const bool bitmap = bytes.size() >= kBitmapHeaderSize && Le32(bytes, 0) == kBitmapHeaderSize;
    const bool png = bytes.substr(0, kPngSignature.size()) == kPngSignature;
    if (!bitmap && !png) {
        return IconFileStatus::kNotAnIconImage;
    }
    image.assign(bytes);
    entry = first;
    return IconFileStatus::kOk;
}

}  // namespace rebrand
