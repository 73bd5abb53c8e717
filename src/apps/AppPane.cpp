#include "apps/AppPane.h"

#include <algorithm>
#include <array>

#include "base/Paths.h"
#include "settings/SettingKeys.h"
#include "base/TabHitTest.h"
#include "base/Twips.h"
#include "shell/WindowApi.h"

namespace velmora::apps {
namespace {

using platform::Strip;
using platform::WindowHandle;

constexpr std::array<platform::Control, 3> kHostAreas{platform::Control::FrameApp0, platform::Control::FrameApp1,
                                                      platform::Control::FrameApp2};
constexpr int kAppPane = 2;

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// A frame smaller than its offsets leaves no room, not a negative size.
std::int32_t RoomLeft(double frameSize, std::int32_t offset) {
    return static_cast<std::int32_t>(std::max<std::int64_t>(0, base::RoundHalfEven(frameSize - offset)));
}

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

AppPane::AppPane(platform::Desktop& desktop, settings::ProfileStore& store, shell::FormState& state)
    : desktop_(desktop), store_(store), state_(state) {}

// --- Starting and capturing --------------------------------------------------------------------------------------

void AppPane::OnComboClick() {
    // Read again on every pick: the settings program may have changed the path since the list was filled.
    const std::string path = Settings().GetIniString(settings::kAppSection, desktop_.window.ComboText());
    if (path.empty() || !desktop_.files.FileExists(path)) return;
    OpenInPane(path);
}

void AppPane::OnFrameDrop(int index, bool hasFiles, const std::vector<std::string>& files) {
    if (index != kAppPane) return;
    OnStripDrop(hasFiles, files);
}

void AppPane::OnStripDrop(bool hasFiles, const std::vector<std::string>& files) {
    if (!hasFiles || files.empty()) return;
    // One pane shows one program at a time in front; the other files are not guessed at.
    OpenInPane(files.front());
}

void AppPane::StartBootApplication() {
    const std::string path = settings::ReadSettingText(Settings(), settings::keys::Boot);
    if (path.empty() || !desktop_.files.FileExists(path)) return;
    OpenInPane(path);
}

void AppPane::OpenInPane(const std::string& path) {
    // A request that arrives while another start waits (the wait handles messages) is dropped: both would look
    // for their window at once, and paneWindow(2) must keep pointing at the outer start's result.
    if (starting_) return;
    const HostedWindow captured = StartAppWindow(path, desktop_.window.FrameWindow(kAppPane));
    state_.paneWindow[kAppPane] = captured.handle;
    if (captured.handle == 0) return;
    platform::MainWindow& window = desktop_.window;
    window.AddTab(Strip::Apps, base::FileTitle(path));
    window.SetTabTag(Strip::Apps, window.TabCount(Strip::Apps), std::to_string(captured.handle));
    tabs_.push_back(captured);
    FitHostedWindows();
}

HostedWindow AppPane::StartAppWindow(const std::string& path, WindowHandle parent) {
    if (starting_) return {};
    starting_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{starting_};

    const std::optional<std::string> commandLine = LaunchCommandLine(path, desktop_.processes);
    if (!commandLine) return {};
    const std::uint32_t processId = desktop_.processes.Start(*commandLine, platform::kShowMinimizedNoActivate);
    if (processId == 0) return {};
    // A program that never gets ready for input still gets looked for once the wait runs out.
    desktop_.processes.WaitForInputIdle(processId, kInputIdleTimeoutMs);
    WaitMilliseconds(kSettleMs);

    const HostedWindow found = FindStartedWindow(processId);
    platform::WindowManager& windows = desktop_.windows;
    if (found.handle == 0) {
        // The program stays running where it is; only we could not find its window.
        desktop_.window.ShowMessage(std::string(kNotFoundMessage), desktop_.program.title);
        return {};
    }
    if (!Answers(found.handle)) {
        desktop_.window.ShowMessage(std::string(kNotRespondingMessage), desktop_.program.title);
        return {};
    }
    // The platform refuses a program running with higher rights than ours; a window that is not inside the pane
    // is no capture, and a tab for it would claim what we do not hold.
    if (!windows.SetParent(found.handle, parent) || windows.GetParent(found.handle) != parent) {
        desktop_.window.ShowMessage(std::string(kRefusedMessage), desktop_.program.title);
        return {};
    }
    windows.ShowWindow(found.handle, platform::kShowMaximized);
    return found;
}

HostedWindow AppPane::FindStartedWindow(std::uint32_t processId) {
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

// --- Fitting ---------------------------------------------------------------------------------------------------

void AppPane::FitHostedWindows() {
    platform::WindowManager& windows = desktop_.windows;
    for (int pane = 0; pane < kAppPane; ++pane) {
        const WindowHandle explorer = state_.paneWindow[static_cast<std::size_t>(pane)];
        // Only while it still sits in its frame: a reused handle must not be moved about.
        if (explorer != 0 && windows.IsWindow(explorer) &&
            windows.GetParent(explorer) == desktop_.window.FrameWindow(pane)) {
            FitInto(pane, explorer);
        }
    }
    for (const HostedWindow& hosted : tabs_) {
        if (StillOurs(hosted) && Answers(hosted.handle)) FitInto(kAppPane, hosted.handle);
    }
}

void AppPane::FitInto(int pane, WindowHandle window) {
    const auto index = static_cast<std::size_t>(pane);
    const base::TwipsRect frame = desktop_.window.Bounds(kHostAreas[index]);
    const std::int32_t left = state_.paneOffsetX[index];
    const std::int32_t top = state_.paneOffsetY[index];
    shell::MoveWindowTwips(desktop_.windows, desktop_.window, window, left, top, RoomLeft(frame.width, left),
                           RoomLeft(frame.height, top));
}

bool AppPane::Answers(WindowHandle window) { return desktop_.windows.Responds(window, kAnswerTimeoutMs); }

bool AppPane::StillOurs(const HostedWindow& window) {
    platform::WindowManager& windows = desktop_.windows;
    return window.handle != 0 && windows.IsWindow(window.handle) &&
           windows.GetIdentity(window.handle) == window.identity &&
           windows.GetParent(window.handle) == desktop_.window.FrameWindow(kAppPane);
}

// --- Application tabs ------------------------------------------------------------------------------------------

void AppPane::OnTabClick() {
    const int tab = desktop_.window.SelectedTab(Strip::Apps);
    if (tab < 1 || tab > static_cast<int>(tabs_.size())) return;
    const HostedWindow& hosted = tabs_[static_cast<std::size_t>(tab - 1)];
    // A window that is gone or no longer ours is left for the sweep.
    if (!StillOurs(hosted)) return;
    state_.paneWindow[kAppPane] = hosted.handle;
    desktop_.windows.SetForegroundWindow(hosted.handle);
    FitHostedWindows();
}

void AppPane::OnTabMouseDown(int button, double x) {
    if (button != platform::kButtonRight) return;
    platform::MainWindow& window = desktop_.window;
    std::vector<double> widths;
    for (int tab = 1; tab <= window.TabCount(Strip::Apps); ++tab) widths.push_back(window.TabWidth(Strip::Apps, tab));
    const int tab = base::HitTestTab(widths, x);
    if (tab == 0 || tab > static_cast<int>(tabs_.size())) return;
    state_.popupTabIndex = tab;
    popupWindow_ = tabs_[static_cast<std::size_t>(tab - 1)];
    window.ShowPopup(platform::PopupMenu::Apps);
}

std::optional<int> AppPane::ClaimPopupTab() {
    const int tab = state_.popupTabIndex;
    const HostedWindow clicked = popupWindow_;
    state_.popupTabIndex = 0;
    popupWindow_ = {};
    if (tab < 1 || tab > static_cast<int>(tabs_.size())) return std::nullopt;
    // The timer keeps sweeping while the menu is open: the index may name another tab by now.
    if (tabs_[static_cast<std::size_t>(tab - 1)] != clicked) return std::nullopt;
    return tab;
}

void AppPane::OnTakeOut() {
    const std::optional<int> tab = ClaimPopupTab();
    if (!tab) return;
    const HostedWindow hosted = tabs_[static_cast<std::size_t>(*tab - 1)];
    if (StillOurs(hosted)) {
        // The tab stays: the user can try again once the program answers.
        if (!Answers(hosted.handle)) {
            desktop_.window.ShowMessage(std::string(kNotRespondingMessage), desktop_.program.title);
            return;
        }
        // Capture changed nothing but the parent, so giving the parent back is all there is to undo.
        desktop_.windows.SetParent(hosted.handle, 0);
    }
    RemoveTab(*tab);
}

void AppPane::OnCloseTab() {
    const std::optional<int> tab = ClaimPopupTab();
    if (!tab) return;
    const HostedWindow hosted = tabs_[static_cast<std::size_t>(*tab - 1)];
    // WM_CLOSE, not WM_QUIT: the program gets to ask about unsaved work instead of losing it.
    if (StillOurs(hosted)) desktop_.windows.PostClose(hosted.handle);
    RemoveTab(*tab);
}

void AppPane::SweepDeadTabs() {
    // From the end, so that removing one tab does not move the next one to visit.
    for (int tab = static_cast<int>(tabs_.size()); tab >= 1; --tab) {
        if (!StillOurs(tabs_[static_cast<std::size_t>(tab - 1)])) RemoveTab(tab);
    }
}

void AppPane::RemoveTab(int tab) {
    desktop_.window.RemoveTab(Strip::Apps, tab);
    tabs_.erase(tabs_.begin() + (tab - 1));
}

void AppPane::ReleaseApplicationWindows() {
    platform::WindowManager& windows = desktop_.windows;
    for (const HostedWindow& hosted : tabs_) {
        if (!StillOurs(hosted)) continue;
        // Back to the desktop first: a save prompt needs a window that outlives ours, and a child window would be
        // destroyed with our main window before the program could answer. A program that does not answer cannot
        // be given back without freezing our exit; it still gets the posted request.
        if (Answers(hosted.handle)) windows.SetParent(hosted.handle, 0);
        windows.PostClose(hosted.handle);
    }
}

}  // namespace velmora::apps
