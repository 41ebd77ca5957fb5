#include "rebrand/pe_image.h"

#include "rebrand/le_bytes.h"

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

namespace rebrand {

namespace {

constexpr size_t kDosHeaderSize = 64;
constexpr size_t kLfanewOffset = 0x3C;
constexpr size_t kFileHeaderSize = 20;
constexpr size_t kSymbolTableField = 8;  // in the file header
constexpr size_t kSectionHeaderSize = 40;
constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr uint32_t kCertificateDirectory = 4;

// Offsets inside the optional header.
constexpr size_t kSizeOfHeadersField = 60;
constexpr size_t kChecksumField = 64;

// The section holding an RVA: where its raw data lies in the file. False when no
// section's raw data holds it.
struct RawRange {
    uint64_t begin = 0;  // file offset of the RVA
    uint64_t end = 0;    // end of that section's raw data
};

bool MapRva(std::string_view bytes, const PeHeaders& h, uint64_t sectionTable, uint32_t rva,
            RawRange& range) {
    for (uint16_t i = 0; i < h.sectionCount; ++i) {
        const size_t section = static_cast<size_t>(sectionTable) + i * kSectionHeaderSize;
        const uint32_t virtualSize = Le32(bytes, section + 8);
        const uint32_t virtualAddress = Le32(bytes, section + 12);
        const uint32_t rawSize = Le32(bytes, section + 16);
        const uint32_t rawOffset = Le32(bytes, section + 20);
        const uint64_t extent = std::max(virtualSize, rawSize);
        if (rva < virtualAddress || rva >= uint64_t{virtualAddress} + extent) {
            continue;
        }
        const uint64_t inSection = rva - virtualAddress;
        if (inSection >= rawSize) {
            return false;  // in the section's memory but not in its file data
        }
        range.begin = uint64_t{rawOffset} + inSection;
        range.end = uint64_t{rawOffset} + rawSize;
        return true;
    }
    return false;
}

// Walks the resource tree (type, name, language, data) within the resource section's
// file data, so that nothing behind it reads outside the file or loops.
class ResourceTreeCheck {
public:
    ResourceTreeCheck(std::string_view bytes, const PeHeaders& h, uint64_t sectionTable,
                      RawRange root)
        : bytes_(bytes), h_(h), sectionTable_(sectionTable), root_(root) {}

    bool Directory(uint64_t offset, int depth) {
        constexpr size_t kHeader = 16;
        constexpr size_t kEntry = 8;
        if (depth > 2 || !Inside(offset, kHeader)) {
            return false;
        }
        const uint64_t at = root_.begin + offset;
        const uint32_t count = uint32_t{Le16(bytes_, at + 12)} + Le16(bytes_, at + 14);
        if (!Inside(offset + kHeader, uint64_t{count} * kEntry)) {
            return false;
        }
        for (uint32_t i = 0; i < count; ++i) {
            if (++visited_ > kMaxEntries) {
                return false;
            }
            const uint64_t entry = at + kHeader + uint64_t{i} * kEntry;
            const uint32_t name = Le32(bytes_, entry);
            const uint32_t target = Le32(bytes_, entry + 4);
            if ((name & 0x80000000u) != 0 && !NameString(name & 0x7FFFFFFFu)) {
                return false;
            }
            const bool isDirectory = (target & 0x80000000u) != 0;
            if (isDirectory != (depth < 2)) {
                return false;  // types and names hold directories, languages hold data
            }
            if (isDirectory ? !Directory(target & 0x7FFFFFFFu, depth + 1) : !DataEntry(target)) {
                return false;
            }
        }
        return true;
    }

private:
    static constexpr uint32_t kMaxEntries = 1000000;

    bool Inside(uint64_t offset, uint64_t size) const {
        return root_.begin + offset + size <= root_.end;
    }

    bool NameString(uint64_t offset) const {
        if (!Inside(offset, 2)) {
            return false;
        }
        return Inside(offset + 2, 2 * uint64_t{Le16(bytes_, root_.begin + offset)});
    }

    bool DataEntry(uint64_t offset) const {
        if (!Inside(offset, 16)) {
            return false;
        }
        const uint32_t rva = Le32(bytes_, root_.begin + offset);
        const uint32_t size = Le32(bytes_, root_.begin + offset + 4);
        RawRange data;
        if (size == 0) {
            return true;
        }
        return MapRva(bytes_, h_, sectionTable_, rva, data) && data.begin + size <= data.end;
    }

    std::string_view bytes_;
    const PeHeaders& h_;
    uint64_t sectionTable_;
    RawRange root_;
    uint32_t visited_ = 0;
};

}  // namespace

PeStatus CheckResourceDirectory(std::string_view bytes) {
    PeHeaders h;
    const PeStatus status = ParsePeHeaders(bytes, h);
    if (status != PeStatus::kOk) {
        return status;
    }
    const uint64_t optional = uint64_t{h.peOffset} + 4 + kFileHeaderSize;
    const size_t directories = h.pe32Plus ? 112 : 96;
    const uint32_t directoryCount = Le32(bytes, optional + directories - 4);
    const uint16_t optionalSize = Le16(bytes, uint64_t{h.peOffset} + 4 + 16);
    constexpr size_t kResourceDirectory = 2;
    const size_t entry = directories + 8 * kResourceDirectory;
    if (directoryCount <= kResourceDirectory || entry + 8 > optionalSize) {
        return PeStatus::kOk;
    }
    const uint32_t rva = Le32(bytes, optional + entry);
    if (rva == 0) {
        return PeStatus::kOk;
    }
    RawRange root;
    const uint64_t sectionTable = optional + optionalSize;
    if (!MapRva(bytes, h, sectionTable, rva, root)) {
        return PeStatus::kBadResources;
    }
    ResourceTreeCheck check(bytes, h, sectionTable, root);
    return check.Directory(0, 0) ? PeStatus::kOk : PeStatus::kBadResources;
}

PeStatus ParsePeHeaders(std::string_view bytes, PeHeaders& headers) {
    if (bytes.size() < 2 || bytes[0] != 'M' || bytes[1] != 'Z') {
        return PeStatus::kNotPe;
    }
    if (bytes.size() < kDosHeaderSize) {
        return PeStatus::kTruncated;
    }
    PeHeaders h;
    h.peOffset = Le32(bytes, kLfanewOffset);
    const uint64_t fileHeader = uint64_t{h.peOffset} + 4;
    if (fileHeader + kFileHeaderSize > bytes.size()) {
        return PeStatus::kTruncated;
    }
    if (bytes.substr(h.peOffset, 4) != std::string_view("PE\0\0", 4)) {
        return PeStatus::kNotPe;
    }
    h.sectionCount = Le16(bytes, fileHeader + 2);
    h.symbolTableOffset = Le32(bytes, fileHeader + kSymbolTableField);
    const uint16_t optionalSize = Le16(bytes, fileHeader + 16);
    const uint64_t optional = fileHeader + kFileHeaderSize;
    if (optional + optionalSize > bytes.size()) {
        return PeStatus::kTruncated;
    }
    if (optionalSize < 2) {
        return PeStatus::kNotPe;
    }
    const uint16_t magic = Le16(bytes, optional);
    if (magic != kPe32Magic && magic != kPe32PlusMagic) {
        return PeStatus::kNotPe;
    }
    h.pe32Plus = magic == kPe32PlusMagic;
    // The fixed part ends with NumberOfRvaAndSizes; the data directories follow it.
    const size_t directories = h.pe32Plus ? 112 : 96;
    if (optionalSize < directories) {
        return PeStatus::kNotPe;
    }
    h.sizeOfHeaders = Le32(bytes, optional + kSizeOfHeadersField);
    h.checksumOffset = static_cast<uint32_t>(optional + kChecksumField);
    h.checksum = Le32(bytes, h.checksumOffset);
    const uint32_t directoryCount = Le32(bytes, optional + directories - 4);
    const size_t certEntry = directories + 8 * kCertificateDirectory;
    if (directoryCount > kCertificateDirectory && certEntry + 8 <= optionalSize) {
        h.certEntryOffset = static_cast<uint32_t>(optional + certEntry);
        h.certOffset = Le32(bytes, h.certEntryOffset);
        h.certSize = Le32(bytes, h.certEntryOffset + 4);
    }
    if (h.sizeOfHeaders > bytes.size()) {
        return PeStatus::kTruncated;
    }
    const uint64_t sectionTable = optional + optionalSize;
    const uint64_t sectionTableEnd = sectionTable + uint64_t{h.sectionCount} * kSectionHeaderSize;
    if (sectionTableEnd > bytes.size()) {
        return PeStatus::kBadSectionTable;
    }
    h.sectionDataEnd = std::max<uint64_t>(h.sizeOfHeaders, sectionTableEnd);
    for (uint16_t i = 0; i < h.sectionCount; ++i) {
        const size_t section = static_cast<size_t>(sectionTable) + i * kSectionHeaderSize;
        const uint32_t rawSize = Le32(bytes, section + 16);
        const uint32_t rawOffset = Le32(bytes, section + 20);
        if (rawSize == 0) {
            continue;
        }
        const uint64_t end = uint64_t{rawOffset} + rawSize;
        if (end > bytes.size()) {
            return PeStatus::kBadSectionTable;
        }
        h.sectionDataEnd = std::max(h.sectionDataEnd, end);
    }
    headers = h;
    return PeStatus::kOk;
}

uint32_t ComputePeChecksum(std::string_view bytes, size_t checksumOffset) {
    // The folds are deferred: one's-complement addition is associative, and the 64-bit
    // sum cannot overflow for any file that fits in memory.
    uint64_t sum = 0;
    const size_t evenSize = bytes.size() & ~size_t{1};
    for (size_t pos = 0; pos < evenSize; pos += 2) {
        sum += Le16(bytes, pos);
    }
    if (bytes.size() != evenSize) {
        sum += static_cast<uint8_t>(bytes.back());
    }
    // Take the checksum field's bytes back out: a byte at an even position was added as
    // a low byte, one at an odd position as a high byte.
    for (size_t pos = checksumOffset; pos < checksumOffset + 4 && pos < bytes.size(); ++pos) {
        const uint64_t value = static_cast<uint8_t>(bytes[pos]);
        sum -= (pos % 2 == 0) ? value : value << 8;
    }
    while (sum > 0xFFFF) {
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    return static_cast<uint32_t>(sum + bytes.size());
}

}  // namespace rebrand

namespace rebrand {

namespace {

// A name "/n" stands for the string at offset n of the COFF string table, which follows the
// symbol table (GNU ld names its .debug_* sections so). The name as stored when it cannot
// be looked up.
std::string LongSectionName(std::string_view bytes, const PeHeaders& h, const std::string& name) {
    if (name.size() < 2 || name[0] != '/' || h.symbolTableOffset == 0 ||
        name.find_first_not_of("0123456789", 1) != std::string::npos) {
        return name;
    }
    constexpr uint64_t kSymbolSize = 18;
    const uint64_t strings = h.symbolTableOffset + kSymbolSize * Le32(bytes, h.peOffset + 4 + 12);
    const uint64_t at = strings + std::stoull(name.substr(1));
    if (at >= bytes.size()) {
        return name;
    }
    const size_t end = bytes.find('\0', static_cast<size_t>(at));
    return end == std::string_view::npos
               ? name
               : std::string(bytes.substr(static_cast<size_t>(at), end - static_cast<size_t>(at)));
}

}  // namespace

std::vector<SectionPlace> SectionPlaces(std::string_view bytes) {
    PeHeaders h;
    if (ParsePeHeaders(bytes, h) != PeStatus::kOk) {
        return {};
    }
    const uint64_t table =
        uint64_t{h.peOffset} + 4 + kFileHeaderSize + Le16(bytes, h.peOffset + 4 + 16);
    std::vector<SectionPlace> places;
    for (uint16_t i = 0; i < h.sectionCount; ++i) {
        const size_t at = static_cast<size_t>(table) + i * kSectionHeaderSize;
        std::string name(bytes.substr(at, 8));
        name.resize(std::min(name.find('\0'), name.size()));
        places.push_back(
            {LongSectionName(bytes, h, name), Le32(bytes, at + 12), Le32(bytes, at + 36)});
    }
    return places;
}

std::string MovedSection(const std::vector<SectionPlace>& before,
                         const std::vector<SectionPlace>& after) {
    constexpr uint32_t kDiscardable = 0x02000000;
    for (size_t i = 0; i < before.size(); ++i) {
        const SectionPlace& s = before[i];
        const bool debugData =
            s.name.compare(0, 6, ".debug") == 0 && (s.characteristics & kDiscardable) != 0;
        if (s.name == ".reloc" || debugData) {
            continue;
        }
        // The n-th section of this name in before is matched with the n-th one in after.
        const auto sameName = [&](const SectionPlace& p) { return p.name == s.name; };
        const auto nth =
            std::count_if(before.begin(), before.begin() + static_cast<ptrdiff_t>(i), sameName);
        auto match = after.begin();
        for (ptrdiff_t n = 0; match != after.end(); ++match) {
            if (sameName(*match) && n++ == nth) {
                break;
            }
        }
        if (match == after.end() || match->virtualAddress != s.virtualAddress) {
            return s.name.empty() ? std::string("#") + std::to_string(i) : s.name;
        }
    }
    return {};
}

}  // namespace rebrand
