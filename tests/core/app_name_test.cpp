// Application names for the rename.
#include <gtest/gtest.h>

#include "rebrand/app_name.h"
#include "text/blanks.h"
#include "text/file_names.h"

namespace {

TEST(AppName, PlainFileNames) {
    struct Case {
        std::u16string name;
        bool plain;
    };
    const Case cases[] = {
        {u"NewCad", true},       {u"新软件.exe", true}, {u"a.b", true},
        {u"con.txt.exe", false}, {u"CON", false},       {u"lpt9", false},
        {u"COM0", true},         {u"console", true},    {u"", false},
        {u"..", false},          {u"dir\\x", false},    {u"dir/x", false},
        {u"C:x", false},         {u"a*b", false},       {u"a?b", false},
        {u"a\"b", false},        {u"a<b>", false},      {u"a|b", false},
        {u"tab\there", false},   {u"del\x7F", false},   {u"trailing.", false},
        {u"trailing ", false},   {u" leading", true},   {u"x.exe.", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.plain, text::IsPlainFileName(c.name))
            << std::string(c.name.begin(), c.name.end());
    }
}

TEST(AppName, PathsThatWindowsOpensAsDevices) {
    const std::pair<const char16_t*, bool> cases[] = {
        {u"NUL", true},
        {u"C:\\art\\nul", true},
        {u"art\\COM1.bmp", true},
        {u"art/con .bmp", true},
        {u"lpt9.", true},
        {u"CONOUT$", true},
        {u"\\\\.\\NUL", true},
        {u"\\\\.\\C:\\a.bmp", true},
        {u"\\\\?\\GLOBALROOT\\Device\\Null", true},
        {u"\\\\?\\C:\\art\\login.bmp", false},
        {u"\\\\?\\UNC\\server\\share\\a.bmp", false},
        {u"\\\\server\\share\\login.bmp", false},
        {u"C:\\nul\\login.bmp", false},
        {u"C:\\art\\console.bmp", false},
        {u"COM0.bmp", false},
        {u"login.bmp", false},
    };
    for (const auto& [path, device] : cases) {
        EXPECT_EQ(device, text::NamesDevice(path))
            << std::string(path, path + std::char_traits<char16_t>::length(path));
    }
}

TEST(AppName, ExeExtensionAndTrimming) {
    EXPECT_EQ(u"NewCad.exe", rebrand::WithExeExtension(u"NewCad"));
    EXPECT_EQ(u"NewCad.EXE", rebrand::WithExeExtension(u"NewCad.EXE"));
    EXPECT_EQ(u"a.b.exe", rebrand::WithExeExtension(u"a.b"));
    EXPECT_EQ(u"exe.exe", rebrand::WithExeExtension(u"exe"));
    EXPECT_EQ(u".eXe", rebrand::WithExeExtension(u".eXe"));
    EXPECT_EQ(u"a b", text::TrimBlanks(u" \t\r\n\v\fa b \t"));
    EXPECT_EQ(u"", text::TrimBlanks(u"   "));
}

}  // namespace
