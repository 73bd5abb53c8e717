// Velmora's main form: start-up and restore, closing and shutdown, the reload after the settings program, the
// Tools and Help commands and the layout's way onto the controls.
#include <algorithm>

#include "unit/FormFixture.h"

namespace velmora::test {
namespace {

using platform::Control;
using platform::WindowState;

class MainFormTest : public FormFixture {};

// --- Start-up ---------------------------------------------------------------------------------------------------

struct RestoreCase {
    const char* name;
    const char* settings;
    WindowState state;
    std::vector<std::string> moves;  // MoveOuter of the restore, if any
    std::vector<MenuItem> checked;   // view entries checked after start-up
};

class RestoreTest : public MainFormTest, public ::testing::WithParamInterface<RestoreCase> {};

TEST_P(RestoreTest, WindowStateGeometryAndView) {
    WriteSettings(GetParam().settings);
    Start();
    EXPECT_EQ(sim_.form.GetState(), GetParam().state);
    EXPECT_EQ(Journal("MoveOuter"), GetParam().moves);
    std::vector<MenuItem> checked(sim_.form.checked.begin(), sim_.form.checked.end());
    EXPECT_EQ(checked, GetParam().checked);
    // The bars as saved with window 1, their design places otherwise.
    const bool remember = std::string_view(GetParam().settings).find("window=1") != std::string_view::npos;
    EXPECT_EQ(form_.layout().SplitBarPosition(0), remember ? 3000 : 4920);
    EXPECT_EQ(form_.layout().SplitBarPosition(1), remember ? 2000 : 2880);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, RestoreTest,
    ::testing::Values(
        RestoreCase{"Missing", "", WindowState::Normal, {}, {MenuItem::ViewTwo}},
        RestoreCase{"NormalPlace", "[setting]\nBar1=3000\nBar2=2000\nwindow=1\nState=0\nX=300\nY=450\nW=9000\nH=7000\nView=0",
                    WindowState::Normal, {"MoveOuter 300 450 9000 7000"}, {MenuItem::ViewOne}},
        RestoreCase{"DefaultPlace", "[setting]\nBar1=3000\nBar2=2000\nwindow=1", WindowState::Normal, {"MoveOuter 0 0 10000 6000"},
                    {MenuItem::ViewTwo}},
        RestoreCase{"Maximised", "[setting]\nBar1=3000\nBar2=2000\nwindow=1\nState=2\nX=300\nView=2\nViewApl=-1", WindowState::Maximized, {},
                    {MenuItem::ViewTwoStacked, MenuItem::ViewAppPane}},
        RestoreCase{"Minimised", "[setting]\nBar1=3000\nBar2=2000\nwindow=1\nState=1", WindowState::Minimized, {}, {MenuItem::ViewTwo}},
        RestoreCase{"WindowNotOne", "[setting]\nBar1=3000\nBar2=2000\nwindow=2\nState=2\nX=300\nViewApl=1", WindowState::Normal, {},
                    {MenuItem::ViewTwo, MenuItem::ViewAppPane}},
        RestoreCase{"OutOfRange", "[setting]\nBar1=3000\nBar2=2000\nwindow=1\nState=3\nView=3", WindowState::Normal,
                    {"MoveOuter 0 0 10000 6000"}, {MenuItem::ViewTwo}},
        RestoreCase{"Negative", "[setting]\nBar1=3000\nBar2=2000\nwindow=1\nState=-1\nView=-1", WindowState::Normal,
                    {"MoveOuter 0 0 10000 6000"}, {MenuItem::ViewTwo}},
        // Off every monitor (one of 28800 x 15600 twips): onto it; partly on it: where it was.
        RestoreCase{"OffScreen", "[setting]\nBar1=3000\nBar2=2000\nwindow=1\nX=90000\nY=-8000\nW=9000\nH=7000", WindowState::Normal,
                    {"MoveOuter 19800 0 9000 7000"}, {MenuItem::ViewTwo}},
        RestoreCase{"PartlyOnScreen", "[setting]\nBar1=3000\nBar2=2000\nwindow=1\nX=28000\nY=15000\nW=9000\nH=7000", WindowState::Normal,
                    {"MoveOuter 28000 15000 9000 7000"}, {MenuItem::ViewTwo}}),
    [](const auto& info) { return info.param.name; });

TEST_F(MainFormTest, StartUpRestoresTabsBootHotkeysAndLauncherThenCapturesAndSubclassesLast) {
    sim_.processes.programs["C:\\Apps\\Boot.exe"] = {};
    sim_.files.SetFile("C:\\Apps\\Boot.exe", "");
    WriteSettings(
        "[setting]\nBoot=C:\\Apps\\Boot.exe\nModkey1=2\nHotkey1=-70\nModkey2=1\nHotkey2=0\n"
        "[Tab]\n1=A?C:\\Work\\A|Gone?C:\\Work\\Gone|PC?::{20D04FE0-3AEA-1069-A2D8-08002B30309D}|File?C:\\Apps\\Boot.exe\n"
        "2=B?C:\\Work\\B|Odd?x}\n[App]\nEditor=C:\\e.exe\nTools=C:\\t.exe\n=C:\\none.exe\nAfter=C:\\a.exe");
    sim_.form.tabs[0].push_back({"design", ""});
    Start();
    EXPECT_EQ(Tabs(Strip::Explorer1),
              (std::vector<std::string>{"A?C:\\Work\\A", "PC?::{20D04FE0-3AEA-1069-A2D8-08002B30309D}"}));
    EXPECT_EQ(Tabs(Strip::Explorer2), (std::vector<std::string>{"B?C:\\Work\\B", "Odd?x}"}));
    EXPECT_EQ(sim_.form.combo, (std::vector<std::string>{"Editor", "Tools"}));
    ASSERT_EQ(Tabs(Strip::Apps).size(), 1u);
    EXPECT_TRUE(Tabs(Strip::Apps)[0].starts_with("Boot?"));
    // Key codes above 127 were stored as negative numbers; key code 0 registers nothing.
    std::vector<std::string> order;
    for (const std::string& line : sim_.journal.lines) {
        if (line.starts_with("Start") || line.starts_with("RegisterHotKey") || line == "CreateExplorer" ||
            line == "InstallHotkeyProcedure") {
            order.push_back(line.substr(0, line.find(' ')) == "Start" ? "Start" : line);
        }
    }
    EXPECT_EQ(order, (std::vector<std::string>{"Start", "RegisterHotKey 256 2 186", "CreateExplorer", "CreateExplorer",
                                               "InstallHotkeyProcedure"}));
    EXPECT_TRUE(sim_.form.PressHotkey(shell::MainForm::kHotkeyPane1));
}

TEST_F(MainFormTest, ASecondCopyEndsAtOnceAndTouchesNothing) {
    WriteSettings("[setting]\nBar1=3000\nBar2=2000\nwindow=1\nState=2");
    sim_.form.previousInstance = true;
    Start();
    EXPECT_EQ(sim_.journal.lines, (std::vector<std::string>{"EndProgramNow"}));
    EXPECT_EQ(sim_.files.writes, 0);
}

TEST_F(MainFormTest, NoExplorerObjectTellsTheUserAndEndsWithoutSavingAtStartUpAndFromTheMenu) {
    WriteSettings("[setting]\nView=0");
    sim_.explorers.createFails = true;
    Start();
    EXPECT_EQ(sim_.form.messages, std::vector<std::string>{std::string(shell::MainForm::kCaptureFailedText)});
    EXPECT_EQ(Journal("MessageBox"), std::vector<std::string>{"MessageBox Velmora エラー"});
    EXPECT_TRUE(sim_.form.ended);
    EXPECT_FALSE(sim_.form.hotkeyProcedure);
    EXPECT_EQ(Journal("CreateExplorer").size(), 1u);

    sim::Desktop other;
    shell::MainForm form(other.desktop, other.store);
    other.form.Start(form);
    ForgetJournal();
    other.explorers.createFails = true;
    other.windows.Destroy(form.explorerPane(1).window().handle);
    other.form.Click(MenuItem::CaptureExplorer2);
    EXPECT_TRUE(other.form.ended);
    EXPECT_EQ(other.files.writes, 0);
}

// --- Closing ----------------------------------------------------------------------------------------------------

TEST_F(MainFormTest, ShutdownUnhooksThenSavesStateViewAndTabsThenReleasesEveryHostedWindow) {
    WriteSettings("[setting]\nBar1=3000\nBar2=2000\nwindow=1\nX=1\nY=2\nW=9001\nH=7001\n[Tab]\n2=old?C:\\Work\\B\n[keep]\nk=v");
    Start();
    sim_.form.Resize(9000.5, 7000);
    sim_.form.Click(MenuItem::ViewEven);
    sim_.form.Click(MenuItem::ViewAppPane);
    sim_.form.tabs[1].clear();
    sim_.form.Click(MenuItem::FileAddTab1);
    const auto first = ExplorerWindow(0);
    ForgetJournal();
    Close();
    EXPECT_EQ(Setting("setting", "State"), "0");
    EXPECT_EQ(Setting("setting", "X"), "1");
    EXPECT_EQ(Setting("setting", "Y"), "2");
    EXPECT_EQ(Setting("setting", "W"), "9000");  // whole twips, halves to even
    EXPECT_EQ(Setting("setting", "H"), "7000");
    EXPECT_EQ(Setting("setting", "Bar1"), "4355");  // centred: (9000.5 - 240) / 2 - 25 = 4355.25
    EXPECT_EQ(Setting("setting", "View"), "1");
    EXPECT_EQ(Setting("setting", "ViewApl"), "-1");
    EXPECT_EQ(Setting("Tab", "1"), "PC?::{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
    EXPECT_EQ(Setting("Tab", "2"), "<none>");
    EXPECT_EQ(Setting("keep", "k"), "v");
    const std::string firstText = std::to_string(first);
    std::vector<std::string> order;
    for (const std::string& line : sim_.journal.lines) {
        if (line.find("Hot") != std::string::npos || line.starts_with("Explorer#1 Visible") ||
            line == "SetParent " + firstText + " 0" || line == "Explorer#1 Quit") {
            order.push_back(line);
        }
    }
    EXPECT_EQ(order, (std::vector<std::string>{"RemoveHotkeyProcedure", "UnregisterHotKey 256", "UnregisterHotKey 257",
                                               "Explorer#1 Visible false", "SetParent " + firstText + " 0",
                                               "Explorer#1 Quit"}));
    EXPECT_EQ(Journal("Explorer#2 Quit").size(), 1u);
}

TEST_F(MainFormTest, GeometryIsSavedOnlyWithWindowOneAndOnlyTheStateWhenNotNormal) {
    WriteSettings("[setting]\nwindow=0\nX=5");
    Start();
    Close();
    EXPECT_EQ(Setting("setting", "X"), "5");
    EXPECT_EQ(Setting("setting", "State"), "<none>");
    EXPECT_EQ(Setting("setting", "View"), "1");
    EXPECT_EQ(Setting("setting", "ViewApl"), "0");

    sim::Desktop other;
    shell::MainForm form(other.desktop, other.store);
    other.files.SetFile(kSettings, "[setting]\r\nwindow=1\r\nX=5\r\n");
    other.form.Start(form);
    other.form.UserSetState(WindowState::Maximized);
    other.form.RequestClose();
    EXPECT_EQ(other.store.ReadString(kSettings, "setting", "State"), "2");
    EXPECT_EQ(other.store.ReadString(kSettings, "setting", "X"), "5");
}

TEST_F(MainFormTest, ASettingsFileThatCannotBeReadIsSaidOnceAndNeverWritten) {
    WriteSettings("[setting]\nBar1=3000\nBar2=2000\nwindow=1\nState=2\n[Tab]\n1=A?C:\\Work\\A");
    const std::string before = *sim_.files.Bytes(kSettings);
    sim_.files.unreadable.insert(kSettings);
    Start();
    ASSERT_EQ(sim_.form.messages.size(), 1u);
    EXPECT_EQ(sim_.form.messages[0], std::string(shell::MainForm::kUnreadableText) + kSettings);
    EXPECT_EQ(sim_.form.GetState(), platform::WindowState::Normal);  // the defaults
    sim_.files.unreadable.clear();  // readable again by the end: still not written
    Close();
    EXPECT_EQ(sim_.files.Bytes(kSettings), before);
    EXPECT_EQ(sim_.files.writes, 0);
}

TEST_F(MainFormTest, AShutdownSaveThatFailsSaysSoWithTheFileAndLeavesItAsItWas) {
    WriteSettings("[setting]\nView=2");
    Start();
    sim_.form.Click(MenuItem::ViewOne);
    sim_.files.failFromWrite = 1;
    Close();
    ASSERT_EQ(sim_.form.messages.size(), 1u);
    EXPECT_EQ(sim_.form.messages[0], std::string("設定を保存できませんでした。\r\n") + kSettings + "\r\ndisk full");
    EXPECT_EQ(Setting("setting", "View"), "2");
    EXPECT_TRUE(sim_.form.unloaded);
}

TEST_F(MainFormTest, TheSessionsEndRunsTheShutdownWithoutAWordAndWaitsOnlyForOurOwnWaits) {
    sim_.processes.programs["C:\\Tools\\Edit.exe"] = {};
    sim_.files.SetFile("C:\\Tools\\Edit.exe", "");
    WriteSettings("[App]\nEdit=C:\\Tools\\Edit.exe");
    Start();
    sim_.form.PickCombo(0);
    const auto hosted = std::to_string(form_.appPane().Tabs().at(0).handle);
    sim_.form.Click(MenuItem::ViewOne);
    // While a start waits, the session is asked to wait too.
    sim_.processes.programs["C:\\Tools\\Slow.exe"] = {sim::Program::Normal, "Slow", 300};
    sim_.clock.After(100, [this] { sim_.clock.Post([this] { sim_.form.EndSession(); }); });
    form_.appPane().StartAppWindow("C:\\Tools\\Slow.exe");
    EXPECT_FALSE(sim_.form.unloaded);
    sim_.files.failFromWrite = 1;  // no word of it either: the session is ending
    ForgetJournal();
    sim_.form.EndSession();
    EXPECT_TRUE(sim_.form.unloaded);
    EXPECT_EQ(sim_.form.messages, std::vector<std::string>{});
    EXPECT_EQ(Journal("Explorer#1 Quit").size(), 1u);
    EXPECT_EQ(Journal(std::string("ReleaseToDesktop ") + hosted).size(), 1u);
    EXPECT_EQ(Journal(std::string("PostClose ") + hosted).size(), 1u);
    sim_.files.failFromWrite = 0;
    sim::Desktop other;
    shell::MainForm form(other.desktop, other.store);
    other.form.Start(form);
    other.form.Click(MenuItem::ViewOne);
    other.form.EndSession();
    EXPECT_EQ(other.store.ReadString(kSettings, "setting", "View"), "0");
}

TEST_F(MainFormTest, AFailedCaptureGivesTheCapturedProgramsBackRunningBeforeTheEnd) {
    sim_.processes.programs["C:\\Tools\\Edit.exe"] = {};
    sim_.files.SetFile("C:\\Tools\\Edit.exe", "");
    WriteSettings("[setting]\nBoot=C:\\Tools\\Edit.exe");
    sim_.explorers.failingCalls.clear();
    Start();
    const auto hosted = form_.appPane().Tabs().at(0).handle;
    sim_.windows.Destroy(ExplorerWindow(1));
    sim_.explorers.createFails = true;
    ForgetJournal();
    sim_.form.Click(MenuItem::CaptureExplorer2);
    EXPECT_TRUE(sim_.form.ended);
    EXPECT_EQ(Journal("ReleaseToDesktop"), std::vector<std::string>{"ReleaseToDesktop " + std::to_string(hosted)});
    EXPECT_EQ(Journal("PostClose"), std::vector<std::string>{});
    EXPECT_EQ(Journal("Explorer#1 Quit").size(), 1u);
    EXPECT_EQ(sim_.files.writes, 0);
}

TEST_F(MainFormTest, ExplorerWindowsNoLongerOursAreNotReleased) {
    Start();
    // The user closed pane 1's window; a stranger got its handle number.
    const auto gone = ExplorerWindow(0);
    sim_.windows.Destroy(gone);
    sim_.windows.reuseNext = gone;
    sim_.windows.Create({"Stranger", "x", 0, 0, true, false, {9, 10}});
    ForgetJournal();
    Close();
    EXPECT_EQ(Journal("SetParent " + std::to_string(gone)), std::vector<std::string>{});
    EXPECT_EQ(Journal("Explorer#1 Quit"), std::vector<std::string>{});
    EXPECT_EQ(Journal("Explorer#2 Quit").size(), 1u);
}

// --- The settings program and the other Tools and Help commands -------------------------------------------------

TEST_F(MainFormTest, TheSettingsProgramIsWaitedForWithCloseRefusedThenEverythingItChangesIsTakenOver) {
    WriteSettings("[setting]\nModkey1=2\nHotkey1=65");
    sim_.processes.programs[std::string(sim::Desktop::kProgramFolder) + "\\Option.exe"] = {};
    Start();
    ForgetJournal();
    sim_.clock.After(3000, [this] {
        Close();  // refused: the wait is still on the stack
        sim_.form.Click(MenuItem::ToolOption);  // brings the running one forward
        WriteSettings("[setting]\nModkey2=4\nHotkey2=66\n[pos]\nX01=150\n[Velmora]\nGrid=1\n[App]\nNew=C:\\n.exe");
        sim_.processes.EndProcess(4004);
    });
    sim_.form.Click(MenuItem::ToolOption);
    EXPECT_FALSE(sim_.form.unloaded);
    EXPECT_EQ(Journal("SetForegroundWindow"), std::vector<std::string>{"SetForegroundWindow " +
                                                                       std::to_string(sim_.processes.WindowsOf(4004)[0])});
    std::vector<std::string> order;
    for (const std::string& line : sim_.journal.lines) {
        if (line.find("Hot") != std::string::npos || line.starts_with("Launch") || line.starts_with("SetListStyle") ||
            line.starts_with("MoveWindow " + std::to_string(ExplorerWindow(0)))) {
            order.push_back(line);
        }
    }
    const std::string list = std::to_string(sim_.explorers.made[0].second);
    const base::TwipsRect host = sim_.form.Bounds(Control::FrameApp0);
    EXPECT_EQ(order, (std::vector<std::string>{
                         "UnregisterHotKey 256", "UnregisterHotKey 257",
                         "Launch " + std::string(sim::Desktop::kProgramFolder) + "\\Option.exe",
                         "RegisterHotKey 257 4 66",
                         "MoveWindow " + std::to_string(ExplorerWindow(0)) + " 10 0 " +
                             std::to_string(static_cast<int>((host.width - 150) / 15 + 0.5)) + " " +
                             std::to_string(static_cast<int>(host.height / 15 + 0.5)),
                         "SetListStyle " + list + " 1", "SetListStyle " + std::to_string(sim_.explorers.made[1].second) + " 1"}));
    EXPECT_EQ(sim_.form.combo, std::vector<std::string>{"New"});
    Close();
    EXPECT_TRUE(sim_.form.unloaded);
}

TEST_F(MainFormTest, WithoutOptionExeTheReloadRunsAtOnce) {
    WriteSettings("[setting]\nModkey1=2\nHotkey1=65");
    Start();
    ForgetJournal();
    sim_.form.Click(MenuItem::ToolOption);
    EXPECT_EQ(Journal("RegisterHotKey"), std::vector<std::string>{"RegisterHotKey 256 2 65"});
    EXPECT_EQ(sim_.form.messages, std::vector<std::string>{});
}

TEST_F(MainFormTest, ToolsAndHelpCommands) {
    Start();
    const std::string readMe = std::string(sim::Desktop::kProgramFolder) + "\\ReadMe.txt";
    sim_.form.Click(MenuItem::ToolControl);
    sim_.form.Click(MenuItem::ToolFolder);
    form_.OnHelpMenuOpening();
    EXPECT_FALSE(sim_.form.IsEnabled(MenuItem::HelpReadMe));
    sim_.files.SetFile(readMe, "");
    form_.OnHelpMenuOpening();
    EXPECT_TRUE(sim_.form.IsEnabled(MenuItem::HelpReadMe));
    sim_.form.Click(MenuItem::HelpReadMe);
    sim_.files.RemoveFile(readMe);
    form_.OnHelpMenuOpening();
    sim_.files.SetFile(readMe, "");
    form_.OnHelpMenuOpening();
    sim_.files.RemoveFile(readMe);
    sim_.form.Click(MenuItem::HelpReadMe);  // gone since the menu opened: nothing
    sim_.form.Click(MenuItem::HelpHomePage);
    sim_.form.Click(MenuItem::HelpAbout);
    EXPECT_EQ(Journal("Start"), (std::vector<std::string>{"Start \"C:\\Windows\\system32\\control.exe\" 1",
                                                          "Start \"C:\\Windows\\system32\\control.exe\" FOLDERS 3"}));
    EXPECT_EQ(Journal("Open"), (std::vector<std::string>{"Open " + readMe, "Open https://www.example.com/velmora/"}));
    EXPECT_EQ(sim_.form.messages, std::vector<std::string>{"Velmora Ver1.4.0\t作者 Quonda"});
    sim_.form.Click(MenuItem::FileExit);
    EXPECT_TRUE(sim_.form.unloaded);
}

// --- Layout on the controls -------------------------------------------------------------------------------------

TEST_F(MainFormTest, ViewCommandsAndResizesReachTheControlsAndTheHostedWindows) {
    Start();
    sim_.form.Click(MenuItem::ViewOne);
    EXPECT_FALSE(sim_.form.IsVisible(Control::PicFrame1));
    EXPECT_EQ(sim_.form.checked, std::set<MenuItem>{MenuItem::ViewOne});
    sim_.form.Click(MenuItem::ViewTwoStacked);
    sim_.form.Click(MenuItem::ViewAppPane);
    EXPECT_TRUE(sim_.form.IsVisible(Control::PicFrame2));
    EXPECT_EQ(sim_.form.Bounds(Control::CboApp).width, 2175);
    EXPECT_EQ(sim_.form.Bounds(Control::FrameApp2), form_.layout().HostArea(2));
    ForgetJournal();
    sim_.form.Resize(300, 9000);  // below the minimum width: the form widens itself
    EXPECT_EQ(Journal("MoveOuter"),
              (std::vector<std::string>{"MoveOuter 1800 1350 300 9000", "MoveOuter 1800 1350 500 9000"}));
    EXPECT_EQ(sim_.form.OuterRect().width, 500);
    // A DPI change keeps the twips and re-places the hosted windows in the new pixels.
    ForgetJournal();
    sim_.form.ChangeDpi(10);
    const auto host = sim_.form.Bounds(Control::FrameApp0);
    EXPECT_EQ(Journal("MoveWindow " + std::to_string(ExplorerWindow(0))).back(),
              "MoveWindow " + std::to_string(ExplorerWindow(0)) + " 0 0 " +
                  std::to_string(static_cast<int>(host.width / 10)) + " " + std::to_string(static_cast<int>(host.height / 10)));
}

TEST_F(MainFormTest, ABarDraggedWithTheLeftButtonLaysThePanesOutOnlyOnRelease) {
    Start();
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
}

}  // namespace
}  // namespace velmora::test
