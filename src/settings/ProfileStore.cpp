#include "settings/ProfileStore.h"

namespace velmora::settings {

ProfileStore::ProfileStore(settings::FileSystem& files, settings::CodePage& codePage)
    : files_(files), codePage_(codePage) {}

const ProfileDocument& ProfileStore::Load(const std::string& path, bool* unreadable) {
    const std::optional<settings::FileStamp> stamp = files_.Stamp(path);
    auto cached = cache_.find(path);
    if (!stamp) {
        if (cached != cache_.end()) cache_.erase(cached);
        return missing_;
    }
    if (cached != cache_.end() && cached->second.stamp == *stamp) return cached->second.document;

    // The stamp is taken before the bytes: if the file changes in between,
    // the stamp kept is older than the content, which costs one more read
    // later but never serves stale content.
    std::optional<std::string> bytes = files_.ReadAll(path);
    if (!bytes) {
        if (cached != cache_.end()) cache_.erase(cached);
        if (unreadable != nullptr) *unreadable = files_.FileExists(path);
        return missing_;
    }
    Cached fresh{*stamp, ProfileDocument::FromBytes(*bytes, codePage_)};
    if (cached != cache_.end()) {
        cached->second = std::move(fresh);
        return cached->second.document;
    }
    return cache_.emplace(path, std::move(fresh)).first->second.document;
}

bool ProfileStore::Store(const std::string& path, ProfileDocument document) {
    const std::string bytes = document.ToBytes(codePage_);
    if (!files_.WriteAllAtomic(path, bytes)) return false;  // the cache still holds what the file holds
    const std::optional<settings::FileStamp> stamp = files_.Stamp(path);
    if (!stamp) {
        cache_.erase(path);
        return true;
    }
    // Kept as the written bytes read back, not as the edited document: the
    // save may have changed the encoding (text the code page cannot hold), and
    // the cache must be exactly what the next reader of the file would see.
    // Should another writer slip in between the write and the stamp, the
    // stamps of its later writes still differ from this one.
    cache_.insert_or_assign(path, Cached{*stamp, ProfileDocument::FromBytes(bytes, codePage_)});
    return true;
}

std::optional<std::string> ProfileStore::ReadString(const std::string& path, std::string_view section,
                                                    std::string_view key) {
    return Load(path).GetString(section, key);
}

std::int32_t ProfileStore::ReadInt(const std::string& path, std::string_view section, std::string_view key,
                                   std::int32_t defaultValue) {
    return ParseProfileInt(Load(path).GetString(section, key), defaultValue);
}

std::vector<std::string> ProfileStore::ReadKeyNames(const std::string& path, std::string_view section) {
    return Load(path).KeyNames(section);
}

std::vector<std::pair<std::string, std::string>> ProfileStore::ReadSection(const std::string& path,
                                                                           std::string_view section) {
    return Load(path).SectionEntries(section);
}

bool ProfileStore::WriteString(const std::string& path, std::string_view section, std::string_view key,
                               std::optional<std::string_view> value) {
    bool unreadable = false;
    const ProfileDocument& current = Load(path, &unreadable);
    if (unreadable) return false;  // writing would replace content we never saw
    const std::optional<std::string> old = current.GetString(section, key);
    // Nothing to change: the file is left alone (an unchanged save rewrites
    // nothing, and removing what is not there creates no file).
    if (!value && !old) return true;
    if (value && old && *old == *value) return true;
    ProfileDocument edited = current;
    edited.SetString(section, key, value);
    return Store(path, std::move(edited));
}

bool ProfileStore::RemoveSection(const std::string& path, std::string_view section) {
    bool unreadable = false;
    const ProfileDocument& current = Load(path, &unreadable);
    if (unreadable) return false;
    if (!current.HasSection(section)) return true;
    ProfileDocument edited = current;
    edited.RemoveSection(section);
    return Store(path, std::move(edited));
}

}  // namespace velmora::settings
