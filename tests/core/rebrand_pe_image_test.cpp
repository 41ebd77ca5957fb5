#include <gtest/gtest.h>

#include <string>

#include "rebrand/pe_image.h"
#include "rebrand/resource_writer.h"
#include "tests/support/pe_builder.h"

namespace {

using rebrand::PeHeaders;
using rebrand::PeStatus;
using testsupport::BuildPeImage;
using testsupport::GetLe32;
using testsupport::kBuiltPeOffset;
using testsupport::PeLayout;
using testsupport::SetLe16;
using testsupport::SetLe32;

constexpr size_t kOptional = kBuiltPeOffset + 24;

PeHeaders ParsedOrFail(const std::string& bytes) {
    PeHeaders headers;
    EXPECT_EQ(PeStatus::kOk, rebrand::ParsePeHeaders(bytes, headers));
    return headers;
}

TEST(PeImage, ParsesPe32AndPe32PlusLayouts) {
    for (bool pe32Plus : {true, false}) {
        SCOPED_TRACE(pe32Plus);
        PeLayout layout;
        layout.pe32Plus = pe32Plus;
        layout.sectionSizes = {0x400, 0x10, 0x200};
        layout.overlay = "overlay";
        layout.certificate = std::string(24, 'C');
        layout.checksum = 0x1234;
        const std::string image = BuildPeImage(layout);
        const PeHeaders h = ParsedOrFail(image);
        EXPECT_EQ(pe32Plus, h.pe32Plus);
        EXPECT_EQ(kBuiltPeOffset, h.peOffset);
        EXPECT_EQ(3, h.sectionCount);
        EXPECT_EQ(0x200u, h.sizeOfHeaders);  // three section headers still fit
        EXPECT_EQ(0x200u + 0x400 + 0x200 + 0x200, h.sectionDataEnd);
        EXPECT_EQ(kOptional + 64, h.checksumOffset);
        EXPECT_EQ(0x1234u, h.checksum);
        EXPECT_EQ(kOptional + (pe32Plus ? 112 : 96) + 32, h.certEntryOffset);
        EXPECT_EQ(h.sectionDataEnd + 8, h.certOffset);  // "overlay" padded to 8
        EXPECT_EQ(24u, h.certSize);
        EXPECT_EQ(image.substr(h.sectionDataEnd, 7), "overlay");
    }
}

TEST(PeImage, OverlayStartsAfterTheHighestSectionWhateverTheTableOrder) {
    std::string image = BuildPeImage(PeLayout{true, {0x200, 0x600}, "tail", "", 0, {}, {}, -1, {}});
    // Swap the raw positions of the two sections: the first now holds the highest data.
    const size_t table = kOptional + 240;
    const uint32_t first = GetLe32(image, table + 20);
    const uint32_t second = GetLe32(image, table + 40 + 20);
    SetLe32(image, table + 20, second);
    SetLe32(image, table + 16, 0x600);
    SetLe32(image, table + 40 + 20, first);
    SetLe32(image, table + 40 + 16, 0x200);
    EXPECT_EQ(image.size() - 4, ParsedOrFail(image).sectionDataEnd);
}

TEST(PeImage, MalformedFilesAreRefused) {
    const std::string good = BuildPeImage(PeLayout{});
    auto with = [&good](size_t pos, uint32_t value, int width = 4) {
        std::string bytes = good;
        if (width == 2) {
            SetLe16(bytes, pos, static_cast<uint16_t>(value));
        } else {
            SetLe32(bytes, pos, value);
        }
        return bytes;
    };
    struct Case {
        const char* name;
        std::string bytes;
        PeStatus status;
    };
    const Case cases[] = {
        {"empty", "", PeStatus::kNotPe},
        {"text file", "MX this is not an executable", PeStatus::kNotPe},
        {"DOS header cut", good.substr(0, 63), PeStatus::kTruncated},
        {"e_lfanew beyond the file", with(0x3C, static_cast<uint32_t>(good.size())),
         PeStatus::kTruncated},
        {"e_lfanew near 4 GB", with(0x3C, 0xFFFFFFF0u), PeStatus::kTruncated},
        {"file header cut", good.substr(0, kBuiltPeOffset + 20), PeStatus::kTruncated},
        {"no PE signature", with(kBuiltPeOffset, 0x00004550 + 1), PeStatus::kNotPe},
        {"optional header cut", good.substr(0, kOptional + 100), PeStatus::kTruncated},
        {"optional header size beyond the file", with(kBuiltPeOffset + 20, 0xFFFF, 2),
         PeStatus::kTruncated},
        {"unknown magic", with(kOptional, 0x107, 2), PeStatus::kNotPe},
        {"optional header too short for its magic", with(kBuiltPeOffset + 20, 96, 2),
         PeStatus::kNotPe},
        {"SizeOfHeaders beyond the file", with(kOptional + 60, 0x100000), PeStatus::kTruncated},
        {"section table beyond the file", with(kBuiltPeOffset + 6, 60, 2),
         PeStatus::kBadSectionTable},
        {"section data cut", good.substr(0, good.size() - 1), PeStatus::kBadSectionTable},
        {"section data past 4 GB", with(kOptional + 240 + 20, 0xFFFFFF00u),
         PeStatus::kBadSectionTable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PeHeaders headers;
        headers.sectionCount = 99;
        EXPECT_EQ(c.status, rebrand::ParsePeHeaders(c.bytes, headers));
        EXPECT_EQ(99, headers.sectionCount);  // untouched on failure

        rebrand::ImagePlan plan;
        EXPECT_EQ(rebrand::ResourceWriteStatus::kBadImage,
                  rebrand::PlanResourceWrite(c.bytes, rebrand::ResourceTree{}, plan));
        EXPECT_EQ(c.status, plan.status);
    }
}

TEST(PeImage, ChecksumAgainstHandComputedValues) {
    // Words FFFF + 0002 carry into 0002; the field (AA BB CC DD) counts as 0; the odd last
    // byte 05 is a word 0005: 0002 + 0005 = 0007, plus the length 9.
    EXPECT_EQ(0x10u, rebrand::ComputePeChecksum(
                         std::string_view("\xFF\xFF\x02\x00\xAA\xBB\xCC\xDD\x05", 9), 4));
    // A field at an odd offset: bytes 1 to 4 count as 0, leaving words 0011, 0000, 6600.
    EXPECT_EQ(0x6611u + 6, rebrand::ComputePeChecksum("\x11\x22\x33\x44\x55\x66", 1));
    // 0x20000 words FFFF fold to FFFF (not 0); the field lies beyond the data.
    EXPECT_EQ(0xFFFFu + 0x40000, rebrand::ComputePeChecksum(std::string(0x40000, '\xFF'), 0x40000));
    EXPECT_EQ(0u, rebrand::ComputePeChecksum("", 0));
}

}  // namespace

namespace {

TEST(PeImage, OnlyRelocationsAndDiscardableDebugDataMayMove) {
    using rebrand::SectionPlace;
    constexpr uint32_t kDiscardable = 0x02000000;
    const std::vector<SectionPlace> before = {{".text", 0x1000, 0},
                                              {".rsrc", 0x3000, 0},
                                              {".data", 0x9000, 0},
                                              {".reloc", 0xA000, kDiscardable},
                                              {".debug_info", 0xB000, kDiscardable},
                                              {".debug_x", 0xC000, 0}};
    struct Case {
        const char* what;
        std::vector<std::pair<size_t, uint32_t>> moves;  // index in before, new address
        std::string moved;
    };
    const Case cases[] = {
        {"nothing moved", {}, ""},
        {"relocations and debug data moved", {{3, 0xB000}, {4, 0xC000}}, ""},
        {"data behind a grown .rsrc", {{2, 0xA000}, {3, 0xB000}}, ".data"},
        {"debug data that is loaded", {{5, 0xD000}}, ".debug_x"},
    };
    for (const Case& c : cases) {
        std::vector<SectionPlace> after = before;
        for (const auto& [index, address] : c.moves) {
            after[index].virtualAddress = address;
        }
        EXPECT_EQ(c.moved, rebrand::MovedSection(before, after)) << c.what;
    }
    std::vector<SectionPlace> dropped = before;
    dropped.erase(dropped.begin() + 2);
    EXPECT_EQ(".data", rebrand::MovedSection(before, dropped));
    // Names are matched in order: the second of two equal names is compared with the second.
    const std::vector<SectionPlace> twice = {{".t", 0x1000, 0}, {".t", 0x2000, 0}};
    EXPECT_EQ("", rebrand::MovedSection(twice, twice));
    EXPECT_EQ(".t", rebrand::MovedSection(twice, {{".t", 0x1000, 0}, {".t", 0x3000, 0}}));
}

TEST(PeImage, SectionPlacesReadTheSectionTable) {
    testsupport::PeLayout layout;
    layout.sectionSizes = {0x200, 0x1200, 0x200};
    const auto places = rebrand::SectionPlaces(testsupport::BuildPeImage(layout));
    ASSERT_EQ(3u, places.size());
    EXPECT_EQ(".s2", places[2].name);
    EXPECT_LT(places[1].virtualAddress, places[2].virtualAddress);
    EXPECT_TRUE(rebrand::SectionPlaces("MZ").empty());
}

}  // namespace
