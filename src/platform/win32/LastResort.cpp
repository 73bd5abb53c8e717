#include "platform/win32/LastResort.h"

#include <atomic>
#include <cstdlib>
#include <exception>

namespace velmora::win32::last_resort {
namespace {

// Static storage and lock-free slots: nothing to allocate or lock when the heap or a lock may be what broke.
constexpr std::size_t kSlots = 256;
std::atomic<HWND> held[kSlots];

// A thread that answers at all answers a null message at once; one that does not would hold SetParent, and with it
// the end of this process, for as long as it hangs.
constexpr UINT kAnswerTimeoutMs = 100;

LPTOP_LEVEL_EXCEPTION_FILTER previousFilter = nullptr;

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* exception) {
    GiveBackAll();
    // What would have happened without us: the runtime's filter, then the system's error reporting.
    return previousFilter != nullptr ? previousFilter(exception) : EXCEPTION_CONTINUE_SEARCH;
}

[[noreturn]] void OnTerminate() {
    GiveBackAll();
    std::abort();
}

}  // namespace

void Hold(HWND window) {
    if (window == nullptr) return;
    for (std::atomic<HWND>& slot : held) {
        if (slot.load() == window) return;
    }
    for (std::atomic<HWND>& slot : held) {
        HWND empty = nullptr;
        if (slot.compare_exchange_strong(empty, window)) return;
    }
}

void Forget(HWND window) {
    if (window == nullptr) return;
    for (std::atomic<HWND>& slot : held) {
        HWND expected = window;
        slot.compare_exchange_strong(expected, nullptr);
    }
}

void GiveBackAll() {
    for (std::atomic<HWND>& slot : held) {
        // Taken out first: a second way out (terminate, then the filter) gives nothing back twice.
        HWND window = slot.exchange(nullptr);
        if (window == nullptr || !IsWindow(window)) continue;
        // SMTO_BLOCK: nothing sent to this thread runs meanwhile, none of our broken state is touched again.
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, kAnswerTimeoutMs, &result)) {
            continue;
        }
        RECT screen{};
        const bool known = GetWindowRect(window, &screen) != FALSE;
        if (SetParent(window, nullptr) == nullptr) continue;
        // Posted to the window's own thread (SWP_ASYNCWINDOWPOS): it is shown even after this process has gone.
        UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_ASYNCWINDOWPOS;
        if (!known) flags |= SWP_NOMOVE | SWP_NOSIZE;
        SetWindowPos(window, nullptr, screen.left, screen.top, screen.right - screen.left, screen.bottom - screen.top,
                     flags);
    }
}

void InstallCrashHandlers() {
    previousFilter = SetUnhandledExceptionFilter(&OnUnhandledException);
    std::set_terminate(&OnTerminate);
}

}  // namespace velmora::win32::last_resort
