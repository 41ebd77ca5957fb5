// The executable helpers on arbitrary bytes: header parsing, the resource tree check and the
// checksum.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "rebrand/pe_image.h"
#include "rebrand/resource_tree.h"

namespace {

using rebrand::PeHeaders;
using rebrand::PeStatus;

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
    rebrand::ResourceTree tree;
    fuzz::Require(
        rebrand::ReadResourceTree(original, tree) != PeStatus::kOk || resources == PeStatus::kOk,
        "a tree that reads passes the check");
    return 0;
}
