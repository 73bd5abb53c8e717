#pragma once

// frmMain of Option: the settings form. The rules of what is loaded, saved,
// accepted and refused are the portable option/ models; this is their Win32
// face: the form's controls, its message dispatch and its load and save.
#include <windows.h>

#include <array>
#include <memory>
#include <string>

#include "controls/win32/UDTextControl.h"
#include "option/OptionSettings.h"
#include "platform/win32/LauncherEditor.h"
#include "platform/win32/OptionLayout.h"
#include "platform/win32/kit/DropTarget.h"
#include "platform/win32/kit/Window.h"
#include "settings/ProfileStore.h"

namespace velmora::win32 {

class OptionWindow final : public Window {
public:
    // Posted at load when the settings file could not be read, to say so once the form is shown.
    static constexpr UINT kShowUnreadable = WM_APP + 1;
    // programFolder: the folder setting.ini is looked for in, at every load
    // and save. takeDrops: whether the path and name fields are drop targets
    // (they need OLE on this thread).
    OptionWindow(settings::ProfileStore& store, std::string programFolder, bool takeDrops = true);
    ~OptionWindow() override;

    // Creates and shows the form and loads the settings into it; false when the
    // window could not be made.
    bool Create(HINSTANCE instance, int show);

    // Tab, Enter and Escape for the form; true when the message was used.
    bool PreTranslateMessage(MSG& message);

private:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnCreate();
    void OnCommand(int id, int code, HWND control);
    void OnDpiChanged(WPARAM dpi, const RECT& suggested);
    void OnDestroy();

    void CreateControls();
    void AddPositionRow(double left, double top, int labelX, int labelY, int field);
    void AddHotkeyRow(double left, double top, int label, int pane);
    void Place();

    void LoadSettings();
    // The position fields again at another scale, showing the twips they stood for.
    void ShowPositionsAt(option::TwipsPerPixel scale);
    option::OptionState ReadState() const;
    void Decide(option::Decision decision);

    settings::ProfileStore& store_;
    std::string programFolder_;
    bool takeDrops_;
    HWND focusBeforeDeactivation_ = nullptr;

    std::unique_ptr<OptionLayout> layout_;
    std::unique_ptr<LauncherEditor> launcher_;
    std::array<std::unique_ptr<UDTextControl>, 6> positions_;
    // The scale the position fields show their twips at: the load's, then each DPI change's. Saving converts with
    // it, so moving the form to another monitor changes no offset.
    option::TwipsPerPixel scale_;
    // Per position field, the twips it stands for and the value it was given for them: a value that differs from
    // it was typed since, at scale_.
    struct ShownPosition {
        double twips = 0;
        double shown = 0;
    };
    std::array<ShownPosition, 6> shownPositions_{};
    std::array<HWND, 2> hotkeyBoxes_{};
    std::array<HWND, 2> hotkeyFields_{};  // the fields of pane 1 and pane 2
    HWND chkWindow_ = nullptr;
    std::array<HWND, 2> chk_{};
    std::array<HWND, 2> txtPath_{};
    HWND txtName_ = nullptr;
    HWND listView_ = nullptr;
    std::array<DropRegistration, 3> drops_;
};

}  // namespace velmora::win32
