#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Desktop.h"
#include "settings/ProfileStore.h"
#include "sim/MemoryFileSystem.h"

// A simulated desktop for the native tests: windows, programs, Explorer objects, the shell, a clock and the form
// runtime of the main window, each as small as the tests need. Every call that changes something outside our own
// form is written to one journal, in order, so that a test can check the order of steps that span services.
namespace velmora::sim {

using platform::WindowHandle;

struct Journal {
    std::vector<std::string> lines;
    void Add(std::string line) { lines.push_back(std::move(line)); }
    // The lines that begin with prefix, in order.
    std::vector<std::string> With(std::string_view prefix) const;
};

struct Window {
    std::string className;
    std::string title;
    WindowHandle parent = 0;
    WindowHandle owner = 0;
    bool visible = true;
    bool hung = false;  // its thread no longer handles messages
    platform::WindowIdentity identity;
    base::PixelRect rect;
    std::uint32_t listStyle = 0;
    std::vector<WindowHandle> children;
};

class Windows final : public platform::WindowManager {
public:
    explicit Windows(Journal& journal) : journal_(journal) {}

    bool IsWindow(WindowHandle window) override { return Find(window) != nullptr; }
    WindowHandle GetParent(WindowHandle window) override;
    bool SetParent(WindowHandle window, WindowHandle newParent) override;
    void ShowWindow(WindowHandle window, int command) override;
    void MoveWindow(WindowHandle window, base::PixelRect rect) override;
    base::PixelRect GetWindowRect(WindowHandle window) override;
    bool SetForegroundWindow(WindowHandle window) override;
    bool ReleaseToDesktop(WindowHandle window) override;
    bool RegisterHotKey(WindowHandle window, int id, std::uint32_t modifiers, std::uint32_t keyCode) override;
    void UnregisterHotKey(WindowHandle window, int id) override;
    WindowHandle FindChild(WindowHandle parent, WindowHandle after, std::string_view className) override;
    std::optional<std::uint32_t> GetListViewExtendedStyle(WindowHandle list) override;
    void SetListViewExtendedStyle(WindowHandle list, std::uint32_t style) override;
    std::vector<WindowHandle> TopLevelWindows() override { return zOrder_; }
    std::string WindowTitle(WindowHandle window) override;
    std::string ClassName(WindowHandle window) override;
    bool IsWindowVisible(WindowHandle window) override;
    WindowHandle GetOwner(WindowHandle window) override;
    platform::WindowIdentity GetIdentity(WindowHandle window) override;
    bool Responds(WindowHandle window, std::uint32_t timeoutMs) override;
    void PostClose(WindowHandle window) override { journal_.Add("PostClose " + std::to_string(window)); }

    // A new top-level window goes to the top of the z-order.
    WindowHandle Create(Window shape);
    // With its children and the windows it owns, as the platform does.
    void Destroy(WindowHandle window);
    Window* Find(WindowHandle window);

    // The next Create gets this number if no live window has it: a handle kept after its window died can then name
    // a stranger's window.
    WindowHandle reuseNext = 0;
    // Every re-parenting is refused (an elevated program's window).
    bool refuseParent = false;
    // Combinations another program holds.
    std::set<std::pair<std::uint32_t, std::uint32_t>> hotkeysElsewhere;
    std::map<int, std::pair<std::uint32_t, std::uint32_t>> hotkeys;  // ours, by id

private:
    Journal& journal_;
    std::map<WindowHandle, Window> windows_;
    std::vector<WindowHandle> zOrder_;  // top-level windows, top first
    WindowHandle next_ = 0x10010;
};

// Time passes only when someone makes it pass: a test, or our program sleeping or waiting. Other programs act at
// their time; messages for our thread wait until it pumps them.
class Clock final : public platform::Clock {
public:
    std::uint32_t NowMs() override { return static_cast<std::uint32_t>(now_); }
    void Sleep(std::uint32_t ms) override { Advance(ms); }
    void PumpPendingMessages() override;
    void WaitForProcessOrMessage(platform::RunningProcess& process, std::uint32_t timeoutMs) override;

    void Post(std::function<void()> message) { messages_.push_back(std::move(message)); }
    void After(std::uint32_t delayMs, std::function<void()> action);
    void Advance(std::uint32_t ms);
    std::uint64_t now_ = 0;  // wide, so the 32-bit clock can wrap in a test

private:
    bool RunNextAction(std::uint64_t until);
    std::multimap<std::uint64_t, std::function<void()>> actions_;
    std::vector<std::function<void()>> messages_;
};

// What a simulated program does once started.
struct Program {
    enum Kind { Normal, OwnedOnly, Untitled, ExitsAtOnce, Hung } kind = Normal;
    std::string title = "Program";
    std::uint32_t windowDelayMs = 0;
};

class Processes final : public platform::Processes {
public:
    Processes(Windows& windows, Clock& clock, Journal& journal)
        : windows_(windows), clock_(clock), journal_(journal) {}

    std::unique_ptr<platform::RunningProcess> Start(const std::string& commandLine, int showCommand) override;
    bool WaitForInputIdle(platform::RunningProcess& process, std::uint32_t timeoutMs) override;
    std::optional<std::string> AssociatedProgram(const std::string& document) override;
    std::unique_ptr<platform::RunningProcess> Launch(const std::string& path) override;

    void EndProcess(std::uint32_t processId);
    bool Running(std::uint32_t processId) const { return running_.count(processId) != 0; }
    // The windows a process opened, in order.
    std::vector<WindowHandle> WindowsOf(std::uint32_t processId);
    // Programs by path (letter case ignored) and documents by extension (no dot).
    std::map<std::string, Program> programs;
    std::map<std::string, std::string> associations;

private:
    std::uint32_t Spawn(const std::string& path);
    Windows& windows_;
    Clock& clock_;
    Journal& journal_;
    std::set<std::uint32_t> running_;
    std::map<std::uint32_t, std::vector<WindowHandle>> opened_;
    std::uint32_t next_ = 4000;
};

// Explorer objects: a top-level window of the shell's process with the inner windows that lead to its file list.
// Navigation knows the four special folders and every folder of the file system.
class Explorers final : public platform::ExplorerFactory {
public:
    static constexpr std::uint32_t kShellProcessId = 2000;
    enum class Chain { Full, Short, None };

    Explorers(Windows& windows, settings::FileSystem& files, Journal& journal)
        : windows_(windows), files_(files), journal_(journal) {}
    std::unique_ptr<platform::ExplorerWindow> Create() override;

    bool createFails = false;
    bool hung = false;  // the shell's window thread no longer answers
    std::set<std::string> failingCalls;  // by member name, for every object
    Chain chain = Chain::Full;
    // The window and file list of each object made, in order.
    std::vector<std::pair<WindowHandle, WindowHandle>> made;

private:
    friend class ExplorerObject;
    Windows& windows_;
    settings::FileSystem& files_;
    Journal& journal_;
};

// The form runtime of Velmora's main window: it keeps the controls' state for the tests and raises the events the
// real runtime raises for the same changes. The main window and the three host frames are windows of the simulated
// window manager, so hosted windows can be re-parented into them.
class Form final : public platform::MainWindow {
public:
    static constexpr std::uint32_t kProcessId = 1000;
    // Frame, caption and menu bar around the client area, in pixels.
    static constexpr double kChromeWidthPx = 16;
    static constexpr double kChromeHeightPx = 59;

    Form(Windows& windows, Journal& journal);

    WindowHandle Handle() override { return handle_; }
    platform::WindowState GetState() override { return state_; }
    void SetState(platform::WindowState state) override;
    base::TwipsRect OuterRect() override;
    void MoveOuter(const base::TwipsRect& rect) override;
    double ClientWidth() override;
    double ClientHeight() override;
    std::vector<base::TwipsRect> WorkAreas() override { return workAreas; }
    double TwipsPerPixelX() override { return tpp; }
    double TwipsPerPixelY() override { return tpp; }
    bool PreviousInstance() override { return previousInstance; }
    void RequestClose() override;
    void EndProgramNow() override;
    void InstallHotkeyProcedure() override { hotkeyProcedure = true; journal_.Add("InstallHotkeyProcedure"); }
    void RemoveHotkeyProcedure() override { hotkeyProcedure = false; journal_.Add("RemoveHotkeyProcedure"); }
    bool IsChecked(platform::MenuItem item) override { return checked.count(item) != 0; }
    void SetChecked(platform::MenuItem item, bool on) override;
    bool IsEnabled(platform::MenuItem item) override { return disabled.count(item) == 0; }
    void SetEnabled(platform::MenuItem item, bool on) override;
    void ShowPopup(platform::PopupMenu menu) override;
    void Place(platform::Control control, const base::TwipsRect& rect) override;
    base::TwipsRect Bounds(platform::Control control) override { return controls[control].first; }
    void SetVisible(platform::Control control, bool visible) override { controls[control].second = visible; }
    bool IsVisible(platform::Control control) override { return controls[control].second; }
    void SetBarColour(int bar, platform::BarColour colour) override { barColours.at(static_cast<std::size_t>(bar)) = colour; }
    WindowHandle FrameWindow(int index) override { return frames.at(static_cast<std::size_t>(index)); }
    void ClearTabs(platform::Strip strip) override { tabs[static_cast<std::size_t>(strip)].clear(); }
    int TabCount(platform::Strip strip) override { return static_cast<int>(tabs[static_cast<std::size_t>(strip)].size()); }
    void AddTab(platform::Strip strip, const std::string& caption) override;
    std::string TabCaption(platform::Strip strip, int tab) override;
    void SetTabTag(platform::Strip strip, int tab, const std::string& tag) override;
    std::string TabTag(platform::Strip strip, int tab) override;
    void RemoveTab(platform::Strip strip, int tab) override;
    void MoveTab(platform::Strip strip, int from, int to) override;
    int SelectedTab(platform::Strip strip) override { return selected[static_cast<std::size_t>(strip)]; }
    double TabWidth(platform::Strip strip, int tab) override;
    void ClearCombo() override { combo.clear(); }
    void AddComboItem(const std::string& text) override { combo.push_back(text); }
    std::string ComboText() override { return comboText; }
    std::vector<std::string> ComboItems() override { return combo; }
    void ShowMessage(const std::string& text, const std::string& title) override;

    // --- What the user does ---
    void Start(platform::MainWindowEvents& events);  // the load event, then the window is shown
    void Resize(double outerWidth, double outerHeight);
    void UserSetState(platform::WindowState state);
    void Click(platform::MenuItem item);  // reaches the form while the entry is enabled
    void SelectTab(platform::Strip strip, int tab);
    void PickCombo(int index);
    bool PressHotkey(int id);  // reaches the form only through the installed procedure
    // The user logs off: the session ends unless the form asks it to wait.
    void EndSession();
    void ChangeDpi(double twipsPerPixel);
    bool Live() const { return events_ != nullptr && !ended && !unloaded; }

    // --- What the tests read ---
    double tpp = 15;
    std::vector<base::TwipsRect> workAreas{{0, 0, 28800, 15600}};  // one 1920 x 1040 monitor
    bool previousInstance = false;
    bool hotkeyProcedure = false;
    bool ended = false;     // ended at once, without shutdown
    bool unloaded = false;  // closed through the shutdown
    std::set<platform::MenuItem> checked;
    std::set<platform::MenuItem> disabled;
    std::map<platform::Control, std::pair<base::TwipsRect, bool>> controls;
    std::array<platform::BarColour, 2> barColours{};
    std::array<WindowHandle, 3> frames{};
    std::array<std::vector<std::pair<std::string, std::string>>, 3> tabs;  // caption, tag
    std::array<int, 3> selected{};
    std::vector<std::string> combo;
    std::string comboText;
    std::vector<std::string> messages;  // the texts shown, in order

private:
    Windows& windows_;
    Journal& journal_;
    platform::MainWindowEvents* events_ = nullptr;
    WindowHandle handle_ = 0;
    platform::WindowState state_ = platform::WindowState::Normal;
    base::TwipsRect normal_{1800, 1350, 12285 + kChromeWidthPx * 15, 6525 + kChromeHeightPx * 15};
};

class Shell final : public platform::Shell, public platform::Clipboard {
public:
    explicit Shell(Journal& journal) : journal_(journal) {}
    void Open(WindowHandle owner, const std::string& file) override;
    int FileOperation(WindowHandle owner, platform::FileOperation operation, const std::string& source,
                      const std::string& destination) override;
    bool SetText(const std::string& text) override;
    std::string GetText() override { return clipboard; }
    std::string clipboard;

private:
    Journal& journal_;
};

// One machine with Velmora installed in kProgramFolder, wired together.
struct Desktop {
    static constexpr const char* kProgramFolder = "C:\\Program Files\\Velmora";
    static constexpr const char* kSettingsPath = "C:\\Program Files\\Velmora\\setting.ini";

    Desktop();
    Journal journal;
    MemoryFileSystem files;
    std::unique_ptr<settings::CodePage> codePage;
    Clock clock;
    Windows windows{journal};
    Explorers explorers{windows, files, journal};
    Processes processes{windows, clock, journal};
    Shell shell{journal};
    Form form{windows, journal};
    settings::ProfileStore store{files, *codePage};
    platform::Desktop desktop;
};

}  // namespace velmora::sim
