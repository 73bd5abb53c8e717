// Feeds arbitrary bytes to the profile-file engine as a file, then applies a
// few edits chosen by the input and checks the invariants every save must keep:
// what was written reads back, other keys are untouched, and the saved bytes
// parse to the same answers.
#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/CodePage.h"
#include "settings/ProfileDocument.h"

using velmora::settings::ProfileDocument;

namespace {

velmora::settings::CodePage& Cp932() {
    static auto codePage = velmora::settings::MakeCp932CodePage();
    return *codePage;
}

// Takes a short name out of the input: section and key names are kept small so
// that edits often hit names the file already has.
std::string TakeName(std::string_view& input) {
    if (input.empty()) return "k";
    const size_t length = static_cast<unsigned char>(input[0]) % 4 + 1;
    input.remove_prefix(1);
    const std::string_view raw = input.substr(0, length);
    input.remove_prefix(std::min(length, input.size()));
    // Callers pass valid UTF-8 without line breaks or NULs; high bytes become
    // a Japanese character or one Shift_JIS cannot hold, so both the ANSI file
    // and the switch to UTF-8 are exercised.
    std::string name;
    for (char c : raw) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0xC0) {
            name += "\xF0\x9F\x98\x80";  // U+1F600, outside Shift_JIS
        } else if (byte >= 0x80) {
            name += "\xE3\x81\x82";  // U+3042
        } else if (byte < 0x20 || c == '=' || c == '[' || c == ']' || c == ';' || c == '"' || c == '\'') {
            name += 'x';
        } else {
            name += c;
        }
    }
    while (!name.empty() && (name.front() == ' ' || name.front() == '\t')) name.erase(0, 1);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
    return name.empty() ? std::string("k") : name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.empty() ? 0 : static_cast<unsigned char>(input[0]) * input.size() / 256;
    const std::string_view fileBytes = input.substr(0, split);
    std::string_view ops = input.substr(split);

    ProfileDocument document = ProfileDocument::FromBytes(fileBytes, Cp932());
    // An untouched document saves to exactly the bytes it was read from.
    if (document.Bytes() != fileBytes) __builtin_trap();

    for (int round = 0; round < 4 && !ops.empty(); ++round) {
        const int op = static_cast<unsigned char>(ops[0]) % 4;
        ops.remove_prefix(1);
        const std::string section = TakeName(ops);
        const std::string key = TakeName(ops);
        const std::string value = "v" + TakeName(ops);
        if (op == 0) {
            document.SetString(section, key, value);
            if (document.GetString(section, key) != value) __builtin_trap();
        } else if (op == 1) {
            document.SetString(section, key, std::nullopt);
            if (document.GetString(section, key).has_value()) __builtin_trap();
        } else if (op == 2) {
            document.RemoveSection(section);
            if (document.HasSection(section)) __builtin_trap();
        } else {
            // A section set to entries holds exactly them afterwards (names as the file can hold them).
            const velmora::settings::ProfileEntries entries{{"k" + key, value}, {"m" + key, "w" + value}};
            document.SetSection(section, entries);
            if (!section.empty() && document.SectionEntries(section) != entries) __builtin_trap();
        }
    }

    const std::string saved = document.Bytes();
    const ProfileDocument reread = ProfileDocument::FromBytes(saved, Cp932());
    for (const std::string& section : document.SectionNames()) {
        for (const std::string& key : document.KeyNames(section)) {
            if (reread.GetString(section, key) != document.GetString(section, key)) __builtin_trap();
        }
    }
    return 0;
}
