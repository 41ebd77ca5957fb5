#include "cmd/arguments.h"

#include "messages/brand_messages.h"

namespace brand {

bool ParseArguments(const std::vector<std::u16string>& args, Arguments& parsed,
                    std::u16string& error) {
    parsed = Arguments();
    std::vector<std::u16string> plain;
    const auto codePage = [&](const std::u16string& value) {
        if (value == u"936" || value == u"65001") {
            parsed.codePage = value == u"936" ? 936 : 65001;
            return true;
        }
        error = msg::BadCodePage(value);
        return false;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::u16string& arg = args[i];
        if (arg == u"--code-page") {
            if (i + 1 == args.size()) {
                error = msg::kCodePageMissing;
                return false;
            }
            if (!codePage(args[++i])) {
                return false;
            }
            continue;
        }
        if (arg.compare(0, 12, u"--code-page=") == 0) {
            if (!codePage(arg.substr(12))) {
                return false;
            }
            continue;
        }
        if (arg == u"--help" || arg == u"-h" || arg == u"/?") {
            parsed.command = Arguments::Command::kHelp;
            return true;
        }
        if (arg == u"--dry-run") {
            parsed.dryRun = true;
        } else if (arg.size() > 1 && arg.compare(0, 2, u"--") == 0) {
            error = msg::UnknownOption(arg);
            return false;
        } else {
            plain.push_back(arg);
        }
    }
    if (plain.empty()) {
        error = msg::kCommandMissing;
        return false;
    }
    if (plain[0] == u"brand" && plain.size() == 3) {
        parsed.command = Arguments::Command::kBrand;
        parsed.brandFile = plain[1];
        parsed.exePath = plain[2];
        return true;
    }
    if (plain[0] == u"restore" && plain.size() == 2 && !parsed.dryRun) {
        parsed.command = Arguments::Command::kRestore;
        parsed.exePath = plain[1];
        return true;
    }
    if (plain[0] == u"check" && plain.size() >= 3 && !parsed.dryRun) {
        parsed.command = Arguments::Command::kCheck;
        parsed.exePath = plain[1];
        parsed.texts.assign(plain.begin() + 2, plain.end());
        return true;
    }
    error = (plain[0] == u"brand" || plain[0] == u"restore" || plain[0] == u"check")
                ? msg::BadArguments(plain[0])
                : msg::UnknownCommand(plain[0]);
    return false;
}

const char16_t* UsageText() {
    return msg::kConsoleUsage;
}

}  // namespace brand
