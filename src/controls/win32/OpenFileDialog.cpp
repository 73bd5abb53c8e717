#include "controls/win32/OpenFileDialog.h"

#include <commdlg.h>

#include "platform/win32/kit/WinString.h"

namespace velmora::win32 {

std::string ShowOpenFileDialog(HWND owner, std::string_view filter, int filterIndex, std::string_view title) {
    // The filter list ends with an empty entry: make sure two NULs close it
    // whatever the caller's text ends with.
    std::wstring wideFilter = Widen(filter);
    wideFilter.append(2, L'\0');
    const std::wstring wideTitle = Widen(title);
    wchar_t file[256] = {};
    wchar_t fileTitle[256] = {};

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.hInstance = GetModuleHandleW(nullptr);
    dialog.lpstrFilter = wideFilter.c_str();
    dialog.nFilterIndex = static_cast<DWORD>(filterIndex);
    dialog.lpstrFile = file;
    dialog.nMaxFile = 256;
    dialog.lpstrFileTitle = fileTitle;
    dialog.nMaxFileTitle = 256;
    dialog.lpstrTitle = wideTitle.c_str();
    dialog.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    if (!GetOpenFileNameW(&dialog)) return {};
    return Narrow(file);
}

}  // namespace velmora::win32
