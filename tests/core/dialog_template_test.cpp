#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "rebrand/dialog_template.h"
#include "rebrand/le_bytes.h"
#include "tests/support/hex_bytes.h"

namespace {

using rebrand::DialogItem;
using rebrand::DialogTemplate;
using testbytes::FromHex;

// Compiled by windres from:
//   101 DIALOG 0, 0, 200, 80
//   STYLE DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU
//   CAPTION "关于 ZovIDE"
//   FONT 9, "宋体"
//   { ICON 1, -1, 8, 8, 20, 20
//     LTEXT "ZovIDE 版本 1.0", 1001, 36, 8, 120, 8
//     CONTROL "Link", 1002, "SysLink", 0x50010000, 36, 20, 120, 10
//     DEFPUSHBUTTON "确定", 1, 140, 60, 50, 14
//     PUSHBUTTON "Cancel", 2, 84, 60, 50, 14 }
const std::string kStandard = FromHex(
    "4000c88000000000050000000000c80050000000000073518e4e20005a006f00760049004400450000000900"
    "8b5b534f0000000003000050000000000800080000000000ffffffff8200ffff010000000000025000000000"
    "2400080078000800e903ffff82005a006f007600490044004500200048722c67200031002e00300000000000"
    "00000150000000002400140078000a00ea035300590053004c0049004e004b0000004c0069006e006b000000"
    "0000000001000150000000008c003c0032000e000100ffff80006e789a5b0000000000000000015000000000"
    "54003c0032000e000200ffff8000430061006e00630065006c0000000000");

//   102 DIALOGEX 10, 20, 220, 90
//   STYLE DS_SHELLFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU
//   EXSTYLE 0x00000008
//   CAPTION "Options"
//   FONT 8, "MS Shell Dlg", 400, 1, 134
//   { ICON 2, 2001, 8, 8, 20, 20
//     LTEXT "选项:", 2002, 36, 8, 120, 8
//     CONTROL "", 2003, "msctls_progress32", 0x50000000, 36, 20, 120, 10
//     CONTROL "Data", 2004, "Button", 0x50010000, 36, 34, 60, 14 { 1, 2, 3 }
//     DEFPUSHBUTTON "OK", 1, 160, 70, 50, 14 }
const std::string kExtended = FromHex(
    "0100ffff00000000080000004800c88005000a001400dc005a00000000004f007000740069006f006e007300"
    "00000800900101864d00530020005300680065006c006c00200044006c006700000000000000000000000000"
    "030000500800080000000000d1070000ffff8200ffff02000000000000000000000000000000025024000800"
    "78000800d2070000ffff8200099079983a000000000000000000000000000000000000502400140078000a00"
    "d30700004d005300430054004c0053005f00500052004f004700520045005300530033003200000000000000"
    "000000000000000000000150240022003c000e00d407000042005500540054004f004e000000440061007400"
    "610000000600010002000300000000000000000001000150a000460032000e0001000000ffff80004f004b00"
    "00000000");

// The caption, then one line an item: its id and its title or "#" and the title's ordinal.
std::vector<std::u16string> Texts(const DialogTemplate& dialog) {
    std::vector<std::u16string> out = {dialog.caption.value_or(u"(none)")};
    for (const DialogItem& item : dialog.items) {
        const std::string id = std::to_string(item.id);
        const std::string ordinal = "#" + std::to_string(item.titleOrdinal);
        out.push_back(std::u16string(id.begin(), id.end()) + u" " +
                      item.title.value_or(std::u16string(ordinal.begin(), ordinal.end())));
    }
    return out;
}

// Every field but the texts and the padding bytes, as bytes.
std::string Structure(DialogTemplate dialog) {
    dialog.caption = u"";
    for (DialogItem& item : dialog.items) {
        item.title = item.title ? u"" : item.title;
        item.padding.clear();
    }
    return rebrand::WriteDialogTemplate(dialog);
}

struct Golden {
    const char* name;
    const std::string& bytes;
    bool extended;
    std::vector<std::u16string> texts;
};

const std::vector<Golden> kGoldens = {
    {"standard",
     kStandard,
     false,
     {u"关于 ZovIDE", u"65535 #1", u"1001 ZovIDE 版本 1.0", u"1002 Link", u"1 确定", u"2 Cancel"}},
    {"extended",
     kExtended,
     true,
     {u"Options", u"2001 #2", u"2002 选项:", u"2003 ", u"2004 Data", u"1 OK"}},
};

TEST(DialogTemplate, ReadsCompiledTemplatesAndWritesThemBackUnchanged) {
    for (const Golden& g : kGoldens) {
        SCOPED_TRACE(g.name);
        const std::optional<DialogTemplate> dialog = rebrand::ParseDialogTemplate(g.bytes);
        ASSERT_TRUE(dialog.has_value());
        EXPECT_EQ(g.extended, dialog->extended);
        EXPECT_TRUE(g.texts == Texts(*dialog));
        EXPECT_TRUE(dialog->trailing.empty());
        EXPECT_EQ(g.bytes, rebrand::WriteDialogTemplate(*dialog));
    }
}

TEST(DialogTemplate, KeepsClassesFontAndCreationData) {
    const DialogTemplate standard = *rebrand::ParseDialogTemplate(kStandard);
    EXPECT_EQ(9, standard.font.pointSize);
    EXPECT_EQ(u"宋体", standard.font.typeface);
    EXPECT_EQ(0x80C80040u, standard.style);
    EXPECT_EQ(0x82, standard.items[0].windowClass.ordinal);  // static
    EXPECT_EQ(u"SYSLINK", standard.items[2].windowClass.name);
    EXPECT_FALSE(standard.items[2].windowClass.isOrdinal);

    const DialogTemplate extended = *rebrand::ParseDialogTemplate(kExtended);
    EXPECT_EQ(8u, extended.exStyle);
    EXPECT_EQ(u"MS Shell Dlg", extended.font.typeface);
    EXPECT_EQ(400, extended.font.weight);
    EXPECT_EQ(1, extended.font.italic);
    EXPECT_EQ(134, extended.font.charset);
    EXPECT_EQ(std::string("\x01\x00\x02\x00\x03\x00", 6), extended.items[3].creationData);
    EXPECT_EQ(10, extended.x);
    EXPECT_EQ(90, extended.cy);
}

TEST(DialogTemplate, ChangedTextsReadBackWithEveryOtherFieldKept) {
    // One unit more and one fewer move every later item by two bytes either way.
    for (const Golden& g : kGoldens) {
        for (bool longer : {true, false}) {
            SCOPED_TRACE(std::string(g.name) + (longer ? " longer" : " shorter"));
            DialogTemplate dialog = *rebrand::ParseDialogTemplate(g.bytes);
            const std::string structure = Structure(dialog);
            auto change = [&](std::u16string text) {
                return longer ? text + u"品" : text.substr(0, text.size() / 2);
            };
            dialog.caption = change(*dialog.caption);
            for (DialogItem& item : dialog.items) {
                if (item.title) {
                    item.title = change(*item.title);
                }
            }
            const std::optional<DialogTemplate> again =
                rebrand::ParseDialogTemplate(rebrand::WriteDialogTemplate(dialog));
            ASSERT_TRUE(again.has_value());
            EXPECT_TRUE(Texts(dialog) == Texts(*again));
            EXPECT_EQ(structure, Structure(*again));
        }
    }
}

TEST(DialogTemplate, ItemsMoveToTheNextFourByteBoundary) {
    // Caption "Hi": the item starts at 28; "Hi!" takes it to 30, padded to 32.
    auto bytes = [](const std::string& caption, const std::string& padding) {
        // Header, no menu, no class; the caption; the item: a button "OK" with id 7.
        return FromHex("0000c880000000000100000000006400320000000000") + caption + FromHex("0000") +
               padding + FromHex("000001500000000001000200030004000700ffff80004f004b0000000000");
    };
    const std::string before = bytes(FromHex("48006900"), "");
    DialogTemplate dialog = *rebrand::ParseDialogTemplate(before);
    ASSERT_EQ(1u, dialog.items.size());
    EXPECT_EQ(u"OK", dialog.items[0].title);
    dialog.caption = u"Hi!";
    EXPECT_EQ(bytes(FromHex("480069002100"), std::string(2, '\0')),
              rebrand::WriteDialogTemplate(dialog));
}

TEST(DialogTemplate, KeepsBytesAfterTheLastItemAndNonZeroPadding) {
    std::string bytes = kExtended + "tail";
    bytes[kExtended.find(FromHex("d1070000")) - 21] = 'p';  // padding before the first item
    const std::optional<DialogTemplate> dialog = rebrand::ParseDialogTemplate(bytes);
    ASSERT_TRUE(dialog.has_value());
    EXPECT_EQ("tail", dialog->trailing);
    EXPECT_EQ(bytes, rebrand::WriteDialogTemplate(*dialog));
}

TEST(DialogTemplate, RefusesTruncationsAndCountsBeyondTheItems) {
    for (const Golden& g : kGoldens) {
        for (size_t length = 0; length < g.bytes.size(); ++length) {
            EXPECT_FALSE(rebrand::ParseDialogTemplate(g.bytes.substr(0, length)).has_value())
                << g.name << " cut to " << length;
        }
    }
    std::string more = kStandard;
    rebrand::PutLe16(more, 8, 6);
    EXPECT_FALSE(rebrand::ParseDialogTemplate(more).has_value());
    rebrand::PutLe16(more, 8, 0xFFFF);
    EXPECT_FALSE(rebrand::ParseDialogTemplate(more).has_value());
    std::string fewer = kExtended;
    rebrand::PutLe16(fewer, 16, 4);  // the fifth item becomes trailing bytes
    const std::optional<DialogTemplate> dialog = rebrand::ParseDialogTemplate(fewer);
    ASSERT_TRUE(dialog.has_value());
    EXPECT_EQ(4u, dialog->items.size());
    EXPECT_EQ(fewer, rebrand::WriteDialogTemplate(*dialog));
}

TEST(DialogTemplate, WriterRefusesWhatWouldNotReadBack) {
    const DialogTemplate standard = *rebrand::ParseDialogTemplate(kStandard);
    const std::vector<void (*)(DialogTemplate&)> changes = {
        [](DialogTemplate& d) { d.items[1].id = 0x10000; },
        [](DialogTemplate& d) { d.items[1].title = std::u16string(1, u'\xFFFF'); },
        [](DialogTemplate& d) { d.caption = std::u16string(u"a\0b", 3); },
        [](DialogTemplate& d) { d.items[1].creationData.assign(0x10000, 'x'); },
        [](DialogTemplate& d) { d.items.resize(0x10000, d.items[0]); },
    };
    for (size_t i = 0; i < changes.size(); ++i) {
        DialogTemplate dialog = standard;
        changes[i](dialog);
        EXPECT_EQ("", rebrand::WriteDialogTemplate(dialog)) << "change " << i;
    }
}

}  // namespace
