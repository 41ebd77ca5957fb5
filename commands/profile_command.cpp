#include "commands/commands.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "commands/write_problem.h"

namespace app {

namespace {

using install::kCompanyKey;
using install::kFilePasswordKey;
using install::kPhoneKey;
using install::kProfileSection;
using install::kUrlKey;
using install::kUseFilePasswordKey;

}  // namespace

std::u16string ProfileFilePath(const std::u16string& installDir, int edition) {
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

std::optional<ProfileProblem> CheckPasswordLength(int edition, bool usePassword,
                                                  const std::u16string& password) {
    if (!install::PasswordLengthFits(edition, usePassword, password)) {
        return ProfileProblem{install::kPasswordLengthMessage, ProfileField::kFilePassword};
    }
    return std::nullopt;
}

std::optional<ProfileProblem> CheckProfileText(const CIniFile& ini, int edition,
                                               const CustomProfile& profile) {
    const struct {
        const std::u16string& value;
        ProfileField field;
        const char16_t* label;
    } fields[] = {
        {profile.filePassword, ProfileField::kFilePassword, u"文件读写密码"},
        {profile.company, ProfileField::kCompany, u"公司名称"},
        {profile.phone, ProfileField::kPhone, u"电话"},
        {profile.url, ProfileField::kUrl, u"网址"},
    };
    const bool withPassword = !install::IsV62(edition);
    for (const auto& f : fields) {
        if ((withPassword || f.field != ProfileField::kFilePassword) && !ini.CanHold(f.value)) {
            return ProfileProblem{std::u16string(u"“") + f.label +
                                      u"”中有配置文件的编码不能保存的字符，请修改后再保存",
                                  f.field};
        }
    }
    return std::nullopt;
}

namespace {

void SetProfile(CIniFile& ini, int edition, const CustomProfile& profile) {
    if (!install::IsV62(edition)) {
        ini.SetString(kProfileSection, kFilePasswordKey, profile.filePassword);
        ini.SetInt(kProfileSection, kUseFilePasswordKey, profile.useFilePassword);
    }
    ini.SetString(kProfileSection, kCompanyKey, profile.company);
    ini.SetString(kProfileSection, kPhoneKey, profile.phone);
    ini.SetString(kProfileSection, kUrlKey, profile.url);
}

}  // namespace

CommandResult SaveProfile(CIniFile& ini, const std::u16string& installDir, int edition,
                          const CustomProfile& profile, CommandHost& host) {
    const std::unique_ptr<install::InstallLock> held = host.Hold(installDir);
    if (!held) {
        return CommandResult::kFailed;
    }
    // A file that could not be read is refused by the save itself.
    if (!ini.LoadFailed() && ini.ChangedOnDisk() && !host.ConfirmOverwrite(ini.path)) {
        host.Tell(u"配置文件已被其他程序修改，未覆盖：" + ini.path);
        return CommandResult::kFailed;
    }
    SetProfile(ini, edition, profile);
    const bool saved = host.KeepOriginal(installDir, ini.path) && ini.Save();
    host.Settle(installDir, ini.path);
    host.Tell(saved ? u"保存成功" : WithProblem(u"生成配置文件失败", ini.lastSave, ini.path));
    return saved ? CommandResult::kDone : CommandResult::kFailed;
}

bool ProfileSaveKeepsBytes(const CIniFile& ini, int edition, const CustomProfile& profile) {
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
