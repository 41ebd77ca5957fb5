// dll_probe [unrestricted]: tries to load vedarod_planted.dll, which lies beside it and in
// the current folder. Exit status: 0 not loaded, 1 loaded, 2 the restriction failed.
#include <windows.h>

#include <cwchar>

#include "app/process_hardening.h"

int wmain(int argc, wchar_t** argv) {
    const bool restrict = argc < 2 || std::wcscmp(argv[1], L"unrestricted") != 0;
    if (restrict && !RestrictDllSearchPath()) {
        return 2;
    }
    return LoadLibraryW(L"vedarod_planted.dll") != nullptr ? 1 : 0;
}
