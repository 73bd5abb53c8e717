#include <gtest/gtest.h>

#include "platform/sim/MemoryFileSystem.h"
#include "settings/ProfileStore.h"

namespace velmora::settings {
namespace {

constexpr const char* kPath = "C:\\Velmora\\setting.ini";

class ProfileStoreTest : public ::testing::Test {
protected:
    ProfileStoreTest() { files_.AddFolder("C:\\Velmora"); }

    std::string FileBytes() { return files_.ReadAll(kPath).value_or("<missing>"); }

    platform::sim::MemoryFileSystem files_;
    std::unique_ptr<settings::CodePage> codePage_ = settings::MakeCp932CodePage();
    ProfileStore store_{files_, *codePage_};
};

TEST_F(ProfileStoreTest, AMissingFileGivesDefaultsAndTheFirstWriteCreatesIt) {
    EXPECT_EQ(store_.ReadString(kPath, "setting", "Boot"), std::nullopt);
    EXPECT_EQ(store_.ReadInt(kPath, "setting", "W", 10000), 10000);
    EXPECT_TRUE(store_.ReadKeyNames(kPath, "App").empty());
    // Removing what is not there writes nothing, not even an empty file.
    EXPECT_TRUE(store_.WriteString(kPath, "Tab", "1", std::nullopt));
    EXPECT_TRUE(store_.RemoveSection(kPath, "App"));
    EXPECT_FALSE(files_.FileExists(kPath));

    EXPECT_TRUE(store_.WriteString(kPath, "setting", "ViewApl", "-1"));
    EXPECT_TRUE(store_.WriteString(kPath, "setting", "View", "2"));
    EXPECT_EQ(FileBytes(), "[setting]\r\nViewApl=-1\r\nView=2\r\n");
    EXPECT_EQ(store_.ReadInt(kPath, "setting", "ViewApl", 0), -1);
}

TEST_F(ProfileStoreTest, AnUnchangedFileIsServedFromMemory) {
    files_.SetFile(kPath, "[Velmora]\r\nGrid=1\r\nLineSel=0\r\n");
    for (int tick = 0; tick < 5; ++tick) {
        EXPECT_EQ(store_.ReadInt(kPath, "Velmora", "Grid", 0), 1);
        EXPECT_EQ(store_.ReadInt(kPath, "Velmora", "LineSel", 1), 0);
    }
    EXPECT_EQ(files_.ReadCount(kPath), 1);

    // Our own write leaves the cache holding what the file now holds.
    EXPECT_TRUE(store_.WriteString(kPath, "Velmora", "Grid", "0"));
    EXPECT_EQ(store_.ReadInt(kPath, "Velmora", "Grid", 1), 0);
    EXPECT_EQ(files_.ReadCount(kPath), 1);

    // Writing the value the file already holds does not touch it.
    const int writes = files_.WriteCount(kPath);
    EXPECT_TRUE(store_.WriteString(kPath, "Velmora", "LineSel", "0"));
    EXPECT_EQ(files_.WriteCount(kPath), writes);
}

TEST_F(ProfileStoreTest, AChangeByAnotherWriterIsSeen) {
    files_.SetFile(kPath, "[pos]\r\nX01=150\r\n");
    EXPECT_EQ(store_.ReadInt(kPath, "pos", "X01", 0), 150);
    files_.SetFile(kPath, "[pos]\r\nX01=300\r\n");  // same size: only the stamp tells
    EXPECT_EQ(store_.ReadInt(kPath, "pos", "X01", 0), 300);

    // Two programs, each with its own store, writing their own keys.
    ProfileStore option(files_, *codePage_);
    EXPECT_TRUE(option.WriteString(kPath, "setting", "window", "1"));
    EXPECT_TRUE(store_.WriteString(kPath, "setting", "State", "2"));
    EXPECT_TRUE(option.WriteString(kPath, "pos", "Y01", "-3000"));
    EXPECT_EQ(FileBytes(), "[pos]\r\nX01=300\r\nY01=-3000\r\n[setting]\r\nwindow=1\r\nState=2\r\n");
    EXPECT_EQ(store_.ReadInt(kPath, "pos", "Y01", 0), -3000);

    files_.RemoveFile(kPath);
    EXPECT_EQ(store_.ReadInt(kPath, "pos", "X01", 7), 7);
}

TEST_F(ProfileStoreTest, AFailedWriteChangesNothingOnDiskOrInMemory) {
    const std::string original = "; mine\r\n[setting]\r\nView=1\r\n[App]\r\na=C:\\a.exe\r\n";
    files_.SetFile(kPath, original);
    EXPECT_EQ(store_.ReadInt(kPath, "setting", "View", 0), 1);

    files_.SetFolderReadOnly("C:\\Velmora", true);
    EXPECT_FALSE(store_.WriteString(kPath, "setting", "View", "2"));
    EXPECT_FALSE(store_.WriteString(kPath, "setting", "New", "x"));
    EXPECT_FALSE(store_.RemoveSection(kPath, "App"));
    files_.SetFolderReadOnly("C:\\Velmora", false);
    files_.SetWritesFail(true);
    EXPECT_FALSE(store_.WriteString(kPath, "App", "a", std::nullopt));
    files_.SetWritesFail(false);

    EXPECT_EQ(FileBytes(), original);
    EXPECT_EQ(store_.ReadInt(kPath, "setting", "View", 0), 1);
    EXPECT_EQ(store_.ReadString(kPath, "setting", "New"), std::nullopt);
    EXPECT_EQ(store_.ReadKeyNames(kPath, "App"), std::vector<std::string>{"a"});

    EXPECT_FALSE(store_.WriteString("C:\\Missing\\setting.ini", "s", "k", "v"));

    // A file changed by another program and then locked is not replaced by
    // our one key.
    files_.SetFile(kPath, original + "[Tab]\r\n1=a?C:\\\r\n");
    files_.SetFileUnreadable(kPath, true);
    EXPECT_EQ(store_.ReadInt(kPath, "setting", "View", 0), 0);
    EXPECT_FALSE(store_.WriteString(kPath, "setting", "View", "2"));
    EXPECT_FALSE(store_.RemoveSection(kPath, "App"));
    files_.SetFileUnreadable(kPath, false);
    EXPECT_EQ(FileBytes(), original + "[Tab]\r\n1=a?C:\\\r\n");
}

TEST_F(ProfileStoreTest, ASaveThatSwitchesToUtf8IsWhatLaterReadsSee) {
    files_.SetFile(kPath, "[App]\r\n\x83\x81\x83\x82\x92\xA0=C:\\memo.exe\r\n");
    EXPECT_TRUE(store_.WriteString(kPath, "App", "😀", "C:\\smile.exe"));
    EXPECT_EQ(FileBytes(), "\xEF\xBB\xBF[App]\r\nメモ帳=C:\\memo.exe\r\n😀=C:\\smile.exe\r\n");
    // Further writes keep the file UTF-8, even once the character is gone.
    EXPECT_TRUE(store_.WriteString(kPath, "App", "😀", std::nullopt));
    EXPECT_TRUE(store_.WriteString(kPath, "App", "ツール", "C:\\t.exe"));
    EXPECT_EQ(FileBytes(), "\xEF\xBB\xBF[App]\r\nメモ帳=C:\\memo.exe\r\nツール=C:\\t.exe\r\n");

    using Entries = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(store_.ReadSection(kPath, "App"), (Entries{{"メモ帳", "C:\\memo.exe"}, {"ツール", "C:\\t.exe"}}));
}

}  // namespace
}  // namespace velmora::settings
