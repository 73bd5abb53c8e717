// A writer killed at any moment must leave setting.ini whole: the file always
// parses, holds the other program's lines unchanged, and every key holds a
// value the writer wrote, old or new. Native only: it starts and kills a
// process of its own.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include "helpers/ProfileWriterProtocol.h"
#include "settings/CodePage.h"
#include "settings/FileSystem.h"
#include "settings/ProfileDocument.h"

extern char** environ;

namespace velmora {
namespace {

namespace protocol = writer_protocol;

const std::string kSeed = "; written by hand\r\n[other]\r\nmine=1\r\n\r\n";

// Starts the writer with its standard output on a pipe and waits for its
// "writes begin" byte.
pid_t StartWriter(const std::string& path) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    const std::string program = std::string(VELMORA_HELPER_DIR) + "/profile_writer";
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(path.c_str()), nullptr};
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    pollfd ready{pipeFds[0], POLLIN, 0};
    char byte = 0;
    if (pid > 0 && (::poll(&ready, 1, 20000) != 1 || ::read(pipeFds[0], &byte, 1) != 1)) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        pid = -1;
    }
    ::close(pipeFds[0]);
    return pid;
}

std::string ReadFile(const std::filesystem::path& path) {
    auto files = settings::MakeHostFileSystem();
    return files->ReadAll(path.string()).value_or("<missing>");
}

// Every line after the seed is the section's header or a key line with a
// value the writer produced; returns the generation of each key (0 before
// its first write).
std::vector<int> CheckFile(const std::string& bytes, settings::CodePage& codePage) {
    std::vector<int> generations(protocol::kWriterKeys, 0);
    EXPECT_EQ(bytes.substr(0, kSeed.size()), kSeed);
    const auto document = settings::ProfileDocument::FromBytes(bytes, codePage);
    EXPECT_EQ(document.GetString("other", "mine"), "1");
    for (int i = 0; i < protocol::kWriterKeys; ++i) {
        const auto value = document.GetString(protocol::kWriterSection, protocol::WriterKey(i));
        if (!value) continue;
        generations[i] = settings::ParseProfileInt(value, -1);
        EXPECT_EQ(*value, protocol::WriterValue(generations[i], i));
    }
    const std::string header = "[" + *codePage.FromUtf8(protocol::kWriterSection) + "]";
    std::size_t keyLines = 0;
    for (std::size_t at = kSeed.size(); at < bytes.size();) {
        const auto end = bytes.find("\r\n", at);
        EXPECT_NE(end, std::string::npos) << "the last line has no end";
        if (end == std::string::npos) break;
        const std::string line = bytes.substr(at, end - at);
        at = end + 2;
        if (line == header) continue;
        ++keyLines;
        const int index = std::atoi(line.c_str() + 1);
        if (line.rfind("K", 0) != 0 || index < 0 || index >= protocol::kWriterKeys) {
            ADD_FAILURE() << "a line the writer never wrote: " << line;
            continue;
        }
        EXPECT_EQ(line, protocol::WriterKey(index) + "=" + protocol::WriterValue(generations[index], index));
    }
    EXPECT_LE(keyLines, static_cast<std::size_t>(protocol::kWriterKeys));
    return generations;
}

TEST(ProfileKillTest, AKilledWriterLeavesAWholeFile) {
    const auto folder = std::filesystem::temp_directory_path() / ("velmora-kill-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const auto path = folder / "setting.ini";
    {
        auto files = settings::MakeHostFileSystem();
        ASSERT_TRUE(files->WriteAllAtomic(path.string(), kSeed));
    }
    auto codePage = settings::MakeHostCodePage();

    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delayMicroseconds(0, 4000);

    int cutShort = 0;  // kills that left a round half done
    std::vector<int> previous(protocol::kWriterKeys, 0);
    for (int kill = 0; kill < 200; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        const pid_t writer = StartWriter(path.string());
        ASSERT_GT(writer, 0) << "the writer did not start";
        std::this_thread::sleep_for(std::chrono::microseconds(delayMicroseconds(random)));
        ::kill(writer, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(writer, &status, 0), writer);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended by itself, status " << status;

        const std::vector<int> generations = CheckFile(ReadFile(path), *codePage);
        if (::testing::Test::HasFailure()) return;
        // Written in key order: one generation up to some key, the one before after it.
        for (int i = 1; i < protocol::kWriterKeys; ++i) {
            EXPECT_LE(generations[i], generations[i - 1]);
            EXPECT_GE(generations[i], generations[0] - 1);
        }
        // Given that order, comparing the lists compares how far the writers got.
        EXPECT_GE(generations, previous) << "a write was lost";
        if (generations.front() != generations.back()) ++cutShort;
        previous = generations;

        std::size_t temporaries = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            if (entry.path().filename().string().rfind("setting.ini.tmp-", 0) == 0) ++temporaries;
        }
        EXPECT_LE(temporaries, 1u) << "temporary files pile up";
    }
    ::testing::Test::RecordProperty("rounds_cut_short", cutShort);
    ::testing::Test::RecordProperty("last_generation", previous.front());
    // Otherwise the kills all came too early or too late to prove anything.
    EXPECT_GT(previous.front(), 2);
    EXPECT_GT(cutShort, 10);
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace velmora
