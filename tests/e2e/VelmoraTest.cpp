// Velmora.exe, and Option.exe run from its Tools menu, as a user works them: the Explorer panes hold our stand-in (Wine
// has no Explorer object), the application pane copies of tests/fixtures/fixture_app.cpp, checked by the window tree.
#include <string>
#include <vector>

#include "e2e/Driver.h"
#include "platform/win32/ExplorerStandIn.h"
#include "platform/win32/OptionIds.h"

namespace velmora::e2e {
namespace {

namespace ids = win32::ids;
using Texts = std::vector<std::wstring>;
const std::wstring kComputer = L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";

TEST(VelmoraTest, StartUpRestoresTabsFollowTheUserAndClosingWritesBack) {
    // 800x600 pixels at 100,100; stacked panes with the application pane at their right, wide enough for the tabs.
    Folder work({L"one.txt"}), source({L"moved.txt", L"copied.txt"});
    Program velmora(L"Velmora.exe", ids::kMainWindowClass,
                    L"[setting]\r\nwindow=1\r\nState=0\r\nX=1500\r\nY=1500\r\nW=12000\r\nH=9000\r\nBar1=9000\r\n"
                    L"Bar2=3000\r\nView=2\r\nViewApl=-1\r\n[Tab]\r\n1=コンピュータ?" +
                        kComputer + L"|Work?" + work.path + L"|Gone?C:\\velmora-no-such-folder\r\n2=A?" + source.path +
                        L"|PC?" + kComputer);
    const RECT outer = ScreenRect(velmora.Main()), expected{100, 100, 900, 700};
    EXPECT_TRUE(EqualRect(&outer, &expected) && !IsZoomed(velmora.Main()));
    const auto frame = [&](int id) { return ScreenRect(velmora.Control(id)); };
    EXPECT_TRUE(frame(ids::kPicFrame1).top > frame(ids::kPicFrame0).bottom &&
                frame(ids::kPicFrame2).left > frame(ids::kPicFrame0).right)
        << "not stacked with the application pane at the right";
    EXPECT_EQ(Items(Strip(velmora, 0)), (Texts{L"コンピュータ", L"Work"}));
    for (int pane : {0, 1})
        EXPECT_TRUE(IsClass(Hosted(velmora, pane), win32::kExplorerStandInClass) && List(velmora, pane)) << pane;
    {  // A second copy ends at once, without a window or a file of its own.
        Program second(L"Velmora.exe", ids::kMainWindowClass, L"");
        EXPECT_TRUE(second.WaitForExit() && !second.Main() && !second.Read(L"setting", L"View"));
    }
    velmora.Command(ids::kHelpAbout, true);
    HWND about = WaitForBox(velmora.Id());
    EXPECT_EQ(Text(about), L"Velmora");
    EXPECT_EQ(BoxText(about), L"Velmora Ver" + std::to_wstring(VELMORA_VERSION_MAJOR) + L"." +
                                  std::to_wstring(VELMORA_VERSION_MINOR) + L"." +
                                  std::to_wstring(VELMORA_VERSION_PATCH) + L"\t作者 Quonda");
    Answer(about);

    // A click on a tab shows its folder; the File menu, by its keys, adds a tab for the folder shown.
    Click(TabCentre(Strip(velmora, 0), 1));
    EXPECT_TRUE(WaitFor([&] { return Items(List(velmora, 0)) == Texts{L"one.txt"}; }));
    Keys({VK_MENU, 'F'});
    ASSERT_TRUE(WaitFor([&] { return velmora.MenuOpen(); }, 3000)) << "no File menu";
    Keys({'1'});
    EXPECT_TRUE(WaitFor([&] { return ItemCount(Strip(velmora, 0)) == 3; }));
    // Tab 1 dragged past tab 3 goes last; a drag cancelled with Escape moves nothing. A tab's tooltip is its path.
    HWND strip = Strip(velmora, 0);
    const RECT stripRect = ScreenRect(strip);
    const POINT beyond{stripRect.right - 20, (stripRect.top + stripRect.bottom) / 2};
    const Texts dragged{L"Work", work.Name(), L"コンピュータ"};
    Drag(TabCentre(strip, 0), beyond);
    EXPECT_TRUE(WaitFor([&] { return Items(strip) == dragged; }));
    Drag(TabCentre(strip, 0), beyond, true);
    EXPECT_FALSE(WaitFor([&] { return Items(strip) != dragged; }, 1000)) << "moved after Escape";
    MoveTo(TabCentre(strip, 0));
    HWND tip = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (tip = TopLevel(TOOLTIPS_CLASSW, velmora.Id())) != nullptr; }, 5000));
    EXPECT_EQ(Text(tip), work.path);
    // A double click beside the tabs adds one for the folder shown (Work, selected by the last press); the middle
    // button closes a tab, and the popup menu brings the last one closed back where it stood.
    Click(beyond, Button::Left, 2);
    EXPECT_TRUE(WaitFor([&] { return ItemCount(strip) == 4; }));
    Click(TabCentre(strip, 2), Button::Middle);
    EXPECT_TRUE(WaitFor([&] { return ItemCount(strip) == 3; }));
    velmora.Popup(strip, 0, 'R');
    EXPECT_EQ(Items(strip), (Texts{L"Work", work.Name(), L"コンピュータ", work.Name()}));
    // The popup of a tab copies its path, or closes it.
    velmora.Popup(Strip(velmora, 1), 1, 'P');
    WaitFor([] { return OpenClipboard(nullptr) != FALSE; }, 2000);
    HANDLE copied = GetClipboardData(CF_UNICODETEXT);
    EXPECT_EQ(std::wstring(copied ? static_cast<const wchar_t*>(GlobalLock(copied)) : L""), kComputer);
    GlobalUnlock(copied);
    EmptyClipboard();  // so that a run that follows copies afresh
    CloseClipboard();
    velmora.Popup(Strip(velmora, 1), 0, 'C');
    // Files dropped on a tab are moved into its folder, with Ctrl copied. The source never hears of a move it would
    // finish by deleting its files: Velmora moves them itself, after the drop, and a move onto the tab of the file's
    // own folder does nothing at all.
    MoveTo(TabCentre(strip, 0));
    EXPECT_EQ(DropFiles({source / L"moved.txt"}), static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_TRUE(WaitFor([&] { return work.Has(L"moved.txt") && !source.Has(L"moved.txt"); }));
    EXPECT_EQ(DropFiles({work / L"moved.txt"}), static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_FALSE(WaitFor([&] { return !work.Has(L"moved.txt"); }, 1500)) << "a no-op move lost the file";
    EXPECT_EQ(DropFiles({source / L"copied.txt"}, true), static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_TRUE(WaitFor([&] { return work.Has(L"copied.txt") && source.Has(L"copied.txt"); }));

    velmora.Close();
    ASSERT_TRUE(velmora.WaitForExit());
    const std::pair<const wchar_t*, const wchar_t*> saved[] = {{L"State", L"0"}, {L"View", L"2"}, {L"ViewApl", L"-1"}};
    for (const auto& [key, value] : saved) EXPECT_EQ(velmora.Read(L"setting", key), value) << key;
    const std::wstring added = work.Name() + L"?" + work.path;
    EXPECT_EQ(velmora.Read(L"Tab", L"1"),
              L"Work?" + work.path + L"|" + added + L"|コンピュータ?" + kComputer + L"|" + added);
    EXPECT_EQ(velmora.Read(L"Tab", L"2"), L"PC?" + kComputer);
}

// The Tools menu runs the settings program from Velmora's folder; Velmora refuses to close meanwhile, and takes
// over what it saved once it has ended.
TEST(VelmoraTest, ToolsMenuRunsOptionWhoseSavedChangesVelmoraTakesOver) {
    namespace option = win32::option_ids;
    Folder tools({L"tool.exe"});
    // Pane 1's hotkey Ctrl+Shift+F9 (the field's word 0x0378).
    Program velmora(L"Velmora.exe", ids::kMainWindowClass,
                    L"[setting]\r\nwindow=1\r\nHot1=888\r\nModkey1=6\r\nHotkey1=120\r\n[App]\r\nメモ帳=C:\\x.exe\r\n"
                    L"[pos]\r\nX01=150\r\n",
                    {L"Option.exe"});
    HWND form = nullptr;
    const auto runOption = [&] {
        MoveTo(Centre(velmora.Main()));
        Keys({VK_MENU, 'T'});
        ASSERT_TRUE(WaitFor([&] { return velmora.MenuOpen(); }, 3000)) << "no Tools menu";
        Keys({'O'});
        ASSERT_TRUE(WaitFor([&] { return (form = TopLevel(option::kWindowClass)) != nullptr; }, 20000));
    };
    ASSERT_NO_FATAL_FAILURE(runOption());
    velmora.Close();
    EXPECT_FALSE(velmora.WaitForExit(500)) << "Velmora closed while the settings program ran";

    // Option shows the file, under its Japanese captions; positions in pixels.
    const auto control = [&](int id) { return GetDlgItem(form, id); };
    HWND hotkey = FindWindowExW(control(option::PicHotkey(0)), nullptr, HOTKEY_CLASSW, nullptr);
    HWND y = GetDlgItem(control(option::UctUDText1(1)), 1), name = control(option::kTxtName);
    HWND path = control(option::TxtPath(0));
    const std::pair<std::wstring, std::wstring> shown[] = {
        {Text(control(option::kChkWindow)), L"ウィンドウの位置、サイズを記憶する"},
        {Text(GetDlgItem(control(option::UctUDText1(0)), 1)), L"10"},
        {ItemText(control(option::kListView1), 0), L"メモ帳"}};
    for (const auto& [actual, expected] : shown) EXPECT_EQ(actual, expected);
    EXPECT_TRUE(Send(hotkey, HKM_GETHOTKEY) == 0x0378 && Send(control(option::kChkWindow), BM_GETCHECK) == BST_CHECKED);
    // Real keys: Ctrl+Shift+F10 in pane 1's hotkey field, 12 in pane 1's Y field.
    Click(Centre(hotkey));
    Keys({VK_CONTROL, VK_SHIFT, VK_F10});
    EXPECT_TRUE(WaitFor([&] { return Send(hotkey, HKM_GETHOTKEY) == 0x0379; }));
    Click(Centre(y));
    Send(y, EM_SETSEL, 0, -1);
    Keys({'1', '2'});
    EXPECT_TRUE(WaitFor([&] { return Text(y) == L"12"; })) << Text(y);
    // The launcher refuses a name it has, with its message; a file dropped on the path fills path and name.
    Send(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"メモ帳"));
    Send(path, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"C:\\y.exe"));
    PostMessageW(form, WM_COMMAND, option::kCmdAdd, reinterpret_cast<LPARAM>(control(option::kCmdAdd)));
    HWND box = WaitForBox();
    EXPECT_EQ(Text(box), L"Option");
    EXPECT_EQ(BoxText(box), L"すでに同名のコマンドが登録されています");
    Answer(box);
    MoveTo(Centre(path));
    EXPECT_EQ(DropFiles({tools / L"tool.exe"}), static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_TRUE(Text(path) == tools / L"tool.exe" && Text(name) == L"tool") << Text(path);
    Send(form, WM_COMMAND, option::kCmdAdd, reinterpret_cast<LPARAM>(control(option::kCmdAdd)));
    // "Apply" writes and leaves the form open; Escape is "Cansel", which writes nothing more.
    Send(form, WM_COMMAND, option::CmdDecision(1), reinterpret_cast<LPARAM>(control(option::CmdDecision(1))));
    EXPECT_TRUE(velmora.Read(L"setting", L"Hotkey1") == L"121" && velmora.Read(L"pos", L"Y01") == L"180" &&
                velmora.Read(L"App", L"tool") == tools / L"tool.exe");
    Send(control(option::kChkWindow), BM_CLICK);
    MoveTo(Centre(form));
    Keys({VK_ESCAPE});
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(form); })) << "Escape did not end Option.exe";
    EXPECT_EQ(velmora.Read(L"setting", L"window"), L"1");

    // Taken over at once: the new hotkey works while another program has the focus, and leaves it there; the old
    // one is gone; the launcher has the new entry.
    EXPECT_TRUE(WaitFor([&] { return ItemCount(velmora.Control(ids::kCboApp)) == 2; }));
    HWND other = CreateWindowExW(0, L"Static", L"other", WS_POPUP | WS_VISIBLE, 300, 300, 300, 200, nullptr, nullptr,
                                 nullptr, nullptr);
    MoveTo(Centre(other));
    SetForegroundWindow(other);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == other; }, 3000));
    Keys({VK_CONTROL, VK_SHIFT, VK_F10});
    EXPECT_TRUE(WaitFor([&] { return ItemCount(Strip(velmora, 0)) == 1; })) << "the new hotkey added no tab";
    Keys({VK_CONTROL, VK_SHIFT, VK_F9});
    EXPECT_FALSE(WaitFor([&] { return ItemCount(Strip(velmora, 0)) == 2; }, 1500)) << "the old hotkey still works";
    EXPECT_EQ(GetForegroundWindow(), other);
    DestroyWindow(other);

    // Run again, the settings program saves with Enter ("OK") and ends; then Velmora closes.
    ASSERT_NO_FATAL_FAILURE(runOption());
    Send(GetDlgItem(form, option::kChkWindow), BM_CLICK);
    MoveTo(Centre(form));
    Keys({VK_RETURN});
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(form); })) << "Enter did not end Option.exe";
    EXPECT_EQ(velmora.Read(L"setting", L"window"), L"0");
    // Closing stays refused until Velmora has seen the program end; the user tries again.
    EXPECT_TRUE(WaitFor([&] { return velmora.Close(), velmora.WaitForExit(500); }, 20000));
}

// Picks a launcher entry as the user does: the list dropped, then the entry clicked.
void Pick(const Program& velmora, int entry) {
    Click(Centre(velmora.Control(ids::kCboApp)));
    HWND list = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (list = TopLevel(L"ComboLBox", velmora.Id())) != nullptr; }, 3000));
    const int height = static_cast<int>(Send(list, LB_GETITEMHEIGHT));
    POINT at{10, height * entry + height / 2};
    ClientToScreen(list, &at);
    Click(at);
}

// How a fixture's program ended (see fixture_app.cpp), once it has; STILL_ACTIVE while it runs on.
DWORD Ending(HANDLE process, DWORD timeoutMs = 10000) {
    DWORD code = 0;
    WaitForSingleObject(process, timeoutMs);
    GetExitCodeProcess(process, &code);
    return code;
}

// A window given back to its user: a top-level window again, shown.
bool OnDesktop(HWND window) { return GetAncestor(window, GA_PARENT) == GetDesktopWindow() && IsWindowVisible(window); }

// A launcher with copies of the fixture program under the names given (their behaviour follows the name).
std::wstring Launcher(const Folder& apps, std::initializer_list<const wchar_t*> names) {
    std::wstring launcher;
    for (const std::wstring name : names) {
        const std::wstring program = apps / (L"fixture_" + name + L".exe");
        CopyFileW((BinaryFolder() + L"\\fixtures\\fixture_app.exe").c_str(), program.c_str(), FALSE);
        launcher += name + L"=" + program + L"\r\n";
    }
    return launcher;
}

// Picks a launcher entry; the window captured for it, once its tab is there.
HWND Capture(const Program& velmora, int entry) {
    const int tabs = ItemCount(Strip(velmora, 2));
    Pick(velmora, entry);
    EXPECT_TRUE(WaitFor([&] { return ItemCount(Strip(velmora, 2)) == tabs + 1; }, 15000)) << entry;
    return Hosted(velmora, 2);  // the newest is on top
}

TEST(VelmoraTest, ApplicationPaneCapturesTakesOutClosesSweepsAndGivesBack) {
    // Picking the entry already chosen starts its program again.
    Folder apps;
    Program velmora(
        L"Velmora.exe", ids::kMainWindowClass,
        L"[setting]\r\nViewApl=-1\r\n[App]\r\n" + Launcher(apps, {L"A", L"B", L"C_hung", L"D_exits", L"E_refuses"}));
    HWND strip = Strip(velmora, 2);
    std::vector<HWND> windows;  // captured, in the order of their tabs
    std::vector<HANDLE> processes;
    for (int entry : {0, 0, 1, 1}) {
        windows.push_back(Capture(velmora, entry));
        ASSERT_EQ(ItemCount(strip), static_cast<int>(windows.size()));
        EXPECT_TRUE(IsClass(windows.back(), L"VelmoraFixture")) << "no window of the program in the pane";
        DWORD id = 0;
        GetWindowThreadProcessId(windows.back(), &id);
        processes.push_back(
            OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    }

    // A program killed from outside loses its tab at the next tick.
    TerminateProcess(processes[2], 9);
    EXPECT_TRUE(WaitFor([&] { return ItemCount(strip) == 3; }, 2000));
    // Taken out, a window goes back to the desktop and its program runs on; a tab closed with the middle button gives
    // its window back and asks its program to close.
    velmora.Popup(strip, 0, 'T');
    EXPECT_TRUE(WaitFor([&] { return GetAncestor(windows[0], GA_PARENT) == GetDesktopWindow(); }, 5000));
    Click(TabCentre(strip, 0), Button::Middle);
    EXPECT_EQ(Ending(processes[1]), 0u) << "not given back to the desktop, then asked to close";

    // A program whose window does not answer, and one that shows none, leave no tab but a message; one tab is left.
    const std::pair<int, const wchar_t*> refusals[] = {
        {2, L"アプリケーションが応答していないため、ウィンドウを操作できませんでした。"},
        {3, L"ハンドルが見つかりませんでした。"}};
    for (const auto& [entry, message] : refusals) {
        ASSERT_NO_FATAL_FAILURE(Pick(velmora, entry));
        HWND box = WaitForBox(velmora.Id());
        EXPECT_TRUE(Text(box) == L"Velmora" && BoxText(box) == message) << entry;
        Answer(box);
    }
    EXPECT_EQ(ItemCount(strip), 1);

    // A program that refuses to close keeps a window its user can reach, when its tab is closed and when Velmora
    // closes: given back to the desktop, shown, before it is asked.
    const HWND refusing[] = {Capture(velmora, 4), Capture(velmora, 4)};
    velmora.Popup(strip, 1, 'C');
    EXPECT_TRUE(WaitFor([&] { return ItemCount(strip) == 2 && OnDesktop(refusing[0]); }));

    // Closing Velmora gives its window back to the desktop before asking its program to close; the window taken
    // out is no longer Velmora's.
    velmora.Close();
    ASSERT_TRUE(velmora.WaitForExit());
    EXPECT_EQ(Ending(processes[3]), 0u);
    EXPECT_EQ(Ending(processes[0], 0), STILL_ACTIVE);
    EXPECT_TRUE(OnDesktop(refusing[0]) && OnDesktop(refusing[1]));
    for (HANDLE process : processes) CloseHandle(process);
}

// Log-off: the session's end saves as a close does and gives every window back, without a window shown; a window
// saved where no monitor shows it comes up on one, the file untouched until then; a right press while the left
// button is held is no popup request.
TEST(VelmoraTest, SessionEndSavesAndGivesBackAndAWindowSavedOffScreenComesBack) {
    Folder apps;
    Program velmora(L"Velmora.exe", ids::kMainWindowClass,
                    L"[setting]\r\nwindow=1\r\nState=0\r\nX=-400000\r\nY=300000\r\nW=12000\r\nH=9000\r\n"
                    L"Bar1=4950\r\nBar2=3000\r\nView=2\r\nViewApl=-1\r\n[Tab]\r\n1=PC?" +
                        kComputer + L"\r\n[App]\r\n" + Launcher(apps, {L"R_refuses"}));
    MONITORINFO monitor{sizeof(monitor)};
    GetMonitorInfoW(MonitorFromWindow(velmora.Main(), MONITOR_DEFAULTTONEAREST), &monitor);
    RECT outer = ScreenRect(velmora.Main()), inside{};
    IntersectRect(&inside, &outer, &monitor.rcWork);
    EXPECT_TRUE(EqualRect(&inside, &outer) && outer.right - outer.left == 800) << outer.left << "," << outer.top;
    EXPECT_EQ(velmora.Read(L"setting", L"X"), L"-400000");

    MoveTo(TabCentre(Strip(velmora, 0), 0));
    const auto press = [](DWORD button) {
        INPUT input{INPUT_MOUSE, {.mi = {0, 0, 0, button}}};
        SendInput(1, &input, sizeof(input));
    };
    press(MOUSEEVENTF_LEFTDOWN);
    press(MOUSEEVENTF_RIGHTDOWN);
    EXPECT_FALSE(WaitFor([&] { return velmora.MenuOpen(); }, 1500)) << "a popup for a right press with the left held";
    press(MOUSEEVENTF_RIGHTUP);
    press(MOUSEEVENTF_LEFTUP);

    HWND captured = Capture(velmora, 0);
    velmora.Command(ids::kViewTwo);
    EXPECT_EQ(Send(velmora.Main(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    Send(velmora.Main(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_TRUE(OnDesktop(captured)) << "the captured window was not given back";
    EXPECT_EQ(velmora.Read(L"setting", L"View"), L"1");
    EXPECT_EQ(velmora.Read(L"Tab", L"1"), L"PC?" + kComputer);
    EXPECT_EQ(velmora.Read(L"setting", L"X"), std::to_wstring(outer.left * 15));
    EXPECT_EQ(TopLevel(L"#32770", velmora.Id()), nullptr) << "a box shown while the session ends";
}

}  // namespace
}  // namespace velmora::e2e
