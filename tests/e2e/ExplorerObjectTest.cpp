// Velmora driving the platform's Explorer window object: under Wine, which has none, its double
// (tests/fixtures/fixture_explorer.cpp), registered as the class's server while a test runs, whose journal shows every
// call in order and whose windows live in processes of their own. Where the system has the class, they are skipped.
#include <iterator>

#include "e2e/Driver.h"

namespace velmora::e2e {
namespace {

namespace ids = win32::ids;
using Lines = std::vector<std::wstring>;
constexpr wchar_t kClass[] = L"CLSID\\{C08AFD90-F2A1-11D1-8455-00A0C91F3880}";
const std::wstring kMachineClass = L"Software\\Classes\\" + std::wstring(kClass);
const std::wstring kComputer = L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";

// The calls that make a new window ready in each frame.
Lines Capture(std::initializer_list<HWND> frames) {
    Lines calls;
    for (HWND frame : frames)
        calls.insert(calls.end(),
                     {L"Create", L"Navigate2 I2 17", L"ShowBrowserBar {EFA24E64-B078-11D0-89E4-00C04FC9E26E} true",
                      L"HWND", L"HWND", L"Parent " + std::to_wstring(reinterpret_cast<UINT_PTR>(frame)), L"Document",
                      L"CurrentViewMode 4", L"Visible true"});
    return calls;
}

// Wine's COM does not read the user's classes, hence the machine's; the key is volatile, so not even a crash leaves
// it behind once the prefix's server ends.
class Double {
public:
    explicit Double(bool refuse = false) {
        // The system's own class is left alone; a registration of ours that a crashed run left is taken over.
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, kClass, 0, KEY_READ, &key) == ERROR_SUCCESS) {
            wchar_t server[1024] = {};
            DWORD size = sizeof server;
            RegGetValueW(key, L"LocalServer32", nullptr, RRF_RT_REG_SZ, nullptr, server, &size);
            RegCloseKey(key);
            if (!wcsstr(server, L"fixture_explorer.exe")) return;
        }
        const std::wstring command = L"\"" + BinaryFolder() + L"\\fixtures\\fixture_explorer.exe\" " +
                                     (refuse ? L"--refuse \"" : L"\"") + (journal_ / L"journal.txt") + L"\"";
        registered_ = RegCreateKeyExW(HKEY_LOCAL_MACHINE, (kMachineClass + L"\\LocalServer32").c_str(), 0, nullptr,
                                      REG_OPTION_VOLATILE, KEY_WRITE, nullptr, &key, nullptr) == ERROR_SUCCESS;
        RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
    ~Double() {
        if (registered_) RegDeleteTreeW(HKEY_LOCAL_MACHINE, kMachineClass.c_str());
    }
    bool Registered() const { return registered_; }

    // The calls since the last look, once there are at least `count` of them.
    Lines NewCalls(size_t count = 0) {
        Lines fresh;
        WaitFor([&] {
            std::ifstream file(std::filesystem::path(journal_ / L"journal.txt"), std::ios::binary);
            const std::string bytes{std::istreambuf_iterator<char>(file), {}};
            const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
            fresh.clear();
            size_t at = seen_;
            for (size_t end; (end = text.find(L"\r\n", at)) != std::wstring::npos; at = end + 2)
                fresh.push_back(text.substr(at, end - at));
            if (fresh.size() < count) return false;
            seen_ = at;
            return true;
        });
        return fresh;
    }

private:
    Folder journal_;
    bool registered_ = false;
    size_t seen_ = 0;
};

TEST(ExplorerObjectTest, PanesCaptureNavigateStyleAndReleaseTheObjectsWindows) {
    Double object;
    if (!object.Registered()) GTEST_SKIP() << "the system has the Explorer object class";
    Folder work, gone;
    Program velmora(L"[Velmora]\r\nGrid=1\r\nLineSel=1\r\n[Tab]\r\n1=Gone?" + gone.path +
                    L"|Bin?::{645FF040-5081-101B-9F08-00AA002F954E}|Work?" + work.path + L"\r\n");
    const Lines captures = Capture({Frame(velmora, 0), Frame(velmora, 1)});
    EXPECT_EQ(object.NewCalls(captures.size()), captures);
    const auto styled = [&](int pane) {
        constexpr LRESULT kFlags = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT;
        return WaitFor([&] { return Send(List(velmora, pane), LVM_GETEXTENDEDLISTVIEWSTYLE) == kFlags; });
    };
    EXPECT_TRUE(styled(0) && styled(1));

    // Special folders go by number, other paths as text; every folder shown has a new list, styled again. The
    // tab whose folder has gone goes without a word.
    RemoveDirectoryW(gone.path.c_str());
    const std::pair<int, std::wstring> clicks[] = {
        {1, L"Navigate2 I2 10"}, {2, L"Navigate2 BSTR " + work.path}, {0, L"Navigate2 BSTR " + gone.path + L" failed"}};
    for (const auto& [tab, call] : clicks) {
        HWND before = List(velmora, 0);
        Click(TabCentre(Strip(velmora, 0), tab));
        EXPECT_EQ(object.NewCalls(1), Lines{call});
        EXPECT_TRUE(tab == 0 || (List(velmora, 0) != before && styled(0))) << tab;
    }
    EXPECT_EQ(Tabs(Strip(velmora, 0)), (Lines{L"Bin", L"Work"}));
    EXPECT_EQ(AnswerBox(velmora.Id(), 300), L"");

    // A new tab takes the shown folder's name and path (saved at the end).
    ASSERT_TRUE(velmora.Command(ids::kFileAddTab2));
    EXPECT_EQ(object.NewCalls(),
              (Lines{L"Document", L"Folder", L"Self", L"Name", L"Document", L"Folder", L"Self", L"Path"}));

    // A window the user closed is replaced by the capture command.
    HWND closed = Hosted(velmora, 0);
    PostMessageW(closed, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(closed); }));
    ASSERT_TRUE(velmora.Command(ids::kCaptureExplorer1));
    EXPECT_EQ(object.NewCalls(), Capture({Frame(velmora, 0)}));

    // Closing gives both windows back and ends them.
    velmora.Close();
    ASSERT_TRUE(velmora.WaitForExit());
    EXPECT_EQ(object.NewCalls(),
              (Lines{L"Visible false", L"Parent desktop", L"Quit", L"Visible false", L"Parent desktop", L"Quit"}));
    EXPECT_EQ(velmora.Read(L"Tab", L"2"), L"PC?" + kComputer);
}

TEST(ExplorerObjectTest, AClassThatRefusesTheObjectEndsVelmoraWithTheCaptureMessage) {
    Double object(/*refuse=*/true);
    if (!object.Registered()) GTEST_SKIP() << "the system has the Explorer object class";
    Program velmora(L"[setting]\r\nwindow=1\r\n[Tab]\r\n1=PC?" + kComputer);
    EXPECT_EQ(AnswerBox(velmora.Id()),
              L"Velmora エラー: エクスプローラーの取り込み中にエラーが発生しました\r\n"
              L"OSがVistaでUACが有効の場合は取り込みできません");
    EXPECT_EQ(object.NewCalls(), Lines{L"Create refused"}) << "the stand-in or a second try took its place";
    ASSERT_TRUE(velmora.WaitForExit());
    EXPECT_EQ(velmora.Read(L"setting", L"State"), std::nullopt) << "something was saved";
    EXPECT_EQ(velmora.Read(L"Tab", L"1"), L"PC?" + kComputer);
}

}  // namespace
}  // namespace velmora::e2e
