// Option.exe as the user works it: what it shows of a prepared setting.ini,
// real keys and mouse in its fields, the launcher list with its message box, a
// file dropped on it from another program, and what "Apply" and "Cansel"
// write. ("OK" is run from Velmora's Tools menu in VelmoraTest.cpp.)
#include <string>
#include <utility>

#include "e2e/Driver.h"
#include "platform/win32/OptionIds.h"

namespace velmora::e2e {
namespace {

namespace ids = win32::option_ids;

TEST(OptionTest, ShowsTheFileTakesRealInputAndWritesOnApplyNotOnCansel) {
    Folder tools({L"tool.exe"});
    Program option(L"Option.exe", ids::kWindowClass,
                   L"[setting]\r\nwindow=1\r\nBoot=C:\\Tools\\起動.exe\r\nHot1=833\r\n[App]\r\n"
                   L"メモ帳=C:\\Windows\\notepad.exe\r\nCalc=C:\\Windows\\calc.exe\r\n[pos]\r\nX01=150\r\n"
                   L"[Velmora]\r\nGrid=1\r\nLineSel=0\r\n");
    // Pane 1's Y field (its edit box), pane 2's hotkey field, the launcher's fields and list.
    HWND edit = GetDlgItem(option.Control(ids::UctUDText1(1)), 1);
    HWND hotkey = FindWindowExW(option.Control(ids::PicHotkey(1)), nullptr, HOTKEY_CLASSW, nullptr);
    HWND name = option.Control(ids::kTxtName), path = option.Control(ids::TxtPath(0));
    HWND list = option.Control(ids::kListView1);

    // The file's values, under the form's Japanese captions; positions in pixels.
    const std::pair<std::wstring, std::wstring> shown[] = {
        {Text(option.Main()), L"Option"},
        {Text(option.Control(ids::kChkWindow)), L"ウィンドウの位置、サイズを記憶する"},
        {Text(option.Control(ids::kCmdClr)), L"ｸﾘｱ"},
        {Text(option.Control(ids::TxtPath(1))), L"C:\\Tools\\起動.exe"},
        {Text(GetDlgItem(option.Control(ids::UctUDText1(0)), 1)), L"10"},
        {ItemText(list, 0), L"メモ帳"},
        {ItemText(list, 1, 1), L"C:\\Windows\\calc.exe"},
    };
    for (const auto& [actual, expected] : shown) EXPECT_EQ(actual, expected);
    for (const auto& [id, checked] : {std::pair{ids::kChkWindow, true}, {ids::Chk(0), true}, {ids::Chk(1), false}})
        EXPECT_EQ(Send(option.Control(id), BM_GETCHECK) == BST_CHECKED, checked) << id;
    EXPECT_EQ(Send(FindWindowExW(option.Control(ids::PicHotkey(0)), nullptr, HOTKEY_CLASSW, nullptr), HKM_GETHOTKEY),
              0x0341);

    // Alt+F1 pressed in pane 2's hotkey field; 12 typed into pane 1's Y field.
    Click(Centre(hotkey));
    Keys({VK_MENU, VK_F1});
    EXPECT_TRUE(WaitFor([&] { return Send(hotkey, HKM_GETHOTKEY) == 0x0470; }));
    Click(Centre(edit));
    Send(edit, EM_SETSEL, 0, -1);
    Keys({'1'});
    Keys({'2'});
    EXPECT_TRUE(WaitFor([&] { return Text(edit) == L"12"; })) << Text(edit);

    // A name the list has is refused with a message; a file dropped on the path fills path and name.
    Send(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Calc"));
    Send(path, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"C:\\calc.exe"));
    option.Command(ids::kCmdAdd, true);
    HWND message = option.WaitForBox();
    EXPECT_EQ(Text(message), L"Option");
    EXPECT_EQ(BoxText(message), L"すでに同名のコマンドが登録されています");
    Answer(message);
    MoveTo(Centre(path));
    EXPECT_EQ(DropFiles({tools / L"tool.exe"}), static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(Text(path), tools / L"tool.exe");
    EXPECT_EQ(Text(name), L"tool");
    option.Command(ids::kCmdAdd);
    EXPECT_EQ(ItemCount(list), 3);

    // "Apply" writes and leaves the form open; "Cansel" then writes nothing more.
    ASSERT_TRUE(option.Command(ids::CmdDecision(1)));
    const std::pair<const wchar_t*, const wchar_t*> written[] = {
        {L"Hot2", L"1136"}, {L"Hotkey2", L"112"}, {L"Modkey2", L"1"}, {L"Boot", L"C:\\Tools\\起動.exe"}};
    for (const auto& [key, value] : written) EXPECT_EQ(option.Read(L"setting", key), value) << key;
    EXPECT_EQ(option.Read(L"pos", L"Y01"), L"180");
    EXPECT_EQ(option.Read(L"App", L"tool"), tools / L"tool.exe");
    Send(option.Control(ids::kChkWindow), BM_CLICK);
    option.Command(ids::CmdDecision(2));
    ASSERT_TRUE(option.WaitForExit());
    EXPECT_EQ(option.Read(L"setting", L"window"), L"1");
}

}  // namespace
}  // namespace velmora::e2e
