#include <gtest/gtest.h>

#include "base/Paths.h"

namespace velmora::base {
namespace {

TEST(PathHelpersTest, JoinsAndSplitsAtBackslashes) {
    EXPECT_EQ(JoinPath("C:\\b", "x.txt"), "C:\\b\\x.txt");
    EXPECT_EQ(JoinPath("C:\\", "x.txt"), "C:\\x.txt");
    EXPECT_EQ(GetFileName("C:\\Tools\\my.app.exe"), "my.app.exe");
    EXPECT_EQ(GetFileName("readme"), "readme");
    EXPECT_EQ(GetFileName("C:\\Tools\\"), "");
}

TEST(PathHelpersTest, FileTitleStopsAtTheFirstDotOfTheName) {
    EXPECT_EQ(FileTitle("C:\\Program Files\\Editor\\edit.beta.exe"), "edit");
    EXPECT_EQ(FileTitle("C:\\my.dir\\メモ帳.exe"), "メモ帳");
    EXPECT_EQ(FileTitle("C:\\Tools"), "");
    EXPECT_EQ(FileTitle("C:\\Tools\\make"), "");
    EXPECT_EQ(FileTitle(""), "");
}

TEST(PathHelpersTest, ExtensionIsAfterTheLastDotOfTheWholePath) {
    EXPECT_EQ(FileExtension("C:\\my.dir\\readme"), "dir\\readme");
    EXPECT_EQ(FileExtension("C:\\Tools\\a.tar.gz"), "gz");
    EXPECT_EQ(FileExtension("C:\\Tools\\make"), "");
    EXPECT_TRUE(HasExeExtension("C:\\X\\APP.EXE"));
    EXPECT_TRUE(HasExeExtension("C:\\X\\app.Exe"));
    EXPECT_FALSE(HasExeExtension("C:\\X\\app.exe.txt"));
    EXPECT_FALSE(HasExeExtension("C:\\X\\app.exes"));
    EXPECT_FALSE(HasExeExtension("C:\\my.dir\\exe"));
}

}  // namespace
}  // namespace velmora::base
