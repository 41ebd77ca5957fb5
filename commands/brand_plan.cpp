#include "commands/brand_plan.h"

#include <map>
#include <set>
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
                                         const std::u16string& exe, bool mainIconRebuilt) {
    std::vector<std::u16string> lines;
    if (r.icon && !mainIconRebuilt) {
        const std::u16string ids = install::IsV62(edition) ? u"RT_ICON 1" : u"RT_ICON 1-4";
        lines.push_back(msg::IconImagesLine(exe, ids, *r.icon));
    }
    if (r.icon) {
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
                                          const std::vector<LangChange>& changes,
                                          bool countReplaced) {
    std::vector<std::u16string> lines;
    for (size_t slot = 0; slot < read.langFiles.size(); ++slot) {
        const InstallRead::LangFile& file = read.langFiles[slot];
        if (file.name.empty() || file.entries.empty()) {
            continue;  // not written
        }
        std::map<std::u16string_view, std::u16string_view> edits;
        size_t replaced = 0;
        for (const LangChange& change : changes) {
            if (change.slot == static_cast<int>(slot)) {
                edits[change.id] = change.text;
                replaced += change.replaced;
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
        if (countReplaced) {
            lines.push_back(msg::ReplacedCount(shown, replaced));
        }
        if (changed == 0 && file.rewritesUnchanged) {
            lines.push_back(msg::LangFileRewritten(shown));
        }
    }
    return lines;
}

// The entries whose text [replace] changes, but for those a [lang:...] section sets.
void PlanReplacements(const BrandFile& brand, const InstallRead& install,
                      std::vector<LangChange>& changes) {
    std::vector<std::pair<std::u16string, std::u16string>> pairs;
    for (const ReplaceEdit& e : brand.replace) {
        pairs.emplace_back(e.oldText, e.newText);
    }
    const text::Replacements replace(std::move(pairs));
    // Copies: changes grows below.
    std::vector<std::set<std::u16string>> set(install.langFiles.size());
    for (const LangChange& c : changes) {
        set[static_cast<size_t>(c.slot)].insert(c.id);
    }
    for (size_t slot = 0; slot < install.langFiles.size(); ++slot) {
        const InstallRead::LangFile& file = install.langFiles[slot];
        if (file.name.empty()) {
            continue;
        }
        for (const auto& [id, text] : file.entries) {
            if (replace.AnyIn(text) && set[slot].count(std::u16string(id)) == 0) {
                size_t count = 0;
                std::u16string now = replace.Apply(text, &count);
                changes.push_back(
                    {static_cast<int>(slot), std::u16string(id), std::move(now), count});
            }
        }
    }
}

}  // namespace

BrandPlan PlanBrand(const BrandFile& brand, const InstallRead& install) {
    BrandPlan plan;
    plan.edition = brand.Edition();
    const auto lineOf = [&](const char16_t* key) {
        const auto it = brand.lines.find(key);
        return it == brand.lines.end() ? size_t{0} : it->second;
    };

    if (brand.HasRebrand() || brand.HasResourceEdits()) {
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
        std::vector<std::u16string> lines;
        if (brand.HasResourceEdits()) {
            plan.exeEdits = ExecutableEdits(brand, install.iconFiles);
            if (install.exeResources == nullptr) {
                plan.problems.push_back(msg::ExeResourcesUnreadable(install.exeFileName));
            } else {
                // Made on a copy, for the lines and the problems.
                rebrand::ResourceTree tree = *install.exeResources;
                plan.exeEdits.Apply(tree, install.exeFileName, &lines, &plan.problems);
            }
        }
        const std::vector<std::u16string> own =
            RebrandLines(r, plan.edition, install.exeFileName, plan.exeEdits.RebuildsMainIcon());
        lines.insert(lines.end(), own.begin(), own.end());
        plan.steps.push_back({StepKind::kRebrand, msg::kRebrandCommand, std::move(lines)});
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

    if (!brand.lang.empty() && !install.langFolder) {
        plan.problems.push_back(
            msg::AtLine(brand.lang.front().line, msg::NoLangFolder(install.installDir)));
        return plan;
    }
    if (!brand.lang.empty() || (!brand.replace.empty() && install.langFolder)) {
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
        if (!brand.replace.empty()) {
            PlanReplacements(brand, install, plan.langChanges);
        }
        plan.steps.push_back({StepKind::kLanguages, msg::kLanguagesCommand,
                              LanguageLines(install, plan.langChanges, !brand.replace.empty())});
    }
    return plan;
}

}  // namespace brand
