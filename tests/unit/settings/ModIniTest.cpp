#include <gtest/gtest.h>

#include "platform/sim/MemoryFileSystem.h"
#include "settings/ModIni.h"

namespace velmora::settings {
namespace {

class ModIniTest : public ::testing::Test {
protected:
    platform::sim::MemoryFileSystem files_;
    std::unique_ptr<settings::CodePage> codePage_ = settings::MakeCp932CodePage();
    ProfileStore store_{files_, *codePage_};
    IniFile ini_{store_, SettingsPathFor("C:\\Velmora")};
};

TEST_F(ModIniTest, SettingsPathIsPlainConcatenation) {
    EXPECT_EQ(ini_.path(), "C:\\Velmora\\setting.ini");
    EXPECT_EQ(SettingsPathFor("C:\\"), "C:\\\\setting.ini");
}

TEST_F(ModIniTest, ReadsComeBackWhole) {
    const std::string longTabs(40000, 'x');
    files_.SetFile(ini_.path(),
                   "[Tab]\r\n1=" + longTabs + "\r\n[App]\r\nfirst=C:\\a=b.exe\r\n=C:\\none.exe\r\nlast=\r\n");
    EXPECT_EQ(ini_.GetIniString("Tab", "1"), longTabs);
    EXPECT_EQ(ini_.GetIniString("Tab", "2"), "");
    EXPECT_EQ(ini_.GetIniString("Nothing", "1"), "");
    EXPECT_EQ(ini_.GetIniKeyNames("App"), (std::vector<std::string>{"first", "", "last"}));
    using Entries = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(ini_.GetSection("App"), (Entries{{"first", "C:\\a=b.exe"}, {"", "C:\\none.exe"}, {"last", ""}}));
}

TEST_F(ModIniTest, WritesNumbersTextAndRemovals) {
    files_.AddFolder("C:\\Velmora");
    EXPECT_TRUE(ini_.WriteInt("pos", "Y01", -3000));
    EXPECT_TRUE(ini_.WriteInt("pos", "X01", 4294967296));
    EXPECT_TRUE(ini_.WriteString("setting", "Boot", "C:\\ツール\\a.exe"));
    EXPECT_TRUE(ini_.WriteString("App", "a", "1"));
    EXPECT_TRUE(ini_.WriteString("setting", "Boot", std::nullopt));
    EXPECT_TRUE(ini_.RemoveSection("App"));
    EXPECT_EQ(files_.ReadAll(ini_.path()), "[pos]\r\nY01=-3000\r\nX01=4294967296\r\n[setting]\r\n");
    EXPECT_EQ(ini_.GetInt("pos", "Y01", 0), -3000);
    EXPECT_EQ(ini_.GetInt("pos", "X01", 0), 2147483647);
}

}  // namespace
}  // namespace velmora::settings
