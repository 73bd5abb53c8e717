#pragma once

// One of the main window's three tab strips (TabStrip1(0), TabStrip1(1),
// TabStrip2): the common tab control and, parallel to its tabs, each tab's
// tag text. Tabs are counted from 1, as the form counts them.
#include <windows.h>
// After windows.h:
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/win32/kit/Subclass.h"

namespace velmora::win32 {

class TabStrip {
public:
    struct Events {
        // A mouse button pressed on the strip, with every button then held
        // (MouseButtons.h), in client pixels; raised before the control's own
        // handling, so before the selection change it causes.
        std::function<void(int buttons, int shift, POINT at)> mouseDown;
        // The user chose a tab: the selection changed, or the tab already
        // selected was pressed again.
        std::function<void()> click;
    };

    TabStrip(HWND parent, int id, bool visible, Events events);
    TabStrip(const TabStrip&) = delete;
    TabStrip& operator=(const TabStrip&) = delete;

    HWND Hwnd() const { return window_; }
    // The strip's notification, as its parent received it.
    void OnNotify(const NMHDR& header);

    void Clear();
    int Count() const;
    void Add(const std::string& caption);  // at the end, with an empty tag
    std::string Caption(int tab) const;
    void SetTag(int tab, const std::string& tag);
    std::string Tag(int tab) const;
    void Remove(int tab);
    int Selected() const;  // 0 when none
    int WidthPixels(int tab) const;

private:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_;
    Events events_;
    std::vector<std::string> tags_;
    Subclass hook_;
};

}  // namespace velmora::win32
