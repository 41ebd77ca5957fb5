#include "cmd/arguments.h"

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
        error = u"不支持的代码页：" + value + u"（可用 936 或 65001）";
        return false;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::u16string& arg = args[i];
        if (arg == u"--code-page") {
            if (i + 1 == args.size()) {
                error = u"--code-page 缺少代码页";
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
            error = u"未知的选项：" + arg;
            return false;
        } else {
            plain.push_back(arg);
        }
    }
    if (plain.empty()) {
        error = u"缺少命令";
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
    error = (plain[0] == u"brand" || plain[0] == u"restore") ? u"参数不正确：" + plain[0]
                                                             : u"未知的命令：" + plain[0];
    return false;
}

const char16_t* UsageText() {
    return u"用法：\r\n"
           u"  VedArodCmd brand <品牌文件> <应用程序路径或安装文件夹> [--dry-run]\r\n"
           u"      按品牌文件修改应用程序及其安装文件夹；加 --dry-run "
           u"时只列出将要修改的文件和内容，"
           u"不写入任何文件\r\n"
           u"  VedArodCmd restore <应用程序路径或安装文件夹>\r\n"
           u"      恢复安装文件夹备份中的原始文件\r\n"
           u"  --code-page 936 或 65001\r\n"
           u"      配置文件的代码页（未指定时：Windows 上为系统的 ANSI 代码页，其他系统上为 "
           u"936）\r\n"
           u"  VedArodCmd --help\r\n"
           u"      显示本说明\r\n"
           u"退出码：0 全部步骤成功；1 有步骤失败；2 用法或品牌文件有误（未写入任何文件）";
}

}  // namespace brand
