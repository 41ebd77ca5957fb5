#include "rebrand/pe_layout.h"

#include <algorithm>

#include "rebrand/le_bytes.h"

namespace rebrand {

namespace {

constexpr size_t kFileHeaderSize = 20;
constexpr size_t kSectionHeaderSize = 40;

}  // namespace

int PeLayout::SectionOfRva(uint32_t rva) const {
    for (size_t i = 0; i < sections.size(); ++i) {
        const SectionHeader& s = sections[i];
        const uint64_t extent = std::max(s.virtualSize, s.rawSize);
        if (rva >= s.virtualAddress && rva < uint64_t{s.virtualAddress} + extent) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool PeLayout::MapRva(uint32_t rva, uint64_t& offset, uint64_t& end) const {
    const int index = SectionOfRva(rva);
    if (index < 0) {
        return false;
    }
    const SectionHeader& s = sections[static_cast<size_t>(index)];
    const uint64_t inSection = rva - s.virtualAddress;
    if (inSection >= s.rawSize) {
        return false;  // in the section's memory but not in its file data
    }
    offset = uint64_t{s.rawOffset} + inSection;
    end = uint64_t{s.rawOffset} + s.rawSize;
    return true;
}

PeStatus ReadPeLayout(std::string_view image, PeLayout& layout) {
    PeLayout l;
    const PeStatus status = ParsePeHeaders(image, l.headers);
    if (status != PeStatus::kOk) {
        return status;
    }
    const uint64_t fileHeader = uint64_t{l.headers.peOffset} + 4;
    l.optionalOffset = fileHeader + kFileHeaderSize;
    l.optionalSize = Le16(image, fileHeader + 16);
    l.sectionTableOffset = l.optionalOffset + l.optionalSize;
    l.sectionAlignment = Le32(image, l.optionalOffset + 32);
    l.fileAlignment = Le32(image, l.optionalOffset + 36);
    l.sizeOfImage = Le32(image, l.optionalOffset + kSizeOfImageField);
    l.sizeOfInitializedData = Le32(image, l.optionalOffset + kSizeOfInitializedDataField);
    const size_t directories = l.headers.pe32Plus ? 112 : 96;
    l.directoriesOffset = l.optionalOffset + directories;
    const uint32_t declared = Le32(image, l.optionalOffset + directories - 4);
    // Only the entries that fit inside the optional header count.
    l.directoryCount = std::min<uint32_t>(declared, (l.optionalSize - directories) / 8);
    for (uint32_t i = 0; i < l.directoryCount; ++i) {
        const uint64_t at = l.directoriesOffset + 8 * uint64_t{i};
        l.directories.push_back({Le32(image, at), Le32(image, at + 4)});
    }
    for (uint16_t i = 0; i < l.headers.sectionCount; ++i) {
        const uint64_t at = l.sectionTableOffset + uint64_t{i} * kSectionHeaderSize;
        SectionHeader s;
        const std::string_view name = image.substr(at, 8);
        s.name = std::string(name.substr(0, std::min(name.find('\0'), name.size())));
        s.virtualSize = Le32(image, at + 8);
        s.virtualAddress = Le32(image, at + 12);
        s.rawSize = Le32(image, at + 16);
        s.rawOffset = Le32(image, at + 20);
        s.relocationsOffset = Le32(image, at + 24);
        s.lineNumbersOffset = Le32(image, at + 28);
        s.characteristics = Le32(image, at + 36);
        s.headerOffset = at;
        l.sections.push_back(std::move(s));
    }
    layout = std::move(l);
    return PeStatus::kOk;
}

}  // namespace rebrand
