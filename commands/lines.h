// Messages of several lines, as the commands tell them: lines separated by CR LF.
#pragma once

#include <string>
#include <vector>

namespace app {

inline std::u16string Joined(const std::vector<std::u16string>& lines) {
    std::u16string text;
    for (const auto& line : lines) {
        text += (text.empty() ? u"" : u"\r\n") + line;
    }
    return text;
}

}  // namespace app
