#include "commands/brand_plan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/install_target.h"
#include "platform/unicode.h"
#include "rebrand/string_block.h"
#include "rebrand/version_resource.h"
#include "samples/sample_install.h"

namespace {

using Lines = std::vector<std::u16string>;

brand::BrandFile Parsed(const std::u16string& text) {
    brand::BrandFile b;
    std::vector<std::u16string> problems;
    EXPECT_TRUE(brand::ParseBrandText(text, u"D:\\kits", b, problems));
    return b;
}

// An install with ZovIDE.exe, a profile holding every key, and two language files.
brand::InstallRead Install(const char16_t* exe = u"ZovIDE.exe") {
    brand::InstallRead read;
    read.installDir = u"C:\\Soft\\ZovIDE";
    read.exeFileName = exe;
    read.profile.relative = u"config\\VirUdezed.cfg";
    read.profile.stored.company = u"旧公司";
    read.profile.stored.phone = u"010";
    read.profile.hasFilePassword = read.profile.hasUseFilePassword = read.profile.hasCompany =
        read.profile.hasPhone = read.profile.hasUrl = true;
    read.langFolder = true;
    read.langFiles.resize(16);
    read.langFiles[0] = {u"lang_chs.ini", {{u"IDS_A", u"旧"}, {u"IDS_B", u"乙"}}, false};
    read.langFiles[2] = {u"lang_en.ini", {{u"IDS_A", u"old"}}, true};
    read.langFiles[3].name = u"lang_fra.ini";  // listed, not read
    return read;
}

const char16_t kFullBrand[] =
    u"[brand]\nicon = a.ico\ncaption = 新 CAD\napp_name = NewCad\n"
    u"[profile]\ncompany = 新公司\nphone = 010\n"
    u"[lang:LANG_CHS.ini]\nIDS_B = 乙\nIDS_A = 新\n";

TEST(BrandPlanTest, ListsPerStepWhatChanges) {
    const brand::BrandPlan plan = brand::PlanBrand(Parsed(kFullBrand), Install());
    EXPECT_TRUE(plan.problems.empty());
    ASSERT_EQ(plan.steps.size(), 3u);
    EXPECT_EQ(plan.steps[0].kind, brand::StepKind::kRebrand);
    EXPECT_EQ(
        plan.steps[0].lines,
        (Lines{u"ZovIDE.exe：资源 RT_ICON 1-4（语言 2052）← D:\\kits\\a.ico 的第一个图像",
               u"res\\logo32.ico：替换为 D:\\kits\\a.ico",
               u"ZovIDE.exe：资源 RT_STRING 7（语言 2052），产品名称（110）和文档模板（111）= "
               u"新 CAD",
               u"ZovIDE.exe：资源 RT_STRING 3585（语言 2052），标题（57344）= 新 CAD",
               u"ZovIDE.exe：改名为 NewCad.exe"}));
    EXPECT_EQ(plan.steps[1].kind, brand::StepKind::kProfile);
    // The phone stays; the URL left out keeps its stored (empty) value.
    EXPECT_EQ(plan.steps[1].lines,
              (Lines{u"config\\VirUdezed.cfg：[CUSTOMPAR] COMPANY = 新公司（原为 旧公司）"}));
    EXPECT_EQ(plan.profile.company, u"新公司");
    EXPECT_EQ(plan.profile.phone, u"010");
    EXPECT_EQ(plan.steps[2].kind, brand::StepKind::kLanguages);
    // Every file read is saved: lang_en.ini is rewritten in the tool's format.
    EXPECT_EQ(plan.steps[2].lines, (Lines{u"Lang\\lang_chs.ini：IDS_A = 新（原为 旧）",
                                          u"Lang\\lang_en.ini：条目不变，文件按标准格式重新写出"}));
    ASSERT_EQ(plan.langChanges.size(), 2u);
    EXPECT_EQ(plan.langChanges[1].slot, 0);
    EXPECT_EQ(plan.langChanges[1].text, u"新");
}

TEST(BrandPlanTest, TheSecondRunOnTheRenamedExecutableRenamesNothing) {
    const brand::BrandPlan plan = brand::PlanBrand(Parsed(kFullBrand), Install(u"NewCad.exe"));
    ASSERT_FALSE(plan.steps.empty());
    EXPECT_TRUE(plan.rebrand.appName.empty());
    for (const std::u16string& line : plan.steps[0].lines) {
        EXPECT_EQ(line.find(u"改名"), std::u16string::npos) << platform::Utf16ToUtf8(line);
    }
}

TEST(BrandPlanTest, ReplacesInTheExecutableAndEveryLanguageButWhatASectionSets) {
    rebrand::ResourceTree tree;
    rebrand::StringBlock block;
    block[14] = u"旧 CAD";
    tree.Set(rebrand::ResourceName::Id(rebrand::kStringType), rebrand::ResourceName::Id(7),
             rebrand::ResourceName::Id(1033), *rebrand::SerializeStringBlock(block));
    brand::InstallRead read = Install();
    read.exeResources = &tree;
    read.langFiles[2].entries.push_back({u"IDS_C", u"旧 and 旧"});
    const brand::BrandPlan plan = brand::PlanBrand(
        Parsed(u"[replace]\n旧 = 新\n[lang:lang_en.ini]\nIDS_A = 旧 kept\n"), read);
    EXPECT_TRUE(plan.problems.empty());
    ASSERT_EQ(plan.steps.size(), 2u);
    EXPECT_EQ(plan.steps[0].lines,
              (Lines{u"ZovIDE.exe：字符串表 #110（语言 1033） = 新 CAD（原为 旧 CAD）",
                     u"ZovIDE.exe：共替换 1 处"}));
    EXPECT_EQ(plan.steps[1].lines, (Lines{u"Lang\\lang_chs.ini：IDS_A = 新（原为 旧）",
                                          u"Lang\\lang_chs.ini：共替换 1 处",
                                          u"Lang\\lang_en.ini：IDS_A = 旧 kept（原为 old）",
                                          u"Lang\\lang_en.ini：IDS_C = 新 and 新（原为 旧 and 旧）",
                                          u"Lang\\lang_en.ini：共替换 2 处"}));
    EXPECT_FALSE(plan.exeEdits.Empty());

    // A text that no string-table entry can hold refuses the brand, naming the place.
    const brand::BrandPlan tooLong =
        brand::PlanBrand(Parsed(u"[replace]\nCAD = " + std::u16string(70000, u'x') + u"\n"), read);
    ASSERT_EQ(tooLong.problems.size(), 1u);
    EXPECT_NE(tooLong.problems[0].find(u"第 2 行"), std::u16string::npos);
    EXPECT_NE(tooLong.problems[0].find(u"字符串表 #110（语言 1033）"), std::u16string::npos);
    // An executable that could not be read is a problem too.
    read.exeResources = nullptr;
    EXPECT_EQ(brand::PlanBrand(Parsed(u"[replace]\n旧 = 新\n"), read).problems.size(), 1u);
}

TEST(BrandPlanTest, RebuildsIconGroupsAndSetsTheVersion) {
    using rebrand::ResourceName;
    rebrand::ResourceTree tree;
    const std::string group("\0\0\1\0\1\0\x20\x20\0\0\1\0\x20\0\4\0\0\0\1\0", 20);
    tree.Set(ResourceName::Id(14), ResourceName::Id(128), ResourceName::Id(1033), group);
    tree.Set(ResourceName::Id(3), ResourceName::Id(1), ResourceName::Id(1033), "BMP!");
    rebrand::VersionResource version = rebrand::NewVersionResource();
    rebrand::SetVersionString(version, u"CompanyName", u"Zov 公司");
    rebrand::SetVersionString(version, u"ProductName", u"ZovIDE");
    rebrand::SetVersionString(version, u"FileVersion", u"9.0");
    tree.Set(ResourceName::Id(16), ResourceName::Id(1), ResourceName::Id(2052),
             rebrand::WriteVersionResource(version));
    brand::InstallRead read = Install();
    read.exeResources = &tree;
    read.iconFiles[u"D:\\kits\\a.ico"] = samples::MakeIco({16, 32, 256}, 1, 256);
    const brand::BrandFile b = Parsed(
        u"[icons]\nmain = a.ico\n[version]\nCompanyName = A 公司\nfile_version = 1.2.3.4\n"
        u"[replace]\nZov = A\n");
    const brand::BrandPlan plan = brand::PlanBrand(b, read);
    ASSERT_TRUE(plan.problems.empty()) << platform::Utf16ToUtf8(plan.problems[0]);
    EXPECT_TRUE(plan.exeEdits.RebuildsMainIcon());
    const Lines& lines = plan.steps[0].lines;
    EXPECT_EQ(lines.front(),
              u"ZovIDE.exe：图标组 main（RT_GROUP_ICON 128）← D:\\kits\\a.ico 的全部 3 个图像");

    rebrand::ResourceTree edited = tree;
    ASSERT_TRUE(plan.exeEdits.Apply(edited, u"ZovIDE.exe", nullptr, nullptr));
    const auto* newGroup =
        edited.Find(ResourceName::Id(14), ResourceName::Id(128), ResourceName::Id(1033));
    ASSERT_NE(newGroup, nullptr);
    EXPECT_EQ(newGroup->bytes.size(), 6u + 3 * 14);
    const auto now = rebrand::ParseVersionResource(
        edited.Find(ResourceName::Id(16), ResourceName::Id(1), ResourceName::Id(2052))->bytes);
    ASSERT_TRUE(now.has_value());
    const auto value = [&](const char16_t* key) {
        for (const auto& s : now->tables[0].strings) {
            if (s.key == key) {
                return s.value;
            }
        }
        return std::u16string(u"(none)");
    };
    EXPECT_EQ(value(u"CompanyName"), u"A 公司");  // set, not replaced in
    EXPECT_EQ(value(u"ProductName"), u"AIDE");    // replaced
    EXPECT_EQ(value(u"FileVersion"), u"1.2.3.4");
    EXPECT_EQ(rebrand::FixedFileVersion(*now), (std::array<uint16_t, 4>{1, 2, 3, 4}));

    // A group the executable does not have, and a version resource that does not parse.
    tree.Set(ResourceName::Id(16), ResourceName::Id(1), ResourceName::Id(2052), "garbage");
    read.iconFiles[u"D:\\kits\\b.ico"] = read.iconFiles[u"D:\\kits\\a.ico"];
    const brand::BrandPlan refused =
        brand::PlanBrand(Parsed(u"[icons]\n200 = b.ico\n[version]\nComments = x\n"), read);
    EXPECT_EQ(refused.problems,
              (Lines{u"品牌文件第 2 行：应用程序中没有图标组 200：ZovIDE.exe",
                     u"品牌文件第 4 行：应用程序的版本信息无法读取（格式不正确）：ZovIDE.exe"}));
}

TEST(BrandPlanTest, TellsEveryProblemOfTheInstall) {
    brand::InstallRead noLang = Install();
    noLang.langFolder = false;
    brand::InstallRead badPassword = Install();
    badPassword.profile.stored.useFilePassword = 1;
    badPassword.profile.stored.filePassword = u"12345";
    const struct {
        const char16_t* brand;
        const brand::InstallRead install;
        Lines problems;
    } cases[] = {
        {u"[lang:lang_xx.ini]\nIDS_A = x\n[lang:lang_chs.ini]\nIDS_A = y\nIDS_Z = z\n"
         u"[lang:lang_fra.ini]\nIDS_A = x\n",
         Install(),
         {u"品牌文件第 1 行：语言文件 lang_xx.ini 不在应用程序的语言文件列表中或未能读入",
          u"品牌文件第 5 行：语言文件 lang_chs.ini 中没有条目 IDS_Z",
          u"品牌文件第 6 行：语言文件 lang_fra.ini 不在应用程序的语言文件列表中或未能读入"}},
        {u"[brand]\ncaption = x\n[lang:lang_chs.ini]\nIDS_A = y\n",
         noLang,
         {u"品牌文件第 3 行：安装文件夹中没有 Lang 文件夹，不能修改语言条目：C:\\Soft\\ZovIDE"}},
        {u"[profile]\nuse_file_password = 1\nfile_password = 123456789\n",
         Install(),
         {u"品牌文件第 3 行：文件读写密码长度为6至8个字符"}},
        {u"[profile]\nuse_file_password = 1\n",
         Install(),
         {u"品牌文件第 2 行：文件读写密码长度为6至8个字符"}},
        // The stored password is the one refused: no line of the brand file is to blame.
        {u"[profile]\ncompany = C\n", badPassword, {u"文件读写密码长度为6至8个字符"}},
        {u"[brand]\nedition = 6.2\n[profile]\ncompany = C\n", badPassword, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(brand::PlanBrand(Parsed(c.brand), c.install).problems, c.problems)
            << platform::Utf16ToUtf8(c.brand);
    }
}

TEST(BrandPlanTest, ChoosesTheExecutableTheFolderHolds) {
    install::BackupManifest renamed;
    renamed.records = {{u"ZovIDE.exe", true, 1, "", "", u"1.orig"},
                       {u"res\\login.bmp", true, 1, "", "", u"2.orig"},
                       {u"NewCad.exe", false, 0, "", "", u""}};
    install::BackupManifest renamedTwice = renamed;
    renamedTwice.records.push_back({u"OtherCad.exe", false, 0, "", "", u""});
    const install::BackupManifest none;
    const struct {
        Lines exes;
        const install::BackupManifest& manifest;
        const char16_t* given;  // empty: the folder
        std::optional<std::u16string> appName;
        const char16_t* chosen;
    } cases[] = {
        {{u"NewCad.exe"}, renamed, u"", std::nullopt, u"NewCad.exe"},
        {{u"NewCad.exe", u"ZovIDE.exe"}, renamed, u"", u"ZovIDE", u"NewCad.exe"},
        {{u"newcad.EXE"}, renamed, u"zovide.exe", std::nullopt, u"newcad.EXE"},
        {{u"NewCad.exe"}, renamed, u"Typo.exe", std::nullopt, u""},
        {{u"NewCad.exe", u"OtherCad.exe"}, renamedTwice, u"", std::nullopt, u"OtherCad.exe"},
        {{u"ACad.exe"}, renamed, u"ZovIDE.exe", u"ACad", u"ACad.exe"},  // the rename is gone
        {{u"ACad.exe", u"ZovIDE.exe"}, none, u"", u"ACad", u"ACad.exe"},
        {{u"ZovIDE.exe"}, none, u"", std::nullopt, u"ZovIDE.exe"},
        {{u"ZovIDE.exe"}, none, u"Typo.exe", std::nullopt, u""},
        {{u"Setup.exe"}, none, u"", u"ACad", u""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(brand::ChooseExecutable(c.exes, c.manifest, c.given, c.appName), c.chosen)
            << platform::Utf16ToUtf8(c.given) << " " << platform::Utf16ToUtf8(c.chosen);
    }
}

}  // namespace
