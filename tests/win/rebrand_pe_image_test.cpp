// The executable helpers against the platform: Windows' own checksum function, and a
// resource update of the stand-in through BeginUpdateResourceW/EndUpdateResourceW on a
// prepared copy.
#include <gtest/gtest.h>
#include <windows.h>
#include <imagehlp.h>

#include <string>

#include "rebrand/pe_image.h"
#include "rebrand/string_block.h"
#include "tests/support/pe_builder.h"
#include "tests/support/temp_dir.h"
#include "tests/win/standin_run.h"

namespace {

using rebrand::PeHeaders;
using rebrand::PeStatus;
using rebrand::PreparedCopy;
using testsupport::Wide;

const WORD kChinese = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);
const WORD kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

DWORD PlatformChecksum(std::string bytes) {
    DWORD stored = 0;
    DWORD computed = 0;
    // The buffer is a copy with a spare zero byte: the function reads whole words.
    bytes.push_back('\0');
    CheckSumMappedFile(&bytes[0], static_cast<DWORD>(bytes.size() - 1), &stored, &computed);
    return computed;
}

PeHeaders ParsedOrFail(const std::string& bytes) {
    PeHeaders headers;
    EXPECT_EQ(PeStatus::kOk, rebrand::ParsePeHeaders(bytes, headers));
    return headers;
}

TEST(PeImageOnWindows, ChecksumMatchesCheckSumMappedFile) {
    testsupport::PeLayout odd;
    odd.overlay = "odd length overlay";  // 18 bytes + certificate padding below
    odd.certificate = std::string(11, '\xC3');
    odd.checksum = 0xDEADBEEF;
    testsupport::PeLayout pe32;
    pe32.pe32Plus = false;
    pe32.sectionSizes = {0x1000, 0x33, 0x200};
    pe32.overlay = std::string(3, '\xFF');
    const std::string images[] = {
        testsupport::BuildPeImage(testsupport::PeLayout{}),
        testsupport::BuildPeImage(odd),
        testsupport::BuildPeImage(odd) + "x",  // odd file length
        testsupport::BuildPeImage(pe32) + "\xFF",
        testsupport::ReadBytes(testsupport::StandInPath()),
    };
    for (size_t i = 0; i < std::size(images); ++i) {
        SCOPED_TRACE(i);
        const PeHeaders h = ParsedOrFail(images[i]);
        EXPECT_EQ(PlatformChecksum(images[i]),
                  rebrand::ComputePeChecksum(images[i], h.checksumOffset));
    }
}

TEST(PeImageOnWindows, ChecksumMatchesTheLinkersChecksum) {
    const std::string standin = testsupport::ReadBytes(testsupport::StandInPath());
    const PeHeaders h = ParsedOrFail(standin);
    ASSERT_NE(0u, h.checksum) << "GNU ld and link.exe /RELEASE store a checksum";
    EXPECT_EQ(h.checksum, rebrand::ComputePeChecksum(standin, h.checksumOffset));
}

TEST(PeImageOnWindows, UpdateOfAPreparedCopyKeepsOverlayOnceAndDropsTheCertificate) {
    testsupport::TempDir dir;
    // The stand-in (which GNU ld leaves with its COFF symbol table behind the sections)
    // with more data appended, a certificate table and a checksum.
    std::string original = testsupport::ReadBytes(testsupport::StandInPath());
    const PeHeaders plain = ParsedOrFail(original);
    ASSERT_GE(plain.symbolTableOffset, plain.sectionDataEnd);
    const std::string symbols = original.substr(plain.symbolTableOffset);
    const std::string appended = "OVERLAY:" + std::string(1000, '\x5A') + ":END";
    original += appended;
    const std::string overlay = original.substr(plain.sectionDataEnd);
    original.resize((original.size() + 7) / 8 * 8, '\0');
    const std::string certificate(64, '\xCE');
    testsupport::SetLe32(original, plain.certEntryOffset, static_cast<uint32_t>(original.size()));
    testsupport::SetLe32(original, plain.certEntryOffset + 4,
                         static_cast<uint32_t>(certificate.size()));
    original += certificate;
    testsupport::SetLe32(original, plain.checksumOffset, 0x12345678);

    PreparedCopy prepared;
    ASSERT_EQ(PeStatus::kOk, rebrand::PrepareCopy(original, prepared));
    ASSERT_TRUE(prepared.removedCertificate);
    const std::u16string copy = dir.Text(u"copy.exe");
    testsupport::WriteBytes(dir.Path() / "copy.exe", prepared.bytes);

    // Long enough to grow .rsrc, so that the sections behind it move.
    const std::u16string caption = u"新的标题 New Title " + std::u16string(4000, u'长');
    const rebrand::BlockData title = rebrand::BuildTitleStringBlock(caption);
    ASSERT_EQ(rebrand::BlockStatus::kWrite, title.status);
    HANDLE update = BeginUpdateResourceW(Wide(copy).c_str(), FALSE);
    ASSERT_NE(nullptr, update);
    std::string data = title.bytes;
    ASSERT_TRUE(UpdateResourceW(update, RT_STRING, MAKEINTRESOURCEW(rebrand::kTitleStringBlock),
                                kChinese, &data[0], static_cast<DWORD>(data.size())));
    ASSERT_TRUE(EndUpdateResourceW(update, FALSE));

    std::string updated = testsupport::ReadBytes(dir.Path() / "copy.exe");
    ASSERT_EQ(PeStatus::kOk, rebrand::FinishCopy(updated, prepared));
    const std::u16string final = dir.Text(u"final.exe");
    testsupport::WriteBytes(dir.Path() / "final.exe", updated);

    const PeHeaders h = ParsedOrFail(updated);
    EXPECT_GT(h.sectionDataEnd, plain.sectionDataEnd);
    EXPECT_EQ(0u, h.certOffset);
    EXPECT_EQ(0u, h.certSize);
    EXPECT_EQ(0u, prepared.overlay.find(overlay));
    EXPECT_EQ(prepared.overlay, updated.substr(h.sectionDataEnd));
    EXPECT_EQ(symbols + appended,
              updated.substr(h.symbolTableOffset, symbols.size() + appended.size()));
    EXPECT_EQ(PlatformChecksum(updated), h.checksum);

    HMODULE module = LoadLibraryExW(Wide(final).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, module);
    auto block = [module](WORD language) -> std::optional<rebrand::StringBlock> {
        HRSRC found = FindResourceExW(module, RT_STRING,
                                      MAKEINTRESOURCEW(rebrand::kTitleStringBlock), language);
        if (found == nullptr) {
            return std::nullopt;
        }
        const char* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
        return rebrand::ParseStringBlock(std::string_view(bytes, SizeofResource(module, found)));
    };
    const auto chinese = block(kChinese);
    const auto english = block(kEnglish);
    FreeLibrary(module);
    ASSERT_TRUE(chinese.has_value());
    EXPECT_EQ(caption, (*chinese)[0]);
    EXPECT_EQ(u"", (*chinese)[1]);
    ASSERT_TRUE(english.has_value());
    EXPECT_EQ(u"ZovIDE Graphical Programming", (*english)[0]);

    // The result still runs and shows the new caption.
    const auto printed = testsupport::PrintLoaded(Wide(final), Wide(dir.Text(u"out.txt")));
    ASSERT_TRUE(printed.has_value());
    if (GetUserDefaultUILanguage() == kChinese) {
        EXPECT_EQ(caption, printed->at("57344"));
    }
    EXPECT_EQ(u"16x16", printed->at("icon1"));
}

}  // namespace
