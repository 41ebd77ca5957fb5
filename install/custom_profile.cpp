#include "install/custom_profile.h"

#include "install/install_layout.h"

namespace install {

CustomProfile ProfileToSave(Edition edition, bool usePassword, const std::u16string& password,
                            const std::u16string& company, const std::u16string& phone,
                            const std::u16string& url) {
    CustomProfile profile;
    if (!IsV62(edition) && usePassword) {
        profile.useFilePassword = 1;
        profile.filePassword = password;
    }
    profile.company = company;
    profile.phone = phone;
    profile.url = url;
    return profile;
}

bool PasswordLengthFits(Edition edition, bool usePassword, const std::u16string& password) {
    // The 6.2 view hides the password controls, and the save keeps the stored password.
    return IsV62(edition) || !usePassword || (password.size() >= 6 && password.size() <= 8);
}

}  // namespace install
