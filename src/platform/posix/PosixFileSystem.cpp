#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <mutex>
#include <set>
#include <string>

#include "settings/FileSystem.h"

namespace velmora::settings {
namespace {

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int Release() { return std::exchange(fd_, -1); }
    // Closes now, so that a failing close (delayed write errors on some file
    // systems) can still be reported.
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

// Holds a lock taken on the descriptor; closing it releases the lock.
class DescriptorLock final : public FileLock {
public:
    explicit DescriptorLock(int fd) : fd_(fd) {}

private:
    Descriptor fd_;
};

ReadResult Unreadable(int error) { return {ReadStatus::Unreadable, {}, std::strerror(error)}; }
Outcome Failed(int error) { return Outcome::Failed(std::strerror(error)); }

bool WriteFully(int fd, const std::string& bytes) {
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    const auto cut = path.rfind('/');
    if (cut == std::string::npos) return ".";
    if (cut == 0) return "/";
    return path.substr(0, cut);
}

std::string NameOf(const std::string& path) {
    const auto cut = path.rfind('/');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::int64_t Nanoseconds(const timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

// The file a write must replace: a symbolic link is followed, so the link
// stays a link instead of being replaced by a plain file.
std::string ResolveTarget(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) return path;
    return resolved;
}

class PosixFileSystem : public FileSystem {
public:
    ReadResult Read(const std::string& path) override {
        Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
        if (!fd.valid()) return errno == ENOENT ? ReadResult{} : Unreadable(errno);
        struct stat info {};
        if (::fstat(fd.get(), &info) != 0) return Unreadable(errno);
        if (!S_ISREG(info.st_mode)) return Unreadable(EISDIR);
        if (static_cast<std::uint64_t>(info.st_size) > kMaxSettingsFileBytes) return {ReadStatus::TooLarge, {}, {}};
        ReadResult result{ReadStatus::Read, {}, {}};
        result.bytes.reserve(static_cast<std::size_t>(info.st_size));
        char buffer[65536];
        for (;;) {
            const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
            if (got < 0) {
                if (errno == EINTR) continue;
                return Unreadable(errno);
            }
            if (got == 0) break;
            result.bytes.append(buffer, static_cast<std::size_t>(got));
            if (result.bytes.size() > kMaxSettingsFileBytes) return {ReadStatus::TooLarge, {}, {}};
        }
        return result;
    }

    std::optional<FileStamp> Stamp(const std::string& path) override {
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
        FileStamp stamp;
        stamp.size = static_cast<std::uint64_t>(info.st_size);
        stamp.modified = Nanoseconds(info.st_mtim);
        stamp.changed = Nanoseconds(info.st_ctim);
        stamp.identity = static_cast<std::uint64_t>(info.st_ino);
        return stamp;
    }

    Outcome WriteAllAtomic(const std::string& path, const std::string& bytes) override {
        const std::string target = ResolveTarget(path);
        const std::string folder = FolderOf(target);
        RemoveStaleTemporaries(target);

        struct stat old {};
        const bool replacing = ::stat(target.c_str(), &old) == 0;
        if (replacing && !S_ISREG(old.st_mode)) return Failed(EISDIR);

        std::string temporary;
        int raw = -1;
        // O_EXCL: another FileSystem object of this process may pick the same
        // counter value; never share a temporary file with it.
        for (int attempt = 0; attempt < 100 && raw < 0; ++attempt) {
            temporary = target + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++);
            raw = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (raw < 0 && errno != EEXIST) return Failed(errno);
        }
        if (raw < 0) return Failed(EEXIST);
        Descriptor fd(raw);

        bool ok = true;
        if (replacing) ok = ::fchmod(fd.get(), old.st_mode & 07777) == 0;
        ok = ok && WriteFully(fd.get(), bytes) && ::fsync(fd.get()) == 0;
        ok = fd.Close() && ok;
        ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
        if (!ok) {
            const int error = errno;
            ::unlink(temporary.c_str());
            return Failed(error);
        }
        // The rename is only durable once the folder is flushed. Should that
        // fail, the new content is in place all the same: reporting failure
        // would claim the old file is still there.
        Descriptor folderFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (folderFd.valid()) ::fsync(folderFd.get());
        return {};
    }

    std::unique_ptr<FileLock> Lock(const std::string& path, std::uint32_t timeoutMs) override {
        // A file beside the settings, never replaced itself, so every program locks the same file. The lock goes
        // with the descriptor, also when the process dies.
        const std::string name = ResolveTarget(path) + ".lock";
        Descriptor fd(::open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
        if (!fd.valid()) return nullptr;
        for (std::uint32_t waited = 0;; waited += 10) {
            if (::flock(fd.get(), LOCK_EX | LOCK_NB) == 0) return std::make_unique<DescriptorLock>(fd.Release());
            if (errno != EWOULDBLOCK && errno != EINTR) return nullptr;
            if (waited >= timeoutMs) return nullptr;
            ::usleep(10000);
        }
    }

    bool FileExists(const std::string& path) override {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0;
    }

    bool DirectoryExists(const std::string& path) override {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    }

private:
    // A writer killed between creating its temporary file and the rename
    // leaves the temporary behind. The first write to a file from this object
    // removes those whose process is gone, so they never pile up.
    void RemoveStaleTemporaries(const std::string& target) {
        {
            std::lock_guard lock(mutex_);
            if (!swept_.insert(target).second) return;
        }
        const std::string folder = FolderOf(target);
        const std::string prefix = NameOf(target) + ".tmp-";
        DIR* dir = ::opendir(folder.c_str());
        if (dir == nullptr) return;
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.compare(0, prefix.size(), prefix) != 0) continue;
            char* end = nullptr;
            const long pid = std::strtol(name.c_str() + prefix.size(), &end, 10);
            if (end == name.c_str() + prefix.size() || *end != '-' || pid <= 0 || pid == ::getpid()) continue;
            if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
                ::unlink((folder + "/" + name).c_str());
            }
        }
        ::closedir(dir);
    }

    std::atomic<std::uint64_t> counter_{0};
    std::mutex mutex_;
    std::set<std::string> swept_;
};

}  // namespace

std::unique_ptr<FileSystem> MakeHostFileSystem() { return std::make_unique<PosixFileSystem>(); }

}  // namespace velmora::settings
