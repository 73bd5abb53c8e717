// Times Velmora.exe from its start until its main window shows, with both Explorer panes captured (the stand-in under
// Wine), against an empty program that only shows a window: this harness itself, started with --empty. The two are
// started in turn, 16 times each, so that a change in the machine's load falls on both alike; each Velmora run gets a
// fresh program folder without setting.ini. Reported: the median with the quartiles and the range, and the ratios of
// the medians. Then five more Velmora runs with its timing trace on (not timed from outside) show where its start
// goes, step by step, from the trace's beginning in wWinMain. Run under Wine (or on Windows): scripts/bench does;
// "startup_bench.exe 30" takes 30 runs each.
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "BenchKit.h"

namespace {

using namespace bench;

constexpr int kRuns = 16;
constexpr int kTracedRuns = 5;

struct Timing {
    double created = -1;  // the window exists (Velmora: made hidden, before its load handler runs)
    double shown = -1;    // the window is visible (Velmora: after the load handler, captures included)
};

// Starts the program, waits until its window shows, closes it; the times to the window's creation and to its
// showing in milliseconds (negative when it never showed).
Timing TimeToWindow(const std::wstring& program, const std::wstring& arguments, const std::wstring& folder,
                    const wchar_t* className) {
    Timing timing;
    const double start = Now();
    const Started started = Start(program, arguments, folder);
    if (!started) return timing;
    HWND window = nullptr;
    for (const DWORD began = GetTickCount(); (window = WindowOf(className, started.id, true)) == nullptr; Sleep(1)) {
        if (timing.created < 0 && WindowOf(className, started.id, false) != nullptr) timing.created = Now() - start;
        if (GetTickCount() - began > kTimeoutMs || WaitForSingleObject(started.process, 0) == WAIT_OBJECT_0) break;
    }
    if (window != nullptr) {
        timing.shown = Now() - start;
        if (timing.created < 0) timing.created = timing.shown;
    }
    Close(started, window);
    return timing;
}

// Each step's time since the mark before it, from the first run's order; steps repeated within a run (the two
// panes' captures) are told apart by their place.
void PrintTracedSteps(const std::vector<std::string>& traces) {
    std::vector<std::pair<std::string, std::vector<double>>> steps;
    for (const std::string& trace : traces) {
        std::istringstream lines(trace);
        double previous = 0;
        std::size_t index = 0;
        for (std::string line; std::getline(lines, line);) {
            if (line.empty() || line[0] == '#') continue;
            if (line.back() == '\r') line.pop_back();
            std::istringstream fields(line);
            double ms = 0;
            std::string kind, name;
            fields >> ms >> kind;
            std::getline(fields >> std::ws, name);
            if (index == steps.size()) steps.push_back({name, {}});
            if (steps[index].first == name) steps[index].second.push_back(ms - previous);
            previous = ms;
            ++index;
            if (name == "shown and painted") break;
        }
    }
    std::printf("Velmora's start from its trace, %zu runs (each step's time since the one before):\n", traces.size());
    for (const auto& [name, took] : steps) PrintSummary(name.c_str(), took);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--empty") == 0) return RunEmptyProgram();
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : kRuns;

    const std::wstring velmora = BinFolder() + L"\\Velmora.exe";
    const std::wstring folder = FreshFolder(L"velmora-startup-bench");
    std::vector<double> empty, created, shown;
    for (int run = 0; run < runs; ++run) {
        empty.push_back(TimeToWindow(OwnPath(), L"--empty", folder, kEmptyClass).shown);
        const std::wstring runFolder = folder + L"\\run" + std::to_wstring(run);
        CreateDirectoryW(runFolder.c_str(), nullptr);
        const std::wstring copy = runFolder + L"\\Velmora.exe";
        if (!CopyFileW(velmora.c_str(), copy.c_str(), FALSE)) {
            std::printf("cannot copy %ls\n", velmora.c_str());
            return 1;
        }
        const Timing timing = TimeToWindow(copy, L"", runFolder, ids::kMainWindowClass);
        created.push_back(timing.created);
        shown.push_back(timing.shown);
    }
    // Traced runs, apart from the timed ones: writing the trace costs a little time of its own.
    std::vector<std::string> traces;
    SetEnvironmentVariableW(L"VELMORA_TRACE", L"1");
    for (int run = 0; run < kTracedRuns; ++run) {
        const std::wstring runFolder = folder + L"\\traced" + std::to_wstring(run);
        CreateDirectoryW(runFolder.c_str(), nullptr);
        CopyFileW(velmora.c_str(), (runFolder + L"\\Velmora.exe").c_str(), FALSE);
        const Started started = Start(runFolder + L"\\Velmora.exe", L"", runFolder);
        HWND window = started ? WaitForWindow(ids::kMainWindowClass, started) : nullptr;
        // The trace's last start-up mark comes after the first painting, once the window shows.
        Sleep(1000);
        Close(started, window);
        traces.push_back(ReadBytes(runFolder + L"\\velmora-trace.txt"));
    }
    SetEnvironmentVariableW(L"VELMORA_TRACE", nullptr);
    RemoveFolder(folder);
    if (std::count(empty.begin(), empty.end(), -1.0) > 0 || std::count(shown.begin(), shown.end(), -1.0) > 0) {
        std::printf("a program showed no window\n");
        return 1;
    }
    std::printf("start to window, %d runs each, taken in turn:\n", runs);
    PrintSummary("empty program, window shown", empty);
    PrintSummary("Velmora, main window made (still hidden)", created);
    PrintSummary("Velmora, shown with both Explorer panes", shown);
    const double base = Summarise(empty).median;
    std::printf("  ratios of the medians to the empty program: %.2f (made), %.2f (shown)\n",
                Summarise(created).median / base, Summarise(shown).median / base);
    // The ratio of each Velmora run to the empty run just before it: how much the ratio itself moves.
    std::vector<double> ratios;
    for (std::size_t i = 0; i < shown.size(); ++i) ratios.push_back(shown[i] / empty[i]);
    PrintSummary("shown / empty, run by run", ratios, "x ");
    PrintTracedSteps(traces);
    return 0;
}
