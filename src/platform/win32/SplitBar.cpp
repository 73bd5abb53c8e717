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
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            return OnMouse(message, wParam, lParam);
        default:
            return Default(message, wParam, lParam);
    }
}

LRESULT SplitBar::OnMouse(UINT message, WPARAM wParam, LPARAM lParam) {
    const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            // Captured, so the moves and the release arrive here also outside the bar.
            SetCapture(Hwnd());
            if (events_.down) events_.down(ButtonOf(message), at);
            break;
        case WM_MOUSEMOVE:
            if (events_.move) events_.move(ButtonsHeld(wParam), at);
            break;
        default:
            if (ButtonsHeld(wParam) == 0 && GetCapture() == Hwnd()) ReleaseCapture();
            if (events_.up) events_.up(ButtonOf(message), at);
            break;
    }
    return 0;
}

}  // namespace velmora::win32
