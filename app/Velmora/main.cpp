// Velmora's entry point: wires the Win32 platform to the main form and runs
// the message loop. The form's behaviour lives in src/.
// commctrl.h needs the types of windows.h.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <cwchar>
#include <memory>

#include "platform/Desktop.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32Explorer.h"
#include "platform/win32/Win32MainWindow.h"
#include "platform/win32/Win32Processes.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32Trace.h"
#include "platform/win32/Win32WindowManager.h"
#include "platform/win32/LastResort.h"
#include "platform/win32/kit/Com.h"
#include "platform/win32/kit/DllSearch.h"
#include "platform/win32/kit/ProgramFolder.h"
#include "settings/ProfileStore.h"
#include "shell/MainForm.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    using namespace velmora;
    // Before anything else can load a DLL, or crash with other programs' windows inside ours.
    win32::RestrictDllSearch();
    win32::last_resort::InstallCrashHandlers();
    // Asked for, a timing trace covers the whole start.
    const std::unique_ptr<platform::Trace> trace = win32::TraceFromEnvironment(win32::ProgramFolder());
    // The Explorer panes and every drop need OLE on this thread: without it
    // Velmora cannot do its work, so it says why and ends before any window.
    const win32::OleApartment ole;
    if (!ole.Joined()) {
        wchar_t text[128];
        std::swprintf(text, std::size(text), L"OLE を初期化できませんでした (0x%08lX)。Velmora を終了します。",
                      static_cast<unsigned long>(ole.Result()));
        MessageBoxW(nullptr, text, L"Velmora", MB_OK | MB_ICONERROR);
        return 1;
    }
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    win32::Win32MainWindow window(instance);
    if (trace) trace->Step("main window made");
    win32::Win32WindowManager windows;
    win32::Win32ExplorerFactory explorers;
    win32::Win32Processes processes;
    win32::Win32Shell shell;
    win32::Win32Clipboard clipboard;
    win32::Win32Clock clock;
    auto files = settings::MakeHostFileSystem();
    auto codePage = settings::MakeHostCodePage();
    platform::ProgramInfo program{win32::ProgramFolder(), "Velmora", win32::SystemFolder(), VELMORA_VERSION_MAJOR,
                                  VELMORA_VERSION_MINOR, VELMORA_VERSION_PATCH};
    platform::Desktop desktop{window,    windows, explorers, processes, shell,
                              clipboard, clock,   *files,    *codePage, program};
    desktop.trace = trace.get();
    settings::ProfileStore store(*files, *codePage);
    shell::MainForm form(desktop, store);
    window.SetEvents(&form);
    if (!window.LoadAndShow()) return 0;
    if (trace) trace->Step("shown and painted");
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
