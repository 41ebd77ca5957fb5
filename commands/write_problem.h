// What the user is told about a file the tool could not write, beyond the failed step's own
// message. Header only and free of Windows headers.
#pragma once

#include <string>

#include "platform/files.h"

namespace app {

// Empty when the file was written, or when it simply stayed as it was (the step's message
// says so); otherwise a line that names the file and what it holds now.
inline std::u16string WriteProblem(const platform::WriteResult& r, const std::u16string& path) {
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

// head, followed on its own line by the problem when there is one.
inline std::u16string WithProblem(const std::u16string& head, const platform::WriteResult& r,
                                  const std::u16string& path) {
    const std::u16string problem = WriteProblem(r, path);
    return problem.empty() ? head : head + u"\r\n" + problem;
}

}  // namespace app
