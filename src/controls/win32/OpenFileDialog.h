#pragma once

// modDialog: the platform's open-file dialog.
#include <windows.h>

#include <string>
#include <string_view>

namespace velmora::win32 {

// Shows the open-file dialog owned by owner, titled title, with the filter
// (description, NUL, pattern, NUL, ..., as the dialog takes it) and that
// filter selected (1-based). Returns the chosen file's full path, or empty text
// when the user cancelled or the dialog failed (a path longer than its
// 256-character buffer fails it).
std::string ShowOpenFileDialog(HWND owner, std::string_view filter, int filterIndex, std::string_view title);

}  // namespace velmora::win32
