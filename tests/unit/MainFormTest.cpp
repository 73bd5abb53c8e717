#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/sim/SimDesktop.h"
#include "settings/ProfileStore.h"
#include "shell/MainForm.h"

namespace velmora::shell {
namespace {

using platform::BarColour;
using platform::Control;
using platform::MenuItem;
using platform::Strip;
using base::TwipsRect;
using platform::WindowState;
using platform::sim::SimDesktop;

// The simulated window's frame: 8-pixel borders, a 23-pixel caption and a
// 20-pixel menu bar, at 15 twips per pixel.
constexpr double kFrameWidth = 16 * 15;
constexpr double kFrameHeight = 59 * 15;
constexpr double kClientWidth = 12285;
constexpr double kClientHeight = 6525;

std::string Crlf(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

class MainFormTest : public ::testing::Test {
protected:
    MainFormTest() {
        sim_.window().AttachEvents(&form_);
        sim_.files().AddFolder("C:\\Work\\A");
        sim_.files().AddFolder("C:\\Work\\B");
    }

    // The settings file as a user's editor would leave it (UTF-8 here, Shift_JIS on disk).
    void WriteSettings(std::string_view utf8) {
        sim_.files().SetFile(sim_.SettingsPath(), *sim_.codePage().FromUtf8(Crlf(utf8)));
    }
    std::string SettingsText() {
        const auto bytes = sim_.files().ReadAll(sim_.SettingsPath());
        return bytes ? *sim_.codePage().ToUtf8(*bytes) : std::string("<missing>");
    }
    platform::sim::SimMainWindow& window() { return sim_.window(); }
    void Start() { window().Start(); }
    void Close() { window().RequestClose(); }

    // Every tab of a strip as caption "?" tag.
    std::vector<std::string> Tabs(Strip strip) {
        std::vector<std::string> tabs;
        for (int tab = 1; tab <= window().TabCount(strip); ++tab) {
            tabs.push_back(window().TabCaption(strip, tab) + "?" + window().TabTag(strip, tab));
        }
        return tabs;
    }
    std::vector<MenuItem> CheckedViews() {
        std::vector<MenuItem> checked;
        for (MenuItem item : {MenuItem::ViewOne, MenuItem::ViewTwo, MenuItem::ViewTwoStacked, MenuItem::ViewAppPane}) {
            if (window().IsChecked(item)) checked.push_back(item);
        }
        return checked;
    }

    SimDesktop sim_;
    settings::ProfileStore store_{sim_.files(), sim_.codePage()};
    MainForm form_{sim_.desktop(), store_};
};

// --- Start-up -------------------------------------------------------------------------------------------------

TEST_F(MainFormTest, MissingFileStartsWithTheDefaults) {
    Start();
    ASSERT_TRUE(window().Shown());
    EXPECT_EQ(form_.state().settingsPath, "C:\\Program Files\\Velmora\\setting.ini");
    EXPECT_EQ(CheckedViews(), std::vector<MenuItem>{MenuItem::ViewTwo});
    EXPECT_TRUE(window().IsVisible(Control::PicFrame1));
    EXPECT_FALSE(window().IsVisible(Control::PicFrame2));
    EXPECT_EQ(
        window().TabCount(Strip::Explorer1) + window().TabCount(Strip::Explorer2) + window().TabCount(Strip::Apps), 0);
    EXPECT_TRUE(window().ComboItems().empty());
    EXPECT_EQ(window().GetState(), WindowState::Normal);
    EXPECT_EQ(window().ClientWidth(), kClientWidth);
    EXPECT_EQ(window().ClientHeight(), kClientHeight);
    // Key code 0 means no hotkey was chosen: nothing is registered.
    EXPECT_TRUE(sim_.windows().Hotkeys().empty());
    EXPECT_TRUE(sim_.journal().Matching("RegisterHotKey").empty());
    // Two panes side by side at the design bar position.
    EXPECT_EQ(window().Bounds(Control::PicFrame0), (base::TwipsRect{0, 0, 4920, kClientHeight}));
    EXPECT_EQ(window().Bounds(Control::PicFrame1), (base::TwipsRect{4970, 0, kClientWidth - 4970, kClientHeight}));
    EXPECT_EQ(sim_.files().WriteCount(sim_.SettingsPath()), 0);
}

TEST_F(MainFormTest, SecondInstanceEndsAtOnceAndWritesNothing) {
    WriteSettings("[setting]\nwindow=1\nState=2\nModkey1=2\nHotkey1=65\n[Tab]\n1=A?C:\\Work\\A\n");
    const std::string before = SettingsText();
    window().SetPreviousInstance(true);
    Start();
    EXPECT_TRUE(window().Ended());
    EXPECT_FALSE(window().Shown());
    EXPECT_EQ(sim_.journal().Entries(), std::vector<std::string>{"EndProgramNow"});
    EXPECT_EQ(window().TabCount(Strip::Explorer1), 0);
    EXPECT_EQ(SettingsText(), before);
    EXPECT_EQ(sim_.files().WriteCount(sim_.SettingsPath()), 0);
}

TEST_F(MainFormTest, WindowZeroLeavesGeometryAloneAtBothEnds) {
    WriteSettings("[setting]\nwindow=0\nState=2\nBar1=1000\nBar2=900\nX=15\nY=30\nW=5000\nH=4000\n");
    Start();
    EXPECT_EQ(window().GetState(), WindowState::Normal);
    EXPECT_EQ(window().ClientWidth(), kClientWidth);
    EXPECT_EQ(form_.layout().SplitBarPosition(0), 4920);
    window().UserResize(9000, 7000);
    Close();
    EXPECT_EQ(SettingsText(), Crlf("[setting]\nwindow=0\nState=2\nBar1=1000\nBar2=900\nX=15\nY=30\nW=5000\nH=4000\n"
                                   "View=1\nViewApl=0\n"));
}

TEST_F(MainFormTest, WindowOneRestoresAndSavesTheNormalWindow) {
    WriteSettings("[setting]\nwindow=1\nState=0\nBar1=3000\nBar2=2000\nX=600\nY=450\nW=9000\nH=7000\n");
    Start();
    EXPECT_EQ(window().OuterRect(), (base::TwipsRect{600, 450, 9000, 7000}));
    const double clientWidth = 9000 - kFrameWidth;
    const double clientHeight = 7000 - kFrameHeight;
    EXPECT_EQ(window().Bounds(Control::PicFrame0), (base::TwipsRect{0, 0, 3000, clientHeight}));
    EXPECT_EQ(window().Bounds(Control::PicFrame1), (base::TwipsRect{3050, 0, clientWidth - 3050, clientHeight}));
    EXPECT_EQ(window().Bounds(Control::SplitBar1).top, 2000);

    window().MoveOuter({750, 300, 8000, 6000});
    Close();
    EXPECT_EQ(SettingsText(), Crlf("[setting]\nwindow=1\nState=0\nBar1=3000\nBar2=2000\nX=750\nY=300\nW=8000\nH=6000\n"
                                   "View=1\nViewApl=0\n"));
}

TEST_F(MainFormTest, MaximisedWindowSkipsAndKeepsThePlace) {
    WriteSettings("[setting]\nwindow=1\nState=2\nX=600\nY=450\nW=9000\nH=7000\n");
    Start();
    EXPECT_EQ(window().GetState(), WindowState::Maximized);
    EXPECT_NE(window().NormalRect(), (base::TwipsRect{600, 450, 9000, 7000}));
    // Laid out for the maximised client area, the bars at their defaults of 0.
    EXPECT_EQ(window().Bounds(Control::PicFrame1).width, window().ClientWidth() - 50);
    Close();
    EXPECT_EQ(SettingsText(), Crlf("[setting]\nwindow=1\nState=2\nX=600\nY=450\nW=9000\nH=7000\nBar1=0\n"
                                   "Bar2=0\nView=1\nViewApl=0\n"));
}

TEST_F(MainFormTest, MinimisedWindowIsLaidOutWhenRestored) {
    WriteSettings("[setting]\nwindow=1\nState=1\nBar1=2000\nW=9000\nH=7000\n");
    Start();
    EXPECT_EQ(window().GetState(), WindowState::Minimized);
    EXPECT_EQ(window().Bounds(Control::PicFrame0).width, 3375);  // still as designed
    window().UserSetState(WindowState::Normal);
    EXPECT_EQ(window().Bounds(Control::PicFrame0), (base::TwipsRect{0, 0, 2000, kClientHeight}));
    Close();
    // Closed in the normal state: its place is saved; the one in the file was never applied.
    EXPECT_EQ(SettingsText(), Crlf("[setting]\nwindow=1\nState=0\nBar1=2000\nW=12525\nH=7410\nBar2=0\nX=1800\n"
                                   "Y=1350\nView=1\nViewApl=0\n"));
}

TEST_F(MainFormTest, MalformedValuesCountAsMissing) {
    WriteSettings(
        "[setting]\nwindow=1\nState=7\nX=600\nY=450\nW=9000\nH=7000\nView=3\n"
        "[Tab]\n1=NoMark|A?C:\\Work\\A||B?C:\\Work\\B?extra\n2=?\n");
    Start();
    // State out of range: the normal state, so the place is applied.
    EXPECT_EQ(window().GetState(), WindowState::Normal);
    EXPECT_EQ(window().OuterRect(), (base::TwipsRect{600, 450, 9000, 7000}));
    EXPECT_EQ(CheckedViews(), std::vector<MenuItem>{MenuItem::ViewTwo});
    EXPECT_EQ(Tabs(Strip::Explorer1), (std::vector<std::string>{"A?C:\\Work\\A", "B?C:\\Work\\B"}));
    EXPECT_TRUE(Tabs(Strip::Explorer2).empty());
}

TEST_F(MainFormTest, NegativeViewFallsBackToTwoPanes) {
    WriteSettings("[setting]\nView=-1\nViewApl=5\n");
    Start();
    EXPECT_EQ(CheckedViews(), (std::vector<MenuItem>{MenuItem::ViewTwo, MenuItem::ViewAppPane}));
}

TEST_F(MainFormTest, SavedViewAndApplicationPaneComeBack) {
    WriteSettings("[setting]\nView=2\nViewApl=-1\n");
    Start();
    EXPECT_EQ(CheckedViews(), (std::vector<MenuItem>{MenuItem::ViewTwoStacked, MenuItem::ViewAppPane}));
    EXPECT_TRUE(window().IsVisible(Control::PicFrame2));
    // View 2 with the application pane: docked at the right, beside the vertical bar.
    EXPECT_EQ(window().Bounds(Control::PicFrame2), (base::TwipsRect{4970, 0, kClientWidth - 4970, kClientHeight}));
    Close();
    EXPECT_EQ(SettingsText(), Crlf("[setting]\nView=2\nViewApl=-1\n"));
}

TEST_F(MainFormTest, TabsOfDeletedFoldersAreSkippedAndTheRestKeepTheirOrder) {
    sim_.files().SetFile("C:\\Work\\note.txt", "x");
    WriteSettings(
        "[Tab]\n1=A?C:\\Work\\A|Gone?C:\\Work\\Gone|PC?::{20D04FE0-3AEA-1069-A2D8-08002B30309D}|"
        "ドキュメント?C:\\Work\\B\n2=Note?C:\\Work\\note.txt|B?C:\\Work\\B\n");
    Start();
    EXPECT_EQ(Tabs(Strip::Explorer1),
              (std::vector<std::string>{"A?C:\\Work\\A", "PC?::{20D04FE0-3AEA-1069-A2D8-08002B30309D}",
                                        "ドキュメント?C:\\Work\\B"}));
    EXPECT_EQ(Tabs(Strip::Explorer2), std::vector<std::string>{"B?C:\\Work\\B"});
    EXPECT_EQ(window().SelectedTab(Strip::Explorer1), 0);

    window().RemoveTab(Strip::Explorer2, 1);
    Close();
    EXPECT_EQ(SettingsText(), Crlf("[Tab]\n1=A?C:\\Work\\A|PC?::{20D04FE0-3AEA-1069-A2D8-08002B30309D}|"
                                   "ドキュメント?C:\\Work\\B\n[setting]\nView=1\nViewApl=0\n"));
}

TEST_F(MainFormTest, LauncherListAndOffsetsAreRead) {
    WriteSettings(
        "[App]\nEditor=C:\\e.exe\nメモ帳=C:\\n.exe\n=C:\\nameless.exe\nLater=C:\\l.exe\n"
        "[pos]\nX01=150\nY01=-30\nX03=45\nX04=99\n");
    Start();
    EXPECT_EQ(window().ComboItems(), (std::vector<std::string>{"Editor", "メモ帳"}));
    EXPECT_EQ(form_.state().paneOffsetX, (std::array<std::int32_t, 4>{150, 0, 45, 0}));
    EXPECT_EQ(form_.state().paneOffsetY, (std::array<std::int32_t, 4>{-30, 0, 0, 0}));
}

// --- Hotkeys --------------------------------------------------------------------------------------------------

TEST_F(MainFormTest, HotkeysAreRegisteredAsStoredWithTheKeyCodeAsAByte) {
    WriteSettings("[setting]\nModkey1=2\nHotkey1=65\nModkey2=6\nHotkey2=-70\n");
    Start();
    const auto main = window().Handle();
    EXPECT_EQ(sim_.windows().Hotkeys(),
              (std::vector<platform::sim::HotkeyRegistration>{{main, 256, 2, 65}, {main, 257, 6, 186}}));
    // The procedure comes last, after the registrations and the Explorer captures.
    const auto& journal = sim_.journal().Entries();
    const auto installed = std::find(journal.begin(), journal.end(), "InstallHotkeyProcedure");
    ASSERT_NE(installed, journal.end());
    EXPECT_TRUE(std::none_of(installed, journal.end(), [](const std::string& entry) {
        return entry.starts_with("RegisterHotKey") || entry == "CreateExplorer";
    }));
    EXPECT_TRUE(window().HotkeyProcedureInstalled());
}

TEST_F(MainFormTest, OnlyTheHotkeyWithAKeyCodeIsRegistered) {
    WriteSettings("[setting]\nModkey1=2\nModkey2=4\nHotkey2=112\n");
    Start();
    EXPECT_EQ(sim_.journal().Matching("RegisterHotKey"), std::vector<std::string>{"RegisterHotKey 257 4 112"});
}

TEST_F(MainFormTest, ShutdownRemovesTheProcedureBeforeUnregistering) {
    WriteSettings("[setting]\nModkey1=2\nHotkey1=65\n");
    Start();
    sim_.journal().Clear();
    Close();
    const auto& journal = sim_.journal().Entries();
    ASSERT_GE(journal.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(journal.begin(), journal.begin() + 4),
              (std::vector<std::string>{"RequestClose", "RemoveHotkeyProcedure", "UnregisterHotKey 256",
                                        "UnregisterHotKey 257"}));
    EXPECT_TRUE(sim_.windows().Hotkeys().empty());
    EXPECT_FALSE(sim_.windows().PressHotkey(2, 65));
}

// --- Closing --------------------------------------------------------------------------------------------------

TEST_F(MainFormTest, CloseIsRefusedWhileTheSettingsProgramRuns) {
    Start();
    form_.state().optionRunning = true;
    window().UserClickMenu(MenuItem::FileExit);
    EXPECT_EQ(window().RefusedCloses(), 1);
    EXPECT_FALSE(window().Unloaded());
    EXPECT_TRUE(window().HotkeyProcedureInstalled());
    EXPECT_EQ(sim_.files().WriteCount(sim_.SettingsPath()), 0);

    form_.state().optionRunning = false;
    window().UserClickMenu(MenuItem::FileExit);
    EXPECT_TRUE(window().Unloaded());
    EXPECT_EQ(SettingsText(), Crlf("[setting]\nView=1\nViewApl=0\n"));
}

TEST_F(MainFormTest, ShutdownWritesInItsOrder) {
    WriteSettings("[setting]\nwindow=1\nHotkey1=65\n[Tab]\n2=B?C:\\Work\\B\n[App]\nEditor=C:\\e.exe\n");
    Start();
    window().UserClickMenu(MenuItem::ViewTwoStacked);
    window().UserClickMenu(MenuItem::ViewAppPane);
    window().AddTab(Strip::Explorer1, "A");
    window().SetTabTag(Strip::Explorer1, 1, "C:\\Work\\A");
    window().AddTab(Strip::Explorer1, "PC");
    window().SetTabTag(Strip::Explorer1, 2, "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
    window().RemoveTab(Strip::Explorer2, 1);
    window().MoveOuter({1500, 1200, 12525, 7410});
    window().UserClickMenu(MenuItem::ViewEven);  // bars at 6117.5 and 3237.5
    Close();
    // With window = 1 and no saved place the window started at 0, 0, 10000 x 6000.
    EXPECT_EQ(SettingsText(),
              Crlf("[setting]\nwindow=1\nHotkey1=65\nState=0\nBar1=6118\nBar2=3238\nX=1500\nY=1200\nW=12525\n"
                   "H=7410\nView=2\nViewApl=-1\n[Tab]\n1=A?C:\\Work\\A|PC?::{20D04FE0-3AEA-1069-A2D8-08002B30309D}\n"
                   "[App]\nEditor=C:\\e.exe\n"));
}

TEST_F(MainFormTest, ExplorerWindowsAreGivenBackBeforeTheWindowGoes) {
    Start();
    ASSERT_EQ(sim_.explorers().Created().size(), 2u);
    const auto first = sim_.explorers().Created()[0];
    const auto second = sim_.explorers().Created()[1];
    sim_.journal().Clear();
    Close();
    const std::string back1 = "SetParent " + std::to_string(first->window) + " 0";
    const std::string back2 = "SetParent " + std::to_string(second->window) + " 0";
    EXPECT_EQ(sim_.journal().Entries(),
              (std::vector<std::string>{"RequestClose", "RemoveHotkeyProcedure", "UnregisterHotKey 256",
                                        "UnregisterHotKey 257", "Explorer#1 SetVisible false", back1, "Explorer#1 Quit",
                                        "Explorer#1 released", "Explorer#2 SetVisible false", back2, "Explorer#2 Quit",
                                        "Explorer#2 released"}));
    EXPECT_TRUE(first->quit && second->quit);
    EXPECT_FALSE(form_.state().paneExplorer[0] || form_.state().paneExplorer[1]);
}

TEST_F(MainFormTest, AStrangerUnderAReusedHandleIsLeftAlone) {
    Start();
    auto& windows = sim_.windows();
    const auto hosted = form_.state().paneWindow[0];
    ASSERT_EQ(windows.GetParent(hosted), window().FrameWindow(0));

    // The user closes the Explorer window; another program's child window gets its number.
    sim_.explorers().CloseFromInside(*sim_.explorers().Created()[0]);
    const auto host = windows.Create({"OtherApp", "Other", 0, 0, true, {77, 78}});
    windows.ReuseHandleNext(hosted);
    const auto stranger = windows.Create({"Edit", "", host, 0, true, {77, 78}});
    ASSERT_EQ(stranger, hosted);
    sim_.journal().Clear();
    Close();
    EXPECT_TRUE(sim_.journal().Matching("SetParent " + std::to_string(stranger) + " ").empty());
    EXPECT_EQ(windows.GetParent(stranger), host);
    EXPECT_TRUE(sim_.explorers().Created()[0]->released);
}

// --- Layout through the form ----------------------------------------------------------------------------------

TEST_F(MainFormTest, ViewCommandsSetChecksVisibilityAndDocking) {
    Start();
    window().UserClickMenu(MenuItem::ViewOne);
    EXPECT_EQ(CheckedViews(), std::vector<MenuItem>{MenuItem::ViewOne});
    EXPECT_FALSE(window().IsVisible(Control::PicFrame1));
    EXPECT_FALSE(window().IsVisible(Control::SplitBar0));
    EXPECT_EQ(window().Bounds(Control::PicFrame0), (base::TwipsRect{0, 0, kClientWidth, kClientHeight}));
    EXPECT_EQ(window().Bounds(Control::TabStrip1_0).width, kClientWidth - 60);
    EXPECT_EQ(window().Bounds(Control::FrameApp0), (base::TwipsRect{0, 270, kClientWidth, kClientHeight - 270}));

    window().UserClickMenu(MenuItem::ViewTwo);
    window().UserClickMenu(MenuItem::ViewAppPane);
    // Docked at the bottom below the horizontal bar, across the whole width.
    const double below = 2880 + 50;
    EXPECT_TRUE(window().IsVisible(Control::PicFrame2));
    EXPECT_TRUE(window().IsVisible(Control::SplitBar1));
    EXPECT_EQ(window().Bounds(Control::PicFrame2), (base::TwipsRect{0, below, kClientWidth, kClientHeight - below}));
    EXPECT_EQ(window().Bounds(Control::CboApp).left, kClientWidth - 2175);
    EXPECT_EQ(window().Bounds(Control::FrameApp2).height, kClientHeight - below - 300);

    window().UserClickMenu(MenuItem::ViewTwoStacked);
    EXPECT_EQ(window().Bounds(Control::PicFrame2), (base::TwipsRect{4970, 0, kClientWidth - 4970, kClientHeight}));
    EXPECT_EQ(window().Bounds(Control::PicFrame1), (base::TwipsRect{0, below, 4920, kClientHeight - below}));

    window().UserClickMenu(MenuItem::ViewAppPane);
    EXPECT_FALSE(window().IsVisible(Control::PicFrame2));
    EXPECT_EQ(window().Bounds(Control::PicFrame1), (base::TwipsRect{0, below, kClientWidth, kClientHeight - below}));
}

TEST_F(MainFormTest, DraggingABarLaysOutOnlyOnRelease) {
    Start();
    const base::TwipsRect before = window().Bounds(Control::PicFrame0);
    form_.OnSplitMouseDown(0, platform::kButtonRight, 25, 100);
    form_.OnSplitMouseMove(0, platform::kButtonRight, 1000, 100);
    EXPECT_EQ(window().Bounds(Control::SplitBar0).left, 4920);  // no drag with the right button

    form_.OnSplitMouseDown(0, platform::kButtonLeft, 25, 100);
    EXPECT_EQ(window().BarColourOf(0), BarColour::Shadow);
    form_.OnSplitMouseMove(0, platform::kButtonLeft, -1000.4, 100);
    EXPECT_EQ(window().Bounds(Control::SplitBar0).left, 3920);
    EXPECT_EQ(window().Bounds(Control::PicFrame0), before);
    form_.OnSplitMouseMove(0, platform::kButtonLeft, -9000, 100);
    EXPECT_EQ(window().Bounds(Control::SplitBar0).left, 150);

    form_.OnSplitMouseUp(0, platform::kButtonLeft, 0, 100);
    EXPECT_EQ(window().BarColourOf(0), BarColour::Face);
    EXPECT_EQ(window().Bounds(Control::PicFrame0), (base::TwipsRect{0, 0, 150, kClientHeight}));
    EXPECT_EQ(window().Bounds(Control::PicFrame1), (base::TwipsRect{200, 0, kClientWidth - 200, kClientHeight}));
}

TEST_F(MainFormTest, CentredBarsAreSavedAsWholeTwipsHalvesToEven) {
    WriteSettings("[setting]\nwindow=1\n");
    Start();
    // Client 12283 x 6527: bar 0 at 6116.5, bar 1 at 3238.5.
    window().UserResize(12283 + kFrameWidth, 6527 + kFrameHeight);
    window().UserClickMenu(MenuItem::ViewEven);
    EXPECT_EQ(window().Bounds(Control::SplitBar0).left, 6116.5);
    EXPECT_EQ(window().Bounds(Control::PicFrame1).left, 6166.5);
    Close();
    EXPECT_NE(SettingsText().find("Bar1=6116\r\nBar2=3238\r\n"), std::string::npos);
}

TEST_F(MainFormTest, ResizeRulesOfTheWindow) {
    Start();
    window().UserSetState(WindowState::Minimized);
    EXPECT_EQ(window().Bounds(Control::PicFrame1).width, kClientWidth - 4970);

    window().UserSetState(WindowState::Normal);
    window().UserResize(300, 9000);
    EXPECT_EQ(window().OuterRect().width, 500);
    EXPECT_EQ(window().OuterRect().height, 9000);
    // Narrower than the bar: pane 2 moves beside it and keeps its width.
    EXPECT_EQ(window().Bounds(Control::PicFrame1), (base::TwipsRect{4970, 0, kClientWidth - 4970, 9000 - kFrameHeight}));

    window().UserResize(10000, 7000);
    window().ChangeDpi(10, 10);  // 144 DPI: the frame takes fewer twips
    EXPECT_EQ(window().Bounds(Control::PicFrame1).width, 10000 - 16 * 10 - 4970);
}

}  // namespace
}  // namespace velmora::shell
