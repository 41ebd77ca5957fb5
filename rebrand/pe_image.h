// Headers of a PE32 / PE32+ executable, read from its bytes, and the two steps around a
// resource update that keep the updated executable valid whatever the updater does with
// the data behind the sections.
//
// The resource updaters differ: Windows cuts off data appended after the last section
// (the "overlay", e.g. an installer's payload or a certificate table), Wine keeps it or
// moves it; neither removes a digital signature that the update has made invalid, and
// neither recomputes the checksum. So an update is done on a copy:
//
//   PreparedCopy prepared;
//   PrepareCopy(original, prepared)        -> write prepared.bytes to the copy
//   Begin/Update/EndUpdateResourceW(copy)  -> read the copy back as updated
//   FinishCopy(updated, prepared)          -> updated is the new executable
//
// and the original is replaced only when every step succeeded.
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

struct PreparedCopy {
    // The executable to hand to the resource update: the original ending at sectionDataEnd,
    // with the certificate directory entry cleared.
    std::string bytes;
    // The data that followed the sections, without a certificate table that ended the file.
    std::string overlay;
    // Where the COFF symbol table starts inside overlay; kNoSymbolTable when it is not there.
    // Such a table is detached from bytes (pointer and count cleared, so that the copy is
    // consistent without its overlay) and attached again by FinishCopy.
    static constexpr uint64_t kNoSymbolTable = ~uint64_t{0};
    uint64_t symbolTableInOverlay = kNoSymbolTable;
    uint32_t symbolCount = 0;         // the file header's NumberOfSymbols then
    bool removedCertificate = false;  // the original had a certificate directory entry
    bool recomputeChecksum = false;   // the original had a non-zero checksum
};

// Changes to the bytes of a file: the first `keep` bytes stay, `append` follows them and
// ends the file, then each (offset, value) writes a 32-bit little-endian value.
struct ByteEdits {
    uint64_t keep = 0;
    std::string append;
    std::vector<std::pair<uint64_t, uint32_t>> words;
};

void ApplyEdits(std::string& bytes, const ByteEdits& edits);

// What PrepareCopy does, as edits of the original's bytes (so that a large executable can
// be copied by the file system and edited in place). prepared.bytes stays empty.
PeStatus PlanPrepare(std::string_view original, PreparedCopy& prepared, ByteEdits& edits);

// What FinishCopy does, as edits of the updated bytes; checksumOffset receives the offset
// of the checksum to compute once the edits are made (0 when none is to be computed).
PeStatus PlanFinish(std::string_view updated, const PreparedCopy& prepared, ByteEdits& edits,
                    uint32_t& checksumOffset);

// Builds the copy to update from the original executable. A certificate table is dropped:
// its directory entry is cleared, and its bytes are cut off when they end the file
// (followed by at most 7 bytes of zero padding); otherwise they stay inside the overlay
// as inert data. An executable whose resource tree does not pass CheckResourceDirectory is
// refused. On any status but kOk, prepared is left unchanged.
PeStatus PrepareCopy(std::string_view original, PreparedCopy& prepared);

// Turns what the resource update wrote into the final executable: puts the overlay back
// right behind the sections unless the update already kept it there (it is never added
// twice), points PointerToSymbolTable at the symbol table inside it again, and recomputes
// the checksum when the original had one. On any status but kOk,
// updated is left unchanged.
PeStatus FinishCopy(std::string& updated, const PreparedCopy& prepared);

}  // namespace rebrand
