// Whether the target application is running, from a snapshot of the system's processes.
#pragma once

#include <string>

namespace rebrand {

// True when a running process's executable file name equals name exactly (case-sensitive).
// A snapshot that cannot be taken counts as "not running".
bool IsProcessRunning(const std::u16string& name);

// True when a running process's executable file name equals fileName as Windows compares
// file names (without regard to letter case).
bool IsExecutableRunning(const std::u16string& fileName);

}  // namespace rebrand
