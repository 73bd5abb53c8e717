#include "sim/MemoryFileSystem.h"

namespace velmora::sim {
namespace {

struct Held final : settings::FileLock {
    Held(std::set<std::string>& set, std::string name) : locked(set), path(std::move(name)) {}
    ~Held() override { locked.erase(path); }
    std::set<std::string>& locked;
    std::string path;
};

}  // namespace

std::string MemoryFileSystem::Normalize(const std::string& path) {
    std::string out;
    for (char c : path) {
        const bool separator = c == '/' || c == '\\';
        // Runs of separators count as one, and a trailing one names the same folder.
        if (separator && (out.empty() || out.back() == '\\')) continue;
        out += separator ? '\\' : (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    if (!out.empty() && out.back() == '\\') out.pop_back();
    return out;
}

std::string MemoryFileSystem::ParentOf(const std::string& normalized) {
    const auto cut = normalized.rfind('\\');
    return cut == std::string::npos ? std::string() : normalized.substr(0, cut);
}

void MemoryFileSystem::AddFolders(const std::string& normalized) {
    for (std::string folder = normalized; !folder.empty() && folders_.insert(folder).second;) folder = ParentOf(folder);
}

void MemoryFileSystem::Put(const std::string& normalized, const std::string& bytes) {
    // Like a rename over the old file: another file, with times of its own.
    const auto now = static_cast<std::int64_t>(++tick_);
    files_[normalized] = {bytes, settings::FileStamp{bytes.size(), now, now, tick_}};
}

settings::ReadResult MemoryFileSystem::Read(const std::string& path) {
    auto it = files_.find(Normalize(path));
    if (it == files_.end()) return {};
    if (unreadable.count(path) != 0) return {settings::ReadStatus::Unreadable, {}, "held by another program"};
    if (it->second.first.size() > settings::kMaxSettingsFileBytes) return {settings::ReadStatus::TooLarge, {}, {}};
    ++reads;
    return {settings::ReadStatus::Read, it->second.first, {}};
}

settings::Outcome MemoryFileSystem::WriteAllAtomic(const std::string& path, const std::string& bytes) {
    const std::string normalized = Normalize(path);
    const std::string parent = ParentOf(normalized);
    if (failFromWrite > 0 && --failFromWrite == 0) return (failFromWrite = 1, settings::Outcome::Failed("disk full"));
    if (normalized.empty() || (!parent.empty() && folders_.count(parent) == 0) || folders_.count(normalized) != 0) {
        return settings::Outcome::Failed("no such folder");
    }
    Put(normalized, bytes);
    ++writes;
    return {};
}

std::unique_ptr<settings::FileLock> MemoryFileSystem::Lock(const std::string& path, std::uint32_t /*timeoutMs*/) {
    // Held once at a time; another request fails at once, as a wait that ran out would.
    if (!locked_.insert(Normalize(path)).second) return nullptr;
    return std::make_unique<Held>(locked_, Normalize(path));
}

void MemoryFileSystem::SetFile(const std::string& path, const std::string& bytes) {
    AddFolders(ParentOf(Normalize(path)));
    Put(Normalize(path), bytes);
}

}  // namespace velmora::sim
