#include "platform/file_ops.h"

#include <dirent.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "platform/posix/native_path.h"
#include "platform/unicode.h"

namespace platform {

bool LinkFile(const std::u16string& existing, const std::u16string& link, int* errorCode) {
    return ::link(NativePath(existing).c_str(), NativePath(link).c_str()) == 0 ||
           FailWithErrno(errorCode);
}

bool MoveNoReplace(const std::u16string& from, const std::u16string& to, int* errorCode) {
    // A second name first, then the first one removed: never over an existing to.
    const std::string f = NativePath(from);
    const std::string t = NativePath(to);
    struct stat st {};
    if (::lstat(f.c_str(), &st) != 0) {
        return FailWithErrno(errorCode);
    }
    if (S_ISDIR(st.st_mode)) {
        if (::lstat(t.c_str(), &st) == 0) {
            errno = EEXIST;
            return FailWithErrno(errorCode);
        }
        return ::rename(f.c_str(), t.c_str()) == 0 || FailWithErrno(errorCode);
    }
    if (::link(f.c_str(), t.c_str()) != 0) {
        return FailWithErrno(errorCode);
    }
    return ::unlink(f.c_str()) == 0 || FailWithErrno(errorCode);
}

bool IsLink(const std::u16string& path) {
    struct stat st {};
    return ::lstat(NativePath(path).c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool IsRegularFile(const std::u16string& path) {
    struct stat st {};
    return ::stat(NativePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsReadOnly(const std::u16string& path) {
    struct stat st {};
    return ::stat(NativePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

bool SetReadOnly(const std::u16string& path, bool readOnly) {
    struct stat st {};
    const std::string native = NativePath(path);
    if (::stat(native.c_str(), &st) != 0) {
        return false;
    }
    const mode_t write = S_IWUSR | S_IWGRP | S_IWOTH;
    const mode_t mode = readOnly ? (st.st_mode & ~write) : (st.st_mode | S_IWUSR);
    return ::chmod(native.c_str(), mode & 07777) == 0;
}

// POSIX never keeps an open file from being renamed over.
bool MayReplaceNow(const std::u16string&) {
    return true;
}

bool SameFile(const std::u16string& a, const std::u16string& b) {
    struct stat sa {};
    struct stat sb {};
    return ::stat(NativePath(a).c_str(), &sa) == 0 && ::stat(NativePath(b).c_str(), &sb) == 0 &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

std::vector<std::u16string> ListFiles(const std::u16string& folder) {
    std::vector<std::u16string> names;
    const std::string native = NativePath(folder);
    DIR* dir = ::opendir(native.c_str());
    if (dir == nullptr) {
        return names;
    }
    while (const dirent* e = ::readdir(dir)) {
        struct stat st {};
        const std::string name = e->d_name;
        if (::lstat((native + "/" + name).c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) {
            names.push_back(Utf8ToUtf16(name));
        }
    }
    ::closedir(dir);
    return names;
}

std::u16string ResolvedPath(const std::u16string& path) {
    char buffer[PATH_MAX];
    if (::realpath(NativePath(path).c_str(), buffer) == nullptr) {
        return {};
    }
    return Utf8ToUtf16(buffer);
}

bool ResolvesInside(const std::u16string& path, const std::u16string& root,
                    std::u16string& resolved) {
    std::u16string target = path;
    struct stat st {};
    if (::stat(NativePath(path).c_str(), &st) != 0) {
        const size_t slash = path.find_last_of(u"\\/");
        target = slash == std::u16string::npos ? u"." : path.substr(0, slash);
    }
    resolved = ResolvedPath(target);
    if (resolved.empty()) {
        return true;  // no folder to write into: the write itself fails
    }
    const std::u16string base = ResolvedPath(root);
    if (base.empty()) {
        return false;
    }
    return resolved == base || (resolved.compare(0, base.size(), base) == 0 &&
                                (base == u"/" || resolved[base.size()] == u'/'));
}

}  // namespace platform

namespace platform {

std::u16string FullPath(const std::u16string& path) {
    std::u16string full = path;
    for (char16_t& c : full) {
        c = c == u'\\' ? u'/' : c;
    }
    if (full.empty() || full[0] != u'/') {
        char cwd[4096];
        if (::getcwd(cwd, sizeof(cwd)) == nullptr) {
            return path;
        }
        full = Utf8ToUtf16(cwd) + u"/" + full;
    }
    // "." and ".." resolved as written.
    std::vector<std::u16string> parts;
    size_t pos = 0;
    while (pos <= full.size()) {
        size_t end = full.find(u'/', pos);
        end = end == std::u16string::npos ? full.size() : end;
        const std::u16string part = full.substr(pos, end - pos);
        if (part == u"..") {
            if (!parts.empty()) {
                parts.pop_back();
            }
        } else if (!part.empty() && part != u".") {
            parts.push_back(part);
        }
        pos = end + 1;
    }
    std::u16string out;
    for (const std::u16string& part : parts) {
        out += u"/" + part;
    }
    return out.empty() ? u"/" : out;
}

std::u16string StoredName(const std::u16string& path) {
    return path;
}

}  // namespace platform
