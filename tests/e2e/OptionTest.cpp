// Option.exe as the user works it: what it shows of a prepared setting.ini,
// real keys and mouse in its fields, the launcher list with its message box, a
// file dropped on it from another program, and what "Apply" and "Cansel"
// write. ("OK" is run through Velmora's Tools menu in VelmoraTest.cpp.)
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
    ASSERT_NE(option.Main(), nullptr);
    const auto field = [&](int index, int part) { return GetDlgItem(option.Control(ids::UctUDText1(index)), part); };
    const auto hotkey = [&](int pane) {
        return FindWindowExW(option.Control(ids::PicHotkey(pane)), nullptr, HOTKEY_CLASSW, nullptr);
    };
    const auto checked = [&](int id) { return Send(option.Control(id), BM_GETCHECK) == BST_CHECKED; };
    const auto setText = [&](int id, const std::wstring& text) {
        Send(option.Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    };
    HWND list = option.Control(ids::kListView1);

    // The file's values, under the form's Japanese captions; positions in pixels.
    const std::pair<std::wstring, std::wstring> shown[] = {
        {Text(option.Main()), L"Option"},
        {Text(option.Control(ids::kChkWindow)), L"ウィンドウの位置、サイズを記憶する"},
        {Text(option.Control(ids::kCmdClr)), L"ｸﾘｱ"},
        {Text(option.Control(ids::TxtPath(1))), L"C:\\Tools\\起動.exe"},
        {Text(field(0, 1)), L"10"},
        {ItemText(list, 0), L"メモ帳"},
        {ItemText(list, 1, 1), L"C:\\Windows\\calc.exe"},
    };
    for (const auto& [actual, expected] : shown) EXPECT_EQ(actual, expected);
    EXPECT_TRUE(checked(ids::kChkWindow) && checked(ids::Chk(0)) && !checked(ids::Chk(1)));
    EXPECT_EQ(Send(hotkey(0), HKM_GETHOTKEY), 0x0341);

    // Alt+F1 pressed in pane 2's hotkey field; 12 typed into pane 1's Y field, then its upper arrow clicked.
    Click(Centre(hotkey(1)));
    Keys({VK_MENU, VK_F1});
    EXPECT_TRUE(WaitFor([&] { return Send(hotkey(1), HKM_GETHOTKEY) == 0x0470; }));
    Click(Centre(field(1, 1)));
    Send(field(1, 1), EM_SETSEL, 0, -1);
    Keys({'1'});
    Keys({'2'});
    RECT arrows{};
    GetWindowRect(field(1, 2), &arrows);
    Click({(arrows.left + arrows.right) / 2, arrows.top + (arrows.bottom - arrows.top) / 4});
    EXPECT_TRUE(WaitFor([&] { return Text(field(1, 1)) == L"13"; })) << Text(field(1, 1));

    // A name the list has is refused with a message; a file dropped on the path fills path and name.
    setText(ids::kTxtName, L"Calc");
    setText(ids::TxtPath(0), L"C:\\calc.exe");
    option.Command(ids::kCmdAdd, true);
    HWND box = option.WaitForBox();
    EXPECT_EQ(Text(box), L"Option");
    EXPECT_EQ(BoxText(box), L"すでに同名のコマンドが登録されています");
    Answer(box);
    MoveTo(Centre(option.Control(ids::TxtPath(0))));
    EXPECT_EQ(DropFiles({tools / L"tool.exe"}), static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(Text(option.Control(ids::TxtPath(0))), tools / L"tool.exe");
    EXPECT_EQ(Text(option.Control(ids::kTxtName)), L"tool");
    option.Command(ids::kCmdAdd);
    EXPECT_EQ(ItemCount(list), 3);

    // "Apply" writes and leaves the form open; "Cansel" then writes nothing more.
    ASSERT_TRUE(option.Command(ids::CmdDecision(1)));
    const std::pair<const wchar_t*, std::wstring> written[] = {
        {L"Hot2", L"1136"}, {L"Hotkey2", L"112"}, {L"Modkey2", L"1"}, {L"Boot", L"C:\\Tools\\起動.exe"}};
    for (const auto& [key, value] : written) EXPECT_EQ(option.Read(L"setting", key), value) << key;
    EXPECT_EQ(option.Read(L"pos", L"Y01"), L"195");
    EXPECT_EQ(option.Read(L"App", L"tool"), tools / L"tool.exe");
    Send(option.Control(ids::kChkWindow), BM_CLICK);
    option.Command(ids::CmdDecision(2));
    ASSERT_TRUE(option.WaitForExit());
    EXPECT_EQ(option.Read(L"setting", L"window"), L"1");
}

}  // namespace
}  // namespace velmora::e2e
