#pragma once

// Drives the real Velmora.exe and Option.exe from another process under Wine: a program started in a folder of its
// own with a prepared setting.ini, real keys and mouse, controls read through window messages, message boxes
// answered, and setting.ini read back with the platform's own profile functions, a reader independent of ours.
#include <gtest/gtest.h>
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <tlhelp32.h>
// clang-format on

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "explorer/ExplorerPane.h"
#include "platform/win32/MainWindowIds.h"
#include "platform/win32/Win32WindowManager.h"
#include "platform/win32/kit/Com.h"
#include "platform/win32/kit/HandleCast.h"

namespace velmora::e2e {

// Where the build put the programs, as the build machine names it; a Unix path through Wine's drive for the root.
inline std::wstring BinaryFolder() {
    std::wstring folder = L"" VELMORA_BIN_DIR;
    if (folder.front() == L'/') folder = L"Z:" + folder;
    for (wchar_t& c : folder) c = c == L'/' ? L'\\' : c;
    return folder;
}

// Polls, handling this thread's messages meanwhile.
inline bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 10000) {
    for (const DWORD start = GetTickCount(); !condition(); Sleep(30)) {
        if (GetTickCount() - start > timeoutMs) return false;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    return true;
}

// A sent message that never blocks the driver on a hung or modal program.
inline LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 10000, &result);
    return static_cast<LRESULT>(result);
}

inline std::wstring Text(HWND window) {
    wchar_t text[512] = {};
    Send(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    return text;
}

// Sends a message whose lParam points at `data` copied into the receiving process, and copies it back: the common
// controls' structures are not carried across processes. A text field given points at a buffer there, returned.
template <class T>
std::wstring SendRemote(HWND window, UINT message, WPARAM wParam, T& data, LPWSTR* textField = nullptr) {
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, id);
    auto* remote = static_cast<char*>(VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE));
    wchar_t text[512] = {};
    if (textField) *textField = reinterpret_cast<LPWSTR>(remote + 1024);
    WriteProcessMemory(process, remote, &data, sizeof data, nullptr);
    Send(window, message, wParam, reinterpret_cast<LPARAM>(remote));
    ReadProcessMemory(process, remote, &data, sizeof data, nullptr);
    ReadProcessMemory(process, remote + 1024, text, sizeof text - sizeof(wchar_t), nullptr);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return text;
}

// The captions of a tab strip's tabs.
inline std::vector<std::wstring> Tabs(HWND strip) {
    std::vector<std::wstring> tabs(static_cast<size_t>(Send(strip, TCM_GETITEMCOUNT)));
    for (size_t i = 0; i < tabs.size(); ++i) {
        TCITEMW tab{TCIF_TEXT};
        tab.cchTextMax = 512;
        tabs[i] = SendRemote(strip, TCM_GETITEMW, i, tab, &tab.pszText);
    }
    return tabs;
}

// On the screen, as is everything the input takes.
inline RECT ScreenRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

inline POINT Centre(HWND window) {
    const RECT rect = ScreenRect(window);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

inline POINT TabCentre(HWND strip, int tab) {
    RECT rect{};
    SendRemote(strip, TCM_GETITEMRECT, static_cast<WPARAM>(tab), rect);
    POINT centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ClientToScreen(strip, &centre);
    return centre;
}

// A visible top-level window of the class, of that process when one is given.
inline HWND TopLevel(const wchar_t* className, DWORD processId = 0) {
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, className, nullptr)) != nullptr;) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if ((processId == 0 || owner == processId) && IsWindowVisible(window)) return window;
    }
    return nullptr;
}

// Real input through the system's queue; Wine's keyboard follows the pointer.
inline void Input(INPUT input) {
    SendInput(1, &input, sizeof(input));
    Sleep(30);
}
inline void Mouse(DWORD flags) { Input({INPUT_MOUSE, {.mi = {0, 0, 0, flags}}}); }
inline void Key(WORD key, DWORD flags = 0) {
    Input({INPUT_KEYBOARD, {.ki = {key, static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)), flags}}});
}

inline void MoveTo(POINT screen) {
    // No SetCursorPos, and the position is checked until it stays: under Wine's virtual desktop a motion the X server
    // reports late can put the pointer back where it was, and the click or drop that follows lands there.
    INPUT input{INPUT_MOUSE};
    input.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXVIRTUALSCREEN) - 1);
    input.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYVIRTUALSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
    for (int attempt = 0, stayed = 0; attempt < 10 && stayed < 2; ++attempt) {
        if (stayed == 0) SendInput(1, &input, sizeof(input));
        Sleep(60 * (stayed + 1));
        POINT now{};
        GetCursorPos(&now);
        stayed = now.x == screen.x && now.y == screen.y ? stayed + 1 : 0;
    }
}

// A button's press flag (MOUSEEVENTF_LEFTDOWN, ...): its release flag is the one after it.
inline void Click(POINT screen, DWORD press = MOUSEEVENTF_LEFTDOWN, int times = 1) {
    MoveTo(screen);
    for (int click = 0; click < times; ++click)
        for (DWORD flags : {press, press << 1}) Mouse(flags);
}

// Pressed in order, held a moment if asked, released in reverse.
inline void Keys(std::initializer_list<WORD> keys, DWORD holdMs = 0) {
    for (WORD key : keys) Key(key);
    Sleep(holdMs);
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) Key(*key, KEYEVENTF_KEYUP);
}

// The left button pressed at `from`, moved in steps to `to` and let go there; with Escape held a moment first.
inline void Drag(POINT from, POINT to, bool escape = false) {
    MoveTo(from);
    Mouse(MOUSEEVENTF_LEFTDOWN);
    for (int step = 1; step <= 4; ++step)
        MoveTo({from.x + (to.x - from.x) * step / 4, from.y + (to.y - from.y) * step / 4});
    if (escape) Keys({VK_ESCAPE}, 200);
    Mouse(MOUSEEVENTF_LEFTUP);
}

// Drops after a few rounds, as a user releasing the button over the target.
class DropSource final : public IDropSource {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = iid == IID_IUnknown || iid == IID_IDropSource ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // on the stack of the drag
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL, DWORD) override { return ++rounds_ < 4 ? S_OK : DRAGDROP_S_DROP; }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    int rounds_ = 0;
};

// Drags a file from this process to the pointer, Ctrl held if asked; the target's effect.
inline DWORD DropFile(const std::wstring& file, bool ctrl = false) {
    // The shell's own data object for the file, as Explorer drags it.
    win32::OleApartment ole;
    PIDLIST_ABSOLUTE item = nullptr;
    PCUITEMID_CHILD child = nullptr;
    win32::ComPtr<IShellFolder> parent;
    win32::ComPtr<IDataObject> data;
    DWORD effect = DROPEFFECT_NONE;
    if (SUCCEEDED(SHParseDisplayName(file.c_str(), nullptr, &item, 0, nullptr)) &&
        SUCCEEDED(SHBindToParent(item, IID_IShellFolder, parent.PutVoid(), &child)) &&
        SUCCEEDED(parent->GetUIObjectOf(nullptr, 1, &child, IID_IDataObject, nullptr, data.PutVoid()))) {
        // The drag reads the modifier keys from this thread's keyboard state.
        BYTE keys[256] = {};
        keys[VK_CONTROL] = keys[VK_LCONTROL] = ctrl ? 0x80 : 0;
        SetKeyboardState(keys);
        DropSource source;
        DoDragDrop(data.Get(), &source, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &effect);
        keys[VK_CONTROL] = keys[VK_LCONTROL] = 0;
        SetKeyboardState(keys);
    }
    CoTaskMemFree(item);
    return effect;
}

// A fresh folder in the temporary folder, with empty files; removed with its content.
struct Folder {
    explicit Folder(std::initializer_list<const wchar_t*> files = {})
        : path(std::filesystem::temp_directory_path() /
               (L"velmora-e2e-" + std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(++made))) {
        CreateDirectoryW(path.c_str(), nullptr);
        for (const wchar_t* file : files)
            CloseHandle(CreateFileW((*this / file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
    ~Folder() {
        // A program just ended may hold its files a moment longer.
        std::error_code error;
        WaitFor([&] { return std::filesystem::remove_all(path, error) != ~std::uintmax_t{0}; }, 5000);
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    std::wstring operator/(const std::wstring& name) const { return path + L"\\" + name; }
    std::wstring Name() const { return path.substr(path.rfind(L'\\') + 1); }
    bool Has(const wchar_t* name) const { return std::filesystem::exists(*this / name); }

    static inline int made = 0;  // so far, for fresh names
    const std::wstring path;
};

// Velmora started from a folder of its own, as Explorer starts it, with Option.exe beside it.
class Program {
public:
    // Copies both programs from the build, writes setting.ini in the system's code page (as the programs do) unless
    // `settings` is empty, starts Velmora and waits until it shows its window or a box, or ends.
    explicit Program(std::wstring_view settings) {
        for (const wchar_t* exe : {L"Velmora.exe", L"Option.exe"})
            CopyFileW((BinaryFolder() + L"\\" + exe).c_str(), (folder_ / exe).c_str(), FALSE);
        if (!settings.empty()) {
            std::string bytes(settings.size() * 2, '\0');
            bytes.resize(static_cast<size_t>(WideCharToMultiByte(CP_ACP, 0, settings.data(),
                                                                 static_cast<int>(settings.size()), bytes.data(),
                                                                 static_cast<int>(bytes.size()), nullptr, nullptr)));
            std::ofstream(std::filesystem::path(folder_ / L"setting.ini"), std::ios::binary) << bytes;
        }
        std::wstring commandLine = L"\"" + (folder_ / L"Velmora.exe") + L"\"";
        STARTUPINFOW startup{sizeof(startup)};
        CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder_.path.c_str(), &startup,
                       &process_);
        CloseHandle(process_.hThread);
        const auto shown = [&] {
            return (main_ = TopLevel(win32::ids::kMainWindowClass, Id())) || TopLevel(L"#32770", Id());
        };
        WaitFor([&] { return shown() || WaitForExit(0); }, 20000);
        Sync();
    }
    // Ends the program, and what a test started and left running: fixtures, and the Option.exe Velmora starts. (Not
    // through a job: Velmora may be the one to start Wine's own processes, such as its desktop.)
    ~Program() {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        PROCESSENTRY32W entry{sizeof(entry)};
        for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
            if (entry.th32ProcessID != Id() && wcsncmp(entry.szExeFile, L"fixture_", 8) != 0 &&
                lstrcmpiW(entry.szExeFile, L"Option.exe") != 0)
                continue;
            HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
            TerminateProcess(process, 99);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
        CloseHandle(snapshot);
        CloseHandle(process_.hProcess);
    }

    HWND Main() const { return main_; }
    DWORD Id() const { return process_.dwProcessId; }
    // A control by id in the main window or in one of its children (Velmora's frames).
    HWND Control(int id) const {
        HWND found = GetDlgItem(main_, id);
        for (HWND child = GetWindow(main_, GW_CHILD); child && !found; child = GetWindow(child, GW_HWNDNEXT))
            found = GetDlgItem(child, id);
        return found;
    }
    // Sent, so it returns once the program has handled it.
    bool Command(unsigned id) const { return SendNow(WM_COMMAND, id); }
    bool Sync() const { return SendNow(WM_NULL, 0); }  // once the program has handled what was sent before
    bool MenuOpen() const { return TopLevel(L"#32768", Id()) != nullptr; }  // a popup, or one of the menu bar
    // Right-clicks a tab and picks a popup entry by its mnemonic.
    void Popup(HWND strip, int tab, WORD mnemonic) const {
        // A press that comes while Wine still moves the activation away from another program's window opens a menu
        // the activation closes at once: pressed again, as the user would.
        bool open = false;
        for (int attempt = 0; attempt < 3 && !open; ++attempt) {
            Click(TabCentre(strip, tab), MOUSEEVENTF_RIGHTDOWN);
            open = WaitFor([&] { return MenuOpen(); }, 1500);
        }
        ASSERT_TRUE(open) << "no popup menu";
        Keys({mnemonic});
        ASSERT_TRUE(WaitFor([&] { return !MenuOpen(); }, 3000));
        Sync();
    }
    std::optional<std::wstring> Read(const wchar_t* section, const wchar_t* key) const {
        // A default no real value has tells a missing key from an empty one.
        wchar_t value[1024] = {};
        GetPrivateProfileStringW(section, key, L"\x01", value, 1024, (folder_ / L"setting.ini").c_str());
        if (wcscmp(value, L"\x01") == 0) return std::nullopt;
        return value;
    }
    void Close() const { PostMessageW(main_, WM_CLOSE, 0, 0); }
    bool WaitForExit(DWORD timeoutMs = 20000) const { return WaitForSingleObject(process_.hProcess, timeoutMs) == 0; }

private:
    bool SendNow(UINT message, WPARAM wParam) const {
        return SendMessageTimeoutW(main_, message, wParam, 0, SMTO_ABORTIFHUNG, 10000, nullptr) != 0;
    }

    Folder folder_;
    PROCESS_INFORMATION process_{};
    HWND main_ = nullptr;
};

// Velmora's panes: 0 and 1 the Explorer panes, 2 the application pane, their controls numbered in that order.
inline HWND Strip(const Program& velmora, int pane) { return velmora.Control(win32::ids::kTabStrip1_0 + pane); }
inline HWND Frame(const Program& velmora, int pane) { return velmora.Control(win32::ids::kFrameApp0 + pane); }
inline HWND Hosted(const Program& velmora, int pane) { return GetWindow(Frame(velmora, pane), GW_CHILD); }
// The file list of an Explorer pane's window, found by Velmora's own search.
inline HWND List(const Program& velmora, int pane) {
    win32::Win32WindowManager windows;
    HWND explorer = Hosted(velmora, pane);
    return explorer ? win32::ToHwnd(explorer::FindFileList(windows, win32::FromHwnd(explorer))) : nullptr;
}

}  // namespace velmora::e2e
