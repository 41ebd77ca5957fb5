// The executable helpers against the platform: Windows' own checksum function.
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

}  // namespace
