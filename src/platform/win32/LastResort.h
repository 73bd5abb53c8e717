#pragma once

// Other programs' windows held inside Velmora's, recorded where a broken process can still read them, and the
// handlers that give them back to the desktop when Velmora crashes or terminates: a child window dies with its
// parent, and the program behind it would be left without its window.
#include <windows.h>

namespace velmora::win32::last_resort {

// A window of another process put inside one of ours. A full table drops the record (it holds far more windows
// than a user has tabs).
void Hold(HWND window);
// Given back, or no longer ours to give.
void Forget(HWND window);
// Each window still recorded and still there goes back to the desktop, shown where it is, unless its thread does
// not answer at once. Allocates nothing, takes no lock and waits at most a moment per window: it runs in a process
// that may be broken.
void GiveBackAll();
// The unhandled-exception filter and the terminate handler that run GiveBackAll before the process ends as it
// would have without them. First thing in wWinMain.
void InstallCrashHandlers();

}  // namespace velmora::win32::last_resort
