#include "tests/win/target_install.h"

#include <algorithm>

#include "samples/sample_install.h"
#include "tests/win/standin_run.h"

namespace testsupport {

namespace fs = std::filesystem;

TargetInstall::TargetInstall(const fs::path& parent)
    : TargetInstall(parent, fs::path(StandInPath())) {}

TargetInstall::TargetInstall(const fs::path& parent, const fs::path& executable) : dir(parent) {
    install = dir.Path() / "Soft" / "ZovIDE";
    sources = dir.Path() / "pictures";
    samples::SampleOptions options;
    options.entriesPerLanguage = 3;
    options.executable = executable;
    samples::WriteSampleInstall(install, options);
    fs::create_directories(sources);
    WriteBytes(sources / "new.ico", samples::MakeIco({16, 32, 48}, 5));
    WriteBytes(sources / "login.bmp", samples::MakeBmp(40, 30, 9));
    WriteBytes(sources / "main.bmp", samples::MakeBmp(21, 10, 8));
}

std::map<std::string, std::string> TargetInstall::Files() const {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(install)) {
        if (e.is_regular_file()) {
            files[fs::relative(e.path(), install).generic_string()] = ReadBytes(e.path());
        }
    }
    return files;
}

ResourceMap TargetInstall::Resources(const char* exe) const {
    auto map = ReadAllResources((install / exe).wstring());
    return map ? *map : ResourceMap{};
}

std::u16string FirstLangId(int slot) {
    auto entries = samples::MakeLangEntries(slot, 3);
    std::u16string first = entries[0].first;
    for (const auto& e : entries) {
        first = std::min(first, e.first);
    }
    return first;
}

}  // namespace testsupport
