// The version resource (RT_VERSION) of an executable, read from and written to bytes.
//
// The resource is a tree of nodes. Each node is a 16-bit wLength (the node with its children,
// without the padding after it), a 16-bit wValueLength, a 16-bit wType (1 text, 0 binary),
// a NUL-terminated UTF-16 key, zero to three bytes of padding, the value, and the children,
// each starting on a 4-byte boundary counted from the start of the resource:
//
//   "VS_VERSION_INFO"  value: a VS_FIXEDFILEINFO of 52 bytes, or nothing
//     "StringFileInfo"
//       "080404b0"       a table: language and code page as eight hex digits
//         "CompanyName"  a string: its value is its text
//     "VarFileInfo"
//       "Translation"  value: pairs of 16-bit language and code page
//
// Compilers differ in the details, and all of them are read: a string's wValueLength may count
// characters with or without the NUL, bytes, or be 0; its text may end without a NUL; a parent's
// wLength may or may not cover the padding after its last child. A string's value is everything
// after its key up to its wLength, to the first NUL.
//
// A node is kept as the bytes it was read from, and WriteVersionResource writes back those very
// bytes for every node whose key, value and children are still what was read, so a resource
// nothing changed in is written back byte for byte. A node that did change (a string whose key
// or value differs, a table with strings added, removed or changed, the root with other fixed
// info) is written anew: wLength covers the node up to the end of its last child,
// wValueLength of a string counts its characters with the NUL. A parent that did not change
// itself but whose children did keeps its own bytes up to its first child, with wLength set.
// A key or value is written up to its first NUL. The bytes that followed the root in the
// resource data are written back after it only when it did not change.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rebrand {

constexpr size_t kFixedFileInfoSize = 52;
constexpr uint32_t kFixedFileInfoSignature = 0xFEEF04BD;

// A node as it was read. Empty for a node made in memory.
struct VersionNodeBytes {
    std::string node;       // wLength bytes from the node's start
    std::string padding;    // the bytes after it, up to the next node or the end of its parent
    size_t headerSize = 0;  // how many bytes of node come before its first child
};

struct VersionString {
    std::u16string key;
    std::u16string value;
    VersionNodeBytes read;
};

struct VersionTable {
    std::u16string key;  // "080404b0"
    std::vector<VersionString> strings;
    VersionNodeBytes read;
};

struct VersionResource {
    // The root's value: a VS_FIXEDFILEINFO, or empty when the resource has none.
    std::string fixedInfo;
    // The tables of the first "StringFileInfo" child of the root.
    std::vector<VersionTable> tables;
    // The root's other children (usually "VarFileInfo"), kept as they are.
    std::vector<VersionNodeBytes> otherChildren;
    // Where "StringFileInfo" stands: before otherChildren[stringsAt], or last.
    size_t stringsAt = 0;
    // "StringFileInfo" as read; when empty, it is written only if there are tables.
    VersionNodeBytes stringsRead;
    // The root as read; its padding is whatever followed it in the resource data.
    VersionNodeBytes read;
};

// The resource in the bytes, or nothing when they are not one: shorter than a node header,
// a wLength under 6 or past the end of the data or of the parent, a key without its NUL, a
// root key other than "VS_VERSION_INFO", fixed info past the end of the root, or nodes nested
// deeper than eight levels.
std::optional<VersionResource> ParseVersionResource(std::string_view bytes);

// The resource's bytes as described above. Empty when a node would be longer than 65535
// bytes, the most a wLength can say.
std::string WriteVersionResource(const VersionResource& resource);

// A resource made in memory: fixed info with all versions 0 (flags mask 0x3F, file OS
// VOS_NT_WINDOWS32, file type VFT_APP), one empty table "080404b0" (Chinese PRC, code page
// 1200) and "VarFileInfo" with the translation 0x0804, 0x04B0.
VersionResource NewVersionResource();

// In every table: sets the value of each string whose key is key (A-Z and a-z alike),
// keeping the key's spelling, or adds the string at the end of a table without one. A
// resource without tables gets the table "080404b0" first.
void SetVersionString(VersionResource& resource, std::u16string_view key,
                      std::u16string_view value);

// The file and product versions of the fixed info ({1, 2, 3, 4} for 1.2.3.4), or nothing when
// the fixed info is not a VS_FIXEDFILEINFO (shorter than 52 bytes or with another signature).
std::optional<std::array<uint16_t, 4>> FixedFileVersion(const VersionResource& resource);
std::optional<std::array<uint16_t, 4>> FixedProductVersion(const VersionResource& resource);

// Set the versions in the fixed info, which is first made as NewVersionResource's when it is
// not a VS_FIXEDFILEINFO.
void SetFixedFileVersion(VersionResource& resource, const std::array<uint16_t, 4>& version);
void SetFixedProductVersion(VersionResource& resource, const std::array<uint16_t, 4>& version);

}  // namespace rebrand
