// The main window's real controls in this process: twips placed at the window's DPI and again after a DPI change,
// the tab strips' tags kept parallel to the control's own tabs, the hotkey procedure's place among the window's
// procedures, and the menus' state (another process cannot read a menu under Wine).
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h:
#include <commctrl.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "platform/win32/MainWindowIds.h"
#include "platform/win32/Win32MainWindow.h"

namespace velmora::win32 {
namespace {

using base::TwipsRect;
using platform::Control;
using platform::Strip;

class Events final : public platform::MainWindowEvents {
public:
    std::vector<std::string> log;

    void OnMenu(platform::MenuItem) override { log.push_back("menu"); }
    void OnTabClick(Strip strip) override { log.push_back("click " + std::to_string(static_cast<int>(strip))); }
    void OnTabMouseDown(Strip, int buttons, int, double, double) override { Log("down", buttons); }
    void OnTabDragged(Strip, int from, int gap) override { Log("dragged " + std::to_string(from), gap); }
    void OnSplitMouseDown(int, int buttons, double, double) override { Log("split down", buttons); }
    void OnSplitMouseUp(int, int buttons, double, double) override { Log("split up", buttons); }
    bool refuseEnd = false;
    bool OnQueryEndSession() override { return Log("query end", refuseEnd), refuseEnd; }
    void OnEndSession() override { log.push_back("end"); }
    void OnUnload() override { log.push_back("unload"); }
    void Log(std::string what, int value) { log.push_back(what.append(" ").append(std::to_string(value))); }
    void OnHotkey(int id) override { log.push_back("hotkey " + std::to_string(id)); }
    void OnDpiChanged() override { log.push_back("dpi"); }
    void OnHelpMenuOpening() override { log.push_back("help"); }

    void OnLoad() override {}
    bool OnQueryClose() override { return false; }
    void OnResize() override {}
    void OnFrameResize(int) override {}
    int OnTabDragOver(Strip, int) override { return 0; }
    void OnTabDrop(Strip, bool, const std::vector<std::string>&, int, double, double) override {}
    void OnFrameDrop(int, bool, const std::vector<std::string>&) override {}
    void OnComboClick() override {}
    void OnSplitMouseMove(int, int, double, double) override {}
    void OnTimer() override {}
    void OnTabDoubleClick(Strip, double) override {}
    std::string OnTabTooltip(Strip, int) override { return {}; }
};

class Win32MainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        MainWindowOptions options;
        options.instanceMutex = L"Local\\Velmora.Test." + std::to_wstring(GetCurrentProcessId());
        options.quitOnDestroy = false;
        window_ = std::make_unique<Win32MainWindow>(GetModuleHandleW(nullptr), options);
        ASSERT_NE(window_->Hwnd(), nullptr);
        window_->SetEvents(&events_);
        ASSERT_TRUE(window_->LoadAndShow());
        window_->Place(Control::TabStrip1_0, {0, 0, 6000, 300});
        ASSERT_DOUBLE_EQ(window_->TwipsPerPixelX(), 15.0) << "the pixel values here are for 96 DPI";
    }
    Events events_;
    std::unique_ptr<Win32MainWindow> window_;
};

TEST_F(Win32MainWindowTest, TwipsArePlacedAtTheWindowsDpiAndAgainAfterADpiChange) {
    // What, the control, its twips and its pixels in the parent's client area.
    const std::tuple<const char*, Control, TwipsRect, RECT> cases[] = {
        {"halves go to the even pixel", Control::PicFrame1, {7.5, 22.5, 37.5, 52.5}, {0, 2, 2, 6}},
        {"inside a frame, no negative size", Control::FrameApp1, {15, 270, -300, 1500}, {1, 18, 1, 118}},
        {"wider than 16 bits of twips", Control::PicFrame0, {0, 0, 57600, 32775}, {0, 0, 3840, 2185}},
    };
    for (const auto& [what, control, twips, pixels] : cases) window_->Place(control, twips);
    // Moved behind the window's back: the DPI change must place every control again.
    for (const auto& c : cases) MoveWindow(window_->ControlWindow(std::get<Control>(c)), 7, 7, 7, 7, FALSE);
    RECT suggested{50, 60, 950, 760};
    SendMessageW(window_->Hwnd(), WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
    for (const auto& [what, id, twips, pixels] : cases) {
        SCOPED_TRACE(what);
        HWND control = window_->ControlWindow(id);
        RECT placed{};
        GetWindowRect(control, &placed);
        MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&placed), 2);
        EXPECT_TRUE(EqualRect(&placed, &pixels))
            << placed.left << "," << placed.top << "," << placed.right << "," << placed.bottom;
        EXPECT_EQ(window_->Bounds(id), twips) << "the twips stay as given";
    }
    RECT outer{};
    GetWindowRect(window_->Hwnd(), &outer);
    EXPECT_TRUE(outer.left == 50 && outer.right - outer.left == 900) << outer.left << " " << outer.right;
    EXPECT_EQ(events_.log, std::vector<std::string>{"dpi"}) << "told once the window has its new place";
}

TEST_F(Win32MainWindowTest, TagsStayParallelToTheTabsAndAPressOnTheSelectedTabIsAClickToo) {
    for (const char* caption : {"デスクトップ", "Windows", "third"}) window_->AddTab(Strip::Explorer1, caption);
    for (int tab = 1; tab <= 3; ++tab) window_->SetTabTag(Strip::Explorer1, tab, "tag" + std::to_string(tab));
    window_->AddTab(Strip::Explorer2, "other");
    window_->RemoveTab(Strip::Explorer1, 1);
    window_->RemoveTab(Strip::Explorer1, 9);  // no such tab: nothing goes
    const std::vector<std::string> tags{window_->TabTag(Strip::Explorer1, 1), window_->TabTag(Strip::Explorer1, 2),
                                        window_->TabTag(Strip::Explorer1, 3), window_->TabTag(Strip::Explorer2, 1)};
    EXPECT_EQ(tags, (std::vector<std::string>{"tag2", "tag3", "", ""}));

    // The control reports a selection change only for the first press on a tab.
    HWND strip = window_->ControlWindow(Control::TabStrip1_0);
    RECT second{};
    ASSERT_TRUE(SendMessageW(strip, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second)));
    for (int press = 0; press < 2; ++press) {
        events_.log.clear();
        SendMessageW(strip, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(second.left + 3, second.top + 3));
        SendMessageW(strip, WM_LBUTTONUP, 0, MAKELPARAM(second.left + 3, second.top + 3));
        EXPECT_EQ(events_.log, (std::vector<std::string>{"down 1", "click 0"}));
        EXPECT_EQ(window_->SelectedTab(Strip::Explorer1), 2);
    }

    // Moved, a tab takes its tag along, and the selection stays on the tab it was on ("third", pressed above).
    window_->AddTab(Strip::Explorer1, "fourth");
    const int moves[][3] = {{3, 1, 3}, {3, 2, 2}, {1, 3, 1}};  // from, to, then selected
    for (const auto& move : moves) {
        window_->MoveTab(Strip::Explorer1, move[0], move[1]);
        EXPECT_EQ(window_->SelectedTab(Strip::Explorer1), move[2]) << move[0] << " to " << move[1];
    }
    EXPECT_EQ(window_->TabCaption(Strip::Explorer1, 1) + window_->TabTag(Strip::Explorer1, 1), "thirdtag3");
    EXPECT_EQ(window_->TabCaption(Strip::Explorer1, 2) + window_->TabTag(Strip::Explorer1, 2), "Windowstag2");

    window_->ClearTabs(Strip::Explorer1);
    window_->AddTab(Strip::Explorer1, "new");
    EXPECT_EQ(window_->TabTag(Strip::Explorer1, 1), "") << "a cleared strip keeps no old tags";
}

TEST_F(Win32MainWindowTest, PressesReportEveryButtonHeldAndADragEndsWhenAnotherWindowTakesTheMouse) {
    // A right press with the left held is 3, which the form takes for no popup request.
    for (const char* caption : {"one", "two"}) window_->AddTab(Strip::Explorer1, caption);
    HWND strip = window_->ControlWindow(Control::TabStrip1_0), bar = window_->ControlWindow(Control::SplitBar0);
    SendMessageW(strip, WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, 0);
    SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    SendMessageW(bar, WM_XBUTTONDOWN, MAKEWPARAM(MK_LBUTTON | MK_XBUTTON1, XBUTTON1), 0);
    SetCapture(window_->Hwnd());  // a menu or another program takes the mouse: no release comes to the bar
    ReleaseCapture();
    // A tab dragged goes into the gap at its release, unless another window took the mouse meanwhile.
    for (bool taken : {true, false}) {
        SendMessageW(strip, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        SendMessageW(strip, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(300, 5));
        if (taken) SetCapture(window_->Hwnd());
        SendMessageW(strip, WM_LBUTTONUP, 0, MAKELPARAM(300, 5));
    }
    EXPECT_EQ(events_.log, (std::vector<std::string>{"down 3", "split down 1", "split down 9", "split up 0", "down 1",
                                                     "click 0", "down 1", "click 0", "dragged 1 3"}));
}

TEST_F(Win32MainWindowTest, TheSessionsEndIsAskedAsTheFormAnswersAndEndsItOnce) {
    HWND main = window_->Hwnd();
    events_.refuseEnd = true;
    EXPECT_EQ(SendMessageW(main, WM_QUERYENDSESSION, 0, 0), FALSE);
    events_.refuseEnd = false;
    EXPECT_EQ(SendMessageW(main, WM_QUERYENDSESSION, 0, 0), TRUE);
    SendMessageW(main, WM_ENDSESSION, FALSE, 0);  // another program refused: the session goes on
    SendMessageW(main, WM_ENDSESSION, TRUE, 0);
    SendMessageW(main, WM_CLOSE, 0, 0);  // after the end, the close runs nothing of the form again
    EXPECT_EQ(events_.log, (std::vector<std::string>{"query end 1", "query end 0", "end"}));
    EXPECT_FALSE(IsWindow(main));
}

TEST_F(Win32MainWindowTest, MenusShowTheStateTheFormGivesThem) {
    // The form hears of the Help menu opening, before the system shows it, to set its read-me entry; of no other.
    const HMENU help = window_->Menus().HelpMenu(), popup = window_->Menus().Popup(platform::PopupMenu::Explorer2);
    for (HMENU menu : {popup, help}) SendMessageW(window_->Hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
    EXPECT_EQ(events_.log, std::vector<std::string>{"help"}) << "another menu taken for Help";
    for (bool there : {false, true}) {
        window_->SetEnabled(platform::MenuItem::HelpReadMe, there);
        window_->SetEnabled(platform::MenuItem::PopupReopen2, !there);
        EXPECT_EQ(GetMenuState(help, ids::kHelpReadMe, MF_BYCOMMAND), there ? MF_ENABLED : MF_GRAYED);
        EXPECT_EQ(GetMenuState(popup, ids::kPopupReopen2, MF_BYCOMMAND), there ? MF_GRAYED : MF_ENABLED);
    }
}

WNDPROC laterPrevious = nullptr;
int laterCalls = 0;
LRESULT CALLBACK LaterProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ++laterCalls;
    return CallWindowProcW(laterPrevious, window, message, wParam, lParam);
}

TEST_F(Win32MainWindowTest, TheHotkeyProcedureSeesHotkeysOnlyWhileInstalledAndNeverCutsOutALaterOne) {
    HWND main = window_->Hwnd();
    const LONG_PTR original = GetWindowLongPtrW(main, GWLP_WNDPROC);
    auto send = [main](UINT message, WPARAM wParam) { SendMessageW(main, message, wParam, 0); };
    send(WM_HOTKEY, 1);
    window_->InstallHotkeyProcedure();
    send(WM_HOTKEY, 2);
    send(WM_COMMAND, ids::kViewOne);  // everything goes on to the window's own procedure
    window_->RemoveHotkeyProcedure();
    EXPECT_EQ(GetWindowLongPtrW(main, GWLP_WNDPROC), original);
    send(WM_HOTKEY, 3);
    EXPECT_EQ(events_.log, (std::vector<std::string>{"hotkey 2", "menu"}));

    // A procedure put on top after ours stays when ours is removed; ours, left
    // in the chain, then passes everything on without raising hotkeys.
    window_->InstallHotkeyProcedure();
    laterPrevious =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrW(main, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LaterProc)));
    window_->RemoveHotkeyProcedure();
    EXPECT_EQ(GetWindowLongPtrW(main, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&LaterProc));
    events_.log.clear();
    laterCalls = 0;
    send(WM_HOTKEY, 4);
    send(WM_COMMAND, ids::kViewOne);
    EXPECT_EQ(laterCalls, 2);
    EXPECT_EQ(events_.log, std::vector<std::string>{"menu"});
}

}  // namespace
}  // namespace velmora::win32
