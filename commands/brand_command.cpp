#include "commands/brand_command.h"

#include "commands/check_command.h"
#include "commands/install_target.h"
#include "install/install_layout.h"
#include "messages/brand_messages.h"
#include "messages/messages.h"
#include "platform/file_ops.h"
#include "platform/files.h"
#include "rebrand/app_name.h"

namespace brand {

std::u16string WithoutTrailingSeparator(std::u16string folder) {
    while (folder.size() > 3 && (folder.back() == u'\\' || folder.back() == u'/')) {
        folder.pop_back();
    }
    return folder;
}

std::vector<std::u16string> ExecutablesIn(const std::u16string& folder) {
    std::vector<std::u16string> names;
    for (const std::u16string& name : platform::ListFiles(folder)) {
        if (app::IsExecutableName(name)) {
            names.push_back(name);
        }
    }
    return names;
}

std::u16string TargetExecutable(const std::u16string& path,
                                const std::optional<std::u16string>& appName,
                                std::u16string& problem) {
    if (platform::IsRegularFile(path)) {
        if (!app::IsExecutableName(install::FileNameOf(path))) {
            problem = msg::NotAnExe(path);
            return u"";
        }
        return platform::StoredName(path);
    }
    const bool folderGiven = platform::IsDirectory(path);
    const std::u16string folder =
        folderGiven ? WithoutTrailingSeparator(path) : install::FolderOf(path);
    install::BackupManifest manifest;
    if (!folder.empty()) {
        install::InstallBackup(folder).Read(manifest);
    }
    const std::u16string chosen =
        folder.empty() || (!folderGiven && platform::PathExists(path))
            ? std::u16string()
            : ChooseExecutable(ExecutablesIn(folder), manifest,
                               folderGiven ? u"" : install::FileNameOf(path), appName);
    if (chosen.empty()) {
        problem = folderGiven ? msg::NoExeInFolder(path) : msg::ExeMissing(path);
        return u"";
    }
    return install::Join(folder, chosen);
}

BrandCommand::~BrandCommand() {
    // Nothing is written back: what the commands save, they saved.
    DiscardIniFiles(profiles_);
}

BrandCommand::Prepared BrandCommand::Prepare(const std::u16string& brandPath,
                                             const std::u16string& target, Purpose purpose,
                                             app::CommandHost& host) {
    const bool dryRun = purpose == Purpose::kDryRun;
    const bool listRewrites = purpose != Purpose::kRun;
    problems_.clear();
    LoadBrandFile(brandPath, brand_, problems_);
    // The target is named first: the other problems are about the brand file.
    std::u16string targetProblem;
    exePath_ = TargetExecutable(target, brand_.appName, targetProblem);
    if (!targetProblem.empty()) {
        problems_.insert(problems_.begin(), targetProblem);
    }
    if (!problems_.empty()) {
        return Prepared::kRefused;
    }
    installDir_ = install::FolderOf(exePath_);
    const install::Edition edition = brand_.Edition();

    // A brand holds the install from its first read to its last write.
    if (!dryRun && (brand_.HasRebrand() || brand_.HasResourceEdits() || brand_.HasProfile() ||
                    !brand_.lang.empty())) {
        host.StepStarted(msg::kBrandCommand);
        held_ = host.Hold(installDir_);
        if (!held_) {
            return Prepared::kBusy;
        }
    }

    // What the plan needs of the install.
    InstallRead read;
    read.installDir = installDir_;
    read.exeFileName = install::FileNameOf(exePath_);
    if (brand_.HasProfile()) {
        profileIni_ = &GetCachedIniFile(profiles_, app::ProfileFilePath(installDir_, edition));
        InstallRead::Profile& p = read.profile;
        std::u16string folder;
        install::SplitProfilePath(profileIni_->path, folder, p.relative);
        p.stored = app::ReadProfile(*profileIni_);
        const auto has = [&](const char16_t* key) {
            return profileIni_->GetString(install::kProfileSection, key, u"\x1") != u"\x1";
        };
        p.hasFilePassword = has(install::kFilePasswordKey);
        p.hasUseFilePassword = has(install::kUseFilePasswordKey);
        p.hasCompany = has(install::kCompanyKey);
        p.hasPhone = has(install::kPhoneKey);
        p.hasUrl = has(install::kUrlKey);
        // What the save would write when no value changes.
        p.rewritesUnchanged =
            listRewrites && !app::ProfileSaveKeepsBytes(
                                *profileIni_, edition,
                                install::ProfileToSave(edition, p.stored.useFilePassword != 0,
                                                       p.stored.filePassword, p.stored.company,
                                                       p.stored.phone, p.stored.url));
    }
    if (brand_.HasResourceEdits()) {
        if (platform::ReadWholeFile(exePath_, exeImage_) == platform::ReadResult::kOk &&
            rebrand::ReadResourceTree(exeImage_, exeTree_) == rebrand::PeStatus::kOk) {
            read.exeResources = &exeTree_;
        }
        for (const IconGroupEdit& edit : brand_.icons) {
            std::string bytes;
            if (platform::ReadWholeFile(edit.path, bytes) == platform::ReadResult::kOk) {
                read.iconFiles[edit.path] = std::move(bytes);
            }
        }
    }
    read.langFolder = platform::IsDirectory(install::Join(installDir_, install::kLangFolder));
    if ((!brand_.lang.empty() || !brand_.replace.empty()) && read.langFolder) {
        app::LoadInstallLanguages(table_, profiles_, installDir_);
        read.langFiles.resize(CLangTable::kSlotCount);
        for (int slot = 0; slot < CLangTable::kSlotCount; ++slot) {
            InstallRead::LangFile& file = read.langFiles[slot];
            file.name = table_.FileName(slot);
            for (const LangEntry& entry : table_.Entries(slot)) {
                file.entries.emplace_back(entry.id, entry.text);
            }
            file.rewritesUnchanged = listRewrites && !file.entries.empty() &&
                                     !app::LanguageSaveKeepsBytes(table_, installDir_, slot);
        }
    }

    plan_ = PlanBrand(brand_, read);
    problems_ = plan_.problems;
    if (profileIni_ != nullptr) {
        if (auto p = app::CheckProfileText(*profileIni_, edition, plan_.profile)) {
            problems_.push_back(p->message);
        }
    }
    if (plan_.steps.empty()) {
        // An empty file (one a script failed to fill, say) must not pass for a done brand.
        problems_.push_back(msg::BrandFileEmpty(brandPath));
    }
    if (!problems_.empty()) {
        held_.reset();
        return Prepared::kRefused;
    }

    app::RebrandRequest& r = request_;
    r.exePath = exePath_;
    r.exeFileName = read.exeFileName;
    r.installDir = installDir_;
    r.edition = edition;
    r.appName = plan_.rebrand.appName.empty() ? read.exeFileName : plan_.rebrand.appName;
    r.iconOn = plan_.rebrand.icon.has_value();
    r.iconPath = plan_.rebrand.icon.value_or(u"");
    r.startupOn = plan_.rebrand.startupImage.has_value();
    r.startupImagePath = plan_.rebrand.startupImage.value_or(u"");
    r.adOn = plan_.rebrand.adImage.has_value();
    r.adImagePath = plan_.rebrand.adImage.value_or(u"");
    r.caption = plan_.rebrand.caption;
    r.newDocName = plan_.rebrand.documentName;
    if (!plan_.exeEdits.Empty()) {
        r.resourceEdits.push_back(
            [edits = plan_.exeEdits, exe = read.exeFileName](rebrand::ResourceTree& tree) {
                return edits.Apply(tree, exe, nullptr, nullptr);
            });
        r.iconGroupsReplaceImages = plan_.exeEdits.RebuildsMainIcon();
    }
    if (plan_.steps.front().kind == StepKind::kRebrand) {
        if (auto problem = app::CheckRebrand(r)) {
            held_.reset();
            if (problem->field == app::RebrandField::kNone) {  // running: try again later
                host.Tell(problem->message);
                return Prepared::kBusy;
            }
            problems_.push_back(problem->message);
            return Prepared::kRefused;
        }
    }
    return Prepared::kReady;
}

std::vector<std::u16string> BrandCommand::PlanLines() const {
    std::vector<std::u16string> lines;
    for (const PlanStep& step : plan_.steps) {
        lines.insert(lines.end(), step.lines.begin(), step.lines.end());
    }
    return lines;
}

app::CommandResult BrandCommand::Run(app::CommandHost& host) {
    bool failed = false;
    for (const PlanStep& step : plan_.steps) {
        host.StepStarted(step.command);
        app::CommandResult result = app::CommandResult::kDone;
        switch (step.kind) {
            case StepKind::kRebrand:
                result = app::RunRebrand(request_, host);
                break;
            case StepKind::kProfile:
                result =
                    app::SaveProfile(*profileIni_, installDir_, plan_.edition, plan_.profile, host);
                break;
            case StepKind::kLanguages:
                // The edits, as the list's in-place editor makes them.
                for (const LangChange& change : plan_.langChanges) {
                    table_.SetText(change.slot, change.id, change.text);
                }
                result = app::SaveAllLanguages(table_, installDir_, host);
                break;
        }
        failed = result != app::CommandResult::kDone || failed;
    }
    held_.reset();
    if (!brand_.replace.empty()) {
        // What is left of the old texts (the exit code stays the steps').
        std::vector<std::u16string> olds;
        for (const ReplaceEdit& e : brand_.replace) {
            olds.push_back(e.oldText);
        }
        const CheckResult check = CheckInstall(ExePathAfterRun(), olds);
        std::u16string told = msg::kCheckHeading;
        for (const std::u16string& line : check.lines) {
            told += u"\r\n" + line;
        }
        told += u"\r\n" + (check.lines.empty() ? msg::CheckNothingFound(check.placesLooked)
                                               : msg::CheckFound(check.lines.size()));
        host.StepStarted(msg::kCheckCommand);
        host.Tell(told);
    }
    return failed ? app::CommandResult::kFailed : app::CommandResult::kDone;
}

std::u16string BrandCommand::ExePathAfterRun() const {
    // Still there (a rename of the letter case only gives the name as now spelled), or
    // renamed to the brand's name.
    if (platform::IsRegularFile(exePath_) || plan_.rebrand.appName.empty()) {
        return platform::StoredName(exePath_);
    }
    return platform::StoredName(
        install::Join(installDir_, rebrand::WithExeExtension(plan_.rebrand.appName)));
}

}  // namespace brand
