// The language table: sixteen language slots (0..15), each the entries of one language
// file of the target application, loaded from its language folder, edited in the list and
// written back.
//
// A slot is bound to the name at its position in the language file list given to
// LoadFiles: it is read from install folder + "\Lang\" + name and written back to
// language folder + "\" + name. A slot whose file was not read has no file, and a slot that
// holds no entry is never written, so no language file is replaced by another language's
// texts or by a header-only file. Each read and each save stamps the slot's file
// (platform/file_stamp.h), so that a save does not silently replace what another program
// wrote into it meanwhile.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "install/install_layout.h"
#include "lang/lang_slot.h"
#include "platform/file_stamp.h"
#include "platform/files.h"

class LangSaveAhead;

enum class LangSaveResult {
    kWritten,         // the file was replaced by the slot's entries
    kUnchanged,       // the file already held exactly what the slot would write: not touched
    kNothingToWrite,  // the slot's file was not read (missing, skipped, no name): no file touched
    kNoEntries,       // the slot holds no entry: its file is left as it is
    kFailed,          // slot outside 0..15, or the file could not be written; the former file is
                      // unchanged
    kChangedOnDisk,   // another program changed the file since the slot was read or saved, and
                      // it was not to be replaced: left as it is on disk
};

class CLangTable {
public:
    static constexpr int kSlotCount = 16;

    // The sixteen default language file names in slot order, as "|"-separated list.
    static constexpr std::u16string_view kDefaultFileList = install::kDefaultLangFileList;

    // An empty table.
    CLangTable();
    ~CLangTable();  // waits for a load still running
    CLangTable(const CLangTable&) = delete;
    CLangTable& operator=(const CLangTable&) = delete;

    // Empties every slot, then reads the k-th name of fileList ("|"-separated; empty parts
    // skipped, names not trimmed) into slot k, for the first sixteen names. A name is taken as
    // Windows opens it, without trailing dots and blanks. A name that would leave the language
    // folder ("\", "/", ":", "." or "..") or names the same file as an earlier name of the
    // list (compared as Windows compares file names) is skipped: its slot stays empty and has
    // no file, so that no two slots write one file. Files that cannot be read are skipped
    // silently.
    //
    // Slot 0 is read before LoadFiles returns; slots 1..15 are left for later, so that slot
    // 0 can be shown at once: LoadRestInBackground reads them on a worker thread. Every
    // function of the table that touches a slot other than 0 (and the next LoadFiles,
    // ReadLangFile and the destructor) first finishes that load, so callers see the same
    // table as if all files had been read in LoadFiles. Call the table from one thread only.
    void LoadFiles(const std::u16string& installFolder, const std::u16string& fileList);

    // Starts reading the slots that LoadFiles left on a worker thread (once slot 0 is shown,
    // so that the worker does not compete with showing it). Nothing to do when none are left.
    void LoadRestInBackground();

    // Finishes a load that LoadFiles left running (the calling thread reads the files no
    // thread has begun yet, then waits for the worker). Nothing to do when none runs.
    void FinishLoading() const;

    // Reads the language file at path into slot: 0 when read, -1 when the path is empty, the
    // slot lies outside 0..15, or the file cannot be read (the slot is then unchanged). The
    // slot's file becomes the last component of path, and its stamp that of the bytes read.
    int ReadLangFile(int slot, const std::u16string& path);

    // Sets the slot's text of id (used unchanged), adding the ID when absent. A slot outside
    // 0..15 is left alone.
    void SetText(int slot, std::u16string_view id, std::u16string_view text);

    // True when SetText changed a slot since it was read or last saved to the file it was
    // read from (written, or found holding what it would write).
    bool HasUnsavedEdits() const;
    // The same for one slot (false outside 0..15).
    bool HasUnsavedEdits(int slot) const;

    // The slot's entries in ascending ID order; an empty slot for a slot outside 0..15.
    const CLangSlot& Entries(int slot) const;

    // The name of the file the slot was read from; empty when it was not read.
    const std::u16string& FileName(int slot) const;

    // Writes the slot as a complete new file to langFolder + "\" + FileName(slot); a slot
    // without a file or without an entry writes nothing, and a file that already holds
    // exactly the bytes the slot would write is left as it is (kUnchanged). A file that no
    // longer holds what the slot was read from (or last saved as) is left as well
    // (kChangedOnDisk). The bytes go to a temporary file beside it, which replaces the file
    // only once it was written completely. errorCode (if given) receives the system's error
    // code on kFailed.
    LangSaveResult SaveLangFile(int slot, const std::u16string& langFolder,
                                int* errorCode = nullptr) const;
    // The same, refusing a file that does not resolve inside root (when given); write
    // (if given) receives what the file holds afterwards. beforeReplace (when given) is
    // called once it is known that the file will change, before anything is written; when it
    // returns false nothing is written and the result is kFailed. overwriteChanged (when
    // given) is asked before that about a file that another program changed since the slot
    // read or saved it: true replaces it, false (and no callback) leaves it (kChangedOnDisk).
    // Only the file the slot was read from is checked; a file of another folder is not.
    // ahead (when given) may hold the slot's save made ready (lang/lang_save_ahead.h): only
    // the checks and the replace are then left; a staging file that could not be written
    // fails before beforeReplace.
    LangSaveResult SaveLangFile(int slot, const std::u16string& langFolder,
                                const std::u16string& root, platform::WriteResult* write,
                                const std::function<bool()>& beforeReplace = {},
                                const std::function<bool()>& overwriteChanged = {},
                                LangSaveAhead* ahead = nullptr) const;

private:
    static bool InRange(int slot) { return slot >= 0 && slot < kSlotCount; }
    // Reads into the memory of room; the slot is unchanged when the file cannot be read.
    int ReadLangFile(int slot, const std::u16string& path, LangLoadBuffers& buffers,
                     std::u16string room);
    // Empties the slot and reads its file (none when path is empty), reusing its memory.
    void ReloadSlot(int slot, const std::u16string& path, LangLoadBuffers& buffers);
    // Slots 1..15 may still be loading: wait for them before touching one.
    void FinishLoadingFor(int slot) const {
        if (slot != 0) {
            FinishLoading();
        }
    }

    std::array<CLangSlot, kSlotCount> slots_;
    std::array<std::u16string, kSlotCount> fileNames_;
    // The full path each slot was read from, and its stamp as read or last saved (saving
    // stamps anew, hence mutable).
    std::array<std::u16string, kSlotCount> paths_;
    mutable std::array<platform::FileStamp, kSlotCount> stamps_;
    // Slots that SetText changed since their read or last save (saving clears it, hence
    // mutable).
    mutable std::array<bool, kSlotCount> edited_{};
    // Where SaveLangFile composes a file; kept for the next save (saving is not a change of
    // the table, hence mutable).
    mutable std::u16string saveBuffer_;
    // Where a LangSaveAhead's worker (0) and its caller (1) compose, kept the same way.
    friend class LangSaveAhead;
    mutable std::array<std::u16string, 2> aheadBuffers_;

    // The load of slots 1..15 that LoadFiles leaves running, and what it needs; only the
    // worker touches those slots until FinishLoading has joined it.
    struct BackgroundLoad;
    mutable std::unique_ptr<BackgroundLoad> loading_;
    // The buffers of the two threads that load (0: the table's caller, 1: the worker), kept
    // from one load to the next.
    std::array<LangLoadBuffers, 2> loadBuffers_;
};
