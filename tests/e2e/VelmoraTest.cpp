// Velmora.exe, and Option.exe run from its Tools menu, as a user works them: the Explorer panes hold our stand-in (Wine
// has no Explorer object), the application pane copies of tests/fixtures/fixture_app.cpp, checked by the window tree.
#include "e2e/Driver.h"
#include "platform/win32/OptionIds.h"

namespace velmora::e2e {
namespace {

namespace ids = win32::ids;
using Texts = std::vector<std::wstring>;
const std::wstring kComputer = L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";

// The window was saved 800x600 pixels where no monitor shows it; stacked panes with the application pane at their
// right, wide enough for the tabs.
TEST(VelmoraTest, ExplorerTabsFollowTheMouseTakeDropsAndTheSessionsEndSavesThemInTheOrderShown) {
    Folder work, source({L"moved.txt", L"copied.txt"});
    Program velmora(
        L"[setting]\r\nwindow=1\r\nState=0\r\nX=-400000\r\nY=300000\r\nW=12000\r\nH=9000\r\nBar1=9000\r\n"
        L"Bar2=3000\r\nView=2\r\nViewApl=-1\r\n[Tab]\r\n1=コンピュータ?" +
        kComputer + L"|Work?" + work.path + L"|Gone?C:\\velmora-no-such-folder\r\n2=A?" + source.path + L"|PC?" +
        kComputer);
    // It comes up whole on the screen.
    RECT outer = ScreenRect(velmora.Main()), area{}, inside{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    EXPECT_TRUE(IntersectRect(&inside, &outer, &area) && EqualRect(&inside, &outer) && outer.right - outer.left == 800);
    // The tab of a folder that has gone goes without a word.
    HWND strip = Strip(velmora, 0);
    EXPECT_EQ(Tabs(strip), (Texts{L"コンピュータ", L"Work"}));
    {  // A second copy ends at once, without a window or a file of its own.
        Program second(L"");
        EXPECT_TRUE(second.WaitForExit() && !second.Main() && !second.Read(L"setting", L"View"));
    }

    // A click on a tab shows its folder in the pane's window (our stand-in); the File menu, by its keys, adds a tab for
    // the folder shown.
    Click(TabCentre(strip, 1));
    EXPECT_TRUE(WaitFor([&] { return Text(Hosted(velmora, 0)) == work.Name(); }));
    Keys({VK_MENU, 'F'});
    ASSERT_TRUE(WaitFor([&] { return velmora.MenuOpen(); }, 3000)) << "no File menu";
    Keys({'1'});
    EXPECT_TRUE(WaitFor([&] { return Tabs(strip).size() == 3u; }));
    // Tab 1 dragged past tab 3 goes last; a drag cancelled with Escape moves nothing. A tab's tooltip is its path.
    const RECT stripRect = ScreenRect(strip);
    const POINT beyond{stripRect.right - 20, (stripRect.top + stripRect.bottom) / 2};
    const Texts dragged{L"Work", work.Name(), L"コンピュータ"};
    Drag(TabCentre(strip, 0), beyond);
    EXPECT_TRUE(WaitFor([&] { return Tabs(strip) == dragged; }));
    Drag(TabCentre(strip, 0), beyond, true);
    EXPECT_FALSE(WaitFor([&] { return Tabs(strip) != dragged; }, 1000)) << "moved after Escape";
    MoveTo(TabCentre(strip, 0));
    HWND tip = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (tip = TopLevel(TOOLTIPS_CLASSW, velmora.Id())) != nullptr; }, 5000));
    EXPECT_EQ(Text(tip), work.path);
    // A double click beside the tabs adds one for the folder shown (Work, selected by the last press); the middle
    // button closes a tab, and the popup menu brings the last one closed back where it stood.
    Click(beyond, MOUSEEVENTF_LEFTDOWN, 2);
    EXPECT_TRUE(WaitFor([&] { return Tabs(strip).size() == 4u; }));
    Click(TabCentre(strip, 2), MOUSEEVENTF_MIDDLEDOWN);
    EXPECT_TRUE(WaitFor([&] { return Tabs(strip).size() == 3u; }));
    velmora.Popup(strip, 0, 'R');
    EXPECT_EQ(Tabs(strip), (Texts{L"Work", work.Name(), L"コンピュータ", work.Name()}));
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
    EXPECT_EQ(DropFile(source / L"moved.txt"), static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_TRUE(WaitFor([&] { return work.Has(L"moved.txt") && !source.Has(L"moved.txt"); }));
    EXPECT_EQ(DropFile(work / L"moved.txt"), static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_FALSE(WaitFor([&] { return !work.Has(L"moved.txt"); }, 1500)) << "a no-op move lost the file";
    EXPECT_EQ(DropFile(source / L"copied.txt", true), static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_TRUE(WaitFor([&] { return work.Has(L"copied.txt") && source.Has(L"copied.txt"); }));

    // Log-off: the session's end saves as a close does, without a box; the view changed since is saved too.
    velmora.Command(ids::kViewTwo);
    EXPECT_EQ(Send(velmora.Main(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    Send(velmora.Main(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_EQ(TopLevel(L"#32770", velmora.Id()), nullptr) << "a box shown while the session ends";
    const std::pair<const wchar_t*, std::wstring> saved[] = {
        {L"State", L"0"}, {L"View", L"1"}, {L"X", std::to_wstring(outer.left * 15)}};
    for (const auto& [key, value] : saved) EXPECT_EQ(velmora.Read(L"setting", key), value) << key;
    const std::wstring added = work.Name() + L"?" + work.path;
    EXPECT_EQ(velmora.Read(L"Tab", L"1"),
              L"Work?" + work.path + L"|" + added + L"|コンピュータ?" + kComputer + L"|" + added);
    EXPECT_EQ(velmora.Read(L"Tab", L"2"), L"PC?" + kComputer);
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

// The settings program, run from the Tools menu out of Velmora's folder, changes the launcher and a hotkey; Velmora
// refuses to close meanwhile and takes over what it saved. The launcher's programs are copies of the fixture
// program (their behaviour follows the name), which the application pane then captures, lets go and closes.
TEST(VelmoraTest, OptionsChangesAreTakenOverAndTheApplicationPaneCapturesTakesOutClosesAndGivesBack) {
    namespace option = win32::option_ids;
    Folder apps({L"tool.exe"});
    std::wstring launcher;
    for (const std::wstring name : {L"メモ帳", L"B", L"C_refuses"}) {
        const std::wstring program = apps / (L"fixture_" + name + L".exe");
        CopyFileW((BinaryFolder() + L"\\fixtures\\fixture_app.exe").c_str(), program.c_str(), FALSE);
        launcher += name + L"=" + program + L"\r\n";
    }
    // Pane 1's hotkey Ctrl+Shift+F9 (the field's word 0x0378).
    Program velmora(
        L"[setting]\r\nwindow=1\r\nViewApl=-1\r\nHot1=888\r\nModkey1=6\r\nHotkey1=120\r\n[pos]\r\nX01=150\r\n"
        L"[App]\r\n" +
        launcher);
    MoveTo(Centre(velmora.Main()));
    Keys({VK_MENU, 'T'});
    ASSERT_TRUE(WaitFor([&] { return velmora.MenuOpen(); }, 3000)) << "no Tools menu";
    Keys({'O'});
    HWND form = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (form = TopLevel(option::kWindowClass)) != nullptr; }, 20000));
    velmora.Close();
    EXPECT_FALSE(velmora.WaitForExit(500)) << "Velmora closed while the settings program ran";

    // Option shows the file, under its Japanese captions; positions in pixels.
    const auto control = [&](int id) { return GetDlgItem(form, id); };
    HWND hotkey = FindWindowExW(control(option::PicHotkey(0)), nullptr, HOTKEY_CLASSW, nullptr);
    HWND y = GetDlgItem(control(option::UctUDText1(1)), 1), path = control(option::TxtPath(0));
    EXPECT_EQ(Text(control(option::kChkWindow)), L"ウィンドウの位置、サイズを記憶する");
    EXPECT_EQ(Text(GetDlgItem(control(option::UctUDText1(0)), 1)), L"10");
    EXPECT_TRUE(Send(hotkey, HKM_GETHOTKEY) == 0x0378 && Send(control(option::kChkWindow), BM_GETCHECK) == BST_CHECKED);
    // Real keys: Ctrl+Shift+F10 in pane 1's hotkey field, 12 in pane 1's Y field.
    Click(Centre(hotkey));
    Keys({VK_CONTROL, VK_SHIFT, VK_F10});
    EXPECT_TRUE(WaitFor([&] { return Send(hotkey, HKM_GETHOTKEY) == 0x0379; }));
    Click(Centre(y));
    Send(y, EM_SETSEL, 0, -1);
    Keys({'1', '2'});
    EXPECT_TRUE(WaitFor([&] { return Text(y) == L"12"; })) << Text(y);
    // A file dropped on the launcher's path fills path and name.
    MoveTo(Centre(path));
    EXPECT_EQ(DropFile(apps / L"tool.exe"), static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_TRUE(Text(path) == apps / L"tool.exe" && Text(control(option::kTxtName)) == L"tool") << Text(path);
    Send(control(option::kCmdAdd), BM_CLICK);
    // "Apply" writes and leaves the form open; Enter is "OK", which writes and ends it.
    Send(control(option::CmdDecision(1)), BM_CLICK);
    EXPECT_TRUE(velmora.Read(L"setting", L"Hotkey1") == L"121" && velmora.Read(L"pos", L"Y01") == L"180" &&
                velmora.Read(L"App", L"tool") == apps / L"tool.exe");
    Send(control(option::kChkWindow), BM_CLICK);
    MoveTo(Centre(form));
    Keys({VK_RETURN});
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(form); })) << "Enter did not end Option.exe";
    EXPECT_EQ(velmora.Read(L"setting", L"window"), L"0");

    // Taken over at once: the launcher has the new entry; the new hotkey works while another program has the focus,
    // and leaves it there; the old one is gone.
    EXPECT_TRUE(WaitFor([&] { return Send(velmora.Control(ids::kCboApp), CB_GETCOUNT) == 4; }));
    HWND other = CreateWindowExW(0, L"Static", L"other", WS_POPUP | WS_VISIBLE, 300, 300, 300, 200, nullptr, nullptr,
                                 nullptr, nullptr);
    MoveTo(Centre(other));
    SetForegroundWindow(other);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == other; }, 3000));
    Keys({VK_CONTROL, VK_SHIFT, VK_F10});
    EXPECT_TRUE(WaitFor([&] { return Tabs(Strip(velmora, 0)).size() == 1u; })) << "the new hotkey added no tab";
    Keys({VK_CONTROL, VK_SHIFT, VK_F9});
    EXPECT_FALSE(WaitFor([&] { return Tabs(Strip(velmora, 0)).size() == 2u; }, 1500)) << "the old hotkey still works";
    EXPECT_EQ(GetForegroundWindow(), other);
    DestroyWindow(other);

    // A launcher entry picked as the user does, the list dropped and the entry clicked, is captured: its window is
    // in the pane once its tab is there, the newest on top. The entry already chosen starts its program again.
    HWND strip = Strip(velmora, 2);
    const auto capture = [&](int entry) {
        Click(Centre(velmora.Control(ids::kCboApp)));
        HWND list = nullptr;
        EXPECT_TRUE(WaitFor([&] { return (list = TopLevel(L"ComboLBox", velmora.Id())) != nullptr; }, 3000));
        const int height = static_cast<int>(Send(list, LB_GETITEMHEIGHT));
        POINT at{10, height * entry + height / 2};
        ClientToScreen(list, &at);
        const size_t tabs = Tabs(strip).size();
        Click(at);
        EXPECT_TRUE(WaitFor([&] { return Tabs(strip).size() == tabs + 1; }, 15000)) << entry;
        return Hosted(velmora, 2);
    };
    std::vector<HWND> windows;  // captured, in the order of their tabs
    std::vector<HANDLE> processes;
    for (int entry : {0, 0, 1}) {
        windows.push_back(capture(entry));
        DWORD id = 0;
        GetWindowThreadProcessId(windows.back(), &id);
        processes.push_back(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    }
    ASSERT_EQ(Tabs(strip).size(), 3u);
    // Taken out, a window goes back to the desktop and its program runs on; a tab closed with the middle button gives
    // its window back and asks its program to close.
    velmora.Popup(strip, 0, 'T');
    EXPECT_TRUE(WaitFor([&] { return GetAncestor(windows[0], GA_PARENT) == GetDesktopWindow(); }, 5000));
    Click(TabCentre(strip, 0), MOUSEEVENTF_MIDDLEDOWN);
    EXPECT_EQ(Ending(processes[1]), 0u) << "not given back to the desktop, then asked to close";
    // A program that refuses to close keeps a window its user can reach, when its tab is closed and when Velmora
    // closes: given back to the desktop, shown, before it is asked.
    const HWND refusing[] = {capture(2), capture(2)};
    velmora.Popup(strip, 1, 'C');
    EXPECT_TRUE(WaitFor([&] { return Tabs(strip).size() == 2u && OnDesktop(refusing[0]); }));

    // Closing, no longer refused, gives each window back to the desktop before asking its program to close; the
    // window taken out is no longer Velmora's.
    velmora.Close();
    ASSERT_TRUE(velmora.WaitForExit());
    EXPECT_EQ(Ending(processes[2]), 0u);
    EXPECT_EQ(Ending(processes[0], 0), STILL_ACTIVE);
    EXPECT_TRUE(OnDesktop(refusing[0]) && OnDesktop(refusing[1]));
    for (HANDLE process : processes) CloseHandle(process);
}

}  // namespace
}  // namespace velmora::e2e
