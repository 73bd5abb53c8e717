#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hosting/HostedWindow.h"
#include "platform/Desktop.h"
#include "settings/ModIni.h"

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

// The application pane of the main form (pane 2): the launcher, starting a program or document and capturing its
// window into frameApp(2), and the application tab strip (TabStrip2) with its popup menu. Each tab holds one
// captured window; the tabs' tag texts hold their handles as decimal text.
class AppPane {
public:
    // A program that never becomes ready for input must not freeze the window for good.
    static constexpr std::uint32_t kInputIdleTimeoutMs = 10000;
    // Time a started program gets to show its window after it became ready for input.
    static constexpr std::uint32_t kSettleMs = 200;
    static constexpr std::string_view kNotFoundMessage = "ハンドルが見つかりませんでした。";
    static constexpr std::string_view kRefusedMessage =
        "ウィンドウを取り込めませんでした。管理者として実行されているアプリケーションは取り込めません。";
    static constexpr std::string_view kNotRespondingMessage =
        "アプリケーションが応答していないため、ウィンドウを操作できませんでした。";

    AppPane(platform::Desktop& desktop, const settings::IniFile& settings);
    AppPane(const AppPane&) = delete;
    AppPane& operator=(const AppPane&) = delete;

    hosting::Pane& pane() { return pane_; }
    // The captured window of each application tab, in the strip's order.
    const std::vector<hosting::HostedWindow>& Tabs() const { return tabs_; }
    // True while a start waits for its program: another start, and closing the form, are refused then.
    bool Starting() const { return starting_; }

    // LoadAppList: the launcher list from the names of section "App", in file order.
    void LoadAppList();
    // cboApp Click: the picked launcher entry's path, read again from the file.
    void OnComboClick();
    // Files dropped on the pane's frame or its tab strip: the first one is started.
    void OnDrop(const std::vector<std::string>& files);
    // The application named by "Boot", if its file exists.
    void StartBootApplication();

    void OnTabClick();
    // The right button alone opens the tab's popup menu, the middle one closes the tab.
    void OnTabMouseDown(int buttons, double x);
    // Tab `from` dropped into gap `gap`: its window goes with it.
    void OnTabDragged(int from, int gap);
    // The popup commands "取り出す(&T)" and "タブを閉じる(&C)".
    void OnTakeOut();
    void OnCloseTab();
    // Timer1: tabs whose window is gone, or no longer the one we hold, are removed.
    void SweepDeadTabs();
    void Fit();
    // At exit: every captured window goes back to the desktop and is asked to close.
    void Release();
    // When the program must end at once: every captured window goes back to the desktop, its program running on.
    void GiveBack();

    // StartAppWindow: starts the path, finds the new program's window and takes it into the pane, shown
    // maximised. Empty when nothing was started or captured (the user has been told why).
    hosting::HostedWindow StartAppWindow(const std::string& path);

private:
    // Start, capture and add a tab: the common end of a launcher pick, a drop and the start-up application.
    void OpenInPane(const std::string& path);
    hosting::HostedWindow FindStartedWindow(std::uint32_t processId);
    // Back to the desktop, shown where it is; false (and said) when the window does not answer.
    bool Return(const hosting::HostedWindow& hosted);
    void CloseTabAt(int tab);
    // Returns once ms milliseconds have passed, handling pending messages meanwhile.
    void WaitMilliseconds(std::uint32_t ms);
    // The tab the popup menu was opened on, if it still holds the window right-clicked; removes the popup's claim.
    std::optional<int> ClaimPopupTab();
    void RemoveTab(int tab);
    void Tell(std::string_view message);

    platform::Desktop& desktop_;
    const settings::IniFile& settings_;
    hosting::Pane pane_;
    // Parallel to the tabs of the application strip: only this class adds or removes them.
    std::vector<hosting::HostedWindow> tabs_;
    // popupTabIndex of this strip (1-based, 0 for none) and the window of that tab when the menu opened.
    int popupTab_ = 0;
    hosting::HostedWindow popupWindow_;
    bool starting_ = false;
};

}  // namespace velmora::apps
