#include "lang/lang_table.h"

#include <algorithm>
#include <vector>

#include "install/install_layout.h"
#include "lang/lang_file_text.h"
#include "lang/lang_save_ahead.h"
#include "lang/lang_writer.h"
#include "lang/parallel_jobs.h"
#include "platform/file_read.h"
#include "platform/hash64.h"
#include "text/ascii_case.h"
#include "text/file_names.h"

namespace {

// Whether two paths spell one file alike: "/" and backslash are one separator, A-Z folded.
bool SamePath(std::u16string_view a, std::u16string_view b) {
    const auto fold = [](char16_t c) { return c == u'/' ? u'\\' : text::FoldAscii(c); };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [&](char16_t x, char16_t y) { return fold(x) == fold(y); });
}

std::u16string_view LastComponent(std::u16string_view path) {
    const size_t slash = path.find_last_of(u"\\/");
    return slash == std::u16string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

// The paths of the slots' files (empty: the slot is not read) and the worker that reads
// slots 1..15.
struct CLangTable::BackgroundLoad {
    std::array<std::u16string, kSlotCount> paths;
    std::unique_ptr<lang::ParallelJobs> jobs;  // last, so that it is joined first
};

CLangTable::CLangTable() = default;

CLangTable::~CLangTable() {
    FinishLoading();
}

void CLangTable::FinishLoading() const {
    if (loading_ != nullptr) {
        loading_->jobs->Finish();
        loading_.reset();
    }
}

void CLangTable::LoadFiles(const std::u16string& installFolder, const std::u16string& fileList) {
    FinishLoading();
    edited_.fill(false);
    auto load = std::make_unique<BackgroundLoad>();
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
            return text::SameFileName(n, name);
        });
        names.push_back(name);
        if (!text::IsPlainFileName(name) || repeated) {
            continue;
        }
        load->paths[static_cast<size_t>(slot)] =
            install::Join(installFolder, install::LangFile(name));
    }

    // Slots 1..15 on the worker. A job touches only its own slot and the buffers of its lane.
    BackgroundLoad* const state = load.get();
    load->jobs = std::make_unique<lang::ParallelJobs>(
        kSlotCount - 1, [this, state](size_t number, size_t lane) {
            const int slot = static_cast<int>(number) + 1;
            try {
                ReloadSlot(slot, state->paths[static_cast<size_t>(slot)], loadBuffers_[lane]);
            } catch (...) {
                // Out of memory: the slot is left as a file that could not be read (empty,
                // and never written).
                slots_[slot].Clear();
                fileNames_[slot].clear();
                paths_[slot].clear();
            }
        });
    loading_ = std::move(load);
    ReloadSlot(0, state->paths[0], loadBuffers_[0]);
}

void CLangTable::LoadRestInBackground() {
    if (loading_ != nullptr) {
        loading_->jobs->Start(1);
    }
}

void CLangTable::ReloadSlot(int slot, const std::u16string& path, LangLoadBuffers& buffers) {
    std::u16string room = slots_[slot].TakeText();
    fileNames_[slot].clear();
    paths_[slot].clear();
    if (path.empty() || ReadLangFile(slot, path, buffers, std::move(room)) != 0) {
        slots_[slot].Clear();
    }
}

int CLangTable::ReadLangFile(int slot, const std::u16string& path) {
    FinishLoading();
    if (InRange(slot)) {
        edited_[slot] = false;
    }
    LangLoadBuffers buffers;
    return ReadLangFile(slot, path, buffers, std::u16string());
}

int CLangTable::ReadLangFile(int slot, const std::u16string& path, LangLoadBuffers& buffers,
                             std::u16string room) {
    if (path.empty() || !InRange(slot)) {
        return -1;
    }
    platform::FileStamp stamp;
    if (!lang::ReadLangFileText(path, room, buffers.fileBytes, &stamp)) {
        return -1;
    }
    slots_[slot].Load(std::move(room), buffers);
    const std::u16string_view name = LastComponent(path);
    fileNames_[slot] = text::IsPlainFileName(name) ? std::u16string(name) : std::u16string();
    paths_[slot] = path;
    stamps_[slot] = stamp;
    return 0;
}

void CLangTable::SetText(int slot, std::u16string_view id, std::u16string_view text) {
    if (!InRange(slot)) {
        return;
    }
    FinishLoadingFor(slot);
    slots_[slot].Set(id, text);
    edited_[slot] = true;
}

bool CLangTable::HasUnsavedEdits() const {
    for (bool edited : edited_) {
        if (edited) {
            return true;
        }
    }
    return false;
}

bool CLangTable::HasUnsavedEdits(int slot) const {
    return InRange(slot) && edited_[slot];
}

const CLangSlot& CLangTable::Entries(int slot) const {
    static const CLangSlot empty;
    FinishLoadingFor(slot);
    return InRange(slot) ? slots_[slot] : empty;
}

const std::u16string& CLangTable::FileName(int slot) const {
    static const std::u16string none;
    FinishLoadingFor(slot);
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
                                        const std::u16string& root, platform::WriteResult* write,
                                        const std::function<bool()>& beforeReplace,
                                        const std::function<bool()>& overwriteChanged,
                                        LangSaveAhead* ahead) const {
    if (!InRange(slot)) {
        return LangSaveResult::kFailed;
    }
    FinishLoadingFor(slot);
    if (fileNames_[slot].empty()) {
        return LangSaveResult::kNothingToWrite;
    }
    if (slots_[slot].empty()) {
        return LangSaveResult::kNoEntries;
    }
    const std::u16string path = langFolder + u"\\" + fileNames_[slot];
    const std::unique_ptr<LangPreparedSave> prepared =
        ahead != nullptr ? ahead->Take(slot, path) : nullptr;
    uint64_t size = 0;
    bool holds = false;
    if (prepared != nullptr) {
        size = prepared->size;
        holds = prepared->holds;
    } else {
        lang::EncodeLangFileInto(slots_[slot], saveBuffer_);
        size = saveBuffer_.size() * sizeof(char16_t);
        holds = platform::FileHolds(path, saveBuffer_.data(), size);
    }
    const auto stampWritten = [&] {
        return platform::StampOfWrittenHash(
            path, size,
            prepared != nullptr ? prepared->hash : platform::Hash64(saveBuffer_.data(), size));
    };
    const bool readFromHere = SamePath(path, paths_[slot]);
    if (holds) {
        if (readFromHere) {
            stamps_[slot] = stampWritten();
            edited_[slot] = false;
        }
        return LangSaveResult::kUnchanged;
    }
    if (readFromHere && platform::FileChangedSince(path, stamps_[slot]) &&
        !(overwriteChanged && overwriteChanged())) {
        return LangSaveResult::kChangedOnDisk;
    }
    if (prepared != nullptr && !prepared->write->Ready()) {
        if (write != nullptr) {
            *write = prepared->write->Result();
        }
        return LangSaveResult::kFailed;
    }
    if (beforeReplace && !beforeReplace()) {
        return LangSaveResult::kFailed;
    }
    const platform::WriteResult r =
        prepared != nullptr ? prepared->write->Commit()
                            : platform::WriteFileSafely(path, saveBuffer_.data(), size, root);
    if (write != nullptr) {
        *write = r;
    }
    if (!r.Written()) {
        return LangSaveResult::kFailed;
    }
    if (readFromHere) {
        stamps_[slot] = stampWritten();
        edited_[slot] = false;
    }
    return LangSaveResult::kWritten;
}
