#include "shell/MainForm.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "explorer/TabPath.h"
#include "settings/Hotkey.h"
#include "settings/SettingKeys.h"
#include "settings/TabCodec.h"
#include "base/Twips.h"

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
constexpr std::array<Control, 3> kHostAreas{Control::FrameApp0, Control::FrameApp1, Control::FrameApp2};
constexpr std::array<Control, 2> kSplitBars{Control::SplitBar0, Control::SplitBar1};
constexpr std::array<Strip, 2> kExplorerStrips{Strip::Explorer1, Strip::Explorer2};
constexpr std::array<std::string_view, 2> kTabKeys{"1", "2"};

static_assert(platform::kButtonLeft == kLeftButton && platform::kButtonRight == kRightButton,
              "the runtime's button bits go to the layout model unchanged");

base::TwipsRect ToTwips(const base::TwipsRect& rect) { return {rect.left, rect.top, rect.width, rect.height}; }

// A setting outside its range is a hand-edited file; it counts as missing.
std::int32_t ReadRanged(const settings::IniFile& ini, const settings::SettingKey& key, std::int32_t low,
                        std::int32_t high) {
    const std::int32_t value = settings::ReadSetting(ini, key);
    return value < low || value > high ? key.defaultValue : value;
}

// Geometry is saved as whole twips. Bars can sit on half twips (the centre
// command halves odd sizes), and every reader takes only the whole-number part
// anyway; rounding halves to even, as the layout does, keeps the saved value
// the nearest one rather than cutting it.
std::int64_t WholeTwips(double twips) { return base::RoundHalfEven(twips); }

}  // namespace

MainForm::MainForm(platform::Desktop& desktop, settings::ProfileStore& store)
    : desktop_(desktop), store_(store), layout_([this] {
          ApplyLayout();
          FitHostedWindows();
      }) {}

// --- Start-up ---------------------------------------------------------------------------------------------------

void MainForm::OnLoad() {
    platform::MainWindow& window = desktop_.window;
    if (window.PreviousInstance()) {
        // The copy that runs already keeps the settings; this one must not touch them.
        window.EndProgramNow();
        return;
    }
    state_.settingsPath = settings::SettingsPathFor(desktop_.program.folder);
    window.ClearTabs(Strip::Explorer1);
    window.ClearTabs(Strip::Explorer2);
    window.ClearTabs(Strip::Apps);
    RestoreState();
    if (!CaptureExplorer(0) || !CaptureExplorer(1)) return;
    // Last, so that no hotkey reaches a form that is still being set up.
    window.InstallHotkeyProcedure();
}

void MainForm::RestoreState() {
    LoadPaneOffsets();
    const settings::IniFile ini = Settings();
    if (settings::ReadSetting(ini, keys::Window) == 1) RestoreWindow(ini);
    SelectView(ReadRanged(ini, keys::View, 0, 2));
    // The pane is hidden here, so the toggle shows it.
    if (settings::ReadSetting(ini, keys::ViewApl) != 0) ToggleApplicationPane();
    RestoreTabs(ini, 0);
    RestoreTabs(ini, 1);
    // The hotkeys and the launcher list come next even when the start-up
    // application could not be captured: neither needs its window.
    StartBootApplication();
    RegisterTabHotkeys();
    LoadAppList();
}

void MainForm::RestoreWindow(const settings::IniFile& ini) {
    platform::MainWindow& window = desktop_.window;
    window.SetState(static_cast<WindowState>(ReadRanged(ini, keys::State, 0, 2)));
    // The bars take their places before the first layout pass; the view command lays the panes out.
    layout_.SetSplitBarPosition(0, settings::ReadSetting(ini, keys::Bar1));
    layout_.SetSplitBarPosition(1, settings::ReadSetting(ini, keys::Bar2));
    ApplyLayout();
    if (window.GetState() == WindowState::Normal) {
        window.MoveOuter({static_cast<double>(settings::ReadSetting(ini, keys::X)),
                          static_cast<double>(settings::ReadSetting(ini, keys::Y)),
                          static_cast<double>(settings::ReadSetting(ini, keys::W)),
                          static_cast<double>(settings::ReadSetting(ini, keys::H))});
    }
}

void MainForm::RestoreTabs(const settings::IniFile& ini, int pane) {
    platform::MainWindow& window = desktop_.window;
    const Strip strip = kExplorerStrips[static_cast<std::size_t>(pane)];
    for (const settings::TabEntry& entry :
         settings::DecodeTabs(ini.GetIniString(settings::kTabSection, kTabKeys[static_cast<std::size_t>(pane)]))) {
        // A folder deleted since the last run drops out; the others keep their order.
        if (!explorer::IsTabPath(entry.path, desktop_.files)) continue;
        window.AddTab(strip, entry.caption);
        window.SetTabTag(strip, window.TabCount(strip), entry.path);
    }
}

void MainForm::LoadPaneOffsets() {
    const settings::IniFile ini = Settings();
    constexpr std::array<const settings::SettingKey*, 3> xKeys{&keys::X01, &keys::X02, &keys::X03};
    constexpr std::array<const settings::SettingKey*, 3> yKeys{&keys::Y01, &keys::Y02, &keys::Y03};
    for (std::size_t pane = 0; pane < 3; ++pane) {
        state_.paneOffsetX[pane] = settings::ReadSetting(ini, *xKeys[pane]);
        state_.paneOffsetY[pane] = settings::ReadSetting(ini, *yKeys[pane]);
    }
}

void MainForm::RegisterTabHotkeys() {
    const settings::IniFile ini = Settings();
    auto registerOne = [&](int id, const settings::SettingKey& modkey, const settings::SettingKey& hotkey) {
        // Files from older versions store codes above 127 as negative numbers.
        const std::uint32_t keyCode = settings::RegistrationKeyCode(settings::ReadSetting(ini, hotkey));
        // Key code 0 is "no hotkey chosen"; registering it would only reserve a combination nobody can press.
        if (keyCode == 0) return;
        const auto modifiers = static_cast<std::uint32_t>(settings::ReadSetting(ini, modkey));
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

void MainForm::LoadAppList() {
    platform::MainWindow& window = desktop_.window;
    window.ClearCombo();
    for (const std::string& name : Settings().GetIniKeyNames(settings::kAppSection)) {
        // The list ends at the first empty name, as the platform's key list does.
        if (name.empty()) break;
        window.AddComboItem(name);
    }
}

// --- Closing ----------------------------------------------------------------------------------------------------

bool MainForm::OnQueryClose() {
    // While the settings program runs, or a started program is waited for, that wait loop is still on our stack.
    return state_.optionRunning || apps_.Starting();
}

void MainForm::OnUnload() {
    desktop_.window.RemoveHotkeyProcedure();
    UnregisterTabHotkeys();
    SaveState();
    ReleaseExplorerWindows();
    ReleaseApplicationWindows();
}

void MainForm::SaveState() {
    platform::MainWindow& window = desktop_.window;
    const settings::IniFile ini = Settings();
    // Read again: the settings program may have changed it while we ran.
    if (settings::ReadSetting(ini, keys::Window) == 1) {
        const WindowState state = window.GetState();
        settings::WriteSetting(ini, keys::State, static_cast<int>(state));
        settings::WriteSetting(ini, keys::Bar1, WholeTwips(layout_.SplitBarPosition(0)));
        settings::WriteSetting(ini, keys::Bar2, WholeTwips(layout_.SplitBarPosition(1)));
        // A maximised or minimised window keeps the last normal place for the next start.
        if (state == WindowState::Normal) {
            const base::TwipsRect outer = window.OuterRect();
            settings::WriteSetting(ini, keys::X, WholeTwips(outer.left));
            settings::WriteSetting(ini, keys::Y, WholeTwips(outer.top));
            settings::WriteSetting(ini, keys::W, WholeTwips(outer.width));
            settings::WriteSetting(ini, keys::H, WholeTwips(outer.height));
        }
    }
    for (std::size_t view = 0; view < kViewItems.size(); ++view) {
        if (window.IsChecked(kViewItems[view])) settings::WriteSetting(ini, keys::View, static_cast<int>(view));
    }
    settings::WriteSetting(ini, keys::ViewApl, window.IsChecked(MenuItem::ViewAppPane) ? -1 : 0);
    SaveTabs(ini, 0);
    SaveTabs(ini, 1);
}

void MainForm::SaveTabs(const settings::IniFile& ini, int pane) {
    platform::MainWindow& window = desktop_.window;
    const Strip strip = kExplorerStrips[static_cast<std::size_t>(pane)];
    std::vector<settings::TabEntry> tabs;
    for (int tab = 1; tab <= window.TabCount(strip); ++tab) {
        tabs.push_back({window.TabCaption(strip, tab), window.TabTag(strip, tab)});
    }
    // No tabs: the key goes.
    const std::optional<std::string> value = settings::EncodeTabs(tabs);
    ini.WriteString(settings::kTabSection, kTabKeys[static_cast<std::size_t>(pane)],
                    value ? std::optional<std::string_view>(*value) : std::nullopt);
}

void MainForm::ReleaseExplorerWindows() {
    for (std::size_t pane = 0; pane < 2; ++pane) {
        std::unique_ptr<platform::ExplorerWindow>& explorer = state_.paneExplorer[pane];
        const platform::WindowHandle hosted = state_.paneWindow[pane];
        // The handle is ours only while our Explorer object still names it: after the user closed the window the
        // number may belong to a stranger's window, which must not be re-parented.
        const bool ours = hosted != 0 && desktop_.windows.IsWindow(hosted) && explorer && explorer->Hwnd() == hosted;
        if (ours) {
            explorer->SetVisible(false);
            // Back to the desktop first: a child window would be destroyed with our main window.
            desktop_.windows.SetParent(hosted, 0);
            explorer->Quit();
        }
        explorer.reset();
    }
}

// --- Steps of the Explorer and application-pane features --------------------------------------------------------

void MainForm::StartBootApplication() { apps_.StartBootApplication(); }

bool MainForm::CaptureExplorer(int pane) { return explorerPanes_.Capture(pane); }

void MainForm::AddTab(int pane) { explorerPanes_.AddTab(pane); }

void MainForm::FitHostedWindows() { apps_.FitHostedWindows(); }

void MainForm::ReleaseApplicationWindows() { apps_.ReleaseApplicationWindows(); }

explorer::SettingsReload MainForm::ReloadSteps() {
    return {[this] { UnregisterTabHotkeys(); }, [this] { LoadPaneOffsets(); },
            [this] { RegisterTabHotkeys(); },   [this] { LoadAppList(); },
            [this] { FitHostedWindows(); },     [this] { explorerPanes_.ApplyListStyles(); }};
}

// --- Events -----------------------------------------------------------------------------------------------------

void MainForm::OnHotkey(int id) {
    if (id == kHotkeyPane1) AddTab(0);
    if (id == kHotkeyPane2) AddTab(1);
}

void MainForm::OnMenu(MenuItem item) {
    switch (item) {
        case MenuItem::ViewOne:
            SelectView(0);
            break;
        case MenuItem::ViewTwo:
            SelectView(1);
            break;
        case MenuItem::ViewTwoStacked:
            SelectView(2);
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
            AddTab(0);
            break;
        case MenuItem::FileAddTab2:
            AddTab(1);
            break;
        case MenuItem::CaptureExplorer1:
            CaptureExplorer(0);
            break;
        case MenuItem::CaptureExplorer2:
            CaptureExplorer(1);
            break;
        case MenuItem::PopupPath1:
            explorerPanes_.CopyPath(0);
            break;
        case MenuItem::PopupPath2:
            explorerPanes_.CopyPath(1);
            break;
        case MenuItem::PopupClose1:
            explorerPanes_.CloseTab(0);
            break;
        case MenuItem::PopupClose2:
            explorerPanes_.CloseTab(1);
            break;
        case MenuItem::PopupTakeOut:
            apps_.OnTakeOut();
            break;
        case MenuItem::PopupAppClose:
            apps_.OnCloseTab();
            break;
        case MenuItem::ToolOption:
            tools_.RunOption();
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
    if (strip == Strip::Apps) apps_.OnTabClick();
    if (strip != Strip::Apps) explorerPanes_.SelectTab(static_cast<int>(strip));
}
void MainForm::OnTabMouseDown(Strip strip, int button, int /*shift*/, double x, double /*y*/) {
    if (strip == Strip::Apps) apps_.OnTabMouseDown(button, x);
    if (strip != Strip::Apps) explorerPanes_.MouseDown(static_cast<int>(strip), button, x);
}
int MainForm::OnTabDragOver(Strip strip, int shift) {
    // A file dropped on the application strip is started, never moved.
    if (strip == Strip::Apps) return 1;
    return explorer::ExplorerPanes::DragEffect(shift);
}
void MainForm::OnTabDrop(Strip strip, bool hasFiles, const std::vector<std::string>& files, int shift, double x,
                         double /*y*/) {
    if (strip == Strip::Apps) apps_.OnStripDrop(hasFiles, files);
    if (strip != Strip::Apps) explorerPanes_.Drop(static_cast<int>(strip), hasFiles, files, shift, x);
}
void MainForm::OnFrameDrop(int index, bool hasFiles, const std::vector<std::string>& files) {
    apps_.OnFrameDrop(index, hasFiles, files);
}
void MainForm::OnComboClick() { apps_.OnComboClick(); }
void MainForm::OnTimer() {
    // The dead application tabs go first; then the Explorer lists get their flags back.
    apps_.SweepDeadTabs();
    explorerPanes_.OnTimer();
}

// --- Layout -----------------------------------------------------------------------------------------------------

void MainForm::OnResize() { LayoutPass(); }

void MainForm::OnDpiChanged() {
    // The twips stay; the pixels they come to do not.
    LayoutPass();
}

void MainForm::OnFrameResize(int index) {
    if (applying_ || index < 0 || index >= PaneLayout::kPaneCount) return;
    ApplyInnerLayout(index);
    FitHostedWindows();
}

void MainForm::LayoutPass() {
    // A pass that ran has put its result on the controls through the fit hook; a minimised window gets nothing.
    FollowOuterSize(layout_.Layout(Metrics()));
}

void MainForm::SelectView(int view) { FinishCommand(layout_.SelectView(view, Metrics())); }

void MainForm::ToggleApplicationPane() { FinishCommand(layout_.ToggleApplicationPane(Metrics())); }

void MainForm::CentreSplitBars() { FinishCommand(layout_.CentreSplitBars(Metrics())); }

void MainForm::OnSplitMouseDown(int bar, int button, double /*x*/, double /*y*/) {
    layout_.PressSplitBar(bar, static_cast<unsigned>(button));
    desktop_.window.SetBarColour(bar, layout_.SplitBarColour(bar) == BarPaint::kShadow ? platform::BarColour::Shadow
                                                                                       : platform::BarColour::Face);
}

void MainForm::OnSplitMouseMove(int bar, int /*button*/, double x, double y) {
    layout_.DragSplitBar(bar, x, y, Metrics());
    // Only the bar follows the mouse; the panes wait for the release.
    desktop_.window.Place(kSplitBars[static_cast<std::size_t>(bar)], ToTwips(layout_.SplitBar(bar)));
}

void MainForm::OnSplitMouseUp(int bar, int /*button*/, double /*x*/, double /*y*/) {
    FollowOuterSize(layout_.ReleaseSplitBar(bar, Metrics()));
}

WindowMetrics MainForm::Metrics() {
    platform::MainWindow& window = desktop_.window;
    const base::TwipsRect outer = window.OuterRect();
    return WindowMetrics{window.GetState() == WindowState::Minimized, base::TwipsSize{outer.width, outer.height},
                         base::TwipsSize{window.ClientWidth(), window.ClientHeight()}};
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

void MainForm::ApplyLayout() {
    platform::MainWindow& window = desktop_.window;
    const bool wasApplying = applying_;
    applying_ = true;
    for (int pane = 0; pane < PaneLayout::kPaneCount; ++pane) {
        window.Place(kPicFrames[static_cast<std::size_t>(pane)], ToTwips(layout_.Frame(pane)));
        window.SetVisible(kPicFrames[static_cast<std::size_t>(pane)], layout_.FrameVisible(pane));
        ApplyInnerLayout(pane);
    }
    for (int bar = 0; bar < PaneLayout::kBarCount; ++bar) {
        window.Place(kSplitBars[static_cast<std::size_t>(bar)], ToTwips(layout_.SplitBar(bar)));
        window.SetVisible(kSplitBars[static_cast<std::size_t>(bar)], layout_.SplitBarVisible(bar));
        window.SetBarColour(bar, layout_.SplitBarColour(bar) == BarPaint::kShadow ? platform::BarColour::Shadow
                                                                                  : platform::BarColour::Face);
    }
    for (int view = 0; view < PaneLayout::kViewCount; ++view) {
        window.SetChecked(kViewItems[static_cast<std::size_t>(view)], layout_.ViewChecked(view));
    }
    window.SetChecked(MenuItem::ViewAppPane, layout_.ApplicationPaneChecked());
    applying_ = wasApplying;
}

void MainForm::ApplyInnerLayout(int pane) {
    platform::MainWindow& window = desktop_.window;
    const auto index = static_cast<std::size_t>(pane);
    window.Place(kTabStrips[index], ToTwips(layout_.TabStrip(pane)));
    window.Place(kHostAreas[index], ToTwips(layout_.HostArea(pane)));
    if (pane == 2) window.Place(Control::CboApp, ToTwips(layout_.LauncherBox()));
}

}  // namespace velmora::shell
