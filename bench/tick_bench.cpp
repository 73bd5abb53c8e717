// Velmora's timer tick (Timer1, twice a second) on the simulated desktop, with both Explorer panes captured and the
// settings in a real file on the host file system: its time, and the heap allocations it makes, counted by this
// program's own operator new. After the first tick none should be left: a tick that allocates would churn the heap
// twice a second for as long as Velmora runs.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>

#include "settings/CodePage.h"
#include "settings/FileSystem.h"
#include "settings/ProfileStore.h"
#include "shell/MainForm.h"
#include "sim/Sim.h"

namespace {

std::atomic<std::uint64_t> allocations{0};

void* Allocate(std::size_t size) {
    ++allocations;
    if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
    throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }

namespace {

using namespace velmora;

// The simulated desktop's windows, Explorer objects and form runtime, with the host's file system for the settings.
struct TickFixture {
    explicit TickFixture(bool withSettings) {
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        if (withSettings) {
            const std::string path = settings::SettingsPathFor(desktop.program.folder);
            store.WriteString(path, "Velmora", "Grid", "1");
            store.WriteString(path, "Velmora", "LineSel", "0");
        }
        sim.form.Start(form);
    }
    ~TickFixture() { std::filesystem::remove_all(folder); }

    std::filesystem::path folder = std::filesystem::temp_directory_path() / "velmora-tick-bench";
    std::unique_ptr<settings::FileSystem> files = settings::MakeHostFileSystem();
    sim::Desktop sim;
    // The program folder is one below: setting.ini is joined to it with a backslash, a plain character here.
    platform::Desktop desktop{sim.form,
                              sim.windows,
                              sim.explorers,
                              sim.processes,
                              sim.shell,
                              sim.shell,
                              sim.clock,
                              *files,
                              *sim.codePage,
                              {(folder / "Velmora").string(), "Velmora", "C:\\Windows\\System32", 1, 0, 0}};
    settings::ProfileStore store{*files, *sim.codePage};
    shell::MainForm form{desktop, store};
};

void Tick(benchmark::State& state, bool withSettings) {
    const std::uint64_t beforeStart = allocations.load();
    TickFixture fixture(withSettings);
    // The start-up's allocations, as a check that the counting works.
    const std::uint64_t start = allocations.load() - beforeStart;
    const std::uint64_t beforeFirst = allocations.load();
    fixture.form.OnTimer();
    const std::uint64_t first = allocations.load() - beforeFirst;
    // Counted apart from the timing loop, which is the library's.
    constexpr int kCounted = 1000;
    const std::uint64_t before = allocations.load();
    for (int tick = 0; tick < kCounted; ++tick) fixture.form.OnTimer();
    const std::uint64_t counted = allocations.load() - before;
    for (auto _ : state) fixture.form.OnTimer();
    state.counters["allocs_start"] = static_cast<double>(start);
    state.counters["allocs_first_tick"] = static_cast<double>(first);
    state.counters["allocs_next_1000_ticks"] = static_cast<double>(counted);
}

void TimerTickWithSettingsFile(benchmark::State& state) { Tick(state, true); }
BENCHMARK(TimerTickWithSettingsFile);

void TimerTickWithoutSettingsFile(benchmark::State& state) { Tick(state, false); }
BENCHMARK(TimerTickWithoutSettingsFile);

}  // namespace
