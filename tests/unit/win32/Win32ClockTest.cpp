// The clock and the message pump of the user-interface thread.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32Processes.h"
#include "platform/win32/kit/WinString.h"

namespace velmora::win32 {
namespace {

constexpr UINT kPing = WM_APP + 7;
int pings = 0;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kPing) {
        ++pings;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class Win32ClockTest : public testing::Test {
protected:
    void SetUp() override {
        WNDCLASSW cls{};
        cls.lpfnWndProc = CountingProc;
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.lpszClassName = L"VelmoraClockTest";
        RegisterClassW(&cls);
        window_ =
            CreateWindowExW(0, cls.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, cls.hInstance, nullptr);
        pings = 0;
    }
    void TearDown() override { DestroyWindow(window_); }

    HWND window_ = nullptr;
    Win32Clock clock_;
};

TEST_F(Win32ClockTest, SleepAdvancesTheMillisecondClock) {
    const std::uint32_t before = clock_.NowMs();
    clock_.Sleep(100);
    const std::uint32_t elapsed = clock_.NowMs() - before;
    EXPECT_GE(elapsed, 90u);
    EXPECT_LT(elapsed, 2000u);
}

TEST_F(Win32ClockTest, PumpHandlesWhatIsQueuedAndLeavesTheQuitForTheMainLoop) {
    PostMessageW(window_, kPing, 0, 0);
    PostMessageW(window_, kPing, 0, 0);
    PostQuitMessage(3);
    clock_.PumpPendingMessages();
    EXPECT_EQ(pings, 2);
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 3u);
}

TEST_F(Win32ClockTest, WaitWakesForAMessageAndForTheProcessEnd) {
    wchar_t folder[MAX_PATH];
    GetSystemDirectoryW(folder, MAX_PATH);
    Win32Processes processes;
    auto busy = processes.Launch(Narrow(folder) + "\\notepad.exe");
    ASSERT_NE(busy, nullptr);
    PostMessageW(window_, kPing, 0, 0);
    std::uint32_t start = clock_.NowMs();
    clock_.WaitForProcessOrMessage(*busy, 5000);
    EXPECT_LT(clock_.NowMs() - start, 2000u) << "a waiting message must end the wait";
    EXPECT_EQ(pings, 1);
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, busy->ProcessId())) {
        TerminateProcess(process, 0);
        CloseHandle(process);
    }

    auto quick = processes.Launch(Narrow(folder) + "\\hostname.exe");
    ASSERT_NE(quick, nullptr);
    start = clock_.NowMs();
    while (!quick->HasExited() && clock_.NowMs() - start < 10000) clock_.WaitForProcessOrMessage(*quick, 10000);
    EXPECT_TRUE(quick->HasExited());
    EXPECT_LT(clock_.NowMs() - start, 9000u) << "the end of the process must end the wait";
}

}  // namespace
}  // namespace velmora::win32
