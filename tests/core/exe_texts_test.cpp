#include "rebrand/exe_texts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/unicode.h"
#include "rebrand/string_block.h"

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
