// Times Velmora.exe from its start until its main window shows, with both
// Explorer panes captured (the stand-in under Wine), against an empty program
// that only shows a window: this harness itself, started with --empty. Each
// Velmora run gets a fresh program folder without setting.ini. Run under Wine
// (or on Windows): scripts/bench does.
// shellapi.h needs the types of windows.h.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kEmptyClass[] = L"VelmoraBenchEmpty";
constexpr wchar_t kVelmoraClass[] = L"VelmoraMain";
constexpr int kRuns = 8;
constexpr DWORD kTimeoutMs = 30000;

LRESULT CALLBACK EmptyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
}

int RunEmptyProgram() {
    WNDCLASSW cls{};
    cls.lpfnWndProc = EmptyProc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = kEmptyClass;
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassW(&cls);
    CreateWindowExW(0, kEmptyClass, L"Empty", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, 800, 500,
                    nullptr, nullptr, cls.hInstance, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}

std::wstring OwnPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.rfind(L'\\')); }

double Milliseconds(LARGE_INTEGER start, LARGE_INTEGER end) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(end.QuadPart - start.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

HWND VisibleWindowOf(const wchar_t* className, DWORD processId) {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, className, nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && IsWindowVisible(window)) return window;
    }
    return nullptr;
}

// Starts the command, waits until its window shows, closes it; the time to
// the window in milliseconds, or a negative number when it never showed.
double TimeToWindow(const std::wstring& program, const std::wstring& arguments, const std::wstring& folder,
                    const wchar_t* className) {
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    LARGE_INTEGER start, shown;
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &process)) {
        return -1;
    }
    CloseHandle(process.hThread);
    HWND window = nullptr;
    const DWORD began = GetTickCount();
    while ((window = VisibleWindowOf(className, process.dwProcessId)) == nullptr) {
        if (GetTickCount() - began > kTimeoutMs || WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) break;
        Sleep(1);
    }
    QueryPerformanceCounter(&shown);
    if (window != nullptr) PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, kTimeoutMs) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    return window != nullptr ? Milliseconds(start, shown) : -1;
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

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--empty") == 0) return RunEmptyProgram();

    const std::wstring self = OwnPath();
    const std::wstring velmora = FolderOf(FolderOf(self)) + L"\\Velmora.exe";
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);

    std::vector<double> empty, full;
    for (int run = 0; run < kRuns; ++run) {
        empty.push_back(TimeToWindow(self, L"--empty", temp, kEmptyClass));
        const std::wstring folder =
            std::wstring(temp) + L"velmora-startup-bench-" + std::to_wstring(GetCurrentProcessId());
        RemoveFolder(folder);
        CreateDirectoryW(folder.c_str(), nullptr);
        const std::wstring copy = folder + L"\\Velmora.exe";
        if (!CopyFileW(velmora.c_str(), copy.c_str(), FALSE)) {
            std::printf("cannot copy %ls\n", velmora.c_str());
            return 1;
        }
        full.push_back(TimeToWindow(copy, L"", folder, kVelmoraClass));
        RemoveFolder(folder);
    }
    if (std::count(empty.begin(), empty.end(), -1.0) > 0 || std::count(full.begin(), full.end(), -1.0) > 0) {
        std::printf("a program showed no window\n");
        return 1;
    }
    std::printf("start to window shown, median of %d runs (min .. max):\n", kRuns);
    std::printf("  empty program                      %7.1f ms (%.1f .. %.1f)\n", Median(empty),
                *std::min_element(empty.begin(), empty.end()), *std::max_element(empty.begin(), empty.end()));
    std::printf("  Velmora, both Explorer panes       %7.1f ms (%.1f .. %.1f)\n", Median(full),
                *std::min_element(full.begin(), full.end()), *std::max_element(full.begin(), full.end()));
    std::printf("  Velmora's own start-up and capture %7.1f ms\n", Median(full) - Median(empty));
    return 0;
}
