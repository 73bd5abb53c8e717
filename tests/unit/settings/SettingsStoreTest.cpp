// The settings store over a file system: the cache, two writers, failed writes, encodings, and mod_ini's reads and
// writes through the key table.
#include <gtest/gtest.h>

#include <tuple>

#include "settings/ModIni.h"
#include "settings/ProfileStore.h"
#include "settings/SettingKeys.h"
#include "sim/MemoryFileSystem.h"

namespace velmora::settings {
namespace {

constexpr const char* kPath = "C:\\Velmora\\setting.ini";

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
    EXPECT_EQ(ReadSetting(ini_, keys::View), 1);
    EXPECT_EQ(ReadSettingText(ini_, keys::Boot), "");
    // Removing what is not there writes nothing, not even an empty file.
    EXPECT_TRUE(ini_.WriteString("Tab", "1", std::nullopt));
    EXPECT_TRUE(ini_.RemoveSection("App"));
    EXPECT_FALSE(files_.FileExists(kPath));
    EXPECT_TRUE(WriteSetting(ini_, keys::ViewApl, -1));
    EXPECT_TRUE(WriteSettingText(ini_, keys::Boot, "C:\\ツール\\a.exe /x=1"));
    EXPECT_TRUE(WriteSetting(ini_, keys::X01, 4294967296));
    EXPECT_EQ(FileBytes(), "[setting]\r\nViewApl=-1\r\nBoot=C:\\\x83\x63\x81\x5B\x83\x8B\\a.exe /x=1\r\n[pos]\r\n"
                           "X01=4294967296\r\n");
    EXPECT_EQ(ReadSetting(ini_, keys::X01), 2147483647);
    EXPECT_EQ(ReadSettingText(ini_, keys::Boot), "C:\\ツール\\a.exe /x=1");
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
}

TEST_F(SettingsStoreTest, APollWhileNothingChangedServesMemoryYetSeesOurOwnWriteAtOnce) {
    auto poll = [this] { return ini_.PollInt("Velmora", "Grid", 5); };
    files_.unchanged = true;
    EXPECT_EQ(poll(), 5);
    EXPECT_TRUE(WriteSetting(ini_, keys::Grid, 3));
    EXPECT_EQ(poll(), 3);
    files_.SetFile(kPath, "[Velmora]\r\nGrid=1\r\n");  // another program's write, not yet told
    EXPECT_EQ(poll(), 3);
    files_.unchanged = false;
    EXPECT_EQ(poll(), 1);
    files_.RemoveFile(kPath);
    EXPECT_EQ(poll(), 5);
    files_.unchanged = true;
    files_.SetFile(kPath, "[Velmora]\r\nGrid=2\r\n");
    EXPECT_EQ(poll(), 5);  // missing at the last look, and nothing told since
    files_.unchanged = false;
    files_.unreadable.insert(kPath);
    EXPECT_EQ(poll(), 5);
    files_.unreadable.clear();
    files_.unchanged = true;
    EXPECT_EQ(poll(), 2);  // what could not be read is looked at again
}

TEST_F(SettingsStoreTest, ASaveIsAllOrNothingAndSaysWhyNot) {
    const std::string original = "[App]\r\nold=C:\\old.exe\r\n[setting]\r\nView=1\r\n";
    files_.SetFile(kPath, original);
    EXPECT_EQ(ReadSetting(ini_, keys::View), 1);  // held in memory from here
    auto save = [&] {
        return ini_.Save([](ProfileEditor& edit) {
            edit.SetSection("App", {{"a", "C:\\a.exe"}, {"b", "C:\\b.exe"}});
            edit.SetInt("setting", "View", 2);
        });
    };
    // A write that fails, another program holding the lock, a line break or NUL in any part: nothing changes.
    files_.failFromWrite = 1;
    EXPECT_EQ(save().reason, "disk full");
    EXPECT_FALSE(ini_.RemoveSection("App"));
    EXPECT_EQ(ReadSetting(ini_, keys::View), 1);  // nor in memory
    files_.failFromWrite = 0;
    EXPECT_FALSE([&] { const auto held = files_.Lock(kPath, 0); return save(); }());
    for (const auto& [section, key, value] : std::vector<std::tuple<std::string, std::string, std::string>>{
             {"setting", "Boot", "C:\\a\r\n[App]\r\nx=y"}, {"setting", "Bo\not", "1"}, {"set\rting", "Boot", "1"},
             {"setting", "Boot", std::string("a\0b", 3)}, {"setting", "Bo=ot", "1"}}) {
        EXPECT_FALSE(ini_.Save([&](ProfileEditor& edit) {
            edit.SetInt("setting", "View", 2);
            edit.Set(section, key, value);
        })) << key;
    }
    for (const ProfileEntries& rows : {ProfileEntries{{"x", "a\nb"}}, ProfileEntries{{"a=b", "x"}}})
        EXPECT_FALSE(ini_.Save([&](ProfileEditor& edit) { edit.SetSection("App", rows); }));
    EXPECT_EQ(FileBytes(), original);
    ASSERT_TRUE(save());
    EXPECT_EQ(FileBytes(), "[setting]\r\nView=2\r\n[App]\r\na=C:\\a.exe\r\nb=C:\\b.exe\r\n");
}

TEST_F(SettingsStoreTest, AFileThatCannotBeReadIsNeverReplaced) {
    const std::pair<std::string, ReadStatus> cases[] = {
        {std::string(kMaxSettingsFileBytes + 1, '\n'), ReadStatus::TooLarge},
        {"\xFE\xFF\0[\0s\0]", ReadStatus::Unreadable},  // UTF-16 big-endian
        {"[s]\r\nk=1\r\n", ReadStatus::Unreadable}};      // held by another program
    for (const auto& [bytes, status] : cases) {
        files_.SetFile(kPath, bytes);
        if (bytes.starts_with('[')) files_.unreadable.insert(kPath);
        EXPECT_EQ(ini_.Status(), status);
        EXPECT_EQ(ini_.GetIniString("s", "k"), "");
        EXPECT_FALSE(WriteSetting(ini_, keys::View, 2));
        EXPECT_EQ(FileBytes(), bytes);
    }
    files_.unreadable.clear();
    EXPECT_EQ(ini_.Status(), ReadStatus::Read);
    files_.RemoveFile(kPath);
    EXPECT_EQ(ini_.Status(), ReadStatus::Missing);
}

TEST_F(SettingsStoreTest, ASectionSetToItsRowsKeepsTheBytesOfEveryRowNobodyChanged) {
    // Shift_JIS with a byte the code page cannot decode (\x82 alone) on one row, blanks around "=" on another.
    const std::string rows = "[App]\r\nbad\x82=C:\\x.exe\r\n  spaced = C:\\s.exe \r\n\x83\x81\x83\x82=C:\\m.exe\r\n";
    files_.SetFile(kPath, "[setting]\r\nView=1\r\n" + rows);
    const ProfileEntries loaded = ini_.GetSection("App");
    ASSERT_TRUE(ini_.Save([&](ProfileEditor& edit) { edit.SetSection("App", loaded); }));
    EXPECT_EQ(files_.writes, 0);
    // One row changed, one added: the section is written anew at the end, the others keep their lines.
    ProfileEntries edited = loaded;
    edited[2].second = "C:\\new.exe";
    edited.emplace_back("絵😀", "C:\\e.exe");
    ASSERT_TRUE(ini_.Save([&](ProfileEditor& edit) { edit.SetSection("App", edited); }));
    EXPECT_EQ(FileBytes(), "\xEF\xBB\xBF[setting]\r\nView=1\r\n[App]\r\nbad\x82=C:\\x.exe\r\n  spaced = C:\\s.exe \r\n"
                           "メモ=C:\\new.exe\r\n絵😀=C:\\e.exe\r\n");
    EXPECT_EQ(ini_.GetSection("App"), edited);
    ASSERT_TRUE(ini_.Save([](ProfileEditor& edit) { edit.SetSection("App", {}); }));
    EXPECT_EQ(FileBytes(), "\xEF\xBB\xBF[setting]\r\nView=1\r\n");
}

}  // namespace
}  // namespace velmora::settings
