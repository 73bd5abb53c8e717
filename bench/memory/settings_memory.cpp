// One read and one key write of a large settings file through the profile store, timed, for measuring the process's
// peak memory from outside (scripts/bench runs it under /usr/bin/time -v). The file is made by a run of its own
// ("settings_memory SHAPE FILE make"), so that making it does not count in the peak. Shapes: crlf4 (4 MB of launcher
// lines, CRLF), lf16 (16 MiB of them, LF), keys16 (16 MiB of short keys, CRLF).
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "settings/CodePage.h"
#include "settings/FileSystem.h"
#include "settings/ProfileStore.h"

namespace {

std::string Make(const std::string& shape) {
    const std::string eol = shape == "lf16" ? "\n" : "\r\n";
    const std::size_t size = shape == "crlf4" ? 4u << 20 : (16u << 20) - 4096;
    std::string text = "[setting]" + eol + "window=1" + eol + "[App]" + eol;
    text.reserve(size + 256);
    for (int i = 0; text.size() < size; ++i) {
        const std::string n = std::to_string(i);
        text += shape == "keys16" ? "k" + n + "=" + eol
                                  : "Application" + n + "=C:\\Program Files\\Vendor" + n +
                                        "\\Some Application\\application" + n + ".exe" + eol;
    }
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: settings_memory crlf4|lf16|keys16 FILE [make]\n");
        return 2;
    }
    const std::string shape = argv[1];
    const std::string path = argv[2];
    if (argc > 3) {
        std::ofstream(path, std::ios::binary) << Make(shape);
        return 0;
    }
    auto files = velmora::settings::MakeHostFileSystem();
    auto codePage = velmora::settings::MakeCp932CodePage();
    velmora::settings::ProfileStore store(*files, *codePage);
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const bool read = store.ReadString(path, "setting", "window").has_value();
    const auto readDone = Clock::now();
    const bool written = store.WriteString(path, "setting", "View", "2");
    const auto writeDone = Clock::now();
    const auto ms = [](Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };
    std::printf("%s: first read %.0f ms, one key written %.0f ms%s\n", shape.c_str(), ms(readDone - start),
                ms(writeDone - readDone), read && written ? "" : " (FAILED)");
    return read && written ? 0 : 1;
}
