// The command line of the console program.
#pragma once

#include <string>
#include <vector>

namespace brand {

struct Arguments {
    enum class Command { kHelp, kBrand, kRestore };
    Command command = Command::kHelp;
    std::u16string brandFile;  // kBrand
    std::u16string exePath;    // kBrand, kRestore: the executable or its install folder
    bool dryRun = false;       // kBrand
};

// The arguments after the program's name. False, with a Chinese message, for anything but
//   brand <brand file> <exe> [--dry-run]  |  restore <exe>  |  --help (also -h, /?)
bool ParseArguments(const std::vector<std::u16string>& args, Arguments& parsed,
                    std::u16string& error);

// The text of --help.
const char16_t* UsageText();

}  // namespace brand
