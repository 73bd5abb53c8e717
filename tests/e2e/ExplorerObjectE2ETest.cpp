// Velmora driving the platform's Explorer window object, end to end: under
// Wine, which has none, the double in tests/fixtures/fixture_explorer.cpp is
// registered as the class's local server for these tests only, and its
// journal shows every call in order. Its windows live in processes of their
// own, so the list search, the style messages, the re-parenting and the moves
// all cross a process boundary. Where the system has the class itself (on
// Windows) it is left alone and these tests are skipped.
#include <gtest/gtest.h>
// commctrl.h needs the types of windows.h.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>
// clang-format on

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/Driver.h"
#include "e2e/OptionDriver.h"
#include "platform/win32/MainWindowIds.h"

namespace velmora::e2e {
namespace {

namespace ids = win32::ids;

constexpr wchar_t kClass[] = L"CLSID\\{C08AFD90-F2A1-11D1-8455-00A0C91F3880}";
const std::wstring kMachineClass = std::wstring(L"Software\\Classes\\") + kClass;
constexpr wchar_t kDoubleProgram[] = L"fixture_explorer.exe";
constexpr char kComputer[] = "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";
constexpr wchar_t kFolderTreeBar[] = L"ShowBrowserBar {EFA24E64-B078-11D0-89E4-00C04FC9E26E} true";
using Lines = std::vector<std::wstring>;

std::wstring Decimal(HWND window) { return std::to_wstring(reinterpret_cast<UINT_PTR>(window)); }

// The calls that make a new window ready in the frame.
Lines Capture(HWND frame) {
    return {L"Create",   L"Navigate2 I2 17",   kFolderTreeBar, L"HWND", L"HWND", L"Parent " + Decimal(frame),
            L"Document", L"CurrentViewMode 4", L"Visible true"};
}

// What a release at the end sends each window: hidden, back on the desktop, told to quit.
const Lines kRelease = {L"HWND", L"Visible false", L"Parent desktop", L"Quit"};

Lines Join(Lines first, const Lines& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

void EndDoubles() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{sizeof(entry)};
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (lstrcmpiW(entry.szExeFile, kDoubleProgram) != 0) continue;
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID)) {
            TerminateProcess(process, 99);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }
    CloseHandle(snapshot);
}

class ExplorerObjectE2ETest : public VelmoraTest {
protected:
    ~ExplorerObjectE2ETest() override {
        // Velmora and any double still running go before the class does, also when a test failed.
        program_.reset();
        EndDoubles();
        if (registered_) RegDeleteTreeW(HKEY_LOCAL_MACHINE, kMachineClass.c_str());
        DeleteFileW(journal_.c_str());
    }
    void SetUp() override { RegisterDouble(); }
    // Registers the double as the class's server; the test is skipped where
    // the system has the class. Wine's COM does not read the user's own
    // classes, hence the machine's; the key is volatile, so not even a crash
    // leaves it behind once the prefix's server ends.
    void RegisterDouble(bool refuse = false) {
        HKEY key = nullptr;
        if (!registered_ && RegOpenKeyExW(HKEY_CLASSES_ROOT, kClass, 0, KEY_READ, &key) == ERROR_SUCCESS) {
            wchar_t server[MAX_PATH * 2] = {};
            DWORD size = sizeof(server);
            RegGetValueW(key, L"LocalServer32", nullptr, RRF_RT_REG_SZ, nullptr, server, &size);
            RegCloseKey(key);
            // A registration of ours that a crashed run left is taken over.
            if (!wcsstr(server, kDoubleProgram)) GTEST_SKIP() << "the system has the Explorer object class";
        }
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        journal_ = std::wstring(temp) + L"velmora-explorer-" + std::to_wstring(GetCurrentProcessId()) + L".log";
        DeleteFileW(journal_.c_str());
        const std::wstring server = L"\"" + BinaryFolder() + L"\\fixtures\\" + kDoubleProgram + L"\" " +
                                    (refuse ? L"--refuse " : L"") + L"\"" + journal_ + L"\"";
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, (kMachineClass + L"\\LocalServer32").c_str(), 0, nullptr,
                                  REG_OPTION_VOLATILE, KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        registered_ = true;
        RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(server.c_str()),
                       static_cast<DWORD>((server.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
    // The calls the doubles received so far, and those since the last look.
    Lines Journal() const {
        std::ifstream file(std::filesystem::path(journal_), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(file), {}};
        std::wstringstream text(std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2));
        Lines lines;
        for (std::wstring line; std::getline(text, line);) lines.push_back(line.substr(0, line.find(L'\r')));
        return lines;
    }
    Lines NewCalls() {
        Lines all = Journal();
        Lines fresh(all.begin() + static_cast<std::ptrdiff_t>(std::min(seen_, all.size())), all.end());
        seen_ = all.size();
        return fresh;
    }
    void StartWithDouble(const std::string& settings) {
        Start(settings);
        ASSERT_TRUE(WaitFor([&] { return List(0) != nullptr && List(1) != nullptr; }));
        ASSERT_EQ(NewCalls(), Join(Capture(Frame(0)), Capture(Frame(1))));
    }

    std::wstring journal_;
    bool registered_ = false;
    size_t seen_ = 0;
};

TEST_F(ExplorerObjectE2ETest, StartUpCapturesBothPanesInTheirFramesAndShutdownReleasesThem) {
    // Pane 1 is moved by 10 pixels right and 2 up inside its frame.
    ASSERT_NO_FATAL_FAILURE(StartWithDouble("[pos]\r\nX01=150\r\nY01=-30\r\n"));
    for (int pane = 0; pane < 2; ++pane) {
        SCOPED_TRACE(pane);
        HWND hosted = Hosted(pane);
        EXPECT_TRUE(IsWindowVisible(hosted));
        EXPECT_TRUE(IsZoomed(hosted));
        // Placed by the offsets, the right and bottom edges on the frame's.
        RECT frame{}, placed{};
        GetClientRect(Frame(pane), &frame);
        GetWindowRect(hosted, &placed);
        MapWindowPoints(HWND_DESKTOP, Frame(pane), reinterpret_cast<POINT*>(&placed), 2);
        const RECT expected = pane == 0 ? RECT{10, -2, frame.right, frame.bottom} : frame;
        EXPECT_TRUE(EqualRect(&placed, &expected));
    }

    HWND hosted[2] = {Hosted(0), Hosted(1)};
    CloseAndWait();
    EXPECT_EQ(NewCalls(), Join(kRelease, kRelease));
    EXPECT_FALSE(IsWindow(hosted[0]) || IsWindow(hosted[1])) << "a window did not quit";
}

TEST_F(ExplorerObjectE2ETest, TabsSendSpecialFoldersByNumberAndOtherPathsAsText) {
    TempFolder work(L"object-work", {L"alpha.txt"});
    TempFolder gone(L"object-gone");
    struct Case {
        std::string path;
        std::wstring call;
    };
    // The first tab is clicked last (a click on the tab already selected selects nothing), and its folder is gone.
    const std::vector<Case> cases = {
        {gone.Utf8Path(), L"Navigate2 BSTR " + gone.Path() + L" failed"},
        {"::{645FF040-5081-101B-9F08-00AA002F954E}", L"Navigate2 I2 10"},
        {kComputer, L"Navigate2 I2 17"},
        {std::string(kComputer) + "\\::{21EC2020-3AEA-1069-A2DD-08002B30309D}", L"Navigate2 I2 3"},
        {"::{F02C1A0D-BE21-4350-88B0-7367FC96EF3C}", L"Navigate2 I2 18"},
        {"::{20d04fe0-3aea-1069-a2d8-08002b30309d}", L"Navigate2 BSTR ::{20d04fe0-3aea-1069-a2d8-08002b30309d}"},
        {work.Utf8Path(), L"Navigate2 BSTR " + work.Path()},
    };
    std::string tabs;
    for (size_t i = 0; i < cases.size(); ++i) tabs += (i ? "|T" : "T") + std::to_string(i) + "?" + cases[i].path;
    // A window wide enough to show every tab.
    ASSERT_NO_FATAL_FAILURE(StartWithDouble(
        "[setting]\r\nwindow=1\r\nX=300\r\nY=1500\r\nW=18000\r\nH=9000\r\nBar1=9000\r\n[Tab]\r\n1=" + tabs + "\r\n"));
    ASSERT_EQ(TabCount(Strip(0)), static_cast<int>(cases.size()));
    gone.Remove();
    MovePointerTo(CentreOf(program_->Main()));
    for (size_t i = 1; i <= cases.size(); ++i) {
        const Case& tab = cases[i % cases.size()];
        SCOPED_TRACE(tab.path);
        ClickTab(0, static_cast<int>(i % cases.size()) + 1);
        EXPECT_EQ(NewCalls(), Lines{tab.call});
        if (tab.path == work.Utf8Path()) {
            EXPECT_TRUE(ListShows(0, L"alpha.txt"));
        }
    }
    // The tab whose folder is gone went without a word; the others stay.
    EXPECT_EQ(TabCount(Strip(0)), static_cast<int>(cases.size()) - 1);
    EXPECT_EQ(program_->WaitForMessageBox(300), nullptr);
}

TEST_F(ExplorerObjectE2ETest, ANewTabTakesTheShownFoldersNameAndPath) {
    ASSERT_NO_FATAL_FAILURE(StartWithDouble(""));
    ASSERT_TRUE(program_->Command(ids::kFileAddTab2));
    EXPECT_EQ(NewCalls(), (Lines{L"Document", L"Folder", L"Self", L"Name", L"Document", L"Folder", L"Self", L"Path"}));
    EXPECT_EQ(TabCaptions(Strip(1)), Lines{L"PC"});
    CloseAndWait();
    EXPECT_EQ(SavedTabs(L"2"), L"PC?" + ToWide(kComputer));
}

TEST_F(ExplorerObjectE2ETest, DisplayFlagsReachTheListInTheOtherProcessAndEachNewOne) {
    TempFolder work(L"object-flags", {L"alpha.txt"});
    ASSERT_NO_FATAL_FAILURE(StartWithDouble("[Velmora]\r\nGrid=1\r\nLineSel=1\r\n[Tab]\r\n1=PC?" +
                                            std::string(kComputer) + "|W?" + work.Utf8Path() + "\r\n"));
    constexpr DWORD kFlags = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT;
    for (int pane = 0; pane < 2; ++pane)
        EXPECT_TRUE(WaitFor([&] { return ExtendedStyle(List(pane)) == kFlags; })) << pane;
    // The double makes a new list, without any extended style, for the new folder; the timer styles it.
    HWND before = List(0);
    MovePointerTo(CentreOf(program_->Main()));
    ClickTab(0, 2);
    ASSERT_TRUE(ListShows(0, L"alpha.txt"));
    EXPECT_NE(List(0), before);
    EXPECT_TRUE(WaitFor([&] { return ExtendedStyle(List(0)) == kFlags; }));
    // A change written by the settings program shows without a restart.
    folder_.WriteSettings("[Velmora]\r\nGrid=0\r\nLineSel=1\r\n");
    for (int pane = 0; pane < 2; ++pane)
        EXPECT_TRUE(WaitFor([&] { return ExtendedStyle(List(pane)) == LVS_EX_FULLROWSELECT; })) << pane;
}

TEST_F(ExplorerObjectE2ETest, AWindowClosedByTheUserIsReplacedByTheCaptureCommand) {
    ASSERT_NO_FATAL_FAILURE(StartWithDouble(""));
    // A live pane is left as it is.
    HWND second = Hosted(1);
    ASSERT_TRUE(program_->Command(ids::kCaptureExplorer2));
    EXPECT_EQ(Hosted(1), second);
    EXPECT_TRUE(NewCalls().empty());

    HWND old = Hosted(0);
    PostMessageW(old, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(old); })) << "the window did not close";
    // Without a window the pane asks its object nothing.
    ASSERT_TRUE(program_->Command(ids::kFileAddTab1));
    EXPECT_TRUE(NewCalls().empty());
    ASSERT_TRUE(program_->Command(ids::kCaptureExplorer1));
    EXPECT_NE(Hosted(0), old);
    EXPECT_EQ(NewCalls(), Capture(Frame(0)));
    CloseAndWait();
    EXPECT_EQ(NewCalls(), Join(kRelease, kRelease));
}

TEST_F(ExplorerObjectE2ETest, AClassThatRefusesTheObjectEndsTheProgramWithTheCaptureMessage) {
    ASSERT_NO_FATAL_FAILURE(RegisterDouble(/*refuse=*/true));
    folder_.WriteSettings("[setting]\r\nwindow=1\r\n[Tab]\r\n1=PC?" + std::string(kComputer) + "\r\n");
    program_ = std::make_unique<Velmora>(folder_);
    HWND box = program_->WaitForMessageBox();
    ASSERT_NE(box, nullptr) << "no message";
    wchar_t title[64] = {};
    GetWindowTextW(box, title, 64);
    EXPECT_STREQ(title, L"Velmora エラー");
    EXPECT_EQ(OptionProcess::MessageText(box),
              L"エクスプローラーの取り込み中にエラーが発生しました\r\nOSがVistaでUACが有効の場合は取り込みできません");
    EXPECT_EQ(Journal(), Lines{L"Create refused"}) << "the stand-in or a second try took its place";
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(program_->WaitForExit());
    EXPECT_EQ(folder_.Read(L"setting", L"State"), std::nullopt) << "something was saved";
    EXPECT_EQ(folder_.Read(L"setting", L"View"), std::nullopt);
    EXPECT_EQ(SavedTabs(L"1"), L"PC?" + ToWide(kComputer));
}

}  // namespace
}  // namespace velmora::e2e
