// The window manager over user32, on windows this test makes.
#include <gtest/gtest.h>

#include "platform/win32/Win32WindowManager.h"
// commctrl.h needs the types of windows.h.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <algorithm>

#include "platform/win32/kit/HandleCast.h"

namespace velmora::win32 {
namespace {

HWND MakeWindow(const wchar_t* className, const wchar_t* title, DWORD style, HWND parent = nullptr) {
    return CreateWindowExW(0, className, title, style, 0, 0, 200, 100, parent, nullptr, GetModuleHandleW(nullptr),
                           nullptr);
}

void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

class Win32WindowManagerTest : public testing::Test {
protected:
    void TearDown() override {
        for (HWND window : made_) {
            if (IsWindow(window)) DestroyWindow(window);
        }
    }
    HWND Make(const wchar_t* className, const wchar_t* title, DWORD style, HWND parent = nullptr) {
        HWND window = MakeWindow(className, title, style, parent);
        made_.push_back(window);
        return window;
    }

    Win32WindowManager windows_;
    std::vector<HWND> made_;
};

TEST_F(Win32WindowManagerTest, ReparentedTopLevelWindowReportsItsRealParent) {
    HWND host = Make(L"STATIC", L"host", WS_OVERLAPPEDWINDOW);
    HWND guest = Make(L"STATIC", L"guest", WS_OVERLAPPEDWINDOW);  // no WS_CHILD, as a captured program's window
    EXPECT_EQ(windows_.GetParent(FromHwnd(guest)), 0u);
    ASSERT_TRUE(windows_.SetParent(FromHwnd(guest), FromHwnd(host)));
    EXPECT_EQ(windows_.GetParent(FromHwnd(guest)), FromHwnd(host));

    // Larger than the smallest size a captioned window may take.
    windows_.MoveWindow(FromHwnd(guest), {10, 20, 300, 200});
    EXPECT_EQ(windows_.GetWindowRect(FromHwnd(guest)), (base::PixelRect{10, 20, 300, 200}));

    ASSERT_TRUE(windows_.SetParent(FromHwnd(guest), 0));
    EXPECT_EQ(windows_.GetParent(FromHwnd(guest)), 0u);
    DestroyWindow(host);
    EXPECT_FALSE(windows_.IsWindow(FromHwnd(host)));
    EXPECT_FALSE(windows_.SetParent(FromHwnd(guest), FromHwnd(host))) << "a gone parent is refused";
    EXPECT_FALSE(windows_.IsWindow(0));
}

TEST_F(Win32WindowManagerTest, FindsDirectChildrenByClassInOrder) {
    HWND parent = Make(L"STATIC", L"parent", WS_OVERLAPPEDWINDOW);
    HWND first = Make(L"BUTTON", L"1", WS_CHILD, parent);
    Make(L"STATIC", L"other", WS_CHILD, parent);
    HWND second = Make(L"BUTTON", L"2", WS_CHILD, parent);
    Make(L"BUTTON", L"grandchild", WS_CHILD, second);
    const auto p = FromHwnd(parent);
    EXPECT_EQ(windows_.FindChild(p, 0, "Button"), FromHwnd(first));
    EXPECT_EQ(windows_.FindChild(p, FromHwnd(first), "Button"), FromHwnd(second));
    EXPECT_EQ(windows_.FindChild(p, FromHwnd(second), "Button"), 0u);
    EXPECT_EQ(windows_.FindChild(p, 0, "SysListView32"), 0u);
}

TEST_F(Win32WindowManagerTest, ListViewExtendedStyleIsWrittenWhole) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    HWND parent = Make(L"STATIC", L"parent", WS_OVERLAPPEDWINDOW);
    HWND list = Make(WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT, parent);
    const auto l = FromHwnd(list);
    windows_.SetListViewExtendedStyle(l, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    EXPECT_EQ(windows_.GetListViewExtendedStyle(l),
              static_cast<std::uint32_t>(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT));
    // Mask 0: bits not named are cleared, not kept.
    windows_.SetListViewExtendedStyle(l, LVS_EX_GRIDLINES);
    EXPECT_EQ(windows_.GetListViewExtendedStyle(l), static_cast<std::uint32_t>(LVS_EX_GRIDLINES));
    EXPECT_EQ(windows_.GetListViewExtendedStyle(0), 0u);
}

TEST_F(Win32WindowManagerTest, DescribesTopLevelWindows) {
    HWND owner = Make(L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    HWND owned = Make(L"STATIC", L"メモ帳 - 無題", WS_OVERLAPPEDWINDOW, owner);  // owned, not a child
    const auto o = FromHwnd(owned);
    EXPECT_EQ(windows_.WindowTitle(o), "メモ帳 - 無題");
    EXPECT_EQ(windows_.ClassName(o), "Static");
    EXPECT_FALSE(windows_.IsWindowVisible(o));
    EXPECT_TRUE(windows_.IsWindowVisible(FromHwnd(owner)));
    EXPECT_EQ(windows_.GetOwner(o), FromHwnd(owner));
    EXPECT_EQ(windows_.GetOwner(FromHwnd(owner)), 0u);
    EXPECT_EQ(windows_.GetIdentity(o), (platform::WindowIdentity{GetCurrentProcessId(), GetCurrentThreadId()}));
    const auto all = windows_.TopLevelWindows();
    EXPECT_NE(std::find(all.begin(), all.end(), o), all.end());
    EXPECT_NE(std::find(all.begin(), all.end(), FromHwnd(owner)), all.end());
}

TEST_F(Win32WindowManagerTest, PostCloseIsQueuedNotSent) {
    HWND window = Make(L"STATIC", L"closing", WS_OVERLAPPEDWINDOW);
    windows_.PostClose(FromHwnd(window));
    EXPECT_TRUE(IsWindow(window)) << "nothing happens until the window's thread takes its messages";
    Pump();
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(Win32WindowManagerTest, HotkeysRegisterOnceAndUnregister) {
    HWND window = Make(L"STATIC", L"keys", WS_OVERLAPPEDWINDOW);
    const auto w = FromHwnd(window);
    const std::uint32_t modifiers = MOD_CONTROL | MOD_ALT | MOD_SHIFT;
    ASSERT_TRUE(windows_.RegisterHotKey(w, 256, modifiers, VK_F24));
    // The same combination cannot be taken twice.
    EXPECT_FALSE(windows_.RegisterHotKey(w, 257, modifiers, VK_F24));
    windows_.UnregisterHotKey(w, 256);
    EXPECT_TRUE(windows_.RegisterHotKey(w, 257, modifiers, VK_F24));
    windows_.UnregisterHotKey(w, 257);
}

}  // namespace
}  // namespace velmora::win32
