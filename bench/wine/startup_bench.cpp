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

HWND WindowOf(const wchar_t* className, DWORD processId, bool visibleOnly) {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, className, nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && (!visibleOnly || IsWindowVisible(window))) return window;
    }
    return nullptr;
}

struct Timing {
    double created = -1;  // the window exists (Velmora: made hidden, before its load handler runs)
    double shown = -1;    // the window is visible (Velmora: after the load handler, captures included)
};

// Starts the command, waits until its window shows, closes it; the times to
// the window's creation and to its showing in milliseconds (negative when it
// never showed).
Timing TimeToWindow(const std::wstring& program, const std::wstring& arguments, const std::wstring& folder,
                    const wchar_t* className) {
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    LARGE_INTEGER start, now;
    Timing timing;
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &process)) {
        return timing;
    }
    CloseHandle(process.hThread);
    HWND window = nullptr;
    const DWORD began = GetTickCount();
    while ((window = WindowOf(className, process.dwProcessId, true)) == nullptr) {
        if (timing.created < 0 && WindowOf(className, process.dwProcessId, false) != nullptr) {
            QueryPerformanceCounter(&now);
            timing.created = Milliseconds(start, now);
        }
        if (GetTickCount() - began > kTimeoutMs || WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) break;
        Sleep(1);
    }
    QueryPerformanceCounter(&now);
    if (window != nullptr) {
        timing.shown = Milliseconds(start, now);
        if (timing.created < 0) timing.created = timing.shown;
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(process.hProcess, kTimeoutMs) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    return timing;
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

    std::vector<double> empty, created, full;
    for (int run = 0; run < kRuns; ++run) {
        empty.push_back(TimeToWindow(self, L"--empty", temp, kEmptyClass).shown);
        const std::wstring folder =
            std::wstring(temp) + L"velmora-startup-bench-" + std::to_wstring(GetCurrentProcessId());
        RemoveFolder(folder);
        CreateDirectoryW(folder.c_str(), nullptr);
        const std::wstring copy = folder + L"\\Velmora.exe";
        if (!CopyFileW(velmora.c_str(), copy.c_str(), FALSE)) {
            std::printf("cannot copy %ls\n", velmora.c_str());
            return 1;
        }
        const Timing timing = TimeToWindow(copy, L"", folder, kVelmoraClass);
        created.push_back(timing.created);
        full.push_back(timing.shown);
        RemoveFolder(folder);
    }
    if (std::count(empty.begin(), empty.end(), -1.0) > 0 || std::count(full.begin(), full.end(), -1.0) > 0) {
        std::printf("a program showed no window\n");
        return 1;
    }
    const auto report = [](const char* what, const std::vector<double>& values) {
        std::printf("  %-40s %7.1f ms (%.1f .. %.1f)\n", what, Median(values),
                    *std::min_element(values.begin(), values.end()), *std::max_element(values.begin(), values.end()));
    };
    std::printf("start to window, median of %d runs (min .. max):\n", kRuns);
    report("empty program, window shown", empty);
    report("Velmora, main window and controls made", created);
    report("Velmora, shown with both Explorer panes", full);
    std::printf("  ratios to the empty program: %.2f (made), %.2f (shown)\n", Median(created) / Median(empty),
                Median(full) / Median(empty));
    return 0;
}
