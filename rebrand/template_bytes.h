// Reading and writing the fields shared by dialog and menu templates: little-endian numbers,
// NUL-terminated UTF-16 strings, names that may be ordinals, and padding to 4-byte
// boundaries. Positions are counted from the start of the template, which is where the
// resource data starts and so lies on a 4-byte boundary in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "rebrand/le_bytes.h"

namespace rebrand {

// A menu or window-class field: 0x0000 (none), 0xFFFF followed by a WORD ordinal, or a
// NUL-terminated UTF-16 name.
struct NameOrOrdinal {
    bool isOrdinal = false;
    uint16_t ordinal = 0;  // when isOrdinal
    std::u16string name;   // otherwise; empty for none
};

constexpr uint16_t kOrdinalMark = 0xFFFF;

// Every read checks the bounds first; a failed read leaves the position where it was and
// returns false.
class TemplateReader {
public:
    explicit TemplateReader(std::string_view data) : data_(data) {}

    size_t Position() const { return pos_; }
    bool AtEnd() const { return pos_ == data_.size(); }
    std::string_view Rest() const { return data_.substr(pos_); }

    bool Bytes(size_t count, std::string& out) {
        if (count > data_.size() - pos_) {
            return false;
        }
        out.assign(data_.substr(pos_, count));
        pos_ += count;
        return true;
    }

    bool U8(uint8_t& value) {
        if (data_.size() - pos_ < 1) {
            return false;
        }
        value = static_cast<uint8_t>(data_[pos_++]);
        return true;
    }

    bool U16(uint16_t& value) {
        if (data_.size() - pos_ < 2) {
            return false;
        }
        value = Le16(data_, pos_);
        pos_ += 2;
        return true;
    }

    bool I16(int16_t& value) {
        uint16_t raw = 0;
        if (!U16(raw)) {
            return false;
        }
        value = static_cast<int16_t>(raw);
        return true;
    }

    bool U32(uint32_t& value) {
        if (data_.size() - pos_ < 4) {
            return false;
        }
        value = Le32(data_, pos_);
        pos_ += 4;
        return true;
    }

    // Code units up to a NUL unit, which is consumed; false when no NUL comes before the end.
    bool Text(std::u16string& out) {
        std::u16string text;
        for (size_t at = pos_; data_.size() - at >= 2; at += 2) {
            const char16_t unit = Le16(data_, at);
            if (unit == 0) {
                out = std::move(text);
                pos_ = at + 2;
                return true;
            }
            text.push_back(unit);
        }
        return false;
    }

    bool Name(NameOrOrdinal& out) {
        if (data_.size() - pos_ < 2) {
            return false;
        }
        if (Le16(data_, pos_) != kOrdinalMark) {
            out.isOrdinal = false;
            out.ordinal = 0;
            return Text(out.name);
        }
        if (data_.size() - pos_ < 4) {
            return false;
        }
        out.isOrdinal = true;
        out.ordinal = Le16(data_, pos_ + 2);
        out.name.clear();
        pos_ += 4;
        return true;
    }

    // Skips to the next 4-byte boundary, keeping the skipped bytes.
    bool Align4(std::string& skipped) { return Bytes((4 - pos_ % 4) % 4, skipped); }

private:
    std::string_view data_;
    size_t pos_ = 0;
};

inline void AppendText(std::string& out, const std::u16string& text) {
    for (char16_t unit : text) {
        AppendLe16(out, unit);
    }
    AppendLe16(out, 0);
}

inline void AppendName(std::string& out, const NameOrOrdinal& name) {
    if (name.isOrdinal) {
        AppendLe16(out, kOrdinalMark);
        AppendLe16(out, name.ordinal);
    } else {
        AppendText(out, name.name);
    }
}

// Pads out to a 4-byte boundary: with the bytes kept from the parsed template when they
// are as many as needed, else with zeros.
inline void AppendPadding(std::string& out, const std::string& kept) {
    const size_t need = (4 - out.size() % 4) % 4;
    out.append(kept.size() == need ? kept : std::string(need, '\0'));
}

// A text that reads back as itself: no NUL unit inside.
inline bool PlainTextFits(std::u16string_view text) {
    return text.find(u'\0') == std::u16string_view::npos;
}

// A name that reads back as itself: no NUL unit inside and, not being an ordinal, no 0xFFFF
// first unit.
inline bool NameTextFits(std::u16string_view text) {
    return PlainTextFits(text) && (text.empty() || text.front() != kOrdinalMark);
}

}  // namespace rebrand
