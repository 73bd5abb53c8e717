// The Explorer panes of the real Velmora.exe under Wine with Velmora's own
// stand-in as their Explorer windows (Wine has no Explorer object): the tab
// strips, the hotkeys, copying and dropping. How Velmora drives the platform's
// object is checked against its double in ExplorerObjectE2ETest.cpp.
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

class ExplorerPanesE2ETest : public VelmoraTest {
protected:
    // Right-clicks a tab and picks a popup entry by its mnemonic.
    void PopupCommand(int pane, int tab, WORD mnemonic) const {
        RightClickAt(TabCentre(Strip(pane), tab));
        ASSERT_TRUE(WaitFor(PopupMenuOpen, 3000)) << "no popup menu";
        SendKey(mnemonic, true);
        SendKey(mnemonic, false);
        ASSERT_TRUE(WaitFor([] { return !PopupMenuOpen(); }, 3000));
        Settle(*program_);
    }
};

TEST_F(ExplorerPanesE2ETest, TabsByMenuAndByHotkeyWhileAnotherProgramHasTheFocus) {
    TempFolder work(L"hotkey", {L"one.txt"});
    // Pane 1: Ctrl+Shift+F9; pane 2 has no hotkey.
    Start("[setting]\r\nModkey1=6\r\nHotkey1=120\r\n[Tab]\r\n2=PC?::{20D04FE0-3AEA-1069-A2D8-08002B30309D}|Work?" +
          work.Utf8Path() + "\r\n");
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

TEST_F(ExplorerPanesE2ETest, PopupCopiesThePathAndClosesTheTab) {
    TempFolder a(L"popup-a");
    Start("[Tab]\r\n1=A?" + a.Utf8Path() + "|PC?::{20D04FE0-3AEA-1069-A2D8-08002B30309D}\r\n2=A?" + a.Utf8Path() +
          "\r\n");
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
    Start("[Tab]\r\n1=Target?" + target.Utf8Path() + "\r\n");
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

}  // namespace
}  // namespace velmora::e2e
