#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "explorer/ToolsCommands.h"
#include "platform/sim/SimDesktop.h"
#include "settings/ProfileStore.h"
#include "shell/MainForm.h"

namespace velmora::explorer {
namespace {

using platform::MenuItem;
using platform::Strip;
using platform::sim::OpenRecord;
using platform::sim::ProgramKind;
using platform::sim::SimDesktop;
using platform::sim::SimProgram;

constexpr char kOptionPath[] = "C:\\Program Files\\Velmora\\Option.exe";
constexpr char kReadMePath[] = "C:\\Program Files\\Velmora\\ReadMe.txt";

std::string Crlf(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// Where the first journal entry that begins with prefix stands; the journal's size when none does.
std::size_t IndexOf(const std::vector<std::string>& journal, std::string_view prefix) {
    const auto found = std::find_if(journal.begin(), journal.end(),
                                    [&](const std::string& entry) { return entry.starts_with(prefix); });
    return static_cast<std::size_t>(found - journal.begin());
}

SimProgram OptionProgram(std::uint32_t exitAfterMs) {
    SimProgram program;
    program.kind = ProgramKind::Normal;
    program.title = "Option";
    program.className = "VelmoraOption";
    program.exitAfterMs = exitAfterMs;
    return program;
}

// --- The settings command on its own: each reload step records when it ran --------------------------------------

class SettingsCommandTest : public ::testing::Test {
protected:
    // A step notes its name in the journal, with the clock and whether the settings program still counts as running.
    std::function<void()> Step(std::string name) {
        return [this, name] {
            sim_.journal().Add("step " + name + " at " + std::to_string(sim_.clock().NowMs()) +
                               (state_.optionRunning ? " running" : ""));
        };
    }

    SimDesktop sim_;
    shell::FormState state_;
    ToolsCommands tools_{sim_.desktop(), state_,
                         SettingsReload{Step("unregister"), Step("offsets"), Step("register"), Step("apps"),
                                        Step("fit"), Step("styles")}};
};

TEST_F(SettingsCommandTest, WaitsUntilTheProgramEndsThenReloadsInOrder) {
    sim_.processes().RegisterProgram(kOptionPath, OptionProgram(2500));
    bool runningDuringWait = false;
    sim_.clock().After(1200, [&] { sim_.clock().Post([&] { runningDuringWait = state_.optionRunning; }); });

    tools_.RunOption();

    // The reload follows the end at once: the wait wakes on it rather than polling past it.
    EXPECT_EQ(sim_.journal().Entries(),
              (std::vector<std::string>{"step unregister at 0", std::string("Launch ") + kOptionPath,
                                        "step offsets at 2500", "step register at 2500", "step apps at 2500",
                                        "step fit at 2500", "step styles at 2500"}));
    EXPECT_TRUE(runningDuringWait);
    EXPECT_FALSE(state_.optionRunning);
}

TEST_F(SettingsCommandTest, AboutTextHasNoBlankAfterVerAndOneTabBeforeTheAuthor) {
    EXPECT_EQ(ToolsCommands::AboutText({"C:\\x", "Velmora", 1, 4, 0}), "Velmora Ver1.4.0\t作者 Quonda");
    EXPECT_EQ(ToolsCommands::AboutText({"C:\\x", "Other", 12, 0, 305}), "Other Ver12.0.305\t作者 Quonda");
}

// --- Through the main form's menus ------------------------------------------------------------------------------

class ToolsMenuTest : public ::testing::Test {
protected:
    ToolsMenuTest() { sim_.window().AttachEvents(&form_); }

    void WriteSettings(std::string_view utf8) {
        sim_.files().SetFile(sim_.SettingsPath(), *sim_.codePage().FromUtf8(Crlf(utf8)));
    }
    platform::sim::SimMainWindow& window() { return sim_.window(); }
    // Something the user does while the settings program runs: a message handled inside the wait.
    void During(std::uint32_t atMs, std::function<void()> action) {
        sim_.clock().After(atMs, [this, action] { sim_.clock().Post(action); });
    }
    const std::vector<std::string>& Journal() { return sim_.journal().Entries(); }
    int Launches() {
        const auto& starts = sim_.processes().Starts();
        return static_cast<int>(std::count_if(starts.begin(), starts.end(),
                                              [](const auto& start) { return start.commandLine == kOptionPath; }));
    }

    SimDesktop sim_;
    settings::ProfileStore store_{sim_.files(), sim_.codePage()};
    shell::MainForm form_{sim_.desktop(), store_};
};

TEST_F(ToolsMenuTest, WhatTheSettingsProgramChangedTakesEffectWithoutARestart) {
    WriteSettings("[setting]\nModkey1=6\nHotkey1=120\n[App]\nOld=C:\\old.exe\n");
    window().Start();
    const platform::WindowHandle pane1 = form_.state().paneWindow[0];
    const platform::WindowHandle list1 = sim_.explorers().Created().at(0)->list;
    const platform::WindowHandle list2 = sim_.explorers().Created().at(1)->list;
    ASSERT_NE(list1, 0u);
    sim_.processes().RegisterProgram(kOptionPath, OptionProgram(3000));
    // What the user does in the settings program, saved before it ends.
    sim_.clock().After(2000, [this] {
        WriteSettings(
            "[setting]\nModkey1=2\nHotkey1=65\n[App]\nOld=C:\\old.exe\nNew=C:\\new.exe\n"
            "[pos]\nX01=300\nY01=-150\n[Velmora]\nGrid=1\n");
    });
    sim_.journal().Clear();

    window().UserClickMenu(MenuItem::ToolOption);

    const std::vector<std::string>& journal = Journal();
    const std::size_t launch = IndexOf(journal, "Launch");
    const std::size_t reRegistered = IndexOf(journal, "RegisterHotKey 256 2 65");
    const std::size_t fitted = IndexOf(journal, "MoveWindow " + std::to_string(pane1) + " 20 -10 ");
    const std::size_t styled1 = IndexOf(journal, "SetListViewExtendedStyle " + std::to_string(list1) + " 1");
    const std::size_t styled2 = IndexOf(journal, "SetListViewExtendedStyle " + std::to_string(list2) + " 1");
    EXPECT_EQ(IndexOf(journal, "UnregisterHotKey 256"), 0u);
    EXPECT_EQ(IndexOf(journal, "UnregisterHotKey 257"), 1u);
    EXPECT_EQ(launch, 2u);
    EXPECT_LT(launch, reRegistered);
    EXPECT_LT(reRegistered, fitted) << "the pane offsets were not read again before the fit";
    EXPECT_LT(fitted, styled1);
    EXPECT_LT(styled1, styled2);
    EXPECT_EQ(styled2, journal.size() - 1) << "something ran after the list styles";

    EXPECT_EQ(window().ComboItems(), (std::vector<std::string>{"Old", "New"}));
    EXPECT_EQ(form_.state().paneOffsetX[0], 300);
    EXPECT_EQ(form_.state().paneOffsetY[0], -150);
    // The old combination is free again, the new one adds a tab to pane 1.
    EXPECT_FALSE(sim_.windows().PressHotkey(6, 120));
    ASSERT_TRUE(sim_.windows().PressHotkey(2, 65));
    sim_.clock().PumpPendingMessages();
    EXPECT_EQ(window().TabCount(Strip::Explorer1), 1);
}

TEST_F(ToolsMenuTest, CloseIsRefusedWhileTheSettingsProgramRunsAndAllowedAfter) {
    window().Start();
    sim_.processes().RegisterProgram(kOptionPath, OptionProgram(5000));
    During(1000, [this] { window().RequestClose(); });
    During(4000, [this] { window().UserClickMenu(MenuItem::FileExit); });

    window().UserClickMenu(MenuItem::ToolOption);

    EXPECT_EQ(window().RefusedCloses(), 2);
    EXPECT_FALSE(window().Unloaded());
    window().RequestClose();
    EXPECT_TRUE(window().Unloaded());
}

TEST_F(ToolsMenuTest, ChosenAgainWhileItRunsBringsTheRunningOneForward) {
    window().Start();
    sim_.processes().RegisterProgram(kOptionPath, OptionProgram(5000));
    platform::WindowHandle optionWindow = 0;
    platform::WindowHandle foregroundMeanwhile = 0;
    During(1000, [&] {
        optionWindow = sim_.processes().WindowsOf(sim_.processes().Starts().back().processId).back();
        // Another window comes in front of it meanwhile.
        sim_.windows().Create({"Notepad", "memo", 0, 0, true, {3000, 3001}});
        window().UserClickMenu(MenuItem::ToolOption);
        foregroundMeanwhile = sim_.windows().Foreground();
    });
    // The second choice must not have ended the first wait's hold on the close.
    During(2000, [this] { window().RequestClose(); });
    sim_.journal().Clear();

    window().UserClickMenu(MenuItem::ToolOption);

    EXPECT_EQ(Launches(), 1);
    ASSERT_NE(optionWindow, 0u);
    EXPECT_EQ(foregroundMeanwhile, optionWindow);
    EXPECT_EQ(sim_.journal().Matching("SetForegroundWindow"),
              std::vector<std::string>{"SetForegroundWindow " + std::to_string(optionWindow)});
    EXPECT_EQ(window().RefusedCloses(), 1);
    // One unregistering and one reload, for the one program.
    EXPECT_EQ(sim_.journal().Matching("UnregisterHotKey").size(), 2u);
    EXPECT_EQ(sim_.clock().NowMs(), 5000u);
    EXPECT_FALSE(form_.state().optionRunning);
}

TEST_F(ToolsMenuTest, WithoutOptionExeNothingIsShownAndTheHotkeysComeBack) {
    WriteSettings("[setting]\nModkey2=4\nHotkey2=112\n");
    window().Start();
    sim_.journal().Clear();

    window().UserClickMenu(MenuItem::ToolOption);

    EXPECT_TRUE(window().MessageBoxes().empty());
    EXPECT_EQ(sim_.journal().Matching("RegisterHotKey"), std::vector<std::string>{"RegisterHotKey 257 4 112"});
    EXPECT_LT(IndexOf(Journal(), "Launch"), IndexOf(Journal(), "RegisterHotKey"));
    EXPECT_EQ(sim_.clock().NowMs(), 0u);
    window().RequestClose();
    EXPECT_TRUE(window().Unloaded());
}

TEST_F(ToolsMenuTest, ControlPanelEntriesStartTheirCommandLinesWithoutWaiting) {
    window().Start();
    // A Control Panel that stays open must not hold the window.
    sim_.processes().RegisterProgram("control.exe", SimProgram{});

    window().UserClickMenu(MenuItem::ToolControl);
    window().UserClickMenu(MenuItem::ToolFolder);

    const auto& starts = sim_.processes().Starts();
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[0].commandLine, "control.exe");
    EXPECT_EQ(starts[0].showCommand, 1);
    EXPECT_EQ(starts[1].commandLine, "control.exe FOLDERS");
    EXPECT_EQ(starts[1].showCommand, 3);
    EXPECT_EQ(sim_.clock().NowMs(), 0u);
    EXPECT_FALSE(form_.state().optionRunning);
}

TEST_F(ToolsMenuTest, ReadMeEntryFollowsTheFileAtEveryOpening) {
    window().Start();
    form_.OnHelpMenuOpening();
    EXPECT_FALSE(window().IsEnabled(MenuItem::HelpReadMe));
    // Even a choice that arrives anyway opens nothing.
    form_.OnMenu(MenuItem::HelpReadMe);
    EXPECT_TRUE(sim_.shell().Opened().empty());

    sim_.files().SetFile(kReadMePath, "read me");
    EXPECT_FALSE(window().IsEnabled(MenuItem::HelpReadMe)) << "changed before the menu was opened again";
    form_.OnHelpMenuOpening();
    EXPECT_TRUE(window().IsEnabled(MenuItem::HelpReadMe));
    window().UserClickMenu(MenuItem::HelpReadMe);
    EXPECT_EQ(sim_.shell().Opened(), (std::vector<OpenRecord>{{window().Handle(), kReadMePath}}));

    // Gone between the opening and the choice.
    ASSERT_TRUE(sim_.files().RemoveFile(kReadMePath));
    window().UserClickMenu(MenuItem::HelpReadMe);
    EXPECT_EQ(sim_.shell().Opened().size(), 1u);
    form_.OnHelpMenuOpening();
    EXPECT_FALSE(window().IsEnabled(MenuItem::HelpReadMe));
}

TEST_F(ToolsMenuTest, HomePageOpensWithTheShellAndAboutShowsTheVersion) {
    sim_.desktop().program.versionMinor = 4;
    window().Start();

    window().UserClickMenu(MenuItem::HelpHomePage);
    EXPECT_EQ(sim_.shell().Opened(),
              (std::vector<OpenRecord>{{window().Handle(), "https://www.example.com/velmora/"}}));

    window().UserClickMenu(MenuItem::HelpAbout);
    ASSERT_EQ(window().MessageBoxes().size(), 1u);
    EXPECT_EQ(window().MessageBoxes()[0].text, "Velmora Ver1.4.0\t作者 Quonda");
    EXPECT_EQ(window().MessageBoxes()[0].title, "Velmora");
}

}  // namespace
}  // namespace velmora::explorer
