// The Explorer panes: the rules of navigation, file-list search and style, capture, the display flags and the tab
// strips with their popup menus and drops.
#include <cstdint>

#include "explorer/ExplorerPane.h"
#include "unit/FormFixture.h"

namespace velmora::test {
namespace {

using platform::NavigateTarget;

const std::string kPC = "PC?::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";

TEST(ExplorerRulesTest, SpecialFoldersGoByNumberEverythingElseAsText) {
    const std::pair<std::string, NavigateTarget> cases[] = {
        {"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\::{21EC2020-3AEA-1069-A2DD-08002B30309D}", std::int16_t{3}},
        // Exact text only: the shell's lower-case spelling is a path like any other.
        {"::{20d04fe0-3aea-1069-a2d8-08002b30309d}", std::string("::{20d04fe0-3aea-1069-a2d8-08002b30309d}")}};
    for (const auto& [path, target] : cases) EXPECT_EQ(explorer::NavigationTarget(path), target) << path;
}

TEST(FileListSearchTest, TheViewUnderOneOfTwentyOneSinksButNeverAmongTopLevelWindows) {
    sim::Journal journal;
    sim::Windows windows{journal};
    const auto Child = [&](sim::WindowHandle parent, const char* className) {
        return windows.Create({className, "", parent, 0, true, false, {}});
    };
    const auto top = Child(0, "CabinetWClass");
    Child(Child(0, "SHELLDLL_DefView"), "SysListView32");  // another program's list
    const auto tab = Child(top, "ShellTabWindowClass");
    EXPECT_EQ(explorer::FindFileList(windows, top), 0u);  // a broken chain
    const auto container = Child(Child(tab, "DUIViewWndClassName"), "DirectUIHWND");
    for (int sink = 0; sink < 20; ++sink) Child(container, "CtrlNotifySink");
    const auto list = Child(Child(Child(container, "CtrlNotifySink"), "SHELLDLL_DefView"), "SysListView32");
    EXPECT_EQ(explorer::FindFileList(windows, top), list);
    // A 22nd sink is not looked at.
    windows.Destroy(list);
    Child(Child(Child(container, "CtrlNotifySink"), "SHELLDLL_DefView"), "SysListView32");
    EXPECT_EQ(explorer::FindFileList(windows, top), 0u);
}

using ExplorerPaneTest = FormFixture;

TEST_F(ExplorerPaneTest, CaptureSetsTheWindowUpInOrderPlacesItByTheOffsetsAndReplacesOnlyAWindowGoneFromThePane) {
    WriteSettings("[pos]\nX01=150\nY01=-300\n[Velmora]\nGrid=1\n[Tab]\n1=A?C:\\Work\\A");
    Start();
    const std::string hwnd = N(ExplorerWindow(0));
    const std::string list = "SetListStyle " + N(sim_.explorers.made[0].second);
    const Lines steps = Journal({"Explorer#1", list, "SetParent " + hwnd, "ShowWindow " + hwnd, "MoveWindow " + hwnd});
    EXPECT_EQ(Lines(steps.begin(), steps.begin() + 10),
              (Lines{"Explorer#1 Navigate2 17", "Explorer#1 ShowBrowserBar {EFA24E64-B078-11D0-89E4-00C04FC9E26E} true",
                     "Explorer#1 Hwnd", "Explorer#1 Hwnd", list + " 1", "SetParent " + hwnd + " " + N(sim_.form.frames[0]),
                     "ShowWindow " + hwnd + " 3", "Explorer#1 CurrentViewMode 4", "Explorer#1 Visible true",
                     Fitted(ExplorerWindow(0), Control::FrameApp0, 150, -300)}));
    // A live window is left alone; one taken out of the pane is replaced, and the new window's list styled.
    ForgetJournal();
    sim_.form.Click(MenuItem::CaptureExplorer1);
    const auto old = ExplorerWindow(0);
    sim_.windows.SetParent(old, 0);
    // Each step stands alone: with the others failing the window is still taken in and placed.
    sim_.explorers.failingCalls = {"Navigate2", "ShowBrowserBar", "CurrentViewMode", "Visible"};
    sim_.desktop.trace = &sim_.shell;
    sim_.form.Click(MenuItem::CaptureExplorer1);
    EXPECT_EQ(Journal({"CreateExplorer", "Explorer#1 released", "Explorer#3 Navigate2", "SetListStyle", "Step"}),
              (Lines{"Explorer#1 released", "CreateExplorer", "Step Explorer object made",  // the old object first
                     "Explorer#3 Navigate2 17", "Step Explorer navigated", "Step Explorer folder tree shown",
                     "SetListStyle " + N(sim_.explorers.made[2].second) + " 1", "Step Explorer list styled",
                     "Step Explorer window re-parented and maximised", "Step Explorer window placed"}));
    EXPECT_EQ(Journal({"MoveWindow " + N(ExplorerWindow(0))}).back(),
              Fitted(ExplorerWindow(0), Control::FrameApp0, 150, -300));
}

TEST_F(ExplorerPaneTest, AShellWindowThatDoesNotAnswerOrNameItselfIsNeitherTakenInNorMovedNorGivenBackButToldToQuit) {
    Start();
    ForgetJournal();
    for (const bool hung : {true, false}) {
        sim_.windows.Destroy(ExplorerWindow(0));
        sim_.explorers.hung = hung;
        if (!hung) sim_.explorers.failingCalls.insert("Hwnd");
        sim_.form.Click(MenuItem::CaptureExplorer1);
    }
    EXPECT_EQ(Journal({"SetParent", "ShowWindow", "MoveWindow"}), Lines{});
    // One that stops answering later is not given back at the exit, but still told to quit.
    Win(ExplorerWindow(1)).hung = true;
    Close();
    EXPECT_EQ(Journal({"SetParent", "Explorer#2 Quit"}), Lines{"Explorer#2 Quit"});
}

TEST_F(ExplorerPaneTest, TheTimerKeepsTheFlagsAsTheSettingsSayAndSetsOnlyWhatChanged) {
    Start();
    auto list = sim_.explorers.made[0].second;
    const auto view = Win(list).parent;
    Win(list).listStyle = 0x10021;
    ForgetJournal();
    form_.OnTimer();  // only the two flags change
    WriteSettings("[Velmora]\nGrid=1\nLineSel=5");
    form_.OnTimer();
    // The list found is kept, not looked for again, while it stays under the same view; a navigation destroys it and
    // makes a new one, and one moved elsewhere is no longer the window's.
    const int searches = sim_.windows.childSearches;
    form_.OnTimer();
    EXPECT_EQ(sim_.windows.childSearches, searches);
    const std::string other = "SetListStyle " + N(sim_.explorers.made[1].second);  // the other pane's, as it was
    Lines styled{"SetListStyle " + N(list) + " 65536", "SetListStyle " + N(list) + " 65569", other + " 33"};
    for (const bool moved : {false, true}) {
        if (moved) sim_.windows.SetParent(list, 0);
        else sim_.windows.Destroy(list);
        list = sim_.windows.Create({"SysListView32", "", view, 0, true, false, {}});
        form_.OnTimer();
        styled.push_back("SetListStyle " + N(list) + " 33");
    }
    // A list that does not answer in time is not written: its other bits are unknown.
    Win(list).hung = true;
    WriteSettings("[Velmora]\nGrid=0");
    form_.OnTimer();
    styled.push_back(other + " 0");
    EXPECT_EQ(Journal({"SetListStyle"}), styled);
}

TEST_F(ExplorerPaneTest, TabsAddSelectAndGo) {
    Start();
    sim_.form.Click(MenuItem::FileAddTab1);  // the window shows Computer
    sim_.form.PressHotkey(shell::MainForm::kHotkeyPane2);
    EXPECT_EQ(Tabs(Strip::Explorer2), Lines{kPC});
    for (const char* path : {"C:\\Work\\A", "C:\\Work\\Gone"}) {
        sim_.form.AddTab(Strip::Explorer1, "x");
        sim_.form.SetTabTag(Strip::Explorer1, sim_.form.TabCount(Strip::Explorer1), path);
    }
    ForgetJournal();
    for (int tab : {2, 1, 3}) sim_.form.SelectTab(Strip::Explorer1, tab);
    EXPECT_EQ(Journal({"Explorer#1 Navigate2"}), (Lines{"Explorer#1 Navigate2 C:\\Work\\A", "Explorer#1 Navigate2 17",
                                                        "Explorer#1 Navigate2 C:\\Work\\Gone"}));
    // The folder that could not be shown lost its tab. A location whose name or path the saved tabs cannot hold
    // adds none.
    for (const char* folder : {"C:\\Work\\a?b", "C:\\Wo|rk\\b"}) {
        sim_.files.AddFolder(folder);
        sim_.form.AddTab(Strip::Explorer1, "x");
        sim_.form.SetTabTag(Strip::Explorer1, 3, folder);
        sim_.form.SelectTab(Strip::Explorer1, 3);
        sim_.form.RemoveTab(Strip::Explorer1, 3);
        sim_.form.Click(MenuItem::FileAddTab1);
        EXPECT_EQ(sim_.form.TabCount(Strip::Explorer1), 2) << folder;
    }
    // No window, no tab.
    sim_.windows.Destroy(ExplorerWindow(1));
    ForgetJournal();
    sim_.form.Click(MenuItem::FileAddTab2);
    sim_.form.SelectTab(Strip::Explorer2, 1);
    EXPECT_EQ(Journal({"Explorer#2"}), Lines{});
}

TEST_F(ExplorerPaneTest, ThePopupCopiesOrClosesItsTab) {
    WriteSettings("[Tab]\n2=A?C:\\Work\\A|B?C:\\Work\\B");
    Start();
    ForgetJournal();
    form_.OnTabMouseDown(Strip::Explorer2, platform::kButtonRight, 0, X(Strip::Explorer2, 2), 0);
    EXPECT_EQ(Journal({"ShowPopup"}), Lines{"ShowPopup 1"});
    sim_.form.Click(MenuItem::PopupPath2);
    EXPECT_EQ(sim_.shell.clipboard, "C:\\Work\\B");
    sim_.shell.clipboard.clear();
    sim_.form.Click(MenuItem::PopupPath2);  // the popup's claim was used up
    EXPECT_EQ(sim_.shell.clipboard, "");
    form_.OnTabMouseDown(Strip::Explorer2, platform::kButtonRight, 0, X(Strip::Explorer2, 1), 0);
    sim_.form.Click(MenuItem::PopupClose2);
    EXPECT_EQ(Tabs(Strip::Explorer2), Lines{"B?C:\\Work\\B"});
}

TEST_F(ExplorerPaneTest, TabsDraggedMiddleClickedReopenedAndDoubleClicked) {
    WriteSettings("[Tab]\n1=A?C:\\Work\\A|B?C:\\Work\\B|" + kPC);
    Start();
    form_.OnTabDragged(Strip::Explorer1, 3, 1);  // the last to the front: PC A B
    form_.OnTabDragged(Strip::Explorer1, 1, 4);  // the first to the end: A B PC
    form_.OnTabDragged(Strip::Explorer1, 1, 3);  // into the next gap but one: B A PC
    form_.OnTabDragged(Strip::Explorer1, 2, 2);  // back into its own gap: nothing
    form_.OnTabDragged(Strip::Explorer1, 9, 1);  // no such tab: nothing
    // One closed by the middle button, one by the popup; reopened newest first, each where it stood; none left:
    // nothing.
    form_.OnTabMouseDown(Strip::Explorer1, platform::kButtonMiddle, 0, X(Strip::Explorer1, 1), 0);
    form_.OnTabMouseDown(Strip::Explorer1, platform::kButtonRight, 0, X(Strip::Explorer1, 2), 0);
    sim_.form.Click(MenuItem::PopupClose1);
    for (int i = 0; i < 3; ++i) sim_.form.Click(MenuItem::PopupReopen1);
    // Only ten are kept, per pane.
    for (int i = 0; i < 11; ++i) {
        sim_.form.Click(MenuItem::FileAddTab2);
        form_.OnTabMouseDown(Strip::Explorer2, platform::kButtonMiddle, 0, 1, 0);
    }
    for (int i = 0; i < 11; ++i) sim_.form.Click(MenuItem::PopupReopen2);
    EXPECT_EQ(sim_.form.TabCount(Strip::Explorer2), 10);
    // A double click adds a tab only on the strip's empty part.
    form_.OnTabDoubleClick(Strip::Explorer1, X(Strip::Explorer1, 2));
    form_.OnTabDoubleClick(Strip::Explorer1, X(Strip::Explorer1, 4) + 100);
    Close();
    EXPECT_EQ(Settings("Tab", {"1"}), Lines{"B?C:\\Work\\B|A?C:\\Work\\A|" + kPC + "|" + kPC});
}

TEST_F(ExplorerPaneTest, FilesDroppedOnATabAreMovedOrWithCtrlAloneCopiedIntoItsFolder) {
    WriteSettings("[Tab]\n1=A?C:\\Work\\A|Root?C:\\");
    Start();
    EXPECT_EQ(form_.OnTabDragOver(Strip::Explorer1, platform::kCtrlKey | platform::kShiftKey), 2);
    ForgetJournal();
    form_.OnTabDrop(Strip::Explorer1, true, {"D:\\x\\one.txt", "D:\\two"}, 0, 10, 0);
    form_.OnTabDrop(Strip::Explorer1, true, {"D:\\x\\one.txt"}, platform::kCtrlKey, X(Strip::Explorer1, 2), 0);
    form_.OnTabDrop(Strip::Explorer1, true, {"D:\\x\\one.txt"}, 0, 99999, 0);
    form_.OnTabDrop(Strip::Explorer1, false, {}, 0, 10, 0);
    EXPECT_EQ(sim_.journal.lines, (Lines{"Move D:\\x\\one.txt > C:\\Work\\A\\one.txt", "Move D:\\two > C:\\Work\\A\\two",
                                         "Copy D:\\x\\one.txt > C:\\one.txt"}));
}

}  // namespace
}  // namespace velmora::test
