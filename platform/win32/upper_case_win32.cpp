#include "platform/upper_case.h"

#include <windows.h>

namespace platform {

std::u16string UpperCaseUnits(std::u16string_view text) {
    std::u16string upper(text);
    if (!upper.empty()) {
        // Unit by unit, with no linguistic rules: the mapping CompareStringOrdinal uses.
        LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE,
                      reinterpret_cast<LPCWSTR>(text.data()), static_cast<int>(text.size()),
                      reinterpret_cast<LPWSTR>(upper.data()), static_cast<int>(upper.size()),
                      nullptr, nullptr, 0);
    }
    return upper;
}

}  // namespace platform
