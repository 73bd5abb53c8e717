// Times a launcher pick in Velmora.exe until the new application tab is there,
// with the normal fixture program as the application, and takes off what the
// pick spends waiting on purpose: the program's own start until it is ready
// for input (timed separately, the same program started the same way) and the
// 200 ms settle wait. What remains is Velmora's part: starting the process,
// the window search, re-parenting, showing, fitting and the tab. Run under
// Wine (or on Windows): scripts/bench does.
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

namespace {

namespace ids = velmora::win32::ids;

constexpr int kRuns = 8;
constexpr DWORD kTimeoutMs = 30000;
constexpr double kSettleMs = 200;

std::wstring OwnPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.rfind(L'\\')); }

double Now() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

void RemoveFolder(const std::wstring& folder) {
    std::wstring from = folder;
    from.push_back(L'\0');
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NO_UI;
    SHFileOperationW(&operation);
}

HWND WindowOf(const wchar_t* className, DWORD processId) {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, className, nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId) return window;
    }
    return nullptr;
}

// The fixture started as Velmora starts it (minimised, no focus): milliseconds
// until it is ready for input, or a negative number.
double TimeToIdle(const std::wstring& program) {
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWMINNOACTIVE;
    PROCESS_INFORMATION process{};
    const double start = Now();
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return -1;
    }
    const bool idle = WaitForInputIdle(process.hProcess, kTimeoutMs) == 0;
    const double ready = Now();
    if (HWND window = WindowOf(L"VelmoraFixtureNormal", process.dwProcessId)) PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return idle ? ready - start : -1;
}

int TabCount(HWND strip) {
    DWORD_PTR count = 0;
    SendMessageTimeoutW(strip, TCM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &count);
    return static_cast<int>(count);
}

HWND ControlOf(HWND main, int id) {
    if (HWND direct = GetDlgItem(main, id)) return direct;
    for (int frame : {ids::kPicFrame0, ids::kPicFrame1, ids::kPicFrame2}) {
        if (HWND inside = GetDlgItem(GetDlgItem(main, frame), id)) return inside;
    }
    return nullptr;
}

// Picks the first launcher entry as the user does; milliseconds until the tab is added, or a negative number.
double TimePick(HWND main) {
    HWND combo = ControlOf(main, ids::kCboApp);
    HWND strip = ControlOf(main, ids::kTabStrip2);
    const int before = TabCount(strip);
    SendMessageTimeoutW(combo, CB_SETCURSEL, 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs, nullptr);
    const double start = Now();
    PostMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(ids::kCboApp, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    while (TabCount(strip) == before) {
        if (Now() - start > kTimeoutMs) return -1;
        Sleep(1);
    }
    return Now() - start;
}

}  // namespace

int main() {
    const std::wstring bin = FolderOf(FolderOf(OwnPath()));
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"velmora-capture-bench-" + std::to_wstring(GetCurrentProcessId());
    RemoveFolder(folder);
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring velmora = folder + L"\\Velmora.exe";
    const std::wstring fixture = folder + L"\\fixture_normal.exe";
    if (!CopyFileW((bin + L"\\Velmora.exe").c_str(), velmora.c_str(), FALSE) ||
        !CopyFileW((bin + L"\\fixtures\\fixture_normal.exe").c_str(), fixture.c_str(), FALSE)) {
        std::printf("cannot copy Velmora.exe and fixture_normal.exe from %ls\n", bin.c_str());
        return 1;
    }
    // The temporary folder's path is plain ASCII here, so it needs no conversion to the ANSI code page.
    std::string settings = "[App]\r\nNormal=";
    for (wchar_t c : fixture) settings += static_cast<char>(c);
    settings += "\r\n";
    HANDLE file =
        CreateFileW((folder + L"\\setting.ini").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, settings.data(), static_cast<DWORD>(settings.size()), &written, nullptr);
    CloseHandle(file);

    std::wstring commandLine = L"\"" + velmora + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(velmora.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &process)) {
        std::printf("cannot start Velmora.exe\n");
        return 1;
    }
    HWND main = nullptr;
    const DWORD began = GetTickCount();
    while ((main = WindowOf(ids::kMainWindowClass, process.dwProcessId)) == nullptr || !IsWindowVisible(main)) {
        if (GetTickCount() - began > kTimeoutMs) break;
        Sleep(10);
    }

    std::vector<double> idle, pick;
    for (int run = 0; run < kRuns && main != nullptr; ++run) {
        idle.push_back(TimeToIdle(fixture));
        pick.push_back(TimePick(main));
    }
    // Closing Velmora asks the captured copies to close.
    if (main != nullptr) PostMessageW(main, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, kTimeoutMs) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    Sleep(500);
    RemoveFolder(folder);

    if (main == nullptr || idle.empty() || std::count(idle.begin(), idle.end(), -1.0) > 0 ||
        std::count(pick.begin(), pick.end(), -1.0) > 0) {
        std::printf("a run failed: no main window, no idle program or no tab\n");
        return 1;
    }
    std::printf("launcher pick to tab added, median of %d runs (min .. max):\n", kRuns);
    std::printf("  whole pick                          %7.1f ms (%.1f .. %.1f)\n", Median(pick),
                *std::min_element(pick.begin(), pick.end()), *std::max_element(pick.begin(), pick.end()));
    std::printf("  the program's start until idle      %7.1f ms (%.1f .. %.1f)\n", Median(idle),
                *std::min_element(idle.begin(), idle.end()), *std::max_element(idle.begin(), idle.end()));
    std::printf("  settle wait                         %7.1f ms\n", kSettleMs);
    std::printf("  Velmora's own part                  %7.1f ms\n", Median(pick) - Median(idle) - kSettleMs);
    return 0;
}
