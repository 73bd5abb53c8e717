#pragma once

#include <string_view>

#include "settings/FileSystem.h"

namespace velmora::explorer {

// Whether a saved tab's path may be restored: a shell namespace path (one
// that begins "::{" or ends "}") is taken as it is, without asking the shell
// whether it exists; any other path must name an existing folder, taken
// unchanged (a relative path is relative to the current folder). Empty text
// and files are not tab paths.
bool IsTabPath(std::string_view path, settings::FileSystem& files);

}  // namespace velmora::explorer
