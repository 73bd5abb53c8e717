// The main window's real controls in this process: twips placed at the
// window's DPI and again after a DPI change, the tab strips' tags kept
// parallel to the control's own tabs, the hotkey procedure's place among the
// window's procedures, and the Help menu's state (another process cannot read
// a menu under Wine).
#include <gtest/gtest.h>

#include "platform/win32/Win32MainWindow.h"
// commctrl.h needs the types of windows.h.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/MainWindowIds.h"

namespace velmora::win32 {
namespace {

using base::TwipsRect;
using platform::Control;
using platform::Strip;

// Records the events these tests look at.
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
    bool OnQueryEndSession() override {
        Log("query end", refuseEnd);
        return refuseEnd;
    }
    void OnEndSession() override { log.push_back("end"); }
    void OnUnload() override { log.push_back("unload"); }
    void Log(std::string what, int value) { log.push_back(what.append(" ").append(std::to_string(value))); }
    void OnHotkey(int id) override { log.push_back("hotkey " + std::to_string(id)); }
    void OnDpiChanged() override { log.push_back("dpi"); }
    std::function<void()> onHelpMenuOpening;
    void OnHelpMenuOpening() override {
        if (onHelpMenuOpening) onHelpMenuOpening();
    }

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
        ASSERT_DOUBLE_EQ(window_->TwipsPerPixelX(), 15.0) << "the pixel values here are for 96 DPI";
    }
    // left, top, width, height in the parent's client pixels.
    RECT InParent(Control control) const {
        HWND window = window_->ControlWindow(control);
        RECT rect{};
        GetWindowRect(window, &rect);
        MapWindowPoints(HWND_DESKTOP, GetAncestor(window, GA_PARENT), reinterpret_cast<POINT*>(&rect), 2);
        return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
    }
    // Opens the Help menu as the keyboard does (Alt, then its mnemonic H) and
    // tells whether the read-me entry was greyed while it was down.
    std::optional<bool> ReadMeGreyedWhileOpen();

    Events events_;
    std::unique_ptr<Win32MainWindow> window_;
};

struct {
    HMENU help = nullptr;
    std::optional<bool> greyed;
} reading;

// Runs inside the menu's own modal loop: reads the entry, then closes the menu.
void CALLBACK ReadWhileOpen(HWND window, UINT, UINT_PTR timer, DWORD) {
    KillTimer(window, timer);
    // Down means: its title in the menu bar is lit and a menu window shows.
    const int last = GetMenuItemCount(GetMenu(window)) - 1;
    const bool lit = (GetMenuState(GetMenu(window), static_cast<UINT>(last), MF_BYPOSITION) & MF_HILITE) != 0;
    HWND popup = FindWindowW(L"#32768", nullptr);
    if (lit && popup != nullptr && IsWindowVisible(popup)) {
        reading.greyed = (GetMenuState(reading.help, ids::kHelpReadMe, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) != 0;
    }
    EndMenu();
}

std::optional<bool> Win32MainWindowTest::ReadMeGreyedWhileOpen() {
    reading = {window_->Menus().HelpMenu(), std::nullopt};
    // Wine now and then ignores the menu key right after a menu closed; a user would press it again.
    for (int attempt = 0; attempt < 3 && !reading.greyed; ++attempt) {
        SetForegroundWindow(window_->Hwnd());
        SetTimer(window_->Hwnd(), 77, 200, ReadWhileOpen);
        // The menu's loop runs inside this call and ends when the timer closes the menu.
        SendMessageW(window_->Hwnd(), WM_SYSCOMMAND, SC_KEYMENU, L'h');
        // If the menu did not open, the timer fires here instead.
        for (int i = 0; i < 25; ++i) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
            Sleep(20);
        }
    }
    return reading.greyed;
}

TEST_F(Win32MainWindowTest, TwipsArePlacedAtTheWindowsDpiAndAgainAfterADpiChange) {
    struct Case {
        const char* what;
        Control control;
        TwipsRect twips;
        RECT pixels;  // left, top, width, height in the parent
    };
    const Case cases[] = {
        {"halves go to the even pixel", Control::PicFrame1, {7.5, 22.5, 37.5, 52.5}, {0, 2, 2, 4}},
        {"inside a frame, no negative size", Control::FrameApp1, {15, 270, -300, 1500}, {1, 18, 0, 100}},
        {"wider than 16 bits of twips", Control::PicFrame0, {0, 0, 57600, 32775}, {0, 0, 3840, 2185}},
    };
    for (const Case& c : cases) window_->Place(c.control, c.twips);
    // Moved behind the window's back: the DPI change must place every control again.
    for (const Case& c : cases) MoveWindow(window_->ControlWindow(c.control), 7, 7, 7, 7, FALSE);
    RECT suggested{50, 60, 950, 760};
    SendMessageW(window_->Hwnd(), WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RECT placed = InParent(c.control);
        EXPECT_EQ(placed.left, c.pixels.left);
        EXPECT_EQ(placed.top, c.pixels.top);
        EXPECT_EQ(placed.right, c.pixels.right);
        EXPECT_EQ(placed.bottom, c.pixels.bottom);
        EXPECT_EQ(window_->Bounds(c.control), c.twips) << "the twips stay as given";
    }
    RECT outer{};
    GetWindowRect(window_->Hwnd(), &outer);
    EXPECT_EQ(outer.left, 50);
    EXPECT_EQ(outer.right - outer.left, 900);
    EXPECT_EQ(events_.log, std::vector<std::string>{"dpi"}) << "told once the window has its new place";
}

TEST_F(Win32MainWindowTest, TagsStayParallelToTheTabsAndAPressOnTheSelectedTabIsAClickToo) {
    window_->Place(Control::TabStrip1_0, {0, 0, 6000, 300});
    for (const char* caption : {"デスクトップ", "Windows", "third"}) window_->AddTab(Strip::Explorer1, caption);
    for (int tab = 1; tab <= 3; ++tab) window_->SetTabTag(Strip::Explorer1, tab, "tag" + std::to_string(tab));
    window_->AddTab(Strip::Explorer2, "other");
    window_->RemoveTab(Strip::Explorer1, 1);
    window_->RemoveTab(Strip::Explorer1, 9);  // no such tab: nothing goes
    EXPECT_EQ(window_->TabCaption(Strip::Explorer1, 1), "Windows");
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
    SendMessageW(window_->ControlWindow(Control::TabStrip1_0), WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, 0);
    HWND bar = window_->ControlWindow(Control::SplitBar0);
    SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    SendMessageW(bar, WM_XBUTTONDOWN, MAKEWPARAM(MK_LBUTTON | MK_XBUTTON1, XBUTTON1), 0);
    SetCapture(window_->Hwnd());  // a menu or another program takes the mouse: no release comes to the bar
    ReleaseCapture();
    EXPECT_EQ(events_.log, (std::vector<std::string>{"down 3", "split down 1", "split down 9", "split up 0"}));
}

TEST_F(Win32MainWindowTest, ATabDraggedGoesIntoTheGapAtItsReleaseUnlessAnotherWindowTookTheMouse) {
    window_->Place(Control::TabStrip1_0, {0, 0, 6000, 300});
    for (const char* caption : {"one", "two"}) window_->AddTab(Strip::Explorer1, caption);
    HWND strip = window_->ControlWindow(Control::TabStrip1_0);
    for (bool taken : {true, false}) {
        SendMessageW(strip, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        SendMessageW(strip, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(300, 5));
        if (taken) SetCapture(window_->Hwnd());
        SendMessageW(strip, WM_LBUTTONUP, 0, MAKELPARAM(300, 5));
    }
    EXPECT_EQ(events_.log, (std::vector<std::string>{"down 1", "click 0", "down 1", "click 0", "dragged 1 3"}));
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
    for (bool readMeThere : {false, true, false}) {
        events_.onHelpMenuOpening = [&] { window_->SetEnabled(platform::MenuItem::HelpReadMe, readMeThere); };
        EXPECT_EQ(ReadMeGreyedWhileOpen(), !readMeThere);
    }
    // A popup's entry too, which the form greys before the popup shows.
    for (bool closedTabs : {false, true}) {
        window_->SetEnabled(platform::MenuItem::PopupReopen2, closedTabs);
        const HMENU popup = window_->Menus().Popup(platform::PopupMenu::Explorer2);
        EXPECT_EQ(GetMenuState(popup, ids::kPopupReopen2, MF_BYCOMMAND), closedTabs ? MF_ENABLED : MF_GRAYED);
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
