#pragma once

#include <windows.h>

#include "platform/Shell.h"

namespace velmora::win32 {

class Win32Shell final : public platform::Shell {
public:
    void Open(platform::WindowHandle owner, const std::string& file) override;
    int FileOperation(platform::WindowHandle owner, platform::FileOperation operation, const std::string& source,
                      const std::string& destination) override;
};

// The clipboard as Unicode text. It owns a message-only window to open the
// clipboard with: SetClipboardData may fail when the clipboard was emptied
// without an owner.
class Win32Clipboard final : public platform::Clipboard {
public:
    Win32Clipboard();
    ~Win32Clipboard() override;
    Win32Clipboard(const Win32Clipboard&) = delete;
    Win32Clipboard& operator=(const Win32Clipboard&) = delete;

    bool SetText(const std::string& text) override;
    std::string GetText() override;

private:
    bool Open();
    HWND owner_ = nullptr;
};

}  // namespace velmora::win32
