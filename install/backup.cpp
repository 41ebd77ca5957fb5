#include "install/backup.h"

#include "install/backup_disk.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <system_error>

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

using namespace backup_disk;

namespace {

std::string UtcNow() {
    const std::time_t now = std::time(nullptr);
    const std::tm* utc = std::gmtime(&now);
    char text[32] = {};
    if (utc == nullptr || std::strftime(text, sizeof(text), "%Y-%m-%dT%H:%M:%SZ", utc) == 0) {
        return "1970-01-01T00:00:00Z";
    }
    return text;
}

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

namespace backup_disk {

platform::ReadResult ReadManifestText(const std::u16string& folder, std::string& text,
                                      std::u16string* foundAt) {
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

bool UsesCopy(const BackupManifest& manifest, const std::u16string& copy) {
    return std::any_of(manifest.records.begin(), manifest.records.end(),
                       [&](const BackupRecord& r) { return SamePath(r.copy, copy); });
}

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

}  // namespace backup_disk

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

// A copy name in folder that no entry of manifest uses and no file has (a file of that name
// may be one that a restore left as damaged). Past the highest number a copy name may have
// (a manifest edited elsewhere), from 1 again.
std::u16string FreeCopyName(const BackupManifest& manifest, const std::u16string& folder) {
    for (uint64_t n = CopyNumber(manifest.NextCopyName());; ++n) {
        const std::u16string name = CopyName(n);
        if (CopyNumber(name) == 0) {
            n = 0;
        } else if (!UsesCopy(manifest, name) && !platform::PathExists(Join(folder, name))) {
            return name;
        }
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
            platform::PathExists(original)) {
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
    try {
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
    } catch (const std::system_error&) {
        return nullptr;  // no thread to be had: each keep takes its digest itself
    }
    return ahead;
}

bool InstallBackup::WriteManifest(const BackupManifest& manifest, BackupProblem& problem) const {
    using Kind = BackupProblem::Kind;
    if (manifest.records.empty()) {
        int error = 0;
        if (!platform::RemoveFile(ManifestPath(), &error)) {
            problem = {Kind::kManifestRemove, ManifestPath(), error, {}};
            return false;
        }
        platform::RemoveEmptyFolder(Folder());
        return true;
    }
    // No root for the write: every caller found the folder to be no link (Read says kDamaged
    // for one), and the replace renames over manifest.txt itself, never into a link's target.
    const platform::WriteResult list = platform::WriteFileSafely(ManifestPath(), manifest.Format());
    if (!list.Written()) {
        problem = {Kind::kManifestWrite, ManifestPath(), list.error, list};
        return false;
    }
    return true;
}

bool InstallBackup::Keep(const std::u16string& relativePath, BackupProblem& problem,
                         DigestAhead* ahead, KeepHow how, bool* added) {
    using Kind = BackupProblem::Kind;
    if (added != nullptr) {
        *added = false;
    }
    if (!IsInstallRelativePath(relativePath)) {
        problem = {Kind::kNotInInstall, relativePath, 0, {}};
        return false;
    }
    if (ReadFolder() != Folder()) {
        problem = {Kind::kOldFolderInside, FolderInside(), 0, {}};
        return false;
    }
    if (platform::IsLink(Folder())) {
        problem = {Kind::kFolderIsLink, Folder(), 0, {}};
        return false;
    }
    BackupManifest manifest;
    if (Read(manifest) == State::kDamaged) {
        problem = {Kind::kManifestUnreadable, ManifestPath(), 0, {}};
        return false;
    }
    if (manifest.Find(relativePath) != nullptr) {
        return true;
    }
    const std::u16string original = Join(install_, relativePath);
    int error = 0;
    const bool folderExisted = platform::IsDirectory(Folder());
    if (!folderExisted) {
        if (!platform::CreateFolder(Folder(), &error)) {
            problem = {Kind::kCreateFolder, Folder(), error, {}};
            return false;
        }
        platform::SetHidden(Folder());
    }
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
        // The digest taken ahead is waited for first: its reader holds the original open
        // without sharing deletion, which on Windows makes MayReplaceNow say no.
        const DigestAhead::Digest* digest = ahead != nullptr ? ahead->Of(relativePath) : nullptr;
        const bool linked = how == KeepHow::kLink && !platform::IsReadOnly(original) &&
                            platform::MayReplaceNow(original) &&
                            platform::LinkFile(original, copyPath);
        platform::StopPoint("keep.after-link");
        if (linked) {
            uint64_t size = 0;
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
                problem = FileSize(original, size)
                              ? BackupProblem{Kind::kWriteCopy, copyPath, copy.error, copy}
                              : BackupProblem{Kind::kReadOriginal, original, copy.error, copy};
                return giveUp();
            }
        }
        if (record.sha256.empty()) {
            problem = {Kind::kDigest, original, 0, {}};
            platform::RemoveFile(copyPath);
            return giveUp();
        }
    }
    manifest.records.push_back(record);
    if (!WriteManifest(manifest, problem)) {
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
    BackupProblem problem;
    // The manifest stops listing the copy before the copy goes.
    if (WriteManifest(rest, problem) && !copyPath.empty()) {
        RemoveCopy(copyPath, target);
        if (rest.records.empty()) {
            platform::RemoveEmptyFolder(Folder());
        }
    }
}

}  // namespace install
