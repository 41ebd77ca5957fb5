// The command line of the console program.
#pragma once

#include <string>
#include <vector>

namespace brand {

struct Arguments {
    enum class Command { kHelp, kBrand, kRestore, kCheck };
    Command command = Command::kHelp;
    std::u16string brandFile;  // kBrand
    std::u16string exePath;    // kBrand, kRestore, kCheck: the executable or its install folder
    std::vector<std::u16string> texts;  // kCheck: one or more
    bool dryRun = false;                // kBrand
    // --code-page 936 | 65001: the code page of the profiles (0 when not given: the
    // system's ANSI code page on Windows, 936 elsewhere).
    unsigned codePage = 0;
};

// The arguments after the program's name. False, with a Chinese message, for anything but
//   brand <brand file> <exe> [--dry-run]  |  restore <exe>  |  check <exe> <text>...
//   |  --help (also -h, /?)
// with --code-page <936 | 65001> (or --code-page=<n>) anywhere before or after them.
bool ParseArguments(const std::vector<std::u16string>& args, Arguments& parsed,
                    std::u16string& error);

// The text of --help.
const char16_t* UsageText();

}  // namespace brand
