// The timer's polled read against real writers: a write of ours shows in the very next read; the platform's own
// write, which moves no counter of ours, shows within a short wait (only the folder watch can tell of it).
#include <gtest/gtest.h>
#include <windows.h>

#include "helpers/WaitFor.h"
#include "platform/win32/kit/WinString.h"
#include "settings/CodePage.h"
#include "settings/FileSystem.h"
#include "settings/ProfileStore.h"

namespace velmora::win32 {
namespace {

TEST(PolledRead, SeesOurWriteAtOnceAndAnotherWritersWithinAShortWait) {
    const std::string path = ::testing::TempDir() + "velmora-polled.ini";
    DeleteFileW(Widen(path).c_str());
    auto files = settings::MakeHostFileSystem(), ourFiles = settings::MakeHostFileSystem();
    auto codePage = settings::MakeHostCodePage();
    settings::ProfileStore reader(*files, *codePage), ours(*ourFiles, *codePage);
    const auto poll = [&] { return reader.PollInt(path, "Velmora", "Grid", -1); };
    EXPECT_EQ(poll(), -1);
    ASSERT_TRUE(ours.WriteString(path, "Velmora", "Grid", "7"));
    EXPECT_EQ(poll(), 7);
    WritePrivateProfileStringW(L"Velmora", L"Grid", L"18", Widen(path).c_str());
    EXPECT_TRUE(WaitFor([&] { return poll() == 18; }, 5000));
}

}  // namespace
}  // namespace velmora::win32
