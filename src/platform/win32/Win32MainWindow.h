#pragma once

#include <windows.h>

#include <array>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/MainWindow.h"
#include "platform/win32/LauncherCombo.h"
#include "platform/win32/MainMenu.h"
#include "platform/win32/Panel.h"
#include "platform/win32/SplitBar.h"
#include "platform/win32/TabStrip.h"
#include "platform/win32/kit/Dpi.h"
#include "platform/win32/kit/DropTarget.h"
#include "platform/win32/kit/Handles.h"
#include "platform/win32/kit/Window.h"

namespace velmora::win32 {

struct MainWindowOptions {
    std::wstring title = L"Velmora";
    // The per-session name by which a second copy finds the first.
    std::wstring instanceMutex = L"Local\\Velmora.Instance";
    // The program ends its message loop when the window goes; a test that
    // makes windows on its own thread does not want WM_QUIT posted there.
    bool quitOnDestroy = true;
};

// Velmora's main window for real: the window and its menus, the placement of
// the panes' controls, and the routing of what the controls report to the
// form's events. The controls are objects of their own (Panel, SplitBar,
// TabStrip, LauncherCombo). Geometry crosses the contract in twips and is
// converted with the DPI of the monitor the window is on; each control keeps
// the twips rectangle it was last given, so fractions of a pixel survive a
// read back.
class Win32MainWindow final : public platform::MainWindow, public Window {
public:
    explicit Win32MainWindow(HINSTANCE instance, MainWindowOptions options = {});
    ~Win32MainWindow() override;

    // Events reach the handler from LoadAndShow on.
    void SetEvents(platform::MainWindowEvents* events) { events_ = events; }
    // Raises OnLoad while the window is still hidden, then shows it in the state
    // the load chose. False when the load closed the window instead.
    bool LoadAndShow();

    HWND ControlWindow(platform::Control control) const { return controls_.at(Index(control)); }
    const MainMenus& Menus() const { return menus_; }

    // platform::MainWindow
    platform::WindowHandle Handle() override;
    platform::WindowState GetState() override;
    void SetState(platform::WindowState state) override;
    base::TwipsRect OuterRect() override;
    void MoveOuter(const base::TwipsRect& rect) override;
    double ClientWidth() override;
    double ClientHeight() override;
    std::vector<base::TwipsRect> WorkAreas() override;
    double TwipsPerPixelX() override { return Dpi().TwipsPerPixelX(); }
    double TwipsPerPixelY() override { return Dpi().TwipsPerPixelY(); }
    bool PreviousInstance() override;
    void RequestClose() override;
    void EndProgramNow() override;
    void InstallHotkeyProcedure() override;
    void RemoveHotkeyProcedure() override;
    bool IsChecked(platform::MenuItem item) override { return menus_.IsChecked(item); }
    void SetChecked(platform::MenuItem item, bool checked) override { menus_.SetChecked(item, checked); }
    bool IsEnabled(platform::MenuItem item) override { return menus_.IsEnabled(item); }
    void SetEnabled(platform::MenuItem item, bool enabled) override { menus_.SetEnabled(item, enabled); }
    void ShowPopup(platform::PopupMenu menu) override;
    void Place(platform::Control control, const base::TwipsRect& rect) override;
    base::TwipsRect Bounds(platform::Control control) override { return rects_.at(Index(control)); }
    void SetVisible(platform::Control control, bool visible) override;
    bool IsVisible(platform::Control control) override;
    void SetBarColour(int bar, platform::BarColour colour) override;
    platform::WindowHandle FrameWindow(int index) override;
    void ClearTabs(platform::Strip strip) override { StripOf(strip).Clear(); }
    int TabCount(platform::Strip strip) override { return StripOf(strip).Count(); }
    void AddTab(platform::Strip strip, const std::string& caption) override { StripOf(strip).Add(caption); }
    std::string TabCaption(platform::Strip strip, int tab) override { return StripOf(strip).Caption(tab); }
    void SetTabTag(platform::Strip strip, int tab, const std::string& tag) override { StripOf(strip).SetTag(tab, tag); }
    std::string TabTag(platform::Strip strip, int tab) override { return StripOf(strip).Tag(tab); }
    void RemoveTab(platform::Strip strip, int tab) override { StripOf(strip).Remove(tab); }
    void MoveTab(platform::Strip strip, int from, int to) override { StripOf(strip).Move(from, to); }
    int SelectedTab(platform::Strip strip) override { return StripOf(strip).Selected(); }
    double TabWidth(platform::Strip strip, int tab) override;
    void ClearCombo() override { combo_->Clear(); }
    void AddComboItem(const std::string& text) override { combo_->Add(text); }
    std::string ComboText() override { return combo_->Text(); }
    std::vector<std::string> ComboItems() override { return combo_->Items(); }
    void ShowMessage(const std::string& text, const std::string& title) override;

    static constexpr size_t kControlCount = 12;

private:
    // A drop taken on a tab strip (strip) or a host area (frame), raised to the form after the drop has returned to
    // its source: the files are moved or a program started while the source waits for nothing.
    struct PendingDrop {
        std::optional<platform::Strip> strip;
        int frame = 0;
        std::vector<std::string> files;
        int shift = 0;
        double x = 0;
        double y = 0;
    };
    static constexpr UINT kRunDrop = WM_APP + 1;
    static constexpr UINT kRunPick = WM_APP + 2;

    static size_t Index(platform::Control control) { return static_cast<size_t>(control); }
    static LRESULT CALLBACK HotkeyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnChildMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnClose();
    LRESULT OnQueryEndSession();
    void OnEndSession(bool ending);
    void OnDestroy();
    void OnDpiChanged(const RECT& suggested);

    void CreateControls(HINSTANCE instance);
    HWND CreateControl(size_t index, HWND parent);
    void RegisterDropTargets();
    // The effect a drop on a strip reports to its source; a drop taken is queued.
    DWORD OnStripDrop(platform::Strip strip, const DropInfo& drop);
    void Queue(PendingDrop drop);
    void RunPendingDrop();
    void ApplyFont();
    // Moves a control to its twips rectangle at the current DPI.
    void ApplyPlacement(size_t index);
    WindowDpi Dpi() const { return DpiOfWindow(Hwnd()); }
    bool EventsOn() const { return events_ != nullptr && eventsStarted_; }
    TabStrip& StripOf(platform::Strip strip) { return *strips_.at(static_cast<size_t>(strip)); }
    std::vector<double> TabWidths(platform::Strip strip);  // in twips, as the form reads them

    MainWindowOptions options_;
    MainMenus menus_;
    platform::MainWindowEvents* events_ = nullptr;
    std::array<HWND, kControlCount> controls_{};
    std::array<base::TwipsRect, kControlCount> rects_{};
    // Pixels, as last given to each control (right and bottom: the size). No placement gives a negative size, so
    // the next one after kNotPlaced always moves the control.
    static constexpr RECT kNotPlaced{0, 0, -1, -1};
    std::array<RECT, kControlCount> placed_{};
    std::array<std::unique_ptr<Panel>, 3> frames_;     // picFrame(0..2)
    std::array<std::unique_ptr<Panel>, 3> hostAreas_;  // frameApp(0..2)
    std::array<std::unique_ptr<SplitBar>, 2> bars_;
    std::array<std::unique_ptr<TabStrip>, 3> strips_;  // by platform::Strip
    std::unique_ptr<LauncherCombo> combo_;
    std::vector<DropRegistration> drops_;
    std::deque<PendingDrop> pendingDrops_;
    bool pickPending_ = false;
    UniqueFont font_;
    WNDPROC previousProc_ = nullptr;
    UniqueHandle instanceMutex_;
    bool instanceChecked_ = false;
    bool previousInstance_ = false;
    bool eventsStarted_ = false;
    bool shown_ = false;
    platform::WindowState pendingState_ = platform::WindowState::Normal;
};

}  // namespace velmora::win32
