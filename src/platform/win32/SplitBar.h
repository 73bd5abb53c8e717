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
        // The buttons held (MouseButtons.h): at a press with the one pressed, at
        // a release with the one let go. Client pixels of the bar; they go past
        // its edges while it has the mouse. A drag whose mouse capture another
        // window took ends as at a release.
        std::function<void(int buttons, POINT at)> down;
        std::function<void(int buttons, POINT at)> move;
        std::function<void(int buttons, POINT at)> up;
    };

    static void RegisterWindowClass(HINSTANCE instance);
    // vertical: a bar between side-by-side panes, dragged left and right.
    SplitBar(HWND parent, int id, bool vertical, bool visible, Events events);
    ~SplitBar() override { DestroyDetached(); }

    // Painted in the button shadow colour while dragged, else the face colour.
    void SetShadow(bool shadow);

private:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnMouse(UINT message, WPARAM wParam, LPARAM lParam);

    bool vertical_;
    bool shadow_ = false;
    bool captured_ = false;  // the mouse is ours from a press until the last button is let go
    Events events_;
};

}  // namespace velmora::win32
