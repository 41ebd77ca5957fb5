// Menu templates (RT_MENU resource data): the item texts a user sees, read out and written
// back with every other field and byte kept.
//
// All fields are little-endian; positions count from the start of the template. The
// header is a WORD version and a WORD offset; the items start offset bytes after it.
//   Standard (version 0, offset usually 0): each item is WORD flags, a WORD id unless it is
//     a popup (flag 0x10), and its NUL-terminated UTF-16 text. A separator is flags 0, id 0
//     and an empty text.
//   Extended (version 1, offset usually 4 over the DWORD help id of the menu): each item is
//     DWORD type, DWORD state, DWORD id, WORD flags (0x01 popup) and its text; a popup then
//     has, on the next 4-byte boundary, a DWORD help id. Every item but the first starts on
//     a 4-byte boundary. A separator has MFT_SEPARATOR (0x800) in its type.
//   In both, flag 0x80 marks the last item of its level, and the items after a popup, up to
//   the last of that level, are its children.
//
// A header with nothing after it is a menu without items. Bytes after the last item are
// kept as they are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rebrand {

constexpr size_t kMaxMenuDepth = 64;  // nesting levels, the top level included

struct MenuItem {
    uint32_t id = 0;  // a WORD in the standard form, where popups have none (0)
    bool popup = false;
    std::u16string text;
    std::vector<MenuItem> children;  // a popup's items; it needs at least one to be written
    // The flags as read; the popup and last-item flags are written from the structure.
    uint16_t flags = 0;
    uint32_t type = 0;          // extended form only
    uint32_t state = 0;         // extended form only
    uint32_t helpId = 0;        // extended popups only
    std::string padding;        // extended: bytes skipped to reach the item's boundary
    std::string helpIdPadding;  // extended popups: bytes skipped before the help id
};

struct MenuTemplate {
    bool extended = false;  // version 1
    std::vector<MenuItem> items;
    // Version, offset and the bytes up to the first item, as read; empty writes the usual
    // header of the form (offset 0, or 4 over a help id of 0).
    std::string header;
    std::string trailing;  // the bytes after the last item
};

// The template in the layout above. Empty for another version, an offset past the end, an
// item or text running past the end, a level without a last item, or nesting deeper than
// kMaxMenuDepth.
std::optional<MenuTemplate> ParseMenuTemplate(std::string_view bytes);

// The template's bytes. A parsed template that was not changed gives back the bytes it
// was parsed from; padding is written with the bytes an item kept when it needs as many,
// else with zeros. Empty when the model cannot be written so that it parses back to
// itself: a header whose version is not the form's or whose length does not match its
// offset, a popup without children,
// nesting deeper than kMaxMenuDepth, a standard-form id over 0xFFFF or a text with a NUL.
std::string WriteMenuTemplate(const MenuTemplate& menu);

}  // namespace rebrand
