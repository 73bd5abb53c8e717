#include "platform/sim/SimExplorer.h"

#include <array>
#include <cstdint>
#include <optional>

namespace velmora::platform::sim {
namespace {

struct SpecialFolder {
    std::int16_t number;
    const char* name;
    const char* path;
};

// What a Japanese Windows shows for the special folders the program uses.
constexpr std::array<SpecialFolder, 4> kSpecialFolders{{
    {3, "コントロール パネル", "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\::{21EC2020-3AEA-1069-A2DD-08002B30309D}"},
    {10, "ごみ箱", "::{645FF040-5081-101B-9F08-00AA002F954E}"},
    {17, "PC", "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}"},
    {18, "ネットワーク", "::{F02C1A0D-BE21-4350-88B0-7367FC96EF3C}"},
}};

std::string LastName(std::string path) {
    while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    if (path.size() <= 3 && path.size() >= 2 && path[1] == ':') return path.substr(0, 2);  // a drive
    const auto cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace

class SimExplorerWindow : public ExplorerWindow {
public:
    SimExplorerWindow(SimExplorerFactory& factory, std::shared_ptr<SimExplorerRecord> record, int number)
        : factory_(factory), record_(std::move(record)), name_("Explorer#" + std::to_string(number)) {}

    ~SimExplorerWindow() override {
        record_->released = true;
        Note("released");
    }

    bool Navigate2(const NavigateTarget& target) override {
        if (const auto* number = std::get_if<std::int16_t>(&target)) {
            Note("Navigate2 " + std::to_string(*number));
        } else {
            Note("Navigate2 " + std::get<std::string>(target));
        }
        if (!Usable(ExplorerCall::Navigate2)) return false;
        std::optional<std::pair<std::string, std::string>> shown;
        for (const SpecialFolder& folder : kSpecialFolders) {
            const auto* number = std::get_if<std::int16_t>(&target);
            const auto* path = std::get_if<std::string>(&target);
            if ((number && *number == folder.number) || (path && *path == folder.path)) {
                shown.emplace(folder.name, folder.path);
            }
        }
        if (const auto* path = std::get_if<std::string>(&target);
            !shown && path && !path->starts_with("::{") && factory_.files_.DirectoryExists(*path)) {
            shown.emplace(LastName(*path), *path);
        }
        if (!shown) return false;
        record_->folderName = shown->first;
        record_->folderPath = shown->second;
        record_->navigations.push_back(target);
        factory_.windows_.SetTitle(record_->window, shown->first);
        return true;
    }

    bool ShowBrowserBar(std::string_view classId, bool show) override {
        Note("ShowBrowserBar " + std::string(classId) + (show ? " true" : " false"));
        if (!Usable(ExplorerCall::ShowBrowserBar)) return false;
        record_->browserBarId = classId;
        record_->browserBarShown = show;
        return true;
    }

    std::optional<WindowHandle> Hwnd() override {
        if (!Usable(ExplorerCall::Hwnd)) return std::nullopt;
        return record_->window;
    }

    bool SetCurrentViewMode(std::int32_t mode) override {
        Note("SetCurrentViewMode " + std::to_string(mode));
        if (!Usable(ExplorerCall::SetCurrentViewMode) || record_->folderPath.empty()) return false;
        record_->viewMode = mode;
        return true;
    }

    std::optional<std::string> FolderName() override {
        if (!Usable(ExplorerCall::FolderName) || record_->folderPath.empty()) return std::nullopt;
        return record_->folderName;
    }

    std::optional<std::string> FolderPath() override {
        if (!Usable(ExplorerCall::FolderPath) || record_->folderPath.empty()) return std::nullopt;
        return record_->folderPath;
    }

    bool SetVisible(bool visible) override {
        Note(visible ? "SetVisible true" : "SetVisible false");
        if (!Usable(ExplorerCall::SetVisible)) return false;
        record_->visible = visible;
        factory_.windows_.SetVisible(record_->window, visible);
        return true;
    }

    bool Quit() override {
        Note("Quit");
        if (!Usable(ExplorerCall::Quit)) return false;
        record_->quit = true;
        factory_.windows_.Destroy(record_->window);
        return true;
    }

private:
    // An object whose window is gone answers nothing, like a disconnected
    // automation object; a new window under the same handle number is not its.
    bool Usable(ExplorerCall call) const {
        return factory_.failing_.count(call) == 0 && !record_->quit &&
               factory_.windows_.Serial(record_->window) == record_->windowSerial;
    }
    void Note(const std::string& what) { factory_.journal_.Add(name_ + " " + what); }

    SimExplorerFactory& factory_;
    std::shared_ptr<SimExplorerRecord> record_;
    std::string name_;
};

void SimExplorerFactory::SetCallFails(ExplorerCall call, bool fails) {
    if (fails) {
        failing_.insert(call);
    } else {
        failing_.erase(call);
    }
}

WindowHandle SimExplorerFactory::BuildListChain(WindowHandle top) {
    const WindowIdentity shell{kShellProcessId, kShellProcessId + 1};
    auto child = [&](WindowHandle parent, const char* className) {
        return windows_.Create({className, "", parent, 0, true, shell});
    };
    switch (chain_) {
        case ListChain::Full: {
            const WindowHandle container =
                child(child(child(top, "ShellTabWindowClass"), "DUIViewWndClassName"), "DirectUIHWND");
            child(container, "CtrlNotifySink");  // the navigation pane's sink: no view inside
            return child(child(child(container, "CtrlNotifySink"), "SHELLDLL_DefView"), "SysListView32");
        }
        case ListChain::Short:
            return child(child(top, "SHELLDLL_DefView"), "SysListView32");
        case ListChain::None:
            break;
    }
    return 0;
}

std::unique_ptr<ExplorerWindow> SimExplorerFactory::Create() {
    journal_.Add("CreateExplorer");
    if (createFails_) return nullptr;
    auto record = std::make_shared<SimExplorerRecord>();
    // The object starts invisible.
    record->window =
        windows_.Create({"CabinetWClass", "", 0, 0, false, WindowIdentity{kShellProcessId, kShellProcessId + 1}});
    record->windowSerial = windows_.Serial(record->window);
    record->list = BuildListChain(record->window);
    created_.push_back(record);
    return std::make_unique<SimExplorerWindow>(*this, record, static_cast<int>(created_.size()));
}

void SimExplorerFactory::CloseFromInside(SimExplorerRecord& record) { windows_.Destroy(record.window); }

}  // namespace velmora::platform::sim
