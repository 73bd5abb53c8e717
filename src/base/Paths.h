#pragma once

#include <string>
#include <string_view>

namespace velmora::base {

// folder and name joined with one "\" (none added when folder ends in "\").
std::string JoinPath(std::string_view folder, std::string_view name);
// The text after the last "\"; the whole path when it has none; empty when it ends in "\".
std::string GetFileName(std::string_view path);
// The file name cut before its first ".": C:\Tools\my.app.exe gives "my"; a
// name without "." gives empty text.
std::string FileTitle(std::string_view path);
// The text after the last "." anywhere in the path (C:\my.dir\readme gives
// "dir\readme"); empty when there is no ".".
std::string FileExtension(std::string_view path);
// Whether the extension, compared without regard to case, is "exe".
bool HasExeExtension(std::string_view path);

}  // namespace velmora::base
