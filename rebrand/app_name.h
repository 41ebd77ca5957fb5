// Rules for the application name that the rebrand command gives the executable.
#pragma once

#include <string>

namespace rebrand {

// True when name can be used as a file name in the install folder as typed: not empty, no
// path separator or drive colon, none of the characters Windows forbids in file names
// (< > : " / \ | ? *), no control character, no trailing dot or blank, and not a reserved
// device name (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with or without an extension).
bool IsPlainFileName(const std::u16string& name);

// The name with ".exe" appended unless its last four characters already are ".exe" in any
// letter case (a name shorter than four characters never is).
std::u16string WithExeExtension(const std::u16string& name);

// Removes leading and trailing white space (space, tab, CR, LF, VT, FF).
std::u16string TrimBlanks(const std::u16string& text);

}  // namespace rebrand
