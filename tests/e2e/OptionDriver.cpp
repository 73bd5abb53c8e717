#include "e2e/OptionDriver.h"

#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <stdexcept>

#include "e2e/Driver.h"
#include "platform/win32/OptionIds.h"

namespace velmora::e2e {

namespace ids = win32::option_ids;

namespace {

// A NUL-separated list ended by an empty entry.
std::vector<std::wstring> SplitList(const std::vector<wchar_t>& buffer, DWORD length) {
    std::vector<std::wstring> items;
    const wchar_t* at = buffer.data();
    const wchar_t* end = buffer.data() + length;
    while (at < end && *at != L'\0') {
        std::wstring item(at);
        at += item.size() + 1;
        items.push_back(std::move(item));
    }
    return items;
}

// A sent message that never blocks the driver on a hung or modal program.
LRESULT SendWithin(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool* ok = nullptr) {
    DWORD_PTR result = 0;
    const bool sent = SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 10000, &result) != 0;
    if (ok) *ok = sent;
    return static_cast<LRESULT>(result);
}

// Memory in the other process, for messages whose structures hold pointers.
class RemoteMemory {
public:
    RemoteMemory(HANDLE process, std::size_t size) : process_(process), size_(size) {
        address_ = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        if (!address_) throw std::runtime_error("VirtualAllocEx failed");
    }
    ~RemoteMemory() { VirtualFreeEx(process_, address_, 0, MEM_RELEASE); }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    template <typename T>
    T* At(std::size_t offset) const {
        return reinterpret_cast<T*>(static_cast<char*>(address_) + offset);
    }
    LPARAM Param(std::size_t offset = 0) const { return reinterpret_cast<LPARAM>(At<char>(offset)); }
    void Write(const void* data, std::size_t size, std::size_t offset = 0) const {
        SIZE_T written = 0;
        if (offset + size > size_ || !WriteProcessMemory(process_, At<char>(offset), data, size, &written))
            throw std::runtime_error("WriteProcessMemory failed");
    }
    void Read(void* data, std::size_t size, std::size_t offset = 0) const {
        SIZE_T read = 0;
        if (offset + size > size_ || !ReadProcessMemory(process_, At<char>(offset), data, size, &read))
            throw std::runtime_error("ReadProcessMemory failed");
    }
    std::wstring ReadText(std::size_t offset, std::size_t maxChars) const {
        std::wstring text(maxChars, L'\0');
        Read(text.data(), maxChars * sizeof(wchar_t), offset);
        text.resize(wcsnlen(text.c_str(), maxChars));
        return text;
    }

private:
    HANDLE process_;
    std::size_t size_;
    void* address_ = nullptr;
};

constexpr std::size_t kTextChars = 1024;
constexpr std::size_t kTextOffset = 512;  // after any of the structures used

struct WindowSearch {
    DWORD processId;
    const wchar_t* className;
    std::wstring_view title;
    HWND owner;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
    auto& search = *reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search.processId) return TRUE;
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (lstrcmpiW(className, search.className) != 0) return TRUE;
    if (search.owner && GetWindow(window, GW_OWNER) != search.owner) return TRUE;
    if (!search.title.empty()) {
        wchar_t title[256] = {};
        GetWindowTextW(window, title, 256);
        if (search.title != title) return TRUE;
    }
    search.found = window;
    return FALSE;
}

// ---- Drag and drop from the driver ----

class DataObject final : public IDataObject {
public:
    DataObject(CLIPFORMAT format, HGLOBAL data) : format_(format), data_(data) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
            *object = static_cast<IDataObject*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
        const SIZE_T size = GlobalSize(data_);
        HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
        std::memcpy(GlobalLock(copy), GlobalLock(data_), size);
        GlobalUnlock(data_);
        GlobalUnlock(copy);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = copy;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        if (format->cfFormat != format_ || !(format->tymed & TYMED_HGLOBAL)) return DV_E_FORMATETC;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override {
        if (direction != DATADIR_GET) return E_NOTIMPL;
        FORMATETC format{format_, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        return SHCreateStdEnumFmtEtc(1, &format, formats);
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    ~DataObject() { GlobalFree(data_); }
    LONG references_ = 1;
    CLIPFORMAT format_;
    HGLOBAL data_;
};

// Drops after a few rounds, as a user releasing the button over the target.
class DropSource final : public IDropSource {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropSource)) {
            *object = static_cast<IDropSource*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL, DWORD) override {
        return ++rounds_ >= 4 ? DRAGDROP_S_DROP : S_OK;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    ~DropSource() = default;
    LONG references_ = 1;
    int rounds_ = 0;
};

DWORD DragAndDrop(CLIPFORMAT format, HGLOBAL data) {
    auto* object = new DataObject(format, data);
    auto* source = new DropSource();
    DWORD effect = DROPEFFECT_NONE;
    DoDragDrop(object, source, DROPEFFECT_COPY | DROPEFFECT_LINK | DROPEFFECT_MOVE, &effect);
    object->Release();
    source->Release();
    return effect;
}


}  // namespace

// ---- OptionFolder ----

OptionFolder::OptionFolder() {
    static std::atomic<unsigned> counter{0};
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + L"velmora-option-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(counter.fetch_add(1)) + L"-" + std::to_wstring(GetTickCount());
    if (!CreateDirectoryW(path_.c_str(), nullptr)) throw std::runtime_error("cannot create the program folder");
    if (!CopyFileW((BinaryFolder() + L"\\Option.exe").c_str(), Program().c_str(), FALSE))
        throw std::runtime_error("cannot copy Option.exe");
}

OptionFolder::~OptionFolder() {
    std::wstring from = path_;
    from.push_back(L'\0');
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationW(&op);
}

void OptionFolder::WriteSettings(std::string_view utf8) const {
    const std::string bytes = FromWide(ToWide(utf8), CP_ACP);
    HANDLE file =
        CreateFileW(Settings().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write setting.ini");
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::optional<std::string> OptionFolder::SettingsBytes() const {
    HANDLE file = CreateFileW(Settings().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string bytes;
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) bytes.append(chunk, read);
    CloseHandle(file);
    return bytes;
}

std::optional<std::wstring> OptionFolder::Read(const wchar_t* section, const wchar_t* key) const {
    // A default no real value has tells a missing key from an empty one.
    constexpr wchar_t kMissing[] = L"\x01missing\x01";
    std::vector<wchar_t> buffer(4096);
    GetPrivateProfileStringW(section, key, kMissing, buffer.data(), static_cast<DWORD>(buffer.size()),
                             Settings().c_str());
    std::wstring value(buffer.data());
    if (value == kMissing) return std::nullopt;
    return value;
}

std::vector<std::wstring> OptionFolder::Sections() const {
    std::vector<wchar_t> buffer(32767);
    const DWORD length =
        GetPrivateProfileSectionNamesW(buffer.data(), static_cast<DWORD>(buffer.size()), Settings().c_str());
    return SplitList(buffer, length);
}

std::vector<std::wstring> OptionFolder::Keys(const wchar_t* section) const {
    std::vector<wchar_t> buffer(32767);
    const DWORD length = GetPrivateProfileStringW(section, nullptr, L"", buffer.data(),
                                                  static_cast<DWORD>(buffer.size()), Settings().c_str());
    return SplitList(buffer, length);
}

// ---- OptionProcess ----

OptionProcess::OptionProcess(const OptionFolder& folder) {
    const std::wstring program = folder.Program();
    process_ = StartProgram(program, folder.Path());
}

OptionProcess::~OptionProcess() {
    if (!process_.hProcess) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.hProcess, 99);
        WaitForSingleObject(process_.hProcess, 5000);
    }
    CloseHandle(process_.hProcess);
}

bool OptionProcess::WaitForForm(DWORD timeoutMs) {
    if (!process_.hProcess) return false;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        WindowSearch search{process_.dwProcessId, ids::kWindowClass, {}, nullptr, nullptr};
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found && IsWindowVisible(search.found)) {
            form_ = search.found;
            return Sync();
        }
        if (WaitForSingleObject(process_.hProcess, 20) != WAIT_TIMEOUT) return false;
    }
    return false;
}

bool OptionProcess::Sync() const {
    bool ok = false;
    SendWithin(form_, WM_NULL, 0, 0, &ok);
    return ok;
}

bool OptionProcess::WaitForExit(DWORD timeoutMs) const {
    return process_.hProcess && WaitForSingleObject(process_.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

bool OptionProcess::Running() const {
    return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD OptionProcess::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (process_.hProcess) GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

HWND OptionProcess::Control(int id) const { return form_ ? GetDlgItem(form_, id) : nullptr; }

HWND OptionProcess::PositionEdit(int index) const {
    return GetDlgItem(Control(ids::UctUDText1(index)), 1);  // the control's edit box
}

HWND OptionProcess::PositionArrows(int index) const { return GetDlgItem(Control(ids::UctUDText1(index)), 2); }

HWND OptionProcess::HotkeyField(int pane) const {
    return FindWindowExW(Control(ids::PicHotkey(pane)), nullptr, HOTKEY_CLASSW, nullptr);
}

std::wstring OptionProcess::Text(HWND window) const {
    if (!window) return L"<no window>";
    // WM_GETTEXT's buffer is carried across processes by the system.
    std::wstring text(kTextChars, L'\0');
    const LRESULT length = SendWithin(window, WM_GETTEXT, kTextChars, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

bool OptionProcess::SetText(HWND window, std::wstring_view text) const {
    const std::wstring copy(text);
    return SendWithin(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str())) != 0;
}

bool OptionProcess::Checked(int id) const { return SendWithin(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

bool OptionProcess::Click(int id) const {
    bool ok = false;
    SendWithin(form_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Control(id)), &ok);
    return ok;
}

void OptionProcess::ClickOpeningBox(int id) const {
    // Posted: a sent message would wait for the box to close.
    PostMessageW(form_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Control(id)));
}

int OptionProcess::HotkeyWord(int pane) const {
    return static_cast<int>(LOWORD(SendWithin(HotkeyField(pane), HKM_GETHOTKEY, 0, 0)));
}

int OptionProcess::RowCount() const {
    return static_cast<int>(SendWithin(Control(ids::kListView1), LVM_GETITEMCOUNT, 0, 0));
}

std::wstring OptionProcess::Cell(int row, int column) const {
    RemoteMemory memory(process_.hProcess, kTextOffset + kTextChars * sizeof(wchar_t));
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = memory.At<wchar_t>(kTextOffset);
    item.cchTextMax = static_cast<int>(kTextChars);
    memory.Write(&item, sizeof item);
    SendWithin(Control(ids::kListView1), LVM_GETITEMTEXTW, static_cast<WPARAM>(row), memory.Param());
    return memory.ReadText(kTextOffset, kTextChars);
}

std::vector<OptionRow> OptionProcess::Rows() const {
    std::vector<OptionRow> rows;
    const int count = RowCount();
    for (int row = 0; row < count; ++row) rows.emplace_back(Cell(row, 0), Cell(row, 1));
    return rows;
}

std::wstring OptionProcess::ColumnTitle(int column) const {
    RemoteMemory memory(process_.hProcess, kTextOffset + kTextChars * sizeof(wchar_t));
    LVCOLUMNW header{};
    header.mask = LVCF_TEXT;
    header.pszText = memory.At<wchar_t>(kTextOffset);
    header.cchTextMax = static_cast<int>(kTextChars);
    memory.Write(&header, sizeof header);
    SendWithin(Control(ids::kListView1), LVM_GETCOLUMNW, static_cast<WPARAM>(column), memory.Param());
    return memory.ReadText(kTextOffset, kTextChars);
}

int OptionProcess::ColumnWidth(int column) const {
    return static_cast<int>(SendWithin(Control(ids::kListView1), LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

bool OptionProcess::SelectRow(int row) const {
    RemoteMemory memory(process_.hProcess, sizeof(LVITEMW));
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    memory.Write(&item, sizeof item);
    return SendWithin(Control(ids::kListView1), LVM_SETITEMSTATE, static_cast<WPARAM>(row), memory.Param()) != 0;
}

HWND OptionProcess::ToolTips() const {
    WindowSearch search{process_.dwProcessId, TOOLTIPS_CLASSW, {}, form_, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring OptionProcess::ToolTip(HWND control) const {
    HWND tips = ToolTips();
    if (!tips || !control) return L"<no tool-tip>";
    RemoteMemory memory(process_.hProcess, kTextOffset + kTextChars * sizeof(wchar_t));
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = form_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = memory.At<wchar_t>(kTextOffset);
    memory.Write(&tool, sizeof tool);
    SendWithin(tips, TTM_GETTEXTW, kTextChars, memory.Param());
    return memory.ReadText(kTextOffset, kTextChars);
}

int OptionProcess::ToolTipCount() const { return static_cast<int>(SendWithin(ToolTips(), TTM_GETTOOLCOUNT, 0, 0)); }

HWND OptionProcess::WaitForDialog(std::wstring_view title, DWORD timeoutMs) const {
    const DWORD start = GetTickCount();
    do {
        WindowSearch search{process_.dwProcessId, L"#32770", title, nullptr, nullptr};
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found && IsWindowVisible(search.found)) return search.found;
        Sleep(20);
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

std::wstring OptionProcess::MessageText(HWND box) {
    for (HWND child = FindWindowExW(box, nullptr, L"Static", nullptr); child;
         child = FindWindowExW(box, child, L"Static", nullptr)) {
        wchar_t text[512] = {};
        SendMessageTimeoutW(child, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
        if (text[0] != L'\0') return text;
    }
    return {};
}

void OptionProcess::Activate() const {
    // Keyboard focus follows the pointer under Wine: keep it over the form.
    // A click on a label activates the form as a user would, so that the
    // first click meant for a control is not spent on activation.
    ClickAt(CentreOf(Control(ids::LblPos(5))));
    SetForegroundWindow(form_);
    for (int i = 0; i < 50 && GetForegroundWindow() != form_; ++i) Sleep(10);
    Sleep(100);
    Sync();
}

// ---- Input ----

POINT CentreOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

void MovePointerTo(POINT screen) {
    // SetCursorPos is not used, and the position is checked until it stays:
    // under Wine's virtual desktop a motion event the X server reports late
    // can put the pointer back where it was, and the click or drop that
    // follows then happens there.
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int width = std::max(GetSystemMetrics(SM_CXVIRTUALSCREEN), 2);
    const int height = std::max(GetSystemMetrics(SM_CYVIRTUALSCREEN), 2);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(screen.x - left, 65535, width - 1);
    input.mi.dy = MulDiv(screen.y - top, 65535, height - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
    auto there = [&] {
        POINT now{};
        GetCursorPos(&now);
        return now.x == screen.x && now.y == screen.y;
    };
    for (int attempt = 0; attempt < 10; ++attempt) {
        SendInput(1, &input, sizeof(input));
        Sleep(60);
        if (!there()) continue;
        Sleep(120);
        if (there()) return;
    }
}

void PointAt(HWND window) { MovePointerTo(CentreOf(window)); }

void ClickAt(POINT screen) {
    MovePointerTo(screen);
    MouseButton(true);
    Sleep(30);
    MouseButton(false);
    Sleep(30);
}

void SendKey(WORD key, bool down) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &input, sizeof(input));
    Sleep(30);
}

void PressKeys(std::initializer_list<WORD> virtualKeys) {
    for (WORD key : virtualKeys) SendKey(key, true);
    for (auto key = std::rbegin(virtualKeys); key != std::rend(virtualKeys); ++key) SendKey(*key, false);
}

void TypeCharacters(std::wstring_view text) {
    for (wchar_t c : text) {
        INPUT input[2] = {};
        for (INPUT& key : input) {
            key.type = INPUT_KEYBOARD;
            key.ki.wScan = c;
            key.ki.dwFlags = KEYEVENTF_UNICODE;
        }
        input[1].ki.dwFlags |= KEYEVENTF_KEYUP;
        SendInput(2, input, sizeof(INPUT));
        Sleep(30);
    }
}

DWORD DropFilesAtPointer(const std::vector<std::wstring>& files) {
    std::wstring list;
    for (const std::wstring& file : files) {
        list += file;
        list.push_back(L'\0');
    }
    list.push_back(L'\0');
    const SIZE_T size = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    auto* header = static_cast<DROPFILES*>(GlobalLock(data));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), list.data(), list.size() * sizeof(wchar_t));
    GlobalUnlock(data);
    return DragAndDrop(CF_HDROP, data);
}

DWORD DropTextAtPointer(std::wstring_view text) {
    const SIZE_T size = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    std::memcpy(GlobalLock(data), text.data(), text.size() * sizeof(wchar_t));
    GlobalUnlock(data);
    return DragAndDrop(CF_UNICODETEXT, data);
}

}  // namespace velmora::e2e
