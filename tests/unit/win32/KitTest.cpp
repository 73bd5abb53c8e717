// The kit on real windows: the window base and the subclass helper (messages
// reach the handler; the object lets go of the window at WM_NCDESTROY), and
// the DPI helper.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/win32/kit/Dpi.h"
#include "platform/win32/kit/Handles.h"
#include "platform/win32/kit/Subclass.h"
#include "platform/win32/kit/WinString.h"
#include "platform/win32/kit/Window.h"

namespace velmora::win32 {
namespace {

constexpr UINT kPing = WM_APP + 1;

class Probe final : public Window {
public:
    Probe() {
        const HINSTANCE instance = GetModuleHandleW(nullptr);
        Register(instance, {L"VelmoraTestProbe"});
        Create(0, L"VelmoraTestProbe", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, instance);
    }
    ~Probe() override { DestroyDetached(); }
    using Window::DestroyDetached;

    std::vector<UINT> seen;
    bool hadWindowAtNcDestroy = false;

private:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        seen.push_back(message);
        if (message == WM_NCDESTROY) hadWindowAtNcDestroy = Hwnd() != nullptr;
        return message == kPing ? 42 : Default(message, wParam, lParam);
    }
};

TEST(WindowTest, TheHandlerHasTheWindowFromNcCreateToNcDestroyAndThenLetsGo) {
    Probe probe;
    HWND window = probe.Hwnd();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(probe.seen.front(), static_cast<UINT>(WM_NCCREATE));
    EXPECT_EQ(Window::Of(window), &probe);
    EXPECT_EQ(SendMessageW(window, kPing, 0, 0), 42);
    DestroyWindow(window);
    EXPECT_EQ(probe.seen.back(), static_cast<UINT>(WM_NCDESTROY));
    EXPECT_TRUE(probe.hadWindowAtNcDestroy);
    EXPECT_EQ(probe.Hwnd(), nullptr);

    Probe detached;  // destroyed without its handler seeing it
    const size_t before = detached.seen.size();
    detached.DestroyDetached();
    EXPECT_EQ(detached.seen.size(), before);
    EXPECT_EQ(detached.Hwnd(), nullptr);
}

TEST(SubclassTest, TheHandlerRunsBeforeTheControlUntilRemovedOrDestroyed) {
    HWND edit =
        CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    Subclass hook;
    // Swallows "x"; the rest goes on to the edit box.
    ASSERT_TRUE(hook.Install(edit, [&hook](UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        return message == WM_CHAR && wParam == 'x' ? 0 : hook.Default(message, wParam, lParam);
    }));
    for (wchar_t typed : {L'a', L'x', L'b'}) SendMessageW(edit, WM_CHAR, typed, 0);
    EXPECT_EQ(GetWindowTextUtf8(edit), "ab");
    hook.Remove();
    SendMessageW(edit, WM_CHAR, L'x', 0);
    EXPECT_EQ(GetWindowTextUtf8(edit), "abx");

    ASSERT_TRUE(hook.Install(
        edit, [&hook](UINT message, WPARAM wParam, LPARAM lParam) { return hook.Default(message, wParam, lParam); }));
    DestroyWindow(edit);
    EXPECT_EQ(hook.Hwnd(), nullptr) << "the helper must let go of a destroyed window";
}

TEST(DpiTest, AWindowIsAtItsMonitorsDpiAndTheMessageFontScalesWithTheDpi) {
    const WindowDC screen(nullptr);
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    // One monitor here: the window is at the screen's DPI.
    EXPECT_EQ(static_cast<int>(DpiOfWindow(window).x), GetDeviceCaps(screen.Get(), LOGPIXELSX));
    EXPECT_EQ(static_cast<int>(DpiOfWindow(nullptr).y), GetDeviceCaps(screen.Get(), LOGPIXELSY));
    DestroyWindow(window);

    const LOGFONTW at96 = MessageFontForDpi(96);
    const LOGFONTW at192 = MessageFontForDpi(192);
    EXPECT_NE(at96.lfHeight, 0);
    EXPECT_LE(std::abs(at192.lfHeight - 2 * at96.lfHeight), 1);
    RECT outer{0, 0, 100, 100};
    AdjustWindowRectForDpi(outer, WS_OVERLAPPEDWINDOW, true, 0, 96);
    EXPECT_LT(outer.top, 0) << "a caption and a menu bar above the client area";
}

}  // namespace
}  // namespace velmora::win32
