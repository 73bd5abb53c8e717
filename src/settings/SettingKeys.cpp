#include "settings/SettingKeys.h"

#include <array>

namespace velmora::settings {
namespace {

constexpr std::array kAllKeys = {
    keys::Window, keys::State,   keys::Bar1,    keys::Bar2,    keys::X,    keys::Y,       keys::W,
    keys::H,      keys::View,    keys::ViewApl, keys::Boot,    keys::Hot1, keys::Modkey1, keys::Hotkey1,
    keys::Hot2,   keys::Modkey2, keys::Hotkey2, keys::X01,     keys::Y01,  keys::X02,     keys::Y02,
    keys::X03,    keys::Y03,     keys::Grid,    keys::LineSel,
};

}  // namespace

std::span<const SettingKey> AllSettingKeys() { return kAllKeys; }

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

}  // namespace velmora::settings
