// The originals of the files that the tool changes in an install, kept in the hidden folder
// VedArodBackup inside the install folder, and put back on request.
//
// The backup folder holds one copy per kept file, named "<n>.orig" (n = 1, 2, ...), and the
// manifest "manifest.txt": UTF-8 text, lines ended by CR LF. The first line is
//     VedArodBackup manifest 1
// and every further line is one kept file, six fields separated by a tab (a character that
// no Windows file name can hold):
//     path    the file's path relative to the install folder, as the tool spells it
//             ("ZovIDE.exe", "res\login.bmp", "Lang\lang_chs.ini")
//     state   "existed", or "absent" when the tool created the file where none was
//     size    the original's size in bytes, decimal (0 when absent)
//     sha256  64 lower-case hexadecimal digits of the original's SHA-256 ("-" when absent)
//     time    when the original was kept, UTC, "YYYY-MM-DDThh:mm:ssZ"
//     copy    the copy's file name in the backup folder ("-" when absent)
// A manifest with one line that does not fit these rules is refused as a whole. A path may
// only go down into the install folder: plain file names separated by "\".
//
// Only the first original of a path is kept: later changes of the same file (compared
// without regard to the case of A-Z) do not touch its entry. A renamed executable is two
// entries: its original name (existed) and its new name (absent).
//
// Every file of the backup is written through platform::WriteFileReplacing, the manifest
// after the copy it lists, so that an interrupted backup lists no copy that is not complete.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace install {

struct BackupRecord {
    std::u16string path;  // relative to the install folder
    bool existed = false;
    uint64_t size = 0;
    std::string sha256;  // empty when !existed
    std::string time;
    std::u16string copy;  // empty when !existed
};

struct BackupManifest {
    std::vector<BackupRecord> records;  // in the order the originals were kept

    // The entry of path (A-Z without regard to case, "/" taken as "\"), or null.
    const BackupRecord* Find(std::u16string_view path) const;
    // A copy name that no entry uses yet.
    std::u16string NextCopyName() const;
    std::string Format() const;
    // False (manifest emptied) when text is not a manifest as described above.
    static bool Parse(const std::string& text, BackupManifest& manifest);
};

// True when path goes down into the install folder only: plain file names separated by "\".
bool IsInstallRelativePath(std::u16string_view path);

class InstallBackup;

// The copy of one original, taken on a worker thread while the caller prepares its change
// of the file (the staged update of an executable), so that the copy and its digest do not
// add to the change's time. The copy goes through the safe copy to a copy name the manifest
// does not use yet, its digest taken on the way; InstallBackup::Keep lists it. A copy that
// was never listed is removed when this object goes (which waits for the worker).
class AdvanceCopy {
public:
    ~AdvanceCopy();
    AdvanceCopy(const AdvanceCopy&) = delete;
    AdvanceCopy& operator=(const AdvanceCopy&) = delete;

private:
    friend class InstallBackup;
    AdvanceCopy() = default;
    void Wait();
    // Waits, then removes the copy (or the empty file that holds its name) unless listed.
    void Discard();

    std::u16string path_;      // relative to the install folder
    std::u16string copy_;      // the copy's name in the backup folder
    std::u16string copyPath_;  // its full path
    std::u16string folder_;    // the backup folder
    bool listed_ = false;
    std::thread worker_;
    // Written by the worker, read after Wait.
    bool copied_ = false;
    uint64_t size_ = 0;
    std::string sha256_;
};

class InstallBackup {
public:
    static constexpr char16_t kManifestName[] = u"manifest.txt";

    explicit InstallBackup(std::u16string installFolder);

    // install folder + "\VedArodBackup".
    std::u16string Folder() const;

    enum class State {
        kNone,     // no manifest, or one without entries
        kPresent,  // a manifest with entries, in manifest
        kDamaged,  // a manifest that cannot be read or parsed: nothing may be kept or restored
    };
    State Read(BackupManifest& manifest) const;

    // Keeps what is now at relativePath (its bytes, or that there is no file) unless the
    // backup already holds that path. False, with the reason in Chinese, when it could not be
    // kept; the backup is then as it was and the caller must not change the file.
    bool Keep(const std::u16string& relativePath, std::u16string& reason);
    // The same, listing the copy taken ahead (when it is of relativePath and succeeded)
    // instead of copying now.
    bool Keep(const std::u16string& relativePath, std::u16string& reason, AdvanceCopy* ahead);

    // Starts copying the original of relativePath ahead of its Keep. Null when there is
    // nothing to start: the backup already holds the path, the manifest is damaged, there is
    // no such file or no backup folder; Keep then does (or refuses) all the work itself.
    std::unique_ptr<AdvanceCopy> CopyAhead(const std::u16string& relativePath);

    struct Failure {
        std::u16string path;  // relative path of the entry; empty for the backup as a whole
        std::u16string reason;
    };

    // Puts every kept original back: a file that existed gets its original bytes (written all
    // or nothing, and read back and checked against its SHA-256 first and after; a file that
    // cannot be written but holds them already counts as restored), a file that did not exist
    // is removed. Files that did not exist are removed only once every original is back.
    // Restored entries leave the backup; when none is left the backup folder is removed. The
    // failures name every entry that stays.
    std::vector<Failure> Restore();

private:
    std::u16string ManifestPath() const;
    bool RestoreOne(const BackupRecord& record, std::u16string& reason) const;

    std::u16string install_;
};

}  // namespace install
