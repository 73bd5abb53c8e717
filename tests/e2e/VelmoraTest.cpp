// Velmora.exe, and Option.exe run from its Tools menu, as a user works them. The Explorer panes hold our stand-in (Wine
// has no Explorer object) or the object's double; the application pane copies of tests/fixtures/fixture_app.cpp.
#include <iterator>

#include "e2e/Driver.h"
#include "platform/win32/OptionIds.h"

namespace velmora::e2e {
namespace {

namespace ids = win32::ids;
using Texts = std::vector<std::wstring>;
const std::wstring kComputer = L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";

// How a fixture's program ended (see fixture_app.cpp), once it has; STILL_ACTIVE while it runs on.
DWORD Ending(HANDLE process, DWORD timeoutMs = 10000) {
    DWORD code = 0;
    WaitForSingleObject(process, timeoutMs);
    GetExitCodeProcess(process, &code);
    return code;
}

// A window given back to its user: a top-level window again, shown.
bool OnDesktop(HWND window) { return GetAncestor(window, GA_PARENT) == GetDesktopWindow() && IsWindowVisible(window); }

// One working session: Explorer tabs worked with the mouse, files dropped on them, the settings program run from the
// Tools menu, the application pane's programs (copies of the fixture program, whose behaviour follows the name)
// captured, let go and closed, then log-off. The window was saved 800x600 pixels where no monitor shows it; stacked
// panes, wide enough for the tabs, with the application pane at their right.
TEST(VelmoraTest, ASessionOfTabsDropsSettingsAndCapturedProgramsEndsSavedWithEveryWindowGivenBack) {
    namespace option = win32::option_ids;
    Folder work, source({L"moved.txt", L"copied.txt"}), apps({L"tool.exe"});
    std::wstring launcher;
    for (const std::wstring name : {L"メモ帳", L"B", L"C_refuses", L"D_hung", L"E_exits"}) {
        const std::wstring program = apps / (L"fixture_" + name + L".exe");
        CopyFileW((BinaryFolder() + L"\\fixtures\\fixture_app.exe").c_str(), program.c_str(), FALSE);
        launcher += name + L"=" + program + L"\r\n";
    }
    // Pane 1's hotkey is Ctrl+Shift+F9 (the field's word 0x0378).
    Program velmora(
        L"[setting]\r\nwindow=1\r\nState=0\r\nX=-400000\r\nY=300000\r\nW=12000\r\nH=9000\r\nBar1=9000\r\n"
        L"Bar2=3000\r\nView=2\r\nViewApl=-1\r\nHot1=888\r\nModkey1=6\r\nHotkey1=120\r\n[pos]\r\nX01=150\r\n"
        L"[Tab]\r\n1=コンピュータ?" +
        kComputer + L"|Work?" + work.path + L"|Gone?C:\\velmora-no-such-folder\r\n2=A?" + source.path + L"|PC?" +
        kComputer + L"\r\n[App]\r\n" + launcher);
    RECT outer = ScreenRect(velmora.Main()), area{}, inside{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    EXPECT_TRUE(IntersectRect(&inside, &outer, &area) && EqualRect(&inside, &outer) && outer.right - outer.left == 800);
    HWND strip = Strip(velmora, 0);
    EXPECT_EQ(Tabs(strip), (Texts{L"コンピュータ", L"Work"})) << "the tab of a folder gone is not dropped";
    {  // A second copy ends at once, without a window or a file of its own.
        Program second(L"");
        EXPECT_TRUE(second.WaitForExit() && !second.Main() && !second.Read(L"setting", L"View"));
    }

    // A click on a tab shows its folder (the stand-in's title); the File menu, by its keys, adds a tab for it.
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
    // A double click beside the tabs adds one for the folder shown (Work, pressed last); the middle button closes a
    // tab, and the popup menu brings the last one closed back where it stood.
    Click(beyond, MOUSEEVENTF_LEFTDOWN, 2);
    EXPECT_TRUE(WaitFor([&] { return Tabs(strip).size() == 4u; }));
    Click(TabCentre(strip, 2), MOUSEEVENTF_MIDDLEDOWN);
    EXPECT_TRUE(WaitFor([&] { return Tabs(strip).size() == 3u; }));
    velmora.Popup(strip, 0, 'R');
    EXPECT_EQ(Tabs(strip), (Texts{L"Work", work.Name(), L"コンピュータ", work.Name()}));
    // The popup of a tab copies its path, or closes it.
    velmora.Popup(Strip(velmora, 1), 1, 'P');
    ASSERT_TRUE(WaitFor([] { return OpenClipboard(nullptr) != FALSE; }, 2000));
    const auto* copied = static_cast<const wchar_t*>(GlobalLock(GetClipboardData(CF_UNICODETEXT)));
    EXPECT_EQ(std::wstring(copied ? copied : L""), kComputer);
    EmptyClipboard();  // so that a run that follows copies afresh
    CloseClipboard();
    velmora.Popup(Strip(velmora, 1), 0, 'C');
    // Files dropped on a tab are moved into its folder, with Ctrl copied. The source never hears of a move it would
    // finish by deleting its files: Velmora moves them itself, after the drop; onto their own folder, not at all.
    MoveTo(TabCentre(strip, 0));
    EXPECT_EQ(DropFile(source / L"moved.txt"), static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_TRUE(WaitFor([&] { return work.Has(L"moved.txt") && !source.Has(L"moved.txt"); }));
    EXPECT_EQ(DropFile(work / L"moved.txt"), static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_FALSE(WaitFor([&] { return !work.Has(L"moved.txt"); }, 1500)) << "a no-op move lost the file";
    EXPECT_EQ(DropFile(source / L"copied.txt", true), static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_TRUE(WaitFor([&] { return work.Has(L"copied.txt") && source.Has(L"copied.txt"); }));

    // The settings program runs from Velmora's folder; Velmora refuses to close meanwhile.
    MoveTo(Centre(velmora.Main()));
    Keys({VK_MENU, 'T'});
    ASSERT_TRUE(WaitFor([&] { return velmora.MenuOpen(); }, 3000)) << "no Tools menu";
    Keys({'O'});
    HWND form = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (form = TopLevel(option::kWindowClass)) != nullptr; }, 20000));
    velmora.Close();
    EXPECT_FALSE(velmora.WaitForExit(500)) << "Velmora closed while the settings program ran";
    // Pane 1's hotkey becomes Ctrl+Shift+F10, its Y offset 12 pixels; a file dropped on the launcher's path fills
    // path and name, and is added. "Apply" writes everything, positions shown in pixels saved in twips, and leaves
    // the form open; Enter is "OK", which writes and ends it.
    const auto control = [&](int id) { return GetDlgItem(form, id); };
    HWND hotkey = FindWindowExW(control(option::PicHotkey(0)), nullptr, HOTKEY_CLASSW, nullptr);
    HWND y = GetDlgItem(control(option::UctUDText1(1)), 1), path = control(option::TxtPath(0));
    EXPECT_EQ(Send(hotkey, HKM_GETHOTKEY), 0x0378);
    Send(hotkey, HKM_SETHOTKEY, 0x0379);
    Send(y, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"12"));
    MoveTo(Centre(path));
    EXPECT_EQ(DropFile(apps / L"tool.exe"), static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_TRUE(Text(path) == apps / L"tool.exe" && Text(control(option::kTxtName)) == L"tool") << Text(path);
    Send(control(option::kCmdAdd), BM_CLICK);
    Send(control(option::CmdDecision(1)), BM_CLICK);
    EXPECT_TRUE(velmora.Read(L"setting", L"Hotkey1") == L"121" && velmora.Read(L"pos", L"Y01") == L"180" &&
                velmora.Read(L"pos", L"X01") == L"150" && velmora.Read(L"App", L"tool") == apps / L"tool.exe");
    Send(y, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"13"));
    MoveTo(Centre(form));
    Keys({VK_RETURN});
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(form); })) << "Enter did not end Option.exe";
    EXPECT_EQ(velmora.Read(L"pos", L"Y01"), L"195");
    // Taken over at once: the launcher has the new entry; the new hotkey works while another program has the focus,
    // and leaves it there; the old one is gone.
    EXPECT_TRUE(WaitFor([&] { return Send(velmora.Control(ids::kCboApp), CB_GETCOUNT) == 6; }));
    HWND other = CreateWindowExW(0, L"Static", L"other", WS_POPUP | WS_VISIBLE, 300, 300, 300, 200, nullptr, nullptr,
                                 nullptr, nullptr);
    MoveTo(Centre(other));
    SetForegroundWindow(other);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == other; }, 3000));
    Keys({VK_CONTROL, VK_SHIFT, VK_F10});
    EXPECT_TRUE(WaitFor([&] { return Tabs(strip).size() == 5u; })) << "the new hotkey added no tab";
    Keys({VK_CONTROL, VK_SHIFT, VK_F9});
    EXPECT_FALSE(WaitFor([&] { return Tabs(strip).size() == 6u; }, 1500)) << "the old hotkey still works";
    EXPECT_EQ(GetForegroundWindow(), other);
    DestroyWindow(other);

    // A launcher entry picked as the user does, the list dropped and the entry clicked, is captured: its window is
    // in the pane once its tab is there, the newest on top. The entry already chosen starts its program again.
    velmora.Command(ids::kViewTwo);
    HWND apl = Strip(velmora, 2);
    const auto capture = [&](int entry) {
        Click(Centre(velmora.Control(ids::kCboApp)));
        HWND list = nullptr;
        EXPECT_TRUE(WaitFor([&] { return (list = TopLevel(L"ComboLBox", velmora.Id())) != nullptr; }, 3000));
        const int height = static_cast<int>(Send(list, LB_GETITEMHEIGHT));
        POINT at{10, height * entry + height / 2};
        ClientToScreen(list, &at);
        const size_t tabs = Tabs(apl).size();
        Click(at);
        const auto taken = [&] { return Tabs(apl).size() == tabs + 1; };
        WaitFor([&] { return taken() || TopLevel(L"#32770", velmora.Id()); }, 15000);
        return taken() ? Hosted(velmora, 2) : nullptr;
    };
    std::vector<HWND> windows;  // captured, in the order of their tabs
    std::vector<HANDLE> processes;
    for (int entry : {0, 0, 1}) {
        windows.push_back(capture(entry));
        DWORD id = 0;
        GetWindowThreadProcessId(windows.back(), &id);
        processes.push_back(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    }
    // A program whose window does not answer, and one that shows none, leave no tab but a message.
    const std::pair<int, std::wstring> refusals[] = {
        {3, L"アプリケーションが応答していないため、ウィンドウを操作できませんでした。"},
        {4, L"ハンドルが見つかりませんでした。"}};
    for (const auto& [entry, message] : refusals) {
        EXPECT_EQ(capture(entry), nullptr) << entry;
        HWND box = TopLevel(L"#32770", velmora.Id());
        EXPECT_EQ(Text(box) + L": " + Text(GetDlgItem(box, 0xFFFF)), L"Velmora: " + message);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }));
    }
    // Taken out, a window goes back to the desktop and its program runs on; a tab closed with the middle button gives
    // its window back and asks its program to close.
    velmora.Popup(apl, 0, 'T');
    EXPECT_TRUE(WaitFor([&] { return GetAncestor(windows[0], GA_PARENT) == GetDesktopWindow(); }, 5000));
    Click(TabCentre(apl, 0), MOUSEEVENTF_MIDDLEDOWN);
    EXPECT_EQ(Ending(processes[1]), 0u) << "not given back to the desktop, then asked to close";
    // A program that refuses to close keeps a window its user can reach, when its tab is closed and when the session
    // ends: given back to the desktop, shown, before it is asked.
    const HWND refusing[] = {capture(2), capture(2)};
    velmora.Popup(apl, 1, 'C');
    EXPECT_TRUE(WaitFor([&] { return Tabs(apl).size() == 2u && OnDesktop(refusing[0]); }));

    // Log-off, no longer refused, saves as a close does (the view changed since too) and gives each window back
    // before asking its program to close, all without a box; the window taken out is no longer Velmora's.
    EXPECT_EQ(Send(velmora.Main(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    Send(velmora.Main(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_EQ(TopLevel(L"#32770", velmora.Id()), nullptr) << "a box shown while the session ends";
    const std::pair<const wchar_t*, std::wstring> saved[] = {
        {L"State", L"0"}, {L"View", L"1"}, {L"X", std::to_wstring(outer.left * 15)}};
    for (const auto& [key, value] : saved) EXPECT_EQ(velmora.Read(L"setting", key), value) << key;
    const std::wstring added = L"|" + work.Name() + L"?" + work.path;
    EXPECT_EQ(velmora.Read(L"Tab", L"1"), L"Work?" + work.path + added + L"|コンピュータ?" + kComputer + added + added);
    EXPECT_EQ(velmora.Read(L"Tab", L"2"), L"PC?" + kComputer);
    EXPECT_EQ(Ending(processes[2]), 0u);
    EXPECT_EQ(Ending(processes[0], 0), STILL_ACTIVE);
    EXPECT_TRUE(OnDesktop(refusing[0]) && OnDesktop(refusing[1]));
    for (HANDLE process : processes) CloseHandle(process);
}

// The Explorer object's double (tests/fixtures/fixture_explorer.cpp), registered as the class's server in the
// machine's classes (Wine's COM does not read the user's) under a volatile key, which not even a crash leaves behind
// once the prefix's server ends; its journal shows every call in order.
class Double {
public:
    explicit Double(bool refuse) {
        // The system's own class is left alone; a registration of ours that a crashed run left is taken over.
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, kClass, 0, KEY_READ, &key) == ERROR_SUCCESS) {
            wchar_t server[1024] = {};
            DWORD size = sizeof server;
            RegGetValueW(key, L"LocalServer32", nullptr, RRF_RT_REG_SZ, nullptr, server, &size);
            RegCloseKey(key);
            if (!wcsstr(server, L"fixture_explorer.exe")) return;
        }
        const std::wstring command = L"\"" + BinaryFolder() + L"\\fixtures\\fixture_explorer.exe\" " +
                                     (refuse ? L"--refuse \"" : L"\"") + (journal_ / L"journal.txt") + L"\"";
        registered_ = RegCreateKeyExW(HKEY_LOCAL_MACHINE, (machineClass_ + L"\\LocalServer32").c_str(), 0, nullptr,
                                      REG_OPTION_VOLATILE, KEY_WRITE, nullptr, &key, nullptr) == ERROR_SUCCESS;
        RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
    ~Double() {
        if (registered_) RegDeleteTreeW(HKEY_LOCAL_MACHINE, machineClass_.c_str());
    }
    bool Registered() const { return registered_; }

    // The calls since the last look, once there are at least `count` of them.
    Texts NewCalls(size_t count = 0) {
        Texts fresh;
        WaitFor([&] {
            std::ifstream file(std::filesystem::path(journal_ / L"journal.txt"), std::ios::binary);
            const std::string bytes{std::istreambuf_iterator<char>(file), {}};
            const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
            fresh.clear();
            size_t at = seen_;
            for (size_t end; (end = text.find(L"\r\n", at)) != std::wstring::npos; at = end + 2)
                fresh.push_back(text.substr(at, end - at));
            if (fresh.size() < count) return false;
            seen_ = at;
            return true;
        });
        return fresh;
    }

private:
    static constexpr wchar_t kClass[] = L"CLSID\\{C08AFD90-F2A1-11D1-8455-00A0C91F3880}";
    const std::wstring machineClass_ = L"Software\\Classes\\" + std::wstring(kClass);
    Folder journal_;
    bool registered_ = false;
    size_t seen_ = 0;
};

// Each pane creates an object and takes its window in; tabs navigate it, the list is styled anew for every folder
// shown; closing gives the windows back and ends them. A class that refuses the object ends Velmora with the
// capture message, neither the stand-in nor a second try taking its place.
TEST(VelmoraTest, ExplorerPanesDriveTheObjectOrEndWhenTheClassRefusesIt) {
    {
        Double refusing(true);
        if (!refusing.Registered()) GTEST_SKIP() << "the system has the Explorer object class";
        Program velmora(L"[setting]\r\nwindow=1\r\n[Tab]\r\n1=PC?" + kComputer);
        HWND box = TopLevel(L"#32770", velmora.Id());
        EXPECT_EQ(Text(box) + L": " + Text(GetDlgItem(box, 0xFFFF)),
                  L"Velmora エラー: エクスプローラーの取り込み中にエラーが発生しました\r\n"
                  L"OSがVistaでUACが有効の場合は取り込みできません");
        EXPECT_EQ(refusing.NewCalls(1), Texts{L"Create refused"});
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(velmora.WaitForExit());
        EXPECT_TRUE(!velmora.Read(L"setting", L"State") && velmora.Read(L"Tab", L"1") == L"PC?" + kComputer)
            << "something was saved";
    }
    Double object(false);
    Folder work, gone;
    Program velmora(L"[Velmora]\r\nGrid=1\r\nLineSel=1\r\n[Tab]\r\n1=Gone?" + gone.path +
                    L"|Bin?::{645FF040-5081-101B-9F08-00AA002F954E}|Work?" + work.path + L"\r\n");
    const auto captured = [&](std::initializer_list<int> panes) {
        Texts calls;
        for (int pane : panes)
            calls.insert(calls.end(), {L"Create", L"Navigate2 I2 17",
                                       L"ShowBrowserBar {EFA24E64-B078-11D0-89E4-00C04FC9E26E} true", L"HWND", L"HWND",
                                       L"Parent " + std::to_wstring(reinterpret_cast<UINT_PTR>(Frame(velmora, pane))),
                                       L"Document", L"CurrentViewMode 4", L"Visible true"});
        return calls;
    };
    EXPECT_EQ(object.NewCalls(18), captured({0, 1}));
    const auto styled = [&](int pane) {
        constexpr LRESULT kFlags = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT;
        return WaitFor([&] { return Send(List(velmora, pane), LVM_GETEXTENDEDLISTVIEWSTYLE) == kFlags; });
    };
    EXPECT_TRUE(styled(0) && styled(1));
    // Special folders go by number, other paths as text. The tab whose folder has gone goes without a word.
    RemoveDirectoryW(gone.path.c_str());
    const std::pair<int, std::wstring> clicks[] = {
        {1, L"Navigate2 I2 10"}, {2, L"Navigate2 BSTR " + work.path}, {0, L"Navigate2 BSTR " + gone.path + L" failed"}};
    for (const auto& [tab, call] : clicks) {
        HWND before = List(velmora, 0);
        Click(TabCentre(Strip(velmora, 0), tab));
        EXPECT_EQ(object.NewCalls(1), Texts{call});
        EXPECT_TRUE(tab == 0 || (List(velmora, 0) != before && styled(0))) << tab;
    }
    EXPECT_EQ(Tabs(Strip(velmora, 0)), (Texts{L"Bin", L"Work"}));
    EXPECT_FALSE(WaitFor([&] { return TopLevel(L"#32770", velmora.Id()); }, 300)) << "a box for the folder gone";
    // A new tab takes the shown folder's name and path, saved at the end.
    ASSERT_TRUE(velmora.Command(ids::kFileAddTab2));
    EXPECT_EQ(object.NewCalls(),
              (Texts{L"Document", L"Folder", L"Self", L"Name", L"Document", L"Folder", L"Self", L"Path"}));
    // A window the user closed is replaced by the capture command.
    HWND closed = Hosted(velmora, 0);
    PostMessageW(closed, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(closed); }));
    ASSERT_TRUE(velmora.Command(ids::kCaptureExplorer1));
    EXPECT_EQ(object.NewCalls(), captured({0}));
    velmora.Close();
    ASSERT_TRUE(velmora.WaitForExit());
    EXPECT_EQ(object.NewCalls(),
              (Texts{L"Visible false", L"Parent desktop", L"Quit", L"Visible false", L"Parent desktop", L"Quit"}));
    EXPECT_EQ(velmora.Read(L"Tab", L"2"), L"PC?" + kComputer);
}

}  // namespace
}  // namespace velmora::e2e
