// Option's entry point: the settings form of Velmora. The form's behaviour
// lives in src/; this file wires the Win32 platform to it.
// commctrl.h needs the types of windows.h.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include "platform/win32/OptionWindow.h"
#include "platform/win32/kit/Com.h"
#include "platform/win32/kit/DllSearch.h"
#include "platform/win32/kit/ProgramFolder.h"
#include "settings/CodePage.h"
#include "settings/FileSystem.h"
#include "settings/ProfileStore.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    using namespace velmora;
    // Before anything else can load a DLL.
    win32::RestrictDllSearch();
    // Only the drops on the path and name fields need OLE: without it the form
    // works all the same, and those fields take no drops.
    const win32::OleApartment ole;
    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&classes);

    auto files = settings::MakeHostFileSystem();
    auto codePage = settings::MakeHostCodePage();
    settings::ProfileStore store(*files, *codePage);
    win32::OptionWindow form(store, win32::ProgramFolder(), ole.Joined());
    if (!form.Create(instance, show)) return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (form.PreTranslateMessage(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
