#pragma once

// Option's form in twips: its controls are made at their design rectangles
// with the form's font, and the client area and every control are placed
// again in pixels whenever the window's DPI changes.
#include <windows.h>

#include <string_view>
#include <vector>

#include "base/Geometry.h"
#include "platform/win32/kit/Handles.h"

namespace velmora::win32 {

class OptionLayout {
public:
    // The form's client area, in twips.
    static constexpr double kClientWidth = 10215;
    static constexpr double kClientHeight = 6735;

    explicit OptionLayout(HWND form);
    OptionLayout(const OptionLayout&) = delete;
    OptionLayout& operator=(const OptionLayout&) = delete;

    // A child control of the form with the form's font; nullptr when it could
    // not be made.
    HWND Add(const wchar_t* className, std::string_view text, DWORD style, DWORD exStyle, int id,
             base::TwipsRect twips);
    // A control made elsewhere that chooses its own font (a numeric field).
    void AddWithOwnFont(HWND control, base::TwipsRect twips);
    void AddToolTip(HWND control, std::string_view text);

    // The client area and every control in pixels at the form's DPI.
    void Place();
    // After WM_DPICHANGED: the font for the new DPI, then Place.
    void Rescale();

    double TwipsPerPixelX() const;
    double TwipsPerPixelY() const;

private:
    struct Placement {
        HWND window;
        base::TwipsRect twips;
        bool ownFont;
    };

    void MakeFont();

    HWND form_;
    HWND toolTips_ = nullptr;
    UniqueFont font_;
    std::vector<Placement> placements_;
};

}  // namespace velmora::win32
