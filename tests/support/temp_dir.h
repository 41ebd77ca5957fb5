// Scratch folders and whole-file helpers for tests.
#pragma once

#include <filesystem>
#include <string>

namespace testsupport {

// A new empty folder under the system's temporary folder, removed with the object.
class TempDir {
public:
    TempDir();
    // A new empty folder inside parent.
    explicit TempDir(const std::filesystem::path& parent);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // The folder as the tool spells paths: UTF-16, without a trailing separator.
    std::u16string Text() const { return path_.u16string(); }
    // path_ / relative, as UTF-16 text.
    std::u16string Text(const std::u16string& relative) const;

private:
    std::filesystem::path path_;
};

void WriteBytes(const std::filesystem::path& path, const std::string& bytes);
std::string ReadBytes(const std::filesystem::path& path);

// UTF-16LE bytes of a UTF-16 string, for building language files by hand.
std::string Utf16LeBytes(const std::u16string& text);

}  // namespace testsupport
