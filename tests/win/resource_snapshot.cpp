#include "tests/win/resource_snapshot.h"

namespace testsupport {

namespace {

std::wstring Name(LPCWSTR name) {
    if (IS_INTRESOURCE(name)) {
        return L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(name));
    }
    return name;
}

struct Walk {
    HMODULE module;
    ResourceMap* out;
};

BOOL CALLBACK OnLanguage(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language,
                         LONG_PTR param) {
    auto* walk = reinterpret_cast<Walk*>(param);
    const HRSRC found = FindResourceExW(module, type, name, language);
    const void* data = found ? LockResource(LoadResource(module, found)) : nullptr;
    const DWORD size = found ? SizeofResource(module, found) : 0;
    (*walk->out)[ResourceKey(Name(type), Name(name), language)] =
        data ? std::string(static_cast<const char*>(data), size) : std::string("<unreadable>");
    return TRUE;
}

BOOL CALLBACK OnName(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR param) {
    EnumResourceLanguagesW(module, type, name, OnLanguage, param);
    return TRUE;
}

BOOL CALLBACK OnType(HMODULE module, LPWSTR type, LONG_PTR param) {
    EnumResourceNamesW(module, type, OnName, param);
    return TRUE;
}

}  // namespace

std::optional<ResourceMap> ReadAllResources(const std::wstring& path) {
    const HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr) {
        return std::nullopt;
    }
    ResourceMap out;
    Walk walk{module, &out};
    EnumResourceTypesW(module, OnType, reinterpret_cast<LONG_PTR>(&walk));
    FreeLibrary(module);
    return out;
}

ResourceKey Key(WORD type, WORD name, WORD language) {
    return ResourceKey(L"#" + std::to_wstring(type), L"#" + std::to_wstring(name), language);
}

}  // namespace testsupport
