#include "explorer/ToolsCommands.h"

#include <string>
#include <utility>

namespace velmora::explorer {

using platform::MenuItem;
using platform::WindowHandle;

ToolsCommands::ToolsCommands(platform::Desktop& desktop, shell::FormState& state, SettingsReload reload)
    : desktop_(desktop), state_(state), reload_(std::move(reload)) {}

std::string ToolsCommands::ProgramFile(std::string_view name) const {
    // Plain concatenation: the folder never ends in "\".
    return desktop_.program.folder + std::string(name);
}

// --- The settings program ---------------------------------------------------------------------------------------

void ToolsCommands::RunOption() {
    if (state_.optionRunning) {
        // A second copy waited for inside this wait would end its wait first and clear optionRunning while the
        // first copy still runs, and the close would no longer be refused; two copies would also overwrite each
        // other's settings. The one that runs is what the user is looking for.
        BringRunningOptionForward();
        return;
    }
    // Registered hotkeys would swallow the combinations the user presses in the settings program's hotkey fields.
    reload_.unregisterHotkeys();
    RunAndWait(ProgramFile(kOptionFile));
    // Everything the settings program can change, taken over without a restart.
    reload_.loadPaneOffsets();
    reload_.registerHotkeys();
    reload_.loadAppList();
    reload_.fitHostedWindows();
    reload_.applyListStyles();
}

void ToolsCommands::RunAndWait(const std::string& path) {
    state_.optionRunning = true;
    // A program that cannot start (Option.exe missing) counts as ended: no message, and the reload still runs.
    option_ = desktop_.processes.Launch(path);
    // Every message is handled while waiting, so the window repaints, its timer ticks and its menus work; the
    // wait itself sleeps until a message arrives or the program ends.
    while (option_ && !option_->HasExited()) desktop_.clock.WaitForProcessOrMessage(*option_, kWaitSliceMs);
    option_.reset();
    state_.optionRunning = false;
}

void ToolsCommands::BringRunningOptionForward() {
    if (!option_) return;
    const std::uint32_t processId = option_->ProcessId();
    platform::WindowManager& windows = desktop_.windows;
    for (const WindowHandle window : windows.TopLevelWindows()) {
        // The top-most visible window of the program: its form, or a box the form has open over it.
        if (windows.GetIdentity(window).processId == processId && windows.IsWindowVisible(window)) {
            windows.SetForegroundWindow(window);
            return;
        }
    }
}

// --- Control Panel ----------------------------------------------------------------------------------------------

void ToolsCommands::OpenControlPanel() { desktop_.processes.Start(std::string(kControlPanel), platform::kShowNormal); }

void ToolsCommands::OpenFolderOptions() {
    desktop_.processes.Start(std::string(kFolderOptions), platform::kShowMaximized);
}

// --- Help -------------------------------------------------------------------------------------------------------

void ToolsCommands::OnHelpMenuOpening() {
    // Asked at every opening: a read-me put in place while the program runs is offered at once.
    desktop_.window.SetEnabled(MenuItem::HelpReadMe, desktop_.files.FileExists(ProgramFile(kReadMeFile)));
}

void ToolsCommands::OpenReadMe() {
    const std::string readMe = ProgramFile(kReadMeFile);
    // It may have gone since the menu was opened.
    if (!desktop_.files.FileExists(readMe)) return;
    desktop_.shell.Open(desktop_.window.Handle(), readMe);
}

void ToolsCommands::OpenHomePage() { desktop_.shell.Open(desktop_.window.Handle(), std::string(kHomePage)); }

void ToolsCommands::ShowAbout() { desktop_.window.ShowMessage(AboutText(desktop_.program), desktop_.program.title); }

std::string ToolsCommands::AboutText(const platform::ProgramInfo& program) {
    return program.title + " Ver" + std::to_string(program.versionMajor) + "." + std::to_string(program.versionMinor) +
           "." + std::to_string(program.versionRevision) + "\t作者 Quonda";
}

}  // namespace velmora::explorer
