// The Explorer panes of the real Velmora.exe under Wine: the captured Explorer
// windows (Wine has no Explorer object, so these are Velmora's stand-in),
// their tab strips, the hotkeys, copying and dropping, and the display flags.
#include <gtest/gtest.h>
// commctrl.h needs the types of windows.h.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
// clang-format on

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "e2e/Driver.h"
#include "e2e/OptionDriver.h"
#include "platform/win32/MainWindowIds.h"

namespace velmora::e2e {
namespace {

namespace ids = win32::ids;

constexpr wchar_t kComputerPath[] = L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";

// Polls until the condition holds; Velmora's timer ticks every 500 ms.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 5000) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        Sleep(50);
    }
}

// Memory inside the program, for the messages whose structures and buffers
// must live in the receiving process.
class RemoteMemory {
public:
    RemoteMemory(HWND window, SIZE_T size) {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
        if (process_ != nullptr) address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    }
    ~RemoteMemory() {
        if (address_ != nullptr) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        if (process_ != nullptr) CloseHandle(process_);
    }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    char* At(SIZE_T offset) const { return static_cast<char*>(address_) + offset; }
    void Write(SIZE_T offset, const void* data, SIZE_T size) const {
        WriteProcessMemory(process_, At(offset), data, size, nullptr);
    }
    void Read(SIZE_T offset, void* data, SIZE_T size) const {
        ReadProcessMemory(process_, At(offset), data, size, nullptr);
    }

private:
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
};

constexpr int kTextMax = 512;

int TabCount(HWND strip) { return static_cast<int>(SendMessageW(strip, TCM_GETITEMCOUNT, 0, 0)); }

std::wstring TabCaption(HWND strip, int tab) {
    RemoteMemory memory(strip, sizeof(TCITEMW) + kTextMax * sizeof(wchar_t));
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = reinterpret_cast<wchar_t*>(memory.At(sizeof(TCITEMW)));
    item.cchTextMax = kTextMax;
    memory.Write(0, &item, sizeof(item));
    SendMessageW(strip, TCM_GETITEMW, static_cast<WPARAM>(tab - 1), reinterpret_cast<LPARAM>(memory.At(0)));
    wchar_t text[kTextMax] = {};
    memory.Read(sizeof(TCITEMW), text, sizeof(text));
    text[kTextMax - 1] = L'\0';
    return text;
}

std::vector<std::wstring> TabCaptions(HWND strip) {
    std::vector<std::wstring> captions;
    for (int tab = 1; tab <= TabCount(strip); ++tab) captions.push_back(TabCaption(strip, tab));
    return captions;
}

// The centre of a tab on the screen.
POINT TabCentre(HWND strip, int tab) {
    RemoteMemory memory(strip, sizeof(RECT));
    SendMessageW(strip, TCM_GETITEMRECT, static_cast<WPARAM>(tab - 1), reinterpret_cast<LPARAM>(memory.At(0)));
    RECT rect{};
    memory.Read(0, &rect, sizeof(rect));
    POINT centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    MapWindowPoints(strip, HWND_DESKTOP, &centre, 1);
    return centre;
}

std::vector<std::wstring> ListTexts(HWND list) {
    std::vector<std::wstring> texts;
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    RemoteMemory memory(list, sizeof(LVITEMW) + kTextMax * sizeof(wchar_t));
    for (int index = 0; index < count; ++index) {
        LVITEMW item{};
        item.pszText = reinterpret_cast<wchar_t*>(memory.At(sizeof(LVITEMW)));
        item.cchTextMax = kTextMax;
        memory.Write(0, &item, sizeof(item));
        SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(memory.At(0)));
        wchar_t text[kTextMax] = {};
        memory.Read(sizeof(LVITEMW), text, sizeof(text));
        text[kTextMax - 1] = L'\0';
        texts.emplace_back(text);
    }
    return texts;
}

// The file list as Velmora's display-flag search finds it, call for call.
HWND FindFileList(HWND explorer) {
    HWND container = nullptr;
    if (HWND tab = FindWindowExW(explorer, nullptr, L"ShellTabWindowClass", nullptr)) {
        if (HWND host = FindWindowExW(tab, nullptr, L"DUIViewWndClassName", nullptr)) {
            container = FindWindowExW(host, nullptr, L"DirectUIHWND", nullptr);
        }
    }
    HWND sink = nullptr;
    for (int pass = 0; pass <= 20 && container != nullptr; ++pass) {
        sink = FindWindowExW(container, sink, L"CtrlNotifySink", nullptr);
        if (sink == nullptr) continue;
        if (HWND view = FindWindowExW(sink, nullptr, L"SHELLDLL_DefView", nullptr)) container = view;
    }
    if (container != nullptr) {
        if (HWND list = FindWindowExW(container, nullptr, L"SysListView32", nullptr)) return list;
    }
    HWND view = FindWindowExW(explorer, nullptr, L"SHELLDLL_DefView", nullptr);
    return view != nullptr ? FindWindowExW(view, nullptr, L"SysListView32", nullptr) : nullptr;
}

bool Contains(const std::vector<std::wstring>& texts, const std::wstring& wanted) {
    return std::find(texts.begin(), texts.end(), wanted) != texts.end();
}

bool ShowsADrive(HWND list) {
    const std::vector<std::wstring> texts = ListTexts(list);
    return std::any_of(texts.begin(), texts.end(),
                       [](const std::wstring& text) { return text.find(L"(C:)") != std::wstring::npos; });
}

DWORD ExtendedStyle(HWND list) {
    DWORD_PTR style = 0;
    SendMessageTimeoutW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0, SMTO_ABORTIFHUNG, 5000, &style);
    return static_cast<DWORD>(style);
}

std::wstring ClipboardText() {
    std::wstring text;
    for (int attempt = 0; attempt < 20 && !OpenClipboard(nullptr); ++attempt) Sleep(50);
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = chars;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

void PutOnClipboard(const std::wstring& text) {
    if (!OpenClipboard(nullptr)) return;
    EmptyClipboard();
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    std::copy(text.c_str(), text.c_str() + text.size() + 1, static_cast<wchar_t*>(GlobalLock(data)));
    GlobalUnlock(data);
    SetClipboardData(CF_UNICODETEXT, data);
    CloseClipboard();
}

void HoldControl(bool held) {
    BYTE state[256] = {};
    GetKeyboardState(state);
    state[VK_CONTROL] = held ? 0x80 : 0;
    state[VK_LCONTROL] = state[VK_CONTROL];
    SetKeyboardState(state);
}

void RightClickAt(POINT screen) {
    MovePointerTo(screen);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
    SendInput(1, &input, sizeof(input));
    Sleep(30);
    input.mi.dwFlags = MOUSEEVENTF_RIGHTUP;
    SendInput(1, &input, sizeof(input));
}

// A popup menu open in any process: Wine's menus are "#32768" windows.
bool PopupMenuOpen() {
    HWND menu = FindWindowW(L"#32768", nullptr);
    return menu != nullptr && IsWindowVisible(menu);
}

// A folder of the test with a few files; removed with its content.
class TempFolder {
public:
    explicit TempFolder(const std::wstring& name, std::initializer_list<const wchar_t*> files = {}) {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        path_ = std::wstring(temp) + L"velmora-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" + name;
        Remove();
        CreateDirectoryW(path_.c_str(), nullptr);
        for (const wchar_t* file : files) AddFile(file);
    }
    ~TempFolder() { Remove(); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring Name() const { return path_.substr(path_.rfind(L'\\') + 1); }
    std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }
    void AddFile(const std::wstring& name) const {
        HANDLE file =
            CreateFileW(File(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(file, "velmora", 7, &written, nullptr);
        CloseHandle(file);
    }
    bool Has(const std::wstring& name) const {
        return GetFileAttributesW(File(name).c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    void Remove() const {
        std::wstring from = path_;
        from.push_back(L'\0');
        SHFILEOPSTRUCTW operation{};
        operation.wFunc = FO_DELETE;
        operation.pFrom = from.c_str();
        operation.fFlags = FOF_NO_UI;
        SHFileOperationW(&operation);
    }

private:
    std::wstring path_;
};

std::string Narrow(const std::wstring& wide) {
    const int count = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(count), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, text.data(), count, nullptr, nullptr);
    text.pop_back();
    return text;
}

// A window of another program (the driver's own) that has the focus while a
// hotkey is pressed.
class OtherWindow {
public:
    OtherWindow() {
        WNDCLASSW cls{};
        cls.lpfnWndProc = DefWindowProcW;
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.lpszClassName = L"VelmoraE2EOtherWindow";
        cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        RegisterClassW(&cls);
        window_ = CreateWindowExW(0, cls.lpszClassName, L"Other program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 900, 650,
                                  300, 200, nullptr, nullptr, cls.hInstance, nullptr);
    }
    ~OtherWindow() { DestroyWindow(window_); }
    OtherWindow(const OtherWindow&) = delete;
    OtherWindow& operator=(const OtherWindow&) = delete;

    HWND Handle() const { return window_; }
    // Brings it forward with the pointer over it, so that key input goes to it.
    bool Focus() const {
        MovePointerTo(CentreOf(window_));
        SetForegroundWindow(window_);
        return WaitFor([this] { return GetForegroundWindow() == window_; }, 3000);
    }

private:
    HWND window_ = nullptr;
};

class ExplorerPanesE2ETest : public testing::Test {
protected:
    void Start(const std::string& settings) {
        if (!settings.empty()) folder_.WriteSettings(settings);
        program_ = std::make_unique<Velmora>(folder_);
        ASSERT_TRUE(program_->WaitForMainWindow()) << "Velmora showed no main window";
    }
    void CloseAndWait() {
        program_->Close();
        ASSERT_TRUE(program_->WaitForExit()) << "Velmora did not end after WM_CLOSE";
    }
    HWND Strip(int pane) const { return program_->Control(pane == 0 ? ids::kTabStrip1_0 : ids::kTabStrip1_1); }
    HWND Frame(int pane) const { return program_->Control(pane == 0 ? ids::kFrameApp0 : ids::kFrameApp1); }
    // The Explorer window hosted in a pane's frame.
    HWND Hosted(int pane) const { return FindWindowExW(Frame(pane), nullptr, nullptr, nullptr); }
    HWND List(int pane) const {
        HWND hosted = Hosted(pane);
        return hosted != nullptr ? FindFileList(hosted) : nullptr;
    }
    bool ListShows(int pane, const std::wstring& file) const {
        return WaitFor([&] { return List(pane) != nullptr && Contains(ListTexts(List(pane)), file); });
    }
    void ClickTab(int pane, int tab) const {
        ClickAt(TabCentre(Strip(pane), tab));
        Settle(*program_);
    }
    // Right-clicks a tab and picks a popup entry by its mnemonic.
    void PopupCommand(int pane, int tab, WORD mnemonic) const {
        RightClickAt(TabCentre(Strip(pane), tab));
        ASSERT_TRUE(WaitFor(PopupMenuOpen, 3000)) << "no popup menu";
        SendKey(mnemonic, true);
        SendKey(mnemonic, false);
        ASSERT_TRUE(WaitFor([] { return !PopupMenuOpen(); }, 3000));
        Settle(*program_);
    }
    std::optional<std::wstring> SavedTabs(const wchar_t* key) const { return folder_.Read(L"Tab", key); }

    ProgramFolder folder_;
    std::unique_ptr<Velmora> program_;
};

TEST_F(ExplorerPanesE2ETest, BothPanesShowComputerInDetailsViewWithTheFolderTree) {
    // Pane 1 is moved by 10 pixels right and 2 up inside its frame.
    Start("[pos]\r\nX01=150\r\nY01=-30\r\n");
    for (int pane = 0; pane < 2; ++pane) {
        SCOPED_TRACE(pane);
        HWND hosted = Hosted(pane);
        ASSERT_NE(hosted, nullptr);
        EXPECT_EQ(GetAncestor(hosted, GA_PARENT), Frame(pane));
        EXPECT_TRUE(IsWindowVisible(hosted));
        EXPECT_TRUE(IsZoomed(hosted));
        ASSERT_NE(List(pane), nullptr);
        EXPECT_EQ(GetWindowLongPtrW(List(pane), GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT);
        EXPECT_TRUE(WaitFor([&] { return ShowsADrive(List(pane)); })) << "the list does not show the drives";
        HWND tree = FindWindowExW(hosted, nullptr, L"NamespaceTreeControl", nullptr);
        ASSERT_NE(tree, nullptr);
        EXPECT_TRUE(IsWindowVisible(tree));
        EXPECT_NE(FindWindowExW(tree, nullptr, L"SysTreeView32", nullptr), nullptr);

        // Placed by the offsets, the right and bottom edges on the frame's.
        RECT frame{};
        GetClientRect(Frame(pane), &frame);
        RECT placed{};
        GetWindowRect(hosted, &placed);
        MapWindowPoints(HWND_DESKTOP, Frame(pane), reinterpret_cast<POINT*>(&placed), 2);
        const RECT expected = pane == 0 ? RECT{10, -2, frame.right, frame.bottom} : frame;
        EXPECT_EQ(placed.left, expected.left);
        EXPECT_EQ(placed.top, expected.top);
        EXPECT_EQ(placed.right, expected.right);
        EXPECT_EQ(placed.bottom, expected.bottom);
    }
    EXPECT_NE(Hosted(0), Hosted(1));
    CloseAndWait();
}

TEST_F(ExplorerPanesE2ETest, TabsByMenuAndByHotkeyWhileAnotherProgramHasTheFocus) {
    TempFolder work(L"hotkey", {L"one.txt"});
    // Pane 1: Ctrl+Shift+F9; pane 2 has no hotkey.
    Start("[setting]\r\nModkey1=6\r\nHotkey1=120\r\n[Tab]\r\n2=PC?::{20D04FE0-3AEA-1069-A2D8-08002B30309D}|Work?" +
          Narrow(work.Path()) + "\r\n");
    ASSERT_EQ(TabCount(Strip(1)), 2);

    ASSERT_TRUE(program_->Command(ids::kFileAddTab1));
    ASSERT_EQ(TabCount(Strip(0)), 1);
    const std::wstring computer = TabCaption(Strip(0), 1);
    EXPECT_FALSE(computer.empty());

    OtherWindow other;
    ASSERT_TRUE(other.Focus());
    PressKeys({VK_CONTROL, VK_SHIFT, VK_F9});
    EXPECT_TRUE(WaitFor([&] { return TabCount(Strip(0)) == 2; })) << "the hotkey added no tab";
    EXPECT_EQ(TabCaption(Strip(0), 2), computer);
    EXPECT_EQ(GetForegroundWindow(), other.Handle()) << "Velmora came forward";

    // Pane 2 shows its tab's folder once selected; a tab added there keeps both.
    MovePointerTo(CentreOf(program_->Main()));
    ClickTab(1, 2);
    ASSERT_TRUE(ListShows(1, L"one.txt"));
    ASSERT_TRUE(program_->Command(ids::kFileAddTab2));
    EXPECT_EQ(TabCaptions(Strip(1)), (std::vector<std::wstring>{L"PC", L"Work", work.Name()}));
    CloseAndWait();
    EXPECT_EQ(SavedTabs(L"1"), computer + L"?" + kComputerPath + L"|" + computer + L"?" + kComputerPath);
    EXPECT_EQ(SavedTabs(L"2"),
              std::wstring(L"PC?") + kComputerPath + L"|Work?" + work.Path() + L"|" + work.Name() + L"?" + work.Path());
}

TEST_F(ExplorerPanesE2ETest, SelectingTabsNavigatesAndAGoneFolderLosesItsTab) {
    TempFolder a(L"select-a", {L"alpha.txt"});
    TempFolder b(L"select-b", {L"beta.txt"});
    TempFolder gone(L"select-gone");
    Start("[Tab]\r\n1=A?" + Narrow(a.Path()) + "|B?" + Narrow(b.Path()) + "|Gone?" + Narrow(gone.Path()) + "\r\n");
    ASSERT_EQ(TabCount(Strip(0)), 3);
    MovePointerTo(CentreOf(program_->Main()));
    ClickTab(0, 2);
    EXPECT_TRUE(ListShows(0, L"beta.txt"));
    ClickTab(0, 1);
    EXPECT_TRUE(ListShows(0, L"alpha.txt"));
    EXPECT_TRUE(WaitFor([&] { return ShowsADrive(List(1)); })) << "pane 2 moved too";

    gone.Remove();
    ClickTab(0, 3);
    EXPECT_EQ(TabCaptions(Strip(0)), (std::vector<std::wstring>{L"A", L"B"}));
    EXPECT_TRUE(ListShows(0, L"alpha.txt")) << "the window left the folder it showed";
    EXPECT_EQ(FindWindowW(L"#32770", nullptr), nullptr) << "a message was shown";
    CloseAndWait();
    EXPECT_EQ(SavedTabs(L"1"), L"A?" + a.Path() + L"|B?" + b.Path());
}

TEST_F(ExplorerPanesE2ETest, PopupCopiesThePathAndClosesTheTab) {
    TempFolder a(L"popup-a");
    Start("[Tab]\r\n1=A?" + Narrow(a.Path()) + "|PC?::{20D04FE0-3AEA-1069-A2D8-08002B30309D}\r\n2=A?" +
          Narrow(a.Path()) + "\r\n");
    PutOnClipboard(L"before");
    PopupCommand(0, 2, 'P');
    EXPECT_EQ(ClipboardText(), kComputerPath);
    PopupCommand(1, 1, 'P');
    EXPECT_EQ(ClipboardText(), a.Path());

    HWND hosted = Hosted(0);
    PopupCommand(0, 1, 'C');
    EXPECT_EQ(TabCaptions(Strip(0)), std::vector<std::wstring>{L"PC"});
    EXPECT_EQ(Hosted(0), hosted);
    EXPECT_TRUE(IsWindowVisible(hosted));
    CloseAndWait();
    EXPECT_EQ(SavedTabs(L"1"), std::wstring(L"PC?") + kComputerPath);
}

TEST_F(ExplorerPanesE2ETest, FilesDroppedOnATabAreMovedOrWithCtrlCopied) {
    TempFolder source(L"drop-source", {L"moved.txt", L"copied.txt", L"second.txt"});
    TempFolder target(L"drop-target");
    Start("[Tab]\r\n1=Target?" + Narrow(target.Path()) + "\r\n");
    OleApartment ole;
    ASSERT_TRUE(ole.Joined());

    MovePointerTo(TabCentre(Strip(0), 1));
    DropFilesAtPointer({source.File(L"moved.txt"), source.File(L"second.txt")});
    EXPECT_TRUE(WaitFor([&] { return target.Has(L"moved.txt") && target.Has(L"second.txt"); }));
    EXPECT_FALSE(source.Has(L"moved.txt"));
    EXPECT_FALSE(source.Has(L"second.txt"));

    // Ctrl held through the drag: the drag reads the key from this thread's keyboard state.
    MovePointerTo(TabCentre(Strip(0), 1));
    HoldControl(true);
    const DWORD effect = DropFilesAtPointer({source.File(L"copied.txt")});
    HoldControl(false);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_TRUE(WaitFor([&] { return target.Has(L"copied.txt"); }));
    EXPECT_TRUE(source.Has(L"copied.txt"));

    // To the right of the last tab nothing happens.
    TempFolder spare(L"drop-spare", {L"stays.txt"});
    const POINT right{TabCentre(Strip(0), 1).x + 400, TabCentre(Strip(0), 1).y};
    MovePointerTo(right);
    DropFilesAtPointer({spare.File(L"stays.txt")});
    Settle(*program_, 500);
    EXPECT_TRUE(spare.Has(L"stays.txt"));
    EXPECT_FALSE(target.Has(L"stays.txt"));
    CloseAndWait();
}

TEST_F(ExplorerPanesE2ETest, DisplayFlagsFollowTheSettingsAndEveryNewList) {
    TempFolder a(L"flags-a", {L"alpha.txt"});
    Start("[Velmora]\r\nGrid=1\r\nLineSel=1\r\n[Tab]\r\n1=PC?::{20D04FE0-3AEA-1069-A2D8-08002B30309D}|A?" +
          Narrow(a.Path()) + "\r\n");
    constexpr DWORD kFlags = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT;
    for (int pane = 0; pane < 2; ++pane) {
        EXPECT_TRUE(WaitFor([&] { return (ExtendedStyle(List(pane)) & kFlags) == kFlags; })) << pane;
    }
    // The browser makes a new list for the new folder; the next tick styles it.
    HWND before = List(0);
    MovePointerTo(CentreOf(program_->Main()));
    ClickTab(0, 2);
    ASSERT_TRUE(ListShows(0, L"alpha.txt"));
    EXPECT_NE(List(0), before);
    EXPECT_TRUE(WaitFor([&] { return (ExtendedStyle(List(0)) & kFlags) == kFlags; }));

    // A change written by the settings program shows without a restart.
    folder_.WriteSettings("[Velmora]\r\nGrid=0\r\nLineSel=1\r\n");
    for (int pane = 0; pane < 2; ++pane) {
        EXPECT_TRUE(WaitFor([&] { return (ExtendedStyle(List(pane)) & kFlags) == LVS_EX_FULLROWSELECT; })) << pane;
    }
    CloseAndWait();
}

TEST_F(ExplorerPanesE2ETest, AnExplorerWindowClosedFromInsideIsCapturedAgain) {
    TempFolder a(L"recapture-a");
    Start("[Tab]\r\n1=A?" + Narrow(a.Path()) + "\r\n");
    HWND second = Hosted(1);
    // A live pane is left as it is.
    ASSERT_TRUE(program_->Command(ids::kCaptureExplorer2));
    EXPECT_EQ(Hosted(1), second);

    HWND old = Hosted(0);
    PostMessageW(old, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(old); })) << "the Explorer window did not close";
    // Without a window the pane ignores its tab and its menu command.
    ASSERT_TRUE(program_->Command(ids::kFileAddTab1));
    EXPECT_EQ(TabCount(Strip(0)), 1);

    ASSERT_TRUE(program_->Command(ids::kCaptureExplorer1));
    HWND fresh = Hosted(0);
    ASSERT_NE(fresh, nullptr);
    EXPECT_NE(fresh, old);
    EXPECT_TRUE(IsZoomed(fresh));
    EXPECT_TRUE(WaitFor([&] { return ShowsADrive(List(0)); })) << "the new window is not at Computer";
    EXPECT_NE(FindWindowExW(fresh, nullptr, L"NamespaceTreeControl", nullptr), nullptr);
    EXPECT_EQ(GetWindowLongPtrW(List(0), GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_EQ(TabCaptions(Strip(0)), std::vector<std::wstring>{L"A"});
    EXPECT_EQ(Hosted(1), second);
    CloseAndWait();
}

}  // namespace
}  // namespace velmora::e2e
