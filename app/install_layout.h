// Paths of the target application's install folder. Header only and free of Windows
// headers, so that the rules are tested natively as well.
#pragma once

#include <string>

namespace layout {

// The install folder of a chosen executable: its full path without the last backslash and
// the file name after it. A path without a backslash has no folder.
inline std::u16string FolderOf(const std::u16string& exePath) {
    const size_t slash = exePath.find_last_of(u"\\/");
    return slash == std::u16string::npos ? std::u16string() : exePath.substr(0, slash);
}

// The file name (with extension) of a chosen executable.
inline std::u16string FileNameOf(const std::u16string& exePath) {
    const size_t slash = exePath.find_last_of(u"\\/");
    return slash == std::u16string::npos ? exePath : exePath.substr(slash + 1);
}

}  // namespace layout

namespace layout {

// The customization profile's file: in the config folder when there is one (ZuvEra.cfg for
// the 6.2 edition, VirUdezed.cfg for the others), else VirUdezed.cfg in the install folder.
inline std::u16string ProfilePath(const std::u16string& installDir, int edition,
                                  bool configIsFolder) {
    if (!configIsFolder) {
        return installDir + u"\\VirUdezed.cfg";
    }
    return installDir + (edition == 2 ? u"\\config\\ZuvEra.cfg" : u"\\config\\VirUdezed.cfg");
}

}  // namespace layout
