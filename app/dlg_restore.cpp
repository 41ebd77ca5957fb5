// The originals of the install: kept in its backup before each change, and put back from
// the system menu ("恢复原始文件").
#include <string>
#include <vector>

#include "app/resource.h"
#include "app/vedarod_dlg.h"
#include "install/backup.h"
#include "install/install_layout.h"
#include "platform/files.h"
#include "rebrand/win32/process_check.h"
#include "win/wait_cursor.h"
#include "win/wstr.h"

namespace {

constexpr char16_t kRestoreItem[] = u"恢复原始文件(&R)...";

// A file directly in the install folder whose name ends with ".exe" (any letter case).
bool IsExecutable(const std::u16string& relative) {
    if (relative.find(u'\\') != std::u16string::npos || relative.size() < 4) {
        return false;
    }
    std::u16string ext = relative.substr(relative.size() - 4);
    for (char16_t& c : ext) {
        c = (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
    }
    return ext == u".exe";
}

}  // namespace

bool CVedArodDlg::KeepOriginal(const std::u16string& path) {
    std::u16string relative;
    std::u16string reason;
    if (!install::RelativeTo(m_strInstallDir, path, relative)) {
        reason = u"文件不在安装文件夹内：" + path;
    } else if (install::InstallBackup(m_strInstallDir).Keep(relative, reason)) {
        UpdateRestoreMenuItem();
        return true;
    }
    backupNotes_ += u"\r\n原文件未能备份，文件未修改：" + reason;
    return false;
}

LangSaveResult CVedArodDlg::SaveLanguage(int slot, platform::WriteResult* write) {
    const CLangTable& table = m_langTable;
    const std::u16string& name = table.FileName(slot);
    if (!name.empty() && !table.Entries(slot).empty() &&
        !KeepOriginal(install::Join(LangFolder(), name))) {
        return LangSaveResult::kFailed;
    }
    return table.SaveLangFile(slot, LangFolder(), m_strInstallDir, write);
}

void CVedArodDlg::KeepCachedProfiles() {
    std::u16string notes;
    for (auto& entry : m_mapIniFiles) {
        CIniFile& ini = *entry.second;
        if (ini.path.find(u"VirUdezed.cfg") != std::u16string::npos || ini.LoadFailed()) {
            continue;  // never written back
        }
        std::u16string folder;
        std::u16string relative;
        std::u16string reason;
        install::SplitProfilePath(ini.path, folder, relative);
        if (!install::InstallBackup(folder).Keep(relative, reason)) {
            ini.Discard();
            notes += u"\r\n" + ini.path + u"：" + reason;
        }
    }
    if (!notes.empty()) {
        Message(u"以下配置文件的原文件未能备份，未写回，文件未修改：" + notes);
    }
}

void CVedArodDlg::AddRestoreMenuItem(HMENU systemMenu) {
    AppendMenuW(systemMenu, MF_STRING | MF_GRAYED, IDM_RESTORE, win::W(kRestoreItem));
}

void CVedArodDlg::UpdateRestoreMenuItem() {
    install::BackupManifest manifest;
    const bool present =
        !m_strInstallDir.empty() && install::InstallBackup(m_strInstallDir).Read(manifest) !=
                                        install::InstallBackup::State::kNone;
    EnableMenuItem(GetSystemMenu(hwnd_, FALSE), IDM_RESTORE,
                   MF_BYCOMMAND | (present ? MF_ENABLED : MF_GRAYED));
}

void CVedArodDlg::OnRestoreOriginals() {
    install::InstallBackup backup(m_strInstallDir);
    install::BackupManifest manifest;
    const auto state =
        m_strInstallDir.empty() ? install::InstallBackup::State::kNone : backup.Read(manifest);
    if (state != install::InstallBackup::State::kPresent) {
        UpdateRestoreMenuItem();
        Message(state == install::InstallBackup::State::kDamaged
                    ? u"备份清单无法读取，未恢复任何文件：" + backup.Folder()
                    : u"所选应用程序没有可恢复的原始文件");
        return;
    }
    bool running =
        rebrand::IsProcessRunning(m_strAppName) || rebrand::IsExecutableRunning(m_strExeFileName);
    std::u16string back;
    std::u16string removed;
    for (const install::BackupRecord& record : manifest.records) {
        running =
            running || (IsExecutable(record.path) && rebrand::IsExecutableRunning(record.path));
        (record.existed ? back : removed) += u"\r\n    " + record.path;
    }
    if (running) {
        Message(u"应用程序正在运行，请关闭再重试");
        return;
    }
    std::u16string question = u"将恢复以下原始文件（安装文件夹 " + m_strInstallDir + u"）：";
    question += back.empty() ? u"\r\n    （无）" : back;
    if (!removed.empty()) {
        question += u"\r\n将删除以下原先不存在的文件：" + removed;
    }
    question += u"\r\n\r\n是否恢复？";
    if (!prompts_.AskYesNo(hwnd_, question)) {
        return;
    }

    win::WaitCursor wait;
    HideCellEditor();
    // The cached profiles of this install would write themselves back over the originals.
    for (auto it = m_mapIniFiles.begin(); it != m_mapIniFiles.end();) {
        std::u16string relative;
        if (install::RelativeTo(m_strInstallDir, it->second->path, relative)) {
            it->second->Discard();
            it = m_mapIniFiles.erase(it);
        } else {
            ++it;
        }
    }
    const std::vector<install::InstallBackup::Failure> failures = backup.Restore();

    // Reloaded as after a new selection: the executable under its original name.
    if (!platform::PathExists(m_strExePath)) {
        for (const install::BackupRecord& record : manifest.records) {
            const std::u16string path = install::Join(m_strInstallDir, record.path);
            if (record.existed && IsExecutable(record.path) && platform::PathExists(path)) {
                m_strExePath = path;
                break;
            }
        }
    }
    m_strAppName = install::FileNameOf(m_strExePath);
    m_strExeFileName = m_strAppName;
    UpdateData(false);
    LoadTargetContent();
    UpdateRestoreMenuItem();

    if (failures.empty()) {
        Message(u"已恢复全部原始文件，备份文件夹已删除");
        return;
    }
    std::u16string text = u"以下文件未能恢复，仍保留在备份中：";
    for (const auto& failure : failures) {
        text += u"\r\n" + (failure.path.empty() ? backup.Folder() : failure.path) + u"：" +
                failure.reason;
    }
    Message(text);
}
