#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Desktop.h"
#include "platform/Explorer.h"
#include "platform/WindowManager.h"
#include "settings/ProfileStore.h"
#include "shell/FormState.h"

namespace velmora::explorer {

// Where Navigate2 sends a tab path: the four namespace paths the shell knows
// by special-folder number go as that number (compared exactly, letter case
// included); any other text goes as it is.
platform::NavigateTarget NavigationTarget(std::string_view path);

// Sends an Explorer window to a tab path. False when the window could not go
// there; the caller decides what a failure means.
bool NavigateExplorer(platform::ExplorerWindow& explorer, std::string_view path);

// LVS_EX_GRIDLINES and LVS_EX_FULLROWSELECT of a file list.
inline constexpr std::uint32_t kGridLinesStyle = 0x1;
inline constexpr std::uint32_t kFullRowSelectStyle = 0x20;

// The list's extended style with the two display flags as the settings ask;
// every other bit stays as the list had it.
std::uint32_t ListStyleFor(std::uint32_t current, bool gridLines, bool fullRowSelect);

// The file list (SysListView32) inside an Explorer window, found the way the
// shell's own windows nest it; 0 while there is none.
platform::WindowHandle FindFileList(platform::WindowManager& windows, platform::WindowHandle explorerWindow);

// The Explorer panes 1 and 2 of the main form: capturing their Explorer
// windows, the file lists' display flags, and the two Explorer tab strips
// with their popup menus and file drops. Pane index 0 or 1 throughout.
class ExplorerPanes {
public:
    ExplorerPanes(platform::Desktop& desktop, shell::FormState& state, settings::ProfileStore& store);
    ExplorerPanes(const ExplorerPanes&) = delete;
    ExplorerPanes& operator=(const ExplorerPanes&) = delete;

    // The Explorer menu's capture command. A pane whose window still lives is
    // left as it is. False when no Explorer window could be made: the user has
    // been told and the program has ended.
    bool Capture(int pane);
    // Whether the pane's handle still names the window it captured.
    bool IsLive(int pane);

    // Applies the display flags of the settings to the file list inside an
    // Explorer window; a window without a list yet is left alone.
    void ApplyListStyle(platform::WindowHandle window);
    // ApplyListStyle for each pane that holds a live window.
    void ApplyListStyles();
    // Timer1's share: the flags again, since the shell re-creates its list on
    // every navigation.
    void OnTimer() { ApplyListStyles(); }

    // sAddTab: a tab at the end of the pane's strip for the folder its window
    // shows.
    void AddTab(int pane);
    // A tab of the pane's strip was selected: its window goes to the tab's
    // folder; a tab whose folder cannot be shown is removed.
    void SelectTab(int pane);
    // A press on the pane's strip; the right button alone opens the tab's
    // popup menu.
    void MouseDown(int pane, int button, double x);
    // The popup commands "パスをコピー(&P)" and "タブを閉じる(&C)".
    void CopyPath(int pane);
    void CloseTab(int pane);
    // The drop effect offered over a strip: copy with Ctrl alone, else move.
    static int DragEffect(int shift);
    // Files dropped onto a strip go into the folder of the tab under x.
    void Drop(int pane, bool hasFiles, const std::vector<std::string>& files, int shift, double x);

private:
    // Sets up a new Explorer window; the handle it kept, or 0 when it could
    // not read one (the window is then neither re-parented nor placed).
    platform::WindowHandle PrepareExplorerWindow(platform::ExplorerWindow& explorer, int pane);
    void Place(int pane, platform::WindowHandle window);
    // The tab under x in the pane's strip, 1-based; 0 for none.
    int TabAt(int pane, double x);

    platform::Desktop& desktop_;
    shell::FormState& state_;
    settings::ProfileStore& store_;
    // Who created each captured window, so that a handle number reused by a
    // stranger's window after ours closed does not count as ours.
    std::array<platform::WindowIdentity, 2> identity_{};
};

}  // namespace velmora::explorer
