#include "rebrand/exe_texts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/unicode.h"
#include "rebrand/dialog_template.h"
#include "rebrand/menu_template.h"
#include "rebrand/string_block.h"
#include "rebrand/version_resource.h"

namespace {

using rebrand::ResourceName;
using rebrand::TextKind;
using rebrand::TextPlace;

ResourceName Id(uint16_t id) {
    return ResourceName::Id(id);
}

std::string Block(std::initializer_list<std::pair<size_t, std::u16string>> entries) {
    rebrand::StringBlock block;
    for (const auto& [index, text] : entries) {
        block[index] = text;
    }
    return *rebrand::SerializeStringBlock(block);
}

const char kManifest[] =
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\r\n"
    "  <!-- ZovIDE build -->\r\n"
    "  <assemblyIdentity name=\"Zov.ZovIDE\" version=\"1.0.0.0\" type='win32'/>\r\n"
    "  <description>ZovIDE &amp; Zov &#x8F6F;\xE4\xBB\xB6</description>\r\n"
    "</assembly>\r\n";

rebrand::ResourceTree SampleTree() {
    rebrand::ResourceTree tree;
    tree.Set(Id(rebrand::kStringType), Id(7), Id(2052),
             Block({{6, u"ZovIDE 文档"}, {14, u"ZovIDE"}}));
    tree.Set(Id(rebrand::kStringType), Id(7), Id(1033), Block({{14, u"ZovIDE"}}));
    tree.Set(Id(rebrand::kStringType), Id(3586), Id(2052), Block({{1, u"就绪"}}));
    tree.Set(Id(rebrand::kManifestType), Id(1), Id(1033), kManifest);
    tree.Set(Id(3), Id(1), Id(2052), "ZovIDE as icon bytes: not a text");
    return tree;
}

// A version resource, an About box and a menu, as an MFC program has them.
rebrand::ResourceTree ProgramTree() {
    rebrand::ResourceTree tree;
    rebrand::VersionResource version = rebrand::NewVersionResource();
    rebrand::SetVersionString(version, u"CompanyName", u"Zov 软件有限公司");
    rebrand::SetVersionString(version, u"ProductName", u"ZovIDE");
    tree.Set(Id(rebrand::kVersionType), Id(1), Id(2052), rebrand::WriteVersionResource(version));
    rebrand::DialogTemplate about;
    about.caption = u"关于 ZovIDE";
    rebrand::DialogItem text;
    text.id = 1001;
    text.title = u"ZovIDE 1.0 版";
    rebrand::DialogItem icon;
    icon.id = 1002;  // an icon by its ordinal: no text
    icon.titleOrdinal = 128;
    about.items = {text, icon};
    tree.Set(Id(rebrand::kDialogType), Id(100), Id(2052), rebrand::WriteDialogTemplate(about));
    rebrand::MenuTemplate menu;
    rebrand::MenuItem help;
    help.popup = true;
    help.text = u"帮助(&H)";
    rebrand::MenuItem aboutItem;
    aboutItem.id = 57664;
    aboutItem.text = u"关于 ZovIDE(&A)...";
    help.children = {rebrand::MenuItem(), aboutItem};  // a separator first
    menu.items = {help};
    tree.Set(Id(rebrand::kMenuType), Id(128), Id(2052), rebrand::WriteMenuTemplate(menu));
    return tree;
}

std::string Bytes(const rebrand::ResourceTree& tree, uint16_t type, uint16_t name,
                  uint16_t language) {
    const rebrand::ResourceData* data = tree.Find(Id(type), Id(name), Id(language));
    return data != nullptr ? std::string(data->bytes) : std::string("(none)");
}

TEST(ExeTextsTest, ListsEveryTextWithItsPlace) {
    const std::vector<TextPlace> places = rebrand::ExecutableTexts(SampleTree());
    std::vector<std::string> seen;
    for (const TextPlace& p : places) {
        seen.push_back(std::to_string(static_cast<int>(p.kind)) + " " +
                       std::to_string(p.language.id) + " " +
                       (p.id ? std::to_string(*p.id) : std::string("-")) + " " +
                       platform::Utf16ToUtf8(p.key) + "|" + platform::Utf16ToUtf8(p.text));
    }
    const std::vector<std::string> expected = {
        "0 1033 110 |ZovIDE",
        "0 2052 102 |ZovIDE 文档",
        "0 2052 110 |ZovIDE",
        "0 2052 57361 |就绪",
        "4 1033 - assembly xmlns|urn:schemas-microsoft-com:asm.v1",
        "4 1033 - assembly manifestVersion|1.0",
        "4 1033 - assemblyIdentity name|Zov.ZovIDE",
        "4 1033 - assemblyIdentity version|1.0.0.0",
        "4 1033 - assemblyIdentity type|win32",
        "4 1033 - description|ZovIDE & Zov 软件",  // escapes resolved
    };
    EXPECT_EQ(seen, expected);
}

TEST(ExeTextsTest, ReplacesInEveryTextAndKeepsTheRest) {
    rebrand::ResourceTree tree = SampleTree();
    const rebrand::ResourceTree before = tree;
    std::vector<rebrand::TextChange> changes;
    const text::Replacements replace({{u"ZovIDE", u"A<CAD>"}, {u"Zov 软件", u"A & B"}});
    ASSERT_TRUE(rebrand::ReplaceExecutableTexts(
        tree, replace,
        [](const TextPlace& p) { return p.kind == TextKind::kString && p.language.id == 1033; },
        changes));
    ASSERT_EQ(changes.size(), 4u);  // 2052: 102, 110; manifest: name, description
    EXPECT_EQ(changes[0].newText, u"A<CAD> 文档");
    EXPECT_EQ(changes[3].count, 2u);
    EXPECT_EQ(Bytes(tree, rebrand::kStringType, 7, 2052),
              Block({{6, u"A<CAD> 文档"}, {14, u"A<CAD>"}}));
    // Skipped, or holding no old text: the same bytes.
    for (const auto& [type, name, language] :
         {std::tuple{6, 7, 1033}, std::tuple{6, 3586, 2052}, std::tuple{3, 1, 2052}}) {
        EXPECT_EQ(Bytes(tree, type, name, language), Bytes(before, type, name, language));
    }
    // The manifest: escaped where texts changed, every other byte as it was.
    std::string expected = kManifest;
    const auto swap = [&](const std::string& from, const std::string& to) {
        expected.replace(expected.find(from), from.size(), to);
    };
    swap("name=\"Zov.ZovIDE\"", "name=\"Zov.A&lt;CAD&gt;\"");
    swap("ZovIDE &amp; Zov &#x8F6F;\xE4\xBB\xB6", "A&lt;CAD&gt; &amp; A &amp; B");
    EXPECT_EQ(Bytes(tree, rebrand::kManifestType, 1, 1033), expected);
    EXPECT_TRUE(rebrand::ExecutableTexts(tree).size() == rebrand::ExecutableTexts(before).size());
}

TEST(ExeTextsTest, FindsAndReplacesInVersionDialogAndMenu) {
    rebrand::ResourceTree tree = ProgramTree();
    std::vector<std::string> seen;
    for (const TextPlace& p : rebrand::ExecutableTexts(tree)) {
        seen.push_back(std::to_string(static_cast<int>(p.kind)) + " " +
                       (p.id ? std::to_string(*p.id) : std::string("-")) + " " +
                       platform::Utf16ToUtf8(p.key) + "|" + platform::Utf16ToUtf8(p.text));
    }
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "3 - 1|帮助(&H)",
                        "3 57664 1.2|关于 ZovIDE(&A)...",
                        "2 - |关于 ZovIDE",
                        "2 1001 |ZovIDE 1.0 版",
                        "1 - 080404b0/CompanyName|Zov 软件有限公司",
                        "1 - 080404b0/ProductName|ZovIDE",
                    }));
    std::vector<rebrand::TextChange> changes;
    ASSERT_TRUE(rebrand::ReplaceExecutableTexts(
        tree, text::Replacements({{u"Zov 软件有限公司", u"A 公司"}, {u"ZovIDE", u"ACad"}}),
        [](const TextPlace& p) { return p.key == u"080404b0/ProductName"; }, changes));
    EXPECT_EQ(changes.size(), 4u);
    const auto version =
        rebrand::ParseVersionResource(tree.Find(Id(rebrand::kVersionType), Id(1), Id(2052))->bytes);
    ASSERT_TRUE(version.has_value());
    EXPECT_EQ(version->tables[0].strings[0].value, u"A 公司");
    EXPECT_EQ(version->tables[0].strings[1].value, u"ZovIDE");  // skipped
    const auto about =
        rebrand::ParseDialogTemplate(tree.Find(Id(rebrand::kDialogType), Id(100), Id(2052))->bytes);
    ASSERT_TRUE(about.has_value());
    EXPECT_EQ(about->caption, u"关于 ACad");
    EXPECT_EQ(about->items[1].titleOrdinal, 128);
    const auto menu =
        rebrand::ParseMenuTemplate(tree.Find(Id(rebrand::kMenuType), Id(128), Id(2052))->bytes);
    ASSERT_TRUE(menu.has_value());
    EXPECT_EQ(menu->items[0].children[1].text, u"关于 ACad(&A)...");
    EXPECT_EQ(menu->items[0].children[1].id, 57664u);
}

TEST(ExeTextsTest, RefusesAnEntryTooLongAndChangesNothing) {
    rebrand::ResourceTree tree = SampleTree();
    const std::string before = Bytes(tree, rebrand::kStringType, 7, 2052);
    std::vector<rebrand::TextChange> changes;
    TextPlace tooLong;
    EXPECT_FALSE(rebrand::ReplaceExecutableTexts(
        tree, text::Replacements({{u"文档", std::u16string(65535, u'x')}}), nullptr, changes,
        &tooLong));
    EXPECT_EQ(tooLong.id, 102u);
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(Bytes(tree, rebrand::kStringType, 7, 2052), before);
}

TEST(ExeTextsTest, PassesOverWhatDoesNotParse) {
    rebrand::ResourceTree tree;
    tree.Set(Id(rebrand::kStringType), Id(1), Id(2052), std::string("\x05\x00Zo", 4));
    tree.Set(Id(rebrand::kManifestType), Id(1), Id(1033), "<a b=\"ZovIDE>");     // unclosed
    tree.Set(Id(rebrand::kManifestType), Id(2), Id(1033), "<a>\xFFZovIDE</a>");  // not UTF-8
    std::vector<rebrand::TextChange> changes;
    EXPECT_TRUE(rebrand::ReplaceExecutableTexts(
        tree, text::Replacements({{u"Zov", u"A"}, {u"Zo", u"B"}}), nullptr, changes));
    EXPECT_TRUE(changes.empty());
}

}  // namespace
