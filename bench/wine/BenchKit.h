#pragma once

// What the Wine timing harnesses share: the clock, the folders they run Velmora from, finding its windows, and
// summaries of samples. Header only: each harness is one program of its own.
// commctrl.h and shellapi.h need the types of windows.h.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
// clang-format on

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32/MainWindowIds.h"

namespace bench {

namespace ids = velmora::win32::ids;

inline constexpr DWORD kTimeoutMs = 30000;

inline double Now() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

inline std::wstring OwnPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

inline std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.rfind(L'\\')); }

// The build's bin folder: the harnesses live in bin\bench.
inline std::wstring BinFolder() { return FolderOf(FolderOf(OwnPath())); }

inline void RemoveFolder(const std::wstring& folder) {
    std::wstring from = folder;
    from.push_back(L'\0');
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NO_UI;
    SHFileOperationW(&operation);
}

// An empty folder in the temporary folder, named after the harness and its process.
inline std::wstring FreshFolder(const wchar_t* name) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + name + L"-" + std::to_wstring(GetCurrentProcessId());
    RemoveFolder(folder);
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

// Writes bytes as they are; the temporary folder's path is plain ASCII here, so paths in them need no conversion
// to the ANSI code page.
inline bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) != 0;
    CloseHandle(file);
    return ok;
}

inline std::string ReadBytes(const std::wstring& path) {
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char buffer[65536];
    DWORD done = 0;
    while (ReadFile(file, buffer, sizeof buffer, &done, nullptr) && done > 0) bytes.append(buffer, done);
    CloseHandle(file);
    return bytes;
}

inline std::string Ascii(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += static_cast<char>(c);
    return out;
}

// A fresh folder holding Velmora.exe and the fixture program copied under `fixtureName`, with a setting.ini whose
// launcher entry `entry` names the fixture after `settings`; the fixture's path, empty (and said) when a copy failed.
inline std::wstring VelmoraWithFixture(const std::wstring& folder, const wchar_t* fixtureName, const char* entry,
                                       const std::string& settings = "") {
    const std::wstring bin = BinFolder();
    const std::wstring fixture = folder + L"\\" + fixtureName;
    if (!CopyFileW((bin + L"\\Velmora.exe").c_str(), (folder + L"\\Velmora.exe").c_str(), FALSE) ||
        !CopyFileW((bin + L"\\fixtures\\fixture_app.exe").c_str(), fixture.c_str(), FALSE)) {
        std::printf("cannot copy Velmora.exe and fixtures\\fixture_app.exe from %ls\n", bin.c_str());
        return {};
    }
    WriteBytes(folder + L"\\setting.ini", settings + "[App]\r\n" + entry + "=" + Ascii(fixture) + "\r\n");
    return fixture;
}

// A started program; its thread handle is closed at once.
struct Started {
    HANDLE process = nullptr;
    DWORD id = 0;
    explicit operator bool() const { return process != nullptr; }
};

inline Started Start(const std::wstring& program, const std::wstring& arguments, const std::wstring& folder) {
    std::wstring commandLine = L"\"" + program + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &info)) {
        return {};
    }
    CloseHandle(info.hThread);
    return {info.hProcess, info.dwProcessId};
}

// Asks the window to close and waits for its program to end; ends it when it does not.
inline void Close(const Started& started, HWND window) {
    if (!started) return;
    if (window != nullptr) PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(started.process, kTimeoutMs) != WAIT_OBJECT_0) TerminateProcess(started.process, 1);
    CloseHandle(started.process);
}

inline HWND WindowOf(const wchar_t* className, DWORD processId, bool visibleOnly = true) {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, className, nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && (!visibleOnly || IsWindowVisible(window))) return window;
    }
    return nullptr;
}

// The visible window of that class, once it shows; nullptr after the timeout or when the program ended.
inline HWND WaitForWindow(const wchar_t* className, const Started& started) {
    for (const DWORD began = GetTickCount(); GetTickCount() - began < kTimeoutMs; Sleep(10)) {
        if (HWND window = WindowOf(className, started.id)) return window;
        if (WaitForSingleObject(started.process, 0) == WAIT_OBJECT_0) break;
    }
    return nullptr;
}

inline HWND ControlOf(HWND main, int id) {
    if (HWND direct = GetDlgItem(main, id)) return direct;
    for (int frame : {ids::kPicFrame0, ids::kPicFrame1, ids::kPicFrame2}) {
        if (HWND inside = GetDlgItem(GetDlgItem(main, frame), id)) return inside;
    }
    return nullptr;
}

// A process that shows one plain window and does nothing else: the anchor the harnesses compare Velmora with.
inline constexpr wchar_t kEmptyClass[] = L"VelmoraBenchEmpty";

inline LRESULT CALLBACK EmptyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
}

// withTimer: the window also gets a 500 ms timer that does nothing, as Velmora's Timer1 ticks: the floor any
// program with such a timer pays.
inline int RunEmptyProgram(bool withTimer = false) {
    WNDCLASSW cls{};
    cls.lpfnWndProc = EmptyProc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = kEmptyClass;
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassW(&cls);
    HWND window = CreateWindowExW(0, kEmptyClass, L"Empty", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 800, 500, nullptr, nullptr, cls.hInstance, nullptr);
    if (withTimer) SetTimer(window, 1, 500, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}

struct Summary {
    double median = 0;
    double q1 = 0;
    double q3 = 0;
    double min = 0;
    double max = 0;
};

// Quartiles by the nearest rank; an empty set gives zeros.
inline Summary Summarise(std::vector<double> values) {
    if (values.empty()) return {};
    std::sort(values.begin(), values.end());
    const auto at = [&](double fraction) {
        return values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5)];
    };
    return {at(0.5), at(0.25), at(0.75), values.front(), values.back()};
}

inline void PrintSummary(const char* what, const std::vector<double>& values, const char* unit = "ms") {
    const Summary s = Summarise(values);
    std::printf("  %-44s median %7.2f %s, IQR %.2f .. %.2f, range %.2f .. %.2f (%zu)\n", what, s.median, unit, s.q1,
                s.q3, s.min, s.max, values.size());
}

}  // namespace bench
