#pragma once

#include <cstdint>
#include <map>
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
    std::optional<settings::FileStamp> Stamp(const std::string& path) override { return Find(path, &Entry::second); }
    settings::Outcome WriteAllAtomic(const std::string& path, const std::string& bytes) override;
    std::unique_ptr<settings::FileLock> Lock(const std::string& path, std::uint32_t timeoutMs) override;
    bool FileExists(const std::string& p) override { return files_.count(Normalize(p)) != 0 || DirectoryExists(p); }
    bool DirectoryExists(const std::string& path) override { return folders_.count(Normalize(path)) != 0; }
    bool MayHaveChanged(const std::string& /*path*/) override { return !unchanged; }

    void AddFolder(const std::string& path) { AddFolders(Normalize(path)); }  // and every folder above it
    // Puts a file in place as another program would, creating its folders.
    void SetFile(const std::string& path, const std::string& bytes);
    void RemoveFile(const std::string& path) { files_.erase(Normalize(path)); }
    std::optional<std::string> Bytes(const std::string& path) const { return Find(path, &Entry::first); }
    static std::string Normalize(const std::string& path);

    // Writes from this one on fail (a full disk), leaving the files as they are: 1 fails the next write.
    int failFromWrite = 0;
    // Reads of these files fail while they exist (held by another program).
    std::set<std::string> unreadable;
    // While set, the file system tells a poller that nothing changed since its last look, whatever happened.
    bool unchanged = false;
    int reads = 0, writes = 0;

private:
    using Entry = std::pair<std::string, settings::FileStamp>;  // bytes, stamp
    template <class T>
    std::optional<T> Find(const std::string& path, T Entry::*part) const {
        auto it = files_.find(Normalize(path));
        return it == files_.end() ? std::nullopt : std::optional(it->second.*part);
    }
    static std::string ParentOf(const std::string& normalized);
    void AddFolders(const std::string& normalized);
    void Put(const std::string& normalized, const std::string& bytes);

    std::map<std::string, Entry> files_;  // by normalized path
    std::set<std::string> folders_;
    std::set<std::string> locked_;
    std::uint64_t tick_ = 0;
};

}  // namespace velmora::sim
