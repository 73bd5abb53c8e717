#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace velmora::settings {

// What the settings cache needs to know whether a file changed since it was read. Any field differing means
// "re-read"; equal stamps mean the bytes are the same as far as the file system can tell.
struct FileStamp {
    std::uint64_t size = 0;
    std::int64_t modified = 0;   // last write time in the platform's finest unit
    std::int64_t changed = 0;    // change/creation time: a rename over the file alters it
    // The inode (a replaced file has a new one), or on Windows the count of our programs' writes to the file.
    std::uint64_t identity = 0;
    bool operator==(const FileStamp&) const = default;
};

// A settings file larger than this is no settings file: reading it would cost memory and time at every start.
inline constexpr std::uint64_t kMaxSettingsFileBytes = 16u * 1024 * 1024;

enum class ReadStatus { Read, Missing, Unreadable, TooLarge };

struct ReadResult {
    ReadStatus status = ReadStatus::Missing;
    std::string bytes;
    std::string reason;  // why it could not be read, in the system's words
};

// Success, or why not in words the user can be shown.
struct Outcome {
    bool ok = true;
    std::string reason;
    explicit operator bool() const { return ok; }
    static Outcome Failed(std::string why) { return {false, std::move(why)}; }
};

// Held while a program of ours reads, edits and writes the file; released when destroyed.
class FileLock {
public:
    virtual ~FileLock() = default;
};

// The file operations of the settings store. Paths are UTF-8.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // The whole file. A file held by another program for a moment (a sharing violation) is tried again a few
    // times; a file over kMaxSettingsFileBytes is not read at all.
    virtual ReadResult Read(const std::string& path) = 0;
    // nullopt when the file does not exist.
    virtual std::optional<FileStamp> Stamp(const std::string& path) = 0;
    // Replaces the file as one step: a sibling temporary file is written and flushed, then put in the file's place.
    // On failure the old file is untouched.
    virtual Outcome WriteAllAtomic(const std::string& path, const std::string& bytes) = 0;
    // The lock every program of ours takes around a read-edit-write of the file, waiting at most timeoutMs;
    // nullptr when it could not be had.
    virtual std::unique_ptr<FileLock> Lock(const std::string& path, std::uint32_t timeoutMs) = 0;
    // For a caller that polls the file: false only when the file system can tell, without looking at the file, that
    // nothing about it changed since the last Stamp of it (a change by another program may show a moment late;
    // a write of ours shows at once). True whenever it cannot tell.
    virtual bool MayHaveChanged(const std::string& /*path*/) { return true; }
    virtual bool FileExists(const std::string& path) = 0;       // a file or a folder
    virtual bool DirectoryExists(const std::string& path) = 0;  // a folder only
};

// The file system of the machine the program runs on.
std::unique_ptr<FileSystem> MakeHostFileSystem();

}  // namespace velmora::settings
