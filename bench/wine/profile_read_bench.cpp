// Times our profile reads against the platform's GetPrivateProfileStringW on
// the same 64 KB file, in one run, and prints the ratio. Run under Wine (or on
// Windows): scripts/bench does.
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

    std::printf("%-34s %12s %12s %8s\n", "read", "ours (ns)", "platform", "ratio");
    std::printf("%-34s %12.0f %12.0f %7.1fx\n", "one key of a 64 KB file", oursKey, platformKey, platformKey / oursKey);
    std::printf("%-34s %12.0f %12.0f %7.1fx\n", "Grid + LineSel (one timer tick)", oursFlags, platformFlags,
                platformFlags / oursFlags);
    DeleteFileW(widePath.c_str());
    return 0;
}
