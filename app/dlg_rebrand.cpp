// The rebrand command behind "修改应用程序": checks, then the icon, the string tables, the
// pictures and the rename, in this order, ending with one message.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "app/resource.h"
#include "app/vedarod_dlg.h"
#include "app/write_problem.h"
#include "platform/files.h"
#include "rebrand/app_name.h"
#include "rebrand/icon_file.h"
#include "rebrand/string_block.h"
#include "rebrand/win32/file_steps.h"
#include "rebrand/win32/process_check.h"
#include "rebrand/win32/resource_update.h"
#include "text/blanks.h"
#include "text/file_names.h"
#include "win/wait_cursor.h"

namespace {

constexpr uint16_t kIconType = 3;    // RT_ICON
constexpr uint16_t kStringType = 6;  // RT_STRING
constexpr uint16_t kResourceLanguage = 2052;

}  // namespace

void CVedArodDlg::OnBnClickedModifyApp() {
    win::WaitCursor wait;
    UpdateData(true);

    // The application name as typed, and the file that is about to be modified.
    if (rebrand::IsProcessRunning(m_strAppName) || rebrand::IsExecutableRunning(m_strExeFileName)) {
        Message(u"应用程序正在运行，请关闭再重试");
        return;
    }

    m_strExePath = text::TrimBlanks(m_strExePath);
    if (m_strExePath.empty()) {
        return FailInput(u"应用程序路径不应为空", IDC_EDIT_EXE_PATH);
    }
    const bool iconOn = CheckBox(IDC_CHECK_ICON).IsChecked();
    const bool startupOn = CheckBox(IDC_CHECK_STARTUP_IMAGE).IsChecked();
    const bool adOn = CheckBox(IDC_CHECK_AD_IMAGE).IsChecked();
    if (iconOn && (m_strIconPath = text::TrimBlanks(m_strIconPath)).empty()) {
        return FailInput(u"图标路径不应为空", IDC_EDIT_ICON_PATH);
    }
    if (startupOn && (m_strStartupImagePath = text::TrimBlanks(m_strStartupImagePath)).empty()) {
        return FailInput(u"开机图片路径不应为空", IDC_EDIT_STARTUP_IMAGE);
    }
    if (adOn && (m_strAdImagePath = text::TrimBlanks(m_strAdImagePath)).empty()) {
        return FailInput(u"广告图片路径不应为空", IDC_EDIT_AD_IMAGE);
    }
    m_strAppName = text::TrimBlanks(m_strAppName);
    const bool rename = !m_strAppName.empty() && m_strAppName != m_strExeFileName;
    if (rename && !text::IsPlainFileName(m_strAppName)) {
        return FailInput(
            u"应用程序名称无效：名称中不能有 \\ / : * ? \" < > | 等字符，不能以空格或句点结尾，"
            u"也不能是系统保留的设备名",
            IDC_EDIT_APP_NAME);
    }

    m_writeProblems.clear();
    // Every failure is told, in the order of the steps; a failing icon or picture step ends
    // the command after the failures before it.
    std::vector<std::u16string> problems;
    const auto stop = [&](const std::u16string& stepFailed) {
        problems.push_back(stepFailed);
        problems.insert(problems.end(), m_writeProblems.begin(), m_writeProblems.end());
        std::u16string text;
        for (const auto& p : problems) {
            text += (text.empty() ? u"" : u"\r\n") + p;
        }
        Message(text);
    };

    // The icon and string-table steps are staged on one copy of the executable, which
    // replaces it once: after the logo copy, before the pictures.
    rebrand::StagedExecutable exe(m_strExePath, m_strInstallDir);
    if (iconOn && !ReplaceIcon(m_strIconPath, exe)) {
        return stop(u"图标修改失败");
    }
    const size_t firstStringStep = exe.StepCount();
    m_strCaptionText = text::TrimBlanks(m_strCaptionText);
    bool writeStrings = !m_strCaptionText.empty();
    if (!writeStrings) {
        m_strNewDocName = text::TrimBlanks(m_strNewDocName);
        writeStrings = !m_strNewDocName.empty();
    }
    bool stringsStaged = true;
    if (writeStrings) {
        stringsStaged = RewriteStringBlock(m_strCaptionText, m_strNewDocName, exe) &&
                        (m_strCaptionText.empty() || RewriteAppTitle(m_strCaptionText, exe));
    }
    std::vector<bool> built;
    if (exe.StepCount() > 0) {
        built = exe.Build();
        if (std::find(built.begin(), built.end(), false) != built.end()) {
            NoteUpdate(exe.result(), m_strExePath);
        }
    }
    if (iconOn && !built[0]) {
        return stop(u"图标修改失败");
    }
    if (iconOn && !CopyLogoIcon(m_strIconPath)) {
        return stop(u"图标修改失败");  // the executable is not replaced
    }
    // The original is kept right before the one replace of the executable.
    if (!built.empty() && built[0] &&
        !(KeepOriginal(m_strExePath) && exe.Commit().Updated())) {
        NoteUpdate(exe.result(), m_strExePath);
        if (iconOn) {
            return stop(u"图标修改失败");
        }
        built.assign(built.size(), false);
    }
    const bool stringsWritten =
        stringsStaged && std::all_of(built.begin() + static_cast<ptrdiff_t>(firstStringStep),
                                     built.end(), [](bool b) { return b; });
    if (writeStrings && !stringsWritten) {
        problems.push_back(u"应用程序左上角文字和新建文档名称未能写入应用程序");
        problems.insert(problems.end(), m_writeProblems.begin(), m_writeProblems.end());
    }
    m_writeProblems.clear();

    if (startupOn && !CopyStartupPicture(m_strStartupImagePath)) {
        return stop(u"开机图片修改失败");
    }
    if (adOn && !CopyAdPicture(m_strAdImagePath)) {
        return stop(u"广告图片修改失败");
    }

    if (rename) {
        const std::u16string newName = rebrand::WithExeExtension(m_strAppName);
        const std::u16string newPath = install::Join(m_strInstallDir, newName);
        const std::u16string oldPath = install::Join(m_strInstallDir, m_strExeFileName);
        // The new name is kept as "did not exist", so that a restore removes it.
        const bool kept = KeepOriginal(oldPath) && KeepOriginal(newPath);
        switch (kept ? rebrand::RenameFileTo(oldPath, newPath) : rebrand::RenameResult::kFailed) {
            case rebrand::RenameResult::kRenamed:
                break;
            case rebrand::RenameResult::kTargetExists:
                problems.push_back(u"已有同名文件，应用程序未改名：" + newPath);
                break;
            case rebrand::RenameResult::kFailed:
                problems.push_back(u"应用程序改名失败：" + oldPath + u" → " + newName);
                break;
        }
    }

    if (problems.empty()) {
        Message(u"修改应用程序成功");
        return;
    }
    std::u16string text;
    for (const auto& p : problems) {
        text += (text.empty() ? u"" : u"\r\n") + p;
    }
    Message(text);
}

void CVedArodDlg::FailInput(const std::u16string& text, int focusId) {
    Message(text);
    SetFocus(Item(focusId));
}

bool CVedArodDlg::ReplaceIcon(const std::u16string& iconPath, rebrand::StagedExecutable& exe) {
    std::string file;
    if (!rebrand::ReadFileUnshared(iconPath, file)) {
        return false;
    }
    rebrand::IconDirEntry entry;
    std::string image;
    if (rebrand::ReadFirstIconImage(file, entry, image) != rebrand::IconFileStatus::kOk) {
        return false;
    }
    std::vector<rebrand::ResourceUpdate> updates;
    const uint16_t lastId = install::IsV62(m_nEdition) ? 1 : 4;
    for (uint16_t id = 1; id <= lastId; ++id) {
        updates.push_back({kIconType, id, kResourceLanguage, image});
    }
    exe.AddStep(std::move(updates));
    return true;
}

void CVedArodDlg::NoteUpdate(const rebrand::UpdateResult& result, const std::u16string& exePath) {
    if (!result.movedSection.empty()) {
        const std::u16string section(result.movedSection.begin(), result.movedSection.end());
        m_writeProblems.push_back(
            u"应用程序的资源段位于其他段之前，写入资源会移动其后的 " + section +
            u" 段，修改后的程序将无法运行；已拒绝修改，应用程序保持不变：" + exePath);
        return;
    }
    const std::u16string problem = app::WriteProblem(result.write, exePath);
    if (!problem.empty()) {
        m_writeProblems.push_back(problem);
    }
}

bool CVedArodDlg::RewriteStringBlock(const std::u16string& caption,
                                     const std::u16string& newDocName,
                                     rebrand::StagedExecutable& exe) {
    const rebrand::BlockData block = rebrand::BuildDocStringBlock(
        caption, newDocName, static_cast<rebrand::Edition>(m_nEdition));
    switch (block.status) {
        case rebrand::BlockStatus::kNothingToWrite:
            return true;
        case rebrand::BlockStatus::kTooLong:
            return false;
        case rebrand::BlockStatus::kWrite:
            break;
    }
    exe.AddStep({{kStringType, rebrand::kDocStringBlock, kResourceLanguage, block.bytes}});
    return true;
}

bool CVedArodDlg::RewriteAppTitle(const std::u16string& caption, rebrand::StagedExecutable& exe) {
    const rebrand::BlockData block = rebrand::BuildTitleStringBlock(caption);
    if (block.status != rebrand::BlockStatus::kWrite) {
        return false;
    }
    exe.AddStep({{kStringType, rebrand::kTitleStringBlock, kResourceLanguage, block.bytes}});
    return true;
}

bool CVedArodDlg::CopyStartupPicture(std::u16string source) {
    return CopyPicture(source, install::kStartupPicture);
}

bool CVedArodDlg::CopyAdPicture(std::u16string source) {
    return CopyPicture(source, install::kAdPicture);
}

bool CVedArodDlg::CopyLogoIcon(std::u16string source) {
    return CopyPicture(source, install::kLogoIcon);
}

bool CVedArodDlg::CopyPicture(const std::u16string& source, const char16_t* relativeDestination) {
    if (!platform::PathExists(source)) {
        Message(source + u"图片文件不存在");
        return false;
    }
    const std::u16string destination = install::Join(m_strInstallDir, relativeDestination);
    if (!KeepOriginal(destination)) {
        return false;
    }
    platform::WriteResult write;
    if (rebrand::CopyOver(source, destination, m_strInstallDir, &write) !=
        rebrand::CopyResult::kFailed) {
        return true;
    }
    const std::u16string problem = app::WriteProblem(write, destination);
    if (!problem.empty()) {
        m_writeProblems.push_back(problem);
    }
    return false;
}
