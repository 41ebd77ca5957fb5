// The commands on a sample install, on whatever system the tests run: the rebrand writes the
// executable's resources, the pictures and the new name, and the restore gives back every
// byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "commands/brand_command.h"
#include "commands/check_command.h"
#include "commands/commands.h"
#include "rebrand/icon_file.h"
#include "rebrand/process_check.h"
#include "rebrand/resource_tree.h"
#include "rebrand/resource_writer.h"
#include "rebrand/string_block.h"
#include "samples/sample_install.h"
#include "tests/support/pe_builder.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using rebrand::ResourceName;

class RecordingHost : public app::CommandHost {
public:
    bool ConfirmOverwrite(const std::u16string&) override { return false; }
    std::vector<std::u16string> told;

protected:
    void Show(const std::u16string& text) override { told.push_back(text); }
};

std::map<std::string, std::string> Files(const fs::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
        if (e.is_regular_file()) {
            files[fs::relative(e.path(), dir).generic_string()] = testsupport::ReadBytes(e.path());
        }
    }
    return files;
}

// A small executable with a main icon image and the two string blocks, resources last.
std::string TargetImage() {
    testsupport::PeLayout layout;
    layout.pe32Plus = false;
    layout.sectionSizes = {0x400, 0x200};
    layout.resourceSection = 1;
    layout.checksum = 1;
    std::string image;
    const auto id = [](uint16_t n) { return ResourceName::Id(n); };
    EXPECT_EQ(rebrand::ResourceWriteStatus::kOk,
              rebrand::ApplyResourceChanges(
                  testsupport::BuildPeImage(layout),
                  {{id(3), id(1), id(2052), std::string(0x128, '\x01'), false},
                   {id(6), id(3585), id(2052), *rebrand::SerializeStringBlock({u"ZovIDE", u"就绪"}),
                    false}},
                  image));
    return image;
}

TEST(Commands, RebrandThenRestoreGivesEveryByteBack) {
    testsupport::TempDir dir;
    const fs::path install = dir.Path() / "ZovIDE";
    testsupport::WriteBytes(dir.Path() / "target.exe", TargetImage());
    samples::SampleOptions options;
    options.entriesPerLanguage = 20;
    options.executable = dir.Path() / "target.exe";
    samples::WriteSampleInstall(install, options);
    const std::string icon = samples::MakeIco({32, 16}, 7);
    testsupport::WriteBytes(dir.Path() / "a.ico", icon);
    testsupport::WriteBytes(dir.Path() / "login.bmp", samples::MakeBmp(8, 8, 3));
    const auto before = Files(install);

    app::RebrandRequest r;
    r.installDir = install.u16string();
    r.exePath = (install / "ZovIDE.exe").u16string();
    r.exeFileName = u"ZovIDE.exe";
    r.appName = u"ACad.exe";
    r.edition = install::Edition::kStandard;
    r.iconOn = true;
    r.iconPath = (dir.Path() / "a.ico").u16string();
    r.startupOn = true;
    r.startupImagePath = (dir.Path() / "login.bmp").u16string();
    r.caption = u"A 公司 CAD";
    r.newDocName = u"A 图纸";
    ASSERT_FALSE(app::CheckRebrand(r).has_value());
    RecordingHost host;
    ASSERT_EQ(app::CommandResult::kDone, app::RunRebrand(r, host));
    ASSERT_FALSE(host.told.empty());
    EXPECT_EQ(u"修改应用程序成功", host.told.back());

    ASSERT_FALSE(fs::exists(install / "ZovIDE.exe"));
    const std::string exe = testsupport::ReadBytes(install / "ACad.exe");
    rebrand::ResourceTree tree;
    ASSERT_EQ(rebrand::PeStatus::kOk, rebrand::ReadResourceTree(exe, tree));
    rebrand::IconDirEntry entry;
    std::string image;
    ASSERT_EQ(rebrand::IconFileStatus::kOk, rebrand::ReadFirstIconImage(icon, entry, image));
    for (uint16_t id = 1; id <= 4; ++id) {
        const auto* data =
            tree.Find(ResourceName::Id(3), ResourceName::Id(id), ResourceName::Id(2052));
        ASSERT_NE(nullptr, data) << id;
        EXPECT_EQ(image, data->bytes);
    }
    const auto* title =
        tree.Find(ResourceName::Id(6), ResourceName::Id(3585), ResourceName::Id(2052));
    ASSERT_NE(nullptr, title);
    EXPECT_EQ(u"A 公司 CAD", (*rebrand::ParseStringBlock(title->bytes))[0]);
    EXPECT_EQ(u"就绪", (*rebrand::ParseStringBlock(title->bytes))[1]) << "an entry not set stays";
    rebrand::PeHeaders h;
    ASSERT_EQ(rebrand::PeStatus::kOk, rebrand::ParsePeHeaders(exe, h));
    EXPECT_EQ(rebrand::ComputePeChecksum(exe, h.checksumOffset), h.checksum);
    EXPECT_EQ(samples::MakeBmp(8, 8, 3), testsupport::ReadBytes(install / "res" / "login.bmp"));
    EXPECT_EQ(icon, testsupport::ReadBytes(install / "res" / "logo32.ico"));

    std::u16string message;
    EXPECT_EQ(app::CommandResult::kDone, app::RunRestore(install.u16string(), message))
        << std::string(message.begin(), message.end());
    EXPECT_EQ(before, Files(install));
}

TEST(Commands, RunningCheckFindsThisProgramOnly) {
#if defined(_WIN32)
    EXPECT_TRUE(rebrand::IsExecutableRunning(u"CORE_TESTS.EXE"));
#else
    EXPECT_TRUE(rebrand::IsExecutableRunning(u"CORE_TESTS"));
#endif
    EXPECT_FALSE(rebrand::IsExecutableRunning(u"no-such-program-4711.exe"));
    EXPECT_FALSE(rebrand::IsExecutableRunning(u""));
}

}  // namespace

namespace {

TEST(Commands, ABrandWithReplaceLeavesNoOldTextThatCheckFinds) {
    testsupport::TempDir dir;
    const fs::path install = dir.Path() / "ZovIDE";
    testsupport::WriteBytes(dir.Path() / "target.exe", TargetImage());
    samples::SampleOptions options;
    options.entriesPerLanguage = 20;
    options.executable = dir.Path() / "target.exe";
    samples::WriteSampleInstall(install, options);
    const auto before = Files(install);
    const std::vector<std::u16string> olds = {u"ZovIDE", u"Sample Reseller"};

    const brand::CheckResult found =
        brand::CheckInstall((install / "ZovIDE.exe").u16string(), olds);
    EXPECT_EQ(found.lines, (std::vector<std::u16string>{
                               u"ZovIDE.exe：字符串表 #57344（语言 2052）：ZovIDE",
                               u"Lang\\lang_en.ini：IDS_TIP_EDIT_00000："
                               u"Circle File Edit Circle (C:\\Program Files\\ZovIDE)",
                               u"config\\VirUdezed.cfg：[CUSTOMPAR] COMPANY：Sample Reseller Ltd.",
                               u"ZovIDE.exe：应用程序文件名"}));

    testsupport::WriteBytes(dir.Path() / "brand.ini",
                            "[brand]\napp_name = ACad\n[profile]\ncompany = A Ltd.\n"
                            "[replace]\nZovIDE = ACad\nSample Reseller = A\n");
    RecordingHost host;
    brand::BrandCommand command;
    ASSERT_EQ(
        brand::BrandCommand::Prepared::kReady,
        command.Prepare((dir.Path() / "brand.ini").u16string(), install.u16string(),
                        brand::BrandCommand::Purpose::kRun, host));
    EXPECT_EQ(app::CommandResult::kDone, command.Run(host));
    EXPECT_TRUE(brand::CheckInstall((install / "ACad.exe").u16string(), olds).lines.empty());
    ASSERT_FALSE(host.told.empty());
    EXPECT_EQ(host.told.back().rfind(u"检查旧文字：\r\n未找到", 0), 0u);

    std::u16string message;
    EXPECT_EQ(app::CommandResult::kDone, app::RunRestore(install.u16string(), message));
    EXPECT_EQ(before, Files(install));
}

}  // namespace
