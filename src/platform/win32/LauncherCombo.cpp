#include "platform/win32/LauncherCombo.h"

#include <commctrl.h>
#include <windowsx.h>

#include <utility>

#include "platform/win32/kit/WinString.h"

namespace velmora::win32 {

LauncherCombo::LauncherCombo(HWND parent, int id, bool visible)
    : window_(CreateWindowExW(
          0, WC_COMBOBOXW, L"", WS_CHILD | WS_CLIPSIBLINGS | WS_VSCROLL | CBS_DROPDOWNLIST | (visible ? WS_VISIBLE : 0),
          0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr)) {}

int LauncherCombo::ListHeight(UINT dpi) { return MulDiv(200, static_cast<int>(dpi), 96); }

bool LauncherCombo::IsPick(UINT notification) const {
    // Moving through the open list is no pick yet: the choice is made when the list closes on an entry.
    if (notification == CBN_SELCHANGE) return SendMessageW(window_, CB_GETDROPPEDSTATE, 0, 0) == FALSE;
    if (notification != CBN_SELENDOK) return false;
    // The box says CBN_SELENDOK also when a click on the box itself closes the list: only Enter and a click in the
    // list choose an entry.
    if (GetKeyState(VK_RETURN) < 0) return true;
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    RECT list{};
    if (!GetComboBoxInfo(window_, &info) || !GetWindowRect(info.hwndList, &list)) return false;
    const DWORD at = GetMessagePos();
    return PtInRect(&list, POINT{GET_X_LPARAM(at), GET_Y_LPARAM(at)}) != FALSE;
}

void LauncherCombo::Clear() { SendMessageW(window_, CB_RESETCONTENT, 0, 0); }

void LauncherCombo::Add(const std::string& text) {
    const std::wstring wide = Widen(text);
    SendMessageW(window_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

std::optional<std::string> LauncherCombo::ItemText(LRESULT index) const {
    const LRESULT length = SendMessageW(window_, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR) return std::nullopt;
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(window_, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return Narrow(text);
}

std::string LauncherCombo::Text() const {
    const LRESULT selected = SendMessageW(window_, CB_GETCURSEL, 0, 0);
    return selected == CB_ERR ? std::string() : ItemText(selected).value_or(std::string());
}

std::vector<std::string> LauncherCombo::Items() const {
    std::vector<std::string> items;
    const LRESULT count = SendMessageW(window_, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::optional<std::string> text = ItemText(i);
        if (!text) break;
        items.push_back(std::move(*text));
    }
    return items;
}

}  // namespace velmora::win32
