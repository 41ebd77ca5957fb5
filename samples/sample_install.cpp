#include "samples/sample_install.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace samples {

namespace fs = std::filesystem;

namespace {

// A small deterministic generator (xorshift), so that every run writes the same folder.
class Random {
public:
    explicit Random(uint32_t variant) : state_(variant * 2654435761u + 0x9E3779B9u) {}
    uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    uint32_t Below(uint32_t n) { return Next() % n; }

private:
    uint32_t state_;
};

const char16_t* const kAreas[] = {u"MENU", u"DLG", u"TIP", u"MSG", u"CMD", u"STATUS", u"PROP"};
const char16_t* const kWords[] = {u"FILE",  u"EDIT",  u"VIEW", u"DRAW",  u"LINE",   u"CIRCLE",
                                  u"LAYER", u"BLOCK", u"TEXT", u"PRINT", u"EXPORT", u"SNAP"};
const char16_t* const kChinese[] = {
    u"文件", u"编辑", u"视图", u"绘制", u"直线",       u"圆",       u"图层",   u"块",
    u"文字", u"打印", u"导出", u"捕捉", u"请选择对象", u"无法打开", u"已保存", u"参数"};
const char16_t* const kLatin[] = {u"File",           u"Edit",        u"View",   u"Draw",
                                  u"Line",           u"Circle",      u"Layer",  u"Block",
                                  u"Text",           u"Print",       u"Export", u"Snap",
                                  u"select objects", u"cannot open", u"saved",  u"settings"};

std::u16string Number(unsigned n, int width) {
    std::u16string s;
    for (int i = 0; i < width; ++i) {
        s.insert(s.begin(), static_cast<char16_t>(u'0' + n % 10));
        n /= 10;
    }
    return s;
}

void AppendLe16(std::string& out, uint32_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void AppendLe32(std::string& out, uint32_t v) {
    AppendLe16(out, v & 0xFFFF);
    AppendLe16(out, v >> 16);
}

void AppendUtf16Le(std::string& out, const std::u16string& text) {
    for (char16_t c : text) {
        AppendLe16(out, c);
    }
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

std::string Ascii(const std::u16string& s) {
    return std::string(s.begin(), s.end());
}

}  // namespace

const std::vector<std::u16string>& DefaultLangFileNames() {
    static const std::vector<std::u16string> names = {
        u"lang_chs.ini", u"lang_cht.ini", u"lang_en.ini",  u"lang_fra.ini",
        u"lang_kor.ini", u"lang_jpn.ini", u"lang_uae.ini", u"lang_rus.ini",
        u"lang_por.ini", u"lang_tha.ini", u"lang_esp.ini", u"lang_vie.ini",
        u"lang_ger.ini", u"lang_far.ini", u"lang_tur.ini", u"lang_cz.ini"};
    return names;
}

std::vector<LangEntry> MakeLangEntries(int slot, int count) {
    std::vector<LangEntry> entries;
    entries.reserve(static_cast<size_t>(count));
    Random ids(7);  // the same IDs in every language
    Random texts(static_cast<uint32_t>(100 + slot));
    const bool chinese = slot == 0 || slot == 1;
    const auto& words = chinese ? kChinese : kLatin;
    for (int i = 0; i < count; ++i) {
        std::u16string id = u"IDS_";
        id += kAreas[ids.Below(7)];
        id += u"_";
        id += kWords[ids.Below(12)];
        id += u"_";
        id += Number(static_cast<unsigned>(i), 5);
        std::u16string text;
        const int n = 1 + static_cast<int>(texts.Below(5));
        for (int w = 0; w < n; ++w) {
            if (w > 0 && !chinese) {
                text += u" ";
            }
            text += words[texts.Below(16)];
        }
        if (texts.Below(8) == 0) {
            text += chinese ? u"：%s" : u": %s";
        }
        if (slot == 2 && i == 0) {
            text += u" (C:\\Program Files\\ZovIDE)";
        }
        entries.emplace_back(std::move(id), std::move(text));
    }
    return entries;
}

std::string EncodeLangFile(const std::vector<LangEntry>& entries) {
    std::string out("\xFF\xFE", 2);
    AppendUtf16Le(out, u"## language resource file\r\n[ZOVIDE]\r\n");
    for (const auto& [id, text] : entries) {
        AppendUtf16Le(out, id);
        AppendUtf16Le(out, u" = ");
        AppendUtf16Le(out, text);
        AppendUtf16Le(out, u"\r\n");
    }
    return out;
}

std::string MakeBmp(int width, int height, uint32_t variant) {
    const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    const uint32_t pixels = stride * static_cast<uint32_t>(height);
    std::string out = "BM";
    AppendLe32(out, 54 + pixels);
    AppendLe32(out, 0);
    AppendLe32(out, 54);
    AppendLe32(out, 40);
    AppendLe32(out, static_cast<uint32_t>(width));
    AppendLe32(out, static_cast<uint32_t>(height));
    AppendLe16(out, 1);
    AppendLe16(out, 24);
    AppendLe32(out, 0);
    AppendLe32(out, pixels);
    AppendLe32(out, 2835);
    AppendLe32(out, 2835);
    AppendLe32(out, 0);
    AppendLe32(out, 0);
    for (int y = 0; y < height; ++y) {
        std::string row;
        for (int x = 0; x < width; ++x) {
            row.push_back(static_cast<char>((x * 255 / (width > 1 ? width - 1 : 1)) ^ variant));
            row.push_back(static_cast<char>(y * 255 / (height > 1 ? height - 1 : 1)));
            row.push_back(static_cast<char>(variant * 37));
        }
        row.resize(stride, '\0');
        out += row;
    }
    return out;
}

namespace {

uint32_t Crc32(const std::string& bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char c : bytes) {
        crc ^= c;
        for (int k = 0; k < 8; ++k) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

void AppendBe32(std::string& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<char>((v >> shift) & 0xFF));
    }
}

void AppendChunk(std::string& out, const char* type, const std::string& data) {
    AppendBe32(out, static_cast<uint32_t>(data.size()));
    const std::string typed = std::string(type, 4) + data;
    out += typed;
    AppendBe32(out, Crc32(typed));
}

// Whether (x, y) lies on the disc of an image of size s.
bool OnDisc(uint32_t x, uint32_t y, uint32_t s) {
    const int64_t dx = static_cast<int64_t>(x) - s / 2;
    const int64_t dy = static_cast<int64_t>(y) - s / 2;
    return dx * dx + dy * dy < static_cast<int64_t>(s / 2) * (s / 2);
}

}  // namespace

std::string MakePng(int size, uint32_t variant) {
    const uint32_t s = static_cast<uint32_t>(size);
    std::string raw;  // filter byte 0, then RGBA per pixel, per row
    for (uint32_t y = 0; y < s; ++y) {
        raw.push_back('\0');
        for (uint32_t x = 0; x < s; ++x) {
            const bool disc = OnDisc(x, y, s);
            raw.push_back(static_cast<char>(disc ? 200 - variant * 30 : 255));
            raw.push_back(static_cast<char>(disc ? 80 : 255));
            raw.push_back(static_cast<char>(disc ? 40 + variant * 50 : 255));
            raw.push_back(static_cast<char>(0xFF));
        }
    }
    std::string zlib = "\x78\x01";
    for (size_t pos = 0; pos < raw.size() || pos == 0; pos += 65535) {
        const size_t n = std::min<size_t>(65535, raw.size() - pos);
        zlib.push_back(pos + n >= raw.size() ? 1 : 0);
        AppendLe16(zlib, static_cast<uint32_t>(n));
        AppendLe16(zlib, static_cast<uint32_t>(~n & 0xFFFF));
        zlib.append(raw, pos, n);
        if (raw.empty()) {
            break;
        }
    }
    uint32_t a = 1;
    uint32_t b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    AppendBe32(zlib, (b << 16) | a);
    std::string header;
    AppendBe32(header, s);
    AppendBe32(header, s);
    header += std::string("\x08\x06\x00\x00\x00", 5);  // 8 bits, RGBA, deflate, no interlace
    std::string png = "\x89PNG\r\n\x1a\n";
    AppendChunk(png, "IHDR", header);
    AppendChunk(png, "IDAT", zlib);
    AppendChunk(png, "IEND", "");
    return png;
}

std::string MakeIco(const std::vector<int>& sizes, uint32_t variant, int pngFrom) {
    std::vector<std::string> images;
    for (int size : sizes) {
        if (size >= pngFrom) {
            images.push_back(MakePng(size, variant));
            continue;
        }
        const uint32_t s = static_cast<uint32_t>(size);
        const uint32_t maskStride = ((s + 31) / 32) * 4;
        std::string img;
        AppendLe32(img, 40);
        AppendLe32(img, s);
        AppendLe32(img, s * 2);  // colour and mask together
        AppendLe16(img, 1);
        AppendLe16(img, 32);
        AppendLe32(img, 0);
        AppendLe32(img, s * s * 4 + maskStride * s);
        for (int i = 0; i < 4; ++i) {
            AppendLe32(img, 0);
        }
        for (uint32_t y = 0; y < s; ++y) {
            for (uint32_t x = 0; x < s; ++x) {
                const bool ring =
                    (x - s / 2) * (x - s / 2) + (y - s / 2) * (y - s / 2) < (s / 2) * (s / 2);
                img.push_back(static_cast<char>(ring ? 40 + variant * 50 : 255));
                img.push_back(static_cast<char>(ring ? 80 : 255));
                img.push_back(static_cast<char>(ring ? 200 - variant * 30 : 255));
                img.push_back(static_cast<char>(0xFF));
            }
        }
        img.append(maskStride * s, '\0');
        images.push_back(std::move(img));
    }
    std::string out;
    AppendLe16(out, 0);
    AppendLe16(out, 1);
    AppendLe16(out, static_cast<uint32_t>(sizes.size()));
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(sizes.size());
    for (size_t i = 0; i < sizes.size(); ++i) {
        const int size = sizes[i];
        out.push_back(static_cast<char>(size >= 256 ? 0 : size));
        out.push_back(static_cast<char>(size >= 256 ? 0 : size));
        out.push_back(0);
        out.push_back(0);
        AppendLe16(out, 1);
        AppendLe16(out, 32);
        AppendLe32(out, static_cast<uint32_t>(images[i].size()));
        AppendLe32(out, offset);
        offset += static_cast<uint32_t>(images[i].size());
    }
    for (const auto& img : images) {
        out += img;
    }
    return out;
}

void WriteSampleInstall(const fs::path& dir, const SampleOptions& options) {
    fs::create_directories(dir / "config");
    fs::create_directories(dir / "Lang");
    fs::create_directories(dir / "res");
    if (!options.executable.empty()) {
        fs::copy_file(options.executable, dir / "ZovIDE.exe", fs::copy_options::overwrite_existing);
    }
    std::string list;
    for (const auto& name : DefaultLangFileNames()) {
        list += (list.empty() ? "" : "|") + Ascii(name);
    }
    WriteFile(dir / "config" / "ZovIDE.cfg",
              "[SYSPAR]\r\nLANGFILELIST=" + list + "\r\nUNITS=mm\r\n[VIEW]\r\nGRID=1\r\n");
    WriteFile(dir / "config" / "VirUdezed.cfg",
              "[CUSTOMPAR]\r\nCOMPANY=Sample Reseller Ltd.\r\nFILEPASSWORD=\r\n"
              "PHONE=010-12345678\r\nURL=www.example.com\r\nUSINGFILEPASSWORD=0\r\n");
    const auto& names = DefaultLangFileNames();
    for (size_t slot = 0; slot < names.size(); ++slot) {
        WriteFile(
            dir / "Lang" / fs::path(names[slot]),
            EncodeLangFile(MakeLangEntries(static_cast<int>(slot), options.entriesPerLanguage)));
    }
    WriteFile(dir / "res" / "login.bmp", MakeBmp(400, 260, 1));
    WriteFile(dir / "res" / "main.bmp", MakeBmp(210, 100, 2));
    WriteFile(dir / "res" / "logo32.ico", MakeIco({32}, 0));
}

}  // namespace samples
