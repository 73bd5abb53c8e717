#include "platform/win32/Win32WindowManager.h"

#include <windows.h>

#include <type_traits>

#include "platform/win32/LastResort.h"
#include "platform/win32/kit/HandleCast.h"
#include "platform/win32/kit/WinString.h"

static_assert(std::is_same_v<velmora::platform::WindowHandle, std::uint64_t>,
              "the kit's handle casts spell the contract's handle type");

namespace velmora::win32 {
namespace {

// A list view of another program may hang: never wait on it for long. Read twice a second, so a list that does not
// answer costs at most this much of every tick.
constexpr UINT kListTimeoutMs = 500;
constexpr UINT kGetExtendedListStyle = 0x1037;  // LVM_GETEXTENDEDLISTVIEWSTYLE
constexpr UINT kSetExtendedListStyle = 0x1036;  // LVM_SETEXTENDEDLISTVIEWSTYLE

bool OfThisProcess(HWND window) {
    DWORD processId = 0;
    return GetWindowThreadProcessId(window, &processId) != 0 && processId == GetCurrentProcessId();
}

}  // namespace

bool Win32WindowManager::IsWindow(platform::WindowHandle window) { return window != 0 && ::IsWindow(ToHwnd(window)); }

platform::WindowHandle Win32WindowManager::GetParent(platform::WindowHandle window) {
    // GetParent reports the owner, or nothing, for a re-parented window that
    // lacks WS_CHILD; GetAncestor(GA_PARENT) reports the real parent, and the
    // desktop window for a top-level one.
    HWND parent = GetAncestor(ToHwnd(window), GA_PARENT);
    if (parent == nullptr || parent == GetDesktopWindow()) return 0;
    return FromHwnd(parent);
}

bool Win32WindowManager::SetParent(platform::WindowHandle window, platform::WindowHandle newParent) {
    HWND hwnd = ToHwnd(window);
    HWND parent = ToHwnd(newParent);
    if (::SetParent(hwnd, parent) == nullptr) return false;
    // Only another program's window needs giving back: one of ours ends with us anyway.
    if (parent != nullptr && OfThisProcess(parent) && !OfThisProcess(hwnd)) {
        last_resort::Hold(hwnd);
    } else {
        last_resort::Forget(hwnd);
    }
    return true;
}

void Win32WindowManager::ShowWindow(platform::WindowHandle window, int command) {
    ::ShowWindow(ToHwnd(window), command);
}

void Win32WindowManager::MoveWindow(platform::WindowHandle window, base::PixelRect rect) {
    ::MoveWindow(ToHwnd(window), rect.left, rect.top, rect.width, rect.height, TRUE);
}

base::PixelRect Win32WindowManager::GetWindowRect(platform::WindowHandle window) {
    RECT rect{};
    if (!::GetWindowRect(ToHwnd(window), &rect)) return {};
    HWND parent = GetAncestor(ToHwnd(window), GA_PARENT);
    if (parent != nullptr && parent != GetDesktopWindow()) {
        MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
    }
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

bool Win32WindowManager::SetForegroundWindow(platform::WindowHandle window) {
    return ::SetForegroundWindow(ToHwnd(window)) != FALSE;
}

bool Win32WindowManager::ReleaseToDesktop(platform::WindowHandle window) {
    HWND hwnd = ToHwnd(window);
    RECT screen{};
    if (!::GetWindowRect(hwnd, &screen) || ::SetParent(hwnd, nullptr) == nullptr) return false;
    last_resort::Forget(hwnd);
    // SetParent keeps the position relative to the old parent's client area; the user should find the window where
    // it was on the screen.
    SetWindowPos(hwnd, nullptr, screen.left, screen.top, screen.right - screen.left, screen.bottom - screen.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    ::ShowWindow(hwnd, SW_SHOWNA);
    return true;
}

bool Win32WindowManager::RegisterHotKey(platform::WindowHandle window, int id, std::uint32_t modifiers,
                                        std::uint32_t keyCode) {
    return ::RegisterHotKey(ToHwnd(window), id, modifiers, keyCode) != FALSE;
}

void Win32WindowManager::UnregisterHotKey(platform::WindowHandle window, int id) {
    ::UnregisterHotKey(ToHwnd(window), id);
}

platform::WindowHandle Win32WindowManager::FindChild(platform::WindowHandle parent, platform::WindowHandle after,
                                                     std::string_view className) {
    const std::wstring name = Widen(className);
    return FromHwnd(FindWindowExW(ToHwnd(parent), ToHwnd(after), name.c_str(), nullptr));
}

std::optional<std::uint32_t> Win32WindowManager::GetListViewExtendedStyle(platform::WindowHandle list) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(ToHwnd(list), kGetExtendedListStyle, 0, 0, SMTO_ABORTIFHUNG, kListTimeoutMs, &result)) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(result);
}

void Win32WindowManager::SetListViewExtendedStyle(platform::WindowHandle list, std::uint32_t style) {
    // Mask 0: every extended style bit takes the new value.
    DWORD_PTR result = 0;
    SendMessageTimeoutW(ToHwnd(list), kSetExtendedListStyle, 0, static_cast<LPARAM>(style), SMTO_ABORTIFHUNG,
                        kListTimeoutMs, &result);
}

std::vector<platform::WindowHandle> Win32WindowManager::TopLevelWindows() {
    std::vector<platform::WindowHandle> windows;
    EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            reinterpret_cast<std::vector<platform::WindowHandle>*>(context)->push_back(FromHwnd(window));
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::string Win32WindowManager::WindowTitle(platform::WindowHandle window) {
    wchar_t text[512] = {};
    const int length = ::GetWindowTextW(ToHwnd(window), text, static_cast<int>(std::size(text)));
    return Narrow(std::wstring_view(text, length > 0 ? static_cast<size_t>(length) : 0));
}

std::string Win32WindowManager::ClassName(platform::WindowHandle window) {
    wchar_t name[256] = {};
    const int length = ::GetClassNameW(ToHwnd(window), name, static_cast<int>(std::size(name)));
    return Narrow(std::wstring_view(name, length > 0 ? static_cast<size_t>(length) : 0));
}

bool Win32WindowManager::IsWindowVisible(platform::WindowHandle window) {
    return ::IsWindowVisible(ToHwnd(window)) != FALSE;
}

platform::WindowHandle Win32WindowManager::GetOwner(platform::WindowHandle window) {
    return FromHwnd(GetWindow(ToHwnd(window), GW_OWNER));
}

platform::WindowIdentity Win32WindowManager::GetIdentity(platform::WindowHandle window) {
    DWORD processId = 0;
    const DWORD threadId = GetWindowThreadProcessId(ToHwnd(window), &processId);
    return {processId, threadId};
}

bool Win32WindowManager::Responds(platform::WindowHandle window, std::uint32_t timeoutMs) {
    // Without SMTO_BLOCK: while we wait, a message the window sends to us (its parent) is still handled.
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(ToHwnd(window), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}

void Win32WindowManager::PostClose(platform::WindowHandle window) { PostMessageW(ToHwnd(window), WM_CLOSE, 0, 0); }

}  // namespace velmora::win32
