#pragma once

// One of the main window's three tab strips (TabStrip1(0), TabStrip1(1),
// TabStrip2): the common tab control and, parallel to its tabs, each tab's
// tag text. Tabs are counted from 1, as the form counts them. A tab dragged
// along the strip with the left button shows an insertion mark at the gap it
// would go into; each tab has a tooltip whose text is asked for when it shows.
#include <windows.h>
// After windows.h:
#include <commctrl.h>

#include <functional>
#include <optional>
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
        // A double click with the left button, in client pixels.
        std::function<void(POINT at)> doubleClick;
        // The gap (1 before the first tab, Count() + 1 after the last) a tab
        // dragged to client x would go into: the form's own rule.
        std::function<int(int x)> gapAt;
        // Tab `from` was dragged and let go over gap `gap`.
        std::function<void(int from, int gap)> dragged;
        // The tooltip of a tab; empty for none.
        std::function<std::string(int tab)> tooltip;
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
    // Caption and tag go from position `from` to `to`; the selection stays on the tab it was on.
    void Move(int from, int to);
    int Selected() const;  // 0 when none
    int WidthPixels(int tab) const;

private:
    // A left press on a tab, which becomes a drag once the pointer leaves the
    // system's drag rectangle around it with the button still held.
    struct Press {
        int tab = 0;
        POINT at{};
        unsigned changes = 0;  // changes_ at the press: a drag of a strip changed since is dropped
        bool dragging = false;
        int gap = 0;  // where the mark shows
    };

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnPress(UINT message, WPARAM wParam, LPARAM lParam, POINT at);
    void OnDragMove(WPARAM wParam, POINT at);
    // Ends a press or drag: the mark hidden, the mouse let go; the drop raised when `drop`.
    void EndPress(bool drop, POINT at);
    void ShowMark(int gap);
    int TabAt(POINT at) const;  // 1-based; 0 for none
    RECT ItemRect(int tab) const;
    // The tooltip's one tool covers the tab under the pointer, so that moving to another tab shows that tab's text.
    void MakeTooltip();
    void TrackHover(POINT at);
    void Changed();

    HWND window_;
    HWND mark_ = nullptr;
    HWND tooltip_ = nullptr;
    Events events_;
    std::vector<std::string> tags_;
    std::optional<Press> press_;
    unsigned changes_ = 0;  // tabs added, removed or moved so far
    int hoverTab_ = -1;     // the tab the tooltip's tool covers; -1 to be found again
    std::wstring tipText_;  // the tooltip reads it after the notification returns
    Subclass hook_;
};

}  // namespace velmora::win32
