#pragma once

#include <string>

namespace velmora::win32 {

// The folder holding the running program's file (where setting.ini lives),
// without a trailing backslash; empty when the module's path cannot be read
// or has no folder part.
std::string ProgramFolder();

}  // namespace velmora::win32
