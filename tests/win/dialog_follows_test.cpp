// The main dialog after its own changes: it follows a rename of the executable, and it does
// not end with unsaved language edits unless the user says so.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/resource.h"
#include "tests/win/harness.h"
#include "tests/win/target_install.h"

namespace {

namespace fs = std::filesystem;
using testsupport::DialogHarness;
using testsupport::TargetInstall;

TEST(DialogFollows, ARenameSoThatTheNextRebrandWorksOnTheRenamedFile) {
    TargetInstall install;
    DialogHarness h;
    h.SelectTarget(install.Exe());
    h.Type(1009, u"NewCad");
    h.Click(1000);
    const fs::path renamed = install.install / "NewCad.exe";
    ASSERT_TRUE(fs::exists(renamed));
    EXPECT_EQ(renamed.u16string(), h.Text(1002));
    EXPECT_EQ(u"NewCad.exe", h.Text(1009));
    h.Type(1008, u"第二次标题");
    h.Click(1000);
    EXPECT_EQ((std::vector<std::u16string>{u"修改应用程序成功", u"修改应用程序成功"}),
              h.MessageTexts());

    // A rename that failed leaves the fields as they were.
    testsupport::WriteBytes(install.install / "Taken.exe", "MZ other");
    h.Type(1009, u"Taken");
    h.Click(1000);
    EXPECT_EQ(renamed.u16string(), h.Text(1002));
    EXPECT_NE(std::u16string::npos, h.MessageTexts().back().find(u"已有同名文件"));
}

TEST(DialogFollows, UnsavedLanguageEditsAreAskedAboutBeforeTheDialogEnds) {
    for (const bool closeBox : {false, true}) {
        TargetInstall install;
        DialogHarness h;
        h.SelectTarget(install.Exe());
        const auto end = [&] {
            if (closeBox) {
                SendMessageW(h.Hwnd(), WM_CLOSE, 0, 0);
            } else {
                h.Click(IDOK);  // "退出"
            }
            h.Pump();
        };
        h.DoubleClickList(h.CellPoint(0, 1));
        h.Dlg().m_editCell.SetText(u"未保存");
        end();  // no answer given: No
        ASSERT_EQ(1u, h.Prompts().questions.size()) << closeBox;
        EXPECT_EQ(u"语言文件有未保存的修改，确定退出吗？", h.Prompts().questions[0]);
        EXPECT_FALSE(h.Dlg().Ended()) << closeBox;
        EXPECT_TRUE(IsWindowVisible(h.Hwnd())) << closeBox;

        // Saved, nothing is asked.
        h.Click(1029);
        end();
        EXPECT_EQ(1u, h.Prompts().questions.size()) << closeBox;
        EXPECT_TRUE(h.Dlg().Ended()) << closeBox;
    }
    // Yes ends it with the edits unsaved.
    TargetInstall install;
    DialogHarness h;
    h.SelectTarget(install.Exe());
    h.DoubleClickList(h.CellPoint(0, 1));
    h.Dlg().m_editCell.SetText(u"未保存");
    h.Prompts().yesNoAnswers.push_back(true);
    h.Click(IDOK);
    EXPECT_TRUE(h.Dlg().Ended());
}

}  // namespace
