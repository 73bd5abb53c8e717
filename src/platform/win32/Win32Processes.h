#pragma once

#include <windows.h>

#include <utility>

#include "platform/Processes.h"
#include "platform/win32/kit/Handles.h"

namespace velmora::win32 {

// A started process, held by its handle until this object goes: its id is not reused meanwhile.
class Win32RunningProcess final : public platform::RunningProcess {
public:
    Win32RunningProcess(UniqueHandle process, std::uint32_t processId)
        : process_(std::move(process)), processId_(processId) {}

    bool HasExited() override;
    std::uint32_t ProcessId() override { return processId_; }
    // For waits that also wake on window messages.
    HANDLE Handle() const { return process_.Get(); }

private:
    UniqueHandle process_;
    std::uint32_t processId_;
};

class Win32Processes final : public platform::Processes {
public:
    std::unique_ptr<platform::RunningProcess> Start(const std::string& commandLine, int showCommand) override;
    bool WaitForInputIdle(platform::RunningProcess& process, std::uint32_t timeoutMs) override;
    std::optional<std::string> AssociatedProgram(const std::string& document) override;
    std::unique_ptr<platform::RunningProcess> Launch(const std::string& path) override;
};

}  // namespace velmora::win32
