// Processes on Linux: each /proc/<pid> names its executable (the link exe) and its command
// line. A Windows program under Wine runs as the Wine loader, with the Windows executable's
// path as its first argument, so both are looked at.
#include "rebrand/process_check.h"

#include <dirent.h>
#include <unistd.h>

#include <cctype>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/unicode.h"
#include "text/ascii_case.h"

namespace rebrand {

namespace {

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file names a process runs as: its executable's, and its first argument's.
std::vector<std::string> NamesOf(const std::string& pid) {
    std::vector<std::string> names;
    const std::string base = "/proc/" + pid;
    char target[4096];
    const ssize_t n = ::readlink((base + "/exe").c_str(), target, sizeof(target) - 1);
    if (n > 0) {
        names.push_back(FileNameOf(std::string(target, static_cast<size_t>(n))));
    }
    std::ifstream cmdline(base + "/cmdline", std::ios::binary);
    std::string first;
    std::getline(cmdline, first, '\0');
    if (!first.empty()) {
        names.push_back(FileNameOf(first));
    }
    return names;
}

bool AnyProcess(const std::function<bool(const std::string&)>& matches) {
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr) {
        return false;
    }
    bool found = false;
    while (const dirent* e = ::readdir(proc)) {
        const std::string pid = e->d_name;
        if (pid.empty() || !std::isdigit(static_cast<unsigned char>(pid[0]))) {
            continue;
        }
        for (const std::string& name : NamesOf(pid)) {
            found = found || matches(name);
        }
        if (found) {
            break;
        }
    }
    ::closedir(proc);
    return found;
}

std::string FoldAscii(const std::string& s) {
    return text::FoldedAscii(std::string_view(s));
}

}  // namespace

bool IsProcessRunning(const std::u16string& name) {
    const std::string wanted = platform::Utf16ToUtf8(name);
    return AnyProcess([&](const std::string& exe) { return exe == wanted; });
}

bool IsExecutableRunning(const std::u16string& fileName) {
    if (fileName.empty()) {
        return false;
    }
    const std::string wanted = FoldAscii(platform::Utf16ToUtf8(fileName));
    return AnyProcess([&](const std::string& exe) { return FoldAscii(exe) == wanted; });
}

}  // namespace rebrand
