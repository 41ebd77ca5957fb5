#include "commands/brand_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/unicode.h"

namespace {

TEST(BrandFileTest, ReadsEveryKeyAndResolvesRelativePaths) {
    const std::u16string text =
        u"; a reseller's brand\r\n"
        u"[Brand]\r\n"
        u"edition = standard\r\n"
        u"ICON = pics/logo.ico\r\n"
        u"startup_image=\"C:\\art work\\login.bmp\"\r\n"  // quoted as paths with blanks often are
        u"caption = 新 CAD = 好\r\n"
        u"document_name=\r\n"
        u"\n[profile]\n"
        u"use_file_password=1\nfile_password=abcdef\ncompany=某公司\n"
        u"[lang:lang_chs.ini]\n"
        u"IDS_A = 文本=带等号\n"
        u"ids_a = lower\n";
    brand::BrandFile b;
    std::vector<std::u16string> problems;
    ASSERT_TRUE(brand::ParseBrandText(text, u"D:\\kits", b, problems));
    EXPECT_EQ(b.edition, install::Edition::kStandard);
    EXPECT_EQ(b.icon, u"D:\\kits\\pics\\logo.ico");
    EXPECT_EQ(b.startupImage, u"C:\\art work\\login.bmp");
    EXPECT_FALSE(b.adImage.has_value());
    EXPECT_EQ(b.caption, u"新 CAD = 好");
    EXPECT_EQ(b.documentName, u"");  // given empty: the dialog's empty field
    EXPECT_FALSE(b.appName.has_value());
    EXPECT_EQ(b.useFilePassword, 1);
    EXPECT_EQ(b.filePassword, u"abcdef");
    EXPECT_EQ(b.company, u"某公司");
    EXPECT_FALSE(b.phone.has_value());
    EXPECT_TRUE(b.HasProfile());
    ASSERT_EQ(b.lang.size(), 1u);
    EXPECT_EQ(b.lang[0].file, u"lang_chs.ini");
    ASSERT_EQ(b.lang[0].entries.size(), 2u);  // IDs differ in letter case: two entries
    EXPECT_EQ(b.lang[0].entries[0].text, u"文本=带等号");
}

TEST(BrandFileTest, ReadsTheResourceSections) {
    const std::u16string text =
        u"[icons]\nMAIN = art/a.ico\n129 = C:\\doc.ico\n"
        u"[version]\ncompanyname = A 公司\nfile_version = 1.2.3.4\nProduct_Version=7\n"
        u"[replace]\nZovIDE = ACad\nzovide = acad\nZov 软件 = \n";
    brand::BrandFile b;
    std::vector<std::u16string> problems;
    ASSERT_TRUE(brand::ParseBrandText(text, u"D:\\kits", b, problems));
    ASSERT_EQ(b.icons.size(), 2u);
    EXPECT_EQ(b.icons[0].group, u"main");
    EXPECT_EQ(b.icons[0].path, u"D:\\kits\\art\\a.ico");
    EXPECT_EQ(b.icons[1].path, u"C:\\doc.ico");
    ASSERT_EQ(b.version.size(), 1u);
    EXPECT_EQ(b.version[0].name, u"CompanyName");  // spelt as the resource spells it
    EXPECT_EQ(b.fileVersion, u"1.2.3.4");
    EXPECT_EQ(b.productVersion, u"7");
    ASSERT_EQ(b.replace.size(), 3u);  // literal texts: letter case makes another text
    EXPECT_EQ(b.replace[2].newText, u"");
    EXPECT_TRUE(b.HasResourceEdits());
    EXPECT_FALSE(b.HasRebrand());

    const char16_t* const bad[] = {
        u"[version]\nMaker = x\n",
        u"[version]\nfile_version = 1.2.3.4.5\n",
        u"[version]\nfile_version = 1.65536\n",
        u"[version]\nfile_version = 1..2\n",
        u"[version]\nCompanyName = a\ncompanyNAME = b\n",
        u"[icons]\nmain = a.ico\nMain = b.ico\n",
        u"[icons]\nmain =\n",
        u"[replace]\nZov = a\nZov = b\n",
    };
    for (const char16_t* t : bad) {
        brand::BrandFile b2;
        problems.clear();
        EXPECT_FALSE(brand::ParseBrandText(t, u"D:\\kits", b2, problems))
            << platform::Utf16ToUtf8(t);
        EXPECT_EQ(problems.size(), 1u) << platform::Utf16ToUtf8(t);
    }
}

TEST(BrandFileTest, RefusesWhatItDoesNotKnow) {
    const struct {
        const char16_t* text;
        const char16_t* lineInError;
    } cases[] = {
        {u"[brand]\nedition=pro\n", u"第 2 行"},
        {u"[brand]\nedition=\n", u"第 2 行"},
        {u"[brand]\ncolour=red\n", u"第 2 行"},
        {u"[brand]\ncompany=x\n", u"第 2 行"},  // a profile key in [brand]
        {u"[profile]\ncaption=x\n", u"第 2 行"},
        {u"[profile]\nuse_file_password=yes\n", u"第 2 行"},
        {u"[brand]\ncaption=a\ncaption=b\n", u"第 3 行"},
        {u"caption=a\n", u"第 1 行"},
        {u"[branding]\n", u"第 1 行"},
        {u"[lang:]\n", u"第 1 行"},
        {u"[lang: . ]\n", u"第 1 行"},  // no file name, as Windows reads it
        {u"[brand]\nicon=\n", u"第 2 行"},
        {u"[brand]\nicon=\" \"\n", u"第 2 行"},
        {u"[brand]\njust text\n", u"第 2 行"},
        {u"[lang:a.ini]\nID=1\nID=2\n", u"第 3 行"},
        {u"[lang:a.ini]\nID=1\n[lang:A.INI.]\nID=2\n", u"第 4 行"},  // the same file
        // What the keys ask for together, told at the key to blame.
        {u"[brand]\nad_image=a.bmp\n", u"第 2 行"},
        {u"[profile]\nfile_password=abcdef\n[brand]\nedition=6.2\n", u"第 2 行"},
        {u"[brand]\nedition=6.2\n[profile]\nuse_file_password=0\n", u"第 4 行"},
        {u"[brand]\napp_name=a:b\n", u"第 2 行"},
    };
    for (const auto& c : cases) {
        brand::BrandFile b;
        std::vector<std::u16string> problems;
        EXPECT_FALSE(brand::ParseBrandText(c.text, u"D:\\kits", b, problems));
        ASSERT_EQ(problems.size(), 1u) << platform::Utf16ToUtf8(c.text);
        EXPECT_NE(problems[0].find(c.lineInError), std::u16string::npos)
            << platform::Utf16ToUtf8(problems[0]);
    }
}

TEST(BrandFileTest, TellsEveryBadLineAndKeepsTheGoodOnes) {
    const std::u16string text =
        u"[brand]\n"
        u"colour = red\n"   // 2: unknown key
        u"edition = 6,2\n"  // 3: bad value; ad_image is not told against it
        u"ad_image = a.bmp\n"
        u"[branding]\n"  // 5: unknown section; its keys are not told again
        u"x = 1\n"
        u"[brand]\n"
        u"caption = b\n"
        u"caption = c\n"        // 9: given twice
        u"just text\n"          // 10
        u"edition = simple\n";  // 11: edition given twice, though refused
    brand::BrandFile b;
    std::vector<std::u16string> problems;
    EXPECT_FALSE(brand::ParseBrandText(text, u"D:\\kits", b, problems));
    std::vector<std::u16string> lines;
    for (const std::u16string& problem : problems) {
        lines.push_back(problem.substr(0, problem.find(u'：')));
    }
    EXPECT_EQ(lines, (std::vector<std::u16string>{u"品牌文件第 2 行", u"品牌文件第 3 行",
                                                  u"品牌文件第 5 行", u"品牌文件第 9 行",
                                                  u"品牌文件第 10 行", u"品牌文件第 11 行"}));
    EXPECT_EQ(b.caption, u"b");
    EXPECT_EQ(b.adImage, u"D:\\kits\\a.bmp");
    EXPECT_FALSE(b.edition.has_value());
}

TEST(BrandFileTest, DecodesTheEncodingsEditorsSave) {
    // "[brand]\ncaption=新" as editors save it; a UTF-16 file must carry its mark.
    const struct {
        std::string bytes;
        bool readable;
    } cases[] = {
        {"\xEF\xBB\xBF[brand]\ncaption=\xE6\x96\xB0", true},
        {"[brand]\ncaption=\xE6\x96\xB0", true},
        {std::string("\xFF\xFE[\0b\0r\0a\0n\0d\0]\0\n\0c\0a\0p\0t\0i\0o\0n\0=\0\xB0\x65", 36),
         true},
        {std::string("\xFE\xFF\0[\0b\0r\0a\0n\0d\0]\0\n\0c\0a\0p\0t\0i\0o\0n\0=\x65\xB0", 36),
         true},
        {std::string("\xFF\xFE[\0b\0r\0a\0n\0d\0]\0\n\0c\0a\0p\0t\0i\0o\0n\0=\0\xB0", 35), false},
        {"\xEF\xBB\xBF[brand]\ncaption=\xE6\x96", false},  // marked UTF-8, cut short
    };
    for (const auto& c : cases) {
        std::u16string text;
        EXPECT_EQ(c.readable, brand::DecodeBrandBytes(c.bytes, text)) << c.bytes;
        if (c.readable) {
            EXPECT_EQ(u"[brand]\ncaption=新", text) << c.bytes;
        }
    }
}

}  // namespace

namespace {

TEST(BrandFileTest, AWrittenBrandReadsBackTheSame) {
    brand::BrandFile b;
    std::vector<std::u16string> parsed;
    ASSERT_TRUE(brand::ParseBrandText(
        u"[brand]\nedition=6.2\nicon=\"C:\\art work\\a.ico\"\nad_image=D:\\ad.bmp\n"
        u"caption=新 CAD = 好\ndocument_name=\n[profile]\ncompany=A 公司\nurl=www.a.cn\n"
        u"[lang:lang_chs.ini]\nIDS_A=文本=带等号\nIDS_B=\n[lang:lang_en.ini]\nIDS_A=x\n",
        u"D:\\kits", b, parsed));
    b.lang[1].entries[0].text = u" padded ";         // blanks at its ends
    b.lang[1].entries.push_back({u"A=B", u"x", 0});  // an ID that cannot be written
    std::vector<std::u16string> unwritable;
    const std::string bytes = brand::FormatBrandFile(b, unwritable);
    EXPECT_EQ(unwritable, (std::vector<std::u16string>{u"IDS_A", u"A=B"}));
    EXPECT_EQ(bytes.rfind("\xEF\xBB\xBF[brand]\r\nedition = 6.2\r\n", 0), 0u);
    std::u16string text;
    ASSERT_TRUE(brand::DecodeBrandBytes(bytes, text));
    brand::BrandFile back;
    std::vector<std::u16string> problems;
    ASSERT_TRUE(brand::ParseBrandText(text, u"D:\\kits", back, problems))
        << platform::Utf16ToUtf8(problems.empty() ? u"" : problems[0]);
    EXPECT_EQ(back.edition, b.edition);
    EXPECT_EQ(back.icon.value_or(u"-"), b.icon.value_or(u"-"));
    EXPECT_EQ(back.adImage.value_or(u"-"), b.adImage.value_or(u"-"));
    EXPECT_EQ(back.caption.value_or(u"-"), b.caption.value_or(u"-"));
    EXPECT_EQ(back.documentName.value_or(u"-"), b.documentName.value_or(u"-"));
    EXPECT_EQ(back.company.value_or(u"-"), b.company.value_or(u"-"));
    EXPECT_FALSE(back.phone.has_value());
    ASSERT_EQ(back.lang.size(), 2u);
    ASSERT_EQ(back.lang[0].entries.size(), 2u);
    EXPECT_EQ(back.lang[0].entries[0].text, u"文本=带等号");
    EXPECT_EQ(back.lang[0].entries[1].text, u"");
    EXPECT_TRUE(back.lang[1].entries.empty());
}

}  // namespace
