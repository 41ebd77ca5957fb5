// Whether the target application is running, from a snapshot of the system's processes. On
// Windows a process's name is its executable's file name; on Linux both the executable's
// file name and its first argument's (a Windows program under Wine runs as the Wine loader
// with the program's path as its first argument), compared with A-Z folded.
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
