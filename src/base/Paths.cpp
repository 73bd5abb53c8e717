#include "base/Paths.h"

namespace velmora::base {

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (folder.empty() || folder.back() != '\\') path += '\\';
    path += name;
    return path;
}

std::string GetFileName(std::string_view path) {
    const auto cut = path.rfind('\\');
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

std::string FileTitle(std::string_view path) {
    std::string name = GetFileName(path);
    const auto dot = name.find('.');
    if (dot == std::string::npos) return {};
    name.resize(dot);
    return name;
}

std::string FileExtension(std::string_view path) {
    // Deliberately the last "." of the whole path, not of the file name: a
    // dotted folder over an extensionless file gives "dir\readme", which is
    // then no program and goes to the shell as a document.
    const auto dot = path.rfind('.');
    return dot == std::string_view::npos ? std::string() : std::string(path.substr(dot + 1));
}

bool HasExeExtension(std::string_view path) {
    const std::string extension = FileExtension(path);
    if (extension.size() != 3) return false;
    const char* exe = "exe";
    for (std::size_t i = 0; i < 3; ++i) {
        char c = extension[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != exe[i]) return false;
    }
    return true;
}

}  // namespace velmora::base
