#include <gtest/gtest.h>

#include <set>

#include "platform/sim/MemoryFileSystem.h"
#include "settings/SettingKeys.h"

namespace velmora::settings {
namespace {

std::string Folded(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return out;
}

TEST(SettingKeysTest, TheTableHoldsEveryKeyOnceGroupedBySection) {
    const auto all = AllSettingKeys();
    EXPECT_EQ(all.size(), 25u);
    std::set<std::string> seen;
    std::vector<std::string_view> sectionOrder;
    for (const SettingKey& key : all) {
        EXPECT_TRUE(seen.insert(Folded(key.section) + "/" + Folded(key.key)).second) << key.key;
        if (sectionOrder.empty() || sectionOrder.back() != key.section) sectionOrder.push_back(key.section);
        EXPECT_NE(key.section, kAppSection);
        EXPECT_NE(key.section, kTabSection);
    }
    EXPECT_EQ(sectionOrder, (std::vector<std::string_view>{"setting", "pos", "Velmora"}));
}

TEST(SettingKeysTest, TypedAccessUsesTheTablesDefaults) {
    platform::sim::MemoryFileSystem files;
    auto codePage = settings::MakeCp932CodePage();
    ProfileStore store(files, *codePage);
    const IniFile ini(store, "setting.ini");

    EXPECT_EQ(ReadSetting(ini, keys::W), 10000);
    EXPECT_EQ(ReadSetting(ini, keys::H), 6000);
    EXPECT_EQ(ReadSetting(ini, keys::View), 1);
    EXPECT_EQ(ReadSetting(ini, keys::Hotkey1), 0);
    EXPECT_EQ(ReadSettingText(ini, keys::Boot), "");

    EXPECT_TRUE(WriteSetting(ini, keys::ViewApl, -1));
    EXPECT_TRUE(WriteSettingText(ini, keys::Boot, "C:\\Tools\\edit.exe"));
    EXPECT_TRUE(WriteSetting(ini, keys::Grid, 1));
    EXPECT_EQ(files.ReadAll("setting.ini"),
              "[setting]\r\nViewApl=-1\r\nBoot=C:\\Tools\\edit.exe\r\n[Velmora]\r\nGrid=1\r\n");
    EXPECT_EQ(ReadSetting(ini, keys::ViewApl), -1);
    EXPECT_EQ(ReadSettingText(ini, keys::Boot), "C:\\Tools\\edit.exe");
}

}  // namespace
}  // namespace velmora::settings
