#include "rebrand/process_check.h"

#include <windows.h>
#include <tlhelp32.h>

#include <functional>

#include "platform/win32/handle.h"

namespace rebrand {

namespace {

bool AnyProcess(const std::function<bool(const wchar_t*)>& matches) {
    const platform::Handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.Valid()) {
        return false;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    bool found = false;
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more && !found;
         more = Process32NextW(snapshot.Get(), &entry)) {
        found = matches(entry.szExeFile);
    }
    return found;
}

}  // namespace

bool IsProcessRunning(const std::u16string& name) {
    const auto* wanted = reinterpret_cast<const wchar_t*>(name.c_str());
    return AnyProcess([&](const wchar_t* exe) { return wcscmp(exe, wanted) == 0; });
}

bool IsExecutableRunning(const std::u16string& fileName) {
    if (fileName.empty()) {
        return false;
    }
    const auto* wanted = reinterpret_cast<const wchar_t*>(fileName.c_str());
    const int length = static_cast<int>(fileName.size());
    return AnyProcess([&](const wchar_t* exe) {
        return CompareStringOrdinal(exe, -1, wanted, length, TRUE) == CSTR_EQUAL;
    });
}

}  // namespace rebrand
