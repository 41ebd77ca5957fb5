// The resource engine: the tree read from an image, changed, and written into the image
// laid out again, on a table of section layouts.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "rebrand/pe_image.h"
#include "rebrand/pe_layout.h"
#include "rebrand/resource_tree.h"
#include "rebrand/resource_writer.h"
#include "tests/support/pe_builder.h"

namespace {

using rebrand::ResourceChange;
using rebrand::ResourceName;
using rebrand::ResourceWriteStatus;
using testsupport::GetLe32;
using testsupport::SetLe32;

using Key = std::tuple<ResourceName, ResourceName, ResourceName>;
using Flat = std::map<Key, std::pair<std::string, uint32_t>>;  // bytes, code page

Flat Flatten(const rebrand::ResourceTree& tree) {
    Flat flat;
    for (const auto& [type, typeNode] : tree.types) {
        for (const auto& [name, nameNode] : typeNode.names) {
            for (const auto& [language, data] : nameNode.languages) {
                flat[{type, name, language}] = {std::string(data.bytes), data.codePage};
            }
        }
    }
    return flat;
}

Flat ReadFlat(const std::string& image) {
    rebrand::ResourceTree tree;
    EXPECT_EQ(rebrand::PeStatus::kOk, rebrand::ReadResourceTree(image, tree));
    return Flatten(tree);
}

ResourceName Id(uint16_t id) {
    return ResourceName::Id(id);
}

std::string Pattern(size_t size, int variant) {
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        s[i] = static_cast<char>((i * 13 + static_cast<size_t>(variant) * 101 + 7) & 0xFF);
    }
    return s;
}

ResourceChange Put(uint16_t type, uint16_t id, std::string data, uint16_t language = 2052) {
    return ResourceChange{Id(type), Id(id), Id(language), std::move(data), false};
}

// What must hold for every image the engine writes: it parses, its tree is the expected
// one, its sections are contiguous in memory, every section but the resources' keeps its
// bytes, those that code refers to keep their address, the data behind the sections
// follows them unchanged, and a checksum is the file's.
void ExpectSound(const std::string& before, const std::string& after, const Flat& expected,
                 const std::string& overlay) {
    rebrand::PeLayout b;
    rebrand::PeLayout a;
    ASSERT_EQ(rebrand::PeStatus::kOk, rebrand::ReadPeLayout(before, b));
    ASSERT_EQ(rebrand::PeStatus::kOk, rebrand::ReadPeLayout(after, a));
    ASSERT_EQ(rebrand::PeStatus::kOk, rebrand::CheckResourceDirectory(after));
    EXPECT_EQ(expected, ReadFlat(after));

    std::vector<rebrand::SectionHeader> byVa = a.sections;
    std::sort(byVa.begin(), byVa.end(),
              [](const auto& x, const auto& y) { return x.virtualAddress < y.virtualAddress; });
    for (size_t i = 0; i + 1 < byVa.size(); ++i) {
        const uint32_t end =
            byVa[i].virtualAddress + std::max(byVa[i].virtualSize, byVa[i].rawSize);
        EXPECT_EQ((end + 0xFFF) & ~0xFFFu, byVa[i + 1].virtualAddress) << byVa[i].name;
    }
    const auto& last = byVa.back();
    EXPECT_EQ((last.virtualAddress + std::max(last.virtualSize, last.rawSize) + 0xFFF) & ~0xFFFu,
              a.sizeOfImage);
    const uint32_t resources = a.Directory(rebrand::kResourceDirectory).rva;
    for (const auto& s : b.sections) {
        if (s.virtualAddress == b.Directory(rebrand::kResourceDirectory).rva) {
            continue;
        }
        const auto same = std::find_if(a.sections.begin(), a.sections.end(),
                                       [&](const auto& x) { return x.name == s.name; });
        ASSERT_NE(a.sections.end(), same) << s.name;
        EXPECT_EQ(before.substr(s.rawOffset, s.rawSize),
                  after.substr(same->rawOffset, same->rawSize))
            << s.name;
        if (s.name != ".reloc" && (s.characteristics & rebrand::kScnDiscardable) == 0) {
            EXPECT_EQ(s.virtualAddress, same->virtualAddress) << s.name;
        }
        EXPECT_NE(resources, same->virtualAddress);
    }
    EXPECT_EQ(overlay, after.substr(a.headers.sectionDataEnd));
    if (b.headers.checksum != 0) {
        EXPECT_EQ(rebrand::ComputePeChecksum(after, a.headers.checksumOffset), a.headers.checksum);
    } else {
        EXPECT_EQ(0u, a.headers.checksum);
    }
}

struct LayoutCase {
    const char* what;
    testsupport::PeLayout layout;
    size_t added;  // bytes of the resource added
    ResourceWriteStatus status;
    const char* moved;  // the section named when refused
};

std::vector<LayoutCase> Layouts() {
    using testsupport::PeLayout;
    std::vector<LayoutCase> cases;
    PeLayout last;
    last.sectionSizes = {0x400, 0x200};
    last.resourceSection = 1;
    cases.push_back({"resources last, in place", last, 0x100, ResourceWriteStatus::kOk, ""});
    cases.push_back({"resources last, grown", last, 0x5000, ResourceWriteStatus::kOk, ""});

    PeLayout reloc;
    reloc.sectionSizes = {0x400, 0x200, 0x300};
    reloc.sectionNames = {".text", ".rsrc", ".reloc"};
    reloc.resourceSection = 1;
    reloc.directories = {{5, 2}};
    cases.push_back(
        {"resources before .reloc, grown", reloc, 0x3800, ResourceWriteStatus::kOk, ""});

    PeLayout debug;
    debug.sectionSizes = {0x400, 0x200, 0x300, 0x600};
    debug.sectionNames = {".text", ".rsrc", ".reloc", ".debug_i"};
    debug.sectionFlags = {0x60000020, 0x40000040, 0x42000040, 0x42000040};
    debug.resourceSection = 1;
    debug.directories = {{5, 2}};
    debug.overlay = Pattern(0x333, 5);
    cases.push_back({"resources before .reloc and debug data, grown, with overlay", debug, 0x2100,
                     ResourceWriteStatus::kOk, ""});

    PeLayout first;
    first.sectionSizes = {0x200, 0x400, 0x200};
    first.sectionNames = {".rsrc", ".data", ".reloc"};
    first.resourceSection = 0;
    cases.push_back(
        {"resources before data, in place", first, 0x200, ResourceWriteStatus::kOk, ""});
    cases.push_back({"resources before data, too big", first, 0x2000,
                     ResourceWriteStatus::kWouldMove, ".data"});

    PeLayout none;
    none.sectionSizes = {0x400, 0x200};
    none.overlay = Pattern(0x45, 9);
    none.checksum = 0x1234;
    cases.push_back(
        {"no resources yet, with overlay and checksum", none, 0x900, ResourceWriteStatus::kOk, ""});
    return cases;
}

TEST(ResourceEngine, WritesEveryLayoutOrRefusesIt) {
    for (const bool pe32Plus : {false, true}) {
        for (LayoutCase c : Layouts()) {
            SCOPED_TRACE(std::string(c.what) + (pe32Plus ? " (PE32+)" : " (PE32)"));
            c.layout.pe32Plus = pe32Plus;
            const std::string image = testsupport::BuildPeImage(c.layout);
            std::string first;
            ASSERT_EQ(
                ResourceWriteStatus::kOk,
                rebrand::ApplyResourceChanges(
                    image, {Put(3, 1, Pattern(0x30, 1)), Put(14, 101, Pattern(0x14, 2))}, first));
            ExpectSound(image, first, ReadFlat(first), c.layout.overlay);
            EXPECT_EQ(2u, ReadFlat(first).size());

            std::string second;
            rebrand::ImagePlan plan;
            const ResourceWriteStatus status = rebrand::ApplyResourceChanges(
                first, {Put(10, 1000, Pattern(c.added, 3)), Put(3, 1, Pattern(0x40, 4))}, second,
                &plan);
            ASSERT_EQ(c.status, status);
            if (status != ResourceWriteStatus::kOk) {
                EXPECT_EQ(c.moved, plan.movedSection);
                continue;
            }
            Flat expected = ReadFlat(first);
            expected[{Id(10), Id(1000), Id(2052)}] = {Pattern(c.added, 3), 0};
            expected[{Id(3), Id(1), Id(2052)}].first = Pattern(0x40, 4);
            ExpectSound(first, second, expected, c.layout.overlay);
        }
    }
}

TEST(ResourceEngine, MovedSectionsTakeTheirDirectoryAndDebugEntriesAlong) {
    testsupport::PeLayout layout;
    layout.sectionSizes = {0x400, 0x200, 0x300, 0x600};
    layout.sectionNames = {".text", ".rsrc", ".reloc", ".debug_i"};
    layout.sectionFlags = {0x60000020, 0x40000040, 0x42000040, 0x42000040};
    layout.resourceSection = 1;
    layout.directories = {{5, 2}};
    std::string image = testsupport::BuildPeImage(layout);
    rebrand::PeLayout before;
    ASSERT_EQ(rebrand::PeStatus::kOk, rebrand::ReadPeLayout(image, before));
    // One debug directory entry in .text, pointing at .debug_i's data; a symbol table
    // behind the sections.
    const auto& text = before.sections[0];
    const auto& debug = before.sections[3];
    const uint32_t entry = text.rawOffset + 0x100;
    SetLe32(image, entry + 16, 0x20);
    SetLe32(image, entry + 20, debug.virtualAddress + 0x10);
    SetLe32(image, entry + 24, debug.rawOffset + 0x10);
    SetLe32(image, static_cast<size_t>(before.directoriesOffset + 8 * 6),
            text.virtualAddress + 0x100);
    SetLe32(image, static_cast<size_t>(before.directoriesOffset + 8 * 6 + 4), 28);
    const uint32_t symbols = static_cast<uint32_t>(image.size());
    image += Pattern(0x40, 8);
    SetLe32(image, testsupport::kBuiltPeOffset + 4 + 8, symbols);

    std::string updated;
    ASSERT_EQ(ResourceWriteStatus::kOk,
              rebrand::ApplyResourceChanges(image, {Put(10, 1, Pattern(0x2345, 1))}, updated));
    rebrand::PeLayout after;
    ASSERT_EQ(rebrand::PeStatus::kOk, rebrand::ReadPeLayout(updated, after));
    const auto& reloc = after.sections[2];
    const auto& debugAfter = after.sections[3];
    ASSERT_GT(reloc.virtualAddress, before.sections[2].virtualAddress);
    EXPECT_EQ(reloc.virtualAddress, after.Directory(5).rva);
    EXPECT_EQ(before.Directory(5).size, after.Directory(5).size);
    // The entry lies in .text, which kept its place in the file.
    EXPECT_EQ(debugAfter.virtualAddress + 0x10, GetLe32(updated, entry + 20));
    EXPECT_EQ(debugAfter.rawOffset + 0x10, GetLe32(updated, entry + 24));
    EXPECT_EQ(image.substr(debug.rawOffset + 0x10, 0x20),
              updated.substr(GetLe32(updated, entry + 24), 0x20));
    EXPECT_EQ(Pattern(0x40, 8), updated.substr(after.headers.symbolTableOffset, 0x40));
}

TEST(ResourceEngine, DirectoriesListNamesAsTheLoaderSearchesThem) {
    testsupport::PeLayout layout;
    layout.resourceSection = 0;
    const std::string image = testsupport::BuildPeImage(layout);
    std::vector<ResourceChange> changes;
    for (const auto& type : {ResourceName::Text(u"B"), ResourceName::Text(u"AB"), Id(24),
                             ResourceName::Text(u"A"), Id(3), ResourceName::Text(u"\u00C4")}) {
        changes.push_back({type, Id(1), Id(0), "x", false});
    }
    std::string updated;
    ASSERT_EQ(ResourceWriteStatus::kOk, rebrand::ApplyResourceChanges(image, changes, updated));
    rebrand::PeLayout l;
    ASSERT_EQ(rebrand::PeStatus::kOk, rebrand::ReadPeLayout(updated, l));
    uint64_t root = 0;
    uint64_t end = 0;
    ASSERT_TRUE(l.MapRva(l.Directory(2).rva, root, end));
    EXPECT_EQ(4u, GetLe32(updated, root + 12) & 0xFFFF);  // named entries
    EXPECT_EQ(2u, GetLe32(updated, root + 12) >> 16);     // id entries
    std::vector<std::u16string> order;
    for (int i = 0; i < 6; ++i) {
        const uint32_t name = GetLe32(updated, root + 16 + 8 * i);
        if ((name & 0x80000000u) == 0) {
            const std::string id = "#" + std::to_string(name);
            order.push_back(std::u16string(id.begin(), id.end()));
            continue;
        }
        const uint64_t at = root + (name & 0x7FFFFFFF);
        const uint32_t length = GetLe32(updated, at) & 0xFFFF;
        std::u16string text;
        for (uint32_t j = 0; j < length; ++j) {
            text += static_cast<char16_t>(GetLe32(updated, at + 2 + 2 * j) & 0xFFFF);
        }
        order.push_back(text);
    }
    EXPECT_EQ((std::vector<std::u16string>{u"A", u"AB", u"B", u"\u00C4", u"#3", u"#24"}), order)
        << "ordinal order of the UTF-16 units, a prefix first, then ids ascending";
}

TEST(ResourceEngine, WritingWhatWasReadChangesNothingAndDeletionsPrune) {
    testsupport::PeLayout layout;
    layout.resourceSection = 0;
    layout.sectionSizes = {0x200, 0x400};
    const std::string image = testsupport::BuildPeImage(layout);
    std::string once;
    ASSERT_EQ(ResourceWriteStatus::kOk,
              rebrand::ApplyResourceChanges(
                  image,
                  {Put(3, 1, Pattern(5, 1)),
                   Put(3, 2, Pattern(6, 2)),
                   Put(3, 2, Pattern(7, 3), 1033),
                   {ResourceName::Text(u"PNG"), ResourceName::Text(u"LOGO"), Id(0), "png", false}},
                  once));
    std::string twice;
    ASSERT_EQ(ResourceWriteStatus::kOk, rebrand::ApplyResourceChanges(once, {}, twice));
    EXPECT_EQ(once, twice);

    rebrand::ResourceTree tree;
    ASSERT_EQ(rebrand::PeStatus::kOk, rebrand::ReadResourceTree(once, tree));
    EXPECT_TRUE(tree.Remove(Id(3), Id(2), Id(1033)));
    EXPECT_FALSE(tree.Remove(Id(3), Id(2), Id(1033)));
    EXPECT_TRUE(tree.Remove(Id(3), Id(2), Id(2052)));
    EXPECT_EQ(0u, tree.types.at(Id(3)).names.count(Id(2))) << "an emptied name goes";
    EXPECT_TRUE(tree.Remove(Id(3), Id(1)));
    EXPECT_EQ(0u, tree.types.count(Id(3))) << "an emptied type goes";
    EXPECT_TRUE(tree.Remove(ResourceName::Text(u"PNG")));
    EXPECT_EQ(0u, tree.Count());
}

TEST(ResourceEngine, LargeDataIsStreamedFromTheImageNotCopied) {
    testsupport::PeLayout layout;
    layout.resourceSection = 0;
    const std::string image = testsupport::BuildPeImage(layout);
    std::string withBlob;
    ASSERT_EQ(ResourceWriteStatus::kOk,
              rebrand::ApplyResourceChanges(image, {Put(10, 1000, Pattern(1 << 20, 4))}, withBlob));
    std::string updated;
    rebrand::ImagePlan plan;
    ASSERT_EQ(ResourceWriteStatus::kOk,
              rebrand::ApplyResourceChanges(withBlob, {Put(14, 1, "icon")}, updated, &plan));
    uint64_t literal = 0;
    for (const auto& piece : plan.pieces) {
        literal += piece.from == rebrand::ImagePiece::kLiteral ? piece.bytes.size() : 0;
    }
    EXPECT_LT(literal, 0x4000u);
    EXPECT_EQ(Pattern(1 << 20, 4), std::get<0>(ReadFlat(updated)[{Id(10), Id(1000), Id(2052)}]));
}

TEST(ResourceEngine, CertificateTableIsDroppedAndCutWhenItEndsTheFile) {
    for (const bool trailing : {false, true}) {
        testsupport::PeLayout layout;
        layout.resourceSection = 0;
        layout.certificate = Pattern(0x48, 6);
        layout.overlay = Pattern(0x20, 7);
        std::string image = testsupport::BuildPeImage(layout);
        if (trailing) {
            image += "tail";  // the table no longer ends the file: it stays as inert data
        }
        std::string updated;
        rebrand::ImagePlan plan;
        ASSERT_EQ(ResourceWriteStatus::kOk,
                  rebrand::ApplyResourceChanges(image, {Put(3, 1, "i")}, updated, &plan));
        EXPECT_TRUE(plan.removedCertificate);
        rebrand::PeHeaders h;
        ASSERT_EQ(rebrand::PeStatus::kOk, rebrand::ParsePeHeaders(updated, h));
        EXPECT_EQ(0u, h.certOffset);
        EXPECT_EQ(0u, h.certSize);
        const std::string behind = updated.substr(h.sectionDataEnd);
        EXPECT_EQ(trailing, behind.find(Pattern(0x48, 6)) != std::string::npos);
        EXPECT_EQ(0u, behind.find(layout.overlay));
    }
}

TEST(ResourceEngine, StreamedChecksumIsTheFilesChecksum) {
    std::mt19937 random(7);
    for (int round = 0; round < 50; ++round) {
        std::string bytes(random() % 3000 + 70, '\0');
        for (char& c : bytes) {
            c = static_cast<char>(random() & 0xFF);
        }
        const size_t field = random() % (bytes.size() - 4);
        bytes.replace(field, 4, std::string(4, '\0'));
        rebrand::PeChecksumSum sum;
        for (size_t at = 0; at < bytes.size();) {
            const size_t piece = std::min<size_t>(random() % 9, bytes.size() - at);
            sum.Add(std::string_view(bytes).substr(at, piece));
            at += piece;
        }
        EXPECT_EQ(rebrand::ComputePeChecksum(bytes, field), sum.Finish());
    }
}

TEST(ResourceEngine, RefusesTreesItCannotReadBack) {
    testsupport::PeLayout layout;
    layout.resourceSection = 0;
    std::string image = testsupport::BuildPeImage(layout);
    std::string updated;
    ASSERT_EQ(ResourceWriteStatus::kOk,
              rebrand::ApplyResourceChanges(image, {Put(3, 1, "a"), Put(3, 2, "b")}, updated));
    rebrand::PeLayout l;
    ASSERT_EQ(rebrand::PeStatus::kOk, rebrand::ReadPeLayout(updated, l));
    const uint64_t root = l.sections[0].rawOffset;
    // The type directory's two names made the same: a loader would find only one of them.
    const uint32_t typeDirectory = GetLe32(updated, root + 20) & 0x7FFFFFFF;
    std::string repeated = updated;
    SetLe32(repeated, root + typeDirectory + 24, 1);
    rebrand::ResourceTree tree;
    EXPECT_EQ(rebrand::PeStatus::kBadResources, rebrand::ReadResourceTree(repeated, tree));
    // A fourth level: the language entry points at a directory.
    std::string deeper = updated;
    const uint32_t nameDirectory = GetLe32(updated, root + typeDirectory + 20) & 0x7FFFFFFF;
    SetLe32(deeper, root + nameDirectory + 20, 0x80000000u);
    EXPECT_EQ(rebrand::PeStatus::kBadResources, rebrand::ReadResourceTree(deeper, tree));
    EXPECT_EQ(0u, tree.Count()) << "a refused tree leaves the result alone";
}

}  // namespace

namespace {

TEST(ResourceEngine, RefusesAlignmentsNoLoaderAccepts) {
    testsupport::PeLayout layout;
    layout.resourceSection = 0;
    const std::string image = testsupport::BuildPeImage(layout);
    rebrand::PeLayout l;
    ASSERT_EQ(rebrand::PeStatus::kOk, rebrand::ReadPeLayout(image, l));
    // File alignment above 64 KiB (the padding alone would be gigabytes), not a power of
    // two, or above the section alignment.
    for (const uint32_t fileAlignment : {0x80000000u, 0x300u, 0x2000u}) {
        std::string bad = image;
        SetLe32(bad, static_cast<size_t>(l.optionalOffset + 36), fileAlignment);
        std::string updated;
        EXPECT_EQ(ResourceWriteStatus::kBadImage,
                  rebrand::ApplyResourceChanges(bad, {Put(3, 1, "i")}, updated))
            << std::hex << fileAlignment;
    }
}

}  // namespace
