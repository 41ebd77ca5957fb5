// The images of an .ico file, as the icon steps write them into the executable.
//
// An .ico file starts with a 6-byte directory header (reserved, type, image count), then
// one 16-byte entry per image (width, height, colour count, reserved, planes, bit count,
// image size in bytes, image offset from the start of the file). Image bytes (a bitmap
// with its masks, or a PNG stream) are taken unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rebrand {

struct IconDirEntry {
    uint8_t width = 0;  // 0 means 256
    uint8_t height = 0;
    uint8_t colorCount = 0;
    uint16_t planes = 0;
    uint16_t bitCount = 0;
    uint32_t imageSize = 0;
    uint32_t imageOffset = 0;
};

enum class IconFileStatus {
    kOk,
    kTooShort,                // fewer than 22 bytes: no complete header and first entry; for
                              // all images, also fewer bytes than the entries the header counts
    kNoImages,                // the header's image count is 0, so there is no first entry
    kTooManyImages,           // for all images: the header counts more than kMaxIconImages
    kEmptyImage,              // an entry's image size is 0
    kImageOutsideFile,        // the image does not lie completely inside the file
    kNotAnIcon,               // the header's type is not 1 (icon): a cursor file, or no .ico at all
    kImageOverlapsDirectory,  // the image starts inside the header or the entries it counts
    kNotAnIconImage,          // an image starts neither with a 40-byte BITMAPINFOHEADER (its first
                              // field, biSize, is 40) nor with the PNG signature
};

// Reads the first directory entry and its image from the whole file. On kOk, image holds
// exactly imageSize bytes from imageOffset; on any other status entry and image are left
// unchanged, so no partial image and nothing but an icon image is ever handed on. The
// reserved field and the entries after the first are not looked at.
IconFileStatus ReadFirstIconImage(std::string_view file, IconDirEntry& entry, std::string& image);

// More images than any icon holds (Windows' own icons have a dozen or so); with it, one
// small file cannot make its images take gigabytes by pointing every entry at the same bytes.
constexpr size_t kMaxIconImages = 256;

struct IconImage {
    IconDirEntry entry;
    std::string bytes;  // entry.imageSize bytes from entry.imageOffset
};

// Reads every directory entry and its image, each checked as ReadFirstIconImage checks the
// first; images are in the file's order. On any status but kOk images is left unchanged:
// either all images are handed on or none. The first failing entry gives the status.
// Images may share or overlap their bytes; the reserved fields are not looked at.
IconFileStatus ReadIconImages(std::string_view file, std::vector<IconImage>& images);

}  // namespace rebrand
