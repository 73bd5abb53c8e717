// The application pane of the real Velmora.exe: small fixture programs (and the
// system's text editor) started from the launcher or dropped on the strip, and
// captured into the pane. Wine does not draw another process's window inside
// ours, so the checks are on the window tree and rectangles, not on pixels.
#include <gtest/gtest.h>
// commctrl.h needs the types of windows.h.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
// clang-format on

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "e2e/Driver.h"
#include "e2e/OptionDriver.h"
#include "platform/win32/MainWindowIds.h"

namespace velmora::e2e {
namespace {

namespace ids = win32::ids;

constexpr wchar_t kNotFound[] = L"ハンドルが見つかりませんでした。";
constexpr wchar_t kNotResponding[] = L"アプリケーションが応答していないため、ウィンドウを操作できませんでした。";

// Polls until the condition holds; false when the time runs out first.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(25);
    }
}

DWORD ProcessOf(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process;
}

bool ProcessEnded(DWORD processId, DWORD timeoutMs) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    if (process == nullptr) return true;
    const bool ended = WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

void Kill(DWORD processId) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId);
    if (process == nullptr) return;
    TerminateProcess(process, 9);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
}

// A top-level window of that class and process; nullptr when none.
HWND TopLevelOf(DWORD processId, const wchar_t* className) {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, className, nullptr)) != nullptr) {
        if (ProcessOf(window) == processId) return window;
    }
    return nullptr;
}

class AppPaneE2ETest : public testing::Test {
protected:
    ~AppPaneE2ETest() override {
        // Whatever a test started and left running goes with it.
        program_.reset();
        for (DWORD process : started_) Kill(process);
        for (const std::wstring& name : fixtures_) {
            for (DWORD process : Started(name.c_str())) Kill(process);
        }
    }

    // A copy of the fixture in the program folder; its log is written beside it.
    std::wstring Fixture(const wchar_t* name) {
        const std::wstring target = folder_.Path() + L"\\" + name + L".exe";
        CopyFileW((BinaryFolder() + L"\\fixtures\\" + name + L".exe").c_str(), target.c_str(), FALSE);
        fixtures_.push_back(name);
        return target;
    }
    // The processes of the fixture that recorded their start.
    std::vector<DWORD> Started(const wchar_t* name) const {
        std::vector<DWORD> processes;
        for (const std::string& line : Log(name)) {
            if (line.starts_with("start ")) processes.push_back(static_cast<DWORD>(std::stoul(line.substr(6))));
        }
        return processes;
    }
    // The lines the fixture recorded ("start 123", "close 123", "exit 123").
    std::vector<std::string> Log(const wchar_t* name) const {
        std::vector<std::string> lines;
        HANDLE file = CreateFileW((folder_.Path() + L"\\" + name + L".log").c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return lines;
        std::string text(65536, '\0');
        DWORD read = 0;
        ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
        CloseHandle(file);
        text.resize(read);
        for (size_t start = 0; start < text.size();) {
            const size_t end = text.find("\r\n", start);
            lines.push_back(text.substr(start, end - start));
            start = end == std::string::npos ? text.size() : end + 2;
        }
        return lines;
    }

    // Starts Velmora with the application pane shown, the offsets X03/Y03 and these launcher entries.
    void Start(const std::vector<std::pair<std::string, std::wstring>>& launcher, int x03 = 0, int y03 = 0) {
        std::string settings = "[setting]\r\nViewApl=-1\r\n[pos]\r\nX03=" + std::to_string(x03) +
                               "\r\nY03=" + std::to_string(y03) + "\r\n[App]\r\n";
        for (const auto& [name, path] : launcher) settings += name + "=" + FromWide(path, CP_UTF8) + "\r\n";
        folder_.WriteSettings(settings);
        program_ = std::make_unique<Velmora>(folder_);
        ASSERT_TRUE(program_->WaitForMainWindow()) << "Velmora showed no main window";
    }

    HWND Frame() const { return program_->Control(ids::kFrameApp2); }
    HWND Strip() const { return program_->Control(ids::kTabStrip2); }
    int TabCount() const {
        DWORD_PTR count = 0;
        SendMessageTimeoutW(Strip(), TCM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &count);
        return static_cast<int>(count);
    }
    // Picks launcher entry `item` as the user does. Posted: the pick may end in a message box, which would
    // hold a sent message until it is closed.
    void Pick(int item) const {
        HWND combo = program_->Control(ids::kCboApp);
        SendMessageTimeoutW(combo, CB_SETCURSEL, static_cast<WPARAM>(item), 0, SMTO_ABORTIFHUNG, 5000, nullptr);
        PostMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(ids::kCboApp, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(combo));
    }
    // The window of that class hosted directly in the application frame.
    HWND Hosted(const wchar_t* className) const { return FindWindowExW(Frame(), nullptr, className, nullptr); }
    HWND WaitForHosted(const wchar_t* className, DWORD timeoutMs = 15000) {
        HWND found = nullptr;
        WaitUntil([&] { return (found = Hosted(className)) != nullptr && TabCount() > 0; }, timeoutMs);
        // The text editor is no fixture of ours and records no start.
        if (found != nullptr) started_.push_back(ProcessOf(found));
        return found;
    }
    std::wstring Title(HWND window) const {
        wchar_t text[256] = {};
        GetWindowTextW(window, text, 256);
        return text;
    }
    // Right-clicks the first tab and chooses a popup entry by its mnemonic.
    void ChooseOnFirstTab(WORD mnemonic) {
        RECT strip{};
        GetWindowRect(Strip(), &strip);
        // Any tab caption here is wider than 12 pixels; the hit test looks at x alone.
        MovePointerTo(POINT{strip.left + 12, (strip.top + strip.bottom) / 2});
        INPUT click[2] = {};
        click[0].type = click[1].type = INPUT_MOUSE;
        click[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
        click[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
        SendInput(2, click, sizeof(INPUT));
        ASSERT_TRUE(WaitUntil([&] { return TopLevelOf(program_->ProcessId(), L"#32768") != nullptr; }, 5000))
            << "no popup menu";
        Sleep(100);
        PressKeys({mnemonic});
        WaitUntil([&] { return TopLevelOf(program_->ProcessId(), L"#32768") == nullptr; }, 5000);
        program_->Sync();
    }

    ProgramFolder folder_;
    std::unique_ptr<Velmora> program_;
    std::vector<DWORD> started_;
    std::vector<std::wstring> fixtures_;
};

TEST_F(AppPaneE2ETest, ALauncherPickCapturesTheProgramIntoThePaneMinusTheOffsets) {
    Start({{"Normal", Fixture(L"fixture_normal")}}, 300, 150);
    Pick(0);
    HWND hosted = WaitForHosted(L"VelmoraFixtureNormal");
    ASSERT_NE(hosted, nullptr) << "the fixture's window did not arrive in frameApp(2)";
    EXPECT_EQ(GetAncestor(hosted, GA_PARENT), Frame());
    EXPECT_EQ(GetAncestor(hosted, GA_ROOT), program_->Main());
    EXPECT_EQ(TabCount(), 1);

    // Fitted after the maximise: at the offsets (20 and 10 pixels), filling the rest of the frame.
    program_->Sync();
    RECT frame{};
    GetClientRect(Frame(), &frame);
    RECT rect{};
    GetWindowRect(hosted, &rect);
    MapWindowPoints(HWND_DESKTOP, Frame(), reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.left, 20);
    EXPECT_EQ(rect.top, 10);
    EXPECT_NEAR(rect.right, frame.right, 1);
    EXPECT_NEAR(rect.bottom, frame.bottom, 1);
    EXPECT_TRUE(IsZoomed(hosted));
}

TEST_F(AppPaneE2ETest, ProgramsWithoutACapturableWindowGiveTheMessage) {
    Start({{"Owned", Fixture(L"fixture_owned")},
           {"Untitled", Fixture(L"fixture_untitled")},
           {"Exits", Fixture(L"fixture_exits")}});
    for (int item = 0; item < 3; ++item) {
        Pick(item);
        HWND box = program_->WaitForMessageBox(15000);
        ASSERT_NE(box, nullptr) << "no message for launcher entry " << item;
        EXPECT_EQ(Title(box), L"Velmora");
        EXPECT_EQ(OptionProcess::MessageText(box), kNotFound);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }, 5000));
        EXPECT_EQ(TabCount(), 0);
    }
    // The programs that did not end by themselves stay where they were, on the desktop.
    const std::vector<DWORD> owned = Started(L"fixture_owned");
    const std::vector<DWORD> untitled = Started(L"fixture_untitled");
    ASSERT_EQ(owned.size(), 1u);
    ASSERT_EQ(untitled.size(), 1u);
    EXPECT_NE(TopLevelOf(owned[0], L"VelmoraFixtureOwned"), nullptr);
    EXPECT_NE(TopLevelOf(untitled[0], L"VelmoraFixtureUntitled"), nullptr);
    const std::vector<std::string> exits = Log(L"fixture_exits");
    ASSERT_EQ(exits.size(), 2u);
    EXPECT_EQ(exits[1], "exit " + exits[0].substr(6));
}

// A fresh prefix without the desktop integration has no ".txt" key, though it knows the text file type; a user's
// system has one. Set while the test runs (Wine's classes root does not merge the user's classes), and removed
// afterwards when the test made it.
class TextAssociation {
public:
    TextAssociation() {
        wchar_t program[MAX_PATH] = {};
        const std::wstring probe = std::wstring(L"C:\\probe-") + std::to_wstring(GetCurrentProcessId()) + L".txt";
        HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        CloseHandle(file);
        const bool known = reinterpret_cast<INT_PTR>(FindExecutableW(probe.c_str(), nullptr, program)) > 32;
        DeleteFileW(probe.c_str());
        if (known) return;
        constexpr wchar_t kType[] = L"txtfile";
        made_ = RegSetKeyValueW(HKEY_CLASSES_ROOT, L".txt", nullptr, REG_SZ, kType, sizeof(kType)) == ERROR_SUCCESS;
    }
    ~TextAssociation() {
        if (made_) RegDeleteTreeW(HKEY_CLASSES_ROOT, L".txt");
    }
    TextAssociation(const TextAssociation&) = delete;
    TextAssociation& operator=(const TextAssociation&) = delete;

private:
    bool made_ = false;
};

TEST_F(AppPaneE2ETest, ATextFileDroppedOnTheStripOpensInItsProgramAndIsCaptured) {
    TextAssociation association;
    Start({});
    const std::wstring document = folder_.Path() + L"\\note.txt";
    HANDLE file = CreateFileW(document.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);

    OleApartment ole;
    ASSERT_TRUE(ole.Joined());
    PointAt(Strip());
    EXPECT_EQ(DropFilesAtPointer({document}), static_cast<DWORD>(DROPEFFECT_COPY));
    HWND editor = WaitForHosted(L"Notepad");
    ASSERT_NE(editor, nullptr) << "the text editor's window did not arrive in frameApp(2)";
    EXPECT_EQ(TabCount(), 1);
    // The editor is asked to close with Velmora; an unchanged document lets it go without a question.
    const DWORD editorProcess = ProcessOf(editor);
    program_->Close();
    ASSERT_TRUE(program_->WaitForExit());
    EXPECT_TRUE(ProcessEnded(editorProcess, 10000));
}

TEST_F(AppPaneE2ETest, TakingOutLeavesATopLevelWindow) {
    Start({{"Normal", Fixture(L"fixture_normal")}});
    Pick(0);
    HWND hosted = WaitForHosted(L"VelmoraFixtureNormal");
    ASSERT_NE(hosted, nullptr);

    ChooseOnFirstTab('T');
    EXPECT_TRUE(WaitUntil([&] { return GetAncestor(hosted, GA_PARENT) == GetDesktopWindow(); }, 5000));
    EXPECT_EQ(TabCount(), 0);
    EXPECT_TRUE(IsWindow(hosted));
    EXPECT_EQ(Log(L"fixture_normal").size(), 1u) << "taking out asks nothing of the program";
}

TEST_F(AppPaneE2ETest, ClosingATabAsksTheProgramToClose) {
    Start({{"Normal", Fixture(L"fixture_normal")}});
    Pick(0);
    HWND hosted = WaitForHosted(L"VelmoraFixtureNormal");
    ASSERT_NE(hosted, nullptr);
    const DWORD process = ProcessOf(hosted);

    ChooseOnFirstTab('C');
    EXPECT_EQ(TabCount(), 0);
    EXPECT_TRUE(ProcessEnded(process, 10000));
    const std::string pid = std::to_string(process);
    EXPECT_EQ(Log(L"fixture_normal"), (std::vector<std::string>{"start " + pid, "close " + pid, "exit " + pid}));
}

TEST_F(AppPaneE2ETest, AProgramKilledFromOutsideLosesItsTabWithinATick) {
    Start({{"Normal", Fixture(L"fixture_normal")}});
    Pick(0);
    HWND hosted = WaitForHosted(L"VelmoraFixtureNormal");
    ASSERT_NE(hosted, nullptr);
    Kill(ProcessOf(hosted));
    // Timer1 ticks every 500 ms; some slack for Wine.
    EXPECT_TRUE(WaitUntil([&] { return TabCount() == 0; }, 1000));
}

TEST_F(AppPaneE2ETest, ClosingVelmoraAsksEveryCapturedProgramToClose) {
    Start({{"Normal", Fixture(L"fixture_normal")}});
    Pick(0);
    ASSERT_NE(WaitForHosted(L"VelmoraFixtureNormal"), nullptr);
    Pick(0);
    ASSERT_TRUE(WaitUntil([&] { return TabCount() == 2; }, 15000));
    std::vector<DWORD> processes;
    for (HWND child = nullptr; (child = FindWindowExW(Frame(), child, L"VelmoraFixtureNormal", nullptr));) {
        processes.push_back(ProcessOf(child));
    }
    ASSERT_EQ(processes.size(), 2u);

    program_->Close();
    ASSERT_TRUE(program_->WaitForExit());
    for (DWORD process : processes) {
        EXPECT_TRUE(ProcessEnded(process, 10000)) << "process " << process << " still runs";
        const std::vector<std::string> log = Log(L"fixture_normal");
        EXPECT_NE(std::find(log.begin(), log.end(), "close " + std::to_string(process)), log.end());
    }
}

TEST_F(AppPaneE2ETest, AProgramThatNeverGetsReadyCostsOnlyTheBoundedWait) {
    Start({{"Busy", Fixture(L"fixture_busy")}});
    const DWORD start = GetTickCount();
    Pick(0);
    // Ten seconds of waiting for it, then the search finds no window of it yet.
    HWND box = program_->WaitForMessageBox(25000);
    const DWORD waited = GetTickCount() - start;
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(OptionProcess::MessageText(box), kNotFound);
    EXPECT_GE(waited, 10000u);
    EXPECT_LT(waited, 20000u);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(program_->Sync());
    EXPECT_EQ(TabCount(), 0);
    EXPECT_EQ(Started(L"fixture_busy").size(), 1u);
}

TEST_F(AppPaneE2ETest, AWindowThatDoesNotAnswerIsNotReparented) {
    Start({{"Hung", Fixture(L"fixture_hung")}});
    Pick(0);
    HWND box = program_->WaitForMessageBox(15000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(OptionProcess::MessageText(box), kNotResponding);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(program_->Sync()) << "Velmora itself must go on answering";
    const std::vector<DWORD> hung = Started(L"fixture_hung");
    ASSERT_EQ(hung.size(), 1u);
    EXPECT_NE(TopLevelOf(hung[0], L"VelmoraFixtureHung"), nullptr) << "its window stays on the desktop";
    EXPECT_EQ(TabCount(), 0);
}

}  // namespace
}  // namespace velmora::e2e
