#pragma once

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/Desktop.h"
#include "settings/ProfileStore.h"
#include "sim/MemoryFileSystem.h"  // with <cstdint>, <map>, <set> and <string>

// A simulated desktop for the native tests, as small as they need. Every call that changes something outside our own
// form is written to one journal, in order, so that a test can check the order of steps that span services.
namespace velmora::sim {

using platform::WindowHandle;

struct Journal {
    std::vector<std::string> lines;
    template <class... Words>
    void Add(const Words&... words) {
        std::string line;
        const auto text = []<class T>(const T& word) {
            if constexpr (std::is_arithmetic_v<T>) return std::to_string(static_cast<long long>(word));
            else return std::string(word);
        };
        // Appended, not "" + text(...): GCC 12 misreads that as an overlapping copy in optimised builds.
        ((line.append(line.empty() ? "" : " ").append(text(words))), ...);
        lines.push_back(std::move(line));
    }
};

struct Journaled {
    Journal& journal_;
};

struct Window {
    std::string className, title;
    WindowHandle parent = 0, owner = 0;
    bool visible = true;
    bool hung = false;  // its thread no longer handles messages
    platform::WindowIdentity identity;
    base::PixelRect rect;
    std::uint32_t listStyle = 0;
};

// Children are searched in the order of their handles; a search under no parent searches the top-level windows.
class Windows final : public platform::WindowManager, Journaled {
public:
    explicit Windows(Journal& journal) : Journaled{journal} {}

    bool IsWindow(WindowHandle w) override { return Find(w) != nullptr; }
    WindowHandle GetParent(WindowHandle w) override { return Get(w).parent; }
    bool SetParent(WindowHandle w, WindowHandle p) override { return journal_.Add("SetParent", w, p), Reparent(w, p); }
    void ShowWindow(WindowHandle w, int command) override {
        journal_.Add("ShowWindow", w, command);
        if (Window* data = Find(w)) data->visible = command != 0;
    }
    void MoveWindow(WindowHandle w, base::PixelRect rect) override {
        journal_.Add("MoveWindow", w, rect.left, rect.top, rect.width, rect.height);
        if (Window* data = Find(w)) data->rect = rect;
    }
    base::PixelRect GetWindowRect(WindowHandle w) override { return Get(w).rect; }
    bool SetForegroundWindow(WindowHandle w) override { return journal_.Add("SetForegroundWindow", w), IsWindow(w); }
    bool ReleaseToDesktop(WindowHandle w) override;
    bool RegisterHotKey(WindowHandle, int id, std::uint32_t modifiers, std::uint32_t key) override {
        journal_.Add("RegisterHotKey", id, modifiers, key);
        return true;
    }
    void UnregisterHotKey(WindowHandle, int id) override { journal_.Add("UnregisterHotKey", id); }
    WindowHandle FindChild(WindowHandle parent, WindowHandle after, std::string_view className) override;
    std::optional<std::uint32_t> GetListViewExtendedStyle(WindowHandle list) override {
        return Get(list).hung ? std::nullopt : std::optional(Get(list).listStyle);
    }
    void SetListViewExtendedStyle(WindowHandle list, std::uint32_t style) override {
        journal_.Add("SetListStyle", list, style);
        if (Window* data = Find(list)) data->listStyle = style;
    }
    std::vector<WindowHandle> TopLevelWindows() override { return zOrder_; }
    std::string WindowTitle(WindowHandle w) override { return Get(w).title; }
    std::string ClassName(WindowHandle w) override { return Get(w).className; }
    bool IsWindowVisible(WindowHandle w) override;
    WindowHandle GetOwner(WindowHandle w) override { return Get(w).owner; }
    platform::WindowIdentity GetIdentity(WindowHandle w) override { return Get(w).identity; }
    bool Responds(WindowHandle w, std::uint32_t) override { return !Get(w).hung; }
    void PostClose(WindowHandle w) override { journal_.Add("PostClose", w); }

    WindowHandle Create(Window shape);  // a new top-level window goes to the top of the z-order
    void Destroy(WindowHandle window);  // with its children and the windows it owns, as the platform does
    Window* Find(WindowHandle w) {
        auto it = windows_.find(w);
        return it == windows_.end() ? nullptr : &it->second;
    }

    // The next Create gets this number if free: a handle kept after its window died can then name a stranger's.
    WindowHandle reuseNext = 0;
    int childSearches = 0;  // calls of FindChild
    // An elevated program's window: re-parenting is refused, or said done and not done.
    enum class Parenting { Taken, Refused, Ignored } parenting = Parenting::Taken;

private:
    const Window& Get(WindowHandle window);  // a hidden, hung nobody for a handle of no window
    bool Reparent(WindowHandle window, WindowHandle parent);
    std::map<WindowHandle, Window> windows_;
    std::vector<WindowHandle> zOrder_;  // top-level windows, top first
    WindowHandle next_ = 0x10010;
};

// Time passes only when someone makes it pass: a test, or our program sleeping or waiting. Other programs act at
// their time; messages for our thread wait until it pumps them.
class Clock final : public platform::Clock {
public:
    std::uint32_t NowMs() override { return static_cast<std::uint32_t>(now_); }
    void Sleep(std::uint32_t ms) override { RunUntil(now_ + ms, [] { return false; }); }
    // Those the messages post wait for the next pump, so a message that re-posts itself cannot hang a test.
    void PumpPendingMessages() override { for (auto& message : std::exchange(messages_, {})) message(); }
    void WaitForProcessOrMessage(platform::RunningProcess& process, std::uint32_t timeoutMs) override;

    void Post(std::function<void()> message) { messages_.push_back(std::move(message)); }
    void After(std::uint32_t ms, std::function<void()> action) { actions_.emplace(now_ + ms, std::move(action)); }
    // Runs the actions due by then in their order until done; not done by then, the time is until.
    void RunUntil(std::uint64_t until, const std::function<bool()>& done);
    std::uint64_t now_ = 0;  // wide, so the 32-bit clock can wrap in a test

private:
    std::multimap<std::uint64_t, std::function<void()>> actions_;
    std::vector<std::function<void()>> messages_;
};

struct Program {
    enum Kind { Normal, OwnedOnly, Untitled, ExitsAtOnce, Hung } kind = Normal;
    std::uint32_t windowDelayMs = 0;
};

class Processes final : public platform::Processes, Journaled {
public:
    Processes(Windows& windows, Clock& clock, Journal& journal)
        : Journaled{journal}, windows_(windows), clock_(clock) {}

    std::unique_ptr<platform::RunningProcess> Start(const std::string& commandLine, int showCommand) override;
    bool WaitForInputIdle(platform::RunningProcess& process, std::uint32_t timeoutMs) override;
    std::optional<std::string> AssociatedProgram(const std::string& document) override;
    std::unique_ptr<platform::RunningProcess> Launch(const std::string& path) override {
        return journal_.Add("Launch", path), Spawn(path);
    }

    void EndProcess(std::uint32_t processId);
    bool Running(std::uint32_t processId) const { return running_.count(processId) != 0; }
    std::vector<WindowHandle> WindowsOf(std::uint32_t processId) { return opened_[processId]; }  // in order
    // Programs by path (letter case ignored) and documents by extension (no dot).
    std::map<std::string, Program> programs;
    std::map<std::string, std::string> associations;

private:
    std::unique_ptr<platform::RunningProcess> Spawn(const std::string& path);
    Windows& windows_;
    Clock& clock_;
    std::set<std::uint32_t> running_;
    std::map<std::uint32_t, std::vector<WindowHandle>> opened_;
    std::uint32_t next_ = 4000;
};

// Explorer objects: a top-level window of the shell's process with the inner windows that lead to its file list.
// Navigation knows Computer and every folder of the file system.
class Explorers final : public platform::ExplorerFactory, Journaled {
public:
    static constexpr std::uint32_t kShellProcessId = 2000;

    Explorers(Windows& windows, settings::FileSystem& files, Journal& journal)
        : Journaled{journal}, windows_(windows), files_(files) {}
    std::unique_ptr<platform::ExplorerWindow> Create() override;

    bool createFails = false;
    bool hung = false;                   // the shell's window thread no longer answers
    std::set<std::string> failingCalls;  // by member name, for every object
    std::vector<std::pair<WindowHandle, WindowHandle>> made;  // the window and file list of each object, in order

private:
    friend class ExplorerObject;
    Windows& windows_;
    settings::FileSystem& files_;
};

// The form runtime of Velmora's main window: it keeps the controls' state and raises the events the real runtime
// raises for the same changes. The main window and its three host frames are windows of the simulated desktop.
class Form final : public platform::MainWindow, Journaled {
public:
    using Events = platform::MainWindowEvents;
    using Strip = platform::Strip;
    using Tab = std::pair<std::string, std::string>;  // caption, tag
    static constexpr std::uint32_t kProcessId = 1000;
    // Frame, caption and menu bar around the client area, in pixels.
    static constexpr double kChromeWidthPx = 16;
    static constexpr double kChromeHeightPx = 59;

    Form(Windows& windows, Journal& journal);

    WindowHandle Handle() override { return handle_; }
    platform::WindowState GetState() override { return state_; }
    void SetState(platform::WindowState state) override {  // as the user would
        if (std::exchange(state_, state) != state && Live()) events_->OnResize();
    }
    base::TwipsRect OuterRect() override;
    void MoveOuter(const base::TwipsRect& rect) override;
    double ClientWidth() override { return Client(OuterRect().width - kChromeWidthPx * tpp); }
    double ClientHeight() override { return Client(OuterRect().height - kChromeHeightPx * tpp); }
    std::vector<base::TwipsRect> WorkAreas() override { return {{0, 0, 28800, 15600}}; }  // one 1920 x 1040 monitor
    double TwipsPerPixelX() override { return tpp; }
    double TwipsPerPixelY() override { return tpp; }
    bool PreviousInstance() override { return previousInstance; }
    void RequestClose() override { Close("RequestClose", &Events::OnQueryClose, &Events::OnUnload); }
    void EndProgramNow() override {
        journal_.Add("EndProgramNow");
        ended = true;
        windows_.Destroy(handle_);
    }
    void InstallHotkeyProcedure() override { Hook("InstallHotkeyProcedure", true); }
    void RemoveHotkeyProcedure() override { Hook("RemoveHotkeyProcedure", false); }
    bool IsChecked(platform::MenuItem item) override { return checked.count(item) != 0; }
    void SetChecked(platform::MenuItem item, bool on) override { Mark(checked, item, on); }
    bool IsEnabled(platform::MenuItem item) override { return disabled.count(item) == 0; }
    void SetEnabled(platform::MenuItem item, bool on) override { Mark(disabled, item, !on); }
    void ShowPopup(platform::PopupMenu menu) override { journal_.Add("ShowPopup", static_cast<int>(menu)); }
    void Place(platform::Control control, const base::TwipsRect& rect) override;
    base::TwipsRect Bounds(platform::Control control) override { return controls[control].first; }
    void SetVisible(platform::Control control, bool visible) override { controls[control].second = visible; }
    bool IsVisible(platform::Control control) override { return controls[control].second; }
    void SetBarColour(int bar, platform::BarColour c) override { barColours.at(static_cast<std::size_t>(bar)) = c; }
    WindowHandle FrameWindow(int index) override { return frames.at(static_cast<std::size_t>(index)); }
    void ClearTabs(Strip strip) override { TabsOf(strip).clear(); }
    int TabCount(Strip strip) override { return static_cast<int>(TabsOf(strip).size()); }
    void AddTab(Strip strip, const std::string& caption) override { TabsOf(strip).push_back({caption, ""}); }
    std::string TabCaption(Strip strip, int tab) override { return TabAt(strip, tab).first; }
    void SetTabTag(Strip strip, int tab, const std::string& tag) override { TabAt(strip, tab).second = tag; }
    std::string TabTag(Strip strip, int tab) override { return TabAt(strip, tab).second; }
    void RemoveTab(Strip strip, int tab) override;
    void MoveTab(Strip strip, int from, int to) override;
    int SelectedTab(Strip strip) override { return selected[static_cast<std::size_t>(strip)]; }
    // The caption in the UI font (a Japanese character's three bytes are about its width) and the margins.
    double TabWidth(Strip strip, int tab) override { return (TabCaption(strip, tab).size() * 8.0 + 12) * tpp; }
    void ClearCombo() override { combo.clear(); }
    void AddComboItem(const std::string& text) override { combo.push_back(text); }
    std::string ComboText() override { return comboText; }
    std::vector<std::string> ComboItems() override { return combo; }
    void ShowMessage(const std::string& text, const std::string& title) override {
        journal_.Add("MessageBox", title);
        messages.push_back(text);
    }

    // --- What the user does; the events reach the form only while it lives ---
    void Start(Events& events);  // the load event, then the window is shown
    void Click(platform::MenuItem item) {
        if (Live() && IsEnabled(item)) events_->OnMenu(item);
    }
    void SelectTab(Strip strip, int tab) {
        selected[static_cast<std::size_t>(strip)] = tab;
        if (Live()) events_->OnTabClick(strip);
    }
    void PickCombo(int index) {
        comboText = combo.at(static_cast<std::size_t>(index));
        if (Live()) events_->OnComboClick();
    }
    void PressHotkey(int id) {  // only through the installed procedure
        if (Live() && hotkeyProcedure) events_->OnHotkey(id);
    }
    // The user logs off: the session ends unless the form asks it to wait.
    void EndSession() { Close("EndSession", &Events::OnQueryEndSession, &Events::OnEndSession); }
    void ChangeDpi(double twipsPerPixel) {
        tpp = twipsPerPixel;
        if (Live()) events_->OnDpiChanged();
    }
    bool Live() const { return events_ != nullptr && !ended && !unloaded; }

    double tpp = 15;
    bool previousInstance = false;
    bool hotkeyProcedure = false;
    bool ended = false;     // ended at once, without shutdown
    bool unloaded = false;  // closed through the shutdown
    std::set<platform::MenuItem> checked, disabled;
    std::map<platform::Control, std::pair<base::TwipsRect, bool>> controls;  // bounds, visible
    std::array<platform::BarColour, 2> barColours{};
    std::array<WindowHandle, 3> frames{};
    std::array<std::vector<Tab>, 3> tabs;
    std::array<int, 3> selected{};
    std::vector<std::string> combo;
    std::string comboText;
    std::vector<std::string> messages;  // the texts shown, in order

private:
    std::vector<Tab>& TabsOf(Strip strip) { return tabs[static_cast<std::size_t>(strip)]; }
    Tab& TabAt(Strip strip, int tab);  // a scratch tab for a number out of range
    void Hook(const char* line, bool on) {
        journal_.Add(line);
        hotkeyProcedure = on;
    }
    void Close(const char* request, bool (Events::*refused)(), void (Events::*closing)());
    static void Mark(std::set<platform::MenuItem>& items, platform::MenuItem item, bool in) {
        if (in) items.insert(item);
        else items.erase(item);
    }
    double Client(double size) const { return state_ == platform::WindowState::Minimized ? 0 : std::max(0.0, size); }
    Windows& windows_;
    Events* events_ = nullptr;
    WindowHandle handle_ = 0;
    platform::WindowState state_ = platform::WindowState::Normal;
    base::TwipsRect normal_{1800, 1350, 12285 + kChromeWidthPx * 15, 6525 + kChromeHeightPx * 15};
    Tab none_;
};

// The shell, the clipboard and the timing trace; the trace is not in the desktop until a test puts it there.
class Shell final : public platform::Shell, public platform::Clipboard, public platform::Trace, Journaled {
public:
    explicit Shell(Journal& journal) : Journaled{journal} {}
    void Open(WindowHandle, const std::string& file) override { journal_.Add("Open", file); }
    int FileOperation(WindowHandle, platform::FileOperation operation, const std::string& source,
                      const std::string& target) override {
        return journal_.Add(operation == platform::FileOperation::Move ? "Move" : "Copy", source, ">", target), 0;
    }
    bool SetText(const std::string& text) override { return (clipboard = text, true); }
    std::string GetText() override { return clipboard; }
    void Step(std::string_view what) override { journal_.Add("Step", what); }
    void Wait(std::string_view what) override { journal_.Add("Wait", what); }
    std::string clipboard;
};

// One machine with Velmora installed in kProgramFolder and two work folders, wired together.
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
