#pragma once

// The one window procedure of our own windows. Each window is an object of a
// class derived from Window and only handles messages; the object is found
// through GWLP_USERDATA, set at WM_NCCREATE and cleared after WM_NCDESTROY.
#include <windows.h>

namespace velmora::win32 {

// A window class of ours; its procedure is always Window's.
struct WindowClass {
    const wchar_t* name = nullptr;
    HBRUSH background = nullptr;
    HCURSOR cursor = nullptr;
    HICON icon = nullptr;
};

class Window {
public:
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Hwnd() const { return hwnd_; }

    // The object behind a window made through Create (only for those: other
    // classes keep their own data in the same slot); nullptr once the window
    // has had its WM_NCDESTROY.
    static Window* Of(HWND window);

    // Registers a class whose windows run through this procedure. A class of
    // that name already registered (a second window of the process) is kept.
    static bool Register(HINSTANCE instance, const WindowClass& windowClass);

protected:
    Window() = default;
    // A window still there is destroyed without this object: by the time this
    // runs, the derived object that handled its messages is gone.
    virtual ~Window();

    // Creates a window of a class registered through Register with this object
    // behind it; false when it could not be made.
    bool Create(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x, int y, int width,
                int height, HWND parent, HMENU menuOrId, HINSTANCE instance);

    // Every message of the window from WM_NCCREATE on; WM_NCDESTROY is the
    // last, after which Hwnd() is null. The default is DefWindowProcW.
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

    // Lets go of the window and destroys it: its last messages see only the
    // default handling. For a destructor that must not run handlers.
    void DestroyDetached();

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
};

}  // namespace velmora::win32
