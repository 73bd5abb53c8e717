#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "settings/FileSystem.h"
#include "platform/Processes.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimJournal.h"
#include "platform/sim/SimWindowManager.h"

namespace velmora::platform::sim {

// How a simulated program behaves once started: the kinds of programs the
// application pane must cope with.
enum class ProgramKind {
    Normal,       // one visible, titled, unowned top-level window
    OwnedOnly,    // its visible window is owned by a hidden one of its own
    Titleless,    // one visible top-level window without a title
    ExitsAtOnce,  // ends before it opens any window
    NeverIdle,    // opens its window but never waits for input: the window does not answer messages
};

struct SimProgram {
    ProgramKind kind = ProgramKind::Normal;
    std::string title = "Program";
    std::string className = "SimProgramWindow";
    std::uint32_t windowDelayMs = 0;           // after the start
    std::optional<std::uint32_t> exitAfterMs;  // ends by itself then
};

struct StartRecord {
    std::string commandLine;
    int showCommand = 0;
    std::uint32_t processId = 0;  // 0 when the start was refused
};

// Programs that can be started by path, and the processes they became.
class SimProcesses : public Processes {
public:
    SimProcesses(SimWindowManager& windows, SimClock& clock, settings::FileSystem& files, Journal& journal)
        : windows_(windows), clock_(clock), files_(files), journal_(journal) {}

    std::uint32_t Start(const std::string& commandLine, int showCommand) override;
    bool WaitForInputIdle(std::uint32_t processId, std::uint32_t timeoutMs) override;
    std::optional<std::string> AssociatedProgram(const std::string& document) override;
    std::unique_ptr<RunningProcess> Launch(const std::string& path) override;

    // The path is matched without regard to case, as Windows paths are.
    void RegisterProgram(const std::string& path, SimProgram program);
    // Documents with this extension (no dot) open with that program.
    void Associate(const std::string& extension, const std::string& programPath);
    // Ends a process; its windows go with it.
    void EndProcess(std::uint32_t processId);

    bool IsRunning(std::uint32_t processId) const;
    const std::vector<StartRecord>& Starts() const { return starts_; }
    // The windows a process has opened so far, in order of creation.
    std::vector<WindowHandle> WindowsOf(std::uint32_t processId) const;

private:
    struct Process {
        SimProgram program;
        bool running = true;
        bool windowOpen = false;
        std::uint32_t windowAt = 0;  // clock time its window opens
        std::vector<WindowHandle> windows;
    };

    const SimProgram* FindProgram(const std::string& path) const;
    // The program path at the start of a command line: a quoted path, or the
    // longest registered path the line begins with, or the text up to the first blank.
    std::string ProgramPathOf(const std::string& commandLine) const;
    std::uint32_t Spawn(const SimProgram& program);
    void OpenWindows(std::uint32_t processId);

    SimWindowManager& windows_;
    SimClock& clock_;
    settings::FileSystem& files_;
    Journal& journal_;
    std::map<std::string, SimProgram> programs_;       // by case-folded path
    std::map<std::string, std::string> associations_;  // case-folded extension -> program path
    std::map<std::uint32_t, Process> processes_;
    std::vector<StartRecord> starts_;
    std::uint32_t nextProcessId_ = 4000;
};

}  // namespace velmora::platform::sim
