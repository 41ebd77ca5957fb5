#include "cmd/brand_plan.h"

#include <map>
#include <string>

#include "install/install_layout.h"
#include "rebrand/app_name.h"
#include "rebrand/string_block.h"
#include "text/ascii_case.h"
#include "text/file_names.h"

namespace brand {
namespace {

std::u16string Number(long long n) {
    const std::string digits = std::to_string(n);
    return std::u16string(digits.begin(), digits.end());
}

// The lines of the rebrand command: the executable's resources, the pictures, the rename.
std::vector<std::u16string> RebrandLines(const RebrandInputs& r, int edition,
                                         const std::u16string& exe) {
    std::vector<std::u16string> lines;
    if (r.icon) {
        const std::u16string ids = install::IsV62(edition) ? u"RT_ICON 1" : u"RT_ICON 1-4";
        lines.push_back(exe + u"：资源 " + ids + u"（语言 2052）← " + *r.icon + u" 的第一个图像");
        lines.push_back(std::u16string(install::kLogoIcon) + u"：替换为 " + *r.icon);
    }
    if (!r.caption.empty() || !r.documentName.empty()) {
        const rebrand::BlockData block = rebrand::BuildDocStringBlock(
            r.caption, r.documentName, static_cast<install::Edition>(edition));
        if (block.status == rebrand::BlockStatus::kTooLong) {
            lines.push_back(exe + u"：资源 RT_STRING 7 过长，不能写入");
        } else {
            std::u16string what = exe + u"：资源 RT_STRING 7（语言 2052）";
            if (!r.documentName.empty()) {
                what += u"，新建文档名称（102）= " + r.documentName;
            }
            if (!r.caption.empty()) {
                what += u"，产品名称（110）和文档模板（111）= " + r.caption;
            }
            lines.push_back(what);
            if (!r.caption.empty()) {
                lines.push_back(exe + u"：资源 RT_STRING 3585（语言 2052），标题（57344）= " +
                                r.caption);
            }
        }
    }
    if (r.startupImage) {
        lines.push_back(std::u16string(install::kStartupPicture) + u"：替换为 " + *r.startupImage);
    }
    if (r.adImage) {
        lines.push_back(std::u16string(install::kAdPicture) + u"：替换为 " + *r.adImage);
    }
    if (!r.appName.empty()) {
        lines.push_back(exe + u"：改名为 " + rebrand::WithExeExtension(r.appName));
    }
    return lines;
}

// The lines of the profile save: each key whose value changes, or that the file would be
// rewritten with the values it holds.
std::vector<std::u16string> ProfileLines(const InstallRead::Profile& read, int edition,
                                         const CustomProfile& profile) {
    std::vector<std::u16string> lines;
    const auto change = [&](const char16_t* key, const std::u16string& before,
                            const std::u16string& after, bool present) {
        if (!present || before != after) {
            lines.push_back(read.relative + u"：[" + install::kProfileSection + u"] " + key +
                            u" = " + after + (present ? u"（原为 " + before + u"）" : u"（新增）"));
        }
    };
    const CustomProfile& stored = read.stored;
    if (!install::IsV62(edition)) {
        change(install::kFilePasswordKey, stored.filePassword, profile.filePassword,
               read.hasFilePassword);
        change(install::kUseFilePasswordKey, Number(stored.useFilePassword),
               Number(profile.useFilePassword), read.hasUseFilePassword);
    }
    change(install::kCompanyKey, stored.company, profile.company, read.hasCompany);
    change(install::kPhoneKey, stored.phone, profile.phone, read.hasPhone);
    change(install::kUrlKey, stored.url, profile.url, read.hasUrl);
    if (lines.empty() && read.rewritesUnchanged) {
        lines.push_back(read.relative + u"：值不变，文件按排序重新写出");
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
                lines.push_back(shown + u"：" + std::u16string(id) + u" = " +
                                std::u16string(edit->second) + u"（原为 " + std::u16string(text) +
                                u"）");
            }
        }
        if (changed == 0 && file.rewritesUnchanged) {
            lines.push_back(shown + u"：条目不变，文件按标准格式重新写出");
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
        plan.steps.push_back({StepKind::kRebrand, u"修改应用程序",
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
            plan.problems.push_back(line == 0 ? std::u16string(install::kPasswordLengthMessage)
                                              : LineProblem(line, install::kPasswordLengthMessage));
        }
        plan.profile = install::ProfileToSave(
            plan.edition, use, password, brand.company.value_or(stored.company),
            brand.phone.value_or(stored.phone), brand.url.value_or(stored.url));
        plan.steps.push_back({StepKind::kProfile, u"保存配置",
                              ProfileLines(install.profile, plan.edition, plan.profile)});
    }

    if (!brand.lang.empty()) {
        if (!install.langFolder) {
            plan.problems.push_back(LineProblem(
                brand.lang.front().line,
                u"安装文件夹中没有 Lang 文件夹，不能修改语言条目：" + install.installDir));
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
                plan.problems.push_back(LineProblem(
                    edits.line,
                    u"语言文件 " + edits.file + u" 不在应用程序的语言文件列表中或未能读入"));
                continue;
            }
            const auto& entries = install.langFiles[slot].entries;
            for (const LangEdit& edit : edits.entries) {
                bool found = false;
                for (const auto& entry : entries) {
                    found = found || entry.first == edit.id;
                }
                if (!found) {
                    plan.problems.push_back(LineProblem(
                        edit.line, u"语言文件 " + edits.file + u" 中没有条目 " + edit.id));
                    continue;
                }
                plan.langChanges.push_back({static_cast<int>(slot), edit.id, edit.text});
            }
        }
        plan.steps.push_back(
            {StepKind::kLanguages, u"保存全部语种文件", LanguageLines(install, plan.langChanges)});
    }
    return plan;
}

}  // namespace brand
