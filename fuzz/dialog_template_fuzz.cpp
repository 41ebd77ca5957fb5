// Dialog templates: what parses writes back to the same bytes, and with every text changed
// (longer or shorter, so that items move) writes bytes that parse back to the new texts
// with every other field kept.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "rebrand/dialog_template.h"

namespace {

using rebrand::DialogItem;
using rebrand::DialogTemplate;

// Every field but the texts and the padding bytes, as bytes.
std::string Structure(DialogTemplate dialog) {
    dialog.caption = u"";
    for (DialogItem& item : dialog.items) {
        if (item.title) {
            item.title = u"";
        }
        item.padding.clear();
    }
    return rebrand::WriteDialogTemplate(dialog);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::optional<DialogTemplate> dialog = rebrand::ParseDialogTemplate(bytes);
    if (!dialog) {
        return 0;
    }
    fuzz::Require(dialog->caption.has_value(), "a parsed template has a caption");
    fuzz::Require(rebrand::WriteDialogTemplate(*dialog) == bytes,
                  "an unchanged template writes back its bytes");
    const std::string structure = Structure(*dialog);
    fuzz::Require(!structure.empty(), "a parsed template is writable with blank texts");

    size_t n = 0;
    auto change = [&n](const std::u16string& text) {
        ++n;
        return n % 3 == 0 ? text.substr(0, text.size() / 2) : text + std::u16string(n % 3, u'字');
    };
    dialog->caption = change(*dialog->caption);
    for (DialogItem& item : dialog->items) {
        if (item.title) {
            item.title = change(*item.title);
        }
    }
    const std::string written = rebrand::WriteDialogTemplate(*dialog);
    const std::optional<DialogTemplate> again = rebrand::ParseDialogTemplate(written);
    fuzz::Require(again.has_value(), "a template with changed texts parses");
    fuzz::Require(again->caption == dialog->caption && again->items.size() == dialog->items.size(),
                  "the changed caption reads back");
    for (size_t i = 0; i < again->items.size(); ++i) {
        fuzz::Require(again->items[i].title == dialog->items[i].title,
                      "a changed title reads back");
    }
    fuzz::Require(Structure(*again) == structure, "changing texts keeps every other field");
    fuzz::Require(rebrand::WriteDialogTemplate(*again) == written, "rewriting is stable");
    return 0;
}
