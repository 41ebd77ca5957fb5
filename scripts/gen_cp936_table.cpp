// Measures code page 936 as this system's MultiByteToWideChar and WideCharToMultiByte convert
// it and writes the table that platform/cp936.cpp converts with on other systems
// (platform/cp936_table.inc; cp936.cpp describes the format). Built and run under Wine by
// scripts/gen-cp936-table.sh; the only argument is the file to write.
//
// It measures every single byte, every lead byte with every second byte, and every UTF-16
// unit, with and without the strict flags (MB_ERR_INVALID_CHARS, WC_NO_BEST_FIT_CHARS), and
// stops with a message when the conversion does not have the shape that cp936.cpp assumes:
// one contiguous range of lead bytes; the same valid second bytes for every lead; a lead
// byte with an invalid second byte giving one default character for both bytes, except
// before a NUL, which stays a character of its own; a lone lead byte at the end giving the
// default character; every character decoded from one byte sequence only; and each UTF-16
// unit encoded on its own, exactly when it decodes back to itself.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr UINT kCodePage = 936;
constexpr uint32_t kNone = 0xFFFFFFFF;

[[noreturn]] void Fail(const char* what, unsigned value) {
    std::fprintf(stderr, "gen_cp936_table: %s (0x%X)\n", what, value);
    std::exit(1);
}

// bytes decoded with flags; false when the conversion fails.
bool Decode(const std::string& bytes, DWORD flags, std::u16string& text) {
    wchar_t out[8];
    const int n =
        MultiByteToWideChar(kCodePage, flags, bytes.data(), static_cast<int>(bytes.size()), out, 8);
    text.assign(out, out + (n > 0 ? n : 0));
    return n > 0;
}

std::string Encode(char16_t unit, DWORD flags, BOOL* usedDefault) {
    const wchar_t in = static_cast<wchar_t>(unit);
    char out[8];
    const int n = WideCharToMultiByte(kCodePage, flags, &in, 1, out, 8, nullptr, usedDefault);
    return std::string(out, n > 0 ? static_cast<size_t>(n) : 0);
}

std::string CodeBytes(uint32_t code) {
    return code > 0xFF ? std::string{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)}
                       : std::string(1, static_cast<char>(code));
}

uint32_t BytesCode(const std::string& bytes) {
    const auto b0 = static_cast<unsigned char>(bytes[0]);
    return bytes.size() == 1 ? b0 : (b0 << 8) | static_cast<unsigned char>(bytes[1]);
}

struct Segment {
    char kind;  // 'R' run, 'F' fill, 'L' listed
    uint32_t count;
    uint32_t first;
};

// Appends the UTF-8 form of an ideograph, or a \u escape for anything else.
void AppendListed(std::string& line, char16_t c) {
    if (c >= 0x4E00 && c <= 0x9FFF) {
        line += static_cast<char>(0xE0 | (c >> 12));
        line += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        line += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        char buf[8];
        std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
        line += buf;
    }
}

// A fill that expects the unit `expected` at position `at` but finds `found`. When the
// few units it skipped are all held by later fills (the last ideograph of a row, which
// starts the next ascending stretch), their positions go to the listed ones and true says
// to make the segments again; otherwise the fill simply ends there.
bool HandOver(uint32_t expected, uint32_t found, size_t at, const std::vector<bool>& used,
              const std::vector<size_t>& positionOf, std::vector<bool>& inFill) {
    constexpr uint32_t kMaxSkipped = 16;
    if (found < expected || found - expected > kMaxSkipped) {
        return false;
    }
    std::vector<size_t> later;
    for (uint32_t v = expected; v < found; ++v) {
        if (used[v]) {
            continue;
        }
        if (positionOf[v] <= at || positionOf[v] >= inFill.size() || !inFill[positionOf[v]]) {
            return false;
        }
        later.push_back(positionOf[v]);
    }
    for (size_t p : later) {
        inFill[p] = false;
    }
    return !later.empty();
}

std::string SystemName() {
    using WineVersion = const char*(__cdecl*)();
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const auto wine = ntdll ? reinterpret_cast<WineVersion>(reinterpret_cast<void*>(
                                  GetProcAddress(ntdll, "wine_get_version")))
                            : nullptr;
    return wine ? std::string("Wine ") + wine() : std::string("Windows");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_cp936_table OUTPUT\n");
        return 2;
    }
    CPINFOEXW info;
    if (!GetCPInfoExW(kCodePage, 0, &info) || info.MaxCharSize != 2 || info.DefaultChar[0] != '?' ||
        info.DefaultChar[1] != 0) {
        Fail("unexpected code page information", 0);
    }
    const char16_t defaultUnit = static_cast<char16_t>(info.UnicodeDefaultChar);
    const unsigned leadFirst = info.LeadByte[0];
    const unsigned leadLast = info.LeadByte[1];
    if (leadFirst == 0 || info.LeadByte[2] != 0) {
        Fail("lead bytes are not one range", leadFirst);
    }

    // Single bytes. A lead byte on its own (at the end of the input) gives the default.
    char16_t single[256];
    std::vector<unsigned> singleRejected;
    std::vector<uint32_t> codeOf(0x10000, kNone);  // the byte sequence decoding to a unit
    for (unsigned b = 0; b < 256; ++b) {
        const bool lead = b >= leadFirst && b <= leadLast;
        if (lead != (IsDBCSLeadByteEx(kCodePage, static_cast<BYTE>(b)) != FALSE)) {
            Fail("lead byte range disagrees with IsDBCSLeadByteEx", b);
        }
        std::u16string text;
        const std::string in(1, static_cast<char>(b));
        if (!Decode(in, 0, text) || text.size() != 1) {
            Fail("a single byte does not give one unit", b);
        }
        single[b] = text[0];
        const bool strict = Decode(in, MB_ERR_INVALID_CHARS, text);
        if (lead) {
            if (single[b] != defaultUnit || strict) {
                Fail("a lone lead byte is not the rejected default character", b);
            }
            continue;
        }
        if (!strict) {
            singleRejected.push_back(b);
        }
        if (codeOf[single[b]] != kNone) {
            Fail("two byte sequences decode to one unit", single[b]);
        }
        codeOf[single[b]] = b;
    }

    // Byte pairs: the valid second bytes, and what each valid pair decodes to.
    std::vector<bool> trail(256);
    std::vector<char16_t> vals;  // leads in order, each with its valid second bytes in order
    for (unsigned lead = leadFirst; lead <= leadLast; ++lead) {
        for (unsigned t = 0; t < 256; ++t) {
            const std::string in{static_cast<char>(lead), static_cast<char>(t)};
            std::u16string text;
            if (!Decode(in, 0, text)) {
                Fail("a byte pair does not convert", (lead << 8) | t);
            }
            const bool strict = Decode(in, MB_ERR_INVALID_CHARS, text) && text.size() == 1;
            Decode(in, 0, text);
            if (t == 0) {
                if (strict || text != std::u16string{defaultUnit, single[0]}) {
                    Fail("a lead byte before NUL is not the default and a NUL", lead);
                }
                continue;
            }
            if (lead == leadFirst) {
                trail[t] = strict;
            } else if (trail[t] != strict) {
                Fail("the valid second bytes differ between lead bytes", (lead << 8) | t);
            }
            if (!strict) {
                if (text != std::u16string(1, defaultUnit)) {
                    Fail("an invalid pair is not one default character", (lead << 8) | t);
                }
                continue;
            }
            if (text.size() != 1) {
                Fail("a valid pair does not give one unit", (lead << 8) | t);
            }
            if (codeOf[text[0]] != kNone) {
                Fail("two byte sequences decode to one unit", text[0]);
            }
            codeOf[text[0]] = (lead << 8) | t;
            vals.push_back(text[0]);
        }
    }

    // Every unit on its own: the decoded ones back to their bytes, exactly; the others to
    // a best-fit sequence or the default byte, never exactly.
    std::vector<std::pair<unsigned, uint32_t>> bestFit;
    for (unsigned u = 0; u < 0x10000; ++u) {
        BOOL usedDefault = FALSE;
        const std::string plain = Encode(static_cast<char16_t>(u), 0, nullptr);
        const std::string exact =
            Encode(static_cast<char16_t>(u), WC_NO_BEST_FIT_CHARS, &usedDefault);
        if (codeOf[u] != kNone) {
            if (plain != CodeBytes(codeOf[u]) || exact != plain || usedDefault) {
                Fail("a decoded unit does not encode back to its bytes", u);
            }
            continue;
        }
        if (exact != "?" || !usedDefault || plain.empty() || plain.size() > 2) {
            Fail("an unmapped unit is not rejected by WC_NO_BEST_FIT_CHARS", u);
        }
        if (plain == "?") {
            continue;
        }
        const uint32_t code = BytesCode(plain);
        const bool valid = plain.size() == 1 ? !(code >= leadFirst && code <= leadLast)
                                             : (code >> 8) >= leadFirst &&
                                                   (code >> 8) <= leadLast && trail[code & 0xFF];
        if (!valid) {
            Fail("a best-fit sequence is not a valid character", u);
        }
        bestFit.emplace_back(u, code);
    }

    // The pairs as segments. Long stretches of ascending units become fills: the units the
    // rest of the table leaves out, in order (how the GBK extensions were laid out). Other
    // consecutive units become runs; the rest is listed.
    constexpr size_t kMinFill = 64;
    constexpr size_t kMinRun = 8;
    const size_t n = vals.size();
    std::vector<bool> inFill(n);
    for (size_t i = 0; i < n;) {
        size_t j = i + 1;
        while (j < n && vals[j] > vals[j - 1]) {
            ++j;
        }
        if (j - i >= kMinFill) {
            for (size_t k = i; k < j; ++k) {
                inFill[k] = true;
            }
        }
        i = j;
    }
    // What the fills skip: the single bytes' units and everything outside the fills.
    std::vector<size_t> positionOf(0x10000, n);
    for (size_t i = 0; i < n; ++i) {
        positionOf[vals[i]] = i;
    }
    std::vector<Segment> segments;
    std::u16string listed;
    for (bool again = true; again;) {
        again = false;
        std::vector<bool> used(0x10000);
        for (unsigned b = 0; b < 256; ++b) {
            if (!(b >= leadFirst && b <= leadLast)) {
                used[single[b]] = true;
            }
        }
        for (size_t i = 0; i < n; ++i) {
            if (!inFill[i]) {
                used[vals[i]] = true;
            }
        }
        segments.clear();
        listed.clear();
        for (size_t i = 0; i < n && !again;) {
            size_t j = i;
            if (inFill[i]) {
                uint32_t v = vals[i];
                while (j < n && inFill[j]) {
                    while (v < 0x10000 && used[v]) {
                        ++v;
                    }
                    if (v != vals[j]) {
                        again = HandOver(v, vals[j], j, used, positionOf, inFill);
                        break;
                    }
                    used[v++] = true;
                    ++j;
                }
                segments.push_back({'F', static_cast<uint32_t>(j - i), vals[i]});
            } else {
                ++j;
                while (j < n && !inFill[j] && vals[j] == vals[j - 1] + 1) {
                    ++j;
                }
                if (j - i >= kMinRun) {
                    segments.push_back({'R', static_cast<uint32_t>(j - i), vals[i]});
                } else {
                    if (segments.empty() || segments.back().kind != 'L') {
                        segments.push_back({'L', 0, 0});
                    }
                    segments.back().count += static_cast<uint32_t>(j - i);
                    listed.append(vals.begin() + static_cast<std::ptrdiff_t>(i),
                                  vals.begin() + static_cast<std::ptrdiff_t>(j));
                }
            }
            i = j;
        }
    }

    FILE* out = std::fopen(argv[1], "wb");
    if (!out) {
        Fail("cannot write the output", 0);
    }
    const std::string system = SystemName();
    std::fprintf(out,
                 "// Code page 936 as MultiByteToWideChar and WideCharToMultiByte convert it, "
                 "measured\n"
                 "// under %s by scripts/gen-cp936-table.sh (scripts/gen_cp936_table.cpp). "
                 "Generated:\n"
                 "// do not edit. platform/cp936.cpp describes the format.\n\n",
                 system.c_str());
    std::fprintf(out, "constexpr unsigned kLeadFirst = 0x%02X;\n", leadFirst);
    std::fprintf(out, "constexpr unsigned kLeadLast = 0x%02X;\n", leadLast);
    std::fprintf(out, "constexpr char16_t kDefaultUnit = 0x%04X;\n",
                 static_cast<unsigned>(defaultUnit));
    std::fprintf(out, "constexpr char kDefaultByte = '?';\n\n");

    std::fprintf(out, "constexpr TrailRange kTrails[] = {");
    const char* sep = "";
    for (unsigned t = 1; t < 256; ++t) {
        if (trail[t] && !trail[t - 1]) {
            unsigned last = t;
            while (last + 1 < 256 && trail[last + 1]) {
                ++last;
            }
            std::fprintf(out, "%s{0x%02X, 0x%02X}", sep, t, last);
            sep = ", ";
        }
    }
    std::fprintf(out, "};\n\n");

    std::fprintf(out, "constexpr char16_t kSingle[256] = {\n");
    for (unsigned b = 0; b < 256; ++b) {
        std::fprintf(out, "%s0x%04X,%s", b % 10 == 0 ? "    " : " ",
                     static_cast<unsigned>(single[b]), b % 10 == 9 || b == 255 ? "\n" : "");
    }
    std::fprintf(out, "};\n\n");

    std::fprintf(out, "constexpr unsigned char kSingleRejected[] = {");
    sep = "";
    for (unsigned b : singleRejected) {
        std::fprintf(out, "%s0x%02X", sep, b);
        sep = ", ";
    }
    std::fprintf(out, "};\n\n");

    std::fprintf(out, "constexpr Segment kSegments[] = {\n");
    std::string line;
    for (const Segment& s : segments) {
        char item[40];
        std::snprintf(item, sizeof item, "{'%c', %u, 0x%04X},", s.kind, s.count, s.first);
        if (line.size() + 1 + std::string(item).size() > 100) {
            std::fprintf(out, "%s\n", line.c_str());
            line.clear();
        }
        line += line.empty() ? "    " : " ";
        line += item;
    }
    std::fprintf(out, "%s\n};\n\n", line.c_str());

    std::fprintf(out, "constexpr char16_t kListed[] =\n");
    line.clear();
    size_t columns = 0;
    for (size_t i = 0; i < listed.size(); ++i) {
        const bool wide = listed[i] >= 0x4E00 && listed[i] <= 0x9FFF;
        if (line.empty()) {
            line = "    u\"";
            columns = 6;
        }
        AppendListed(line, listed[i]);
        columns += wide ? 2 : 6;
        if (columns > 92 || i + 1 == listed.size()) {
            std::fprintf(out, "%s\"%s\n", line.c_str(), i + 1 == listed.size() ? ";" : "");
            line.clear();
        }
    }
    std::fprintf(out, "\n");

    std::fprintf(out, "constexpr BestFit kBestFit[] = {\n");
    line.clear();
    for (const auto& [unit, code] : bestFit) {
        char item[40];
        std::snprintf(item, sizeof item, "{0x%04X, 0x%04X},", unit, code);
        if (line.size() + 1 + std::string(item).size() > 100) {
            std::fprintf(out, "%s\n", line.c_str());
            line.clear();
        }
        line += line.empty() ? "    " : " ";
        line += item;
    }
    std::fprintf(out, "%s\n};\n", line.c_str());
    if (std::fclose(out) != 0) {
        Fail("cannot write the output", 0);
    }
    std::fprintf(stderr, "%zu pairs in %zu segments, %zu listed, %zu best-fit units\n", n,
                 segments.size(), listed.size(), bestFit.size());
    return 0;
}
