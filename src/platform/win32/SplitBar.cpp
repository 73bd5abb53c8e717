#include "platform/win32/SplitBar.h"

#include <windowsx.h>

#include <utility>

#include "platform/win32/MouseButtons.h"

namespace velmora::win32 {
namespace {

constexpr wchar_t kSplitBarClass[] = L"VelmoraSplitBar";

}  // namespace

void SplitBar::RegisterWindowClass(HINSTANCE instance) {
    // No background and no class cursor: the bar paints its own colour and
    // sets the cursor on WM_SETCURSOR.
    Register(instance, {kSplitBarClass});
}

SplitBar::SplitBar(HWND parent, int id, bool vertical, bool visible, Events events)
    : vertical_(vertical), events_(std::move(events)) {
    Create(0, kSplitBarClass, L"", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | (visible ? WS_VISIBLE : 0), 0, 0, 0,
           0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr));
}

void SplitBar::SetShadow(bool shadow) {
    shadow_ = shadow;
    InvalidateRect(Hwnd(), nullptr, TRUE);
    UpdateWindow(Hwnd());
}

LRESULT SplitBar::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SETCURSOR:
            SetCursor(LoadCursorW(nullptr, vertical_ ? IDC_SIZEWE : IDC_SIZENS));
            return TRUE;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(Hwnd(), &paint);
            RECT rect;
            GetClientRect(Hwnd(), &rect);
            FillRect(dc, &rect, GetSysColorBrush(shadow_ ? COLOR_BTNSHADOW : COLOR_BTNFACE));
            EndPaint(Hwnd(), &paint);
            return 0;
        }
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_XBUTTONDOWN:
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
        case WM_XBUTTONUP:
            OnMouse(message, wParam, lParam);
            // The extra buttons' messages say TRUE when handled.
            return message == WM_XBUTTONDOWN || message == WM_XBUTTONUP ? TRUE : 0;
        case WM_CAPTURECHANGED:
            // Another window took the mouse (a menu, a dialog, another program): no release will come here, so the
            // drag ends now, the bar painted as at rest, instead of following a pointer no button holds.
            if (reinterpret_cast<HWND>(lParam) != Hwnd() && std::exchange(captured_, false) && events_.up) {
                POINT at{};
                GetCursorPos(&at);
                ScreenToClient(Hwnd(), &at);
                events_.up(0, at);
            }
            return 0;
        default:
            return Default(message, wParam, lParam);
    }
}

void SplitBar::OnMouse(UINT message, WPARAM wParam, LPARAM lParam) {
    const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_XBUTTONDOWN:
            // Captured, so the moves and the release arrive here also outside the bar.
            SetCapture(Hwnd());
            captured_ = GetCapture() == Hwnd();
            if (events_.down) events_.down(ButtonsHeld(wParam), at);
            break;
        case WM_MOUSEMOVE:
            if (events_.move) events_.move(ButtonsHeld(wParam), at);
            break;
        default:
            // Let go of before the release is raised: losing the capture here is no lost drag.
            if (ButtonsHeld(wParam) == 0 && std::exchange(captured_, false) && GetCapture() == Hwnd()) ReleaseCapture();
            if (events_.up) events_.up(ButtonsHeld(wParam) | ButtonReleased(message, wParam), at);
            break;
    }
}

}  // namespace velmora::win32
