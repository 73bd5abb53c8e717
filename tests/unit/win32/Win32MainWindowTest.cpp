// The Win32 form runtime in this process: twips to pixels, the events it
// raises from real window messages, the hotkey subclass, the close request,
// the strips and the combo box.
#include <gtest/gtest.h>

#include "platform/win32/Win32MainWindow.h"
// commctrl.h needs the types of windows.h.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/win32/MainWindowIds.h"
#include "platform/win32/kit/HandleCast.h"

namespace velmora::win32 {
namespace {

using platform::Control;
using platform::Strip;
using base::TwipsRect;

// Writes every event as one line of text.
class Recorder final : public platform::MainWindowEvents {
public:
    std::vector<std::string> log;
    bool refuseClose = false;
    HWND window = nullptr;
    bool visibleDuringLoad = true;

    void OnLoad() override {
        visibleDuringLoad = IsWindowVisible(window) != FALSE;
        Add("load");
    }
    bool OnQueryClose() override {
        Add("query-close");
        return refuseClose;
    }
    void OnUnload() override { Add("unload"); }
    void OnResize() override { Add("resize"); }
    void OnFrameResize(int index) override { Add("frame-resize", index); }
    void OnMenu(platform::MenuItem item) override { Add("menu", static_cast<int>(item)); }
    void OnHelpMenuOpening() override { Add("help-opening"); }
    void OnTabClick(Strip strip) override { Add("tab-click", static_cast<int>(strip)); }
    void OnTabMouseDown(Strip strip, int button, int shift, double x, double y) override {
        Add("tab-down", static_cast<int>(strip), button, shift, x, y);
    }
    int OnTabDragOver(Strip, int) override { return 0; }
    void OnTabDrop(Strip, bool, const std::vector<std::string>&, int, double, double) override {}
    void OnFrameDrop(int, bool, const std::vector<std::string>&) override {}
    void OnComboClick() override { Add("combo-click"); }
    void OnSplitMouseDown(int bar, int button, double x, double y) override { Add("split-down", bar, button, x, y); }
    void OnSplitMouseMove(int bar, int button, double x, double y) override { Add("split-move", bar, button, x, y); }
    void OnSplitMouseUp(int bar, int button, double x, double y) override { Add("split-up", bar, button, x, y); }
    void OnTimer() override { Add("timer"); }
    void OnHotkey(int id) override { Add("hotkey", id); }
    void OnDpiChanged() override { Add("dpi"); }

    bool Saw(const std::string& line) const {
        for (const auto& entry : log) {
            if (entry == line) return true;
        }
        return false;
    }
    int Count(const std::string& line) const {
        int count = 0;
        for (const auto& entry : log) count += entry == line ? 1 : 0;
        return count;
    }

private:
    template <typename... Values>
    void Add(const char* name, Values... values) {
        std::ostringstream line;
        line << name;
        ((line << " " << values), ...);
        log.push_back(line.str());
    }
};

std::wstring UniqueMutex() {
    static int counter = 0;
    return L"Local\\Velmora.Test." + std::to_wstring(GetCurrentProcessId()) + L"." + std::to_wstring(++counter);
}

void Pump(DWORD ms) {
    const DWORD start = GetTickCount();
    MSG message;
    do {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(5);
    } while (GetTickCount() - start < ms);
}

RECT RectInParent(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, GetAncestor(control, GA_PARENT), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

class Win32MainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        MainWindowOptions options;
        options.instanceMutex = UniqueMutex();
        options.quitOnDestroy = false;
        window_ = std::make_unique<Win32MainWindow>(GetModuleHandleW(nullptr), options);
        ASSERT_NE(window_->Hwnd(), nullptr);
        events_.window = window_->Hwnd();
        window_->SetEvents(&events_);
    }
    void Load() {
        ASSERT_TRUE(window_->LoadAndShow());
        events_.log.clear();
    }
    HWND Control(Control control) const { return window_->ControlWindow(control); }

    Recorder events_;
    std::unique_ptr<Win32MainWindow> window_;
};

TEST_F(Win32MainWindowTest, LoadRunsHiddenAndShowsTheStateItChose) {
    HWND main = window_->Hwnd();
    EXPECT_FALSE(IsWindowVisible(main));
    wchar_t title[32] = {};
    GetWindowTextW(main, title, 32);
    EXPECT_STREQ(title, L"Velmora");
    // The design client area: 12285 x 6525 twips at 15 twips a pixel.
    EXPECT_DOUBLE_EQ(window_->TwipsPerPixelX(), 15.0);
    EXPECT_DOUBLE_EQ(window_->ClientWidth(), 819 * 15.0);
    EXPECT_DOUBLE_EQ(window_->ClientHeight(), 435 * 15.0);

    window_->SetState(platform::WindowState::Maximized);
    EXPECT_EQ(window_->GetState(), platform::WindowState::Maximized);
    EXPECT_FALSE(IsWindowVisible(main)) << "a state chosen during the load must not show the window";
    ASSERT_TRUE(window_->LoadAndShow());
    EXPECT_FALSE(events_.visibleDuringLoad);
    EXPECT_EQ(events_.log.front(), "load");
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_TRUE(IsZoomed(main));
    EXPECT_EQ(window_->GetState(), platform::WindowState::Maximized);
    window_->SetState(platform::WindowState::Normal);
    EXPECT_EQ(window_->GetState(), platform::WindowState::Normal);
    EXPECT_TRUE(events_.Saw("resize"));
}

TEST_F(Win32MainWindowTest, PlaceRoundsHalvesToEvenAndKeepsTheTwips) {
    Load();
    // 7.5 / 22.5 / 37.5 / 52.5 twips are 0.5 / 1.5 / 2.5 / 3.5 pixels.
    const base::TwipsRect odd{7.5, 22.5, 37.5, 52.5};
    window_->Place(Control::PicFrame1, odd);
    EXPECT_EQ(window_->Bounds(Control::PicFrame1), odd);
    const RECT rect = RectInParent(Control(Control::PicFrame1));
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 2);
    EXPECT_EQ(rect.right - rect.left, 2);
    EXPECT_EQ(rect.bottom - rect.top, 4);

    // Inside a frame, relative to it; negative sizes never reach the window.
    window_->Place(Control::FrameApp1, {15, 270, -300, 1500});
    const RECT inside = RectInParent(Control(Control::FrameApp1));
    EXPECT_EQ(GetAncestor(Control(Control::FrameApp1), GA_PARENT), Control(Control::PicFrame1));
    EXPECT_EQ(inside.left, 1);
    EXPECT_EQ(inside.top, 18);
    EXPECT_EQ(inside.right - inside.left, 0);
    EXPECT_EQ(inside.bottom - inside.top, 100);

    // A 4K screen's width in twips does not fit 16 bits; it still places exactly.
    window_->Place(Control::PicFrame0, {0, 0, 57600, 32775});
    const RECT wide = RectInParent(Control(Control::PicFrame0));
    EXPECT_EQ(wide.right - wide.left, 3840);
    EXPECT_EQ(wide.bottom - wide.top, 2185);

    window_->MoveOuter({1500, 1500, 12000, 9000});
    RECT outer{};
    GetWindowRect(window_->Hwnd(), &outer);
    EXPECT_EQ(outer.left, 100);
    EXPECT_EQ(outer.right - outer.left, 800);
    EXPECT_EQ(window_->OuterRect(), (base::TwipsRect{1500, 1500, 12000, 9000}));
}

TEST_F(Win32MainWindowTest, AFrameReportsOnlyChangesOfItsSize) {
    Load();
    window_->Place(Control::PicFrame0, {0, 0, 3000, 2000});
    window_->Place(Control::PicFrame0, {150, 150, 3000, 2000});  // moved, same size
    window_->Place(Control::PicFrame2, {0, 0, 3000, 2001});
    window_->Place(Control::FrameApp0, {0, 0, 100, 100});  // not a picFrame
    EXPECT_EQ(events_.log, (std::vector<std::string>{"frame-resize 0", "frame-resize 2"}));
}

TEST_F(Win32MainWindowTest, VisibilityIsTheControlsOwnFlag) {
    // Before the window is shown, as the load sees it.
    EXPECT_FALSE(window_->IsVisible(Control::PicFrame2));
    EXPECT_TRUE(window_->IsVisible(Control::PicFrame1));
    window_->SetVisible(Control::PicFrame2, true);
    window_->SetVisible(Control::PicFrame1, false);
    EXPECT_TRUE(window_->IsVisible(Control::PicFrame2));
    EXPECT_FALSE(window_->IsVisible(Control::PicFrame1));
    EXPECT_TRUE(window_->IsVisible(Control::CboApp)) << "a control in a hidden frame keeps its own flag";
}

TEST_F(Win32MainWindowTest, MenuCommandsHelpMenuAndTimerBecomeEvents) {
    Load();
    SendMessageW(window_->Hwnd(), WM_COMMAND, MAKEWPARAM(ids::kViewTwoStacked, 0), 0);
    SendMessageW(window_->Hwnd(), WM_COMMAND, MAKEWPARAM(ids::kPopupAppClose, 0), 0);
    SendMessageW(window_->Hwnd(), WM_COMMAND, MAKEWPARAM(999, 0), 0);
    SendMessageW(window_->Hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(window_->Menus().HelpMenu()), 4);
    SendMessageW(window_->Hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(GetSubMenu(GetMenu(window_->Hwnd()), 2)),
                 2);
    EXPECT_EQ(events_.log,
              (std::vector<std::string>{"menu " + std::to_string(static_cast<int>(platform::MenuItem::ViewTwoStacked)),
                                        "menu " + std::to_string(static_cast<int>(platform::MenuItem::PopupAppClose)),
                                        "help-opening"}));
    events_.log.clear();
    Pump(1300);
    EXPECT_GE(events_.Count("timer"), 2);
}

TEST_F(Win32MainWindowTest, HotkeysReachTheFormOnlyWhileTheProcedureIsInstalled) {
    Load();
    HWND main = window_->Hwnd();
    const LONG_PTR original = GetWindowLongPtrW(main, GWLP_WNDPROC);
    SendMessageW(main, WM_HOTKEY, 256, 0);
    EXPECT_FALSE(events_.Saw("hotkey 256"));

    window_->InstallHotkeyProcedure();
    EXPECT_NE(GetWindowLongPtrW(main, GWLP_WNDPROC), original);
    SendMessageW(main, WM_HOTKEY, 256, 0);
    SendMessageW(main, WM_HOTKEY, 257, 0);
    // Everything else still goes on to the window's own procedure.
    SendMessageW(main, WM_COMMAND, MAKEWPARAM(ids::kViewOne, 0), 0);
    EXPECT_EQ(events_.log,
              (std::vector<std::string>{"hotkey 256", "hotkey 257",
                                        "menu " + std::to_string(static_cast<int>(platform::MenuItem::ViewOne))}));

    window_->RemoveHotkeyProcedure();
    EXPECT_EQ(GetWindowLongPtrW(main, GWLP_WNDPROC), original);
    events_.log.clear();
    SendMessageW(main, WM_HOTKEY, 256, 0);
    EXPECT_TRUE(events_.log.empty());
}

TEST_F(Win32MainWindowTest, ARefusedCloseKeepsTheWindowAnAcceptedOneUnloadsFirst) {
    Load();
    events_.refuseClose = true;
    SendMessageW(window_->Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(events_.log, (std::vector<std::string>{"query-close"}));
    ASSERT_NE(window_->Hwnd(), nullptr);
    EXPECT_TRUE(IsWindow(window_->Hwnd()));

    events_.refuseClose = false;
    events_.log.clear();
    HWND main = window_->Hwnd();
    window_->RequestClose();  // posted
    EXPECT_TRUE(events_.log.empty());
    Pump(100);
    EXPECT_EQ(events_.log, (std::vector<std::string>{"query-close", "unload"}));
    EXPECT_FALSE(IsWindow(main));
    EXPECT_EQ(window_->Hwnd(), nullptr);
}

TEST_F(Win32MainWindowTest, SplitBarPressCapturesAndReportsTwipsWithinTheBar) {
    Load();
    HWND bar = Control(Control::SplitBar0);
    SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 5));
    EXPECT_EQ(GetCapture(), bar);
    SendMessageW(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(static_cast<WORD>(-4), 5));
    SendMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(10, 5));
    EXPECT_EQ(GetCapture(), nullptr);
    SendMessageW(Control(Control::SplitBar1), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(1, 1));
    SendMessageW(Control(Control::SplitBar1), WM_RBUTTONUP, 0, MAKELPARAM(1, 1));
    EXPECT_EQ(events_.log,
              (std::vector<std::string>{"split-down 0 1 30 75", "split-move 0 1 -60 75", "split-up 0 1 150 75",
                                        "split-down 1 2 15 15", "split-up 1 2 15 15"}));
    window_->SetBarColour(0, platform::BarColour::Shadow);  // paints; must not raise anything
    EXPECT_EQ(events_.log.size(), 5u);
}

TEST_F(Win32MainWindowTest, TabStripsKeepCaptionsTagsAndReportClicks) {
    Load();
    window_->Place(Control::TabStrip1_0, {0, 0, 6000, 300});
    window_->AddTab(Strip::Explorer1, "デスクトップ");
    window_->AddTab(Strip::Explorer1, "Windows");
    window_->AddTab(Strip::Explorer1, "third");
    window_->SetTabTag(Strip::Explorer1, 1, "::{B4BFCC3A-DB2C-424C-B029-7FE99A87C641}");
    window_->SetTabTag(Strip::Explorer1, 2, "C:\\windows");
    window_->SetTabTag(Strip::Explorer1, 3, "C:\\third");
    EXPECT_EQ(window_->TabCount(Strip::Explorer1), 3);
    EXPECT_EQ(window_->TabCount(Strip::Explorer2), 0);
    EXPECT_EQ(window_->TabCaption(Strip::Explorer1, 1), "デスクトップ");
    window_->RemoveTab(Strip::Explorer1, 1);
    EXPECT_EQ(window_->TabCaption(Strip::Explorer1, 1), "Windows");
    EXPECT_EQ(window_->TabTag(Strip::Explorer1, 1), "C:\\windows");
    EXPECT_EQ(window_->TabTag(Strip::Explorer1, 2), "C:\\third");
    EXPECT_EQ(window_->TabTag(Strip::Explorer1, 3), "");

    HWND strip = Control(Control::TabStrip1_0);
    RECT second{};
    ASSERT_TRUE(SendMessageW(strip, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second)));
    EXPECT_DOUBLE_EQ(window_->TabWidth(Strip::Explorer1, 2), (second.right - second.left) * 15.0);
    EXPECT_GT(window_->TabWidth(Strip::Explorer1, 2), 0.0);

    // A real press on the second tab: the press first, then the selection change.
    events_.log.clear();
    SendMessageW(strip, WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, MAKELPARAM(second.left + 3, second.top + 3));
    SendMessageW(strip, WM_LBUTTONUP, 0, MAKELPARAM(second.left + 3, second.top + 3));
    std::ostringstream down;
    down << "tab-down 0 1 2 " << (second.left + 3) * 15 << " " << (second.top + 3) * 15;
    EXPECT_EQ(events_.log, (std::vector<std::string>{down.str(), "tab-click 0"}));
    EXPECT_EQ(window_->SelectedTab(Strip::Explorer1), 2);

    // A press on the tab that is already selected still counts as a click on it.
    events_.log.clear();
    SendMessageW(strip, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(second.left + 3, second.top + 3));
    SendMessageW(strip, WM_LBUTTONUP, 0, MAKELPARAM(second.left + 3, second.top + 3));
    ASSERT_EQ(events_.log.size(), 2u);
    EXPECT_EQ(events_.log[1], "tab-click 0");
    EXPECT_EQ(window_->SelectedTab(Strip::Explorer1), 2);

    window_->ClearTabs(Strip::Explorer1);
    EXPECT_EQ(window_->TabCount(Strip::Explorer1), 0);
    EXPECT_EQ(window_->SelectedTab(Strip::Explorer1), 0);
    EXPECT_EQ(window_->TabTag(Strip::Explorer1, 1), "");
}

TEST_F(Win32MainWindowTest, ComboListsItemsInOrderAndReportsAPick) {
    Load();
    window_->AddComboItem("メモ帳");
    window_->AddComboItem("calc");
    window_->AddComboItem("Adobe");
    EXPECT_EQ(window_->ComboItems(), (std::vector<std::string>{"メモ帳", "calc", "Adobe"}));
    EXPECT_EQ(window_->ComboText(), "");
    HWND combo = Control(Control::CboApp);
    SendMessageW(combo, CB_SETCURSEL, 1, 0);
    EXPECT_EQ(window_->ComboText(), "calc");
    // The notification a user's pick sends to the combo box's parent.
    SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(ids::kCboApp, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    EXPECT_EQ(events_.log, (std::vector<std::string>{"combo-click"}));
    window_->ClearCombo();
    EXPECT_TRUE(window_->ComboItems().empty());
}

TEST_F(Win32MainWindowTest, FrameWindowsAreTheHostAreasInsideTheirFrames) {
    for (int i = 0; i < 3; ++i) {
        HWND host = ToHwnd(window_->FrameWindow(i));
        ASSERT_NE(host, nullptr);
        EXPECT_EQ(GetDlgCtrlID(host), ids::kFrameApp0 + i);
        EXPECT_EQ(GetAncestor(host, GA_PARENT), Control(static_cast<platform::Control>(i)));
    }
    EXPECT_EQ(window_->FrameWindow(3), 0u);
}

TEST_F(Win32MainWindowTest, ADpiChangeTakesTheSuggestedRectAndPlacesTheControlsAgain) {
    Load();
    window_->Place(Control::PicFrame0, {1500, 0, 3000, 1500});
    RECT suggested{50, 60, 950, 760};
    SendMessageW(window_->Hwnd(), WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
    RECT outer{};
    GetWindowRect(window_->Hwnd(), &outer);
    EXPECT_EQ(outer.left, 50);
    EXPECT_EQ(outer.right - outer.left, 900);
    EXPECT_TRUE(events_.Saw("dpi"));
    EXPECT_EQ(events_.log.back(), "dpi") << "the form hears of the change once the window has its new size";
    const RECT frame = RectInParent(Control(Control::PicFrame0));
    EXPECT_EQ(frame.left, 100);
    EXPECT_EQ(frame.right - frame.left, 200);
    EXPECT_EQ(window_->Bounds(Control::PicFrame0), (base::TwipsRect{1500, 0, 3000, 1500}));
}

TEST(Win32MainWindowInstanceTest, TheSecondWindowWithTheSameNameFindsTheFirst) {
    MainWindowOptions options;
    options.instanceMutex = UniqueMutex();
    options.quitOnDestroy = false;
    Win32MainWindow first(GetModuleHandleW(nullptr), options);
    Win32MainWindow second(GetModuleHandleW(nullptr), options);
    EXPECT_FALSE(first.PreviousInstance());
    EXPECT_TRUE(second.PreviousInstance());
    EXPECT_TRUE(second.PreviousInstance()) << "asked again, the answer stays";
}

}  // namespace
}  // namespace velmora::win32
