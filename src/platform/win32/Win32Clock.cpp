#include "platform/win32/Win32Clock.h"

// mmsystem.h needs the types of windows.h.
// clang-format off
#include <windows.h>
#include <mmsystem.h>
// clang-format on

#include "platform/win32/Win32Processes.h"

namespace velmora::win32 {

std::uint32_t Win32Clock::NowMs() { return timeGetTime(); }

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
