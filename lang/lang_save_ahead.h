// The saves of a language table's files made ready on a worker thread ahead of the
// CLangTable::SaveLangFile calls that take them, so that composing, comparing and writing one
// file overlaps with the checks and the replace of the one before.
//
// The worker goes through the slots that have a file and entries in ascending order: it
// composes the slot's file, compares it with the file on disk and, when they differ, writes
// it to a staging file beside it (platform::StagedWrite); the call is left with the checks
// (another program's change, the keep of the original) and the replace. A call does not sit
// idle meanwhile: it prepares its own slot when the worker has not begun it, and while the
// worker prepares it, the next slot nobody has begun. At most two slots wait ready at a time.
// The calls come in ascending slot order: a call gives up the slots before its own that were
// not taken. The table must not change while the object lives, and only one may live per
// table.
#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "lang/lang_table.h"
#include "platform/staged_file.h"

// A slot's save made ready.
struct LangPreparedSave {
    bool holds = false;  // the file already holds the bytes: nothing is staged
    uint64_t size = 0;   // the bytes composed, and their Hash64
    uint64_t hash = 0;
    std::unique_ptr<platform::StagedWrite> write;  // when the file does not hold them
};

class LangSaveAhead {
public:
    // Finishes the table's load, then starts the worker on the slots' files in langFolder,
    // refusing a file that does not resolve inside root (when given).
    LangSaveAhead(const CLangTable& table, const std::u16string& langFolder,
                  const std::u16string& root);
    // Stops the worker; the staging files of slots not taken are removed.
    ~LangSaveAhead();
    LangSaveAhead(const LangSaveAhead&) = delete;
    LangSaveAhead& operator=(const LangSaveAhead&) = delete;

    // The slot's save, once ready, when the slot is one this object saves, for path, and not
    // taken yet; null when the caller is to do it itself.
    std::unique_ptr<LangPreparedSave> Take(int slot, const std::u16string& path);

private:
    enum class State { kNone, kWaiting, kPreparing, kReady, kTaken };
    struct Slot {
        State state = State::kNone;  // kNone: not a slot the worker saves
        const CLangSlot* entries = nullptr;
        std::u16string path;
        std::unique_ptr<LangPreparedSave> prepared;
    };
    static constexpr int kMaxReady = 2;

    void Run();
    // Composes, compares and stages the slot (claimed by the calling thread) in buffer.
    std::unique_ptr<LangPreparedSave> Prepare(const Slot& slot, std::u16string& buffer) const;
    // Under the lock: the slot is ready.
    void Ready(Slot& slot, std::unique_ptr<LangPreparedSave> prepared);

    std::u16string root_;
    std::array<Slot, CLangTable::kSlotCount> slots_;
    // Where the worker and the caller compose (the table's, kept between saves).
    std::array<std::u16string, 2>& buffers_;
    int ready_ = 0;
    bool cancelled_ = false;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::thread worker_;  // last, so that everything it uses exists
};
