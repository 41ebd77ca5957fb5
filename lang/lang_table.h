// The language table: sixteen language slots (0..15), each the entries of one language
// file of the target application, loaded from its language folder, edited in the list and
// written back.
//
// A slot is bound to the name at its position in the language file list given to
// LoadFiles: it is read from install folder + "\Lang\" + name and written back to
// language folder + "\" + name. A slot whose file was not read has no file, and a slot that
// holds no entry is never written, so no language file is replaced by another language's
// texts or by a header-only file.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "install/install_layout.h"
#include "lang/lang_slot.h"
#include "platform/files.h"

enum class LangSaveResult {
    kWritten,         // the file was replaced by the slot's entries
    kNothingToWrite,  // the slot's file was not read (missing, skipped, no name): no file touched
    kNoEntries,       // the slot holds no entry: its file is left as it is
    kFailed,          // slot outside 0..15, or the file could not be written; the former file is
                      // unchanged
};

class CLangTable {
public:
    static constexpr int kSlotCount = 16;

    // The sixteen default language file names in slot order, as "|"-separated list.
    static constexpr std::u16string_view kDefaultFileList = install::kDefaultLangFileList;

    // An empty table.
    CLangTable() = default;
    CLangTable(const CLangTable&) = delete;
    CLangTable& operator=(const CLangTable&) = delete;

    // Empties every slot, then reads the k-th name of fileList ("|"-separated; empty parts
    // skipped, names not trimmed) into slot k, for the first sixteen names. A name is taken as
    // Windows opens it, without trailing dots and blanks. A name that would leave the language
    // folder ("\", "/", ":", "." or "..") or names the same file as an earlier name of the
    // list (compared as Windows compares file names) is skipped: its slot stays empty and has
    // no file, so that no two slots write one file. Files that cannot be read are skipped
    // silently.
    void LoadFiles(const std::u16string& installFolder, const std::u16string& fileList);

    // Reads the language file at path into slot: 0 when read, -1 when the path is empty, the
    // slot lies outside 0..15, or the file cannot be read (the slot is then unchanged). The
    // slot's file becomes the last component of path.
    int ReadLangFile(int slot, const std::u16string& path);

    // Sets the slot's text of id (used unchanged), adding the ID when absent. A slot outside
    // 0..15 is left alone.
    void SetText(int slot, std::u16string_view id, std::u16string_view text);

    // The slot's entries in ascending ID order; an empty slot for a slot outside 0..15.
    const CLangSlot& Entries(int slot) const;

    // The name of the file the slot was read from; empty when it was not read.
    const std::u16string& FileName(int slot) const;

    // Writes the slot as a complete new file to langFolder + "\" + FileName(slot); a slot
    // without a file or without an entry writes nothing. The bytes go to a temporary file
    // beside it, which replaces the file only once it was written completely. errorCode (if
    // given) receives the system's error code on kFailed.
    LangSaveResult SaveLangFile(int slot, const std::u16string& langFolder,
                                int* errorCode = nullptr) const;
    // The same, refusing a file that does not resolve inside root (when given); write
    // (if given) receives what the file holds afterwards.
    LangSaveResult SaveLangFile(int slot, const std::u16string& langFolder,
                                const std::u16string& root, platform::WriteResult* write) const;

private:
    static bool InRange(int slot) { return slot >= 0 && slot < kSlotCount; }
    int ReadLangFile(int slot, const std::u16string& path, LangLoadBuffers& buffers);

    std::array<CLangSlot, kSlotCount> slots_;
    std::array<std::u16string, kSlotCount> fileNames_;
    // Where SaveLangFile composes a file; kept for the next save (saving is not a change of
    // the table, hence mutable).
    mutable std::u16string saveBuffer_;
};
