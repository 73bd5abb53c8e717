// Waits until a top-level window of the given class is visible; exit code 0
// when it appeared within the time-out, 1 otherwise. scripts/run uses it
// because windows inside Wine's virtual desktop are invisible to X tools.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    const DWORD timeout = static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10));
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeout) {
        HWND window = FindWindowW(argv[1], nullptr);
        if (window && IsWindowVisible(window)) return 0;
        Sleep(50);
    }
    return 1;
}
