// Writes the keys of one section through the settings store, one write per key in key order, generation after
// generation from the one given, until it is killed. Usage: profile_writer <file> <first generation>. It prints its
// process id when the writes begin.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "ProfileWriterProtocol.h"
#include "settings/CodePage.h"
#include "settings/FileSystem.h"
#include "settings/ProfileStore.h"

int main(int argc, char** argv) {
    using namespace velmora;
    using namespace velmora::writer_protocol;
    if (argc != 3) return 2;
    auto files = settings::MakeHostFileSystem();
    auto codePage = settings::MakeHostCodePage();
    settings::ProfileStore store(*files, *codePage);
    std::printf("%d\n", static_cast<int>(::getpid()));
    std::fflush(stdout);
    // Never outlives a test that died without killing it.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (int generation = std::atoi(argv[2]); std::chrono::steady_clock::now() < deadline; ++generation) {
        for (int i = 0; i < kWriterKeys; ++i)
            if (!store.WriteString(argv[1], kWriterSection, WriterKey(i), WriterValue(generation, i))) return 1;
    }
    return 0;
}
