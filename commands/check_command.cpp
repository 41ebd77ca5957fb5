#include "commands/check_command.h"

#include <set>

#include "commands/commands.h"
#include "ini/ini_cache.h"
#include "install/install_layout.h"
#include "lang/lang_table.h"
#include "messages/brand_messages.h"
#include "platform/file_ops.h"
#include "platform/files.h"
#include "rebrand/exe_texts.h"
#include "rebrand/resource_tree.h"

namespace brand {
namespace {

struct Finder {
    const std::vector<std::u16string>& texts;
    CheckResult& result;

    void Look(const std::u16string& file, const std::u16string& place, std::u16string_view text) {
        ++result.placesLooked;
        for (const std::u16string& t : texts) {
            if (!t.empty() && text.find(t) != std::u16string_view::npos) {
                result.lines.push_back(msg::FoundLine(file, place, std::u16string(text)));
                return;
            }
        }
    }
};

}  // namespace

CheckResult CheckInstall(const std::u16string& exePath, const std::vector<std::u16string>& texts) {
    CheckResult result;
    Finder find{texts, result};
    const std::u16string installDir = install::FolderOf(exePath);
    const std::u16string exeName = install::FileNameOf(exePath);

    std::string image;
    rebrand::ResourceTree tree;
    if (platform::ReadWholeFile(exePath, image) == platform::ReadResult::kOk &&
        rebrand::ReadResourceTree(image, tree) == rebrand::PeStatus::kOk) {
        for (const rebrand::TextPlace& place : rebrand::ExecutableTexts(tree)) {
            find.Look(exeName, msg::PlaceName(place), place.text);
        }
    }

    if (platform::IsDirectory(install::Join(installDir, install::kLangFolder))) {
        IniFileCache profiles;
        CLangTable table;
        app::LoadInstallLanguages(table, profiles, installDir);
        for (int slot = 0; slot < CLangTable::kSlotCount; ++slot) {
            const std::u16string file = install::LangFile(table.FileName(slot));
            for (const LangEntry& entry : table.Entries(slot)) {
                find.Look(file, std::u16string(entry.id), entry.text);
            }
        }
        DiscardIniFiles(profiles);
    }

    std::set<std::u16string> profilePaths;
    for (install::Edition edition : {install::Edition::kSimple, install::Edition::kV62}) {
        profilePaths.insert(app::ProfileFilePath(installDir, edition));
    }
    for (const std::u16string& path : profilePaths) {
        if (!platform::IsRegularFile(path)) {
            continue;
        }
        CIniFile ini(path);
        ini.Load();
        const CustomProfile p = app::ReadProfile(ini);
        const std::u16string file = path.substr(installDir.size() + 1);
        const std::u16string section = u"[" + std::u16string(install::kProfileSection) + u"] ";
        find.Look(file, section + install::kCompanyKey, p.company);
        find.Look(file, section + install::kPhoneKey, p.phone);
        find.Look(file, section + install::kUrlKey, p.url);
        find.Look(file, section + install::kFilePasswordKey, p.filePassword);
        ini.Discard();
    }

    ++result.placesLooked;
    for (const std::u16string& t : texts) {
        if (!t.empty() && exeName.find(t) != std::u16string::npos) {
            result.lines.push_back(msg::ExeNameFound(exeName));
            break;
        }
    }
    return result;
}

}  // namespace brand
