#include "platform/win32/Win32Processes.h"

#include <shellapi.h>

#include <vector>

#include "platform/win32/kit/WinString.h"

namespace velmora::win32 {
namespace {

// CreateProcessW may write into the command line, so it gets its own copy. The thread's handle is of no use to us
// and is closed at once.
std::unique_ptr<Win32RunningProcess> CreateWithShowCommand(const wchar_t* application, std::wstring commandLine,
                                                           int showCommand) {
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCommand);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(application, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        return nullptr;
    }
    const UniqueHandle thread(info.hThread);
    return std::make_unique<Win32RunningProcess>(UniqueHandle(info.hProcess), info.dwProcessId);
}

}  // namespace

bool Win32RunningProcess::HasExited() { return WaitForSingleObject(process_.Get(), 0) != WAIT_TIMEOUT; }

std::unique_ptr<platform::RunningProcess> Win32Processes::Start(const std::string& commandLine, int showCommand) {
    return CreateWithShowCommand(nullptr, Widen(commandLine), showCommand);
}

bool Win32Processes::WaitForInputIdle(platform::RunningProcess& process, std::uint32_t timeoutMs) {
    // The handle CreateProcessW gave has every right WaitForInputIdle needs; opening the process again by its id
    // could reach another program that got the id meanwhile.
    const auto* started = dynamic_cast<const Win32RunningProcess*>(&process);
    return started != nullptr && ::WaitForInputIdle(started->Handle(), timeoutMs) == 0;
}

std::optional<std::string> Win32Processes::AssociatedProgram(const std::string& document) {
    wchar_t program[MAX_PATH] = {};
    const auto result = reinterpret_cast<INT_PTR>(FindExecutableW(Widen(document).c_str(), nullptr, program));
    if (result <= 32 || program[0] == L'\0') return std::nullopt;
    return Narrow(program);
}

std::unique_ptr<platform::RunningProcess> Win32Processes::Launch(const std::string& path) {
    const std::wstring program = Widen(path);
    return CreateWithShowCommand(program.c_str(), L"\"" + program + L"\"", SW_SHOWNORMAL);
}

}  // namespace velmora::win32
