#pragma once

#include <windows.h>

#include <functional>

namespace velmora {

// Handles this thread's messages until the condition holds or the time is up: what the test waits on may need an
// answer from this thread (a re-parenting, a sent message) before it can happen.
inline bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 10000) {
    for (const DWORD start = GetTickCount(); !condition(); Sleep(20)) {
        if (GetTickCount() - start > timeoutMs) return false;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    return true;
}

}  // namespace velmora
