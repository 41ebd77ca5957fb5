// The stand-in target application as the rebrand tests expect it, read through the
// platform's own resource functions and by running it.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "rebrand/string_block.h"
#include "tests/support/temp_dir.h"
#include "tests/win/standin_run.h"

namespace {

using rebrand::Edition;
using rebrand::StringBlock;
using testsupport::Wide;

const WORD kChinese = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);
const WORD kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

// The stand-in loaded as a data file for the length of a test.
class StandInModule {
public:
    StandInModule()
        : module_(LoadLibraryExW(testsupport::StandInPath().c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE)) {}
    ~StandInModule() {
        if (module_ != nullptr) {
            FreeLibrary(module_);
        }
    }
    StandInModule(const StandInModule&) = delete;
    StandInModule& operator=(const StandInModule&) = delete;

    HMODULE Get() const { return module_; }

    // The data of one resource in one language; nothing when there is none.
    std::optional<std::string> Data(LPCWSTR type, WORD name, WORD language) const {
        HRSRC found = FindResourceExW(module_, type, MAKEINTRESOURCEW(name), language);
        if (found == nullptr) {
            return std::nullopt;
        }
        const void* data = LockResource(LoadResource(module_, found));
        if (data == nullptr) {
            return std::nullopt;
        }
        return std::string(static_cast<const char*>(data), SizeofResource(module_, found));
    }

    std::optional<StringBlock> Block(WORD block, WORD language) const {
        const auto data = Data(RT_STRING, block, language);
        return data ? rebrand::ParseStringBlock(*data) : std::nullopt;
    }

private:
    HMODULE module_;
};

StringBlock EnglishDocBlock() {
    StringBlock block;
    block[5] =
        u"OLE initialization failed. Make sure that the OLE libraries are the correct "
        u"version.";
    block[6] = u"ZovIDE-en";
    block[7] = u"USB firmware type";
    block[14] = u"ZezEviZuzere (English)";
    block[15] =
        u"\nZovIDE-en\nZovIDE-en\nZovIDE-en Files (*.vlqx)\n.vlqx\nZovIDE.Document\n"
        u"ZovIDE Document (English)";
    return block;
}

StringBlock TitleBlock(const std::u16string& title, const std::u16string& idle) {
    StringBlock block;
    block[0] = title;
    block[1] = idle;
    return block;
}

TEST(StandIn, StringBlocksInBothLanguages) {
    StandInModule module;
    ASSERT_NE(nullptr, module.Get()) << "standin.exe beside the test program";

    // The Chinese block 7 is the tool's built-in image of the simple edition.
    const auto chineseDoc = module.Block(rebrand::kDocStringBlock, kChinese);
    ASSERT_TRUE(chineseDoc.has_value());
    EXPECT_EQ(rebrand::DefaultDocStringBlock(Edition::kSimple), *chineseDoc);
    EXPECT_EQ(EnglishDocBlock(), module.Block(rebrand::kDocStringBlock, kEnglish));
    EXPECT_EQ(TitleBlock(u"ZovIDE 图形化编程", u"就绪"),
              module.Block(rebrand::kTitleStringBlock, kChinese));
    EXPECT_EQ(TitleBlock(u"ZovIDE Graphical Programming", u"Ready"),
              module.Block(rebrand::kTitleStringBlock, kEnglish));
}

TEST(StandIn, IconGroupReferencesImagesOneToFour) {
    StandInModule module;
    ASSERT_NE(nullptr, module.Get());
    const auto group = module.Data(RT_GROUP_ICON, 128, kChinese);
    ASSERT_TRUE(group.has_value());
    // GRPICONDIR: reserved, type, count; then 14-byte entries whose last field is the id.
    ASSERT_EQ(6u + 4 * 14, group->size());
    const std::vector<int> sizes = {16, 32, 48, 40};
    for (int i = 0; i < 4; ++i) {
        const size_t entry = 6 + 14 * i;
        EXPECT_EQ(sizes[i], static_cast<uint8_t>((*group)[entry]));
        EXPECT_EQ(i + 1, static_cast<uint8_t>((*group)[entry + 12]));
        const auto image = module.Data(RT_ICON, static_cast<WORD>(i + 1), kChinese);
        ASSERT_TRUE(image.has_value());
        EXPECT_EQ(40u + sizes[i] * sizes[i] * 4 + ((sizes[i] + 31) / 32) * 4 * sizes[i],
                  image->size());
    }
    EXPECT_TRUE(module.Data(RT_VERSION, 1, kChinese).has_value());
}

TEST(StandIn, LoadStringFollowsTheUserLanguage) {
    StandInModule module;
    ASSERT_NE(nullptr, module.Get());
    const bool chinese = GetUserDefaultUILanguage() == kChinese;
    const wchar_t* text = nullptr;
    const int length = LoadStringW(module.Get(), 57344, reinterpret_cast<LPWSTR>(&text), 0);
    ASSERT_GT(length, 0);
    EXPECT_EQ(chinese ? L"ZovIDE 图形化编程" : L"ZovIDE Graphical Programming",
              std::wstring(text, length));
}

TEST(StandIn, PrintsWhatItLoads) {
    testsupport::TempDir dir;
    const auto printed =
        testsupport::PrintLoaded(testsupport::StandInPath(), Wide(dir.Text(u"out.txt")));
    ASSERT_TRUE(printed.has_value());
    auto value = [&printed](const char* key) {
        const auto it = printed->find(key);
        return it == printed->end() ? std::u16string(u"<missing>") : it->second;
    };
    const bool chinese = GetUserDefaultUILanguage() == kChinese;
    const StringBlock doc =
        chinese ? rebrand::DefaultDocStringBlock(Edition::kSimple) : EnglishDocBlock();
    EXPECT_EQ(chinese ? u"ZovIDE 图形化编程" : u"ZovIDE Graphical Programming", value("57344"));
    EXPECT_EQ(doc[6], value("102"));
    EXPECT_EQ(doc[14], value("110"));
    EXPECT_EQ(testsupport::PrintEscaped(doc[15]), value("111"));
    EXPECT_EQ(u"16x16", value("icon1"));
    EXPECT_EQ(u"32x32", value("icon2"));
    EXPECT_EQ(u"48x48", value("icon3"));
    EXPECT_EQ(u"40x40", value("icon4"));
    const std::wstring large = std::to_wstring(GetSystemMetrics(SM_CXICON)) + L"x" +
                               std::to_wstring(GetSystemMetrics(SM_CYICON));
    EXPECT_EQ(testsupport::FromWide(large), value("icon"));
}

TEST(StandIn, RefusesUnknownArguments) {
    const std::wstring exe = L"\"" + testsupport::StandInPath() + L"\"";
    EXPECT_EQ(2u, testsupport::RunProgram(exe + L" /unknown"));
    EXPECT_EQ(2u, testsupport::RunProgram(exe + L" /show-ms abc"));
    EXPECT_EQ(2u, testsupport::RunProgram(exe + L" /print"));
}

}  // namespace
