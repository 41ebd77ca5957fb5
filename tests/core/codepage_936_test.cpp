// Code page 936 as Windows converts it, through the four functions of platform/codepage.h:
// natively they use the table of platform/cp936.h, on Windows the system's conversion, and
// the same expectations hold for both. The Windows build also compares the table with the
// system for every byte pair and every UTF-16 unit.
#include <gtest/gtest.h>

#include <string>

#include "platform/codepage.h"

#ifdef _WIN32
#include <random>

#include "platform/cp936.h"
#endif

namespace {

std::string Hex(const std::string& bytes) {
    std::string out;
    for (unsigned char b : bytes) {
        static const char kDigits[] = "0123456789ABCDEF";
        out += kDigits[b >> 4];
        out += kDigits[b & 15];
        out += ' ';
    }
    return out;
}

std::string Hex(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) {
        out += Hex(std::string{static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)});
    }
    return out;
}

TEST(CodePage936, DecodesAsWindows) {
    const struct {
        std::string bytes;
        std::u16string text;  // DecodeCodePage's result
        bool strict;          // whether DecodeCodePageStrict accepts the bytes
    } cases[] = {
        {"\x80", u"\u20AC", true},
        {"\xFF", u"\uF8F5", false},
        {"\x81\x40", u"\u4E02", true},
        {"\x81\x81@", u"\u4E96@", true},  // a lead byte as second byte
        {"\xA1\xA4", u"\u00B7", true},
        {"\xA2\xA1", u"\u2170", true},
        // The user-defined areas and the unassigned places of GB2312 and its extensions.
        {"\xAA\xA1", u"\uE000", true},
        {"\xA1\x40", u"\uE4C6", true},
        {"\xFE\xFE", u"\uE4C5", true},
        {"\xA2\xAB", u"\uE766", true},
        {"\xD7\xFA", u"\uE810", true},
        {"\xFE\x50", u"\uE815", true},
        // An invalid second byte: one default character for both bytes.
        {"\x81\x30\x41", u"?A", false},
        {"\x81\x7F\x41", u"?A", false},
        {"\x81\xFF\x41", u"?A", false},
        {"\x81\x30\x81\x40", u"?\u4E02", false},
        // A lead byte before NUL or at the end stands alone.
        {std::string("\x81\0\x81\x40", 4), std::u16string(u"?\0\u4E02", 3), false},
        {"a\x81", u"a?", false},
        {"\x81", u"?", false},
        {"", u"", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Hex(c.bytes));
        EXPECT_EQ(Hex(c.text), Hex(platform::DecodeCodePage(c.bytes, 936)));
        std::u16string strict;
        EXPECT_EQ(c.strict,
                  platform::DecodeCodePageStrict(c.bytes.data(), c.bytes.size(), 936, strict));
        if (c.strict) {
            EXPECT_EQ(Hex(c.text), Hex(strict));
        }
    }
}

TEST(CodePage936, EncodesAsWindows) {
    const struct {
        std::u16string text;
        std::string bytes;  // EncodeCodePage's result (best fit, else '?')
        bool exact;         // whether EncodeCodePageExact accepts the text
    } cases[] = {
        {u"\u20AC", "\x80", true},
        {u"\uF8F5", "\xFF", true},
        {u"\uE000", "\xAA\xA1", true},
        {u"\uE4C5", "\xFE\xFE", true},
        {u"\u00B7", "\xA1\xA4", true},
        {u"\u4E02", "\x81\x40", true},
        {u"?", "?", true},
        {u"", "", true},
        // Best fit: the plain conversion uses a similar character, the exact one refuses.
        {u"\u00A2", "\xA1\xE9", false},
        {u"\u00A5", "\xA3\xA4", false},
        {u"\u00B2", "2", false},
        {u"\u0080", "?", false},
        {u"a\u0E01b", "a?b", false},
        {u"\u30FB", "?", false},
        {u"\uFFFD", "?", false},
        // Each half of a surrogate pair is one default character.
        {u"a\U0001F600b", "a??b", false},
        {std::u16string{u'a', char16_t(0xDC00), u'b'}, "a?b", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Hex(c.text));
        EXPECT_EQ(Hex(c.bytes), Hex(platform::EncodeCodePage(c.text, 936)));
        std::string exact;
        EXPECT_EQ(c.exact, platform::EncodeCodePageExact(c.text, 936, exact));
        if (c.exact) {
            EXPECT_EQ(Hex(c.bytes), Hex(exact));
        }
    }
}

#ifdef _WIN32
// The table against the system's conversion (the Win32 functions of platform/codepage.h).
void ExpectSameDecoding(const std::string& bytes) {
    const std::u16string system = platform::DecodeCodePage(bytes, 936);
    ASSERT_EQ(Hex(system), Hex(platform::Cp936Decode(bytes.data(), bytes.size()))) << Hex(bytes);
    std::u16string systemStrict;
    std::u16string tableStrict;
    const bool systemOk =
        platform::DecodeCodePageStrict(bytes.data(), bytes.size(), 936, systemStrict);
    ASSERT_EQ(systemOk, platform::Cp936DecodeStrict(bytes.data(), bytes.size(), tableStrict))
        << Hex(bytes);
    if (systemOk) {
        ASSERT_EQ(Hex(systemStrict), Hex(tableStrict)) << Hex(bytes);
    }
}

void ExpectSameEncoding(const std::u16string& text) {
    ASSERT_EQ(Hex(platform::EncodeCodePage(text, 936)), Hex(platform::Cp936Encode(text)))
        << Hex(text);
    std::string systemExact;
    std::string tableExact;
    const bool systemOk = platform::EncodeCodePageExact(text, 936, systemExact);
    ASSERT_EQ(systemOk, platform::Cp936EncodeExact(text, tableExact)) << Hex(text);
    if (systemOk) {
        ASSERT_EQ(Hex(systemExact), Hex(tableExact)) << Hex(text);
    }
}

TEST(CodePage936, TableIsTheSystemsForEveryByteAndPair) {
    for (unsigned first = 0; first < 256; ++first) {
        ASSERT_NO_FATAL_FAILURE(ExpectSameDecoding(std::string(1, static_cast<char>(first))));
        for (unsigned second = 0; second < 256; ++second) {
            ASSERT_NO_FATAL_FAILURE(ExpectSameDecoding(
                std::string{static_cast<char>(first), static_cast<char>(second)}));
        }
    }
}

TEST(CodePage936, TableIsTheSystemsForEveryUnit) {
    for (unsigned unit = 0; unit <= 0xFFFF; ++unit) {
        ASSERT_NO_FATAL_FAILURE(ExpectSameEncoding(std::u16string(1, static_cast<char16_t>(unit))));
    }
}

// Mixed strings, from bytes and units where the conversions change state: lead bytes,
// invalid second bytes, NUL, the ends of the single-byte range, surrogates.
TEST(CodePage936, TableIsTheSystemsForMixedStrings) {
    std::mt19937 random(936);
    const unsigned char bytes[] = {0x00, 0x30, 0x40, 0x41, 0x7E, 0x7F, 0x80, 0x81,
                                   0xA1, 0xAA, 0xB0, 0xD7, 0xFA, 0xFE, 0xFF};
    const char16_t units[] = {0x0000, 0x0041, 0x003F, 0x0080, 0x00A2, 0x00B7, 0x20AC, 0x4E02,
                              0x554A, 0xD83D, 0xDE00, 0xDBFF, 0xDC00, 0xE000, 0xF8F5, 0xFFFD};
    for (int i = 0; i < 20000; ++i) {
        const size_t size = 1 + random() % 9;
        std::string text;
        std::u16string wide;
        for (size_t k = 0; k < size; ++k) {
            text +=
                static_cast<char>(random() % 2 ? bytes[random() % sizeof bytes] : random() % 256);
            wide += random() % 2 ? units[random() % (sizeof units / sizeof units[0])]
                                 : static_cast<char16_t>(random() % 0x10000);
        }
        ASSERT_NO_FATAL_FAILURE(ExpectSameDecoding(text));
        ASSERT_NO_FATAL_FAILURE(ExpectSameEncoding(wide));
    }
}
#endif

}  // namespace
