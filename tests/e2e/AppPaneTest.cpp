// The application pane of Velmora.exe: copies of tests/fixtures/fixture_app.cpp
// picked from the launcher with the mouse and captured into the pane. Wine does
// not draw another process's window inside ours, so the checks are on the
// window tree, not on pixels.
#include <algorithm>
#include <string>
#include <vector>

#include "e2e/Driver.h"
#include "platform/win32/MainWindowIds.h"

namespace velmora::e2e {
namespace {

namespace ids = win32::ids;

// Picks a launcher entry as the user does: the list dropped, then the entry clicked.
void Pick(const Program& velmora, int entry) {
    Click(Centre(velmora.Control(ids::kCboApp)));
    HWND list = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (list = TopLevel(L"ComboLBox", velmora.Id())) != nullptr; }, 3000));
    const int height = static_cast<int>(Send(list, LB_GETITEMHEIGHT));
    POINT at{10, height * entry + height / 2};
    ClientToScreen(list, &at);
    Click(at);
}

// How a fixture's process ended (see fixture_app.cpp), once it has; STILL_ACTIVE while it runs on.
DWORD Ending(HANDLE process, DWORD timeoutMs = 10000) {
    DWORD code = 0;
    WaitForSingleObject(process, timeoutMs);
    GetExitCodeProcess(process, &code);
    return code;
}

TEST(AppPaneTest, LaunchedProgramsAreCapturedTakenOutClosedSweptAndGivenBack) {
    // A and B start the same program, as the combo box reports a pick only when the choice changes.
    Folder apps;
    std::wstring launcher;
    for (const wchar_t* name : {L"A", L"B", L"C_hung", L"D_exits"}) {
        const std::wstring program = apps / (L"fixture_" + std::wstring(name) + L".exe").c_str();
        CopyFileW((BinaryFolder() + L"\\fixtures\\fixture_app.exe").c_str(), program.c_str(), FALSE);
        launcher += std::wstring(name) + L"=" + program + L"\r\n";
    }
    Program velmora(L"Velmora.exe", ids::kMainWindowClass, L"[setting]\r\nViewApl=-1\r\n[App]\r\n" + launcher);
    HWND strip = Strip(velmora, 2);
    std::vector<HWND> windows;  // captured, in the order of their tabs
    std::vector<HANDLE> processes;
    for (int entry : {0, 1, 0, 1}) {
        ASSERT_NO_FATAL_FAILURE(Pick(velmora, entry));
        HWND fresh = nullptr;
        ASSERT_TRUE(WaitFor(
            [&] {
                for (HWND window = nullptr;
                     (window = FindWindowExW(Frame(velmora, 2), window, L"VelmoraFixture", nullptr));)
                    if (std::find(windows.begin(), windows.end(), window) == windows.end()) fresh = window;
                return fresh && ItemCount(strip) == static_cast<int>(windows.size()) + 1;
            },
            15000))
            << "entry " << entry << " was not captured";
        EXPECT_EQ(GetAncestor(fresh, GA_ROOT), velmora.Main());
        DWORD id = 0;
        GetWindowThreadProcessId(fresh, &id);
        windows.push_back(fresh);
        processes.push_back(
            OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    }

    // A program killed from outside loses its tab at the next tick.
    TerminateProcess(processes[2], 9);
    EXPECT_TRUE(WaitFor([&] { return ItemCount(strip) == 3; }, 2000));
    // Taken out, a window goes back to the desktop and its program runs on.
    Popup(velmora, strip, 0, 'T');
    EXPECT_TRUE(WaitFor([&] { return GetAncestor(windows[0], GA_PARENT) == GetDesktopWindow(); }, 5000));
    MoveWindow(windows[0], 900, 700, 200, 150, TRUE);  // out of the way of the clicks that follow
    // Closing a tab asks its program to close.
    Popup(velmora, strip, 0, 'C');
    EXPECT_LT(Ending(processes[1]), 2u) << "not asked to close";
    EXPECT_EQ(ItemCount(strip), 1);

    // A program whose window does not answer, and one that shows none, leave no tab but a message.
    const std::pair<int, const wchar_t*> refusals[] = {
        {2, L"アプリケーションが応答していないため、ウィンドウを操作できませんでした。"},
        {3, L"ハンドルが見つかりませんでした。"}};
    for (const auto& [entry, message] : refusals) {
        ASSERT_NO_FATAL_FAILURE(Pick(velmora, entry));
        HWND box = velmora.WaitForBox();
        EXPECT_EQ(Text(box), L"Velmora");
        EXPECT_EQ(BoxText(box), message);
        Answer(box);
    }
    EXPECT_EQ(ItemCount(strip), 1);

    // Closing Velmora gives the last window back to the desktop before asking its program to close; the one
    // taken out is no longer Velmora's.
    velmora.Close();
    ASSERT_TRUE(velmora.WaitForExit());
    EXPECT_EQ(Ending(processes[3]), 0u);
    EXPECT_EQ(Ending(processes[0], 0), STILL_ACTIVE);
    for (HANDLE process : processes) CloseHandle(process);
}

}  // namespace
}  // namespace velmora::e2e
