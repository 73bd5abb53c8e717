#pragma once

#include "platform/WindowManager.h"

namespace velmora::win32 {

// The window manager over user32. Every other program's window it puts inside one of ours is recorded for the
// crash handlers (LastResort.h) until it is given back.
class Win32WindowManager final : public platform::WindowManager {
public:
    bool IsWindow(platform::WindowHandle window) override;
    platform::WindowHandle GetParent(platform::WindowHandle window) override;
    bool SetParent(platform::WindowHandle window, platform::WindowHandle newParent) override;
    void ShowWindow(platform::WindowHandle window, int command) override;
    void MoveWindow(platform::WindowHandle window, base::PixelRect rect) override;
    base::PixelRect GetWindowRect(platform::WindowHandle window) override;
    bool SetForegroundWindow(platform::WindowHandle window) override;
    bool ReleaseToDesktop(platform::WindowHandle window) override;
    bool RegisterHotKey(platform::WindowHandle window, int id, std::uint32_t modifiers, std::uint32_t keyCode) override;
    void UnregisterHotKey(platform::WindowHandle window, int id) override;
    platform::WindowHandle FindChild(platform::WindowHandle parent, platform::WindowHandle after,
                                     std::string_view className) override;
    std::optional<std::uint32_t> GetListViewExtendedStyle(platform::WindowHandle list) override;
    void SetListViewExtendedStyle(platform::WindowHandle list, std::uint32_t style) override;
    std::vector<platform::WindowHandle> TopLevelWindows() override;
    std::string WindowTitle(platform::WindowHandle window) override;
    std::string ClassName(platform::WindowHandle window) override;
    bool IsWindowVisible(platform::WindowHandle window) override;
    platform::WindowHandle GetOwner(platform::WindowHandle window) override;
    platform::WindowIdentity GetIdentity(platform::WindowHandle window) override;
    bool Responds(platform::WindowHandle window, std::uint32_t timeoutMs) override;
    void PostClose(platform::WindowHandle window) override;
};

}  // namespace velmora::win32
