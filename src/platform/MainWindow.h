#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Types.h"

namespace velmora::platform {

// Velmora's main window as the form runtime offers it: the window, its menus,
// the controls of its panes, timers and message boxes. frmMain's behaviour is
// written once against this; the Win32 runtime draws real controls, the
// simulated one keeps their state for the tests. Geometry is in twips.

enum class WindowState { Normal = 0, Minimized = 1, Maximized = 2 };

// Every menu entry that carries a command or a check.
enum class MenuItem {
    FileAddTab1,     // mnuFileItem(0) "新しいタブを追加１(&1)"
    FileAddTab2,     // mnuFileItem(1) "新しいタブを追加２(&2)"
    FileExit,        // mnuFileItem(99) "終了(&X)"
    CaptureExplorer1,  // mnuWindowApl(0) "エクスプローラ取り込み(画面１)"
    CaptureExplorer2,  // mnuWindowApl(1) "エクスプローラ取り込み(画面２)"
    ViewOne,         // mnu4View(0) "１画面(&1)"
    ViewTwo,         // mnu4View(1) "２画面(&2)"
    ViewTwoStacked,  // mnu4View(2) "２画面(縦)(&T)"
    ViewAppPane,     // mnu3View "アプリ取り込みウィンドウ(&3)"
    ViewEven,        // mnuWinEven "ウィンドウサイズを均等にする(&W)"
    ToolOption,      // mnuOption "オプション(&O)..."
    ToolControl,     // mnuControl "コントロールパネル(&C)..."
    ToolFolder,      // mnuFolder "フォルダオプション(&F)..."
    HelpReadMe,      // mnuHelpItem(0) "ReadMeを開く(&R)..."
    HelpHomePage,    // mnuHelpItem(1) "作者のHPへ(&H)"
    HelpAbout,       // mnuHelpItem(2) "バージョン情報(&V)..."
    PopupPath1,      // mnuPath1 "パスをコピー(&P)"
    PopupClose1,     // mnuClose1 "タブを閉じる(&C)"
    PopupPath2,      // mnuPath2
    PopupClose2,     // mnuClose2
    PopupReopen1,    // "閉じたタブを開く(&R)" of pane 1's popup menu
    PopupReopen2,    // the same of pane 2's
    PopupTakeOut,    // mnuTakeOut "取り出す(&T)"
    PopupAppClose,   // mnuAplClose "タブを閉じる(&C)"
};

enum class PopupMenu { Explorer1 = 0, Explorer2 = 1, Apps = 2 };  // mnuPopup(0..2)

// The tab strips: TabStrip1(0), TabStrip1(1) and TabStrip2.
enum class Strip { Explorer1 = 0, Explorer2 = 1, Apps = 2 };

// Controls the layout places (each relative to its parent: the frames' parts
// lie inside their picFrame).
enum class Control {
    PicFrame0, PicFrame1, PicFrame2,
    SplitBar0, SplitBar1,
    TabStrip1_0, TabStrip1_1, TabStrip2,
    FrameApp0, FrameApp1, FrameApp2,
    CboApp,
};

// frameApp(pane): where the hosted windows of a pane live.
constexpr Control HostArea(int pane) {
    return pane == 0 ? Control::FrameApp0 : pane == 1 ? Control::FrameApp1 : Control::FrameApp2;
}

enum class BarColour { Face, Shadow };

// Mouse buttons and shift keys as the events report them.
inline constexpr int kButtonLeft = 1;
inline constexpr int kButtonRight = 2;
inline constexpr int kButtonMiddle = 4;
inline constexpr int kShiftKey = 1;
inline constexpr int kCtrlKey = 2;
inline constexpr int kAltKey = 4;

class MainWindow {
public:
    virtual ~MainWindow() = default;

    // The window.
    virtual WindowHandle Handle() = 0;
    virtual WindowState GetState() = 0;
    virtual void SetState(WindowState state) = 0;
    virtual base::TwipsRect OuterRect() = 0;  // left, top, width, height of the whole window
    virtual void MoveOuter(const base::TwipsRect& rect) = 0;
    virtual double ClientWidth() = 0;
    virtual double ClientHeight() = 0;
    // The work area of every monitor (the screen less the task bar), in twips of the virtual screen.
    virtual std::vector<base::TwipsRect> WorkAreas() = 0;
    virtual double TwipsPerPixelX() = 0;
    virtual double TwipsPerPixelY() = 0;
    // Whether another copy of the program already runs in this user session.
    virtual bool PreviousInstance() = 0;
    // Starts the close request and, unless it is refused, the shutdown.
    virtual void RequestClose() = 0;
    // Ends the program at once: no close request, no shutdown, nothing saved.
    virtual void EndProgramNow() = 0;
    // Hotkey messages reach the handler only between these two calls.
    virtual void InstallHotkeyProcedure() = 0;
    virtual void RemoveHotkeyProcedure() = 0;

    // Menus.
    virtual bool IsChecked(MenuItem item) = 0;
    virtual void SetChecked(MenuItem item, bool checked) = 0;
    virtual bool IsEnabled(MenuItem item) = 0;
    virtual void SetEnabled(MenuItem item, bool enabled) = 0;
    // Shows a popup menu at the pointer; a choice arrives as a menu command.
    virtual void ShowPopup(PopupMenu menu) = 0;

    // Controls.
    virtual void Place(Control control, const base::TwipsRect& rect) = 0;
    virtual base::TwipsRect Bounds(Control control) = 0;
    virtual void SetVisible(Control control, bool visible) = 0;
    virtual bool IsVisible(Control control) = 0;
    virtual void SetBarColour(int bar, BarColour colour) = 0;
    // The window of a frameApp(i): the parent hosted windows are placed in.
    virtual WindowHandle FrameWindow(int index) = 0;

    // Tab strips; tabs are numbered from 1.
    virtual void ClearTabs(Strip strip) = 0;
    virtual int TabCount(Strip strip) = 0;
    virtual void AddTab(Strip strip, const std::string& caption) = 0;  // at the end
    virtual std::string TabCaption(Strip strip, int tab) = 0;
    virtual void SetTabTag(Strip strip, int tab, const std::string& tag) = 0;
    virtual std::string TabTag(Strip strip, int tab) = 0;
    virtual void RemoveTab(Strip strip, int tab) = 0;
    // The tab (caption and tag) moves from position `from` to position `to`; the others close up.
    virtual void MoveTab(Strip strip, int from, int to) = 0;
    virtual int SelectedTab(Strip strip) = 0;  // 0 when none
    virtual double TabWidth(Strip strip, int tab) = 0;

    // The launcher combo box cboApp.
    virtual void ClearCombo() = 0;
    virtual void AddComboItem(const std::string& text) = 0;
    virtual std::string ComboText() = 0;
    virtual std::vector<std::string> ComboItems() = 0;

    // A message box with an OK button only; icon none.
    virtual void ShowMessage(const std::string& text, const std::string& title) = 0;
};

// The events of the main window, raised by the runtime on the user-interface
// thread. Coordinates are twips within the control.
class MainWindowEvents {
public:
    virtual ~MainWindowEvents() = default;

    virtual void OnLoad() = 0;
    virtual bool OnQueryClose() = 0;  // true cancels the close
    // The user logs off or the system shuts down: true asks the session to wait; when it ends anyway, OnEndSession
    // follows instead of the close, and no window may be shown any more.
    virtual bool OnQueryEndSession() = 0;
    virtual void OnEndSession() = 0;
    virtual void OnUnload() = 0;
    virtual void OnResize() = 0;
    virtual void OnFrameResize(int index) = 0;  // picFrame(index) changed size
    virtual void OnMenu(MenuItem item) = 0;
    virtual void OnHelpMenuOpening() = 0;
    virtual void OnTabClick(Strip strip) = 0;
    virtual void OnTabMouseDown(Strip strip, int button, int shift, double x, double y) = 0;
    // A double click on the strip at x, on a tab or on its empty part.
    virtual void OnTabDoubleClick(Strip strip, double x) = 0;
    // Tab `from` was dragged along its strip and dropped into gap `gap` (base::TabGapAt; 1-based).
    virtual void OnTabDragged(Strip strip, int from, int gap) = 0;
    // The text of the tooltip of a tab under the pointer; empty for none.
    virtual std::string OnTabTooltip(Strip strip, int tab) = 0;
    // The drop effect for a drag over a strip: 1 copy, 2 move.
    virtual int OnTabDragOver(Strip strip, int shift) = 0;
    // hasFiles is false when the data holds no file list.
    virtual void OnTabDrop(Strip strip, bool hasFiles, const std::vector<std::string>& files, int shift, double x,
                           double y) = 0;
    virtual void OnFrameDrop(int index, bool hasFiles, const std::vector<std::string>& files) = 0;
    virtual void OnComboClick() = 0;
    virtual void OnSplitMouseDown(int bar, int button, double x, double y) = 0;
    virtual void OnSplitMouseMove(int bar, int button, double x, double y) = 0;
    virtual void OnSplitMouseUp(int bar, int button, double x, double y) = 0;
    virtual void OnTimer() = 0;  // Timer1, every 500 ms
    virtual void OnHotkey(int id) = 0;
    virtual void OnDpiChanged() = 0;
};

// Program facts the form runtime knows.
struct ProgramInfo {
    std::string folder;  // the folder that holds the program, without a trailing "\"
    std::string title;   // "Velmora"
    std::string systemFolder;  // the system's own programs (control.exe), without a trailing "\"
    int versionMajor = 0;
    int versionMinor = 0;
    int versionRevision = 0;
};

}  // namespace velmora::platform
