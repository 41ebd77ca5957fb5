// The brand file of the console program: one INI-style text that names everything a
// reseller changes in an install, read and checked before anything is written.
//
//   [brand]        edition = simple | standard | 6.2
//                  icon, startup_image, ad_image = paths (relative to the brand file's folder)
//                  caption, document_name, app_name
//   [profile]      company, phone, url, use_file_password = 0 | 1, file_password
//   [lang:<name>]  ID = text   (entries of the language file <name> of the install)
//
// A key that is left out leaves that thing as it is. Lines are trimmed; blank lines and lines
// starting with ";" or "#" are ignored. A line is split at its first "=". Section names and
// keys are compared without regard to the case of A-Z; language IDs exactly, as the language
// table compares them. The text may be UTF-8 (with or without a mark) or the ANSI code page:
// text that is valid UTF-8 is taken as UTF-8, anything else as the code page.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace brand {

struct LangEdits {
    std::u16string file;  // the language file's name, as written in the section header
    std::vector<std::pair<std::u16string, std::u16string>> entries;  // ID, text; file order
};

struct BrandFile {
    std::optional<int> edition;          // an install::Edition index
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

    bool HasProfile() const { return company || phone || url || useFilePassword || filePassword; }
};

// Parses decoded text; relative paths are resolved against folder (no trailing separator).
// False with a Chinese message naming the line when a line is not understood: a section or
// key that is not listed above, a value out of its range, a key given twice, an entry
// outside a section.
bool ParseBrandText(const std::u16string& text, const std::u16string& folder, BrandFile& brand,
                    std::u16string& error);

// Decodes the bytes of a brand file: after a UTF-8 mark as UTF-8, after a UTF-16 mark
// (FF FE or FE FF, as Notepad saves "Unicode") as UTF-16 in that byte order; without a mark
// valid UTF-8 as UTF-8, else the ANSI code page. False when the bytes do not hold what their
// mark says (UTF-8 that is not valid, an odd number of UTF-16 bytes).
bool DecodeBrandBytes(const std::string& bytes, std::u16string& text);

// Reads, decodes and parses the file at path, then checks that every picture it names
// exists. False with a Chinese message otherwise.
bool LoadBrandFile(const std::u16string& path, BrandFile& brand, std::u16string& error);

}  // namespace brand
