#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "settings/FileSystem.h"

namespace velmora::sim {

// Files held in memory. Paths are Windows paths: "\" and "/" both separate and names match without regard to
// ASCII letter case. A file can only be written into a folder that exists; a path without a separator lies in the
// current folder, which always exists. Every write gives the file a new stamp.
class MemoryFileSystem : public settings::FileSystem {
public:
    std::optional<std::string> ReadAll(const std::string& path) override;
    std::optional<settings::FileStamp> Stamp(const std::string& path) override;
    bool WriteAllAtomic(const std::string& path, const std::string& bytes) override;
    bool FileExists(const std::string& path) override;
    bool DirectoryExists(const std::string& path) override;

    // Creates the folder and every folder above it.
    void AddFolder(const std::string& path);
    // Puts a file in place as another program would, creating its folders.
    void SetFile(const std::string& path, const std::string& bytes);
    void RemoveFile(const std::string& path);
    std::optional<std::string> Bytes(const std::string& path) const;
    // Every write fails (a full disk), leaving the files as they are.
    bool writesFail = false;
    // ReadAll of these files fails while they exist (locked by another program).
    std::set<std::string> unreadable;
    int reads = 0;
    int writes = 0;

private:
    static std::string Normalize(const std::string& path);
    static std::string ParentOf(const std::string& normalized);
    void AddFolderLocked(const std::string& normalized);
    void PutLocked(const std::string& path, const std::string& bytes);

    mutable std::mutex mutex_;
    std::map<std::string, std::pair<std::string, settings::FileStamp>> files_;  // by normalized path
    std::set<std::string> folders_;
    std::uint64_t tick_ = 0;
};

}  // namespace velmora::sim
