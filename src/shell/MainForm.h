#pragma once

#include <array>
#include <string>
#include <vector>

#include "apps/AppPane.h"
#include "explorer/ExplorerPane.h"
#include "platform/Desktop.h"
#include "platform/MainWindow.h"
#include "settings/ModIni.h"
#include "settings/ProfileStore.h"
#include "shell/PaneLayout.h"
#include "shell/Tools.h"

namespace velmora::shell {

// frmMain of Velmora: it routes the events of the form runtime to the panes and the menus' commands, and runs the
// start-up, the reload after the settings program and the shutdown. It talks to the system only through the desktop
// it is given.
class MainForm : public platform::MainWindowEvents {
public:
    // Hotkey identifiers of the Explorer panes 1 and 2.
    static constexpr int kHotkeyPane1 = 256;
    static constexpr int kHotkeyPane2 = 257;
    static constexpr std::string_view kCaptureFailedText =
        "エクスプローラーの取り込み中にエラーが発生しました\r\nOSがVistaでUACが有効の場合は取り込みできません";
    static constexpr std::string_view kCaptureFailedTitle = "Velmora エラー";
    static constexpr std::string_view kUnreadableText =
        "設定ファイルを読み込めませんでした。既定の設定で起動します。終了時にもこのファイルは書き換えません。\r\n";

    MainForm(platform::Desktop& desktop, settings::ProfileStore& store);
    MainForm(const MainForm&) = delete;
    MainForm& operator=(const MainForm&) = delete;

    void OnLoad() override;
    bool OnQueryClose() override;
    bool OnQueryEndSession() override;
    void OnEndSession() override;
    void OnUnload() override;
    void OnResize() override;
    void OnFrameResize(int index) override;
    void OnMenu(platform::MenuItem item) override;
    void OnHelpMenuOpening() override;
    void OnTabClick(platform::Strip strip) override;
    void OnTabMouseDown(platform::Strip strip, int button, int shift, double x, double y) override;
    void OnTabDoubleClick(platform::Strip strip, double x) override;
    void OnTabDragged(platform::Strip strip, int from, int gap) override;
    std::string OnTabTooltip(platform::Strip strip, int tab) override;
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

    const PaneLayout& layout() const { return layout_; }
    explorer::ExplorerPane& explorerPane(int index) { return explorers_.at(static_cast<std::size_t>(index)); }
    apps::AppPane& appPane() { return apps_; }

private:
    void RestoreState();
    void RestoreWindow();
    // LoadPaneOffsets: section "pos" into the three panes.
    void LoadPaneOffsets();
    // RegisterTabHotkeys: the two tab hotkeys from the settings; a key code of 0 is left unregistered.
    void RegisterTabHotkeys();
    void UnregisterTabHotkeys();
    // The Explorer menu's capture command; a failure is told and ends the program. False then.
    bool CaptureExplorer(int pane);
    // "オプション(&O)...": the settings program, then everything it may have changed, taken over without a restart.
    void RunOption();
    void SaveState();
    // Says something in a message box, unless the session is ending.
    void Tell(const std::string& text, const std::string& title);
    std::string SaveFailedText(std::string_view reason) const;
    void FitHostedWindows();
    void ApplyListStyles();

    void SelectView(int view);
    void ToggleApplicationPane();
    void CentreSplitBars();
    WindowMetrics Metrics();
    // Copies the layout model onto the controls.
    void ApplyLayout();
    void ApplyInnerLayout(int pane);
    void ApplyBarColour(int bar);
    void FinishCommand(const LayoutOutcome& outcome);
    // Gives the window the outer size the pass asked for, if any.
    void FollowOuterSize(const LayoutOutcome& outcome);

    platform::Desktop& desktop_;
    // setting.ini beside the program (settingsPath).
    const settings::IniFile settings_;
    // False when setting.ini was there at start-up but could not be read: this run then never writes it.
    bool settingsReadable_ = true;
    // The shutdown has run (a session end runs it without a close).
    bool unloaded_ = false;
    // No window may be shown any more: the session is ending.
    bool quiet_ = false;
    PaneLayout layout_;
    // True while the model is copied onto the controls: the frame resize events that raises are our own and need
    // no answer.
    bool applying_ = false;
    std::array<explorer::ExplorerPane, 2> explorers_;
    apps::AppPane apps_;
    Tools tools_;
};

}  // namespace velmora::shell
