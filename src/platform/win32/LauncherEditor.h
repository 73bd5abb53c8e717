#pragma once

// The launcher list editor on Option's form: the list view (ListView1) and
// the fields txtName and txtPath(0), kept in step with the portable
// LauncherList, which decides what every click and edit does.
#include <windows.h>
// After windows.h:
#include <commctrl.h>

#include <string>
#include <string_view>
#include <vector>

#include "option/LauncherList.h"

namespace velmora::win32 {

class LauncherEditor {
public:
    struct Controls {
        HWND list = nullptr;
        HWND name = nullptr;
        HWND path = nullptr;
    };

    // Gives the list view its columns. form owns the editor's message boxes
    // and dialogs.
    LauncherEditor(HWND form, Controls controls);
    LauncherEditor(const LauncherEditor&) = delete;
    LauncherEditor& operator=(const LauncherEditor&) = delete;

    void Load(std::vector<option::LauncherRow> rows);
    const std::vector<option::LauncherRow>& Rows() const { return launcher_.rows(); }
    void SizeColumns(double twipsPerPixelX);

    // The form's WM_COMMAND; false when it was none of the editor's.
    bool OnCommand(int id, int code, HWND control);
    // The list view's notifications.
    void OnNotify(const NMHDR& header);
    void DropOnName(const std::vector<std::string>& files);
    void DropOnPath(const std::vector<std::string>& files);

private:
    void ShowRows();
    void ShowSelection();
    void ShowFields();
    void TakeFields();
    void ShowMessage(std::string_view text);

    HWND form_;
    Controls controls_;
    option::LauncherList launcher_;
    // Set while the list view is refilled from the model, whose selection and
    // fields must not follow the list view's own notifications then.
    bool showingList_ = false;
};

}  // namespace velmora::win32
