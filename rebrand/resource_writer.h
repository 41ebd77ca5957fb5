// Writes a resource tree into a PE image: a new resource section, the image laid out again
// around it, and the headers that describe both.
//
//   ResourceTree tree;
//   ReadResourceTree(image, tree);          // every resource of the image
//   tree.Set(...); tree.Remove(...);        // the changes
//   ImagePlan plan;
//   PlanResourceWrite(image, tree, plan);   // where every byte of the new image comes from
//   WriteImage(image, plan, sink);          // the new image, streamed (or BuildImage)
//
// The section is laid out as: the directories (the root, then every type's, then every
// name's), the data entries, the name strings, then the data, each resource's data at an
// 8-byte boundary. Each directory lists named entries first in ResourceName's order, then
// ids ascending, with the header fields it was read with. Every resource keeps its bytes
// and code page; only what the tree changed differs.
//
// The section replaces the old resource section at its address:
//   - in place when it fits below the next section's address (or the section is the last);
//   - grown when only ".reloc" and discardable sections follow in memory: those move up by
//     whole section-alignment units, with every data directory entry and debug directory
//     entry that points into them;
//   - otherwise refused (kWouldMove, naming the first section that would have to move).
// An image without resources gets a new section ".rsrc" behind the others, when its headers
// have room for one more section header. In the file, the section's data grows (in whole
// file-alignment units) only when it has to; every byte behind it moves up with it: the
// other sections' data, the COFF symbol table, debug data and any other data behind the
// sections. A certificate table is dropped, as the change makes its signature invalid: its
// directory entry is cleared, and its bytes go when they end the file (followed by at most
// 7 zero bytes). SizeOfImage, SizeOfInitializedData, the resource directory entry and the
// section's sizes are set; the checksum is computed again when the image had one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "rebrand/resource_tree.h"

namespace rebrand {

enum class ResourceWriteStatus {
    kOk,
    kBadImage,          // the image's headers or resource tree do not parse (see status)
    kWouldMove,         // a section that code or data refer to by address would move
    kNoRoomForSection,  // no resources yet, and no room for another section header
    kSharedSection,     // the resource directory does not start its section
    kTooLarge,          // the section or the image would exceed 4 GiB
};

// One piece of the new image: bytes of the old image (from, size), literal bytes, or size
// zero bytes.
struct ImagePiece {
    static constexpr uint64_t kLiteral = ~uint64_t{0};
    static constexpr uint64_t kZeros = ~uint64_t{0} - 1;
    uint64_t from = kLiteral;
    uint64_t size = 0;  // for pieces of the old image and zeros
    std::string bytes;  // for literal pieces
    uint64_t Size() const { return from == kLiteral ? bytes.size() : size; }
};

struct ImagePlan {
    std::vector<ImagePiece> pieces;  // the new image, in order
    // 32-bit values written over the pieces, at offsets of the new image, ascending.
    std::vector<std::pair<uint64_t, uint32_t>> words;
    uint64_t checksumOffset = 0;  // where the computed checksum goes; 0: none is computed
    bool removedCertificate = false;
    std::string movedSection;         // with kWouldMove
    PeStatus status = PeStatus::kOk;  // with kBadImage
    uint64_t Size() const;
};

// Plans the new image for tree (read from image, or built). On any status but kOk, plan
// holds only movedSection / status.
ResourceWriteStatus PlanResourceWrite(std::string_view image, const ResourceTree& tree,
                                      ImagePlan& plan);

// Where the new image goes: appended in order, then the checksum written at its offset.
class ImageSink {
public:
    virtual ~ImageSink() = default;
    virtual bool Append(std::string_view bytes) = 0;
    virtual bool WriteAt(uint64_t offset, std::string_view bytes) = 0;
};

// Streams the planned image into sink, computing the checksum on the way. False when
// the sink fails.
bool WriteImage(std::string_view image, const ImagePlan& plan, ImageSink& sink);

// The planned image in memory.
std::string BuildImage(std::string_view image, const ImagePlan& plan);

// The PE checksum of bytes streamed in pieces (ComputePeChecksum's sum, with the checksum
// field's bytes already zero).
class PeChecksumSum {
public:
    void Add(std::string_view bytes);
    uint32_t Finish() const;

private:
    uint64_t sum_ = 0;
    uint64_t length_ = 0;
};

// Reads, changes and writes in one: the image with every change applied in order (set, or
// with remove, delete that resource). For tests and small images.
struct ResourceChange {
    ResourceName type;
    ResourceName name;
    ResourceName language;
    std::string data;
    bool remove = false;
};
ResourceWriteStatus ApplyResourceChanges(std::string_view image,
                                         const std::vector<ResourceChange>& changes,
                                         std::string& updated, ImagePlan* planOut = nullptr);

}  // namespace rebrand
