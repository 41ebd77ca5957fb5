#include "lang/lang_table.h"

#include <algorithm>
#include <vector>

#include "install/install_layout.h"
#include "lang/lang_reader.h"
#include "lang/lang_writer.h"
#include "platform/files.h"
#include "text/file_names.h"

namespace {

// Whether two names that Windows has resolved (text::WindowsResolvedName) name the same
// file as Windows compares file names: a-z and A-Z alike.
bool SameFileName(std::u16string_view a, std::u16string_view b) {
    const auto lower = [](char16_t c) {
        return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
    };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [&](char16_t x, char16_t y) { return lower(x) == lower(y); });
}

std::u16string_view LastComponent(std::u16string_view path) {
    const size_t slash = path.find_last_of(u"\\/");
    return slash == std::u16string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

void CLangTable::LoadFiles(const std::u16string& installFolder, const std::u16string& fileList) {
    for (int k = 0; k < kSlotCount; ++k) {
        slots_[k].Clear();
        fileNames_[k].clear();
    }
    LangLoadBuffers buffers;  // shared by the files, so that each does not allocate its own
    std::vector<std::u16string_view> names;
    const std::u16string_view list(fileList);
    size_t pos = 0;
    while (pos < list.size() && static_cast<int>(names.size()) < kSlotCount) {
        const size_t bar = std::min(list.find(u'|', pos), list.size());
        const std::u16string_view listed = list.substr(pos, bar - pos);
        pos = bar + 1;
        if (listed.empty()) {
            continue;
        }
        // Taken as Windows opens it: "lang_chs.ini " and "lang_chs.ini." are lang_chs.ini.
        const std::u16string_view name = text::WindowsResolvedName(listed);
        const int slot = static_cast<int>(names.size());
        const bool repeated = std::any_of(names.begin(), names.end(), [&](std::u16string_view n) {
            return SameFileName(n, name);
        });
        names.push_back(name);
        if (!text::IsPlainFileName(name) || repeated) {
            continue;
        }
        ReadLangFile(slot, install::Join(installFolder, install::LangFile(name)), buffers);
    }
}

int CLangTable::ReadLangFile(int slot, const std::u16string& path) {
    LangLoadBuffers buffers;
    return ReadLangFile(slot, path, buffers);
}

int CLangTable::ReadLangFile(int slot, const std::u16string& path, LangLoadBuffers& buffers) {
    if (path.empty() || !InRange(slot)) {
        return -1;
    }
    if (platform::ReadWholeFile(path, buffers.fileBytes) != platform::ReadResult::kOk) {
        return -1;
    }
    std::u16string text;
    if (!lang::DecodeLangText(buffers.fileBytes, text)) {
        return -1;
    }
    slots_[slot].Load(std::move(text), buffers);
    const std::u16string_view name = LastComponent(path);
    fileNames_[slot] = text::IsPlainFileName(name) ? std::u16string(name) : std::u16string();
    return 0;
}

void CLangTable::SetText(int slot, std::u16string_view id, std::u16string_view text) {
    if (!InRange(slot)) {
        return;
    }
    slots_[slot].Set(id, text);
}

const CLangSlot& CLangTable::Entries(int slot) const {
    static const CLangSlot empty;
    return InRange(slot) ? slots_[slot] : empty;
}

const std::u16string& CLangTable::FileName(int slot) const {
    static const std::u16string none;
    return InRange(slot) ? fileNames_[slot] : none;
}

LangSaveResult CLangTable::SaveLangFile(int slot, const std::u16string& langFolder,
                                        int* errorCode) const {
    platform::WriteResult write;
    const LangSaveResult r = SaveLangFile(slot, langFolder, std::u16string(), &write);
    if (errorCode != nullptr && r == LangSaveResult::kFailed) {
        *errorCode = write.error;
    }
    return r;
}

LangSaveResult CLangTable::SaveLangFile(int slot, const std::u16string& langFolder,
                                        const std::u16string& root,
                                        platform::WriteResult* write) const {
    if (!InRange(slot)) {
        return LangSaveResult::kFailed;
    }
    if (fileNames_[slot].empty()) {
        return LangSaveResult::kNothingToWrite;
    }
    if (slots_[slot].empty()) {
        return LangSaveResult::kNoEntries;
    }
    const std::u16string path = langFolder + u"\\" + fileNames_[slot];
    const platform::WriteResult r = lang::WriteLangFile(path, slots_[slot], saveBuffer_, root);
    if (write != nullptr) {
        *write = r;
    }
    return r.Written() ? LangSaveResult::kWritten : LangSaveResult::kFailed;
}
