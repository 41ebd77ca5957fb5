// The originals of the install: kept in its backup before each change, and put back from
// the system menu ("恢复原始文件").
#include <string>
#include <vector>

#include "commands/commands.h"
#include "app/resource.h"
#include "app/vedarod_dlg.h"
#include "install/backup.h"
#include "install/install_lock.h"
#include "install/install_layout.h"
#include "platform/files.h"
#include "win/wait_cursor.h"
#include "win/wstr.h"
#include "messages/messages.h"

CVedArodDlg::ClosingHold CVedArodDlg::KeepCachedProfiles() {
    ClosingHold held;
    std::u16string notes;
    std::u16string busy;
    for (auto& entry : m_mapIniFiles) {
        CIniFile& ini = *entry.second;
        if (install::IsNeverWrittenBackAtClose(ini.path) || ini.LoadFailed() || !ini.Changed()) {
            continue;  // never written back, or nothing to write
        }
        std::u16string folder;
        std::u16string relative;
        install::BackupProblem problem;
        install::SplitProfilePath(ini.path, folder, relative);
        // Held until the profiles have written themselves back.
        std::unique_ptr<install::InstallLock> lock = install::InstallLock::Acquire(folder);
        if (!lock) {
            ini.Discard();
            busy += u"\r\n" + ini.path;
            continue;
        }
        held.locks.push_back(std::move(lock));
        if (!install::InstallBackup(folder).Keep(relative, problem)) {
            ini.Discard();
            notes += u"\r\n" + ini.path + u"：" + msg::Describe(problem);
        } else {
            held.kept.emplace_back(folder, relative);
        }
    }
    if (!notes.empty()) {
        Message(msg::ProfilesNotKept(notes));
    }
    if (!busy.empty()) {
        Message(msg::ProfilesBusy(busy));
    }
    return held;
}

void CVedArodDlg::ClosingHold::Settle() {
    for (const auto& [folder, relative] : kept) {
        install::InstallBackup(folder).TakeBack(relative);  // a profile whose save failed
    }
    kept.clear();
}

void CVedArodDlg::AddRestoreMenuItem(HMENU systemMenu) {
    AppendMenuW(systemMenu, MF_STRING | MF_GRAYED, IDM_RESTORE, win::W(msg::kRestoreMenuItem));
}

void CVedArodDlg::AddBrandMenuItems(HMENU systemMenu) {
    AppendMenuW(systemMenu, MF_STRING | MF_GRAYED, IDM_APPLY_BRAND,
                win::W(msg::kApplyBrandMenuItem));
    AppendMenuW(systemMenu, MF_STRING | MF_GRAYED, IDM_SAVE_BRAND, win::W(msg::kSaveBrandMenuItem));
    AppendMenuW(systemMenu, MF_STRING | MF_GRAYED, IDM_FIND_REPLACE,
                win::W(msg::kFindReplaceMenuItem));
}

void CVedArodDlg::EnableBrandMenuItems(bool enabled) {
    const HMENU menu = GetSystemMenu(hwnd_, FALSE);
    for (const UINT id : {IDM_APPLY_BRAND, IDM_SAVE_BRAND, IDM_FIND_REPLACE}) {
        EnableMenuItem(menu, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    }
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
    const app::RestorePlan plan = app::PlanRestore(m_strInstallDir, m_strAppName, m_strExeFileName);
    if (!plan.refusal.empty()) {
        if (!plan.running) {
            UpdateRestoreMenuItem();
        }
        Message(plan.refusal);
        return;
    }
    if (!prompts_.AskYesNo(hwnd_, plan.question)) {
        return;
    }

    win::WaitCursor wait;
    HideCellEditor();
    DropCachedProfiles();
    std::u16string message;
    app::RunRestore(m_strInstallDir, message);

    // Reloaded as after a new selection: the executable under its original name.
    if (!platform::PathExists(m_strExePath)) {
        for (const install::BackupRecord& record : plan.manifest.records) {
            const std::u16string path = install::Join(m_strInstallDir, record.path);
            if (record.existed && app::IsExecutableName(record.path) &&
                platform::PathExists(path)) {
                m_strExePath = path;
                break;
            }
        }
    }
    ReloadTarget(m_strExePath);
    Message(message);
}

void CVedArodDlg::DropCachedProfiles() {
    for (auto it = m_mapIniFiles.begin(); it != m_mapIniFiles.end();) {
        std::u16string relative;
        if (install::RelativeTo(m_strInstallDir, it->second->path, relative)) {
            it->second->Discard();
            it = m_mapIniFiles.erase(it);
        } else {
            ++it;
        }
    }
}

void CVedArodDlg::ReloadTarget(const std::u16string& exePath) {
    m_strExePath = exePath;
    m_strAppName = install::FileNameOf(m_strExePath);
    m_strExeFileName = m_strAppName;
    UpdateData(false);
    LoadTargetContent();
    UpdateRestoreMenuItem();
}
