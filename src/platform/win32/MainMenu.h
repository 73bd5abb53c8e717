#pragma once

#include <windows.h>

#include <array>
#include <optional>

#include "platform/MainWindow.h"

namespace velmora::win32 {

// The command id a menu entry sends, and back.
unsigned CommandId(platform::MenuItem item);
std::optional<platform::MenuItem> MenuItemForCommand(unsigned commandId);

// The menu bar and the three popup menus of the main window. The bar passes to
// the window that it is given to (a window destroys its menu with itself); the
// popups, which no window owns, are destroyed here.
class MainMenus {
public:
    MainMenus();
    ~MainMenus();
    MainMenus(const MainMenus&) = delete;
    MainMenus& operator=(const MainMenus&) = delete;

    HMENU Bar() const { return bar_; }
    // Call once the bar is set on a window.
    void BarTakenByWindow() { barOwned_ = false; }
    // The drop-down menu under "ヘルプ(&H)", whose opening is an event.
    HMENU HelpMenu() const { return help_; }
    HMENU Popup(platform::PopupMenu menu) const { return popups_.at(static_cast<size_t>(menu)); }

    bool IsChecked(platform::MenuItem item) const;
    void SetChecked(platform::MenuItem item, bool checked);
    bool IsEnabled(platform::MenuItem item) const;
    void SetEnabled(platform::MenuItem item, bool enabled);

private:
    // The popup that holds an entry, or the bar (whose drop-downs are searched
    // by command).
    HMENU Holder(platform::MenuItem item) const;

    HMENU bar_ = nullptr;
    HMENU help_ = nullptr;
    std::array<HMENU, 3> popups_{};
    bool barOwned_ = true;
};

}  // namespace velmora::win32
