#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "rebrand/le_bytes.h"
#include "rebrand/menu_template.h"
#include "tests/support/hex_bytes.h"

namespace {

using rebrand::MenuItem;
using rebrand::MenuTemplate;
using testbytes::FromHex;

// Compiled by windres from:
//   201 MENU
//   { POPUP "文件(&F)"
//     { MENUITEM "新建(&N)\tCtrl+N", 100
//       MENUITEM SEPARATOR
//       POPUP "最近" { MENUITEM "A", 101 }
//       MENUITEM "Exit", 102 }
//     MENUITEM "Help", 103 }
const std::string kStandard = FromHex(
    "0000000010008765f64e2800260046002900000000006400b065fa5e280026004e00290009004300740072006c002b"
    "004e00000000000000000010000067d18f000080006500410000008000660045007800690074000000800067004800"
    "65006c0070000000");

//   202 MENUEX
//   { POPUP "文件(&F)", 300, 0, 0, 77
//     { MENUITEM "新建(&N)", 301
//       MENUITEM "", 0, 0x800
//       POPUP "最近文件", 302 { MENUITEM "AB", 303, 0, 3 }
//       MENUITEM "Exit", 304 }
//     MENUITEM "Help", 305 }
const std::string kExtended = FromHex(
    "010004000000000000000000000000002c01000001008765f64e280026004600290000004d00000000000000000000"
    "002d0100000000b065fa5e280026004e00290000000008000000000000000000000000000000000000000000002e01"
    "000001000067d18f8765f64e00000000000000000000030000002f0100008000410042000000000000000000000030"
    "0100008000450078006900740000000000000000000000310100008000480065006c0070000000");

// One line an item: its depth, id, popup mark and text.
void Flatten(const std::vector<MenuItem>& items, int depth, std::vector<std::u16string>& out) {
    for (const MenuItem& item : items) {
        out.push_back(std::u16string(depth, u'>') + (item.popup ? u"P" : u"") + u"#" +
                      std::u16string(1, static_cast<char16_t>(u'0' + item.id % 10)) + u" " +
                      item.text);
        Flatten(item.children, depth + 1, out);
    }
}

std::vector<std::u16string> Flat(const MenuTemplate& menu) {
    std::vector<std::u16string> out;
    Flatten(menu.items, 0, out);
    return out;
}

template <typename Change>
void ForEachItem(std::vector<MenuItem>& items, const Change& change) {
    for (MenuItem& item : items) {
        change(item);
        ForEachItem(item.children, change);
    }
}

// Every field but the texts and the padding bytes, as bytes.
std::string Structure(MenuTemplate menu) {
    ForEachItem(menu.items, [](MenuItem& item) {
        item.text.clear();
        item.padding.clear();
        item.helpIdPadding.clear();
    });
    return rebrand::WriteMenuTemplate(menu);
}

struct Golden {
    const char* name;
    const std::string& bytes;
    bool extended;
    std::vector<std::u16string> flat;
};

const std::vector<Golden> kGoldens = {
    {"standard",
     kStandard,
     false,
     {u"P#0 文件(&F)", u">#0 新建(&N)\tCtrl+N", u">#0 ", u">P#0 最近", u">>#1 A", u">#2 Exit",
      u"#3 Help"}},
    {"extended",
     kExtended,
     true,
     {u"P#0 文件(&F)", u">#1 新建(&N)", u">#0 ", u">P#2 最近文件", u">>#3 AB", u">#4 Exit",
      u"#5 Help"}},
};

TEST(MenuTemplate, ReadsCompiledTemplatesAndWritesThemBackUnchanged) {
    for (const Golden& g : kGoldens) {
        SCOPED_TRACE(g.name);
        const std::optional<MenuTemplate> menu = rebrand::ParseMenuTemplate(g.bytes);
        ASSERT_TRUE(menu.has_value());
        EXPECT_EQ(g.extended, menu->extended);
        EXPECT_TRUE(g.flat == Flat(*menu));
        EXPECT_TRUE(menu->trailing.empty());
        EXPECT_EQ(g.bytes, rebrand::WriteMenuTemplate(*menu));
    }
    const MenuTemplate menu = *rebrand::ParseMenuTemplate(kExtended);
    const MenuItem& file = menu.items[0];
    EXPECT_EQ(300u, file.id);
    EXPECT_EQ(77u, file.helpId);
    EXPECT_EQ(0x800u, file.children[1].type);  // the separator
    EXPECT_EQ(3u, file.children[2].children[0].state);
    EXPECT_EQ(303u, file.children[2].children[0].id);
}

TEST(MenuTemplate, ChangedTextsReadBackWithEveryOtherFieldKept) {
    for (const Golden& g : kGoldens) {
        for (bool longer : {true, false}) {
            SCOPED_TRACE(std::string(g.name) + (longer ? " longer" : " shorter"));
            MenuTemplate menu = *rebrand::ParseMenuTemplate(g.bytes);
            const std::string structure = Structure(menu);
            ForEachItem(menu.items, [&](MenuItem& item) {
                if (!item.text.empty()) {  // separators stay separators
                    item.text = longer ? item.text + u"品" : item.text.substr(1);
                }
            });
            const std::optional<MenuTemplate> again =
                rebrand::ParseMenuTemplate(rebrand::WriteMenuTemplate(menu));
            ASSERT_TRUE(again.has_value());
            EXPECT_TRUE(Flat(menu) == Flat(*again));
            EXPECT_EQ(structure, Structure(*again));
        }
    }
}

TEST(MenuTemplate, ExtendedItemsAndHelpIdsMoveToFourByteBoundaries) {
    // A popup "A" whose text ends at 26: its help id follows at 28, its child "B" at 32. As
    // "AB" the text ends at 28 and needs no padding.
    auto bytes = [](const std::string& text, const std::string& padding) {
        // Header; popup (type 0, state 0, id 1, popup and last), text, help id 7; child "B".
        return FromHex("01000400000000000000000000000000010000008100") + text + FromHex("0000") +
               padding + FromHex("07000000") + FromHex("000000000000000002000000800042000000");
    };
    const std::string before = bytes(FromHex("4100"), std::string(2, '\0'));
    MenuTemplate menu = *rebrand::ParseMenuTemplate(before);
    ASSERT_EQ(1u, menu.items.size());
    EXPECT_EQ(7u, menu.items[0].helpId);
    EXPECT_EQ(u"B", menu.items[0].children.at(0).text);
    menu.items[0].text = u"AB";
    EXPECT_EQ(bytes(FromHex("41004200"), ""), rebrand::WriteMenuTemplate(menu));
}

TEST(MenuTemplate, FirstExtendedItemFollowsTheHeaderWhereverItEnds) {
    // Offset 6: two header bytes after the help id, the first item at 10.
    const std::string bytes =
        FromHex("0100060000000000abcd") + FromHex("000000000000000005000000800058000000");
    const std::optional<MenuTemplate> menu = rebrand::ParseMenuTemplate(bytes);
    ASSERT_TRUE(menu.has_value());
    ASSERT_EQ(1u, menu->items.size());
    EXPECT_EQ(5u, menu->items[0].id);
    EXPECT_EQ(u"X", menu->items[0].text);
    EXPECT_EQ(bytes, rebrand::WriteMenuTemplate(*menu));
}

TEST(MenuTemplate, EveryTruncationButTheBareHeaderIsRefused) {
    for (const Golden& g : kGoldens) {
        const size_t header = g.extended ? 8 : 4;
        for (size_t length = 0; length < g.bytes.size(); ++length) {
            const std::optional<MenuTemplate> menu =
                rebrand::ParseMenuTemplate(g.bytes.substr(0, length));
            EXPECT_EQ(length == header, menu.has_value()) << g.name << " cut to " << length;
            if (menu) {
                EXPECT_TRUE(menu->items.empty());
                EXPECT_EQ(g.bytes.substr(0, length), rebrand::WriteMenuTemplate(*menu));
            }
        }
    }
}

TEST(MenuTemplate, RefusesBrokenHeadersAndLevels) {
    std::string version = kStandard;
    version[0] = 2;
    std::string offset = kExtended;
    rebrand::PutLe16(offset, 2, static_cast<uint16_t>(kExtended.size()));
    std::string noLast = kStandard;
    noLast[noLast.size() - 14] = 0;  // "Help" loses the last-item flag
    for (const std::string& bytes : {version, offset, noLast}) {
        EXPECT_FALSE(rebrand::ParseMenuTemplate(bytes).has_value());
    }
    const std::optional<MenuTemplate> tail = rebrand::ParseMenuTemplate(kStandard + "xyz");
    ASSERT_TRUE(tail.has_value());
    EXPECT_EQ("xyz", tail->trailing);
    EXPECT_EQ(kStandard + "xyz", rebrand::WriteMenuTemplate(*tail));
}

TEST(MenuTemplate, NestingIsLimited) {
    auto nested = [](size_t levels) {
        std::string bytes = FromHex("00000000");
        for (size_t i = 1; i < levels; ++i) {
            bytes += FromHex("900050000000");  // last popup "P"
        }
        return bytes + FromHex("8000010058000000");  // last item "X", id 1
    };
    const std::optional<MenuTemplate> deepest =
        rebrand::ParseMenuTemplate(nested(rebrand::kMaxMenuDepth));
    ASSERT_TRUE(deepest.has_value());
    EXPECT_EQ(nested(rebrand::kMaxMenuDepth), rebrand::WriteMenuTemplate(*deepest));
    EXPECT_FALSE(rebrand::ParseMenuTemplate(nested(rebrand::kMaxMenuDepth + 1)).has_value());
}

TEST(MenuTemplate, WriterRefusesWhatWouldNotReadBackAndFillsAnEmptyHeader) {
    const MenuTemplate standard = *rebrand::ParseMenuTemplate(kStandard);
    const std::vector<void (*)(MenuTemplate&)> changes = {
        [](MenuTemplate& m) { m.items[0].children.clear(); },
        [](MenuTemplate& m) { m.items[1].id = 0x10000; },
        [](MenuTemplate& m) { m.items[1].text = std::u16string(u"a\0b", 3); },
        [](MenuTemplate& m) { m.header = FromHex("01000000"); },
        [](MenuTemplate& m) { m.header = FromHex("00000200"); },
    };
    for (size_t i = 0; i < changes.size(); ++i) {
        MenuTemplate menu = standard;
        changes[i](menu);
        EXPECT_EQ("", rebrand::WriteMenuTemplate(menu)) << "change " << i;
    }
    for (const Golden& g : kGoldens) {
        MenuTemplate menu = *rebrand::ParseMenuTemplate(g.bytes);
        menu.header.clear();
        EXPECT_EQ(g.bytes, rebrand::WriteMenuTemplate(menu)) << g.name;
    }
}

}  // namespace
