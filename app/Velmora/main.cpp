// Velmora's entry point: wires the Win32 platform to the main form and runs
// the message loop. The form's behaviour lives in src/.
// The other system headers need the types of windows.h.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
// clang-format on

#include <string>

#include "platform/Desktop.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32Explorer.h"
#include "platform/win32/Win32MainWindow.h"
#include "platform/win32/Win32Processes.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32WindowManager.h"
#include "platform/win32/kit/WinString.h"
#include "settings/ProfileStore.h"
#include "shell/MainForm.h"

namespace {

std::string ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const size_t slash = path.find_last_of(L'\\');
    return velmora::win32::Narrow(slash == std::wstring::npos ? path : path.substr(0, slash));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    using namespace velmora;
    // Drag and drop and the shell's objects need OLE on this thread.
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    int exitCode = 0;
    {
        win32::Win32MainWindow window(instance);
        win32::Win32WindowManager windows;
        win32::Win32ExplorerFactory explorers;
        win32::Win32Processes processes;
        win32::Win32Shell shell;
        win32::Win32Clipboard clipboard;
        win32::Win32Clock clock;
        auto files = settings::MakeHostFileSystem();
        auto codePage = settings::MakeHostCodePage();
        platform::ProgramInfo program{ProgramFolder(), "Velmora", VELMORA_VERSION_MAJOR, VELMORA_VERSION_MINOR,
                                      VELMORA_VERSION_PATCH};
        platform::Desktop desktop{window,    windows, explorers, processes, shell,
                                  clipboard, clock,   *files,    *codePage, program};
        settings::ProfileStore store(*files, *codePage);
        shell::MainForm form(desktop, store);
        window.SetEvents(&form);
        if (window.LoadAndShow()) {
            MSG message;
            while (GetMessageW(&message, nullptr, 0, 0) > 0) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            exitCode = static_cast<int>(message.wParam);
        }
    }
    OleUninitialize();
    return exitCode;
}
