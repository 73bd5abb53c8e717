// The kit on real windows: the window base and the subclass helper (messages reach the handler; the object lets go
// of the window at WM_NCDESTROY), and the DPI helpers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/win32/kit/Dpi.h"
#include "platform/win32/kit/Subclass.h"
#include "platform/win32/kit/WinString.h"
#include "platform/win32/kit/Window.h"

namespace velmora::win32 {
namespace {

constexpr UINT kPing = WM_APP + 1;

class Probe final : public Window {
public:
    Probe() {
        Register(GetModuleHandleW(nullptr), {L"VelmoraTestProbe"});
        Create(0, L"VelmoraTestProbe", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, GetModuleHandleW(nullptr));
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
    Probe probe, detached;
    ASSERT_NE(probe.Hwnd(), nullptr);
    EXPECT_EQ(probe.seen.front(), static_cast<UINT>(WM_NCCREATE));
    EXPECT_EQ(SendMessageW(probe.Hwnd(), kPing, 0, 0), 42);
    DestroyWindow(probe.Hwnd());
    EXPECT_EQ(probe.seen.back(), static_cast<UINT>(WM_NCDESTROY));
    EXPECT_TRUE(probe.hadWindowAtNcDestroy && !probe.Hwnd());

    // Destroyed without its handler seeing it.
    const size_t before = detached.seen.size();
    detached.DestroyDetached();
    EXPECT_TRUE(detached.seen.size() == before && !detached.Hwnd());
}

TEST(SubclassTest, TheHandlerRunsBeforeTheControlUntilRemovedOrDestroyed) {
    HWND edit =
        CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    Subclass hook;
    ASSERT_TRUE(hook.Install(edit, [&hook](UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        return message == WM_CHAR && wParam == 'x' ? 0 : hook.Default(message, wParam, lParam);
    }));
    for (wchar_t typed : {L'a', L'x', L'b'}) SendMessageW(edit, WM_CHAR, typed, 0);
    hook.Remove();
    SendMessageW(edit, WM_CHAR, L'x', 0);
    EXPECT_EQ(GetWindowTextUtf8(edit), "abx");

    ASSERT_TRUE(hook.Install(
        edit, [&hook](UINT message, WPARAM wParam, LPARAM lParam) { return hook.Default(message, wParam, lParam); }));
    DestroyWindow(edit);
    EXPECT_EQ(hook.Hwnd(), nullptr) << "the helper must let go of a destroyed window";
}

TEST(DpiTest, TheMessageFontAndTheFrameScaleWithTheDpi) {
    const LOGFONTW at96 = MessageFontForDpi(96), at192 = MessageFontForDpi(192);
    EXPECT_NE(at96.lfHeight, 0);
    EXPECT_LE(std::abs(at192.lfHeight - 2 * at96.lfHeight), 1);
    RECT outer96{0, 0, 100, 100}, outer192 = outer96;
    AdjustWindowRectForDpi(outer96, WS_OVERLAPPEDWINDOW, true, 0, 96);
    AdjustWindowRectForDpi(outer192, WS_OVERLAPPEDWINDOW, true, 0, 192);
    EXPECT_TRUE(outer192.top < outer96.top && outer96.top < 0) << outer96.top << " " << outer192.top;
}

}  // namespace
}  // namespace velmora::win32
