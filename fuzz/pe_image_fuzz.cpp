// The executable helpers on arbitrary bytes: header parsing, the resource tree check, the
// checksum, and the copy prepared for a resource update and finished after it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "rebrand/pe_image.h"

namespace {

using rebrand::PeHeaders;
using rebrand::PeStatus;
using rebrand::PreparedCopy;

uint32_t Le32(std::string_view bytes, size_t pos) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
        value |= uint32_t{static_cast<uint8_t>(bytes[pos + i])} << (8 * i);
    }
    return value;
}

void CheckHeaders(std::string_view bytes, const PeHeaders& h) {
    fuzz::Require(uint64_t{h.peOffset} + 24 <= bytes.size(), "file header inside the file");
    fuzz::Require(h.sectionDataEnd <= bytes.size(), "section data inside the file");
    fuzz::Require(h.sizeOfHeaders <= h.sectionDataEnd, "sections end behind the headers");
    fuzz::Require(uint64_t{h.checksumOffset} + 4 <= h.sectionDataEnd, "checksum in the headers");
    fuzz::Require(h.certEntryOffset == 0 || uint64_t{h.certEntryOffset} + 8 <= h.sectionDataEnd,
                  "certificate entry in the headers");
    fuzz::Require(Le32(bytes, h.checksumOffset) == h.checksum, "checksum read from its field");
}

// A finished copy: a valid executable that ends with the overlay right behind its
// sections, with the symbol table pointer restored and the checksum recomputed.
void CheckFinished(const std::string& finished, const PreparedCopy& prepared) {
    PeHeaders h;
    fuzz::Require(rebrand::ParsePeHeaders(finished, h) == PeStatus::kOk,
                  "a finished copy is an executable");
    fuzz::Require(finished.size() == h.sectionDataEnd + prepared.overlay.size() &&
                      std::string_view(finished).substr(h.sectionDataEnd) == prepared.overlay,
                  "the overlay follows the sections once");
    if (prepared.symbolTableInOverlay != PreparedCopy::kNoSymbolTable) {
        fuzz::Require(h.symbolTableOffset == h.sectionDataEnd + prepared.symbolTableInOverlay,
                      "the symbol table pointer points into the overlay again");
    }
    if (prepared.recomputeChecksum) {
        fuzz::Require(h.checksum == rebrand::ComputePeChecksum(finished, h.checksumOffset),
                      "the checksum is recomputed");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view original(reinterpret_cast<const char*>(data), size);
    PeHeaders headers;
    headers.peOffset = 0xFFFF;
    const PeStatus parsed = rebrand::ParsePeHeaders(original, headers);
    if (parsed != PeStatus::kOk) {
        fuzz::Require(headers.peOffset == 0xFFFF, "failed parsing leaves the headers alone");
    } else {
        CheckHeaders(original, headers);
    }
    rebrand::ComputePeChecksum(original, size > 8 ? data[0] % size : 0);

    const PeStatus resources = rebrand::CheckResourceDirectory(original);
    fuzz::Require(parsed == PeStatus::kOk
                      ? resources == PeStatus::kOk || resources == PeStatus::kBadResources
                      : resources == parsed,
                  "the resource check parses the headers first");

    PreparedCopy prepared;
    const PeStatus status = rebrand::PrepareCopy(original, prepared);
    fuzz::Require(status == resources, "the copy is prepared from every sound executable");
    if (status != PeStatus::kOk) {
        return 0;
    }
    fuzz::Require(prepared.bytes.size() == headers.sectionDataEnd,
                  "the copy ends with the sections");
    fuzz::Require(std::string_view(prepared.bytes).substr(0, 2) == "MZ", "the copy keeps MZ");
    PeHeaders copyHeaders;
    fuzz::Require(rebrand::ParsePeHeaders(prepared.bytes, copyHeaders) != PeStatus::kOk ||
                      rebrand::CheckResourceDirectory(prepared.bytes) == PeStatus::kOk,
                  "the copy keeps a sound resource tree");

    // The same plan applied to a whole copy of the file, as for large executables.
    PreparedCopy planned;
    rebrand::ByteEdits edits;
    fuzz::Require(rebrand::PlanPrepare(original, planned, edits) == PeStatus::kOk,
                  "the plan agrees with the copy");
    std::string edited(original);
    rebrand::ApplyEdits(edited, edits);
    fuzz::Require(edited == prepared.bytes && planned.overlay == prepared.overlay,
                  "edits in place give the prepared copy");

    // An update that changes nothing and drops the overlay (as Windows does), and one that
    // keeps it (as Wine may).
    std::string dropped = prepared.bytes;
    if (rebrand::FinishCopy(dropped, prepared) == PeStatus::kOk) {
        CheckFinished(dropped, prepared);
    }
    std::string kept = prepared.bytes + prepared.overlay;
    if (rebrand::FinishCopy(kept, prepared) == PeStatus::kOk) {
        CheckFinished(kept, prepared);
    }
    // An unrelated "updated" file: the input itself.
    std::string other(original);
    rebrand::FinishCopy(other, prepared);
    return 0;
}
