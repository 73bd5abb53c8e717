#include <gtest/gtest.h>

#include "explorer/TabPath.h"
#include "platform/sim/MemoryFileSystem.h"

namespace velmora::explorer {
namespace {

// Records what the file system was asked, to show which paths reach it at all.
class AskedFileSystem : public platform::sim::MemoryFileSystem {
public:
    bool DirectoryExists(const std::string& path) override {
        asked.push_back(path);
        return MemoryFileSystem::DirectoryExists(path);
    }
    std::vector<std::string> asked;
};

TEST(TabPathTest, NamespacePathsPassWithoutAsking) {
    AskedFileSystem files;
    EXPECT_TRUE(IsTabPath("::{645FF040-5081-101B-9F08-00AA002F954E}", files));
    EXPECT_TRUE(IsTabPath("::{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\::{21EC2020-3AEA-1069-A2DD-08002B30309D}", files));
    EXPECT_TRUE(IsTabPath("C:\\Gone\\{odd}", files));  // ends with "}": taken as a namespace path
    EXPECT_TRUE(IsTabPath("::{", files));
    EXPECT_TRUE(files.asked.empty());
}

TEST(TabPathTest, OtherPathsMustBeExistingFolders) {
    AskedFileSystem files;
    files.AddFolder("C:\\Work\\Docs");
    files.SetFile("C:\\Work\\note.txt", "x");
    files.AddFolder("Relative");
    EXPECT_FALSE(IsTabPath("", files));
    EXPECT_TRUE(IsTabPath("C:\\Work\\Docs", files));
    EXPECT_TRUE(IsTabPath("c:\\work\\docs\\", files));
    EXPECT_TRUE(IsTabPath("Relative", files));
    EXPECT_FALSE(IsTabPath("C:\\Work\\note.txt", files));
    EXPECT_FALSE(IsTabPath("C:\\Work\\Deleted", files));
    EXPECT_FALSE(IsTabPath(":{x", files));
    // The text goes to the file system unchanged.
    EXPECT_EQ(files.asked, (std::vector<std::string>{"C:\\Work\\Docs", "c:\\work\\docs\\", "Relative",
                                                     "C:\\Work\\note.txt", "C:\\Work\\Deleted", ":{x"}));
}

}  // namespace
}  // namespace velmora::explorer
