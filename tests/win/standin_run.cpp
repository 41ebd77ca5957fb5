#include "tests/win/standin_run.h"

#include <windows.h>

#include <filesystem>

#include "platform/unicode.h"
#include "tests/support/temp_dir.h"

namespace testsupport {

std::wstring Wide(const std::u16string& text) {
    return std::wstring(text.begin(), text.end());
}

std::u16string FromWide(const std::wstring& text) {
    return std::u16string(text.begin(), text.end());
}

std::wstring BesideTestProgram(const std::wstring& fileName) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L"\\/") + 1) + fileName;
}

std::wstring StandInPath() {
    return BesideTestProgram(L"standin.exe");
}

RunningStandIn::RunningStandIn(const std::wstring& fileName) {
    const std::filesystem::path exe = dir_.Path() / fileName;
    std::filesystem::copy_file(StandInPath(), exe);
    std::wstring command = L"\"" + exe.wstring() + L"\" /show-ms 20000";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process_)) {
        process_ = {};
        return;
    }
    WaitForInputIdle(process_.hProcess, 5000);
}

RunningStandIn::~RunningStandIn() {
    if (!Started()) {
        return;
    }
    TerminateProcess(process_.hProcess, 0);
    WaitForSingleObject(process_.hProcess, 5000);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

std::optional<unsigned long> RunProgram(const std::wstring& commandLine, unsigned long timeoutMs) {
    std::wstring mutableLine = commandLine;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &mutableLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return std::nullopt;
    }
    CloseHandle(process.hThread);
    std::optional<unsigned long> result;
    if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0) {
        DWORD code = 0;
        if (GetExitCodeProcess(process.hProcess, &code)) {
            result = code;
        }
    } else {
        TerminateProcess(process.hProcess, 255);
    }
    CloseHandle(process.hProcess);
    return result;
}

std::optional<std::map<std::string, std::u16string>> PrintLoaded(const std::wstring& exe,
                                                                 const std::wstring& output) {
    const auto code = RunProgram(L"\"" + exe + L"\" /print \"" + output + L"\"");
    if (!code || *code != 0 || !std::filesystem::exists(output)) {
        return std::nullopt;
    }
    const std::string text = ReadBytes(output);
    std::map<std::string, std::u16string> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string line = text.substr(pos, end - pos);
        const size_t equals = line.find('=');
        if (equals != std::string::npos) {
            lines[line.substr(0, equals)] = platform::Utf8ToUtf16(line.substr(equals + 1));
        }
        pos = end + 1;
    }
    return lines;
}

std::u16string PrintEscaped(const std::u16string& text) {
    std::u16string out;
    for (char16_t c : text) {
        if (c == u'\\') {
            out += u"\\\\";
        } else if (c == u'\n') {
            out += u"\\n";
        } else if (c == u'\r') {
            out += u"\\r";
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace testsupport
