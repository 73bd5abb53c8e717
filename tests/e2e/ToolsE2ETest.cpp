// Velmora's Tools and Help menus under Wine, as a user goes through them:
// the settings program started from the Tools menu, Velmora refusing to close
// while it runs, the changes made in it taken over without a restart, and the
// About box. (The read-me entry's greyed state is checked in-process, in
// tests/unit/win32/HelpMenuTest.cpp: Wine keeps menus per process.)
#include <gtest/gtest.h>
// commctrl.h needs the types of windows.h.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "e2e/Driver.h"
#include "e2e/OptionDriver.h"
#include "platform/win32/MainWindowIds.h"
#include "platform/win32/OptionIds.h"

namespace velmora::e2e {
namespace {

namespace ids = win32::ids;
namespace option_ids = win32::option_ids;

LRESULT SendWithin(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 10000, &result);
    return static_cast<LRESULT>(result);
}

std::wstring Lower(std::wstring text) {
    CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

std::wstring ImagePath(DWORD processId) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (process == nullptr) return {};
    wchar_t path[MAX_PATH * 2] = {};
    DWORD size = MAX_PATH * 2;
    if (!QueryFullProcessImageNameW(process, 0, path, &size)) size = 0;
    CloseHandle(process);
    return std::wstring(path, size);
}

struct WindowQuery {
    const wchar_t* className;
    std::function<bool(HWND, DWORD)> accept;
    std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND window, LPARAM param) {
    auto& query = *reinterpret_cast<WindowQuery*>(param);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (lstrcmpiW(className, query.className) != 0) return TRUE;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (query.accept(window, processId)) query.found.push_back(window);
    return TRUE;
}

std::vector<HWND> TopLevel(const wchar_t* className, std::function<bool(HWND, DWORD)> accept) {
    WindowQuery query{className, std::move(accept), {}};
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

// Processor time the process used during the next ms milliseconds.
std::uint64_t CpuMs(DWORD processId, DWORD ms) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (process == nullptr) return ~0ull;
    auto used = [process] {
        FILETIME created{}, ended{}, kernel{}, user{};
        GetProcessTimes(process, &created, &ended, &kernel, &user);
        const auto ticks = [](FILETIME time) {
            return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
        };
        return (ticks(kernel) + ticks(user)) / 10000;  // 100 ns units
    };
    const std::uint64_t before = used();
    Sleep(ms);
    const std::uint64_t after = used();
    CloseHandle(process);
    return after - before;
}

std::vector<std::wstring> ComboItems(HWND combo) {
    std::vector<std::wstring> items;
    const int count = static_cast<int>(SendWithin(combo, CB_GETCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
        // CB_GETLBTEXT's buffer is carried across processes by the system.
        wchar_t text[512] = {};
        SendWithin(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
        items.emplace_back(text);
    }
    return items;
}

// The Option.exe that Velmora started from the test's program folder, seen
// from outside: Velmora's driver starts it, this one only finds it.
class StartedOption {
public:
    explicit StartedOption(const ProgramFolder& folder) : image_(Lower(folder.Path() + L"\\Option.exe")) {}
    ~StartedOption() {
        if (process_ != nullptr) CloseHandle(process_);
    }
    StartedOption(const StartedOption&) = delete;
    StartedOption& operator=(const StartedOption&) = delete;

    // Every visible Option form of this folder's Option.exe.
    std::vector<HWND> Forms() const {
        return TopLevel(option_ids::kWindowClass, [this](HWND window, DWORD processId) {
            return IsWindowVisible(window) && Lower(ImagePath(processId)) == image_;
        });
    }
    bool WaitForForm() {
        if (!WaitFor([this] { return !Forms().empty(); }, 20000)) return false;
        form_ = Forms().front();
        DWORD processId = 0;
        GetWindowThreadProcessId(form_, &processId);
        process_ = OpenProcess(SYNCHRONIZE, FALSE, processId);
        return process_ != nullptr;
    }
    bool WaitForExit(DWORD timeoutMs = 15000) const {
        return WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
    }

    HWND Form() const { return form_; }
    HWND Control(int id) const { return GetDlgItem(form_, id); }
    HWND PositionEdit(int index) const { return GetDlgItem(Control(option_ids::UctUDText1(index)), 1); }
    HWND HotkeyField(int pane) const {
        return FindWindowExW(Control(option_ids::PicHotkey(pane)), nullptr, HOTKEY_CLASSW, nullptr);
    }
    void SetText(HWND window, const std::wstring& text) const {
        SendWithin(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    void Click(int id) const {
        SendWithin(form_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Control(id)));
    }

private:
    std::wstring image_;
    HWND form_ = nullptr;
    HANDLE process_ = nullptr;
};

class ToolsE2ETest : public VelmoraTest {
protected:
    void Start(const std::string& settings, bool withOption = true) {
        if (withOption) {
            ASSERT_TRUE(CopyFileW((BinaryFolder() + L"\\Option.exe").c_str(),
                                  (folder_.Path() + L"\\Option.exe").c_str(), FALSE));
        }
        VelmoraTest::Start(settings);
    }
    // Posted: the command returns only when the settings program has ended, or the box is closed.
    void PostCommand(unsigned id) const { PostMessageW(program_->Main(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    int Tabs(int pane) const { return TabCount(Strip(pane)); }
    // The hosted window's top-left corner inside its frame, in pixels.
    POINT HostedCorner(int pane) const {
        RECT rect{};
        GetWindowRect(Hosted(pane), &rect);
        MapWindowPoints(HWND_DESKTOP, Frame(pane), reinterpret_cast<POINT*>(&rect), 2);
        return POINT{rect.left, rect.top};
    }
    // Message boxes ("#32770") of Velmora's process.
    std::vector<HWND> Boxes() const {
        const DWORD velmora = program_->ProcessId();
        return TopLevel(L"#32770", [velmora](HWND window, DWORD processId) {
            return processId == velmora && IsWindowVisible(window);
        });
    }
    // A combination pressed while Velmora's window is under the pointer (Wine's keyboard follows it); true
    // when pane 1 got a tab for it.
    bool HotkeyAddsATab(std::initializer_list<WORD> keys) const {
        const int before = Tabs(0);
        MovePointerTo(CentreOf(program_->Main()));
        PressKeys(keys);
        return WaitFor([&] { return Tabs(0) > before; }, 2500);
    }
};

TEST_F(ToolsE2ETest, WhatIsChangedInTheSettingsProgramTakesEffectWithoutARestart) {
    // Pane 1's hotkey Ctrl+Shift+F9 (the field's word 0x0378), one launcher entry, no grid lines.
    Start("[setting]\r\nHot1=888\r\nModkey1=6\r\nHotkey1=120\r\n[App]\r\nOld=C:\\old.exe\r\n[Velmora]\r\nGrid=0\r\n");
    ASSERT_TRUE(WaitFor([&] { return List(0) != nullptr && List(1) != nullptr; }));
    EXPECT_EQ(ExtendedStyle(List(0)) & LVS_EX_GRIDLINES, 0u);
    const POINT corner0 = HostedCorner(0);
    const POINT corner1 = HostedCorner(1);
    EXPECT_EQ(corner0.x, 0);
    EXPECT_EQ(corner1.y, 0);

    StartedOption option(folder_);
    PostCommand(ids::kToolOption);
    ASSERT_TRUE(option.WaitForForm()) << "the Tools menu did not start Option.exe";
    ASSERT_TRUE(program_->Sync()) << "Velmora does not answer while it waits";
    EXPECT_LT(CpuMs(program_->ProcessId(), 1000), 250u) << "Velmora keeps the processor busy while it waits";

    // Closing is refused while the settings program runs.
    program_->Close();
    ASSERT_TRUE(program_->Sync());
    EXPECT_FALSE(program_->WaitForExit(500));
    EXPECT_TRUE(IsWindowVisible(program_->Main()));
    // Chosen again, the running one comes forward; no second copy starts.
    PostCommand(ids::kToolOption);
    ASSERT_TRUE(program_->Sync());
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == option.Form(); }, 3000));
    Sleep(1000);
    EXPECT_EQ(option.Forms().size(), 1u);

    // The user's changes: grid lines, Ctrl+Shift+F10 for pane 1, a launcher row, the offsets of panes 1 and 2.
    SendWithin(option.Control(option_ids::Chk(0)), BM_CLICK, 0, 0);
    SendWithin(option.HotkeyField(0), HKM_SETHOTKEY, 0x0379, 0);
    option.SetText(option.Control(option_ids::kTxtName), L"新しいメモ");
    option.SetText(option.Control(option_ids::TxtPath(0)), L"C:\\windows\\notepad.exe");
    option.Click(option_ids::kCmdAdd);
    option.SetText(option.PositionEdit(0), L"20");
    option.SetText(option.PositionEdit(1), L"-10");
    option.SetText(option.PositionEdit(2), L"5");
    option.SetText(option.PositionEdit(3), L"3");
    PostMessageW(option.Form(), WM_COMMAND, MAKEWPARAM(option_ids::CmdDecision(0), BN_CLICKED),
                 reinterpret_cast<LPARAM>(option.Control(option_ids::CmdDecision(0))));
    ASSERT_TRUE(option.WaitForExit()) << "\"OK\" did not end Option.exe";
    ASSERT_EQ(folder_.Read(L"pos", L"X01"), L"300") << "the offsets were not saved as the test expects";
    ASSERT_EQ(folder_.Read(L"setting", L"Hotkey1"), L"121");

    // Velmora takes all of it over at once.
    HWND combo = program_->Control(ids::kCboApp);
    EXPECT_TRUE(WaitFor([&] { return ComboItems(combo) == std::vector<std::wstring>{L"Old", L"新しいメモ"}; }));
    ASSERT_TRUE(program_->Sync());
    for (int pane = 0; pane < 2; ++pane) {
        EXPECT_NE(ExtendedStyle(List(pane)) & LVS_EX_GRIDLINES, 0u) << "pane " << pane + 1;
    }
    EXPECT_EQ(HostedCorner(0).x, 20);
    EXPECT_EQ(HostedCorner(0).y, -10);
    EXPECT_EQ(HostedCorner(1).x, 5);
    EXPECT_EQ(HostedCorner(1).y, 3);
    EXPECT_FALSE(HotkeyAddsATab({VK_CONTROL, VK_SHIFT, VK_F9})) << "the old hotkey still works";
    EXPECT_TRUE(HotkeyAddsATab({VK_CONTROL, VK_SHIFT, VK_F10})) << "the new hotkey does not work";

    // Now closing works.
    program_->Close();
    EXPECT_TRUE(program_->WaitForExit()) << "Velmora did not close after the settings program ended";
}

TEST_F(ToolsE2ETest, WithoutOptionExeTheCommandShowsNothingAndClosingStillWorks) {
    Start("[setting]\r\nModkey1=6\r\nHotkey1=120\r\n", false);
    PostCommand(ids::kToolOption);
    ASSERT_TRUE(program_->Sync());
    Sleep(500);
    EXPECT_TRUE(Boxes().empty());
    // The hotkeys came back after the (failed) start.
    EXPECT_TRUE(HotkeyAddsATab({VK_CONTROL, VK_SHIFT, VK_F9}));
    program_->Close();
    EXPECT_TRUE(program_->WaitForExit());
}

TEST_F(ToolsE2ETest, AboutBoxShowsTitleVersionAndAuthorWithOnlyAnOkButton) {
    Start("", false);
    PostCommand(ids::kHelpAbout);
    ASSERT_TRUE(WaitFor([&] { return !Boxes().empty(); }, 5000)) << "no About box";
    HWND box = Boxes().front();
    wchar_t title[64] = {};
    GetWindowTextW(box, title, 64);
    EXPECT_STREQ(title, L"Velmora");
    const std::wstring version = std::to_wstring(VELMORA_VERSION_MAJOR) + L"." +
                                 std::to_wstring(VELMORA_VERSION_MINOR) + L"." + std::to_wstring(VELMORA_VERSION_PATCH);
    EXPECT_EQ(OptionProcess::MessageText(box), L"Velmora Ver" + version + L"\t作者 Quonda");
    int buttons = 0;
    for (HWND child = FindWindowExW(box, nullptr, nullptr, nullptr); child != nullptr;
         child = FindWindowExW(box, child, nullptr, nullptr)) {
        wchar_t name[32] = {};
        GetClassNameW(child, name, 32);
        const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
        if (lstrcmpiW(name, L"Button") == 0 && (style & WS_VISIBLE) != 0) ++buttons;
        // Wine's box keeps its icon control even without an icon; it then holds none.
        if (lstrcmpiW(name, L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) {
            EXPECT_EQ(SendWithin(child, STM_GETICON, 0, 0), 0) << "the box shows an icon";
        }
    }
    EXPECT_EQ(buttons, 1);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitFor([&] { return Boxes().empty(); }, 5000));
    program_->Close();
    EXPECT_TRUE(program_->WaitForExit());
}

}  // namespace
}  // namespace velmora::e2e
