#include "platform/win32/kit/ProgramFolder.h"

#include <windows.h>

#include "platform/win32/kit/WinString.h"

namespace velmora::win32 {

std::string ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);  // a long path was cut: try a larger buffer
    }
    const std::size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::string() : Narrow(std::wstring_view(path).substr(0, slash));
}

std::string SystemFolder() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? Narrow(std::wstring_view(folder, length)) : std::string();
}

}  // namespace velmora::win32
