#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings/ProfileStore.h"

namespace velmora::settings {

// setting.ini as both programs use it: one file, read and written key by key.
// Values come back whole: no fixed buffer cuts them (a cut value would be
// written back cut by the next save).
class IniFile {
public:
    IniFile(ProfileStore& store, std::string path) : store_(store), path_(std::move(path)) {}

    const std::string& path() const { return path_; }

    // The value, or empty text when the file, section or key is missing.
    std::string GetIniString(std::string_view section, std::string_view key) const;
    // All key names of the section in file order (an empty name included).
    std::vector<std::string> GetIniKeyNames(std::string_view section) const;
    std::int32_t GetInt(std::string_view section, std::string_view key, std::int32_t defaultValue) const;
    // GetInt for a caller that polls: see ProfileStore::PollInt.
    std::int32_t PollInt(std::string_view section, std::string_view key, std::int32_t defaultValue) const {
        return store_.PollInt(path_, section, key, defaultValue);
    }
    // Every key line of the section: name and value as stored.
    ProfileEntries GetSection(std::string_view section) const;

    // Whether the file could be read (a missing file counts: there is nothing in it to lose).
    ReadStatus Status() const { return store_.Status(path_); }
    // One save of several edits, all or nothing.
    Outcome Save(const std::function<void(ProfileEditor&)>& edits) const { return store_.Save(path_, edits); }
    bool WriteString(std::string_view section, std::string_view key, std::optional<std::string_view> value) const;
    bool WriteInt(std::string_view section, std::string_view key, std::int64_t value) const;
    bool RemoveSection(std::string_view section) const;

private:
    ProfileStore& store_;
    std::string path_;
};

// The settings file of the program whose folder is given: the folder and
// "\setting.ini" joined by plain concatenation.
std::string SettingsPathFor(std::string_view programFolder);

}  // namespace velmora::settings
