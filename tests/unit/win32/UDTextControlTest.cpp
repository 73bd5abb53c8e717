// The Win32 uctUDText in its own process: its parts laid out in pixels, the
// edit box and the arrows wired to the model, and the repetition timers.
#include <gtest/gtest.h>

#include <memory>

#include "controls/win32/UDTextControl.h"
#include "platform/win32/kit/Dpi.h"

namespace velmora::win32 {
namespace {

class UDTextControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        host_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 100, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(host_, nullptr);
        // 900 x 300 twips at 96 DPI.
        field_ = std::make_unique<UDTextControl>(host_, 7, RECT{10, 10, 70, 30});
        field_->onChange = [this] { ++changes_; };
        field_->model().SetMax(200);
        field_->model().SetMin(-200);
    }
    void TearDown() override {
        field_.reset();
        DestroyWindow(host_);
    }

    // Handles this thread's messages (the timers' among them) for a while.
    static void Pump(DWORD ms) {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < ms) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
            Sleep(5);
        }
    }
    std::wstring EditText() const {
        wchar_t text[64] = {};
        GetWindowTextW(field_->edit(), text, 64);
        return text;
    }
    static RECT RectInParent(HWND window) {
        RECT rect{};
        GetWindowRect(window, &rect);
        MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
    void PressArrows(bool upper) const {
        RECT client{};
        GetClientRect(field_->arrows(), &client);
        const int y = upper ? 2 : client.bottom - 2;
        SendMessageW(field_->arrows(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.right / 2, y));
    }
    void ReleaseArrows() const {
        SendMessageW(field_->arrows(), WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
        Pump(50);
    }

    HWND host_ = nullptr;
    std::unique_ptr<UDTextControl> field_;
    int changes_ = 0;
};

TEST_F(UDTextControlTest, PartsTakeTheTwipsLayoutInPixelsOnlyWhenWideEnough) {
    if (DpiOfWindow(field_->Hwnd()).x != 96) GTEST_SKIP() << "pixel values are for 96 DPI";
    wchar_t className[64] = {};
    GetClassNameW(field_->Hwnd(), className, 64);
    EXPECT_STREQ(className, kUDTextClassName);
    EXPECT_EQ(GetDlgCtrlID(field_->Hwnd()), 7);
    const RECT edit = RectInParent(field_->edit());
    const RECT arrows = RectInParent(field_->arrows());
    EXPECT_EQ(edit.left, 0);
    EXPECT_EQ(edit.right, 44);  // 900 - 240 twips
    EXPECT_EQ(edit.bottom, 20);
    EXPECT_EQ(arrows.left, 44);
    EXPECT_EQ(arrows.right, 60);  // 240 twips, whatever the control's width
    EXPECT_EQ(arrows.bottom, 20);

    // 16 pixels are the arrows' 240 twips exactly: not wider by a twip, so
    // the parts stay where they are.
    MoveWindow(field_->Hwnd(), 10, 10, 16, 20, TRUE);
    EXPECT_EQ(RectInParent(field_->edit()).right, 44);
    EXPECT_EQ(RectInParent(field_->arrows()).left, 44);
    MoveWindow(field_->Hwnd(), 10, 10, 100, 30, TRUE);
    EXPECT_EQ(RectInParent(field_->edit()).right, 84);
    EXPECT_EQ(RectInParent(field_->arrows()).right, 100);
    EXPECT_EQ(RectInParent(field_->arrows()).bottom, 30);
}

TEST_F(UDTextControlTest, EditBoxTextGoesThroughTheModelsCheck) {
    EXPECT_EQ(EditText(), L"0");
    SetWindowTextW(field_->edit(), L"12");
    EXPECT_EQ(field_->Value(), 12);
    EXPECT_EQ(changes_, 1);

    SetWindowTextW(field_->edit(), L"abc");  // refused: the last accepted text comes back
    EXPECT_EQ(EditText(), L"12");
    EXPECT_EQ(changes_, 2);  // the restored text is a change that is accepted

    // A full-width digit typed becomes an ASCII one.
    SendMessageW(field_->edit(), EM_SETSEL, 2, 2);
    SendMessageW(field_->edit(), WM_CHAR, 0xFF15, 0);
    EXPECT_EQ(EditText(), L"125");
    EXPECT_EQ(field_->Value(), 125);

    field_->SetValue(250);  // clamped to Max, then written
    EXPECT_EQ(EditText(), L"200");
    EXPECT_EQ(field_->Value(), 200);
}

TEST_F(UDTextControlTest, APressStepsOnceAndTheTimersRepeatUntilTheRelease) {
    PressArrows(true);
    EXPECT_EQ(field_->Value(), 1);  // the press's own click
    Pump(500);                      // and a step every 200 ms while held
    EXPECT_EQ(field_->Value(), 3);
    ReleaseArrows();
    Pump(300);
    EXPECT_EQ(field_->Value(), 3);
    EXPECT_EQ(field_->model().repeatState(), controls::UDTextModel::RepeatState::Idle);

    PressArrows(false);
    EXPECT_EQ(field_->Value(), 2);
    Pump(250);
    ReleaseArrows();
    EXPECT_EQ(field_->Value(), 1);
    EXPECT_EQ(EditText(), L"1");
}

TEST_F(UDTextControlTest, DisablingTouchesOnlyTheArrows) {
    field_->model().SetEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(field_->arrows()));
    EXPECT_TRUE(IsWindowEnabled(field_->edit()));
    SetWindowTextW(field_->edit(), L"7");
    EXPECT_EQ(field_->Value(), 7);

    field_->model().SetLocked(true);
    EXPECT_TRUE(GetWindowLongW(field_->edit(), GWL_STYLE) & ES_READONLY);
}

}  // namespace
}  // namespace velmora::win32
