// The brand file of the console program: one INI-style text that names everything a
// reseller changes in an install, read and checked before anything is written.
//
//   [brand]        edition = simple | standard | 6.2
//                  icon, startup_image, ad_image = paths (relative to the brand file's folder)
//                  caption, document_name, app_name
//   [profile]      company, phone, url, use_file_password = 0 | 1, file_password
//   [lang:<name>]  ID = text   (entries of the language file <name> of the install)
//   [icons]        main | <id> | <name> = path of an .ico file: that icon group of the
//                  executable rebuilt from every image of the file ("main": the first group)
//   [version]      CompanyName, FileDescription, FileVersion, InternalName, LegalCopyright,
//                  LegalTrademarks, OriginalFilename, PrivateBuild, ProductName,
//                  ProductVersion, Comments, SpecialBuild = text (every string table of the
//                  version resource); file_version, product_version = a.b.c.d (the fixed
//                  numbers, and the FileVersion / ProductVersion strings unless given)
//   [replace]      old text = new text (literal, case-sensitive; text/replace_text.h): every
//                  text of the executable and of every language file entry. An old text
//                  cannot hold "="; a line is split at its first "=".
//
// A key that is left out leaves that thing as it is. Lines are trimmed; blank lines and lines
// starting with ";" or "#" are ignored. A line is split at its first "=". Section names and
// keys are compared without regard to the case of A-Z; language IDs exactly, as the language
// table compares them. The text may be UTF-8 (with or without a mark) or the ANSI code page:
// text that is valid UTF-8 is taken as UTF-8, anything else as the code page.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "install/install_layout.h"

namespace brand {

struct LangEdit {
    std::u16string id;
    std::u16string text;
    size_t line = 0;  // of the brand file
};

struct LangEdits {
    std::u16string file;            // the language file's name, as written in the section header
    size_t line = 0;                // the section header's
    std::vector<LangEdit> entries;  // file order
};

struct IconGroupEdit {
    std::u16string group;  // "main", a decimal id, or a name, as written
    std::u16string path;   // the .ico file (relative paths resolved)
    size_t line = 0;
};

struct VersionEdit {
    std::u16string name;  // the string's name as the version resource spells it
    std::u16string value;
    size_t line = 0;
};

struct ReplaceEdit {
    std::u16string oldText;
    std::u16string newText;
    size_t line = 0;
};

struct BrandFile {
    std::optional<install::Edition> edition;
    std::optional<std::u16string> icon;  // full paths (relative ones resolved)
    std::optional<std::u16string> startupImage;
    std::optional<std::u16string> adImage;
    std::optional<std::u16string> caption;
    std::optional<std::u16string> documentName;
    std::optional<std::u16string> appName;

    std::optional<std::u16string> company;
    std::optional<std::u16string> phone;
    std::optional<std::u16string> url;
    std::optional<int> useFilePassword;  // 0 or 1
    std::optional<std::u16string> filePassword;

    std::vector<LangEdits> lang;  // one per section, in file order

    std::vector<IconGroupEdit> icons;              // in file order, one per group
    std::vector<VersionEdit> version;              // strings, in file order
    std::optional<std::u16string> fileVersion;     // "a.b.c.d" as checked
    std::optional<std::u16string> productVersion;  // "a.b.c.d" as checked
    std::vector<ReplaceEdit> replace;              // in file order

    // The line of each key of [brand] and [profile] that was taken, by its name in lower case
    // ("icon", "file_password").
    std::map<std::u16string, size_t> lines;

    bool HasProfile() const { return company || phone || url || useFilePassword || filePassword; }
    bool HasRebrand() const {
        return icon || startupImage || adImage || caption || documentName || appName;
    }
    // Changes of the executable's resources beyond what the rebrand command writes.
    bool HasResourceEdits() const {
        return !icons.empty() || !version.empty() || fileVersion || productVersion ||
               !replace.empty();
    }
    // Left out: simple, the dialog's default.
    install::Edition Edition() const { return edition.value_or(install::Edition::kSimple); }
};

// Parses decoded text; relative paths are resolved against folder (no trailing separator).
// Every problem is added to problems, one Chinese message each, naming its line, in line
// order: a section or key that is not listed above (the keys of an unknown section are not
// told again), a value out of its range, a key given twice, an entry outside a section;
// then what the keys ask for together: ad_image without edition 6.2, the file password keys
// with it, an app_name that is no plain file name. brand holds the lines understood. False
// when any problem was found.
bool ParseBrandText(const std::u16string& text, const std::u16string& folder, BrandFile& brand,
                    std::vector<std::u16string>& problems);

// Decodes the bytes of a brand file: after a UTF-8 mark as UTF-8, after a UTF-16 mark
// (FF FE or FE FF, as Notepad saves "Unicode") as UTF-16 in that byte order; without a mark
// valid UTF-8 as UTF-8, else the ANSI code page. False when the bytes do not hold what their
// mark says (UTF-8 that is not valid, an odd number of UTF-16 bytes).
bool DecodeBrandBytes(const std::string& bytes, std::u16string& text);

// The text of a brand file holding brand's [brand], [profile] and [lang:...] keys (those that
// are set), as UTF-8 with a byte-order mark and CR LF line ends; ParseBrandText reads it back
// to the same values. A value that its line cannot hold as it is (leading or trailing blanks,
// a line break, a path in quotes) is told in unwritable (its key), and left out.
std::string FormatBrandFile(const BrandFile& brand, std::vector<std::u16string>& unwritable);

// Reads, decodes and parses the file at path, then checks every picture and icon file it
// names: each one that does not exist or is not a file is a problem too, and so is an
// [icons] file that is not an icon file or whose images are cut short. False when any problem was
// found; one that could not be read or decoded is the only problem told.
bool LoadBrandFile(const std::u16string& path, BrandFile& brand,
                   std::vector<std::u16string>& problems);

}  // namespace brand
