#pragma once

// UTF-8 inside, UTF-16 at the Win32 edge.
#include <string>
#include <string_view>

namespace velmora::win32 {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

}  // namespace velmora::win32
