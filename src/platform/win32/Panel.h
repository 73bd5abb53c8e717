#pragma once

// The main window's plain containers: picFrame(i), which holds a pane's tab
// strip and host area, and frameApp(i), the host area a captured window is
// put in. A picFrame passes its children's notifications (the tab strip's
// selection change, the combo box's pick) on to the main window.
#include <functional>

#include "platform/win32/kit/Window.h"

namespace velmora::win32 {

class Panel final : public Window {
public:
    enum class Kind { Frame, HostArea };
    // WM_NOTIFY or WM_COMMAND from a child.
    using ChildMessage = std::function<void(UINT message, WPARAM wParam, LPARAM lParam)>;

    static void RegisterWindowClasses(HINSTANCE instance);
    Panel(Kind kind, HWND parent, int id, bool visible, ChildMessage onChildMessage);
    ~Panel() override { DestroyDetached(); }

private:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    ChildMessage onChildMessage_;
};

}  // namespace velmora::win32
