#include "platform/win32/Win32Shell.h"

#include <shellapi.h>

#include <cstring>

#include "platform/win32/kit/HandleCast.h"
#include "platform/win32/kit/Handles.h"
#include "platform/win32/kit/WinString.h"

namespace velmora::win32 {
namespace {

// SHFileOperationW takes lists of paths, each ended by NUL, the list by one more.
std::wstring PathList(const std::string& path) {
    std::wstring list = Widen(path);
    list.push_back(L'\0');
    return list;  // the string's own terminator is the second NUL
}

}  // namespace

void Win32Shell::Open(platform::WindowHandle owner, const std::string& file) {
    const std::wstring target = Widen(file);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_INVOKEIDLIST | SEE_MASK_FLAG_NO_UI;
    info.hwnd = ToHwnd(owner);
    info.lpVerb = L"Open";
    info.lpFile = target.c_str();
    info.nShow = SW_SHOW;  // shown in its current size and position
    if (!ShellExecuteExW(&info)) return;
    // The started process is not waited for: its handle is only closed.
    const UniqueHandle process(info.hProcess);
}

int Win32Shell::FileOperation(platform::WindowHandle owner, platform::FileOperation operation,
                              const std::string& source, const std::string& destination) {
    const std::wstring from = PathList(source);
    const std::wstring to = PathList(destination);
    SHFILEOPSTRUCTW op{};
    op.hwnd = ToHwnd(owner);
    op.wFunc = operation == platform::FileOperation::Copy ? FO_COPY : FO_MOVE;
    op.pFrom = from.c_str();
    op.pTo = to.c_str();
    op.fFlags = FOF_MULTIDESTFILES;
    return SHFileOperationW(&op);
}

Win32Clipboard::Win32Clipboard() {
    owner_ =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
}

Win32Clipboard::~Win32Clipboard() {
    if (owner_ != nullptr) DestroyWindow(owner_);
}

bool Win32Clipboard::Open() {
    // Another program may hold the clipboard for a moment.
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (OpenClipboard(owner_)) return true;
        Sleep(20);
    }
    return false;
}

bool Win32Clipboard::SetText(const std::string& text) {
    const std::wstring wide = Widen(text);
    if (!Open()) return false;
    EmptyClipboard();
    bool placed = false;
    const size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        if (void* target = GlobalLock(memory)) {
            std::memcpy(target, wide.c_str(), bytes);
            GlobalUnlock(memory);
            placed = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        }
        // Once placed, the memory belongs to the clipboard.
        if (!placed) GlobalFree(memory);
    }
    CloseClipboard();
    return placed;
}

std::string Win32Clipboard::GetText() {
    if (!Open()) return {};
    std::string text;
    if (HANDLE memory = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* wide = static_cast<const wchar_t*>(GlobalLock(memory))) {
            text = Narrow(wide);
            GlobalUnlock(memory);
        }
    }
    CloseClipboard();
    return text;
}

}  // namespace velmora::win32
