#include "settings/SettingKeys.h"

namespace velmora::settings {
std::int32_t ReadSetting(const IniFile& file, const SettingKey& key) {
    return file.GetInt(key.section, key.key, key.defaultValue);
}

std::string ReadSettingText(const IniFile& file, const SettingKey& key) {
    return file.GetIniString(key.section, key.key);
}

bool WriteSetting(const IniFile& file, const SettingKey& key, std::int64_t value) {
    return file.WriteInt(key.section, key.key, value);
}

bool WriteSettingText(const IniFile& file, const SettingKey& key, std::string_view value) {
    return file.WriteString(key.section, key.key, value);
}

void SetSetting(ProfileEditor& editor, const SettingKey& key, std::int64_t value) {
    editor.SetInt(key.section, key.key, value);
}

void SetSettingText(ProfileEditor& editor, const SettingKey& key, std::string_view value) {
    editor.Set(key.section, key.key, value);
}

}  // namespace velmora::settings
