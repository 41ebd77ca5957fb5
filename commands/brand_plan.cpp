#include "commands/brand_plan.h"

#include <map>
#include <string>

#include "install/install_layout.h"
#include "rebrand/app_name.h"
#include "rebrand/string_block.h"
#include "text/ascii_case.h"
#include "text/file_names.h"
#include "messages/brand_messages.h"
#include "messages/messages.h"

namespace brand {
namespace {

// The lines of the rebrand command: the executable's resources, the pictures, the rename.
std::vector<std::u16string> RebrandLines(const RebrandInputs& r, install::Edition edition,
                                         const std::u16string& exe) {
    std::vector<std::u16string> lines;
    if (r.icon) {
        const std::u16string ids = install::IsV62(edition) ? u"RT_ICON 1" : u"RT_ICON 1-4";
        lines.push_back(msg::IconImagesLine(exe, ids, *r.icon));
        lines.push_back(msg::ReplacedBy(install::kLogoIcon, *r.icon));
    }
    if (!r.caption.empty() || !r.documentName.empty()) {
        const rebrand::BlockData block =
            rebrand::BuildDocStringBlock(r.caption, r.documentName, edition);
        if (block.status == rebrand::BlockStatus::kTooLong) {
            lines.push_back(msg::StringBlockTooLong(exe));
        } else {
            lines.push_back(msg::DocBlockLine(exe, r.documentName, r.caption));
            if (!r.caption.empty()) {
                lines.push_back(msg::TitleBlockLine(exe, r.caption));
            }
        }
    }
    if (r.startupImage) {
        lines.push_back(msg::ReplacedBy(install::kStartupPicture, *r.startupImage));
    }
    if (r.adImage) {
        lines.push_back(msg::ReplacedBy(install::kAdPicture, *r.adImage));
    }
    if (!r.appName.empty()) {
        lines.push_back(msg::RenameLine(exe, rebrand::WithExeExtension(r.appName)));
    }
    return lines;
}

// The lines of the profile save: each key whose value changes, or that the file would be
// rewritten with the values it holds.
std::vector<std::u16string> ProfileLines(const InstallRead::Profile& read, install::Edition edition,
                                         const CustomProfile& profile) {
    std::vector<std::u16string> lines;
    const auto change = [&](const char16_t* key, const std::u16string& before,
                            const std::u16string& after, bool present) {
        if (!present || before != after) {
            lines.push_back(msg::ValueLine(
                read.relative, u"[" + std::u16string(install::kProfileSection) + u"] " + key, after,
                present ? &before : nullptr));
        }
    };
    const CustomProfile& stored = read.stored;
    if (!install::IsV62(edition)) {
        change(install::kFilePasswordKey, stored.filePassword, profile.filePassword,
               read.hasFilePassword);
        change(install::kUseFilePasswordKey,
               msg::Decimal(static_cast<unsigned>(stored.useFilePassword)),
               msg::Decimal(static_cast<unsigned>(profile.useFilePassword)),
               read.hasUseFilePassword);
    }
    change(install::kCompanyKey, stored.company, profile.company, read.hasCompany);
    change(install::kPhoneKey, stored.phone, profile.phone, read.hasPhone);
    change(install::kUrlKey, stored.url, profile.url, read.hasUrl);
    if (lines.empty() && read.rewritesUnchanged) {
        lines.push_back(msg::ProfileRewritten(read.relative));
    }
    return lines;
}

// The lines of the save of all language files: per file, each entry whose text changes, or
// that the file would be rewritten in the tool's format.
std::vector<std::u16string> LanguageLines(const InstallRead& read,
                                          const std::vector<LangChange>& changes) {
    std::vector<std::u16string> lines;
    for (size_t slot = 0; slot < read.langFiles.size(); ++slot) {
        const InstallRead::LangFile& file = read.langFiles[slot];
        if (file.name.empty() || file.entries.empty()) {
            continue;  // not written
        }
        std::map<std::u16string_view, std::u16string_view> edits;
        for (const LangChange& change : changes) {
            if (change.slot == static_cast<int>(slot)) {
                edits[change.id] = change.text;
            }
        }
        const std::u16string shown = install::LangFile(file.name);
        size_t changed = 0;
        for (const auto& [id, text] : file.entries) {
            const auto edit = edits.find(id);
            if (edit != edits.end() && edit->second != text) {
                ++changed;
                const std::u16string before(text);
                lines.push_back(msg::ValueLine(shown, std::u16string(id),
                                               std::u16string(edit->second), &before));
            }
        }
        if (changed == 0 && file.rewritesUnchanged) {
            lines.push_back(msg::LangFileRewritten(shown));
        }
    }
    return lines;
}

}  // namespace

BrandPlan PlanBrand(const BrandFile& brand, const InstallRead& install) {
    BrandPlan plan;
    plan.edition = brand.Edition();
    const auto lineOf = [&](const char16_t* key) {
        const auto it = brand.lines.find(key);
        return it == brand.lines.end() ? size_t{0} : it->second;
    };

    if (brand.HasRebrand()) {
        RebrandInputs& r = plan.rebrand;
        r.icon = brand.icon;
        r.startupImage = brand.startupImage;
        r.adImage = brand.adImage;
        r.caption = brand.caption.value_or(u"");
        r.documentName = brand.documentName.value_or(u"");
        r.appName = brand.appName.value_or(u"");
        if (rebrand::WithExeExtension(r.appName) == install.exeFileName) {
            r.appName.clear();  // "NewCad" on NewCad.exe: nothing to rename
        }
        plan.steps.push_back({StepKind::kRebrand, msg::kRebrandCommand,
                              RebrandLines(r, plan.edition, install.exeFileName)});
    }

    if (brand.HasProfile()) {
        const CustomProfile& stored = install.profile.stored;
        const bool use = brand.useFilePassword.value_or(stored.useFilePassword) != 0;
        const std::u16string password = brand.filePassword.value_or(stored.filePassword);
        if (!install::PasswordLengthFits(plan.edition, use, password)) {
            // The key to blame; neither when the stored password is the one refused.
            const size_t line =
                brand.filePassword ? lineOf(u"file_password") : lineOf(u"use_file_password");
            plan.problems.push_back(line == 0 ? std::u16string(msg::kPasswordLength)
                                              : msg::AtLine(line, msg::kPasswordLength));
        }
        plan.profile = install::ProfileToSave(
            plan.edition, use, password, brand.company.value_or(stored.company),
            brand.phone.value_or(stored.phone), brand.url.value_or(stored.url));
        plan.steps.push_back({StepKind::kProfile, msg::kProfileCommand,
                              ProfileLines(install.profile, plan.edition, plan.profile)});
    }

    if (!brand.lang.empty()) {
        if (!install.langFolder) {
            plan.problems.push_back(
                msg::AtLine(brand.lang.front().line, msg::NoLangFolder(install.installDir)));
            return plan;
        }
        for (const LangEdits& edits : brand.lang) {
            size_t slot = 0;
            while (slot < install.langFiles.size() &&
                   !(SameFileName(install.langFiles[slot].name, edits.file) &&
                     !install.langFiles[slot].entries.empty())) {
                ++slot;
            }
            if (slot == install.langFiles.size()) {
                plan.problems.push_back(
                    msg::AtLine(edits.line, msg::LangFileNotListed(edits.file)));
                continue;
            }
            const auto& entries = install.langFiles[slot].entries;
            for (const LangEdit& edit : edits.entries) {
                bool found = false;
                for (const auto& entry : entries) {
                    found = found || entry.first == edit.id;
                }
                if (!found) {
                    plan.problems.push_back(
                        msg::AtLine(edit.line, msg::LangEntryMissing(edits.file, edit.id)));
                    continue;
                }
                plan.langChanges.push_back({static_cast<int>(slot), edit.id, edit.text});
            }
        }
        plan.steps.push_back({StepKind::kLanguages, msg::kLanguagesCommand,
                              LanguageLines(install, plan.langChanges)});
    }
    return plan;
}

}  // namespace brand
