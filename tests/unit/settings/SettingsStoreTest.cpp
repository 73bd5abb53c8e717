// The settings store over a file system: the cache, two writers, failed writes, encodings, and mod_ini's reads and
// writes through the key table.
#include <gtest/gtest.h>

#include "settings/ModIni.h"
#include "settings/ProfileStore.h"
#include "settings/SettingKeys.h"
#include "sim/MemoryFileSystem.h"

namespace velmora::settings {
namespace {

constexpr const char* kPath = "C:\\Velmora\\setting.ini";
using Entries = std::vector<std::pair<std::string, std::string>>;

class SettingsStoreTest : public ::testing::Test {
protected:
    SettingsStoreTest() { files_.AddFolder("C:\\Velmora"); }
    std::string FileBytes() { return files_.Bytes(kPath).value_or("<missing>"); }
    sim::MemoryFileSystem files_;
    std::unique_ptr<CodePage> codePage_ = MakeCp932CodePage();
    ProfileStore store_{files_, *codePage_};
    IniFile ini_{store_, SettingsPathFor("C:\\Velmora")};
};

TEST_F(SettingsStoreTest, AMissingFileGivesDefaultsAndTheFirstWriteCreatesIt) {
    EXPECT_EQ(ini_.path(), kPath);
    EXPECT_EQ(ReadSetting(ini_, keys::W), 10000);
    EXPECT_EQ(ReadSetting(ini_, keys::View), 1);
    EXPECT_EQ(ReadSettingText(ini_, keys::Boot), "");
    EXPECT_TRUE(ini_.GetIniKeyNames("App").empty());
    // Removing what is not there writes nothing, not even an empty file.
    EXPECT_TRUE(ini_.WriteString("Tab", "1", std::nullopt));
    EXPECT_TRUE(ini_.RemoveSection("App"));
    EXPECT_FALSE(files_.FileExists(kPath));
    EXPECT_TRUE(WriteSetting(ini_, keys::ViewApl, -1));
    EXPECT_TRUE(WriteSettingText(ini_, keys::Boot, "C:\\ツール\\a.exe"));
    EXPECT_TRUE(WriteSetting(ini_, keys::X01, 4294967296));
    EXPECT_TRUE(WriteSetting(ini_, keys::Grid, 1));
    EXPECT_EQ(FileBytes(), "[setting]\r\nViewApl=-1\r\nBoot=C:\\\x83\x63\x81\x5B\x83\x8B\\a.exe\r\n[pos]\r\nX01=4294967296\r\n"
                           "[Velmora]\r\nGrid=1\r\n");
    EXPECT_EQ(ReadSetting(ini_, keys::ViewApl), -1);
    EXPECT_EQ(ReadSetting(ini_, keys::X01), 2147483647);
    EXPECT_EQ(ReadSettingText(ini_, keys::Boot), "C:\\ツール\\a.exe");
}

TEST_F(SettingsStoreTest, ReadsComeBackWhole) {
    const std::string longTabs(40000, 'x');
    files_.SetFile(kPath, "[Tab]\r\n1=" + longTabs + "\r\n[App]\r\nfirst=C:\\a=b.exe\r\n=C:\\none.exe\r\nlast=\r\n");
    EXPECT_EQ(ini_.GetIniString("Tab", "1"), longTabs);
    EXPECT_EQ(ini_.GetIniString("Nothing", "1"), "");
    EXPECT_EQ(ini_.GetIniKeyNames("App"), (std::vector<std::string>{"first", "", "last"}));
    EXPECT_EQ(ini_.GetSection("App"), (Entries{{"first", "C:\\a=b.exe"}, {"", "C:\\none.exe"}, {"last", ""}}));
}

TEST_F(SettingsStoreTest, AnUnchangedFileIsServedFromMemoryAndAnotherWritersChangeIsSeen) {
    files_.SetFile(kPath, "[Velmora]\r\nGrid=1\r\nLineSel=0\r\n");
    for (int tick = 0; tick < 5; ++tick) EXPECT_EQ(ReadSetting(ini_, keys::Grid), 1);
    EXPECT_EQ(files_.reads, 1);
    // Our own write leaves the cache holding what the file now holds; the value it holds already is not written.
    EXPECT_TRUE(WriteSetting(ini_, keys::Grid, 0));
    EXPECT_TRUE(WriteSetting(ini_, keys::LineSel, 0));
    EXPECT_EQ(ReadSetting(ini_, keys::Grid), 0);
    EXPECT_EQ(files_.reads, 1);
    EXPECT_EQ(files_.writes, 1);
    files_.SetFile(kPath, "[Velmora]\r\nGrid=7\r\nLineSel=0\r\n");  // same size: only the stamp tells
    EXPECT_EQ(ReadSetting(ini_, keys::Grid), 7);
    // Two programs, each with its own store, writing their own keys.
    ProfileStore option(files_, *codePage_);
    EXPECT_TRUE(option.WriteString(kPath, "setting", "window", "1"));
    EXPECT_TRUE(WriteSetting(ini_, keys::State, 2));
    EXPECT_EQ(FileBytes(), "[Velmora]\r\nGrid=7\r\nLineSel=0\r\n[setting]\r\nwindow=1\r\nState=2\r\n");
    files_.RemoveFile(kPath);
    EXPECT_EQ(ReadSetting(ini_, keys::Grid), 0);
}

TEST_F(SettingsStoreTest, AFailedWriteChangesNothingOnDiskOrInMemory) {
    const std::string original = "; mine\r\n[setting]\r\nView=1\r\n[App]\r\na=C:\\a.exe\r\n";
    files_.SetFile(kPath, original);
    EXPECT_EQ(ReadSetting(ini_, keys::View), 1);
    files_.writesFail = true;
    EXPECT_FALSE(WriteSetting(ini_, keys::View, 2));
    EXPECT_FALSE(ini_.WriteString("setting", "New", "x"));
    EXPECT_FALSE(ini_.RemoveSection("App"));
    files_.writesFail = false;
    EXPECT_EQ(FileBytes(), original);
    EXPECT_EQ(ReadSetting(ini_, keys::View), 1);
    EXPECT_EQ(ini_.GetIniString("setting", "New"), "");
    EXPECT_EQ(ini_.GetIniKeyNames("App"), std::vector<std::string>{"a"});
    EXPECT_FALSE(store_.WriteString("C:\\Missing\\setting.ini", "s", "k", "v"));
    // A file changed by another program and then locked is not replaced by our one key.
    files_.SetFile(kPath, original + "[Tab]\r\n1=a?C:\\\r\n");
    files_.unreadable.insert(kPath);
    EXPECT_EQ(ini_.GetIniString("setting", "View"), "");
    EXPECT_FALSE(WriteSetting(ini_, keys::View, 2));
    files_.unreadable.clear();
    EXPECT_EQ(FileBytes(), original + "[Tab]\r\n1=a?C:\\\r\n");
}

TEST_F(SettingsStoreTest, ASaveThatSwitchesToUtf8IsWhatLaterReadsSee) {
    files_.SetFile(kPath, "[App]\r\n\x83\x81\x83\x82\x92\xA0=C:\\memo.exe\r\n");
    EXPECT_TRUE(ini_.WriteString("App", "😀", "C:\\smile.exe"));
    EXPECT_EQ(FileBytes(), "\xEF\xBB\xBF[App]\r\nメモ帳=C:\\memo.exe\r\n😀=C:\\smile.exe\r\n");
    // Further writes keep the file UTF-8, even once the character is gone.
    EXPECT_TRUE(ini_.WriteString("App", "😀", std::nullopt));
    EXPECT_TRUE(ini_.WriteString("App", "ツール", "C:\\t.exe"));
    EXPECT_EQ(FileBytes(), "\xEF\xBB\xBF[App]\r\nメモ帳=C:\\memo.exe\r\nツール=C:\\t.exe\r\n");
    EXPECT_EQ(ini_.GetSection("App"), (Entries{{"メモ帳", "C:\\memo.exe"}, {"ツール", "C:\\t.exe"}}));
}

}  // namespace
}  // namespace velmora::settings
