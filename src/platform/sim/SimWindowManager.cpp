#include "platform/sim/SimWindowManager.h"

#include <algorithm>

namespace velmora::platform::sim {
namespace {

// Window classes match without regard to ASCII letter case, as on Windows.
bool SameClass(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

void Erase(std::vector<WindowHandle>& list, WindowHandle window) {
    list.erase(std::remove(list.begin(), list.end(), window), list.end());
}

}  // namespace

SimWindowManager::Window* SimWindowManager::Find(WindowHandle window) {
    auto it = windows_.find(window);
    return it == windows_.end() ? nullptr : &it->second;
}

const SimWindowManager::Window* SimWindowManager::Find(WindowHandle window) const {
    auto it = windows_.find(window);
    return it == windows_.end() ? nullptr : &it->second;
}

bool SimWindowManager::IsWindow(WindowHandle window) { return Find(window) != nullptr; }

WindowHandle SimWindowManager::GetParent(WindowHandle window) {
    const Window* data = Find(window);
    return data ? data->parent : 0;
}

bool SimWindowManager::SetParent(WindowHandle window, WindowHandle newParent) {
    journal_.Add("SetParent " + std::to_string(window) + " " + std::to_string(newParent));
    Window* data = Find(window);
    if (!data || parentRefused_ || window == newParent || (newParent != 0 && !Find(newParent))) return false;
    // A window cannot become a child of its own descendant.
    for (WindowHandle up = newParent; up != 0; up = Find(up)->parent) {
        if (up == window) return false;
    }
    Detach(window, *data);
    data->parent = newParent;
    if (newParent == 0) {
        zOrder_.insert(zOrder_.begin(), window);
    } else {
        Find(newParent)->children.push_back(window);
    }
    return true;
}

void SimWindowManager::ShowWindow(WindowHandle window, int command) {
    journal_.Add("ShowWindow " + std::to_string(window) + " " + std::to_string(command));
    Window* data = Find(window);
    if (!data) return;
    data->showCommand = command;
    data->visible = command != 0;  // SW_HIDE is the only command that hides
}

void SimWindowManager::MoveWindow(WindowHandle window, base::PixelRect rect) {
    journal_.Add("MoveWindow " + std::to_string(window) + " " + std::to_string(rect.left) + " " +
                 std::to_string(rect.top) + " " + std::to_string(rect.width) + " " + std::to_string(rect.height));
    if (Window* data = Find(window)) data->rect = rect;
}

base::PixelRect SimWindowManager::GetWindowRect(WindowHandle window) {
    const Window* data = Find(window);
    return data ? data->rect : base::PixelRect{};
}

bool SimWindowManager::SetForegroundWindow(WindowHandle window) {
    journal_.Add("SetForegroundWindow " + std::to_string(window));
    if (!Find(window)) return false;
    foreground_ = window;
    return true;
}

bool SimWindowManager::HotkeyTaken(std::uint32_t modifiers, std::uint32_t keyCode) const {
    auto same = [&](const HotkeyRegistration& r) { return r.modifiers == modifiers && r.keyCode == keyCode; };
    return std::any_of(hotkeys_.begin(), hotkeys_.end(), same) ||
           std::any_of(takenElsewhere_.begin(), takenElsewhere_.end(), same);
}

bool SimWindowManager::RegisterHotKey(WindowHandle window, int id, std::uint32_t modifiers, std::uint32_t keyCode) {
    journal_.Add("RegisterHotKey " + std::to_string(id) + " " + std::to_string(modifiers) + " " +
                 std::to_string(keyCode));
    if (!Find(window) || HotkeyTaken(modifiers, keyCode)) return false;
    hotkeys_.push_back({window, id, modifiers, keyCode});
    return true;
}

void SimWindowManager::UnregisterHotKey(WindowHandle window, int id) {
    journal_.Add("UnregisterHotKey " + std::to_string(id));
    std::erase_if(hotkeys_, [&](const HotkeyRegistration& r) { return r.window == window && r.id == id; });
}

WindowHandle SimWindowManager::FindChild(WindowHandle parent, WindowHandle after, std::string_view className) {
    const std::vector<WindowHandle>* list = &zOrder_;
    if (parent != 0) {
        const Window* data = Find(parent);
        if (!data) return 0;
        list = &data->children;
    }
    auto it = list->begin();
    if (after != 0) {
        it = std::find(list->begin(), list->end(), after);
        if (it == list->end()) return 0;  // FindWindowEx fails when `after` is not a child of `parent`
        ++it;
    }
    for (; it != list->end(); ++it) {
        if (SameClass(Find(*it)->className, className)) return *it;
    }
    return 0;
}

std::uint32_t SimWindowManager::GetListViewExtendedStyle(WindowHandle list) {
    const Window* data = Find(list);
    return data ? data->listViewStyle : 0;
}

void SimWindowManager::SetListViewExtendedStyle(WindowHandle list, std::uint32_t style) {
    journal_.Add("SetListViewExtendedStyle " + std::to_string(list) + " " + std::to_string(style));
    if (Window* data = Find(list)) {
        data->listViewStyle = style;
        ++data->setStyleCount;
    }
}

std::vector<WindowHandle> SimWindowManager::TopLevelWindows() { return zOrder_; }

std::string SimWindowManager::WindowTitle(WindowHandle window) {
    const Window* data = Find(window);
    return data ? data->title : std::string();
}

std::string SimWindowManager::ClassName(WindowHandle window) {
    const Window* data = Find(window);
    return data ? data->className : std::string();
}

bool SimWindowManager::IsWindowVisible(WindowHandle window) {
    // As on Windows: a window counts as visible only when all its parents are.
    for (const Window* data = Find(window); data; data = Find(data->parent)) {
        if (!data->visible) return false;
        if (data->parent == 0) return true;
    }
    return false;
}

WindowHandle SimWindowManager::GetOwner(WindowHandle window) {
    const Window* data = Find(window);
    return data ? data->owner : 0;
}

WindowIdentity SimWindowManager::GetIdentity(WindowHandle window) {
    const Window* data = Find(window);
    return data ? data->identity : WindowIdentity{};
}

bool SimWindowManager::Responds(WindowHandle window, std::uint32_t /*timeoutMs*/) {
    const Window* data = Find(window);
    return data != nullptr && !data->hung;
}

void SimWindowManager::PostClose(WindowHandle window) {
    journal_.Add("PostClose " + std::to_string(window));
    postedCloses_.push_back(window);
}

WindowHandle SimWindowManager::NextHandle() {
    if (reuseNext_ != 0 && !Find(reuseNext_)) {
        const WindowHandle reused = reuseNext_;
        reuseNext_ = 0;
        return reused;
    }
    reuseNext_ = 0;
    while (Find(nextHandle_)) nextHandle_ += 4;
    const WindowHandle handle = nextHandle_;
    nextHandle_ += 4;
    return handle;
}

WindowHandle SimWindowManager::Create(const SimWindowSpec& shape) {
    const WindowHandle handle = NextHandle();
    Window data;
    data.serial = nextSerial_++;
    data.className = shape.className;
    data.title = shape.title;
    data.parent = Find(shape.parent) ? shape.parent : 0;
    data.owner = Find(shape.owner) ? shape.owner : 0;
    data.visible = shape.visible;
    data.identity = shape.identity;
    if (data.parent == 0) {
        zOrder_.insert(zOrder_.begin(), handle);
    } else {
        Find(data.parent)->children.push_back(handle);
    }
    windows_.emplace(handle, std::move(data));
    return handle;
}

void SimWindowManager::Detach(WindowHandle window, const Window& data) {
    if (data.parent == 0) {
        Erase(zOrder_, window);
    } else if (Window* parent = Find(data.parent)) {
        Erase(parent->children, window);
    }
}

void SimWindowManager::Destroy(WindowHandle window) {
    Window* data = Find(window);
    if (!data) return;
    Detach(window, *data);
    std::vector<WindowHandle> doomed = data->children;
    for (const auto& [handle, other] : windows_) {
        if (other.owner == window) doomed.push_back(handle);
    }
    windows_.erase(window);
    std::erase_if(hotkeys_, [&](const HotkeyRegistration& r) { return r.window == window; });
    if (foreground_ == window) foreground_ = 0;
    for (WindowHandle child : doomed) Destroy(child);
}

void SimWindowManager::ReuseHandleNext(WindowHandle handle) { reuseNext_ = handle; }

std::uint64_t SimWindowManager::Serial(WindowHandle window) const {
    const Window* data = Find(window);
    return data ? data->serial : 0;
}

void SimWindowManager::SetTitle(WindowHandle window, std::string title) {
    if (Window* data = Find(window)) data->title = std::move(title);
}

void SimWindowManager::SetVisible(WindowHandle window, bool visible) {
    if (Window* data = Find(window)) data->visible = visible;
}

void SimWindowManager::SetHung(WindowHandle window, bool hung) {
    if (Window* data = Find(window)) data->hung = hung;
}

void SimWindowManager::SetListViewStyleQuietly(WindowHandle list, std::uint32_t style) {
    if (Window* data = Find(list)) data->listViewStyle = style;
}

std::vector<WindowHandle> SimWindowManager::Children(WindowHandle parent) const {
    const Window* data = Find(parent);
    return data ? data->children : std::vector<WindowHandle>{};
}

int SimWindowManager::LastShowCommand(WindowHandle window) const {
    const Window* data = Find(window);
    return data ? data->showCommand : 0;
}

int SimWindowManager::SetStyleCount(WindowHandle list) const {
    const Window* data = Find(list);
    return data ? data->setStyleCount : 0;
}

void SimWindowManager::TakeHotkeyElsewhere(std::uint32_t modifiers, std::uint32_t keyCode) {
    takenElsewhere_.push_back({0, 0, modifiers, keyCode});
}

bool SimWindowManager::PressHotkey(std::uint32_t modifiers, std::uint32_t keyCode) {
    for (const HotkeyRegistration& r : hotkeys_) {
        if (r.modifiers == modifiers && r.keyCode == keyCode) {
            if (hotkeySink_) hotkeySink_(r.window, r.id);
            return true;
        }
    }
    return false;
}

}  // namespace velmora::platform::sim
