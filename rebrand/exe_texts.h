// The texts of an executable that its users see, found and replaced in its resource tree:
// the entries of every string table (RT_STRING, every language), the strings of every table of
// the version resource (RT_VERSION), the caption and the control titles of dialogs (RT_DIALOG;
// titles given as ordinals are not texts), the item texts of menus (RT_MENU), and the
// character data and attribute values of the manifest (RT_MANIFEST, UTF-8 XML; what the
// markup names, comments and processing instructions are not looked at).
//
// A resource that does not parse is passed over, as are its texts: it is left as it is.
// Places are listed in the tree's order (type, name, language), and within a resource in
// the order its texts are stored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "rebrand/resource_tree.h"
#include "text/replace_text.h"

namespace rebrand {

enum class TextKind { kString, kVersion, kDialog, kMenu, kManifest };

struct TextPlace {
    TextKind kind = TextKind::kString;
    ResourceName resource;  // the resource's name (for a string, its block)
    ResourceName language;
    // kString: the string's id. kDialog: the control's id (the caption: none). kMenu: the
    // item's id (a popup: none).
    std::optional<uint32_t> id;
    // kVersion: the table ("080404b0") and the string's name, "080404b0/CompanyName".
    // kMenu: the item's position, "2.1" for the first item of the second popup.
    // kManifest: the element, and the attribute for an attribute's value ("assemblyIdentity
    // name").
    std::u16string key;
    std::u16string text;  // as the program shows it (a manifest's without its escapes)
};

std::vector<TextPlace> ExecutableTexts(const ResourceTree& tree);

// Calls change for every text; what it returns (when it differs from the text) replaces the
// text, and each changed resource is written back with its other bytes as they were. A
// manifest's new text is escaped as XML needs it. False, with the tree unchanged and tooLong
// naming the place, when a new text does not fit its field (a string-table entry over 65,535
// units, a version node over 65,535 bytes).
using TextChangeFn = std::function<std::optional<std::u16string>(const TextPlace& place)>;
bool ChangeExecutableTexts(ResourceTree& tree, const TextChangeFn& change,
                           TextPlace* tooLong = nullptr);

// One text that a replacement changed.
struct TextChange {
    TextPlace place;  // with the text before
    std::u16string newText;
    size_t count = 0;  // of replaced occurrences
};

// replacements applied to every text but those skip names (skip may be empty). False, as
// ChangeExecutableTexts, when a text does not fit; changes lists what changed.
bool ReplaceExecutableTexts(ResourceTree& tree, const text::Replacements& replacements,
                            const std::function<bool(const TextPlace&)>& skip,
                            std::vector<TextChange>& changes, TextPlace* tooLong = nullptr);

// Resource types.
constexpr uint16_t kMenuType = 4;
constexpr uint16_t kDialogType = 5;
constexpr uint16_t kStringType = 6;
constexpr uint16_t kVersionType = 16;
constexpr uint16_t kManifestType = 24;

}  // namespace rebrand
