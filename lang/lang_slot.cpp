#include "lang/lang_slot.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "lang/id_order.h"
#include "lang/lang_reader.h"
#include "lang/prefetch.h"

namespace {

bool SameId(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * 2) == 0;
}

bool IdLess(const LangEntry& entry, std::u16string_view id) {
    return lang::CompareIdsFrom(entry.id, id, 0) < 0;
}

}  // namespace

void CLangSlot::Load(std::u16string fileText, LangLoadBuffers& buffers) {
    entries_.clear();
    std::deque<std::u16string>().swap(setStrings_);
    fileText_ = std::move(fileText);
    std::vector<LangEntry>& parsed = buffers.parsed;
    parsed.clear();
    lang::ParseLangText(fileText_, parsed);
    const std::vector<uint32_t>& order = buffers.sorter.Order(parsed);
    // Equal IDs are adjacent and in file order: the last of each run is the line that wins.
    entries_.reserve(order.size());
    for (size_t i = 0; i < order.size(); ++i) {
        if (i + lang::kPrefetchDistance + 1 < order.size()) {
            lang::PrefetchForRead(parsed[order[i + lang::kPrefetchDistance + 1]].id.data());
        }
        const LangEntry& entry = parsed[order[i]];
        if (i + 1 < order.size() && SameId(parsed[order[i + 1]].id, entry.id)) {
            continue;
        }
        entries_.push_back(entry);
    }
}

void CLangSlot::Clear() {
    std::vector<LangEntry>().swap(entries_);
    std::deque<std::u16string>().swap(setStrings_);
    std::u16string().swap(fileText_);
}

std::u16string CLangSlot::TakeText() {
    entries_.clear();
    std::deque<std::u16string>().swap(setStrings_);
    std::u16string text = std::move(fileText_);
    fileText_.clear();
    return text;
}

void CLangSlot::Set(std::u16string_view id, std::u16string_view text) {
    const auto it = std::lower_bound(entries_.begin(), entries_.end(), id, IdLess);
    setStrings_.emplace_back(text);
    const std::u16string_view storedText = setStrings_.back();
    if (it != entries_.end() && SameId(it->id, id)) {
        it->text = storedText;
        return;
    }
    setStrings_.emplace_back(id);
    entries_.insert(it, LangEntry{setStrings_.back(), storedText});
}

std::optional<std::u16string_view> CLangSlot::Find(std::u16string_view id) const {
    const auto it = std::lower_bound(entries_.begin(), entries_.end(), id, IdLess);
    if (it == entries_.end() || !SameId(it->id, id)) {
        return std::nullopt;
    }
    return it->text;
}
