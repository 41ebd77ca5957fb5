#include "rebrand/icon_file.h"

#include <utility>

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

// The header's checks; count is the number of entries it announces.
IconFileStatus CheckHeader(std::string_view file, uint16_t& count) {
    if (file.size() < kHeaderSize + kEntrySize) {
        return IconFileStatus::kTooShort;
    }
    if (Le16(file, 2) != kTypeIcon) {
        return IconFileStatus::kNotAnIcon;
    }
    count = Le16(file, 4);
    return count == 0 ? IconFileStatus::kNoImages : IconFileStatus::kOk;
}

// Entry index (which lies inside file) of a directory of count entries, and its image.
IconFileStatus ReadEntry(std::string_view file, uint16_t count, size_t index, IconDirEntry& entry,
                         std::string_view& image) {
    const size_t at = kHeaderSize + index * kEntrySize;
    IconDirEntry read;
    read.width = Byte(file, at);
    read.height = Byte(file, at + 1);
    read.colorCount = Byte(file, at + 2);
    read.planes = Le16(file, at + 4);
    read.bitCount = Le16(file, at + 6);
    read.imageSize = Le32(file, at + 8);
    read.imageOffset = Le32(file, at + 12);
    if (read.imageSize == 0) {
        return IconFileStatus::kEmptyImage;
    }
    const uint64_t end = uint64_t{read.imageOffset} + read.imageSize;
    if (end > file.size()) {
        return IconFileStatus::kImageOutsideFile;
    }
    if (read.imageOffset < kHeaderSize + size_t{count} * kEntrySize) {
        return IconFileStatus::kImageOverlapsDirectory;
    }
    const std::string_view bytes = file.substr(read.imageOffset, read.imageSize);
    const bool bitmap = bytes.size() >= kBitmapHeaderSize && Le32(bytes, 0) == kBitmapHeaderSize;
    const bool png = bytes.substr(0, kPngSignature.size()) == kPngSignature;
    if (!bitmap && !png) {
        return IconFileStatus::kNotAnIconImage;
    }
    entry = read;
    image = bytes;
    return IconFileStatus::kOk;
}

}  // namespace

IconFileStatus ReadFirstIconImage(std::string_view file, IconDirEntry& entry, std::string& image) {
    uint16_t count = 0;
    IconFileStatus status = CheckHeader(file, count);
    IconDirEntry first;
    std::string_view bytes;
    if (status == IconFileStatus::kOk) {
        status = ReadEntry(file, count, 0, first, bytes);
    }
    if (status == IconFileStatus::kOk) {
        image.assign(bytes);
        entry = first;
    }
    return status;
}

IconFileStatus ReadIconImages(std::string_view file, std::vector<IconImage>& images) {
    uint16_t count = 0;
    const IconFileStatus status = CheckHeader(file, count);
    if (status != IconFileStatus::kOk) {
        return status;
    }
    if (count > kMaxIconImages) {
        return IconFileStatus::kTooManyImages;
    }
    if (file.size() < kHeaderSize + size_t{count} * kEntrySize) {
        return IconFileStatus::kTooShort;
    }
    std::vector<IconImage> read(count);
    for (size_t i = 0; i < count; ++i) {
        std::string_view bytes;
        const IconFileStatus entryStatus = ReadEntry(file, count, i, read[i].entry, bytes);
        if (entryStatus != IconFileStatus::kOk) {
            return entryStatus;
        }
        read[i].bytes.assign(bytes);
    }
    images = std::move(read);
    return IconFileStatus::kOk;
}

}  // namespace rebrand
