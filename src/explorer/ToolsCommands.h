#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Desktop.h"
#include "platform/Processes.h"
#include "shell/FormState.h"

namespace velmora::explorer {

// The main form's own steps that the settings command runs around the
// settings program. Each must be set.
struct SettingsReload {
    std::function<void()> unregisterHotkeys;  // hotkey 256, then 257
    std::function<void()> loadPaneOffsets;
    std::function<void()> registerHotkeys;
    std::function<void()> loadAppList;
    std::function<void()> fitHostedWindows;
    std::function<void()> applyListStyles;  // pane 1, then pane 2, each only while its window lives
};

// The Tools and Help menus of the main form: the settings program, started
// and waited for, then reloaded from; two parts of the Control Panel; the
// read-me file, the home page and the About box.
class ToolsCommands {
public:
    static constexpr std::string_view kOptionFile = "\\Option.exe";
    static constexpr std::string_view kReadMeFile = "\\ReadMe.txt";
    static constexpr std::string_view kHomePage = "https://www.example.com/velmora/";
    static constexpr std::string_view kControlPanel = "control.exe";
    static constexpr std::string_view kFolderOptions = "control.exe FOLDERS";
    // The wait wakes on every message and on the program's end; the bound only
    // keeps a lost wake-up from holding the window for longer than this.
    static constexpr std::uint32_t kWaitSliceMs = 1000;

    ToolsCommands(platform::Desktop& desktop, shell::FormState& state, SettingsReload reload);
    ToolsCommands(const ToolsCommands&) = delete;
    ToolsCommands& operator=(const ToolsCommands&) = delete;

    // "オプション(&O)...": runs the settings program and waits for it, with the
    // window working meanwhile, then takes over what it may have changed.
    // Chosen again while the program runs, it brings that program forward.
    void RunOption();
    // "コントロールパネル(&C)..." and "フォルダオプション(&F)...": started, not waited for.
    void OpenControlPanel();
    void OpenFolderOptions();
    // The Help menu is about to drop down: its read-me entry is usable only
    // while there is a read-me to open.
    void OnHelpMenuOpening();
    void OpenReadMe();
    void OpenHomePage();
    void ShowAbout();

    // "Velmora Ver1.4.0<tab>作者 Quonda" for that program.
    static std::string AboutText(const platform::ProgramInfo& program);

private:
    std::string ProgramFile(std::string_view name) const;
    // Starts the program and returns once it has ended; at once when it could not start.
    void RunAndWait(const std::string& path);
    void BringRunningOptionForward();

    platform::Desktop& desktop_;
    shell::FormState& state_;
    SettingsReload reload_;
    // The settings program while it is waited for.
    std::unique_ptr<platform::RunningProcess> option_;
};

}  // namespace velmora::explorer
