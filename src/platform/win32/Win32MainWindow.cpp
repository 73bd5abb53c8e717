#include "platform/win32/Win32MainWindow.h"

#include <algorithm>

#include "base/TabHitTest.h"
#include "base/Twips.h"
#include "platform/win32/MainWindowIds.h"
#include "platform/win32/kit/HandleCast.h"
#include "platform/win32/kit/WinString.h"

namespace velmora::win32 {
namespace {

using base::TwipsRect;
using platform::Control;

// The client area the form was designed at, and its controls' design places.
constexpr double kDesignClientWidth = 12285;
constexpr double kDesignClientHeight = 6525;

struct ControlSpec {
    Control control;
    int id;
    int parent;  // index of the parent control, or -1 for the main window
    TwipsRect design;
    bool visible;
};

// In creation order: parents first. Each entry's index is its Control.
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

// The index of a control within its group of the Control order.
size_t Within(Control control, Control first) { return static_cast<size_t>(control) - static_cast<size_t>(first); }

int PicFrameIndex(Control control) {
    return control == Control::PicFrame0 || control == Control::PicFrame1 || control == Control::PicFrame2
               ? static_cast<int>(Within(control, Control::PicFrame0))
               : -1;
}

}  // namespace

Win32MainWindow::Win32MainWindow(HINSTANCE instance, MainWindowOptions options) : options_(std::move(options)) {
    Register(instance, {ids::kMainWindowClass, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1),
                        LoadCursorW(nullptr, IDC_ARROW), LoadIconW(instance, MAKEINTRESOURCEW(1))});
    // Hidden until the load has run: the start-up may end the program first.
    if (!Create(0, ids::kMainWindowClass, options_.title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, menus_.Bar(), instance)) {
        return;
    }
    menus_.BarTakenByWindow();

    // The design client size at this window's DPI, frame and menu bar around it.
    const double tpp = TwipsPerPixelX();
    RECT outer{0, 0, base::TwipsToPixels(kDesignClientWidth, tpp), base::TwipsToPixels(kDesignClientHeight, tpp)};
    AdjustWindowRectForDpi(outer, static_cast<DWORD>(GetWindowLongPtrW(Hwnd(), GWL_STYLE)), true, 0, Dpi().x);
    SetWindowPos(Hwnd(), nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    CreateControls(instance);
    ApplyFont();
    // Timer1 runs from the moment the window exists until it is gone.
    SetTimer(Hwnd(), ids::kTimer1, 500, nullptr);
}

Win32MainWindow::~Win32MainWindow() {
    if (Hwnd() == nullptr) return;
    RemoveHotkeyProcedure();
    events_ = nullptr;
    // With its handlers: the drop targets are revoked while the windows are there.
    DestroyWindow(Hwnd());
}

// --- The controls ----------------------------------------------------------------------------------------------

void Win32MainWindow::CreateControls(HINSTANCE instance) {
    Panel::RegisterWindowClasses(instance);
    SplitBar::RegisterWindowClass(instance);
    placed_.fill(kNotPlaced);
    for (size_t i = 0; i < kControlCount; ++i) {
        const ControlSpec& design = kControls[i];
        controls_[i] = CreateControl(i, design.parent < 0 ? Hwnd() : controls_[static_cast<size_t>(design.parent)]);
        rects_[i] = design.design;
        ApplyPlacement(i);
    }
    // The tab strips and the combo box lie over the top of their host area, and
    // a dragged split bar passes over the panes: all of them above their siblings.
    for (Control control : {Control::TabStrip1_0, Control::TabStrip1_1, Control::TabStrip2, Control::CboApp,
                            Control::SplitBar0, Control::SplitBar1}) {
        SetWindowPos(ControlWindow(control), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

HWND Win32MainWindow::CreateControl(size_t index, HWND parent) {
    const ControlSpec& design = kControls[index];
    const Control control = design.control;
    switch (control) {
        case Control::PicFrame0:
        case Control::PicFrame1:
        case Control::PicFrame2:
            return (frames_[Within(control, Control::PicFrame0)] =
                        std::make_unique<Panel>(Panel::Kind::Frame, parent, design.id, design.visible,
                                                [this](UINT message, WPARAM wParam, LPARAM lParam) {
                                                    OnChildMessage(message, wParam, lParam);
                                                }))
                ->Hwnd();
        case Control::FrameApp0:
        case Control::FrameApp1:
        case Control::FrameApp2:
            return (hostAreas_[Within(control, Control::FrameApp0)] =
                        std::make_unique<Panel>(Panel::Kind::HostArea, parent, design.id, design.visible, nullptr))
                ->Hwnd();
        case Control::SplitBar0:
        case Control::SplitBar1: {
            const int bar = static_cast<int>(Within(control, Control::SplitBar0));
            SplitBar::Events events;
            events.down = [this, bar](int buttons, POINT at) {
                if (EventsOn())
                    events_->OnSplitMouseDown(bar, buttons, at.x * TwipsPerPixelX(), at.y * TwipsPerPixelY());
            };
            events.move = [this, bar](int buttons, POINT at) {
                if (EventsOn())
                    events_->OnSplitMouseMove(bar, buttons, at.x * TwipsPerPixelX(), at.y * TwipsPerPixelY());
            };
            events.up = [this, bar](int buttons, POINT at) {
                if (EventsOn()) events_->OnSplitMouseUp(bar, buttons, at.x * TwipsPerPixelX(), at.y * TwipsPerPixelY());
            };
            return (bars_[static_cast<size_t>(bar)] =
                        std::make_unique<SplitBar>(parent, design.id, bar == 0, design.visible, std::move(events)))
                ->Hwnd();
        }
        case Control::TabStrip1_0:
        case Control::TabStrip1_1:
        case Control::TabStrip2: {
            const auto strip = static_cast<platform::Strip>(Within(control, Control::TabStrip1_0));
            TabStrip::Events events;
            events.mouseDown = [this, strip](int buttons, int shift, POINT at) {
                if (EventsOn())
                    events_->OnTabMouseDown(strip, buttons, shift, at.x * TwipsPerPixelX(), at.y * TwipsPerPixelY());
            };
            events.click = [this, strip] {
                if (EventsOn()) events_->OnTabClick(strip);
            };
            events.doubleClick = [this, strip](POINT at) {
                if (EventsOn()) events_->OnTabDoubleClick(strip, at.x * TwipsPerPixelX());
            };
            // The gap by the form's own widths, as its hit test finds a tab.
            events.gapAt = [this, strip](int x) { return base::TabGapAt(TabWidths(strip), x * TwipsPerPixelX()); };
            events.dragged = [this, strip](int from, int gap) {
                if (EventsOn()) events_->OnTabDragged(strip, from, gap);
            };
            events.tooltip = [this, strip](int tab) { return EventsOn() ? events_->OnTabTooltip(strip, tab) : ""; };
            return (strips_[static_cast<size_t>(strip)] =
                        std::make_unique<TabStrip>(parent, design.id, design.visible, std::move(events)))
                ->Hwnd();
        }
        case Control::CboApp:
            combo_ = std::make_unique<LauncherCombo>(parent, design.id, design.visible);
            return combo_->Hwnd();
    }
    return nullptr;
}

void Win32MainWindow::OnChildMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY) {
        const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
        for (const auto& strip : strips_) {
            if (strip && header.hwndFrom == strip->Hwnd()) strip->OnNotify(header);
        }
    } else if (LOWORD(wParam) == ids::kCboApp && combo_ && combo_->IsPick(HIWORD(wParam)) && !pickPending_) {
        // Raised once the box is done with the pick: one pick can notify twice.
        pickPending_ = PostMessageW(Hwnd(), kRunPick, 0, 0) != FALSE;
    }
}

void Win32MainWindow::RegisterDropTargets() {
    // Needs OLE on this thread; without it the window simply takes no drops.
    for (platform::Strip strip : {platform::Strip::Explorer1, platform::Strip::Explorer2, platform::Strip::Apps}) {
        DropTarget::Handlers handlers;
        handlers.over = [this, strip](int shift, bool) -> DWORD {
            return EventsOn() ? static_cast<DWORD>(events_->OnTabDragOver(strip, shift)) : DROPEFFECT_NONE;
        };
        handlers.drop = [this, strip](const DropInfo& drop) { return OnStripDrop(strip, drop); };
        drops_.emplace_back(StripOf(strip).Hwnd(), std::move(handlers));
    }
    for (int index = 0; index < 3; ++index) {
        DropTarget::Handlers handlers;
        handlers.over = [](int, bool hasFiles) -> DWORD { return hasFiles ? DROPEFFECT_COPY : DROPEFFECT_NONE; };
        handlers.drop = [this, index](const DropInfo& drop) -> DWORD {
            if (!EventsOn() || !drop.hasFiles || drop.effect == DROPEFFECT_NONE) return DROPEFFECT_NONE;
            Queue({std::nullopt, index, drop.files});
            return DROPEFFECT_COPY;  // a program started with the files: the source keeps them
        };
        drops_.emplace_back(hostAreas_[static_cast<size_t>(index)]->Hwnd(), std::move(handlers));
    }
}

DWORD Win32MainWindow::OnStripDrop(platform::Strip strip, const DropInfo& drop) {
    // Nothing happens for an effect the drag did not show (the source refused it) or data without files.
    if (!EventsOn() || !drop.hasFiles || drop.effect == DROPEFFECT_NONE) return DROPEFFECT_NONE;
    const double x = drop.client.x * TwipsPerPixelX();
    if (strip != platform::Strip::Apps) {
        // The form's own rule for which tab is under the drop: beside the tabs nothing is moved or copied.
        if (base::HitTestTab(TabWidths(strip), x) == 0) return DROPEFFECT_NONE;
    }
    Queue({strip, 0, drop.files, drop.shift, x, drop.client.y * TwipsPerPixelY()});
    if (strip == platform::Strip::Apps || drop.effect == DROPEFFECT_COPY) return DROPEFFECT_COPY;
    // A move the form makes itself, later, and which may fail, be cancelled or change nothing: the source must not
    // delete anything on our word, so it is told of an optimised move, never of DROPEFFECT_MOVE.
    ReportOptimisedMove(drop.data);
    return DROPEFFECT_NONE;
}

void Win32MainWindow::Queue(PendingDrop drop) {
    pendingDrops_.push_back(std::move(drop));
    if (!PostMessageW(Hwnd(), kRunDrop, 0, 0)) pendingDrops_.pop_back();
}

void Win32MainWindow::RunPendingDrop() {
    if (pendingDrops_.empty()) return;
    const PendingDrop drop = std::move(pendingDrops_.front());
    pendingDrops_.pop_front();
    if (!EventsOn()) return;
    if (drop.strip) {
        events_->OnTabDrop(*drop.strip, true, drop.files, drop.shift, drop.x, drop.y);
    } else {
        events_->OnFrameDrop(drop.frame, true, drop.files);
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

void Win32MainWindow::ApplyPlacement(size_t index) {
    HWND control = controls_[index];
    if (control == nullptr) return;
    const TwipsRect& rect = rects_[index];
    const double tppX = TwipsPerPixelX();
    const double tppY = TwipsPerPixelY();
    const int width = std::max(0, base::TwipsToPixels(rect.width, tppX));
    int height = std::max(0, base::TwipsToPixels(rect.height, tppY));
    if (kControls[index].control == Control::CboApp) height += LauncherCombo::ListHeight(Dpi().y);
    const int left = base::TwipsToPixels(rect.left, tppX);
    const int top = base::TwipsToPixels(rect.top, tppY);
    // One command lays the form out several times over (each frame that changes size lays it out again), mostly to
    // the same places: a control already there is not moved again, which under Wine costs round trips and a repaint.
    // Only this form moves its controls, so the last placement it made is where each one is.
    RECT& placed = placed_[index];
    if (placed.left == left && placed.top == top && placed.right == width && placed.bottom == height) return;
    placed = {left, top, width, height};
    MoveWindow(control, left, top, width, height, TRUE);
}

void Win32MainWindow::Place(platform::Control control, const TwipsRect& rect) {
    const size_t index = Index(control);
    const TwipsRect previous = rects_.at(index);
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
    bars_[static_cast<size_t>(bar)]->SetShadow(colour == platform::BarColour::Shadow);
}

platform::WindowHandle Win32MainWindow::FrameWindow(int index) {
    if (index < 0 || index > 2) return 0;
    return FromHwnd(hostAreas_[static_cast<size_t>(index)]->Hwnd());
}

double Win32MainWindow::TabWidth(platform::Strip strip, int tab) {
    return StripOf(strip).WidthPixels(tab) * TwipsPerPixelX();
}

std::vector<double> Win32MainWindow::TabWidths(platform::Strip strip) {
    std::vector<double> widths;
    for (int tab = 1; tab <= TabCount(strip); ++tab) widths.push_back(TabWidth(strip, tab));
    return widths;
}

// --- The window ------------------------------------------------------------------------------------------------

bool Win32MainWindow::LoadAndShow() {
    if (Hwnd() == nullptr) return false;
    eventsStarted_ = true;
    if (events_ != nullptr) events_->OnLoad();
    if (Hwnd() == nullptr || !::IsWindow(Hwnd())) return false;
    int command = SW_SHOWNORMAL;
    if (pendingState_ == platform::WindowState::Maximized) command = SW_SHOWMAXIMIZED;
    if (pendingState_ == platform::WindowState::Minimized) command = SW_SHOWMINNOACTIVE;
    shown_ = true;
    ShowWindow(Hwnd(), command);
    // Nothing can be dropped on a window that is not on screen yet, and the registration costs the start time.
    RegisterDropTargets();
    UpdateWindow(Hwnd());
    return true;
}

platform::WindowHandle Win32MainWindow::Handle() { return FromHwnd(Hwnd()); }

platform::WindowState Win32MainWindow::GetState() {
    if (!shown_) return pendingState_;
    if (IsIconic(Hwnd())) return platform::WindowState::Minimized;
    if (IsZoomed(Hwnd())) return platform::WindowState::Maximized;
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
            ShowWindow(Hwnd(), SW_RESTORE);
            break;
        case platform::WindowState::Minimized:
            ShowWindow(Hwnd(), SW_MINIMIZE);
            break;
        case platform::WindowState::Maximized:
            ShowWindow(Hwnd(), SW_MAXIMIZE);
            break;
    }
}

TwipsRect Win32MainWindow::OuterRect() {
    RECT rect{};
    GetWindowRect(Hwnd(), &rect);
    const double tppX = TwipsPerPixelX();
    const double tppY = TwipsPerPixelY();
    return {rect.left * tppX, rect.top * tppY, (rect.right - rect.left) * tppX, (rect.bottom - rect.top) * tppY};
}

void Win32MainWindow::MoveOuter(const TwipsRect& rect) {
    const double tppX = TwipsPerPixelX();
    const double tppY = TwipsPerPixelY();
    MoveWindow(Hwnd(), base::TwipsToPixels(rect.left, tppX), base::TwipsToPixels(rect.top, tppY),
               std::max(0, base::TwipsToPixels(rect.width, tppX)), std::max(0, base::TwipsToPixels(rect.height, tppY)),
               TRUE);
}

std::vector<TwipsRect> Win32MainWindow::WorkAreas() {
    struct Collected {
        std::vector<TwipsRect> areas;
        double tppX;
        double tppY;
    } collected{{}, TwipsPerPixelX(), TwipsPerPixelY()};
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR monitor, HDC, RECT*, LPARAM context) -> BOOL {
            auto& into = *reinterpret_cast<Collected*>(context);
            MONITORINFO info{};
            info.cbSize = sizeof(info);
            if (GetMonitorInfoW(monitor, &info)) {
                const RECT& work = info.rcWork;
                into.areas.push_back({work.left * into.tppX, work.top * into.tppY,
                                      (work.right - work.left) * into.tppX, (work.bottom - work.top) * into.tppY});
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&collected));
    return collected.areas;
}

double Win32MainWindow::ClientWidth() {
    RECT rect{};
    GetClientRect(Hwnd(), &rect);
    return rect.right * TwipsPerPixelX();
}

double Win32MainWindow::ClientHeight() {
    RECT rect{};
    GetClientRect(Hwnd(), &rect);
    return rect.bottom * TwipsPerPixelY();
}

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
    PostMessageW(Hwnd(), WM_CLOSE, 0, 0);
}

void Win32MainWindow::EndProgramNow() { ExitProcess(0); }

void Win32MainWindow::ShowPopup(platform::PopupMenu menu) {
    POINT cursor{};
    GetCursorPos(&cursor);
    // Without the window in front the menu does not close when the user clicks
    // elsewhere; the posted null message lets the next click reach its target.
    SetForegroundWindow(Hwnd());
    TrackPopupMenu(menus_.Popup(menu), 0, cursor.x, cursor.y, 0, Hwnd(), nullptr);
    PostMessageW(Hwnd(), WM_NULL, 0, 0);
}

void Win32MainWindow::ShowMessage(const std::string& text, const std::string& title) {
    ::MessageBoxW(Hwnd(), Widen(text).c_str(), Widen(title).c_str(), MB_OK);
}

LRESULT Win32MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
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
        case kRunDrop:
            RunPendingDrop();
            return 0;
        case kRunPick:
            pickPending_ = false;
            if (EventsOn()) events_->OnComboClick();
            return 0;
        case WM_QUERYENDSESSION:
            return OnQueryEndSession();
        case WM_ENDSESSION:
            OnEndSession(wParam != FALSE);
            return 0;
        case WM_DESTROY:
            OnDestroy();
            return 0;
        default:
            break;
    }
    return Default(message, wParam, lParam);
}

void Win32MainWindow::OnClose() {
    if (events_ != nullptr && eventsStarted_) {
        if (events_->OnQueryClose()) return;
        events_->OnUnload();
    }
    if (Hwnd() != nullptr) DestroyWindow(Hwnd());
}

LRESULT Win32MainWindow::OnQueryEndSession() {
    // FALSE asks the session to wait: the form refuses as it refuses a close.
    return EventsOn() && events_->OnQueryEndSession() ? FALSE : TRUE;
}

void Win32MainWindow::OnEndSession(bool ending) {
    // The session goes on when another program refused; nothing has happened to us then.
    if (!ending || !EventsOn()) return;
    events_->OnEndSession();
    // The shutdown has run: the process may be ended at any moment now, and whatever still arrives (the timer, a
    // close) must not run it, or anything else of the form, again.
    eventsStarted_ = false;
}

void Win32MainWindow::OnDestroy() {
    KillTimer(Hwnd(), ids::kTimer1);
    drops_.clear();
    if (options_.quitOnDestroy) PostQuitMessage(0);
}

void Win32MainWindow::OnDpiChanged(const RECT& suggested) {
    SetWindowPos(Hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyFont();
    // Twips stay; their pixels change. Parents first, so children land in the right place. Every control is
    // placed again, wherever it was last put: the system may have moved it along with the window.
    placed_.fill(kNotPlaced);
    for (size_t i = 0; i < kControlCount; ++i) ApplyPlacement(i);
    if (EventsOn()) events_->OnDpiChanged();
}

// --- The hotkey procedure --------------------------------------------------------------------------------------

void Win32MainWindow::InstallHotkeyProcedure() {
    if (Hwnd() == nullptr || previousProc_ != nullptr) return;
    previousProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(Hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32MainWindow::HotkeyProc)));
}

void Win32MainWindow::RemoveHotkeyProcedure() {
    if (Hwnd() == nullptr || previousProc_ == nullptr) return;
    // Put back only our own replacement; a later subclass would otherwise be cut out.
    if (GetWindowLongPtrW(Hwnd(), GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&Win32MainWindow::HotkeyProc)) {
        SetWindowLongPtrW(Hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc_));
    }
    previousProc_ = nullptr;
}

LRESULT CALLBACK Win32MainWindow::HotkeyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<Win32MainWindow*>(Window::Of(window));
    // Left in the chain by a removal that found a later subclass on top: the
    // class's own procedure takes over.
    if (self == nullptr || self->previousProc_ == nullptr) {
        return CallWindowProcW(reinterpret_cast<WNDPROC>(GetClassLongPtrW(window, GCLP_WNDPROC)), window, message,
                               wParam, lParam);
    }
    // Kept before the handler runs: the handler may remove this procedure.
    const WNDPROC previous = self->previousProc_;
    if (message == WM_HOTKEY && self->EventsOn()) self->events_->OnHotkey(static_cast<int>(wParam));
    return CallWindowProcW(previous, window, message, wParam, lParam);
}

}  // namespace velmora::win32
