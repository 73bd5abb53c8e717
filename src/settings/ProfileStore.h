#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings/CodePage.h"
#include "settings/FileSystem.h"
#include "settings/ProfileDocument.h"

namespace velmora::settings {

// The edits of one save, applied together to the file as it is when the save runs.
class ProfileEditor {
public:
    // nullopt removes the key.
    void Set(std::string_view section, std::string_view key, std::optional<std::string_view> value);
    void SetInt(std::string_view section, std::string_view key, std::int64_t value);
    void RemoveSection(std::string_view section);
    // The section holds exactly these entries, in this order (ProfileDocument::SetSection).
    void SetSection(std::string_view section, const ProfileEntries& entries);

private:
    friend class ProfileStore;
    bool Refuse(std::string_view text, bool isName);

    std::vector<std::function<void(ProfileDocument&)>> edits_;
    std::string refused_;
};

// The settings file as both programs use it. Every read looks at the file again, so each program sees the other's
// last save at once, but a file whose stamp is unchanged is served from memory. Every save is one transaction under
// a lock both programs take: read again if changed, apply every edit, replace the file once.
class ProfileStore {
public:
    // How long a save waits for the other program's save to end.
    static constexpr std::uint32_t kLockTimeoutMs = 2000;

    ProfileStore(FileSystem& files, CodePage& codePage)
        : files_(files), codePage_(codePage), missing_(ProfileDocument::FromBytes({}, codePage)) {}

    std::optional<std::string> ReadString(const std::string& path, std::string_view section, std::string_view key);
    std::int32_t ReadInt(const std::string& path, std::string_view section, std::string_view key,
                         std::int32_t defaultValue);
    // As ReadInt, for a caller that polls (Velmora's timer): while the file system can tell that the file did not
    // change, the value comes from memory without a look at the file.
    std::int32_t PollInt(const std::string& path, std::string_view section, std::string_view key,
                         std::int32_t defaultValue);
    std::vector<std::string> ReadKeyNames(const std::string& path, std::string_view section);
    ProfileEntries ReadSection(const std::string& path, std::string_view section);
    // Whether the file could be read when last looked at (Missing counts as read: there is nothing to lose).
    ReadStatus Status(const std::string& path);

    // One transaction. Fails, changing nothing, when the lock cannot be had, the file exists but cannot be read,
    // an edit holds a line break or NUL, or the file cannot be written; the reason says which, for the user.
    Outcome Save(const std::string& path, const std::function<void(ProfileEditor&)>& edits);
    // A one-edit save.
    bool WriteString(const std::string& path, std::string_view section, std::string_view key,
                     std::optional<std::string_view> value);
    bool RemoveSection(const std::string& path, std::string_view section);

private:
    struct Cached {
        FileStamp stamp;
        ProfileDocument document;
    };
    struct Loaded {
        const ProfileDocument& document;
        ReadStatus status;
        std::string reason;
    };
    // The current document of the file (empty when missing or unreadable), read again only when its stamp changed;
    // polled, not even the stamp is read while the file system can tell nothing changed.
    Loaded Load(const std::string& path, bool polled = false);

    FileSystem& files_;
    CodePage& codePage_;
    std::map<std::string, Cached> cache_;
    std::set<std::string, std::less<>> missingPaths_;  // missing at the last look
    ProfileDocument missing_;
    ProfileDocument scratch_;  // bytes read while the file changed: served once, not cached
};

}  // namespace velmora::settings
