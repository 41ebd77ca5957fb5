// Dialog templates (RT_DIALOG resource data): the texts a user sees, read out and written
// back with every other field and byte kept.
//
// All fields are little-endian; positions count from the start of the template.
//   Standard header: style, exStyle (DWORD), item count (WORD), x, y, cx, cy (16-bit).
//   Extended header: version (WORD, 1), signature (WORD, 0xFFFF; this marks the form), help
//     id, exStyle, style (DWORD), item count (WORD), x, y, cx, cy.
//   Then the menu and the window class, each 0x0000 (none), 0xFFFF and a WORD ordinal, or a
//   NUL-terminated UTF-16 name; the caption, a NUL-terminated UTF-16 string (0x0000 for
//   none); when the style has DS_SETFONT (0x40, also part of DS_SHELLFONT), the point size
//   (WORD), in the extended form followed by weight (WORD), italic and charset (BYTE each),
//   then the typeface, a NUL-terminated string.
//   Each item starts on the next 4-byte boundary. Standard: style, exStyle, x, y, cx, cy,
//   id (WORD). Extended: help id, exStyle, style, x, y, cx, cy, id (DWORD). Both then hold
//   the class and the title (each an ordinal or a string as above; a title ordinal names a
//   resource such as an icon), a WORD count and that many bytes of creation data.
//
// Bytes after the last item are kept as they are.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "rebrand/template_bytes.h"

namespace rebrand {

constexpr uint32_t kDialogSetFont = 0x40;  // DS_SETFONT: the header holds a font

struct DialogFont {
    uint16_t pointSize = 0;
    uint16_t weight = 0;  // extended form only
    uint8_t italic = 0;   // extended form only
    uint8_t charset = 0;  // extended form only
    std::u16string typeface;
};

struct DialogItem {
    uint32_t id = 0;  // a WORD in the standard form
    // The title when it is a string (empty for 0x0000); unset when it is titleOrdinal.
    std::optional<std::u16string> title;
    uint16_t titleOrdinal = 0;
    uint32_t helpId = 0;  // extended form only
    uint32_t style = 0;
    uint32_t exStyle = 0;
    int16_t x = 0;
    int16_t y = 0;
    int16_t cx = 0;
    int16_t cy = 0;
    NameOrOrdinal windowClass;
    std::string creationData;  // the bytes after the count
    std::string padding;       // the bytes skipped to reach the item's 4-byte boundary
};

struct DialogTemplate {
    bool extended = false;
    std::optional<std::u16string> caption;  // always set by the parser; unset writes none
    std::vector<DialogItem> items;
    uint16_t version = 1;  // extended form only
    uint32_t helpId = 0;   // extended form only
    uint32_t style = 0;
    uint32_t exStyle = 0;
    int16_t x = 0;
    int16_t y = 0;
    int16_t cx = 0;
    int16_t cy = 0;
    NameOrOrdinal menu;
    NameOrOrdinal windowClass;
    DialogFont font;       // read and written when style has kDialogSetFont
    std::string trailing;  // the bytes after the last item
};

// The template in the layout above. Empty when a field, a string's terminator or an item
// the count promises lies past the end of the bytes.
std::optional<DialogTemplate> ParseDialogTemplate(std::string_view bytes);

// The template's bytes, items padded to 4-byte boundaries, the count taken from items. A
// parsed template that was not changed gives back the bytes it was parsed from; padding is
// written with the bytes an item kept when it needs as many, else with zeros.
// Empty when the model cannot be written so that it parses back to itself: more than
// 65535 items, creation data over 65535 bytes, a standard-form id over 0xFFFF, a text with
// a NUL unit, or a title or name string starting with 0xFFFF.
std::string WriteDialogTemplate(const DialogTemplate& dialog);

}  // namespace rebrand
