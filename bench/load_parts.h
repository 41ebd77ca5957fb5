// Where the time of loading language files goes: the benchmarks run the steps of
// CLangTable::ReadLangFile one by one over the same files and time each step.
#pragma once

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "lang/id_order.h"
#include "lang/lang_file_text.h"
#include "lang/lang_reader.h"
#include "lang/lang_slot.h"

namespace bench {

struct LoadParts {
    double readMs = 0;   // reading the file into its text (and decoding it)
    double parseMs = 0;  // splitting the text into entries
    double sortMs = 0;   // putting the entries in ID order
    double slotMs = 0;   // the whole CLangSlot::Load (parse, sort, one entry per ID)
};

// The parts for the given files (full paths), summed over them.
inline LoadParts MeasureLoadParts(const std::vector<std::u16string>& paths) {
    using Clock = std::chrono::steady_clock;
    const auto since = [](Clock::time_point t) {
        return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
    };
    LoadParts parts;
    LangLoadBuffers buffers;
    std::string bytes;
    std::vector<LangEntry> entries;
    lang::IdSorter sorter;
    CLangSlot slot;
    for (const std::u16string& path : paths) {
        std::u16string text;
        auto t = Clock::now();
        lang::ReadLangFileText(path, text, bytes);
        parts.readMs += since(t);
        std::u16string copy = text;
        entries.clear();
        t = Clock::now();
        lang::ParseLangText(copy, entries);
        parts.parseMs += since(t);
        t = Clock::now();
        sorter.Order(entries);
        parts.sortMs += since(t);
        t = Clock::now();
        slot.Load(std::move(text), buffers);
        parts.slotMs += since(t);
    }
    return parts;
}

// The median of each part over several measurements.
inline LoadParts MedianParts(std::vector<LoadParts> runs) {
    const auto median = [&runs](double LoadParts::*part) {
        std::vector<double> v;
        for (const LoadParts& r : runs) {
            v.push_back(r.*part);
        }
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    LoadParts m;
    m.readMs = median(&LoadParts::readMs);
    m.parseMs = median(&LoadParts::parseMs);
    m.sortMs = median(&LoadParts::sortMs);
    m.slotMs = median(&LoadParts::slotMs);
    return m;
}

}  // namespace bench
