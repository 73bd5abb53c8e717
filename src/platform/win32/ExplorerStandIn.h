#pragma once

#include <memory>

#include "platform/Explorer.h"

namespace velmora::win32 {

// Class of the stand-in's top-level window.
inline constexpr wchar_t kExplorerStandInClass[] = L"VelmoraExplorerStandIn";

// Our own Explorer window, for systems without the platform's Explorer object:
// an invisible top-level window hosting the shell's explorer browser, with the
// folder tree beside it, answering the same contract. Its inner windows are
// arranged so that the file-list search Velmora runs on a real Explorer window
// finds its list view (see docs/DECISIONS.md).
//
// Lives on the calling thread, which must pump messages; joins that thread to
// an OLE apartment for its life. nullptr when the browser cannot be made.
// Destroying the object closes the window if Quit has not.
std::unique_ptr<platform::ExplorerWindow> CreateExplorerStandIn();

}  // namespace velmora::win32
