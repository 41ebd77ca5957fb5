// The originals of the files that the tool changes in an install, kept in a hidden backup
// folder beside the install folder ("<install folder>.VedArodBackup"; inside it, as
// "VedArodBackup", for an install at the root of a drive or share), and put back on request.
//
// Only the first original of a path is kept: later changes of the same file (compared
// without regard to the case of A-Z) do not touch its entry. A renamed executable is two
// entries: its original name (existed) and its new name (absent).
//
// A copy is a second name (a hard link) of the original, made right before the caller
// replaces the file by one rename: the replace then leaves the copy the only name of the
// original's bytes, and nothing is copied. Where no link can be made (another volume, a file
// system without links), and for a file that is renamed rather than replaced, the copy is a
// real one. Every file of the backup is written by one rename of a complete file (the
// manifest after the copy it lists), so that no state of the disk lists a copy that is not
// complete or lets the manifest go missing.
//
// The callers hold the install's lock (install/install_lock.h) around every change.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "install/backup_manifest.h"
#include "install/backup_problem.h"

namespace install {

class InstallBackup;

// The digests of originals, taken one after another on a worker thread while the caller
// prepares its changes (the staged update of an executable; the sixteen language files of a
// save, composed and written meanwhile), so that reading the originals does not add to the
// changes' time. InstallBackup::Keep uses a digest when it is of the path kept and the file
// still has the size it had. Waits for the worker when it goes.
class DigestAhead {
public:
    ~DigestAhead();
    DigestAhead(const DigestAhead&) = delete;
    DigestAhead& operator=(const DigestAhead&) = delete;
    // Until the worker is done (an original is open while it is read, so it cannot be
    // replaced meanwhile).
    void Wait();

private:
    friend class InstallBackup;
    DigestAhead() = default;
    struct Digest {
        std::u16string path;  // relative to the install folder
        std::u16string file;  // its full path
        uint64_t size = 0;
        std::string sha256;  // empty when the original could not be read
        bool done = false;
    };
    // The digest of path once taken, or null when this object has none of it.
    const Digest* Of(const std::u16string& path);

    std::vector<Digest> digests_;
    std::atomic<bool> cancelled_{false};  // the rest is not needed: the caller is done
    std::mutex mutex_;
    std::condition_variable taken_;
    std::thread worker_;
};

class InstallBackup {
public:
    static constexpr char16_t kManifestName[] = u"manifest.txt";

    explicit InstallBackup(std::u16string installFolder);

    // The backup folder: beside the install folder, or inside it at the root of a drive.
    std::u16string Folder() const;
    // Where earlier versions kept it: inside the install folder (Folder() at a root).
    std::u16string FolderInside() const;

    enum class State {
        kNone,     // no manifest, or one without entries
        kPresent,  // a manifest with entries, in manifest
        kDamaged,  // a manifest that cannot be read or parsed, or a backup folder that is a
                   // link: nothing may be kept or restored
    };
    // The manifest of Folder(); of FolderInside() while only that one has a backup (not taken
    // over yet); under the name a killed replace left it at when manifest.txt is missing.
    State Read(BackupManifest& manifest) const;

    // How a copy is kept: a link when the caller replaces the file right after (the default),
    // a real copy when it renames it or may leave it as it is.
    enum class KeepHow { kLink, kCopy };

    // Keeps what is now at relativePath (its bytes, or that there is no file) unless the
    // backup already holds that path. False, with the problem, when it could not be kept; the
    // backup is then as it was and the caller must not change the file. added (if given) tells
    // whether a new entry was made.
    bool Keep(const std::u16string& relativePath, BackupProblem& problem,
              DigestAhead* ahead = nullptr, KeepHow how = KeepHow::kLink, bool* added = nullptr);

    // Takes back the entry of relativePath when the file is still what was kept (the change
    // the entry was made for did not happen): the entry and its copy go, and the folder when
    // nothing else is left. The disk decides, not the caller: a file that changed keeps its
    // entry.
    void TakeBack(const std::u16string& relativePath);

    // Starts the digests of the originals of relativePaths, in their order, ahead of their
    // Keeps. Null when there is nothing to start: the backup already holds every path, the
    // manifest is damaged, there is no such file; Keep then does all the work itself.
    std::unique_ptr<DigestAhead> DigestOriginalsAhead(
        const std::vector<std::u16string>& relativePaths);

    // What killed runs left, put right: a backup of an earlier version inside the install is
    // moved beside it; a file moved aside by an interrupted replace (".~bak...", ".~ren")
    // whose name is empty goes back; staging files (".~tmp...") and spare ".~bak..." files in
    // the install's folders and the backup go; copies the manifest does not list go. One
    // action per thing done. Call with the install's lock held.
    std::vector<TidyAction> Tidy();

    struct Failure {
        std::u16string path;  // relative path of the entry; empty for the backup as a whole
        BackupProblem problem;
    };

    // Puts every kept original back (refused as a whole when the backup folder is a link;
    // an entry whose path leads outside the install folder through a link is refused): a file that
    // existed gets its original bytes (written all or nothing, and read back and checked against
    // its SHA-256 first and after; a file that cannot be written but holds them already counts as
    // restored), a file that did not exist is removed. Files that did not exist are removed only
    // once every original is back. Restored entries leave the backup; when none is left the backup
    // folder is removed. The failures name every entry that stays.
    std::vector<Failure> Restore();

private:
    std::u16string ManifestPath() const;
    // The folder the manifest is read from (Folder() or, before the take-over, FolderInside()).
    std::u16string ReadFolder() const;
    bool RestoreOne(const BackupRecord& record, BackupProblem& problem) const;
    // Writes manifest (or removes it and the empty folder when it has no entries).
    bool WriteManifest(const BackupManifest& manifest, BackupProblem& problem) const;

    std::u16string install_;
};

}  // namespace install
