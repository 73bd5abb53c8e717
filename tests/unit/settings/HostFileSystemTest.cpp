// The file system of the machine the tests run on: natively the POSIX one, in
// the Windows build the Win32 one, against the same expectations.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "settings/FileSystem.h"
#include "settings/ProfileStore.h"

namespace velmora::settings {
namespace {

std::string Utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// A folder of its own for each test, under the system's temporary folder.
class HostFileSystemTest : public ::testing::Test {
protected:
    HostFileSystemTest() {
        std::filesystem::remove_all(folder_);  // left by a run that crashed
        std::filesystem::create_directories(folder_);
    }
    ~HostFileSystemTest() override { std::filesystem::remove_all(folder_); }

    const std::filesystem::path folder_ =
        std::filesystem::temp_directory_path() /
        ("velmora-fs-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    const std::string path_ = Utf8(folder_ / "setting.ini");
    std::unique_ptr<FileSystem> files_ = MakeHostFileSystem();
};

TEST_F(HostFileSystemTest, ReplacesTheWholeFileFailsWithoutATraceAndLocksAcrossObjects) {
    EXPECT_EQ(files_->Read(path_).status, ReadStatus::Missing);
    EXPECT_EQ(files_->Stamp(path_), std::nullopt);
    const std::string bytes("[s]\r\nk=\0\xFF\r\n", 11);
    ASSERT_TRUE(files_->WriteAllAtomic(path_, bytes));
    EXPECT_EQ(files_->Read(path_).bytes, bytes);
    const FileStamp first = *files_->Stamp(path_);
    ASSERT_TRUE(files_->WriteAllAtomic(path_, bytes));
    EXPECT_NE(*files_->Stamp(path_), first);  // same size, same content: the replaced file is still told apart
    ASSERT_TRUE(files_->WriteAllAtomic(path_, "short"));
    EXPECT_EQ(files_->Read(path_).bytes, "short");
    EXPECT_TRUE(files_->FileExists(path_) && !files_->DirectoryExists(path_));
    EXPECT_TRUE(files_->FileExists(Utf8(folder_)) && files_->DirectoryExists(Utf8(folder_)));

    // Into a missing folder, or over a folder where the file should be: nothing is created, nor read as a file.
    const std::string inMissingFolder = Utf8(folder_ / "missing" / "setting.ini");
    EXPECT_FALSE(files_->WriteAllAtomic(inMissingFolder, "x").reason.empty());
    EXPECT_FALSE(files_->FileExists(inMissingFolder));
    const std::string taken = Utf8(folder_ / "taken");
    std::filesystem::create_directory(taken);
    EXPECT_FALSE(files_->WriteAllAtomic(taken, "x"));
    EXPECT_TRUE(files_->DirectoryExists(taken));
    EXPECT_EQ(files_->Read(taken).status, ReadStatus::Unreadable);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}), 2) << "a temporary was left";

    ASSERT_TRUE(files_->WriteAllAtomic(path_, std::string(kMaxSettingsFileBytes + 1, '\n')));
    EXPECT_EQ(files_->Read(path_).status, ReadStatus::TooLarge);
    std::unique_ptr<FileSystem> other = MakeHostFileSystem();
    {
        const auto held = files_->Lock(path_, 0);
        ASSERT_NE(held, nullptr);
        EXPECT_EQ(other->Lock(path_, 50), nullptr);
    }
    EXPECT_NE(other->Lock(path_, 0), nullptr);
}

TEST_F(HostFileSystemTest, TwoProgramsSavingAtOnceKeepEveryKeyOfBoth) {
    // Each with its own file system and store, as two processes have: every key of both must be there at the end.
    auto write = [this](const char* section) {
        auto files = MakeHostFileSystem();
        auto codePage = MakeCp932CodePage();
        ProfileStore store(*files, *codePage);
        for (int key = 0; key < 60; ++key)
            EXPECT_TRUE(store.WriteString(path_, section, std::string(1, 'k').append(std::to_string(key)), "1"));
    };
    std::thread velmora(write, "Velmora"), option(write, "Option");
    velmora.join();
    option.join();
    auto codePage = MakeCp932CodePage();
    const ProfileDocument file = ProfileDocument::FromBytes(files_->Read(path_).bytes, *codePage);
    EXPECT_EQ(file.KeyNames("Velmora").size(), 60u);
    EXPECT_EQ(file.KeyNames("Option").size(), 60u);
}

}  // namespace
}  // namespace velmora::settings
