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

// How the file's bytes are encoded. A file keeps its encoding on save, except that an ANSI file that must hold a
// character the code page cannot represent is written as UTF-8 with a byte-order mark instead (never "?").
enum class FileEncoding { Ansi, Utf8Bom, Utf16LeBom };

using ProfileEntries = std::vector<std::pair<std::string, std::string>>;

// One profile (INI) file in memory, with the semantics of the platform's profile functions for everything such a
// file can hold:
//  - "[name]" lines open sections; "key=value" lines under them are keys;
//  - section and key names match without regard to case (ASCII letters);
//  - blanks around keys and values are dropped; a value wrapped in matching double or single quotes reads without
//    them;
//  - the first of duplicate sections and the first of duplicate keys win;
//  - lines without "=" and ";" comment lines are never keys;
//  - keys above the first section belong to the unnamed section "".
// Edits keep every other line byte for byte (comments, blank lines, order, line endings, keys of the other program,
// bytes the code page cannot decode).
//
// The file's bytes are kept as they are and are what a save writes; the lines are offsets into them (and into
// their UTF-8 reading, when that differs), so a document costs about twice its file's size plus a few bytes a line.
class ProfileDocument {
public:
    ProfileDocument() = default;  // an empty (missing) file, saved in the ANSI code page

    // Decodes a file: UTF-8 or UTF-16LE when it starts with their byte-order mark, the ANSI code page otherwise.
    // Never fails: bytes the code page cannot decode are kept as they are on unchanged lines. The code page is kept
    // for the edits and must outlive the document.
    static ProfileDocument FromBytes(std::string_view bytes, CodePage& codePage);
    // Whether FromBytes can read the bytes: not a UTF-16 big-endian file, which would otherwise be taken for ANSI
    // and appended to in another encoding.
    static bool Readable(std::string_view bytes);

    // The file's bytes; unchanged lines come back exactly as read.
    const std::string& Bytes() const { return bytes_; }

    // Value of a key (quotes removed), or nullopt when the section or key is missing.
    std::optional<std::string> GetString(std::string_view section, std::string_view key) const;
    // Key names of the first section of that name, in file order, each once; an empty name ("=x") is listed like any
    // other.
    std::vector<std::string> KeyNames(std::string_view section) const;
    // Key and value of every key line of the section, as stored (quotes kept).
    ProfileEntries SectionEntries(std::string_view section) const;
    bool HasSection(std::string_view section) const;
    std::vector<std::string> SectionNames() const;

    // Writes a value: replaces it where the key stands, or appends the key to its section, or appends the section
    // to the file. nullopt removes the key, every copy of it.
    void SetString(std::string_view section, std::string_view key, std::optional<std::string_view> value);
    // Removes every section of that name with all its keys.
    void RemoveSection(std::string_view section);
    // The section holds exactly these entries, in this order: when it holds them already it is left alone;
    // otherwise every section of that name goes and one is appended at the end, where an entry equal to a line the
    // file held keeps that line's bytes.
    void SetSection(std::string_view section, const ProfileEntries& entries);

    FileEncoding encoding() const { return encoding_; }
    // Counts the edits that changed the file's bytes.
    std::uint64_t Revision() const { return revision_; }

private:
    struct Key {
        std::uint32_t line;
        std::uint32_t nameAt, nameLength;    // in the text, blanks around it dropped
        std::uint32_t valueAt, valueLength;  // the value as read: blanks dropped, then quotes removed
        bool quoted;                         // the value was stored in quotes, one character each side
    };
    struct Section {
        std::uint32_t nameAt, nameLength;  // blanks around it dropped; empty for the lines above the first header
        std::size_t header;                // line of its header, kNoLine for the lines above the first one
        std::size_t end;                   // one past its last line: the next header, or the end of the file
        std::size_t firstKey;              // its keys are keys_[firstKey, endKey)
        std::size_t endKey;
    };
    static constexpr std::size_t kNoLine = static_cast<std::size_t>(-1);
    // Lines of an edited file: a run the file holds (by number), or one new line (UTF-8, without its end).
    struct Piece {
        std::size_t first;
        std::size_t count;
        std::string text;
        std::optional<std::string> ending;  // a new line's end; the file's usual one when not given
    };
    static Piece Keep(std::size_t first, std::size_t count) { return {first, count, {}, {}}; }
    static Piece New(std::string text, std::optional<std::string> ending = std::nullopt) {
        return {kNoLine, 1, std::move(text), std::move(ending)};
    }

    void Parse();
    void Reindex();
    std::string_view Text() const;
    std::size_t LineCount() const { return lineBytes_.size(); }
    // The line's text without its end, and its end ("\r\n", "\n", "\r", or "" for a last line without one).
    std::string_view LineText(std::size_t line) const;
    std::string_view LineEnding(std::size_t line) const;
    std::string_view LineBytes(std::size_t line) const;
    std::string_view View(std::uint32_t at, std::uint32_t length) const { return Text().substr(at, length); }
    const Section* FindSection(std::string_view name) const;
    const Key* FindKey(const Section& section, std::string_view name) const;
    // The value as stored: quotes kept.
    std::string_view Stored(const Key& key) const;
    // The file made anew from these lines: kept lines keep their bytes, new ones are encoded.
    void Rebuild(std::vector<Piece> pieces);
    void ReplaceSection(std::string_view section, const std::optional<ProfileEntries>& entries);
    bool EncodeLine(std::string_view text, std::string& out) const;
    void ConvertToUtf8();

    CodePage* codePage_ = nullptr;
    FileEncoding encoding_ = FileEncoding::Ansi;
    std::string bytes_;                    // the whole file, byte-order mark included
    std::vector<std::uint32_t> lineBytes_;  // where each line starts in bytes_
    std::string text_;                     // the lines as UTF-8, when that is not bytes_ after its mark
    std::vector<std::uint32_t> lineText_;   // where each line starts in text_; empty when text_ is not used
    std::string defaultEnding_ = "\r\n";
    std::uint64_t revision_ = 0;
    // File order; [0] is always the part above the first header.
    std::vector<Section> sections_{Section{0, 0, kNoLine, 0, 0, 0}};
    std::vector<Key> keys_;  // file order
};

// The platform's integer read of a profile value: the leading decimal number with its sign. A missing, empty or
// non-numeric value gives the default; a number beyond 32 bits is clamped, never wrapped.
std::int32_t ParseProfileInt(const std::optional<std::string>& value, std::int32_t defaultValue);

}  // namespace velmora::settings
