// String-table blocks: the two blocks built from typed texts, and block data parsed from
// and serialized to bytes.
//
// Input: byte 0 the edition (0 to 2; 3 stands for a value outside the three), byte 1 whether
// the caption is stretched (F0..FF: to 13090..13105 code units, where the document template
// of block 7 passes 65535; E0..EF: to 65528..65543, where the caption itself does; rare, as
// such long texts make a run slow), bytes 2 and 3 the lengths of the caption and the
// new-document name in code units, then the code units (UTF-16LE) of both. Everything after
// byte 3 is also parsed as block data.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "rebrand/string_block.h"

namespace {

using rebrand::BlockData;
using rebrand::BlockStatus;
using rebrand::kMaxStringUnits;
using rebrand::StringBlock;

std::u16string Stretched(const std::u16string& text, size_t length) {
    const std::u16string unit = text.empty() ? u"x" : text;
    std::u16string out;
    while (out.size() < length) {
        out += unit;
    }
    out.resize(length);
    return out;
}

bool AnyTooLong(const StringBlock& block) {
    for (const std::u16string& entry : block) {
        if (entry.size() > kMaxStringUnits) {
            return true;
        }
    }
    return false;
}

// A written block must parse back into exactly the entries it was built from.
void CheckBuilt(const BlockData& built, const StringBlock& wanted) {
    if (AnyTooLong(wanted)) {
        fuzz::Require(built.status == BlockStatus::kTooLong && built.bytes.empty(),
                      "an entry over 65535 code units is refused");
        return;
    }
    fuzz::Require(built.status == BlockStatus::kWrite, "a block within limits is written");
    const std::optional<StringBlock> parsed = rebrand::ParseStringBlock(built.bytes);
    fuzz::Require(parsed.has_value() && *parsed == wanted, "a built block parses back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) {
        return 0;
    }
    const auto edition = static_cast<rebrand::Edition>(data[0] % 4);
    const std::string_view rest(reinterpret_cast<const char*>(data) + 4, size - 4);
    std::u16string units;
    for (size_t i = 0; i + 1 < rest.size(); i += 2) {
        units.push_back(static_cast<char16_t>(static_cast<uint8_t>(rest[i]) |
                                              (static_cast<uint8_t>(rest[i + 1]) << 8)));
    }
    std::u16string caption = units.substr(0, data[2]);
    const std::u16string newDocName = units.substr(caption.size(), data[3]);
    if (data[1] >= 0xF0) {
        caption = Stretched(caption, 13090 + (data[1] - 0xF0));
    } else if (data[1] >= 0xE0) {
        caption = Stretched(caption, 65528 + (data[1] - 0xE0));
    }

    const BlockData doc = rebrand::BuildDocStringBlock(caption, newDocName, edition);
    if (caption.empty() && newDocName.empty()) {
        fuzz::Require(doc.status == BlockStatus::kNothingToWrite && doc.bytes.empty(),
                      "no text, no block 7");
    } else if (caption.size() > kMaxStringUnits) {
        fuzz::Require(doc.status == BlockStatus::kTooLong && doc.bytes.empty(),
                      "an overlong caption is refused");
    } else {
        StringBlock wanted = rebrand::DefaultDocStringBlock(edition);
        if (!newDocName.empty()) {
            wanted[rebrand::kNewDocEntry] = newDocName;
        }
        if (!caption.empty()) {
            wanted[rebrand::kProductEntry] = caption;
            wanted[rebrand::kTemplateEntry] = rebrand::DocTemplateFromCaption(caption, edition);
        }
        CheckBuilt(doc, wanted);
    }

    const BlockData title = rebrand::BuildTitleStringBlock(caption);
    if (caption.empty()) {
        fuzz::Require(title.status == BlockStatus::kNothingToWrite && title.bytes.empty(),
                      "no caption, no block 3585");
    } else {
        StringBlock wanted;
        wanted[0] = caption;
        CheckBuilt(title, wanted);
    }

    // Arbitrary block data: what parses serializes back to the bytes it came from (the
    // bytes after the sixteenth entry are padding and not part of it).
    const std::optional<StringBlock> parsed = rebrand::ParseStringBlock(rest);
    if (parsed) {
        const std::optional<std::string> again = rebrand::SerializeStringBlock(*parsed);
        fuzz::Require(again.has_value() && again->size() <= rest.size() &&
                          rest.substr(0, again->size()) == *again,
                      "parsed block data serializes back");
    }
    if (rest.size() < 32) {
        fuzz::Require(!parsed, "data shorter than sixteen counts is refused");
    }
    return 0;
}
