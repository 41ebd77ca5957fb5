// One profile file in memory: sections of key/value pairs, read once and written as a whole.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "ini/ini_encoding.h"
#include "ini/ini_entries.h"
#include "platform/codepage.h"
#include "platform/file_stamp.h"
#include "platform/files.h"

struct IniSection {
    std::u16string name;  // letter case of the first occurrence
    IniEntries entries;   // iterated in FoldCase(key) order
};

class CIniFile {
public:
    // The file is not touched until Load. codePage is the on-disk encoding of the text.
    explicit CIniFile(std::u16string filePath, unsigned codePage = platform::kSystemCodePage);
    // Touches no file: what is to be written back is written by WriteBackIfChanged.
    virtual ~CIniFile();
    CIniFile(const CIniFile&) = delete;
    CIniFile& operator=(const CIniFile&) = delete;

    // Parses the file into sections; meant to run once, right after construction. A missing
    // file leaves the model empty; a file that exists but cannot be read does too, and marks
    // the object so that Save refuses to replace it. The file's stamp becomes that of the
    // bytes read (absent for a missing file).
    void Load();
    // Appends the decoded content of the file to text and notes its encoding; false (text
    // unchanged) when the file is missing, cannot be read or is in no encoding it can take.
    bool ReadText(std::u16string& text);
    // Adds the sections and keys of text to the model (the grammar is in ini_file.cpp).
    void Parse(const std::u16string& text);

    // The stored value, or def when the section or the key is missing.
    std::u16string GetString(const std::u16string& section, const std::u16string& key,
                             const std::u16string& def) const;
    // The stored value converted like _wtoi, or def when the section or the key is missing.
    int32_t GetInt(const std::u16string& section, const std::u16string& key, int32_t def) const;
    // Creates the section and the key when missing (with the letter case given here),
    // otherwise replaces the value only. A change marks the model as changed.
    void SetString(const std::u16string& section, const std::u16string& key,
                   const std::u16string& value);
    void SetInt(const std::u16string& section, const std::u16string& key, int32_t value);

    // The text that Save writes, before encoding: sections and keys sorted by folded name,
    // "[name]" and "key=value" lines ended by CR LF.
    std::u16string Format() const;
    // Replaces the file with the model, in the encoding the file was read in. False, with
    // the file as it was, when it cannot be written, when the file could not be read by
    // Load, or when the model holds a character that encoding cannot hold. It does not look
    // at ChangedOnDisk: callers that may replace another program's change ask first. After a
    // save the stamp is that of the bytes written.
    bool Save();

    // True when the file no longer holds what Load read or Save wrote (another program
    // changed, created or removed it); for an object never loaded, when the file exists.
    bool ChangedOnDisk() const { return platform::FileChangedSince(path, stamp_); }

    // True when the file's encoding can hold every character of text.
    bool CanHold(const std::u16string& text) const;

    bool LoadFailed() const { return loadFailed_; }
    // A setter changed the model since it was loaded or last saved.
    bool Changed() const { return changed_; }
    IniEncoding Encoding() const { return encoding_; }
    // The object is to be destroyed without writing anything back.
    void Discard() { discarded_ = true; }

    enum class WriteBack {
        kNothing,       // unchanged, discarded, or a "VirUdezed.cfg" path (never written back)
        kSaved,         // Save wrote it
        kLeftAsOnDisk,  // another program changed the file since (ChangedOnDisk): left alone,
                        // as nobody can be asked about replacing it
        kFailed,        // Save failed; the file is as it was
    };
    // The write-back of a profile when the dialog lets go of it: Save when a setter changed
    // the model since it was loaded or last saved, unless path contains "VirUdezed.cfg"
    // (case-sensitive) or the file changed on disk meanwhile.
    WriteBack WriteBackIfChanged();

    const std::u16string path;  // exactly as given
    // Save refuses a file that does not resolve inside this folder (when set).
    std::u16string writeRoot;
    // What the last Save left at path.
    platform::WriteResult lastSave;
    std::map<std::u16string, IniSection> sections;  // keyed by FoldCase(name)

private:
    // The value of key in section, or false.
    bool Find(const std::u16string& section, const std::u16string& key,
              std::u16string& value) const;

    unsigned codePage_;
    platform::FileStamp stamp_;  // the file as read or last saved
    IniEncoding encoding_ = IniEncoding::kCodePage;
    bool loadFailed_ = false;
    bool changed_ = false;
    bool discarded_ = false;
};

// The C runtime's _wtoi on text: leading white space, an optional sign, decimal digits up to
// the first other character; 0 without digits; clamped to the 32-bit range.
int32_t IniTextToInt(const std::u16string& text);
