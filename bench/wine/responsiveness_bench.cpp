// Times how long Velmora.exe takes to answer a null message while its window is resized over and over, with a
// program whose window does not answer captured in the application pane: the fixture program copied as
// fixture_hung_late.exe, which answers long enough to be captured and then stops reading its messages. One thread
// resizes the main window back and forth (each resize lays out the panes and fits the hosted windows); this one sends
// WM_NULL every 20 ms and times the answer. The samples are split at the moment the system counts the fixture's
// window as hung (it has not read its messages for 5 seconds): before it, every answer check on the window waits out
// its bound; after it, the check returns at once. Run under Wine (or on Windows): scripts/bench does.
#include <atomic>
#include <thread>

#include "BenchKit.h"

namespace {

using namespace bench;

constexpr DWORD kAnswerLimitMs = 5000;
constexpr DWORD kHungPhaseMs = 8000;  // measured on after the window counts as hung

LRESULT SendBounded(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kTimeoutMs, &result);
    return static_cast<LRESULT>(result);
}

// Milliseconds until the window answered a null message; the limit when it did not.
double AnswerTime(HWND window) {
    const double start = Now();
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerLimitMs, &result)) return kAnswerLimitMs;
    return Now() - start;
}

void Report(const char* phase, std::vector<double> samples) {
    if (samples.empty()) {
        std::printf("  %-40s no samples\n", phase);
        return;
    }
    std::sort(samples.begin(), samples.end());
    const auto over = std::count_if(samples.begin(), samples.end(), [](double ms) { return ms > 100; });
    std::printf("  %-40s median %6.1f ms, 95th %6.1f ms, worst %6.1f ms, %zu samples, %ld over 100 ms\n", phase,
                samples[samples.size() / 2], samples[samples.size() * 95 / 100], samples.back(), samples.size(),
                static_cast<long>(over));
}

}  // namespace

int main() {
    const std::wstring folder = FreshFolder(L"velmora-responsiveness-bench");
    const std::wstring velmora = folder + L"\\Velmora.exe";
    if (VelmoraWithFixture(folder, L"fixture_hung_late.exe", "Late", "[setting]\r\nViewApl=-1\r\n").empty()) return 1;
    const Started started = Start(velmora, L"", folder);
    if (!started) {
        std::printf("cannot start Velmora.exe\n");
        return 1;
    }
    HWND main = WaitForWindow(ids::kMainWindowClass, started);

    // The pick, as the combo box reports it; then the fixture's window inside the application pane.
    HWND hosted = nullptr;
    if (main != nullptr) {
        HWND combo = ControlOf(main, ids::kCboApp);
        SendBounded(combo, CB_SETCURSEL, 0);
        PostMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(ids::kCboApp, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(combo));
        HWND strip = ControlOf(main, ids::kTabStrip2);
        for (const DWORD began = GetTickCount(); SendBounded(strip, TCM_GETITEMCOUNT) == 0;) {
            if (GetTickCount() - began > kTimeoutMs) break;
            Sleep(10);
        }
        hosted = GetWindow(ControlOf(main, ids::kFrameApp2), GW_CHILD);
    }
    if (main == nullptr || hosted == nullptr) {
        std::printf("no main window, or the fixture's window was not captured\n");
        TerminateProcess(started.process, 1);
        return 1;
    }

    std::atomic<bool> resizing{true};
    std::thread resizer([&] {
        for (int round = 0; resizing; ++round) {
            const int grow = round % 2 == 0 ? 0 : 120;
            SetWindowPos(main, nullptr, 0, 0, 900 + grow, 650 + grow / 2, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            Sleep(15);
        }
    });
    std::vector<double> answering, beforeHung, hung;
    double hungSince = 0;
    for (const double start = Now(); Now() - start < kTimeoutMs;) {
        const bool countsAsHung = IsHungAppWindow(hosted) != FALSE;
        const double answer = AnswerTime(main);
        if (countsAsHung) {
            if (hungSince == 0) hungSince = Now();
            hung.push_back(answer);
            if (Now() - hungSince > kHungPhaseMs) break;
        } else {
            DWORD_PTR result = 0;
            // Whether the captured program still reads its messages, asked without waiting on it.
            const bool reads = SendMessageTimeoutW(hosted, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1, &result) != 0;
            (reads ? answering : beforeHung).push_back(answer);
        }
        Sleep(20);
    }
    resizing = false;
    resizer.join();

    Close(started, main);
    DWORD id = 0;
    GetWindowThreadProcessId(hosted, &id);
    if (HANDLE program = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)) {
        TerminateProcess(program, 1);
        WaitForSingleObject(program, 5000);
        CloseHandle(program);
    }
    Sleep(500);
    RemoveFolder(folder);

    std::printf("Velmora's answer to WM_NULL while its window is resized, a hung program captured:\n");
    Report("while the program still answers", answering);
    Report("stopped answering, not yet counted hung", beforeHung);
    Report("counted hung by the system", hung);
    return 0;
}
