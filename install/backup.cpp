#include "install/backup.h"

#include <cstdio>
#include <ctime>

#include "install/install_layout.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/sha256.h"
#include "platform/unicode.h"
#include "text/file_names.h"

namespace install {

namespace {

constexpr char kHeader[] = "VedArodBackup manifest 1";
constexpr char16_t kCopySuffix[] = u".orig";

std::string UtcNow() {
    const std::time_t now = std::time(nullptr);
    const std::tm* utc = std::gmtime(&now);
    char text[32] = {};
    if (utc == nullptr || std::strftime(text, sizeof(text), "%Y-%m-%dT%H:%M:%SZ", utc) == 0) {
        return "1970-01-01T00:00:00Z";
    }
    return text;
}

std::u16string Decimal(uint64_t value) {
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + value % 10));
        value /= 10;
    } while (value != 0);
    return digits;
}

std::u16string ErrorNote(int error) {
    return error == 0 ? std::u16string()
                      : u"（系统错误 " + Decimal(static_cast<unsigned>(error)) + u"）";
}

// What keeps a failed write from being done: the system's error, or a link that leads the
// destination out of the install folder.
std::u16string WriteNote(const platform::WriteResult& result) {
    if (result.outcome == platform::WriteOutcome::kOutsideRoot) {
        return u"（经链接指向安装文件夹之外：" + result.resolved + u"）";
    }
    return ErrorNote(result.error);
}

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

InstallBackup::InstallBackup(std::u16string installFolder) : install_(std::move(installFolder)) {}

std::u16string InstallBackup::Folder() const {
    return Join(install_, kBackupFolder);
}

std::u16string InstallBackup::ManifestPath() const {
    return Join(Folder(), kManifestName);
}

InstallBackup::State InstallBackup::Read(BackupManifest& manifest) const {
    manifest.records.clear();
    std::string text;
    switch (platform::ReadWholeFile(ManifestPath(), text)) {
        case platform::ReadResult::kMissing:
            return State::kNone;
        case platform::ReadResult::kFailed:
            return State::kDamaged;
        case platform::ReadResult::kOk:
            break;
    }
    if (!BackupManifest::Parse(text, manifest)) {
        return State::kDamaged;
    }
    return manifest.records.empty() ? State::kNone : State::kPresent;
}

bool InstallBackup::Keep(const std::u16string& relativePath, std::u16string& reason) {
    if (!IsInstallRelativePath(relativePath)) {
        reason = u"文件不在安装文件夹内：" + relativePath;
        return false;
    }
    BackupManifest manifest;
    if (Read(manifest) == State::kDamaged) {
        reason = u"备份清单无法读取：" + ManifestPath();
        return false;
    }
    if (manifest.Find(relativePath) != nullptr) {
        return true;
    }
    std::string bytes;
    const platform::ReadResult read = platform::ReadWholeFile(Join(install_, relativePath), bytes);
    if (read == platform::ReadResult::kFailed) {
        reason = u"无法读取原文件：" + Join(install_, relativePath);
        return false;
    }
    int error = 0;
    if (!platform::CreateFolder(Folder(), &error)) {
        reason = u"无法创建备份文件夹：" + Folder() + ErrorNote(error);
        return false;
    }
    platform::SetHidden(Folder());

    BackupRecord record;
    record.path = relativePath;
    record.existed = read == platform::ReadResult::kOk;
    record.time = UtcNow();
    if (record.existed) {
        record.size = bytes.size();
        record.sha256 = platform::Sha256Hex(bytes);
        record.copy = manifest.NextCopyName();
        if (record.sha256.empty()) {
            reason = u"无法计算原文件的 SHA-256：" + Join(install_, relativePath);
            platform::RemoveEmptyFolder(Folder());
            return false;
        }
        const platform::WriteResult copy =
            platform::WriteFileSafely(Join(Folder(), record.copy), bytes, install_);
        if (!copy.Written()) {
            reason = u"无法写入备份副本：" + Join(Folder(), record.copy) + WriteNote(copy);
            platform::RemoveEmptyFolder(Folder());
            return false;
        }
    }
    manifest.records.push_back(record);
    const platform::WriteResult list =
        platform::WriteFileSafely(ManifestPath(), manifest.Format(), install_);
    if (!list.Written()) {
        reason = u"无法写入备份清单：" + ManifestPath() + WriteNote(list);
        if (record.existed) {
            platform::RemoveFile(Join(Folder(), record.copy));
        }
        platform::RemoveEmptyFolder(Folder());
        return false;
    }
    return true;
}

bool InstallBackup::RestoreOne(const BackupRecord& record, std::u16string& reason) const {
    const std::u16string target = Join(install_, record.path);
    int error = 0;
    if (!record.existed) {
        if (!platform::RemoveFile(target, &error)) {
            reason = u"无法删除原先不存在的文件" + ErrorNote(error);
            return false;
        }
        return true;
    }
    std::string bytes;
    if (platform::ReadWholeFile(Join(Folder(), record.copy), bytes) != platform::ReadResult::kOk) {
        reason = u"备份副本无法读取：" + record.copy;
        return false;
    }
    if (bytes.size() != record.size || platform::Sha256Hex(bytes) != record.sha256) {
        reason = u"备份副本与清单中的 SHA-256 不符：" + record.copy;
        return false;
    }
    const platform::WriteResult written = platform::WriteFileSafely(target, bytes, install_);
    if (!written.Written()) {
        reason = u"无法写入" + WriteNote(written);
        return false;
    }
    std::string back;
    if (platform::ReadWholeFile(target, back) != platform::ReadResult::kOk ||
        platform::Sha256Hex(back) != record.sha256) {
        reason = u"写入后的文件与原文件的 SHA-256 不符";
        return false;
    }
    return true;
}

std::vector<InstallBackup::Failure> InstallBackup::Restore() {
    BackupManifest manifest;
    switch (Read(manifest)) {
        case State::kNone:
            return {};
        case State::kDamaged:
            return {{u"", u"备份清单无法读取：" + ManifestPath()}};
        case State::kPresent:
            break;
    }
    std::vector<Failure> failures;
    BackupManifest remaining;
    std::vector<std::u16string> restoredCopies;
    for (bool existedPass : {true, false}) {
        const bool originalsBack = failures.empty();
        for (const BackupRecord& record : manifest.records) {
            if (record.existed != existedPass) {
                continue;
            }
            std::u16string reason;
            if (!existedPass && !originalsBack) {
                reason = u"其他原始文件尚未恢复，暂不删除";
            } else if (RestoreOne(record, reason)) {
                if (record.existed) {
                    restoredCopies.push_back(record.copy);
                }
                continue;
            }
            failures.push_back({record.path, reason});
            remaining.records.push_back(record);
        }
    }

    // The manifest lists the remaining entries before their neighbours' copies go.
    int error = 0;
    std::u16string note;
    bool updated = true;
    if (remaining.records.empty()) {
        updated = platform::RemoveFile(ManifestPath(), &error);
        note = ErrorNote(error);
    } else {
        const platform::WriteResult list =
            platform::WriteFileSafely(ManifestPath(), remaining.Format(), install_);
        updated = list.Written();
        note = WriteNote(list);
    }
    if (!updated) {
        failures.push_back({u"", u"无法更新备份清单：" + ManifestPath() + note});
        return failures;
    }
    for (const std::u16string& copy : restoredCopies) {
        platform::RemoveFile(Join(Folder(), copy));
    }
    if (remaining.records.empty() && !platform::RemoveEmptyFolder(Folder())) {
        failures.push_back({u"", u"备份文件夹中有其他文件，未删除：" + Folder()});
    }
    return failures;
}

}  // namespace install
