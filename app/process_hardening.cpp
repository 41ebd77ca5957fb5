#include "app/process_hardening.h"

#include <windows.h>

bool RestrictDllSearchPath() {
    // The current folder leaves the search order of LoadLibrary as well.
    SetDllDirectoryW(L"");
    return SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
}
