// Velmora.exe as a user starts, works and ends it, with Velmora's own stand-in
// as its Explorer windows (Wine has no Explorer object; where the system has
// one, the panes hold that instead).
#include <string>
#include <vector>

#include "e2e/Driver.h"
#include "platform/win32/ExplorerStandIn.h"
#include "platform/win32/MainWindowIds.h"
#include "platform/win32/OptionIds.h"

namespace velmora::e2e {
namespace {

namespace ids = win32::ids;
const std::wstring kComputer = L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";

RECT ScreenRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

std::wstring Clipboard() {
    std::wstring text;
    if (!WaitFor([] { return OpenClipboard(nullptr) != FALSE; }, 2000)) return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        text = static_cast<const wchar_t*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

TEST(VelmoraTest, StartUpRestoresTheFileAndClosingWritesItBack) {
    Folder work;
    // 800x600 pixels at 100,100; stacked panes with the application pane at their right, behind a bar 330 pixels
    // from the left.
    Program velmora(L"Velmora.exe", ids::kMainWindowClass,
                    L"[setting]\r\nwindow=1\r\nState=0\r\nX=1500\r\nY=1500\r\nW=12000\r\nH=9000\r\nBar1=4950\r\n"
                    L"Bar2=3000\r\nView=2\r\nViewApl=-1\r\n[Tab]\r\n1=コンピュータ?" +
                        kComputer + L"|Work?" + work.path + L"|Gone?C:\\velmora-no-such-folder\r\n");
    ASSERT_NE(velmora.Main(), nullptr);
    const RECT outer = ScreenRect(velmora.Main()), expected{100, 100, 900, 700};
    EXPECT_TRUE(EqualRect(&outer, &expected));
    EXPECT_FALSE(IsZoomed(velmora.Main()));
    const RECT pane1 = ScreenRect(velmora.Control(ids::kPicFrame0)),
               pane2 = ScreenRect(velmora.Control(ids::kPicFrame1));
    EXPECT_TRUE(pane2.left == pane1.left && pane2.top > pane1.bottom) << "the panes are not stacked";
    EXPECT_GT(ScreenRect(velmora.Control(ids::kPicFrame2)).left, pane1.right);
    EXPECT_EQ(Items(Strip(velmora, 0)), (std::vector<std::wstring>{L"コンピュータ", L"Work"}));
    EXPECT_EQ(ItemCount(Strip(velmora, 1)), 0);
    for (int pane : {0, 1}) {
        wchar_t name[64] = {};
        GetClassNameW(Hosted(velmora, pane), name, 64);
        EXPECT_STREQ(name, win32::kExplorerStandInClass) << pane;
        EXPECT_NE(List(velmora, pane), nullptr) << pane;
    }

    {  // A second copy ends at once, without a window or a file of its own.
        Program second(L"Velmora.exe", ids::kMainWindowClass, L"");
        EXPECT_TRUE(second.WaitForExit());
        EXPECT_EQ(second.Main(), nullptr);
        EXPECT_EQ(second.ExitCode(), 0u);
        EXPECT_EQ(second.Read(L"setting", L"View"), std::nullopt);
    }

    velmora.Command(ids::kHelpAbout, true);
    HWND about = velmora.WaitForBox();
    EXPECT_EQ(Text(about), L"Velmora");
    EXPECT_EQ(BoxText(about), L"Velmora Ver" + std::to_wstring(VELMORA_VERSION_MAJOR) + L"." +
                                  std::to_wstring(VELMORA_VERSION_MINOR) + L"." +
                                  std::to_wstring(VELMORA_VERSION_PATCH) + L"\t作者 Quonda");
    Answer(about);

    // The bar dragged with the mouse: its left edge follows the pointer, the panes follow on release.
    const RECT bar = ScreenRect(velmora.Control(ids::kSplitBar0));
    const POINT grab{bar.left + 1, (bar.top + bar.bottom) / 2};
    MoveTo(grab);
    Button(true);
    MoveTo({grab.x + 30, grab.y});
    MoveTo({grab.x + 60, grab.y});
    Button(false);
    EXPECT_TRUE(WaitFor([&] { return ScreenRect(velmora.Control(ids::kPicFrame0)).right == bar.left + 61; }));

    velmora.Close();
    ASSERT_TRUE(velmora.WaitForExit());
    EXPECT_EQ(velmora.ExitCode(), 0u);
    const std::pair<const wchar_t*, const wchar_t*> saved[] = {{L"State", L"0"}, {L"X", L"1500"},    {L"W", L"12000"},
                                                               {L"H", L"9000"},  {L"Bar1", L"5865"}, {L"Bar2", L"3000"},
                                                               {L"View", L"2"},  {L"ViewApl", L"-1"}};
    for (const auto& [key, value] : saved) EXPECT_EQ(velmora.Read(L"setting", key), value) << key;
    EXPECT_EQ(velmora.Read(L"Tab", L"1"), L"コンピュータ?" + kComputer + L"|Work?" + work.path);
    EXPECT_EQ(velmora.Read(L"Tab", L"2"), std::nullopt);
}

TEST(VelmoraTest, TabsByMenuHotkeyPopupAndDrop) {
    Folder work({L"one.txt"}), source({L"moved.txt", L"copied.txt"});
    // Maximised; pane 1's hotkey Ctrl+Shift+F9.
    Program velmora(L"Velmora.exe", ids::kMainWindowClass,
                    L"[setting]\r\nwindow=1\r\nState=2\r\nBar1=6000\r\nModkey1=6\r\nHotkey1=120\r\n[Tab]\r\n1=A?" +
                        source.path + L"|PC?" + kComputer + L"\r\n2=PC?" + kComputer + L"|Work?" + work.path + L"\r\n");
    ASSERT_NE(velmora.Main(), nullptr);
    EXPECT_TRUE(IsZoomed(velmora.Main()));

    // A click on a tab shows its folder; the File menu, by its keys, adds a tab for the folder shown.
    Click(TabCentre(Strip(velmora, 1), 1));
    EXPECT_TRUE(WaitFor([&] { return Items(List(velmora, 1)) == std::vector<std::wstring>{L"one.txt"}; }));
    Keys({VK_MENU, 'F'});
    ASSERT_TRUE(WaitFor([&] { return MenuOpen(velmora); }, 3000)) << "no File menu";
    Keys({'2'});
    EXPECT_TRUE(WaitFor([&] { return Items(Strip(velmora, 1)).back() == work.Name(); }));

    // The hotkey works while another program has the focus, and leaves it there.
    HWND other = CreateWindowExW(0, L"Static", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 300, 300, 200, nullptr,
                                 nullptr, nullptr, nullptr);
    MoveTo(Centre(other));
    SetForegroundWindow(other);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == other; }, 3000));
    Keys({VK_CONTROL, VK_SHIFT, VK_F9});
    EXPECT_TRUE(WaitFor([&] { return ItemCount(Strip(velmora, 0)) == 3; })) << "the hotkey added no tab";
    EXPECT_EQ(GetForegroundWindow(), other);
    const std::wstring computer = ItemText(Strip(velmora, 0), 2);
    DestroyWindow(other);

    // The popup of a tab copies its path and closes it.
    Popup(velmora, Strip(velmora, 0), 1, 'P');
    EXPECT_EQ(Clipboard(), kComputer);
    Popup(velmora, Strip(velmora, 0), 0, 'C');
    EXPECT_EQ(Items(Strip(velmora, 0)), (std::vector<std::wstring>{L"PC", computer}));

    // Files dropped on a tab are moved into its folder, with Ctrl copied.
    MoveTo(TabCentre(Strip(velmora, 1), 1));
    DropFiles({source / L"moved.txt"});
    EXPECT_TRUE(WaitFor([&] { return work.Has(L"moved.txt") && !source.Has(L"moved.txt"); }));
    EXPECT_EQ(DropFiles({source / L"copied.txt"}, true), static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_TRUE(WaitFor([&] { return work.Has(L"copied.txt") && source.Has(L"copied.txt"); }));

    velmora.Close();
    ASSERT_TRUE(velmora.WaitForExit());
    EXPECT_EQ(velmora.Read(L"setting", L"State"), L"2");
    EXPECT_EQ(velmora.Read(L"Tab", L"1"), L"PC?" + kComputer + L"|" + computer + L"?" + kComputer);
    EXPECT_EQ(velmora.Read(L"Tab", L"2"),
              L"PC?" + kComputer + L"|Work?" + work.path + L"|" + work.Name() + L"?" + work.path);
}

// The Tools menu runs the settings program beside Velmora's folder; Velmora
// refuses to close while it runs and takes over what it saved.
TEST(VelmoraTest, ToolsMenuRunsOptionAndTakesOverItsChanges) {
    namespace option = win32::option_ids;
    // Pane 1's hotkey Ctrl+Shift+F9 (the field's word 0x0378), one launcher entry, no grid lines.
    Program velmora(L"Velmora.exe", ids::kMainWindowClass,
                    L"[setting]\r\nHot1=888\r\nModkey1=6\r\nHotkey1=120\r\n[App]\r\nOld=C:\\old.exe\r\n[Velmora]\r\n"
                    L"Grid=0\r\n",
                    {L"Option.exe"});
    ASSERT_TRUE(WaitFor([&] { return List(velmora, 0) && List(velmora, 1); }));
    MoveTo(Centre(velmora.Main()));
    Keys({VK_MENU, 'T'});
    ASSERT_TRUE(WaitFor([&] { return MenuOpen(velmora); }, 3000)) << "no Tools menu";
    Keys({'O'});
    HWND form = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (form = TopLevel(option::kWindowClass)) != nullptr; }, 20000));

    velmora.Close();
    EXPECT_FALSE(velmora.WaitForExit(500)) << "Velmora closed while the settings program ran";
    ASSERT_TRUE(velmora.Sync());

    // The user's changes: grid lines, Ctrl+Shift+F10 for pane 1, a launcher entry, the offsets of pane 1.
    Send(GetDlgItem(form, option::Chk(0)), BM_CLICK);
    Send(FindWindowExW(GetDlgItem(form, option::PicHotkey(0)), nullptr, HOTKEY_CLASSW, nullptr), HKM_SETHOTKEY, 0x0379);
    const auto type = [&](HWND field, const wchar_t* text) {
        Send(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    };
    type(GetDlgItem(form, option::kTxtName), L"新しいメモ");
    type(GetDlgItem(form, option::TxtPath(0)), L"C:\\windows\\notepad.exe");
    Send(form, WM_COMMAND, option::kCmdAdd, reinterpret_cast<LPARAM>(GetDlgItem(form, option::kCmdAdd)));
    type(GetDlgItem(GetDlgItem(form, option::UctUDText1(0)), 1), L"20");
    type(GetDlgItem(GetDlgItem(form, option::UctUDText1(1)), 1), L"-10");
    PostMessageW(form, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(form); })) << "\"OK\" did not end Option.exe";
    EXPECT_EQ(velmora.Read(L"pos", L"X01"), L"300");

    // Taken over at once, without a restart.
    EXPECT_TRUE(WaitFor([&] {
        return Items(velmora.Control(ids::kCboApp)) == std::vector<std::wstring>{L"Old", L"新しいメモ"};
    }));
    ASSERT_TRUE(velmora.Sync());
    for (int pane : {0, 1}) EXPECT_NE(Send(List(velmora, pane), LVM_GETEXTENDEDLISTVIEWSTYLE) & LVS_EX_GRIDLINES, 0);
    RECT placed = ScreenRect(Hosted(velmora, 0));
    MapWindowPoints(HWND_DESKTOP, Frame(velmora, 0), reinterpret_cast<POINT*>(&placed), 1);
    EXPECT_EQ(placed.left, 20);
    EXPECT_EQ(placed.top, -10);
    MoveTo(Centre(velmora.Main()));
    Keys({VK_CONTROL, VK_SHIFT, VK_F10});
    EXPECT_TRUE(WaitFor([&] { return ItemCount(Strip(velmora, 0)) == 1; })) << "the new hotkey added no tab";
    Keys({VK_CONTROL, VK_SHIFT, VK_F9});
    EXPECT_FALSE(WaitFor([&] { return ItemCount(Strip(velmora, 0)) == 2; }, 1500)) << "the old hotkey still works";

    velmora.Close();
    EXPECT_TRUE(velmora.WaitForExit());
}

}  // namespace
}  // namespace velmora::e2e
