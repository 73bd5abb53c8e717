// Velmora's main form: start-up and restore, closing and shutdown, the reload after the settings program, the
// Tools and Help commands and the layout's way onto the controls.
#include "unit/FormFixture.h"

namespace velmora::test {
namespace {

using platform::WindowState;

using MainFormTest = FormFixture;

struct RestoreCase {
    const char* name;
    const char* settings;  // of section "setting" after the bars; nullptr: no file
    const char* move;      // MoveOuter of the restore, if any
    Lines saved;           // State, X, View and ViewApl after the close
};

class RestoreTest : public MainFormTest, public ::testing::WithParamInterface<RestoreCase> {};

TEST_P(RestoreTest, WindowStateGeometryViewAndWhatTheCloseSavesBack) {
    const RestoreCase& c = GetParam();
    if (c.settings) WriteSettings(std::string("[setting]\nBar1=3000\nBar2=2000\n") + c.settings);
    Start();
    EXPECT_EQ(Journal({"MoveOuter"}), *c.move ? Lines{c.move} : Lines{});
    // The bars as saved with window 1, their design places otherwise.
    const bool remember = c.settings && std::string_view(c.settings).starts_with("window=1");
    EXPECT_EQ(form_.layout().SplitBarPosition(0), remember ? 3000 : 4920);
    EXPECT_EQ(form_.layout().SplitBarPosition(1), remember ? 2000 : 2880);
    Close();
    EXPECT_EQ(Settings("setting", {"State", "X", "View", "ViewApl"}), c.saved);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, RestoreTest,
    ::testing::Values(
        RestoreCase{"Missing", nullptr, "", {"<none>", "<none>", "1", "0"}},
        RestoreCase{"NormalPlace", "window=1\nState=0\nX=300\nY=450\nW=9000\nH=7000\nView=0",
                    "MoveOuter 300 450 9000 7000", {"0", "300", "0", "0"}},
        // Not normal: the state alone is saved, the place stays for the next start.
        RestoreCase{"Maximised", "window=1\nState=2\nX=300\nView=2\nViewApl=-1", "", {"2", "300", "2", "-1"}},
        RestoreCase{"Minimised", "window=1\nState=1", "", {"1", "<none>", "1", "0"}},
        RestoreCase{"WindowNotOne", "window=2\nState=2\nX=300\nViewApl=1", "", {"2", "300", "1", "-1"}},
        // Out of range: the defaults, and the default place.
        RestoreCase{"OutOfRange", "window=1\nState=3\nView=3", "MoveOuter 0 0 10000 6000", {"0", "0", "1", "0"}},
        RestoreCase{"Negative", "window=1\nState=-1\nView=-1", "MoveOuter 0 0 10000 6000", {"0", "0", "1", "0"}},
        // Off every monitor (one of 28800 x 15600 twips): onto it, and saved there.
        RestoreCase{"OffScreen", "window=1\nX=90000\nY=-8000\nW=9000\nH=7000", "MoveOuter 19800 0 9000 7000",
                    {"0", "19800", "1", "0"}}),
    [](const auto& info) { return info.param.name; });

TEST_F(MainFormTest, StartUpRestoresTabsBootAndHotkeysThenCapturesAndTakesHotkeysLast) {
    Install("C:\\Apps\\Boot.exe");
    WriteSettings(
        "[setting]\nBoot=C:\\Apps\\Boot.exe\nModkey1=2\nHotkey1=-70\nModkey2=1\nHotkey2=0\n"
        "[Tab]\n1=A?C:\\Work\\A|Gone?C:\\Work\\Gone|E?|PC?::{20D04FE0-3AEA-1069-A2D8-08002B30309D}"
        "|File?C:\\Apps\\Boot.exe\n2=B?C:\\Work\\B|Odd?x}|Ns?::{x");
    for (auto& strip : sim_.form.tabs) strip.push_back({"design", ""});
    sim_.desktop.trace = &sim_.shell;
    Start();
    EXPECT_EQ(Tabs(Strip::Explorer1), (Lines{"A?C:\\Work\\A", "PC?::{20D04FE0-3AEA-1069-A2D8-08002B30309D}"}));
    EXPECT_EQ(form_.OnTabTooltip(Strip::Explorer2, 2), "Odd");  // namespace paths need no folder
    EXPECT_EQ(Tabs(Strip::Apps), Lines{"Boot?" + N(form_.appPane().Tabs().at(0).handle)});
    // Key codes above 127 were stored as negative numbers; key code 0 registers nothing.
    EXPECT_EQ(Journal({"Start", "RegisterHotKey", "CreateExplorer", "Install", "Step state", "Step load"}),
              (Lines{"Start \"C:\\Apps\\Boot.exe\" 6", "RegisterHotKey 256 2 186", "Step state restored",
                     "CreateExplorer", "CreateExplorer", "InstallHotkeyProcedure", "Step load done"}));
}

TEST_F(MainFormTest, ASecondCopyEndsAtOnceAndTouchesNothing) {
    sim_.form.previousInstance = true;
    Start();
    EXPECT_EQ(sim_.journal.lines, Lines{"EndProgramNow"});
}

TEST_F(MainFormTest, NoExplorerObjectAtStartUpEndsTheProgramBeforeTheSecondPaneAndTheHotkeys) {
    sim_.explorers.createFails = true;
    Start();
    EXPECT_EQ(Journal({"CreateExplorer", "MessageBox", "EndProgramNow", "InstallHotkeyProcedure"}),
              (Lines{"CreateExplorer", "MessageBox Velmora エラー", "EndProgramNow"}));
}

class CaptureFailTest : public MainFormTest, public ::testing::WithParamInterface<int> {};

// Without its Explorer panes the program ends before anything is saved: the other pane's Explorer window goes as at
// any exit, the captured programs back to their users, running on.
TEST_P(CaptureFailTest, FromTheMenuTheOtherPaneAndTheProgramsGoBackAndNothingIsSaved) {
    const int pane = GetParam();
    Install("C:\\Tools\\Edit.exe");
    WriteSettings("[setting]\nBoot=C:\\Tools\\Edit.exe\n[App]\nEdit=C:\\Tools\\Edit.exe");
    Start();
    sim_.form.PickCombo(0);
    const std::string hosted = N(form_.appPane().Tabs().at(0).handle);
    Win(form_.appPane().Tabs().at(1).handle).hung = true;  // not given back: that would freeze us
    sim_.windows.Destroy(ExplorerWindow(pane));
    sim_.explorers.createFails = true;
    ForgetJournal();
    sim_.form.Click(pane == 0 ? MenuItem::CaptureExplorer1 : MenuItem::CaptureExplorer2);
    const std::string other = "Explorer#" + N(2 - pane) + " Quit";
    EXPECT_EQ(Journal({other, "ReleaseToDesktop", "PostClose", "EndProgramNow"}),
              (Lines{other, "ReleaseToDesktop " + hosted, "EndProgramNow"}));
    EXPECT_EQ(sim_.files.writes, 0);
}

INSTANTIATE_TEST_SUITE_P(MainForm, CaptureFailTest, ::testing::Values(0, 1));

TEST_F(MainFormTest, ShutdownUnhooksThenSavesStateViewAndTabsThenReleasesEveryHostedWindowStillOurs) {
    WriteSettings("[setting]\nBar1=3000\nBar2=2000\nwindow=1\nX=1\nY=2\nW=9001\nH=7001\n[Tab]\n2=old?C:\\Work\\B");
    Start();
    sim_.form.MoveOuter({1200, 2400, 9000.5, 7000});
    sim_.form.Click(MenuItem::ViewEven);
    sim_.form.Click(MenuItem::ViewAppPane);
    sim_.form.tabs[1].clear();
    sim_.form.Click(MenuItem::FileAddTab1);
    const std::string first = N(ExplorerWindow(0));
    // The user closed pane 2's window and a stranger got its handle number: that one is not ours to release.
    sim_.windows.Destroy(ExplorerWindow(1));
    sim_.windows.reuseNext = ExplorerWindow(1);
    sim_.windows.Create({"Stranger", "x", 0, 0, true, false, {9, 10}});
    ForgetJournal();
    Close();
    // Whole twips, halves to even; the bars centred at (9000.5 - 240) / 2 - 25 = 4355.25 and (7000 - 885) / 2 - 25 =
    // 3032.5. No tabs: the key goes.
    EXPECT_EQ(Settings("setting", {"State", "X", "Y", "W", "H", "Bar1", "Bar2", "View", "ViewApl"}),
              (Lines{"0", "1200", "2400", "9000", "7000", "4355", "3032", "1", "-1"}));
    EXPECT_EQ(Settings("Tab", {"1", "2"}), (Lines{"PC?::{20D04FE0-3AEA-1069-A2D8-08002B30309D}", "<none>"}));
    EXPECT_EQ(Journal({"RemoveHotkeyProcedure", "UnregisterHotKey", "Explorer#", "SetParent"}),
              (Lines{"RemoveHotkeyProcedure", "UnregisterHotKey 256", "UnregisterHotKey 257", "Explorer#1 Visible false",
                     "SetParent " + first + " 0", "Explorer#1 Quit", "Explorer#1 released", "Explorer#2 released"}));
}

TEST_F(MainFormTest, ASettingsFileThatCannotBeReadIsSaidOnceAndNeverWritten) {
    WriteSettings("[setting]\nBar1=3000\nBar2=2000\nwindow=1\nState=2\n[Tab]\n1=A?C:\\Work\\A");
    const auto before = sim_.files.Bytes(kSettings);
    sim_.files.unreadable.insert(kSettings);
    Start();
    EXPECT_EQ(sim_.form.messages, Lines{std::string(shell::MainForm::kUnreadableText) + kSettings});
    sim_.files.unreadable.clear();  // readable again by the end: still not written
    Close();
    EXPECT_EQ(sim_.files.Bytes(kSettings), before);
}

TEST_F(MainFormTest, TheSessionsEndRunsTheShutdownWithoutAWordAndWaitsOnlyForOurOwnWaits) {
    Install("C:\\Tools\\Edit.exe");
    WriteSettings("[App]\nEdit=C:\\Tools\\Edit.exe");
    Start();
    sim_.form.PickCombo(0);
    const std::string hosted = N(form_.appPane().Tabs().at(0).handle);
    // While a start waits, the session is asked to wait too.
    sim_.processes.programs["C:\\Tools\\Slow.exe"] = {sim::Program::Normal, 300};
    sim_.clock.After(100, [this] { sim_.clock.Post([this] { sim_.form.EndSession(); }); });
    form_.appPane().StartAppWindow("C:\\Tools\\Slow.exe");
    sim_.files.failFromWrite = 1;  // no word of it either: the session is ending
    ForgetJournal();
    sim_.form.EndSession();
    form_.OnUnload();  // the runtime's unload that follows finds nothing left to do
    EXPECT_TRUE(sim_.form.unloaded);
    EXPECT_EQ(sim_.form.messages, Lines{});
    EXPECT_EQ(Journal({"RemoveHotkeyProcedure", "Explorer#1 Quit", "ReleaseToDesktop", "PostClose"}),
              (Lines{"RemoveHotkeyProcedure", "Explorer#1 Quit", "ReleaseToDesktop " + hosted, "PostClose " + hosted}));
}

TEST_F(MainFormTest, TheSettingsProgramIsWaitedForWithCloseRefusedThenEverythingItChangesIsTakenOver) {
    WriteSettings("[setting]\nModkey1=2\nHotkey1=65\n[App]\nOld=C:\\o.exe");
    Start();
    const std::string option = std::string(sim::Desktop::kProgramFolder) + "\\Option.exe";
    sim_.processes.programs[option] = {};
    ForgetJournal();
    sim_.clock.After(3000, [this] {
        Close();  // refused: the wait is still on the stack
        sim_.windows.Create({"Other", "x", 0, 0, true, false, {9, 10}});
        sim_.form.Click(MenuItem::ToolOption);  // brings the running one forward, not the top window
        WriteSettings("[setting]\nModkey2=4\nHotkey2=66\n[pos]\nX01=150\n[Velmora]\nGrid=1\n[App]\nNew=C:\\n.exe");
        sim_.processes.EndProcess(4004);
    });
    sim_.form.Click(MenuItem::ToolOption);
    EXPECT_EQ(Journal({"SetForegroundWindow"}), Lines{"SetForegroundWindow " + N(sim_.processes.WindowsOf(4004).at(0))});
    EXPECT_EQ(Journal({"Unregister", "RegisterHotKey", "Launch", "SetListStyle", "MoveWindow " + N(ExplorerWindow(0))}),
              (Lines{"UnregisterHotKey 256", "UnregisterHotKey 257", "Launch " + option, "RegisterHotKey 257 4 66",
                     Fitted(ExplorerWindow(0), Control::FrameApp0, 150, 0),
                     "SetListStyle " + N(sim_.explorers.made[0].second) + " 1",
                     "SetListStyle " + N(sim_.explorers.made[1].second) + " 1"}));
    EXPECT_EQ(sim_.form.combo, Lines{"New"});
    Close();
    EXPECT_TRUE(sim_.form.unloaded);
}

TEST_F(MainFormTest, ToolsAndHelpCommandsAndAnExitWhoseSaveFails) {
    Start();
    const std::string readMe = std::string(sim::Desktop::kProgramFolder) + "\\ReadMe.txt";
    sim_.form.Click(MenuItem::ToolControl);
    sim_.form.Click(MenuItem::ToolFolder);
    // The read-me is offered while it is there, and opened only if it still is.
    form_.OnHelpMenuOpening();
    EXPECT_FALSE(sim_.form.IsEnabled(MenuItem::HelpReadMe));
    sim_.files.SetFile(readMe, "");
    form_.OnHelpMenuOpening();
    EXPECT_TRUE(sim_.form.IsEnabled(MenuItem::HelpReadMe));
    sim_.form.Click(MenuItem::HelpReadMe);
    sim_.files.RemoveFile(readMe);
    sim_.form.Click(MenuItem::HelpHomePage);
    sim_.form.Click(MenuItem::HelpReadMe);
    sim_.form.Click(MenuItem::HelpAbout);
    EXPECT_EQ(Journal({"Start", "Open"}), (Lines{"Start \"C:\\Windows\\system32\\control.exe\" 1",
                                                 "Start \"C:\\Windows\\system32\\control.exe\" FOLDERS 3",
                                                 "Open " + readMe, "Open https://www.example.com/velmora/"}));
    sim_.files.failFromWrite = 1;
    sim_.form.Click(MenuItem::FileExit);
    // A save that fails at the exit says so with the file.
    EXPECT_EQ(sim_.form.messages, (Lines{"Velmora Ver1.4.0\t作者 Quonda",
                                         std::string("設定を保存できませんでした。\r\n") + kSettings + "\r\ndisk full"}));
}

TEST_F(MainFormTest, BarDragsViewCommandsAndResizesReachTheControlsAndTheHostedWindows) {
    Start();
    EXPECT_TRUE(sim_.form.IsVisible(Control::SplitBar0));
    EXPECT_EQ(sim_.form.Bounds(Control::SplitBar1), form_.layout().SplitBar(1));
    EXPECT_EQ(sim_.form.Bounds(Control::TabStrip1_0), form_.layout().TabStrip(0));
    // A bar dragged with the left button lays the panes out only on its release.
    const base::TwipsRect before = sim_.form.Bounds(Control::PicFrame0);
    form_.OnSplitMouseDown(0, platform::kButtonRight, 0, 0);
    EXPECT_EQ(sim_.form.barColours[0], platform::BarColour::Face);
    form_.OnSplitMouseDown(0, platform::kButtonLeft, 0, 0);
    EXPECT_EQ(sim_.form.barColours[0], platform::BarColour::Shadow);
    form_.OnSplitMouseMove(0, platform::kButtonLeft, -1000, 0);
    EXPECT_EQ(sim_.form.Bounds(Control::SplitBar0).left, form_.layout().SplitBar(0).left);
    EXPECT_EQ(sim_.form.Bounds(Control::PicFrame0), before);
    form_.OnSplitMouseUp(0, platform::kButtonLeft, 0, 0);
    EXPECT_EQ(sim_.form.barColours[0], platform::BarColour::Face);
    EXPECT_NE(sim_.form.Bounds(Control::PicFrame0), before);
    sim_.form.Click(MenuItem::ViewOne);
    EXPECT_EQ(sim_.form.checked, std::set<MenuItem>{MenuItem::ViewOne});
    sim_.form.Click(MenuItem::ViewTwoStacked);
    sim_.form.Click(MenuItem::ViewAppPane);
    EXPECT_TRUE(sim_.form.IsVisible(Control::PicFrame2));
    ForgetJournal();
    sim_.form.MoveOuter({1800, 1350, 300, 9000});  // below the minimum width: the form widens itself
    EXPECT_EQ(Journal({"MoveOuter"}), (Lines{"MoveOuter 1800 1350 300 9000", "MoveOuter 1800 1350 500 9000"}));
    // A DPI change keeps the twips and re-places the hosted windows in the new pixels.
    sim_.form.ChangeDpi(10);
    for (int pane : {0, 1}) {
        const auto window = ExplorerWindow(pane);
        EXPECT_EQ(Journal({"MoveWindow " + N(window)}).back(), Fitted(window, platform::HostArea(pane), 0, 0));
    }
}

}  // namespace
}  // namespace velmora::test
