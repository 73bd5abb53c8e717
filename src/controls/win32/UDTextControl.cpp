#include "controls/win32/UDTextControl.h"

#include <commctrl.h>
#include <windowsx.h>

#include "platform/win32/kit/Dpi.h"
#include "platform/win32/kit/WinString.h"
#include "base/Twips.h"

namespace velmora::win32 {

namespace {

constexpr int TimerIndex(controls::UDTimer timer) { return static_cast<int>(timer); }
// Timer ids on the control's window: 1 Up, 2 Down, 3 SpeedUp.
constexpr UINT_PTR TimerId(controls::UDTimer timer) { return static_cast<UINT_PTR>(TimerIndex(timer)) + 1; }

int ToPixels(double twips, double twipsPerPixel) { return base::TwipsToPixels(twips, twipsPerPixel); }

}  // namespace

UDTextControl::UDTextControl(HWND parent, int controlId, const RECT& bounds) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW cls{};
    if (!GetClassInfoExW(instance, kUDTextClassName, &cls)) {
        cls.cbSize = sizeof(cls);
        cls.lpfnWndProc = WindowProc;
        cls.hInstance = instance;
        cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        cls.lpszClassName = kUDTextClassName;
        RegisterClassExW(&cls);
    }
    // The container only hosts the two parts: Tab goes into the edit box.
    CreateWindowExW(WS_EX_CONTROLPARENT, kUDTextClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, bounds.left,
                    bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), instance, this);
    // Without its windows (creation failed) the control still has a model,
    // so the host's calls are harmless; the parts then do nothing.
    if (window_) {
        edit_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"0", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0,
                                0, 0, 0, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kUDTextEditId)),
                                instance, nullptr);
        // No buddy and no UDS_SETBUDDYINT: the model decides what a click does.
        arrows_ = CreateWindowExW(0, UPDOWN_CLASSW, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, window_,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kUDTextArrowsId)), instance, nullptr);
        // The position never moves (UDN_DELTAPOS refuses every change), so neither
        // arrow is ever at an end of the range and both always notify.
        SendMessageW(arrows_, UDM_SETRANGE32, 0, 100);
        SendMessageW(arrows_, UDM_SETPOS32, 0, 50);
        SetWindowSubclass(edit_, EditProc, 0, reinterpret_cast<DWORD_PTR>(this));
        SetWindowSubclass(arrows_, ArrowsProc, 0, reinterpret_cast<DWORD_PTR>(this));
    }

    const controls::UDFont font;
    SetFont(font);
    model_ = std::make_unique<controls::UDTextModel>(static_cast<controls::UDTextParts&>(*this),
                                                     static_cast<controls::UDTimers&>(*this), font);
    model_->onChange = [this] {
        if (onChange) onChange();
    };
    OnSize();
}

UDTextControl::~UDTextControl() {
    if (window_) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        if (edit_) RemoveWindowSubclass(edit_, EditProc, 0);
        if (arrows_) RemoveWindowSubclass(arrows_, ArrowsProc, 0);
        DestroyWindow(window_);
    }
    if (font_) DeleteObject(font_);
    if (background_) DeleteObject(background_);
}

void UDTextControl::DropWindow() {
    for (int i = 0; i < 3; ++i) running_[i] = false;
    window_ = nullptr;
    edit_ = nullptr;
    arrows_ = nullptr;
}

LRESULT CALLBACK UDTextControl::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<UDTextControl*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<UDTextControl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->DropWindow();
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT UDTextControl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            OnSize();
            return 0;
        case WM_SETFOCUS:
            if (edit_) SetFocus(edit_);
            return 0;
        case WM_COMMAND:
            if (reinterpret_cast<HWND>(lParam) == edit_ && HIWORD(wParam) == EN_CHANGE && !settingText_ && model_)
                model_->OnTextChanged();
            return 0;
        case WM_NOTIFY:
            return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
        case WM_TIMER:
            if (wParam >= 1 && wParam <= 3 && running_[wParam - 1] && model_)
                model_->OnTimer(static_cast<controls::UDTimer>(wParam - 1));
            return 0;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:  // a read-only edit box asks with this one
            if (reinterpret_cast<HWND>(lParam) == edit_ && background_) {
                HDC dc = reinterpret_cast<HDC>(wParam);
                SetTextColor(dc, foreColor_);
                SetBkColor(dc, backColor_);
                return reinterpret_cast<LRESULT>(background_);
            }
            break;
        case WM_DPICHANGED_AFTERPARENT:
            if (model_) {
                SetFont(model_->Font());
                OnSize();
            }
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT UDTextControl::OnNotify(const NMHDR& header) {
    if (header.hwndFrom != arrows_ || header.code != UDN_DELTAPOS || !model_) return 0;
    const auto& change = reinterpret_cast<const NMUPDOWN&>(header);
    if (!(pressing_ && pressClicked_)) {
        if (pressing_) pressClicked_ = true;
        if (change.iDelta > 0) {
            model_->OnUpClick();
        } else if (change.iDelta < 0) {
            model_->OnDownClick();
        }
    }
    return TRUE;  // the position stays where it is
}

void UDTextControl::OnSize() {
    if (!window_ || !model_) return;
    RECT client{};
    GetClientRect(window_, &client);
    const WindowDpi dpi = DpiOfWindow(window_);
    model_->Resize(client.right * dpi.TwipsPerPixelX(), client.bottom * dpi.TwipsPerPixelY());
}

LRESULT CALLBACK UDTextControl::ArrowsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                           DWORD_PTR self) {
    return reinterpret_cast<UDTextControl*>(self)->OnArrowsMessage(window, message, wParam, lParam);
}

LRESULT UDTextControl::OnArrowsMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            RECT client{};
            GetClientRect(window, &client);
            pressing_ = true;
            pressClicked_ = false;
            if (model_)
                model_->OnArrowsMouseDown(controls::UDTextModel::kLeftButton, GET_Y_LPARAM(lParam), client.bottom);
            return DefSubclassProc(window, message, wParam, lParam);  // sends the press's UDN_DELTAPOS
        }
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
        case WM_CAPTURECHANGED: {
            // A lost capture (a message box, another window) ends the press too:
            // otherwise the repetition would run on with no release to stop it.
            LRESULT result = DefSubclassProc(window, message, wParam, lParam);
            if (pressing_ || message != WM_CAPTURECHANGED) {
                pressing_ = false;
                if (model_) model_->OnArrowsMouseUp();
            }
            return result;
        }
        case WM_NCDESTROY:
            RemoveWindowSubclass(window, ArrowsProc, 0);
            break;
        default:
            break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK UDTextControl::EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR self) {
    return reinterpret_cast<UDTextControl*>(self)->OnEditMessage(window, message, wParam, lParam);
}

LRESULT UDTextControl::OnEditMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CHAR:
        case WM_IME_CHAR:
            if (model_) wParam = static_cast<WPARAM>(model_->FilterTypedChar(static_cast<char32_t>(wParam)));
            break;
        case WM_LBUTTONUP: {
            LRESULT result = DefSubclassProc(window, message, wParam, lParam);
            if (model_) model_->OnTextClicked();
            return result;
        }
        case WM_NCDESTROY:
            RemoveWindowSubclass(window, EditProc, 0);
            break;
        default:
            break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

std::string UDTextControl::Text() const {
    if (!edit_) return {};
    const int length = GetWindowTextLengthW(edit_);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(edit_, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return Narrow(text);
}

void UDTextControl::SetText(const std::string& text) {
    if (edit_) {
        const bool wasSetting = settingText_;
        settingText_ = true;
        SetWindowTextW(edit_, Widen(text).c_str());
        settingText_ = wasSetting;
        // A refused keystroke is replaced by the old text: keep typing at its end.
        if (GetFocus() == edit_) SendMessageW(edit_, EM_SETSEL, GetWindowTextLengthW(edit_), -1);
    }
    if (model_) model_->OnTextChanged();
}

void UDTextControl::SetLocked(bool locked) {
    if (edit_) SendMessageW(edit_, EM_SETREADONLY, locked ? TRUE : FALSE, 0);
}

void UDTextControl::SetColors(std::uint32_t fore, std::uint32_t back) {
    // The colours are stored as COLORREF already: red in the low byte.
    foreColor_ = static_cast<COLORREF>(fore & 0xFFFFFF);
    backColor_ = static_cast<COLORREF>(back & 0xFFFFFF);
    HBRUSH old = background_;
    background_ = CreateSolidBrush(backColor_);
    if (old) DeleteObject(old);
    if (edit_) InvalidateRect(edit_, nullptr, TRUE);
}

void UDTextControl::SetFont(const controls::UDFont& font) {
    const WindowDpi dpi = DpiOfWindow(window_);
    const int height = -static_cast<int>(base::RoundHalfEven(font.sizePoints * dpi.y / 72.0));
    HFONT created = CreateFontW(height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, font.italic, font.underline,
                                font.strikeout, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, Widen(font.name).c_str());
    if (!created) return;
    if (edit_) SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(created), TRUE);
    if (font_) DeleteObject(font_);
    font_ = created;
}

void UDTextControl::SetArrowsEnabled(bool enabled) {
    if (arrows_) EnableWindow(arrows_, enabled ? TRUE : FALSE);
}

void UDTextControl::Place(const controls::UDTextLayout& layout) {
    if (!window_) return;
    const WindowDpi dpi = DpiOfWindow(window_);
    const double x = dpi.TwipsPerPixelX();
    const double y = dpi.TwipsPerPixelY();
    auto move = [&](HWND part, const base::TwipsRect& rect) {
        if (part)
            MoveWindow(part, ToPixels(rect.left, x), ToPixels(rect.top, y), ToPixels(rect.width, x),
                       ToPixels(rect.height, y), TRUE);
    };
    move(edit_, layout.text);
    move(arrows_, layout.arrows);
}

void UDTextControl::SetPeriod(controls::UDTimer timer, std::int32_t milliseconds) {
    const int index = TimerIndex(timer);
    periods_[index] = static_cast<UINT>(milliseconds < 1 ? 1 : milliseconds);
    if (running_[index] && window_) SetTimer(window_, TimerId(timer), periods_[index], nullptr);
}

void UDTextControl::SetEnabled(controls::UDTimer timer, bool enabled) {
    const int index = TimerIndex(timer);
    running_[index] = enabled && window_;
    if (!window_) return;
    if (enabled) {
        SetTimer(window_, TimerId(timer), periods_[index], nullptr);
    } else {
        KillTimer(window_, TimerId(timer));
    }
}

}  // namespace velmora::win32
