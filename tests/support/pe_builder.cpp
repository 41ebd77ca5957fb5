#include "tests/support/pe_builder.h"

namespace testsupport {

namespace {

uint32_t AlignUp(uint32_t value, uint32_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

}  // namespace

uint32_t GetLe32(const std::string& bytes, size_t pos) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<uint8_t>(bytes.at(pos + i));
    }
    return value;
}

void SetLe16(std::string& bytes, size_t pos, uint16_t value) {
    bytes.at(pos) = static_cast<char>(value & 0xFF);
    bytes.at(pos + 1) = static_cast<char>(value >> 8);
}

void SetLe32(std::string& bytes, size_t pos, uint32_t value) {
    SetLe16(bytes, pos, static_cast<uint16_t>(value & 0xFFFF));
    SetLe16(bytes, pos + 2, static_cast<uint16_t>(value >> 16));
}

std::string BuildPeImage(const PeLayout& layout) {
    const uint32_t optionalSize = layout.pe32Plus ? 240 : 224;
    const uint32_t optional = kBuiltPeOffset + 24;
    const uint32_t sectionTable = optional + optionalSize;
    const auto sectionCount = static_cast<uint32_t>(layout.sectionSizes.size());
    const uint32_t headersSize = AlignUp(sectionTable + 40 * sectionCount, kBuiltFileAlignment);

    std::string out(headersSize, '\0');
    out[0] = 'M';
    out[1] = 'Z';
    SetLe32(out, 0x3C, kBuiltPeOffset);
    out.replace(kBuiltPeOffset, 4, std::string("PE\0\0", 4));
    SetLe16(out, kBuiltPeOffset + 4, layout.pe32Plus ? 0x8664 : 0x14C);
    SetLe16(out, kBuiltPeOffset + 6, static_cast<uint16_t>(sectionCount));
    SetLe16(out, kBuiltPeOffset + 20, static_cast<uint16_t>(optionalSize));
    SetLe16(out, kBuiltPeOffset + 22, layout.pe32Plus ? 0x22 : 0x102);

    SetLe16(out, optional, layout.pe32Plus ? 0x20B : 0x10B);
    if (layout.pe32Plus) {
        SetLe32(out, optional + 24, 0x40000000);  // ImageBase, low half
        SetLe32(out, optional + 28, 0x1);         // ImageBase, high half
    } else {
        SetLe32(out, optional + 28, 0x400000);
    }
    SetLe32(out, optional + 32, 0x1000);  // SectionAlignment
    SetLe32(out, optional + 36, kBuiltFileAlignment);
    SetLe16(out, optional + 40, 6);  // operating system version
    SetLe16(out, optional + 48, 6);  // subsystem version
    SetLe32(out, optional + 60, headersSize);
    SetLe32(out, optional + 64, layout.checksum);
    SetLe16(out, optional + 68, 2);  // GUI subsystem
    const uint32_t directories = optional + (layout.pe32Plus ? 112 : 96);
    SetLe32(out, directories - 4, 16);

    uint32_t rva = 0x1000;
    for (uint32_t i = 0; i < sectionCount; ++i) {
        const uint32_t size = layout.sectionSizes[i];
        const uint32_t header = sectionTable + 40 * i;
        const std::string name =
            i < layout.sectionNames.size() ? layout.sectionNames[i] : ".s" + std::to_string(i);
        out.replace(header, name.size(), name);
        SetLe32(out, header + 8, size);  // VirtualSize
        SetLe32(out, header + 12, rva);
        SetLe32(out, header + 16, AlignUp(size, kBuiltFileAlignment));
        SetLe32(out, header + 20, static_cast<uint32_t>(out.size()));
        // initialized data, readable
        SetLe32(out, header + 36,
                i < layout.sectionFlags.size() ? layout.sectionFlags[i] : 0x40000040);
        std::string data(AlignUp(size, kBuiltFileAlignment), '\0');
        for (uint32_t j = 0; j < size; ++j) {
            data[j] = static_cast<char>((j * 7 + i * 31 + 1) & 0xFF);
        }
        if (static_cast<int>(i) == layout.resourceSection) {
            data.replace(0, 16, std::string(16, '\0'));
            SetLe32(out, directories + 8 * 2, rva);
            SetLe32(out, directories + 8 * 2 + 4, 16);
        }
        for (const auto& [index, section] : layout.directories) {
            if (section == i) {
                SetLe32(out, directories + 8 * index, rva);
                SetLe32(out, directories + 8 * index + 4, size);
            }
        }
        out += data;
        rva += AlignUp(size == 0 ? 1 : size, 0x1000);
    }
    SetLe32(out, optional + 56, rva);  // SizeOfImage

    out += layout.overlay;
    if (!layout.certificate.empty()) {
        out.resize(AlignUp(static_cast<uint32_t>(out.size()), 8), '\0');
        SetLe32(out, directories + 8 * 4, static_cast<uint32_t>(out.size()));
        SetLe32(out, directories + 8 * 4 + 4, static_cast<uint32_t>(layout.certificate.size()));
        out += layout.certificate;
        out.resize(AlignUp(static_cast<uint32_t>(out.size()), 8), '\0');
    }
    return out;
}

}  // namespace testsupport
