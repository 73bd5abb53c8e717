#pragma once

#include <string>

namespace velmora::win32 {

// The folder holding the running program's file (where setting.ini lives),
// without a trailing backslash; empty when the module's path cannot be read
// or has no folder part.
std::string ProgramFolder();
// The system's own programs (control.exe), without a trailing backslash; empty when it cannot be read.
std::string SystemFolder();

}  // namespace velmora::win32
