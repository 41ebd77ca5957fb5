// Menu templates: what parses writes back to the same bytes, and with every text changed
// (longer or shorter, so that items move) writes bytes that parse back to the new texts
// with every other field kept.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "rebrand/menu_template.h"

namespace {

using rebrand::MenuItem;
using rebrand::MenuTemplate;

template <typename Change>
void ForEachItem(std::vector<MenuItem>& items, const Change& change) {
    for (MenuItem& item : items) {
        change(item);
        ForEachItem(item.children, change);
    }
}

void Texts(const std::vector<MenuItem>& items, std::vector<std::u16string>& out) {
    for (const MenuItem& item : items) {
        out.push_back(item.text);
        Texts(item.children, out);
    }
}

// Every field but the texts and the padding bytes, as bytes.
std::string Structure(MenuTemplate menu) {
    ForEachItem(menu.items, [](MenuItem& item) {
        item.text.clear();
        item.padding.clear();
        item.helpIdPadding.clear();
    });
    return rebrand::WriteMenuTemplate(menu);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::optional<MenuTemplate> menu = rebrand::ParseMenuTemplate(bytes);
    if (!menu) {
        return 0;
    }
    fuzz::Require(rebrand::WriteMenuTemplate(*menu) == bytes,
                  "an unchanged template writes back its bytes");
    const std::string structure = Structure(*menu);
    fuzz::Require(!structure.empty(), "a parsed template is writable with blank texts");

    size_t n = 0;
    ForEachItem(menu->items, [&n](MenuItem& item) {
        ++n;
        item.text = n % 3 == 0 ? item.text.substr(0, item.text.size() / 2)
                               : item.text + std::u16string(n % 3, u'字');
    });
    std::vector<std::u16string> texts;
    Texts(menu->items, texts);
    const std::string written = rebrand::WriteMenuTemplate(*menu);
    const std::optional<MenuTemplate> again = rebrand::ParseMenuTemplate(written);
    fuzz::Require(again.has_value(), "a template with changed texts parses");
    std::vector<std::u16string> textsAgain;
    Texts(again->items, textsAgain);
    fuzz::Require(textsAgain == texts, "the changed texts read back");
    fuzz::Require(Structure(*again) == structure, "changing texts keeps every other field");
    fuzz::Require(rebrand::WriteMenuTemplate(*again) == written, "rewriting is stable");
    return 0;
}
