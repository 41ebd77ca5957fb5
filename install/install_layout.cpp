#include "install/install_layout.h"

#include "text/ascii_case.h"

namespace install {

namespace {

char16_t Fold(char16_t c) {
    return c == u'/' ? u'\\' : text::FoldAscii(c);
}

}  // namespace

bool SamePath(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (Fold(a[i]) != Fold(b[i])) {
            return false;
        }
    }
    return true;
}

std::u16string FolderOf(const std::u16string& exePath) {
    const size_t slash = exePath.find_last_of(u"\\/");
    return slash == std::u16string::npos ? std::u16string() : exePath.substr(0, slash);
}

std::u16string FileNameOf(const std::u16string& exePath) {
    const size_t slash = exePath.find_last_of(u"\\/");
    return slash == std::u16string::npos ? exePath : exePath.substr(slash + 1);
}

std::u16string Join(const std::u16string& folder, std::u16string_view relative) {
    std::u16string path = folder;
    path += u'\\';
    path += relative;
    return path;
}

std::u16string LangFile(std::u16string_view name) {
    std::u16string path = kLangFolder;
    path += u'\\';
    path += name;
    return path;
}

std::u16string ProfileFile(Edition edition, bool configIsFolder) {
    if (!configIsFolder) {
        return kProfileName;
    }
    return Join(kConfigFolder, IsV62(edition) ? kV62ProfileName : kProfileName);
}

bool IsNeverWrittenBackAtClose(const std::u16string& path) {
    return SamePath(FileNameOf(path), kProfileName);
}

bool RelativeTo(const std::u16string& folder, const std::u16string& path,
                std::u16string& relative) {
    const std::u16string_view p(path);
    if (folder.empty() || p.size() <= folder.size() + 1 ||
        !SamePath(p.substr(0, folder.size()), folder) || Fold(p[folder.size()]) != u'\\') {
        return false;
    }
    relative = path.substr(folder.size() + 1);
    return true;
}

void SplitProfilePath(const std::u16string& path, std::u16string& folder,
                      std::u16string& relative) {
    const std::u16string parent = FolderOf(path);
    if (SamePath(FileNameOf(parent), kConfigFolder)) {
        folder = FolderOf(parent);
        relative = path.substr(folder.size() + 1);
    } else {
        folder = parent;
        relative = FileNameOf(path);
    }
}

}  // namespace install
