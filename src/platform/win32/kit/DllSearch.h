#pragma once

namespace velmora::win32 {

// From here on, DLLs loaded by name come from the system folder only, never from the program's folder or the
// current one, where anyone may have put a DLL of a system name beside the portable programs. Where the system
// lacks the per-process setting, at least the current folder is taken out of the search. First thing in wWinMain.
void RestrictDllSearch();

}  // namespace velmora::win32
