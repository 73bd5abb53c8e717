#include "platform/win32/kit/Window.h"

#include <utility>

namespace velmora::win32 {

Window::~Window() { DestroyDetached(); }

Window* Window::Of(HWND window) { return reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA)); }

bool Window::Register(HINSTANCE instance, const WindowClass& windowClass) {
    WNDCLASSEXW existing{sizeof(existing)};
    if (GetClassInfoExW(instance, windowClass.name, &existing)) return true;
    WNDCLASSEXW cls{sizeof(cls)};
    cls.lpfnWndProc = &Window::Procedure;
    cls.hInstance = instance;
    cls.hIcon = windowClass.icon;
    cls.hCursor = windowClass.cursor;
    cls.hbrBackground = windowClass.background;
    cls.lpszClassName = windowClass.name;
    return RegisterClassExW(&cls) != 0;
}

bool Window::Create(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x, int y, int width,
                    int height, HWND parent, HMENU menuOrId, HINSTANCE instance) {
    CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, menuOrId, instance, this);
    return hwnd_ != nullptr;
}

LRESULT Window::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) { return Default(message, wParam, lParam); }

LRESULT Window::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void Window::DestroyDetached() {
    if (HWND window = std::exchange(hwnd_, nullptr)) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        DestroyWindow(window);
    }
}

LRESULT CALLBACK Window::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    // Messages before WM_NCCREATE (WM_GETMINMAXINFO) and after a detach have no object.
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    if (message != WM_NCDESTROY) return self->OnMessage(message, wParam, lParam);
    const LRESULT result = self->OnMessage(message, wParam, lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return result;
}

}  // namespace velmora::win32
