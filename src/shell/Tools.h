#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Desktop.h"

namespace velmora::shell {

// The Tools and Help menus of the main form: the settings program, started and waited for; two parts of the
// Control Panel; the read-me file, the home page and the About box.
class Tools {
public:
    static constexpr std::string_view kOptionFile = "\\Option.exe";
    static constexpr std::string_view kReadMeFile = "\\ReadMe.txt";
    static constexpr std::string_view kHomePage = "https://www.example.com/velmora/";
    // The wait wakes on every message and on the program's end; the bound only keeps a lost wake-up from holding
    // the window for longer than this.
    static constexpr std::uint32_t kWaitSliceMs = 1000;

    explicit Tools(platform::Desktop& desktop) : desktop_(desktop) {}
    Tools(const Tools&) = delete;
    Tools& operator=(const Tools&) = delete;

    // optionRunning: the settings program runs and is waited for.
    bool OptionRunning() const { return option_ != nullptr; }
    // RunAndWait for Option.exe: returns once it has ended (at once when it could not start), the window working
    // meanwhile: messages are handled, so handlers may run nested inside the wait.
    void RunOption();
    // The settings program is already running: its top-most visible window comes forward.
    void BringOptionForward();
    // "コントロールパネル(&C)..." and "フォルダオプション(&F)...": started, not waited for.
    void OpenControlPanel();
    void OpenFolderOptions();
    // The Help menu is about to drop down: its read-me entry is usable only while there is a read-me to open.
    void OnHelpMenuOpening();
    void OpenReadMe();
    void OpenHomePage();
    void ShowAbout();

    // "Velmora Ver1.4.0<tab>作者 Quonda" for that program.
    static std::string AboutText(const platform::ProgramInfo& program);

private:
    std::string ProgramFile(std::string_view name) const;

    platform::Desktop& desktop_;
    // The settings program while it is waited for.
    std::unique_ptr<platform::RunningProcess> option_;
};

}  // namespace velmora::shell
