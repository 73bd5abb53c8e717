#include "e2e/Driver.h"

#include <shlobj.h>
#include <tlhelp32.h>

#include <filesystem>
#include <fstream>

#include "explorer/ExplorerPane.h"
#include "platform/win32/Win32WindowManager.h"
#include "platform/win32/kit/Com.h"
#include "platform/win32/kit/HandleCast.h"

namespace velmora::e2e {
namespace {

int folders = 0;  // made so far, for fresh names

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

// Ends what a test started and left running: fixtures, and the Option.exe Velmora starts.
void EndStrays() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{sizeof(entry)};
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (wcsncmp(entry.szExeFile, L"fixture_", 8) != 0 && lstrcmpiW(entry.szExeFile, L"Option.exe") != 0) continue;
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
        TerminateProcess(process, 99);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }
    CloseHandle(snapshot);
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

// The drag reads the modifier keys from this thread's keyboard state.
void HoldControl(bool held) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = keys[VK_LCONTROL] = held ? 0x80 : 0;
    SetKeyboardState(keys);
}

void Input(DWORD mouseFlags) {
    INPUT input{INPUT_MOUSE, {.mi = {0, 0, 0, mouseFlags}}};
    SendInput(1, &input, sizeof(input));
    Sleep(30);
}

void Stroke(WORD key, DWORD flags) {
    INPUT input{INPUT_KEYBOARD, {.ki = {key, static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)), flags}}};
    SendInput(1, &input, sizeof(input));
    Sleep(30);
}

}  // namespace

std::wstring BinaryFolder() {
    // Named as the build machine sees it; a Unix path is reached through Wine's drive for the host's root.
    std::wstring folder = L"" VELMORA_BIN_DIR;
    if (folder.front() == L'/') folder = L"Z:" + folder;
    for (wchar_t& c : folder) c = c == L'/' ? L'\\' : c;
    return folder;
}

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
    for (const DWORD start = GetTickCount(); !condition(); Sleep(30)) {
        if (GetTickCount() - start > timeoutMs) return false;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    return true;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 10000, &result);
    return static_cast<LRESULT>(result);
}

std::wstring Text(HWND window) {
    wchar_t text[512] = {};
    Send(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    return text;
}

bool IsClass(HWND window, const wchar_t* name) {
    wchar_t actual[64] = {};
    GetClassNameW(window, actual, 64);
    return lstrcmpiW(actual, name) == 0;
}

int ItemCount(HWND control) {
    const bool tabs = IsClass(control, WC_TABCONTROLW), combo = IsClass(control, WC_COMBOBOXW);
    return static_cast<int>(Send(control, tabs ? TCM_GETITEMCOUNT : combo ? CB_GETCOUNT : LVM_GETITEMCOUNT));
}

std::wstring ItemText(HWND control, int item, int column) {
    if (IsClass(control, WC_TABCONTROLW)) {
        TCITEMW tab{TCIF_TEXT};
        tab.cchTextMax = 512;
        return SendRemote(control, TCM_GETITEMW, static_cast<WPARAM>(item), tab, &tab.pszText);
    }
    LVITEMW cell{};
    cell.iSubItem = column;
    cell.cchTextMax = 512;
    return SendRemote(control, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), cell, &cell.pszText);
}

std::vector<std::wstring> Items(HWND control) {
    std::vector<std::wstring> items;
    for (int item = 0; item < ItemCount(control); ++item) items.push_back(ItemText(control, item));
    return items;
}

RECT ScreenRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

POINT Centre(HWND window) {
    const RECT rect = ScreenRect(window);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

POINT TabCentre(HWND strip, int tab) {
    RECT rect{};
    SendRemote(strip, TCM_GETITEMRECT, static_cast<WPARAM>(tab), rect);
    POINT centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ClientToScreen(strip, &centre);
    return centre;
}

HWND TopLevel(const wchar_t* className, DWORD processId) {
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, className, nullptr)) != nullptr;) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if ((processId == 0 || owner == processId) && IsWindowVisible(window)) return window;
    }
    return nullptr;
}

HWND WaitForBox(DWORD processId, DWORD timeoutMs) {
    HWND box = nullptr;
    WaitFor([&] { return (box = TopLevel(L"#32770", processId)) != nullptr; }, timeoutMs);
    return box;
}

std::wstring BoxText(HWND box) {
    for (HWND child = nullptr; (child = FindWindowExW(box, child, L"Static", nullptr)) != nullptr;) {
        if (std::wstring text = Text(child); !text.empty()) return text;
    }
    return {};
}

void Answer(HWND box) {
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    WaitFor([&] { return !IsWindow(box); }, 5000);
}

HWND FileList(HWND explorer) {
    win32::Win32WindowManager windows;
    return explorer ? win32::ToHwnd(explorer::FindFileList(windows, win32::FromHwnd(explorer))) : nullptr;
}

void MoveTo(POINT screen) {
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

void Click(POINT screen, Button button, int times) {
    MoveTo(screen);
    // Each button's release flag is the one after its press flag.
    for (int click = 0; click < times; ++click)
        for (DWORD flags : {static_cast<DWORD>(button), static_cast<DWORD>(button) << 1}) Input(flags);
}

void Keys(std::initializer_list<WORD> keys) {
    for (WORD key : keys) Stroke(key, 0);
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) Stroke(*key, KEYEVENTF_KEYUP);
}

void Drag(POINT from, POINT to, bool escape) {
    MoveTo(from);
    Input(MOUSEEVENTF_LEFTDOWN);
    for (int step = 1; step <= 4; ++step)
        MoveTo({from.x + (to.x - from.x) * step / 4, from.y + (to.y - from.y) * step / 4});
    if (escape) {
        Stroke(VK_ESCAPE, 0);
        Sleep(200);
        Stroke(VK_ESCAPE, KEYEVENTF_KEYUP);
    }
    Input(MOUSEEVENTF_LEFTUP);
}

DWORD DropFiles(const std::vector<std::wstring>& files, bool ctrl) {
    // The shell's own data object for the files, as Explorer drags them.
    win32::OleApartment ole;
    std::vector<PIDLIST_ABSOLUTE> items(files.size());
    std::vector<PCUITEMID_CHILD> children;
    for (size_t i = 0; i < files.size(); ++i) {
        SHParseDisplayName(files[i].c_str(), nullptr, &items[i], 0, nullptr);
        children.push_back(ILFindLastID(items[i]));
    }
    win32::ComPtr<IShellFolder> parent;
    win32::ComPtr<IDataObject> data;
    DWORD effect = DROPEFFECT_NONE;
    if (SUCCEEDED(SHBindToParent(items[0], IID_IShellFolder, parent.PutVoid(), nullptr)) &&
        SUCCEEDED(parent->GetUIObjectOf(nullptr, static_cast<UINT>(children.size()), children.data(), IID_IDataObject,
                                        nullptr, data.PutVoid()))) {
        HoldControl(ctrl);
        DropSource source;
        DoDragDrop(data.Get(), &source, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &effect);
        HoldControl(false);
    }
    for (PIDLIST_ABSOLUTE item : items) CoTaskMemFree(item);
    return effect;
}

Folder::Folder(std::initializer_list<const wchar_t*> files)
    : path(std::filesystem::temp_directory_path() /
           (L"velmora-e2e-" + std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(++folders))) {
    CreateDirectoryW(path.c_str(), nullptr);
    for (const wchar_t* file : files)
        CloseHandle(CreateFileW((*this / file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
}

Folder::~Folder() {
    // A program just ended may hold its files a moment longer.
    WaitFor([this] { return std::filesystem::remove_all(path, removalError) != ~std::uintmax_t{0}; }, 5000);
}

Program::Program(const wchar_t* exe, const wchar_t* windowClass, std::wstring_view settings,
                 std::initializer_list<const wchar_t*> alsoCopy) {
    CopyFileW((BinaryFolder() + L"\\" + exe).c_str(), (folder_ / exe).c_str(), FALSE);
    for (const wchar_t* name : alsoCopy)
        CopyFileW((BinaryFolder() + L"\\" + name).c_str(), (folder_ / name).c_str(), FALSE);
    if (!settings.empty()) {
        std::string bytes(settings.size() * 2, '\0');
        bytes.resize(
            static_cast<size_t>(WideCharToMultiByte(CP_ACP, 0, settings.data(), static_cast<int>(settings.size()),
                                                    bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr)));
        std::ofstream(std::filesystem::path(folder_ / L"setting.ini"), std::ios::binary) << bytes;
    }
    std::wstring commandLine = L"\"" + (folder_ / exe) + L"\"";
    STARTUPINFOW startup{sizeof(startup)};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder_.path.c_str(),
                        &startup, &process_))
        return;
    CloseHandle(process_.hThread);
    WaitFor([&] { return (main_ = TopLevel(windowClass, Id())) || TopLevel(L"#32770", Id()) || WaitForExit(0); },
            20000);
    Sync();
}

Program::~Program() {
    TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 5000);
    CloseHandle(process_.hProcess);
    EndStrays();
}

HWND Program::Control(int id) const {
    HWND found = GetDlgItem(main_, id);
    for (HWND child = GetWindow(main_, GW_CHILD); child && !found; child = GetWindow(child, GW_HWNDNEXT))
        found = GetDlgItem(child, id);
    return found;
}

bool Program::Command(int id, bool post) const {
    // As a menu sends it, or a button, then with its handle (BN_CLICKED is 0).
    const LPARAM button = reinterpret_cast<LPARAM>(GetDlgItem(main_, id));
    if (post) return PostMessageW(main_, WM_COMMAND, static_cast<WPARAM>(id), button) != 0;
    return SendMessageTimeoutW(main_, WM_COMMAND, static_cast<WPARAM>(id), button, SMTO_ABORTIFHUNG, 10000, nullptr);
}

bool Program::Sync() const { return SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, nullptr); }

void Program::Popup(HWND strip, int tab, WORD mnemonic) const {
    // A press that comes while Wine still moves the activation away from another program's window opens a menu the
    // activation closes at once: pressed again, as the user would.
    bool open = false;
    for (int attempt = 0; attempt < 3 && !open; ++attempt) {
        Click(TabCentre(strip, tab), Button::Right);
        open = WaitFor([&] { return MenuOpen(); }, 1500);
    }
    ASSERT_TRUE(open) << "no popup menu";
    Keys({mnemonic});
    ASSERT_TRUE(WaitFor([&] { return !MenuOpen(); }, 3000));
    Sync();
}

std::optional<std::wstring> Program::Read(const wchar_t* section, const wchar_t* key) const {
    // A default no real value has tells a missing key from an empty one.
    wchar_t value[1024] = {};
    GetPrivateProfileStringW(section, key, L"\x01", value, 1024, (folder_ / L"setting.ini").c_str());
    if (wcscmp(value, L"\x01") == 0) return std::nullopt;
    return value;
}

bool Program::WaitForExit(DWORD timeoutMs) const { return WaitForSingleObject(process_.hProcess, timeoutMs) == 0; }

}  // namespace velmora::e2e
