// Folder and file housekeeping beside platform/files.h: creating and hiding a folder,
// removing a file or an empty folder. Paths as in platform/files.h.
#pragma once

#include <string>

namespace platform {

// Creates the folder (its parent must exist). True when it exists as a folder afterwards;
// on false errorCode (if given) receives the system's error code.
bool CreateFolder(const std::u16string& path, int* errorCode = nullptr);

// Gives an existing file or folder the hidden attribute (a no-op where there is none).
bool SetHidden(const std::u16string& path);

// Removes the file. True when no file of that name is left (also when there was none); on
// false errorCode (if given) receives the system's error code.
bool RemoveFile(const std::u16string& path, int* errorCode = nullptr);

// Removes the folder when it is empty. True when it is gone.
bool RemoveEmptyFolder(const std::u16string& path);

}  // namespace platform
