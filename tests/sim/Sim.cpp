#include "sim/Sim.h"

#include <algorithm>

namespace velmora::sim {
namespace {

using platform::Control;
using platform::WindowState;

std::string Folded(std::string text) {
    for (char& c : text) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
}

}  // namespace

std::vector<std::string> Journal::With(std::string_view prefix) const {
    std::vector<std::string> found;
    for (const std::string& line : lines) {
        if (line.starts_with(prefix)) found.push_back(line);
    }
    return found;
}

// --- Windows ------------------------------------------------------------------------------------------------------

Window* Windows::Find(WindowHandle window) {
    auto it = windows_.find(window);
    return it == windows_.end() ? nullptr : &it->second;
}

WindowHandle Windows::GetParent(WindowHandle window) {
    const Window* data = Find(window);
    return data ? data->parent : 0;
}

bool Windows::SetParent(WindowHandle window, WindowHandle newParent) {
    journal_.Add("SetParent " + std::to_string(window) + " " + std::to_string(newParent));
    Window* data = Find(window);
    if (!data || refuseParent || (newParent != 0 && !Find(newParent))) return false;
    auto& from = data->parent == 0 ? zOrder_ : Find(data->parent)->children;
    std::erase(from, window);
    data->parent = newParent;
    auto& to = newParent == 0 ? zOrder_ : Find(newParent)->children;
    to.insert(newParent == 0 ? to.begin() : to.end(), window);
    return true;
}

void Windows::ShowWindow(WindowHandle window, int command) {
    journal_.Add("ShowWindow " + std::to_string(window) + " " + std::to_string(command));
    if (Window* data = Find(window)) data->visible = command != 0;
}

void Windows::MoveWindow(WindowHandle window, base::PixelRect rect) {
    journal_.Add("MoveWindow " + std::to_string(window) + " " + std::to_string(rect.left) + " " +
                 std::to_string(rect.top) + " " + std::to_string(rect.width) + " " + std::to_string(rect.height));
    if (Window* data = Find(window)) data->rect = rect;
}

base::PixelRect Windows::GetWindowRect(WindowHandle window) {
    const Window* data = Find(window);
    return data ? data->rect : base::PixelRect{};
}

bool Windows::ReleaseToDesktop(WindowHandle window) {
    journal_.Add("ReleaseToDesktop " + std::to_string(window));
    Window* data = Find(window);
    if (!data || refuseParent) return false;
    std::erase(data->parent == 0 ? zOrder_ : Find(data->parent)->children, window);
    data->parent = 0;
    data->visible = true;
    zOrder_.insert(zOrder_.begin(), window);
    return true;
}

bool Windows::SetForegroundWindow(WindowHandle window) {
    journal_.Add("SetForegroundWindow " + std::to_string(window));
    return Find(window) != nullptr;
}

bool Windows::RegisterHotKey(WindowHandle /*window*/, int id, std::uint32_t modifiers, std::uint32_t keyCode) {
    journal_.Add("RegisterHotKey " + std::to_string(id) + " " + std::to_string(modifiers) + " " +
                 std::to_string(keyCode));
    if (hotkeysElsewhere.count({modifiers, keyCode}) != 0) return false;
    hotkeys[id] = {modifiers, keyCode};
    return true;
}

void Windows::UnregisterHotKey(WindowHandle /*window*/, int id) {
    journal_.Add("UnregisterHotKey " + std::to_string(id));
    hotkeys.erase(id);
}

WindowHandle Windows::FindChild(WindowHandle parent, WindowHandle after, std::string_view className) {
    const Window* data = Find(parent);
    if (parent == 0 || !data) return 0;
    auto it = after == 0 ? data->children.begin() : std::find(data->children.begin(), data->children.end(), after);
    if (after != 0 && it != data->children.end()) ++it;
    for (; it != data->children.end(); ++it) {
        if (Folded(Find(*it)->className) == Folded(std::string(className))) return *it;
    }
    return 0;
}

std::optional<std::uint32_t> Windows::GetListViewExtendedStyle(WindowHandle list) {
    const Window* data = Find(list);
    if (!data || data->hung) return std::nullopt;
    return data->listStyle;
}

void Windows::SetListViewExtendedStyle(WindowHandle list, std::uint32_t style) {
    journal_.Add("SetListStyle " + std::to_string(list) + " " + std::to_string(style));
    if (Window* data = Find(list)) data->listStyle = style;
}

std::string Windows::WindowTitle(WindowHandle window) {
    const Window* data = Find(window);
    return data ? data->title : std::string();
}

std::string Windows::ClassName(WindowHandle window) {
    const Window* data = Find(window);
    return data ? data->className : std::string();
}

bool Windows::IsWindowVisible(WindowHandle window) {
    // As on Windows: visible only when all its parents are.
    for (const Window* data = Find(window); data; data = Find(data->parent)) {
        if (!data->visible) return false;
        if (data->parent == 0) return true;
    }
    return false;
}

WindowHandle Windows::GetOwner(WindowHandle window) {
    const Window* data = Find(window);
    return data ? data->owner : 0;
}

platform::WindowIdentity Windows::GetIdentity(WindowHandle window) {
    const Window* data = Find(window);
    return data ? data->identity : platform::WindowIdentity{};
}

bool Windows::Responds(WindowHandle window, std::uint32_t /*timeoutMs*/) {
    const Window* data = Find(window);
    return data && !data->hung;
}

WindowHandle Windows::Create(Window shape) {
    WindowHandle handle = reuseNext != 0 && !Find(reuseNext) ? reuseNext : 0;
    reuseNext = 0;
    while (handle == 0 || Find(handle)) handle = next_ += 4;
    if (!Find(shape.parent)) shape.parent = 0;
    auto& siblings = shape.parent == 0 ? zOrder_ : Find(shape.parent)->children;
    siblings.insert(shape.parent == 0 ? siblings.begin() : siblings.end(), handle);
    windows_.emplace(handle, std::move(shape));
    return handle;
}

void Windows::Destroy(WindowHandle window) {
    Window* data = Find(window);
    if (!data) return;
    if (data->parent == 0) {
        std::erase(zOrder_, window);
    } else if (Window* parent = Find(data->parent)) {
        std::erase(parent->children, window);
    }
    std::vector<WindowHandle> doomed = data->children;
    for (const auto& [handle, other] : windows_) {
        if (other.owner == window) doomed.push_back(handle);
    }
    windows_.erase(window);
    for (WindowHandle child : doomed) Destroy(child);
}

// --- Clock --------------------------------------------------------------------------------------------------------

void Clock::PumpPendingMessages() {
    // Those the messages post wait for the next pump, so a message that re-posts itself cannot hang a test.
    std::vector<std::function<void()>> now;
    now.swap(messages_);
    for (auto& message : now) message();
}

void Clock::After(std::uint32_t delayMs, std::function<void()> action) { actions_.emplace(now_ + delayMs, std::move(action)); }

bool Clock::RunNextAction(std::uint64_t until) {
    if (actions_.empty() || actions_.begin()->first > until) return false;
    auto node = actions_.extract(actions_.begin());
    now_ = node.key();
    node.mapped()();
    return true;
}

void Clock::Advance(std::uint32_t ms) {
    const std::uint64_t until = now_ + ms;
    while (RunNextAction(until)) {
    }
    now_ = until;
}

void Clock::WaitForProcessOrMessage(platform::RunningProcess& process, std::uint32_t timeoutMs) {
    const std::uint64_t deadline = now_ + timeoutMs;
    while (!process.HasExited() && messages_.empty() && RunNextAction(deadline)) {
    }
    if (!process.HasExited() && messages_.empty()) now_ = deadline;
    PumpPendingMessages();
}

// --- Processes ----------------------------------------------------------------------------------------------------

namespace {

class RunningProcess final : public platform::RunningProcess {
public:
    RunningProcess(Processes& processes, std::uint32_t id) : processes_(processes), id_(id) {}
    bool HasExited() override { return !processes_.Running(id_); }
    std::uint32_t ProcessId() override { return id_; }

private:
    Processes& processes_;
    std::uint32_t id_;
};

}  // namespace

std::uint32_t Processes::Spawn(const std::string& path) {
    auto it = std::find_if(programs.begin(), programs.end(),
                           [&](const auto& entry) { return Folded(entry.first) == Folded(path); });
    if (it == programs.end()) return 0;
    const Program program = it->second;
    const std::uint32_t id = next_ += 4;
    if (program.kind == Program::ExitsAtOnce) return id;
    running_.insert(id);
    clock_.After(program.windowDelayMs, [this, id, program] {
        if (!Running(id)) return;
        const platform::WindowIdentity identity{id, id + 1};
        Window shape{"SimProgramWindow", program.title, 0, 0, true, program.kind == Program::Hung, identity};
        if (program.kind == Program::OwnedOnly) {
            shape.owner = windows_.Create({"SimHiddenOwner", program.title, 0, 0, false, false, identity});
            opened_[id].push_back(shape.owner);
        }
        if (program.kind == Program::Untitled) shape.title.clear();
        opened_[id].push_back(windows_.Create(shape));
    });
    if (program.windowDelayMs == 0) clock_.Advance(0);
    return id;
}

std::unique_ptr<platform::RunningProcess> Processes::Start(const std::string& commandLine, int showCommand) {
    journal_.Add("Start " + commandLine + " " + std::to_string(showCommand));
    // The program is the first quoted part, or the line up to its first blank.
    const std::size_t end = commandLine.starts_with('"') ? commandLine.find('"', 1) : commandLine.find(' ');
    const std::size_t begin = commandLine.starts_with('"') ? 1 : 0;
    const std::uint32_t id = Spawn(commandLine.substr(begin, end == std::string::npos ? std::string::npos : end - begin));
    if (id == 0) return nullptr;
    return std::make_unique<RunningProcess>(*this, id);
}

bool Processes::WaitForInputIdle(platform::RunningProcess& process, std::uint32_t timeoutMs) {
    const std::uint32_t processId = process.ProcessId();
    // Ready for input once its window is open; a hung program never is.
    for (std::uint32_t waited = 0; Running(processId); ++waited) {
        const auto& windows = opened_[processId];
        const bool hung = !windows.empty() && windows_.Find(windows.back()) && windows_.Find(windows.back())->hung;
        if (!windows.empty() && !hung) return true;
        if (waited == timeoutMs) return false;
        clock_.Advance(1);
    }
    return false;
}

std::optional<std::string> Processes::AssociatedProgram(const std::string& document) {
    const auto dot = document.rfind('.');
    if (dot == std::string::npos) return std::nullopt;
    auto it = associations.find(Folded(document.substr(dot + 1)));
    if (it == associations.end()) return std::nullopt;
    return it->second;
}

std::unique_ptr<platform::RunningProcess> Processes::Launch(const std::string& path) {
    journal_.Add("Launch " + path);
    const std::uint32_t id = Spawn(path);
    if (id == 0) return nullptr;
    return std::make_unique<RunningProcess>(*this, id);
}

void Processes::EndProcess(std::uint32_t processId) {
    running_.erase(processId);
    for (WindowHandle window : opened_[processId]) {
        // The handle may already belong to someone else's window.
        if (windows_.GetIdentity(window).processId == processId) windows_.Destroy(window);
    }
}

std::vector<WindowHandle> Processes::WindowsOf(std::uint32_t processId) { return opened_[processId]; }

// --- Explorers ----------------------------------------------------------------------------------------------------

class ExplorerObject final : public platform::ExplorerWindow {
public:
    ExplorerObject(Explorers& factory, WindowHandle window, std::size_t number)
        : factory_(factory), window_(window), name_("Explorer#" + std::to_string(number) + " ") {}
    ~ExplorerObject() override { factory_.journal_.Add(name_ + "released"); }

    bool Navigate2(const platform::NavigateTarget& target) override {
        const auto* number = std::get_if<std::int16_t>(&target);
        const std::string text = number ? std::to_string(*number) : std::get<std::string>(target);
        if (!Call("Navigate2 " + text)) return false;
        // What a Japanese system shows for the special folders the program uses.
        static const std::map<std::string, std::pair<std::string, std::string>> kSpecial{
            {"3", {"コントロール パネル", "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\::{21EC2020-3AEA-1069-A2DD-08002B30309D}"}},
            {"10", {"ごみ箱", "::{645FF040-5081-101B-9F08-00AA002F954E}"}},
            {"17", {"PC", "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}"}},
            {"18", {"ネットワーク", "::{F02C1A0D-BE21-4350-88B0-7367FC96EF3C}"}}};
        if (number) {
            if (kSpecial.count(text) == 0) return false;
            folder_ = kSpecial.at(text);
        } else if (factory_.files_.DirectoryExists(text)) {
            folder_ = {text.substr(text.find_last_of('\\') + 1), text};
        } else {
            return false;
        }
        return true;
    }
    bool ShowBrowserBar(std::string_view classId, bool show) override {
        return Call("ShowBrowserBar " + std::string(classId) + (show ? " true" : " false"));
    }
    std::optional<WindowHandle> Hwnd() override {
        if (!Call("Hwnd")) return std::nullopt;
        return window_;
    }
    bool SetCurrentViewMode(std::int32_t mode) override { return Call("CurrentViewMode " + std::to_string(mode)); }
    std::optional<std::string> FolderName() override {
        if (!Call("FolderName") || folder_.second.empty()) return std::nullopt;
        return folder_.first;
    }
    std::optional<std::string> FolderPath() override {
        if (!Call("FolderPath") || folder_.second.empty()) return std::nullopt;
        return folder_.second;
    }
    bool SetVisible(bool visible) override {
        if (!Call(visible ? "Visible true" : "Visible false")) return false;
        factory_.windows_.Find(window_)->visible = visible;
        return true;
    }
    bool Quit() override {
        if (!Call("Quit")) return false;
        factory_.windows_.Destroy(window_);
        return true;
    }

private:
    // An object whose window is gone answers nothing, like a disconnected automation object.
    bool Call(const std::string& line) {
        factory_.journal_.Add(name_ + line);
        const std::string member = line.substr(0, line.find(' '));
        return factory_.failingCalls.count(member) == 0 && factory_.windows_.Find(window_) &&
               factory_.windows_.GetIdentity(window_).processId == Explorers::kShellProcessId;
    }

    Explorers& factory_;
    WindowHandle window_;
    std::string name_;
    std::pair<std::string, std::string> folder_;  // display name, path
};

std::unique_ptr<platform::ExplorerWindow> Explorers::Create() {
    journal_.Add("CreateExplorer");
    if (createFails) return nullptr;
    const platform::WindowIdentity shell{kShellProcessId, kShellProcessId + 1};
    // The object starts invisible.
    const WindowHandle top = windows_.Create({"CabinetWClass", "", 0, 0, false, hung, shell});
    auto child = [&](WindowHandle parent, const char* className) {
        return windows_.Create({className, "", parent, 0, true, false, shell});
    };
    WindowHandle list = 0;
    if (chain == Chain::Full) {
        const WindowHandle container = child(child(child(top, "ShellTabWindowClass"), "DUIViewWndClassName"), "DirectUIHWND");
        child(container, "CtrlNotifySink");  // the navigation pane's sink: no view inside
        list = child(child(child(container, "CtrlNotifySink"), "SHELLDLL_DefView"), "SysListView32");
    } else if (chain == Chain::Short) {
        list = child(child(top, "SHELLDLL_DefView"), "SysListView32");
    }
    made.emplace_back(top, list);
    return std::make_unique<ExplorerObject>(*this, top, made.size());
}

// --- Form ---------------------------------------------------------------------------------------------------------

Form::Form(Windows& windows, Journal& journal) : windows_(windows), journal_(journal) {
    const platform::WindowIdentity own{kProcessId, kProcessId + 1};
    handle_ = windows_.Create({"VelmoraMain", "Velmora", 0, 0, false, false, own});
    for (WindowHandle& frame : frames) frame = windows_.Create({"VelmoraFrame", "", handle_, 0, true, false, own});
    // The controls as the form is designed.
    controls = {{Control::PicFrame0, {{0, 0, 3375, 2295}, true}},      {Control::PicFrame1, {{5280, 0, 4335, 2295}, true}},
                {Control::PicFrame2, {{0, 3240, 4335, 2295}, false}},  {Control::SplitBar0, {{4920, 0, 50, 5415}, true}},
                {Control::SplitBar1, {{0, 2880, 7215, 50}, true}},     {Control::TabStrip1_0, {{0, 0, 3315, 300}, true}},
                {Control::TabStrip1_1, {{0, 0, 4275, 300}, true}},     {Control::TabStrip2, {{0, 0, 2160, 300}, true}},
                {Control::FrameApp0, {{0, 270, 3375, 2025}, true}},    {Control::FrameApp1, {{0, 270, 4335, 2025}, true}},
                {Control::FrameApp2, {{0, 300, 4335, 1995}, true}},    {Control::CboApp, {{2160, 0, 2175, 300}, true}}};
}

void Form::SetState(WindowState state) {
    journal_.Add("SetState " + std::to_string(static_cast<int>(state)));
    UserSetState(state);
}

base::TwipsRect Form::OuterRect() {
    if (state_ == WindowState::Maximized) return {-8 * tpp, -8 * tpp, 1936 * tpp, 1056 * tpp};
    if (state_ == WindowState::Minimized) return {-32000 * tpp, -32000 * tpp, 160 * tpp, 28 * tpp};
    return normal_;
}

void Form::MoveOuter(const base::TwipsRect& rect) {
    journal_.Add("MoveOuter " + std::to_string(static_cast<int>(rect.left)) + " " +
                 std::to_string(static_cast<int>(rect.top)) + " " + std::to_string(static_cast<int>(rect.width)) + " " +
                 std::to_string(static_cast<int>(rect.height)));
    const bool resized = rect.width != normal_.width || rect.height != normal_.height;
    // Outside the normal state the move changes the place the window is restored to.
    normal_ = rect;
    if (resized && state_ == WindowState::Normal && Live()) events_->OnResize();
}

double Form::ClientWidth() {
    return state_ == WindowState::Minimized ? 0 : std::max(0.0, OuterRect().width - kChromeWidthPx * tpp);
}

double Form::ClientHeight() {
    return state_ == WindowState::Minimized ? 0 : std::max(0.0, OuterRect().height - kChromeHeightPx * tpp);
}

void Form::RequestClose() {
    journal_.Add("RequestClose");
    if (!Live() || events_->OnQueryClose()) return;
    events_->OnUnload();
    unloaded = true;
    // Child windows go with their parent, hosted ones too if still inside.
    windows_.Destroy(handle_);
}

void Form::EndProgramNow() {
    journal_.Add("EndProgramNow");
    ended = true;
    windows_.Destroy(handle_);
}

void Form::SetChecked(platform::MenuItem item, bool on) {
    if (on) {
        checked.insert(item);
    } else {
        checked.erase(item);
    }
}

void Form::SetEnabled(platform::MenuItem item, bool on) {
    if (on) {
        disabled.erase(item);
    } else {
        disabled.insert(item);
    }
}

void Form::ShowPopup(platform::PopupMenu menu) { journal_.Add("ShowPopup " + std::to_string(static_cast<int>(menu))); }

void Form::Place(Control control, const base::TwipsRect& rect) {
    base::TwipsRect& current = controls[control].first;
    const bool resized = rect.width != current.width || rect.height != current.height;
    current = rect;
    const int frame = control == Control::PicFrame0 ? 0 : control == Control::PicFrame1 ? 1 : control == Control::PicFrame2 ? 2 : -1;
    if (frame >= 0 && resized && Live()) events_->OnFrameResize(frame);
}

void Form::AddTab(platform::Strip strip, const std::string& caption) { tabs[static_cast<std::size_t>(strip)].push_back({caption, ""}); }

std::string Form::TabCaption(platform::Strip strip, int tab) {
    return tab >= 1 && tab <= TabCount(strip) ? tabs[static_cast<std::size_t>(strip)][static_cast<std::size_t>(tab - 1)].first : "";
}

void Form::SetTabTag(platform::Strip strip, int tab, const std::string& tag) {
    if (tab >= 1 && tab <= TabCount(strip)) tabs[static_cast<std::size_t>(strip)][static_cast<std::size_t>(tab - 1)].second = tag;
}

std::string Form::TabTag(platform::Strip strip, int tab) {
    return tab >= 1 && tab <= TabCount(strip) ? tabs[static_cast<std::size_t>(strip)][static_cast<std::size_t>(tab - 1)].second : "";
}

void Form::RemoveTab(platform::Strip strip, int tab) {
    if (tab < 1 || tab > TabCount(strip)) return;
    auto& list = tabs[static_cast<std::size_t>(strip)];
    list.erase(list.begin() + (tab - 1));
    int& current = selected[static_cast<std::size_t>(strip)];
    current = current == tab ? 0 : current > tab ? current - 1 : current;
}

void Form::MoveTab(platform::Strip strip, int from, int to) {
    journal_.Add("MoveTab " + std::to_string(static_cast<int>(strip)) + " " + std::to_string(from) + " " +
                 std::to_string(to));
    auto& list = tabs[static_cast<std::size_t>(strip)];
    auto tab = list.at(static_cast<std::size_t>(from - 1));
    list.erase(list.begin() + (from - 1));
    list.insert(list.begin() + (to - 1), std::move(tab));
}

double Form::TabWidth(platform::Strip strip, int tab) {
    // Wide enough for the caption's characters in the UI font, plus the tab's margins.
    const std::string caption = TabCaption(strip, tab);
    const auto characters = std::count_if(caption.begin(), caption.end(), [](char c) { return (c & 0xC0) != 0x80; });
    return static_cast<double>(characters * 8 + 12) * tpp;
}

void Form::ShowMessage(const std::string& text, const std::string& title) {
    journal_.Add("MessageBox " + title);
    messages.push_back(text);
}

void Form::Start(platform::MainWindowEvents& events) {
    events_ = &events;
    events.OnLoad();
    if (!Live()) return;
    windows_.Find(handle_)->visible = true;
    // Showing a window for the first time sizes it.
    events.OnResize();
}

void Form::Resize(double outerWidth, double outerHeight) { MoveOuter({normal_.left, normal_.top, outerWidth, outerHeight}); }

void Form::UserSetState(WindowState state) {
    if (state == state_) return;
    state_ = state;
    if (Live()) events_->OnResize();
}

void Form::Click(platform::MenuItem item) {
    if (Live() && IsEnabled(item)) events_->OnMenu(item);
}

void Form::SelectTab(platform::Strip strip, int tab) {
    selected[static_cast<std::size_t>(strip)] = tab;
    if (Live()) events_->OnTabClick(strip);
}

void Form::PickCombo(int index) {
    comboText = combo.at(static_cast<std::size_t>(index));
    if (Live()) events_->OnComboClick();
}

void Form::EndSession() {
    journal_.Add("EndSession");
    if (!Live() || events_->OnQueryEndSession()) return;
    events_->OnEndSession();
    unloaded = true;
    windows_.Destroy(handle_);
}

bool Form::PressHotkey(int id) {
    if (!Live() || !hotkeyProcedure) return false;
    events_->OnHotkey(id);
    return true;
}

void Form::ChangeDpi(double twipsPerPixel) {
    tpp = twipsPerPixel;
    if (Live()) events_->OnDpiChanged();
}

// --- Shell --------------------------------------------------------------------------------------------------------

void Shell::Open(WindowHandle /*owner*/, const std::string& file) { journal_.Add("Open " + file); }

int Shell::FileOperation(WindowHandle /*owner*/, platform::FileOperation operation, const std::string& source,
                         const std::string& destination) {
    journal_.Add(std::string(operation == platform::FileOperation::Move ? "Move " : "Copy ") + source + " > " + destination);
    return 0;
}

bool Shell::SetText(const std::string& text) {
    clipboard = text;
    return true;
}

// --- Desktop ------------------------------------------------------------------------------------------------------

Desktop::Desktop()
    : codePage(settings::MakeCp932CodePage()),
      desktop{form, windows, explorers, processes, shell, shell, clock, files, *codePage,
              platform::ProgramInfo{kProgramFolder, "Velmora", "C:\\Windows\\system32", 1, 4, 0}} {
    files.AddFolder(kProgramFolder);
}

}  // namespace velmora::sim
