// The resources of a PE32 / PE32+ image as a tree: type -> name -> language -> data.
//
// The resource section starts with a directory (16 bytes: characteristics, time stamp,
// major and minor version, the number of named entries, the number of id entries),
// followed by its entries (8 bytes: a name or id, then the offset of a subdirectory with
// the high bit set, or of a 16-byte data entry: RVA, size, code page, reserved). A name is
// the offset (high bit set) of a counted UTF-16 string. Offsets count from the start of the
// section; data is addressed by RVA and may lie anywhere in the image. Windows' loader finds
// entries by binary search, so each directory lists its named entries first, ordered by
// ordinal comparison of their UTF-16 units (a prefix before what it prefixes), then its id
// entries in ascending order. ResourceName's order is that order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "rebrand/pe_image.h"

namespace rebrand {

// Sizes and flags of the section's structures.
namespace resource_format {
constexpr uint32_t kHighBit = 0x80000000u;  // a name offset, or a subdirectory's offset
constexpr size_t kDirectorySize = 16;
constexpr size_t kEntrySize = 8;
constexpr size_t kDataEntrySize = 16;
}  // namespace resource_format

struct ResourceName {
    bool named = false;
    uint16_t id = 0;      // when !named
    std::u16string text;  // when named, as stored (resource compilers store upper case)

    static ResourceName Id(uint16_t value) { return ResourceName{false, value, {}}; }
    static ResourceName Text(std::u16string value) {
        return ResourceName{true, 0, std::move(value)};
    }
    bool operator<(const ResourceName& other) const {
        if (named != other.named) {
            return named;
        }
        return named ? text < other.text : id < other.id;
    }
    bool operator==(const ResourceName& other) const {
        return named == other.named && (named ? text == other.text : id == other.id);
    }
};

// The header fields of a directory, kept as read.
struct DirectoryHeader {
    uint32_t characteristics = 0;
    uint32_t timeDateStamp = 0;
    uint16_t majorVersion = 0;
    uint16_t minorVersion = 0;
};

// One resource's bytes. Bytes read from an image are a view of that image (which must
// outlive the tree), with their file offset; bytes set later are owned.
struct ResourceData {
    std::string_view bytes;
    uint32_t codePage = 0;
    static constexpr uint64_t kNotInImage = ~uint64_t{0};
    uint64_t fileOffset = kNotInImage;  // where bytes lie in the image they were read from
    std::shared_ptr<const std::string> owned;
};

using LanguageMap = std::map<ResourceName, ResourceData>;
struct NameNode {
    DirectoryHeader header;
    LanguageMap languages;
};
struct TypeNode {
    DirectoryHeader header;
    std::map<ResourceName, NameNode> names;
};

struct ResourceTree {
    DirectoryHeader header;
    std::map<ResourceName, TypeNode> types;

    // Adds or replaces one resource (its bytes are copied); a replaced one keeps its code page
    // unless one is given.
    void Set(const ResourceName& type, const ResourceName& name, const ResourceName& language,
             std::string bytes);
    void Set(const ResourceName& type, const ResourceName& name, const ResourceName& language,
             std::string bytes, uint32_t codePage);
    // Deletion of one resource, of a name with every language, of a type with every name.
    // An emptied name or type goes with its last entry. False when there was nothing to delete.
    bool Remove(const ResourceName& type, const ResourceName& name, const ResourceName& language);
    bool Remove(const ResourceName& type, const ResourceName& name);
    bool Remove(const ResourceName& type);
    const ResourceData* Find(const ResourceName& type, const ResourceName& name,
                             const ResourceName& language) const;
    size_t Count() const;
};

// Reads the resource tree of image (the whole file). kOk with an empty tree for an image
// without resources; kBadResources for a tree that reaches outside its section, is not three
// levels deep, has more than a million entries, repeats a name within a directory, or has
// data outside the image's file data. On any status but kOk, tree is left unchanged.
PeStatus ReadResourceTree(std::string_view image, ResourceTree& tree);

}  // namespace rebrand
