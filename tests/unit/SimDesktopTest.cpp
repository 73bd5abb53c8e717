#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/SimDesktop.h"

namespace velmora::platform::sim {
namespace {

// Records the events the simulated runtime raises.
class RecordedEvents : public MainWindowEvents {
public:
    std::vector<std::string> seen;

    void OnLoad() override { seen.push_back("Load"); }
    bool OnQueryClose() override {
        seen.push_back("QueryClose");
        return refuseClose;
    }
    void OnUnload() override { seen.push_back("Unload"); }
    void OnResize() override { seen.push_back("Resize"); }
    void OnFrameResize(int index) override { seen.push_back("FrameResize " + std::to_string(index)); }
    void OnMenu(MenuItem) override { seen.push_back("Menu"); }
    void OnHelpMenuOpening() override {}
    void OnTabClick(Strip) override { seen.push_back("TabClick"); }
    void OnTabMouseDown(Strip, int, int, double, double) override {}
    int OnTabDragOver(Strip, int) override { return 0; }
    void OnTabDrop(Strip, bool, const std::vector<std::string>&, int, double, double) override {}
    void OnFrameDrop(int, bool, const std::vector<std::string>&) override {}
    void OnComboClick() override {}
    void OnSplitMouseDown(int, int, double, double) override {}
    void OnSplitMouseMove(int, int, double, double) override {}
    void OnSplitMouseUp(int, int, double, double) override {}
    void OnTimer() override {}
    void OnHotkey(int id) override { seen.push_back("Hotkey " + std::to_string(id)); }
    void OnDpiChanged() override { seen.push_back("Dpi"); }

    bool refuseClose = false;
};

class SimDesktopTest : public ::testing::Test {
protected:
    SimDesktopTest() { sim_.window().AttachEvents(&events_); }
    SimDesktop sim_;
    RecordedEvents events_;
};

TEST_F(SimDesktopTest, DestroyingAWindowTakesItsChildrenAndOwnedWindows) {
    auto& windows = sim_.windows();
    const auto top = windows.Create({"Top", "T", 0, 0, true, {1, 2}});
    const auto child = windows.Create({"Child", "", top, 0, true, {1, 2}});
    const auto grandchild = windows.Create({"Child", "", child, 0, true, {1, 2}});
    const auto owned = windows.Create({"Owned", "", 0, top, true, {1, 2}});
    const auto other = windows.Create({"Other", "", 0, 0, true, {3, 4}});
    windows.Destroy(top);
    EXPECT_FALSE(windows.IsWindow(top) || windows.IsWindow(child) || windows.IsWindow(grandchild) ||
                 windows.IsWindow(owned));
    EXPECT_TRUE(windows.IsWindow(other));
    EXPECT_EQ(windows.FindChild(0, 0, "owned"), 0u);
}

TEST_F(SimDesktopTest, AReusedHandleNamesANewWindow) {
    auto& windows = sim_.windows();
    const auto first = windows.Create({"A", "", 0, 0, true, {1, 2}});
    const auto serial = windows.Serial(first);
    windows.Destroy(first);
    windows.ReuseHandleNext(first);
    const auto second = windows.Create({"B", "", 0, 0, true, {5, 6}});
    EXPECT_EQ(second, first);
    EXPECT_NE(windows.Serial(second), serial);
    EXPECT_EQ(windows.GetIdentity(second), (WindowIdentity{5, 6}));
    // Without the request numbers are not given out twice.
    EXPECT_NE(windows.Create({"C", "", 0, 0, true, {}}), first);
}

TEST_F(SimDesktopTest, ChildSearchAndReparenting) {
    auto& windows = sim_.windows();
    const auto top = windows.Create({"Top", "", 0, 0, true, {}});
    const auto sink1 = windows.Create({"CtrlNotifySink", "", top, 0, true, {}});
    windows.Create({"Other", "", top, 0, true, {}});
    const auto sink2 = windows.Create({"CtrlNotifySink", "", top, 0, true, {}});
    EXPECT_EQ(windows.FindChild(top, 0, "ctrlnotifysink"), sink1);
    EXPECT_EQ(windows.FindChild(top, sink1, "CtrlNotifySink"), sink2);
    EXPECT_EQ(windows.FindChild(top, sink2, "CtrlNotifySink"), 0u);

    const auto host = windows.Create({"Host", "", 0, 0, false, {}});
    EXPECT_TRUE(windows.SetParent(host, sink1));
    EXPECT_EQ(windows.GetParent(host), sink1);
    EXPECT_EQ(windows.Children(sink1), std::vector<WindowHandle>{host});
    // Not into itself or one of its own descendants.
    EXPECT_FALSE(windows.SetParent(top, host));
    EXPECT_FALSE(windows.SetParent(top, top));
    EXPECT_TRUE(windows.SetParent(host, 0));
    EXPECT_TRUE(windows.Children(sink1).empty());
    EXPECT_EQ(windows.TopLevelWindows().front(), host);

    windows.SetParentRefused(true);
    EXPECT_FALSE(windows.SetParent(top, host));
    EXPECT_EQ(windows.GetParent(top), 0u);
}

TEST_F(SimDesktopTest, VisibilityFollowsTheParents) {
    auto& windows = sim_.windows();
    const auto hidden = windows.Create({"Top", "", 0, 0, false, {}});
    const auto child = windows.Create({"Child", "", hidden, 0, true, {}});
    EXPECT_FALSE(windows.IsWindowVisible(child));
    windows.SetVisible(hidden, true);
    EXPECT_TRUE(windows.IsWindowVisible(child));
}

TEST_F(SimDesktopTest, HotkeysAreRefusedWhenTakenAndArriveThroughTheQueue) {
    auto& windows = sim_.windows();
    const auto main = sim_.window().Handle();
    windows.TakeHotkeyElsewhere(2, 65);
    EXPECT_FALSE(windows.RegisterHotKey(main, 256, 2, 65));
    EXPECT_TRUE(windows.RegisterHotKey(main, 256, 2, 66));
    EXPECT_FALSE(windows.RegisterHotKey(main, 257, 2, 66));  // the same combination twice

    EXPECT_TRUE(windows.PressHotkey(2, 66));
    EXPECT_TRUE(events_.seen.empty());  // posted, not sent
    sim_.clock().PumpPendingMessages();
    EXPECT_TRUE(events_.seen.empty());  // no procedure installed yet

    sim_.window().InstallHotkeyProcedure();
    windows.PressHotkey(2, 66);
    sim_.clock().PumpPendingMessages();
    EXPECT_EQ(events_.seen, std::vector<std::string>{"Hotkey 256"});
    windows.UnregisterHotKey(main, 256);
    EXPECT_FALSE(windows.PressHotkey(2, 66));
}

TEST_F(SimDesktopTest, FormRuntimeRaisesSizeEventsOnlyForChanges) {
    auto& window = sim_.window();
    window.Start();
    EXPECT_EQ(events_.seen, (std::vector<std::string>{"Load", "Resize"}));
    events_.seen.clear();
    const base::TwipsRect outer = window.OuterRect();
    window.MoveOuter({0, 0, outer.width, outer.height});  // moved, same size
    window.Place(Control::PicFrame1, {10, 0, 4335, 2295});
    EXPECT_TRUE(events_.seen.empty());
    window.Place(Control::PicFrame1, {10, 0, 4000, 2295});
    window.SetState(WindowState::Maximized);
    EXPECT_EQ(events_.seen, (std::vector<std::string>{"FrameResize 1", "Resize"}));
    EXPECT_EQ(window.ClientWidth(), 1920 * 15.0);
    // Moving a maximised window changes where it is restored to.
    window.MoveOuter({15, 30, 6000, 5000});
    window.UserSetState(WindowState::Normal);
    EXPECT_EQ(window.OuterRect(), (base::TwipsRect{15, 30, 6000, 5000}));
    EXPECT_EQ(window.ClientWidth(), 6000 - 16 * 15);
}

TEST_F(SimDesktopTest, CloseRequestAndImmediateEnd) {
    auto& window = sim_.window();
    window.Start();
    const auto hosted = sim_.windows().Create({"App", "", window.FrameWindow(2), 0, true, {9, 9}});
    events_.refuseClose = true;
    window.RequestClose();
    EXPECT_EQ(window.RefusedCloses(), 1);
    events_.refuseClose = false;
    window.RequestClose();
    EXPECT_TRUE(window.Unloaded());
    // A window still inside at the end goes with ours.
    EXPECT_FALSE(sim_.windows().IsWindow(hosted));
    events_.seen.clear();
    window.UserClickMenu(MenuItem::FileExit);
    EXPECT_TRUE(events_.seen.empty());
}

TEST_F(SimDesktopTest, TabStripsKeepTheSelectionOnTheRightTab) {
    auto& window = sim_.window();
    for (const char* caption : {"a", "b", "c"}) window.AddTab(Strip::Explorer1, caption);
    window.UserSelectTab(Strip::Explorer1, 3);
    window.RemoveTab(Strip::Explorer1, 1);
    EXPECT_EQ(window.SelectedTab(Strip::Explorer1), 2);
    EXPECT_EQ(window.TabCaption(Strip::Explorer1, 2), "c");
    window.RemoveTab(Strip::Explorer1, 2);
    EXPECT_EQ(window.SelectedTab(Strip::Explorer1), 0);
    EXPECT_EQ(window.TabCaption(Strip::Explorer1, 2), "");
    EXPECT_GT(window.TabWidth(Strip::Explorer1, 1), 0);
}

TEST_F(SimDesktopTest, ExplorerNavigatesKnownPlacesOnly) {
    sim_.files().AddFolder("C:\\Work\\Docs");
    auto explorer = sim_.desktop().explorers.Create();
    ASSERT_TRUE(explorer);
    const auto& record = *sim_.explorers().Created().back();
    EXPECT_FALSE(sim_.windows().IsWindowVisible(record.window));
    EXPECT_FALSE(explorer->FolderPath());

    EXPECT_TRUE(explorer->Navigate2(std::int16_t{17}));
    EXPECT_EQ(explorer->FolderPath(), "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
    EXPECT_TRUE(explorer->Navigate2(std::string("C:\\Work\\Docs")));
    EXPECT_EQ(explorer->FolderName(), "Docs");
    EXPECT_FALSE(explorer->Navigate2(std::string("C:\\Work\\Gone")));
    EXPECT_FALSE(explorer->Navigate2(std::string("::{20d04fe0-3aea-1069-a2d8-08002b30309d}")));
    EXPECT_FALSE(explorer->Navigate2(std::int16_t{5}));
    EXPECT_EQ(explorer->FolderPath(), "C:\\Work\\Docs");

    // The file list is found by the class chain the program searches.
    auto& windows = sim_.windows();
    WindowHandle container = windows.FindChild(
        windows.FindChild(windows.FindChild(record.window, 0, "ShellTabWindowClass"), 0, "DUIViewWndClassName"), 0,
        "DirectUIHWND");
    WindowHandle sink = windows.FindChild(container, 0, "CtrlNotifySink");
    sink = windows.FindChild(container, sink, "CtrlNotifySink");
    EXPECT_EQ(windows.FindChild(windows.FindChild(sink, 0, "SHELLDLL_DefView"), 0, "SysListView32"), record.list);

    sim_.explorers().SetCallFails(ExplorerCall::Navigate2, true);
    EXPECT_FALSE(explorer->Navigate2(std::int16_t{17}));
    EXPECT_TRUE(explorer->Quit());
    EXPECT_FALSE(windows.IsWindow(record.window));
    EXPECT_FALSE(explorer->Hwnd());
    explorer.reset();
    EXPECT_TRUE(record.released);
}

TEST_F(SimDesktopTest, ExplorerShortChainAndCreationFailure) {
    sim_.explorers().SetListChain(ListChain::Short);
    auto explorer = sim_.desktop().explorers.Create();
    const auto& record = *sim_.explorers().Created().back();
    auto& windows = sim_.windows();
    EXPECT_EQ(windows.FindChild(windows.FindChild(record.window, 0, "SHELLDLL_DefView"), 0, "SysListView32"),
              record.list);
    EXPECT_EQ(windows.FindChild(record.window, 0, "ShellTabWindowClass"), 0u);
    sim_.explorers().SetCreateFails(true);
    EXPECT_FALSE(sim_.desktop().explorers.Create());
}

TEST_F(SimDesktopTest, ProgramsOpenTheirKindOfWindow) {
    auto& processes = sim_.processes();
    auto& windows = sim_.windows();
    processes.RegisterProgram("C:\\Apps\\Normal.exe", {ProgramKind::Normal, "Normal"});
    processes.RegisterProgram("C:\\Program Files\\Owned App\\owned.exe", {ProgramKind::OwnedOnly, "Owned"});
    processes.RegisterProgram("C:\\Apps\\bare.exe", {ProgramKind::Titleless, "Bare"});
    processes.RegisterProgram("C:\\Apps\\gone.exe", {ProgramKind::ExitsAtOnce});

    const auto normal = processes.Start("\"C:\\Apps\\Normal.exe\" a.txt", kShowMaximized);
    ASSERT_EQ(processes.WindowsOf(normal).size(), 1u);
    const auto normalWindow = processes.WindowsOf(normal)[0];
    EXPECT_EQ(windows.WindowTitle(normalWindow), "Normal");
    EXPECT_EQ(windows.GetIdentity(normalWindow).processId, normal);

    // Unquoted, with blanks in the path.
    const auto owned = processes.Start("c:\\program files\\owned app\\OWNED.EXE /x", kShowNormal);
    ASSERT_EQ(processes.WindowsOf(owned).size(), 2u);
    const auto owner = processes.WindowsOf(owned)[0];
    EXPECT_FALSE(windows.IsWindowVisible(owner));
    EXPECT_EQ(windows.GetOwner(processes.WindowsOf(owned)[1]), owner);

    const auto bare = processes.Start("C:\\Apps\\bare.exe", kShowNormal);
    EXPECT_EQ(windows.WindowTitle(processes.WindowsOf(bare)[0]), "");

    const auto gone = processes.Start("C:\\Apps\\gone.exe", kShowNormal);
    EXPECT_NE(gone, 0u);
    EXPECT_FALSE(processes.IsRunning(gone));
    EXPECT_TRUE(processes.WindowsOf(gone).empty());

    EXPECT_EQ(processes.Start("C:\\Apps\\unknown.exe", kShowNormal), 0u);
    ASSERT_EQ(processes.Starts().size(), 5u);
    EXPECT_EQ(processes.Starts()[0].showCommand, kShowMaximized);
    EXPECT_EQ(processes.Starts()[4].processId, 0u);

    processes.EndProcess(normal);
    EXPECT_FALSE(windows.IsWindow(normalWindow));
}

TEST_F(SimDesktopTest, WaitingForInputIdleTakesSimulatedTime) {
    auto& processes = sim_.processes();
    auto& clock = sim_.clock();
    processes.RegisterProgram("C:\\slow.exe", {ProgramKind::Normal, "Slow", "Slow", 700});
    processes.RegisterProgram("C:\\busy.exe", {ProgramKind::NeverIdle, "Busy"});

    const std::uint32_t start = clock.NowMs();
    const auto slow = processes.Start("C:\\slow.exe", kShowNormal);
    EXPECT_TRUE(processes.WindowsOf(slow).empty());
    EXPECT_FALSE(processes.WaitForInputIdle(slow, 500));
    EXPECT_EQ(clock.NowMs() - start, 500u);
    EXPECT_TRUE(processes.WaitForInputIdle(slow, 500));
    EXPECT_EQ(clock.NowMs() - start, 700u);
    EXPECT_EQ(processes.WindowsOf(slow).size(), 1u);

    const auto busy = processes.Start("C:\\busy.exe", kShowNormal);
    EXPECT_FALSE(processes.WaitForInputIdle(busy, 1000));
    EXPECT_EQ(clock.NowMs() - start, 1700u);
    EXPECT_FALSE(processes.WaitForInputIdle(12345, 1000));
}

TEST_F(SimDesktopTest, WaitingForAProcessKeepsMessagesFlowing) {
    auto& processes = sim_.processes();
    auto& clock = sim_.clock();
    SimProgram option{ProgramKind::Normal, "Option"};
    option.exitAfterMs = 3000;
    processes.RegisterProgram("C:\\Program Files\\Velmora\\Option.exe", option);
    auto running = processes.Launch("C:\\Program Files\\Velmora\\Option.exe");
    ASSERT_TRUE(running);

    int handled = 0;
    clock.After(1000, [&] { clock.Post([&] { ++handled; }); });
    clock.WaitForProcessOrMessage(*running, 10000);
    EXPECT_EQ(clock.NowMs(), 1000u);  // woken by the message
    EXPECT_EQ(handled, 1);
    EXPECT_FALSE(running->HasExited());
    clock.WaitForProcessOrMessage(*running, 10000);
    EXPECT_EQ(clock.NowMs(), 3000u);
    EXPECT_TRUE(running->HasExited());
    EXPECT_FALSE(processes.Launch("C:\\nothing.exe"));
}

TEST_F(SimDesktopTest, MessagesPostedWhilePumpingWaitForTheNextPump) {
    auto& clock = sim_.clock();
    std::vector<int> order;
    clock.Post([&] {
        order.push_back(1);
        clock.Post([&] { order.push_back(3); });
    });
    clock.Post([&] { order.push_back(2); });
    clock.PumpPendingMessages();
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    clock.PumpPendingMessages();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST_F(SimDesktopTest, DocumentsFindTheirProgram) {
    sim_.files().SetFile("C:\\Docs\\read.me.TXT", "x");
    sim_.files().SetFile("C:\\Docs\\data.xyz", "x");
    sim_.processes().Associate("txt", "C:\\Windows\\notepad.exe");
    EXPECT_EQ(sim_.processes().AssociatedProgram("C:\\Docs\\read.me.TXT"), "C:\\Windows\\notepad.exe");
    EXPECT_FALSE(sim_.processes().AssociatedProgram("C:\\Docs\\data.xyz"));
    EXPECT_FALSE(sim_.processes().AssociatedProgram("C:\\Docs\\missing.txt"));
}

}  // namespace
}  // namespace velmora::platform::sim
