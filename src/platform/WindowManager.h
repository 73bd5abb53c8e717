#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Types.h"

namespace velmora::platform {

// Who created a window: kept with every hosted window so that a reused handle
// is never mistaken for ours.
struct WindowIdentity {
    std::uint32_t processId = 0;
    std::uint32_t threadId = 0;
    bool operator==(const WindowIdentity&) const = default;
};

// The window manager operations Velmora needs to host foreign windows.
class WindowManager {
public:
    virtual ~WindowManager() = default;

    virtual bool IsWindow(WindowHandle window) = 0;
    // The window's real parent (also for a re-parented window without WS_CHILD); 0 for top-level.
    virtual WindowHandle GetParent(WindowHandle window) = 0;
    // False when the platform refuses (for example an elevated program's window).
    virtual bool SetParent(WindowHandle window, WindowHandle newParent) = 0;
    virtual void ShowWindow(WindowHandle window, int command) = 0;
    // In the parent's client coordinates, with repainting.
    virtual void MoveWindow(WindowHandle window, base::PixelRect rect) = 0;
    virtual base::PixelRect GetWindowRect(WindowHandle window) = 0;  // relative to the parent's client area
    virtual bool SetForegroundWindow(WindowHandle window) = 0;
    // Top-level again, shown, where it is on the screen now: how a hosted window goes back to its user.
    virtual bool ReleaseToDesktop(WindowHandle window) = 0;

    virtual bool RegisterHotKey(WindowHandle window, int id, std::uint32_t modifiers, std::uint32_t keyCode) = 0;
    virtual void UnregisterHotKey(WindowHandle window, int id) = 0;

    // The next child of parent with that class after `after` (0: the first), or 0.
    virtual WindowHandle FindChild(WindowHandle parent, WindowHandle after, std::string_view className) = 0;
    // nullopt when the list did not answer in time: writing a style read as 0 would clear the others.
    virtual std::optional<std::uint32_t> GetListViewExtendedStyle(WindowHandle list) = 0;
    virtual void SetListViewExtendedStyle(WindowHandle list, std::uint32_t style) = 0;

    // Every top-level window, top of the z-order first.
    virtual std::vector<WindowHandle> TopLevelWindows() = 0;
    virtual std::string WindowTitle(WindowHandle window) = 0;
    virtual std::string ClassName(WindowHandle window) = 0;
    virtual bool IsWindowVisible(WindowHandle window) = 0;
    virtual WindowHandle GetOwner(WindowHandle window) = 0;
    virtual WindowIdentity GetIdentity(WindowHandle window) = 0;

    // Whether the window's thread answers a message within timeoutMs. Re-parenting and moving another
    // thread's window wait for that thread: a window that does not answer would freeze ours.
    virtual bool Responds(WindowHandle window, std::uint32_t timeoutMs) = 0;

    // Asks a window to close as the user's close box would (WM_CLOSE, posted:
    // never a blocking call into a foreign, possibly hung, window).
    virtual void PostClose(WindowHandle window) = 0;
};

}  // namespace velmora::platform
