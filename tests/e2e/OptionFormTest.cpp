// Option.exe as a whole: what the form shows from a prepared setting.ini, its
// captions, tool-tips and layout, and what "Apply", "OK", "Cansel", the close
// box, Enter and Escape write.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "e2e/OptionDriver.h"
#include "platform/win32/OptionIds.h"

namespace velmora::e2e {
namespace {

namespace ids = win32::option_ids;
using ::testing::ElementsAre;

// Option keys mixed with keys only Velmora writes, and section App in the
// middle: a save must keep the foreign keys and move App to the end.
constexpr char kPrepared[] =
    "[setting]\r\n"
    "window=1\r\n"
    "View=2\r\n"
    "Boot=C:\\Tools\\起動.exe\r\n"
    "Hot1=833\r\n"
    "Hot2=1136\r\n"
    "Hotkey1=1\r\n"
    "Modkey1=1\r\n"
    "[App]\r\n"
    "メモ帳=C:\\Windows\\notepad.exe\r\n"
    "Calc=C:\\Windows\\calc.exe\r\n"
    "Tool=C:\\a=b.exe\r\n"
    "[pos]\r\n"
    "X01=150\r\n"
    "X02=-3000\r\n"
    "Y03=1000\r\n"
    "[Velmora]\r\n"
    "Grid=1\r\n"
    "LineSel=0\r\n"
    "[Tab]\r\n"
    "1=C?C:\\\r\n";

class OptionFormTest : public ::testing::Test {
protected:
    std::unique_ptr<OptionProcess> Start() {
        auto program = std::make_unique<OptionProcess>(folder_);
        EXPECT_TRUE(program->WaitForForm()) << "Option.exe showed no form";
        return program;
    }

    OptionFolder folder_;
};

RECT ClientRectOf(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool IsFrame(HWND control) {
    wchar_t className[32] = {};
    GetClassNameW(control, className, 32);
    return lstrcmpiW(className, L"Button") == 0 && (GetWindowLongW(control, GWL_STYLE) & 0x0F) == BS_GROUPBOX;
}

TEST_F(OptionFormTest, LoadShowsEveryStoredSetting) {
    folder_.WriteSettings(kPrepared);
    auto option = Start();

    EXPECT_EQ(option->Text(option->Form()), L"Option");
    EXPECT_TRUE(option->Checked(ids::kChkWindow));
    EXPECT_TRUE(option->Checked(ids::Chk(0)));
    EXPECT_FALSE(option->Checked(ids::Chk(1)));
    EXPECT_EQ(option->Text(ids::TxtPath(1)), L"C:\\Tools\\起動.exe");
    // Pixels at 15 twips per pixel: 150 shows 10, -3000 the minimum -200, and
    // 1000 is not brought to a whole number.
    EXPECT_EQ(option->Text(option->PositionEdit(0)), L"10");
    EXPECT_EQ(option->Text(option->PositionEdit(1)), L"0");
    EXPECT_EQ(option->Text(option->PositionEdit(2)), L"-200");
    EXPECT_EQ(option->Text(option->PositionEdit(3)), L"0");
    EXPECT_EQ(option->Text(option->PositionEdit(4)), L"0");
    EXPECT_EQ(option->Text(option->PositionEdit(5)), L"66.66667");
    // Hot1/Hot2 alone decide the fields; Hotkey1/Modkey1 in the file do not.
    EXPECT_EQ(option->HotkeyWord(0), 0x0341);
    EXPECT_EQ(option->HotkeyWord(1), 0x0470);
    // File order; a path holding "=" comes back whole.
    EXPECT_THAT(option->Rows(),
                ElementsAre(OptionRow{L"メモ帳", L"C:\\Windows\\notepad.exe"},
                            OptionRow{L"Calc", L"C:\\Windows\\calc.exe"}, OptionRow{L"Tool", L"C:\\a=b.exe"}));
    EXPECT_EQ(option->Text(ids::kTxtName), L"");
    EXPECT_EQ(option->Text(ids::TxtPath(0)), L"");
}

TEST_F(OptionFormTest, WithoutAFileEverythingIsClearAndCanselCreatesNone) {
    auto option = Start();

    EXPECT_FALSE(option->Checked(ids::kChkWindow));
    EXPECT_FALSE(option->Checked(ids::Chk(0)));
    EXPECT_FALSE(option->Checked(ids::Chk(1)));
    EXPECT_EQ(option->Text(ids::TxtPath(1)), L"");
    for (int field = 0; field < 6; ++field) EXPECT_EQ(option->Text(option->PositionEdit(field)), L"0") << field;
    EXPECT_EQ(option->HotkeyWord(0), 0);
    EXPECT_EQ(option->HotkeyWord(1), 0);
    EXPECT_EQ(option->RowCount(), 0);

    option->Click(ids::CmdDecision(2));
    ASSERT_TRUE(option->WaitForExit());
    EXPECT_FALSE(folder_.SettingsBytes().has_value());
}

TEST_F(OptionFormTest, CaptionsToolTipsAndDefaultButtons) {
    auto option = Start();

    const std::map<int, std::wstring> captions = {
        {ids::kChkWindow, L"ウィンドウの位置、サイズを記憶する"},
        {ids::Chk(0), L"エクスプローラのグリッド表示"},
        {ids::Chk(1), L"エクスプローラの一行選択"},
        {ids::FrameApp(5), L"エクスプローラ１"},
        {ids::FrameApp(6), L"エクスプローラ２"},
        {ids::FrameApp(7), L"取り込み画面"},
        {ids::FrameApp(0), L"取り込みランチャ"},
        {ids::LblPos(0), L"位置  X"},
        {ids::LblPos(1), L"Y"},
        {ids::LblPos(2), L"位置  X"},
        {ids::LblPos(3), L"Y"},
        {ids::LblPos(4), L"アプリケーション名"},
        {ids::LblPos(5), L"起動時取り込みアプリ"},
        {ids::LblPos(6), L"位置  X"},
        {ids::LblPos(7), L"Y"},
        {ids::LblPos(8), L"パス"},
        {ids::LblPos(9), L"タブ追加ホットキー"},
        {ids::LblPos(10), L"タブ追加ホットキー"},
        {ids::CmdDecision(0), L"OK"},
        {ids::CmdDecision(1), L"Apply"},
        {ids::CmdDecision(2), L"Cansel"},
        {ids::kCmdAdd, L"追加"},
        {ids::kCmdEdit, L"編集"},
        {ids::kCmdDelete, L"削除"},
        {ids::kCmdClr, L"ｸﾘｱ"},
        {ids::CmdOpen(0), L"..."},
        {ids::CmdOpen(1), L"..."},
    };
    for (const auto& [id, caption] : captions) EXPECT_EQ(option->Text(id), caption) << "control " << id;
    EXPECT_EQ(option->ColumnTitle(0), L"アプリケーション名");
    EXPECT_EQ(option->ColumnTitle(1), L"パス");

    const std::wstring pathTip = L"取り込みたいアプリケーションのパスを入力してください";
    const std::wstring openTip = L"ファイルを開くダイアログを表示";
    const std::map<int, std::wstring> tips = {
        {ids::TxtPath(1), pathTip},
        {ids::CmdOpen(1), openTip},
        {ids::kListView1, L"ここにアプリケーションを登録します"},
        {ids::kCmdAdd, L"アプリケーション名とパスを新規に追加"},
        {ids::kCmdEdit, L"選択しているアプリケーションを編集"},
        {ids::kCmdDelete, L"選択しているアプリケーションを削除"},
        {ids::kCmdClr, L"名前、パスの入力部をクリアします"},
        {ids::kTxtName, L"アプリケーション名を入力して下さい"},
        {ids::TxtPath(0), pathTip},
        {ids::CmdOpen(0), openTip},
    };
    for (const auto& [id, tip] : tips) EXPECT_EQ(option->ToolTip(option->Control(id)), tip) << "control " << id;
    EXPECT_EQ(option->ToolTipCount(), static_cast<int>(tips.size()));

    // Enter and Escape go to these through the dialog manager's ids.
    EXPECT_EQ(GetDlgCtrlID(option->Control(ids::CmdDecision(0))), IDOK);
    EXPECT_EQ(GetWindowLongW(option->Control(ids::CmdDecision(0)), GWL_STYLE) & 0x0F, BS_DEFPUSHBUTTON);
    EXPECT_EQ(GetDlgCtrlID(option->Control(ids::CmdDecision(2))), IDCANCEL);

    HWND list = option->Control(ids::kListView1);
    EXPECT_EQ(GetWindowLongW(list, GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT);
    DWORD_PTR extended = 0;
    SendMessageTimeoutW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0, SMTO_ABORTIFHUNG, 5000, &extended);
    EXPECT_TRUE(extended & LVS_EX_FULLROWSELECT);
}

TEST_F(OptionFormTest, HotkeyFieldsFillTheirBoxes) {
    auto option = Start();
    for (int pane = 0; pane < 2; ++pane) {
        HWND field = option->HotkeyField(pane);
        ASSERT_NE(field, nullptr) << pane;
        EXPECT_EQ(GetWindowLongW(field, GWL_STYLE) & (WS_CHILD | WS_VISIBLE | WS_BORDER | WS_POPUP),
                  WS_CHILD | WS_VISIBLE | WS_BORDER);
        RECT box{};
        GetClientRect(option->Control(ids::PicHotkey(pane)), &box);
        const RECT rect = ClientRectOf(field);
        EXPECT_EQ(rect.left, 0);
        EXPECT_EQ(rect.top, 0);
        EXPECT_EQ(rect.right, box.right);
        EXPECT_EQ(rect.bottom, box.bottom);
    }
}

// Under Wine the screen has 96 DPI: 15 twips per pixel.
TEST_F(OptionFormTest, LayoutIsTheFormsTwipsInPixelsWithoutOverlaps) {
    auto option = Start();
    RECT client{};
    GetClientRect(option->Form(), &client);
    EXPECT_EQ(client.right, 681);   // 10215 twips
    EXPECT_EQ(client.bottom, 449);  // 6735 twips

    // OK, Apply, Cansel from left to right at the bottom right, 1215 x 255 each.
    RECT previous{};
    for (int index = 0; index < 3; ++index) {
        const RECT button = ClientRectOf(option->Control(ids::CmdDecision(index)));
        EXPECT_EQ(button.right - button.left, 81) << index;
        EXPECT_EQ(button.bottom - button.top, 17) << index;
        if (index > 0) {
            EXPECT_GT(button.left, previous.right) << index;
            EXPECT_EQ(button.top, previous.top) << index;
        }
        previous = button;
    }
    EXPECT_GT(previous.right, client.right - 15);
    EXPECT_GT(previous.bottom, client.bottom - 15);
    // The check boxes in a row along the top, chkWindow first.
    const RECT window = ClientRectOf(option->Control(ids::kChkWindow));
    const RECT grid = ClientRectOf(option->Control(ids::Chk(0)));
    const RECT line = ClientRectOf(option->Control(ids::Chk(1)));
    EXPECT_LT(window.top, 15);
    EXPECT_EQ(grid.top, window.top);
    EXPECT_EQ(line.top, window.top);
    EXPECT_LT(window.right, grid.left);
    EXPECT_LT(grid.right, line.left);
    // The two Explorer frames side by side, the capture frame under them
    // across the width, the launcher frame inside it.
    const RECT explorer1 = ClientRectOf(option->Control(ids::FrameApp(5)));
    const RECT explorer2 = ClientRectOf(option->Control(ids::FrameApp(6)));
    const RECT capture = ClientRectOf(option->Control(ids::FrameApp(7)));
    const RECT launcher = ClientRectOf(option->Control(ids::FrameApp(0)));
    EXPECT_EQ(explorer1.top, explorer2.top);
    EXPECT_LT(explorer1.right, explorer2.left);
    EXPECT_EQ(explorer1.bottom - explorer1.top, 73);  // 1100 twips
    EXPECT_EQ(capture.right - capture.left, 665);     // 9975 twips
    EXPECT_EQ(capture.bottom - capture.top, 305);     // 4575 twips
    EXPECT_GT(capture.top, explorer1.bottom);
    EXPECT_TRUE(launcher.left > capture.left && launcher.right < capture.right && launcher.bottom < capture.bottom);
    EXPECT_EQ(option->ColumnWidth(0), 133);  // 2000 twips
    EXPECT_EQ(option->ColumnWidth(1), 400);  // 6000 twips
    const RECT list = ClientRectOf(option->Control(ids::kListView1));
    EXPECT_EQ(list.right - list.left, 633);  // 9495 twips
    const RECT add = ClientRectOf(option->Control(ids::kCmdAdd));
    EXPECT_EQ(add.right - add.left, 65);  // 975 twips
    EXPECT_EQ(ClientRectOf(option->Control(ids::kTxtName)).right - ClientRectOf(option->Control(ids::kTxtName)).left,
              337);  // 5055 twips

    // Every control inside the client area, and no two of them overlapping
    // (frames hold controls, so they are left out of the pairs).
    std::vector<std::pair<int, RECT>> controls;
    for (HWND child = GetWindow(option->Form(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const RECT rect = ClientRectOf(child);
        EXPECT_TRUE(rect.left >= 0 && rect.top >= 0 && rect.right <= client.right && rect.bottom <= client.bottom)
            << "control " << GetDlgCtrlID(child);
        if (!IsFrame(child)) controls.emplace_back(GetDlgCtrlID(child), rect);
    }
    EXPECT_GE(controls.size(), 35u);
    // The frames lie under the controls: the window at a control's centre is
    // the control (or a part of it), which drag and drop from other processes
    // depends on.
    for (HWND child = GetWindow(option->Form(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsFrame(child)) continue;
        HWND hit = WindowFromPoint(CentreOf(child));
        EXPECT_TRUE(hit == child || IsChild(child, hit)) << "control " << GetDlgCtrlID(child) << " is covered";
    }
    for (std::size_t i = 0; i < controls.size(); ++i) {
        for (std::size_t j = i + 1; j < controls.size(); ++j) {
            RECT overlap{};
            EXPECT_FALSE(IntersectRect(&overlap, &controls[i].second, &controls[j].second))
                << "controls " << controls[i].first << " and " << controls[j].first << " overlap";
        }
    }
}

TEST_F(OptionFormTest, ApplyWritesExactlyTheFormsKeysAndStaysOpen) {
    folder_.WriteSettings(kPrepared);
    auto option = Start();

    SendMessageW(option->Control(ids::Chk(1)), BM_CLICK, 0, 0);
    option->SetText(option->Control(ids::TxtPath(1)), L"D:\\新しい\\app.exe");
    option->SetText(option->PositionEdit(4), L"-200");
    option->SetText(option->PositionEdit(1), L"12.5");
    // Ctrl+Home: the extended-key flag is kept in Hot2 but not in Modkey2.
    SendMessageW(option->HotkeyField(1), HKM_SETHOTKEY, 0x0A24, 0);
    ASSERT_TRUE(option->Click(ids::CmdDecision(1)));
    EXPECT_TRUE(option->Running());

    // App moved to the end; Velmora's sections and keys untouched.
    EXPECT_THAT(folder_.Sections(), ElementsAre(L"setting", L"pos", L"Velmora", L"Tab", L"App"));
    EXPECT_THAT(folder_.Keys(L"setting"), ElementsAre(L"window", L"View", L"Boot", L"Hot1", L"Hot2", L"Hotkey1",
                                                      L"Modkey1", L"Hotkey2", L"Modkey2"));
    EXPECT_EQ(folder_.Read(L"setting", L"window"), L"1");
    EXPECT_EQ(folder_.Read(L"setting", L"View"), L"2");
    EXPECT_EQ(folder_.Read(L"setting", L"Boot"), L"D:\\新しい\\app.exe");
    EXPECT_EQ(folder_.Read(L"setting", L"Hot1"), L"833");
    EXPECT_EQ(folder_.Read(L"setting", L"Hotkey1"), L"65");
    EXPECT_EQ(folder_.Read(L"setting", L"Modkey1"), L"6");
    EXPECT_EQ(folder_.Read(L"setting", L"Hot2"), L"2596");
    EXPECT_EQ(folder_.Read(L"setting", L"Hotkey2"), L"36");
    EXPECT_EQ(folder_.Read(L"setting", L"Modkey2"), L"2");
    EXPECT_THAT(folder_.Keys(L"pos"), ElementsAre(L"X01", L"X02", L"Y03", L"X03", L"Y01", L"Y02"));
    EXPECT_EQ(folder_.Read(L"pos", L"X01"), L"150");
    EXPECT_EQ(folder_.Read(L"pos", L"X02"), L"-3000");
    EXPECT_EQ(folder_.Read(L"pos", L"X03"), L"-3000");
    EXPECT_EQ(folder_.Read(L"pos", L"Y01"), L"187.5");
    EXPECT_EQ(folder_.Read(L"pos", L"Y02"), L"0");
    EXPECT_EQ(folder_.Read(L"pos", L"Y03"), L"1000.00005");
    EXPECT_THAT(folder_.Keys(L"Velmora"), ElementsAre(L"Grid", L"LineSel"));
    EXPECT_EQ(folder_.Read(L"Velmora", L"Grid"), L"1");
    EXPECT_EQ(folder_.Read(L"Velmora", L"LineSel"), L"1");
    EXPECT_EQ(folder_.Read(L"Tab", L"1"), L"C?C:\\");
    EXPECT_THAT(folder_.Keys(L"App"), ElementsAre(L"メモ帳", L"Calc", L"Tool"));
    EXPECT_EQ(folder_.Read(L"App", L"Tool"), L"C:\\a=b.exe");

    // Cansel after Apply keeps what was applied and drops the rest.
    const std::optional<std::string> applied = folder_.SettingsBytes();
    SendMessageW(option->Control(ids::kChkWindow), BM_CLICK, 0, 0);
    option->Click(ids::CmdDecision(2));
    ASSERT_TRUE(option->WaitForExit());
    EXPECT_EQ(folder_.SettingsBytes(), applied);
}

TEST_F(OptionFormTest, CanselAndTheCloseBoxWriteNothing) {
    folder_.WriteSettings(kPrepared);
    const std::optional<std::string> before = folder_.SettingsBytes();
    {
        auto option = Start();
        SendMessageW(option->Control(ids::Chk(0)), BM_CLICK, 0, 0);
        option->SetText(option->PositionEdit(0), L"42");
        option->Click(ids::CmdDecision(2));
        ASSERT_TRUE(option->WaitForExit());
    }
    EXPECT_EQ(folder_.SettingsBytes(), before);
    {
        auto option = Start();
        SendMessageW(option->Control(ids::Chk(0)), BM_CLICK, 0, 0);
        option->SetText(option->Control(ids::TxtPath(1)), L"C:\\changed.exe");
        PostMessageW(option->Form(), WM_SYSCOMMAND, SC_CLOSE, 0);
        ASSERT_TRUE(option->WaitForExit());
    }
    EXPECT_EQ(folder_.SettingsBytes(), before);
}

TEST_F(OptionFormTest, OkSavesAndEndsTheProgram) {
    auto option = Start();
    SendMessageW(option->Control(ids::kChkWindow), BM_CLICK, 0, 0);
    option->Click(ids::CmdDecision(0));
    ASSERT_TRUE(option->WaitForExit());
    EXPECT_EQ(option->ExitCode(), 0u);

    // A save from an empty file writes every key of the form and no App section.
    EXPECT_THAT(folder_.Sections(), ElementsAre(L"setting", L"Velmora", L"pos"));
    EXPECT_THAT(folder_.Keys(L"setting"),
                ElementsAre(L"window", L"Boot", L"Hot1", L"Hotkey1", L"Modkey1", L"Hot2", L"Hotkey2", L"Modkey2"));
    EXPECT_EQ(folder_.Read(L"setting", L"window"), L"1");
    EXPECT_EQ(folder_.Read(L"setting", L"Boot"), L"");
    EXPECT_EQ(folder_.Read(L"setting", L"Hot1"), L"0");
    EXPECT_EQ(folder_.Read(L"setting", L"Modkey2"), L"0");
    EXPECT_THAT(folder_.Keys(L"pos"), ElementsAre(L"X01", L"X02", L"X03", L"Y01", L"Y02", L"Y03"));
    EXPECT_EQ(folder_.Read(L"pos", L"Y03"), L"0");
    EXPECT_EQ(folder_.Read(L"Velmora", L"Grid"), L"0");
}

TEST_F(OptionFormTest, EscapeIsCanselAndEnterIsOk) {
    folder_.WriteSettings(kPrepared);
    const std::optional<std::string> before = folder_.SettingsBytes();
    {
        auto option = Start();
        SendMessageW(option->Control(ids::Chk(1)), BM_CLICK, 0, 0);
        option->Activate();
        PressKeys({VK_ESCAPE});
        ASSERT_TRUE(option->WaitForExit());
    }
    EXPECT_EQ(folder_.SettingsBytes(), before);
    {
        auto option = Start();
        SendMessageW(option->Control(ids::Chk(1)), BM_CLICK, 0, 0);
        option->Activate();
        PressKeys({VK_RETURN});
        ASSERT_TRUE(option->WaitForExit());
    }
    EXPECT_EQ(folder_.Read(L"Velmora", L"LineSel"), L"1");
}

TEST_F(OptionFormTest, TabMovesTheFocusThroughTheControlsInOrder) {
    auto option = Start();
    option->Activate();
    auto focused = [&] {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(option->Form(), nullptr), &info);
        return info.hwndFocus;
    };
    EXPECT_EQ(focused(), option->Control(ids::kChkWindow));
    PressKeys({VK_TAB});
    option->Sync();
    EXPECT_EQ(focused(), option->Control(ids::Chk(0)));
    PressKeys({VK_TAB});
    PressKeys({VK_TAB});
    option->Sync();
    // Into the first numeric field's edit box.
    EXPECT_EQ(focused(), option->PositionEdit(0));
    PressKeys({VK_SHIFT, VK_TAB});
    option->Sync();
    EXPECT_EQ(focused(), option->Control(ids::Chk(1)));
}

}  // namespace
}  // namespace velmora::e2e
