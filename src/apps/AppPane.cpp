#include "apps/AppPane.h"

#include <algorithm>
#include <utility>

#include "base/Paths.h"
#include "base/TabHitTest.h"
#include "settings/SettingKeys.h"

namespace velmora::apps {
namespace {

using platform::Strip;
using platform::WindowHandle;

constexpr int kAppPane = 2;

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

WindowVerdict JudgeStartedWindow(const TopLevelFacts& window, std::uint32_t startedProcessId) {
    if (!window.visible) return WindowVerdict::Invisible;
    if (window.owned) return WindowVerdict::Owned;
    if (window.title.empty()) return WindowVerdict::Untitled;
    if (window.className.starts_with("Progman")) return WindowVerdict::ProgramManager;
    if (window.processId != startedProcessId) return WindowVerdict::OtherProcess;
    return WindowVerdict::Taken;
}

std::optional<std::string> LaunchCommandLine(const std::string& path, platform::Processes& processes) {
    if (base::HasExeExtension(path)) return Quoted(path);
    const std::optional<std::string> program = processes.AssociatedProgram(path);
    // Only a program is started directly; anything else the shell would have to interpret.
    if (!program || !base::HasExeExtension(*program)) return std::nullopt;
    return Quoted(*program) + " " + Quoted(path);
}

AppPane::AppPane(platform::Desktop& desktop, const settings::IniFile& settings)
    : desktop_(desktop), settings_(settings), pane_(desktop.window, desktop.windows, kAppPane) {}

void AppPane::Tell(std::string_view message) { desktop_.window.ShowMessage(std::string(message), desktop_.program.title); }

// --- Launcher and starting ----------------------------------------------------------------------------------------

void AppPane::LoadAppList() {
    platform::MainWindow& window = desktop_.window;
    window.ClearCombo();
    for (const std::string& name : settings_.GetIniKeyNames(settings::kAppSection)) {
        // The list ends at the first empty name, as the platform's key list does.
        if (name.empty()) break;
        window.AddComboItem(name);
    }
}

void AppPane::OnComboClick() {
    // Read again on every pick: the settings program may have changed the path since the list was filled.
    const std::string path = settings_.GetIniString(settings::kAppSection, desktop_.window.ComboText());
    if (path.empty() || !desktop_.files.FileExists(path)) return;
    OpenInPane(path);
}

void AppPane::OnDrop(const std::vector<std::string>& files) {
    // One pane shows one program at a time in front; the other files are not guessed at.
    if (!files.empty()) OpenInPane(files.front());
}

void AppPane::StartBootApplication() {
    const std::string path = settings::ReadSettingText(settings_, settings::keys::Boot);
    if (path.empty() || !desktop_.files.FileExists(path)) return;
    OpenInPane(path);
}

void AppPane::OpenInPane(const std::string& path) {
    // A request that arrives while another start waits (the wait handles messages) is dropped: both would look
    // for their window at once.
    if (starting_) return;
    const hosting::HostedWindow captured = StartAppWindow(path);
    if (captured.handle == 0) return;
    platform::MainWindow& window = desktop_.window;
    window.AddTab(Strip::Apps, base::FileTitle(path));
    window.SetTabTag(Strip::Apps, window.TabCount(Strip::Apps), std::to_string(captured.handle));
    tabs_.push_back(captured);
    platform::TraceStep(desktop_.trace, "tab");
    Fit();
    platform::TraceStep(desktop_.trace, "fitted");
}

hosting::HostedWindow AppPane::StartAppWindow(const std::string& path) {
    if (starting_) return {};
    starting_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{starting_};
    const auto step = [trace = desktop_.trace](std::string_view what) { platform::TraceStep(trace, what); };
    step("pick");

    const std::optional<std::string> commandLine = LaunchCommandLine(path, desktop_.processes);
    if (!commandLine) return {};
    // Held open until its window is found: a process id is not given to another program while a handle to it lives.
    const std::unique_ptr<platform::RunningProcess> process =
        desktop_.processes.Start(*commandLine, platform::kShowMinimizedNoActivate);
    if (!process) return {};
    step("process created");
    // A program that never gets ready for input still gets looked for once the wait runs out.
    desktop_.processes.WaitForInputIdle(*process, kInputIdleTimeoutMs);
    platform::TraceWait(desktop_.trace, "input idle");
    WaitMilliseconds(kSettleMs);
    platform::TraceWait(desktop_.trace, "settle");

    const hosting::HostedWindow found = FindStartedWindow(process->ProcessId());
    step("window search");
    if (found.handle == 0) {
        // The program stays running where it is; only we could not find its window.
        Tell(kNotFoundMessage);
        return {};
    }
    if (!found.Answers(desktop_.windows)) {
        Tell(kNotRespondingMessage);
        return {};
    }
    step("answer check");
    // The platform refuses a program running with higher rights than ours; a window that is not inside the pane
    // is no capture, and a tab for it would claim what we do not hold.
    if (!pane_.Adopt(found.handle)) {
        Tell(kRefusedMessage);
        return {};
    }
    step("re-parented");
    desktop_.windows.ShowWindow(found.handle, platform::kShowMaximized);
    step("maximised");
    return found;
}

hosting::HostedWindow AppPane::FindStartedWindow(std::uint32_t processId) {
    platform::WindowManager& windows = desktop_.windows;
    for (const WindowHandle window : windows.TopLevelWindows()) {
        const platform::WindowIdentity identity = windows.GetIdentity(window);
        const TopLevelFacts facts{windows.IsWindowVisible(window), windows.GetOwner(window) != 0,
                                  windows.WindowTitle(window), windows.ClassName(window), identity.processId};
        if (JudgeStartedWindow(facts, processId) == WindowVerdict::Taken) return {window, identity};
    }
    return {};
}

void AppPane::WaitMilliseconds(std::uint32_t ms) {
    platform::Clock& clock = desktop_.clock;
    const std::uint32_t start = clock.NowMs();
    // Unsigned difference: right across the 49.7-day wrap of the millisecond clock.
    while (clock.NowMs() - start < ms) {
        clock.PumpPendingMessages();
        clock.Sleep(1);
    }
}

void AppPane::Fit() {
    for (const hosting::HostedWindow& hosted : tabs_) pane_.Fit(hosted);
}

// --- Application tabs ------------------------------------------------------------------------------------------

void AppPane::OnTabClick() {
    const int tab = desktop_.window.SelectedTab(Strip::Apps);
    if (tab < 1 || tab > static_cast<int>(tabs_.size())) return;
    const hosting::HostedWindow& hosted = tabs_[static_cast<std::size_t>(tab - 1)];
    // A window that is gone or no longer ours is left for the sweep.
    if (!pane_.Holds(hosted)) return;
    desktop_.windows.SetForegroundWindow(hosted.handle);
    Fit();
}

void AppPane::OnTabMouseDown(int buttons, double x) {
    platform::MainWindow& window = desktop_.window;
    std::vector<double> widths;
    for (int tab = 1; tab <= window.TabCount(Strip::Apps); ++tab) widths.push_back(window.TabWidth(Strip::Apps, tab));
    const int tab = base::HitTestTab(widths, x);
    if (tab == 0 || tab > static_cast<int>(tabs_.size())) return;
    if (buttons == platform::kButtonMiddle) CloseTabAt(tab);
    if (buttons != platform::kButtonRight) return;
    popupTab_ = tab;
    popupWindow_ = tabs_[static_cast<std::size_t>(tab - 1)];
    window.ShowPopup(platform::PopupMenu::Apps);
}

std::optional<int> AppPane::ClaimPopupTab() {
    const int tab = std::exchange(popupTab_, 0);
    const hosting::HostedWindow clicked = std::exchange(popupWindow_, {});
    if (tab < 1 || tab > static_cast<int>(tabs_.size())) return std::nullopt;
    // The timer keeps sweeping while the menu is open: the index may name another tab by now.
    if (tabs_[static_cast<std::size_t>(tab - 1)] != clicked) return std::nullopt;
    return tab;
}

bool AppPane::Return(const hosting::HostedWindow& hosted) {
    // The tab stays: the user can try again once the program answers.
    if (!hosted.Answers(desktop_.windows)) {
        Tell(kNotRespondingMessage);
        return false;
    }
    // Capture changed nothing but the parent, so giving the parent back is all there is to undo.
    desktop_.windows.ReleaseToDesktop(hosted.handle);
    return true;
}

void AppPane::OnTakeOut() {
    const std::optional<int> tab = ClaimPopupTab();
    if (!tab) return;
    const hosting::HostedWindow hosted = tabs_[static_cast<std::size_t>(*tab - 1)];
    if (pane_.Holds(hosted) && !Return(hosted)) return;
    RemoveTab(*tab);
}

void AppPane::OnTabDragged(int from, int gap) {
    const int to = base::TabMoveTarget(from, gap, static_cast<int>(tabs_.size()));
    if (to == 0) return;
    desktop_.window.MoveTab(Strip::Apps, from, to);
    const auto first = tabs_.begin();
    if (to < from) {
        std::rotate(first + (to - 1), first + (from - 1), first + from);
    } else {
        std::rotate(first + (from - 1), first + from, first + to);
    }
}

void AppPane::OnCloseTab() {
    if (const std::optional<int> tab = ClaimPopupTab()) CloseTabAt(*tab);
}

void AppPane::CloseTabAt(int tab) {
    const hosting::HostedWindow hosted = tabs_[static_cast<std::size_t>(tab - 1)];
    if (pane_.Holds(hosted)) {
        // Given back before it is asked: a program that answers "save?" with Cancel keeps a window its user can
        // still reach. WM_CLOSE, not WM_QUIT: the program gets to ask about unsaved work instead of losing it.
        if (!Return(hosted)) return;
        desktop_.windows.PostClose(hosted.handle);
    }
    RemoveTab(tab);
}

void AppPane::SweepDeadTabs() {
    // From the end, so that removing one tab does not move the next one to visit.
    for (int tab = static_cast<int>(tabs_.size()); tab >= 1; --tab) {
        if (!pane_.Holds(tabs_[static_cast<std::size_t>(tab - 1)])) RemoveTab(tab);
    }
}

void AppPane::RemoveTab(int tab) {
    desktop_.window.RemoveTab(Strip::Apps, tab);
    tabs_.erase(tabs_.begin() + (tab - 1));
}

void AppPane::Release() {
    platform::WindowManager& windows = desktop_.windows;
    for (const hosting::HostedWindow& hosted : tabs_) {
        if (!pane_.Holds(hosted)) continue;
        // Back to the desktop first: a save prompt needs a window that outlives ours, and a child window would be
        // destroyed with our main window before the program could answer. A program that does not answer cannot
        // be given back without freezing our exit; it still gets the posted request.
        if (hosted.Answers(windows)) windows.ReleaseToDesktop(hosted.handle);
        windows.PostClose(hosted.handle);
    }
}

void AppPane::GiveBack() {
    for (const hosting::HostedWindow& hosted : tabs_) {
        if (pane_.Holds(hosted) && hosted.Answers(desktop_.windows)) desktop_.windows.ReleaseToDesktop(hosted.handle);
    }
}

}  // namespace velmora::apps
