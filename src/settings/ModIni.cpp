#include "settings/ModIni.h"

namespace velmora::settings {

std::string IniFile::GetIniString(std::string_view section, std::string_view key) const {
    return store_.ReadString(path_, section, key).value_or(std::string());
}

std::vector<std::string> IniFile::GetIniKeyNames(std::string_view section) const {
    return store_.ReadKeyNames(path_, section);
}

std::int32_t IniFile::GetInt(std::string_view section, std::string_view key, std::int32_t defaultValue) const {
    return store_.ReadInt(path_, section, key, defaultValue);
}

ProfileEntries IniFile::GetSection(std::string_view section) const {
    return store_.ReadSection(path_, section);
}

bool IniFile::WriteString(std::string_view section, std::string_view key, std::optional<std::string_view> value) const {
    return store_.WriteString(path_, section, key, value);
}

bool IniFile::WriteInt(std::string_view section, std::string_view key, std::int64_t value) const {
    return store_.WriteString(path_, section, key, std::to_string(value));
}

bool IniFile::RemoveSection(std::string_view section) const { return store_.RemoveSection(path_, section); }

std::string SettingsPathFor(std::string_view programFolder) {
    // No look at a trailing separator: for a program in "C:\" this gives a
    // doubled one, which Windows accepts, exactly as both programs always
    // formed the name.
    return std::string(programFolder) + "\\setting.ini";
}

}  // namespace velmora::settings
