// The Explorer stand-in against the shell's real browser, tree and list view.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h:
#include <commctrl.h>
#include <shlobj.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "explorer/ExplorerPane.h"
#include "platform/win32/ExplorerStandIn.h"
#include "platform/win32/Win32WindowManager.h"
#include "platform/win32/kit/Com.h"
#include "platform/win32/kit/HandleCast.h"
#include "platform/win32/kit/WinString.h"

namespace {

using velmora::platform::ExplorerWindow;
using velmora::win32::Narrow;

constexpr char kComputer[] = "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";
constexpr char kFolderTreeBar[] = "{EFA24E64-B078-11D0-89E4-00C04FC9E26E}";

// The file list as Velmora's own search finds it in an Explorer window.
HWND FindFileList(HWND top) {
    velmora::win32::Win32WindowManager windows;
    return velmora::win32::ToHwnd(velmora::explorer::FindFileList(windows, velmora::win32::FromHwnd(top)));
}

void Pump(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(5);
    } while (GetTickCount() - start < milliseconds);
}

std::string ClassOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return Narrow(name);
}

std::wstring ListItemText(HWND list, int index) {
    wchar_t text[MAX_PATH] = {};
    LVITEMW item{};
    item.iSubItem = 0;
    item.pszText = text;
    item.cchTextMax = MAX_PATH;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return text;
}

int FindListItem(HWND list, const std::wstring& text) {
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        if (ListItemText(list, i) == text) return i;
    }
    return -1;
}

DWORD ListViewType(HWND list) { return static_cast<DWORD>(GetWindowLongPtrW(list, GWL_STYLE)) & LVS_TYPEMASK; }

class ExplorerStandInTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { OleInitialize(nullptr); }
    static void TearDownTestSuite() { OleUninitialize(); }

    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        wchar_t longTemp[MAX_PATH];
        GetLongPathNameW(temp, longTemp, MAX_PATH);
        root_ = std::filesystem::path(longTemp) / (L"velmora-explorer-" + std::to_wstring(GetCurrentProcessId()) +
                                                   L"-" + std::to_wstring(GetTickCount()));
        std::filesystem::create_directories(root_ / L"inner");
        CloseHandle(CreateFileW((root_ / L"a.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
        explorer_ = velmora::win32::CreateExplorerStandIn();
        ASSERT_NE(explorer_, nullptr);
        frame_ = Frame(*explorer_);
        ASSERT_NE(frame_, nullptr);
    }

    void TearDown() override {
        explorer_.reset();
        Pump(20);
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

    static HWND Frame(ExplorerWindow& explorer) {
        const auto handle = explorer.Hwnd();
        return handle ? reinterpret_cast<HWND>(static_cast<std::uintptr_t>(*handle)) : nullptr;
    }

    std::string RootPath() const { return Narrow(root_.wstring()); }
    std::string InnerPath() const { return Narrow((root_ / L"inner").wstring()); }

    std::filesystem::path root_;
    std::unique_ptr<ExplorerWindow> explorer_;
    HWND frame_ = nullptr;
};

TEST_F(ExplorerStandInTest, NavigatesBySpecialFolderNumber) {
    ASSERT_TRUE(explorer_->Navigate2(std::int16_t{17}));
    EXPECT_EQ(explorer_->FolderPath(), kComputer);
    const auto name = explorer_->FolderName();
    ASSERT_TRUE(name.has_value());
    EXPECT_FALSE(name->empty());
    EXPECT_NE(*name, kComputer);

    ASSERT_TRUE(explorer_->Navigate2(std::int16_t{3}));
    const auto controlPanel = explorer_->FolderPath();
    ASSERT_TRUE(controlPanel.has_value());
    EXPECT_EQ(*controlPanel, std::string(kComputer) + "\\::{21EC2020-3AEA-1069-A2DD-08002B30309D}");

    for (const std::int16_t number : {std::int16_t{10}, std::int16_t{18}}) {
        ASSERT_TRUE(explorer_->Navigate2(number)) << number;
        const auto path = explorer_->FolderPath();
        ASSERT_TRUE(path.has_value());
        EXPECT_EQ(path->rfind("::{", 0), 0u) << number << " " << *path;
    }

    // A number that names no folder leaves the window where it was.
    ASSERT_TRUE(explorer_->Navigate2(std::int16_t{17}));
    EXPECT_FALSE(explorer_->Navigate2(std::int16_t{-1}));
    EXPECT_FALSE(explorer_->Navigate2(std::int16_t{9999}));
    EXPECT_EQ(explorer_->FolderPath(), kComputer);
}

TEST_F(ExplorerStandInTest, NavigatesToAFolderPathAndRefusesOneThatIsGone) {
    ASSERT_TRUE(explorer_->Navigate2(RootPath()));
    EXPECT_EQ(explorer_->FolderPath(), RootPath());
    EXPECT_EQ(explorer_->FolderName(), Narrow(root_.filename().wstring()));
    EXPECT_EQ(GetWindowTextLengthW(frame_) > 0, true);

    ASSERT_TRUE(explorer_->Navigate2(InnerPath()));
    EXPECT_EQ(explorer_->FolderPath(), InnerPath());
    EXPECT_EQ(explorer_->FolderName(), "inner");

    // The browser itself would show the deleted folder as an empty one.
    ASSERT_TRUE(explorer_->Navigate2(RootPath()));
    ASSERT_TRUE(RemoveDirectoryW((root_ / L"inner").c_str()));
    EXPECT_FALSE(explorer_->Navigate2(InnerPath()));
    EXPECT_FALSE(explorer_->Navigate2(std::string()));
    EXPECT_FALSE(explorer_->Navigate2(std::string("relative\\folder")));
    EXPECT_FALSE(explorer_->Navigate2(std::string("::{00000000-0000-0000-0000-000000000000}")));
    EXPECT_EQ(explorer_->FolderPath(), RootPath());

    // The lower-case spelling of a namespace path is the same folder.
    ASSERT_TRUE(explorer_->Navigate2(std::string("::{20d04fe0-3aea-1069-a2d8-08002b30309d}")));
    EXPECT_EQ(explorer_->FolderPath(), kComputer);
}

TEST_F(ExplorerStandInTest, FileListIsFoundByTheListSearchAfterEveryNavigation) {
    ASSERT_TRUE(explorer_->Navigate2(std::int16_t{17}));
    HWND first = FindFileList(frame_);
    ASSERT_NE(first, nullptr);
    EXPECT_GT(SendMessageW(first, LVM_GETITEMCOUNT, 0, 0), 0);  // the drives

    ASSERT_TRUE(explorer_->Navigate2(RootPath()));
    HWND second = FindFileList(frame_);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(SendMessageW(second, LVM_GETITEMCOUNT, 0, 0), 2);  // inner, a.txt: the list of the folder shown
    EXPECT_GE(FindListItem(second, L"inner"), 0);
}

TEST_F(ExplorerStandInTest, SwitchesTheListsViewModeAndKeepsItForLaterFolders) {
    ASSERT_TRUE(explorer_->Navigate2(RootPath()));
    ASSERT_TRUE(explorer_->SetCurrentViewMode(FVM_ICON));
    EXPECT_EQ(ListViewType(FindFileList(frame_)), static_cast<DWORD>(LVS_ICON));
    ASSERT_TRUE(explorer_->SetCurrentViewMode(4));
    EXPECT_EQ(ListViewType(FindFileList(frame_)), static_cast<DWORD>(LVS_REPORT));
    ASSERT_TRUE(explorer_->Navigate2(std::int16_t{17}));
    EXPECT_EQ(ListViewType(FindFileList(frame_)), static_cast<DWORD>(LVS_REPORT));

    EXPECT_FALSE(explorer_->SetCurrentViewMode(0));
    EXPECT_FALSE(explorer_->SetCurrentViewMode(99));
}

TEST_F(ExplorerStandInTest, FolderTreeIsShownBesideTheListAndFollowsBothWays) {
    ASSERT_TRUE(explorer_->Navigate2(RootPath()));
    EXPECT_FALSE(explorer_->ShowBrowserBar("{00000000-0000-0000-0000-000000000000}", true));
    EXPECT_FALSE(explorer_->ShowBrowserBar("not a class id", true));
    ASSERT_TRUE(explorer_->ShowBrowserBar(kFolderTreeBar, true));
    MoveWindow(frame_, 0, 0, 900, 600, TRUE);

    HWND treeHost = FindWindowExW(frame_, nullptr, L"NamespaceTreeControl", nullptr);
    ASSERT_NE(treeHost, nullptr);
    HWND tree = FindWindowExW(treeHost, nullptr, WC_TREEVIEWW, nullptr);
    ASSERT_NE(tree, nullptr);
    EXPECT_TRUE(GetWindowLongPtrW(treeHost, GWL_STYLE) & WS_VISIBLE);
    RECT treeRect{}, listRect{};
    GetWindowRect(treeHost, &treeRect);
    GetWindowRect(FindFileList(frame_), &listRect);
    EXPECT_GT(treeRect.right - treeRect.left, 50);
    EXPECT_GE(listRect.left, treeRect.right);  // beside it, not under it

    // The tree follows navigation: the shown folder is its selection.
    const auto selectedText = [&] {
        wchar_t text[MAX_PATH] = {};
        TVITEMW item{};
        item.mask = TVIF_TEXT;
        item.hItem = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
        item.pszText = text;
        item.cchTextMax = MAX_PATH;
        if (!item.hItem || !SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return std::wstring();
        return std::wstring(text);
    };
    EXPECT_EQ(selectedText(), root_.filename().wstring());
    ASSERT_TRUE(explorer_->Navigate2(InnerPath()));
    EXPECT_EQ(selectedText(), L"inner");

    // And the browser follows the tree: selecting the parent item shows that folder.
    const auto caret = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
    const auto parent = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_PARENT, caret);
    ASSERT_NE(parent, 0);
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, parent);
    Pump(100);
    EXPECT_EQ(explorer_->FolderPath(), RootPath());

    // The lower-case spelling names the same bar; hiding gives the list the whole width.
    ASSERT_TRUE(explorer_->ShowBrowserBar("{efa24e64-b078-11d0-89e4-00c04fc9e26e}", false));
    EXPECT_FALSE(GetWindowLongPtrW(treeHost, GWL_STYLE) & WS_VISIBLE);
    RECT client{};
    GetClientRect(frame_, &client);
    GetWindowRect(FindFileList(frame_), &listRect);
    EXPECT_EQ(listRect.right - listRect.left, client.right);
}

TEST_F(ExplorerStandInTest, ListFollowsTheWindowWhenItIsHostedAndResized) {
    ASSERT_TRUE(explorer_->Navigate2(RootPath()));
    // As Velmora hosts it: re-parented into a pane and shown maximised there.
    HWND pane = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 700, 500,
                                nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(pane, nullptr);
    SetParent(frame_, pane);
    ShowWindow(frame_, SW_SHOWMAXIMIZED);
    explorer_->SetVisible(true);
    const auto listWidthMatchesFrame = [&] {
        RECT client{}, list{};
        GetClientRect(frame_, &client);
        GetWindowRect(FindFileList(frame_), &list);
        return client.right > 0 && list.right - list.left == client.right && list.bottom - list.top == client.bottom;
    };
    EXPECT_TRUE(listWidthMatchesFrame());
    MoveWindow(pane, 0, 0, 500, 400, TRUE);
    ShowWindow(frame_, SW_SHOWMAXIMIZED);
    EXPECT_TRUE(listWidthMatchesFrame());
    ASSERT_TRUE(explorer_->Navigate2(std::int16_t{17}));  // a new view, made at the new size
    EXPECT_TRUE(listWidthMatchesFrame());
    SetParent(frame_, nullptr);
    DestroyWindow(pane);
}

// Real input, as the user gives it: the pointer moved onto the item and
// clicked twice, then the Backspace key. Input is handled asynchronously, so
// the checks wait a while for the folder to change.
void DoubleClickAt(POINT screen) {
    // Under Wine's virtual desktop a pointer event still on its way can put the
    // pointer back where it was: place it, confirm it stays, then click.
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    move.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    for (int settled = 0, attempt = 0; settled < 3 && attempt < 40; ++attempt) {
        SetCursorPos(screen.x, screen.y);
        SendInput(1, &move, sizeof(INPUT));
        Pump(25);
        POINT now{};
        GetCursorPos(&now);
        settled = (now.x == screen.x && now.y == screen.y) ? settled + 1 : 0;
    }
    INPUT clicks[4] = {};
    const DWORD flags[] = {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
    for (int i = 0; i < 4; ++i) {
        clicks[i].type = INPUT_MOUSE;
        clicks[i].mi.dwFlags = flags[i];
    }
    SendInput(4, clicks, sizeof(INPUT));
}

void PressKey(WORD key) {
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = inputs[1].ki.wVk = key;
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof(INPUT));
}

bool ShowsWithin(ExplorerWindow& explorer, const std::string& path, DWORD milliseconds) {
    for (DWORD waited = 0; waited < milliseconds; waited += 50) {
        if (explorer.FolderPath() == path) return true;
        Pump(50);
    }
    return explorer.FolderPath() == path;
}

TEST_F(ExplorerStandInTest, DoubleClickOpensAFolderAndBackspaceGoesUp) {
    ASSERT_TRUE(explorer_->Navigate2(RootPath()));
    MoveWindow(frame_, 50, 50, 700, 500, TRUE);
    explorer_->SetVisible(true);
    SetForegroundWindow(frame_);
    Pump(100);
    HWND list = FindFileList(frame_);
    EXPECT_EQ(GetFocus(), list);  // activating the window puts the user in the list
    const int inner = FindListItem(list, L"inner");
    ASSERT_GE(inner, 0);
    RECT item{};
    item.left = LVIR_LABEL;
    ASSERT_TRUE(SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(inner), reinterpret_cast<LPARAM>(&item)));
    POINT at{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    ClientToScreen(list, &at);
    ASSERT_EQ(WindowFromPoint(at), list);
    DoubleClickAt(at);
    EXPECT_TRUE(ShowsWithin(*explorer_, InnerPath(), 2000)) << explorer_->FolderPath().value_or("");

    list = FindFileList(frame_);
    ASSERT_NE(list, nullptr);
    // No SetFocus here: the new list takes over the focus from the destroyed one.
    PressKey(VK_BACK);
    EXPECT_TRUE(ShowsWithin(*explorer_, RootPath(), 2000)) << explorer_->FolderPath().value_or("");
    Pump(200);  // one level, not two
    EXPECT_EQ(explorer_->FolderPath(), RootPath());
}

TEST_F(ExplorerStandInTest, IsInvisibleUntilShownAndGoneAfterQuitOrClose) {
    EXPECT_EQ(ClassOf(frame_), Narrow(velmora::win32::kExplorerStandInClass));
    EXPECT_EQ(GetAncestor(frame_, GA_PARENT), GetDesktopWindow());
    EXPECT_FALSE(IsWindowVisible(frame_));
    ASSERT_TRUE(explorer_->SetVisible(true));
    EXPECT_TRUE(IsWindowVisible(frame_));
    ASSERT_TRUE(explorer_->SetVisible(false));
    EXPECT_FALSE(IsWindowVisible(frame_));

    ASSERT_TRUE(explorer_->Navigate2(std::int16_t{17}));
    ASSERT_TRUE(explorer_->ShowBrowserBar(kFolderTreeBar, true));
    ASSERT_TRUE(explorer_->Quit());
    EXPECT_FALSE(IsWindow(frame_));
    EXPECT_FALSE(explorer_->Hwnd().has_value());
    EXPECT_FALSE(explorer_->Navigate2(std::int16_t{17}));
    EXPECT_FALSE(explorer_->FolderPath().has_value());
    EXPECT_FALSE(explorer_->SetVisible(true));
    EXPECT_FALSE(explorer_->Quit());

    // Closed by the user from its own frame: the object stays and fails quietly.
    auto closed = velmora::win32::CreateExplorerStandIn();
    ASSERT_NE(closed, nullptr);
    ASSERT_TRUE(closed->Navigate2(std::int16_t{17}));
    HWND window = Frame(*closed);
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(closed->FolderName().has_value());
    EXPECT_FALSE(closed->SetCurrentViewMode(4));
    EXPECT_FALSE(closed->ShowBrowserBar(kFolderTreeBar, true));
}

}  // namespace
