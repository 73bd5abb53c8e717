#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "platform/MainWindow.h"
#include "platform/win32/MainMenu.h"
#include "platform/win32/kit/Dpi.h"
#include "platform/win32/kit/DropTarget.h"
#include "platform/win32/kit/Handles.h"

namespace velmora::win32 {

struct MainWindowOptions {
    std::wstring title = L"Velmora";
    // The per-session name by which a second copy finds the first.
    std::wstring instanceMutex = L"Local\\Velmora.Instance";
    // The program ends its message loop when the window goes; a test that
    // makes windows on its own thread does not want WM_QUIT posted there.
    bool quitOnDestroy = true;
};

// Velmora's main window for real: the window, its menus and the controls of
// the panes, raising the form's events. Geometry crosses the contract in
// twips and is converted with the DPI of the monitor the window is on; each
// control keeps the twips rectangle it was last given, so fractions of a
// pixel survive a read back.
class Win32MainWindow final : public platform::MainWindow {
public:
    explicit Win32MainWindow(HINSTANCE instance, MainWindowOptions options = {});
    ~Win32MainWindow() override;
    Win32MainWindow(const Win32MainWindow&) = delete;
    Win32MainWindow& operator=(const Win32MainWindow&) = delete;

    // Events reach the handler from LoadAndShow on.
    void SetEvents(platform::MainWindowEvents* events) { events_ = events; }
    // Raises OnLoad while the window is still hidden, then shows it in the state
    // the load chose. False when the load closed the window instead.
    bool LoadAndShow();

    HWND Hwnd() const { return window_; }
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
    double TwipsPerPixelX() override;
    double TwipsPerPixelY() override;
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
    void ClearTabs(platform::Strip strip) override;
    int TabCount(platform::Strip strip) override;
    void AddTab(platform::Strip strip, const std::string& caption) override;
    std::string TabCaption(platform::Strip strip, int tab) override;
    void SetTabTag(platform::Strip strip, int tab, const std::string& tag) override;
    std::string TabTag(platform::Strip strip, int tab) override;
    void RemoveTab(platform::Strip strip, int tab) override;
    int SelectedTab(platform::Strip strip) override;
    double TabWidth(platform::Strip strip, int tab) override;
    void ClearCombo() override;
    void AddComboItem(const std::string& text) override;
    std::string ComboText() override;
    std::vector<std::string> ComboItems() override;
    void ShowMessage(const std::string& text, const std::string& title) override;

    static constexpr size_t kControlCount = 12;

private:
    static size_t Index(platform::Control control) { return static_cast<size_t>(control); }
    static LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK HotkeyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK TabProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                    DWORD_PTR self);

    LRESULT OnMainMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnChildMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnBarMouse(int bar, UINT message, WPARAM wParam, LPARAM lParam);
    void OnClose();
    void OnDestroy();
    void OnDpiChanged(const RECT& suggested);

    void CreateControls(HINSTANCE instance);
    void RegisterDropTargets();
    void ApplyFont();
    // Moves a control to its twips rectangle at the current DPI.
    void ApplyPlacement(size_t index);
    WindowDpi Dpi() const;
    bool EventsOn() const { return events_ != nullptr && eventsStarted_; }
    HWND Strip(platform::Strip strip) const;
    std::vector<std::string>* Tags(platform::Strip strip);

    MainWindowOptions options_;
    HWND window_ = nullptr;
    MainMenus menus_;
    platform::MainWindowEvents* events_ = nullptr;
    std::array<HWND, kControlCount> controls_{};
    std::array<base::TwipsRect, kControlCount> rects_{};
    std::array<platform::BarColour, 2> barColours_{platform::BarColour::Face, platform::BarColour::Face};
    std::array<std::vector<std::string>, 3> tags_;
    std::vector<DropRegistration> drops_;
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
