// Helpers of the Windows tests around the stand-in target application.
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>

#include "tests/support/temp_dir.h"

namespace testsupport {

// Wide text for the Win32 calls (wchar_t is 16 bits on Windows).
std::wstring Wide(const std::u16string& text);
std::u16string FromWide(const std::wstring& text);

// A program beside the running test program (the build copies the stand-ins there).
std::wstring BesideTestProgram(const std::wstring& fileName);
// standin.exe beside the running test program.
std::wstring StandInPath();

// Runs a command line, waits up to timeoutMs and returns the exit code; nothing when the
// program could not be started or did not end in time (it is then terminated).
std::optional<unsigned long> RunProgram(const std::wstring& commandLine,
                                        unsigned long timeoutMs = 60000);

// Runs exe /print <output> and returns its lines "key=value" as a map (values UTF-16,
// escapes left as printed); nothing when the program failed or wrote no file.
std::optional<std::map<std::string, std::u16string>> PrintLoaded(const std::wstring& exe,
                                                                 const std::wstring& output);

// A copy of the stand-in under another file name, in a folder of its own, running (its
// window shown) while the object lives: a target application that another program started.
class RunningStandIn {
public:
    explicit RunningStandIn(const std::wstring& fileName);
    ~RunningStandIn();
    RunningStandIn(const RunningStandIn&) = delete;
    RunningStandIn& operator=(const RunningStandIn&) = delete;
    bool Started() const { return process_.hProcess != nullptr; }

private:
    TempDir dir_;
    PROCESS_INFORMATION process_{};
};

// text with backslash, CR and LF escaped as standin /print writes them.
std::u16string PrintEscaped(const std::u16string& text);

}  // namespace testsupport
