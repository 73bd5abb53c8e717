#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings/CodePage.h"
#include "settings/FileSystem.h"
#include "settings/ProfileDocument.h"

namespace velmora::settings {

// The profile-file functions of both programs: every call opens the file anew
// (so each program sees the other's last writes), but a file whose stamp did
// not change since the last read is served from memory.
class ProfileStore {
public:
    ProfileStore(settings::FileSystem& files, settings::CodePage& codePage);

    std::optional<std::string> ReadString(const std::string& path, std::string_view section, std::string_view key);
    std::int32_t ReadInt(const std::string& path, std::string_view section, std::string_view key,
                         std::int32_t defaultValue);
    std::vector<std::string> ReadKeyNames(const std::string& path, std::string_view section);
    std::vector<std::pair<std::string, std::string>> ReadSection(const std::string& path, std::string_view section);

    // Each write replaces the file atomically; false when it could not be
    // written (the file on disk is then unchanged).
    bool WriteString(const std::string& path, std::string_view section, std::string_view key,
                     std::optional<std::string_view> value);
    bool RemoveSection(const std::string& path, std::string_view section);

private:
    struct Cached {
        settings::FileStamp stamp;
        ProfileDocument document;
    };
    // The current document of the file (empty when missing), read again only
    // when its stamp changed. `unreadable` is set when the file is there but
    // could not be read: an edit must then not replace it.
    const ProfileDocument& Load(const std::string& path, bool* unreadable = nullptr);
    bool Store(const std::string& path, ProfileDocument document);

    settings::FileSystem& files_;
    settings::CodePage& codePage_;
    std::map<std::string, Cached> cache_;
    ProfileDocument missing_;
};

}  // namespace velmora::settings
