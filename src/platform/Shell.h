#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Types.h"

namespace velmora::platform {

enum class FileOperation { Move = 1, Copy = 2 };

class Shell {
public:
    virtual ~Shell() = default;
    // Opens a file or address with its associated program (verb "Open"), no
    // error dialogs.
    virtual void Open(WindowHandle owner, const std::string& file) = 0;
    // One shell file operation with FOF_MULTIDESTFILES (the destination names
    // the target item); the platform's own dialogs stay on. The platform's result.
    virtual int FileOperation(WindowHandle owner, FileOperation operation, const std::string& source,
                              const std::string& destination) = 0;
};

class Clipboard {
public:
    virtual ~Clipboard() = default;
    // Empties the clipboard, then puts the text on it as Unicode text.
    virtual bool SetText(const std::string& text) = 0;
    virtual std::string GetText() = 0;
};

// Time and the message queue of the user-interface thread.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::uint32_t NowMs() = 0;  // the multimedia millisecond clock
    virtual void Sleep(std::uint32_t ms) = 0;
    // Handles every pending window message of this thread, then returns.
    virtual void PumpPendingMessages() = 0;
    // Waits until the process ends or a message arrives (or timeoutMs passes),
    // without spinning, then handles pending messages.
    virtual void WaitForProcessOrMessage(class RunningProcess& process, std::uint32_t timeoutMs) = 0;
};

}  // namespace velmora::platform
