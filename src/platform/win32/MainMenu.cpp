#include "platform/win32/MainMenu.h"

#include <initializer_list>

#include "platform/win32/MainWindowIds.h"

namespace velmora::win32 {
namespace {

using platform::MenuItem;

struct CommandOf {
    MenuItem item;
    unsigned id;
};

constexpr CommandOf kCommands[] = {
    {MenuItem::FileAddTab1, ids::kFileAddTab1},
    {MenuItem::FileAddTab2, ids::kFileAddTab2},
    {MenuItem::FileExit, ids::kFileExit},
    {MenuItem::CaptureExplorer1, ids::kCaptureExplorer1},
    {MenuItem::CaptureExplorer2, ids::kCaptureExplorer2},
    {MenuItem::ViewOne, ids::kViewOne},
    {MenuItem::ViewTwo, ids::kViewTwo},
    {MenuItem::ViewTwoStacked, ids::kViewTwoStacked},
    {MenuItem::ViewAppPane, ids::kViewAppPane},
    {MenuItem::ViewEven, ids::kViewEven},
    {MenuItem::ToolOption, ids::kToolOption},
    {MenuItem::ToolControl, ids::kToolControl},
    {MenuItem::ToolFolder, ids::kToolFolder},
    {MenuItem::HelpReadMe, ids::kHelpReadMe},
    {MenuItem::HelpHomePage, ids::kHelpHomePage},
    {MenuItem::HelpAbout, ids::kHelpAbout},
    {MenuItem::PopupPath1, ids::kPopupPath1},
    {MenuItem::PopupClose1, ids::kPopupClose1},
    {MenuItem::PopupReopen1, ids::kPopupReopen1},
    {MenuItem::PopupPath2, ids::kPopupPath2},
    {MenuItem::PopupClose2, ids::kPopupClose2},
    {MenuItem::PopupReopen2, ids::kPopupReopen2},
    {MenuItem::PopupTakeOut, ids::kPopupTakeOut},
    {MenuItem::PopupAppClose, ids::kPopupAppClose},
};

// One line of a drop-down: a command with its caption, or a separator (id 0).
struct Entry {
    unsigned id;
    const wchar_t* caption;
};

constexpr Entry kSeparator{0, nullptr};

HMENU BuildDropDown(std::initializer_list<Entry> entries) {
    HMENU menu = CreatePopupMenu();
    for (const Entry& entry : entries) {
        if (entry.id == 0) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        } else {
            AppendMenuW(menu, MF_STRING, entry.id, entry.caption);
        }
    }
    return menu;
}

}  // namespace

unsigned CommandId(MenuItem item) {
    for (const CommandOf& command : kCommands) {
        if (command.item == item) return command.id;
    }
    return 0;
}

std::optional<MenuItem> MenuItemForCommand(unsigned commandId) {
    for (const CommandOf& command : kCommands) {
        if (command.id == commandId) return command.item;
    }
    return std::nullopt;
}

MainMenus::MainMenus() {
    bar_ = CreateMenu();
    HMENU file = BuildDropDown({{ids::kFileAddTab1, L"新しいタブを追加１(&1)"},
                                {ids::kFileAddTab2, L"新しいタブを追加２(&2)"},
                                kSeparator,
                                {ids::kFileExit, L"終了(&X)"}});
    // The Explorer menu's two application entries were never shown: they are
    // left out rather than hidden.
    HMENU explorer = BuildDropDown({{ids::kCaptureExplorer1, L"エクスプローラ取り込み(画面１)"},
                                    {ids::kCaptureExplorer2, L"エクスプローラ取り込み(画面２)"}});
    HMENU view = BuildDropDown({{ids::kViewOne, L"１画面(&1)"},
                                {ids::kViewTwo, L"２画面(&2)"},
                                {ids::kViewTwoStacked, L"２画面(縦)(&T)"},
                                {ids::kViewAppPane, L"アプリ取り込みウィンドウ(&3)"},
                                {ids::kViewEven, L"ウィンドウサイズを均等にする(&W)"}});
    HMENU tools = BuildDropDown({{ids::kToolOption, L"オプション(&O)..."},
                                 kSeparator,
                                 {ids::kToolControl, L"コントロールパネル(&C)..."},
                                 {ids::kToolFolder, L"フォルダオプション(&F)..."}});
    help_ = BuildDropDown({{ids::kHelpReadMe, L"ReadMeを開く(&R)..."},
                           {ids::kHelpHomePage, L"作者のHPへ(&H)"},
                           {ids::kHelpAbout, L"バージョン情報(&V)..."}});
    AppendMenuW(bar_, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(file), L"ファイル(&F)");
    AppendMenuW(bar_, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(explorer), L"エクスプローラ(&E)");
    AppendMenuW(bar_, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(view), L"表示(&V)");
    AppendMenuW(bar_, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(tools), L"ツール(&T)");
    AppendMenuW(bar_, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(help_), L"ヘルプ(&H)");

    popups_[0] = BuildDropDown({{ids::kPopupPath1, L"パスをコピー(&P)"},
                                {ids::kPopupClose1, L"タブを閉じる(&C)"},
                                {ids::kPopupReopen1, L"閉じたタブを開く(&R)"}});
    popups_[1] = BuildDropDown({{ids::kPopupPath2, L"パスをコピー(&P)"},
                                {ids::kPopupClose2, L"タブを閉じる(&C)"},
                                {ids::kPopupReopen2, L"閉じたタブを開く(&R)"}});
    popups_[2] = BuildDropDown({{ids::kPopupTakeOut, L"取り出す(&T)"}, {ids::kPopupAppClose, L"タブを閉じる(&C)"}});
}

MainMenus::~MainMenus() {
    for (HMENU popup : popups_) DestroyMenu(popup);
    if (barOwned_) DestroyMenu(bar_);
}

HMENU MainMenus::Holder(MenuItem item) const {
    switch (item) {
        case MenuItem::PopupPath1:
        case MenuItem::PopupClose1:
        case MenuItem::PopupReopen1:
            return popups_[0];
        case MenuItem::PopupPath2:
        case MenuItem::PopupClose2:
        case MenuItem::PopupReopen2:
            return popups_[1];
        case MenuItem::PopupTakeOut:
        case MenuItem::PopupAppClose:
            return popups_[2];
        default:
            return bar_;
    }
}

bool MainMenus::IsChecked(MenuItem item) const {
    const UINT state = GetMenuState(Holder(item), CommandId(item), MF_BYCOMMAND);
    return state != static_cast<UINT>(-1) && (state & MF_CHECKED) != 0;
}

void MainMenus::SetChecked(MenuItem item, bool checked) {
    CheckMenuItem(Holder(item), CommandId(item), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

bool MainMenus::IsEnabled(MenuItem item) const {
    const UINT state = GetMenuState(Holder(item), CommandId(item), MF_BYCOMMAND);
    return state != static_cast<UINT>(-1) && (state & (MF_GRAYED | MF_DISABLED)) == 0;
}

void MainMenus::SetEnabled(MenuItem item, bool enabled) {
    EnableMenuItem(Holder(item), CommandId(item), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

}  // namespace velmora::win32
