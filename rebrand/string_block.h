// String-table blocks (RT_STRING) of the target executable, built as bytes.
//
// A block n holds the strings with ids 16 * (n - 1) to 16 * (n - 1) + 15. Its resource data
// is the sixteen entries in id order, each a 16-bit little-endian count of UTF-16 code units
// followed by that many code units, without terminators; an empty entry is a count of 0.
//
// The tool rewrites two blocks, always in language 2052, starting from the executable's own
// block in that language when it has one, else from a built-in image:
//   block 7 (ids 96..111): entry 102 (new-document name), 110 (product name) and 111
//     (document template) set from what the user typed, or to the edition's built-in texts
//     when that is empty; the built-in image is the edition's;
//   block 3585 (ids 57344..57359): the caption text as entry 0; the built-in image is empty.
// Every other entry of the executable's own block keeps its text ("就绪" at 57345).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "install/install_layout.h"

namespace rebrand {

constexpr uint16_t kDocStringBlock = 7;       // ids 96..111
constexpr uint16_t kTitleStringBlock = 3585;  // ids 57344..57359
constexpr uint16_t kStringBlockLanguage = 2052;
constexpr size_t kMaxStringUnits = 65535;  // a count is 16 bits wide

// Index of an entry inside its block.
constexpr size_t kNewDocEntry = 6;     // id 102
constexpr size_t kProductEntry = 14;   // id 110
constexpr size_t kTemplateEntry = 15;  // id 111

using install::Edition;

using StringBlock = std::array<std::u16string, 16>;

// The resource data of a block: little-endian bytes, 2 * (16 + all code units) long.
// Empty when an entry is longer than kMaxStringUnits: such a block cannot be written.
std::optional<std::string> SerializeStringBlock(const StringBlock& entries);

// The sixteen entries of resource data in the layout above. Empty when the data ends
// inside an entry. Bytes after the sixteenth entry are ignored (resource data may be padded).
std::optional<StringBlock> ParseStringBlock(std::string_view data);

// The built-in image of block 7 for an edition. A value outside the three editions is
// treated as the simple edition.
StringBlock DefaultDocStringBlock(Edition edition);

// The document-template string (entry 111) for a caption C:
//   "\n" C "\n" C "\n" C " Files (*.ext)\n.ext\n" C ".Document\n" C ".Document"
// with ext "vlqx" for the simple and standard editions and "wmd" for 6.2.
std::u16string DocTemplateFromCaption(const std::u16string& caption, Edition edition);

enum class BlockStatus {
    kWrite,           // bytes holds the block to write
    kNothingToWrite,  // no text was given; the executable is to be left alone
    kTooLong,         // an entry would exceed kMaxStringUnits; nothing may be written
};

struct BlockData {
    BlockStatus status = BlockStatus::kNothingToWrite;
    std::string bytes;  // the serialized block when status is kWrite, else empty
};

// Block 7 for the texts the user typed (already trimmed by the caller):
//   caption non-empty: entry 110 = caption, entry 111 = template rebuilt from it;
//   new-document name non-empty: entry 102 = that name;
//   an empty text keeps the edition's built-in default; both empty: kNothingToWrite.
BlockData BuildDocStringBlock(const std::u16string& caption, const std::u16string& newDocName,
                              Edition edition, const StringBlock* existing = nullptr);

// Block 3585: the caption as entry 0. An empty caption gives kNothingToWrite.
BlockData BuildTitleStringBlock(const std::u16string& caption,
                                const StringBlock* existing = nullptr);

}  // namespace rebrand
