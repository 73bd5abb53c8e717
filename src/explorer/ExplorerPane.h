#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hosting/HostedWindow.h"
#include "platform/Desktop.h"
#include "settings/ModIni.h"

namespace velmora::explorer {

// Where Navigate2 sends a tab path: the four namespace paths the shell knows by special-folder number go as that
// number (compared exactly, letter case included); any other text goes as it is.
platform::NavigateTarget NavigationTarget(std::string_view path);

// Sends an Explorer window to a tab path. False when the window could not go there; the caller decides what a
// failure means.
bool NavigateExplorer(platform::ExplorerWindow& explorer, std::string_view path);

// LVS_EX_GRIDLINES and LVS_EX_FULLROWSELECT of a file list.
inline constexpr std::uint32_t kGridLinesStyle = 0x1;
inline constexpr std::uint32_t kFullRowSelectStyle = 0x20;

// The list's extended style with the two display flags as the settings ask; every other bit stays as the list had
// it.
std::uint32_t ListStyleFor(std::uint32_t current, bool gridLines, bool fullRowSelect);

// The display flags of the file lists (Grid and LineSel), as the settings hold them now; the settings program may
// change them at any time. Polled (the timer's reads twice a second), the file is looked at only when it may have
// changed; the first poll sets up what tells (on Windows a watch on the file's folder).
struct ListFlags {
    bool gridLines = false;
    bool fullRowSelect = false;
};
ListFlags ReadListFlags(const settings::IniFile& settings, bool polled);

// The file list (SysListView32) inside an Explorer window, found the way the shell's own windows nest it; 0 while
// there is none.
platform::WindowHandle FindFileList(platform::WindowManager& windows, platform::WindowHandle explorerWindow);

// Whether a saved tab's path may be restored: a shell namespace path (one that begins "::{" or ends "}") is taken
// as it is, without asking the shell whether it exists; any other path must name an existing folder, taken
// unchanged (a relative path is relative to the current folder). Empty text and files are not tab paths.
bool IsTabPath(std::string_view path, settings::FileSystem& files);

// The tabs closed in this run, newest first, at most kKept; nothing of them is saved.
class ClosedTabs {
public:
    static constexpr std::size_t kKept = 10;
    struct Tab {
        std::string caption;
        std::string path;
        int position = 0;  // where it stood, 1-based
    };
    void Push(Tab tab);
    std::optional<Tab> Pop();
    bool Empty() const { return tabs_.empty(); }

private:
    std::deque<Tab> tabs_;
};

// One Explorer pane of the main form (pane 0 or 1): its Explorer object (paneExplorer), the window that object made
// (paneWindow) inside frameApp, and the pane's tab strip (TabStrip1) with its popup menu and file drops. Tabs only
// point at folders: they own nothing.
class ExplorerPane {
public:
    ExplorerPane(platform::Desktop& desktop, const settings::IniFile& settings, int index);
    ExplorerPane(const ExplorerPane&) = delete;
    ExplorerPane& operator=(const ExplorerPane&) = delete;

    hosting::Pane& pane() { return pane_; }
    // Whether the pane still holds the window it captured.
    bool IsLive() const { return pane_.Holds(window_); }
    const hosting::HostedWindow& window() const { return window_; }

    // The Explorer menu's capture command. A pane whose window still lives is left as it is. False when no Explorer
    // object could be made: the caller tells the user.
    bool Capture();
    // Applies the display flags to the pane's file list; a window without a list yet is left alone, and the next
    // timer tick tries again.
    void ApplyListStyle(const ListFlags& flags);
    void Fit() { pane_.Fit(window_); }
    // At exit: the window is hidden, given back to the desktop and told to quit; the object goes.
    void Release();

    // The saved tabs (key "1" or "2" of section "Tab") whose folders are still there, in their order.
    void RestoreTabs(std::string_view saved);
    // The value to save; nullopt when the strip has no tabs (the key goes).
    std::optional<std::string> SavedTabs();

    // sAddTab: a tab at the end of the strip for the folder the window shows.
    void AddTab();
    // A tab was selected: the window goes to its folder; a tab whose folder cannot be shown is removed.
    void SelectTab();
    // A press on the strip; the right button alone opens the tab's popup menu, the middle one closes the tab.
    void MouseDown(int buttons, double x);
    // The popup commands "パスをコピー(&P)", "タブを閉じる(&C)" and "閉じたタブを開く(&R)".
    void CopyPath();
    void CloseTab();
    void ReopenTab();
    // A double click on the empty part of the strip adds a tab, as the File menu's command does.
    void DoubleClick(double x);
    // Tab `from` dropped into gap `gap` of the strip: the order shown is the order saved.
    void Dragged(int from, int gap);
    // The tab's full path; a special folder by its display name.
    std::string Tooltip(int tab);
    // The drop effect offered over the strip: copy with Ctrl alone, else move.
    static int DragEffect(int shift);
    // Files dropped onto the strip go into the folder of the tab under x.
    void Drop(const std::vector<std::string>& files, int shift, double x);

private:
    // Sets up a new Explorer window; an error in one step skips only that step.
    void PrepareExplorerWindow();
    void ApplyListStyle(platform::WindowHandle window, const ListFlags& flags);
    // A step of the capture, for the timing trace when there is one.
    void Mark(std::string_view step) const;
    int TabAt(double x);
    // The tab the popup menu was opened on, once; 0 for none.
    int TakePopupTab();
    void CloseTabAt(int tab);

    platform::Desktop& desktop_;
    const settings::IniFile& settings_;
    hosting::Pane pane_;
    platform::Strip strip_;
    std::unique_ptr<platform::ExplorerWindow> explorer_;
    hosting::HostedWindow window_;
    // The file list found last in which window, and its parent then.
    platform::WindowHandle list_ = 0;
    platform::WindowHandle listParent_ = 0;
    platform::WindowHandle listWindow_ = 0;
    // popupTabIndex of this strip: 1-based, 0 for none.
    int popupTab_ = 0;
    ClosedTabs closed_;
};

}  // namespace velmora::explorer
