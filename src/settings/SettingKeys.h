#pragma once

#include <cstdint>
#include <string_view>

#include "settings/ModIni.h"

namespace velmora::settings {

// Which program writes a key. The two programs write disjoint sets of keys, so
// one program's writes never replace the other's.
enum class Writer { Velmora, Option };

struct SettingKey {
    std::string_view section;
    std::string_view key;
    std::int32_t defaultValue;  // for numeric keys; text keys default to empty
    Writer writer;
    bool numeric;
};

// Every key of setting.ini except the open-ended sections "App" (one key per
// launcher entry) and "Tab" (keys "1" and "2", see TabCodec.h).
namespace keys {
inline constexpr SettingKey Window{"setting", "window", 0, Writer::Option, true};
inline constexpr SettingKey State{"setting", "State", 0, Writer::Velmora, true};
inline constexpr SettingKey Bar1{"setting", "Bar1", 0, Writer::Velmora, true};
inline constexpr SettingKey Bar2{"setting", "Bar2", 0, Writer::Velmora, true};
inline constexpr SettingKey X{"setting", "X", 0, Writer::Velmora, true};
inline constexpr SettingKey Y{"setting", "Y", 0, Writer::Velmora, true};
inline constexpr SettingKey W{"setting", "W", 10000, Writer::Velmora, true};
inline constexpr SettingKey H{"setting", "H", 6000, Writer::Velmora, true};
inline constexpr SettingKey View{"setting", "View", 1, Writer::Velmora, true};
inline constexpr SettingKey ViewApl{"setting", "ViewApl", 0, Writer::Velmora, true};
inline constexpr SettingKey Boot{"setting", "Boot", 0, Writer::Option, false};
inline constexpr SettingKey Hot1{"setting", "Hot1", 0, Writer::Option, true};
inline constexpr SettingKey Modkey1{"setting", "Modkey1", 0, Writer::Option, true};
inline constexpr SettingKey Hotkey1{"setting", "Hotkey1", 0, Writer::Option, true};
inline constexpr SettingKey Hot2{"setting", "Hot2", 0, Writer::Option, true};
inline constexpr SettingKey Modkey2{"setting", "Modkey2", 0, Writer::Option, true};
inline constexpr SettingKey Hotkey2{"setting", "Hotkey2", 0, Writer::Option, true};
inline constexpr SettingKey X01{"pos", "X01", 0, Writer::Option, true};
inline constexpr SettingKey Y01{"pos", "Y01", 0, Writer::Option, true};
inline constexpr SettingKey X02{"pos", "X02", 0, Writer::Option, true};
inline constexpr SettingKey Y02{"pos", "Y02", 0, Writer::Option, true};
inline constexpr SettingKey X03{"pos", "X03", 0, Writer::Option, true};
inline constexpr SettingKey Y03{"pos", "Y03", 0, Writer::Option, true};
inline constexpr SettingKey Grid{"Velmora", "Grid", 0, Writer::Option, true};
inline constexpr SettingKey LineSel{"Velmora", "LineSel", 0, Writer::Option, true};
}  // namespace keys

inline constexpr std::string_view kAppSection = "App";
inline constexpr std::string_view kTabSection = "Tab";

// Typed access through the table.
std::int32_t ReadSetting(const IniFile& file, const SettingKey& key);
std::string ReadSettingText(const IniFile& file, const SettingKey& key);
bool WriteSetting(const IniFile& file, const SettingKey& key, std::int64_t value);
bool WriteSettingText(const IniFile& file, const SettingKey& key, std::string_view value);
// The same as edits of a save.
void SetSetting(ProfileEditor& editor, const SettingKey& key, std::int64_t value);
void SetSettingText(ProfileEditor& editor, const SettingKey& key, std::string_view value);

}  // namespace velmora::settings
