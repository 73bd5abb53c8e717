// Velmora.exe, and Option.exe run from its Tools menu, driven from another process under Wine as a user works them:
// real keys and mouse, controls read through window messages, setting.ini through the platform's own profile
// functions (a reader independent of ours). Wine has no Explorer object: the panes hold our stand-in or its double.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h:
#include <commctrl.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "explorer/ExplorerPane.h"
#include "helpers/WaitFor.h"
#include "platform/win32/MainWindowIds.h"
#include "platform/win32/OptionIds.h"
#include "platform/win32/Win32WindowManager.h"
#include "platform/win32/kit/Com.h"
#include "platform/win32/kit/HandleCast.h"

namespace velmora::e2e {
namespace {

namespace ids = win32::ids;

// Where the build put the programs, as the build machine names it; a Unix path through Wine's drive for the root.
std::wstring BinaryFolder() {
    std::wstring folder = L"" VELMORA_BIN_DIR;
    if (folder.front() == L'/') folder = L"Z:" + folder;
    for (wchar_t& c : folder) c = c == L'/' ? L'\\' : c;
    return folder;
}

// A sent message that never blocks the driver on a hung or modal program.
LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 10000, &result);
    return static_cast<LRESULT>(result);
}

std::wstring Text(HWND window) {
    wchar_t text[512] = {};
    Send(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    return text;
}

// Sends a message whose lParam points at `data` copied into the receiving process, and copies it back: the common
// controls' structures are not carried across processes. A text field given points at a buffer there, returned.
template <class T>
std::wstring SendRemote(HWND window, UINT message, WPARAM wParam, T& data, LPWSTR* textField = nullptr) {
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, id);
    auto* remote = static_cast<char*>(VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE));
    wchar_t text[512] = {};
    if (textField) *textField = reinterpret_cast<LPWSTR>(remote + 1024);
    WriteProcessMemory(process, remote, &data, sizeof data, nullptr);
    Send(window, message, wParam, reinterpret_cast<LPARAM>(remote));
    ReadProcessMemory(process, remote, &data, sizeof data, nullptr);
    ReadProcessMemory(process, remote + 1024, text, sizeof text - sizeof(wchar_t), nullptr);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return text;
}

std::vector<std::wstring> Tabs(HWND strip) {
    std::vector<std::wstring> tabs(static_cast<size_t>(Send(strip, TCM_GETITEMCOUNT)));
    for (size_t i = 0; i < tabs.size(); ++i) {
        TCITEMW tab{.mask = TCIF_TEXT, .cchTextMax = 512};
        tabs[i] = SendRemote(strip, TCM_GETITEMW, i, tab, &tab.pszText);
    }
    return tabs;
}

RECT ScreenRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}
POINT Centre(const RECT& rect) { return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }
POINT Centre(HWND window) { return Centre(ScreenRect(window)); }
POINT TabCentre(HWND strip, int tab) {
    RECT rect{};
    SendRemote(strip, TCM_GETITEMRECT, static_cast<WPARAM>(tab), rect);
    MapWindowPoints(strip, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return Centre(rect);
}

HWND TopLevel(const wchar_t* className, DWORD processId = 0) {
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, className, nullptr)) != nullptr;) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if ((processId == 0 || owner == processId) && IsWindowVisible(window)) return window;
    }
    return nullptr;
}

// Real input through the system's queue; Wine's keyboard follows the pointer.
void Input(INPUT input) {
    SendInput(1, &input, sizeof(input));
    Sleep(30);
}
void Mouse(DWORD flags) { Input({INPUT_MOUSE, {.mi = {0, 0, 0, flags}}}); }
void Key(WORD key, DWORD flags = 0) {
    Input({INPUT_KEYBOARD, {.ki = {key, static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)), flags}}});
}

void MoveTo(POINT screen) {
    // No SetCursorPos, and the position is checked until it stays: under Wine's virtual desktop a motion the X server
    // reports late can put the pointer back where it was, and the click or drop that follows lands there.
    INPUT input{INPUT_MOUSE,
                {.mi = {MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXVIRTUALSCREEN) - 1),
                        MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYVIRTUALSCREEN) - 1), 0,
                        MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK}}};
    for (int attempt = 0, stayed = 0; attempt < 10 && stayed < 2; ++attempt) {
        if (stayed == 0) SendInput(1, &input, sizeof(input));
        Sleep(60 * (stayed + 1));
        POINT now{};
        GetCursorPos(&now);
        stayed = now.x == screen.x && now.y == screen.y ? stayed + 1 : 0;
    }
}

// A button's press flag (MOUSEEVENTF_LEFTDOWN, ...): its release flag is the one after it.
void Click(POINT screen, DWORD press = MOUSEEVENTF_LEFTDOWN, int times = 1) {
    MoveTo(screen);
    for (int click = 0; click < times; ++click)
        for (DWORD flags : {press, press << 1}) Mouse(flags);
}

void Keys(std::initializer_list<WORD> keys, DWORD holdMs = 0) {
    for (WORD key : keys) Key(key);
    Sleep(holdMs);
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) Key(*key, KEYEVENTF_KEYUP);
}

void Drag(POINT from, POINT to, bool escape = false) {
    MoveTo(from);
    Mouse(MOUSEEVENTF_LEFTDOWN);
    for (int step = 1; step <= 4; ++step)
        MoveTo({from.x + (to.x - from.x) * step / 4, from.y + (to.y - from.y) * step / 4});
    if (escape) Keys({VK_ESCAPE}, 200);
    Mouse(MOUSEEVENTF_LEFTUP);
}

// Drops after a few rounds, as a user releasing the button over the target.
class DropSource final : public IDropSource {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = iid == IID_IUnknown || iid == IID_IDropSource ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // on the stack of the drag
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL, DWORD) override { return ++rounds < 4 ? S_OK : DRAGDROP_S_DROP; }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
    int rounds = 0;
};

DWORD DropFile(const std::wstring& file, bool ctrl = false) {
    // The shell's own data object for the file, as Explorer drags it.
    win32::OleApartment ole;
    PIDLIST_ABSOLUTE item = nullptr;
    PCUITEMID_CHILD child = nullptr;
    win32::ComPtr<IShellFolder> parent;
    win32::ComPtr<IDataObject> data;
    DWORD effect = DROPEFFECT_NONE;
    if (SUCCEEDED(SHParseDisplayName(file.c_str(), nullptr, &item, 0, nullptr)) &&
        SUCCEEDED(SHBindToParent(item, IID_IShellFolder, parent.PutVoid(), &child)) &&
        SUCCEEDED(parent->GetUIObjectOf(nullptr, 1, &child, IID_IDataObject, nullptr, data.PutVoid()))) {
        // The drag reads the modifier keys from this thread's keyboard state.
        BYTE keys[256] = {};
        keys[VK_CONTROL] = keys[VK_LCONTROL] = ctrl ? 0x80 : 0;
        SetKeyboardState(keys);
        DropSource source;
        DoDragDrop(data.Get(), &source, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &effect);
    }
    CoTaskMemFree(item);
    return effect;
}

struct Folder {
    explicit Folder(std::initializer_list<const wchar_t*> files = {})
        : path(std::filesystem::temp_directory_path() /
               (L"velmora-e2e-" + std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(++made))) {
        CreateDirectoryW(path.c_str(), nullptr);
        for (const wchar_t* file : files)
            CloseHandle(CreateFileW((*this / file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
    ~Folder() {
        // A program just ended may hold its files a moment longer.
        std::error_code error;
        WaitFor([&] { return std::filesystem::remove_all(path, error) != ~std::uintmax_t{0}; }, 5000);
    }
    std::wstring operator/(const std::wstring& name) const { return path + L"\\" + name; }
    std::wstring Name() const { return path.substr(path.rfind(L'\\') + 1); }
    bool Has(const wchar_t* name) const { return std::filesystem::exists(*this / name); }

    static inline int made = 0;  // so far, for fresh names
    const std::wstring path;
};

// Velmora started from a folder of its own, as Explorer starts it, with Option.exe beside it.
class Program {
public:
    // Copies both programs from the build, writes setting.ini in the system's code page (as the programs do) unless
    // `settings` is empty, starts Velmora and waits until it shows its window or a box, or ends.
    explicit Program(std::wstring_view settings) {
        for (const wchar_t* exe : {L"Velmora.exe", L"Option.exe"})
            CopyFileW((BinaryFolder() + L"\\" + exe).c_str(), (folder_ / exe).c_str(), FALSE);
        if (!settings.empty()) {
            std::string bytes(settings.size() * 2, '\0');
            bytes.resize(static_cast<size_t>(WideCharToMultiByte(CP_ACP, 0, settings.data(),
                                                                 static_cast<int>(settings.size()), bytes.data(),
                                                                 static_cast<int>(bytes.size()), nullptr, nullptr)));
            std::ofstream(std::filesystem::path(folder_ / L"setting.ini"), std::ios::binary) << bytes;
        }
        std::wstring commandLine = L"\"" + (folder_ / L"Velmora.exe") + L"\"";
        STARTUPINFOW startup{sizeof(startup)};
        CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder_.path.c_str(), &startup,
                       &process_);
        CloseHandle(process_.hThread);
        const auto boxOrEnd = [&] { return TopLevel(L"#32770", Id()) || WaitForExit(0); };
        WaitFor([&] { return (main_ = TopLevel(ids::kMainWindowClass, Id())) || boxOrEnd(); }, 20000);
        Sync();
    }
    // Ends the program, and what a test started and left running: fixtures, and the Option.exe Velmora starts. (Not
    // through a job: Velmora may be the one to start Wine's own processes, such as its desktop.)
    ~Program() {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        PROCESSENTRY32W entry{sizeof(entry)};
        for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
            if (entry.th32ProcessID != Id() && wcsncmp(entry.szExeFile, L"fixture_", 8) != 0 &&
                lstrcmpiW(entry.szExeFile, L"Option.exe") != 0)
                continue;
            HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
            TerminateProcess(process, 99);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
        CloseHandle(snapshot);
        CloseHandle(process_.hProcess);
    }

    HWND Main() const { return main_; }
    DWORD Id() const { return process_.dwProcessId; }
    HWND Control(int id) const {
        HWND found = GetDlgItem(main_, id);
        for (HWND child = GetWindow(main_, GW_CHILD); child && !found; child = GetWindow(child, GW_HWNDNEXT))
            found = GetDlgItem(child, id);
        return found;
    }
    void Command(unsigned id) const { Send(main_, WM_COMMAND, id); }
    void Sync() const { Send(main_, WM_NULL); }  // once the program has handled what was sent before
    bool MenuOpen() const { return TopLevel(L"#32768", Id()) != nullptr; }  // a popup, or one of the menu bar
    void Popup(HWND strip, int tab, WORD mnemonic) const {
        // A press that comes while Wine still moves the activation away from another program's window opens a menu
        // the activation closes at once: pressed again, as the user would.
        bool open = false;
        for (int attempt = 0; attempt < 3 && !open; ++attempt) {
            Click(TabCentre(strip, tab), MOUSEEVENTF_RIGHTDOWN);
            open = WaitFor([&] { return MenuOpen(); }, 1500);
        }
        ASSERT_TRUE(open) << "no popup menu";
        Keys({mnemonic});
        ASSERT_TRUE(WaitFor([&] { return !MenuOpen(); }, 3000));
        Sync();
    }
    std::optional<std::wstring> Read(const wchar_t* section, const wchar_t* key) const {
        // A default no real value has tells a missing key from an empty one.
        wchar_t value[1024] = {};
        GetPrivateProfileStringW(section, key, L"\x01", value, 1024, (folder_ / L"setting.ini").c_str());
        return wcscmp(value, L"\x01") == 0 ? std::nullopt : std::optional<std::wstring>(value);
    }
    void Close() const { PostMessageW(main_, WM_CLOSE, 0, 0); }
    bool WaitForExit(DWORD timeoutMs = 20000) const { return WaitForSingleObject(process_.hProcess, timeoutMs) == 0; }

private:
    Folder folder_;
    PROCESS_INFORMATION process_{};
    HWND main_ = nullptr;
};

// Velmora's panes: 0 and 1 the Explorer panes, 2 the application pane, their controls numbered in that order.
HWND Strip(const Program& velmora, int pane) { return velmora.Control(ids::kTabStrip1_0 + pane); }
HWND Frame(const Program& velmora, int pane) { return velmora.Control(ids::kFrameApp0 + pane); }
HWND Hosted(const Program& velmora, int pane) { return GetWindow(Frame(velmora, pane), GW_CHILD); }
HWND List(const Program& velmora, int pane) {
    win32::Win32WindowManager windows;
    HWND explorer = Hosted(velmora, pane);
    return explorer ? win32::ToHwnd(explorer::FindFileList(windows, win32::FromHwnd(explorer))) : nullptr;
}

using Texts = std::vector<std::wstring>;
const std::wstring kComputer = L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";

// How a fixture's program ended (see fixture_app.cpp), once it has; STILL_ACTIVE while it runs on.
DWORD Ending(HANDLE process, DWORD timeoutMs = 10000) {
    DWORD code = 0;
    WaitForSingleObject(process, timeoutMs);
    GetExitCodeProcess(process, &code);
    return code;
}

bool OnDesktop(HWND window) { return GetAncestor(window, GA_PARENT) == GetDesktopWindow() && IsWindowVisible(window); }

// One working session: Explorer tabs worked with the mouse, files dropped on them, the settings program, the
// application pane's programs (the fixture program, whose behaviour follows its name) captured, let go and closed,
// then log-off. The window was saved 800x600 pixels where no monitor shows it, its panes wide enough for the tabs.
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
    Program second(L"");  // ends at once, without a window or a file of its own
    EXPECT_TRUE(second.WaitForExit() && !second.Main() && !second.Read(L"setting", L"View")) << "a second copy ran";

    // A click on a tab shows its folder (the stand-in's title); the File menu, by its keys, adds a tab for it.
    Click(TabCentre(strip, 1));
    EXPECT_TRUE(WaitFor([&] { return Text(Hosted(velmora, 0)) == work.Name(); }));
    Keys({VK_MENU, 'F'});
    ASSERT_TRUE(WaitFor([&] { return velmora.MenuOpen(); }, 3000)) << "no File menu";
    Keys({'1'});
    EXPECT_TRUE(WaitFor([&] { return Tabs(strip).size() == 3u; }));
    // Tab 1 dragged past tab 3 goes last; a drag cancelled with Escape moves nothing. A tab's tooltip is its path.
    const POINT beyond{ScreenRect(strip).right - 20, Centre(strip).y};
    const Texts dragged{L"Work", work.Name(), L"コンピュータ"};  // the folder gone has no tab
    Drag(TabCentre(strip, 0), beyond);
    EXPECT_TRUE(WaitFor([&] { return Tabs(strip) == dragged; }));
    Drag(TabCentre(strip, 0), beyond, true);
    EXPECT_FALSE(WaitFor([&] { return Tabs(strip) != dragged; }, 1000)) << "moved after Escape";
    MoveTo(TabCentre(strip, 0));
    HWND tip = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (tip = TopLevel(TOOLTIPS_CLASSW, velmora.Id())) != nullptr; }, 5000));
    EXPECT_EQ(Text(tip), work.path);
    // A double click beside the tabs adds the folder shown (Work); a tab the middle button closed, the popup reopens.
    Click(beyond, MOUSEEVENTF_LEFTDOWN, 2);
    EXPECT_TRUE(WaitFor([&] { return Tabs(strip).size() == 4u; }));
    Click(TabCentre(strip, 2), MOUSEEVENTF_MIDDLEDOWN);
    EXPECT_TRUE(WaitFor([&] { return Tabs(strip).size() == 3u; }));
    velmora.Popup(strip, 0, 'R');
    EXPECT_EQ(Tabs(strip), (Texts{L"Work", work.Name(), L"コンピュータ", work.Name()}));
    velmora.Popup(Strip(velmora, 1), 0, 'C');
    // Files dropped on a tab are moved into its folder, with Ctrl copied; the source never hears of a move it would
    // finish by deleting them: Velmora moves them after the drop, and onto their own folder not at all (see the end).
    MoveTo(TabCentre(strip, 0));
    EXPECT_EQ(DropFile(source / L"moved.txt"), 0u);
    EXPECT_EQ(DropFile(source / L"copied.txt", true), DWORD{DROPEFFECT_COPY});
    EXPECT_TRUE(
        WaitFor([&] { return !source.Has(L"moved.txt") && work.Has(L"copied.txt") && source.Has(L"copied.txt"); }));
    EXPECT_EQ(DropFile(work / L"moved.txt"), 0u);

    // The settings program runs from Velmora's folder; Velmora refuses to close meanwhile.
    MoveTo(Centre(velmora.Main()));
    Keys({VK_MENU, 'T'});
    ASSERT_TRUE(WaitFor([&] { return velmora.MenuOpen(); }, 3000)) << "no Tools menu";
    Keys({'O'});
    HWND form = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (form = TopLevel(option::kWindowClass)) != nullptr; }, 20000));
    velmora.Close();
    EXPECT_FALSE(velmora.WaitForExit(500)) << "Velmora closed while the settings program ran";
    // Pane 1's hotkey becomes Ctrl+Shift+F10, its Y offset 13 pixels (saved in twips); a file dropped on the launcher's
    // path fills path and name and is added. Enter is "OK", which writes and ends the form.
    const auto control = [&](int id) { return GetDlgItem(form, id); };
    HWND hotkey = FindWindowExW(control(option::PicHotkey(0)), nullptr, HOTKEY_CLASSW, nullptr);
    HWND y = GetDlgItem(control(option::UctUDText1(1)), 1), path = control(option::TxtPath(0));
    EXPECT_EQ(Send(hotkey, HKM_GETHOTKEY), 0x0378);
    Send(hotkey, HKM_SETHOTKEY, 0x0379);
    Send(y, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"13"));
    MoveTo(Centre(path));
    EXPECT_EQ(DropFile(apps / L"tool.exe"), DWORD{DROPEFFECT_COPY});
    EXPECT_TRUE(Text(path) == apps / L"tool.exe" && Text(control(option::kTxtName)) == L"tool") << Text(path);
    Send(control(option::kCmdAdd), BM_CLICK);
    MoveTo(Centre(form));
    Keys({VK_RETURN});
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(form); })) << "Enter did not end Option.exe";
    EXPECT_TRUE(velmora.Read(L"setting", L"Hotkey1") == L"121" && velmora.Read(L"pos", L"Y01") == L"195" &&
                velmora.Read(L"pos", L"X01") == L"150" && velmora.Read(L"App", L"tool") == apps / L"tool.exe");
    // Taken over at once: the new launcher entry, and the new hotkey from another program, which keeps the focus.
    EXPECT_TRUE(WaitFor([&] { return Send(velmora.Control(ids::kCboApp), CB_GETCOUNT) == 6; }));
    HWND other = CreateWindowW(L"Static", L"other", WS_POPUP | WS_VISIBLE, 300, 300, 300, 200, {}, {}, {}, {});
    MoveTo(Centre(other));
    SetForegroundWindow(other);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == other; }, 3000));
    Keys({VK_CONTROL, VK_SHIFT, VK_F10});
    EXPECT_TRUE(WaitFor([&] { return Tabs(strip).size() == 5u; })) << "the new hotkey added no tab";
    EXPECT_EQ(GetForegroundWindow(), other);
    DestroyWindow(other);

    // Launcher entries picked as a user does are captured, the newest on top; the entry already chosen starts again.
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
    // A program whose window does not answer leaves no tab but a message.
    EXPECT_EQ(capture(3), nullptr);
    HWND box = TopLevel(L"#32770", velmora.Id());
    EXPECT_EQ(Text(GetDlgItem(box, 0xFFFF)), L"アプリケーションが応答していないため、ウィンドウを操作できませんでした。");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }));
    // A window taken out goes to the desktop and runs on; one whose tab the middle button closes is asked to close.
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
    EXPECT_TRUE(work.Has(L"moved.txt")) << "a move onto the file's own folder lost it";
    for (HANDLE process : processes) CloseHandle(process);
}

// The Explorer object's double (tests/fixtures/fixture_explorer.cpp), whose journal shows every call in order, the
// class's server in the machine's classes (Wine's COM reads no user's) under a volatile key no crash leaves behind.
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
        registered = RegCreateKeyExW(HKEY_LOCAL_MACHINE, (machineClass_ + L"\\LocalServer32").c_str(), 0, nullptr,
                                     REG_OPTION_VOLATILE, KEY_WRITE, nullptr, &key, nullptr) == ERROR_SUCCESS;
        RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
    ~Double() {
        if (registered) RegDeleteTreeW(HKEY_LOCAL_MACHINE, machineClass_.c_str());
    }
    bool registered = false;

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
            if (fresh.size() >= count) seen_ = at;
            return fresh.size() >= count;
        });
        return fresh;
    }

private:
    static constexpr wchar_t kClass[] = L"CLSID\\{C08AFD90-F2A1-11D1-8455-00A0C91F3880}";
    const std::wstring machineClass_ = L"Software\\Classes\\" + std::wstring(kClass);
    Folder journal_;
    size_t seen_ = 0;
};

// Each pane creates an object and takes its window in, tabs navigate it, closing gives the windows back and ends them;
// a class refusing the object ends Velmora with the capture message, no stand-in or second try taking its place.
TEST(VelmoraTest, ExplorerPanesDriveTheObjectOrEndWhenTheClassRefusesIt) {
    {
        Double refusing(true);
        if (!refusing.registered) GTEST_SKIP() << "the system has the Explorer object class";
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
    // Special folders go by number, other paths as text. The tab whose folder has gone goes.
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
    // A new tab takes the shown folder's name and path, saved at the end.
    velmora.Command(ids::kFileAddTab2);
    EXPECT_EQ(object.NewCalls(),
              (Texts{L"Document", L"Folder", L"Self", L"Name", L"Document", L"Folder", L"Self", L"Path"}));
    // A window the user closed is replaced by the capture command.
    HWND closed = Hosted(velmora, 0);
    PostMessageW(closed, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(closed); }));
    velmora.Command(ids::kCaptureExplorer1);
    EXPECT_EQ(object.NewCalls(), captured({0}));
    velmora.Close();
    ASSERT_TRUE(velmora.WaitForExit());
    EXPECT_EQ(object.NewCalls(),
              (Texts{L"Visible false", L"Parent desktop", L"Quit", L"Visible false", L"Parent desktop", L"Quit"}));
    EXPECT_EQ(velmora.Read(L"Tab", L"2"), L"PC?" + kComputer);
}

}  // namespace
}  // namespace velmora::e2e
