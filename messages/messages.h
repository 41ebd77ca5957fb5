// Every text the tool shows its user (message boxes, the console's lines, the dry run's
// lines), in one place: the same outcome is worded once, for the dialog and the console
// alike. Lower layers return codes, paths and system errors; these functions word them.
// Texts of several lines separate them with CR LF.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "install/backup_problem.h"
#include "platform/files.h"

namespace msg {

// ---- Outcomes shared by every command
constexpr char16_t kSaved[] = u"保存成功";
constexpr char16_t kInstallBusy[] = u"另一个程序正在修改此安装，请稍后再试";
constexpr char16_t kTargetRunning[] = u"应用程序正在运行，请关闭再重试";
// "（系统错误 5）", or nothing for error 0.
std::u16string SystemError(int error);
// What became of a file the tool could not write, beyond the step's own message: empty when
// it was written or simply stayed as it was; else a line naming path and what it holds now.
std::u16string WriteProblem(const platform::WriteResult& r, const std::u16string& path);
// head, followed on its own line by WriteProblem when there is one.
std::u16string WithWriteProblem(const std::u16string& head, const platform::WriteResult& r,
                                const std::u16string& path);
// The question before replacing a file another program changed since it was read.
std::u16string ChangedOnDiskQuestion(const std::u16string& path);

// ---- The backup of originals
std::u16string Describe(const install::BackupProblem& problem);
std::u16string Describe(const install::TidyAction& action);
// Added to a command's message for an original that could not be kept.
std::u16string NotKept(const std::u16string& reason);

// ---- The rebrand command
constexpr char16_t kExePathEmpty[] = u"应用程序路径不应为空";
constexpr char16_t kIconPathEmpty[] = u"图标路径不应为空";
constexpr char16_t kStartupPathEmpty[] = u"开机图片路径不应为空";
constexpr char16_t kAdPathEmpty[] = u"广告图片路径不应为空";
constexpr char16_t kNotAPlainAppName[] =
    u"应用程序名称无效：名称中不能有 \\ / : * ? \" < > | 等字符，不能以空格或句点结尾，"
    u"也不能是系统保留的设备名";
constexpr char16_t kIconFailed[] = u"图标修改失败";
constexpr char16_t kResourcesFailed[] = u"应用程序资源修改失败";
constexpr char16_t kStartupFailed[] = u"开机图片修改失败";
constexpr char16_t kAdFailed[] = u"广告图片修改失败";
constexpr char16_t kStringsFailed[] = u"应用程序左上角文字和新建文档名称未能写入应用程序";
constexpr char16_t kRebrandDone[] = u"修改应用程序成功";
std::u16string NotAFile(const std::u16string& path);
std::u16string PictureMissing(const std::u16string& path);
std::u16string WouldMoveSection(const std::u16string& section, const std::u16string& exePath);
std::u16string RenameTargetExists(const std::u16string& newPath);
std::u16string RenameFailed(const std::u16string& oldPath, const std::u16string& newName);

// ---- The profile
constexpr char16_t kPasswordLength[] = u"文件读写密码长度为6至8个字符";
constexpr char16_t kProfileSaveFailed[] = u"生成配置文件失败";
// label: the field's name ("公司名称").
std::u16string ProfileCannotHold(const std::u16string& label);
std::u16string ProfileChangedOnDisk(const std::u16string& path);

// ---- The language files
constexpr char16_t kNoLanguageRead[] = u"没有读入任何语言条目，未写入任何文件";
constexpr char16_t kSlotNotRead[] = u"当前语种没有读入语言文件，未写入任何文件";
constexpr char16_t kSlotEmpty[] = u"当前语种没有任何条目，语言文件保持不变";
constexpr char16_t kUnsavedEditsQuestion[] = u"语言文件有未保存的修改，确定退出吗？";
// Headings of the lists of a save of every language file.
constexpr char16_t kLangFilesUnchangedFailed[] = u"以下语言文件保存失败，原文件保持不变：";
constexpr char16_t kLangFilesFailed[] = u"以下语言文件保存失败：";
constexpr char16_t kLangFilesChangedOnDisk[] = u"以下语言文件已被其他程序修改，未覆盖：";
// One file's save failed; problem is WriteProblem's line, or empty.
std::u16string LangFileFailed(const std::u16string& path, const std::u16string& problem);

// ---- Find and replace in the language texts
constexpr char16_t kFindTextEmpty[] = u"请输入查找内容";
// "已替换 <occurrences> 处（<languages> 个语种）".
std::u16string TextsReplaced(size_t occurrences, size_t languages);
// No text holds find: nothing was replaced.
std::u16string FindTextNotFound(const std::u16string& find);

// ---- The profiles written back when the dialog closes
std::u16string ProfilesNotKept(const std::u16string& list);
std::u16string ProfilesBusy(const std::u16string& list);
std::u16string ProfilesNotWritten(const std::u16string& list);

// ---- The dialog's own texts
constexpr char16_t kRestoreMenuItem[] = u"恢复原始文件(&R)...";
constexpr char16_t kApplyBrandMenuItem[] = u"应用品牌文件(&B)...";
constexpr char16_t kSaveBrandMenuItem[] = u"保存为品牌文件(&S)...";
constexpr char16_t kFindReplaceMenuItem[] = u"查找和替换(&F)...";
constexpr char16_t kTextColumn[] = u"内容";
// Display names of the sixteen language slots, in slot order.
constexpr char16_t kLanguageNames[] =
    u"Chinese(Simplified)-简体中文|Chinese(Traditional)-繁体中文|English(US)-English|"
    u"French(FRA)-Le français|Korean(KOR)-한국어|Japanese(JPN)-日本語|Arabic(UAE)|"
    u"Russian(RUS)-русский|Portuguese(POR)-Português|Thail(THA)-ไทย|spanish(ESP)-Espanol|"
    u"Vietnamese(VIE)-Tiếng việt nam|German(GER)-Deutsche|Farsi(FAR)-فارسی|"
    u"Turkish(TUR)-Türk dili|Czech(CZ)-Česko";
// The profile's fields, as its checks name them.
constexpr char16_t kFilePasswordLabel[] = u"文件读写密码";
constexpr char16_t kCompanyLabel[] = u"公司名称";
constexpr char16_t kPhoneLabel[] = u"电话";
constexpr char16_t kUrlLabel[] = u"网址";

// ---- The restore
constexpr char16_t kNothingToRestore[] = u"所选应用程序没有可恢复的原始文件";
constexpr char16_t kRestoreDone[] = u"已恢复全部原始文件";
constexpr char16_t kRestoreDoneFolderGone[] = u"已恢复全部原始文件，备份文件夹已删除";
constexpr char16_t kRestoreLeft[] = u"以下文件未能恢复，仍保留在备份中：";
std::u16string BackupUnreadable(const std::u16string& folder);
// The question that lists what comes back (back) and what goes (removed), each a list of
// lines led by CR LF.
std::u16string RestoreQuestion(const std::u16string& installDir, const std::u16string& back,
                               const std::u16string& removed);

// ---- Brand files and the console program
// "品牌文件第 <line> 行：" + what.
std::u16string AtLine(size_t line, const std::u16string& what);
constexpr char16_t kNothingWritten[] = u"未写入任何文件";
std::u16string Decimal(unsigned long long n);

// ---- Brand files in the dialog
constexpr char16_t kBrandFileFilter[] = u"品牌文件 (*.ini)|*.ini||";
// The question before a brand is applied: its plan's first lines, then how many there are.
std::u16string ApplyBrandQuestion(const std::vector<std::u16string>& planLines);
constexpr size_t kApplyBrandQuestionLines = 30;
constexpr char16_t kBrandChangesNothing[] = u"此品牌文件不修改所选应用程序的任何文件";
constexpr char16_t kUnsavedEditsBeforeBrand[] =
    u"语言文件有未保存的修改，应用品牌文件后将重新读入语言文件，这些修改将丢失。是否继续？";
// A brand file's problems, one per line, then that nothing was written.
std::u16string BrandFileRefused(const std::vector<std::u16string>& problems);
// Leads the messages of one step of a brand in the dialog's final message.
std::u16string StepHeading(const std::u16string& step);
std::u16string BrandFileSaved(const std::u16string& path);
std::u16string BrandFileNotSaved(const std::u16string& path);
// What a brand file could not hold (their keys or language IDs), and was left out of it.
std::u16string BrandValuesLeftOut(const std::vector<std::u16string>& keys);

}  // namespace msg
