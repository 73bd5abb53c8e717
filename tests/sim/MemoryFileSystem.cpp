#include "sim/MemoryFileSystem.h"

namespace velmora::sim {

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
    ++tick_;
    // Like a rename over the old file: the replacement is another file.
    files_[Normalize(path)] = {bytes, {bytes.size(), static_cast<std::int64_t>(tick_),
                                       static_cast<std::int64_t>(tick_), tick_}};
}

std::optional<std::string> MemoryFileSystem::ReadAll(const std::string& path) {
    std::lock_guard lock(mutex_);
    auto it = files_.find(Normalize(path));
    if (it == files_.end() || unreadable.count(path) != 0) return std::nullopt;
    ++reads;
    return it->second.first;
}

std::optional<settings::FileStamp> MemoryFileSystem::Stamp(const std::string& path) {
    std::lock_guard lock(mutex_);
    auto it = files_.find(Normalize(path));
    if (it == files_.end()) return std::nullopt;
    return it->second.second;
}

bool MemoryFileSystem::WriteAllAtomic(const std::string& path, const std::string& bytes) {
    std::lock_guard lock(mutex_);
    const std::string normalized = Normalize(path);
    const std::string parent = ParentOf(normalized);
    if (writesFail || normalized.empty() || (!parent.empty() && folders_.count(parent) == 0) ||
        folders_.count(normalized) != 0) {
        return false;
    }
    PutLocked(path, bytes);
    ++writes;
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
