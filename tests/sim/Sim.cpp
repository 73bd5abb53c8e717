#include "sim/Sim.h"

namespace velmora::sim {
namespace {

using platform::Control;
using platform::WindowState;

// Class names, paths and extensions all match without regard to letter case.
const auto Folded = MemoryFileSystem::Normalize;

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

const Window& Windows::Get(WindowHandle window) {
    static const Window nobody{"", "", 0, 0, false, true};
    const Window* data = Find(window);
    return data ? *data : nobody;
}

bool Windows::Reparent(WindowHandle window, WindowHandle parent) {
    Window* data = Find(window);
    if (!data || parenting == Parenting::Refused || (parent != 0 && !Find(parent))) return false;
    if (parenting == Parenting::Ignored) return true;
    std::erase(zOrder_, window);
    if (parent == 0) zOrder_.insert(zOrder_.begin(), window);
    data->parent = parent;
    return true;
}

bool Windows::ReleaseToDesktop(WindowHandle window) {
    journal_.Add("ReleaseToDesktop", window);
    return Reparent(window, 0) && (Find(window)->visible = true);
}

WindowHandle Windows::FindChild(WindowHandle parent, WindowHandle after, std::string_view className) {
    ++childSearches;
    const std::string wanted = Folded(std::string(className));
    for (auto it = windows_.upper_bound(after); it != windows_.end(); ++it) {
        if (it->second.parent == parent && Folded(it->second.className) == wanted) return it->first;
    }
    return 0;
}

bool Windows::IsWindowVisible(WindowHandle window) {
    // As on Windows: visible only when all its parents are.
    for (const Window* data = &Get(window); data->visible; data = &Get(data->parent)) {
        if (data->parent == 0) return true;
    }
    return false;
}

WindowHandle Windows::Create(Window shape) {
    WindowHandle handle = std::exchange(reuseNext, 0);
    while (handle == 0 || Find(handle)) handle = next_ += 4;
    if (!Find(shape.parent)) shape.parent = 0;
    if (shape.parent == 0) zOrder_.insert(zOrder_.begin(), handle);
    windows_.emplace(handle, std::move(shape));
    return handle;
}

void Windows::Destroy(WindowHandle window) {
    if (windows_.erase(window) == 0) return;
    std::erase(zOrder_, window);
    std::vector<WindowHandle> doomed;
    for (const auto& [handle, other] : windows_) {
        if (other.parent == window || other.owner == window) doomed.push_back(handle);
    }
    for (WindowHandle other : doomed) Destroy(other);
}

void Clock::RunUntil(std::uint64_t until, const std::function<bool()>& done) {
    while (!done() && !actions_.empty() && actions_.begin()->first <= until) {
        auto node = actions_.extract(actions_.begin());
        now_ = node.key();
        node.mapped()();
    }
    if (!done()) now_ = until;
}

void Clock::WaitForProcessOrMessage(platform::RunningProcess& process, std::uint32_t timeoutMs) {
    RunUntil(now_ + timeoutMs, [&] { return process.HasExited() || !messages_.empty(); });
    PumpPendingMessages();
}

std::unique_ptr<platform::RunningProcess> Processes::Spawn(const std::string& path) {
    auto it = std::find_if(programs.begin(), programs.end(), [&](auto& p) { return Folded(p.first) == Folded(path); });
    if (it == programs.end()) return nullptr;
    const Program program = it->second;
    const std::uint32_t id = next_ += 4;
    if (program.kind != Program::ExitsAtOnce) running_.insert(id);
    clock_.After(program.windowDelayMs, [this, id, program] {
        if (!Running(id)) return;
        const platform::WindowIdentity identity{id, id + 1};
        Window shape{"SimProgramWindow", program.kind == Program::Untitled ? "" : "Program", 0, 0, true,
                     program.kind == Program::Hung, identity};
        if (program.kind == Program::OwnedOnly) {
            shape.owner = windows_.Create({"SimHiddenOwner", "Program", 0, 0, false, false, identity});
            opened_[id].push_back(shape.owner);
        }
        opened_[id].push_back(windows_.Create(shape));
    });
    return std::make_unique<RunningProcess>(*this, id);
}

std::unique_ptr<platform::RunningProcess> Processes::Start(const std::string& commandLine, int showCommand) {
    journal_.Add("Start", commandLine, showCommand);
    // Our programs always quote the program's path.
    return Spawn(commandLine.substr(1, commandLine.find('"', 1) - 1));
}

bool Processes::WaitForInputIdle(platform::RunningProcess& process, std::uint32_t timeoutMs) {
    // Ready for input once its window is open; a hung program never is.
    const auto& opened = opened_[process.ProcessId()];
    auto ready = [&] { return !opened.empty() && windows_.Responds(opened.back(), 0); };
    clock_.RunUntil(clock_.now_ + timeoutMs, [&] { return ready() || process.HasExited(); });
    return ready();
}

std::optional<std::string> Processes::AssociatedProgram(const std::string& document) {
    const auto dot = document.rfind('.');
    const auto it = associations.find(dot == std::string::npos ? "" : Folded(document.substr(dot + 1)));
    return it == associations.end() ? std::nullopt : std::optional(it->second);
}

void Processes::EndProcess(std::uint32_t processId) {
    running_.erase(processId);
    for (WindowHandle window : opened_[processId]) {
        // The handle may already belong to someone else's window.
        if (windows_.GetIdentity(window).processId == processId) windows_.Destroy(window);
    }
}

class ExplorerObject final : public platform::ExplorerWindow {
public:
    ExplorerObject(Explorers& factory, WindowHandle window, std::size_t number)
        : factory_(factory), window_(window), name_("Explorer#" + std::to_string(number)) {}
    ~ExplorerObject() override { factory_.journal_.Add(name_, "released"); }

    bool Navigate2(const platform::NavigateTarget& target) override {
        const auto* number = std::get_if<std::int16_t>(&target);
        const std::string text = number ? std::to_string(*number) : std::get<std::string>(target);
        if (!Call("Navigate2 " + text)) return false;
        // Of the special folders only Computer, as a Japanese system shows it: the window starts there.
        if (number ? *number != 17 : !factory_.files_.DirectoryExists(text)) return false;
        folder_ = number ? std::pair<std::string, std::string>{"PC", "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}"}
                         : std::pair{text.substr(text.find_last_of('\\') + 1), text};
        return true;
    }
    bool ShowBrowserBar(std::string_view classId, bool show) override {
        return Call("ShowBrowserBar " + std::string(classId) + (show ? " true" : " false"));
    }
    std::optional<WindowHandle> Hwnd() override { return Call("Hwnd") ? std::optional(window_) : std::nullopt; }
    bool SetCurrentViewMode(std::int32_t mode) override { return Call("CurrentViewMode " + std::to_string(mode)); }
    std::optional<std::string> FolderName() override { return Folder("FolderName", folder_.first); }
    std::optional<std::string> FolderPath() override { return Folder("FolderPath", folder_.second); }
    bool SetVisible(bool visible) override {
        if (!Call(visible ? "Visible true" : "Visible false")) return false;
        factory_.windows_.Find(window_)->visible = visible;
        return true;
    }
    bool Quit() override { return Call("Quit") && (factory_.windows_.Destroy(window_), true); }

private:
    // An object whose window is gone answers nothing, like a disconnected automation object.
    bool Call(const std::string& line) {
        factory_.journal_.Add(name_, line);
        return factory_.failingCalls.count(line.substr(0, line.find(' '))) == 0 &&
               factory_.windows_.GetIdentity(window_).processId == Explorers::kShellProcessId;
    }
    std::optional<std::string> Folder(const char* member, const std::string& value) {
        if (!Call(member) || folder_.second.empty()) return std::nullopt;
        return value;
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
    const WindowHandle view = child(child(top, "ShellTabWindowClass"), "DUIViewWndClassName");
    const WindowHandle container = child(view, "DirectUIHWND");
    child(container, "CtrlNotifySink");  // the navigation pane's sink: no view inside
    const WindowHandle list = child(child(child(container, "CtrlNotifySink"), "SHELLDLL_DefView"), "SysListView32");
    made.emplace_back(top, list);
    return std::make_unique<ExplorerObject>(*this, top, made.size());
}

Form::Form(Windows& windows, Journal& journal) : Journaled{journal}, windows_(windows) {
    const platform::WindowIdentity own{kProcessId, kProcessId + 1};
    handle_ = windows_.Create({"VelmoraMain", "Velmora", 0, 0, false, false, own});
    for (WindowHandle& frame : frames) frame = windows_.Create({"VelmoraFrame", "", handle_, 0, true, false, own});
}

base::TwipsRect Form::OuterRect() {
    if (state_ == WindowState::Maximized) return {-8 * tpp, -8 * tpp, 1936 * tpp, 1056 * tpp};
    if (state_ == WindowState::Minimized) return {-32000 * tpp, -32000 * tpp, 160 * tpp, 28 * tpp};
    return normal_;
}

void Form::MoveOuter(const base::TwipsRect& rect) {
    journal_.Add("MoveOuter", rect.left, rect.top, rect.width, rect.height);
    const bool resized = rect.width != normal_.width || rect.height != normal_.height;
    // Outside the normal state the move changes the place the window is restored to.
    normal_ = rect;
    if (resized && state_ == WindowState::Normal && Live()) events_->OnResize();
}

void Form::Close(const char* request, bool (Events::*refused)(), void (Events::*closing)()) {
    journal_.Add(request);
    if (!Live() || (events_->*refused)()) return;
    (events_->*closing)();
    unloaded = true;
    // Child windows go with their parent, hosted ones too if still inside.
    windows_.Destroy(handle_);
}
void Form::Place(Control control, const base::TwipsRect& rect) {
    base::TwipsRect& current = controls[control].first;
    const bool resized = rect.width != current.width || rect.height != current.height;
    current = rect;
    const int frame = static_cast<int>(control);  // the picFrames come first
    if (frame <= static_cast<int>(Control::PicFrame2) && resized && Live()) events_->OnFrameResize(frame);
}

Form::Tab& Form::TabAt(Strip strip, int tab) {
    none_ = {};
    return tab >= 1 && tab <= TabCount(strip) ? TabsOf(strip)[static_cast<std::size_t>(tab - 1)] : none_;
}

void Form::RemoveTab(Strip strip, int tab) {
    if (tab < 1 || tab > TabCount(strip)) return;
    TabsOf(strip).erase(TabsOf(strip).begin() + (tab - 1));
    int& current = selected[static_cast<std::size_t>(strip)];
    current = current == tab ? 0 : current > tab ? current - 1 : current;
}

void Form::MoveTab(Strip strip, int from, int to) {
    auto& list = TabsOf(strip);
    Tab tab = list.at(static_cast<std::size_t>(from - 1));
    list.erase(list.begin() + (from - 1));
    list.insert(list.begin() + (to - 1), std::move(tab));
}

void Form::Start(Events& events) {
    events_ = &events;
    events.OnLoad();
    if (!Live()) return;
    windows_.Find(handle_)->visible = true;
    // Showing a window for the first time sizes it.
    events.OnResize();
}

Desktop::Desktop()
    : codePage(settings::MakeCp932CodePage()),
      desktop{form, windows, explorers, processes, shell, shell, clock, files, *codePage,
              platform::ProgramInfo{kProgramFolder, "Velmora", "C:\\Windows\\system32", 1, 4, 0}} {
    for (const char* folder : {kProgramFolder, "C:\\Work\\A", "C:\\Work\\B"}) files.AddFolder(folder);
}

}  // namespace velmora::sim
