#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "explorer/ExplorerPanes.h"
#include "platform/sim/SimDesktop.h"
#include "settings/ProfileStore.h"
#include "shell/MainForm.h"

namespace velmora::explorer {
namespace {

using platform::MenuItem;
using platform::NavigateTarget;
using platform::Strip;
using platform::WindowHandle;
using platform::sim::ExplorerCall;
using platform::sim::FileOperationRecord;
using platform::sim::SimDesktop;
using platform::sim::SimExplorerRecord;

constexpr const char* kComputer = "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";
constexpr const char* kTreeBar = "{EFA24E64-B078-11D0-89E4-00C04FC9E26E}";
constexpr const char* kFailureText =
    "エクスプローラーの取り込み中にエラーが発生しました\r\nOSがVistaでUACが有効の場合は取り込みできません";

std::string Crlf(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// --- Rules without a desktop ------------------------------------------------------------------------------------

TEST(ExplorerNavigationTest, SpecialFoldersGoByNumberEverythingElseAsText) {
    EXPECT_EQ(NavigationTarget("::{645FF040-5081-101B-9F08-00AA002F954E}"), NavigateTarget(std::int16_t{10}));
    EXPECT_EQ(NavigationTarget(kComputer), NavigateTarget(std::int16_t{17}));
    EXPECT_EQ(NavigationTarget("::{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\::{21EC2020-3AEA-1069-A2DD-08002B30309D}"),
              NavigateTarget(std::int16_t{3}));
    EXPECT_EQ(NavigationTarget("::{F02C1A0D-BE21-4350-88B0-7367FC96EF3C}"), NavigateTarget(std::int16_t{18}));
    // Exact text only: the shell's lower-case spelling and near misses are paths like any other.
    for (const char* text : {"::{20d04fe0-3aea-1069-a2d8-08002b30309d}", "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\",
                             " ::{F02C1A0D-BE21-4350-88B0-7367FC96EF3C}", "C:\\Work", ""}) {
        EXPECT_EQ(NavigationTarget(text), NavigateTarget(std::string(text))) << text;
    }
}

TEST(ExplorerListStyleTest, OnlyTheTwoFlagsChange) {
    constexpr std::uint32_t kOthers = 0x10000 | 0x4 | 0x400;  // double buffer, check boxes, flat scroll bars
    EXPECT_EQ(ListStyleFor(kOthers, true, false), kOthers | 0x1);
    EXPECT_EQ(ListStyleFor(kOthers | 0x1 | 0x20, true, false), kOthers | 0x1);
    EXPECT_EQ(ListStyleFor(kOthers | 0x1, false, true), kOthers | 0x20);
    EXPECT_EQ(ListStyleFor(0xFFFFFFFF, false, false), 0xFFFFFFFF & ~0x21u);
    EXPECT_EQ(ListStyleFor(0, true, true), 0x21u);
}

// Window trees built by hand on the simulated window manager.
class FileListSearchTest : public ::testing::Test {
protected:
    WindowHandle Make(WindowHandle parent, const char* className) {
        return windows_.Create({className, "", parent, 0, true, {2000, 2001}});
    }
    // ShellTabWindowClass > DUIViewWndClassName > DirectUIHWND under the window.
    WindowHandle Container(WindowHandle top) {
        return Make(Make(Make(top, "ShellTabWindowClass"), "DUIViewWndClassName"), "DirectUIHWND");
    }
    // `count` notification sinks; the one numbered `withView` (1-based) holds the view and its list.
    WindowHandle Sinks(WindowHandle container, int count, int withView) {
        WindowHandle list = 0;
        for (int sink = 1; sink <= count; ++sink) {
            const WindowHandle handle = Make(container, "CtrlNotifySink");
            if (sink == withView) list = Make(Make(handle, "SHELLDLL_DefView"), "SysListView32");
        }
        return list;
    }

    platform::sim::Journal journal_;
    platform::sim::SimWindowManager windows_{journal_};
    WindowHandle top_ = Make(0, "CabinetWClass");
};

TEST_F(FileListSearchTest, ViewUnderOneOfSeveralSinks) {
    const WindowHandle container = Container(top_);
    const WindowHandle list = Sinks(container, 5, 3);
    Make(container, "SysListView32");  // a list beside the sinks is not the file list
    EXPECT_EQ(FindFileList(windows_, top_), list);
}

TEST_F(FileListSearchTest, TwentyOneSinksAreLookedAt) {
    const WindowHandle list = Sinks(Container(top_), 21, 21);
    EXPECT_EQ(FindFileList(windows_, top_), list);
    const WindowHandle other = Make(0, "CabinetWClass");
    Sinks(Container(other), 22, 22);
    EXPECT_EQ(FindFileList(windows_, other), 0u);
}

TEST_F(FileListSearchTest, ShortChainDirectlyUnderTheWindow) {
    const WindowHandle list = Make(Make(top_, "SHELLDLL_DefView"), "SysListView32");
    EXPECT_EQ(FindFileList(windows_, top_), list);
    // Taken also when the long chain exists but ends without a list.
    const WindowHandle other = Make(0, "CabinetWClass");
    Make(Make(Container(other), "CtrlNotifySink"), "SHELLDLL_DefView");
    const WindowHandle shortList = Make(Make(other, "SHELLDLL_DefView"), "SysListView32");
    EXPECT_EQ(FindFileList(windows_, other), shortList);
}

TEST_F(FileListSearchTest, ABrokenChainFindsNothingElsewhere) {
    // Other programs' top-level windows of the inner classes: a window whose
    // chain breaks off must not find their lists.
    Sinks(Make(0, "DirectUIHWND"), 1, 1);
    Make(0, "SysListView32");
    Make(top_, "ShellTabWindowClass");
    EXPECT_EQ(FindFileList(windows_, top_), 0u);
    EXPECT_EQ(FindFileList(windows_, 0), 0u);
}

// --- The panes on the simulated desktop -------------------------------------------------------------------------

class ExplorerPanesTest : public ::testing::Test {
protected:
    ExplorerPanesTest() {
        sim_.window().AttachEvents(&form_);
        sim_.files().AddFolder("C:\\Work\\A");
        sim_.files().AddFolder("C:\\Work\\B");
    }

    void WriteSettings(std::string_view utf8) {
        sim_.files().SetFile(sim_.SettingsPath(), *sim_.codePage().FromUtf8(Crlf(utf8)));
    }
    platform::sim::SimMainWindow& window() { return sim_.window(); }
    void Start() { window().Start(); }
    SimExplorerRecord& Explorer(std::size_t number) { return *sim_.explorers().Created().at(number - 1); }
    platform::ExplorerWindow& PaneObject(int pane) { return *form_.state().paneExplorer.at(pane); }
    std::vector<std::string> Tabs(Strip strip) {
        std::vector<std::string> tabs;
        for (int tab = 1; tab <= window().TabCount(strip); ++tab) {
            tabs.push_back(window().TabCaption(strip, tab) + "?" + window().TabTag(strip, tab));
        }
        return tabs;
    }
    void AddTab(Strip strip, const std::string& caption, const std::string& tag) {
        window().AddTab(strip, caption);
        window().SetTabTag(strip, window().TabCount(strip), tag);
    }
    // What one capture asks of the Explorer object and the window manager, in order.
    std::vector<std::string> CaptureSteps(int number, WindowHandle hosted, int pane) {
        const std::string name = "Explorer#" + std::to_string(number) + " ";
        const std::string handle = std::to_string(hosted);
        return {"CreateExplorer",
                name + "Navigate2 17",
                name + "ShowBrowserBar " + kTreeBar + " true",
                "SetParent " + handle + " " + std::to_string(window().FrameWindow(pane)),
                "ShowWindow " + handle + " 3",
                name + "SetCurrentViewMode 4",
                name + "SetVisible true"};
    }

    SimDesktop sim_;
    settings::ProfileStore store_{sim_.files(), sim_.codePage()};
    shell::MainForm form_{sim_.desktop(), store_};
};

TEST_F(ExplorerPanesTest, StartUpCapturesBothPanesAtComputerInDetailsView) {
    WriteSettings("[pos]\nX01=150\nY01=-30\nX02=9000\n");
    Start();
    ASSERT_TRUE(window().Shown());
    ASSERT_EQ(sim_.explorers().Created().size(), 2u);
    for (int pane = 0; pane < 2; ++pane) {
        const SimExplorerRecord& record = Explorer(static_cast<std::size_t>(pane) + 1);
        EXPECT_EQ(form_.state().paneWindow[static_cast<std::size_t>(pane)], record.window);
        EXPECT_EQ(sim_.windows().GetParent(record.window), window().FrameWindow(pane));
        EXPECT_EQ(sim_.windows().LastShowCommand(record.window), 3);
        EXPECT_EQ(record.navigations, std::vector<NavigateTarget>{std::int16_t{17}});
        EXPECT_EQ(record.folderPath, kComputer);
        EXPECT_TRUE(record.browserBarShown);
        EXPECT_EQ(record.browserBarId, kTreeBar);
        EXPECT_EQ(record.viewMode, 4);
        EXPECT_TRUE(record.visible);
    }
    // Pane 1's steps in order, then its placement in the frame by the offsets.
    const auto& journal = sim_.journal().Entries();
    const auto first = std::find(journal.begin(), journal.end(), "CreateExplorer");
    ASSERT_GE(journal.end() - first, 8);
    EXPECT_EQ(std::vector<std::string>(first, first + 7), CaptureSteps(1, Explorer(1).window, 0));
    // Frame 4920 x 6255 twips: 150 - 30 from its corner, 4770 x 6285 twips, in pixels at 15 twips each.
    ASSERT_EQ(window().Bounds(platform::Control::FrameApp0), (base::TwipsRect{0, 270, 4920, 6255}));
    EXPECT_EQ(first[7], "MoveWindow " + std::to_string(Explorer(1).window) + " 10 -2 318 419");
    // An offset beyond the frame leaves no negative width.
    const auto placed = sim_.journal().Matching("MoveWindow " + std::to_string(Explorer(2).window) + " ");
    ASSERT_FALSE(placed.empty());
    EXPECT_EQ(placed.front(), "MoveWindow " + std::to_string(Explorer(2).window) + " 600 0 0 417");
    EXPECT_TRUE(window().MessageBoxes().empty());
}

TEST_F(ExplorerPanesTest, CaptureLeavesALivePaneAlone) {
    Start();
    sim_.journal().Clear();
    window().UserClickMenu(MenuItem::CaptureExplorer1);
    window().UserClickMenu(MenuItem::CaptureExplorer2);
    EXPECT_TRUE(sim_.journal().Entries().empty());
    EXPECT_EQ(sim_.explorers().Created().size(), 2u);
}

TEST_F(ExplorerPanesTest, CaptureAfterTheWindowWasClosedFromInside) {
    WriteSettings("[Tab]\n1=A?C:\\Work\\A|B?C:\\Work\\B\n");
    Start();
    sim_.explorers().CloseFromInside(Explorer(1));
    // Until it is captured again the pane has no window: tabs, hotkeys and the timer leave it alone.
    window().UserSelectTab(Strip::Explorer1, 2);
    window().UserClickMenu(MenuItem::FileAddTab1);
    form_.OnTimer();
    EXPECT_EQ(Explorer(1).navigations.size(), 1u);
    EXPECT_EQ(window().TabCount(Strip::Explorer1), 2);

    sim_.journal().Clear();
    window().UserClickMenu(MenuItem::CaptureExplorer1);
    ASSERT_EQ(sim_.explorers().Created().size(), 3u);
    const SimExplorerRecord& fresh = Explorer(3);
    std::vector<std::string> expected = CaptureSteps(3, fresh.window, 0);
    expected.insert(expected.begin(), "Explorer#1 released");
    ASSERT_GE(sim_.journal().Entries().size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(sim_.journal().Entries().begin(),
                                       sim_.journal().Entries().begin() + static_cast<long>(expected.size())),
              expected);
    EXPECT_EQ(fresh.folderPath, kComputer);
    EXPECT_TRUE(fresh.browserBarShown);
    EXPECT_EQ(fresh.viewMode, 4);
    EXPECT_EQ(form_.state().paneWindow[0], fresh.window);
    EXPECT_EQ(Tabs(Strip::Explorer1), (std::vector<std::string>{"A?C:\\Work\\A", "B?C:\\Work\\B"}));
    EXPECT_EQ(Explorer(2).navigations.size(), 1u);  // pane 2 untouched
}

TEST_F(ExplorerPanesTest, AStrangerUnderTheOldHandleIsNoLivePane) {
    Start();
    const WindowHandle old = Explorer(1).window;
    sim_.explorers().CloseFromInside(Explorer(1));
    sim_.windows().ReuseHandleNext(old);
    ASSERT_EQ(sim_.windows().Create({"Notepad", "メモ", 0, 0, true, {77, 78}}), old);
    window().UserClickMenu(MenuItem::CaptureExplorer1);
    EXPECT_EQ(sim_.explorers().Created().size(), 3u);
    EXPECT_EQ(sim_.windows().GetParent(old), 0u);
}

TEST_F(ExplorerPanesTest, NoExplorerObjectEndsTheProgramWithoutSaving) {
    WriteSettings("[setting]\nwindow=1\nModkey1=2\nHotkey1=65\n[Tab]\n1=A?C:\\Work\\A\n");
    const auto before = sim_.files().ReadAll(sim_.SettingsPath());
    sim_.explorers().SetCreateFails(true);
    Start();
    EXPECT_EQ(window().MessageBoxes(),
              (std::vector<platform::sim::MessageBoxRecord>{{kFailureText, "Velmora エラー"}}));
    EXPECT_TRUE(window().Ended());
    EXPECT_FALSE(window().Shown());
    EXPECT_FALSE(window().Unloaded());
    EXPECT_FALSE(window().HotkeyProcedureInstalled());
    // Pane 2 is not tried, and the box comes before the end.
    EXPECT_EQ(sim_.journal().Matching("CreateExplorer").size(), 1u);
    const auto& journal = sim_.journal().Entries();
    ASSERT_GE(journal.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(journal.end() - 2, journal.end()),
              (std::vector<std::string>{"MessageBox Velmora エラー", "EndProgramNow"}));
    EXPECT_EQ(sim_.files().ReadAll(sim_.SettingsPath()), before);
    EXPECT_EQ(sim_.files().WriteCount(sim_.SettingsPath()), 0);
}

TEST_F(ExplorerPanesTest, TheMenuCommandFailsTheSameWay) {
    WriteSettings("[setting]\nView=2\n");
    Start();
    sim_.explorers().CloseFromInside(Explorer(2));
    sim_.explorers().SetCreateFails(true);
    window().UserClickMenu(MenuItem::CaptureExplorer2);
    EXPECT_EQ(window().MessageBoxes().size(), 1u);
    EXPECT_TRUE(window().Ended());
    EXPECT_FALSE(window().Unloaded());
    EXPECT_EQ(sim_.files().WriteCount(sim_.SettingsPath()), 0);
}

class ExplorerStepFailureTest : public ExplorerPanesTest, public ::testing::WithParamInterface<ExplorerCall> {};

TEST_P(ExplorerStepFailureTest, AFailingStepSkipsOnlyItself) {
    sim_.explorers().SetCallFails(GetParam(), true);
    Start();
    ASSERT_TRUE(window().Shown());
    EXPECT_TRUE(window().MessageBoxes().empty());
    const WindowHandle hosted = Explorer(1).window;
    const auto& journal = sim_.journal().Entries();
    const auto first = std::find(journal.begin(), journal.end(), "CreateExplorer");
    ASSERT_GE(journal.end() - first, 7);
    EXPECT_EQ(std::vector<std::string>(first, first + 7), CaptureSteps(1, hosted, 0));
    EXPECT_EQ(sim_.windows().GetParent(hosted), window().FrameWindow(0));
    EXPECT_EQ(Explorer(1).browserBarShown, GetParam() != ExplorerCall::ShowBrowserBar);
    EXPECT_EQ(Explorer(1).visible, GetParam() != ExplorerCall::SetVisible);
    EXPECT_EQ(Explorer(2).navigations.empty(), GetParam() == ExplorerCall::Navigate2);
}

INSTANTIATE_TEST_SUITE_P(EachStep, ExplorerStepFailureTest,
                         ::testing::Values(ExplorerCall::Navigate2, ExplorerCall::ShowBrowserBar,
                                           ExplorerCall::SetCurrentViewMode, ExplorerCall::SetVisible));

TEST_F(ExplorerPanesTest, UnreadableHandleLeavesTheWindowWhereItIs) {
    WriteSettings("[setting]\nGrid=1\n");
    sim_.explorers().SetCallFails(ExplorerCall::Hwnd, true);
    Start();
    ASSERT_TRUE(window().Shown());
    EXPECT_TRUE(window().MessageBoxes().empty());
    for (std::size_t number : {1u, 2u}) {
        const SimExplorerRecord& record = Explorer(number);
        EXPECT_EQ(sim_.windows().GetParent(record.window), 0u);
        EXPECT_EQ(sim_.windows().LastShowCommand(record.window), 0);
        EXPECT_TRUE(sim_.journal().Matching("MoveWindow " + std::to_string(record.window)).empty());
        EXPECT_EQ(sim_.windows().GetListViewExtendedStyle(record.list), 0u);  // no handle, no list
        EXPECT_EQ(record.viewMode, 4);
        EXPECT_TRUE(record.visible);
    }
    EXPECT_EQ(form_.state().paneWindow[0], 0u);
}

// --- Tabs -------------------------------------------------------------------------------------------------------

TEST_F(ExplorerPanesTest, AddingTabsFromTheMenuAndTheHotkeys) {
    WriteSettings("[setting]\nModkey1=2\nHotkey1=65\nModkey2=6\nHotkey2=66\n");
    Start();
    ASSERT_TRUE(PaneObject(0).Navigate2(std::string("C:\\Work\\A")));
    window().UserClickMenu(MenuItem::FileAddTab1);
    EXPECT_EQ(Tabs(Strip::Explorer1), std::vector<std::string>{"A?C:\\Work\\A"});
    EXPECT_EQ(window().SelectedTab(Strip::Explorer1), 0);  // neither selected nor navigated
    EXPECT_EQ(Explorer(1).navigations.size(), 2u);

    // Hotkey 257 twice: two equal tabs in pane 2, delivered through the installed procedure.
    ASSERT_TRUE(sim_.windows().PressHotkey(6, 66));
    ASSERT_TRUE(sim_.windows().PressHotkey(6, 66));
    ASSERT_TRUE(sim_.windows().PressHotkey(2, 65));
    EXPECT_EQ(window().TabCount(Strip::Explorer2), 0);  // still queued
    sim_.clock().PumpPendingMessages();
    EXPECT_EQ(Tabs(Strip::Explorer2),
              (std::vector<std::string>{std::string("PC?") + kComputer, std::string("PC?") + kComputer}));
    EXPECT_EQ(Tabs(Strip::Explorer1), (std::vector<std::string>{"A?C:\\Work\\A", "A?C:\\Work\\A"}));
    EXPECT_EQ(sim_.windows().Foreground(), 0u);  // Velmora is not brought forward

    window().RequestClose();
    const auto saved = *sim_.codePage().ToUtf8(*sim_.files().ReadAll(sim_.SettingsPath()));
    EXPECT_NE(saved.find(Crlf("[Tab]\n1=A?C:\\Work\\A|A?C:\\Work\\A\n2=PC?") + kComputer + "|PC?" + kComputer),
              std::string::npos);
}

TEST_F(ExplorerPanesTest, NoTabWithoutAFolderObject) {
    Start();
    for (ExplorerCall call : {ExplorerCall::FolderName, ExplorerCall::FolderPath}) {
        sim_.explorers().SetCallFails(call, true);
        window().UserClickMenu(MenuItem::FileAddTab1);
        sim_.explorers().SetCallFails(call, false);
    }
    EXPECT_EQ(window().TabCount(Strip::Explorer1), 0);
    window().UserClickMenu(MenuItem::FileAddTab1);
    EXPECT_EQ(window().TabCount(Strip::Explorer1), 1);
}

TEST_F(ExplorerPanesTest, SelectingNavigatesAndAFailureRemovesTheTab) {
    WriteSettings(
        "[Tab]\n1=A?C:\\Work\\A|PC?::{20D04FE0-3AEA-1069-A2D8-08002B30309D}|"
        "Gone?::{00000000-0000-0000-0000-000000000000}|B?C:\\Work\\B\n");
    Start();
    window().UserSelectTab(Strip::Explorer1, 1);
    window().UserSelectTab(Strip::Explorer1, 2);
    EXPECT_EQ(Explorer(1).navigations,
              (std::vector<NavigateTarget>{std::int16_t{17}, std::string("C:\\Work\\A"), std::int16_t{17}}));
    window().UserSelectTab(Strip::Explorer1, 3);
    EXPECT_EQ(Tabs(Strip::Explorer1),
              (std::vector<std::string>{"A?C:\\Work\\A", std::string("PC?") + kComputer, "B?C:\\Work\\B"}));
    EXPECT_EQ(Explorer(1).folderPath, kComputer);  // stays where it was
    EXPECT_TRUE(window().MessageBoxes().empty());
    EXPECT_EQ(Explorer(2).navigations.size(), 1u);
}

TEST_F(ExplorerPanesTest, RightClickPopupCopyAndClose) {
    Start();
    // Tab widths in the simulated strip: 300 twips for "A", 900 for the six-letter caption.
    AddTab(Strip::Explorer1, "A", "C:\\Work\\A");
    AddTab(Strip::Explorer1, "ドキュメント", kComputer);
    form_.OnTabMouseDown(Strip::Explorer1, 3, 0, 350, 100);  // right with left held
    form_.OnTabMouseDown(Strip::Explorer1, 1, 0, 350, 100);
    form_.OnTabMouseDown(Strip::Explorer1, 2, 0, 1200, 100);  // beyond the last tab
    EXPECT_TRUE(window().PopupsShown().empty());
    EXPECT_EQ(form_.state().popupTabIndex, 0);

    form_.OnTabMouseDown(Strip::Explorer1, 2, 0, 300, 100);
    EXPECT_EQ(form_.state().popupTabIndex, 2);
    EXPECT_EQ(window().PopupsShown(), std::vector<platform::PopupMenu>{platform::PopupMenu::Explorer1});
    window().UserClickMenu(MenuItem::PopupPath1);
    EXPECT_EQ(sim_.clipboard().GetText(), kComputer);  // the path, not the caption
    EXPECT_EQ(form_.state().popupTabIndex, 0);
    sim_.clipboard().SetText("other");
    window().UserClickMenu(MenuItem::PopupPath1);  // nothing chosen any more
    EXPECT_EQ(sim_.clipboard().GetText(), "other");

    form_.OnTabMouseDown(Strip::Explorer1, 2, 0, 299, 100);
    sim_.journal().Clear();
    window().UserClickMenu(MenuItem::PopupClose1);
    EXPECT_EQ(Tabs(Strip::Explorer1), std::vector<std::string>{std::string("ドキュメント?") + kComputer});
    EXPECT_EQ(form_.state().popupTabIndex, 0);
    EXPECT_TRUE(sim_.journal().Matching("Explorer#").empty());  // the window is not touched

    AddTab(Strip::Explorer2, "B", "C:\\Work\\B");
    form_.OnTabMouseDown(Strip::Explorer2, 2, 0, 10, 100);
    EXPECT_EQ(window().PopupsShown().back(), platform::PopupMenu::Explorer2);
    window().UserClickMenu(MenuItem::PopupPath2);
    EXPECT_EQ(sim_.clipboard().GetText(), "C:\\Work\\B");
    form_.OnTabMouseDown(Strip::Explorer2, 2, 0, 10, 100);
    window().UserClickMenu(MenuItem::PopupClose2);
    EXPECT_EQ(window().TabCount(Strip::Explorer2), 0);
}

TEST_F(ExplorerPanesTest, DroppedFilesGoIntoTheTabsFolder) {
    Start();
    AddTab(Strip::Explorer1, "b", "C:\\b");
    AddTab(Strip::Explorer1, "c", "C:\\");
    const WindowHandle owner = window().Handle();
    using platform::FileOperation;

    form_.OnTabDrop(Strip::Explorer1, true, {"C:\\a\\x.txt"}, 0, 10, 0);
    form_.OnTabDrop(Strip::Explorer1, true, {"C:\\a\\x.txt"}, platform::kCtrlKey, 310, 0);
    form_.OnTabDrop(Strip::Explorer1, true, {"C:\\a\\1", "D:\\2.txt", "C:\\a\\dir"}, platform::kShiftKey, 0, 0);
    EXPECT_EQ(sim_.shell().FileOperations(),
              (std::vector<FileOperationRecord>{{owner, FileOperation::Move, "C:\\a\\x.txt", "C:\\b\\x.txt"},
                                                {owner, FileOperation::Copy, "C:\\a\\x.txt", "C:\\x.txt"},
                                                {owner, FileOperation::Move, "C:\\a\\1", "C:\\b\\1"},
                                                {owner, FileOperation::Move, "D:\\2.txt", "C:\\b\\2.txt"},
                                                {owner, FileOperation::Move, "C:\\a\\dir", "C:\\b\\dir"}}));

    // Right of the last tab, or data without a file list: nothing.
    form_.OnTabDrop(Strip::Explorer1, true, {"C:\\a\\x.txt"}, 0, 600, 0);
    form_.OnTabDrop(Strip::Explorer1, false, {}, 0, 10, 0);
    form_.OnTabDrop(Strip::Explorer2, true, {"C:\\a\\x.txt"}, 0, 10, 0);  // pane 2 has no tabs
    EXPECT_EQ(sim_.shell().FileOperations().size(), 5u);

    // Only Ctrl alone copies, in the drop and in the effect shown while dragging.
    form_.OnTabDrop(Strip::Explorer1, true, {"C:\\y"}, platform::kCtrlKey | platform::kShiftKey, 10, 0);
    form_.OnTabDrop(Strip::Explorer1, true, {"C:\\y"}, platform::kCtrlKey | platform::kAltKey, 10, 0);
    EXPECT_EQ(sim_.shell().FileOperations()[5].operation, FileOperation::Move);
    EXPECT_EQ(sim_.shell().FileOperations()[6].operation, FileOperation::Move);
    EXPECT_EQ(form_.OnTabDragOver(Strip::Explorer1, platform::kCtrlKey), 1);
    EXPECT_EQ(form_.OnTabDragOver(Strip::Explorer2, platform::kCtrlKey), 1);
    for (int shift : {0, platform::kShiftKey, platform::kCtrlKey | platform::kShiftKey, platform::kAltKey}) {
        EXPECT_EQ(form_.OnTabDragOver(Strip::Explorer1, shift), 2) << shift;
    }
}

// --- Timer ------------------------------------------------------------------------------------------------------

TEST_F(ExplorerPanesTest, TimerKeepsBothListsAsTheSettingsSay) {
    WriteSettings("[Velmora]\nGrid=1\nLineSel=0\n");
    Start();
    auto& windows = sim_.windows();
    const WindowHandle list1 = Explorer(1).list;
    const WindowHandle list2 = Explorer(2).list;
    EXPECT_EQ(windows.GetListViewExtendedStyle(list1), 0x1u);  // applied at capture
    // The shell re-creates its lists: their own bits come back, ours are gone.
    windows.SetListViewStyleQuietly(list1, 0x10000 | 0x20);
    windows.SetListViewStyleQuietly(list2, 0x4);
    form_.OnTimer();
    EXPECT_EQ(windows.GetListViewExtendedStyle(list1), 0x10001u);
    EXPECT_EQ(windows.GetListViewExtendedStyle(list2), 0x5u);
    const int sets = windows.SetStyleCount(list1);
    form_.OnTimer();  // unchanged: no set message
    EXPECT_EQ(windows.SetStyleCount(list1), sets);

    // A change made by the settings program shows at the next tick.
    WriteSettings("[Velmora]\nGrid=0\nLineSel=7\n");
    form_.OnTimer();
    EXPECT_EQ(windows.GetListViewExtendedStyle(list1), 0x10020u);
    EXPECT_EQ(windows.GetListViewExtendedStyle(list2), 0x24u);

    // A closed pane is skipped; the other goes on.
    sim_.explorers().CloseFromInside(Explorer(1));
    windows.SetListViewStyleQuietly(list2, 0);
    sim_.journal().Clear();
    form_.OnTimer();
    EXPECT_EQ(sim_.journal().Entries(),
              std::vector<std::string>{"SetListViewExtendedStyle " + std::to_string(list2) + " 32"});
}

TEST_F(ExplorerPanesTest, ShortChainAndNoListAtAll) {
    WriteSettings("[Velmora]\nLineSel=1\n");
    sim_.explorers().SetListChain(platform::sim::ListChain::Short);
    Start();
    EXPECT_EQ(sim_.windows().GetListViewExtendedStyle(Explorer(1).list), 0x20u);
    sim_.explorers().CloseFromInside(Explorer(1));
    sim_.explorers().SetListChain(platform::sim::ListChain::None);
    window().UserClickMenu(MenuItem::CaptureExplorer1);
    sim_.journal().Clear();
    form_.OnTimer();
    EXPECT_EQ(sim_.journal().Matching("SetListViewExtendedStyle").size(), 0u);
    EXPECT_EQ(form_.state().paneWindow[0], Explorer(3).window);
}

}  // namespace
}  // namespace velmora::explorer
