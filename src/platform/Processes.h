#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/Types.h"

namespace velmora::platform {

// A started program, held open while it is of use: its process id cannot be given to another program meanwhile.
class RunningProcess {
public:
    virtual ~RunningProcess() = default;
    virtual bool HasExited() = 0;
    virtual std::uint32_t ProcessId() = 0;
};

class Processes {
public:
    virtual ~Processes() = default;

    // Starts a command line with a window style; nullptr when the platform refused.
    virtual std::unique_ptr<RunningProcess> Start(const std::string& commandLine, int showCommand) = 0;
    // Waits until the process is ready for input, at most timeoutMs; false on
    // time-out or when the process cannot be opened.
    virtual bool WaitForInputIdle(RunningProcess& process, std::uint32_t timeoutMs) = 0;
    // The program associated with a document; nullopt when there is none.
    virtual std::optional<std::string> AssociatedProgram(const std::string& document) = 0;
    // Starts a program by its path (no arguments) to be waited for; nullptr when it cannot start.
    virtual std::unique_ptr<RunningProcess> Launch(const std::string& path) = 0;
};

}  // namespace velmora::platform
