#include <gtest/gtest.h>

#include <string>

#include "rebrand/pe_image.h"
#include "tests/support/pe_builder.h"

namespace {

using rebrand::PeHeaders;
using rebrand::PeStatus;
using rebrand::PreparedCopy;
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

        PreparedCopy prepared;
        prepared.overlay = "untouched";
        EXPECT_EQ(c.status, rebrand::PrepareCopy(c.bytes, prepared));
        EXPECT_EQ("untouched", prepared.overlay);

        std::string updated = c.bytes;
        EXPECT_EQ(c.status, rebrand::FinishCopy(updated, PreparedCopy{}));
        EXPECT_EQ(c.bytes, updated);
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

TEST(PeImage, PrepareDropsACertificateThatEndsTheFile) {
    PeLayout layout;
    layout.sectionSizes = {0x200, 0x200};
    layout.overlay = std::string("payload\0data", 12);
    layout.certificate = std::string(13, 'S');  // padded with three zero bytes
    layout.checksum = 0xABCD;
    const std::string original = BuildPeImage(layout);
    const PeHeaders h = ParsedOrFail(original);

    PreparedCopy prepared;
    ASSERT_EQ(PeStatus::kOk, rebrand::PrepareCopy(original, prepared));
    EXPECT_TRUE(prepared.removedCertificate);
    EXPECT_TRUE(prepared.recomputeChecksum);
    // The overlay keeps the alignment bytes before the certificate, not the certificate.
    EXPECT_EQ(layout.overlay + std::string(4, '\0'), prepared.overlay);
    ASSERT_EQ(h.sectionDataEnd, prepared.bytes.size());
    EXPECT_EQ(0u, GetLe32(prepared.bytes, h.certEntryOffset));
    EXPECT_EQ(0u, GetLe32(prepared.bytes, h.certEntryOffset + 4));
    // Everything else is the original.
    std::string expected = original.substr(0, h.sectionDataEnd);
    SetLe32(expected, h.certEntryOffset, 0);
    SetLe32(expected, h.certEntryOffset + 4, 0);
    EXPECT_EQ(expected, prepared.bytes);

    const PeHeaders after = ParsedOrFail(prepared.bytes);
    EXPECT_EQ(0u, after.certOffset);
    EXPECT_EQ(0u, after.certSize);
}

TEST(PeImage, CertificateFollowedByOtherDataStaysAsInertOverlay) {
    PeLayout layout;
    layout.overlay = "before";
    layout.certificate = std::string(16, 'S');
    std::string original = BuildPeImage(layout);
    original += "after the certificate";
    const PeHeaders h = ParsedOrFail(original);

    PreparedCopy prepared;
    ASSERT_EQ(PeStatus::kOk, rebrand::PrepareCopy(original, prepared));
    EXPECT_TRUE(prepared.removedCertificate);
    EXPECT_FALSE(prepared.recomputeChecksum);
    EXPECT_EQ(original.substr(h.sectionDataEnd), prepared.overlay);
    EXPECT_EQ(0u, GetLe32(prepared.bytes, h.certEntryOffset + 4));
}

TEST(PeImage, FinishPutsTheOverlayBackOnceWhateverTheUpdaterDid) {
    PeLayout layout;
    layout.sectionSizes = {0x200, 0x200};
    layout.overlay = "OVERLAY-DATA";
    const std::string original = BuildPeImage(layout);
    PreparedCopy prepared;
    ASSERT_EQ(PeStatus::kOk, rebrand::PrepareCopy(original, prepared));
    ASSERT_EQ(layout.overlay, prepared.overlay);
    EXPECT_FALSE(prepared.recomputeChecksum);

    // What an updater may leave: the last section grew, and the overlay is gone, kept
    // right behind the sections, or replaced by something else.
    const std::string grown =
        BuildPeImage(PeLayout{true, {0x200, 0x800}, "", "", 0, {}, {}, -1, {}});
    struct Case {
        const char* name;
        std::string updated;
    };
    const Case cases[] = {
        {"dropped", grown},
        {"kept", grown + layout.overlay},
        {"replaced", grown + "other"},
        {"unchanged copy", prepared.bytes},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string updated = c.updated;
        ASSERT_EQ(PeStatus::kOk, rebrand::FinishCopy(updated, prepared));
        const PeHeaders h = ParsedOrFail(updated);
        EXPECT_EQ(layout.overlay, updated.substr(h.sectionDataEnd));
        EXPECT_EQ(c.updated.substr(0, h.sectionDataEnd), updated.substr(0, h.sectionDataEnd));
    }

    // Without an overlay nothing is appended.
    PreparedCopy plain;
    ASSERT_EQ(PeStatus::kOk, rebrand::PrepareCopy(BuildPeImage(PeLayout{}), plain));
    std::string updated = grown;
    ASSERT_EQ(PeStatus::kOk, rebrand::FinishCopy(updated, plain));
    EXPECT_EQ(grown, updated);
}

TEST(PeImage, SymbolTableBehindTheSectionsMovesWithTheOverlay) {
    // As GNU ld leaves it: COFF symbols and their string table after the last section.
    const std::string symbols = "SYMBOLS-AND-STRINGS";
    std::string original =
        BuildPeImage(PeLayout{true, {0x200}, "pad" + symbols, "", 0, {}, {}, -1, {}});
    const size_t symbolsAt = original.size() - symbols.size();
    SetLe32(original, kBuiltPeOffset + 12, static_cast<uint32_t>(symbolsAt));
    SetLe32(original, kBuiltPeOffset + 16, 42);  // NumberOfSymbols
    EXPECT_EQ(symbolsAt, ParsedOrFail(original).symbolTableOffset);
    PreparedCopy prepared;
    ASSERT_EQ(PeStatus::kOk, rebrand::PrepareCopy(original, prepared));
    EXPECT_EQ(3u, prepared.symbolTableInOverlay);
    // The copy without its overlay does not point past its end.
    EXPECT_EQ(0u, GetLe32(prepared.bytes, kBuiltPeOffset + 12));
    EXPECT_EQ(0u, GetLe32(prepared.bytes, kBuiltPeOffset + 16));

    for (bool kept : {false, true}) {
        SCOPED_TRACE(kept);
        // The update grew the section.
        std::string updated = BuildPeImage(PeLayout{true, {0x600}, "", "", 0, {}, {}, -1, {}});
        if (kept) {
            updated += prepared.overlay;
        }
        ASSERT_EQ(PeStatus::kOk, rebrand::FinishCopy(updated, prepared));
        const PeHeaders h = ParsedOrFail(updated);
        EXPECT_EQ(symbols, updated.substr(h.symbolTableOffset));
        EXPECT_EQ(42u, GetLe32(updated, kBuiltPeOffset + 16));
    }

    // A pointer that does not lead behind the sections is left alone.
    SetLe32(original, kBuiltPeOffset + 12, 0x300);
    ASSERT_EQ(PeStatus::kOk, rebrand::PrepareCopy(original, prepared));
    EXPECT_EQ(PreparedCopy::kNoSymbolTable, prepared.symbolTableInOverlay);
    std::string updated = prepared.bytes;
    ASSERT_EQ(PeStatus::kOk, rebrand::FinishCopy(updated, prepared));
    EXPECT_EQ(0x300u, ParsedOrFail(updated).symbolTableOffset);
}

TEST(PeImage, FinishRecomputesTheChecksumOnlyWhenTheOriginalHadOne) {
    PeLayout layout;
    layout.overlay = "12345678";
    layout.certificate = "certificate!";
    layout.checksum = 0x5555;
    PreparedCopy prepared;
    ASSERT_EQ(PeStatus::kOk, rebrand::PrepareCopy(BuildPeImage(layout), prepared));
    ASSERT_TRUE(prepared.recomputeChecksum);

    std::string updated = prepared.bytes;
    ASSERT_EQ(PeStatus::kOk, rebrand::FinishCopy(updated, prepared));
    const PeHeaders h = ParsedOrFail(updated);
    EXPECT_NE(0x5555u, h.checksum);
    EXPECT_EQ(rebrand::ComputePeChecksum(updated, h.checksumOffset), h.checksum);
    EXPECT_EQ(0u, h.certOffset);
    EXPECT_EQ("12345678", updated.substr(h.sectionDataEnd));

    prepared.recomputeChecksum = false;
    updated = prepared.bytes;
    ASSERT_EQ(PeStatus::kOk, rebrand::FinishCopy(updated, prepared));
    EXPECT_EQ(0x5555u, ParsedOrFail(updated).checksum);
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
