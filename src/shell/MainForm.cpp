#include "shell/MainForm.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

#include "base/Twips.h"
#include "settings/Hotkey.h"
#include "settings/SettingKeys.h"

namespace velmora::shell {
namespace {

using platform::Control;
using platform::MenuItem;
using platform::Strip;
using platform::WindowState;
namespace keys = settings::keys;

constexpr std::array<MenuItem, 3> kViewItems{MenuItem::ViewOne, MenuItem::ViewTwo, MenuItem::ViewTwoStacked};
constexpr std::array<Control, 3> kPicFrames{Control::PicFrame0, Control::PicFrame1, Control::PicFrame2};
constexpr std::array<Control, 3> kTabStrips{Control::TabStrip1_0, Control::TabStrip1_1, Control::TabStrip2};
constexpr std::array<Control, 2> kSplitBars{Control::SplitBar0, Control::SplitBar1};
constexpr std::array<std::string_view, 2> kTabKeys{"1", "2"};

static_assert(platform::kButtonLeft == kLeftButton && platform::kButtonRight == kRightButton,
              "the runtime's button bits go to the layout model unchanged");

// A setting outside its range is a hand-edited file; it counts as missing.
std::int32_t ReadRanged(const settings::IniFile& ini, const settings::SettingKey& key, std::int32_t low,
                        std::int32_t high) {
    const std::int32_t value = settings::ReadSetting(ini, key);
    return value < low || value > high ? key.defaultValue : value;
}

// Geometry is saved as whole twips. Bars can sit on half twips (the centre command halves odd sizes), and every
// reader takes only the whole-number part anyway; rounding halves to even, as the layout does, keeps the saved
// value the nearest one rather than cutting it.
std::int64_t WholeTwips(double twips) { return base::RoundHalfEven(twips); }

}  // namespace

MainForm::MainForm(platform::Desktop& desktop, settings::ProfileStore& store)
    : desktop_(desktop),
      settings_(store, settings::SettingsPathFor(desktop.program.folder)),
      layout_([this] {
          ApplyLayout();
          FitHostedWindows();
      }),
      explorers_{{{desktop, settings_, 0}, {desktop, settings_, 1}}},
      apps_(desktop, settings_),
      tools_(desktop) {}

// --- Start-up ---------------------------------------------------------------------------------------------------

void MainForm::OnLoad() {
    platform::MainWindow& window = desktop_.window;
    if (window.PreviousInstance()) {
        // The copy that runs already keeps the settings; this one must not touch them.
        window.EndProgramNow();
        return;
    }
    window.ClearTabs(Strip::Explorer1);
    window.ClearTabs(Strip::Explorer2);
    window.ClearTabs(Strip::Apps);
    const settings::ReadStatus status = settings_.Status();
    settingsReadable_ = status != settings::ReadStatus::Unreadable && status != settings::ReadStatus::TooLarge;
    if (!settingsReadable_) window.ShowMessage(std::string(kUnreadableText) + settings_.path(), desktop_.program.title);
    RestoreState();
    platform::TraceStep(desktop_.trace, "state restored");
    if (!CaptureExplorer(0) || !CaptureExplorer(1)) return;
    // Last, so that no hotkey reaches a form that is still being set up.
    window.InstallHotkeyProcedure();
    platform::TraceStep(desktop_.trace, "load done");
}

void MainForm::RestoreState() {
    LoadPaneOffsets();
    if (settings::ReadSetting(settings_, keys::Window) == 1) RestoreWindow();
    SelectView(ReadRanged(settings_, keys::View, 0, 2));
    // The pane is hidden here, so the toggle shows it.
    if (settings::ReadSetting(settings_, keys::ViewApl) != 0) ToggleApplicationPane();
    for (std::size_t pane = 0; pane < 2; ++pane) {
        explorers_[pane].RestoreTabs(settings_.GetIniString(settings::kTabSection, kTabKeys[pane]));
    }
    // The hotkeys and the launcher list come next even when the start-up application could not be captured:
    // neither needs its window.
    apps_.StartBootApplication();
    RegisterTabHotkeys();
    apps_.LoadAppList();
}

void MainForm::RestoreWindow() {
    platform::MainWindow& window = desktop_.window;
    window.SetState(static_cast<WindowState>(ReadRanged(settings_, keys::State, 0, 2)));
    // The bars take their places before the first layout pass; the view command lays the panes out.
    layout_.SetSplitBarPosition(0, settings::ReadSetting(settings_, keys::Bar1));
    layout_.SetSplitBarPosition(1, settings::ReadSetting(settings_, keys::Bar2));
    ApplyLayout();
    if (window.GetState() == WindowState::Normal) {
        const base::TwipsRect saved{static_cast<double>(settings::ReadSetting(settings_, keys::X)),
                                    static_cast<double>(settings::ReadSetting(settings_, keys::Y)),
                                    static_cast<double>(settings::ReadSetting(settings_, keys::W)),
                                    static_cast<double>(settings::ReadSetting(settings_, keys::H))};
        // Saved where no monitor shows it any more (a laptop undocked): brought onto the nearest one. The file is
        // not touched; the next close saves where the window is then.
        window.MoveOuter(base::BringOnScreen(saved, window.WorkAreas()).value_or(saved));
    }
}

void MainForm::LoadPaneOffsets() {
    constexpr std::array<const settings::SettingKey*, 3> xKeys{&keys::X01, &keys::X02, &keys::X03};
    constexpr std::array<const settings::SettingKey*, 3> yKeys{&keys::Y01, &keys::Y02, &keys::Y03};
    const std::array<hosting::Pane*, 3> panes{&explorers_[0].pane(), &explorers_[1].pane(), &apps_.pane()};
    for (std::size_t pane = 0; pane < 3; ++pane) {
        panes[pane]->SetOffsets(settings::ReadSetting(settings_, *xKeys[pane]),
                                settings::ReadSetting(settings_, *yKeys[pane]));
    }
}

void MainForm::RegisterTabHotkeys() {
    auto registerOne = [this](int id, const settings::SettingKey& modkey, const settings::SettingKey& hotkey) {
        // Files from older versions store codes above 127 as negative numbers.
        const std::uint32_t keyCode = settings::RegistrationKeyCode(settings::ReadSetting(settings_, hotkey));
        // Key code 0 is "no hotkey chosen"; registering it would only reserve a combination nobody can press.
        if (keyCode == 0) return;
        const auto modifiers = static_cast<std::uint32_t>(settings::ReadSetting(settings_, modkey));
        // A refusal (the combination belongs to another program) leaves that hotkey dead, as the user can see.
        desktop_.windows.RegisterHotKey(desktop_.window.Handle(), id, modifiers, keyCode);
    };
    registerOne(kHotkeyPane1, keys::Modkey1, keys::Hotkey1);
    registerOne(kHotkeyPane2, keys::Modkey2, keys::Hotkey2);
}

void MainForm::UnregisterTabHotkeys() {
    desktop_.windows.UnregisterHotKey(desktop_.window.Handle(), kHotkeyPane1);
    desktop_.windows.UnregisterHotKey(desktop_.window.Handle(), kHotkeyPane2);
}

bool MainForm::CaptureExplorer(int pane) {
    if (explorers_.at(static_cast<std::size_t>(pane)).Capture()) return true;
    // Without its Explorer panes the program has nothing to show; it ends before anything is saved, so the
    // settings stay as they were. The windows it holds go back first: the other pane's Explorer window as at any
    // exit, the captured programs to their users, running on.
    desktop_.window.ShowMessage(std::string(kCaptureFailedText), std::string(kCaptureFailedTitle));
    explorers_[0].Release();
    explorers_[1].Release();
    apps_.GiveBack();
    desktop_.window.EndProgramNow();
    return false;
}

void MainForm::RunOption() {
    if (tools_.OptionRunning()) {
        // A second copy waited for inside this wait would end its wait first while the first copy still runs, and
        // the close would no longer be refused; two copies would also overwrite each other's settings. The one
        // that runs is what the user is looking for.
        tools_.BringOptionForward();
        return;
    }
    // Registered hotkeys would swallow the combinations the user presses in the settings program's hotkey fields.
    UnregisterTabHotkeys();
    tools_.RunOption();
    LoadPaneOffsets();
    RegisterTabHotkeys();
    apps_.LoadAppList();
    FitHostedWindows();
    ApplyListStyles();
}

void MainForm::FitHostedWindows() {
    explorers_[0].Fit();
    explorers_[1].Fit();
    apps_.Fit();
}

void MainForm::ApplyListStyles() {
    // Read at every call, once for both panes: the settings program may have changed them meanwhile.
    const explorer::ListFlags flags = explorer::ReadListFlags(settings_, true);
    explorers_[0].ApplyListStyle(flags);
    explorers_[1].ApplyListStyle(flags);
}

// --- Closing ----------------------------------------------------------------------------------------------------

bool MainForm::OnQueryClose() {
    // While the settings program runs, or a started program is waited for, that wait loop is still on our stack.
    return tools_.OptionRunning() || apps_.Starting();
}

// Log-off, shutdown and restart: answered as a close is, and when the session ends the shutdown runs as for any
// close, so the tabs and the view are saved and every hosted window goes back to its user.
bool MainForm::OnQueryEndSession() { return OnQueryClose(); }

void MainForm::OnEndSession() {
    quiet_ = true;
    OnUnload();
}

void MainForm::Tell(const std::string& text, const std::string& title) {
    if (!quiet_) desktop_.window.ShowMessage(text, title);
}

void MainForm::OnUnload() {
    if (std::exchange(unloaded_, true)) return;
    desktop_.window.RemoveHotkeyProcedure();
    UnregisterTabHotkeys();
    SaveState();
    explorers_[0].Release();
    explorers_[1].Release();
    apps_.Release();
}

void MainForm::SaveState() {
    // A file that was there but could not be read is not replaced by what this run knows: it may hold everything.
    if (!settingsReadable_) return;
    platform::MainWindow& window = desktop_.window;
    // Read again: the settings program may have changed it while we ran.
    const bool rememberWindow = settings::ReadSetting(settings_, keys::Window) == 1;
    const WindowState state = window.GetState();
    const base::TwipsRect outer = window.OuterRect();
    std::array<std::optional<std::string>, 2> tabs{explorers_[0].SavedTabs(), explorers_[1].SavedTabs()};
    const settings::Outcome saved = settings_.Save([&](settings::ProfileEditor& edit) {
        if (rememberWindow) {
            settings::SetSetting(edit, keys::State, static_cast<int>(state));
            settings::SetSetting(edit, keys::Bar1, WholeTwips(layout_.SplitBarPosition(0)));
            settings::SetSetting(edit, keys::Bar2, WholeTwips(layout_.SplitBarPosition(1)));
            // A maximised or minimised window keeps the last normal place for the next start.
            if (state == WindowState::Normal) {
                settings::SetSetting(edit, keys::X, WholeTwips(outer.left));
                settings::SetSetting(edit, keys::Y, WholeTwips(outer.top));
                settings::SetSetting(edit, keys::W, WholeTwips(outer.width));
                settings::SetSetting(edit, keys::H, WholeTwips(outer.height));
            }
        }
        for (std::size_t view = 0; view < kViewItems.size(); ++view) {
            if (window.IsChecked(kViewItems[view])) settings::SetSetting(edit, keys::View, static_cast<int>(view));
        }
        settings::SetSetting(edit, keys::ViewApl, window.IsChecked(MenuItem::ViewAppPane) ? -1 : 0);
        // No tabs: the key goes.
        for (std::size_t pane = 0; pane < 2; ++pane) {
            edit.Set(settings::kTabSection, kTabKeys[pane],
                     tabs[pane] ? std::optional<std::string_view>(*tabs[pane]) : std::nullopt);
        }
    });
    if (!saved) Tell(SaveFailedText(saved.reason), desktop_.program.title);
}

std::string MainForm::SaveFailedText(std::string_view reason) const {
    return "設定を保存できませんでした。\r\n" + settings_.path() + "\r\n" + std::string(reason);
}

// --- Events -----------------------------------------------------------------------------------------------------

void MainForm::OnHotkey(int id) {
    if (id == kHotkeyPane1) explorers_[0].AddTab();
    if (id == kHotkeyPane2) explorers_[1].AddTab();
}

void MainForm::OnMenu(MenuItem item) {
    switch (item) {
        case MenuItem::ViewOne:
        case MenuItem::ViewTwo:
        case MenuItem::ViewTwoStacked:
            SelectView(static_cast<int>(item) - static_cast<int>(MenuItem::ViewOne));
            break;
        case MenuItem::ViewAppPane:
            ToggleApplicationPane();
            break;
        case MenuItem::ViewEven:
            CentreSplitBars();
            break;
        case MenuItem::FileExit:
            desktop_.window.RequestClose();
            break;
        case MenuItem::FileAddTab1:
        case MenuItem::FileAddTab2:
            explorers_[item == MenuItem::FileAddTab1 ? 0 : 1].AddTab();
            break;
        case MenuItem::CaptureExplorer1:
        case MenuItem::CaptureExplorer2:
            CaptureExplorer(item == MenuItem::CaptureExplorer1 ? 0 : 1);
            break;
        case MenuItem::PopupPath1:
        case MenuItem::PopupPath2:
            explorers_[item == MenuItem::PopupPath1 ? 0 : 1].CopyPath();
            break;
        case MenuItem::PopupClose1:
        case MenuItem::PopupClose2:
            explorers_[item == MenuItem::PopupClose1 ? 0 : 1].CloseTab();
            break;
        case MenuItem::PopupReopen1:
        case MenuItem::PopupReopen2:
            explorers_[item == MenuItem::PopupReopen1 ? 0 : 1].ReopenTab();
            break;
        case MenuItem::PopupTakeOut:
            apps_.OnTakeOut();
            break;
        case MenuItem::PopupAppClose:
            apps_.OnCloseTab();
            break;
        case MenuItem::ToolOption:
            RunOption();
            break;
        case MenuItem::ToolControl:
            tools_.OpenControlPanel();
            break;
        case MenuItem::ToolFolder:
            tools_.OpenFolderOptions();
            break;
        case MenuItem::HelpReadMe:
            tools_.OpenReadMe();
            break;
        case MenuItem::HelpHomePage:
            tools_.OpenHomePage();
            break;
        case MenuItem::HelpAbout:
            tools_.ShowAbout();
            break;
    }
}

void MainForm::OnHelpMenuOpening() { tools_.OnHelpMenuOpening(); }

void MainForm::OnTabClick(Strip strip) {
    if (strip == Strip::Apps) {
        apps_.OnTabClick();
    } else {
        explorers_[static_cast<std::size_t>(strip)].SelectTab();
    }
}

void MainForm::OnTabMouseDown(Strip strip, int button, int /*shift*/, double x, double /*y*/) {
    if (strip == Strip::Apps) {
        apps_.OnTabMouseDown(button, x);
    } else {
        explorers_[static_cast<std::size_t>(strip)].MouseDown(button, x);
    }
}

void MainForm::OnTabDoubleClick(Strip strip, double x) {
    if (strip != Strip::Apps) explorers_[static_cast<std::size_t>(strip)].DoubleClick(x);
}

void MainForm::OnTabDragged(Strip strip, int from, int gap) {
    if (strip == Strip::Apps) {
        apps_.OnTabDragged(from, gap);
    } else {
        explorers_[static_cast<std::size_t>(strip)].Dragged(from, gap);
    }
}

std::string MainForm::OnTabTooltip(Strip strip, int tab) {
    return strip == Strip::Apps ? std::string() : explorers_[static_cast<std::size_t>(strip)].Tooltip(tab);
}

int MainForm::OnTabDragOver(Strip strip, int shift) {
    // A file dropped on the application strip is started, never moved.
    if (strip == Strip::Apps) return 1;
    return explorer::ExplorerPane::DragEffect(shift);
}

void MainForm::OnTabDrop(Strip strip, bool hasFiles, const std::vector<std::string>& files, int shift, double x,
                         double /*y*/) {
    if (!hasFiles) return;
    if (strip == Strip::Apps) {
        apps_.OnDrop(files);
    } else {
        explorers_[static_cast<std::size_t>(strip)].Drop(files, shift, x);
    }
}

void MainForm::OnFrameDrop(int index, bool hasFiles, const std::vector<std::string>& files) {
    // Only the application pane's frame takes files.
    if (index == 2 && hasFiles) apps_.OnDrop(files);
}

void MainForm::OnComboClick() { apps_.OnComboClick(); }

void MainForm::OnTimer() {
    // The dead application tabs go first; then the Explorer lists get their flags back, since the shell re-creates
    // its list on every navigation.
    apps_.SweepDeadTabs();
    ApplyListStyles();
}

// --- Layout -----------------------------------------------------------------------------------------------------

void MainForm::OnResize() {
    // A pass that ran has put its result on the controls through the fit hook; a minimised window gets nothing.
    FollowOuterSize(layout_.Layout(Metrics()));
}

void MainForm::OnDpiChanged() {
    // The twips stay; the pixels they come to do not.
    OnResize();
}

void MainForm::OnFrameResize(int index) {
    if (applying_ || index < 0 || index >= PaneLayout::kPaneCount) return;
    ApplyInnerLayout(index);
    FitHostedWindows();
}

void MainForm::SelectView(int view) { FinishCommand(layout_.SelectView(view, Metrics())); }

void MainForm::ToggleApplicationPane() { FinishCommand(layout_.ToggleApplicationPane(Metrics())); }

void MainForm::CentreSplitBars() { FinishCommand(layout_.CentreSplitBars(Metrics())); }

void MainForm::OnSplitMouseDown(int bar, int button, double /*x*/, double /*y*/) {
    layout_.PressSplitBar(bar, static_cast<unsigned>(button));
    ApplyBarColour(bar);
}

void MainForm::OnSplitMouseMove(int bar, int /*button*/, double x, double y) {
    layout_.DragSplitBar(bar, x, y, Metrics());
    // Only the bar follows the mouse; the panes wait for the release.
    desktop_.window.Place(kSplitBars[static_cast<std::size_t>(bar)], layout_.SplitBar(bar));
}

void MainForm::OnSplitMouseUp(int bar, int /*button*/, double /*x*/, double /*y*/) {
    FollowOuterSize(layout_.ReleaseSplitBar(bar, Metrics()));
}

WindowMetrics MainForm::Metrics() {
    platform::MainWindow& window = desktop_.window;
    const base::TwipsRect outer = window.OuterRect();
    return WindowMetrics{window.GetState() == WindowState::Minimized, {outer.width, outer.height},
                         {window.ClientWidth(), window.ClientHeight()}};
}

void MainForm::FinishCommand(const LayoutOutcome& outcome) {
    // Also when the pass was skipped (minimised): the checks and the visibility the command set must show.
    ApplyLayout();
    FollowOuterSize(outcome);
}

void MainForm::FollowOuterSize(const LayoutOutcome& outcome) {
    if (!outcome.outerSize) return;
    // Resizing raises the resize event again, which lays the panes out for the new size.
    const base::TwipsRect outer = desktop_.window.OuterRect();
    desktop_.window.MoveOuter({outer.left, outer.top, outcome.outerSize->width, outcome.outerSize->height});
}

void MainForm::ApplyBarColour(int bar) {
    desktop_.window.SetBarColour(
        bar, layout_.SplitBarColour(bar) == BarPaint::kShadow ? platform::BarColour::Shadow : platform::BarColour::Face);
}

void MainForm::ApplyLayout() {
    platform::MainWindow& window = desktop_.window;
    const bool wasApplying = applying_;
    applying_ = true;
    for (int pane = 0; pane < PaneLayout::kPaneCount; ++pane) {
        window.Place(kPicFrames[static_cast<std::size_t>(pane)], layout_.Frame(pane));
        window.SetVisible(kPicFrames[static_cast<std::size_t>(pane)], layout_.FrameVisible(pane));
        ApplyInnerLayout(pane);
    }
    for (int bar = 0; bar < PaneLayout::kBarCount; ++bar) {
        window.Place(kSplitBars[static_cast<std::size_t>(bar)], layout_.SplitBar(bar));
        window.SetVisible(kSplitBars[static_cast<std::size_t>(bar)], layout_.SplitBarVisible(bar));
        ApplyBarColour(bar);
    }
    for (int view = 0; view < PaneLayout::kViewCount; ++view) {
        window.SetChecked(kViewItems[static_cast<std::size_t>(view)], layout_.ViewChecked(view));
    }
    window.SetChecked(MenuItem::ViewAppPane, layout_.ApplicationPaneChecked());
    applying_ = wasApplying;
}

void MainForm::ApplyInnerLayout(int pane) {
    platform::MainWindow& window = desktop_.window;
    window.Place(kTabStrips[static_cast<std::size_t>(pane)], layout_.TabStrip(pane));
    window.Place(platform::HostArea(pane), layout_.HostArea(pane));
    if (pane == 2) window.Place(Control::CboApp, layout_.LauncherBox());
}

}  // namespace velmora::shell
