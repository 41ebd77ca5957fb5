// The resource tree check that keeps damaged executables away from the resource update.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "rebrand/pe_image.h"
#include "rebrand/resource_tree.h"
#include "tests/support/pe_builder.h"

namespace {

using testsupport::GetLe32;
using testsupport::SetLe16;
using testsupport::SetLe32;

constexpr size_t kOptional = testsupport::kBuiltPeOffset + 24;
constexpr size_t kSectionTable = kOptional + 240;  // PE32+ optional header

struct Image {
    std::string bytes;
    size_t rsrc = 0;  // file offset of the resource section's data
};

// One section holding type 3 / id 1 / language 2052 with four bytes of data at 0x60:
// directories at 0x00, 0x18 and 0x30, the data entry at 0x48.
Image WithResources() {
    testsupport::PeLayout layout;
    Image image{testsupport::BuildPeImage(layout), 0};
    image.rsrc = GetLe32(image.bytes, kSectionTable + 20);
    const uint32_t va = GetLe32(image.bytes, kSectionTable + 12);
    SetLe32(image.bytes, kOptional + 112 + 16, va);  // data directory 2: resources
    SetLe32(image.bytes, kOptional + 112 + 20, 0x64);
    std::string& b = image.bytes;
    const size_t r = image.rsrc;
    for (size_t i = 0; i < 0x64; ++i) {
        b[r + i] = 0;
    }
    const uint32_t dirs[3][2] = {{0x00, 3}, {0x18, 1}, {0x30, 2052}};
    for (int level = 0; level < 3; ++level) {
        const size_t dir = r + dirs[level][0];
        SetLe16(b, dir + 14, 1);  // one id entry
        SetLe32(b, dir + 16, dirs[level][1]);
        SetLe32(b, dir + 20, level < 2 ? (0x80000000u | dirs[level + 1][0]) : 0x48u);
    }
    SetLe32(b, r + 0x48, va + 0x60);
    SetLe32(b, r + 0x4C, 4);
    return image;
}

TEST(ResourceTree, AcceptsAWellFormedTreeAndImagesWithoutResources) {
    EXPECT_EQ(rebrand::PeStatus::kOk, rebrand::CheckResourceDirectory(WithResources().bytes));
    EXPECT_EQ(rebrand::PeStatus::kOk,
              rebrand::CheckResourceDirectory(testsupport::BuildPeImage(testsupport::PeLayout{})));
}

TEST(ResourceTree, RefusesDamagedTrees) {
    struct Case {
        const char* what;
        std::function<void(Image&)> damage;
    };
    const Case cases[] = {
        {"entry count beyond the section", [](Image& i) { SetLe16(i.bytes, i.rsrc + 14, 0xFFFF); }},
        {"subdirectory outside the section",
         [](Image& i) { SetLe32(i.bytes, i.rsrc + 20, 0x80000000u | 0x7FFFFF00u); }},
        {"a directory that contains itself",
         [](Image& i) { SetLe32(i.bytes, i.rsrc + 0x18 + 20, 0x80000000u | 0x18); }},
        {"data where a directory belongs", [](Image& i) { SetLe32(i.bytes, i.rsrc + 20, 0x48); }},
        {"data outside the file", [](Image& i) { SetLe32(i.bytes, i.rsrc + 0x48, 0x7FFF0000u); }},
        {"data running past its section",
         [](Image& i) { SetLe32(i.bytes, i.rsrc + 0x4C, 0x10000); }},
        {"name string outside the section",
         [](Image& i) { SetLe32(i.bytes, i.rsrc + 16, 0x80000000u | 0x7FFF0000u); }},
        {"root outside every section",
         [](Image& i) { SetLe32(i.bytes, kOptional + 112 + 16, 0x7FFF0000u); }},
    };
    for (const auto& c : cases) {
        Image image = WithResources();
        c.damage(image);
        EXPECT_EQ(rebrand::PeStatus::kBadResources, rebrand::CheckResourceDirectory(image.bytes))
            << c.what;
        rebrand::ResourceTree tree;
        EXPECT_EQ(rebrand::PeStatus::kBadResources, rebrand::ReadResourceTree(image.bytes, tree))
            << c.what;
    }
}

}  // namespace
