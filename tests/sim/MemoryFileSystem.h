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
// current folder, which always exists.
class MemoryFileSystem : public settings::FileSystem {
public:
    settings::ReadResult Read(const std::string& path) override;
    std::optional<settings::FileStamp> Stamp(const std::string& path) override;
    settings::Outcome WriteAllAtomic(const std::string& path, const std::string& bytes) override;
    std::unique_ptr<settings::FileLock> Lock(const std::string& path, std::uint32_t timeoutMs) override;
    bool FileExists(const std::string& path) override;
    bool DirectoryExists(const std::string& path) override;

    // Creates the folder and every folder above it.
    void AddFolder(const std::string& path);
    // Puts a file in place as another program would, creating its folders.
    void SetFile(const std::string& path, const std::string& bytes);
    void RemoveFile(const std::string& path);
    std::optional<std::string> Bytes(const std::string& path) const;

    // Writes from this one on fail (a full disk), leaving the files as they are: 1 fails the next write.
    int failFromWrite = 0;
    // Reads of these files fail while they exist (held by another program).
    std::set<std::string> unreadable;
    // Stamps as Windows shows them: times too coarse to tell two writes apart, the creation time carried over, no
    // file identity; our writers' count of writes (shared memory on Windows) is all that tells their writes apart.
    bool coarseStamps = false;
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
    std::set<std::string> locked_;
    std::uint64_t tick_ = 0;
};

}  // namespace velmora::sim
