// What Velmora costs while nothing happens: Velmora.exe from a fresh program folder (no setting.ini, so both Explorer
// panes show Computer) and a plain window program (this harness started with --empty) run side by side; after a
// settling time, the processor time each process used is measured over the same 60 seconds (under Wine from the
// Linux processes' accounts, on Windows with GetProcessTimes). A third program, the plain window with a 500 ms timer
// that does nothing, shows the floor of a timer ticking as often as Velmora's under the same conditions. Under Wine
// the Wine server's time is read too, once with all three running and once more, after Velmora has closed, without it. Run under Wine (or on Windows):
// scripts/bench does. "idle_bench.exe 20" measures 20 seconds instead.
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <sstream>

#include "BenchKit.h"

namespace {

using namespace bench;

constexpr DWORD kSettleMs = 5000;

// Processor time of a process as the system counts it: under Wine the Linux process's own account (its /proc
// entry, seen through drive Z:), since Wine reports no times for other processes; on Windows GetProcessTimes.
class ProcessClock {
public:
    // The Linux process whose command line holds marker (a path in the harness's own folder), or, for the Wine
    // server, the one whose name begins "wineserver" and whose environment names this prefix.
    static ProcessClock Find(HANDLE process, const std::string& marker) {
        ProcessClock clock;
        clock.process_ = process;
        char prefix[1024] = {};
        const DWORD length = GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix);
        const std::string wanted = std::string("WINEPREFIX=") + (length < sizeof prefix ? prefix : "") + '\0';
        WIN32_FIND_DATAW entry;
        HANDLE find = FindFirstFileW(L"Z:\\proc\\*", &entry);
        if (find == INVALID_HANDLE_VALUE) return clock;
        do {
            if (entry.cFileName[0] < L'0' || entry.cFileName[0] > L'9') continue;
            const std::wstring folder = std::wstring(L"Z:\\proc\\") + entry.cFileName;
            const bool match = marker.empty()
                                   ? ReadBytes(folder + L"\\comm").starts_with("wineserver") && length > 0 &&
                                         ReadBytes(folder + L"\\environ").find(wanted) != std::string::npos
                                   : ReadBytes(folder + L"\\cmdline").find(marker) != std::string::npos;
            if (match) {
                clock.folder_ = folder;
                break;
            }
        } while (FindNextFileW(find, &entry));
        FindClose(find);
        return clock;
    }

    bool Found() const { return !folder_.empty() || process_ != nullptr; }

    // Milliseconds of processor time so far: under Wine the sum of the threads' scheduler accounts (nanoseconds),
    // so a thread that ended in between is no longer counted; the harness notes the tick count beside it.
    double Ms() const {
        if (folder_.empty()) return WindowsMs();
        double ns = 0;
        WIN32_FIND_DATAW entry;
        HANDLE find = FindFirstFileW((folder_ + L"\\task\\*").c_str(), &entry);
        if (find == INVALID_HANDLE_VALUE) return -1;
        do {
            if (entry.cFileName[0] < L'0' || entry.cFileName[0] > L'9') continue;
            ns += std::strtod(ReadBytes(folder_ + L"\\task\\" + entry.cFileName + L"\\schedstat").c_str(), nullptr);
        } while (FindNextFileW(find, &entry));
        FindClose(find);
        return ns / 1e6;
    }

    // User and system clock ticks (a hundredth of a second each) of every thread, ended ones included; -1 where
    // there is no /proc entry.
    long long Ticks() const {
        if (folder_.empty()) return -1;
        const std::string text = ReadBytes(folder_ + L"\\stat");
        const std::size_t close = text.rfind(')');
        if (close == std::string::npos) return -1;
        // After the name: the state letter, then fields 4 to 13, then utime and stime.
        std::istringstream fields(text.substr(close + 2));
        std::string field;
        long long utime = 0, stime = 0;
        for (int i = 3; i <= 13 && fields >> field; ++i) {
        }
        fields >> utime >> stime;
        return utime + stime;
    }

private:
    double WindowsMs() const {
        FILETIME created, ended, kernel, user;
        if (process_ == nullptr || !GetProcessTimes(process_, &created, &ended, &kernel, &user)) return -1;
        const auto ms = [](const FILETIME& time) {
            return static_cast<double>((static_cast<unsigned long long>(time.dwHighDateTime) << 32) |
                                       time.dwLowDateTime) /
                   10000.0;
        };
        return ms(kernel) + ms(user);
    }

    HANDLE process_ = nullptr;
    std::wstring folder_;
};

struct Reading {
    double ms = 0;
    long long ticks = 0;
};

Reading Read(const ProcessClock& clock) { return {clock.Ms(), clock.Ticks()}; }

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--empty") == 0) return RunEmptyProgram();
    if (argc > 1 && std::strcmp(argv[1], "--timer") == 0) return RunEmptyProgram(true);
    const DWORD measureMs = argc > 1 ? static_cast<DWORD>(std::atoi(argv[1])) * 1000 : 60000;

    const std::wstring folder = FreshFolder(L"velmora-idle-bench");
    const std::wstring velmora = folder + L"\\Velmora.exe";
    if (!CopyFileW((BinFolder() + L"\\Velmora.exe").c_str(), velmora.c_str(), FALSE)) {
        std::printf("cannot copy Velmora.exe from %ls\n", BinFolder().c_str());
        return 1;
    }
    // A copy of this harness in the same folder is the plain program: its path tells its process apart.
    const std::wstring plainCopy = folder + L"\\plain_window.exe";
    const std::wstring timerCopy = folder + L"\\plain_timer.exe";
    CopyFileW(OwnPath().c_str(), plainCopy.c_str(), FALSE);
    CopyFileW(OwnPath().c_str(), timerCopy.c_str(), FALSE);
    const Started program = Start(velmora, L"", folder);
    const Started empty = Start(plainCopy, L"--empty", folder);
    const Started ticking = Start(timerCopy, L"--timer", folder);
    HWND main = program ? WaitForWindow(ids::kMainWindowClass, program) : nullptr;
    HWND plain = empty ? WaitForWindow(kEmptyClass, empty) : nullptr;
    HWND timed = ticking ? WaitForWindow(kEmptyClass, ticking) : nullptr;
    if (main == nullptr || plain == nullptr || timed == nullptr) {
        std::printf("a program showed no window\n");
        Close(program, main);
        Close(empty, plain);
        Close(ticking, timed);
        return 1;
    }
    const ProcessClock velmoraClock = ProcessClock::Find(program.process, Ascii(velmora));
    const ProcessClock plainClock = ProcessClock::Find(empty.process, Ascii(plainCopy));
    const ProcessClock timerClock = ProcessClock::Find(ticking.process, Ascii(timerCopy));
    const ProcessClock serverClock = ProcessClock::Find(nullptr, "");
    // The panes list Computer and the first timer ticks find the file lists: none of that is idle yet.
    Sleep(kSettleMs);
    const double began = Now();
    const Reading velmoraBefore = Read(velmoraClock), plainBefore = Read(plainClock), timerBefore = Read(timerClock),
                  serverBefore = Read(serverClock);
    Sleep(measureMs);
    const Reading velmoraAfter = Read(velmoraClock), plainAfter = Read(plainClock), timerAfter = Read(timerClock),
                  serverAfter = Read(serverClock);
    const double seconds = (Now() - began) / 1000.0;
    Close(program, main);
    // The plain program alone, for the Wine server's share without Velmora.
    Reading serverAloneBefore{}, serverAloneAfter{};
    if (serverClock.Found()) {
        Sleep(kSettleMs);
        serverAloneBefore = Read(serverClock);
        Sleep(measureMs);
        serverAloneAfter = Read(serverClock);
    }
    Close(empty, plain);
    Close(ticking, timed);
    RemoveFolder(folder);

    const auto report = [&](const char* what, const Reading& before, const Reading& after) {
        const double ms = after.ms - before.ms;
        std::printf("  %-40s %8.1f ms  %6.3f%% of one core", what, ms, ms / (seconds * 1000.0) * 100.0);
        if (before.ticks >= 0) std::printf("  (%lld ticks of 10 ms)", after.ticks - before.ticks);
        std::printf("\n");
    };
    std::printf("processor time over %.1f s, nothing happening (Velmora: both panes at Computer):\n", seconds);
    report("Velmora.exe", velmoraBefore, velmoraAfter);
    report("plain window program", plainBefore, plainAfter);
    report("plain window with a 500 ms timer", timerBefore, timerAfter);
    if (serverClock.Found()) {
        report("Wine server, all three running", serverBefore, serverAfter);
        report("Wine server, without Velmora", serverAloneBefore, serverAloneAfter);
    } else {
        std::printf("  Wine server: not found\n");
    }
    return 0;
}
