#pragma once

// cboApp: the drop-down list of the launcher's programs on the application
// pane. The box reports to its parent; IsPick tells which of its reports is
// the user picking an entry.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace velmora::win32 {

class LauncherCombo {
public:
    LauncherCombo(HWND parent, int id, bool visible);
    LauncherCombo(const LauncherCombo&) = delete;
    LauncherCombo& operator=(const LauncherCombo&) = delete;

    HWND Hwnd() const { return window_; }
    // A drop-down list's window height includes its open list: the pixels to
    // add to the box's own height at a DPI.
    static int ListHeight(UINT dpi);

    // Whether a notification the box sent is a pick: an entry chosen from the
    // open list (clicked, or Enter), the one already chosen too, or a change
    // made with the list closed (the arrow keys). One pick may bring two such
    // notifications (CBN_SELENDOK, then CBN_SELCHANGE); the caller raises it once.
    bool IsPick(UINT notification) const;

    void Clear();
    void Add(const std::string& text);
    std::string Text() const;  // the selected entry's, empty when none
    std::vector<std::string> Items() const;

private:
    std::optional<std::string> ItemText(LRESULT index) const;

    HWND window_;
};

}  // namespace velmora::win32
