#include "lang/lang_slot.h"

#include <algorithm>
#include <functional>
#include <utility>

#include "lang/lang_reader.h"

namespace {

bool IdLess(const LangEntry& entry, std::u16string_view id) {
    return entry.id < id;
}

}  // namespace

void CLangSlot::Load(std::u16string fileText) {
    Clear();
    fileText_ = std::move(fileText);
    lang::ParseLangText(fileText_, entries_);

    // Equal IDs end up in file order (their views lie in one text, in file order), so the
    // last of each run is the line that wins.
    std::sort(entries_.begin(), entries_.end(), [](const LangEntry& a, const LangEntry& b) {
        const int c = a.id.compare(b.id);
        return c != 0 ? c < 0 : std::less<const char16_t*>()(a.id.data(), b.id.data());
    });
    size_t kept = 0;
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (i + 1 < entries_.size() && entries_[i + 1].id == entries_[i].id) {
            continue;
        }
        entries_[kept++] = entries_[i];
    }
    entries_.resize(kept);
}

void CLangSlot::Clear() {
    std::vector<LangEntry>().swap(entries_);
    std::deque<std::u16string>().swap(setStrings_);
    std::u16string().swap(fileText_);
}

void CLangSlot::Set(std::u16string_view id, std::u16string_view text) {
    const auto it = std::lower_bound(entries_.begin(), entries_.end(), id, IdLess);
    setStrings_.emplace_back(text);
    const std::u16string_view storedText = setStrings_.back();
    if (it != entries_.end() && it->id == id) {
        it->text = storedText;
        return;
    }
    setStrings_.emplace_back(id);
    entries_.insert(it, LangEntry{setStrings_.back(), storedText});
}

std::optional<std::u16string_view> CLangSlot::Find(std::u16string_view id) const {
    const auto it = std::lower_bound(entries_.begin(), entries_.end(), id, IdLess);
    if (it == entries_.end() || it->id != id) {
        return std::nullopt;
    }
    return it->text;
}
