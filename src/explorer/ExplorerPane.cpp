#include "explorer/ExplorerPane.h"

#include <algorithm>
#include <array>

#include "base/Paths.h"
#include "base/TabHitTest.h"
#include "settings/SettingKeys.h"
#include "settings/TabCodec.h"

namespace velmora::explorer {
namespace {

using platform::WindowHandle;

struct SpecialFolder {
    std::string_view path;
    std::int16_t number;
};

// Tabs keep the namespace paths Explorer reports for these folders; the shell is sent to them by their
// special-folder numbers, which every version of it takes.
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

// A shell namespace path ("::{...}", or one ending in a class id) rather than a folder on disk.
bool IsNamespacePath(std::string_view path) { return path.starts_with("::{") || path.ends_with('}'); }

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

ListFlags ReadListFlags(const settings::IniFile& settings, bool polled) {
    const auto read = [&](const settings::SettingKey& key) {
        return polled ? settings.PollInt(key.section, key.key, key.defaultValue) : settings::ReadSetting(settings, key);
    };
    return {read(settings::keys::Grid) != 0, read(settings::keys::LineSel) != 0};
}

WindowHandle FindFileList(platform::WindowManager& windows, WindowHandle explorerWindow) {
    // A search below nothing finds nothing: asked with no parent, the platform would search the top-level windows
    // instead.
    auto child = [&windows](WindowHandle parent, WindowHandle after, std::string_view className) -> WindowHandle {
        return parent == 0 ? 0 : windows.FindChild(parent, after, className);
    };
    WindowHandle container =
        child(child(child(explorerWindow, 0, "ShellTabWindowClass"), 0, "DUIViewWndClassName"), 0, "DirectUIHWND");
    // The view sits under one of several notification sinks (the navigation pane and the command bar have their
    // own); a bounded number of them is looked at.
    WindowHandle sink = 0;
    for (int pass = 0; pass <= 20; ++pass) {
        sink = child(container, sink, "CtrlNotifySink");
        if (const WindowHandle view = child(sink, 0, "SHELLDLL_DefView"); view != 0) container = view;
    }
    if (const WindowHandle list = child(container, 0, "SysListView32"); list != 0) return list;
    // Older shells put the view straight under the window.
    return child(child(explorerWindow, 0, "SHELLDLL_DefView"), 0, "SysListView32");
}

bool IsTabPath(std::string_view path, settings::FileSystem& files) {
    if (path.empty()) return false;
    if (IsNamespacePath(path)) return true;
    return files.DirectoryExists(std::string(path));
}

ExplorerPane::ExplorerPane(platform::Desktop& desktop, const settings::IniFile& settings, int index)
    : desktop_(desktop),
      settings_(settings),
      pane_(desktop.window, desktop.windows, index),
      strip_(index == 0 ? platform::Strip::Explorer1 : platform::Strip::Explorer2) {}

// --- Capture ----------------------------------------------------------------------------------------------------

bool ExplorerPane::Capture() {
    // A pane holds one Explorer window; the command never replaces a live one.
    if (IsLive()) return true;
    // The object of a window that went away answers nothing any more.
    explorer_.reset();
    explorer_ = desktop_.explorers.Create();
    if (!explorer_) return false;
    Mark("Explorer object made");
    PrepareExplorerWindow();
    if (window_.handle != 0 && window_.Answers(desktop_.windows)) pane_.Place(window_.handle);
    Mark("Explorer window placed");
    return true;
}

void ExplorerPane::Mark(std::string_view step) const {
    platform::TraceStep(desktop_.trace, step);
}

void ExplorerPane::PrepareExplorerWindow() {
    // Each step stands alone: a window that refuses one of them is still better than none.
    explorer_->Navigate2(kComputerFolder);
    Mark("Explorer navigated");
    explorer_->ShowBrowserBar(kFolderTreeBar, true);
    Mark("Explorer folder tree shown");
    if (const std::optional<WindowHandle> hwnd = explorer_->Hwnd()) window_ = hosting::HostedWindow::Of(desktop_.windows, *hwnd);
    if (const std::optional<WindowHandle> hwnd = explorer_->Hwnd()) ApplyListStyle(*hwnd, ReadListFlags(settings_, false));
    Mark("Explorer list styled");
    // Re-parenting and showing wait for the window's thread: a shell that does not answer would freeze ours.
    if (window_.handle != 0 && window_.Answers(desktop_.windows)) {
        desktop_.windows.SetParent(window_.handle, pane_.Frame());
        desktop_.windows.ShowWindow(window_.handle, platform::kShowMaximized);
    }
    Mark("Explorer window re-parented and maximised");
    explorer_->SetCurrentViewMode(kDetailsView);
    explorer_->SetVisible(true);
}

void ExplorerPane::Release() {
    if (explorer_ && IsLive()) {
        explorer_->SetVisible(false);
        // Back to the desktop first: a child window would be destroyed with our main window. One that does not
        // answer is not waited for; it is still told to quit.
        if (window_.Answers(desktop_.windows)) desktop_.windows.SetParent(window_.handle, 0);
        explorer_->Quit();
    }
    explorer_.reset();
}

// --- Display flags ----------------------------------------------------------------------------------------------

void ExplorerPane::ApplyListStyle(const ListFlags& flags) {
    if (IsLive()) ApplyListStyle(window_.handle, flags);
}

void ExplorerPane::ApplyListStyle(WindowHandle window, const ListFlags& flags) {
    platform::WindowManager& windows = desktop_.windows;
    // The walk down the window chain is the dearest part of a timer tick: the list found last is kept while it is
    // still there under the same view (the shell makes a new list, and destroys the old one, on every navigation).
    const bool kept = list_ != 0 && listWindow_ == window && windows.IsWindow(list_) &&
                      windows.GetParent(list_) == listParent_;
    if (!kept) {
        list_ = FindFileList(windows, window);
        listParent_ = list_ != 0 ? windows.GetParent(list_) : 0;
        listWindow_ = window;
    }
    const WindowHandle list = list_;
    // Right after creation, or between two navigations, there is no list yet.
    if (list == 0) return;
    // A list that did not answer in time: its style is unknown, and writing one built on 0 would clear the others.
    const std::optional<std::uint32_t> current = windows.GetListViewExtendedStyle(list);
    if (!current) return;
    const std::uint32_t wanted = ListStyleFor(*current, flags.gridLines, flags.fullRowSelect);
    // Setting the style repaints the list; twice a second that would flicker.
    if (wanted != *current) windows.SetListViewExtendedStyle(list, wanted);
}

// --- Tabs -------------------------------------------------------------------------------------------------------

void ExplorerPane::RestoreTabs(std::string_view saved) {
    platform::MainWindow& window = desktop_.window;
    for (const settings::TabEntry& entry : settings::DecodeTabs(saved)) {
        // A folder deleted since the last run drops out; the others keep their order.
        if (!IsTabPath(entry.path, desktop_.files)) continue;
        window.AddTab(strip_, entry.caption);
        window.SetTabTag(strip_, window.TabCount(strip_), entry.path);
    }
}

std::optional<std::string> ExplorerPane::SavedTabs() {
    platform::MainWindow& window = desktop_.window;
    std::vector<settings::TabEntry> tabs;
    for (int tab = 1; tab <= window.TabCount(strip_); ++tab) {
        tabs.push_back({window.TabCaption(strip_, tab), window.TabTag(strip_, tab)});
    }
    return settings::EncodeTabs(tabs);
}

void ExplorerPane::AddTab() {
    if (!explorer_ || !IsLive()) return;
    // Both are read before the tab exists: a location without a folder object (a search result, a device) must not
    // leave a tab without a path.
    const std::optional<std::string> name = explorer_->FolderName();
    const std::optional<std::string> path = explorer_->FolderPath();
    if (!name || !path) return;
    // "?" and "|" separate the saved tabs' parts, a line break would end the saved line: such a tab could not be
    // saved and read back as it is.
    constexpr std::string_view kSeparators = "?|\r\n";
    if (name->find_first_of(kSeparators) != std::string::npos || path->find_first_of(kSeparators) != std::string::npos) {
        return;
    }
    platform::MainWindow& window = desktop_.window;
    window.AddTab(strip_, *name);
    window.SetTabTag(strip_, window.TabCount(strip_), *path);
}

void ExplorerPane::SelectTab() {
    if (!explorer_ || !IsLive()) return;
    platform::MainWindow& window = desktop_.window;
    const int tab = window.SelectedTab(strip_);
    if (tab == 0) return;
    // A folder deleted or unreachable since the tab was made: the tab goes without a word, and the window stays
    // where it was.
    if (!NavigateExplorer(*explorer_, window.TabTag(strip_, tab))) window.RemoveTab(strip_, tab);
}

int ExplorerPane::TabAt(double x) {
    platform::MainWindow& window = desktop_.window;
    std::vector<double> widths;
    for (int tab = 1; tab <= window.TabCount(strip_); ++tab) widths.push_back(window.TabWidth(strip_, tab));
    return base::HitTestTab(widths, x);
}

void ExplorerPane::MouseDown(int buttons, double x) {
    const int tab = TabAt(x);
    if (tab == 0) return;
    // One button alone: with another still held it is no request of either kind.
    if (buttons == platform::kButtonMiddle) CloseTabAt(tab);
    if (buttons != platform::kButtonRight) return;
    popupTab_ = tab;
    const bool first = pane_.Index() == 0;
    desktop_.window.SetEnabled(first ? platform::MenuItem::PopupReopen1 : platform::MenuItem::PopupReopen2,
                               !closed_.Empty());
    desktop_.window.ShowPopup(first ? platform::PopupMenu::Explorer1 : platform::PopupMenu::Explorer2);
}

int ExplorerPane::TakePopupTab() {
    const int tab = popupTab_;
    popupTab_ = 0;
    return tab <= desktop_.window.TabCount(strip_) ? tab : 0;
}

void ExplorerPane::CopyPath() {
    if (const int tab = TakePopupTab(); tab != 0) desktop_.clipboard.SetText(desktop_.window.TabTag(strip_, tab));
}

void ExplorerPane::CloseTab() {
    if (const int tab = TakePopupTab(); tab != 0) CloseTabAt(tab);
}

void ExplorerPane::CloseTabAt(int tab) {
    platform::MainWindow& window = desktop_.window;
    closed_.Push({window.TabCaption(strip_, tab), window.TabTag(strip_, tab), tab});
    // The tab only points at a folder: the Explorer window stays where it is.
    window.RemoveTab(strip_, tab);
}

void ExplorerPane::ReopenTab() {
    popupTab_ = 0;
    const std::optional<ClosedTabs::Tab> closed = closed_.Pop();
    if (!closed) return;
    platform::MainWindow& window = desktop_.window;
    window.AddTab(strip_, closed->caption);
    const int count = window.TabCount(strip_);
    window.SetTabTag(strip_, count, closed->path);
    // Where it stood, as far as the strip still reaches.
    window.MoveTab(strip_, count, std::min(closed->position, count));
}

void ExplorerPane::DoubleClick(double x) {
    if (TabAt(x) == 0) AddTab();
}

void ExplorerPane::Dragged(int from, int gap) {
    const int to = base::TabMoveTarget(from, gap, desktop_.window.TabCount(strip_));
    if (to == 0) return;
    desktop_.window.MoveTab(strip_, from, to);
}

std::string ExplorerPane::Tooltip(int tab) {
    platform::MainWindow& window = desktop_.window;
    const std::string path = window.TabTag(strip_, tab);
    // A namespace path says nothing to a user; the tab's caption is the folder's display name.
    if (IsNamespacePath(path)) return window.TabCaption(strip_, tab);
    return path;
}

void ClosedTabs::Push(Tab tab) {
    tabs_.push_front(std::move(tab));
    if (tabs_.size() > kKept) tabs_.pop_back();
}

std::optional<ClosedTabs::Tab> ClosedTabs::Pop() {
    if (tabs_.empty()) return std::nullopt;
    Tab tab = std::move(tabs_.front());
    tabs_.pop_front();
    return tab;
}

int ExplorerPane::DragEffect(int shift) {
    constexpr int kCopy = 1;
    constexpr int kMove = 2;
    return shift == platform::kCtrlKey ? kCopy : kMove;
}

void ExplorerPane::Drop(const std::vector<std::string>& files, int shift, double x) {
    const int tab = TabAt(x);
    if (tab == 0) return;
    platform::MainWindow& window = desktop_.window;
    const std::string folder = window.TabTag(strip_, tab);
    const platform::FileOperation operation =
        shift == platform::kCtrlKey ? platform::FileOperation::Copy : platform::FileOperation::Move;
    // One operation per file: each names its own target, and a failure (shown by the shell's own dialog) does not
    // stop the others.
    for (const std::string& file : files) {
        desktop_.shell.FileOperation(window.Handle(), operation, file, base::JoinPath(folder, base::GetFileName(file)));
    }
}

}  // namespace velmora::explorer
