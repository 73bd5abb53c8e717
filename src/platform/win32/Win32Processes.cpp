#include "platform/win32/Win32Processes.h"

#include <shellapi.h>

#include <vector>

#include "platform/win32/kit/WinString.h"

namespace velmora::win32 {
namespace {

struct Started {
    PROCESS_INFORMATION info{};
    bool ok = false;
};

// CreateProcessW may write into the command line, so it gets its own copy.
Started CreateWithShowCommand(const wchar_t* application, std::wstring commandLine, int showCommand) {
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCommand);
    Started started;
    started.ok = CreateProcessW(application, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                &started.info) != FALSE;
    return started;
}

}  // namespace

Win32RunningProcess::~Win32RunningProcess() {
    if (process_ != nullptr) CloseHandle(process_);
}

bool Win32RunningProcess::HasExited() { return WaitForSingleObject(process_, 0) != WAIT_TIMEOUT; }

std::uint32_t Win32Processes::Start(const std::string& commandLine, int showCommand) {
    Started started = CreateWithShowCommand(nullptr, Widen(commandLine), showCommand);
    if (!started.ok) return 0;
    CloseHandle(started.info.hThread);
    CloseHandle(started.info.hProcess);
    return started.info.dwProcessId;
}

bool Win32Processes::WaitForInputIdle(std::uint32_t processId, std::uint32_t timeoutMs) {
    // WaitForInputIdle needs the full query right (measured under Wine: the limited one fails).
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, processId);
    if (process == nullptr) return false;
    const DWORD result = ::WaitForInputIdle(process, timeoutMs);
    CloseHandle(process);
    return result == 0;
}

std::optional<std::string> Win32Processes::AssociatedProgram(const std::string& document) {
    wchar_t program[MAX_PATH] = {};
    const auto result = reinterpret_cast<INT_PTR>(FindExecutableW(Widen(document).c_str(), nullptr, program));
    if (result <= 32 || program[0] == L'\0') return std::nullopt;
    return Narrow(program);
}

std::unique_ptr<platform::RunningProcess> Win32Processes::Launch(const std::string& path) {
    const std::wstring program = Widen(path);
    Started started = CreateWithShowCommand(program.c_str(), L"\"" + program + L"\"", SW_SHOWNORMAL);
    if (!started.ok) return nullptr;
    CloseHandle(started.info.hThread);
    return std::make_unique<Win32RunningProcess>(started.info.hProcess, started.info.dwProcessId);
}

}  // namespace velmora::win32
