#include "platform/files.h"

#include <windows.h>

#include <atomic>
#include <string>

#include "platform/file_read.h"
#include "platform/stop_point.h"
#include "platform/win32/replace.h"
#include "platform/win32/wide.h"

namespace platform {

namespace {

std::u16string FromW(const wchar_t* s) {
    return std::u16string(reinterpret_cast<const char16_t*>(s));
}

bool Exists(const std::u16string& path) {
    return GetFileAttributesW(W(path)) != INVALID_FILE_ATTRIBUTES;
}

// A name beside path that no file has yet: path + marker + process id + counter.
std::u16string UniqueName(const std::u16string& path, const wchar_t* marker) {
    static std::atomic<unsigned> counter{0};  // safe writes run on more than one thread
    wchar_t suffix[48];
    wsprintfW(suffix, L"%s%lx%x", marker, GetCurrentProcessId(), ++counter);
    return path + FromW(suffix);
}

constexpr wchar_t kTempMarker[] = L".~tmp";
constexpr wchar_t kBackupMarker[] = L".~bak";

// Errors of a file that another program holds for a moment (a scanner, an indexer, a sync
// client). The replace's own failure codes are included: with a backup name they leave the
// destination as it was (or it is put back before the next try).
bool Transient(DWORD error) {
    switch (error) {
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_ACCESS_DENIED:
        case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
        case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2:
        case ERROR_UNABLE_TO_REMOVE_REPLACED:
            return true;
        default:
            return false;
    }
}

// Pauses between the tries of one operation, about 1.5 s in all.
constexpr DWORD kPauses[] = {5, 10, 20, 40, 60, 100, 150, 200, 250, 300, 350};

template <typename Step>
bool WithRetries(Step step) {
    for (DWORD pause : kPauses) {
        if (step()) {
            return true;
        }
        if (!Transient(GetLastError())) {
            return false;
        }
        Sleep(pause);
    }
    return step();
}

// Removes files beside path that the tool's own pattern names (path + ".~tmp..." or
// ".~bak..."): what a killed run left. Only called once path holds the new bytes, so none
// of them holds anything still needed.
void RemoveLeftovers(const std::u16string& path) {
    const size_t slash = path.find_last_of(u"\\/");
    const std::u16string folder = slash == std::u16string::npos ? u"" : path.substr(0, slash + 1);
    for (const wchar_t* marker : {kTempMarker, kBackupMarker}) {
        WIN32_FIND_DATAW found{};
        const std::u16string pattern = path + FromW(marker) + u"*";
        const HANDLE find = FindFirstFileW(W(pattern), &found);
        if (find == INVALID_HANDLE_VALUE) {
            continue;
        }
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                DeleteFileW(W(folder + FromW(found.cFileName)));
            }
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
}

// The resolved path of an open file or folder, without the "\\?\" prefix.
std::u16string FinalPathOfHandle(HANDLE h) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD n = GetFinalPathNameByHandleW(h, &buffer[0], static_cast<DWORD>(buffer.size()),
                                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0) {
            return {};
        }
        if (n < buffer.size()) {
            buffer.resize(n);
            std::u16string path(buffer.begin(), buffer.end());
            if (path.compare(0, 8, u"\\\\?\\UNC\\") == 0) {
                return u"\\\\" + path.substr(8);
            }
            if (path.compare(0, 4, u"\\\\?\\") == 0) {
                return path.substr(4);
            }
            return path;
        }
        buffer.assign(n, L'\0');
    }
    return {};
}

std::u16string FinalPathOfExisting(const std::u16string& path) {
    const Handle h(CreateFileW(W(path), FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return h.Valid() ? FinalPathOfHandle(h.Get()) : std::u16string();
}

}  // namespace

Handle CreateStagingFile(const std::u16string& path, std::u16string& staged) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        staged = UniqueName(path, kTempMarker);
        Handle h(CreateFileW(W(staged), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
        if (h.Valid() || GetLastError() != ERROR_FILE_EXISTS) {
            return h;
        }
    }
    return Handle();
}

std::u16string FinalPathOf(const std::u16string& path) {
    if (Exists(path)) {
        return FinalPathOfExisting(path);
    }
    const size_t slash = path.find_last_of(u"\\/");
    return slash == std::u16string::npos ? std::u16string()
                                         : FinalPathOfExisting(path.substr(0, slash));
}

std::u16string ResolvedPath(const std::u16string& path) {
    return FinalPathOfExisting(path);
}

bool ResolvesInside(const std::u16string& path, const std::u16string& root,
                    std::u16string& resolved) {
    resolved = FinalPathOf(path);
    if (resolved.empty()) {
        return true;  // no folder to write into: the write itself fails
    }
    const std::u16string base = FinalPathOfExisting(root);
    if (base.empty() || resolved.size() < base.size()) {
        return false;
    }
    const int n = static_cast<int>(base.size());
    return CompareStringOrdinal(W(resolved), n, W(base), n, TRUE) == CSTR_EQUAL &&
           (resolved.size() == base.size() || resolved[base.size()] == u'\\' ||
            base.back() == u'\\');
}

bool RetryWhileHeld(const std::function<bool()>& step) {
    return WithRetries(step);
}

Handle OpenExisting(const std::u16string& path, DWORD access, DWORD share) {
    Handle h;
    WithRetries([&] {
        h = Handle(CreateFileW(W(path), access, share, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
        return h.Valid();
    });
    return h;
}

bool RemoveFile(const std::u16string& path) {
    return WithRetries([&] {
        if (DeleteFileW(W(path))) {
            return true;
        }
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    });
}

WriteResult CommitStaged(const std::u16string& path, const std::u16string& staged) {
    WriteResult result;
    // The new file takes the attributes the former one shows (hidden, system, not indexed);
    // a read-only or folder destination never gets this far.
    const DWORD attrs = GetFileAttributesW(W(path));
    if (attrs != INVALID_FILE_ATTRIBUTES) {
        constexpr DWORD kTaken = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                 FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
        SetFileAttributesW(W(staged),
                           (attrs & kTaken) != 0 ? attrs & kTaken : FILE_ATTRIBUTE_NORMAL);
    }
    StopPoint("commit.before-rename");
    // One rename of the complete, closed file over the destination: at every instant the
    // destination holds either its former bytes or the new ones, never nothing.
    const bool written = WithRetries([&] {
        return MoveFileExW(W(staged), W(path),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    });
    const DWORD error = written ? 0 : GetLastError();
    if (written) {
        StopPoint("commit.after-rename");
        result.outcome = WriteOutcome::kWritten;
        RemoveLeftovers(path);
        return result;
    }
    RemoveFile(staged);
    result.error = static_cast<int>(error);
    return result;
}

bool MayWriteSafely(const std::u16string& path, const std::u16string& root, WriteResult& result) {
    if (!root.empty() && !ResolvesInside(path, root, result.resolved)) {
        result.outcome = WriteOutcome::kOutsideRoot;
        result.error = ERROR_ACCESS_DENIED;
        return false;
    }
    result.resolved.clear();
    const DWORD attrs = GetFileAttributesW(W(path));
    if (attrs != INVALID_FILE_ATTRIBUTES &&
        (attrs & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        result.error = ERROR_ACCESS_DENIED;
        return false;
    }
    return true;
}

namespace {

// The frame of a safe write: its refusals, a staging file that fill writes (false, with the
// error, when it could not), the staging file removed on any failure, else the one replace.
WriteResult WriteStaged(const std::u16string& path, const std::u16string& root,
                        const std::function<bool(HANDLE, DWORD&)>& fill) {
    WriteResult result;
    if (!MayWriteSafely(path, root, result)) {
        return result;
    }
    std::u16string staged;
    Handle h = CreateStagingFile(path, staged);
    if (!h.Valid()) {
        result.error = static_cast<int>(GetLastError());
        return result;
    }
    DWORD err = 0;
    bool ok = fill(h.Get(), err);
    if (!h.Close() && ok) {
        ok = false;
        err = GetLastError();
    }
    if (!ok) {
        RemoveFile(staged);
        result.error = static_cast<int>(err);
        return result;
    }
    return CommitStaged(path, staged);
}

}  // namespace

WriteResult CopyFileSafely(const std::u16string& from, const std::u16string& to,
                           const std::u16string& root,
                           const std::function<bool(const char*, size_t)>& observe) {
    return WriteStaged(to, root, [&](HANDLE h, DWORD& err) {
        const ReadResult read = ReadFileInPieces(
            from, [](uint64_t) { return true; },
            [&](const char* piece, size_t n) {
                DWORD written = 0;
                if (!WriteFile(h, piece, static_cast<DWORD>(n), &written, nullptr) ||
                    written != n) {
                    err = GetLastError();
                    return false;
                }
                return !observe || observe(piece, n);
            });
        if (read != ReadResult::kOk && err == 0) {
            err = read == ReadResult::kMissing ? ERROR_FILE_NOT_FOUND : GetLastError();
        }
        return read == ReadResult::kOk && err == 0;
    });
}

WriteResult WriteFileSafely(const std::u16string& path, const void* data, size_t size,
                            const std::u16string& root) {
    return WriteStaged(path, root, [&](HANDLE h, DWORD& err) {
        const char* p = static_cast<const char*>(data);
        while (size > 0) {
            const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
            DWORD written = 0;
            if (!WriteFile(h, p, chunk, &written, nullptr) || written != chunk) {
                err = GetLastError();
                return false;
            }
            p += written;
            size -= written;
        }
        return true;
    });
}

bool IsDirectory(const std::u16string& path) {
    const DWORD attrs = GetFileAttributesW(W(path));
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool PathExists(const std::u16string& path) {
    return GetFileAttributesW(W(path)) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace platform

namespace platform {

ReadResult ReadWholeFileUnshared(const std::u16string& path, std::string& bytes) {
    bytes.clear();
    const Handle h(CreateFileW(W(path), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.Valid()) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ReadResult::kMissing
                                                                              : ReadResult::kFailed;
    }
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(h.Get(), &size) && size.QuadPart <= 0x7FFFFFFF;
    if (ok && size.QuadPart > 0) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        ok = ReadFile(h.Get(), &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr) &&
             got == bytes.size();
    }
    if (!ok) {
        bytes.clear();
    }
    return ok ? ReadResult::kOk : ReadResult::kFailed;
}

}  // namespace platform
