#pragma once

// Drives the real Velmora.exe and Option.exe from another process under Wine: a program started in a folder of its
// own with a prepared setting.ini, commands, real keys and mouse, controls read through window messages, message
// boxes answered, and setting.ini read back with the platform's own profile functions, a reader independent of ours.
#include <gtest/gtest.h>
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
// clang-format on

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/MainWindowIds.h"

namespace velmora::e2e {

std::wstring BinaryFolder();  // where the build put the programs
// Polls, handling this thread's messages meanwhile.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 10000);
// A sent message that never blocks the driver on a hung or modal program.
LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
std::wstring Text(HWND window);
bool IsClass(HWND window, const wchar_t* name);
// Tabs of a tab strip or rows of a list view (cells by column); ItemCount also counts a combo box's entries.
int ItemCount(HWND control);
std::wstring ItemText(HWND control, int item, int column = 0);
std::vector<std::wstring> Items(HWND control);
RECT ScreenRect(HWND window);  // on the screen, as is everything the input takes
POINT Centre(HWND window);
POINT TabCentre(HWND strip, int tab);
// A visible top-level window of the class, of that process when one is given.
HWND TopLevel(const wchar_t* className, DWORD processId = 0);
// A message box ("#32770") of that process, or of any; nullptr when none shows in time.
HWND WaitForBox(DWORD processId = 0, DWORD timeoutMs = 15000);
std::wstring BoxText(HWND box);
void Answer(HWND box);  // OK, and waits until the box is gone
// The file list of an Explorer window, found by Velmora's own search.
HWND FileList(HWND explorer);

// Real input through the system's queue; Wine's keyboard follows the pointer.
void MoveTo(POINT screen);
enum class Button : DWORD {
    Left = MOUSEEVENTF_LEFTDOWN,
    Right = MOUSEEVENTF_RIGHTDOWN,
    Middle = MOUSEEVENTF_MIDDLEDOWN
};
void Click(POINT screen, Button button = Button::Left, int times = 1);
void Keys(std::initializer_list<WORD> keys);  // pressed in order, released in reverse
// The left button pressed at `from`, moved in steps to `to` and let go there; with Escape held a moment first.
void Drag(POINT from, POINT to, bool escape = false);
// Drags files from this process to the pointer, Ctrl held if asked; the target's effect.
DWORD DropFiles(const std::vector<std::wstring>& files, bool ctrl = false);

// A fresh folder in the temporary folder, with empty files; removed with its content.
struct Folder {
    explicit Folder(std::initializer_list<const wchar_t*> files = {});
    ~Folder();
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    std::wstring operator/(const std::wstring& name) const { return path + L"\\" + name; }
    std::wstring Name() const { return path.substr(path.rfind(L'\\') + 1); }
    bool Has(const wchar_t* name) const { return std::filesystem::exists(*this / name); }

    const std::wstring path;
    std::error_code removalError;
};

// One program started from a folder of its own, as Explorer starts it.
class Program {
public:
    // Copies `exe` and `alsoCopy` from the build, writes setting.ini in the system's code page (as the programs
    // do) unless `settings` is empty, starts the program and waits until it shows its window or a box, or ends.
    Program(const wchar_t* exe, const wchar_t* windowClass, std::wstring_view settings,
            std::initializer_list<const wchar_t*> alsoCopy = {});
    ~Program();  // ends the program, and any fixture or Option.exe left running

    HWND Main() const { return main_; }
    DWORD Id() const { return process_.dwProcessId; }
    // A control by id in the main window or in one of its children (Velmora's frames).
    HWND Control(int id) const;
    // A menu or button command; posted, returning at once, when it opens a modal box.
    bool Command(int id, bool post = false) const;
    bool Sync() const;  // returns once the program has handled what was sent before
    bool MenuOpen() const { return TopLevel(L"#32768", Id()) != nullptr; }  // a popup, or one of the menu bar
    // Right-clicks a tab and picks a popup entry by its mnemonic.
    void Popup(HWND strip, int tab, WORD mnemonic) const;
    std::optional<std::wstring> Read(const wchar_t* section, const wchar_t* key) const;
    void Close() const { PostMessageW(main_, WM_CLOSE, 0, 0); }
    bool WaitForExit(DWORD timeoutMs = 20000) const;

private:
    Folder folder_;
    PROCESS_INFORMATION process_{};
    HWND main_ = nullptr;
};

// Velmora's panes: 0 and 1 the Explorer panes, 2 the application pane, their controls numbered in that order.
inline HWND Strip(const Program& velmora, int pane) { return velmora.Control(win32::ids::kTabStrip1_0 + pane); }
inline HWND Frame(const Program& velmora, int pane) { return velmora.Control(win32::ids::kFrameApp0 + pane); }
inline HWND Hosted(const Program& velmora, int pane) { return GetWindow(Frame(velmora, pane), GW_CHILD); }
inline HWND List(const Program& velmora, int pane) { return FileList(Hosted(velmora, pane)); }

}  // namespace velmora::e2e
