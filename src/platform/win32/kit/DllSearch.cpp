#include "platform/win32/kit/DllSearch.h"

#include <windows.h>

namespace velmora::win32 {

void RestrictDllSearch() {
    // Looked up at run time: systems before Windows 8 without the 2011 loader update do not have it.
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefault != nullptr && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
    SetDllDirectoryW(L"");
}

}  // namespace velmora::win32
