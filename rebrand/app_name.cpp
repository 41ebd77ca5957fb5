#include "rebrand/app_name.h"

namespace rebrand {

std::u16string WithExeExtension(const std::u16string& name) {
    if (name.size() >= 4) {
        std::u16string tail = name.substr(name.size() - 4);
        for (char16_t& c : tail) {
            if (c >= u'A' && c <= u'Z') {
                c = static_cast<char16_t>(c - u'A' + u'a');
            }
        }
        if (tail == u".exe") {
            return name;
        }
    }
    return name + u".exe";
}

}  // namespace rebrand
