// The timer's polled read against real writers: a write of ours shows in the very next read; the platform's own
// write, which moves no counter of ours, shows within a short wait (only the folder watch can tell of it).
#include <gtest/gtest.h>
#include <windows.h>

#include "helpers/ProfileWriterProtocol.h"
#include "platform/win32/kit/WinString.h"
#include "settings/CodePage.h"
#include "settings/FileSystem.h"
#include "settings/ProfileStore.h"

namespace velmora::win32 {
namespace {

using namespace writer_protocol;

TEST(PolledRead, SeesOurWriteAtOnceAndAnotherWritersWithinAShortWait) {
    const std::string path = ::testing::TempDir() + "velmora-polled.ini";
    DeleteFileW(Widen(path).c_str());
    auto files = settings::MakeHostFileSystem(), ourFiles = settings::MakeHostFileSystem();
    auto codePage = settings::MakeHostCodePage();
    settings::ProfileStore reader(*files, *codePage), ours(*ourFiles, *codePage);
    const auto poll = [&] { return reader.PollInt(path, kWriterSection, WriterKey(0), -1); };
    const auto awaited = [&](int wanted) {  // polled for up to about five seconds
        int value = poll();
        for (int i = 0; i < 250 && value < wanted; ++i, Sleep(20)) value = poll();
        return value;
    };
    EXPECT_EQ(poll(), -1);
    ASSERT_TRUE(ours.WriteString(path, kWriterSection, WriterKey(0), "7"));
    EXPECT_EQ(poll(), 7);
    WritePrivateProfileStringW(Widen(kWriterSection).c_str(), L"K0", L"18", Widen(path).c_str());
    EXPECT_EQ(awaited(18), 18);
}

}  // namespace
}  // namespace velmora::win32
