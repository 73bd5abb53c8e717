#pragma once

// Control ids of Option's form, shared by the program and the end-to-end
// driver that reads its controls from another process. Control arrays take
// their index, as the form's handlers do.
namespace velmora::win32::option_ids {

// The form's window class and caption.
inline constexpr wchar_t kWindowClass[] = L"VelmoraOption";
inline constexpr wchar_t kCaption[] = L"Option";

inline constexpr int kChkWindow = 1001;
constexpr int Chk(int index) { return 1010 + index; }  // 0 Grid, 1 LineSel

// 0 "OK" and 2 "Cansel" take the dialog manager's IDOK (1) and IDCANCEL (2),
// so Enter and Escape reach them through IsDialogMessage.
constexpr int CmdDecision(int index) { return index == 0 ? 1 : index == 2 ? 2 : 1020 + index; }

constexpr int FrameApp(int index) { return 1100 + index; }  // 0, 5, 6, 7
// The six numeric fields: (0) X01, (1) Y01, (2) X02, (3) Y02, (4) X03, (5) Y03.
constexpr int UctUDText1(int index) { return 1200 + index; }
// Hosts of the hotkey fields; the field itself is the box's only child, class
// "msctls_hotkey32", created without a control id.
constexpr int PicHotkey(int index) { return 1300 + index; }
constexpr int LblPos(int index) { return 1400 + index; }   // 0..10
constexpr int TxtPath(int index) { return 1500 + index; }  // 0 launcher path, 1 start-up application
constexpr int CmdOpen(int index) { return 1510 + index; }

inline constexpr int kTxtName = 1520;
inline constexpr int kListView1 = 1530;
inline constexpr int kCmdAdd = 1540;
inline constexpr int kCmdEdit = 1541;
inline constexpr int kCmdDelete = 1542;
inline constexpr int kCmdClr = 1543;

}  // namespace velmora::win32::option_ids
