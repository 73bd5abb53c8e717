// The Explorer stand-in against the shell's real browser, folder tree and list view.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h:
#include <commctrl.h>
#include <ole2.h>

#include <filesystem>
#include <string>

#include "explorer/ExplorerPane.h"
#include "helpers/WaitFor.h"
#include "platform/win32/ExplorerStandIn.h"
#include "platform/win32/Win32WindowManager.h"
#include "platform/win32/kit/HandleCast.h"
#include "platform/win32/kit/WinString.h"

namespace velmora::win32 {
namespace {

const std::string kComputer = "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";

class ExplorerStandInTest : public testing::Test {
protected:
    void SetUp() override {
        OleInitialize(nullptr);
        wchar_t temp[MAX_PATH] = {};
        GetLongPathNameW(std::filesystem::temp_directory_path().c_str(), temp, MAX_PATH);  // as the shell reports it
        root_ = std::filesystem::path(temp) / (L"velmora-standin-" + std::to_wstring(GetTickCount()));
        std::filesystem::create_directories(root_ / L"inner");
        explorer_ = CreateExplorerStandIn();
        ASSERT_NE(explorer_, nullptr);
        window_ = ToHwnd(explorer_->Hwnd().value_or(0));
    }
    void TearDown() override {
        explorer_.reset();
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
        OleUninitialize();
    }
    std::string Root(const wchar_t* inner = nullptr) const { return Narrow((inner ? root_ / inner : root_).wstring()); }
    // The file list as Velmora's own search finds it in an Explorer window.
    HWND List() const {
        Win32WindowManager windows;
        return ToHwnd(explorer::FindFileList(windows, FromHwnd(window_)));
    }

    std::filesystem::path root_;
    std::unique_ptr<platform::ExplorerWindow> explorer_;
    HWND window_ = nullptr;
};

TEST_F(ExplorerStandInTest, NavigatesByNumberOrPathStaysOnARefusalAndQuits) {
    const std::pair<platform::NavigateTarget, std::optional<std::string>> cases[] = {
        {std::int16_t{17}, kComputer},
        {Root(), Root()},
        // The lower-case spelling of a namespace path, reported in the platform's spelling.
        {std::string("::{20d04fe0-3aea-1069-a2d8-08002b30309d}"), kComputer},
        // Refused before browsing: the browser itself would show a deleted folder as an empty one.
        {Root(L"gone"), std::nullopt},
        {std::int16_t{9999}, std::nullopt}};
    std::optional<std::string> shown;
    for (const auto& [target, expected] : cases) {
        SCOPED_TRACE(expected.value_or("refused"));
        EXPECT_EQ(explorer_->Navigate2(target), expected.has_value());
        if (expected) shown = expected;
        EXPECT_EQ(explorer_->FolderPath(), shown);
    }
    ASSERT_TRUE(explorer_->Quit());
    EXPECT_FALSE(IsWindow(window_) || explorer_->FolderPath());
}

// Real input: a key, with the pointer over the window, as under Wine keys follow the pointer.
TEST_F(ExplorerStandInTest, ListAndFolderTreeFollowTheUserAndAClosedWindowLeavesAnObjectThatFailsQuietly) {
    ASSERT_TRUE(explorer_->Navigate2(Root(L"inner")));
    ASSERT_TRUE(explorer_->ShowBrowserBar("{EFA24E64-B078-11D0-89E4-00C04FC9E26E}", true));
    ASSERT_TRUE(explorer_->SetCurrentViewMode(4));
    ASSERT_TRUE(!IsWindowVisible(window_) && explorer_->SetVisible(true));
    MoveWindow(window_, 50, 50, 700, 500, TRUE);
    SetForegroundWindow(window_);
    SetCursorPos(400, 300);
    ASSERT_TRUE(WaitFor([&] { return GetFocus() == List(); }, 2000));  // activated, the user is in the list
    INPUT keys[2] = {{INPUT_KEYBOARD, {.ki = {VK_BACK}}}, {INPUT_KEYBOARD, {.ki = {VK_BACK, 0, KEYEVENTF_KEYUP}}}};
    SendInput(2, keys, sizeof(INPUT));
    EXPECT_TRUE(WaitFor([&] { return explorer_->FolderPath() == Root(); }, 2000));
    WaitFor([] { return false; }, 200);
    EXPECT_EQ(explorer_->FolderPath(), Root()) << "more than one folder up";

    EXPECT_EQ(GetWindowLongPtrW(List(), GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT);
    HWND tree = GetWindow(FindWindowExW(window_, nullptr, L"NamespaceTreeControl", nullptr), GW_CHILD);
    RECT treeRect{}, listRect{};
    EXPECT_TRUE(GetWindowRect(tree, &treeRect) && GetWindowRect(List(), &listRect) && listRect.left >= treeRect.right);
    // The tree's selection followed; selecting its parent there, the browser follows the tree.
    TreeView_SelectItem(tree, TreeView_GetParent(tree, TreeView_GetSelection(tree)));
    EXPECT_TRUE(WaitFor([&] { return explorer_->FolderPath() == Narrow(root_.parent_path().wstring()); }, 2000));

    // Closed by the user from its own frame, the window takes its object's answers with it.
    SendMessageW(window_, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window_) || explorer_->Hwnd() || explorer_->FolderPath() ||
                 explorer_->Navigate2(std::int16_t{17}) || explorer_->SetVisible(true) ||
                 explorer_->SetCurrentViewMode(4) || explorer_->Quit());
}

}  // namespace
}  // namespace velmora::win32
