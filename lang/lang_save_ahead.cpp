#include "lang/lang_save_ahead.h"

#include <system_error>
#include <utility>
#include <vector>

#include "lang/lang_writer.h"
#include "platform/file_read.h"
#include "platform/hash64.h"

LangSaveAhead::LangSaveAhead(const CLangTable& table, const std::u16string& langFolder,
                             const std::u16string& root)
    : root_(root), buffers_(table.aheadBuffers_) {
    table.FinishLoading();
    for (int slot = 0; slot < CLangTable::kSlotCount; ++slot) {
        if (!table.FileName(slot).empty() && !table.Entries(slot).empty()) {
            slots_[slot].state = State::kWaiting;
            slots_[slot].entries = &table.Entries(slot);
            slots_[slot].path = langFolder + u"\\" + table.FileName(slot);
        }
    }
    try {
        worker_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        // No thread to be had: each call prepares its slot itself.
    }
}

LangSaveAhead::~LangSaveAhead() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        cancelled_ = true;
    }
    changed_.notify_all();
    if (worker_.joinable()) {
        worker_.join();
    }
}

void LangSaveAhead::Run() {
    for (Slot& slot : slots_) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [&] { return cancelled_ || ready_ < kMaxReady; });
            if (cancelled_) {
                return;
            }
            if (slot.state != State::kWaiting) {
                continue;  // not saved here, or taken by the caller
            }
            slot.state = State::kPreparing;
        }
        std::unique_ptr<LangPreparedSave> prepared = Prepare(slot, buffers_[0]);
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            Ready(slot, std::move(prepared));
        }
        changed_.notify_all();
    }
}

std::unique_ptr<LangPreparedSave> LangSaveAhead::Prepare(const Slot& slot,
                                                         std::u16string& buffer) const {
    auto prepared = std::make_unique<LangPreparedSave>();
    lang::EncodeLangFileInto(*slot.entries, buffer);
    prepared->size = buffer.size() * sizeof(char16_t);
    prepared->hash = platform::Hash64(buffer.data(), prepared->size);
    prepared->holds = platform::FileHolds(slot.path, buffer.data(), prepared->size);
    if (!prepared->holds) {
        prepared->write = std::make_unique<platform::StagedWrite>(slot.path, buffer.data(),
                                                                  prepared->size, root_);
    }
    return prepared;
}

void LangSaveAhead::Ready(Slot& slot, std::unique_ptr<LangPreparedSave> prepared) {
    slot.prepared = std::move(prepared);
    slot.state = State::kReady;
    ++ready_;
}

std::unique_ptr<LangPreparedSave> LangSaveAhead::Take(int slot, const std::u16string& path) {
    if (slot < 0 || slot >= CLangTable::kSlotCount) {
        return nullptr;
    }
    Slot& s = slots_[slot];
    std::vector<std::unique_ptr<LangPreparedSave>> passed;  // their staging files go last
    std::unique_lock<std::mutex> lock(mutex_);
    if (s.state == State::kNone || s.state == State::kTaken || s.path != path) {
        return nullptr;
    }
    // The slots before it are no longer wanted (the saves come in ascending order): the
    // worker must not wait for them to be taken, nor prepare them.
    for (int k = 0; k < slot; ++k) {
        Slot& before = slots_[k];
        if (before.state == State::kReady) {
            passed.push_back(std::move(before.prepared));
            --ready_;
        }
        if (before.state == State::kReady || before.state == State::kWaiting) {
            before.state = State::kTaken;
        }
    }
    changed_.notify_all();
    // Rather than wait for the worker, the caller prepares the slot itself when the worker has
    // not begun it, else the next slot nobody has begun.
    while (s.state != State::kReady) {
        Slot* mine = s.state == State::kWaiting ? &s : nullptr;
        for (int k = slot + 1; mine == nullptr && ready_ < kMaxReady && k < CLangTable::kSlotCount;
             ++k) {
            if (slots_[k].state == State::kWaiting) {
                mine = &slots_[k];
            }
        }
        if (mine == nullptr) {
            changed_.wait(lock);
            continue;
        }
        mine->state = State::kPreparing;
        lock.unlock();
        std::unique_ptr<LangPreparedSave> prepared = Prepare(*mine, buffers_[1]);
        lock.lock();
        Ready(*mine, std::move(prepared));
        changed_.notify_all();
    }
    s.state = State::kTaken;
    --ready_;
    lock.unlock();
    changed_.notify_all();
    return std::move(s.prepared);
}
