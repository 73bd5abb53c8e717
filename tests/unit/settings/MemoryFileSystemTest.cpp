#include <gtest/gtest.h>

#include "platform/sim/MemoryFileSystem.h"

namespace velmora::platform::sim {
namespace {

TEST(MemoryFileSystemTest, PathsAreWindowsPaths) {
    MemoryFileSystem files;
    files.AddFolder("C:\\Program Files\\Velmora\\");
    EXPECT_TRUE(files.DirectoryExists("c:/program files"));
    EXPECT_TRUE(files.WriteAllAtomic("C:\\Program Files\\Velmora\\setting.ini", "a"));
    EXPECT_EQ(files.ReadAll("c:\\PROGRAM FILES\\velmora\\\\Setting.INI"), "a");
    EXPECT_TRUE(files.FileExists("C:/Program Files/Velmora/setting.ini"));
    EXPECT_TRUE(files.FileExists("C:\\Program Files"));
    EXPECT_FALSE(files.DirectoryExists("C:\\Program Files\\Velmora\\setting.ini"));
    EXPECT_EQ(files.FilePaths(), std::vector<std::string>{"C:\\Program Files\\Velmora\\setting.ini"});
}

TEST(MemoryFileSystemTest, EveryWriteGivesANewStamp) {
    MemoryFileSystem files;
    files.SetFile("D:\\x\\a.ini", "same");
    const settings::FileStamp first = *files.Stamp("D:\\x\\a.ini");
    EXPECT_EQ(first.size, 4u);
    EXPECT_TRUE(files.WriteAllAtomic("D:\\x\\a.ini", "same"));
    EXPECT_NE(*files.Stamp("D:\\x\\a.ini"), first);
    EXPECT_EQ(files.Stamp("D:\\x\\b.ini"), std::nullopt);
    EXPECT_EQ(files.WriteCount("D:\\x\\a.ini"), 1);
    EXPECT_TRUE(files.RemoveFile("D:\\x\\a.ini"));
    EXPECT_FALSE(files.RemoveFile("D:\\x\\a.ini"));
}

TEST(MemoryFileSystemTest, WritesFailWhereARealDiskWouldRefuse) {
    MemoryFileSystem files;
    files.SetFile("C:\\ro\\a.ini", "old");
    EXPECT_FALSE(files.WriteAllAtomic("C:\\missing\\a.ini", "x"));
    EXPECT_FALSE(files.WriteAllAtomic("C:\\ro", "a folder"));

    files.SetFolderReadOnly("C:\\RO", true);
    EXPECT_FALSE(files.WriteAllAtomic("C:\\ro\\a.ini", "new"));
    EXPECT_FALSE(files.WriteAllAtomic("C:\\ro\\b.ini", "new"));
    files.SetFolderReadOnly("C:\\RO", false);
    files.SetWritesFail(true);
    EXPECT_FALSE(files.WriteAllAtomic("C:\\ro\\a.ini", "new"));
    files.SetWritesFail(false);

    EXPECT_EQ(files.ReadAll("C:\\ro\\a.ini"), "old");
    EXPECT_FALSE(files.FileExists("C:\\ro\\b.ini"));
    EXPECT_TRUE(files.WriteAllAtomic("C:\\ro\\a.ini", "new"));
    EXPECT_EQ(files.ReadAll("C:\\ro\\a.ini"), "new");
}

}  // namespace
}  // namespace velmora::platform::sim
