#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "rebrand/string_block.h"

namespace {

using rebrand::BlockStatus;
using rebrand::Edition;
using rebrand::StringBlock;

const char16_t kZovTemplate[] =
    u"\nZovIDE\nZovIDE\nZovIDE Files (*.vlqx)\n.vlqx\nZovIDE.Document\nZovIDE.Document";
const char16_t kWumTemplate[] =
    u"\nWumCAD\nWumCAD\nWumCAD Files (*.wmd)\n.wmd\nWumCAD.Document\nWumCAD.Document";

StringBlock ParsedOrFail(const std::string& bytes) {
    auto block = rebrand::ParseStringBlock(bytes);
    EXPECT_TRUE(block.has_value());
    return block.value_or(StringBlock{});
}

TEST(StringBlock, SerializesCountsAndUnitsLittleEndianWithoutTerminators) {
    // U+4E2D, then a surrogate pair: 3 code units.
    const StringBlock block = {u"A", u"", u"中\U0001F600"};
    const auto bytes = rebrand::SerializeStringBlock(block);
    ASSERT_TRUE(bytes.has_value());
    std::string expected(
        "\x01\x00\x41\x00"                   // entry 0
        "\x00\x00"                           // entry 1
        "\x03\x00\x2D\x4E\x3D\xD8\x00\xDE",  // entry 2
        14);
    expected.append(13 * 2, '\0');  // entries 3 to 15
    EXPECT_EQ(expected, *bytes);
}

TEST(StringBlock, EntryLengthLimitIsTheSixteenBitCount) {
    StringBlock block;
    block[15] = std::u16string(65535, u'x');
    const auto longest = rebrand::SerializeStringBlock(block);
    ASSERT_TRUE(longest.has_value());
    EXPECT_EQ(2u * (16 + 65535), longest->size());
    EXPECT_EQ("\xFF\xFF", longest->substr(30, 2));
    EXPECT_EQ(block, ParsedOrFail(*longest));

    block[15].push_back(u'x');
    EXPECT_FALSE(rebrand::SerializeStringBlock(block).has_value());
}

TEST(StringBlock, ParseRefusesDataEndingInsideAnEntryAndIgnoresPadding) {
    StringBlock block;
    block[3] = u"abc";
    const std::string bytes = *rebrand::SerializeStringBlock(block);
    EXPECT_FALSE(rebrand::ParseStringBlock(bytes.substr(0, bytes.size() - 1)).has_value());
    EXPECT_FALSE(rebrand::ParseStringBlock(bytes.substr(0, 8 + 3)).has_value());  // in "abc"
    EXPECT_FALSE(rebrand::ParseStringBlock("").has_value());
    EXPECT_EQ(block, ParsedOrFail(bytes + std::string(6, '\0')));
}

TEST(StringBlock, BuiltInImagePerEdition) {
    struct Case {
        Edition edition;
        std::u16string product;
        std::u16string docTemplate;
    };
    const Case cases[] = {
        {Edition::kSimple, u"ZezEviZuzere", kZovTemplate},
        {Edition::kStandard, u"ZuvEra", kZovTemplate},
        {Edition::kV62, u"WumCAD", kWumTemplate},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.edition));
        const StringBlock block = rebrand::DefaultDocStringBlock(c.edition);
        for (size_t i : {0, 1, 2, 3, 4, 8, 9, 10, 11, 12, 13}) {
            EXPECT_TRUE(block[i].empty()) << "entry " << i;
        }
        EXPECT_EQ(u"OLE 初始化失败。请确保 OLE 库是正确的版本。", block[5]);
        EXPECT_EQ(26u, block[5].size());
        EXPECT_EQ(u"ZovIDE", block[6]);
        EXPECT_EQ(u"USB固件类型", block[7]);
        EXPECT_EQ(7u, block[7].size());
        EXPECT_EQ(c.product, block[14]);
        EXPECT_EQ(c.docTemplate, block[15]);
    }
    EXPECT_EQ(74u, std::u16string(kZovTemplate).size());
    EXPECT_EQ(72u, std::u16string(kWumTemplate).size());
}

TEST(StringBlock, TemplateFromDefaultCaptionIsTheBuiltInTemplate) {
    EXPECT_EQ(kZovTemplate, rebrand::DocTemplateFromCaption(u"ZovIDE", Edition::kSimple));
    EXPECT_EQ(kZovTemplate, rebrand::DocTemplateFromCaption(u"ZovIDE", Edition::kStandard));
    EXPECT_EQ(kWumTemplate, rebrand::DocTemplateFromCaption(u"WumCAD", Edition::kV62));
    EXPECT_EQ(u"\n新\n新\n新 Files (*.wmd)\n.wmd\n新.Document\n新.Document",
              rebrand::DocTemplateFromCaption(u"新", Edition::kV62));
}

TEST(StringBlock, DocBlockForEachCombinationOfTexts) {
    struct Case {
        std::u16string caption;
        std::u16string newDoc;
        Edition edition;
        std::u16string entry102, entry110, entry111;
    };
    const Case cases[] = {
        {u"新标题", u"新文档", Edition::kSimple, u"新文档", u"新标题",
         u"\n新标题\n新标题\n新标题 Files (*.vlqx)\n.vlqx\n新标题.Document\n新标题.Document"},
        {u"Abc", u"", Edition::kStandard, u"ZovIDE", u"Abc",
         u"\nAbc\nAbc\nAbc Files (*.vlqx)\n.vlqx\nAbc.Document\nAbc.Document"},
        {u"Abc", u"", Edition::kV62, u"ZovIDE", u"Abc",
         u"\nAbc\nAbc\nAbc Files (*.wmd)\n.wmd\nAbc.Document\nAbc.Document"},
        {u"", u"Doc", Edition::kStandard, u"Doc", u"ZuvEra", kZovTemplate},
        {u"", u"Doc", Edition::kV62, u"Doc", u"WumCAD", kWumTemplate},
        // The caller trims; a name of spaces beside a caption is a name.
        {u"Abc", u"  ", Edition::kSimple, u"  ", u"Abc",
         u"\nAbc\nAbc\nAbc Files (*.vlqx)\n.vlqx\nAbc.Document\nAbc.Document"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        const Case& c = cases[i];
        const rebrand::BlockData data =
            rebrand::BuildDocStringBlock(c.caption, c.newDoc, c.edition);
        ASSERT_EQ(BlockStatus::kWrite, data.status);
        StringBlock expected = rebrand::DefaultDocStringBlock(c.edition);
        expected[6] = c.entry102;
        expected[14] = c.entry110;
        expected[15] = c.entry111;
        EXPECT_EQ(*rebrand::SerializeStringBlock(expected), data.bytes);
    }
}

TEST(StringBlock, NothingToWriteWithoutTexts) {
    for (Edition edition : {Edition::kSimple, Edition::kStandard, Edition::kV62}) {
        const rebrand::BlockData data = rebrand::BuildDocStringBlock(u"", u"", edition);
        EXPECT_EQ(BlockStatus::kNothingToWrite, data.status);
        EXPECT_TRUE(data.bytes.empty());
    }
    EXPECT_EQ(BlockStatus::kNothingToWrite, rebrand::BuildTitleStringBlock(u"").status);
}

TEST(StringBlock, DocBlockRefusesTextsThatDoNotFitAnEntry) {
    // The template holds the caption five times plus 44 (42 for 6.2) fixed units.
    for (Edition edition : {Edition::kSimple, Edition::kV62}) {
        SCOPED_TRACE(static_cast<int>(edition));
        const auto fits = rebrand::BuildDocStringBlock(std::u16string(13098, u'c'), u"", edition);
        ASSERT_EQ(BlockStatus::kWrite, fits.status);
        EXPECT_LE(ParsedOrFail(fits.bytes)[15].size(), 65535u);

        const auto tooLong =
            rebrand::BuildDocStringBlock(std::u16string(13099, u'c'), u"", edition);
        EXPECT_EQ(BlockStatus::kTooLong, tooLong.status);
        EXPECT_TRUE(tooLong.bytes.empty());
    }
    EXPECT_EQ(
        BlockStatus::kWrite,
        rebrand::BuildDocStringBlock(u"", std::u16string(65535, u'n'), Edition::kSimple).status);
    EXPECT_EQ(
        BlockStatus::kTooLong,
        rebrand::BuildDocStringBlock(u"", std::u16string(65536, u'n'), Edition::kSimple).status);
    EXPECT_EQ(
        BlockStatus::kTooLong,
        rebrand::BuildDocStringBlock(std::u16string(70000, u'c'), u"n", Edition::kV62).status);
}

TEST(StringBlock, TitleBlockHoldsTheCaptionAsFirstEntry) {
    const rebrand::BlockData data = rebrand::BuildTitleStringBlock(u"标题");
    ASSERT_EQ(BlockStatus::kWrite, data.status);
    std::string expected("\x02\x00\x07\x68\x98\x98", 6);
    expected.append(15 * 2, '\0');
    EXPECT_EQ(expected, data.bytes);

    EXPECT_EQ(BlockStatus::kWrite,
              rebrand::BuildTitleStringBlock(std::u16string(65535, u't')).status);
    EXPECT_EQ(BlockStatus::kTooLong,
              rebrand::BuildTitleStringBlock(std::u16string(65536, u't')).status);
}

}  // namespace

namespace {

TEST(StringBlock, TheExecutablesOwnBlockKeepsWhatTheRebrandDoesNotSet) {
    rebrand::StringBlock own;
    for (size_t i = 0; i < own.size(); ++i) {
        own[i] = u"own " + std::u16string(1, static_cast<char16_t>(u'a' + i));
    }
    const rebrand::StringBlock defaults = rebrand::DefaultDocStringBlock(Edition::kStandard);
    struct Case {
        std::u16string caption;
        std::u16string newDoc;
    };
    for (const Case& c : {Case{u"标题", u""}, Case{u"", u"新文档"}, Case{u"标题", u"新文档"}}) {
        const auto built = rebrand::ParseStringBlock(
            rebrand::BuildDocStringBlock(c.caption, c.newDoc, Edition::kStandard, &own).bytes);
        ASSERT_TRUE(built.has_value());
        for (size_t i = 0; i < own.size(); ++i) {
            if (i == rebrand::kNewDocEntry) {
                EXPECT_EQ(c.newDoc.empty() ? defaults[i] : c.newDoc, (*built)[i]);
            } else if (i == rebrand::kProductEntry) {
                EXPECT_EQ(c.caption.empty() ? defaults[i] : c.caption, (*built)[i]);
            } else if (i == rebrand::kTemplateEntry) {
                EXPECT_EQ(c.caption.empty()
                              ? defaults[i]
                              : rebrand::DocTemplateFromCaption(c.caption, Edition::kStandard),
                          (*built)[i]);
            } else {
                EXPECT_EQ(own[i], (*built)[i]) << i;
            }
        }
    }
    rebrand::StringBlock title;
    title[1] = u"就绪";
    const auto built =
        rebrand::ParseStringBlock(rebrand::BuildTitleStringBlock(u"标题", &title).bytes);
    ASSERT_TRUE(built.has_value());
    EXPECT_EQ(u"标题", (*built)[0]);
    EXPECT_EQ(u"就绪", (*built)[1]);
}

}  // namespace
