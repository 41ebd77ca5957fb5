// The install folder of the target application: where each of its files lies, relative to
// the folder of the chosen executable. The one place that spells these names; portable
// (relative paths use backslashes, which the POSIX file layer maps).
#pragma once

#include <string>
#include <string_view>

namespace install {

// The target edition: the index of the checked radio button of the edition group. The
// dialog turns the index into an Edition once (EditionFromIndex); every layer past it works
// with the Edition.
enum class Edition : int { kSimple = 0, kStandard = 1, kV62 = 2 };

inline bool IsV62(Edition edition) {
    return edition == Edition::kV62;
}

// The edition of a radio button index; an index outside the three is the simple edition.
inline Edition EditionFromIndex(int index) {
    return index == 1 ? Edition::kStandard : index == 2 ? Edition::kV62 : Edition::kSimple;
}

// Folders and files of an install, relative to the install folder.
constexpr char16_t kDefaultExecutable[] = u"ZovIDE.exe";  // unless a brand renamed it
constexpr char16_t kLangFolder[] = u"Lang";
constexpr char16_t kConfigFolder[] = u"config";
constexpr char16_t kResFolder[] = u"res";
constexpr char16_t kSystemConfig[] = u"config\\ZovIDE.cfg";
// Where the system configuration names the language files.
constexpr char16_t kSystemSection[] = u"SYSPAR";
constexpr char16_t kLangFileListKey[] = u"LANGFILELIST";
constexpr char16_t kStartupPicture[] = u"res\\login.bmp";
constexpr char16_t kAdPicture[] = u"res\\main.bmp";
constexpr char16_t kLogoIcon[] = u"res\\logo32.ico";
// Where the tool keeps the originals of the files it changes (a hidden folder).
constexpr char16_t kBackupFolder[] = u"VedArodBackup";

// The sixteen default language file names in slot order, "|"-separated: the list used when
// the system configuration names none.
constexpr std::u16string_view kDefaultLangFileList =
    u"lang_chs.ini|lang_cht.ini|lang_en.ini|lang_fra.ini|lang_kor.ini|lang_jpn.ini|"
    u"lang_uae.ini|lang_rus.ini|lang_por.ini|lang_tha.ini|lang_esp.ini|lang_vie.ini|"
    u"lang_ger.ini|lang_far.ini|lang_tur.ini|lang_cz.ini";

// Whether two paths are the same as Windows compares them within an install: A-Z and a-z
// alike, "/" and "\" alike.
bool SamePath(std::u16string_view a, std::u16string_view b);

// The install folder of a chosen executable: its full path without the last separator and
// the file name after it. A path without a separator has no folder.
std::u16string FolderOf(const std::u16string& exePath);

// The file name (with extension) of a chosen executable.
std::u16string FileNameOf(const std::u16string& exePath);

// folder + "\" + relative.
std::u16string Join(const std::u16string& folder, std::u16string_view relative);

// A language file of the language file list, relative to the install folder.
std::u16string LangFile(std::u16string_view name);

// The customization profile, relative to the install folder: in the config folder when
// there is one (ZuvEra.cfg for the 6.2 edition, VirUdezed.cfg for the others), else
// VirUdezed.cfg in the install folder.
constexpr char16_t kProfileName[] = u"VirUdezed.cfg";
constexpr char16_t kV62ProfileName[] = u"ZuvEra.cfg";
std::u16string ProfileFile(Edition edition, bool configIsFolder);

// Whether the dialog's close leaves the profile file at path as it is, whatever was read
// of it: VirUdezed.cfg (any folder, any letter case) is written only by the profile save.
bool IsNeverWrittenBackAtClose(const std::u16string& path);

// Whether path lies inside folder (the letters A-Z compared without regard to case, "\" and
// "/" alike); relative then receives the rest of path after the separator.
bool RelativeTo(const std::u16string& folder, const std::u16string& path, std::u16string& relative);

// Splits the path of a profile file of some install into its install folder and its path
// relative to it: a file in a folder named "config" belongs to that folder's parent, any
// other file to its own folder.
void SplitProfilePath(const std::u16string& path, std::u16string& folder, std::u16string& relative);

}  // namespace install
