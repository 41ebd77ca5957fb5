// The texts of brand files, their plans (the dry run's lines) and the console program.
// Part of the messages module (messages/messages.h has the commands' texts).
#pragma once

#include <cstddef>
#include <string>

#include "rebrand/exe_texts.h"
#include "rebrand/icon_file.h"

namespace msg {

// ---- Problems of a brand file's lines (each told with AtLine)
std::u16string UnknownSection(const std::u16string& line);
std::u16string NotKeyValue(const std::u16string& line);
std::u16string MissingKey(const std::u16string& line);
std::u16string KeyOutsideSection(const std::u16string& key);
std::u16string KeyTwice(const std::u16string& key);
std::u16string UnknownKey(const std::u16string& key, const std::u16string& section);
std::u16string BadEdition(const std::u16string& value);
std::u16string BadUseFilePassword(const std::u16string& value);
std::u16string EmptyPath(const std::u16string& key);
std::u16string BadVersionNumber(const std::u16string& key, const std::u16string& value);
constexpr char16_t kAdImageNeedsV62[] = u"ad_image 只用于 6.2 版（edition = 6.2）";
constexpr char16_t kPasswordNotForV62[] = u"use_file_password 和 file_password 不用于 6.2 版";
std::u16string PictureIsDevice(const std::u16string& path);
std::u16string PictureNotAFile(const std::u16string& path);
std::u16string IconFileUnreadable(const std::u16string& path);
std::u16string IconFileRefused(const std::u16string& path, rebrand::IconFileStatus status);
std::u16string BrandFileUnreadable(const std::u16string& path);
std::u16string BrandFileUndecodable(const std::u16string& path);
std::u16string BrandFileEmpty(const std::u16string& path);
std::u16string NoLangFolder(const std::u16string& installDir);
std::u16string LangFileNotListed(const std::u16string& file);
std::u16string LangEntryMissing(const std::u16string& file, const std::u16string& id);

// ---- The target of the console program
std::u16string NotAnExe(const std::u16string& path);
std::u16string NoExeInFolder(const std::u16string& folder);
std::u16string ExeMissing(const std::u16string& path);
std::u16string InstallFolderMissing(const std::u16string& folder);

// ---- The names of the commands, as a brand's steps and the console's lines name them
constexpr char16_t kBrandCommand[] = u"品牌";
constexpr char16_t kRebrandCommand[] = u"修改应用程序";
constexpr char16_t kProfileCommand[] = u"保存配置";
constexpr char16_t kLanguagesCommand[] = u"保存全部语种文件";
constexpr char16_t kRestoreCommand[] = u"恢复原始文件";
constexpr char16_t kCheckCommand[] = u"检查";

// ---- The dry run
constexpr char16_t kDryRunHeading[] = u"试运行，未写入任何文件；将修改：";
constexpr char16_t kDryRunNothing[] = u"（无）";
std::u16string IconImagesLine(const std::u16string& exe, const std::u16string& ids,
                              const std::u16string& icon);
std::u16string ReplacedBy(const std::u16string& file, const std::u16string& source);
std::u16string StringBlockTooLong(const std::u16string& exe);
std::u16string DocBlockLine(const std::u16string& exe, const std::u16string& documentName,
                            const std::u16string& caption);
std::u16string TitleBlockLine(const std::u16string& exe, const std::u16string& caption);
std::u16string RenameLine(const std::u16string& exe, const std::u16string& newName);
// A value that changes ("key = after（原为 before）"), or is added ("key = after（新增）").
std::u16string ValueLine(const std::u16string& file, const std::u16string& key,
                         const std::u16string& after, const std::u16string* before);
std::u16string ProfileRewritten(const std::u16string& file);
// Where a text of an executable stands: "字符串表 #110（语言 2052）", "版本信息 080404b0
// CompanyName", "对话框 100（语言 2052）控件 1001", "菜单 128（语言 2052）第 2.1 项",
// "清单 1 assemblyIdentity name".
std::u16string PlaceName(const rebrand::TextPlace& place);
std::u16string ResourceNameText(const rebrand::ResourceName& name);
std::u16string IconGroupLine(const std::u16string& exe, const std::u16string& key,
                             const std::u16string& group, const std::u16string& icon,
                             size_t images);
std::u16string IconGroupMissing(const std::u16string& exe, const std::u16string& group);
std::u16string IconGroupBroken(const std::u16string& exe, const std::u16string& group);
std::u16string NoIconIds(const std::u16string& exe);
// "版本信息 080404b0 CompanyName"; without a table, the fixed numbers' key.
std::u16string VersionPlace(const std::u16string& table, const std::u16string& key);
std::u16string VersionCreated(const std::u16string& exe);
std::u16string VersionUnreadable(const std::u16string& exe);
std::u16string VersionTooLong(const std::u16string& exe);
std::u16string ExeResourcesUnreadable(const std::u16string& exe);
std::u16string ReplacedTextTooLong(const std::u16string& exe, const std::u16string& place);
std::u16string ReplacedCount(const std::u16string& file, size_t count);

// ---- Where texts still stand (check, and the end of a brand with [replace])
// "<file>：<place>：<text>"
std::u16string FoundLine(const std::u16string& file, const std::u16string& place,
                         const std::u16string& text);
std::u16string ExeNameFound(const std::u16string& exe);
constexpr char16_t kCheckHeading[] = u"检查旧文字：";
std::u16string CheckNothingFound(size_t texts);
std::u16string CheckFound(size_t places);
std::u16string LangFileRewritten(const std::u16string& file);

// ---- The console program's command line
std::u16string BadCodePage(const std::u16string& value);
constexpr char16_t kCodePageMissing[] = u"--code-page 缺少代码页";
std::u16string UnknownOption(const std::u16string& option);
constexpr char16_t kCommandMissing[] = u"缺少命令";
std::u16string BadArguments(const std::u16string& command);
std::u16string UnknownCommand(const std::u16string& command);
extern const char16_t kConsoleUsage[];

}  // namespace msg
