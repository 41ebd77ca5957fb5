#include "messages/messages.h"

#include <algorithm>

namespace msg {

std::u16string Decimal(unsigned long long n) {
    const std::string digits = std::to_string(n);
    return std::u16string(digits.begin(), digits.end());
}

std::u16string SystemError(int error) {
    return error == 0 ? std::u16string()
                      : u"（系统错误 " + Decimal(static_cast<unsigned>(error)) + u"）";
}

namespace {

// What kept a write from being done: the system's error, or a link that leads the
// destination out of the install folder.
std::u16string WriteNote(const platform::WriteResult& result) {
    if (result.outcome == platform::WriteOutcome::kOutsideRoot) {
        return u"（经链接指向安装文件夹之外：" + result.resolved + u"）";
    }
    return SystemError(result.error);
}

}  // namespace

std::u16string WriteProblem(const platform::WriteResult& r, const std::u16string& path) {
    switch (r.outcome) {
        case platform::WriteOutcome::kWritten:
        case platform::WriteOutcome::kUnchanged:
            return {};
        case platform::WriteOutcome::kOutsideRoot:
            return path + u" 经链接指向安装文件夹之外（" + r.resolved +
                   u"），已拒绝写入，原文件保持不变";
        case platform::WriteOutcome::kDestinationMissing:
            return u"替换 " + path + u" 时被其他程序打断，文件未能放回原处：" +
                   (r.oldBytesAt.empty() ? std::u16string()
                                         : u"原内容保存在 " + r.oldBytesAt + u"，") +
                   u"新内容保存在 " + r.newBytesAt + u"，请关闭占用它的程序后将其改回原名";
    }
    return {};
}

std::u16string WithWriteProblem(const std::u16string& head, const platform::WriteResult& r,
                                const std::u16string& path) {
    const std::u16string problem = WriteProblem(r, path);
    return problem.empty() ? head : head + u"\r\n" + problem;
}

std::u16string ChangedOnDiskQuestion(const std::u16string& path) {
    return path + u"已被其他程序修改。是否覆盖？";
}

std::u16string Describe(const install::BackupProblem& p) {
    using Kind = install::BackupProblem::Kind;
    switch (p.kind) {
        case Kind::kNone:
            return {};
        case Kind::kNotInInstall:
            return u"文件不在安装文件夹内：" + p.path;
        case Kind::kOldFolderInside:
            return u"旧版本的备份文件夹尚未移到安装文件夹旁：" + p.path;
        case Kind::kFolderIsLink:
            return u"备份文件夹是链接，已拒绝使用：" + p.path;
        case Kind::kManifestUnreadable:
            return u"备份清单无法读取：" + p.path;
        case Kind::kCreateFolder:
            return u"无法创建备份文件夹：" + p.path + SystemError(p.error);
        case Kind::kManifestRemove:
            return u"无法更新备份清单：" + p.path + SystemError(p.error);
        case Kind::kManifestWrite:
            return u"无法写入备份清单：" + p.path + WriteNote(p.write);
        case Kind::kWriteCopy:
            return u"无法写入备份副本：" + p.path + WriteNote(p.write);
        case Kind::kReadOriginal:
            return u"无法读取原文件：" + p.path + WriteNote(p.write);
        case Kind::kDigest:
            return u"无法计算原文件的 SHA-256：" + p.path;
        case Kind::kLeadsOutside:
            return u"路径经链接指向安装文件夹之外，已拒绝：" + p.path;
        case Kind::kRemoveCreated:
            return u"无法删除原先不存在的文件" + SystemError(p.error);
        case Kind::kCopyUnreadable:
            return u"备份副本无法读取：" + p.path;
        case Kind::kCopyMismatch:
            return u"备份副本与清单中的 SHA-256 不符：" + p.path;
        case Kind::kWriteFile:
            return u"无法写入" + WriteNote(p.write);
        case Kind::kWrittenMismatch:
            return u"写入后的文件与原文件的 SHA-256 不符";
        case Kind::kOthersPending:
            return u"其他原始文件尚未恢复，暂不删除";
        case Kind::kFolderNotEmpty:
            return u"备份文件夹中有其他文件，未删除：" + p.path;
    }
    return {};
}

std::u16string Describe(const install::TidyAction& a) {
    using Kind = install::TidyAction::Kind;
    switch (a.kind) {
        case Kind::kPutBack:
            return u"已放回被中断的替换移开的文件：" + a.path;
        case Kind::kRemovedLeftover:
            return u"已删除中断的运行留下的文件：" + a.path;
        case Kind::kOldFolderStays:
            return u"安装文件夹内另有旧版本的备份文件夹，未移动：" + a.path;
        case Kind::kMovedBeside:
            return u"备份文件夹已移到安装文件夹旁：" + a.path;
        case Kind::kOldFolderCannotMove:
            return u"旧版本的备份文件夹无法移到安装文件夹旁：" + a.path;
        case Kind::kManifestPutBack:
            return u"已放回被中断的替换移开的备份清单：" + a.path;
        case Kind::kRemovedUnlisted:
            return u"已删除备份中未列出的副本：" + a.path;
    }
    return {};
}

std::u16string NotKept(const std::u16string& reason) {
    return u"原文件未能备份，文件未修改：" + reason;
}

std::u16string NotAFile(const std::u16string& path) {
    return u"所选路径不是文件（设备名或文件夹），未作任何修改：" + path;
}

std::u16string PictureMissing(const std::u16string& path) {
    return path + u"图片文件不存在";
}

std::u16string WouldMoveSection(const std::u16string& section, const std::u16string& exePath) {
    return u"应用程序的资源段位于其他段之前，写入资源会移动其后的 " + section +
           u" 段，修改后的程序将无法运行；已拒绝修改，应用程序保持不变：" + exePath;
}

std::u16string RenameTargetExists(const std::u16string& newPath) {
    return u"已有同名文件，应用程序未改名：" + newPath;
}

std::u16string RenameFailed(const std::u16string& oldPath, const std::u16string& newName) {
    return u"应用程序改名失败：" + oldPath + u" → " + newName;
}

std::u16string ProfileCannotHold(const std::u16string& label) {
    return u"“" + label + u"”中有配置文件的编码不能保存的字符，请修改后再保存";
}

std::u16string ProfileChangedOnDisk(const std::u16string& path) {
    return u"配置文件已被其他程序修改，未覆盖：" + path;
}

std::u16string LangFileFailed(const std::u16string& path, const std::u16string& problem) {
    return problem.empty() ? u"语言文件保存失败，原文件保持不变：\r\n" + path
                           : u"语言文件保存失败：\r\n" + problem;
}

std::u16string TextsReplaced(size_t occurrences, size_t languages) {
    return u"已替换 " + Decimal(occurrences) + u" 处（" + Decimal(languages) + u" 个语种）";
}

std::u16string FindTextNotFound(const std::u16string& find) {
    return u"未找到“" + find + u"”，未替换任何内容";
}

std::u16string ProfilesNotKept(const std::u16string& list) {
    return u"以下配置文件的原文件未能备份，未写回，文件未修改：" + list;
}

std::u16string ProfilesBusy(const std::u16string& list) {
    return std::u16string(kInstallBusy) + u"；以下配置文件未写回：" + list;
}

std::u16string ProfilesNotWritten(const std::u16string& list) {
    return u"以下配置文件未能写回，文件未修改：" + list;
}

std::u16string BackupUnreadable(const std::u16string& folder) {
    return u"备份清单无法读取，未恢复任何文件：" + folder;
}

std::u16string RestoreQuestion(const std::u16string& installDir, const std::u16string& back,
                               const std::u16string& removed) {
    std::u16string question = u"将恢复以下原始文件（安装文件夹 " + installDir + u"）：";
    question += back.empty() ? u"\r\n    （无）" : back;
    if (!removed.empty()) {
        question += u"\r\n将删除以下原先不存在的文件：" + removed;
    }
    return question + u"\r\n\r\n是否恢复？";
}

std::u16string AtLine(size_t line, const std::u16string& what) {
    return u"品牌文件第 " + Decimal(line) + u" 行：" + what;
}

}  // namespace msg

namespace msg {

std::u16string ApplyBrandQuestion(const std::vector<std::u16string>& planLines) {
    std::u16string text = u"品牌文件将修改：";
    const size_t shown = std::min(planLines.size(), kApplyBrandQuestionLines);
    for (size_t i = 0; i < shown; ++i) {
        text += u"\r\n" + planLines[i];
    }
    if (shown < planLines.size()) {
        text += u"\r\n……共 " + Decimal(planLines.size()) + u" 项";
    }
    return text + u"\r\n\r\n是否应用？";
}

std::u16string BrandFileRefused(const std::vector<std::u16string>& problems) {
    std::u16string text;
    for (const std::u16string& problem : problems) {
        text += problem + u"\r\n";
    }
    return text + kNothingWritten;
}

std::u16string StepHeading(const std::u16string& step) {
    return u"【" + step + u"】";
}

std::u16string BrandFileSaved(const std::u16string& path) {
    return u"品牌文件已保存：" + path;
}

std::u16string BrandFileNotSaved(const std::u16string& path) {
    return u"品牌文件未能保存：" + path;
}

std::u16string BrandValuesLeftOut(const std::vector<std::u16string>& keys) {
    std::u16string text = u"以下内容的首尾有空格、含有换行或引号，品牌文件无法保存，已略去：";
    for (const std::u16string& key : keys) {
        text += u"\r\n" + key;
    }
    return text;
}

}  // namespace msg
