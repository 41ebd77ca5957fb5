#include "lang/lang_writer.h"

#include <algorithm>

namespace lang {

namespace {

constexpr std::u16string_view kHeaderLine = u"[ZOVIDE]\r\n";
constexpr std::u16string_view kSeparator = u"=    ";
constexpr std::u16string_view kLineEnd = u"\r\n";

// Writes UTF-16LE code units into a buffer sized beforehand.
class Utf16LeSink {
public:
    explicit Utf16LeSink(char* out) : out_(out) {}

    void Put(char16_t c) {
        out_[0] = static_cast<char>(c & 0xFF);
        out_[1] = static_cast<char>(c >> 8);
        out_ += 2;
    }
    void Put(std::u16string_view s) {
        for (char16_t c : s) {
            Put(c);
        }
    }
    void PutBlanks(size_t count) {
        for (size_t i = 0; i < count; ++i) {
            Put(u' ');
        }
    }
    void PutUnescaped(std::u16string_view text) {
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == kEscapedApostrophe[0] && i + 1 < text.size() &&
                text[i + 1] == kEscapedApostrophe[1]) {
                Put(u'\'');
                ++i;
                continue;
            }
            Put(text[i]);
        }
    }
    char* Position() const { return out_; }

private:
    char* out_;
};

}  // namespace

std::string EncodeLangFile(const CLangSlot& slot) {
    // Code units before unescaping: an upper bound of what is written.
    size_t units = kHeaderLine.size();
    for (const LangEntry& e : slot) {
        units += std::max(e.id.size(), kIdFieldWidth) + kSeparator.size() + e.text.size() +
                 kLineEnd.size();
    }
    std::string bytes(2 + 2 * units, '\0');
    bytes[0] = '\xFF';
    bytes[1] = '\xFE';
    Utf16LeSink sink(&bytes[2]);
    sink.Put(kHeaderLine);
    for (const LangEntry& e : slot) {
        sink.Put(e.id);
        if (e.id.size() < kIdFieldWidth) {
            sink.PutBlanks(kIdFieldWidth - e.id.size());
        }
        sink.Put(kSeparator);
        sink.PutUnescaped(e.text);
        sink.Put(kLineEnd);
    }
    bytes.resize(static_cast<size_t>(sink.Position() - bytes.data()));
    return bytes;
}

}  // namespace lang
