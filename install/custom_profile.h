// The customization profile: section CUSTOMPAR of the profile file (install::ProfileFile),
// and the rules of its save that do not need the file.
#pragma once

#include <string>

#include "install/install_layout.h"

struct CustomProfile {
    std::u16string filePassword;  // FILEPASSWORD
    int useFilePassword = 0;      // USINGFILEPASSWORD: 1 used, 0 not
    std::u16string company;       // COMPANY
    std::u16string phone;         // PHONE
    std::u16string url;           // URL
};

namespace install {

constexpr char16_t kProfileSection[] = u"CUSTOMPAR";
constexpr char16_t kFilePasswordKey[] = u"FILEPASSWORD";
constexpr char16_t kUseFilePasswordKey[] = u"USINGFILEPASSWORD";
constexpr char16_t kCompanyKey[] = u"COMPANY";
constexpr char16_t kPhoneKey[] = u"PHONE";
constexpr char16_t kUrlKey[] = u"URL";

// The record the save writes: the password only when it is used (editions other than 6.2).
CustomProfile ProfileToSave(Edition edition, bool usePassword, const std::u16string& password,
                            const std::u16string& company, const std::u16string& phone,
                            const std::u16string& url);

// False when the password is used (editions other than 6.2) and has fewer than 6 or more
// than 8 characters.
bool PasswordLengthFits(Edition edition, bool usePassword, const std::u16string& password);

}  // namespace install
