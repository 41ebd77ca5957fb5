// Headers of a PE32 / PE32+ executable, read from its bytes: the checks every reader of an
// executable starts with, the checksum, and where the sections are loaded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace rebrand {

enum class PeStatus {
    kOk,
    kNotPe,            // no MZ header or PE signature, unknown optional-header magic, or an
                       // optional header too short for its kind
    kTruncated,        // the file ends inside the headers (e_lfanew included)
    kBadSectionTable,  // the section table or a section's raw data lies outside the file
    kBadResources,     // the resource tree reaches outside its section, nests too deep, or
                       // has data outside the file
};

struct PeHeaders {
    bool pe32Plus = false;
    uint32_t peOffset = 0;  // e_lfanew: file offset of the PE signature
    uint16_t sectionCount = 0;
    // COFF symbol table (file header's PointerToSymbolTable; 0 when none). Images linked
    // by GNU ld keep it, with the long section names' string table, behind the sections.
    uint32_t symbolTableOffset = 0;
    uint32_t sizeOfHeaders = 0;
    // Where the data behind the sections (the overlay) starts: the end of the section
    // with the highest raw data, at least the end of the headers and the section table.
    uint64_t sectionDataEnd = 0;
    uint32_t checksumOffset = 0;  // file offset of the optional header's CheckSum field
    uint32_t checksum = 0;
    // File offset of data directory 4 (certificate table); 0 when the optional header has
    // no such entry. The table's own position is a file offset, not an RVA.
    uint32_t certEntryOffset = 0;
    uint32_t certOffset = 0;
    uint32_t certSize = 0;
};

// Validates the headers and section table of bytes and fills headers. On any status
// but kOk, headers is left unchanged.
PeStatus ParsePeHeaders(std::string_view bytes, PeHeaders& headers);

// Walks the resource tree: every directory, name string and data entry within the
// resource section's file data, three levels (type, name, language), every data block
// within a section's file data. kOk also for an executable without resources.
PeStatus CheckResourceDirectory(std::string_view bytes);

// The PE checksum: the one's-complement sum of the file as little-endian 16-bit words
// (an odd last byte padded with 0), with the four bytes at checksumOffset counted as 0,
// folded to 16 bits, plus the file length.
uint32_t ComputePeChecksum(std::string_view bytes, size_t checksumOffset);

// Where a section is loaded: its name as stored (up to 8 bytes, without padding zeros), its
// address and its characteristics.
struct SectionPlace {
    std::string name;
    uint32_t virtualAddress = 0;
    uint32_t characteristics = 0;
};

// The sections of an image in table order; empty when its headers do not parse.
std::vector<SectionPlace> SectionPlaces(std::string_view bytes);

// The name of the first section of before that after does not load at the same address (or
// not at all): code and data are referred to by address, so only ".reloc" and discardable
// debug data (".debug*" marked discardable) may move. Sections are matched by name and, for
// repeated names, by their order. Empty when every section kept its address.
std::string MovedSection(const std::vector<SectionPlace>& before,
                         const std::vector<SectionPlace>& after);

}  // namespace rebrand
