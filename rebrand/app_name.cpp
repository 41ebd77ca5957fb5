#include "rebrand/app_name.h"

#include "text/ascii_case.h"

namespace rebrand {

std::u16string WithExeExtension(const std::u16string& name) {
    return text::EndsWithFoldingAscii(name, u".exe") ? name : name + u".exe";
}

}  // namespace rebrand
