// Paths of the install folder.
#include <gtest/gtest.h>

#include "install/install_layout.h"

namespace {

TEST(InstallLayout, FolderFileNameAndProfilePath) {
    EXPECT_EQ(u"D:\\Soft\\ZovIDE", install::FolderOf(u"D:\\Soft\\ZovIDE\\ZovIDE.exe"));
    EXPECT_EQ(u"ZovIDE.exe", install::FileNameOf(u"D:\\Soft\\ZovIDE\\ZovIDE.exe"));
    EXPECT_EQ(u"C:", install::FolderOf(u"C:\\a.exe"));
    EXPECT_EQ(u"config\\VirUdezed.cfg", install::ProfileFile(install::Edition::kSimple, true));
    EXPECT_EQ(u"config\\VirUdezed.cfg", install::ProfileFile(install::Edition::kStandard, true));
    EXPECT_EQ(u"config\\ZuvEra.cfg", install::ProfileFile(install::Edition::kV62, true));
    EXPECT_EQ(u"VirUdezed.cfg", install::ProfileFile(install::Edition::kV62, false));
    EXPECT_EQ(u"D:\\x\\Lang\\lang_en.ini",
              install::Join(u"D:\\x", install::LangFile(u"lang_en.ini")));
}

TEST(InstallLayout, RelativeToTheInstallFolder) {
    struct Case {
        std::u16string path;
        bool inside;
        std::u16string relative;
    };
    const Case cases[] = {
        {u"D:\\Soft\\Zov\\res\\login.bmp", true, u"res\\login.bmp"},
        {u"d:\\soft\\ZOV\\a.exe", true, u"a.exe"},
        {u"D:/Soft/Zov/Lang/x.ini", true, u"Lang/x.ini"},
        {u"D:\\Soft\\Zov", false, u""},
        {u"D:\\Soft\\Zov\\", false, u""},
        {u"D:\\Soft\\Zovide\\a.exe", false, u""},
        {u"D:\\Soft\\a.exe", false, u""},
    };
    for (const auto& c : cases) {
        std::u16string relative;
        EXPECT_EQ(c.inside, install::RelativeTo(u"D:\\Soft\\Zov", c.path, relative))
            << std::string(c.path.begin(), c.path.end());
        EXPECT_EQ(c.relative, relative);
    }
}

TEST(InstallLayout, ProfilePathsSplitIntoFolderAndRelativePath) {
    struct Case {
        std::u16string path, folder, relative;
    };
    const Case cases[] = {
        {u"D:\\x\\config\\ZovIDE.cfg", u"D:\\x", u"config\\ZovIDE.cfg"},
        {u"D:\\x\\CONFIG\\ZuvEra.cfg", u"D:\\x", u"CONFIG\\ZuvEra.cfg"},
        {u"D:\\x\\VirUdezed.cfg", u"D:\\x", u"VirUdezed.cfg"},
        {u"D:\\x\\configs\\a.cfg", u"D:\\x\\configs", u"a.cfg"},
    };
    for (const auto& c : cases) {
        std::u16string folder, relative;
        install::SplitProfilePath(c.path, folder, relative);
        EXPECT_EQ(c.folder, folder);
        EXPECT_EQ(c.relative, relative);
    }
}

}  // namespace
