#include "platform/win32/Win32MainWindow.h"

#include <commctrl.h>
#include <ole2.h>
#include <windowsx.h>

#include <algorithm>

#include "platform/win32/MainWindowIds.h"
#include "platform/win32/kit/WinString.h"
#include "platform/win32/kit/HandleCast.h"
#include "platform/win32/kit/Dpi.h"
#include "platform/win32/kit/DropTarget.h"
#include "base/Twips.h"

namespace velmora::win32 {
namespace {

using platform::Control;
using base::TwipsRect;

constexpr wchar_t kFrameClass[] = L"VelmoraFrame";
constexpr wchar_t kHostAreaClass[] = L"VelmoraHostArea";
constexpr wchar_t kSplitBarClass[] = L"VelmoraSplitBar";

// The client area the form was designed at, and its controls' design places.
constexpr double kDesignClientWidth = 12285;
constexpr double kDesignClientHeight = 6525;

struct ControlSpec {
    Control control;
    int id;
    int parent;  // index of the parent control, or -1 for the main window
    base::TwipsRect design;
    bool visible;
};

constexpr ControlSpec kControls[] = {
    {Control::PicFrame0, ids::kPicFrame0, -1, {0, 0, 3375, 2295}, true},
    {Control::PicFrame1, ids::kPicFrame1, -1, {5280, 0, 4335, 2295}, true},
    {Control::PicFrame2, ids::kPicFrame2, -1, {0, 3240, 4335, 2295}, false},
    {Control::SplitBar0, ids::kSplitBar0, -1, {4920, 0, 50, 5415}, true},
    {Control::SplitBar1, ids::kSplitBar1, -1, {0, 2880, 7215, 50}, true},
    {Control::TabStrip1_0, ids::kTabStrip1_0, 0, {0, 0, 3315, 300}, true},
    {Control::TabStrip1_1, ids::kTabStrip1_1, 1, {0, 0, 4275, 300}, true},
    {Control::TabStrip2, ids::kTabStrip2, 2, {0, 0, 2160, 300}, true},
    {Control::FrameApp0, ids::kFrameApp0, 0, {0, 270, 3375, 2025}, true},
    {Control::FrameApp1, ids::kFrameApp1, 1, {0, 270, 4335, 2025}, true},
    {Control::FrameApp2, ids::kFrameApp2, 2, {0, 300, 4335, 1995}, true},
    {Control::CboApp, ids::kCboApp, 2, {2160, 0, 2175, 300}, true},
};
static_assert(std::size(kControls) == Win32MainWindow::kControlCount);

// A drop-down list's window height includes its open list.
constexpr int kComboListPixelsAt96 = 200;

int PicFrameIndex(Control control) {
    switch (control) {
        case Control::PicFrame0:
            return 0;
        case Control::PicFrame1:
            return 1;
        case Control::PicFrame2:
            return 2;
        default:
            return -1;
    }
}

platform::Strip StripOfId(int id) {
    switch (id) {
        case ids::kTabStrip1_0:
            return platform::Strip::Explorer1;
        case ids::kTabStrip1_1:
            return platform::Strip::Explorer2;
        default:
            return platform::Strip::Apps;
    }
}

int ShiftFromMouse(WPARAM keys) {
    int shift = 0;
    if (keys & MK_SHIFT) shift |= platform::kShiftKey;
    if (keys & MK_CONTROL) shift |= platform::kCtrlKey;
    if (GetKeyState(VK_MENU) < 0) shift |= platform::kAltKey;
    return shift;
}

int ButtonsHeld(WPARAM keys) {
    int buttons = 0;
    if (keys & MK_LBUTTON) buttons |= platform::kButtonLeft;
    if (keys & MK_RBUTTON) buttons |= platform::kButtonRight;
    if (keys & MK_MBUTTON) buttons |= 4;
    return buttons;
}

int ButtonOf(UINT message) {
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
            return platform::kButtonLeft;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
            return platform::kButtonRight;
        default:
            return 4;
    }
}

void RegisterClasses(HINSTANCE instance, WNDPROC mainProc, WNDPROC childProc) {
    WNDCLASSEXW main{sizeof(main)};
    main.lpfnWndProc = mainProc;
    main.hInstance = instance;
    main.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    main.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    main.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    main.lpszClassName = ids::kMainWindowClass;
    RegisterClassExW(&main);  // a second window in the same process finds it registered

    WNDCLASSEXW child{sizeof(child)};
    child.lpfnWndProc = childProc;
    child.hInstance = instance;
    child.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    child.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    child.lpszClassName = kFrameClass;
    RegisterClassExW(&child);
    // The host areas are darker so an empty pane shows where it is.
    child.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    child.lpszClassName = kHostAreaClass;
    RegisterClassExW(&child);
    child.hbrBackground = nullptr;  // painted in the colour the drag asks for
    child.hCursor = nullptr;        // set per bar on WM_SETCURSOR
    child.lpszClassName = kSplitBarClass;
    RegisterClassExW(&child);
}

}  // namespace

Win32MainWindow::Win32MainWindow(HINSTANCE instance, MainWindowOptions options) : options_(std::move(options)) {
    RegisterClasses(instance, MainProc, ChildProc);
    // Hidden until the load has run: the start-up may end the program first.
    window_ = CreateWindowExW(0, ids::kMainWindowClass, options_.title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, menus_.Bar(),
                              instance, this);
    if (window_ == nullptr) return;
    menus_.BarTakenByWindow();

    // The design client size at this window's DPI, frame and menu bar around it.
    const double tpp = TwipsPerPixelX();
    RECT outer{0, 0, base::TwipsToPixels(kDesignClientWidth, tpp), base::TwipsToPixels(kDesignClientHeight, tpp)};
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE));
    AdjustWindowRectForDpi(outer, style, true, 0, Dpi().x);
    SetWindowPos(window_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    CreateControls(instance);
    ApplyFont();
    RegisterDropTargets();
    // Timer1 runs from the moment the window exists until it is gone.
    SetTimer(window_, ids::kTimer1, 500, nullptr);
}

Win32MainWindow::~Win32MainWindow() {
    if (window_ != nullptr) {
        RemoveHotkeyProcedure();
        events_ = nullptr;
        DestroyWindow(window_);
    }
}

void Win32MainWindow::CreateControls(HINSTANCE instance) {
    for (size_t i = 0; i < kControlCount; ++i) {
        const ControlSpec& design = kControls[i];
        HWND parent = design.parent < 0 ? window_ : controls_[static_cast<size_t>(design.parent)];
        const wchar_t* className = kFrameClass;
        DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
        switch (design.control) {
            case Control::SplitBar0:
            case Control::SplitBar1:
                className = kSplitBarClass;
                break;
            case Control::FrameApp0:
            case Control::FrameApp1:
            case Control::FrameApp2:
                className = kHostAreaClass;
                break;
            case Control::TabStrip1_0:
            case Control::TabStrip1_1:
            case Control::TabStrip2:
                className = WC_TABCONTROLW;
                style = WS_CHILD | WS_CLIPSIBLINGS | TCS_TABS | TCS_SINGLELINE | TCS_FOCUSNEVER;
                break;
            case Control::CboApp:
                className = WC_COMBOBOXW;
                style = WS_CHILD | WS_CLIPSIBLINGS | WS_VSCROLL | CBS_DROPDOWNLIST;
                break;
            default:
                break;
        }
        if (design.visible) style |= WS_VISIBLE;
        controls_[i] = CreateWindowExW(0, className, L"", style, 0, 0, 0, 0, parent,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(design.id)), instance, this);
        rects_[i] = design.design;
        ApplyPlacement(i);
    }
    // The tab strips and the combo box lie over the top of their host area, and
    // a dragged split bar passes over the panes: all of them above their siblings.
    for (Control control : {Control::TabStrip1_0, Control::TabStrip1_1, Control::TabStrip2, Control::CboApp,
                            Control::SplitBar0, Control::SplitBar1}) {
        SetWindowPos(ControlWindow(control), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    for (Control control : {Control::TabStrip1_0, Control::TabStrip1_1, Control::TabStrip2}) {
        SetWindowSubclass(ControlWindow(control), TabProc, 1, reinterpret_cast<DWORD_PTR>(this));
    }
}

void Win32MainWindow::RegisterDropTargets() {
    // Needs OLE on this thread; without it the window simply takes no drops.
    for (platform::Strip strip : {platform::Strip::Explorer1, platform::Strip::Explorer2, platform::Strip::Apps}) {
        DropTarget::Handlers handlers;
        handlers.over = [this, strip](int shift, bool) -> DWORD {
            return EventsOn() ? static_cast<DWORD>(events_->OnTabDragOver(strip, shift)) : DROPEFFECT_NONE;
        };
        handlers.drop = [this, strip](const DropInfo& drop) {
            if (!EventsOn()) return;
            events_->OnTabDrop(strip, drop.hasFiles, drop.files, drop.shift, drop.client.x * TwipsPerPixelX(),
                               drop.client.y * TwipsPerPixelY());
        };
        drops_.emplace_back(Strip(strip), std::move(handlers));
    }
    for (int index = 0; index < 3; ++index) {
        DropTarget::Handlers handlers;
        handlers.over = [](int, bool hasFiles) -> DWORD { return hasFiles ? DROPEFFECT_COPY : DROPEFFECT_NONE; };
        handlers.drop = [this, index](const DropInfo& drop) {
            if (EventsOn()) events_->OnFrameDrop(index, drop.hasFiles, drop.files);
        };
        drops_.emplace_back(controls_[Index(Control::FrameApp0) + static_cast<size_t>(index)], std::move(handlers));
    }
}

void Win32MainWindow::ApplyFont() {
    // The system's message font at this window's DPI: a Japanese UI font on a
    // Japanese system (Wine's prefix maps it to a font with the glyphs).
    const LOGFONTW message = MessageFontForDpi(Dpi().y);
    UniqueFont font(CreateFontIndirectW(&message));
    if (!font) return;
    for (Control control : {Control::TabStrip1_0, Control::TabStrip1_1, Control::TabStrip2, Control::CboApp}) {
        SendMessageW(ControlWindow(control), WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
    }
    font_ = std::move(font);
}

WindowDpi Win32MainWindow::Dpi() const { return DpiOfWindow(window_); }

void Win32MainWindow::ApplyPlacement(size_t index) {
    HWND control = controls_[index];
    if (control == nullptr) return;
    const base::TwipsRect& rect = rects_[index];
    const double tppX = TwipsPerPixelX();
    const double tppY = TwipsPerPixelY();
    const int width = std::max(0, base::TwipsToPixels(rect.width, tppX));
    int height = std::max(0, base::TwipsToPixels(rect.height, tppY));
    if (kControls[index].control == Control::CboApp)
        height += MulDiv(kComboListPixelsAt96, static_cast<int>(Dpi().y), 96);
    MoveWindow(control, base::TwipsToPixels(rect.left, tppX), base::TwipsToPixels(rect.top, tppY), width, height,
               TRUE);
}

bool Win32MainWindow::LoadAndShow() {
    if (window_ == nullptr) return false;
    eventsStarted_ = true;
    if (events_ != nullptr) events_->OnLoad();
    if (window_ == nullptr || !::IsWindow(window_)) return false;
    int command = SW_SHOWNORMAL;
    if (pendingState_ == platform::WindowState::Maximized) command = SW_SHOWMAXIMIZED;
    if (pendingState_ == platform::WindowState::Minimized) command = SW_SHOWMINNOACTIVE;
    shown_ = true;
    ShowWindow(window_, command);
    UpdateWindow(window_);
    return true;
}

platform::WindowHandle Win32MainWindow::Handle() { return FromHwnd(window_); }

platform::WindowState Win32MainWindow::GetState() {
    if (!shown_) return pendingState_;
    if (IsIconic(window_)) return platform::WindowState::Minimized;
    if (IsZoomed(window_)) return platform::WindowState::Maximized;
    return platform::WindowState::Normal;
}

void Win32MainWindow::SetState(platform::WindowState state) {
    // Before the first show the state is only noted: showing the window from
    // inside the load would put it on screen half set up.
    if (!shown_) {
        pendingState_ = state;
        return;
    }
    switch (state) {
        case platform::WindowState::Normal:
            ShowWindow(window_, SW_RESTORE);
            break;
        case platform::WindowState::Minimized:
            ShowWindow(window_, SW_MINIMIZE);
            break;
        case platform::WindowState::Maximized:
            ShowWindow(window_, SW_MAXIMIZE);
            break;
    }
}

base::TwipsRect Win32MainWindow::OuterRect() {
    RECT rect{};
    GetWindowRect(window_, &rect);
    const double tppX = TwipsPerPixelX();
    const double tppY = TwipsPerPixelY();
    return {rect.left * tppX, rect.top * tppY, (rect.right - rect.left) * tppX, (rect.bottom - rect.top) * tppY};
}

void Win32MainWindow::MoveOuter(const base::TwipsRect& rect) {
    const double tppX = TwipsPerPixelX();
    const double tppY = TwipsPerPixelY();
    MoveWindow(window_, base::TwipsToPixels(rect.left, tppX), base::TwipsToPixels(rect.top, tppY),
               std::max(0, base::TwipsToPixels(rect.width, tppX)),
               std::max(0, base::TwipsToPixels(rect.height, tppY)), TRUE);
}

double Win32MainWindow::ClientWidth() {
    RECT rect{};
    GetClientRect(window_, &rect);
    return rect.right * TwipsPerPixelX();
}

double Win32MainWindow::ClientHeight() {
    RECT rect{};
    GetClientRect(window_, &rect);
    return rect.bottom * TwipsPerPixelY();
}

double Win32MainWindow::TwipsPerPixelX() { return Dpi().TwipsPerPixelX(); }
double Win32MainWindow::TwipsPerPixelY() { return Dpi().TwipsPerPixelY(); }

bool Win32MainWindow::PreviousInstance() {
    if (!instanceChecked_) {
        instanceChecked_ = true;
        // Held until this process ends, so the next copy sees it.
        instanceMutex_.Reset(CreateMutexW(nullptr, FALSE, options_.instanceMutex.c_str()));
        previousInstance_ = instanceMutex_ && GetLastError() == ERROR_ALREADY_EXISTS;
    }
    return previousInstance_;
}

void Win32MainWindow::RequestClose() {
    // Posted: the request may come from inside a menu handler of this window.
    PostMessageW(window_, WM_CLOSE, 0, 0);
}

void Win32MainWindow::EndProgramNow() { ExitProcess(0); }

void Win32MainWindow::InstallHotkeyProcedure() {
    if (window_ == nullptr || previousProc_ != nullptr) return;
    previousProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32MainWindow::HotkeyProc)));
}

void Win32MainWindow::RemoveHotkeyProcedure() {
    if (window_ == nullptr || previousProc_ == nullptr) return;
    // Put back only our own replacement; a later subclass would otherwise be cut out.
    if (GetWindowLongPtrW(window_, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&Win32MainWindow::HotkeyProc)) {
        SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc_));
    }
    previousProc_ = nullptr;
}

void Win32MainWindow::ShowPopup(platform::PopupMenu menu) {
    POINT cursor{};
    GetCursorPos(&cursor);
    // Without the window in front the menu does not close when the user clicks
    // elsewhere; the posted null message lets the next click reach its target.
    SetForegroundWindow(window_);
    TrackPopupMenu(menus_.Popup(menu), 0, cursor.x, cursor.y, 0, window_, nullptr);
    PostMessageW(window_, WM_NULL, 0, 0);
}

void Win32MainWindow::Place(platform::Control control, const base::TwipsRect& rect) {
    const size_t index = Index(control);
    const base::TwipsRect previous = rects_.at(index);
    rects_[index] = rect;
    ApplyPlacement(index);
    const int frame = PicFrameIndex(control);
    if (frame >= 0 && (previous.width != rect.width || previous.height != rect.height) && EventsOn()) {
        events_->OnFrameResize(frame);
    }
}

void Win32MainWindow::SetVisible(platform::Control control, bool visible) {
    ShowWindow(ControlWindow(control), visible ? SW_SHOWNA : SW_HIDE);
}

bool Win32MainWindow::IsVisible(platform::Control control) {
    // The control's own flag, as the form sees it, also while the main window is hidden.
    return (GetWindowLongPtrW(ControlWindow(control), GWL_STYLE) & WS_VISIBLE) != 0;
}

void Win32MainWindow::SetBarColour(int bar, platform::BarColour colour) {
    if (bar < 0 || bar > 1) return;
    barColours_[static_cast<size_t>(bar)] = colour;
    HWND window = ControlWindow(bar == 0 ? Control::SplitBar0 : Control::SplitBar1);
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
}

platform::WindowHandle Win32MainWindow::FrameWindow(int index) {
    if (index < 0 || index > 2) return 0;
    return FromHwnd(controls_[Index(Control::FrameApp0) + static_cast<size_t>(index)]);
}

HWND Win32MainWindow::Strip(platform::Strip strip) const {
    switch (strip) {
        case platform::Strip::Explorer1:
            return ControlWindow(Control::TabStrip1_0);
        case platform::Strip::Explorer2:
            return ControlWindow(Control::TabStrip1_1);
        default:
            return ControlWindow(Control::TabStrip2);
    }
}

std::vector<std::string>* Win32MainWindow::Tags(platform::Strip strip) { return &tags_.at(static_cast<size_t>(strip)); }

void Win32MainWindow::ClearTabs(platform::Strip strip) {
    SendMessageW(Strip(strip), TCM_DELETEALLITEMS, 0, 0);
    Tags(strip)->clear();
}

int Win32MainWindow::TabCount(platform::Strip strip) {
    return static_cast<int>(SendMessageW(Strip(strip), TCM_GETITEMCOUNT, 0, 0));
}

void Win32MainWindow::AddTab(platform::Strip strip, const std::string& caption) {
    std::wstring text = Widen(caption);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    const int at = TabCount(strip);
    if (SendMessageW(Strip(strip), TCM_INSERTITEMW, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&item)) >= 0) {
        Tags(strip)->emplace_back();
    }
}

std::string Win32MainWindow::TabCaption(platform::Strip strip, int tab) {
    wchar_t text[1024] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = static_cast<int>(std::size(text));
    if (!SendMessageW(Strip(strip), TCM_GETITEMW, static_cast<WPARAM>(tab - 1), reinterpret_cast<LPARAM>(&item))) {
        return {};
    }
    return Narrow(item.pszText);
}

void Win32MainWindow::SetTabTag(platform::Strip strip, int tab, const std::string& tag) {
    auto* tags = Tags(strip);
    if (tab >= 1 && static_cast<size_t>(tab) <= tags->size()) (*tags)[static_cast<size_t>(tab - 1)] = tag;
}

std::string Win32MainWindow::TabTag(platform::Strip strip, int tab) {
    auto* tags = Tags(strip);
    if (tab < 1 || static_cast<size_t>(tab) > tags->size()) return {};
    return (*tags)[static_cast<size_t>(tab - 1)];
}

void Win32MainWindow::RemoveTab(platform::Strip strip, int tab) {
    auto* tags = Tags(strip);
    if (tab < 1 || static_cast<size_t>(tab) > tags->size()) return;
    if (SendMessageW(Strip(strip), TCM_DELETEITEM, static_cast<WPARAM>(tab - 1), 0)) {
        tags->erase(tags->begin() + (tab - 1));
    }
}

int Win32MainWindow::SelectedTab(platform::Strip strip) {
    return static_cast<int>(SendMessageW(Strip(strip), TCM_GETCURSEL, 0, 0)) + 1;
}

double Win32MainWindow::TabWidth(platform::Strip strip, int tab) {
    RECT rect{};
    if (!SendMessageW(Strip(strip), TCM_GETITEMRECT, static_cast<WPARAM>(tab - 1), reinterpret_cast<LPARAM>(&rect))) {
        return 0;
    }
    return (rect.right - rect.left) * TwipsPerPixelX();
}

void Win32MainWindow::ClearCombo() { SendMessageW(ControlWindow(Control::CboApp), CB_RESETCONTENT, 0, 0); }

void Win32MainWindow::AddComboItem(const std::string& text) {
    const std::wstring wide = Widen(text);
    SendMessageW(ControlWindow(Control::CboApp), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

std::string Win32MainWindow::ComboText() {
    HWND combo = ControlWindow(Control::CboApp);
    const LRESULT selected = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR) return {};
    const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(selected), 0);
    if (length == CB_ERR) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return Narrow(text);
}

std::vector<std::string> Win32MainWindow::ComboItems() {
    HWND combo = ControlWindow(Control::CboApp);
    std::vector<std::string> items;
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length == CB_ERR) break;
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(length));
        items.push_back(Narrow(text));
    }
    return items;
}

void Win32MainWindow::ShowMessage(const std::string& text, const std::string& title) {
    ::MessageBoxW(window_, Widen(text).c_str(), Widen(title).c_str(), MB_OK);
}

// --- Window procedures ---------------------------------------------------------------------------------------

LRESULT CALLBACK Win32MainWindow::MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<Win32MainWindow*>(create->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Win32MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        self->previousProc_ = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->OnMainMessage(message, wParam, lParam);
}

LRESULT CALLBACK Win32MainWindow::HotkeyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Win32MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr || self->previousProc_ == nullptr) return MainProc(window, message, wParam, lParam);
    // Kept before the handler runs: the handler may remove this procedure.
    const WNDPROC previous = self->previousProc_;
    if (message == WM_HOTKEY && self->EventsOn()) self->events_->OnHotkey(static_cast<int>(wParam));
    return CallWindowProcW(previous, window, message, wParam, lParam);
}

LRESULT Win32MainWindow::OnMainMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            if (EventsOn()) events_->OnResize();
            return 0;
        case WM_COMMAND:
            // Menu entries and the test driver's commands; controls notify their picFrame.
            if (lParam == 0) {
                if (auto item = MenuItemForCommand(LOWORD(wParam)); item && EventsOn()) events_->OnMenu(*item);
                return 0;
            }
            break;
        case WM_INITMENUPOPUP:
            if (reinterpret_cast<HMENU>(wParam) == menus_.HelpMenu() && EventsOn()) events_->OnHelpMenuOpening();
            return 0;
        case WM_TIMER:
            if (wParam == ids::kTimer1) {
                if (EventsOn()) events_->OnTimer();
                return 0;
            }
            break;
        case WM_DPICHANGED:
            OnDpiChanged(*reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_CLOSE:
            OnClose();
            return 0;
        case WM_DESTROY:
            OnDestroy();
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

void Win32MainWindow::OnClose() {
    if (events_ != nullptr && eventsStarted_) {
        if (events_->OnQueryClose()) return;
        events_->OnUnload();
    }
    if (window_ != nullptr) DestroyWindow(window_);
}

void Win32MainWindow::OnDestroy() {
    KillTimer(window_, ids::kTimer1);
    drops_.clear();
    if (options_.quitOnDestroy) PostQuitMessage(0);
}

void Win32MainWindow::OnDpiChanged(const RECT& suggested) {
    SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyFont();
    // Twips stay; their pixels change. Parents first, so children land in the right place.
    for (size_t i = 0; i < kControlCount; ++i) ApplyPlacement(i);
    if (EventsOn()) events_->OnDpiChanged();
}

LRESULT CALLBACK Win32MainWindow::ChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    return self->OnChildMessage(window, message, wParam, lParam);
}

LRESULT Win32MainWindow::OnChildMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const int id = GetDlgCtrlID(window);
    const bool isBar = id == ids::kSplitBar0 || id == ids::kSplitBar1;
    const int bar = id == ids::kSplitBar0 ? 0 : 1;
    switch (message) {
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->code == TCN_SELCHANGE && EventsOn()) {
                events_->OnTabClick(StripOfId(static_cast<int>(header->idFrom)));
            }
            return 0;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == ids::kCboApp && HIWORD(wParam) == CBN_SELCHANGE && EventsOn()) {
                events_->OnComboClick();
            }
            return 0;
        case WM_SETCURSOR:
            if (isBar) {
                SetCursor(LoadCursorW(nullptr, bar == 0 ? IDC_SIZEWE : IDC_SIZENS));
                return TRUE;
            }
            break;
        case WM_ERASEBKGND:
            if (isBar) return 1;
            break;
        case WM_PAINT:
            if (isBar) {
                PAINTSTRUCT paint;
                HDC dc = BeginPaint(window, &paint);
                RECT rect;
                GetClientRect(window, &rect);
                const bool shadow = barColours_[static_cast<size_t>(bar)] == platform::BarColour::Shadow;
                FillRect(dc, &rect, GetSysColorBrush(shadow ? COLOR_BTNSHADOW : COLOR_BTNFACE));
                EndPaint(window, &paint);
                return 0;
            }
            break;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            if (isBar) return OnBarMouse(bar, message, wParam, lParam);
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT Win32MainWindow::OnBarMouse(int bar, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = ControlWindow(bar == 0 ? Control::SplitBar0 : Control::SplitBar1);
    const double x = GET_X_LPARAM(lParam) * TwipsPerPixelX();
    const double y = GET_Y_LPARAM(lParam) * TwipsPerPixelY();
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            // Captured, so the moves and the release arrive here also outside the bar.
            SetCapture(window);
            if (EventsOn()) events_->OnSplitMouseDown(bar, ButtonOf(message), x, y);
            break;
        case WM_MOUSEMOVE:
            if (EventsOn()) events_->OnSplitMouseMove(bar, ButtonsHeld(wParam), x, y);
            break;
        default:
            if (ButtonsHeld(wParam) == 0 && GetCapture() == window) ReleaseCapture();
            if (EventsOn()) events_->OnSplitMouseUp(bar, ButtonOf(message), x, y);
            break;
    }
    return 0;
}

LRESULT CALLBACK Win32MainWindow::TabProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR context) {
    auto* self = reinterpret_cast<Win32MainWindow*>(context);
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            // Before the control's own handling, so the press is seen before the
            // selection change it may cause.
            if (self->EventsOn()) {
                self->events_->OnTabMouseDown(StripOfId(GetDlgCtrlID(window)), ButtonOf(message),
                                              ShiftFromMouse(wParam), GET_X_LPARAM(lParam) * self->TwipsPerPixelX(),
                                              GET_Y_LPARAM(lParam) * self->TwipsPerPixelY());
            }
            if (message == WM_LBUTTONDOWN) {
                // A press on the tab that is already selected changes no
                // selection, so the control reports nothing; the user still
                // means "go there" (the pane's window may have been browsed
                // elsewhere since), so it counts as a click on that tab.
                TCHITTESTINFO hit{};
                hit.pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
                const LRESULT tab = SendMessageW(window, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
                if (tab >= 0 && tab == SendMessageW(window, TCM_GETCURSEL, 0, 0)) {
                    const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
                    if (self->EventsOn()) self->events_->OnTabClick(StripOfId(GetDlgCtrlID(window)));
                    return result;
                }
            }
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(window, TabProc, 1);
            break;
        default:
            break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace velmora::win32
