#include "sim/MemoryFileSystem.h"

namespace velmora::sim {
namespace {

class Held final : public settings::FileLock {
public:
    Held(std::mutex& mutex, std::set<std::string>& locked, std::string path)
        : mutex_(mutex), locked_(locked), path_(std::move(path)) {}
    ~Held() override {
        std::lock_guard lock(mutex_);
        locked_.erase(path_);
    }

private:
    std::mutex& mutex_;
    std::set<std::string>& locked_;
    std::string path_;
};

}  // namespace

std::string MemoryFileSystem::Normalize(const std::string& path) {
    std::string out;
    for (char c : path) {
        if (c == '/' || c == '\\') {
            // Runs of separators count as one, and a trailing one names the same folder.
            if (!out.empty() && out.back() != '\\') out += '\\';
            continue;
        }
        out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    if (!out.empty() && out.back() == '\\') out.pop_back();
    return out;
}

std::string MemoryFileSystem::ParentOf(const std::string& normalized) {
    const auto cut = normalized.rfind('\\');
    return cut == std::string::npos ? std::string() : normalized.substr(0, cut);
}

void MemoryFileSystem::AddFolderLocked(const std::string& normalized) {
    for (std::string folder = normalized; !folder.empty() && folders_.insert(folder).second;) folder = ParentOf(folder);
}

void MemoryFileSystem::PutLocked(const std::string& path, const std::string& bytes) {
    auto& [content, stamp] = files_[Normalize(path)];
    content = bytes;
    if (coarseStamps) {
        // The time moves only when the test moves it; the creation time stays; only our writers' count, bumped in
        // WriteAllAtomic as the Windows file system does, tells their writes apart.
        stamp = {bytes.size(), static_cast<std::int64_t>(tick_), stamp.changed, stamp.identity};
        return;
    }
    ++tick_;
    // Like a rename over the old file: the replacement is another file.
    stamp = {bytes.size(), static_cast<std::int64_t>(tick_), static_cast<std::int64_t>(tick_), tick_};
}

settings::ReadResult MemoryFileSystem::Read(const std::string& path) {
    std::lock_guard lock(mutex_);
    auto it = files_.find(Normalize(path));
    if (it == files_.end()) return {};
    if (unreadable.count(path) != 0) return {settings::ReadStatus::Unreadable, {}, "held by another program"};
    if (it->second.first.size() > settings::kMaxSettingsFileBytes) return {settings::ReadStatus::TooLarge, {}, {}};
    ++reads;
    return {settings::ReadStatus::Read, it->second.first, {}};
}

std::optional<settings::FileStamp> MemoryFileSystem::Stamp(const std::string& path) {
    std::lock_guard lock(mutex_);
    auto it = files_.find(Normalize(path));
    if (it == files_.end()) return std::nullopt;
    return it->second.second;
}

settings::Outcome MemoryFileSystem::WriteAllAtomic(const std::string& path, const std::string& bytes) {
    std::lock_guard lock(mutex_);
    const std::string normalized = Normalize(path);
    const std::string parent = ParentOf(normalized);
    if (failFromWrite > 0 && --failFromWrite == 0) {
        failFromWrite = 1;
        return settings::Outcome::Failed("disk full");
    }
    if (normalized.empty() || (!parent.empty() && folders_.count(parent) == 0) || folders_.count(normalized) != 0) {
        return settings::Outcome::Failed("no such folder");
    }
    PutLocked(path, bytes);
    if (coarseStamps) ++files_[normalized].second.identity;
    ++writes;
    return {};
}

std::unique_ptr<settings::FileLock> MemoryFileSystem::Lock(const std::string& path, std::uint32_t /*timeoutMs*/) {
    std::lock_guard lock(mutex_);
    // One thread at a time holds it; another's request fails at once, as a wait that ran out would.
    if (!locked_.insert(Normalize(path)).second) return nullptr;
    return std::make_unique<Held>(mutex_, locked_, Normalize(path));
}

bool MemoryFileSystem::FileExists(const std::string& path) {
    std::lock_guard lock(mutex_);
    const std::string normalized = Normalize(path);
    return files_.count(normalized) != 0 || folders_.count(normalized) != 0;
}

bool MemoryFileSystem::DirectoryExists(const std::string& path) {
    std::lock_guard lock(mutex_);
    return folders_.count(Normalize(path)) != 0;
}

void MemoryFileSystem::AddFolder(const std::string& path) {
    std::lock_guard lock(mutex_);
    AddFolderLocked(Normalize(path));
}

void MemoryFileSystem::SetFile(const std::string& path, const std::string& bytes) {
    std::lock_guard lock(mutex_);
    AddFolderLocked(ParentOf(Normalize(path)));
    PutLocked(path, bytes);
}

void MemoryFileSystem::RemoveFile(const std::string& path) {
    std::lock_guard lock(mutex_);
    files_.erase(Normalize(path));
}

std::optional<std::string> MemoryFileSystem::Bytes(const std::string& path) const {
    std::lock_guard lock(mutex_);
    auto it = files_.find(Normalize(path));
    if (it == files_.end()) return std::nullopt;
    return it->second.first;
}

}  // namespace velmora::sim
