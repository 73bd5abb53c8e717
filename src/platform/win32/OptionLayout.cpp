#include "platform/win32/OptionLayout.h"

#include <commctrl.h>

#include "base/Twips.h"
#include "platform/win32/kit/Dpi.h"
#include "platform/win32/kit/WinString.h"

namespace velmora::win32 {
namespace {

constexpr wchar_t kFontName[] = L"ＭＳ Ｐゴシック";
constexpr double kFontPoints = 9;

}  // namespace

OptionLayout::OptionLayout(HWND form) : form_(form) {
    MakeFont();
    toolTips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, form_, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    if (toolTips_) SendMessageW(toolTips_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
}

void OptionLayout::MakeFont() {
    const WindowDpi dpi = DpiOfWindow(form_);
    const int height = -static_cast<int>(base::RoundHalfEven(kFontPoints * dpi.y / 72.0));
    UniqueFont created(CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                   CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, kFontName));
    if (created) font_ = std::move(created);
}

double OptionLayout::TwipsPerPixelX() const { return DpiOfWindow(form_).TwipsPerPixelX(); }
double OptionLayout::TwipsPerPixelY() const { return DpiOfWindow(form_).TwipsPerPixelY(); }

HWND OptionLayout::Add(const wchar_t* className, std::string_view text, DWORD style, DWORD exStyle, int id,
                       base::TwipsRect twips) {
    HWND control =
        CreateWindowExW(exStyle, className, Widen(text).c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, form_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (!control) return nullptr;
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    placements_.push_back({control, twips, false});
    return control;
}

void OptionLayout::AddWithOwnFont(HWND control, base::TwipsRect twips) {
    placements_.push_back({control, twips, true});
}

void OptionLayout::AddToolTip(HWND control, std::string_view text) {
    if (!toolTips_ || !control) return;
    std::wstring wide = Widen(text);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = form_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = wide.data();  // the tool-tip control keeps its own copy
    SendMessageW(toolTips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void OptionLayout::Place() {
    const double x = TwipsPerPixelX();
    const double y = TwipsPerPixelY();
    RECT client{};
    RECT frame{};
    GetClientRect(form_, &client);
    GetWindowRect(form_, &frame);
    SetWindowPos(form_, nullptr, 0, 0, (frame.right - frame.left) + base::TwipsToPixels(kClientWidth, x) - client.right,
                 (frame.bottom - frame.top) + base::TwipsToPixels(kClientHeight, y) - client.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (const Placement& placement : placements_) {
        const base::TwipsRect& r = placement.twips;
        MoveWindow(placement.window, base::TwipsToPixels(r.left, x), base::TwipsToPixels(r.top, y),
                   base::TwipsToPixels(r.width, x), base::TwipsToPixels(r.height, y), TRUE);
    }
}

void OptionLayout::Rescale() {
    MakeFont();
    for (const Placement& placement : placements_) {
        if (!placement.ownFont) SendMessageW(placement.window, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), TRUE);
    }
    if (toolTips_) SendMessageW(toolTips_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    Place();
}

}  // namespace velmora::win32
