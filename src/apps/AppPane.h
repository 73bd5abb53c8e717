#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Desktop.h"
#include "settings/ModIni.h"
#include "settings/ProfileStore.h"
#include "shell/FormState.h"

namespace velmora::apps {

// Why a top-level window was or was not taken for the program just started.
// The tests run in this order; the first one a window fails names it.
enum class WindowVerdict {
    Taken,
    Invisible,
    Owned,  // an owned window belongs to another (perhaps hidden) window of its program
    Untitled,
    ProgramManager,  // the desktop's own "Progman…" window
    OtherProcess,
};

// What the window manager tells about one top-level window.
struct TopLevelFacts {
    bool visible = false;
    bool owned = false;
    std::string title;
    std::string className;
    std::uint32_t processId = 0;
};

WindowVerdict JudgeStartedWindow(const TopLevelFacts& window, std::uint32_t startedProcessId);

// The command line that starts a path: a program by itself, a document with the
// program the shell associates with it. nullopt when nothing can start it: no
// association, or an associated program that is no ".exe".
std::optional<std::string> LaunchCommandLine(const std::string& path, platform::Processes& processes);

// A captured window and who created it: the handle alone may name a stranger's
// window once ours is gone.
struct HostedWindow {
    platform::WindowHandle handle = 0;
    platform::WindowIdentity identity;
    bool operator==(const HostedWindow&) const = default;
};

// The application pane of the main form: the launcher, starting a program or
// document and capturing its window into frameApp(2), fitting every hosted
// window to its pane, and the application tab strip with its popup menu.
class AppPane {
public:
    // A program that never becomes ready for input must not freeze the window for good.
    static constexpr std::uint32_t kInputIdleTimeoutMs = 10000;
    // Time a started program gets to show its window after it became ready for input.
    static constexpr std::uint32_t kSettleMs = 200;
    // How long a hosted window gets to answer before we stop short of calls that would wait for it.
    static constexpr std::uint32_t kAnswerTimeoutMs = 500;
    static constexpr std::string_view kNotFoundMessage = "ハンドルが見つかりませんでした。";
    static constexpr std::string_view kRefusedMessage =
        "ウィンドウを取り込めませんでした。管理者として実行されているアプリケーションは取り込めません。";
    static constexpr std::string_view kNotRespondingMessage =
        "アプリケーションが応答していないため、ウィンドウを操作できませんでした。";

    AppPane(platform::Desktop& desktop, settings::ProfileStore& store, shell::FormState& state);
    AppPane(const AppPane&) = delete;
    AppPane& operator=(const AppPane&) = delete;

    // --- Events of the form ---

    // cboApp Click: the picked launcher entry's path, read again from the file.
    void OnComboClick();
    // A drop on frameApp(index); only the application pane's frame takes files.
    void OnFrameDrop(int index, bool hasFiles, const std::vector<std::string>& files);
    // A drop on the application tab strip.
    void OnStripDrop(bool hasFiles, const std::vector<std::string>& files);
    void OnTabClick();
    void OnTabMouseDown(int button, double x);
    void OnTakeOut();
    void OnCloseTab();
    // Timer1: tabs whose window is gone, or no longer the one we hold, are removed.
    void SweepDeadTabs();

    // --- Steps of the form's start-up, layout and shutdown ---

    // The application named by "Boot", if its file exists.
    void StartBootApplication();
    void FitHostedWindows();
    // At exit: every captured window goes back to the desktop and is asked to close.
    void ReleaseApplicationWindows();
    // True while a start waits for its program: another start is refused then.
    bool Starting() const { return starting_; }

    // --- The steps themselves ---

    // Starts the path, finds the new program's window and re-parents it into
    // parent, shown maximised. A handle of 0 when nothing was started or captured.
    HostedWindow StartAppWindow(const std::string& path, platform::WindowHandle parent);
    // Returns once ms milliseconds have passed, handling pending messages meanwhile.
    void WaitMilliseconds(std::uint32_t ms);

    // The captured window of each application tab, in the strip's order.
    const std::vector<HostedWindow>& Tabs() const { return tabs_; }

private:
    // Start, capture and add a tab: the common end of a launcher pick, a drop and the start-up application.
    void OpenInPane(const std::string& path);
    HostedWindow FindStartedWindow(std::uint32_t processId);
    // Still the window we captured, and still inside our pane.
    bool StillOurs(const HostedWindow& window);
    // Re-parenting and moving a window wait for its thread; one that does not answer would freeze ours.
    bool Answers(platform::WindowHandle window);
    void FitInto(int pane, platform::WindowHandle window);
    // The tab the popup menu was opened on, if it still holds the window right-clicked; removes the popup's claim.
    std::optional<int> ClaimPopupTab();
    void RemoveTab(int tab);
    settings::IniFile Settings() const { return settings::IniFile(store_, state_.settingsPath); }

    platform::Desktop& desktop_;
    settings::ProfileStore& store_;
    shell::FormState& state_;
    // Parallel to the tabs of the application strip: only this class adds or removes them.
    std::vector<HostedWindow> tabs_;
    // The window of the tab the popup menu was opened on.
    HostedWindow popupWindow_;
    bool starting_ = false;
};

}  // namespace velmora::apps
