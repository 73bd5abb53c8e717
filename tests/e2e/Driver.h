#pragma once

// Drives the real Velmora.exe from another process under Wine: a program
// folder of its own with a prepared setting.ini, the main window found by
// class and process, commands sent as the menus would, controls read by id,
// and the written file read back with the platform's own profile functions.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::e2e {

// Text between the drivers' UTF-8 and the platform's UTF-16 or a code page.
std::wstring ToWide(std::string_view text, UINT codePage = CP_UTF8);
std::string FromWide(std::wstring_view wide, UINT codePage);

// Starts a program in a folder, as Explorer would (no arguments); the thread
// handle is closed, the process handle is the caller's. All zero on failure.
PROCESS_INFORMATION StartProgram(const std::wstring& program, const std::wstring& folder);

// The folder that holds the built programs, as a Windows path.
std::wstring BinaryFolder();

// A fresh temporary folder holding a copy of Velmora.exe; removed with its content.
class ProgramFolder {
public:
    ProgramFolder();
    ~ProgramFolder();
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring Program() const { return path_ + L"\\Velmora.exe"; }
    std::wstring Settings() const { return path_ + L"\\setting.ini"; }
    // Writes setting.ini from UTF-8 text in the system's code page, as the programs store it.
    void WriteSettings(std::string_view utf8);
    bool SettingsExist() const;
    // One value through GetPrivateProfileStringW; nullopt when the key is missing.
    std::optional<std::wstring> Read(const wchar_t* section, const wchar_t* key) const;

private:
    std::wstring path_;
};

// One running Velmora.exe.
class Velmora {
public:
    explicit Velmora(const ProgramFolder& folder);
    ~Velmora();  // a program still running at the end of a test is killed
    Velmora(const Velmora&) = delete;
    Velmora& operator=(const Velmora&) = delete;

    bool Started() const { return process_.hProcess != nullptr; }
    DWORD ProcessId() const { return process_.dwProcessId; }
    // Waits until the process shows its main window; false on time-out or exit.
    bool WaitForMainWindow(DWORD timeoutMs = 20000);
    // The process's main window, visible or not (nullptr when it has none).
    HWND FindMainWindow() const;
    HWND Main() const { return main_; }
    // Returns once the program has handled every message sent before.
    bool Sync() const;
    // A menu command, as the menu would send it; waits until it is handled.
    bool Command(unsigned commandId) const;
    // A child control by its control id, searched in the main window and its frames.
    HWND Control(int id) const;
    // A control's rectangle in its parent's client coordinates.
    RECT RectInParent(int id) const;
    bool Visible(int id) const;
    // A message box ("#32770") of the program; nullptr when none shows in time.
    HWND WaitForMessageBox(DWORD timeoutMs = 20000) const;
    // Asks the window to close as the close box would.
    void Close() const;
    bool WaitForExit(DWORD timeoutMs = 20000) const;
    DWORD ExitCode() const;

private:
    PROCESS_INFORMATION process_{};
    HWND main_ = nullptr;
};

// Real mouse input through the system's input queue (the pointer moves too).
void MouseMoveTo(POINT screen);
void MouseButton(bool down);
// Lets the target program catch up with input sent so far.
void Settle(const Velmora& program, DWORD ms = 150);

// Polls until the condition holds, handling this thread's messages meanwhile;
// Velmora's timer ticks every 500 ms.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 10000);

// Tab strips and lists of another program, read through memory in that
// program where a message needs it.
int TabCount(HWND strip);
std::wstring TabCaption(HWND strip, int tab);
std::vector<std::wstring> TabCaptions(HWND strip);
POINT TabCentre(HWND strip, int tab);  // on the screen
std::vector<std::wstring> ListTexts(HWND list);
DWORD ExtendedStyle(HWND list);
// The file list of an Explorer window, found by Velmora's own search.
HWND FileList(HWND explorer);

// A folder of the test with a few files; removed with its content.
class TempFolder {
public:
    explicit TempFolder(const std::wstring& name, std::initializer_list<const wchar_t*> files = {});
    ~TempFolder() { Remove(); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    std::string Utf8Path() const { return FromWide(path_, CP_UTF8); }
    std::wstring Name() const { return path_.substr(path_.rfind(L'\\') + 1); }
    std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }
    void AddFile(const std::wstring& name) const;
    bool Has(const std::wstring& name) const;
    void Remove() const;

private:
    std::wstring path_;
};

// A Velmora.exe of its own per test, and its Explorer panes.
class VelmoraTest : public testing::Test {
protected:
    void Start(const std::string& settings);
    void CloseAndWait();
    HWND Strip(int pane) const;
    HWND Frame(int pane) const;
    // The Explorer window hosted in a pane's frame, and its file list.
    HWND Hosted(int pane) const { return FindWindowExW(Frame(pane), nullptr, nullptr, nullptr); }
    HWND List(int pane) const { return FileList(Hosted(pane)); }
    bool ListShows(int pane, const std::wstring& file) const;
    void ClickTab(int pane, int tab) const;
    std::optional<std::wstring> SavedTabs(const wchar_t* key) const { return folder_.Read(L"Tab", key); }

    ProgramFolder folder_;
    std::unique_ptr<Velmora> program_;
};

}  // namespace velmora::e2e
