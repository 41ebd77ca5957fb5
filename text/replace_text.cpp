#include "text/replace_text.h"

namespace text {

Replacements::Replacements(std::vector<std::pair<std::u16string, std::u16string>> pairs)
    : pairs_(std::move(pairs)) {
    for (const auto& pair : pairs_) {
        if (!pair.first.empty()) {
            starts_[pair.first[0]] = true;
        }
    }
}

size_t Replacements::MatchAt(std::u16string_view text, size_t pos) const {
    size_t best = std::u16string_view::npos;
    if (!starts_[text[pos]]) {
        return best;
    }
    for (size_t i = 0; i < pairs_.size(); ++i) {
        const std::u16string& old = pairs_[i].first;
        if (old.empty() || text.size() - pos < old.size() ||
            text.compare(pos, old.size(), old) != 0) {
            continue;
        }
        if (best == std::u16string_view::npos || old.size() > pairs_[best].first.size()) {
            best = i;
        }
    }
    return best;
}

std::u16string Replacements::Apply(std::u16string_view text, size_t* count) const {
    std::u16string out;
    size_t matches = 0;
    size_t copied = 0;  // text before this is in out
    for (size_t pos = 0; pos < text.size();) {
        const size_t match = MatchAt(text, pos);
        if (match == std::u16string_view::npos) {
            ++pos;
            continue;
        }
        out.append(text.substr(copied, pos - copied));
        out += pairs_[match].second;
        pos += pairs_[match].first.size();
        copied = pos;
        ++matches;
    }
    if (count != nullptr) {
        *count = matches;
    }
    if (matches == 0) {
        return std::u16string(text);
    }
    out.append(text.substr(copied));
    return out;
}

bool Replacements::AnyIn(std::u16string_view text) const {
    for (size_t pos = 0; pos < text.size(); ++pos) {
        if (MatchAt(text, pos) != std::u16string_view::npos) {
            return true;
        }
    }
    return false;
}

std::vector<size_t> Occurrences(std::u16string_view text, std::u16string_view needle) {
    std::vector<size_t> at;
    if (needle.empty()) {
        return at;
    }
    for (size_t pos = text.find(needle); pos != std::u16string_view::npos;
         pos = text.find(needle, pos + 1)) {
        at.push_back(pos);
    }
    return at;
}

}  // namespace text
