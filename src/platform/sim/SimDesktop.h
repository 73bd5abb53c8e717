#pragma once

#include <memory>
#include <string>

#include "platform/Desktop.h"
#include "platform/sim/MemoryFileSystem.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimExplorer.h"
#include "platform/sim/SimJournal.h"
#include "platform/sim/SimMainWindow.h"
#include "platform/sim/SimProcesses.h"
#include "platform/sim/SimShell.h"
#include "platform/sim/SimWindowManager.h"

namespace velmora::platform::sim {

// One simulated machine with Velmora installed: every platform service of the
// main form, wired together, and the platform::Desktop that hands them out.
// Hotkeys pressed on it arrive in the main window's message queue and reach
// the form when the queue is pumped.
class SimDesktop {
public:
    static constexpr const char* kProgramFolder = "C:\\Program Files\\Velmora";

    SimDesktop();
    SimDesktop(const SimDesktop&) = delete;
    SimDesktop& operator=(const SimDesktop&) = delete;

    platform::Desktop& desktop() { return desktop_; }
    std::string SettingsPath() const { return std::string(kProgramFolder) + "\\setting.ini"; }

    Journal& journal() { return journal_; }
    MemoryFileSystem& files() { return files_; }
    settings::CodePage& codePage() { return *codePage_; }
    SimClock& clock() { return clock_; }
    SimWindowManager& windows() { return windows_; }
    SimExplorerFactory& explorers() { return explorers_; }
    SimProcesses& processes() { return processes_; }
    SimShell& shell() { return shell_; }
    SimClipboard& clipboard() { return clipboard_; }
    SimMainWindow& window() { return window_; }

private:
    Journal journal_;
    MemoryFileSystem files_;
    std::unique_ptr<settings::CodePage> codePage_;
    SimClock clock_;
    SimWindowManager windows_;
    SimExplorerFactory explorers_;
    SimProcesses processes_;
    SimShell shell_;
    SimClipboard clipboard_;
    SimMainWindow window_;
    platform::Desktop desktop_;
};

}  // namespace velmora::platform::sim
