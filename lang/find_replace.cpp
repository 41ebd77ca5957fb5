#include "lang/find_replace.h"

#include "platform/upper_case.h"

namespace lang {
namespace {

// Finds in the upper-case copy (same length, same positions) when case does not count.
class Finder {
public:
    explicit Finder(const FindReplace& request)
        : request_(request),
          needle_(request.matchCase ? request.find : platform::UpperCaseUnits(request.find)) {}

    std::u16string Replace(std::u16string_view text, size_t& count) const {
        count = 0;
        if (needle_.empty() || text.size() < needle_.size()) {
            return std::u16string(text);
        }
        const std::u16string upper =
            request_.matchCase ? std::u16string() : platform::UpperCaseUnits(text);
        const std::u16string_view haystack = request_.matchCase ? text : upper;
        std::u16string out;
        size_t from = 0;
        for (size_t at = haystack.find(needle_); at != std::u16string_view::npos;
             at = haystack.find(needle_, from)) {
            out.append(text.substr(from, at - from));
            out += request_.replacement;
            from = at + needle_.size();
            ++count;
        }
        if (count == 0) {
            return std::u16string(text);
        }
        out.append(text.substr(from));
        return out;
    }

private:
    const FindReplace& request_;
    std::u16string needle_;
};

}  // namespace

std::u16string ReplaceOccurrences(std::u16string_view text, const FindReplace& request,
                                  size_t& count) {
    return Finder(request).Replace(text, count);
}

FindReplaceResult ReplaceInLanguages(CLangTable& table, const std::vector<int>& slots,
                                     const FindReplace& request) {
    FindReplaceResult result;
    const Finder finder(request);
    for (int slot : slots) {
        // The new texts first: SetText changes the slot being read.
        std::vector<std::pair<std::u16string, std::u16string>> changes;
        for (const LangEntry& entry : table.Entries(slot)) {
            size_t count = 0;
            std::u16string now = finder.Replace(entry.text, count);
            if (count > 0) {
                result.occurrences += count;
                changes.emplace_back(std::u16string(entry.id), std::move(now));
            }
        }
        for (auto& [id, text] : changes) {
            table.SetText(slot, id, text);
            result.edited.emplace_back(slot, std::move(id));
        }
        result.languages += changes.empty() ? 0 : 1;
    }
    return result;
}

}  // namespace lang
