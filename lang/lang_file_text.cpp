#include "lang/lang_file_text.h"

#include "lang/byte_order.h"
#include "lang/lang_reader.h"
#include "platform/file_read.h"

namespace lang {

namespace {

// Room for a file's bytes in the code units of a text (a last odd byte included).
class TextTarget : public platform::ReadTarget {
public:
    explicit TextTarget(std::u16string& text) : text_(text) {}
    char* Allocate(size_t size) override {
        text_.resize((size + 1) / 2);
        return reinterpret_cast<char*>(&text_[0]);
    }

private:
    std::u16string& text_;
};

constexpr char16_t kByteOrderMark = 0xFEFF;

}  // namespace

bool ReadLangFileText(const std::u16string& path, std::u16string& text, std::string& bytes,
                      platform::FileStamp* stamp) {
    text.clear();
    TextTarget target(text);
    size_t got = 0;
    platform::FileStat stat;
    if (platform::ReadWholeFileInto(path, target, got, stamp != nullptr ? &stat : nullptr) !=
        platform::ReadResult::kOk) {
        text.clear();
        return false;
    }
    if (stamp != nullptr) {
        *stamp = platform::StampOf(stat, text.data(), got);  // the bytes as read
    }
    // FF FE 00 00 is the UTF-32LE mark: DecodeLangText refuses it.
    const bool marked = HostIsLittleEndian() && got >= 2 && text[0] == kByteOrderMark &&
                        !(got >= 4 && text[1] == 0);
    if (!marked) {
        bytes.assign(reinterpret_cast<const char*>(text.data()), got);
        return DecodeLangText(bytes, text);
    }
    text.resize(got / 2);  // a last odd byte holds no whole unit
    text[0] = u'\n';
    return true;
}

}  // namespace lang
