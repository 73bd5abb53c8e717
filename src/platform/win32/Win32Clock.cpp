#include "platform/win32/Win32Clock.h"

#include <windows.h>

#include "platform/win32/Win32Processes.h"

namespace velmora::win32 {

// The performance counter, not timeGetTime: as precise, and from kernel32, so the program imports no DLL that a file
// beside it could stand in for before its first line runs. Wraps as a 32-bit millisecond count does.
std::uint32_t Win32Clock::NowMs() {
    LARGE_INTEGER counter{};
    LARGE_INTEGER frequency{};
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    const auto ticks = static_cast<unsigned long long>(counter.QuadPart);
    const auto perSecond = static_cast<unsigned long long>(frequency.QuadPart);
    return static_cast<std::uint32_t>(ticks / perSecond * 1000 + ticks % perSecond * 1000 / perSecond);
}

void Win32Clock::Sleep(std::uint32_t ms) { ::Sleep(ms); }

void Win32Clock::PumpPendingMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // The program is ending: leave the quit for the main message loop.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void Win32Clock::WaitForProcessOrMessage(platform::RunningProcess& process, std::uint32_t timeoutMs) {
    auto* running = dynamic_cast<Win32RunningProcess*>(&process);
    HANDLE handle = running != nullptr ? running->Handle() : nullptr;
    MsgWaitForMultipleObjects(handle != nullptr ? 1 : 0, handle != nullptr ? &handle : nullptr, FALSE, timeoutMs,
                              QS_ALLINPUT);
    PumpPendingMessages();
}

}  // namespace velmora::win32
