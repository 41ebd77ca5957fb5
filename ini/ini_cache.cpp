#include "ini/ini_cache.h"

#include "ini/ini_text.h"

CIniFile& GetCachedIniFile(IniFileCache& cache, const std::u16string& path, unsigned codePage) {
    std::unique_ptr<CIniFile>& slot = cache[FoldCase(path)];
    if (!slot) {
        slot = std::make_unique<CIniFile>(path, codePage);
        slot->Load();
    }
    return *slot;
}

void ReleaseIniFiles(IniFileCache& cache) {
    cache.clear();
}

void DiscardIniFiles(IniFileCache& cache) {
    for (auto& entry : cache) {
        entry.second->Discard();
    }
    cache.clear();
}
