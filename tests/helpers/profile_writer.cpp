// Rewrites the keys of one section through the settings store, one write per
// key, round after round, until it is killed. Usage: profile_writer <file>.
//
// Round g writes generation g to K0, K1, ... in order. A writer that starts on
// a file where a round was cut short finishes that round first, so at any
// moment the keys hold generation g up to some key and g - 1 after it.
#include <chrono>
#include <cstdio>
#include <vector>

#include "ProfileWriterProtocol.h"
#include "settings/CodePage.h"
#include "settings/FileSystem.h"
#include "settings/ProfileDocument.h"
#include "settings/ProfileStore.h"

using namespace velmora;
namespace protocol = velmora::writer_protocol;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: profile_writer <file>\n");
        return 2;
    }
    const std::string path = argv[1];
    auto files = settings::MakeHostFileSystem();
    auto codePage = settings::MakeHostCodePage();
    settings::ProfileStore store(*files, *codePage);

    std::vector<int> generations;
    for (int i = 0; i < protocol::kWriterKeys; ++i) {
        generations.push_back(
            settings::ParseProfileInt(store.ReadString(path, protocol::kWriterSection, protocol::WriterKey(i)), 0));
    }
    int generation = generations[0] == 0 ? 1 : generations[0];
    int next = 0;
    while (next < protocol::kWriterKeys && generations[next] == generation) ++next;
    if (next == protocol::kWriterKeys) {
        ++generation;
        next = 0;
    }

    // Tells the test that start-up is over and the writes begin.
    std::fputc('!', stdout);
    std::fflush(stdout);

    // Never outlives a test that died without killing it.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        for (; next < protocol::kWriterKeys; ++next) {
            if (!store.WriteString(path, protocol::kWriterSection, protocol::WriterKey(next),
                                   protocol::WriterValue(generation, next))) {
                std::fprintf(stderr, "profile_writer: cannot write %s\n", path.c_str());
                return 1;
            }
        }
        next = 0;
        ++generation;
    }
    return 0;
}
