#include "platform/sim/SimProcesses.h"

namespace velmora::platform::sim {
namespace {

std::string Folded(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

constexpr std::uint32_t kInfinite = 0xFFFFFFFF;

class SimRunningProcess : public RunningProcess {
public:
    SimRunningProcess(const SimProcesses& processes, std::uint32_t id) : processes_(processes), id_(id) {}
    bool HasExited() override { return !processes_.IsRunning(id_); }
    std::uint32_t ProcessId() override { return id_; }

private:
    const SimProcesses& processes_;
    std::uint32_t id_;
};

}  // namespace

void SimProcesses::RegisterProgram(const std::string& path, SimProgram program) {
    programs_[Folded(path)] = std::move(program);
}

void SimProcesses::Associate(const std::string& extension, const std::string& programPath) {
    associations_[Folded(extension)] = programPath;
}

const SimProgram* SimProcesses::FindProgram(const std::string& path) const {
    auto it = programs_.find(Folded(path));
    return it == programs_.end() ? nullptr : &it->second;
}

std::string SimProcesses::ProgramPathOf(const std::string& commandLine) const {
    if (commandLine.starts_with('"')) {
        const auto close = commandLine.find('"', 1);
        return commandLine.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    }
    // Unquoted paths with blanks: CreateProcess tries the longer readings too.
    const std::string folded = Folded(commandLine);
    std::string best;
    for (const auto& [path, program] : programs_) {
        const bool startsLine =
            folded.starts_with(path) && (folded.size() == path.size() || folded[path.size()] == ' ');
        if (startsLine && path.size() > best.size()) best = commandLine.substr(0, path.size());
    }
    return best.empty() ? commandLine.substr(0, commandLine.find(' ')) : best;
}

std::uint32_t SimProcesses::Spawn(const SimProgram& program) {
    const std::uint32_t id = nextProcessId_;
    nextProcessId_ += 4;
    Process& process = processes_[id];
    process.program = program;
    if (program.kind == ProgramKind::ExitsAtOnce) {
        process.running = false;
        return id;
    }
    process.windowAt = clock_.NowMs() + program.windowDelayMs;
    if (program.windowDelayMs == 0) {
        OpenWindows(id);
    } else {
        clock_.After(program.windowDelayMs, [this, id] { OpenWindows(id); });
    }
    if (program.exitAfterMs) clock_.After(*program.exitAfterMs, [this, id] { EndProcess(id); });
    return id;
}

void SimProcesses::OpenWindows(std::uint32_t processId) {
    Process& process = processes_.at(processId);
    if (!process.running) return;
    const SimProgram& program = process.program;
    const WindowIdentity identity{processId, processId + 1};
    SimWindowSpec shape{program.className, program.title, 0, 0, true, identity};
    if (program.kind == ProgramKind::OwnedOnly) {
        const WindowHandle owner = windows_.Create({"SimHiddenOwner", program.title, 0, 0, false, identity});
        process.windows.push_back(owner);
        shape.owner = owner;
    }
    if (program.kind == ProgramKind::Titleless) shape.title.clear();
    process.windows.push_back(windows_.Create(shape));
    // Its thread never gets to its message loop.
    if (program.kind == ProgramKind::NeverIdle) windows_.SetHung(process.windows.back(), true);
    process.windowOpen = true;
}

std::uint32_t SimProcesses::Start(const std::string& commandLine, int showCommand) {
    journal_.Add("Start " + commandLine + " " + std::to_string(showCommand));
    const SimProgram* program = FindProgram(ProgramPathOf(commandLine));
    const std::uint32_t id = program ? Spawn(*program) : 0;
    starts_.push_back({commandLine, showCommand, id});
    return id;
}

bool SimProcesses::WaitForInputIdle(std::uint32_t processId, std::uint32_t timeoutMs) {
    auto it = processes_.find(processId);
    if (it == processes_.end() || !it->second.running) return false;
    if (it->second.program.kind == ProgramKind::NeverIdle) {
        // An infinite wait would hang the real program for good; here it
        // returns at once, and a test sees the failed wait instead.
        if (timeoutMs != kInfinite) clock_.Advance(timeoutMs);
        return false;
    }
    // A program is ready for input once its window is open.
    if (!it->second.windowOpen) {
        const std::uint32_t remaining = it->second.windowAt - clock_.NowMs();
        if (remaining > timeoutMs) {
            if (timeoutMs != kInfinite) clock_.Advance(timeoutMs);
            return false;
        }
        clock_.Advance(remaining);
    }
    return it->second.windowOpen && it->second.running;
}

std::optional<std::string> SimProcesses::AssociatedProgram(const std::string& document) {
    if (!files_.FileExists(document)) return std::nullopt;
    const std::string name = document.substr(document.find_last_of('\\') + 1);
    const auto dot = name.rfind('.');
    if (dot == std::string::npos) return std::nullopt;
    const std::string extension = Folded(name.substr(dot + 1));
    if (extension == "exe") return document;
    auto it = associations_.find(extension);
    if (it == associations_.end()) return std::nullopt;
    return it->second;
}

std::unique_ptr<RunningProcess> SimProcesses::Launch(const std::string& path) {
    journal_.Add("Launch " + path);
    const SimProgram* program = FindProgram(path);
    const std::uint32_t id = program ? Spawn(*program) : 0;
    starts_.push_back({path, kShowNormal, id});
    if (id == 0) return nullptr;
    return std::make_unique<SimRunningProcess>(*this, id);
}

void SimProcesses::EndProcess(std::uint32_t processId) {
    auto it = processes_.find(processId);
    if (it == processes_.end() || !it->second.running) return;
    it->second.running = false;
    for (WindowHandle window : it->second.windows) {
        // A handle may already belong to someone else's window.
        if (windows_.GetIdentity(window).processId == processId) windows_.Destroy(window);
    }
}

bool SimProcesses::IsRunning(std::uint32_t processId) const {
    auto it = processes_.find(processId);
    return it != processes_.end() && it->second.running;
}

std::vector<WindowHandle> SimProcesses::WindowsOf(std::uint32_t processId) const {
    auto it = processes_.find(processId);
    return it == processes_.end() ? std::vector<WindowHandle>{} : it->second.windows;
}

}  // namespace velmora::platform::sim
