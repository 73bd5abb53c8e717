#pragma once

// A window of another class (a common control) whose messages pass through a
// handler of ours first, through SetWindowSubclass. The handler calls
// Default() for the control's own handling, before or after its own work.
#include <windows.h>

#include <functional>

namespace velmora::win32 {

class Subclass {
public:
    using Handler = std::function<LRESULT(UINT message, WPARAM wParam, LPARAM lParam)>;

    Subclass() = default;
    ~Subclass() { Remove(); }
    // The platform keeps this object's address: it never moves.
    Subclass(const Subclass&) = delete;
    Subclass& operator=(const Subclass&) = delete;

    // Puts handler in front of window's procedure until Remove, this object's
    // end or the window's WM_NCDESTROY (which the handler does not see).
    bool Install(HWND window, Handler handler);
    template <class Owner>
    bool Install(HWND window, Owner* owner, LRESULT (Owner::*member)(UINT, WPARAM, LPARAM)) {
        return Install(window, [owner, member](UINT message, WPARAM wParam, LPARAM lParam) {
            return (owner->*member)(message, wParam, lParam);
        });
    }
    void Remove();

    HWND Hwnd() const { return window_; }
    // The window's handling without this handler.
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) const;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR self);

    HWND window_ = nullptr;
    Handler handler_;
};

}  // namespace velmora::win32
