#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/MainWindow.h"
#include "platform/sim/SimJournal.h"
#include "platform/sim/SimWindowManager.h"

namespace velmora::platform::sim {

struct MessageBoxRecord {
    std::string text;
    std::string title;
    bool operator==(const MessageBoxRecord&) const = default;
};

// The form runtime of the simulated desktop: it keeps the state of the main
// window and its controls for the tests to read, and raises the events the
// real runtime would raise for the same changes (a size change raises the
// resize event at once, as the platform sends its size message at once).
// The main window and the three host frames are real windows of the simulated
// window manager, so hosted windows can be re-parented into them.
class SimMainWindow : public MainWindow {
public:
    static constexpr std::uint32_t kProcessId = 1000;
    // Window metrics in pixels: a sizing border on every side, the caption
    // and the menu bar above the client area, and the desktop's work area.
    static constexpr double kBorderPx = 8;
    static constexpr double kCaptionPx = 23;
    static constexpr double kMenuBarPx = 20;
    static constexpr double kWorkAreaWidthPx = 1920;
    static constexpr double kWorkAreaHeightPx = 1040;

    SimMainWindow(SimWindowManager& windows, Journal& journal);

    WindowHandle Handle() override { return handle_; }
    WindowState GetState() override { return state_; }
    void SetState(WindowState state) override;
    base::TwipsRect OuterRect() override;
    void MoveOuter(const base::TwipsRect& rect) override;
    double ClientWidth() override;
    double ClientHeight() override;
    double TwipsPerPixelX() override { return twipsPerPixelX_; }
    double TwipsPerPixelY() override { return twipsPerPixelY_; }
    bool PreviousInstance() override { return previousInstance_; }
    void RequestClose() override;
    void EndProgramNow() override;
    void InstallHotkeyProcedure() override;
    void RemoveHotkeyProcedure() override;

    bool IsChecked(MenuItem item) override { return menus_[item].checked; }
    void SetChecked(MenuItem item, bool checked) override { menus_[item].checked = checked; }
    bool IsEnabled(MenuItem item) override { return menus_[item].enabled; }
    void SetEnabled(MenuItem item, bool enabled) override { menus_[item].enabled = enabled; }
    void ShowPopup(PopupMenu menu) override;

    void Place(Control control, const base::TwipsRect& rect) override;
    base::TwipsRect Bounds(Control control) override { return controls_[control].rect; }
    void SetVisible(Control control, bool visible) override { controls_[control].visible = visible; }
    bool IsVisible(Control control) override { return controls_[control].visible; }
    void SetBarColour(int bar, BarColour colour) override { barColours_.at(bar) = colour; }
    WindowHandle FrameWindow(int index) override { return frames_.at(index); }

    void ClearTabs(Strip strip) override;
    int TabCount(Strip strip) override { return static_cast<int>(StripOf(strip).tabs.size()); }
    void AddTab(Strip strip, const std::string& caption) override;
    std::string TabCaption(Strip strip, int tab) override;
    void SetTabTag(Strip strip, int tab, const std::string& tag) override;
    std::string TabTag(Strip strip, int tab) override;
    void RemoveTab(Strip strip, int tab) override;
    int SelectedTab(Strip strip) override { return StripOf(strip).selected; }
    double TabWidth(Strip strip, int tab) override;

    void ClearCombo() override;
    void AddComboItem(const std::string& text) override { comboItems_.push_back(text); }
    std::string ComboText() override { return comboText_; }
    std::vector<std::string> ComboItems() override { return comboItems_; }

    void ShowMessage(const std::string& text, const std::string& title) override;

    // --- What the user and the system do ---

    void AttachEvents(MainWindowEvents* events) { events_ = events; }
    // The load event, then the window is shown (and sized) unless the program ended meanwhile.
    void Start();
    // The user drags the window's frame to a new outer size (normal state only).
    void UserResize(double outerWidth, double outerHeight);
    // The minimise, maximise and restore buttons.
    void UserSetState(WindowState state);
    // A menu click reaches the form only while the entry is enabled.
    void UserClickMenu(MenuItem item);
    void UserSelectTab(Strip strip, int tab);
    void UserPickComboItem(int index);
    // WM_HOTKEY arrives: it reaches the form only through the installed
    // procedure. False when it did not reach it.
    bool DeliverHotkey(int id);
    // The window moved to a monitor of another DPI.
    void ChangeDpi(double twipsPerPixelX, double twipsPerPixelY);
    void SetPreviousInstance(bool running) { previousInstance_ = running; }

    // --- Inspection ---

    bool Shown() const { return shown_; }
    bool Ended() const { return ended_; }        // ended at once, without shutdown
    bool Unloaded() const { return unloaded_; }  // closed through the shutdown
    int RefusedCloses() const { return refusedCloses_; }
    bool HotkeyProcedureInstalled() const { return hotkeyProcedure_; }
    BarColour BarColourOf(int bar) const { return barColours_.at(bar); }
    const std::vector<MessageBoxRecord>& MessageBoxes() const { return messageBoxes_; }
    const std::vector<PopupMenu>& PopupsShown() const { return popups_; }
    base::TwipsRect NormalRect() const { return normal_; }

private:
    struct MenuState {
        bool checked = false;
        bool enabled = true;
    };
    struct ControlState {
        base::TwipsRect rect;
        bool visible = true;
    };
    struct Tab {
        std::string caption;
        std::string tag;
    };
    struct StripState {
        std::vector<Tab> tabs;
        int selected = 0;
    };

    StripState& StripOf(Strip strip) { return strips_.at(static_cast<std::size_t>(strip)); }
    Tab* FindTab(Strip strip, int tab);
    bool Live() const { return events_ != nullptr && !ended_ && !unloaded_; }

    SimWindowManager& windows_;
    Journal& journal_;
    MainWindowEvents* events_ = nullptr;
    WindowHandle handle_ = 0;
    std::array<WindowHandle, 3> frames_{};
    WindowState state_ = WindowState::Normal;
    base::TwipsRect normal_;
    double twipsPerPixelX_ = 15;
    double twipsPerPixelY_ = 15;
    bool previousInstance_ = false;
    bool shown_ = false;
    bool ended_ = false;
    bool unloaded_ = false;
    int refusedCloses_ = 0;
    bool hotkeyProcedure_ = false;
    std::map<MenuItem, MenuState> menus_;
    std::map<Control, ControlState> controls_;
    std::array<BarColour, 2> barColours_{BarColour::Face, BarColour::Face};
    std::array<StripState, 3> strips_;
    std::vector<std::string> comboItems_;
    std::string comboText_;
    std::vector<MessageBoxRecord> messageBoxes_;
    std::vector<PopupMenu> popups_;
};

}  // namespace velmora::platform::sim
