#include "platform/sim/MemoryFileSystem.h"

namespace velmora::platform::sim {

std::string MemoryFileSystem::Normalize(const std::string& path) {
    std::string out;
    out.reserve(path.size());
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

bool MemoryFileSystem::FolderExistsLocked(const std::string& normalized) const {
    return normalized.empty() || folders_.count(normalized) != 0;
}

void MemoryFileSystem::AddFolderLocked(const std::string& normalized) {
    for (std::string folder = normalized; !folder.empty(); folder = ParentOf(folder)) {
        if (!folders_.insert(folder).second) break;  // its ancestors exist already
    }
}

void MemoryFileSystem::PutLocked(const std::string& path, const std::string& bytes) {
    File& file = files_[Normalize(path)];
    if (file.path.empty()) file.path = path;
    file.bytes = bytes;
    ++clock_;
    file.stamp.size = bytes.size();
    file.stamp.modified = clock_;
    file.stamp.changed = clock_;
    // Like a rename over the old file: the replacement is another file.
    file.stamp.identity = nextIdentity_++;
}

std::optional<std::string> MemoryFileSystem::ReadAll(const std::string& path) {
    std::lock_guard lock(mutex_);
    auto it = files_.find(Normalize(path));
    if (it == files_.end() || it->second.unreadable) return std::nullopt;
    ++it->second.reads;
    return it->second.bytes;
}

std::optional<settings::FileStamp> MemoryFileSystem::Stamp(const std::string& path) {
    std::lock_guard lock(mutex_);
    auto it = files_.find(Normalize(path));
    if (it == files_.end()) return std::nullopt;
    return it->second.stamp;
}

bool MemoryFileSystem::WriteAllAtomic(const std::string& path, const std::string& bytes) {
    std::lock_guard lock(mutex_);
    const std::string normalized = Normalize(path);
    const std::string parent = ParentOf(normalized);
    if (writesFail_ || normalized.empty() || !FolderExistsLocked(parent) || readOnlyFolders_.count(parent) != 0 ||
        folders_.count(normalized) != 0) {
        return false;
    }
    PutLocked(path, bytes);
    ++files_[normalized].writes;
    return true;
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

bool MemoryFileSystem::RemoveFile(const std::string& path) {
    std::lock_guard lock(mutex_);
    return files_.erase(Normalize(path)) != 0;
}

void MemoryFileSystem::SetWritesFail(bool fail) {
    std::lock_guard lock(mutex_);
    writesFail_ = fail;
}

void MemoryFileSystem::SetFolderReadOnly(const std::string& path, bool readOnly) {
    std::lock_guard lock(mutex_);
    if (readOnly) {
        readOnlyFolders_.insert(Normalize(path));
    } else {
        readOnlyFolders_.erase(Normalize(path));
    }
}

void MemoryFileSystem::SetFileUnreadable(const std::string& path, bool unreadable) {
    std::lock_guard lock(mutex_);
    auto it = files_.find(Normalize(path));
    if (it != files_.end()) it->second.unreadable = unreadable;
}

int MemoryFileSystem::ReadCount(const std::string& path) const {
    std::lock_guard lock(mutex_);
    auto it = files_.find(Normalize(path));
    return it == files_.end() ? 0 : it->second.reads;
}

int MemoryFileSystem::WriteCount(const std::string& path) const {
    std::lock_guard lock(mutex_);
    auto it = files_.find(Normalize(path));
    return it == files_.end() ? 0 : it->second.writes;
}

std::vector<std::string> MemoryFileSystem::FilePaths() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> paths;
    paths.reserve(files_.size());
    for (const auto& [key, file] : files_) paths.push_back(file.path);
    return paths;
}

}  // namespace velmora::platform::sim
