#pragma once

// The names and numbers of Velmora's main window that the program and the
// end-to-end test driver must agree on. A driver in another process cannot
// read the menus (Wine keeps menus per process), so the command ids are fixed
// here and sent as WM_COMMAND; every child control has a stable control id so
// the driver finds it with GetDlgItem.

namespace velmora::win32::ids {

inline constexpr wchar_t kMainWindowClass[] = L"VelmoraMain";
inline constexpr wchar_t kInstanceMutex[] = L"Local\\Velmora.Instance";

// Menu commands.
inline constexpr unsigned kFileAddTab1 = 40001;
inline constexpr unsigned kFileAddTab2 = 40002;
inline constexpr unsigned kFileExit = 40099;
inline constexpr unsigned kCaptureExplorer1 = 40101;
inline constexpr unsigned kCaptureExplorer2 = 40102;
inline constexpr unsigned kViewOne = 40201;
inline constexpr unsigned kViewTwo = 40202;
inline constexpr unsigned kViewTwoStacked = 40203;
inline constexpr unsigned kViewAppPane = 40204;
inline constexpr unsigned kViewEven = 40205;
inline constexpr unsigned kToolOption = 40301;
inline constexpr unsigned kToolControl = 40302;
inline constexpr unsigned kToolFolder = 40303;
inline constexpr unsigned kHelpReadMe = 40401;
inline constexpr unsigned kHelpHomePage = 40402;
inline constexpr unsigned kHelpAbout = 40403;
inline constexpr unsigned kPopupPath1 = 40501;
inline constexpr unsigned kPopupClose1 = 40502;
inline constexpr unsigned kPopupReopen1 = 40503;
inline constexpr unsigned kPopupPath2 = 40511;
inline constexpr unsigned kPopupClose2 = 40512;
inline constexpr unsigned kPopupReopen2 = 40513;
inline constexpr unsigned kPopupTakeOut = 40521;
inline constexpr unsigned kPopupAppClose = 40522;

// Child controls. picFrame(i), picSplitBar1(i) and the tab strips are
// children of the main window's client area or of their picFrame as the
// layout says; frameApp(i) lives inside picFrame(i).
inline constexpr int kPicFrame0 = 101;
inline constexpr int kPicFrame1 = 102;
inline constexpr int kPicFrame2 = 103;
inline constexpr int kSplitBar0 = 111;
inline constexpr int kSplitBar1 = 112;
inline constexpr int kTabStrip1_0 = 121;
inline constexpr int kTabStrip1_1 = 122;
inline constexpr int kTabStrip2 = 123;
inline constexpr int kFrameApp0 = 131;
inline constexpr int kFrameApp1 = 132;
inline constexpr int kFrameApp2 = 133;
inline constexpr int kCboApp = 141;

// The timer id of Timer1.
inline constexpr unsigned kTimer1 = 1;

}  // namespace velmora::win32::ids
