// The file name that the rebrand command gives the executable.
#pragma once

#include <string>

namespace rebrand {

// The name with ".exe" appended unless its last four characters already are ".exe" in any
// letter case (a name shorter than four characters never is).
std::u16string WithExeExtension(const std::u16string& name);

}  // namespace rebrand
