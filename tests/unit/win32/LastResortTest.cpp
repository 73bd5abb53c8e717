// The crash handlers' give-back, with windows of other threads of this process standing in for other programs'.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "helpers/WaitFor.h"
#include "platform/win32/LastResort.h"

namespace velmora::win32 {
namespace {

// A window whose thread takes a second to answer anything sent to it: one that does not answer in time.
LRESULT CALLBACK SlowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NULL) Sleep(1000);
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST(LastResortTest, GivesBackEachHeldWindowWhoseThreadAnswersShownWhereItIs) {
    const WNDCLASSW slowClass{0, SlowProc, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, L"VelmoraSlowToAnswer"};
    RegisterClassW(&slowClass);
    HWND frame = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 200, 150, 400, 300, nullptr, nullptr,
                                 nullptr, nullptr);
    HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<HWND> held[2]{};  // answering, slow
    std::atomic<int> ended = 0;
    // Each thread makes its window in the frame, reads its messages until stopped, then ends its window.
    std::vector<std::thread> threads;
    for (const wchar_t* className : {L"STATIC", slowClass.lpszClassName}) {
        threads.emplace_back([&, className, slot = threads.size()] {
            HWND window =
                CreateWindowExW(0, className, L"", WS_POPUP, 0, 0, 120, 80, nullptr, nullptr, nullptr, nullptr);
            SetParent(window, frame);
            held[slot] = window;
            while (MsgWaitForMultipleObjects(1, &stop, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
                MSG message;
                while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
            }
            DestroyWindow(window);
            ++ended;
        });
    }
    WaitFor([&] { return held[0] && held[1]; });
    HWND answering = held[0], slow = held[1];
    last_resort::Hold(slow);
    last_resort::Hold(answering);
    RECT before{}, after{};
    GetWindowRect(answering, &before);

    last_resort::GiveBackAll();
    WaitFor([&] { return IsWindowVisible(answering) != FALSE; });
    GetWindowRect(answering, &after);
    EXPECT_TRUE(GetAncestor(answering, GA_PARENT) == GetDesktopWindow() && IsWindowVisible(answering));
    EXPECT_TRUE(EqualRect(&before, &after)) << after.left << "," << after.top;
    EXPECT_EQ(GetAncestor(slow, GA_PARENT), frame) << "given back though its thread did not answer in time";

    SetEvent(stop);
    WaitFor([&] { return ended == 2; });
    for (std::thread& thread : threads) thread.join();
    CloseHandle(stop);
    DestroyWindow(frame);
}

}  // namespace
}  // namespace velmora::win32
