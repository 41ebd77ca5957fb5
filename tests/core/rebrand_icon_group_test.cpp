#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "rebrand/icon_group.h"
#include "rebrand/le_bytes.h"
#include "samples/sample_install.h"
#include "tests/support/pe_builder.h"

namespace {

using rebrand::IconFileStatus;
using rebrand::IconGroupStatus;
using rebrand::IconImage;
using rebrand::ResourceName;
using rebrand::ResourceTree;

const ResourceName kGroup = ResourceName::Id(14);
const ResourceName kIcon = ResourceName::Id(3);
const ResourceName kChinese = ResourceName::Id(2052);
const ResourceName kEnglish = ResourceName::Id(1033);

// A group resource whose entries reference ids (a 32 x 32 image of 100 bytes each).
std::string GroupOf(const std::vector<uint16_t>& ids) {
    std::string data(6 + 14 * ids.size(), '\0');
    testsupport::SetLe16(data, 2, 1);
    testsupport::SetLe16(data, 4, static_cast<uint16_t>(ids.size()));
    for (size_t i = 0; i < ids.size(); ++i) {
        data[6 + 14 * i] = 32;
        data[6 + 14 * i + 1] = 32;
        testsupport::SetLe32(data, 6 + 14 * i + 8, 100);
        testsupport::SetLe16(data, 6 + 14 * i + 12, ids[i]);
    }
    return data;
}

std::vector<IconImage> ImagesOf(const std::string& ico) {
    std::vector<IconImage> images;
    EXPECT_EQ(IconFileStatus::kOk, rebrand::ReadIconImages(ico, images));
    return images;
}

using Snapshot = std::map<std::tuple<uint16_t, uint16_t, uint16_t>, std::string>;

// Every id-named resource's bytes.
Snapshot Take(const ResourceTree& tree) {
    Snapshot all;
    for (const auto& [type, typeNode] : tree.types) {
        for (const auto& [name, nameNode] : typeNode.names) {
            for (const auto& [language, data] : nameNode.languages) {
                all[{type.id, name.id, language.id}] = std::string(data.bytes);
            }
        }
    }
    return all;
}

std::string Bytes(const ResourceTree& tree, const ResourceName& type, uint16_t name,
                  const ResourceName& language) {
    const rebrand::ResourceData* data = tree.Find(type, ResourceName::Id(name), language);
    return data == nullptr ? "<none>" : std::string(data->bytes);
}

TEST(IconGroup, RebuiltGroupKeepsSharedImagesAndTakesFreeIds) {
    ResourceTree tree;
    tree.Set(kGroup, ResourceName::Id(128), kChinese, GroupOf({1, 2}));
    tree.Set(kGroup, ResourceName::Id(129), kChinese, GroupOf({2, 3}));
    tree.Set(kGroup, ResourceName::Id(130), kEnglish, GroupOf({4}));  // no RT_ICON 4
    for (uint16_t id : {1, 2, 3}) {
        tree.Set(kIcon, ResourceName::Id(id), kChinese, "image " + std::to_string(id));
    }
    tree.Set(kIcon, ResourceName::Id(1), kEnglish, "image 1 en");
    tree.Set(kIcon, ResourceName::Id(5), kEnglish, "image 5 en");  // in no group
    tree.Set(ResourceName::Id(6), ResourceName::Id(7), kChinese, "strings");
    Snapshot kept = Take(tree);
    kept.erase({14, 128, 2052});
    kept.erase({3, 1, 2052});
    kept.erase({3, 1, 1033});

    std::vector<IconImage> images = ImagesOf(samples::MakeIco({16, 48, 256}, 2, 256));
    images[1].entry.height = 96;  // the entry is taken as it is
    images[1].entry.colorCount = 16;
    ASSERT_EQ(IconGroupStatus::kOk,
              rebrand::RebuildIconGroup(tree, ResourceName::Id(128), images, kEnglish));

    // 1 was the old group's own, 2 and 3 are group 129's, 4 group 130's, 5 an image's.
    const uint16_t newIds[] = {1, 6, 7};
    const uint8_t widths[] = {16, 48, 0};
    const uint8_t heights[] = {16, 96, 0};
    const uint8_t colours[] = {0, 16, 0};
    const std::string group = Bytes(tree, kGroup, 128, kChinese);
    ASSERT_EQ(6u + 3 * 14, group.size());
    EXPECT_EQ(std::string("\0\0\1\0\3\0", 6), group.substr(0, 6));
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const size_t at = 6 + 14 * i;
        EXPECT_EQ(widths[i], static_cast<uint8_t>(group[at]));
        EXPECT_EQ(heights[i], static_cast<uint8_t>(group[at + 1]));
        EXPECT_EQ(colours[i], static_cast<uint8_t>(group[at + 2]));
        EXPECT_EQ(0, group[at + 3]);
        EXPECT_EQ(1, rebrand::Le16(group, at + 4));
        EXPECT_EQ(32, rebrand::Le16(group, at + 6));
        EXPECT_EQ(images[i].bytes.size(), rebrand::Le32(group, at + 8));
        EXPECT_EQ(newIds[i], rebrand::Le16(group, at + 12));
        EXPECT_EQ(images[i].bytes, Bytes(tree, kIcon, newIds[i], kChinese));
    }
    EXPECT_EQ(0, images[2].bytes.compare(0, 4, "\x89PNG"));
    EXPECT_EQ("<none>", Bytes(tree, kIcon, 1, kEnglish));  // gone in every language

    Snapshot after = Take(tree);
    after.erase({14, 128, 2052});
    for (uint16_t id : newIds) {
        after.erase({3, id, 2052});
    }
    EXPECT_EQ(kept, after);
}

TEST(IconGroup, EveryLanguageOfTheGroupGetsTheSameEntriesAndImages) {
    ResourceTree tree;
    tree.Set(kGroup, ResourceName::Id(1), kChinese, GroupOf({1}));
    tree.Set(kGroup, ResourceName::Id(1), kEnglish, GroupOf({2}));
    tree.Set(kIcon, ResourceName::Id(1), kChinese, "zh");
    tree.Set(kIcon, ResourceName::Id(2), kEnglish, "en");
    const std::vector<IconImage> images = ImagesOf(samples::MakeIco({32, 16}, 1));
    ASSERT_EQ(IconGroupStatus::kOk,
              rebrand::RebuildIconGroup(tree, ResourceName::Id(1), images, kChinese));
    const std::string group = Bytes(tree, kGroup, 1, kChinese);
    EXPECT_EQ(group, Bytes(tree, kGroup, 1, kEnglish));
    EXPECT_EQ(2, rebrand::Le16(group, 4));
    for (const ResourceName& language : {kChinese, kEnglish}) {
        EXPECT_EQ(images[0].bytes, Bytes(tree, kIcon, 1, language));
        EXPECT_EQ(images[1].bytes, Bytes(tree, kIcon, 2, language));
    }
    EXPECT_EQ(6u, tree.Count());
}

TEST(IconGroup, GroupIsCreatedOnlyInATreeWithoutGroups) {
    ResourceTree tree;
    tree.Set(ResourceName::Id(6), ResourceName::Id(7), kChinese, "strings");
    tree.Set(kIcon, ResourceName::Id(1), kChinese, "loose image");
    const std::vector<IconImage> images = ImagesOf(samples::MakeIco({16}, 1));
    const ResourceName name = ResourceName::Text(u"MAIN");
    ASSERT_EQ(IconGroupStatus::kOk, rebrand::RebuildIconGroup(tree, name, images, kEnglish));
    ASSERT_NE(nullptr, tree.Find(kGroup, name, kEnglish));
    EXPECT_EQ(2, rebrand::Le16(tree.Find(kGroup, name, kEnglish)->bytes, 6 + 12));
    EXPECT_EQ(images[0].bytes, Bytes(tree, kIcon, 2, kEnglish));
    EXPECT_EQ("loose image", Bytes(tree, kIcon, 1, kChinese));
    EXPECT_EQ(IconGroupStatus::kNoSuchGroup,
              rebrand::RebuildIconGroup(tree, ResourceName::Id(1), images, kEnglish));
}

TEST(IconGroup, RefusedRebuildsLeaveTheTreeAlone) {
    std::vector<uint16_t> everyId;
    for (uint32_t id = 1; id <= 0xFFFF; ++id) {
        everyId.push_back(static_cast<uint16_t>(id));
    }
    std::string reserved = GroupOf({1});
    reserved[0] = 1;
    std::string cursorType = GroupOf({1});
    cursorType[2] = 2;
    std::string countTooHigh = GroupOf({1});
    countTooHigh[4] = 2;
    struct Case {
        const char* name;
        std::string group128;
        std::string group129;
        uint16_t target;
        bool noImages;
        IconGroupStatus status;
    };
    const Case cases[] = {
        {"no images", GroupOf({1}), GroupOf({2}), 128, true, IconGroupStatus::kNoImages},
        {"no such group", GroupOf({1}), GroupOf({2}), 127, false, IconGroupStatus::kNoSuchGroup},
        {"five bytes", GroupOf({}).substr(0, 5), GroupOf({2}), 128, false,
         IconGroupStatus::kBadGroup},
        {"reserved 1", reserved, GroupOf({2}), 128, false, IconGroupStatus::kBadGroup},
        {"type 2", cursorType, GroupOf({2}), 128, false, IconGroupStatus::kBadGroup},
        {"entry missing", countTooHigh, GroupOf({2}), 128, false, IconGroupStatus::kBadGroup},
        {"every id taken", GroupOf({1}), GroupOf(everyId), 128, false, IconGroupStatus::kNoFreeIds},
    };
    const std::vector<IconImage> images = ImagesOf(samples::MakeIco({16}, 1));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResourceTree tree;
        tree.Set(kGroup, ResourceName::Id(128), kChinese, c.group128);
        tree.Set(kGroup, ResourceName::Id(129), kEnglish, c.group129);
        tree.Set(kIcon, ResourceName::Id(1), kChinese, "one");
        const Snapshot before = Take(tree);
        EXPECT_EQ(c.status, rebrand::RebuildIconGroup(
                                tree, ResourceName::Id(c.target),
                                c.noImages ? std::vector<IconImage>{} : images, kChinese));
        EXPECT_EQ(before, Take(tree));
    }
}

TEST(IconGroup, MainGroupIsTheFirstInResourceOrder) {
    ResourceTree tree;
    EXPECT_FALSE(rebrand::MainIconGroup(tree).has_value());
    tree.Set(kGroup, ResourceName::Id(9), kChinese, "");
    tree.Set(kGroup, ResourceName::Id(3), kEnglish, "");
    tree.Set(kIcon, ResourceName::Text(u"A"), kChinese, "");
    EXPECT_EQ(ResourceName::Id(3), rebrand::MainIconGroup(tree));
    tree.Set(kGroup, ResourceName::Text(u"MAINB"), kChinese, "");
    tree.Set(kGroup, ResourceName::Text(u"MAIN"), kChinese, "");
    EXPECT_EQ(ResourceName::Text(u"MAIN"), rebrand::MainIconGroup(tree));
}

TEST(IconFile, AllImagesInFileOrderOrNoneWhenOneIsBad) {
    const std::string file = samples::MakeIco({16, 32, 256}, 1, 256);
    std::vector<IconImage> images;
    ASSERT_EQ(IconFileStatus::kOk, rebrand::ReadIconImages(file, images));
    ASSERT_EQ(3u, images.size());
    const int sizes[] = {16, 32, 0};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(sizes[i], images[i].entry.width);
        EXPECT_EQ(file.substr(images[i].entry.imageOffset, images[i].entry.imageSize),
                  images[i].bytes);
    }
    EXPECT_EQ(file.size(), images[2].entry.imageOffset + images[2].entry.imageSize);

    // Two images; the second ends the file.
    const std::string two = samples::MakeIco({16, 32}, 1);
    const size_t second = 6 + 16;
    std::string emptySecond = two;
    testsupport::SetLe32(emptySecond, second + 8, 0);
    std::string foreignSecond = two;
    foreignSecond[testsupport::GetLe32(two, second + 12)] = 41;
    std::string tooMany = two;
    testsupport::SetLe16(tooMany, 4, 257);
    const std::pair<std::string, IconFileStatus> cases[] = {
        {two.substr(0, two.size() - 1), IconFileStatus::kImageOutsideFile},
        {emptySecond, IconFileStatus::kEmptyImage},
        {foreignSecond, IconFileStatus::kNotAnIconImage},
        {two.substr(0, second + 8), IconFileStatus::kTooShort},  // the second entry cut
        {tooMany, IconFileStatus::kTooManyImages},
    };
    for (const auto& [bad, status] : cases) {
        SCOPED_TRACE(static_cast<int>(status));
        images.assign(1, IconImage{{}, "previous"});
        EXPECT_EQ(status, rebrand::ReadIconImages(bad, images));
        ASSERT_EQ(1u, images.size());
        EXPECT_EQ("previous", images[0].bytes);
    }
    rebrand::IconDirEntry first;
    std::string image;
    EXPECT_EQ(IconFileStatus::kOk,
              rebrand::ReadFirstIconImage(two.substr(0, two.size() - 1), first, image))
        << "the first image alone does not look past its own entry";
}

}  // namespace
