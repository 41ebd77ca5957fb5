// Small PE images built in code, for tests of the executable helpers.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

constexpr uint32_t kBuiltPeOffset = 0x80;  // e_lfanew of every built image
constexpr uint32_t kBuiltFileAlignment = 0x200;

struct PeLayout {
    bool pe32Plus = true;
    // Raw data size of each section; the data is a byte pattern that differs per section.
    std::vector<uint32_t> sectionSizes = {0x200};
    std::string overlay;      // appended after the last section
    std::string certificate;  // appended after the overlay at an 8-byte aligned offset,
                              // with data directory 4 pointing at it; none when empty
    uint32_t checksum = 0;    // stored as is in the optional header
    // Per section (missing entries: ".s<i>", initialized readable data).
    std::vector<std::string> sectionNames;
    std::vector<uint32_t> sectionFlags;
    // The section that holds the resources: its data starts with an empty resource
    // directory, and data directory 2 points at it. -1: no resources.
    int resourceSection = -1;
    // Data directories (index, section) that cover a whole section, e.g. {5, 2}: the base
    // relocations are section 2.
    std::vector<std::pair<uint32_t, uint32_t>> directories;
};

// A PE image with a DOS header, the PE headers (16 data directories), one section header
// per section (named .s0, .s1, ...; raw data aligned to kBuiltFileAlignment, virtual
// addresses one 0x1000 page apart per 0x1000 bytes), the sections' data, the overlay and
// the certificate table.
std::string BuildPeImage(const PeLayout& layout);

// Little-endian field access for tests that damage or inspect built images.
uint32_t GetLe32(const std::string& bytes, size_t pos);
void SetLe16(std::string& bytes, size_t pos, uint16_t value);
void SetLe32(std::string& bytes, size_t pos, uint32_t value);

}  // namespace testsupport
