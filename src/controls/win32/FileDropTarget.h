#pragma once

// An OLE drop target that takes only lists of files (CF_HDROP).
#include <ole2.h>
#include <shellapi.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/win32/DropTarget.h"  // FilesOfDrop

namespace velmora::win32 {

using FilesDropped = std::function<void(const std::vector<std::string>& files)>;

// Registers a drop target on window that passes the dropped files, in the
// drop's order, to onDrop. Other data is refused (the pointer shows "no drop").
// The files are only read, never moved: a source offering only a move is
// refused too. Needs OLE initialised on the calling thread; false when the
// registration failed.
bool RegisterFileDropTarget(HWND window, FilesDropped onDrop);
// Undoes the registration; call before the window or onDrop's captures go.
void RevokeFileDropTarget(HWND window);


}  // namespace velmora::win32
