// The customization profile: section CUSTOMPAR of the profile file.
#pragma once

#include <string>

struct CustomProfile {
    std::u16string filePassword;  // FILEPASSWORD
    int useFilePassword = 0;      // USINGFILEPASSWORD: 1 used, 0 not
    std::u16string company;       // COMPANY
    std::u16string phone;         // PHONE
    std::u16string url;           // URL
};
