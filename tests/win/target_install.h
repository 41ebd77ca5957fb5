// A sample install folder around the stand-in target, with replacement pictures beside it.
#pragma once

#include <filesystem>
#include <map>
#include <string>

#include "tests/support/temp_dir.h"
#include "tests/win/resource_snapshot.h"

namespace testsupport {

struct TargetInstall {
    TempDir dir;
    std::filesystem::path install;  // dir\Soft\ZovIDE
    std::filesystem::path sources;  // dir\pictures: new.ico, login.bmp, main.bmp

    TargetInstall() : TargetInstall(std::filesystem::temp_directory_path()) {}
    explicit TargetInstall(const std::filesystem::path& parent);
    // With another program as ZovIDE.exe (a copy of it).
    TargetInstall(const std::filesystem::path& parent, const std::filesystem::path& executable);

    // Where the originals are kept: beside the install folder.
    std::filesystem::path Backup() const {
        return install.parent_path() / (install.filename().u16string() + u".VedArodBackup");
    }
    std::u16string Exe() const { return (install / "ZovIDE.exe").u16string(); }
    std::u16string Source(const char* name) const { return (sources / name).u16string(); }
    // Every file of the install folder with its bytes.
    std::map<std::string, std::string> Files() const;
    ResourceMap Resources(const char* exe = "ZovIDE.exe") const;
};

// The first ID (in list order) of a language slot of the sample install.
std::u16string FirstLangId(int slot);

}  // namespace testsupport
