// Option's entry point: the settings form of Velmora. The form's behaviour
// lives in src/; this file wires the Win32 platform to it.
#include <windows.h>
// windows.h first: the headers below need its types.
#include <commctrl.h>
#include <ole2.h>

#include <memory>
#include <string>

#include "settings/CodePage.h"
#include "settings/FileSystem.h"
#include "platform/win32/OptionWindow.h"
#include "platform/win32/kit/WinString.h"
#include "settings/ProfileStore.h"

namespace {

// The folder holding Option.exe, where setting.ini lives.
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
    return velmora::win32::Narrow(slash == std::wstring::npos ? std::wstring() : path.substr(0, slash));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    // Single-threaded apartment: the drop targets on the form need OLE.
    const HRESULT ole = OleInitialize(nullptr);
    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&classes);

    int exitCode = 1;
    {
        std::unique_ptr<velmora::settings::FileSystem> files = velmora::settings::MakeHostFileSystem();
        std::unique_ptr<velmora::settings::CodePage> codePage = velmora::settings::MakeHostCodePage();
        velmora::settings::ProfileStore store(*files, *codePage);
        velmora::win32::OptionWindow form(store, ProgramFolder());
        if (form.Create(instance, show)) {
            MSG message;
            while (GetMessageW(&message, nullptr, 0, 0) > 0) {
                if (form.PreTranslateMessage(message)) continue;
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            exitCode = 0;
        }
    }
    if (SUCCEEDED(ole)) OleUninitialize();
    return exitCode;
}
