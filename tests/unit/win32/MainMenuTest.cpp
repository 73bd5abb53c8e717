// The menu bar and popup menus as the window shows them, read back through
// the platform's own menu functions (which work only inside this process).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/MainMenu.h"
#include "platform/win32/MainWindowIds.h"

namespace velmora::win32 {
namespace {

using platform::MenuItem;

std::wstring Caption(HMENU menu, UINT position) {
    wchar_t text[128] = {};
    GetMenuStringW(menu, position, text, 128, MF_BYPOSITION);
    return text;
}

// Every line of a menu: its caption, or "-" for a separator.
std::vector<std::wstring> Lines(HMENU menu) {
    std::vector<std::wstring> lines;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
        lines.push_back((state & MF_SEPARATOR) ? L"-" : Caption(menu, static_cast<UINT>(i)));
    }
    return lines;
}

TEST(MainMenuTest, BarHasTheFiveMenusWithTheirEntriesInOrder) {
    MainMenus menus;
    HMENU bar = menus.Bar();
    ASSERT_EQ(GetMenuItemCount(bar), 5);
    EXPECT_EQ(Lines(bar), (std::vector<std::wstring>{L"ファイル(&F)", L"エクスプローラ(&E)", L"表示(&V)", L"ツール(&T)",
                                                     L"ヘルプ(&H)"}));
    EXPECT_EQ(Lines(GetSubMenu(bar, 0)),
              (std::vector<std::wstring>{L"新しいタブを追加１(&1)", L"新しいタブを追加２(&2)", L"-", L"終了(&X)"}));
    EXPECT_EQ(Lines(GetSubMenu(bar, 1)),
              (std::vector<std::wstring>{L"エクスプローラ取り込み(画面１)", L"エクスプローラ取り込み(画面２)"}));
    EXPECT_EQ(Lines(GetSubMenu(bar, 2)),
              (std::vector<std::wstring>{L"１画面(&1)", L"２画面(&2)", L"２画面(縦)(&T)",
                                         L"アプリ取り込みウィンドウ(&3)", L"ウィンドウサイズを均等にする(&W)"}));
    EXPECT_EQ(Lines(GetSubMenu(bar, 3)),
              (std::vector<std::wstring>{L"オプション(&O)...", L"-", L"コントロールパネル(&C)...",
                                         L"フォルダオプション(&F)..."}));
    EXPECT_EQ(Lines(GetSubMenu(bar, 4)),
              (std::vector<std::wstring>{L"ReadMeを開く(&R)...", L"作者のHPへ(&H)", L"バージョン情報(&V)..."}));
    EXPECT_EQ(GetSubMenu(bar, 4), menus.HelpMenu());
}

TEST(MainMenuTest, PopupsStayOutOfTheBar) {
    MainMenus menus;
    EXPECT_EQ(Lines(menus.Popup(platform::PopupMenu::Explorer1)),
              (std::vector<std::wstring>{L"パスをコピー(&P)", L"タブを閉じる(&C)"}));
    EXPECT_EQ(Lines(menus.Popup(platform::PopupMenu::Explorer2)),
              (std::vector<std::wstring>{L"パスをコピー(&P)", L"タブを閉じる(&C)"}));
    EXPECT_EQ(Lines(menus.Popup(platform::PopupMenu::Apps)),
              (std::vector<std::wstring>{L"取り出す(&T)", L"タブを閉じる(&C)"}));
    for (int i = 0; i < GetMenuItemCount(menus.Bar()); ++i) {
        for (auto popup : {platform::PopupMenu::Explorer1, platform::PopupMenu::Explorer2, platform::PopupMenu::Apps}) {
            EXPECT_NE(GetSubMenu(menus.Bar(), i), menus.Popup(popup));
        }
    }
}

TEST(MainMenuTest, EveryEntrySendsItsOwnCommandAndMapsBack) {
    MainMenus menus;
    // The command ids the driver sends are the ones the entries carry.
    EXPECT_EQ(GetMenuItemID(GetSubMenu(menus.Bar(), 0), 3), ids::kFileExit);
    EXPECT_EQ(GetMenuItemID(GetSubMenu(menus.Bar(), 2), 1), ids::kViewTwo);
    EXPECT_EQ(GetMenuItemID(menus.Popup(platform::PopupMenu::Apps), 0), ids::kPopupTakeOut);
    std::vector<unsigned> seen;
    for (int i = static_cast<int>(MenuItem::FileAddTab1); i <= static_cast<int>(MenuItem::PopupAppClose); ++i) {
        const auto item = static_cast<MenuItem>(i);
        const unsigned id = CommandId(item);
        ASSERT_NE(id, 0u) << "entry " << i << " has no command";
        EXPECT_EQ(MenuItemForCommand(id), item);
        for (unsigned other : seen) EXPECT_NE(other, id) << "two entries share command " << id;
        seen.push_back(id);
    }
    EXPECT_EQ(MenuItemForCommand(12345), std::nullopt);
}

TEST(MainMenuTest, ChecksAndEnablingReachBarAndPopupEntries) {
    MainMenus menus;
    EXPECT_FALSE(menus.IsChecked(MenuItem::ViewAppPane));
    menus.SetChecked(MenuItem::ViewAppPane, true);
    EXPECT_TRUE(menus.IsChecked(MenuItem::ViewAppPane));
    EXPECT_TRUE(GetMenuState(GetSubMenu(menus.Bar(), 2), 3, MF_BYPOSITION) & MF_CHECKED);
    EXPECT_FALSE(menus.IsChecked(MenuItem::ViewOne));
    menus.SetChecked(MenuItem::ViewAppPane, false);
    EXPECT_FALSE(menus.IsChecked(MenuItem::ViewAppPane));

    EXPECT_TRUE(menus.IsEnabled(MenuItem::HelpReadMe));
    menus.SetEnabled(MenuItem::HelpReadMe, false);
    EXPECT_FALSE(menus.IsEnabled(MenuItem::HelpReadMe));
    EXPECT_TRUE(GetMenuState(GetSubMenu(menus.Bar(), 4), 0, MF_BYPOSITION) & MF_GRAYED);
    menus.SetEnabled(MenuItem::HelpReadMe, true);
    EXPECT_TRUE(menus.IsEnabled(MenuItem::HelpReadMe));

    // The two "タブを閉じる" entries of different popups are told apart.
    menus.SetEnabled(MenuItem::PopupClose2, false);
    EXPECT_FALSE(menus.IsEnabled(MenuItem::PopupClose2));
    EXPECT_TRUE(menus.IsEnabled(MenuItem::PopupClose1));
    EXPECT_TRUE(menus.IsEnabled(MenuItem::PopupAppClose));
}

}  // namespace
}  // namespace velmora::win32
