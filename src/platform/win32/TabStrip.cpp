#include "platform/win32/TabStrip.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "platform/win32/MouseButtons.h"
#include "platform/win32/kit/Dpi.h"
#include "platform/win32/kit/WinString.h"

namespace velmora::win32 {
namespace {

// While a tab is dragged the keyboard focus is elsewhere (inside the hosted Explorer window, another program's on
// Windows), so no key message tells of Escape: its state is read on every move and on this timer.
constexpr UINT_PTR kEscapeTimer = 0x5644;  // clear of the control's own timers
constexpr UINT kEscapePollMs = 40;
constexpr UINT_PTR kTool = 1;

bool EscapeDown() { return (GetAsyncKeyState(VK_ESCAPE) & 0x8000) != 0; }

// The insertion mark: a bar in the text colour, dark on a light face (the frame colour of a black rectangle is light
// grey under Wine). Nothing to handle: the default procedure paints the class's background.
constexpr wchar_t kMarkClass[] = L"VelmoraTabMark";

HWND CreateMark(HWND parent, HINSTANCE instance) {
    WNDCLASSEXW existing{sizeof(existing)};
    if (!GetClassInfoExW(instance, kMarkClass, &existing)) {
        WNDCLASSEXW mark{sizeof(mark)};
        mark.lpfnWndProc = DefWindowProcW;
        mark.hInstance = instance;
        mark.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOWTEXT + 1);
        mark.lpszClassName = kMarkClass;
        RegisterClassExW(&mark);
    }
    return CreateWindowExW(0, kMarkClass, nullptr, WS_CHILD, 0, 0, 0, 0, parent, nullptr, instance, nullptr);
}

}  // namespace

TabStrip::TabStrip(HWND parent, int id, bool visible, Events events)
    : window_(CreateWindowExW(
          0, WC_TABCONTROLW, L"",
          WS_CHILD | WS_CLIPSIBLINGS | TCS_TABS | TCS_SINGLELINE | TCS_FOCUSNEVER | (visible ? WS_VISIBLE : 0), 0, 0, 0,
          0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr)),
      events_(std::move(events)) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    // The insertion mark is the strip's sibling, above it, not its child: the control paints over its children.
    mark_ = CreateMark(parent, instance);
    hook_.Install(window_, this, &TabStrip::OnMessage);
}

// Made when the mouse first comes over the strip, not with it: a top-level window costs Velmora's start time under
// Wine, and a strip the mouse never visits needs no tip.
void TabStrip::MakeTooltip() {
    // Paths hold "&" and tabs, which a tooltip would take for a mnemonic or the end of the text.
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    SendMessageW(tooltip_, WM_SETFONT, SendMessageW(window_, WM_GETFONT, 0, 0), FALSE);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = window_;
    tool.uId = kTool;
    // A click on a tip shown goes on to the strip beneath it.
    tool.uFlags = TTF_TRANSPARENT;
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void TabStrip::OnNotify(const NMHDR& header) {
    if (header.code == TCN_SELCHANGE && events_.click) events_.click();
}

LRESULT TabStrip::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    // The tooltip learns of the mouse from here (the wheel's message, beyond these, has screen coordinates), but not
    // while the left button holds a tab: no tip is to come up over a drag.
    if (message >= WM_MOUSEMOVE && message <= WM_MBUTTONDBLCLK && !press_) {
        if (!tooltip_) MakeTooltip();
        if (message == WM_MOUSEMOVE) TrackHover(at);
        MSG relayed{window_, message, wParam, lParam, 0, {}};
        SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
    }
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_XBUTTONDOWN:
        // The control's class takes double clicks: the second press of two quick ones comes as one of these.
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK:
        case WM_XBUTTONDBLCLK:
            return OnPress(message, wParam, lParam, at);
        case WM_LBUTTONDBLCLK:
            if (events_.doubleClick) events_.doubleClick(at);
            break;
        case WM_NCHITTEST: {
            // The control lets the mouse through its empty part to the window beneath; the form's strip takes it
            // there too (a double click there adds a tab).
            const LRESULT hit = hook_.Default(message, wParam, lParam);
            return hit == HTTRANSPARENT ? HTCLIENT : hit;
        }
        case WM_MOUSEMOVE:
            if (press_) OnDragMove(wParam, at);
            if (press_ && press_->dragging) return 0;
            break;
        case WM_LBUTTONUP:
            EndPress(true, at);
            break;
        case WM_TIMER:
            if (wParam != kEscapeTimer) break;
            if (EscapeDown()) EndPress(false, at);
            return 0;
        case WM_CAPTURECHANGED:
            // Another window took the mouse (a menu, a dialog, another program): no release comes here.
            if (reinterpret_cast<HWND>(lParam) != window_) EndPress(false, at);
            break;
        case WM_NOTIFY: {
            const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
            if (header.hwndFrom != tooltip_ || header.code != TTN_GETDISPINFOW) break;
            auto& info = *reinterpret_cast<NMTTDISPINFOW*>(lParam);
            tipText_ = hoverTab_ > 0 && events_.tooltip ? Widen(events_.tooltip(hoverTab_)) : std::wstring();
            info.lpszText = tipText_.data();
            info.hinst = nullptr;
            return 0;
        }
        case WM_SETFONT:
            if (tooltip_) SendMessageW(tooltip_, WM_SETFONT, wParam, lParam);
            break;
        default:
            break;
    }
    return hook_.Default(message, wParam, lParam);
}

LRESULT TabStrip::OnPress(UINT message, WPARAM wParam, LPARAM lParam, POINT at) {
    if (events_.mouseDown) events_.mouseDown(ButtonsHeld(wParam), ShiftFromMouse(wParam), at);
    if (message != WM_LBUTTONDOWN) return hook_.Default(message, wParam, lParam);
    const int tab = TabAt(at);
    // Taken before the control selects the tab: the form's answer to the selection may handle pending messages,
    // among them this press's moves and release.
    if (tab != 0 && ButtonsHeld(wParam) == platform::kButtonLeft) {
        press_ = Press{tab, at, changes_};
        SetCapture(window_);
    }
    // A press on the tab that is already selected changes no selection, so the
    // control reports nothing; the user still means "go there" (the pane's
    // window may have been browsed elsewhere since), so it counts as a click on
    // that tab.
    const bool again = tab != 0 && tab == Selected();
    const LRESULT result = hook_.Default(message, wParam, lParam);
    if (again && events_.click) events_.click();
    return result;
}

void TabStrip::OnDragMove(WPARAM wParam, POINT at) {
    // The release was missed, the strip changed under the press (a tab closed by the form meanwhile), or Escape:
    // over, without a drop.
    if ((wParam & MK_LBUTTON) == 0 || press_->changes != changes_ || EscapeDown()) {
        EndPress(false, at);
        return;
    }
    if (!press_->dragging) {
        // Still a click inside the system's drag rectangle around the press, as DragDetect draws it.
        if (std::abs(at.x - press_->at.x) <= GetSystemMetrics(SM_CXDRAG) / 2 &&
            std::abs(at.y - press_->at.y) <= GetSystemMetrics(SM_CYDRAG) / 2)
            return;
        press_->dragging = true;
        SendMessageW(tooltip_, TTM_ACTIVATE, FALSE, 0);
        SetTimer(window_, kEscapeTimer, kEscapePollMs, nullptr);
    }
    if (events_.gapAt) ShowMark(events_.gapAt(at.x));
}

void TabStrip::EndPress(bool drop, POINT at) {
    if (!press_) return;
    const Press press = *press_;
    // Cleared first: letting go of the mouse below sends WM_CAPTURECHANGED back here.
    press_.reset();
    KillTimer(window_, kEscapeTimer);
    ShowWindow(mark_, SW_HIDE);
    if (GetCapture() == window_) ReleaseCapture();
    if (press.dragging) SendMessageW(tooltip_, TTM_ACTIVATE, TRUE, 0);
    if (drop && press.dragging && press.changes == changes_ && !EscapeDown() && events_.gapAt && events_.dragged)
        events_.dragged(press.tab, events_.gapAt(at.x));
}

void TabStrip::ShowMark(int gap) {
    const int count = Count();
    // Moved only when the gap changes, so the strip under it is not repainted on every move.
    if (gap < 1 || gap > count + 1 || gap == press_->gap) return;
    press_->gap = gap;
    const int x = gap <= count ? ItemRect(gap).left : ItemRect(count).right;
    RECT strip{};
    GetWindowRect(window_, &strip);
    MapWindowPoints(HWND_DESKTOP, GetParent(window_), reinterpret_cast<POINT*>(&strip), 2);
    const int width = std::max(2, MulDiv(2, static_cast<int>(DpiOfWindow(window_).x), 96));
    const int left = std::max(strip.left, std::min(strip.left + x - width / 2, strip.right - width));
    SetWindowPos(mark_, HWND_TOP, left, strip.top, width, strip.bottom - strip.top, SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void TabStrip::TrackHover(POINT at) {
    const int tab = TabAt(at);
    if (tab == hoverTab_) return;
    hoverTab_ = tab;
    // Another tab's tip goes; the tool, now over this tab, shows afresh after the usual pause.
    SendMessageW(tooltip_, TTM_POP, 0, 0);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = window_;
    tool.uId = kTool;
    if (tab != 0) tool.rect = ItemRect(tab);
    SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void TabStrip::Changed() {
    ++changes_;
    hoverTab_ = -1;
    if (tooltip_) SendMessageW(tooltip_, TTM_POP, 0, 0);
}

int TabStrip::TabAt(POINT at) const {
    TCHITTESTINFO hit{};
    hit.pt = at;
    return static_cast<int>(SendMessageW(window_, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit))) + 1;
}

RECT TabStrip::ItemRect(int tab) const {
    RECT rect{};
    SendMessageW(window_, TCM_GETITEMRECT, static_cast<WPARAM>(tab - 1), reinterpret_cast<LPARAM>(&rect));
    return rect;
}

void TabStrip::Clear() {
    SendMessageW(window_, TCM_DELETEALLITEMS, 0, 0);
    tags_.clear();
    Changed();
}

int TabStrip::Count() const { return static_cast<int>(SendMessageW(window_, TCM_GETITEMCOUNT, 0, 0)); }

void TabStrip::Add(const std::string& caption) {
    std::wstring text = Widen(caption);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    if (SendMessageW(window_, TCM_INSERTITEMW, static_cast<WPARAM>(Count()), reinterpret_cast<LPARAM>(&item)) >= 0) {
        tags_.emplace_back();
        Changed();
    }
}

std::string TabStrip::Caption(int tab) const {
    wchar_t text[1024] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = static_cast<int>(std::size(text));
    if (!SendMessageW(window_, TCM_GETITEMW, static_cast<WPARAM>(tab - 1), reinterpret_cast<LPARAM>(&item))) return {};
    return Narrow(item.pszText);
}

void TabStrip::SetTag(int tab, const std::string& tag) {
    if (tab >= 1 && static_cast<size_t>(tab) <= tags_.size()) tags_[static_cast<size_t>(tab - 1)] = tag;
}

std::string TabStrip::Tag(int tab) const {
    if (tab < 1 || static_cast<size_t>(tab) > tags_.size()) return {};
    return tags_[static_cast<size_t>(tab - 1)];
}

void TabStrip::Remove(int tab) {
    if (tab < 1 || static_cast<size_t>(tab) > tags_.size()) return;
    if (SendMessageW(window_, TCM_DELETEITEM, static_cast<WPARAM>(tab - 1), 0)) {
        tags_.erase(tags_.begin() + (tab - 1));
        Changed();
    }
}

void TabStrip::Move(int from, int to) {
    const int count = static_cast<int>(tags_.size());
    if (from < 1 || from > count || to < 1 || to > count || from == to) return;
    const int low = std::min(from, to), high = std::max(from, to);
    std::vector<std::string> captions;
    for (int tab = low; tab <= high; ++tab) captions.push_back(Caption(tab));
    // The tab at `from` goes to `to`; those between close up towards where it was.
    const auto rotate = [&](auto first) {
        const auto last = first + (high - low + 1);
        std::rotate(first, to < from ? last - 1 : first + 1, last);
    };
    rotate(captions.begin());
    rotate(tags_.begin() + (low - 1));
    // Captions written over in place rather than a tab deleted and inserted: the control keeps its selection.
    for (int tab = low; tab <= high; ++tab) {
        std::wstring text = Widen(captions[static_cast<size_t>(tab - low)]);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text.data();
        SendMessageW(window_, TCM_SETITEMW, static_cast<WPARAM>(tab - 1), reinterpret_cast<LPARAM>(&item));
    }
    // The selection follows the tab it was on.
    const int selected = Selected();
    int now = selected;
    if (selected == from) {
        now = to;
    } else if (from < selected && selected <= to) {
        now = selected - 1;
    } else if (to <= selected && selected < from) {
        now = selected + 1;
    }
    if (now != selected) SendMessageW(window_, TCM_SETCURSEL, static_cast<WPARAM>(now - 1), 0);
    Changed();
}

int TabStrip::Selected() const { return static_cast<int>(SendMessageW(window_, TCM_GETCURSEL, 0, 0)) + 1; }

int TabStrip::WidthPixels(int tab) const {
    const RECT rect = ItemRect(tab);
    return rect.right - rect.left;
}

}  // namespace velmora::win32
