#include "platform/win32/kit/Subclass.h"

#include <commctrl.h>

#include <utility>

namespace velmora::win32 {

bool Subclass::Install(HWND window, Handler handler) {
    Remove();
    if (window == nullptr) return false;
    handler_ = std::move(handler);
    if (!SetWindowSubclass(window, &Subclass::Procedure, reinterpret_cast<UINT_PTR>(this),
                           reinterpret_cast<DWORD_PTR>(this))) {
        return false;
    }
    window_ = window;
    return true;
}

void Subclass::Remove() {
    if (HWND window = std::exchange(window_, nullptr)) {
        RemoveWindowSubclass(window, &Subclass::Procedure, reinterpret_cast<UINT_PTR>(this));
    }
}

LRESULT Subclass::Default(UINT message, WPARAM wParam, LPARAM lParam) const {
    return DefSubclassProc(window_, message, wParam, lParam);
}

LRESULT CALLBACK Subclass::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                     DWORD_PTR data) {
    auto* self = reinterpret_cast<Subclass*>(data);
    if (message == WM_NCDESTROY) {
        self->Remove();
        return DefSubclassProc(window, message, wParam, lParam);
    }
    return self->handler_(message, wParam, lParam);
}

}  // namespace velmora::win32
