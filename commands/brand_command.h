// A brand file applied to one install, by the console program and the dialog alike: first
// prepared (the file read and checked, the install read, the plan made, every check run),
// then, when nothing refused it, run step by step as a user would press the buttons.
//
//   brand::BrandCommand brand;
//   switch (brand.Prepare(brandFile, target, purpose, host)) {
//       case kReady: brand.PlanLines() (a dry run) or brand.Run(host)
//       case kRefused: brand.Problems() (every problem, nothing written)
//       case kBusy: the host was told (another program holds the install, or the target runs)
//   }
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "commands/brand_file.h"
#include "commands/brand_plan.h"
#include "commands/commands.h"
#include "ini/ini_cache.h"
#include "lang/lang_table.h"
#include "rebrand/resource_tree.h"

namespace brand {

// The executable that path names: the file itself, or, for an install folder or an
// executable renamed since (ChooseExecutable), the one the folder holds. Empty, with the
// problem, when there is none.
std::u16string TargetExecutable(const std::u16string& path,
                                const std::optional<std::u16string>& appName,
                                std::u16string& problem);

// The ".exe" files directly in folder, as it spells them.
std::vector<std::u16string> ExecutablesIn(const std::u16string& folder);

// A folder's path without the separator it may end with ("C:\Soft\ZovIDE\").
std::u16string WithoutTrailingSeparator(std::u16string folder);

class BrandCommand {
public:
    enum class Prepared {
        kReady,    // the plan may run (or be shown)
        kRefused,  // the brand file or what it asks of the install is wrong: Problems()
        kBusy,     // another program holds the install, or the target runs (the host was told)
    };

    BrandCommand() = default;
    ~BrandCommand();
    BrandCommand(const BrandCommand&) = delete;
    BrandCommand& operator=(const BrandCommand&) = delete;

    enum class Purpose {
        kRun,         // Run follows
        kShowAndRun,  // PlanLines is shown (a question), then Run may follow
        kDryRun,      // PlanLines only
    };
    // brandPath and target (the executable, or its install folder) as full paths. Unless
    // kDryRun, the install is held from here to the end of Run (or the object's end), so
    // that what was read is what is changed. Unless kRun, the plan also lists the files that
    // a save rewrites although none of their values change (reading what a save would write,
    // which a plain run does not need).
    Prepared Prepare(const std::u16string& brandPath, const std::u16string& target,
                     Purpose purpose, app::CommandHost& host);
    const std::vector<std::u16string>& Problems() const { return problems_; }
    // What the brand will change, one line per file and change (the dry run's list).
    std::vector<std::u16string> PlanLines() const;
    // Runs every step of the plan; the host hears StepStarted and each step's message.
    // kDone when every step succeeded.
    app::CommandResult Run(app::CommandHost& host);

    const std::u16string& InstallDir() const { return installDir_; }
    // The brand file as Prepare read it.
    const BrandFile& Brand() const { return brand_; }
    // The executable as it is named after Run (a brand may rename it).
    std::u16string ExePathAfterRun() const;

private:
    BrandFile brand_;
    BrandPlan plan_;
    std::vector<std::u16string> problems_;
    std::u16string exePath_;
    std::u16string installDir_;
    std::unique_ptr<install::InstallLock> held_;
    IniFileCache profiles_;
    CIniFile* profileIni_ = nullptr;
    CLangTable table_;
    app::RebrandRequest request_;
    std::string exeImage_;  // the executable as read, which exeTree_ views
    rebrand::ResourceTree exeTree_;
    bool renamed_ = false;
};

}  // namespace brand
