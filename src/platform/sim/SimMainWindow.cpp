#include "platform/sim/SimMainWindow.h"

#include <algorithm>

namespace velmora::platform::sim {
namespace {

// The design client area, and where the platform puts a new window.
constexpr double kDesignClientWidth = 12285;
constexpr double kDesignClientHeight = 6525;
constexpr double kDefaultLeft = 1800;
constexpr double kDefaultTop = 1350;

std::size_t CodePoints(const std::string& text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

}  // namespace

SimMainWindow::SimMainWindow(SimWindowManager& windows, Journal& journal) : windows_(windows), journal_(journal) {
    const WindowIdentity own{kProcessId, kProcessId + 1};
    handle_ = windows_.Create({"VelmoraMain", "Velmora", 0, 0, false, own});
    for (WindowHandle& frame : frames_) frame = windows_.Create({"VelmoraFrame", "", handle_, 0, true, own});

    normal_ = {kDefaultLeft, kDefaultTop, kDesignClientWidth + 2 * kBorderPx * twipsPerPixelX_,
               kDesignClientHeight + (2 * kBorderPx + kCaptionPx + kMenuBarPx) * twipsPerPixelY_};
    // The controls as the form is designed.
    controls_[Control::PicFrame0] = {{0, 0, 3375, 2295}, true};
    controls_[Control::PicFrame1] = {{5280, 0, 4335, 2295}, true};
    controls_[Control::PicFrame2] = {{0, 3240, 4335, 2295}, false};
    controls_[Control::SplitBar0] = {{4920, 0, 50, 5415}, true};
    controls_[Control::SplitBar1] = {{0, 2880, 7215, 50}, true};
    controls_[Control::TabStrip1_0] = {{0, 0, 3315, 300}, true};
    controls_[Control::TabStrip1_1] = {{0, 0, 4275, 300}, true};
    controls_[Control::TabStrip2] = {{0, 0, 2160, 300}, true};
    controls_[Control::FrameApp0] = {{0, 270, 3375, 2025}, true};
    controls_[Control::FrameApp1] = {{0, 270, 4335, 2025}, true};
    controls_[Control::FrameApp2] = {{0, 300, 4335, 1995}, true};
    controls_[Control::CboApp] = {{2160, 0, 2175, 300}, true};
}

void SimMainWindow::SetState(WindowState state) {
    journal_.Add("SetState " + std::to_string(static_cast<int>(state)));
    if (state == state_) return;
    state_ = state;
    if (Live()) events_->OnResize();
}

base::TwipsRect SimMainWindow::OuterRect() {
    const double x = twipsPerPixelX_;
    const double y = twipsPerPixelY_;
    switch (state_) {
        case WindowState::Maximized:
            // The sizing borders hang over the work area's edges.
            return {-kBorderPx * x, -kBorderPx * y, (kWorkAreaWidthPx + 2 * kBorderPx) * x,
                    (kWorkAreaHeightPx + 2 * kBorderPx) * y};
        case WindowState::Minimized:
            return {-32000 * x, -32000 * y, 160 * x, 28 * y};
        case WindowState::Normal:
            break;
    }
    return normal_;
}

void SimMainWindow::MoveOuter(const base::TwipsRect& rect) {
    journal_.Add("MoveOuter " + std::to_string(rect.left) + " " + std::to_string(rect.top) + " " +
                 std::to_string(rect.width) + " " + std::to_string(rect.height));
    const bool resized = rect.width != normal_.width || rect.height != normal_.height;
    // Outside the normal state the move changes the place the window is restored to.
    normal_ = rect;
    if (resized && state_ == WindowState::Normal && Live()) events_->OnResize();
}

double SimMainWindow::ClientWidth() {
    if (state_ == WindowState::Minimized) return 0;
    return std::max(0.0, OuterRect().width - 2 * kBorderPx * twipsPerPixelX_);
}

double SimMainWindow::ClientHeight() {
    if (state_ == WindowState::Minimized) return 0;
    return std::max(0.0, OuterRect().height - (2 * kBorderPx + kCaptionPx + kMenuBarPx) * twipsPerPixelY_);
}

void SimMainWindow::RequestClose() {
    journal_.Add("RequestClose");
    if (!Live()) return;
    if (events_->OnQueryClose()) {
        ++refusedCloses_;
        return;
    }
    events_->OnUnload();
    unloaded_ = true;
    // Child windows go with their parent, hosted ones too if still inside.
    windows_.Destroy(handle_);
}

void SimMainWindow::EndProgramNow() {
    journal_.Add("EndProgramNow");
    ended_ = true;
    windows_.Destroy(handle_);
}

void SimMainWindow::InstallHotkeyProcedure() {
    journal_.Add("InstallHotkeyProcedure");
    hotkeyProcedure_ = true;
}

void SimMainWindow::RemoveHotkeyProcedure() {
    journal_.Add("RemoveHotkeyProcedure");
    hotkeyProcedure_ = false;
}

void SimMainWindow::ShowPopup(PopupMenu menu) {
    journal_.Add("ShowPopup " + std::to_string(static_cast<int>(menu)));
    popups_.push_back(menu);
}

void SimMainWindow::Place(Control control, const base::TwipsRect& rect) {
    base::TwipsRect& current = controls_[control].rect;
    const bool resized = rect.width != current.width || rect.height != current.height;
    current = rect;
    int frame = -1;
    if (control == Control::PicFrame0) frame = 0;
    if (control == Control::PicFrame1) frame = 1;
    if (control == Control::PicFrame2) frame = 2;
    if (frame >= 0 && resized && Live()) events_->OnFrameResize(frame);
}

void SimMainWindow::ClearTabs(Strip strip) { StripOf(strip) = {}; }

void SimMainWindow::AddTab(Strip strip, const std::string& caption) { StripOf(strip).tabs.push_back({caption, {}}); }

SimMainWindow::Tab* SimMainWindow::FindTab(Strip strip, int tab) {
    auto& tabs = StripOf(strip).tabs;
    if (tab < 1 || tab > static_cast<int>(tabs.size())) return nullptr;
    return &tabs[static_cast<std::size_t>(tab - 1)];
}

std::string SimMainWindow::TabCaption(Strip strip, int tab) {
    const Tab* found = FindTab(strip, tab);
    return found ? found->caption : std::string();
}

void SimMainWindow::SetTabTag(Strip strip, int tab, const std::string& tag) {
    if (Tab* found = FindTab(strip, tab)) found->tag = tag;
}

std::string SimMainWindow::TabTag(Strip strip, int tab) {
    const Tab* found = FindTab(strip, tab);
    return found ? found->tag : std::string();
}

void SimMainWindow::RemoveTab(Strip strip, int tab) {
    StripState& state = StripOf(strip);
    if (!FindTab(strip, tab)) return;
    state.tabs.erase(state.tabs.begin() + (tab - 1));
    if (state.selected == tab) {
        state.selected = 0;
    } else if (state.selected > tab) {
        --state.selected;
    }
}

double SimMainWindow::TabWidth(Strip strip, int tab) {
    const Tab* found = FindTab(strip, tab);
    // Wide enough for the caption in the UI font, plus the tab's margins.
    return found ? static_cast<double>(CodePoints(found->caption)) * 8 * twipsPerPixelX_ + 12 * twipsPerPixelX_ : 0;
}

void SimMainWindow::ClearCombo() {
    comboItems_.clear();
    comboText_.clear();
}

void SimMainWindow::ShowMessage(const std::string& text, const std::string& title) {
    journal_.Add("MessageBox " + title);
    messageBoxes_.push_back({text, title});
}

void SimMainWindow::Start() {
    if (!events_) return;
    events_->OnLoad();
    if (ended_ || unloaded_) return;
    shown_ = true;
    windows_.SetVisible(handle_, true);
    // Showing a window for the first time sizes it.
    events_->OnResize();
}

void SimMainWindow::UserResize(double outerWidth, double outerHeight) {
    if (state_ != WindowState::Normal) return;
    const bool resized = outerWidth != normal_.width || outerHeight != normal_.height;
    normal_.width = outerWidth;
    normal_.height = outerHeight;
    if (resized && Live()) events_->OnResize();
}

void SimMainWindow::UserSetState(WindowState state) {
    if (state == state_) return;
    state_ = state;
    if (Live()) events_->OnResize();
}

void SimMainWindow::UserClickMenu(MenuItem item) {
    if (Live() && menus_[item].enabled) events_->OnMenu(item);
}

void SimMainWindow::UserSelectTab(Strip strip, int tab) {
    if (!FindTab(strip, tab)) return;
    StripOf(strip).selected = tab;
    if (Live()) events_->OnTabClick(strip);
}

void SimMainWindow::UserPickComboItem(int index) {
    if (index < 0 || index >= static_cast<int>(comboItems_.size())) return;
    comboText_ = comboItems_[static_cast<std::size_t>(index)];
    if (Live()) events_->OnComboClick();
}

bool SimMainWindow::DeliverHotkey(int id) {
    if (!Live() || !hotkeyProcedure_) return false;
    events_->OnHotkey(id);
    return true;
}

void SimMainWindow::ChangeDpi(double twipsPerPixelX, double twipsPerPixelY) {
    twipsPerPixelX_ = twipsPerPixelX;
    twipsPerPixelY_ = twipsPerPixelY;
    if (Live()) events_->OnDpiChanged();
}

}  // namespace velmora::platform::sim
