// The settings reads the program makes most: a key from a large file, the two
// display flags the polling timer reads twice a second, a write, and listing
// the launcher's keys. All go through the real file system.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "settings/CodePage.h"
#include "settings/FileSystem.h"
#include "settings/ProfileStore.h"

namespace {

using velmora::settings::ProfileStore;

struct Fixture {
    std::unique_ptr<velmora::settings::FileSystem> files = velmora::settings::MakeHostFileSystem();
    std::unique_ptr<velmora::settings::CodePage> codePage = velmora::settings::MakeCp932CodePage();
    ProfileStore store{*files, *codePage};
    std::string path;

    explicit Fixture(const std::string& name, int appKeys) {
        path = (std::filesystem::temp_directory_path() / ("velmora-bench-" + name + ".ini")).string();
        std::string text = "[setting]\r\nwindow=1\r\nView=1\r\nBoot=C:\\Tools\\edit.exe\r\n[Velmora]\r\nGrid=1\r\nLineSel=0\r\n";
        text += "[App]\r\n";
        for (int i = 0; i < appKeys; ++i) {
            text += "Application" + std::to_string(i) + "=C:\\Program Files\\Vendor" + std::to_string(i) +
                    "\\Some Application\\application" + std::to_string(i) + ".exe\r\n";
        }
        text += "[pos]\r\nX01=150\r\nY01=-300\r\n";
        std::ofstream(path, std::ios::binary) << text;
    }
    ~Fixture() { std::filesystem::remove(path); }
};

// About 64 KB: 700 launcher entries.
void ReadOneKeyFrom64KB(benchmark::State& state) {
    Fixture fixture("read", 700);
    for (auto _ : state) {
        benchmark::DoNotOptimize(fixture.store.ReadString(fixture.path, "pos", "Y01"));
    }
}
BENCHMARK(ReadOneKeyFrom64KB);

void ReadDisplayFlags(benchmark::State& state) {
    Fixture fixture("flags", 700);
    for (auto _ : state) {
        benchmark::DoNotOptimize(fixture.store.ReadInt(fixture.path, "Velmora", "Grid", 0));
        benchmark::DoNotOptimize(fixture.store.ReadInt(fixture.path, "Velmora", "LineSel", 0));
    }
}
BENCHMARK(ReadDisplayFlags);

void WriteOneKey(benchmark::State& state) {
    Fixture fixture("write", 50);
    int n = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(fixture.store.WriteString(fixture.path, "setting", "View", std::to_string(n++ % 3)));
    }
}
BENCHMARK(WriteOneKey);

void EnumerateFiveHundredKeys(benchmark::State& state) {
    Fixture fixture("names", 500);
    for (auto _ : state) {
        benchmark::DoNotOptimize(fixture.store.ReadKeyNames(fixture.path, "App"));
    }
}
BENCHMARK(EnumerateFiveHundredKeys);

// The first read of a file that changed: parse and decode 64 KB.
void ReadAfterChange(benchmark::State& state) {
    Fixture fixture("uncached", 700);
    velmora::settings::ProfileStore other(*fixture.files, *fixture.codePage);
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        other.WriteString(fixture.path, "setting", "View", std::to_string(n++ % 3));
        state.ResumeTiming();
        benchmark::DoNotOptimize(fixture.store.ReadString(fixture.path, "pos", "Y01"));
    }
}
BENCHMARK(ReadAfterChange);

}  // namespace
