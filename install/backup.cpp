#include "install/backup.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "install/install_layout.h"
#include "platform/file_ops.h"
#include "platform/file_read.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/sha256.h"
#include "platform/stop_point.h"
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

namespace {

// An install folder that has no parent to put a folder beside: a drive ("C:"), a share
// ("\\server\share") or the file system's root.
bool IsRootFolder(const std::u16string& folder) {
    if (folder.empty() || folder == u"/" || folder == u"\\") {
        return true;
    }
    if (folder.size() >= 2 && folder.size() <= 3 && folder[1] == u':') {
        return true;  // "C:" or "C:\"
    }
    if (folder.compare(0, 2, u"\\\\") == 0) {
        const size_t server = folder.find(u'\\', 2);
        return server == std::u16string::npos ||
               folder.find(u'\\', server + 1) == std::u16string::npos;
    }
    return false;
}

constexpr char16_t kBesideSuffix[] = u".VedArodBackup";
constexpr char16_t kTempMark[] = u".~tmp";
constexpr char16_t kAsideMark[] = u".~bak";
constexpr char16_t kRenameMark[] = u".~ren";

}  // namespace

InstallBackup::InstallBackup(std::u16string installFolder) : install_(std::move(installFolder)) {}

std::u16string InstallBackup::Folder() const {
    return IsRootFolder(install_) ? FolderInside() : install_ + kBesideSuffix;
}

std::u16string InstallBackup::FolderInside() const {
    return Join(install_, kBackupFolder);
}

std::u16string InstallBackup::ReadFolder() const {
    const std::u16string beside = Folder();
    if (beside != FolderInside() && !platform::PathExists(beside) &&
        platform::IsDirectory(FolderInside())) {
        return FolderInside();
    }
    return beside;
}

std::u16string InstallBackup::ManifestPath() const {
    return Join(Folder(), kManifestName);
}

namespace {

// The manifest of folder as the disk holds it: manifest.txt, or, when a killed replace left
// it missing, the complete file that was to replace it (".~tmp...") or the former one moved
// aside (".~bak...").
platform::ReadResult ReadManifestText(const std::u16string& folder, std::string& text,
                                      std::u16string* foundAt = nullptr) {
    const std::u16string main = Join(folder, InstallBackup::kManifestName);
    const platform::ReadResult read = platform::ReadWholeFile(main, text);
    if (read != platform::ReadResult::kMissing) {
        return read;
    }
    const std::u16string stem = std::u16string(InstallBackup::kManifestName);
    for (const char16_t* mark : {kTempMark, kAsideMark}) {
        for (const std::u16string& name : platform::ListFiles(folder)) {
            if (name.compare(0, stem.size() + 5, stem + mark) != 0) {
                continue;
            }
            BackupManifest parsed;
            std::string candidate;
            if (platform::ReadWholeFile(Join(folder, name), candidate) ==
                    platform::ReadResult::kOk &&
                BackupManifest::Parse(candidate, parsed)) {
                text = std::move(candidate);
                if (foundAt != nullptr) {
                    *foundAt = Join(folder, name);
                }
                return platform::ReadResult::kOk;
            }
        }
    }
    return platform::ReadResult::kMissing;
}

}  // namespace

InstallBackup::State InstallBackup::Read(BackupManifest& manifest) const {
    manifest.records.clear();
    const std::u16string folder = ReadFolder();
    if (platform::IsLink(folder)) {
        return State::kDamaged;
    }
    std::string text;
    switch (ReadManifestText(folder, text)) {
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
                       [&](const BackupRecord& r) { return SamePath(r.copy, copy); });
}

// A copy name in folder that no entry of manifest uses and no file has (a file of that name
// may be one that a restore left as damaged). Past the highest number a copy name may have
// (a manifest edited elsewhere), from 1 again.
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

// The size of the file at path, or false.
bool FileSize(const std::u16string& path, uint64_t& size) {
    bool opened = false;
    platform::ReadFileInPieces(
        path,
        [&](uint64_t n) {
            size = n;
            opened = true;
            return false;
        },
        [](const char*, size_t) { return false; });
    return opened;
}

// Removes the copy at copyPath of the file at target. A copy that is a second name of a file
// made read-only meanwhile cannot be removed as it is: the attribute is lifted for the
// removal and put back on the file, which target still names.
void RemoveCopy(const std::u16string& copyPath, const std::u16string& target) {
    if (platform::RemoveFile(copyPath) || !platform::IsReadOnly(copyPath)) {
        return;
    }
    const bool shared = platform::SameFile(copyPath, target);
    platform::SetReadOnly(copyPath, false);
    platform::RemoveFile(copyPath);
    if (shared) {
        platform::SetReadOnly(target, true);
    }
}

}  // namespace

DigestAhead::~DigestAhead() {
    cancelled_ = true;
    Wait();
}

void DigestAhead::Wait() {
    if (worker_.joinable()) {
        worker_.join();
    }
}

const DigestAhead::Digest* DigestAhead::Of(const std::u16string& path) {
    std::unique_lock<std::mutex> lock(mutex_);
    for (const Digest& d : digests_) {
        if (d.path == path) {
            taken_.wait(lock, [&] { return d.done; });
            return &d;
        }
    }
    return nullptr;
}

std::unique_ptr<DigestAhead> InstallBackup::DigestOriginalsAhead(
    const std::vector<std::u16string>& relativePaths) {
    BackupManifest manifest;
    if (Read(manifest) == State::kDamaged) {
        return nullptr;
    }
    std::unique_ptr<DigestAhead> ahead(new DigestAhead);
    for (const std::u16string& path : relativePaths) {
        const std::u16string original = Join(install_, path);
        if (IsInstallRelativePath(path) && manifest.Find(path) == nullptr &&
            platform::IsRegularFile(original)) {
            DigestAhead::Digest d;
            d.path = path;
            d.file = original;
            ahead->digests_.push_back(std::move(d));
        }
    }
    if (ahead->digests_.empty()) {
        return nullptr;
    }
    DigestAhead& a = *ahead;
    a.worker_ = std::thread([&a] {
        for (DigestAhead::Digest& d : a.digests_) {
            uint64_t size = 0;
            std::string sha256 =
                a.cancelled_ ? std::string() : platform::Sha256OfFile(d.file, size);
            {
                std::lock_guard<std::mutex> lock(a.mutex_);
                d.size = size;
                d.sha256 = std::move(sha256);
                d.done = true;
            }
            a.taken_.notify_all();
        }
    });
    return ahead;
}

bool InstallBackup::WriteManifest(const BackupManifest& manifest, std::u16string& reason) const {
    if (manifest.records.empty()) {
        int error = 0;
        if (!platform::RemoveFile(ManifestPath(), &error)) {
            reason = u"无法更新备份清单：" + ManifestPath() + ErrorNote(error);
            return false;
        }
        platform::RemoveEmptyFolder(Folder());
        return true;
    }
    const platform::WriteResult list =
        platform::WriteFileSafely(ManifestPath(), manifest.Format(), Folder());
    if (!list.Written()) {
        reason = u"无法写入备份清单：" + ManifestPath() + WriteNote(list);
        return false;
    }
    return true;
}

bool InstallBackup::Keep(const std::u16string& relativePath, std::u16string& reason,
                         DigestAhead* ahead, KeepHow how, bool* added) {
    if (added != nullptr) {
        *added = false;
    }
    if (!IsInstallRelativePath(relativePath)) {
        reason = u"文件不在安装文件夹内：" + relativePath;
        return false;
    }
    if (ReadFolder() != Folder()) {
        reason = u"旧版本的备份文件夹尚未移到安装文件夹旁：" + FolderInside();
        return false;
    }
    if (platform::IsLink(Folder())) {
        reason = u"备份文件夹是链接，已拒绝使用：" + Folder();
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
    int error = 0;
    const bool folderExisted = platform::IsDirectory(Folder());
    if (!platform::CreateFolder(Folder(), &error)) {
        reason = u"无法创建备份文件夹：" + Folder() + ErrorNote(error);
        return false;
    }
    platform::SetHidden(Folder());
    const auto giveUp = [&] {
        if (!folderExisted) {
            platform::RemoveEmptyFolder(Folder());
        }
        return false;
    };

    BackupRecord record;
    record.path = relativePath;
    record.existed = platform::PathExists(original);
    record.time = UtcNow();
    if (record.existed) {
        record.copy = FreeCopyName(manifest, Folder());
        const std::u16string copyPath = Join(Folder(), record.copy);
        // A read-only file is never replaced, and a second name of it could not be removed
        // as easily as a copy: it is copied.
        // So is a file that another program holds so that it cannot be replaced now: its
        // replace is about to fail, and a second name of a held file could not be removed.
        const bool linked = how == KeepHow::kLink && !platform::IsReadOnly(original) &&
                            platform::MayReplaceNow(original) &&
                            platform::LinkFile(original, copyPath);
        platform::StopPoint("keep.after-link");
        if (linked) {
            uint64_t size = 0;
            const DigestAhead::Digest* digest =
                ahead != nullptr ? ahead->Of(relativePath) : nullptr;
            if (digest != nullptr && !digest->sha256.empty() && FileSize(copyPath, size) &&
                size == digest->size) {
                record.size = digest->size;
                record.sha256 = digest->sha256;
            } else {
                record.sha256 = platform::Sha256OfFile(copyPath, record.size);
            }
        } else {
            // The digest is taken from the bytes on their way into the copy, so that a large
            // executable is never held in memory whole.
            const platform::WriteResult copy =
                CopyWithDigest(original, copyPath, Folder(), record.size, record.sha256);
            if (!copy.Written()) {
                // Whose fault: the original that cannot be opened, or the copy.
                uint64_t size = 0;
                reason = FileSize(original, size)
                             ? u"无法写入备份副本：" + copyPath + WriteNote(copy)
                             : u"无法读取原文件：" + original + WriteNote(copy);
                return giveUp();
            }
        }
        if (record.sha256.empty()) {
            reason = u"无法计算原文件的 SHA-256：" + original;
            platform::RemoveFile(copyPath);
            return giveUp();
        }
    }
    manifest.records.push_back(record);
    if (!WriteManifest(manifest, reason)) {
        if (record.existed) {
            platform::RemoveFile(Join(Folder(), record.copy));
        }
        return giveUp();
    }
    platform::StopPoint("keep.after-manifest");
    if (added != nullptr) {
        *added = true;
    }
    return true;
}

void InstallBackup::TakeBack(const std::u16string& relativePath) {
    BackupManifest manifest;
    if (ReadFolder() != Folder() || Read(manifest) != State::kPresent) {
        return;
    }
    const BackupRecord* record = manifest.Find(relativePath);
    if (record == nullptr) {
        return;
    }
    const std::u16string target = Join(install_, record->path);
    const std::u16string copyPath = record->existed ? Join(Folder(), record->copy) : u"";
    bool unchanged = !platform::PathExists(target);
    if (record->existed) {
        // The same bytes under the same name, letter case included (a rename may have changed
        // only that).
        const size_t slash = target.find_last_of(u"\\/");
        const std::vector<std::u16string> names = platform::ListFiles(target.substr(0, slash));
        const bool sameName =
            std::find(names.begin(), names.end(), target.substr(slash + 1)) != names.end();
        uint64_t size = 0;
        unchanged = sameName && (platform::SameFile(target, copyPath) ||
                                 (platform::IsRegularFile(target) && FileSize(target, size) &&
                                  size == record->size &&
                                  platform::Sha256OfFile(target, size) == record->sha256));
    }
    if (!unchanged) {
        return;
    }
    BackupManifest rest;
    for (const BackupRecord& r : manifest.records) {
        if (&r != record) {
            rest.records.push_back(r);
        }
    }
    std::u16string reason;
    // The manifest stops listing the copy before the copy goes.
    if (WriteManifest(rest, reason) && !copyPath.empty()) {
        RemoveCopy(copyPath, target);
        if (rest.records.empty()) {
            platform::RemoveEmptyFolder(Folder());
        }
    }
}

namespace {

// The tool's own leftovers in folder, in three passes so that the outcome does not depend
// on the order of the listing: a name moved aside by an interrupted rename (".~ren"), then
// by an interrupted replace (".~bak..."), goes back when its own name is free; then the
// staging files (".~tmp...") and the spare files moved aside go.
void TidyFolder(const std::u16string& folder, std::vector<std::u16string>& lines) {
    const std::vector<std::u16string> names = platform::ListFiles(folder);
    for (const char16_t* mark : {kRenameMark, kAsideMark, kTempMark}) {
        const std::u16string m(mark);
        for (const std::u16string& name : names) {
            const size_t at = name.rfind(m);
            if (at == std::u16string::npos || at == 0 ||
                (mark == kRenameMark && at + m.size() != name.size())) {
                continue;
            }
            const std::u16string path = Join(folder, name);
            const std::u16string base = Join(folder, name.substr(0, at));
            if (!platform::PathExists(path)) {
                continue;
            }
            if (mark != kTempMark && !platform::PathExists(base)) {
                if (platform::MoveNoReplace(path, base)) {
                    lines.push_back(u"已放回被中断的替换移开的文件：" + base);
                }
            } else if (mark != kRenameMark && platform::RemoveFile(path)) {
                lines.push_back(u"已删除中断的运行留下的文件：" + path);
            }
        }
    }
}

}  // namespace

std::vector<std::u16string> InstallBackup::Tidy() {
    std::vector<std::u16string> lines;
    const std::u16string folder = Folder();
    if (folder != FolderInside() && platform::IsDirectory(FolderInside()) &&
        !platform::IsLink(FolderInside())) {
        if (platform::PathExists(folder)) {
            lines.push_back(u"安装文件夹内另有旧版本的备份文件夹，未移动：" + FolderInside());
        } else if (platform::MoveNoReplace(FolderInside(), folder)) {
            platform::SetHidden(folder);
            lines.push_back(u"备份文件夹已移到安装文件夹旁：" + folder);
        } else {
            lines.push_back(u"旧版本的备份文件夹无法移到安装文件夹旁：" + FolderInside());
        }
    }
    for (const char16_t* sub : {u"", kResFolder, kConfigFolder, kLangFolder}) {
        TidyFolder(*sub == u'\0' ? install_ : Join(install_, sub), lines);
    }
    if (!platform::IsDirectory(folder) || platform::IsLink(folder)) {
        return lines;
    }
    // The manifest first, from where a killed replace left it; then what it does not list.
    std::u16string foundAt;
    std::string text;
    if (!platform::PathExists(ManifestPath()) &&
        ReadManifestText(folder, text, &foundAt) == platform::ReadResult::kOk &&
        platform::MoveNoReplace(foundAt, ManifestPath())) {
        lines.push_back(u"已放回被中断的替换移开的备份清单：" + ManifestPath());
    }
    TidyFolder(folder, lines);
    BackupManifest manifest;
    if (Read(manifest) == State::kDamaged) {
        return lines;
    }
    for (const std::u16string& name : platform::ListFiles(folder)) {
        if (CopyNumber(name) != 0 && !UsesCopy(manifest, name) &&
            platform::RemoveFile(Join(folder, name))) {
            lines.push_back(u"已删除备份中未列出的副本：" + Join(folder, name));
        }
    }
    if (manifest.records.empty()) {
        platform::RemoveFile(ManifestPath());
        platform::RemoveEmptyFolder(folder);
    }
    return lines;
}

namespace {

// Renames the file that path names without regard to letter case so that its name is spelled
// as in path (through an intermediate name, as a rename of the letter case needs on some file
// systems; a kill between the two moves leaves the ".~ren" name that Tidy puts back).
void GiveBackNameCase(const std::u16string& path) {
    const size_t slash = path.find_last_of(u"\\/");
    const std::u16string folder = path.substr(0, slash);
    const std::u16string name = path.substr(slash + 1);
    const std::vector<std::u16string> names = platform::ListFiles(folder);
    if (std::find(names.begin(), names.end(), name) != names.end()) {
        return;
    }
    for (const std::u16string& other : names) {
        if (SamePath(other, name)) {
            const std::u16string between = path + kRenameMark;
            if (platform::MoveNoReplace(Join(folder, other), between) &&
                !platform::MoveNoReplace(between, path)) {
                platform::MoveNoReplace(between, Join(folder, other));
            }
            return;
        }
    }
}

}  // namespace

bool InstallBackup::RestoreOne(const BackupRecord& record, std::u16string& reason) const {
    const std::u16string target = Join(install_, record.path);
    std::u16string resolved;
    if (!platform::ResolvesInside(target, install_, resolved)) {
        reason = u"路径经链接指向安装文件夹之外，已拒绝：" + resolved;
        return false;
    }
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
    // Written even when the file holds its original already. A rename that changed only the
    // letter case is undone first: a write over the file keeps the name it has.
    GiveBackNameCase(target);
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
    platform::StopPoint("restore.after-write");
    // Read back in pieces against the bytes checked above, without a second copy in memory.
    if (!platform::FileHolds(target, bytes.data(), bytes.size())) {
        reason = u"写入后的文件与原文件的 SHA-256 不符";
        return false;
    }
    return true;
}

std::vector<InstallBackup::Failure> InstallBackup::Restore() {
    if (platform::IsLink(ReadFolder())) {
        return {{u"", u"备份文件夹是链接，已拒绝：" + ReadFolder()}};
    }
    BackupManifest manifest;
    switch (Read(manifest)) {
        case State::kNone:
            return {};
        case State::kDamaged:
            return {{u"", u"备份清单无法读取：" + ManifestPath()}};
        case State::kPresent:
            break;
    }
    if (ReadFolder() != Folder()) {
        return {{u"", u"旧版本的备份文件夹尚未移到安装文件夹旁：" + FolderInside()}};
    }
    std::vector<Failure> failures;
    BackupManifest remaining;
    std::vector<const BackupRecord*> restored;
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
                    restored.push_back(&record);
                }
                continue;
            }
            failures.push_back({record.path, reason});
            remaining.records.push_back(record);
        }
    }

    // The manifest lists the remaining entries before their neighbours' copies go.
    std::u16string reason;
    const bool updated = remaining.records.empty() ? platform::RemoveFile(ManifestPath())
                                                   : WriteManifest(remaining, reason);
    if (!updated) {
        failures.push_back({u"", reason.empty() ? u"无法更新备份清单：" + ManifestPath() : reason});
        return failures;
    }
    platform::StopPoint("restore.after-manifest");
    for (const BackupRecord* record : restored) {
        RemoveCopy(Join(Folder(), record->copy), Join(install_, record->path));
    }
    if (remaining.records.empty() && !platform::RemoveEmptyFolder(Folder())) {
        failures.push_back({u"", u"备份文件夹中有其他文件，未删除：" + Folder()});
    }
    return failures;
}

}  // namespace install
