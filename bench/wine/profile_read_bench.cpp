// Times our profile reads against the platform's GetPrivateProfileStringW/GetPrivateProfileIntW on the same 64 KB
// file, and Option's save (every key of its form and 50 launcher rows, as option::SaveSettings writes them: one
// transaction through our store and the Win32 file system) against the same keys and values written with
// WritePrivateProfileStringW one by one, in one run, and prints the ratios. Run under Wine (or on Windows):
// scripts/bench does.
#include <windows.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "option/OptionSettings.h"
#include "platform/win32/kit/WinString.h"
#include "settings/CodePage.h"
#include "settings/FileSystem.h"
#include "settings/ProfileStore.h"

namespace {

using velmora::win32::Narrow;
using velmora::win32::Widen;

double Seconds(LARGE_INTEGER start, LARGE_INTEGER end) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <typename Body>
double NanosecondsPerCall(int calls, Body body) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < calls; ++i) body();
    QueryPerformanceCounter(&end);
    return Seconds(start, end) * 1e9 / calls;
}

struct Line {
    std::string section, key, value;
};

}  // namespace

int main() {
    wchar_t tempFolder[MAX_PATH];
    GetTempPathW(MAX_PATH, tempFolder);
    const std::wstring widePath = std::wstring(tempFolder) + L"velmora-bench.ini";
    const std::string path = Narrow(widePath);

    std::string text = "[setting]\r\nwindow=1\r\nView=1\r\n[Velmora]\r\nGrid=1\r\nLineSel=0\r\n[App]\r\n";
    for (int i = 0; i < 700; ++i) {
        text += "Application" + std::to_string(i) + "=C:\\Program Files\\Vendor" + std::to_string(i) +
                "\\Some Application\\application" + std::to_string(i) + ".exe\r\n";
    }
    text += "[pos]\r\nX01=150\r\nY01=-300\r\n";
    auto files = velmora::settings::MakeHostFileSystem();
    auto codePage = velmora::settings::MakeHostCodePage();
    files->WriteAllAtomic(path, text);

    velmora::settings::ProfileStore store(*files, *codePage);
    const int calls = 20000;
    wchar_t buffer[32767];

    const double oursKey = NanosecondsPerCall(calls, [&] { (void)store.ReadString(path, "pos", "Y01"); });
    const double platformKey = NanosecondsPerCall(
        calls, [&] { GetPrivateProfileStringW(L"pos", L"Y01", L"", buffer, 32767, widePath.c_str()); });
    const double oursFlags = NanosecondsPerCall(calls, [&] {
        (void)store.ReadInt(path, "Velmora", "Grid", 0);
        (void)store.ReadInt(path, "Velmora", "LineSel", 0);
    });
    // The timer's reads: polled, they look at the file only after its folder changed or one of our writers wrote.
    const double oursPolled = NanosecondsPerCall(calls, [&] {
        (void)store.PollInt(path, "Velmora", "Grid", 0);
        (void)store.PollInt(path, "Velmora", "LineSel", 0);
    });
    const double platformFlags = NanosecondsPerCall(calls, [&] {
        GetPrivateProfileIntW(L"Velmora", L"Grid", 0, widePath.c_str());
        GetPrivateProfileIntW(L"Velmora", L"LineSel", 0, widePath.c_str());
    });

    // Option's save, each round with other launcher paths, so that every save has something to write. Ours goes to
    // a setting.ini of its own folder; the platform's writes the same lines, read back from ours, to another file.
    const std::wstring saveFolder = std::wstring(tempFolder) + L"velmora-save-bench";
    CreateDirectoryW(saveFolder.c_str(), nullptr);
    const std::string oursFolder = Narrow(saveFolder);
    const std::wstring oursFile = saveFolder + L"\\setting.ini";
    const std::wstring platformFile = saveFolder + L"\\platform.ini";
    DeleteFileW(oursFile.c_str());
    DeleteFileW(platformFile.c_str());
    velmora::option::OptionState state;
    state.rememberWindow = true;
    state.grid = true;
    state.bootPath = "C:\\Tools\\boot.exe";
    state.offsetX = {10, 20, 30};
    state.offsetY = {-5, 0, 5};
    state.hotkeys = {0x0341, 0x0A24};
    const velmora::option::TwipsPerPixel twips{15, 15};
    const auto rowsFor = [](int round) {
        std::vector<velmora::option::LauncherRow> rows;
        for (int i = 0; i < 50; ++i) {
            rows.push_back({"App" + std::to_string(i), "C:\\Tools\\app" + std::to_string(i + round) + ".exe"});
        }
        return rows;
    };
    const int saves = 20;
    int round = 0;
    const double oursSave = NanosecondsPerCall(saves, [&] {
        state.launcherRows = rowsFor(++round);
        (void)velmora::option::SaveSettings(store, oursFolder, twips, state);
    });
    // The lines our last save left, in the order Option writes them: section App first, then the form's keys.
    const std::string savedPath = Narrow(oursFile);
    std::vector<Line> keys;
    for (const char* section : {"setting", "Velmora", "pos"}) {
        for (const auto& [key, value] : store.ReadSection(savedPath, section)) keys.push_back({section, key, value});
    }
    const double platformSave = NanosecondsPerCall(saves, [&] {
        WritePrivateProfileStringW(L"App", nullptr, nullptr, platformFile.c_str());
        for (const auto& row : rowsFor(++round)) {
            WritePrivateProfileStringW(L"App", Widen(row.name).c_str(), Widen(row.path).c_str(), platformFile.c_str());
        }
        for (const Line& line : keys) {
            WritePrivateProfileStringW(Widen(line.section).c_str(), Widen(line.key).c_str(), Widen(line.value).c_str(),
                                       platformFile.c_str());
        }
    });

    std::printf("%-42s %12s %12s %8s\n", "", "ours (us)", "platform", "ratio");
    std::printf("%-42s %12.1f %12.1f %7.1fx\n", "read: one key of a 64 KB file", oursKey / 1000, platformKey / 1000,
                platformKey / oursKey);
    std::printf("%-42s %12.1f %12.1f %7.1fx\n", "read: Grid + LineSel (two reads)", oursFlags / 1000,
                platformFlags / 1000, platformFlags / oursFlags);
    std::printf("%-42s %12.2f %12.1f %7.0fx\n", "read: Grid + LineSel polled (timer)", oursPolled / 1000,
                platformFlags / 1000, platformFlags / oursPolled);
    char what[64];
    std::snprintf(what, sizeof what, "Option's save: %zu keys, 50 launcher rows", keys.size());
    std::printf("%-42s %12.1f %12.1f %7.1fx\n", what, oursSave / 1000, platformSave / 1000, platformSave / oursSave);
    DeleteFileW(widePath.c_str());
    DeleteFileW(oursFile.c_str());
    DeleteFileW((oursFile + L".lock").c_str());
    DeleteFileW(platformFile.c_str());
    RemoveDirectoryW(saveFolder.c_str());
    return 0;
}
