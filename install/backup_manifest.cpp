#include "install/backup_manifest.h"

#include <string>
#include <vector>

#include "install/install_layout.h"
#include "platform/unicode.h"
#include "text/file_names.h"

namespace install {

namespace {

constexpr char kHeader[] = "VedArodBackup manifest 1";
constexpr char16_t kCopySuffix[] = u".orig";

std::u16string Decimal(uint64_t value) {
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + value % 10));
        value /= 10;
    } while (value != 0);
    return digits;
}

bool IsSha256Hex(const std::string& s) {
    if (s.size() != 64) {
        return false;
    }
    for (char c : s) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return false;
        }
    }
    return true;
}

bool IsTime(const std::string& s) {
    static const char pattern[] = "dddd-dd-ddTdd:dd:ddZ";
    if (s.size() != sizeof(pattern) - 1) {
        return false;
    }
    for (size_t i = 0; i < s.size(); ++i) {
        const bool ok = pattern[i] == 'd' ? (s[i] >= '0' && s[i] <= '9') : s[i] == pattern[i];
        if (!ok) {
            return false;
        }
    }
    return true;
}

bool ParseSize(const std::string& s, uint64_t& value) {
    if (s.empty() || s.size() > 15 || (s.size() > 1 && s[0] == '0')) {
        return false;
    }
    value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return true;
}

// UTF-8 text that converts to UTF-16 and back unchanged (no invalid sequence).
bool Utf8Field(const std::string& field, std::u16string& text) {
    text = platform::Utf8ToUtf16(field);
    return platform::Utf16ToUtf8(text) == field;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        const size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos) {
            return parts;
        }
        start = end + 1;
    }
}

bool ParseRecord(const std::string& line, BackupRecord& record) {
    const std::vector<std::string> f = Split(line, '\t');
    if (f.size() != 6 || !Utf8Field(f[0], record.path) || !IsInstallRelativePath(record.path) ||
        !ParseSize(f[2], record.size) || !IsTime(f[4])) {
        return false;
    }
    record.time = f[4];
    if (f[1] == "absent") {
        record.existed = false;
        return record.size == 0 && f[3] == "-" && f[5] == "-";
    }
    if (f[1] != "existed" || !IsSha256Hex(f[3]) || !Utf8Field(f[5], record.copy) ||
        CopyNumber(record.copy) == 0) {
        return false;
    }
    record.existed = true;
    record.sha256 = f[3];
    return true;
}

}  // namespace

// The number n of a copy name "<n>.orig", or 0 when name is not one.
uint64_t CopyNumber(std::u16string_view name) {
    const std::u16string_view suffix(kCopySuffix);
    if (name.size() <= suffix.size() || name.size() > suffix.size() + 9 ||
        name.substr(name.size() - suffix.size()) != suffix || name[0] == u'0') {
        return 0;
    }
    uint64_t n = 0;
    for (char16_t c : name.substr(0, name.size() - suffix.size())) {
        if (c < u'0' || c > u'9') {
            return 0;
        }
        n = n * 10 + static_cast<uint64_t>(c - u'0');
    }
    return n;
}

std::u16string CopyName(uint64_t n) {
    return Decimal(n) + kCopySuffix;
}

bool IsInstallRelativePath(std::u16string_view path) {
    if (path.empty()) {
        return false;
    }
    size_t start = 0;
    while (true) {
        const size_t end = path.find(u'\\', start);
        const std::u16string_view part =
            path.substr(start, end == std::u16string_view::npos ? end : end - start);
        if (!text::IsPlainFileName(part) || (start == 0 && SamePath(part, kBackupFolder))) {
            return false;
        }
        if (end == std::u16string_view::npos) {
            return true;
        }
        start = end + 1;
    }
}

const BackupRecord* BackupManifest::Find(std::u16string_view path) const {
    for (const BackupRecord& r : records) {
        if (SamePath(r.path, path)) {
            return &r;
        }
    }
    return nullptr;
}

std::u16string BackupManifest::NextCopyName() const {
    uint64_t last = 0;
    for (const BackupRecord& r : records) {
        const uint64_t n = CopyNumber(r.copy);
        last = n > last ? n : last;
    }
    return Decimal(last + 1) + kCopySuffix;
}

std::string BackupManifest::Format() const {
    std::string text = std::string(kHeader) + "\r\n";
    for (const BackupRecord& r : records) {
        text += platform::Utf16ToUtf8(r.path);
        text += r.existed ? "\texisted\t" : "\tabsent\t";
        text += std::to_string(r.existed ? r.size : 0) + "\t";
        text += (r.existed ? r.sha256 : "-") + "\t" + r.time + "\t";
        text += (r.existed ? platform::Utf16ToUtf8(r.copy) : "-") + "\r\n";
    }
    return text;
}

bool BackupManifest::Parse(const std::string& text, BackupManifest& manifest) {
    manifest.records.clear();
    std::vector<std::string> lines = Split(text, '\n');
    if (lines.empty() || !lines.back().empty()) {
        return false;  // the last line must end with CR LF too
    }
    lines.pop_back();
    for (std::string& line : lines) {
        if (line.empty() || line.back() != '\r') {
            return false;
        }
        line.pop_back();
    }
    if (lines.empty() || lines[0] != kHeader) {
        return false;
    }
    BackupManifest parsed;
    for (size_t i = 1; i < lines.size(); ++i) {
        BackupRecord record;
        if (!ParseRecord(lines[i], record) || parsed.Find(record.path) != nullptr) {
            return false;
        }
        for (const BackupRecord& other : parsed.records) {
            if (record.existed && other.existed && SamePath(other.copy, record.copy)) {
                return false;
            }
        }
        parsed.records.push_back(std::move(record));
    }
    manifest = std::move(parsed);
    return true;
}

}  // namespace install
