// VedArodCmd.exe run from a test: its exit code and everything it printed, optionally with
// variables of its own environment (the stop points, the lock's wait) and without waiting.
#pragma once

#include <windows.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "tests/support/temp_dir.h"

namespace testsupport {

struct CmdRun {
    unsigned long exitCode = 0;
    std::u16string output;  // standard output and error, redirected to a file (UTF-8)
};

using CmdEnvironment = std::map<std::wstring, std::wstring>;

// A started VedArodCmd.exe; Wait collects it (killed when still running after the limit).
class CmdProcess {
public:
    CmdProcess(const std::wstring& arguments, const CmdEnvironment& environment = {});
    ~CmdProcess();
    CmdProcess(const CmdProcess&) = delete;
    CmdProcess& operator=(const CmdProcess&) = delete;

    bool Started() const { return process_.hProcess != nullptr; }
    // Ends it as the task manager would: TerminateProcess, nothing of its own runs.
    void Kill();
    CmdRun Wait(unsigned long limitMs = 120000);

private:
    TempDir scratch_;
    std::filesystem::path outPath_;
    HANDLE out_ = INVALID_HANDLE_VALUE;
    PROCESS_INFORMATION process_{};
    unsigned long startError_ = 0;  // the last failed start's error
};

CmdRun RunCmd(const std::wstring& arguments, const CmdEnvironment& environment = {});

std::wstring Quoted(const std::filesystem::path& path);

}  // namespace testsupport
