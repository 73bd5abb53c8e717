// Start-up and shutdown of the real Velmora.exe: what the window shows after
// reading a prepared setting.ini, and what closing writes back.
#include <gtest/gtest.h>
// commctrl.h needs the types of windows.h.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <memory>
#include <string>

#include "e2e/Driver.h"
#include "e2e/Layout.h"
#include "platform/win32/MainWindowIds.h"

namespace velmora::e2e {
namespace {

// Window 100,100 800x600 pixels, bars at 330 and 200 pixels.
constexpr char kGeometry[] =
    "[setting]\r\nwindow=1\r\nState=0\r\nX=1500\r\nY=1500\r\nW=12000\r\nH=9000\r\nBar1=4950\r\nBar2=3000\r\n";

std::wstring WideAscii(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

class StartupShutdownTest : public VelmoraTest {
protected:
    std::optional<std::wstring> Read(const wchar_t* key, const wchar_t* section = L"setting") const {
        return folder_.Read(section, key);
    }
};

TEST_F(StartupShutdownTest, CaptionClassAndOuterGeometryFromTheFile) {
    Start(kGeometry);
    HWND main = program_->Main();
    wchar_t text[64] = {};
    GetWindowTextW(main, text, 64);
    EXPECT_STREQ(text, L"Velmora");
    wchar_t className[64] = {};
    GetClassNameW(main, className, 64);
    EXPECT_STREQ(className, L"VelmoraMain");
    EXPECT_NE(GetMenu(main), nullptr);

    EXPECT_FALSE(IsZoomed(main));
    EXPECT_FALSE(IsIconic(main));
    RECT outer{};
    GetWindowRect(main, &outer);
    EXPECT_EQ(outer.left, 100);
    EXPECT_EQ(outer.top, 100);
    EXPECT_EQ(outer.right - outer.left, 800);
    EXPECT_EQ(outer.bottom - outer.top, 600);

    // The client area is what W and H leave inside the frame, caption and menu bar.
    RECT client{};
    GetClientRect(main, &client);
    RECT around = client;
    AdjustWindowRectEx(&around, static_cast<DWORD>(GetWindowLongPtrW(main, GWL_STYLE)), TRUE,
                       static_cast<DWORD>(GetWindowLongPtrW(main, GWL_EXSTYLE)));
    EXPECT_EQ(around.right - around.left, 800);
    EXPECT_EQ(around.bottom - around.top, 600);
    EXPECT_GT(client.right, 700);
    CloseAndWait();
}

TEST_F(StartupShutdownTest, ClosingWritesStateViewAndTabsForTheNextStart) {
    // Tab 1: a special folder (kept unchecked), a real folder, then one that is gone.
    const std::string existing = "C:\\windows";
    const std::string gone = "C:\\velmora-e2e-no-such-folder";
    Start(std::string(kGeometry) + "View=2\r\nViewApl=-1\r\n[Tab]\r\n" +
          "1=コンピュータ?::{20D04FE0-3AEA-1069-A2D8-08002B30309D}|" + "Windows?" + existing + "|Gone?" + gone +
          "\r\n2=Gone?" + gone + "\r\n");
    EXPECT_EQ(SendMessageW(program_->Control(win32::ids::kTabStrip1_0), TCM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageW(program_->Control(win32::ids::kTabStrip1_1), TCM_GETITEMCOUNT, 0, 0), 0);
    CloseAndWait();

    EXPECT_EQ(Read(L"State"), L"0");
    EXPECT_EQ(Read(L"X"), L"1500");
    EXPECT_EQ(Read(L"Y"), L"1500");
    EXPECT_EQ(Read(L"W"), L"12000");
    EXPECT_EQ(Read(L"H"), L"9000");
    EXPECT_EQ(Read(L"Bar1"), L"4950");
    EXPECT_EQ(Read(L"Bar2"), L"3000");
    EXPECT_EQ(Read(L"View"), L"2");
    EXPECT_EQ(Read(L"ViewApl"), L"-1");
    EXPECT_EQ(Read(L"1", L"Tab"),
              L"コンピュータ?::{20D04FE0-3AEA-1069-A2D8-08002B30309D}|Windows?" + WideAscii(existing));
    // A pane left without tabs loses its key.
    EXPECT_EQ(Read(L"2", L"Tab"), std::nullopt);
}

TEST_F(StartupShutdownTest, WithoutTheWindowFlagGeometryIsNeitherReadNorWritten) {
    Start("[setting]\r\nwindow=0\r\nX=1500\r\nY=1500\r\nW=3000\r\nH=3000\r\nView=0\r\n");
    RECT outer{};
    GetWindowRect(program_->Main(), &outer);
    EXPECT_NE(outer.right - outer.left, 200) << "W was applied although window is 0";
    // View 0: one pane over the whole client area.
    EXPECT_FALSE(program_->Visible(win32::ids::kPicFrame1));
    CloseAndWait();
    EXPECT_EQ(Read(L"X"), L"1500");
    EXPECT_EQ(Read(L"W"), L"3000");
    EXPECT_EQ(Read(L"State"), std::nullopt);
    EXPECT_EQ(Read(L"Bar1"), std::nullopt);
    EXPECT_EQ(Read(L"View"), L"0");
    EXPECT_EQ(Read(L"ViewApl"), L"0");
}

TEST_F(StartupShutdownTest, StartsMaximisedAndKeepsTheNormalGeometryOnClose) {
    Start("[setting]\r\nwindow=1\r\nState=2\r\nX=1500\r\nY=1500\r\nW=12000\r\nH=9000\r\n");
    EXPECT_TRUE(IsZoomed(program_->Main()));
    CloseAndWait();
    EXPECT_EQ(Read(L"State"), L"2");
    EXPECT_EQ(Read(L"X"), L"1500");
    EXPECT_EQ(Read(L"W"), L"12000");
    EXPECT_EQ(Read(L"H"), L"9000");
}

TEST_F(StartupShutdownTest, WithoutAFileTheDefaultsShowTwoPanesAndCloseWritesTheView) {
    Start("");
    EXPECT_TRUE(program_->Visible(win32::ids::kPicFrame0));
    EXPECT_TRUE(program_->Visible(win32::ids::kPicFrame1));
    EXPECT_FALSE(program_->Visible(win32::ids::kPicFrame2));
    EXPECT_EQ(SendMessageW(program_->Control(win32::ids::kCboApp), CB_GETCOUNT, 0, 0), 0);
    CloseAndWait();
    EXPECT_EQ(Read(L"View"), L"1");
    EXPECT_EQ(Read(L"ViewApl"), L"0");
    EXPECT_EQ(Read(L"State"), std::nullopt);
}

TEST(SecondInstanceTest, EndsAtOnceWithoutWindowOrFile) {
    ProgramFolder first;
    Velmora running(first);
    ASSERT_TRUE(running.WaitForMainWindow());

    ProgramFolder other;  // its own folder, no setting.ini in it
    Velmora second(other);
    ASSERT_TRUE(second.Started());
    bool sawWindow = false;
    const DWORD start = GetTickCount();
    while (!second.WaitForExit(10) && GetTickCount() - start < 10000) {
        HWND window = second.FindMainWindow();
        sawWindow = sawWindow || (window != nullptr && IsWindowVisible(window));
    }
    ASSERT_TRUE(second.WaitForExit(0)) << "the second copy is still running";
    EXPECT_FALSE(sawWindow);
    EXPECT_EQ(second.ExitCode(), 0u);
    EXPECT_FALSE(other.SettingsExist());
    // The first copy goes on.
    EXPECT_TRUE(IsWindowVisible(running.Main()));
    running.Close();
    EXPECT_TRUE(running.WaitForExit());
}

}  // namespace
}  // namespace velmora::e2e
