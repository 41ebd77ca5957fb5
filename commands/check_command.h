// Where texts still stand in an install, as a customer would see them: the executable's
// resources (rebrand/exe_texts.h), the text of every entry of the language files, the values
// of the customization profiles (company, phone, web address, file password; every edition's
// profile file), and the executable's file name. Texts are compared literally, with letter
// case. Nothing is written.
#pragma once

#include <string>
#include <vector>

namespace brand {

struct CheckResult {
    std::vector<std::u16string> lines;  // one per place, naming the file and the place
    size_t placesLooked = 0;            // every text looked at, found or not
};

// exePath: the executable, by its full path; its folder is the install folder. Empty texts
// are not looked for.
CheckResult CheckInstall(const std::u16string& exePath, const std::vector<std::u16string>& texts);

}  // namespace brand
