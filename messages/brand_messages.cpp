#include "messages/brand_messages.h"

#include "messages/messages.h"

namespace msg {

std::u16string UnknownSection(const std::u16string& line) {
    return u"未知的节 " + line;
}

std::u16string NotKeyValue(const std::u16string& line) {
    return u"应为“键=值”：" + line;
}

std::u16string MissingKey(const std::u16string& line) {
    return u"缺少键名：" + line;
}

std::u16string KeyOutsideSection(const std::u16string& key) {
    return u"键不在任何节内：" + key;
}

std::u16string KeyTwice(const std::u16string& key) {
    return u"键重复：" + key;
}

std::u16string UnknownKey(const std::u16string& key, const std::u16string& section) {
    return u"未知的键 " + key + u"（节 [" + section + u"]）";
}

std::u16string BadEdition(const std::u16string& value) {
    return u"edition 应为 simple、standard 或 6.2：" + value;
}

std::u16string BadUseFilePassword(const std::u16string& value) {
    return u"use_file_password 应为 0 或 1：" + value;
}

std::u16string EmptyPath(const std::u16string& key) {
    return key + u" 的路径不应为空";
}

std::u16string BadVersionNumber(const std::u16string& key, const std::u16string& value) {
    return key + u" 应为 1 至 4 个以句点分隔的 0 至 65535 的数（如 1.2.3.4）：" + value;
}

std::u16string PictureIsDevice(const std::u16string& path) {
    return u"图片路径是设备名，不是文件：" + path;
}

std::u16string PictureNotAFile(const std::u16string& path) {
    return u"图片路径不是文件：" + path;
}

std::u16string IconFileUnreadable(const std::u16string& path) {
    return u"图标文件无法读取：" + path;
}

std::u16string IconFileRefused(const std::u16string& path, rebrand::IconFileStatus status) {
    using S = rebrand::IconFileStatus;
    std::u16string why;
    switch (status) {
        case S::kOk:
            return {};
        case S::kTooShort:
        case S::kNotAnIcon:
            why = u"不是图标文件（.ico）";
            break;
        case S::kNoImages:
            why = u"图标文件中没有图像";
            break;
        case S::kTooManyImages:
            why = u"图标文件中的图像过多（最多 256 个）";
            break;
        case S::kEmptyImage:
        case S::kImageOutsideFile:
            why = u"图标文件中的图像不完整（文件被截断）";
            break;
        case S::kImageOverlapsDirectory:
        case S::kNotAnIconImage:
            why = u"图标文件中的图像不是位图或 PNG 图像";
            break;
    }
    return why + u"：" + path;
}

std::u16string BrandFileUnreadable(const std::u16string& path) {
    return u"品牌文件无法读取：" + path;
}

std::u16string BrandFileUndecodable(const std::u16string& path) {
    return u"品牌文件的编码无法识别：" + path;
}

std::u16string BrandFileEmpty(const std::u16string& path) {
    return u"品牌文件中没有要修改的内容：" + path;
}

std::u16string NoLangFolder(const std::u16string& installDir) {
    return u"安装文件夹中没有 Lang 文件夹，不能修改语言条目：" + installDir;
}

std::u16string LangFileNotListed(const std::u16string& file) {
    return u"语言文件 " + file + u" 不在应用程序的语言文件列表中或未能读入";
}

std::u16string LangEntryMissing(const std::u16string& file, const std::u16string& id) {
    return u"语言文件 " + file + u" 中没有条目 " + id;
}

std::u16string NotAnExe(const std::u16string& path) {
    return u"应用程序路径不是 .exe 文件：" + path;
}

std::u16string NoExeInFolder(const std::u16string& folder) {
    return u"安装文件夹中没有应用程序：" + folder;
}

std::u16string ExeMissing(const std::u16string& path) {
    return u"应用程序不存在：" + path;
}

std::u16string InstallFolderMissing(const std::u16string& folder) {
    return u"安装文件夹不存在：" + folder;
}

std::u16string IconImagesLine(const std::u16string& exe, const std::u16string& ids,
                              const std::u16string& icon) {
    return exe + u"：资源 " + ids + u"（语言 2052）← " + icon + u" 的第一个图像";
}

std::u16string ReplacedBy(const std::u16string& file, const std::u16string& source) {
    return file + u"：替换为 " + source;
}

std::u16string StringBlockTooLong(const std::u16string& exe) {
    return exe + u"：资源 RT_STRING 7 过长，不能写入";
}

std::u16string DocBlockLine(const std::u16string& exe, const std::u16string& documentName,
                            const std::u16string& caption) {
    std::u16string what = exe + u"：资源 RT_STRING 7（语言 2052）";
    if (!documentName.empty()) {
        what += u"，新建文档名称（102）= " + documentName;
    }
    if (!caption.empty()) {
        what += u"，产品名称（110）和文档模板（111）= " + caption;
    }
    return what;
}

std::u16string TitleBlockLine(const std::u16string& exe, const std::u16string& caption) {
    return exe + u"：资源 RT_STRING 3585（语言 2052），标题（57344）= " + caption;
}

std::u16string RenameLine(const std::u16string& exe, const std::u16string& newName) {
    return exe + u"：改名为 " + newName;
}

std::u16string ValueLine(const std::u16string& file, const std::u16string& key,
                         const std::u16string& after, const std::u16string* before) {
    return file + u"：" + key + u" = " + after +
           (before != nullptr ? u"（原为 " + *before + u"）" : std::u16string(u"（新增）"));
}

std::u16string ProfileRewritten(const std::u16string& file) {
    return file + u"：值不变，文件按排序重新写出";
}

std::u16string PlaceName(const rebrand::TextPlace& place) {
    const auto name = [](const rebrand::ResourceName& n) {
        return n.named ? n.text : Decimal(n.id);
    };
    const std::u16string language = u"（语言 " + name(place.language) + u"）";
    switch (place.kind) {
        case rebrand::TextKind::kString:
            return u"字符串表 #" + Decimal(place.id.value_or(0)) + language;
        case rebrand::TextKind::kVersion: {
            const size_t slash = place.key.find(u'/');
            return slash == std::u16string::npos
                       ? VersionPlace(u"", place.key)
                       : VersionPlace(place.key.substr(0, slash), place.key.substr(slash + 1));
        }
        case rebrand::TextKind::kDialog:
            return u"对话框 " + name(place.resource) + language +
                   (place.id ? u"控件 " + Decimal(*place.id) : std::u16string(u"标题"));
        case rebrand::TextKind::kMenu:
            return u"菜单 " + name(place.resource) + language + u"第 " + place.key + u" 项";
        case rebrand::TextKind::kManifest:
            return u"清单 " + name(place.resource) + u" " + place.key;
    }
    return {};
}

std::u16string ResourceNameText(const rebrand::ResourceName& name) {
    return name.named ? name.text : Decimal(name.id);
}

std::u16string IconGroupLine(const std::u16string& exe, const std::u16string& key,
                             const std::u16string& group, const std::u16string& icon,
                             size_t images) {
    return exe + u"：图标组 " + key + u"（RT_GROUP_ICON " + group + u"）← " + icon + u" 的全部 " +
           Decimal(images) + u" 个图像";
}

std::u16string IconGroupMissing(const std::u16string& exe, const std::u16string& group) {
    return u"应用程序中没有图标组 " + group + u"：" + exe;
}

std::u16string IconGroupBroken(const std::u16string& exe, const std::u16string& group) {
    return u"应用程序的图标组 " + group + u" 已损坏，无法重建：" + exe;
}

std::u16string NoIconIds(const std::u16string& exe) {
    return u"应用程序中没有足够的空闲图标资源编号：" + exe;
}

std::u16string VersionPlace(const std::u16string& table, const std::u16string& key) {
    return u"版本信息 " + (table.empty() ? key : table + u" " + key);
}

std::u16string VersionCreated(const std::u16string& exe) {
    return exe + u"：新建版本信息（RT_VERSION 1，语言 2052）";
}

std::u16string VersionUnreadable(const std::u16string& exe) {
    return u"应用程序的版本信息无法读取（格式不正确）：" + exe;
}

std::u16string VersionTooLong(const std::u16string& exe) {
    return u"版本信息过长（超过 65535 字节），无法写入：" + exe;
}

std::u16string ExeResourcesUnreadable(const std::u16string& exe) {
    return u"无法读取应用程序的资源（不是完整的 Windows 可执行文件）：" + exe;
}

std::u16string ReplacedTextTooLong(const std::u16string& exe, const std::u16string& place) {
    return u"替换后的文字超过 65535 个字符，无法写入：" + exe + u" " + place;
}

std::u16string ReplacedCount(const std::u16string& file, size_t count) {
    return file + u"：共替换 " + Decimal(count) + u" 处";
}

std::u16string FoundLine(const std::u16string& file, const std::u16string& place,
                         const std::u16string& text) {
    return file + u"：" + place + u"：" + text;
}

std::u16string ExeNameFound(const std::u16string& exe) {
    return exe + u"：应用程序文件名";
}

std::u16string CheckNothingFound(size_t texts) {
    return u"未找到（检查了 " + Decimal(texts) + u" 项文字）";
}

std::u16string CheckFound(size_t places) {
    return u"共 " + Decimal(places) + u" 处";
}

std::u16string LangFileRewritten(const std::u16string& file) {
    return file + u"：条目不变，文件按标准格式重新写出";
}

std::u16string BadCodePage(const std::u16string& value) {
    return u"不支持的代码页：" + value + u"（可用 936 或 65001）";
}

std::u16string UnknownOption(const std::u16string& option) {
    return u"未知的选项：" + option;
}

std::u16string BadArguments(const std::u16string& command) {
    return u"参数不正确：" + command;
}

std::u16string UnknownCommand(const std::u16string& command) {
    return u"未知的命令：" + command;
}

const char16_t kConsoleUsage[] =
    u"用法：\r\n"
    u"  VedArodCmd brand <品牌文件> <应用程序路径或安装文件夹> [--dry-run]\r\n"
    u"      按品牌文件修改应用程序及其安装文件夹；加 --dry-run "
    u"时只列出将要修改的文件和内容，"
    u"不写入任何文件\r\n"
    u"  VedArodCmd restore <应用程序路径或安装文件夹>\r\n"
    u"      恢复安装文件夹备份中的原始文件\r\n"
    u"  VedArodCmd check <应用程序路径或安装文件夹> <文字> [<文字>…]\r\n"
    u"      列出文字出现的每一处：应用程序的资源、语言文件的条目、配置文件的值、"
    u"应用程序文件名（退出码：0 未找到，1 找到）\r\n"
    u"  --code-page 936 或 65001\r\n"
    u"      配置文件的代码页（未指定时：Windows 上为系统的 ANSI 代码页，其他系统上为 "
    u"936）\r\n"
    u"  VedArodCmd --help\r\n"
    u"      显示本说明\r\n"
    u"退出码：0 全部步骤成功；1 有步骤失败；2 用法或品牌文件有误（未写入任何文件）";

}  // namespace msg
