// The Help menu of the real Win32 main window with the main form behind it, in
// this process: another process cannot read a menu's state under Wine. The
// menu is opened for real (its keyboard mnemonic), and its state is read while
// it is down.
#include <gtest/gtest.h>

#include "platform/win32/Win32MainWindow.h"
// shellapi.h needs the types of windows.h.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <memory>
#include <optional>
#include <string>

#include "platform/Desktop.h"
#include "platform/sim/SimJournal.h"
#include "platform/sim/SimShell.h"
#include "platform/win32/MainWindowIds.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32Processes.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32WindowManager.h"
#include "platform/win32/kit/WinString.h"
#include "settings/ProfileStore.h"
#include "shell/MainForm.h"

namespace velmora::win32 {
namespace {

// Explorer windows that show nothing: the panes stay empty, and the form's
// start-up needs no shell window for what is tested here.
class NoExplorerWindow final : public platform::ExplorerWindow {
public:
    bool Navigate2(const platform::NavigateTarget&) override { return false; }
    bool ShowBrowserBar(std::string_view, bool) override { return false; }
    std::optional<platform::WindowHandle> Hwnd() override { return std::nullopt; }
    bool SetCurrentViewMode(std::int32_t) override { return false; }
    std::optional<std::string> FolderName() override { return std::nullopt; }
    std::optional<std::string> FolderPath() override { return std::nullopt; }
    bool SetVisible(bool) override { return false; }
    bool Quit() override { return true; }
};

class NoExplorers final : public platform::ExplorerFactory {
public:
    std::unique_ptr<platform::ExplorerWindow> Create() override { return std::make_unique<NoExplorerWindow>(); }
};

// A program folder of its own, removed with its content.
class TempFolder {
public:
    TempFolder() {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        path_ = std::wstring(temp) + L"velmora-help-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(GetTickCount());
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~TempFolder() {
        std::wstring from = path_;
        from.push_back(L'\0');
        SHFILEOPSTRUCTW operation{};
        operation.wFunc = FO_DELETE;
        operation.pFrom = from.c_str();
        operation.fFlags = FOF_NO_UI;
        SHFileOperationW(&operation);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring ReadMe() const { return path_ + L"\\ReadMe.txt"; }

private:
    std::wstring path_;
};

// What the Help menu's read-me entry looked like while the menu was down.
struct MenuLook {
    bool opened = false;
    bool greyed = false;
};

MenuLook* lookWanted = nullptr;
HMENU helpMenu = nullptr;

// Runs inside the menu's own modal loop: reads the entry, then closes the menu.
void CALLBACK ReadWhileOpen(HWND window, UINT, UINT_PTR timer, DWORD) {
    KillTimer(window, timer);
    if (lookWanted == nullptr) return;
    // Down means: its title in the menu bar is highlighted and a menu window shows.
    const int last = GetMenuItemCount(GetMenu(window)) - 1;
    const bool titleLit = (GetMenuState(GetMenu(window), static_cast<UINT>(last), MF_BYPOSITION) & MF_HILITE) != 0;
    HWND popup = FindWindowW(L"#32768", nullptr);
    lookWanted->opened = titleLit && popup != nullptr && IsWindowVisible(popup);
    const UINT state = GetMenuState(helpMenu, ids::kHelpReadMe, MF_BYCOMMAND);
    lookWanted->greyed = (state & (MF_GRAYED | MF_DISABLED)) != 0;
    EndMenu();
}

class HelpMenuTest : public testing::Test {
protected:
    void SetUp() override {
        MainWindowOptions options;
        options.instanceMutex = L"Local\\Velmora.HelpMenuTest." + std::to_wstring(GetCurrentProcessId());
        options.quitOnDestroy = false;
        window_ = std::make_unique<Win32MainWindow>(GetModuleHandleW(nullptr), options);
        ASSERT_NE(window_->Hwnd(), nullptr);
        desktop_ = std::make_unique<platform::Desktop>(
            platform::Desktop{*window_, windows_, explorers_, processes_, shell_, clipboard_, clock_, *files_,
                              *codePage_, platform::ProgramInfo{Narrow(folder_.Path()), "Velmora", 1, 4, 0}});
        form_ = std::make_unique<shell::MainForm>(*desktop_, store_);
        window_->SetEvents(form_.get());
        ASSERT_TRUE(window_->LoadAndShow());
    }
    void TearDown() override {
        if (window_ && IsWindow(window_->Hwnd())) SendMessageW(window_->Hwnd(), WM_CLOSE, 0, 0);
    }

    // Opens the Help menu as the keyboard does (Alt, then its mnemonic H) and reads the entry while it is down.
    MenuLook OpenHelpMenu() {
        MenuLook look;
        helpMenu = window_->Menus().HelpMenu();
        // Wine now and then ignores the menu key right after a menu closed; a user would press it again.
        for (int attempt = 0; attempt < 3 && !look.opened; ++attempt) {
            look = {};
            lookWanted = &look;
            SetForegroundWindow(window_->Hwnd());
            SetTimer(window_->Hwnd(), 77, 200, ReadWhileOpen);
            // The menu's loop runs inside this call and ends when the timer closes the menu.
            SendMessageW(window_->Hwnd(), WM_SYSCOMMAND, SC_KEYMENU, L'h');
            // If the menu did not open, the timer fires here instead.
            for (int i = 0; i < 25; ++i) Pump();
            lookWanted = nullptr;
        }
        return look;
    }
    static void Pump() {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(20);
    }
    void Command(unsigned id) { SendMessageW(window_->Hwnd(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    void PutReadMe() {
        HANDLE file = CreateFileW(folder_.ReadMe().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
    }

    TempFolder folder_;
    std::unique_ptr<Win32MainWindow> window_;
    Win32WindowManager windows_;
    NoExplorers explorers_;
    Win32Processes processes_;
    platform::sim::Journal journal_;
    // The shell only records: nothing is really opened.
    platform::sim::SimShell shell_{journal_};
    Win32Clipboard clipboard_;
    Win32Clock clock_;
    std::unique_ptr<settings::FileSystem> files_ = settings::MakeHostFileSystem();
    std::unique_ptr<settings::CodePage> codePage_ = settings::MakeHostCodePage();
    settings::ProfileStore store_{*files_, *codePage_};
    std::unique_ptr<platform::Desktop> desktop_;
    std::unique_ptr<shell::MainForm> form_;
};

TEST_F(HelpMenuTest, ReadMeEntryIsGreyedWithoutTheFileAndEnabledOnceItIsThere) {
    MenuLook look = OpenHelpMenu();
    ASSERT_TRUE(look.opened) << "the Help menu did not open";
    EXPECT_TRUE(look.greyed);
    // A greyed entry's command, sent all the same, opens nothing.
    Command(ids::kHelpReadMe);
    EXPECT_TRUE(shell_.Opened().empty());

    PutReadMe();
    look = OpenHelpMenu();
    ASSERT_TRUE(look.opened);
    EXPECT_FALSE(look.greyed) << "the file was put in place, but the entry stayed greyed at the next opening";
    Command(ids::kHelpReadMe);
    ASSERT_EQ(shell_.Opened().size(), 1u);
    EXPECT_EQ(shell_.Opened()[0].file, Narrow(folder_.ReadMe()));
    EXPECT_EQ(shell_.Opened()[0].owner, window_->Handle());

    ASSERT_TRUE(DeleteFileW(folder_.ReadMe().c_str()));
    look = OpenHelpMenu();
    ASSERT_TRUE(look.opened);
    EXPECT_TRUE(look.greyed);
}

}  // namespace
}  // namespace velmora::win32
