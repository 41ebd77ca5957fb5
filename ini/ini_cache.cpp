#include "ini/ini_cache.h"

#include "ini/ini_text.h"

CIniFile& GetCachedIniFile(IniFileCache& cache, const std::u16string& path, unsigned codePage) {
    std::unique_ptr<CIniFile>& slot = cache[FoldCase(path)];
    if (slot && slot->LoadFailed()) {
        // Its content was never known, so nothing set in it could be saved: read it afresh.
        slot->Discard();
        slot.reset();
    }
    if (!slot) {
        slot = std::make_unique<CIniFile>(path, codePage);
        slot->Load();
    }
    return *slot;
}

std::vector<std::u16string> ReleaseIniFiles(IniFileCache& cache) {
    std::vector<std::u16string> failed;
    for (auto& entry : cache) {
        if (entry.second->WriteBackIfChanged() == CIniFile::WriteBack::kFailed) {
            failed.push_back(entry.second->path);
        }
    }
    cache.clear();
    return failed;
}

void DiscardIniFiles(IniFileCache& cache) {
    for (auto& entry : cache) {
        entry.second->Discard();
    }
    cache.clear();
}
