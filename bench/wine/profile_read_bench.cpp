// Times our profile reads against the platform's GetPrivateProfileStringW on the same 64 KB file, and Option's whole
// save (25 keys and 50 launcher rows) as our one transaction against the platform's WritePrivateProfileStringW key
// by key, in one run, and prints the ratios. Run under Wine (or on Windows): scripts/bench does.
#include <windows.h>

#include <cstdio>
#include <string>

#include "settings/CodePage.h"
#include "settings/FileSystem.h"
#include "platform/win32/kit/WinString.h"
#include "settings/ProfileStore.h"

namespace {

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

}  // namespace

int main() {
    wchar_t tempFolder[MAX_PATH];
    GetTempPathW(MAX_PATH, tempFolder);
    const std::wstring widePath = std::wstring(tempFolder) + L"velmora-bench.ini";
    const std::string path = velmora::win32::Narrow(widePath);

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
    const double platformFlags = NanosecondsPerCall(calls, [&] {
        GetPrivateProfileIntW(L"Velmora", L"Grid", 0, widePath.c_str());
        GetPrivateProfileIntW(L"Velmora", L"LineSel", 0, widePath.c_str());
    });

    // Option's save: the launcher section replaced by 50 rows, then 25 keys, all on a file of that shape.
    const std::wstring saveWide = std::wstring(tempFolder) + L"velmora-save.ini";
    const std::string savePath = velmora::win32::Narrow(saveWide);
    const char* keys[25][2] = {
        {"setting", "window"}, {"setting", "State"}, {"setting", "Bar1"},    {"setting", "Bar2"},    {"setting", "X"},
        {"setting", "Y"},      {"setting", "W"},     {"setting", "H"},       {"setting", "View"},    {"setting", "ViewApl"},
        {"setting", "Boot"},   {"setting", "Hot1"},  {"setting", "Modkey1"}, {"setting", "Hotkey1"}, {"setting", "Hot2"},
        {"setting", "Modkey2"}, {"setting", "Hotkey2"}, {"pos", "X01"},      {"pos", "Y01"},         {"pos", "X02"},
        {"pos", "Y02"},        {"pos", "X03"},       {"pos", "Y03"},         {"Velmora", "Grid"},    {"Velmora", "LineSel"}};
    const int saves = 20;
    int round = 0;
    const double oursSave = NanosecondsPerCall(saves, [&] {
        ++round;
        (void)store.Save(savePath, [&](velmora::settings::ProfileEditor& edit) {
            velmora::settings::ProfileEntries rows;
            for (int i = 0; i < 50; ++i) {
                rows.emplace_back("App" + std::to_string(i), "C:\\Tools\\app" + std::to_string(i + round) + ".exe");
            }
            edit.SetSection("App", rows);
            for (const auto& key : keys) edit.SetInt(key[0], key[1], round);
        });
    });
    const double platformSave = NanosecondsPerCall(saves, [&] {
        ++round;
        WritePrivateProfileStringW(L"App", nullptr, nullptr, saveWide.c_str());
        for (int i = 0; i < 50; ++i) {
            WritePrivateProfileStringW(L"App", (L"App" + std::to_wstring(i)).c_str(),
                                       (L"C:\\Tools\\app" + std::to_wstring(i + round) + L".exe").c_str(), saveWide.c_str());
        }
        for (const auto& key : keys) {
            WritePrivateProfileStringW(velmora::win32::Widen(key[0]).c_str(), velmora::win32::Widen(key[1]).c_str(),
                                       std::to_wstring(round).c_str(), saveWide.c_str());
        }
    });

    std::printf("%-34s %12s %12s %8s\n", "read", "ours (ns)", "platform", "ratio");
    std::printf("%-34s %12.0f %12.0f %7.1fx\n", "one key of a 64 KB file", oursKey, platformKey, platformKey / oursKey);
    std::printf("%-34s %12.0f %12.0f %7.1fx\n", "Grid + LineSel (one timer tick)", oursFlags, platformFlags,
                platformFlags / oursFlags);
    std::printf("%-34s %12.0f %12.0f %7.1fx\n", "Option's save: 25 keys, 50 rows", oursSave, platformSave,
                platformSave / oursSave);
    DeleteFileW(widePath.c_str());
    DeleteFileW(saveWide.c_str());
    DeleteFileW((saveWide + L".lock").c_str());
    return 0;
}
