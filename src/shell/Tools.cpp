#include "shell/Tools.h"

#include <string>

namespace velmora::shell {

using platform::MenuItem;
using platform::WindowHandle;

std::string Tools::ProgramFile(std::string_view name) const {
    // Plain concatenation: the folder never ends in "\".
    return desktop_.program.folder + std::string(name);
}

// --- The settings program ---------------------------------------------------------------------------------------

void Tools::RunOption() {
    // A program that cannot start (Option.exe missing) counts as ended: no message, and the reload still runs.
    option_ = desktop_.processes.Launch(ProgramFile(kOptionFile));
    // Every message is handled while waiting, so the window repaints, its timer ticks and its menus work; the
    // wait itself sleeps until a message arrives or the program ends.
    while (option_ && !option_->HasExited()) desktop_.clock.WaitForProcessOrMessage(*option_, kWaitSliceMs);
    option_.reset();
}

void Tools::BringOptionForward() {
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

// By its full path in the system folder: by its bare name it would be looked for in our own folder and the current
// one first, where anyone may have put a "control.exe".
void Tools::OpenControlPanel() {
    desktop_.processes.Start("\"" + desktop_.program.systemFolder + "\\control.exe\"", platform::kShowNormal);
}

void Tools::OpenFolderOptions() {
    desktop_.processes.Start("\"" + desktop_.program.systemFolder + "\\control.exe\" FOLDERS", platform::kShowMaximized);
}

// --- Help -------------------------------------------------------------------------------------------------------

void Tools::OnHelpMenuOpening() {
    // Asked at every opening: a read-me put in place while the program runs is offered at once.
    desktop_.window.SetEnabled(MenuItem::HelpReadMe, desktop_.files.FileExists(ProgramFile(kReadMeFile)));
}

void Tools::OpenReadMe() {
    const std::string readMe = ProgramFile(kReadMeFile);
    // It may have gone since the menu was opened.
    if (!desktop_.files.FileExists(readMe)) return;
    desktop_.shell.Open(desktop_.window.Handle(), readMe);
}

void Tools::OpenHomePage() { desktop_.shell.Open(desktop_.window.Handle(), std::string(kHomePage)); }

void Tools::ShowAbout() { desktop_.window.ShowMessage(AboutText(desktop_.program), desktop_.program.title); }

std::string Tools::AboutText(const platform::ProgramInfo& program) {
    return program.title + " Ver" + std::to_string(program.versionMajor) + "." + std::to_string(program.versionMinor) +
           "." + std::to_string(program.versionRevision) + "\t作者 Quonda";
}

}  // namespace velmora::shell
