#include "platform/win32/Panel.h"

#include <utility>

namespace velmora::win32 {
namespace {

constexpr wchar_t kFrameClass[] = L"VelmoraFrame";
constexpr wchar_t kHostAreaClass[] = L"VelmoraHostArea";

}  // namespace

void Panel::RegisterWindowClasses(HINSTANCE instance) {
    const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    Register(instance, {kFrameClass, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), arrow});
    // The host areas are darker so an empty pane shows where it is.
    Register(instance, {kHostAreaClass, reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1), arrow});
}

Panel::Panel(Kind kind, HWND parent, int id, bool visible, ChildMessage onChildMessage)
    : onChildMessage_(std::move(onChildMessage)) {
    Create(0, kind == Kind::Frame ? kFrameClass : kHostAreaClass, L"",
           WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | (visible ? WS_VISIBLE : 0), 0, 0, 0, 0, parent,
           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr));
}

LRESULT Panel::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_NOTIFY && message != WM_COMMAND) return Default(message, wParam, lParam);
    if (onChildMessage_) onChildMessage_(message, wParam, lParam);
    return 0;
}

}  // namespace velmora::win32
