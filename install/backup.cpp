#include "install/backup.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "install/install_layout.h"
#include "platform/file_read.h"
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

namespace {

// Copies original to copyPath safely, taking the digest of the bytes on their way.
platform::WriteResult CopyWithDigest(const std::u16string& original, const std::u16string& copyPath,
                                     const std::u16string& root, uint64_t& size,
                                     std::string& sha256) {
    platform::Sha256 digest;
    size = 0;
    const platform::WriteResult copy =
        platform::CopyFileSafely(original, copyPath, root, [&](const char* piece, size_t n) {
            size += n;
            return digest.Add(piece, n);
        });
    sha256 = digest.FinishHex();
    return copy;
}

bool UsesCopy(const BackupManifest& manifest, const std::u16string& copy) {
    return std::any_of(manifest.records.begin(), manifest.records.end(),
                       [&](const BackupRecord& r) { return r.copy == copy; });
}

// A copy name in folder that no entry of manifest uses and no file has: a file of that name
// may be a copy taken ahead and not listed yet, or one that a restore left as damaged. Past
// the highest number a copy name may have (a manifest edited elsewhere), from 1 again.
std::u16string FreeCopyName(const BackupManifest& manifest, const std::u16string& folder) {
    for (uint64_t n = CopyNumber(manifest.NextCopyName());; ++n) {
        const std::u16string name = Decimal(n) + kCopySuffix;
        if (CopyNumber(name) == 0) {
            n = 0;
        } else if (!UsesCopy(manifest, name) && !platform::PathExists(Join(folder, name))) {
            return name;
        }
    }
}

}  // namespace

AdvanceCopy::~AdvanceCopy() {
    Discard();
}

void AdvanceCopy::Discard() {
    Wait();
    if (!listed_) {
        listed_ = true;  // nothing left to remove
        platform::RemoveFile(copyPath_);
        platform::RemoveEmptyFolder(folder_);
    }
}

void AdvanceCopy::Wait() {
    if (worker_.joinable()) {
        worker_.join();
    }
}

std::unique_ptr<AdvanceCopy> InstallBackup::CopyAhead(const std::u16string& relativePath) {
    BackupManifest manifest;
    const std::u16string original = Join(install_, relativePath);
    if (!IsInstallRelativePath(relativePath) || Read(manifest) == State::kDamaged ||
        manifest.Find(relativePath) != nullptr || !platform::PathExists(original) ||
        !platform::CreateFolder(Folder())) {
        return nullptr;
    }
    platform::SetHidden(Folder());
    std::unique_ptr<AdvanceCopy> ahead(new AdvanceCopy);
    AdvanceCopy& a = *ahead;
    a.path_ = relativePath;
    a.copy_ = FreeCopyName(manifest, Folder());
    a.copyPath_ = Join(Folder(), a.copy_);
    a.folder_ = Folder();
    // An empty file holds the name until the copy replaces it, so that no other Keep takes it.
    if (!platform::WriteFileSafely(a.copyPath_, std::string(), install_).Written()) {
        a.listed_ = true;  // nothing to remove
        platform::RemoveEmptyFolder(Folder());
        return nullptr;
    }
    a.worker_ = std::thread([&a, original, root = install_] {
        a.copied_ = CopyWithDigest(original, a.copyPath_, root, a.size_, a.sha256_).Written();
    });
    return ahead;
}

bool InstallBackup::Keep(const std::u16string& relativePath, std::u16string& reason) {
    return Keep(relativePath, reason, nullptr);
}

bool InstallBackup::Keep(const std::u16string& relativePath, std::u16string& reason,
                         AdvanceCopy* ahead) {
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
    const std::u16string original = Join(install_, relativePath);
    // A copy taken ahead that cannot be listed here (failed, or of another path) is given up
    // before the folder is made sure of: giving it up removes the folder when that leaves it
    // empty.
    if (ahead != nullptr) {
        ahead->Wait();
        if (!(ahead->copied_ && !ahead->sha256_.empty() && ahead->path_ == relativePath &&
              ahead->folder_ == Folder() && !UsesCopy(manifest, ahead->copy_))) {
            ahead->Discard();  // the copy is taken again below
            ahead = nullptr;
        }
    }
    int error = 0;
    if (!platform::CreateFolder(Folder(), &error)) {
        reason = u"无法创建备份文件夹：" + Folder() + ErrorNote(error);
        return false;
    }
    platform::SetHidden(Folder());

    BackupRecord record;
    record.path = relativePath;
    record.existed = platform::PathExists(original);
    record.time = UtcNow();
    if (ahead != nullptr) {
        record.existed = true;
        record.copy = ahead->copy_;
        record.size = ahead->size_;
        record.sha256 = ahead->sha256_;
    } else if (record.existed) {
        // The digest is taken from the bytes on their way into the copy, so that a large
        // executable is never held in memory whole.
        record.copy = FreeCopyName(manifest, Folder());
        const std::u16string copyPath = Join(Folder(), record.copy);
        const platform::WriteResult copy =
            CopyWithDigest(original, copyPath, install_, record.size, record.sha256);
        if (!copy.Written()) {
            // Whose fault: the original that cannot be opened, or the copy.
            bool opened = false;
            platform::ReadFileInPieces(
                original,
                [&](uint64_t) {
                    opened = true;
                    return false;
                },
                [](const char*, size_t) { return false; });
            reason = opened ? u"无法写入备份副本：" + copyPath + WriteNote(copy)
                            : u"无法读取原文件：" + original + WriteNote(copy);
            platform::RemoveEmptyFolder(Folder());
            return false;
        }
        if (record.sha256.empty()) {
            reason = u"无法计算原文件的 SHA-256：" + original;
            platform::RemoveFile(copyPath);
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
    if (ahead != nullptr && record.copy == ahead->copy_ && ahead->path_ == relativePath) {
        ahead->listed_ = true;
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
        // A file that still holds its original (a read-only file whose change was refused
        // after its keep) is restored all the same.
        uint64_t size = 0;
        if (platform::Sha256OfFile(target, size) == record.sha256 && size == record.size) {
            return true;
        }
        reason = u"无法写入" + WriteNote(written);
        return false;
    }
    // Read back in pieces against the bytes checked above, without a second copy in memory.
    if (!platform::FileHolds(target, bytes.data(), bytes.size())) {
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
