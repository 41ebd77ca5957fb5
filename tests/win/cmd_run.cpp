#include "tests/win/cmd_run.h"

#include <string>
#include <vector>

#include "platform/unicode.h"

namespace testsupport {

namespace fs = std::filesystem;

namespace {

fs::path CmdExe() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return fs::path(self).parent_path().parent_path() / "app" / "VedArodCmd.exe";
}

// This process's environment with the given variables set over it, as CreateProcessW takes
// it (sorted is not required for a block of Unicode strings).
std::vector<wchar_t> EnvironmentBlock(const CmdEnvironment& extra) {
    std::map<std::wstring, std::wstring> vars;
    wchar_t* own = GetEnvironmentStringsW();
    for (const wchar_t* p = own; *p != L'\0'; p += wcslen(p) + 1) {
        const std::wstring entry = p;
        const size_t eq = entry.find(L'=', 1);
        if (eq != std::wstring::npos) {
            vars[entry.substr(0, eq)] = entry.substr(eq + 1);
        }
    }
    FreeEnvironmentStringsW(own);
    for (const auto& [name, value] : extra) {
        vars[name] = value;
    }
    std::vector<wchar_t> block;
    for (const auto& [name, value] : vars) {
        const std::wstring entry = name + L"=" + value;
        block.insert(block.end(), entry.begin(), entry.end());
        block.push_back(L'\0');
    }
    block.push_back(L'\0');
    return block;
}

}  // namespace

CmdProcess::CmdProcess(const std::wstring& arguments, const CmdEnvironment& environment) {
    outPath_ = scratch_.Path() / "out.txt";
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    out_ = CreateFileW(outPath_.wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out_;
    startup.hStdError = out_;
    std::wstring commandLine = L"\"" + CmdExe().wstring() + L"\" " + arguments;
    std::vector<wchar_t> block = EnvironmentBlock(environment);
    // Wine has been seen to refuse a start right after another process was terminated: a
    // few tries, and the last error in the output when none took.
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                           CREATE_NO_WINDOW | CREATE_UNICODE_ENVIRONMENT, block.data(), nullptr,
                           &startup, &process_)) {
            return;
        }
        process_ = PROCESS_INFORMATION{};
        startError_ = GetLastError();
        Sleep(100);
    }
}

CmdProcess::~CmdProcess() {
    if (Started()) {
        Wait(0);
    }
    if (out_ != INVALID_HANDLE_VALUE) {
        CloseHandle(out_);
    }
}

void CmdProcess::Kill() {
    if (Started()) {
        TerminateProcess(process_.hProcess, 77);
    }
}

CmdRun CmdProcess::Wait(unsigned long limitMs) {
    CmdRun run;
    run.exitCode = 999;
    if (Started()) {
        if (WaitForSingleObject(process_.hProcess, limitMs) != WAIT_OBJECT_0) {
            TerminateProcess(process_.hProcess, 998);
            WaitForSingleObject(process_.hProcess, INFINITE);
        }
        GetExitCodeProcess(process_.hProcess, &run.exitCode);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
        process_ = PROCESS_INFORMATION{};
    }
    CloseHandle(out_);
    out_ = INVALID_HANDLE_VALUE;
    run.output = platform::Utf8ToUtf16(ReadBytes(outPath_));
    if (startError_ != 0 && run.exitCode == 999) {
        run.output += u"(VedArodCmd.exe not started: error " +
                      platform::Utf8ToUtf16(std::to_string(startError_)) + u")";
    }
    return run;
}

CmdRun RunCmd(const std::wstring& arguments, const CmdEnvironment& environment) {
    return CmdProcess(arguments, environment).Wait();
}

std::wstring Quoted(const fs::path& path) {
    return L"\"" + path.wstring() + L"\"";
}

}  // namespace testsupport
