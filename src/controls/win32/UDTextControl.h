#pragma once

// The Win32 uctUDText: a child window holding an edit box and an up-down
// control, driven by the portable UDTextModel.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "controls/UDTextModel.h"
#include "platform/win32/kit/Handles.h"
#include "platform/win32/kit/Subclass.h"
#include "platform/win32/kit/Window.h"

namespace velmora::win32 {

// The window class of the control as hosts see it.
inline constexpr wchar_t kUDTextClassName[] = L"Velmora_Option.uctUDText";
// Control ids of the parts inside the control's window.
inline constexpr int kUDTextEditId = 1;
inline constexpr int kUDTextArrowsId = 2;

class UDTextControl final : public Window, private controls::UDTextParts, private controls::UDTimers {
public:
    // Creates the control as a child of parent at the given pixel rectangle.
    // Its properties start as the model's defaults; the host sets them (or reads
    // them from a PropertyBag) through model().
    UDTextControl(HWND parent, int controlId, const RECT& bounds);
    ~UDTextControl() override;
    UDTextControl(const UDTextControl&) = delete;
    UDTextControl& operator=(const UDTextControl&) = delete;

    HWND edit() const { return edit_; }
    HWND arrows() const { return arrows_; }

    controls::UDTextModel& model() { return *model_; }
    double Value() const { return model_->Value(); }
    void SetValue(double value) { model_->SetValue(value); }

    // Raised after every accepted change of the text, Value already updated.
    std::function<void()> onChange;

private:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnNotify(const NMHDR& header);
    LRESULT OnArrowsMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnEditMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnSize();
    void DropWindow();

    // UDTextParts
    std::string Text() const override;
    void SetText(const std::string& text) override;
    void SetLocked(bool locked) override;
    void SetColors(std::uint32_t fore, std::uint32_t back) override;
    void SetFont(const controls::UDFont& font) override;
    void SetArrowsEnabled(bool enabled) override;
    void Place(const controls::UDTextLayout& layout) override;

    // UDTimers
    void SetPeriod(controls::UDTimer timer, std::int32_t milliseconds) override;
    void SetEnabled(controls::UDTimer timer, bool enabled) override;

    HWND edit_ = nullptr;
    HWND arrows_ = nullptr;
    Subclass editHook_;
    Subclass arrowsHook_;
    UniqueFont font_;
    UniqueBrush background_;
    COLORREF foreColor_ = RGB(0, 0, 0);
    COLORREF backColor_ = RGB(255, 255, 255);
    // Per timer (Up, Down, SpeedUp): its period and whether it runs.
    UINT periods_[3] = {200, 200, 2000};
    bool running_[3] = {false, false, false};
    // EN_CHANGE from our own SetWindowText is not forwarded: SetText tells the
    // model itself, exactly once.
    bool settingText_ = false;
    // Only the first UDN_DELTAPOS of a press is a click: the platform's own
    // repetition while the button is held would fight the model's timers.
    bool pressing_ = false;
    bool pressClicked_ = false;
    std::unique_ptr<controls::UDTextModel> model_;
};

}  // namespace velmora::win32
