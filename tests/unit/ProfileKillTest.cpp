// A writer killed at any moment must leave setting.ini whole: the file always parses, holds the other program's lines
// unchanged, and every key holds a value the writer wrote, old or new. Native only: it starts and kills a process.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <thread>

#include "helpers/ProfileWriterProtocol.h"
#include "settings/CodePage.h"
#include "settings/FileSystem.h"
#include "settings/ProfileDocument.h"

namespace velmora {
namespace {

using namespace writer_protocol;

const std::string kSeed = "; written by hand\r\n[other]\r\nmine=1\r\n\r\n";

// Checks the file is exactly the other program's lines followed by the writer's section, its keys in order, each with
// the value of some generation; returns the generation of each key (0 before its first write).
std::vector<int> CheckFile(const std::string& bytes, settings::CodePage& codePage) {
    const auto document = settings::ProfileDocument::FromBytes(bytes, codePage);
    std::vector<int> generations(kWriterKeys, 0);
    std::string expected = kSeed;
    for (int i = 0; i < kWriterKeys; ++i) {
        const std::optional<std::string> value = document.GetString(kWriterSection, WriterKey(i));
        if (!value) break;
        if (i == 0) expected.append("[").append(*codePage.FromUtf8(kWriterSection)).append("]\r\n");
        generations[i] = settings::ParseProfileInt(value, -1);
        expected += WriterKey(i) + "=" + WriterValue(generations[i], i) + "\r\n";
    }
    EXPECT_EQ(bytes, expected);
    return generations;
}

TEST(ProfileKillTest, AKilledWriterLeavesAWholeFile) {
    const auto folder = std::filesystem::temp_directory_path() / ("velmora-kill-" + std::to_string(::getpid()));
    const std::string path = (folder / "setting.ini").string();
    const struct Cleanup {
        std::filesystem::path folder;
        ~Cleanup() { std::filesystem::remove_all(folder); }
    } cleanup{folder};
    std::filesystem::create_directories(folder);
    auto files = settings::MakeHostFileSystem();
    ASSERT_TRUE(files->WriteAllAtomic(path, kSeed));
    auto codePage = settings::MakeHostCodePage();
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delayMicroseconds(0, 4000);

    int cutShort = 0;  // kills that left a generation half written
    std::vector<int> previous(kWriterKeys, 0);
    for (int kill = 0; kill < 200 && !::testing::Test::HasFailure(); ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        const std::string command =
            "exec '" VELMORA_HELPER_DIR "/profile_writer' '" + path + "' " + std::to_string(previous[0] + 1);
        FILE* writer = ::popen(command.c_str(), "r");
        int pid = 0;
        ASSERT_TRUE(writer && std::fscanf(writer, "%d", &pid) == 1) << "the writer did not start";
        std::this_thread::sleep_for(std::chrono::microseconds(delayMicroseconds(random)));
        ::kill(pid, SIGKILL);
        const int status = ::pclose(writer);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended by itself, status " << status;

        const std::vector<int> generations = CheckFile(files->Read(path).bytes, *codePage);
        for (int i = 0; i < kWriterKeys; ++i) {
            EXPECT_GE(generations[i], previous[i]) << "a write was lost";
            EXPECT_LE(generations[i], generations[i > 0 ? i - 1 : 0]) << "written out of key order";
        }
        cutShort += generations.front() != generations.back();
        previous = generations;
        int temporaries = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            temporaries += entry.path().filename().string().starts_with("setting.ini.tmp-");
        EXPECT_LE(temporaries, 1) << "temporary files pile up";
    }
    // Otherwise the kills all came too early or too late to prove anything.
    EXPECT_GT(previous.front(), 2);
    EXPECT_GT(cutShort, 10);
}

}  // namespace
}  // namespace velmora
