#pragma once

#include <string>
#include <vector>

#include "apps/AppPane.h"
#include "explorer/ExplorerPanes.h"
#include "explorer/ToolsCommands.h"
#include "platform/Desktop.h"
#include "platform/MainWindow.h"
#include "settings/ModIni.h"
#include "settings/ProfileStore.h"
#include "shell/FormState.h"
#include "shell/PaneLayout.h"

namespace velmora::shell {

// frmMain of Velmora: start-up and restore, shutdown, the layout of the panes
// and the View menu. It reacts to the events of the form runtime and talks to
// the system only through the desktop it is given.
class MainForm : public platform::MainWindowEvents {
public:
    // Hotkey identifiers of the Explorer panes 1 and 2.
    static constexpr int kHotkeyPane1 = 256;
    static constexpr int kHotkeyPane2 = 257;

    MainForm(platform::Desktop& desktop, settings::ProfileStore& store);
    MainForm(const MainForm&) = delete;
    MainForm& operator=(const MainForm&) = delete;

    void OnLoad() override;
    bool OnQueryClose() override;
    void OnUnload() override;
    void OnResize() override;
    void OnFrameResize(int index) override;
    void OnMenu(platform::MenuItem item) override;
    void OnHelpMenuOpening() override;
    void OnTabClick(platform::Strip strip) override;
    void OnTabMouseDown(platform::Strip strip, int button, int shift, double x, double y) override;
    int OnTabDragOver(platform::Strip strip, int shift) override;
    void OnTabDrop(platform::Strip strip, bool hasFiles, const std::vector<std::string>& files, int shift, double x,
                   double y) override;
    void OnFrameDrop(int index, bool hasFiles, const std::vector<std::string>& files) override;
    void OnComboClick() override;
    void OnSplitMouseDown(int bar, int button, double x, double y) override;
    void OnSplitMouseMove(int bar, int button, double x, double y) override;
    void OnSplitMouseUp(int bar, int button, double x, double y) override;
    void OnTimer() override;
    void OnHotkey(int id) override;
    void OnDpiChanged() override;

    // --- For the form's other parts ---

    FormState& state() { return state_; }
    const PaneLayout& layout() const { return layout_; }
    // setting.ini, once the load event has located it.
    settings::IniFile Settings() const { return settings::IniFile(store_, state_.settingsPath); }

    // Reads the hosted-window offsets of section "pos" into entries 0 to 2.
    void LoadPaneOffsets();
    // Registers the two tab hotkeys from the settings; a key code of 0 is left unregistered.
    void RegisterTabHotkeys();
    void UnregisterTabHotkeys();
    // Fills the launcher list from the names of section "App", in file order.
    void LoadAppList();
    // The layout pass, as the resize event runs it.
    void LayoutPass();

private:
    void RestoreState();
    void RestoreWindow(const settings::IniFile& ini);
    void RestoreTabs(const settings::IniFile& ini, int pane);
    void SaveState();
    void SaveTabs(const settings::IniFile& ini, int pane);
    void ReleaseExplorerWindows();

    // Steps whose behaviour belongs to the Explorer and application-pane
    // features; each is called where the start-up, shutdown and layout need it.
    void StartBootApplication();
    // False when the capture failed and ended the program.
    bool CaptureExplorer(int pane);
    void AddTab(int pane);
    void FitHostedWindows();
    void ReleaseApplicationWindows();
    // What the settings command runs around the settings program.
    explorer::SettingsReload ReloadSteps();

    void SelectView(int view);
    void ToggleApplicationPane();
    void CentreSplitBars();
    WindowMetrics Metrics();
    // Copies the layout model onto the controls.
    void ApplyLayout();
    void ApplyInnerLayout(int pane);
    void FinishCommand(const LayoutOutcome& outcome);
    // Gives the window the outer size the pass asked for, if any.
    void FollowOuterSize(const LayoutOutcome& outcome);

    platform::Desktop& desktop_;
    settings::ProfileStore& store_;
    FormState state_;
    PaneLayout layout_;
    // True while the model is copied onto the controls: the frame resize
    // events that raises are our own and need no answer.
    bool applying_ = false;
    // The application pane: launcher, captured programs and their tabs.
    apps::AppPane apps_{desktop_, store_, state_};
    // The Explorer panes 1 and 2: their captured windows and their tab strips.
    explorer::ExplorerPanes explorerPanes_{desktop_, state_, store_};
    // The Tools and Help menus: the settings program with the reload after it, Control Panel, read-me, About.
    explorer::ToolsCommands tools_{desktop_, state_, ReloadSteps()};
};

}  // namespace velmora::shell
