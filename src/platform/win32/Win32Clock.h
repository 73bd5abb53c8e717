#pragma once

#include "platform/Shell.h"

namespace velmora::win32 {

// A millisecond clock and this thread's message queue.
class Win32Clock final : public platform::Clock {
public:
    std::uint32_t NowMs() override;
    void Sleep(std::uint32_t ms) override;
    void PumpPendingMessages() override;
    void WaitForProcessOrMessage(platform::RunningProcess& process, std::uint32_t timeoutMs) override;
};

}  // namespace velmora::win32
