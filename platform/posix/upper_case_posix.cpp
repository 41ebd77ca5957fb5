#include "platform/upper_case.h"

#include <locale.h>
#include <wctype.h>

namespace platform {

std::u16string UpperCaseUnits(std::u16string_view text) {
    static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    std::u16string upper(text);
    for (char16_t& c : upper) {
        if (c >= 0xD800 && c <= 0xDFFF) {
            continue;
        }
        const wint_t u = utf8 != static_cast<locale_t>(0) ? towupper_l(c, utf8)
                                                          : (c >= u'a' && c <= u'z' ? c - 32 : c);
        if (u <= 0xFFFF) {
            c = static_cast<char16_t>(u);
        }
    }
    return upper;
}

}  // namespace platform
