#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings/CodePage.h"

namespace velmora::settings {

// How the file's bytes are encoded. A file keeps its encoding on save, except
// that an ANSI file that must hold a character the code page cannot represent
// is written as UTF-8 with a byte-order mark instead (never "?").
enum class FileEncoding { Ansi, Utf8Bom, Utf16LeBom };

// One profile (INI) file in memory, with the semantics of the platform's
// profile functions for everything such a file can hold:
//  - "[name]" lines open sections; "key=value" lines under them are keys;
//  - section and key names match without regard to case (ASCII letters);
//  - blanks around keys and values are dropped; a value wrapped in matching
//    double or single quotes reads without them;
//  - the first of duplicate sections and the first of duplicate keys win;
//  - lines without "=" and ";" comment lines are never keys;
//  - keys above the first section belong to the unnamed section "".
// Edits keep every other line byte for byte (comments, blank lines, order,
// line endings, keys of the other program).
class ProfileDocument {
public:
    ProfileDocument() = default;  // an empty (missing) file

    // Decodes a file: UTF-8 or UTF-16LE when it starts with their byte-order
    // mark, the ANSI code page otherwise. Never fails: bytes the code page
    // cannot decode are kept as they are on unchanged lines.
    static ProfileDocument FromBytes(std::string_view bytes, settings::CodePage& codePage);
    // Parses UTF-8 text (no byte-order mark); the result saves as ANSI.
    static ProfileDocument FromText(std::string_view utf8);

    // The file's bytes; unchanged lines come back exactly as read.
    std::string ToBytes(settings::CodePage& codePage) const;

    // Value of a key (quotes removed), or nullopt when the section or key is missing.
    std::optional<std::string> GetString(std::string_view section, std::string_view key) const;
    // Key names of the first section of that name, in file order, each once;
    // an empty name ("=x") is listed like any other.
    std::vector<std::string> KeyNames(std::string_view section) const;
    // Key and value of every key line of the section, as stored (quotes kept).
    std::vector<std::pair<std::string, std::string>> SectionEntries(std::string_view section) const;
    bool HasSection(std::string_view section) const;
    std::vector<std::string> SectionNames() const;

    // Writes a value: replaces it where the key stands, or appends the key to
    // its section, or appends the section to the file. nullopt removes the key.
    void SetString(std::string_view section, std::string_view key, std::optional<std::string_view> value);
    // Removes every section of that name with all its keys.
    void RemoveSection(std::string_view section);

    FileEncoding encoding() const { return encoding_; }

    struct Line {
        std::string raw;      // the line's bytes as read, in the file's encoding, without its end
        std::string text;     // the same line as UTF-8
        std::string ending;   // "\r\n", "\n", "\r" or "" for a last line without one
        bool edited = false;  // raw no longer valid: encode text on save
        bool decoded = true;  // text is an exact reading of raw (not patched with U+FFFD)
    };

private:
    // What the lines mean, worked out once per change so that reads do no
    // parsing.
    struct Key {
        std::size_t line;
        std::string name;    // blanks around it dropped
        std::string stored;  // the value with blanks dropped, quotes kept
        std::string value;   // the value as read: quotes removed
        bool first;          // no key of the same name comes before it in its section
    };
    struct Section {
        std::string name;      // blanks around it dropped; "" for the lines above the first header
        std::size_t header;    // line of its header, kNoLine for the lines above the first one
        std::size_t end;       // one past its last line: the next header, or the end of the file
        std::size_t firstKey;  // its keys are keys_[firstKey, endKey)
        std::size_t endKey;
    };
    static constexpr std::size_t kNoLine = static_cast<std::size_t>(-1);

    void Reindex();
    const Section* FindSection(std::string_view name) const;
    const Key* FindKey(const Section& section, std::string_view name) const;
    void InsertLine(std::size_t at, std::string text);

    std::vector<Line> lines_;
    FileEncoding encoding_ = FileEncoding::Ansi;
    std::string defaultEnding_ = "\r\n";
    // File order; [0] is always the part above the first header.
    std::vector<Section> sections_{Section{"", kNoLine, 0, 0, 0}};
    std::vector<Key> keys_;  // file order
};

// The platform's integer read of a profile value: the leading decimal number
// with its sign. A missing, empty or non-numeric value gives the default; a
// number beyond 32 bits is clamped, never wrapped.
std::int32_t ParseProfileInt(const std::optional<std::string>& value, std::int32_t defaultValue);

}  // namespace velmora::settings
