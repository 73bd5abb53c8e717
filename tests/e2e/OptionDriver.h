#pragma once

// Drives the real Option.exe from another process under Wine: a program folder
// of its own with a prepared setting.ini, the form found by class and process,
// its controls read and set through window messages (structures and buffers
// the messages point at live in Option's memory), real key and mouse input,
// and the written file read back with the platform's own profile functions.
#include <windows.h>
// After windows.h, whose types it needs: the tests use its message names.
#include <commctrl.h>
#include <ole2.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/win32/kit/Com.h"

namespace velmora::e2e {

// A fresh temporary folder holding a copy of Option.exe; removed with its content.
class OptionFolder {
public:
    OptionFolder();
    ~OptionFolder();
    OptionFolder(const OptionFolder&) = delete;
    OptionFolder& operator=(const OptionFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring Program() const { return path_ + L"\\Option.exe"; }
    std::wstring Settings() const { return path_ + L"\\setting.ini"; }
    // Writes setting.ini from UTF-8 text in the system's code page, as the programs store it.
    void WriteSettings(std::string_view utf8) const;
    // The file's bytes; nullopt when there is none.
    std::optional<std::string> SettingsBytes() const;
    // One value through GetPrivateProfileStringW; nullopt when the key is missing.
    std::optional<std::wstring> Read(const wchar_t* section, const wchar_t* key) const;
    // Section names and a section's key names in file order.
    std::vector<std::wstring> Sections() const;
    std::vector<std::wstring> Keys(const wchar_t* section) const;

private:
    std::wstring path_;
};

using OptionRow = std::pair<std::wstring, std::wstring>;  // name, path

// One running Option.exe.
class OptionProcess {
public:
    explicit OptionProcess(const OptionFolder& folder);
    ~OptionProcess();  // a program still running at the end of a test is killed
    OptionProcess(const OptionProcess&) = delete;
    OptionProcess& operator=(const OptionProcess&) = delete;

    // Waits until the form is shown; false on time-out or exit.
    bool WaitForForm(DWORD timeoutMs = 20000);
    HWND Form() const { return form_; }
    // Returns once the program has handled every message sent before.
    bool Sync() const;
    bool WaitForExit(DWORD timeoutMs = 15000) const;
    bool Running() const;
    DWORD ExitCode() const;

    HWND Control(int id) const;
    // The edit box and the arrows inside the numeric field uctUDText1(index).
    HWND PositionEdit(int index) const;
    HWND PositionArrows(int index) const;
    // The native hotkey field inside picHotkey(pane).
    HWND HotkeyField(int pane) const;

    std::wstring Text(HWND window) const;
    std::wstring Text(int id) const { return Text(Control(id)); }
    bool SetText(HWND window, std::wstring_view text) const;
    bool Checked(int id) const;
    // What a click on the button makes the form do (BN_CLICKED); returns once
    // the form has handled it.
    bool Click(int id) const;
    // The same for a button that opens a modal box: returns at once, while the
    // box is open.
    void ClickOpeningBox(int id) const;
    int HotkeyWord(int pane) const;

    // The launcher list view.
    int RowCount() const;
    std::wstring Cell(int row, int column) const;
    std::vector<OptionRow> Rows() const;
    std::wstring ColumnTitle(int column) const;
    int ColumnWidth(int column) const;
    // Selects the row as a click on it would.
    bool SelectRow(int row) const;

    // The text of the tool-tip attached to control, and how many tools there are.
    std::wstring ToolTip(HWND control) const;
    int ToolTipCount() const;

    // A dialog box ("#32770") of the program with that title; nullptr when none
    // appears within the time.
    HWND WaitForDialog(std::wstring_view title, DWORD timeoutMs = 10000) const;
    // The message text of a message box.
    static std::wstring MessageText(HWND box);

    // Moves the pointer over the form and brings it to the front, so that
    // real key input reaches it.
    void Activate() const;

private:
    HWND ToolTips() const;

    PROCESS_INFORMATION process_{};
    HWND form_ = nullptr;
};

// Real input through the system's input queue.
POINT CentreOf(HWND window);
// Moves the pointer with an absolute move through the input queue, so that
// the input sent after it happens at the new place, and waits until the
// system reports it there.
void MovePointerTo(POINT screen);
// Moves the pointer to the window's centre.
void PointAt(HWND window);
void ClickAt(POINT screen);
// One key pressed or released through the input queue.
void SendKey(WORD key, bool down);
// Presses the keys in order and releases them in reverse.
void PressKeys(std::initializer_list<WORD> virtualKeys);
// Types the characters as an input method delivers them (VK_PACKET).
void TypeCharacters(std::wstring_view text);

// OLE on the calling thread for as long as it lives (drag and drop needs it).
using win32::OleApartment;

// Drags a list of files from this process and drops it at the pointer's
// position, as Explorer would. Needs OLE initialised on this thread. Returns
// the effect the target chose.
DWORD DropFilesAtPointer(const std::vector<std::wstring>& files);
// The same with data that holds only text: no file list at all.
DWORD DropTextAtPointer(std::wstring_view text);

}  // namespace velmora::e2e
