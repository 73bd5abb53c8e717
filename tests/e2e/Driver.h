#pragma once

// Drives the real Velmora.exe from another process under Wine: a program
// folder of its own with a prepared setting.ini, the main window found by
// class and process, commands sent as the menus would, controls read by id,
// and the written file read back with the platform's own profile functions.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

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

}  // namespace velmora::e2e
