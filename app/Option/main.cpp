// Option's entry point. The main window's behaviour lives in src/; this file
// only wires the Win32 platform to it.
#include <windows.h>

namespace {

LRESULT CALLBACK BareProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    WNDCLASSEXW cls{sizeof(cls)};
    cls.lpfnWndProc = BareProc;
    cls.hInstance = instance;
    cls.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    cls.lpszClassName = L"VelmoraOption";
    RegisterClassExW(&cls);
    HMENU bar = CreateMenu();
    const wchar_t* titles[] = {L"ファイル(&F)", L"エクスプローラ(&E)", L"表示(&V)", L"ツール(&T)", L"ヘルプ(&H)"};
    for (const wchar_t* title : titles) AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(CreatePopupMenu()), title);
    HWND window = CreateWindowExW(0, cls.lpszClassName, L"Option", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                  819, 435, nullptr, bar, instance, nullptr);
    ShowWindow(window, show);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
