#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "settings/FileSystem.h"

namespace velmora::platform::sim {

// A file system held in memory, for the simulated desktop and the tests.
//
// Paths are Windows paths: "\" and "/" both separate, and names match without
// regard to ASCII letter case, as on NTFS. A file can only be written into a
// folder that exists (AddFolder, or a folder created by SetFile); a path
// without any separator is a file of the current folder, which always exists.
// Every write gives the file a new stamp, so a reader comparing stamps always
// notices it.
class MemoryFileSystem : public settings::FileSystem {
public:
    std::optional<std::string> ReadAll(const std::string& path) override;
    std::optional<settings::FileStamp> Stamp(const std::string& path) override;
    bool WriteAllAtomic(const std::string& path, const std::string& bytes) override;
    bool FileExists(const std::string& path) override;
    bool DirectoryExists(const std::string& path) override;

    // Creates the folder and every folder above it.
    void AddFolder(const std::string& path);
    // Puts a file in place the way another program would (its folders are
    // created when missing); the stamp changes like after any write.
    void SetFile(const std::string& path, const std::string& bytes);
    // Deletes a file; false when there was none.
    bool RemoveFile(const std::string& path);

    // Every WriteAllAtomic fails (a full disk), leaving the files as they are.
    void SetWritesFail(bool fail);
    // WriteAllAtomic into this folder fails (a folder that cannot be written);
    // SetFile still works, as an administrator could still put files there.
    void SetFolderReadOnly(const std::string& path, bool readOnly);

    // ReadAll of this file fails while it still exists (no read permission,
    // locked by another program).
    void SetFileUnreadable(const std::string& path, bool unreadable);

    // How often the file was read through ReadAll, and written successfully
    // through WriteAllAtomic: lets a test see whether a cache spared a read
    // or an unchanged value spared a write.
    int ReadCount(const std::string& path) const;
    int WriteCount(const std::string& path) const;

    // The paths of all files as they were first written, ordered by their
    // case-folded form.
    std::vector<std::string> FilePaths() const;

private:
    struct File {
        std::string path;  // as first given
        std::string bytes;
        settings::FileStamp stamp;
        bool unreadable = false;
        int reads = 0;
        int writes = 0;
    };

    static std::string Normalize(const std::string& path);
    static std::string ParentOf(const std::string& normalized);
    bool FolderExistsLocked(const std::string& normalized) const;
    void AddFolderLocked(const std::string& normalized);
    void PutLocked(const std::string& path, const std::string& bytes);

    mutable std::mutex mutex_;
    std::map<std::string, File> files_;  // by normalized path
    std::set<std::string> folders_;      // normalized paths
    std::set<std::string> readOnlyFolders_;
    bool writesFail_ = false;
    std::int64_t clock_ = 0;  // advances on every write
    std::uint64_t nextIdentity_ = 1;
};

}  // namespace velmora::platform::sim
