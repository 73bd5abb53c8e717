#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "apps/AppPane.h"
#include "platform/sim/SimDesktop.h"
#include "settings/ProfileStore.h"
#include "shell/MainForm.h"

namespace velmora::apps {
namespace {

using platform::Strip;
using platform::WindowHandle;
using platform::sim::MessageBoxRecord;
using platform::sim::ProgramKind;
using platform::sim::SimDesktop;
using platform::sim::SimProgram;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

const MessageBoxRecord kNotFound{std::string(AppPane::kNotFoundMessage), "Velmora"};
const MessageBoxRecord kRefused{std::string(AppPane::kRefusedMessage), "Velmora"};

// --- Which window is taken ---------------------------------------------------------------------------------------

TEST(JudgeStartedWindowTest, EachTestRejectsInItsOrder) {
    const TopLevelFacts good{true, false, "Editor", "EditorFrame", 42};
    EXPECT_EQ(JudgeStartedWindow(good, 42), WindowVerdict::Taken);

    TopLevelFacts window = good;
    window.processId = 43;
    EXPECT_EQ(JudgeStartedWindow(window, 42), WindowVerdict::OtherProcess);
    window.className = "Progman";
    EXPECT_EQ(JudgeStartedWindow(window, 42), WindowVerdict::ProgramManager);
    window.title.clear();
    EXPECT_EQ(JudgeStartedWindow(window, 42), WindowVerdict::Untitled);
    window.owned = true;
    EXPECT_EQ(JudgeStartedWindow(window, 42), WindowVerdict::Owned);
    window.visible = false;
    EXPECT_EQ(JudgeStartedWindow(window, 42), WindowVerdict::Invisible);
}

TEST(JudgeStartedWindowTest, OnlyTheFirstSevenLettersOfTheClassCount) {
    TopLevelFacts window{true, false, "Program Manager", "Progman_2", 42};
    EXPECT_EQ(JudgeStartedWindow(window, 42), WindowVerdict::ProgramManager);
    window.className = "Progma";
    EXPECT_EQ(JudgeStartedWindow(window, 42), WindowVerdict::Taken);
    window.className = "MyProgman";
    EXPECT_EQ(JudgeStartedWindow(window, 42), WindowVerdict::Taken);
}

// --- The pane on the simulated desktop ----------------------------------------------------------------------------

// The simulated machine with a few programs installed, and what the tests read back from it.
class DesktopFixture : public ::testing::Test {
protected:
    // A program installed at path; its file exists.
    void Install(const std::string& path, ProgramKind kind = ProgramKind::Normal, std::string title = "Program") {
        SimProgram program;
        program.kind = kind;
        program.title = std::move(title);
        sim_.processes().RegisterProgram(path, program);
        sim_.files().SetFile(path, "MZ");
    }
    // The last started process's windows, newest last.
    WindowHandle LastStartedWindow() {
        const auto& starts = sim_.processes().Starts();
        if (starts.empty()) return 0;
        const auto windows = sim_.processes().WindowsOf(starts.back().processId);
        return windows.empty() ? 0 : windows.back();
    }
    WindowHandle Frame() { return sim_.window().FrameWindow(2); }
    std::vector<std::string> Captions() {
        std::vector<std::string> captions;
        for (int tab = 1; tab <= sim_.window().TabCount(Strip::Apps); ++tab) {
            captions.push_back(sim_.window().TabCaption(Strip::Apps, tab));
        }
        return captions;
    }
    // The re-parenting and close requests that name one of these windows, in order.
    std::vector<std::string> ReleaseJournal(const std::vector<WindowHandle>& windows) {
        std::vector<std::string> found;
        for (const std::string& entry : sim_.journal().Entries()) {
            if (!entry.starts_with("SetParent") && !entry.starts_with("PostClose")) continue;
            const WindowHandle named = std::stoull(entry.substr(entry.find(' ') + 1));
            if (std::find(windows.begin(), windows.end(), named) != windows.end()) found.push_back(entry);
        }
        return found;
    }
    std::string Entry(const char* what, WindowHandle window, const char* rest = "") {
        return std::string(what) + " " + std::to_string(window) + rest;
    }

    SimDesktop sim_;
    settings::ProfileStore store_{sim_.files(), sim_.codePage()};
};

class AppPaneTest : public DesktopFixture {
protected:
    AppPaneTest() { state_.settingsPath = sim_.SettingsPath(); }

    void Drop(const std::string& path) { pane_.OnFrameDrop(2, true, {path}); }
    // Captures one program per path, in order; their windows.
    std::vector<WindowHandle> CaptureAll(const std::vector<std::string>& paths) {
        std::vector<WindowHandle> windows;
        for (const std::string& path : paths) {
            Install(path);
            Drop(path);
            windows.push_back(LastStartedWindow());
        }
        return windows;
    }
    void RightClickTab(int tab) {
        // Every caption here is one letter wide: 8 pixels plus 12 of margin, 300 twips a tab.
        pane_.OnTabMouseDown(platform::kButtonRight, 300.0 * (tab - 1) + 150);
    }

    shell::FormState state_;
    AppPane pane_{sim_.desktop(), store_, state_};
};

// --- Starting: programs and documents ---

TEST_F(AppPaneTest, AProgramStartsQuotedMinimisedAndIsCapturedMaximisedWithItsFileTitle) {
    Install("C:\\Program Files\\Editor\\edit.beta.exe");
    Drop("C:\\Program Files\\Editor\\edit.beta.exe");

    ASSERT_EQ(sim_.processes().Starts().size(), 1u);
    const auto& start = sim_.processes().Starts()[0];
    EXPECT_EQ(start.commandLine, "\"C:\\Program Files\\Editor\\edit.beta.exe\"");
    EXPECT_EQ(start.showCommand, 6);
    const WindowHandle window = LastStartedWindow();
    EXPECT_EQ(sim_.windows().GetParent(window), Frame());
    EXPECT_EQ(sim_.windows().LastShowCommand(window), platform::kShowMaximized);
    EXPECT_THAT(Captions(), ElementsAre("edit"));
    EXPECT_EQ(sim_.window().TabTag(Strip::Apps, 1), std::to_string(window));
    EXPECT_EQ(state_.paneWindow[2], window);
    EXPECT_THAT(pane_.Tabs(), ElementsAre(HostedWindow{window, sim_.windows().GetIdentity(window)}));
    EXPECT_THAT(sim_.window().MessageBoxes(), IsEmpty());
}

TEST_F(AppPaneTest, AnUpperCaseExeIsStartedDirectly) {
    Install("C:\\X\\APP.EXE");
    Drop("C:\\X\\APP.EXE");
    ASSERT_EQ(sim_.processes().Starts().size(), 1u);
    EXPECT_EQ(sim_.processes().Starts()[0].commandLine, "\"C:\\X\\APP.EXE\"");
    EXPECT_THAT(Captions(), ElementsAre("APP"));
}

TEST_F(AppPaneTest, ADocumentOpensInItsAssociatedProgram) {
    Install("C:\\Windows\\notepad.exe");
    sim_.processes().Associate("txt", "C:\\Windows\\notepad.exe");
    sim_.files().SetFile("C:\\Docs\\todo.list.txt", "milk");
    Drop("C:\\Docs\\todo.list.txt");

    ASSERT_EQ(sim_.processes().Starts().size(), 1u);
    EXPECT_EQ(sim_.processes().Starts()[0].commandLine, "\"C:\\Windows\\notepad.exe\" \"C:\\Docs\\todo.list.txt\"");
    EXPECT_EQ(sim_.processes().Starts()[0].showCommand, 6);
    EXPECT_THAT(Captions(), ElementsAre("todo"));
    EXPECT_EQ(sim_.windows().GetParent(LastStartedWindow()), Frame());
}

TEST_F(AppPaneTest, DocumentsWithoutAProgramToStartThemStartNothingAndSayNothing) {
    // A dotted folder over a name without extension: the text after the last "." is "dir\readme", so it is a
    // document even though a program sits at that very path.
    Install("C:\\my.dir\\readme");
    // No association at all, and an association with something that is no program file.
    sim_.files().SetFile("C:\\Docs\\data.xyz", "?");
    Install("C:\\Tools\\viewer.com");
    sim_.processes().Associate("htm", "C:\\Tools\\viewer.com");
    sim_.files().SetFile("C:\\Docs\\page.htm", "<p>");
    state_.paneWindow[2] = 0x777;

    for (const char* path : {"C:\\my.dir\\readme", "C:\\Docs\\data.xyz", "C:\\Docs\\page.htm"}) {
        Drop(path);
        EXPECT_THAT(sim_.processes().Starts(), IsEmpty()) << path;
    }
    EXPECT_THAT(sim_.window().MessageBoxes(), IsEmpty());
    EXPECT_THAT(Captions(), IsEmpty());
    // Every attempt overwrites the pane's window, also with nothing.
    EXPECT_EQ(state_.paneWindow[2], 0u);
}

TEST_F(AppPaneTest, AProgramThePlatformCannotStartIsDroppedSilently) {
    Drop("C:\\Gone\\missing.exe");
    ASSERT_EQ(sim_.processes().Starts().size(), 1u);
    EXPECT_EQ(sim_.processes().Starts()[0].processId, 0u);
    EXPECT_THAT(sim_.window().MessageBoxes(), IsEmpty());
    EXPECT_THAT(Captions(), IsEmpty());
}

// --- Finding the window ---

TEST_F(AppPaneTest, ProgramsWithoutAnAcceptableWindowGiveTheMessageAndStayWhereTheyAre) {
    Install("C:\\T\\owned.exe", ProgramKind::OwnedOnly);
    Install("C:\\T\\untitled.exe", ProgramKind::Titleless);
    Install("C:\\T\\exits.exe", ProgramKind::ExitsAtOnce);
    const WindowHandle earlier = CaptureAll({"C:\\T\\first.exe"})[0];
    ASSERT_EQ(state_.paneWindow[2], earlier);

    for (const char* path : {"C:\\T\\owned.exe", "C:\\T\\untitled.exe", "C:\\T\\exits.exe"}) {
        Drop(path);
        EXPECT_EQ(state_.paneWindow[2], 0u) << path;
        for (WindowHandle window : sim_.processes().WindowsOf(sim_.processes().Starts().back().processId)) {
            EXPECT_EQ(sim_.windows().GetParent(window), 0u) << path;
        }
    }
    EXPECT_THAT(sim_.window().MessageBoxes(), ElementsAre(kNotFound, kNotFound, kNotFound));
    EXPECT_THAT(Captions(), ElementsAre("first"));
    // Not found is not ended: the programs that did not exit by themselves still run.
    EXPECT_TRUE(sim_.processes().IsRunning(sim_.processes().Starts()[1].processId));
    EXPECT_TRUE(sim_.processes().IsRunning(sim_.processes().Starts()[2].processId));
}

TEST_F(AppPaneTest, AnotherProgramsWindowAboveOursIsPassedOver) {
    Install("C:\\T\\ed.exe", ProgramKind::Normal, "Editor");
    // While we wait, another program opens a window just like ours, on top of it.
    WindowHandle stranger = 0;
    sim_.clock().Post([&] { stranger = sim_.windows().Create({"SimProgramWindow", "Editor", 0, 0, true, {77, 78}}); });
    Drop("C:\\T\\ed.exe");

    ASSERT_NE(stranger, 0u);
    ASSERT_EQ(sim_.windows().TopLevelWindows().front(), stranger);
    EXPECT_EQ(state_.paneWindow[2], LastStartedWindow());
    EXPECT_EQ(sim_.windows().GetParent(LastStartedWindow()), Frame());
    EXPECT_EQ(sim_.windows().GetParent(stranger), 0u);
}

TEST_F(AppPaneTest, ARefusedReparentingIsNoCapture) {
    Install("C:\\T\\elevated.exe");
    sim_.windows().SetParentRefused(true);
    Drop("C:\\T\\elevated.exe");

    EXPECT_THAT(sim_.window().MessageBoxes(), ElementsAre(kRefused));
    EXPECT_THAT(Captions(), IsEmpty());
    EXPECT_THAT(pane_.Tabs(), IsEmpty());
    EXPECT_EQ(state_.paneWindow[2], 0u);
    EXPECT_EQ(sim_.windows().GetParent(LastStartedWindow()), 0u);
    // Not shown maximised either: nothing is done to a window we do not hold.
    EXPECT_EQ(sim_.windows().LastShowCommand(LastStartedWindow()), 0);
}

// --- Waiting ---

TEST_F(AppPaneTest, AProgramThatNeverGetsIdleCostsOnlyTheBoundedWaitAndIsNotReparented) {
    Install("C:\\T\\busy.exe", ProgramKind::NeverIdle);
    const std::uint32_t before = sim_.clock().NowMs();
    Drop("C:\\T\\busy.exe");
    EXPECT_EQ(sim_.clock().NowMs() - before, AppPane::kInputIdleTimeoutMs + AppPane::kSettleMs);
    // Its window is there, but re-parenting it would wait for a thread that never answers.
    EXPECT_THAT(sim_.journal().Matching("SetParent"), IsEmpty());
    EXPECT_THAT(sim_.window().MessageBoxes(),
                ElementsAre(MessageBoxRecord{std::string(AppPane::kNotRespondingMessage), "Velmora"}));
    EXPECT_THAT(Captions(), IsEmpty());
}

TEST_F(AppPaneTest, AWindowThatStopsAnsweringIsNeitherMovedNorReparentedButStillAskedToClose) {
    const auto apps = CaptureAll({"C:\\T\\a.exe", "C:\\T\\b.exe"});
    sim_.windows().SetHung(apps[0], true);
    sim_.journal().Clear();

    pane_.FitHostedWindows();
    EXPECT_THAT(sim_.journal().Matching("MoveWindow"),
                ElementsAre(::testing::StartsWith(Entry("MoveWindow", apps[1]))));
    RightClickTab(1);
    pane_.OnTakeOut();
    EXPECT_THAT(sim_.window().MessageBoxes(),
                ElementsAre(MessageBoxRecord{std::string(AppPane::kNotRespondingMessage), "Velmora"}));
    EXPECT_THAT(Captions(), ElementsAre("a", "b"));
    pane_.ReleaseApplicationWindows();
    EXPECT_THAT(ReleaseJournal(apps), ElementsAre(Entry("PostClose", apps[0]), Entry("SetParent", apps[1], " 0"),
                                                  Entry("PostClose", apps[1])));

    // Answering again, it can be taken out.
    sim_.windows().SetHung(apps[0], false);
    RightClickTab(1);
    pane_.OnTakeOut();
    EXPECT_EQ(sim_.windows().GetParent(apps[0]), 0u);
    EXPECT_THAT(Captions(), ElementsAre("b"));
}

TEST_F(AppPaneTest, AProgramSlowToShowItsWindowIsWaitedForUntilIdle) {
    SimProgram slow;
    slow.windowDelayMs = 3000;
    sim_.processes().RegisterProgram("C:\\T\\slow.exe", slow);
    Drop("C:\\T\\slow.exe");
    EXPECT_THAT(Captions(), ElementsAre("slow"));
    EXPECT_THAT(sim_.window().MessageBoxes(), IsEmpty());
}

TEST_F(AppPaneTest, TheSettleWaitHandlesMessagesAndCountsAcrossTheClockWrap) {
    int handled = 0;
    sim_.clock().Post([&] { ++handled; });
    pane_.WaitMilliseconds(0);
    EXPECT_EQ(handled, 0) << "a wait whose time has passed returns before handling anything";

    sim_.clock().Advance(0xFFFFFF00u);
    pane_.WaitMilliseconds(512);
    EXPECT_EQ(handled, 1);
    EXPECT_EQ(sim_.clock().NowMs(), 0x100u);
}

TEST_F(AppPaneTest, AStartRequestedWhileAnotherWaitsIsRefused) {
    Install("C:\\T\\a.exe");
    Install("C:\\T\\b.exe");
    // The user drops another file during the settle wait of the first.
    sim_.clock().Post([&] {
        EXPECT_TRUE(pane_.Starting());
        Drop("C:\\T\\b.exe");
    });
    Drop("C:\\T\\a.exe");

    ASSERT_EQ(sim_.processes().Starts().size(), 1u);
    EXPECT_EQ(sim_.processes().Starts()[0].commandLine, "\"C:\\T\\a.exe\"");
    EXPECT_THAT(Captions(), ElementsAre("a"));
    EXPECT_EQ(state_.paneWindow[2], LastStartedWindow());
    EXPECT_THAT(sim_.window().MessageBoxes(), IsEmpty());
    // Once the first is done, starting works again.
    EXPECT_FALSE(pane_.Starting());
    Drop("C:\\T\\b.exe");
    EXPECT_THAT(Captions(), ElementsAre("a", "b"));
}

// --- Launcher and drops ---

TEST_F(AppPaneTest, ALauncherPickReadsThePathAgainAndIgnoresEmptyOrMissingPaths) {
    Install("C:\\Tools\\old.exe");
    Install("C:\\Tools\\new.exe");
    sim_.files().SetFile(sim_.SettingsPath(), "[App]\r\nEditor=C:\\Tools\\old.exe\r\nGone=C:\\nope.exe\r\nBlank=\r\n");
    for (const char* name : {"Editor", "Gone", "Blank", "Unknown"}) sim_.window().AddComboItem(name);
    // The settings program changed the entry after the list was filled.
    sim_.files().SetFile(sim_.SettingsPath(), "[App]\r\nEditor=C:\\Tools\\new.exe\r\nGone=C:\\nope.exe\r\nBlank=\r\n");

    for (int item = 0; item < 4; ++item) {
        sim_.window().UserPickComboItem(item);
        pane_.OnComboClick();
    }
    ASSERT_EQ(sim_.processes().Starts().size(), 1u);
    EXPECT_EQ(sim_.processes().Starts()[0].commandLine, "\"C:\\Tools\\new.exe\"");
    EXPECT_THAT(Captions(), ElementsAre("new"));
}

TEST_F(AppPaneTest, OnlyTheFirstFileOfADropOnTheApplicationPaneIsStarted) {
    Install("C:\\T\\one.exe");
    Install("C:\\T\\two.exe");
    pane_.OnFrameDrop(0, true, {"C:\\T\\one.exe"});
    pane_.OnFrameDrop(1, true, {"C:\\T\\one.exe"});
    pane_.OnFrameDrop(2, false, {});
    pane_.OnFrameDrop(2, true, {});
    EXPECT_THAT(sim_.processes().Starts(), IsEmpty());

    pane_.OnFrameDrop(2, true, {"C:\\T\\two.exe", "C:\\T\\one.exe"});
    // The strip takes drops like the frame; the first file into an empty strip is its first tab.
    pane_.OnStripDrop(true, {"C:\\T\\one.exe", "C:\\T\\two.exe"});
    pane_.OnStripDrop(false, {});
    ASSERT_EQ(sim_.processes().Starts().size(), 2u);
    EXPECT_THAT(Captions(), ElementsAre("two", "one"));
}

TEST_F(AppPaneTest, TheSameProgramTwiceGivesTwoTabs) {
    Install("C:\\T\\ed.exe");
    Drop("C:\\T\\ed.exe");
    Drop("C:\\T\\ed.exe");
    ASSERT_EQ(pane_.Tabs().size(), 2u);
    EXPECT_NE(pane_.Tabs()[0].handle, pane_.Tabs()[1].handle);
    EXPECT_NE(pane_.Tabs()[0].identity, pane_.Tabs()[1].identity);
    EXPECT_THAT(Captions(), ElementsAre("ed", "ed"));
}

// --- Fitting ---

TEST_F(AppPaneTest, HostedWindowsFillTheirFramesMinusTheOffsets) {
    // frameApp(0) is 3375 x 2025 twips, frameApp(2) 4335 x 1995, at 15 twips a pixel.
    auto& windows = sim_.windows();
    const WindowHandle explorer = windows.Create({"CabinetWClass", "A", sim_.window().FrameWindow(0), 0, true, {9, 9}});
    state_.paneWindow[0] = explorer;
    state_.paneOffsetX[0] = 0;
    state_.paneOffsetY[0] = 15;
    state_.paneOffsetX[2] = 150;
    state_.paneOffsetY[2] = 300;
    const auto apps = CaptureAll({"C:\\T\\a.exe", "C:\\T\\b.exe"});

    EXPECT_EQ(windows.GetWindowRect(explorer), (base::PixelRect{0, 1, 225, 134}));
    for (WindowHandle app : apps) EXPECT_EQ(windows.GetWindowRect(app), (base::PixelRect{10, 20, 279, 113}));

    // Offsets larger than the frame leave no room rather than a negative size.
    state_.paneOffsetX[2] = 5000;
    state_.paneOffsetY[2] = 2100;
    pane_.FitHostedWindows();
    EXPECT_EQ(windows.GetWindowRect(apps[0]), (base::PixelRect{333, 140, 0, 0}));
}

TEST_F(AppPaneTest, ExplorerHandlesThatAreGoneOrNotInTheirFrameAreNotMoved) {
    auto& windows = sim_.windows();
    const WindowHandle elsewhere = windows.Create({"CabinetWClass", "B", 0, 0, true, {9, 9}});
    const WindowHandle closed = windows.Create({"CabinetWClass", "A", sim_.window().FrameWindow(0), 0, true, {9, 9}});
    windows.Destroy(closed);
    state_.paneWindow[0] = closed;
    state_.paneWindow[1] = elsewhere;
    pane_.FitHostedWindows();
    EXPECT_THAT(sim_.journal().Matching("MoveWindow"), IsEmpty());
}

// --- Application tabs ---

TEST_F(AppPaneTest, SelectingATabBringsItsWindowForwardAndFits) {
    const auto apps = CaptureAll({"C:\\T\\a.exe", "C:\\T\\b.exe"});
    sim_.journal().Clear();
    sim_.window().UserSelectTab(Strip::Apps, 1);
    pane_.OnTabClick();
    EXPECT_EQ(state_.paneWindow[2], apps[0]);
    EXPECT_EQ(sim_.windows().Foreground(), apps[0]);
    EXPECT_EQ(sim_.journal().Matching("MoveWindow").size(), 2u);
}

TEST_F(AppPaneTest, OnlyARightClickOnATabOpensThePopup) {
    CaptureAll({"C:\\T\\a.exe", "C:\\T\\b.exe"});
    pane_.OnTabMouseDown(platform::kButtonLeft, 450);
    pane_.OnTabMouseDown(4, 450);
    pane_.OnTabMouseDown(platform::kButtonLeft | platform::kButtonRight, 450);
    EXPECT_THAT(sim_.window().PopupsShown(), IsEmpty());

    pane_.OnTabMouseDown(platform::kButtonRight, 450);
    EXPECT_EQ(state_.popupTabIndex, 2);
    EXPECT_THAT(sim_.window().PopupsShown(), ElementsAre(platform::PopupMenu::Apps));
    // Beyond the last tab: no menu, the index stays.
    pane_.OnTabMouseDown(platform::kButtonRight, 600);
    EXPECT_EQ(state_.popupTabIndex, 2);
    EXPECT_EQ(sim_.window().PopupsShown().size(), 1u);
}

TEST_F(AppPaneTest, TakingOutGivesTheWindowBackAndChangesNothingElse) {
    const auto apps = CaptureAll({"C:\\T\\a.exe", "C:\\T\\b.exe"});
    sim_.journal().Clear();
    RightClickTab(1);
    pane_.OnTakeOut();

    EXPECT_THAT(ReleaseJournal(apps), ElementsAre(Entry("SetParent", apps[0], " 0")));
    EXPECT_EQ(sim_.windows().GetParent(apps[0]), 0u);
    EXPECT_EQ(sim_.windows().LastShowCommand(apps[0]), platform::kShowMaximized);
    EXPECT_THAT(Captions(), ElementsAre("b"));
    EXPECT_EQ(state_.popupTabIndex, 0);
    EXPECT_EQ(state_.paneWindow[2], apps[1]);
    EXPECT_THAT(sim_.journal().Matching("MoveWindow"), IsEmpty());
    // Taken out is no longer ours: the exit leaves it alone.
    sim_.journal().Clear();
    pane_.ReleaseApplicationWindows();
    EXPECT_THAT(ReleaseJournal(apps), ElementsAre(Entry("SetParent", apps[1], " 0"), Entry("PostClose", apps[1])));
}

TEST_F(AppPaneTest, ClosingATabAsksTheWindowToCloseAndDropsTheTabAtOnce) {
    const auto apps = CaptureAll({"C:\\T\\a.exe", "C:\\T\\b.exe"});
    RightClickTab(2);
    pane_.OnCloseTab();
    EXPECT_THAT(sim_.windows().PostedCloses(), ElementsAre(apps[1]));
    EXPECT_THAT(Captions(), ElementsAre("a"));
    EXPECT_EQ(state_.popupTabIndex, 0);
    EXPECT_EQ(state_.paneWindow[2], apps[1]);
    // The program may be asking about unsaved work; its window is left where it is.
    EXPECT_EQ(sim_.windows().GetParent(apps[1]), Frame());

    // Without a right-clicked tab, the commands do nothing.
    pane_.OnCloseTab();
    pane_.OnTakeOut();
    EXPECT_THAT(sim_.windows().PostedCloses(), ElementsAre(apps[1]));
    EXPECT_THAT(Captions(), ElementsAre("a"));
}

TEST_F(AppPaneTest, APopupWhoseTabWasSweptMeanwhileDoesNothing) {
    const auto apps = CaptureAll({"C:\\T\\a.exe", "C:\\T\\b.exe", "C:\\T\\c.exe"});
    RightClickTab(2);
    // While the menu is open, program a ends and the timer sweeps its tab: index 2 is now c's tab.
    sim_.processes().EndProcess(sim_.processes().Starts()[0].processId);
    pane_.SweepDeadTabs();
    ASSERT_THAT(Captions(), ElementsAre("b", "c"));
    sim_.journal().Clear();

    pane_.OnTakeOut();
    EXPECT_THAT(ReleaseJournal(apps), IsEmpty());
    EXPECT_EQ(sim_.windows().GetParent(apps[2]), Frame());
    EXPECT_THAT(Captions(), ElementsAre("b", "c"));
    EXPECT_EQ(state_.popupTabIndex, 0);

    RightClickTab(2);
    sim_.processes().EndProcess(sim_.processes().Starts()[1].processId);
    pane_.SweepDeadTabs();
    pane_.OnCloseTab();
    EXPECT_THAT(sim_.windows().PostedCloses(), IsEmpty());
    EXPECT_THAT(Captions(), ElementsAre("c"));
}

TEST_F(AppPaneTest, OneSweepRemovesNeighbouringDeadTabsAndWindowsNoLongerInThePane) {
    const auto apps = CaptureAll({"C:\\T\\a.exe", "C:\\T\\b.exe", "C:\\T\\c.exe", "C:\\T\\d.exe"});
    sim_.processes().EndProcess(sim_.processes().Starts()[1].processId);
    sim_.processes().EndProcess(sim_.processes().Starts()[2].processId);
    pane_.SweepDeadTabs();
    EXPECT_THAT(Captions(), ElementsAre("a", "d"));

    // Program a puts its own window back on the desktop: it is no longer hosted by us.
    sim_.windows().SetParent(apps[0], 0);
    pane_.SweepDeadTabs();
    EXPECT_THAT(Captions(), ElementsAre("d"));
    EXPECT_THAT(pane_.Tabs(), ElementsAre(HostedWindow{apps[3], sim_.windows().GetIdentity(apps[3])}));
}

TEST_F(AppPaneTest, StrangersUnderReusedHandlesAreNeverTouchedAndTheirTabsGo) {
    const auto captured = CaptureAll({"C:\\T\\a.exe", "C:\\T\\b.exe", "C:\\T\\c.exe"});
    auto& windows = sim_.windows();
    std::vector<WindowHandle> strangers;
    for (std::size_t i = 0; i < captured.size(); ++i) {
        sim_.processes().EndProcess(sim_.processes().Starts()[i].processId);
        // Another program's window gets the number, even inside our frame.
        windows.ReuseHandleNext(captured[i]);
        strangers.push_back(windows.Create({"Stranger", "S", Frame(), 0, true, {77, 78}}));
    }
    ASSERT_EQ(strangers, captured);
    sim_.journal().Clear();

    pane_.FitHostedWindows();
    sim_.window().UserSelectTab(Strip::Apps, 1);
    pane_.OnTabClick();
    pane_.ReleaseApplicationWindows();
    RightClickTab(1);
    pane_.OnCloseTab();
    RightClickTab(1);
    pane_.OnTakeOut();
    EXPECT_THAT(sim_.journal().Matching("MoveWindow"), IsEmpty());
    EXPECT_THAT(sim_.journal().Matching("SetForegroundWindow"), IsEmpty());
    EXPECT_THAT(ReleaseJournal(strangers), IsEmpty());
    for (WindowHandle stranger : strangers) EXPECT_EQ(windows.GetParent(stranger), Frame());
    EXPECT_NE(state_.paneWindow[2], strangers[0]);
    // Close and take out drop a tab that is not ours; the sweep takes the last one.
    EXPECT_THAT(Captions(), ElementsAre("c"));
    pane_.SweepDeadTabs();
    EXPECT_THAT(Captions(), IsEmpty());
    EXPECT_THAT(pane_.Tabs(), IsEmpty());
}

TEST_F(AppPaneTest, AtExitEachLiveWindowGoesBackToTheDesktopBeforeItIsAskedToClose) {
    const auto apps = CaptureAll({"C:\\T\\a.exe", "C:\\T\\b.exe", "C:\\T\\c.exe"});
    sim_.processes().EndProcess(sim_.processes().Starts()[1].processId);
    sim_.journal().Clear();
    pane_.ReleaseApplicationWindows();
    EXPECT_THAT(ReleaseJournal(apps), ElementsAre(Entry("SetParent", apps[0], " 0"), Entry("PostClose", apps[0]),
                                                  Entry("SetParent", apps[2], " 0"), Entry("PostClose", apps[2])));
    EXPECT_EQ(sim_.windows().GetParent(apps[2]), 0u);
}

// --- Through the main form -----------------------------------------------------------------------------------------

class AppPaneFormTest : public DesktopFixture {
protected:
    AppPaneFormTest() { sim_.window().AttachEvents(&form_); }
    void WriteSettings(const std::string& text) { sim_.files().SetFile(sim_.SettingsPath(), text); }

    shell::MainForm form_{sim_.desktop(), store_};
};

TEST_F(AppPaneFormTest, TheStartUpApplicationIsCapturedIntoItsTabAndFitted) {
    Install("C:\\Apps\\boot.exe");
    WriteSettings("[setting]\r\nBoot=C:\\Apps\\boot.exe\r\n[pos]\r\nX03=30\r\nY03=45\r\n");
    sim_.window().Start();

    const WindowHandle window = LastStartedWindow();
    EXPECT_THAT(Captions(), ElementsAre("boot"));
    EXPECT_EQ(form_.state().paneWindow[2], window);
    EXPECT_EQ(sim_.windows().GetParent(window), Frame());
    const base::PixelRect rect = sim_.windows().GetWindowRect(window);
    EXPECT_EQ(rect.left, 2);
    EXPECT_EQ(rect.top, 3);
    EXPECT_GT(rect.width, 0);
}

TEST_F(AppPaneFormTest, AStartUpApplicationWhoseFileIsMissingIsNotStarted) {
    sim_.processes().RegisterProgram("C:\\Apps\\boot.exe", {});
    WriteSettings("[setting]\r\nBoot=C:\\Apps\\boot.exe\r\n");
    sim_.window().Start();
    EXPECT_THAT(sim_.processes().Starts(), IsEmpty());
    EXPECT_THAT(Captions(), IsEmpty());
}

TEST_F(AppPaneFormTest, TheFormsEventsReachThePane) {
    Install("C:\\T\\a.exe");
    Install("C:\\T\\b.exe");
    Install("C:\\T\\c.exe");
    WriteSettings("[App]\r\nA=C:\\T\\a.exe\r\n");
    sim_.window().Start();

    sim_.window().UserPickComboItem(0);
    form_.OnTabDrop(Strip::Apps, true, {"C:\\T\\b.exe"}, 0, 10, 10);
    form_.OnFrameDrop(2, true, {"C:\\T\\c.exe"});
    form_.OnTabDrop(Strip::Explorer1, true, {"C:\\T\\c.exe"}, 0, 10, 10);
    EXPECT_EQ(form_.OnTabDragOver(Strip::Apps, 0), 1);
    ASSERT_THAT(Captions(), ElementsAre("a", "b", "c"));
    const WindowHandle b = sim_.processes().WindowsOf(sim_.processes().Starts()[1].processId).back();
    const WindowHandle c = sim_.processes().WindowsOf(sim_.processes().Starts()[2].processId).back();
    form_.OnTabMouseDown(Strip::Apps, platform::kButtonRight, 0, 450, 10);
    sim_.window().UserClickMenu(platform::MenuItem::PopupTakeOut);
    EXPECT_EQ(sim_.windows().GetParent(b), 0u);
    form_.OnTabMouseDown(Strip::Apps, platform::kButtonRight, 0, 450, 10);
    sim_.window().UserClickMenu(platform::MenuItem::PopupAppClose);
    EXPECT_THAT(sim_.windows().PostedCloses(), ElementsAre(c));
    EXPECT_THAT(Captions(), ElementsAre("a"));

    // The timer sweeps.
    sim_.processes().EndProcess(sim_.processes().Starts()[0].processId);
    form_.OnTimer();
    EXPECT_THAT(Captions(), IsEmpty());
}

TEST_F(AppPaneFormTest, ClosingWaitsForAStartAndThenReleasesEveryCapturedWindow) {
    Install("C:\\T\\a.exe");
    Install("C:\\T\\b.exe");
    sim_.window().Start();
    form_.OnFrameDrop(2, true, {"C:\\T\\a.exe"});
    const WindowHandle a = LastStartedWindow();
    // The user closes Velmora while b is being started.
    sim_.clock().Post([&] { sim_.window().RequestClose(); });
    form_.OnFrameDrop(2, true, {"C:\\T\\b.exe"});
    const WindowHandle b = LastStartedWindow();
    EXPECT_FALSE(sim_.window().Unloaded());
    EXPECT_EQ(sim_.window().RefusedCloses(), 1);
    ASSERT_THAT(Captions(), ElementsAre("a", "b"));

    sim_.journal().Clear();
    sim_.window().RequestClose();
    ASSERT_TRUE(sim_.window().Unloaded());
    EXPECT_THAT(ReleaseJournal({a, b}), ElementsAre(Entry("SetParent", a, " 0"), Entry("PostClose", a),
                                                    Entry("SetParent", b, " 0"), Entry("PostClose", b)));
    // Given back before our window went: they outlive it.
    EXPECT_TRUE(sim_.windows().IsWindow(a));
    EXPECT_TRUE(sim_.windows().IsWindow(b));
}

}  // namespace
}  // namespace velmora::apps
