#include "commands/commands.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "messages/messages.h"

namespace app {

namespace {

using install::kCompanyKey;
using install::kFilePasswordKey;
using install::kPhoneKey;
using install::kProfileSection;
using install::kUrlKey;
using install::kUseFilePasswordKey;

}  // namespace

std::u16string ProfileFilePath(const std::u16string& installDir, install::Edition edition) {
    const bool configIsFolder =
        platform::IsDirectory(install::Join(installDir, install::kConfigFolder));
    return install::Join(installDir, install::ProfileFile(edition, configIsFolder));
}

CustomProfile ReadProfile(const CIniFile& ini) {
    CustomProfile profile;
    profile.filePassword = ini.GetString(kProfileSection, kFilePasswordKey, u"");
    profile.useFilePassword = ini.GetInt(kProfileSection, kUseFilePasswordKey, 0);
    profile.company = ini.GetString(kProfileSection, kCompanyKey, u"");
    profile.phone = ini.GetString(kProfileSection, kPhoneKey, u"");
    profile.url = ini.GetString(kProfileSection, kUrlKey, u"");
    return profile;
}

std::optional<ProfileProblem> CheckPasswordLength(install::Edition edition, bool usePassword,
                                                  const std::u16string& password) {
    if (!install::PasswordLengthFits(edition, usePassword, password)) {
        return ProfileProblem{msg::kPasswordLength, ProfileField::kFilePassword};
    }
    return std::nullopt;
}

std::optional<ProfileProblem> CheckProfileText(const CIniFile& ini, install::Edition edition,
                                               const CustomProfile& profile) {
    const struct {
        const std::u16string& value;
        ProfileField field;
        const char16_t* label;
    } fields[] = {
        {profile.filePassword, ProfileField::kFilePassword, msg::kFilePasswordLabel},
        {profile.company, ProfileField::kCompany, msg::kCompanyLabel},
        {profile.phone, ProfileField::kPhone, msg::kPhoneLabel},
        {profile.url, ProfileField::kUrl, msg::kUrlLabel},
    };
    const bool withPassword = !install::IsV62(edition);
    for (const auto& f : fields) {
        if ((withPassword || f.field != ProfileField::kFilePassword) && !ini.CanHold(f.value)) {
            return ProfileProblem{msg::ProfileCannotHold(f.label), f.field};
        }
    }
    return std::nullopt;
}

namespace {

void SetProfile(CIniFile& ini, install::Edition edition, const CustomProfile& profile) {
    if (!install::IsV62(edition)) {
        ini.SetString(kProfileSection, kFilePasswordKey, profile.filePassword);
        ini.SetInt(kProfileSection, kUseFilePasswordKey, profile.useFilePassword);
    }
    ini.SetString(kProfileSection, kCompanyKey, profile.company);
    ini.SetString(kProfileSection, kPhoneKey, profile.phone);
    ini.SetString(kProfileSection, kUrlKey, profile.url);
}

}  // namespace

CommandResult SaveProfile(CIniFile& ini, const std::u16string& installDir, install::Edition edition,
                          const CustomProfile& profile, CommandHost& host) {
    const std::unique_ptr<install::InstallLock> held = host.Hold(installDir);
    if (!held) {
        return CommandResult::kFailed;
    }
    // A file that could not be read is refused by the save itself.
    if (!ini.LoadFailed() && ini.ChangedOnDisk() && !host.ConfirmOverwrite(ini.path)) {
        host.Tell(msg::ProfileChangedOnDisk(ini.path));
        return CommandResult::kFailed;
    }
    SetProfile(ini, edition, profile);
    const bool saved = host.KeepOriginal(installDir, ini.path) && ini.Save();
    host.Settle(installDir, ini.path);
    host.Tell(saved ? msg::kSaved
                    : msg::WithWriteProblem(msg::kProfileSaveFailed, ini.lastSave, ini.path));
    return saved ? CommandResult::kDone : CommandResult::kFailed;
}

bool ProfileSaveKeepsBytes(const CIniFile& ini, install::Edition edition,
                           const CustomProfile& profile) {
    CIniFile after(ini.path);
    after.Load();
    SetProfile(after, edition, profile);
    std::string bytes;
    std::string now;
    const bool same =
        EncodeIniText(after.Format(), after.Encoding(), platform::kSystemCodePage, bytes) &&
        platform::ReadWholeFile(ini.path, now) == platform::ReadResult::kOk && now == bytes;
    after.Discard();
    return same;
}

}  // namespace app
