// Option.exe under real key and mouse input: a combination pressed in a
// hotkey field, and the numeric fields' arrows held and text typed.
#include <gtest/gtest.h>

#include <cwchar>

#include "e2e/Driver.h"
#include "e2e/OptionDriver.h"
#include "platform/win32/OptionIds.h"

namespace velmora::e2e {
namespace {

namespace ids = win32::option_ids;

class OptionInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        option_ = std::make_unique<OptionProcess>(folder_);
        ASSERT_TRUE(option_->WaitForForm()) << "Option.exe showed no form";
        option_->Activate();
    }

    double Shown(int field) const { return std::wcstod(option_->Text(option_->PositionEdit(field)).c_str(), nullptr); }

    // Holds the left button on the upper or lower half of a field's arrows.
    void HoldArrow(int field, bool upper, DWORD ms) const {
        RECT arrows{};
        GetWindowRect(option_->PositionArrows(field), &arrows);
        const int quarter = (arrows.bottom - arrows.top) / 4;
        MovePointerTo(POINT{(arrows.left + arrows.right) / 2, upper ? arrows.top + quarter : arrows.bottom - quarter});
        MouseButton(true);
        Sleep(ms);
        MouseButton(false);
        Sleep(50);
        option_->Sync();
    }

    OptionFolder folder_;
    std::unique_ptr<OptionProcess> option_;
};

TEST_F(OptionInputTest, CombinationsPressedInTheHotkeyFieldsSaveTheirThreeKeys) {
    ClickAt(CentreOf(option_->HotkeyField(0)));
    PressKeys({VK_CONTROL, VK_SHIFT, 'A'});
    option_->Sync();
    EXPECT_EQ(option_->HotkeyWord(0), 0x0341);

    ClickAt(CentreOf(option_->HotkeyField(1)));
    PressKeys({VK_MENU, VK_F1});
    option_->Sync();
    EXPECT_EQ(option_->HotkeyWord(1), 0x0470);

    ASSERT_TRUE(option_->Click(ids::CmdDecision(1)));
    EXPECT_EQ(folder_.Read(L"setting", L"Hot1"), L"833");
    EXPECT_EQ(folder_.Read(L"setting", L"Hotkey1"), L"65");
    EXPECT_EQ(folder_.Read(L"setting", L"Modkey1"), L"6");
    EXPECT_EQ(folder_.Read(L"setting", L"Hot2"), L"1136");
    EXPECT_EQ(folder_.Read(L"setting", L"Hotkey2"), L"112");
    EXPECT_EQ(folder_.Read(L"setting", L"Modkey2"), L"1");
}

TEST_F(OptionInputTest, HeldArrowsStepFromThePressAndStopAtTheRelease) {
    // The press's own step, then one every 200 ms while held.
    HoldArrow(0, true, 500);
    const double up = Shown(0);
    EXPECT_GE(up, 2);
    EXPECT_LE(up, 5);
    Sleep(400);
    option_->Sync();
    EXPECT_EQ(Shown(0), up) << "the repetition went on after the release";

    HoldArrow(0, false, 500);
    const double down = up - Shown(0);
    EXPECT_GE(down, 2);
    EXPECT_LE(down, 5);
}

TEST_F(OptionInputTest, HoldingLongerThanTwoSecondsSpeedsUp) {
    // 200 ms steps alone give at most 14 in 2.6 s; from 2 s on they come
    // every 20 ms. The arrows' own repetition must not add steps of its own.
    HoldArrow(2, true, 2600);
    const double steps = Shown(2);
    EXPECT_GT(steps, 20);
    EXPECT_LE(steps, 50);
}

TEST_F(OptionInputTest, TypedTextIsCheckedByTheField) {
    HWND edit = option_->PositionEdit(0);
    ClickAt(CentreOf(edit));
    SendMessageW(edit, EM_SETSEL, 0, -1);
    TypeCharacters(L"12");
    TypeCharacters(L"x");  // refused: the last accepted text comes back
    option_->Sync();
    EXPECT_EQ(option_->Text(edit), L"12");
    TypeCharacters(L"\xFF15");  // a full-width five from the input method
    option_->Sync();
    EXPECT_EQ(option_->Text(edit), L"125");

    option_->SetText(edit, L"");  // emptied: the last accepted text comes back
    EXPECT_EQ(option_->Text(edit), L"125");
    option_->SetText(edit, L"300");  // beyond Max: shown, but not taken as the value
    EXPECT_EQ(option_->Text(edit), L"300");

    ASSERT_TRUE(option_->Click(ids::CmdDecision(1)));
    EXPECT_EQ(folder_.Read(L"pos", L"X01"), L"1875");  // 125 pixels
}

}  // namespace
}  // namespace velmora::e2e
