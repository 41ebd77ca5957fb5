#include "rebrand/resource_writer.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <map>
#include <utility>

#include "rebrand/le_bytes.h"
#include "rebrand/pe_layout.h"

namespace rebrand {

namespace {

using namespace resource_format;
constexpr size_t kSectionHeaderSize = 40;
constexpr size_t kDebugEntrySize = 28;
constexpr uint64_t kDataAlignment = 8;
constexpr size_t kCertificateAlignment = 8;
// Data at least this long is streamed from the old image rather than copied into the plan.
constexpr uint64_t kStreamedData = 4096;
constexpr uint64_t kFourGiB = uint64_t{1} << 32;

uint64_t AlignUp(uint64_t value, uint64_t alignment) {
    return alignment == 0 ? value : (value + alignment - 1) / alignment * alignment;
}

bool HostIsLittleEndian() {
    const uint16_t probe = 1;
    unsigned char first = 0;
    std::memcpy(&first, &probe, 1);
    return first == 1;
}

bool IsPowerOfTwo(uint32_t value) {
    return value != 0 && (value & (value - 1)) == 0;
}

// The new image's pieces, adjacent ones joined.
class Pieces {
public:
    explicit Pieces(std::vector<ImagePiece>& list) : list_(list) {}

    void Literal(std::string_view bytes) {
        if (bytes.empty()) {
            return;
        }
        if (!list_.empty() && list_.back().from == ImagePiece::kLiteral) {
            list_.back().bytes.append(bytes);
        } else {
            ImagePiece piece;
            piece.bytes = std::string(bytes);
            list_.push_back(std::move(piece));
        }
        size_ += bytes.size();
    }
    void Zeros(uint64_t count) {
        if (count < 64) {
            Literal(std::string(static_cast<size_t>(count), '\0'));
            return;
        }
        if (!list_.empty() && list_.back().from == ImagePiece::kZeros) {
            list_.back().size += count;
        } else {
            ImagePiece piece;
            piece.from = ImagePiece::kZeros;
            piece.size = count;
            list_.push_back(std::move(piece));
        }
        size_ += count;
    }
    void FromImage(uint64_t from, uint64_t size) {
        if (size == 0) {
            return;
        }
        if (!list_.empty() && list_.back().from < ImagePiece::kZeros &&
            list_.back().from + list_.back().size == from) {
            list_.back().size += size;
        } else {
            ImagePiece piece;
            piece.from = from;
            piece.size = size;
            list_.push_back(std::move(piece));
        }
        size_ += size;
    }
    uint64_t Size() const { return size_; }

private:
    std::vector<ImagePiece>& list_;
    uint64_t size_ = 0;
};

void AppendHeader(std::string& out, const DirectoryHeader& h, size_t named, size_t ids) {
    AppendLe32(out, h.characteristics);
    AppendLe32(out, h.timeDateStamp);
    AppendLe16(out, h.majorVersion);
    AppendLe16(out, h.minorVersion);
    AppendLe16(out, static_cast<uint16_t>(named));
    AppendLe16(out, static_cast<uint16_t>(ids));
}

template <typename Map>
size_t NamedCount(const Map& map) {
    size_t count = 0;
    for (const auto& entry : map) {
        count += entry.first.named ? 1 : 0;
    }
    return count;
}

// The resource section for tree at address rva: its pieces and its size. False when it
// would not fit 4 GiB or a directory would hold more than 65,535 entries of one kind.
bool SerializeSection(const ResourceTree& tree, uint64_t rva, std::vector<ImagePiece>& out,
                      uint64_t& size) {
    // Where each directory goes: the root, the types' directories, then the names'.
    size_t typeCount = tree.types.size();
    size_t nameCount = 0;
    size_t dataCount = 0;
    std::map<std::u16string, uint64_t> strings;
    const auto noteName = [&](const ResourceName& n) {
        if (n.named) {
            strings.emplace(n.text, 0);
        }
    };
    const auto tooMany = [](size_t count) { return count > 0xFFFF; };
    if (tooMany(typeCount)) {
        return false;
    }
    for (const auto& [type, typeNode] : tree.types) {
        noteName(type);
        nameCount += typeNode.names.size();
        if (tooMany(typeNode.names.size())) {
            return false;
        }
        for (const auto& [name, nameNode] : typeNode.names) {
            noteName(name);
            dataCount += nameNode.languages.size();
            if (tooMany(nameNode.languages.size())) {
                return false;
            }
            for (const auto& language : nameNode.languages) {
                noteName(language.first);
            }
        }
    }
    const uint64_t directoriesEnd = kDirectorySize * (1 + typeCount + nameCount) +
                                    kEntrySize * (typeCount + nameCount + dataCount);
    const uint64_t dataEntries = directoriesEnd;
    uint64_t cursor = dataEntries + kDataEntrySize * dataCount;
    for (auto& [text, offset] : strings) {
        offset = cursor;
        cursor += 2 + 2 * uint64_t{text.size()};
        if (text.size() > 0xFFFF) {
            return false;
        }
    }
    const uint64_t stringsEnd = cursor;

    std::string head;
    head.reserve(static_cast<size_t>(AlignUp(stringsEnd, kDataAlignment)));
    const auto nameField = [&](const ResourceName& n) {
        return n.named ? (kHighBit | static_cast<uint32_t>(strings.at(n.text))) : uint32_t{n.id};
    };
    // The root and its entries.
    uint64_t nextDirectory = kDirectorySize + kEntrySize * typeCount;
    AppendHeader(head, tree.header, NamedCount(tree.types), typeCount - NamedCount(tree.types));
    std::vector<uint64_t> typeDirectories;
    for (const auto& [type, typeNode] : tree.types) {
        AppendLe32(head, nameField(type));
        AppendLe32(head, kHighBit | static_cast<uint32_t>(nextDirectory));
        typeDirectories.push_back(nextDirectory);
        nextDirectory += kDirectorySize + kEntrySize * typeNode.names.size();
    }
    // Each type's directory.
    for (const auto& [type, typeNode] : tree.types) {
        const size_t named = NamedCount(typeNode.names);
        AppendHeader(head, typeNode.header, named, typeNode.names.size() - named);
        for (const auto& [name, nameNode] : typeNode.names) {
            AppendLe32(head, nameField(name));
            AppendLe32(head, kHighBit | static_cast<uint32_t>(nextDirectory));
            nextDirectory += kDirectorySize + kEntrySize * nameNode.languages.size();
        }
    }
    // Each name's directory, pointing at the data entries in order.
    uint64_t nextDataEntry = dataEntries;
    for (const auto& [type, typeNode] : tree.types) {
        for (const auto& [name, nameNode] : typeNode.names) {
            const size_t named = NamedCount(nameNode.languages);
            AppendHeader(head, nameNode.header, named, nameNode.languages.size() - named);
            for (const auto& language : nameNode.languages) {
                AppendLe32(head, nameField(language.first));
                AppendLe32(head, static_cast<uint32_t>(nextDataEntry));
                nextDataEntry += kDataEntrySize;
            }
        }
    }
    // The data entries, then the strings.
    uint64_t dataAt = AlignUp(stringsEnd, kDataAlignment);
    for (const auto& [type, typeNode] : tree.types) {
        for (const auto& [name, nameNode] : typeNode.names) {
            for (const auto& language : nameNode.languages) {
                const ResourceData& data = language.second;
                const uint64_t address = rva + dataAt;
                if (address >= kFourGiB || data.bytes.size() >= kFourGiB) {
                    return false;
                }
                AppendLe32(head, data.bytes.empty() ? 0 : static_cast<uint32_t>(address));
                AppendLe32(head, static_cast<uint32_t>(data.bytes.size()));
                AppendLe32(head, data.codePage);
                AppendLe32(head, 0);
                dataAt = AlignUp(dataAt + data.bytes.size(), kDataAlignment);
            }
        }
    }
    for (const auto& [text, offset] : strings) {
        AppendLe16(head, static_cast<uint16_t>(text.size()));
        for (const char16_t unit : text) {
            AppendLe16(head, static_cast<uint16_t>(unit));
        }
    }
    head.resize(static_cast<size_t>(AlignUp(stringsEnd, kDataAlignment)), '\0');

    Pieces pieces(out);
    pieces.Literal(head);
    for (const auto& [type, typeNode] : tree.types) {
        for (const auto& [name, nameNode] : typeNode.names) {
            for (const auto& language : nameNode.languages) {
                const ResourceData& data = language.second;
                if (data.fileOffset != ResourceData::kNotInImage &&
                    data.bytes.size() >= kStreamedData) {
                    pieces.FromImage(data.fileOffset, data.bytes.size());
                } else {
                    pieces.Literal(data.bytes);
                }
                pieces.Zeros(AlignUp(pieces.Size(), kDataAlignment) - pieces.Size());
            }
        }
    }
    size = pieces.Size();
    return rva + size < kFourGiB;
}

bool Movable(const SectionHeader& s) {
    return s.name == ".reloc" || (s.characteristics & kScnDiscardable) != 0;
}

bool OnlyZerosFrom(std::string_view bytes, uint64_t pos) {
    if (pos > bytes.size() || bytes.size() - pos >= kCertificateAlignment) {
        return false;
    }
    return std::all_of(bytes.begin() + static_cast<ptrdiff_t>(pos), bytes.end(),
                       [](char c) { return c == 0; });
}

}  // namespace

uint64_t ImagePlan::Size() const {
    uint64_t size = 0;
    for (const ImagePiece& piece : pieces) {
        size += piece.Size();
    }
    return size;
}

ResourceWriteStatus PlanResourceWrite(std::string_view image, const ResourceTree& tree,
                                      ImagePlan& plan) {
    plan = ImagePlan{};
    PeLayout layout;
    plan.status = ReadPeLayout(image, layout);
    if (plan.status != PeStatus::kOk) {
        return ResourceWriteStatus::kBadImage;
    }
    const auto bad = [&](PeStatus status) {
        plan.status = status;
        return ResourceWriteStatus::kBadImage;
    };
    const PeHeaders& h = layout.headers;
    const uint32_t fa = layout.fileAlignment;
    const uint32_t sa = layout.sectionAlignment;
    constexpr uint32_t kMaxFileAlignment = 0x10000;
    if (!IsPowerOfTwo(fa) || !IsPowerOfTwo(sa) || fa > kMaxFileAlignment || fa > sa ||
        layout.directoryCount <= kResourceDirectory) {
        return bad(PeStatus::kNotPe);
    }
    std::vector<SectionHeader> sections = layout.sections;
    // Sections that overlap in memory, or reach past 4 GiB, are no image a loader maps: the
    // layout cannot be worked out again.
    std::vector<SectionHeader> byAddress = sections;
    std::sort(byAddress.begin(), byAddress.end(),
              [](const auto& a, const auto& b) { return a.virtualAddress < b.virtualAddress; });
    for (size_t i = 0; i < byAddress.size(); ++i) {
        const SectionHeader& s = byAddress[i];
        const uint64_t end = uint64_t{s.virtualAddress} + std::max(s.virtualSize, s.rawSize);
        const bool overlaps = i + 1 < byAddress.size() && end > byAddress[i + 1].virtualAddress;
        if (end > kFourGiB || overlaps) {
            return bad(PeStatus::kBadSectionTable);
        }
    }
    const DataDirectory resources = layout.Directory(kResourceDirectory);
    const bool fresh = resources.rva == 0;
    size_t k = sections.size();  // the resource section
    // The headers are loaded at address 0, the sections above them.
    uint64_t maxVirtualEnd = std::max<uint64_t>(h.sizeOfHeaders, 1);
    for (const SectionHeader& s : sections) {
        maxVirtualEnd = std::max<uint64_t>(
            maxVirtualEnd, uint64_t{s.virtualAddress} + std::max(s.virtualSize, s.rawSize));
    }
    const uint64_t tableEnd = layout.sectionTableOffset + kSectionHeaderSize * sections.size();
    uint64_t headEnd = std::max<uint64_t>(h.sizeOfHeaders, tableEnd);
    if (fresh) {
        if (tableEnd + kSectionHeaderSize > h.sizeOfHeaders ||
            image.substr(tableEnd, kSectionHeaderSize).find_first_not_of('\0') !=
                std::string_view::npos) {
            return ResourceWriteStatus::kNoRoomForSection;
        }
        for (const SectionHeader& s : sections) {
            if (s.rawSize > 0 && s.rawOffset < tableEnd + kSectionHeaderSize) {
                return ResourceWriteStatus::kNoRoomForSection;
            }
        }
        SectionHeader added;
        added.name = ".rsrc";
        added.virtualAddress = static_cast<uint32_t>(AlignUp(maxVirtualEnd, sa));
        added.characteristics = kScnInitializedData | kScnRead;
        added.headerOffset = tableEnd;
        if (AlignUp(maxVirtualEnd, sa) >= kFourGiB) {
            return ResourceWriteStatus::kTooLarge;
        }
        sections.push_back(added);
    } else {
        const int index = layout.SectionOfRva(resources.rva);
        if (index < 0) {
            return bad(PeStatus::kBadResources);
        }
        k = static_cast<size_t>(index);
        if (sections[k].virtualAddress != resources.rva) {
            return ResourceWriteStatus::kSharedSection;
        }
    }
    SectionHeader& rsrc = sections[k];
    const SectionHeader old = rsrc;

    std::vector<ImagePiece> sectionPieces;
    uint64_t newSize = 0;
    if (!SerializeSection(tree, rsrc.virtualAddress, sectionPieces, newSize)) {
        return ResourceWriteStatus::kTooLarge;
    }

    // The file: [cut0, cut1) of the old image gives way to the section's data at place.
    uint64_t cut0 = 0;
    uint64_t place = 0;
    if (!fresh && old.rawSize > 0) {
        cut0 = old.rawOffset;
        place = cut0;
    } else {
        cut0 = h.sectionDataEnd;
        place = AlignUp(cut0, fa);
    }
    const uint64_t cut1 = fresh || old.rawSize == 0 ? cut0 : cut0 + old.rawSize;
    if (cut0 < headEnd || cut1 > image.size()) {
        return bad(PeStatus::kBadSectionTable);
    }
    const uint64_t needed = AlignUp(newSize, fa);
    const uint64_t delta = place + needed > cut1 ? AlignUp(place + needed - cut1, fa) : 0;
    const uint64_t newRawSize = cut1 + delta - place;
    const auto shifted = [&](uint64_t offset) { return offset >= cut1 ? offset + delta : offset; };

    // Memory: the sections behind the resource section.
    std::vector<size_t> followers;
    for (size_t i = 0; i < sections.size(); ++i) {
        if (i != k && sections[i].virtualAddress > old.virtualAddress) {
            followers.push_back(i);
        }
    }
    std::sort(followers.begin(), followers.end(), [&](size_t a, size_t b) {
        return sections[a].virtualAddress < sections[b].virtualAddress;
    });
    uint64_t vaShift = 0;
    uint64_t newVirtualSize = newSize;
    if (!followers.empty()) {
        const uint64_t nextVa = sections[followers.front()].virtualAddress;
        // The section's memory holds its file data too (a loader maps the larger of both).
        const uint64_t extent = std::max(newSize, newRawSize);
        if (old.virtualAddress + extent <= nextVa) {
            newVirtualSize = std::max<uint64_t>(newSize, old.virtualSize);
        } else {
            for (const size_t i : followers) {
                if (!Movable(sections[i])) {
                    plan = ImagePlan{};
                    plan.movedSection = sections[i].name;
                    return ResourceWriteStatus::kWouldMove;
                }
            }
            vaShift = AlignUp(old.virtualAddress + extent, sa) - nextVa;
            const SectionHeader& last = sections[followers.back()];
            if (uint64_t{last.virtualAddress} + std::max(last.virtualSize, last.rawSize) +
                    vaShift >=
                kFourGiB) {
                return ResourceWriteStatus::kTooLarge;
            }
        }
    }
    const auto moved = [&](uint32_t rva) {
        if (vaShift == 0) {
            return false;
        }
        for (const size_t i : followers) {
            const SectionHeader& s = layout.sections[i];
            if (rva >= s.virtualAddress &&
                rva < uint64_t{s.virtualAddress} + std::max(s.virtualSize, s.rawSize)) {
                return true;
            }
        }
        return false;
    };

    uint64_t tailEnd = image.size();
    if (h.certEntryOffset != 0 && (h.certOffset != 0 || h.certSize != 0)) {
        plan.removedCertificate = true;
        const uint64_t certEnd = uint64_t{h.certOffset} + h.certSize;
        if (h.certOffset >= cut1 && OnlyZerosFrom(image, certEnd)) {
            tailEnd = h.certOffset;
        }
    }
    if (newRawSize >= kFourGiB || place + newRawSize + (tailEnd - cut1) >= kFourGiB * 4) {
        return ResourceWriteStatus::kTooLarge;
    }

    // The headers.
    if (fresh) {
        headEnd = std::max(headEnd, tableEnd + kSectionHeaderSize);
    }
    std::string head(image.substr(0, static_cast<size_t>(headEnd)));
    const uint64_t fileHeader = uint64_t{h.peOffset} + 4;
    if (fresh) {
        PutLe16(head, fileHeader + kNumberOfSectionsField, static_cast<uint16_t>(sections.size()));
    }
    if (h.symbolTableOffset != 0) {
        PutLe32(head, fileHeader + kPointerToSymbolTableField,
                static_cast<uint32_t>(shifted(h.symbolTableOffset)));
    }
    rsrc.virtualSize = static_cast<uint32_t>(newVirtualSize);
    rsrc.rawSize = static_cast<uint32_t>(newRawSize);
    rsrc.rawOffset = static_cast<uint32_t>(place);
    uint64_t imageEnd = 0;
    for (size_t i = 0; i < sections.size(); ++i) {
        SectionHeader& s = sections[i];
        if (i != k) {
            if (s.rawSize > 0) {
                s.rawOffset = static_cast<uint32_t>(shifted(s.rawOffset));
            }
            if (s.relocationsOffset != 0) {
                s.relocationsOffset = static_cast<uint32_t>(shifted(s.relocationsOffset));
            }
            if (s.lineNumbersOffset != 0) {
                s.lineNumbersOffset = static_cast<uint32_t>(shifted(s.lineNumbersOffset));
            }
            if (vaShift != 0 && s.virtualAddress > old.virtualAddress) {
                s.virtualAddress = static_cast<uint32_t>(s.virtualAddress + vaShift);
            }
        }
        imageEnd = std::max<uint64_t>(
            imageEnd, uint64_t{s.virtualAddress} + std::max(s.virtualSize, s.rawSize));
        const uint64_t at = s.headerOffset;
        std::string name = s.name;
        name.resize(8, '\0');
        head.replace(static_cast<size_t>(at), 8, name);
        PutLe32(head, at + 8, s.virtualSize);
        PutLe32(head, at + 12, s.virtualAddress);
        PutLe32(head, at + 16, s.rawSize);
        PutLe32(head, at + 20, s.rawOffset);
        PutLe32(head, at + 24, s.relocationsOffset);
        PutLe32(head, at + 28, s.lineNumbersOffset);
        PutLe32(head, at + 36, s.characteristics);
    }
    if (AlignUp(imageEnd, sa) >= kFourGiB) {
        return ResourceWriteStatus::kTooLarge;
    }
    const uint64_t optional = layout.optionalOffset;
    PutLe32(head, optional + kSizeOfImageField, static_cast<uint32_t>(AlignUp(imageEnd, sa)));
    if ((rsrc.characteristics & kScnInitializedData) != 0) {
        PutLe32(head, optional + kSizeOfInitializedDataField,
                static_cast<uint32_t>(layout.sizeOfInitializedData + newRawSize - old.rawSize));
    }
    for (uint32_t i = 0; i < layout.directoryCount; ++i) {
        const uint64_t at = layout.directoriesOffset + 8 * uint64_t{i};
        DataDirectory d = layout.directories[i];
        if (i == kResourceDirectory) {
            d = {rsrc.virtualAddress, static_cast<uint32_t>(newSize)};
        } else if (i == kCertificateDirectoryIndex) {
            d = plan.removedCertificate ? DataDirectory{} : d;
        } else if (d.rva != 0 && moved(d.rva)) {
            d.rva = static_cast<uint32_t>(d.rva + vaShift);
        }
        PutLe32(head, at, d.rva);
        PutLe32(head, at + 4, d.size);
    }
    if (h.checksum != 0) {
        PutLe32(head, h.checksumOffset, 0);
        plan.checksumOffset = h.checksumOffset;
    }

    // The debug directory's entries point at their data by address and by file offset.
    const DataDirectory debug = layout.Directory(kDebugDirectory);
    uint64_t debugAt = 0;
    uint64_t debugEnd = 0;
    if (debug.rva != 0 && layout.MapRva(debug.rva, debugAt, debugEnd)) {
        const uint64_t count = std::min<uint64_t>(debug.size, debugEnd - debugAt) / kDebugEntrySize;
        for (uint64_t i = 0; i < count; ++i) {
            const uint64_t entry = debugAt + i * kDebugEntrySize;
            // Entries in the headers or in the old resource data are not the image's own
            // (the headers are written anew, the resource data replaced).
            if (entry + kDebugEntrySize > image.size() || entry < headEnd ||
                (entry + kDebugEntrySize > cut0 && entry < cut1)) {
                continue;
            }
            const uint32_t address = Le32(image, entry + 20);
            const uint32_t pointer = Le32(image, entry + 24);
            const uint64_t out = shifted(entry);
            if (address != 0 && moved(address)) {
                plan.words.push_back({out + 20, static_cast<uint32_t>(address + vaShift)});
            }
            if (pointer != 0 && shifted(pointer) != pointer) {
                plan.words.push_back({out + 24, static_cast<uint32_t>(shifted(pointer))});
            }
        }
    }
    std::sort(plan.words.begin(), plan.words.end());

    Pieces pieces(plan.pieces);
    pieces.Literal(head);
    pieces.FromImage(headEnd, cut0 - std::min(cut0, headEnd));
    pieces.Zeros(place - cut0);
    for (ImagePiece& piece : sectionPieces) {
        if (piece.from == ImagePiece::kLiteral) {
            pieces.Literal(piece.bytes);
        } else if (piece.from == ImagePiece::kZeros) {
            pieces.Zeros(piece.size);
        } else {
            pieces.FromImage(piece.from, piece.size);
        }
    }
    pieces.Zeros(newRawSize - newSize);
    if (tailEnd > cut1) {
        pieces.FromImage(cut1, tailEnd - cut1);
    }
    return ResourceWriteStatus::kOk;
}

void PeChecksumSum::Add(std::string_view bytes) {
    size_t pos = 0;
    if ((length_ & 1) != 0 && !bytes.empty()) {
        sum_ += uint64_t{static_cast<uint8_t>(bytes[0])} << 8;
        pos = 1;
    }
    // 32-bit words: 2^16 is 1 in one's-complement arithmetic, so their sum folds to the
    // same value as the sum of the 16-bit words.
    const size_t words = (bytes.size() - pos) / 4;
    if (HostIsLittleEndian()) {
        // Eight bytes at a time: their two 32-bit halves, each as a little-endian word.
        uint64_t sum = 0;
        size_t i = 0;
        for (; i + 2 <= words; i += 2, pos += 8) {
            uint64_t eight = 0;
            std::memcpy(&eight, bytes.data() + pos, 8);
            sum += (eight & 0xFFFFFFFFu) + (eight >> 32);
        }
        sum_ += sum;
        if (i < words) {
            sum_ += Le32(bytes, pos);
            pos += 4;
        }
    } else {
        for (size_t i = 0; i < words; ++i, pos += 4) {
            sum_ += Le32(bytes, pos);
        }
    }
    if (bytes.size() - pos >= 2) {
        sum_ += Le16(bytes, pos);
        pos += 2;
    }
    if (pos < bytes.size()) {
        sum_ += static_cast<uint8_t>(bytes[pos]);
    }
    length_ += bytes.size();
}

uint32_t PeChecksumSum::Finish() const {
    uint64_t sum = sum_;
    while (sum > 0xFFFF) {
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    return static_cast<uint32_t>(sum + length_);
}

bool WriteImage(std::string_view image, const ImagePlan& plan, ImageSink& sink) {
    constexpr uint64_t kChunk = uint64_t{1} << 20;
    static const std::string kZeroChunk(kChunk, '\0');
    PeChecksumSum checksum;
    uint64_t at = 0;
    auto word = plan.words.begin();
    std::string patched;
    for (const ImagePiece& piece : plan.pieces) {
        const bool zeros = piece.from == ImagePiece::kZeros;
        const std::string_view bytes = piece.from == ImagePiece::kLiteral
                                           ? std::string_view(piece.bytes)
                                       : zeros ? std::string_view(kZeroChunk)
                                               : image.substr(piece.from, piece.size);
        const uint64_t size = piece.Size();
        for (uint64_t done = 0; done < size; done += kChunk) {
            std::string_view chunk =
                zeros ? bytes.substr(0, std::min(kChunk, size - done)) : bytes.substr(done, kChunk);
            const uint64_t chunkEnd = at + chunk.size();
            while (word != plan.words.end() && word->first + 4 <= at) {
                ++word;
            }
            if (word != plan.words.end() && word->first < chunkEnd) {
                patched.assign(chunk);
                for (auto w = word; w != plan.words.end() && w->first < chunkEnd; ++w) {
                    for (uint64_t b = 0; b < 4; ++b) {
                        const uint64_t pos = w->first + b;
                        if (pos >= at && pos < chunkEnd) {
                            patched[pos - at] = static_cast<char>((w->second >> (8 * b)) & 0xFF);
                        }
                    }
                }
                chunk = patched;
            }
            checksum.Add(chunk);
            if (!sink.Append(chunk)) {
                return false;
            }
            at = chunkEnd;
        }
    }
    if (plan.checksumOffset == 0) {
        return true;
    }
    std::string value;
    AppendLe32(value, checksum.Finish());
    return sink.WriteAt(plan.checksumOffset, value);
}

namespace {

class StringSink : public ImageSink {
public:
    explicit StringSink(std::string& out) : out_(out) {}
    bool Append(std::string_view bytes) override {
        out_.append(bytes);
        return true;
    }
    bool WriteAt(uint64_t offset, std::string_view bytes) override {
        if (offset + bytes.size() > out_.size()) {
            return false;
        }
        out_.replace(static_cast<size_t>(offset), bytes.size(), bytes);
        return true;
    }

private:
    std::string& out_;
};

}  // namespace

std::string BuildImage(std::string_view image, const ImagePlan& plan) {
    std::string out;
    out.reserve(static_cast<size_t>(plan.Size()));
    StringSink sink(out);
    WriteImage(image, plan, sink);
    return out;
}

ResourceWriteStatus ApplyResourceChanges(std::string_view image,
                                         const std::vector<ResourceChange>& changes,
                                         std::string& updated, ImagePlan* planOut) {
    ImagePlan plan;
    ResourceTree tree;
    plan.status = ReadResourceTree(image, tree);
    if (plan.status != PeStatus::kOk) {
        if (planOut != nullptr) {
            *planOut = plan;
        }
        return ResourceWriteStatus::kBadImage;
    }
    for (const ResourceChange& c : changes) {
        if (c.remove) {
            tree.Remove(c.type, c.name, c.language);
        } else {
            tree.Set(c.type, c.name, c.language, c.data);
        }
    }
    const ResourceWriteStatus status = PlanResourceWrite(image, tree, plan);
    if (status == ResourceWriteStatus::kOk) {
        updated = BuildImage(image, plan);
    }
    if (planOut != nullptr) {
        *planOut = std::move(plan);
    }
    return status;
}

}  // namespace rebrand
