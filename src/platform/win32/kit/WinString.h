#pragma once

// UTF-8 inside, UTF-16 at the Win32 edge.
#include <windows.h>

#include <string>
#include <string_view>

namespace velmora::win32 {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

// A window's text (an edit box's content, a caption) in UTF-8.
std::string GetWindowTextUtf8(HWND window);
void SetWindowTextUtf8(HWND window, std::string_view text);

}  // namespace velmora::win32
