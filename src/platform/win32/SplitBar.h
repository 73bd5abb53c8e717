#pragma once

// picSplitBar1(0) and (1): the bars the user drags to share the client area
// between the panes. The bar paints itself in the colour the drag asks for,
// shows the sizing cursor and keeps the mouse while a button is held; the
// dragging itself is the form's.
#include <functional>

#include "platform/win32/kit/Window.h"

namespace velmora::win32 {

class SplitBar final : public Window {
public:
    struct Events {
        // Client pixels of the bar; they go past its edges while it has the mouse.
        std::function<void(int button, POINT at)> down;
        std::function<void(int buttons, POINT at)> move;
        std::function<void(int button, POINT at)> up;
    };

    static void RegisterWindowClass(HINSTANCE instance);
    // vertical: a bar between side-by-side panes, dragged left and right.
    SplitBar(HWND parent, int id, bool vertical, bool visible, Events events);
    ~SplitBar() override { DestroyDetached(); }

    // Painted in the button shadow colour while dragged, else the face colour.
    void SetShadow(bool shadow);

private:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnMouse(UINT message, WPARAM wParam, LPARAM lParam);

    bool vertical_;
    bool shadow_ = false;
    Events events_;
};

}  // namespace velmora::win32
