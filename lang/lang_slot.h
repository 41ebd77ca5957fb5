// One language of the language table: the (ID, text) pairs of one language file, kept
// in ascending ID order (UTF-16 code units compared one by one), one text per ID.
//
// The slot holds the decoded text of the file it was loaded from and its entries point
// into that text, so a load costs one allocation for the text and one for the entry list,
// not two per entry. Texts and IDs set later are stored in the slot as well. Views handed
// out stay valid until the next Load, Clear or TakeText; Set never invalidates the strings
// they point to, only positions in the entry list.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lang/id_order.h"
#include "lang/lang_entry.h"

// Buffers that loading needs only while it runs. Loading several files with one set saves
// allocating them (and the system clearing their pages) anew for each file.
struct LangLoadBuffers {
    std::string fileBytes;
    std::vector<LangEntry> parsed;
    lang::IdSorter sorter;
};

class CLangSlot {
public:
    using const_iterator = std::vector<LangEntry>::const_iterator;

    CLangSlot() = default;
    // The entries point into the slot's own storage: a slot is never copied or moved.
    CLangSlot(const CLangSlot&) = delete;
    CLangSlot& operator=(const CLangSlot&) = delete;

    // Replaces the contents with the entries of a language file's decoded text. Later
    // lines with the same ID win.
    void Load(std::u16string fileText, LangLoadBuffers& buffers);
    void Load(std::u16string fileText) {
        LangLoadBuffers buffers;
        Load(std::move(fileText), buffers);
    }

    // Removes every entry and releases the memory.
    void Clear();

    // Removes every entry and hands out the text the slot held, so that the next file can be
    // read into its memory. The memory of the entry list stays for the next Load: memory
    // that a process has used before costs nothing to use again, while fresh memory costs
    // a page fault per page (a large part of a load under Wine).
    std::u16string TakeText();

    // Sets the text of id, adding the ID when it is absent. Both are stored unchanged.
    void Set(std::u16string_view id, std::u16string_view text);

    // The text of id, if the slot has that ID.
    std::optional<std::u16string_view> Find(std::u16string_view id) const;

    const_iterator begin() const { return entries_.begin(); }
    const_iterator end() const { return entries_.end(); }
    size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }

private:
    std::u16string fileText_;  // the loaded file, IDs upper-cased in place
    // IDs and texts given to Set; a deque never moves its elements, so views stay valid.
    // A replaced text is kept until the next Load or Clear (edits are few).
    std::deque<std::u16string> setStrings_;
    std::vector<LangEntry> entries_;  // ascending by ID, no two equal IDs
};
