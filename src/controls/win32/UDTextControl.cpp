#include "controls/win32/UDTextControl.h"

#include <commctrl.h>
#include <windowsx.h>

#include "base/Twips.h"
#include "platform/win32/kit/Dpi.h"
#include "platform/win32/kit/WinString.h"

namespace velmora::win32 {

namespace {

constexpr int TimerIndex(controls::UDTimer timer) { return static_cast<int>(timer); }
// Timer ids on the control's window: 1 Up, 2 Down, 3 SpeedUp.
constexpr UINT_PTR TimerId(controls::UDTimer timer) { return static_cast<UINT_PTR>(TimerIndex(timer)) + 1; }

int ToPixels(double twips, double twipsPerPixel) { return base::TwipsToPixels(twips, twipsPerPixel); }

}  // namespace

UDTextControl::UDTextControl(HWND parent, int controlId, const RECT& bounds) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    Register(instance,
             {kUDTextClassName, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), LoadCursorW(nullptr, IDC_ARROW)});
    // The container only hosts the two parts: Tab goes into the edit box.
    // Without its windows (creation failed) the control still has a model,
    // so the host's calls are harmless; the parts then do nothing.
    if (Create(WS_EX_CONTROLPARENT, kUDTextClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, bounds.left,
               bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
               reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), instance)) {
        edit_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"0", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0,
                                0, 0, 0, Hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kUDTextEditId)), instance,
                                nullptr);
        // No buddy and no UDS_SETBUDDYINT: the model decides what a click does.
        arrows_ = CreateWindowExW(0, UPDOWN_CLASSW, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, Hwnd(),
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kUDTextArrowsId)), instance, nullptr);
        // The position never moves (UDN_DELTAPOS refuses every change), so neither
        // arrow is ever at an end of the range and both always notify.
        SendMessageW(arrows_, UDM_SETRANGE32, 0, 100);
        SendMessageW(arrows_, UDM_SETPOS32, 0, 50);
        editHook_.Install(edit_, this, &UDTextControl::OnEditMessage);
        arrowsHook_.Install(arrows_, this, &UDTextControl::OnArrowsMessage);
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

UDTextControl::~UDTextControl() { DestroyDetached(); }

void UDTextControl::DropWindow() {
    for (int i = 0; i < 3; ++i) running_[i] = false;
    edit_ = nullptr;
    arrows_ = nullptr;
}

LRESULT UDTextControl::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NCDESTROY:
            DropWindow();
            break;
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
                return reinterpret_cast<LRESULT>(background_.Get());
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
    return Default(message, wParam, lParam);
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
    if (!Hwnd() || !model_) return;
    RECT client{};
    GetClientRect(Hwnd(), &client);
    const WindowDpi dpi = DpiOfWindow(Hwnd());
    model_->Resize(client.right * dpi.TwipsPerPixelX(), client.bottom * dpi.TwipsPerPixelY());
}

LRESULT UDTextControl::OnArrowsMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            RECT client{};
            GetClientRect(arrows_, &client);
            pressing_ = true;
            pressClicked_ = false;
            if (model_)
                model_->OnArrowsMouseDown(controls::UDTextModel::kLeftButton, GET_Y_LPARAM(lParam), client.bottom);
            return arrowsHook_.Default(message, wParam, lParam);  // sends the press's UDN_DELTAPOS
        }
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
        case WM_CAPTURECHANGED: {
            // A lost capture (a message box, another window) ends the press too:
            // otherwise the repetition would run on with no release to stop it.
            const LRESULT result = arrowsHook_.Default(message, wParam, lParam);
            if (pressing_ || message != WM_CAPTURECHANGED) {
                pressing_ = false;
                if (model_) model_->OnArrowsMouseUp();
            }
            return result;
        }
        default:
            break;
    }
    return arrowsHook_.Default(message, wParam, lParam);
}

LRESULT UDTextControl::OnEditMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CHAR:
        case WM_IME_CHAR:
            if (model_) wParam = static_cast<WPARAM>(model_->FilterTypedChar(static_cast<char32_t>(wParam)));
            break;
        case WM_LBUTTONUP: {
            const LRESULT result = editHook_.Default(message, wParam, lParam);
            if (model_) model_->OnTextClicked();
            return result;
        }
        default:
            break;
    }
    return editHook_.Default(message, wParam, lParam);
}

std::string UDTextControl::Text() const { return GetWindowTextUtf8(edit_); }

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
    background_.Reset(CreateSolidBrush(backColor_));
    if (edit_) InvalidateRect(edit_, nullptr, TRUE);
}

void UDTextControl::SetFont(const controls::UDFont& font) {
    const WindowDpi dpi = DpiOfWindow(Hwnd());
    const int height = -static_cast<int>(base::RoundHalfEven(font.sizePoints * dpi.y / 72.0));
    UniqueFont created(CreateFontW(height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, font.italic, font.underline,
                                   font.strikeout, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                   DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, Widen(font.name).c_str()));
    if (!created) return;
    if (edit_) SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(created.Get()), TRUE);
    font_ = std::move(created);
}

void UDTextControl::SetArrowsEnabled(bool enabled) {
    if (arrows_) EnableWindow(arrows_, enabled ? TRUE : FALSE);
}

void UDTextControl::Place(const controls::UDTextLayout& layout) {
    if (!Hwnd()) return;
    const WindowDpi dpi = DpiOfWindow(Hwnd());
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
    if (running_[index] && Hwnd()) SetTimer(Hwnd(), TimerId(timer), periods_[index], nullptr);
}

void UDTextControl::SetEnabled(controls::UDTimer timer, bool enabled) {
    const int index = TimerIndex(timer);
    running_[index] = enabled && Hwnd();
    if (!Hwnd()) return;
    if (enabled) {
        SetTimer(Hwnd(), TimerId(timer), periods_[index], nullptr);
    } else {
        KillTimer(Hwnd(), TimerId(timer));
    }
}

}  // namespace velmora::win32
