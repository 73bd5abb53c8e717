#pragma once

// frmMain of Option: the settings form. The rules of what is loaded, saved,
// accepted and refused are the portable option/ models; this is their Win32
// face.
#include <windows.h>

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "controls/win32/UDTextControl.h"
#include "platform/win32/kit/DropTarget.h"
#include "option/LauncherList.h"
#include "option/OptionSettings.h"
#include "settings/ProfileStore.h"

namespace velmora::win32 {

// modCreateCtl: creates the native hotkey field filling the box's inner area;
// nullptr when it cannot be made.
HWND CreateHotkeyControl(HWND box);

class OptionWindow {
public:
    // programFolder: the folder setting.ini is looked for in, at every load
    // and save.
    OptionWindow(settings::ProfileStore& store, std::string programFolder);
    ~OptionWindow();
    OptionWindow(const OptionWindow&) = delete;
    OptionWindow& operator=(const OptionWindow&) = delete;

    // Creates and shows the form and loads the settings into it; false when the
    // window could not be made.
    bool Create(HINSTANCE instance, int show);
    HWND window() const { return window_; }

    // Tab, Enter and Escape for the form; true when the message was used.
    bool PreTranslateMessage(MSG& message);

private:
    struct Placement {
        HWND window;
        base::TwipsRect twips;
    };

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void OnCreate();
    void OnCommand(int id, int code, HWND control);
    LRESULT OnNotify(const NMHDR& header);
    void OnDpiChanged(const RECT& suggested);
    void OnDestroy();

    HWND AddControl(const wchar_t* className, std::string_view text, DWORD style, DWORD exStyle, int id,
                    base::TwipsRect twips);
    void AddToolTip(HWND control, std::string_view text);
    void CreateFonts();
    void Layout();
    void FitClientArea();
    double TwipsPerPixelX() const;
    double TwipsPerPixelY() const;

    void LoadSettings();
    option::OptionState ReadState() const;
    void Decide(option::Decision decision);

    // Launcher list editor.
    void ShowListRows();
    void ShowListSelection();
    void ShowLauncherFields();
    void TakeLauncherFields();
    void ShowMessage(std::string_view text);
    void Browse(int index);

    settings::ProfileStore& store_;
    std::string programFolder_;
    HWND window_ = nullptr;
    HWND toolTips_ = nullptr;
    HFONT font_ = nullptr;
    HWND focusBeforeDeactivation_ = nullptr;

    std::vector<Placement> placements_;
    std::array<std::unique_ptr<UDTextControl>, 6> positions_;
    std::array<HWND, 2> hotkeyBoxes_{};
    std::array<HWND, 2> hotkeyWindow_{};  // the fields of pane 1 and pane 2
    HWND chkWindow_ = nullptr;
    std::array<HWND, 2> chk_{};
    std::array<HWND, 2> txtPath_{};
    HWND txtName_ = nullptr;
    HWND listView_ = nullptr;

    option::LauncherList launcher_;
    // Set while the list view is refilled from the model, whose selection and
    // fields must not follow the list view's own notifications then.
    bool showingList_ = false;
    std::array<DropRegistration, 3> drops_;
};

}  // namespace velmora::win32
