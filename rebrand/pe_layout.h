// The header fields of a PE32 / PE32+ image that laying its sections out again reads and
// writes, with the file offset of each field.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "rebrand/pe_image.h"

namespace rebrand {

constexpr uint32_t kResourceDirectory = 2;
constexpr uint32_t kCertificateDirectoryIndex = 4;
constexpr uint32_t kBaseRelocationDirectory = 5;
constexpr uint32_t kDebugDirectory = 6;

constexpr uint32_t kScnInitializedData = 0x00000040;
constexpr uint32_t kScnDiscardable = 0x02000000;
constexpr uint32_t kScnRead = 0x40000000;

struct DataDirectory {
    uint32_t rva = 0;  // a file offset for the certificate table
    uint32_t size = 0;
};

struct SectionHeader {
    std::string name;  // up to 8 bytes as stored, without padding zeros
    uint32_t virtualSize = 0;
    uint32_t virtualAddress = 0;
    uint32_t rawSize = 0;
    uint32_t rawOffset = 0;
    uint32_t relocationsOffset = 0;
    uint32_t lineNumbersOffset = 0;
    uint32_t characteristics = 0;
    uint64_t headerOffset = 0;  // file offset of this section's header
};

struct PeLayout {
    PeHeaders headers;
    uint64_t optionalOffset = 0;
    uint16_t optionalSize = 0;
    uint64_t sectionTableOffset = 0;
    uint32_t sectionAlignment = 0;
    uint32_t fileAlignment = 0;
    uint32_t sizeOfImage = 0;
    uint32_t sizeOfInitializedData = 0;
    uint32_t directoryCount = 0;  // data directories present in the optional header
    uint64_t directoriesOffset = 0;
    std::vector<DataDirectory> directories;
    std::vector<SectionHeader> sections;  // in table order

    DataDirectory Directory(uint32_t index) const {
        return index < directories.size() ? directories[index] : DataDirectory{};
    }
    // The section whose memory holds rva: its index, or -1.
    int SectionOfRva(uint32_t rva) const;
    // Where rva lies in the file and where its section's file data ends. False when no
    // section's file data holds it.
    bool MapRva(uint32_t rva, uint64_t& offset, uint64_t& end) const;
};

// Reads the layout of a whole image (ParsePeHeaders' checks, then the fields above). On any
// status but kOk, layout is left unchanged.
PeStatus ReadPeLayout(std::string_view image, PeLayout& layout);

// Offsets inside the file header and the optional header.
constexpr size_t kNumberOfSectionsField = 2;       // file header
constexpr size_t kPointerToSymbolTableField = 8;   // file header
constexpr size_t kSizeOfInitializedDataField = 8;  // optional header
constexpr size_t kSizeOfImageField = 56;           // optional header
constexpr size_t kCheckSumField = 64;              // optional header

}  // namespace rebrand
