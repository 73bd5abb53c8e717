#include "platform/win32/TabStrip.h"

#include <windowsx.h>

#include <utility>

#include "platform/win32/MouseButtons.h"
#include "platform/win32/kit/WinString.h"

namespace velmora::win32 {

TabStrip::TabStrip(HWND parent, int id, bool visible, Events events)
    : window_(CreateWindowExW(
          0, WC_TABCONTROLW, L"",
          WS_CHILD | WS_CLIPSIBLINGS | TCS_TABS | TCS_SINGLELINE | TCS_FOCUSNEVER | (visible ? WS_VISIBLE : 0), 0, 0, 0,
          0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr)),
      events_(std::move(events)) {
    hook_.Install(window_, this, &TabStrip::OnMessage);
}

void TabStrip::OnNotify(const NMHDR& header) {
    if (header.code == TCN_SELCHANGE && events_.click) events_.click();
}

LRESULT TabStrip::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_XBUTTONDOWN: {
            const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (events_.mouseDown) events_.mouseDown(ButtonsHeld(wParam), ShiftFromMouse(wParam), at);
            if (message != WM_LBUTTONDOWN) break;
            // A press on the tab that is already selected changes no selection,
            // so the control reports nothing; the user still means "go there"
            // (the pane's window may have been browsed elsewhere since), so it
            // counts as a click on that tab.
            TCHITTESTINFO hit{};
            hit.pt = at;
            const LRESULT tab = SendMessageW(window_, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
            if (tab >= 0 && tab == SendMessageW(window_, TCM_GETCURSEL, 0, 0)) {
                const LRESULT result = hook_.Default(message, wParam, lParam);
                if (events_.click) events_.click();
                return result;
            }
            break;
        }
        default:
            break;
    }
    return hook_.Default(message, wParam, lParam);
}

void TabStrip::Clear() {
    SendMessageW(window_, TCM_DELETEALLITEMS, 0, 0);
    tags_.clear();
}

int TabStrip::Count() const { return static_cast<int>(SendMessageW(window_, TCM_GETITEMCOUNT, 0, 0)); }

void TabStrip::Add(const std::string& caption) {
    std::wstring text = Widen(caption);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    if (SendMessageW(window_, TCM_INSERTITEMW, static_cast<WPARAM>(Count()), reinterpret_cast<LPARAM>(&item)) >= 0) {
        tags_.emplace_back();
    }
}

std::string TabStrip::Caption(int tab) const {
    wchar_t text[1024] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = static_cast<int>(std::size(text));
    if (!SendMessageW(window_, TCM_GETITEMW, static_cast<WPARAM>(tab - 1), reinterpret_cast<LPARAM>(&item))) return {};
    return Narrow(item.pszText);
}

void TabStrip::SetTag(int tab, const std::string& tag) {
    if (tab >= 1 && static_cast<size_t>(tab) <= tags_.size()) tags_[static_cast<size_t>(tab - 1)] = tag;
}

std::string TabStrip::Tag(int tab) const {
    if (tab < 1 || static_cast<size_t>(tab) > tags_.size()) return {};
    return tags_[static_cast<size_t>(tab - 1)];
}

void TabStrip::Remove(int tab) {
    if (tab < 1 || static_cast<size_t>(tab) > tags_.size()) return;
    if (SendMessageW(window_, TCM_DELETEITEM, static_cast<WPARAM>(tab - 1), 0)) tags_.erase(tags_.begin() + (tab - 1));
}

int TabStrip::Selected() const { return static_cast<int>(SendMessageW(window_, TCM_GETCURSEL, 0, 0)) + 1; }

int TabStrip::WidthPixels(int tab) const {
    RECT rect{};
    if (!SendMessageW(window_, TCM_GETITEMRECT, static_cast<WPARAM>(tab - 1), reinterpret_cast<LPARAM>(&rect)))
        return 0;
    return rect.right - rect.left;
}

}  // namespace velmora::win32
