#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace velmora::settings {

// What the settings cache needs to know whether a file changed since it was read.
// Any field differing means "re-read"; equal stamps mean the bytes are the same
// as far as the file system can tell.
struct FileStamp {
    std::uint64_t size = 0;
    std::int64_t modified = 0;  // last write time in the platform's finest unit
    std::int64_t changed = 0;   // change/creation time: a rename over the file alters it
    std::uint64_t identity = 0; // inode or file index: a replaced file has a new one
    bool operator==(const FileStamp&) const = default;
};

// The file operations of the portable core. Paths are UTF-8.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // The whole file, or nullopt when it does not exist or cannot be read.
    virtual std::optional<std::string> ReadAll(const std::string& path) = 0;
    // nullopt when the file does not exist.
    virtual std::optional<FileStamp> Stamp(const std::string& path) = 0;
    // Replaces the file as one step: a sibling temporary file is written and
    // flushed, then renamed over the target. On failure the old file is untouched
    // and false is returned.
    virtual bool WriteAllAtomic(const std::string& path, const std::string& bytes) = 0;
    virtual bool FileExists(const std::string& path) = 0;       // a file or a folder
    virtual bool DirectoryExists(const std::string& path) = 0;  // a folder only
};

// The file system of the machine the program runs on.
std::unique_ptr<FileSystem> MakeHostFileSystem();

}  // namespace velmora::settings
