#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/Explorer.h"
#include "settings/FileSystem.h"
#include "platform/sim/SimJournal.h"
#include "platform/sim/SimWindowManager.h"

namespace velmora::platform::sim {

// The calls of an Explorer object that a test can make fail.
enum class ExplorerCall {
    Navigate2,
    ShowBrowserBar,
    Hwnd,
    SetCurrentViewMode,
    FolderName,
    FolderPath,
    SetVisible,
    Quit
};

// Which window chain leads to the file list inside an Explorer window.
enum class ListChain {
    Full,   // ShellTabWindowClass > DUIViewWndClassName > DirectUIHWND > CtrlNotifySink > SHELLDLL_DefView >
            // SysListView32
    Short,  // SHELLDLL_DefView > SysListView32 directly under the top-level window
    None,   // no list anywhere (a window still being built)
};

// One Explorer object as a test sees it, also after the program released it.
struct SimExplorerRecord {
    WindowHandle window = 0;
    std::uint64_t windowSerial = 0;
    WindowHandle list = 0;  // its SysListView32, 0 for ListChain::None
    bool visible = false;
    bool browserBarShown = false;
    std::string browserBarId;
    int viewMode = 0;
    std::string folderName;
    std::string folderPath;
    std::vector<NavigateTarget> navigations;  // the successful ones
    bool quit = false;
    bool released = false;  // the program let go of its object
};

// Creates Explorer windows on the simulated desktop: a top-level window of the
// shell's process with the inner windows that lead to its file list. Navigation
// knows the four special folders and every folder of the file system.
class SimExplorerFactory : public ExplorerFactory {
public:
    static constexpr std::uint32_t kShellProcessId = 2000;

    SimExplorerFactory(SimWindowManager& windows, settings::FileSystem& files, Journal& journal)
        : windows_(windows), files_(files), journal_(journal) {}

    std::unique_ptr<ExplorerWindow> Create() override;

    // Create returns nullptr (the object cannot be made, as under UAC).
    void SetCreateFails(bool fails) { createFails_ = fails; }
    // The call fails on every object, the ones made earlier too.
    void SetCallFails(ExplorerCall call, bool fails);
    void SetListChain(ListChain chain) { chain_ = chain; }

    // Every object made, in order.
    const std::vector<std::shared_ptr<SimExplorerRecord>>& Created() const { return created_; }
    // The user closes the window from its own controls.
    void CloseFromInside(SimExplorerRecord& record);

private:
    friend class SimExplorerWindow;
    WindowHandle BuildListChain(WindowHandle top);

    SimWindowManager& windows_;
    settings::FileSystem& files_;
    Journal& journal_;
    bool createFails_ = false;
    std::set<ExplorerCall> failing_;
    ListChain chain_ = ListChain::Full;
    std::vector<std::shared_ptr<SimExplorerRecord>> created_;
};

}  // namespace velmora::platform::sim
