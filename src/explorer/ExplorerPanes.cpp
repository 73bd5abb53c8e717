#include "explorer/ExplorerPanes.h"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>

#include "base/Paths.h"
#include "settings/ModIni.h"
#include "settings/SettingKeys.h"
#include "base/TabHitTest.h"
#include "base/Twips.h"
#include "shell/WindowApi.h"

namespace velmora::explorer {
namespace {

using platform::Strip;
using platform::WindowHandle;

struct SpecialFolder {
    std::string_view path;
    std::int16_t number;
};

// Tabs keep the namespace paths Explorer reports for these folders; the shell
// is sent to them by their special-folder numbers, which every version of it
// takes.
constexpr std::array<SpecialFolder, 4> kSpecialFolders{{
    {"::{645FF040-5081-101B-9F08-00AA002F954E}", 10},                                           // Recycle Bin
    {"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}", 17},                                           // Computer
    {"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\::{21EC2020-3AEA-1069-A2DD-08002B30309D}", 3},  // Control Panel
    {"::{F02C1A0D-BE21-4350-88B0-7367FC96EF3C}", 18},                                           // Network
}};

constexpr std::int16_t kComputerFolder = 17;
// The folder tree bar of an Explorer window.
constexpr std::string_view kFolderTreeBar = "{EFA24E64-B078-11D0-89E4-00C04FC9E26E}";
constexpr std::int32_t kDetailsView = 4;

constexpr std::string_view kCaptureFailedText =
    "エクスプローラーの取り込み中にエラーが発生しました\r\nOSがVistaでUACが有効の場合は取り込みできません";
constexpr std::string_view kCaptureFailedTitle = "Velmora エラー";

constexpr std::array<platform::Control, 2> kHostAreas{platform::Control::FrameApp0, platform::Control::FrameApp1};

std::size_t Slot(int pane) { return static_cast<std::size_t>(pane); }
Strip StripOf(int pane) { return pane == 0 ? Strip::Explorer1 : Strip::Explorer2; }

// A size that reaches from the offset to the frame's far edge, in whole twips.
std::int32_t Extent(double frameSize, std::int32_t offset) {
    const std::int64_t extent = base::RoundHalfEven(frameSize - static_cast<double>(offset));
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(extent, 0, std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

platform::NavigateTarget NavigationTarget(std::string_view path) {
    for (const SpecialFolder& folder : kSpecialFolders) {
        if (path == folder.path) return folder.number;
    }
    return std::string(path);
}

bool NavigateExplorer(platform::ExplorerWindow& explorer, std::string_view path) {
    return explorer.Navigate2(NavigationTarget(path));
}

std::uint32_t ListStyleFor(std::uint32_t current, bool gridLines, bool fullRowSelect) {
    std::uint32_t style = current;
    style = gridLines ? style | kGridLinesStyle : style & ~kGridLinesStyle;
    style = fullRowSelect ? style | kFullRowSelectStyle : style & ~kFullRowSelectStyle;
    return style;
}

WindowHandle FindFileList(platform::WindowManager& windows, WindowHandle explorerWindow) {
    // A search below nothing finds nothing: asked with no parent, the platform
    // would search the top-level windows instead.
    auto child = [&windows](WindowHandle parent, WindowHandle after, std::string_view className) -> WindowHandle {
        return parent == 0 ? 0 : windows.FindChild(parent, after, className);
    };
    WindowHandle container =
        child(child(child(explorerWindow, 0, "ShellTabWindowClass"), 0, "DUIViewWndClassName"), 0, "DirectUIHWND");
    // The view sits under one of several notification sinks (the navigation
    // pane and the command bar have their own); a bounded number of them is
    // looked at.
    WindowHandle sink = 0;
    for (int pass = 0; pass <= 20; ++pass) {
        sink = child(container, sink, "CtrlNotifySink");
        if (const WindowHandle view = child(sink, 0, "SHELLDLL_DefView"); view != 0) container = view;
    }
    if (const WindowHandle list = child(container, 0, "SysListView32"); list != 0) return list;
    // Older shells put the view straight under the window.
    return child(child(explorerWindow, 0, "SHELLDLL_DefView"), 0, "SysListView32");
}

ExplorerPanes::ExplorerPanes(platform::Desktop& desktop, shell::FormState& state, settings::ProfileStore& store)
    : desktop_(desktop), state_(state), store_(store) {}

// --- Capture ----------------------------------------------------------------------------------------------------

bool ExplorerPanes::Capture(int pane) {
    // A pane holds one Explorer window; the command never replaces a live one.
    if (IsLive(pane)) return true;
    std::unique_ptr<platform::ExplorerWindow>& explorer = state_.paneExplorer[Slot(pane)];
    // The object of a window that went away answers nothing any more.
    explorer.reset();
    explorer = desktop_.explorers.Create();
    if (!explorer) {
        // Without its Explorer panes the program has nothing to show; it ends
        // before anything is saved, so the settings stay as they were.
        desktop_.window.ShowMessage(std::string(kCaptureFailedText), std::string(kCaptureFailedTitle));
        desktop_.window.EndProgramNow();
        return false;
    }
    const WindowHandle window = PrepareExplorerWindow(*explorer, pane);
    if (window != 0) Place(pane, window);
    return true;
}

WindowHandle ExplorerPanes::PrepareExplorerWindow(platform::ExplorerWindow& explorer, int pane) {
    // Each step stands alone: a window that refuses one of them is still
    // better than none, so a failure skips only its own step.
    explorer.Navigate2(kComputerFolder);
    explorer.ShowBrowserBar(kFolderTreeBar, true);
    WindowHandle window = 0;
    if (const std::optional<WindowHandle> hwnd = explorer.Hwnd()) {
        window = *hwnd;
        state_.paneWindow[Slot(pane)] = window;
        identity_[Slot(pane)] = desktop_.windows.GetIdentity(window);
    }
    if (const std::optional<WindowHandle> hwnd = explorer.Hwnd()) ApplyListStyle(*hwnd);
    if (window != 0) {
        desktop_.windows.SetParent(window, desktop_.window.FrameWindow(pane));
        desktop_.windows.ShowWindow(window, platform::kShowMaximized);
    }
    explorer.SetCurrentViewMode(kDetailsView);
    explorer.SetVisible(true);
    return window;
}

void ExplorerPanes::Place(int pane, WindowHandle window) {
    const base::TwipsRect frame = desktop_.window.Bounds(kHostAreas[Slot(pane)]);
    const std::int32_t left = state_.paneOffsetX[Slot(pane)];
    const std::int32_t top = state_.paneOffsetY[Slot(pane)];
    // The offsets move only the top-left corner: the right and bottom edges
    // stay on the frame's, whatever the user chose to push out of sight.
    shell::MoveWindowTwips(desktop_.windows, desktop_.window, window, left, top, Extent(frame.width, left),
                           Extent(frame.height, top));
}

bool ExplorerPanes::IsLive(int pane) {
    const WindowHandle window = state_.paneWindow[Slot(pane)];
    platform::WindowManager& windows = desktop_.windows;
    return window != 0 && windows.IsWindow(window) && windows.GetIdentity(window) == identity_[Slot(pane)];
}

// --- Display flags ----------------------------------------------------------------------------------------------

void ExplorerPanes::ApplyListStyle(WindowHandle window) {
    platform::WindowManager& windows = desktop_.windows;
    const WindowHandle list = FindFileList(windows, window);
    // Right after creation, or between two navigations, there is no list yet; the next tick tries again.
    if (list == 0) return;
    // Read at every call: the settings program may have changed them meanwhile.
    const settings::IniFile ini(store_, state_.settingsPath);
    const bool grid = settings::ReadSetting(ini, settings::keys::Grid) != 0;
    const bool lineSelect = settings::ReadSetting(ini, settings::keys::LineSel) != 0;
    const std::uint32_t current = windows.GetListViewExtendedStyle(list);
    const std::uint32_t wanted = ListStyleFor(current, grid, lineSelect);
    // Setting the style repaints the list; twice a second that would flicker.
    if (wanted != current) windows.SetListViewExtendedStyle(list, wanted);
}

void ExplorerPanes::ApplyListStyles() {
    for (int pane = 0; pane < 2; ++pane) {
        if (IsLive(pane)) ApplyListStyle(state_.paneWindow[Slot(pane)]);
    }
}

// --- Tabs -------------------------------------------------------------------------------------------------------

void ExplorerPanes::AddTab(int pane) {
    platform::ExplorerWindow* explorer = state_.paneExplorer[Slot(pane)].get();
    if (!IsLive(pane) || !explorer) return;
    // Both are read before the tab exists: a location without a folder object
    // (a search result, a device) must not leave a tab without a path.
    const std::optional<std::string> name = explorer->FolderName();
    const std::optional<std::string> path = explorer->FolderPath();
    if (!name || !path) return;
    platform::MainWindow& window = desktop_.window;
    window.AddTab(StripOf(pane), *name);
    window.SetTabTag(StripOf(pane), window.TabCount(StripOf(pane)), *path);
}

void ExplorerPanes::SelectTab(int pane) {
    platform::ExplorerWindow* explorer = state_.paneExplorer[Slot(pane)].get();
    if (!IsLive(pane) || !explorer) return;
    platform::MainWindow& window = desktop_.window;
    const int tab = window.SelectedTab(StripOf(pane));
    if (tab == 0) return;
    // A folder deleted or unreachable since the tab was made: the tab goes
    // without a word, and the window stays where it was.
    if (!NavigateExplorer(*explorer, window.TabTag(StripOf(pane), tab))) window.RemoveTab(StripOf(pane), tab);
}

int ExplorerPanes::TabAt(int pane, double x) {
    platform::MainWindow& window = desktop_.window;
    std::vector<double> widths;
    for (int tab = 1; tab <= window.TabCount(StripOf(pane)); ++tab)
        widths.push_back(window.TabWidth(StripOf(pane), tab));
    return base::HitTestTab(widths, x);
}

void ExplorerPanes::MouseDown(int pane, int button, double x) {
    // The right button alone: with another button still held it is no popup request.
    if (button != platform::kButtonRight) return;
    const int tab = TabAt(pane, x);
    if (tab == 0) return;
    state_.popupTabIndex = tab;
    desktop_.window.ShowPopup(pane == 0 ? platform::PopupMenu::Explorer1 : platform::PopupMenu::Explorer2);
}

void ExplorerPanes::CopyPath(int pane) {
    const int tab = state_.popupTabIndex;
    if (tab == 0) return;
    platform::MainWindow& window = desktop_.window;
    if (tab <= window.TabCount(StripOf(pane))) desktop_.clipboard.SetText(window.TabTag(StripOf(pane), tab));
    state_.popupTabIndex = 0;
}

void ExplorerPanes::CloseTab(int pane) {
    const int tab = state_.popupTabIndex;
    if (tab == 0) return;
    // The tab only points at a folder: the Explorer window stays where it is.
    desktop_.window.RemoveTab(StripOf(pane), tab);
    state_.popupTabIndex = 0;
}

int ExplorerPanes::DragEffect(int shift) {
    constexpr int kCopy = 1;
    constexpr int kMove = 2;
    return shift == platform::kCtrlKey ? kCopy : kMove;
}

void ExplorerPanes::Drop(int pane, bool hasFiles, const std::vector<std::string>& files, int shift, double x) {
    if (!hasFiles) return;
    const int tab = TabAt(pane, x);
    if (tab == 0) return;
    platform::MainWindow& window = desktop_.window;
    const std::string folder = window.TabTag(StripOf(pane), tab);
    const platform::FileOperation operation =
        shift == platform::kCtrlKey ? platform::FileOperation::Copy : platform::FileOperation::Move;
    // One operation per file: each names its own target, and a failure (shown
    // by the shell's own dialog) does not stop the others.
    for (const std::string& file : files) {
        desktop_.shell.FileOperation(window.Handle(), operation, file, base::JoinPath(folder, base::GetFileName(file)));
    }
}

}  // namespace velmora::explorer
