// The manifest of the backup of originals (install/backup.h), and the names of its copies.
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
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
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

// The number n of a copy name "<n>.orig", or 0 when name is not one; and the name of n.
uint64_t CopyNumber(std::u16string_view name);
std::u16string CopyName(uint64_t n);

// True when path goes down into the install folder only: plain file names separated by "\".
bool IsInstallRelativePath(std::u16string_view path);

}  // namespace install
