// What a brand file will change in one install, apart from doing it: a plan made from the
// parsed brand file and what was read of the install, as plain data. The plan touches no
// file; the console program prints it for --dry-run and runs its steps otherwise.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "commands/brand_file.h"
#include "commands/exe_edits.h"
#include "install/custom_profile.h"

#include "text/file_names.h"

namespace brand {

// What the caller read of the install. The views of the language entries must outlive the
// call of PlanBrand.
struct InstallRead {
    std::u16string installDir;   // no trailing separator
    std::u16string exeFileName;  // the executable to brand, as the folder spells it
    // The executable's resources (read when the brand has [icons], [version] or [replace];
    // null when it could not be read), and the bytes of each [icons] file by its path.
    const rebrand::ResourceTree* exeResources = nullptr;
    std::map<std::u16string, std::string> iconFiles;

    // The profile file of the brand's edition (read when the brand has [profile] keys).
    struct Profile {
        std::u16string relative;  // relative to the install folder
        CustomProfile stored;     // as the dialog reads it
        // The keys of CUSTOMPAR that the file has.
        bool hasFilePassword = false;
        bool hasUseFilePassword = false;
        bool hasCompany = false;
        bool hasPhone = false;
        bool hasUrl = false;
        // Saving the values it holds would still rewrite its text (order, spelling); only
        // the dry run looks at it.
        bool rewritesUnchanged = false;
    } profile;

    // The language files (read when the brand has [lang:...] or [replace] sections).
    bool langFolder = false;  // the install has a Lang folder
    struct LangFile {
        std::u16string name;  // the name in the install's list; empty for an unused slot
        // ID and text of each entry as read, in file order; none when the file was not read.
        std::vector<std::pair<std::u16string_view, std::u16string_view>> entries;
        // Saving it without edits would rewrite it in the tool's format; only the dry run
        // looks at it.
        bool rewritesUnchanged = false;
    };
    std::vector<LangFile> langFiles;  // in slot order
};

// The rebrand command's inputs, from [brand].
struct RebrandInputs {
    std::optional<std::u16string> icon;
    std::optional<std::u16string> startupImage;
    std::optional<std::u16string> adImage;
    std::u16string caption;
    std::u16string documentName;
    std::u16string appName;  // the executable's new name as given; empty: no rename
};

struct LangChange {
    int slot = 0;  // of InstallRead::langFiles
    std::u16string id;
    std::u16string text;
    size_t replaced = 0;  // for a change [replace] made: the occurrences replaced
};

enum class StepKind { kRebrand, kProfile, kLanguages };

struct PlanStep {
    StepKind kind = StepKind::kRebrand;
    std::u16string command;  // the dialog command it runs ("修改应用程序")
    // What --dry-run prints of it: one line per file and change (none when the command
    // would leave every file as it is).
    std::vector<std::u16string> lines;
};

struct BrandPlan {
    // Why the brand is refused (nothing may be written), each naming the line to blame where
    // one is: a language file or ID the install does not have, an install without a Lang
    // folder, a file password of the wrong length.
    std::vector<std::u16string> problems;
    install::Edition edition = install::Edition::kSimple;
    RebrandInputs rebrand;
    ExecutableEdits exeEdits;  // made by the rebrand step, before its own
    CustomProfile profile;     // the stored values with the keys of the brand file over them
    // In the brand file's order; then the entries [replace] changes (an entry a [lang:]
    // section sets keeps that text).
    std::vector<LangChange> langChanges;
    // In the order they run, as a user would press the buttons: the rebrand command ([brand],
    // [icons], [version], [replace]), the profile save, the save of all language files
    // ([lang:...], [replace] when the install has a Lang folder); each only when its sections
    // have keys.
    std::vector<PlanStep> steps;
};

BrandPlan PlanBrand(const BrandFile& brand, const InstallRead& install);

using text::SameFileName;

}  // namespace brand
