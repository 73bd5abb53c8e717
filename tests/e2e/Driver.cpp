#include "e2e/Driver.h"

// commctrl.h needs the types of windows.h.
// clang-format off
#include <commctrl.h>
#include <shellapi.h>
// clang-format on

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <vector>

#include "e2e/OptionDriver.h"
#include "explorer/ExplorerPane.h"
#include "platform/win32/MainWindowIds.h"
#include "platform/win32/Win32WindowManager.h"
#include "platform/win32/kit/HandleCast.h"

namespace velmora::e2e {
namespace {

// A sent message that never blocks the driver on a hung program.
bool SendWithin(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result = nullptr) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 10000,
                               result != nullptr ? result : &ignored) != 0;
}

// Memory inside another program, for the messages whose structures and
// buffers must live in the receiving process.
class RemoteMemory {
public:
    RemoteMemory(HWND window, SIZE_T size) {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
        if (process_ != nullptr) address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    }
    ~RemoteMemory() {
        if (address_ != nullptr) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        if (process_ != nullptr) CloseHandle(process_);
    }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    char* At(SIZE_T offset) const { return static_cast<char*>(address_) + offset; }
    void Write(SIZE_T offset, const void* data, SIZE_T size) const {
        WriteProcessMemory(process_, At(offset), data, size, nullptr);
    }
    void Read(SIZE_T offset, void* data, SIZE_T size) const {
        ReadProcessMemory(process_, At(offset), data, size, nullptr);
    }

private:
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
};

constexpr int kTextMax = 512;

// Sends a message whose last parameter points at a structure in the target,
// followed by a text buffer, and returns that text.
template <class Item>
std::wstring RemoteText(HWND window, UINT message, WPARAM wParam, Item item) {
    RemoteMemory memory(window, sizeof(Item) + kTextMax * sizeof(wchar_t));
    item.pszText = reinterpret_cast<wchar_t*>(memory.At(sizeof(Item)));
    item.cchTextMax = kTextMax;
    memory.Write(0, &item, sizeof(item));
    SendWithin(window, message, wParam, reinterpret_cast<LPARAM>(memory.At(0)));
    wchar_t text[kTextMax] = {};
    memory.Read(sizeof(Item), text, sizeof(text));
    text[kTextMax - 1] = L'\0';
    return text;
}

}  // namespace

std::wstring ToWide(std::string_view text, UINT codePage) {
    if (text.empty()) return {};
    const int count = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(count), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), count);
    return wide;
}

std::string FromWide(std::wstring_view wide, UINT codePage) {
    if (wide.empty()) return {};
    const int count =
        WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(count), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(), count, nullptr, nullptr);
    return bytes;
}

PROCESS_INFORMATION StartProgram(const std::wstring& program, const std::wstring& folder) {
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &process)) {
        return {};
    }
    CloseHandle(process.hThread);
    process.hThread = nullptr;
    return process;
}

std::wstring BinaryFolder() {
    // The build writes the folder as the build machine sees it; a Unix path
    // is reached through Wine's drive for the host's root.
    std::wstring folder = ToWide(VELMORA_BIN_DIR);
    if (!folder.empty() && folder.front() == L'/') folder = L"Z:" + folder;
    for (wchar_t& c : folder) {
        if (c == L'/') c = L'\\';
    }
    return folder;
}

ProgramFolder::ProgramFolder() {
    static std::atomic<unsigned> counter{0};
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + L"velmora-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(counter.fetch_add(1)) + L"-" + std::to_wstring(GetTickCount());
    if (!CreateDirectoryW(path_.c_str(), nullptr)) throw std::runtime_error("cannot create the program folder");
    if (!CopyFileW((BinaryFolder() + L"\\Velmora.exe").c_str(), Program().c_str(), FALSE)) {
        throw std::runtime_error("cannot copy Velmora.exe");
    }
}

ProgramFolder::~ProgramFolder() {
    std::wstring from = path_;
    from.push_back(L'\0');
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationW(&op);
}

void ProgramFolder::WriteSettings(std::string_view utf8) {
    const std::string bytes = FromWide(ToWide(utf8), CP_ACP);
    HANDLE file =
        CreateFileW(Settings().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write setting.ini");
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

bool ProgramFolder::SettingsExist() const { return GetFileAttributesW(Settings().c_str()) != INVALID_FILE_ATTRIBUTES; }

std::optional<std::wstring> ProgramFolder::Read(const wchar_t* section, const wchar_t* key) const {
    // A default no real value has tells a missing key from an empty one.
    constexpr wchar_t kMissing[] = L"\x01missing\x01";
    std::vector<wchar_t> buffer(4096);
    GetPrivateProfileStringW(section, key, kMissing, buffer.data(), static_cast<DWORD>(buffer.size()),
                             Settings().c_str());
    std::wstring value(buffer.data());
    if (value == kMissing) return std::nullopt;
    return value;
}

Velmora::Velmora(const ProgramFolder& folder) {
    const std::wstring program = folder.Program();
    process_ = StartProgram(program, folder.Path());
}

Velmora::~Velmora() {
    if (process_.hProcess == nullptr) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.hProcess, 99);
        WaitForSingleObject(process_.hProcess, 5000);
    }
    CloseHandle(process_.hProcess);
}

HWND Velmora::FindMainWindow() const {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, win32::ids::kMainWindowClass, nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == process_.dwProcessId) return window;
    }
    return nullptr;
}

bool Velmora::WaitForMainWindow(DWORD timeoutMs) {
    if (!Started()) return false;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        HWND window = FindMainWindow();
        if (window != nullptr && IsWindowVisible(window)) {
            main_ = window;
            return Sync();
        }
        if (WaitForSingleObject(process_.hProcess, 20) != WAIT_TIMEOUT) return false;
    }
    return false;
}

bool Velmora::Sync() const { return main_ != nullptr && SendWithin(main_, WM_NULL, 0, 0); }

bool Velmora::Command(unsigned commandId) const {
    return main_ != nullptr && SendWithin(main_, WM_COMMAND, MAKEWPARAM(commandId, 0), 0);
}

HWND Velmora::Control(int id) const {
    if (main_ == nullptr) return nullptr;
    if (HWND direct = GetDlgItem(main_, id)) return direct;
    for (int frame : {win32::ids::kPicFrame0, win32::ids::kPicFrame1, win32::ids::kPicFrame2}) {
        if (HWND inside = GetDlgItem(GetDlgItem(main_, frame), id)) return inside;
    }
    return nullptr;
}

RECT Velmora::RectInParent(int id) const {
    RECT rect{};
    HWND control = Control(id);
    if (control == nullptr) return rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, GetAncestor(control, GA_PARENT), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

HWND Velmora::WaitForMessageBox(DWORD timeoutMs) const {
    HWND box = nullptr;
    WaitFor(
        [&] {
            while ((box = FindWindowExW(nullptr, box, L"#32770", nullptr)) != nullptr) {
                DWORD owner = 0;
                GetWindowThreadProcessId(box, &owner);
                if (owner == process_.dwProcessId && IsWindowVisible(box)) return true;
            }
            return false;
        },
        timeoutMs);
    return box;
}

bool Velmora::Visible(int id) const {
    HWND control = Control(id);
    return control != nullptr && (GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

void Velmora::Close() const { PostMessageW(main_, WM_CLOSE, 0, 0); }

bool Velmora::WaitForExit(DWORD timeoutMs) const {
    return Started() && WaitForSingleObject(process_.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

DWORD Velmora::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (Started()) GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

void MouseMoveTo(POINT screen) {
    // The pointer is warped, then moved there through the input queue as a
    // real mouse moves it, twice. Under Wine less falls short (measured):
    // after a warp alone the window sees each position one motion late, after
    // an injected move alone the button presses that follow miss the window
    // under the pointer, and a single injected move is now and then seen only
    // when the next input comes. A repeated position is harmless: the window
    // is told the same place again.
    SetCursorPos(screen.x, screen.y);
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input.mi.dx = MulDiv(screen.x, 65535, width - 1);
    input.mi.dy = MulDiv(screen.y, 65535, height - 1);
    SendInput(1, &input, sizeof(input));
    Sleep(30);
    SendInput(1, &input, sizeof(input));
}

void MouseButton(bool down) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    SendInput(1, &input, sizeof(input));
}

void Settle(const Velmora& program, DWORD ms) {
    Sleep(ms);
    program.Sync();
}

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        Sleep(50);
    }
}

int TabCount(HWND strip) {
    DWORD_PTR count = 0;
    SendWithin(strip, TCM_GETITEMCOUNT, 0, 0, &count);
    return static_cast<int>(count);
}

std::wstring TabCaption(HWND strip, int tab) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    return RemoteText(strip, TCM_GETITEMW, static_cast<WPARAM>(tab - 1), item);
}

std::vector<std::wstring> TabCaptions(HWND strip) {
    std::vector<std::wstring> captions;
    for (int tab = 1; tab <= TabCount(strip); ++tab) captions.push_back(TabCaption(strip, tab));
    return captions;
}

POINT TabCentre(HWND strip, int tab) {
    RemoteMemory memory(strip, sizeof(RECT));
    SendWithin(strip, TCM_GETITEMRECT, static_cast<WPARAM>(tab - 1), reinterpret_cast<LPARAM>(memory.At(0)));
    RECT rect{};
    memory.Read(0, &rect, sizeof(rect));
    POINT centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    MapWindowPoints(strip, HWND_DESKTOP, &centre, 1);
    return centre;
}

std::vector<std::wstring> ListTexts(HWND list) {
    std::vector<std::wstring> texts;
    DWORD_PTR count = 0;
    SendWithin(list, LVM_GETITEMCOUNT, 0, 0, &count);
    for (DWORD_PTR index = 0; index < count; ++index)
        texts.push_back(RemoteText(list, LVM_GETITEMTEXTW, index, LVITEMW{}));
    return texts;
}

DWORD ExtendedStyle(HWND list) {
    DWORD_PTR style = 0;
    SendWithin(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0, &style);
    return static_cast<DWORD>(style);
}

HWND FileList(HWND explorer) {
    if (explorer == nullptr) return nullptr;
    win32::Win32WindowManager windows;
    return win32::ToHwnd(explorer::FindFileList(windows, win32::FromHwnd(explorer)));
}

TempFolder::TempFolder(const std::wstring& name, std::initializer_list<const wchar_t*> files) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + L"velmora-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" + name;
    Remove();
    CreateDirectoryW(path_.c_str(), nullptr);
    for (const wchar_t* file : files) AddFile(file);
}

void TempFolder::AddFile(const std::wstring& name) const {
    HANDLE file =
        CreateFileW(File(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, "velmora", 7, &written, nullptr);
    CloseHandle(file);
}

bool TempFolder::Has(const std::wstring& name) const {
    return GetFileAttributesW(File(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void TempFolder::Remove() const {
    std::wstring from = path_;
    from.push_back(L'\0');
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NO_UI;
    SHFileOperationW(&operation);
}

void VelmoraTest::Start(const std::string& settings) {
    if (!settings.empty()) folder_.WriteSettings(settings);
    program_ = std::make_unique<Velmora>(folder_);
    ASSERT_TRUE(program_->WaitForMainWindow()) << "Velmora showed no main window";
}

void VelmoraTest::CloseAndWait() {
    program_->Close();
    ASSERT_TRUE(program_->WaitForExit()) << "Velmora did not end after WM_CLOSE";
    EXPECT_EQ(program_->ExitCode(), 0u);
}

HWND VelmoraTest::Strip(int pane) const {
    return program_->Control(pane == 0 ? win32::ids::kTabStrip1_0 : win32::ids::kTabStrip1_1);
}

HWND VelmoraTest::Frame(int pane) const {
    return program_->Control(pane == 0 ? win32::ids::kFrameApp0 : win32::ids::kFrameApp1);
}

bool VelmoraTest::ListShows(int pane, const std::wstring& file) const {
    return WaitFor([&] {
        const std::vector<std::wstring> texts = ListTexts(List(pane));
        return std::find(texts.begin(), texts.end(), file) != texts.end();
    });
}

void VelmoraTest::ClickTab(int pane, int tab) const {
    ClickAt(TabCentre(Strip(pane), tab));
    Settle(*program_);
}

}  // namespace velmora::e2e
