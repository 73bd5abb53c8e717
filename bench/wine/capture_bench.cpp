// Velmora's own part of a launcher pick, measured inside Velmora: it runs with its timing trace on (VELMORA_TRACE=1)
// and one launcher entry, the fixture program copied as fixture_normal.exe, which is picked 20 times in a row (each
// copy stays captured, so the last pick fits 20 windows). From the trace, each pick's own steps are the time from
// the pick to the fitted tab less the two waits (the program's start until it is ready for input, and the settle
// wait), which are reported apart. The whole pick as seen from outside (the selection message until the tab strip
// has one more tab) is timed too. Run under Wine (or on Windows): scripts/bench does; "capture_bench.exe --each" also
// prints every pick's steps.
#include <sstream>

#include "BenchKit.h"

namespace {

using namespace bench;

constexpr int kPicks = 20;

int TabCount(HWND strip) {
    DWORD_PTR count = 0;
    SendMessageTimeoutW(strip, TCM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &count);
    return static_cast<int>(count);
}

// Picks the first launcher entry as the user does; milliseconds until the tab is added, or a negative number.
double TimePick(HWND main) {
    HWND combo = ControlOf(main, ids::kCboApp);
    HWND strip = ControlOf(main, ids::kTabStrip2);
    const int before = TabCount(strip);
    SendMessageTimeoutW(combo, CB_SETCURSEL, 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs, nullptr);
    const double start = Now();
    PostMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(ids::kCboApp, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    while (TabCount(strip) == before) {
        if (Now() - start > kTimeoutMs) return -1;
        Sleep(1);
    }
    return Now() - start;
}

struct Mark {
    double ms = 0;
    bool wait = false;
    std::string name;
};

std::vector<Mark> ReadTrace(const std::wstring& path) {
    std::vector<Mark> marks;
    std::istringstream lines(ReadBytes(path));
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] == '#') continue;
        if (line.back() == '\r') line.pop_back();
        std::istringstream fields(line);
        Mark mark;
        std::string kind;
        fields >> mark.ms >> kind;
        std::getline(fields >> std::ws, mark.name);
        mark.wait = kind == "wait";
        marks.push_back(mark);
    }
    return marks;
}

struct Pick {
    double own = 0;
    std::vector<std::pair<std::string, double>> steps;  // each mark's time since the mark before it, in order
};

// Every pick from its "pick" mark to its "fitted" mark.
std::vector<Pick> PicksOf(const std::vector<Mark>& marks) {
    std::vector<Pick> picks;
    for (std::size_t i = 0; i < marks.size(); ++i) {
        if (marks[i].wait || marks[i].name != "pick") continue;
        Pick pick;
        double waits = 0;
        std::size_t j = i + 1;
        for (; j < marks.size() && marks[j].name != "pick"; ++j) {
            const double took = marks[j].ms - marks[j - 1].ms;
            pick.steps.emplace_back(marks[j].name, took);
            if (marks[j].wait) waits += took;
            if (marks[j].name == "fitted") break;
        }
        if (j == marks.size() || marks[j].name != "fitted") continue;
        pick.own = marks[j].ms - marks[i].ms - waits;
        picks.push_back(pick);
        i = j;
    }
    return picks;
}

}  // namespace

int main(int argc, char** argv) {
    const bool each = argc > 1 && std::string(argv[1]) == "--each";
    const std::wstring folder = FreshFolder(L"velmora-capture-bench");
    const std::wstring velmora = folder + L"\\Velmora.exe";
    const std::wstring fixture = VelmoraWithFixture(folder, L"fixture_normal.exe", "Normal");
    if (fixture.empty()) return 1;

    // Velmora inherits the variable; the fixtures it starts inherit it too, and ignore it.
    SetEnvironmentVariableW(L"VELMORA_TRACE", L"1");
    const Started started = Start(velmora, L"", folder);
    SetEnvironmentVariableW(L"VELMORA_TRACE", nullptr);
    HWND main = started ? WaitForWindow(ids::kMainWindowClass, started) : nullptr;
    // The panes' own start-up work (listing Computer) is over before the first pick.
    Sleep(1000);

    std::vector<double> whole;
    for (int run = 0; run < kPicks && main != nullptr; ++run) {
        whole.push_back(TimePick(main));
        // Lets the pick's handler end (it fits the windows after adding the tab) before the next one.
        Sleep(300);
    }
    // Closing Velmora asks the captured copies to close.
    Close(started, main);
    const std::vector<Pick> picks = PicksOf(ReadTrace(folder + L"\\velmora-trace.txt"));
    Sleep(500);
    RemoveFolder(folder);

    if (main == nullptr || std::count(whole.begin(), whole.end(), -1.0) > 0 || picks.size() != kPicks) {
        std::printf("a run failed: no main window, no tab, or %zu picks traced of %d\n", picks.size(), kPicks);
        return 1;
    }
    std::vector<double> own;
    std::vector<std::pair<std::string, std::vector<double>>> steps;
    for (const Pick& pick : picks) {
        own.push_back(pick.own);
        for (const auto& [name, took] : pick.steps) {
            auto it = std::find_if(steps.begin(), steps.end(), [&](const auto& step) { return step.first == name; });
            if (it == steps.end()) it = steps.insert(steps.end(), {name, {}});
            it->second.push_back(took);
        }
    }
    std::printf("launcher pick to tab, %d picks in a row (Velmora's timing trace):\n", kPicks);
    PrintSummary("Velmora's own steps (waits excluded)", own);
    std::printf("  worst own steps %.2f ms; first pick %.2f ms, last (20 windows fitted) %.2f ms\n",
                Summarise(own).max, own.front(), own.back());
    if (each) {
        for (const Pick& pick : picks) {
            for (const auto& [name, took] : pick.steps) std::printf("%s=%.2f ", name.c_str(), took);
            std::printf("\n");
        }
    }
    for (const auto& [name, took] : steps) PrintSummary(("  " + name).c_str(), took);
    PrintSummary("whole pick seen from outside", whole);
    return 0;
}
