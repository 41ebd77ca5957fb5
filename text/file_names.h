// Windows' rules for a file name, applied to names that come from outside (the typed
// application name, the target's language file list) before they reach the file system.
#pragma once

#include <string_view>

namespace text {

// True when name names a file in the folder it is appended to, as typed: not empty, no
// path separator or drive colon, none of the characters Windows forbids in file names
// (< > : " / \ | ? *), no control character, no trailing dot or blank, not "." or "..", and
// not a reserved device name (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with or without an
// extension).
bool IsPlainFileName(std::u16string_view name);

// True when Windows opens path as a device rather than a file: its last part is a reserved
// device name (with any extension, trailing dots and blanks), CONIN$ or CONOUT$, or the path
// starts with "\\.\" (or "\\?\" followed by anything but a drive or "UNC\").
bool NamesDevice(std::u16string_view path);

// The name Windows opens for name: the trailing dots and blanks dropped ("lang_chs.ini " and
// "lang_chs.ini." open "lang_chs.ini"). Empty when name holds nothing else.
std::u16string_view WindowsResolvedName(std::u16string_view name);

// Whether a's file name equals b as Windows compares file names (A-Z without regard to
// case, trailing dots and blanks dropped).
bool SameFileName(std::u16string_view a, std::u16string_view b);

}  // namespace text
