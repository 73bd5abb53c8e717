#include "explorer/TabPath.h"

#include <string>

namespace velmora::explorer {

bool IsTabPath(std::string_view path, settings::FileSystem& files) {
    if (path.empty()) return false;
    if (path.back() == '}' || path.starts_with("::{")) return true;
    return files.DirectoryExists(std::string(path));
}

}  // namespace velmora::explorer
