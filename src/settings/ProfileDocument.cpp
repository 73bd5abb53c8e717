#include "settings/ProfileDocument.h"

#include <algorithm>
#include <limits>
#include <map>
#include <unordered_set>

#include "settings/TextCodec.h"

namespace velmora::settings {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";

// The blanks the platform drops around names and values.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n'; }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Letter case is ignored for ASCII letters only. Every name the programs use
// is ASCII or Japanese, which has no case; folding full-width or accented
// letters would need tables for a case that never arises.
bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

std::string Folded(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) c = FoldAscii(c);
    return folded;
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

bool IsAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

// ---- the file's lines ------------------------------------------------------

// Calls emit(raw, ending) for every line of the body. A line ends at CR LF, LF
// or a lone CR; the last line may have no end. `unit` is the code unit size:
// 2 for UTF-16LE, where a line end is a whole 16-bit unit. For the ANSI code
// pages looking at single bytes is safe: CR and LF never occur as the second
// byte of a double-byte character.
template <typename Emit>
void SplitLines(std::string_view body, std::size_t unit, Emit&& emit) {
    const auto at = [&](std::size_t i) {
        return unit == 1 ? static_cast<unsigned>(static_cast<unsigned char>(body[i])) : Utf16Unit(body, i);
    };
    const std::size_t whole = body.size() - body.size() % unit;
    std::size_t start = 0;
    for (std::size_t i = 0; i < whole;) {
        const unsigned c = at(i);
        if (c != '\r' && c != '\n') {
            i += unit;
            continue;
        }
        std::string_view ending = "\n";
        std::size_t next = i + unit;
        if (c == '\r') {
            if (next < whole && at(next) == '\n') {
                ending = "\r\n";
                next += unit;
            } else {
                ending = "\r";
            }
        }
        emit(body.substr(start, i - start), ending);
        start = i = next;
    }
    if (start < body.size()) emit(body.substr(start), std::string_view());
}

// One line of an ANSI file as UTF-8. A line the code page rejects as a whole
// is read character by character (the code pages in question have at most two
// bytes per character), each bad byte standing in as U+FFFD. When `mixed` is
// given it receives the same text with the bad bytes themselves instead.
std::string DecodeAnsiLine(std::string_view raw, settings::CodePage& codePage, bool& exact,
                           std::string* mixed = nullptr) {
    if (IsAscii(raw)) return std::string(raw);
    if (auto text = codePage.ToUtf8(raw)) return *std::move(text);
    exact = false;
    std::string out;
    for (std::size_t at = 0; at < raw.size();) {
        std::optional<std::string> piece;
        std::size_t length = 1;
        if (static_cast<unsigned char>(raw[at]) < 0x80) {
            piece = std::string(1, raw[at]);
        } else {
            for (std::size_t tried = 1; tried <= 2 && at + tried <= raw.size(); ++tried) {
                piece = codePage.ToUtf8(raw.substr(at, tried));
                if (piece) {
                    length = tried;
                    break;
                }
            }
        }
        if (piece) {
            out += *piece;
            if (mixed) *mixed += *piece;
            at += length;
        } else {
            out += kReplacementCharacter;
            if (mixed) *mixed += raw[at];
            ++at;
        }
    }
    return out;
}

// A line of an ANSI file that is going over to UTF-8. Its readable characters become UTF-8 and its bad bytes stay
// as they are, as long as the result reads back as the same text; otherwise (bad bytes that happen to form UTF-8)
// the text is written, so that the file means what it meant.
std::string AnsiLineAsUtf8(std::string_view raw, CodePage& codePage) {
    bool exact = true;
    std::string mixed;
    const std::string text = DecodeAnsiLine(raw, codePage, exact, &mixed);
    if (exact) return text;
    return PatchUtf8(mixed) == text ? mixed : text;
}

std::string_view Bom(FileEncoding encoding) {
    switch (encoding) {
        case FileEncoding::Utf8Bom:
            return kUtf8Bom;
        case FileEncoding::Utf16LeBom:
            return kUtf16LeBom;
        case FileEncoding::Ansi:
            break;
    }
    return {};
}

std::uint32_t Offset(std::size_t value) { return static_cast<std::uint32_t>(value); }

}  // namespace

ProfileDocument ProfileDocument::FromBytes(std::string_view bytes, CodePage& codePage) {
    ProfileDocument document;
    document.codePage_ = &codePage;
    if (bytes.starts_with(kUtf8Bom)) {
        document.encoding_ = FileEncoding::Utf8Bom;
    } else if (bytes.starts_with(kUtf16LeBom)) {
        document.encoding_ = FileEncoding::Utf16LeBom;
    }
    document.bytes_ = bytes;
    document.Parse();
    return document;
}

bool ProfileDocument::Readable(std::string_view bytes) { return !bytes.starts_with("\xFE\xFF"); }

void ProfileDocument::Parse() {
    // Given back, not only emptied: the index of a large file is most of what the document costs.
    lineBytes_ = {};
    lineText_ = {};
    text_ = {};
    const std::size_t bom = Bom(encoding_).size();
    const std::string_view body = std::string_view(bytes_).substr(bom);
    // The text is the body itself when every line reads as it is: only then are no offsets of its own needed.
    const bool same = (encoding_ == FileEncoding::Ansi && IsAscii(body)) ||
                      (encoding_ == FileEncoding::Utf8Bom && IsUtf8(body));
    bool endingSeen = false;
    const std::size_t unit = encoding_ == FileEncoding::Utf16LeBom ? 2 : 1;
    SplitLines(body, unit, [&](std::string_view raw, std::string_view ending) {
        lineBytes_.push_back(Offset(raw.data() - bytes_.data()));
        if (!endingSeen && !ending.empty()) {
            defaultEnding_ = ending;
            endingSeen = true;
        }
        if (same) return;
        lineText_.push_back(Offset(text_.size()));
        bool exact = true;
        switch (encoding_) {
            case FileEncoding::Ansi:
                text_ += DecodeAnsiLine(raw, *codePage_, exact);
                break;
            case FileEncoding::Utf8Bom:
                text_ += PatchUtf8(raw);
                break;
            case FileEncoding::Utf16LeBom:
                text_ += Utf16LeToUtf8(raw, exact);
                break;
        }
        text_ += ending;
    });
    Reindex();
}

std::string_view ProfileDocument::Text() const {
    if (!lineText_.empty()) return text_;
    return std::string_view(bytes_).substr(Bom(encoding_).size());
}

std::string_view ProfileDocument::LineBytes(std::size_t line) const {
    const std::size_t end = line + 1 < LineCount() ? lineBytes_[line + 1] : bytes_.size();
    return std::string_view(bytes_).substr(lineBytes_[line], end - lineBytes_[line]);
}

std::string_view ProfileDocument::LineEnding(std::size_t line) const {
    const std::size_t start = lineText_.empty() ? lineBytes_[line] - Bom(encoding_).size() : lineText_[line];
    std::size_t end = Text().size();
    if (line + 1 < LineCount()) end = lineText_.empty() ? lineBytes_[line + 1] - Bom(encoding_).size() : lineText_[line + 1];
    const std::string_view whole = Text().substr(start, end - start);
    if (whole.ends_with("\r\n")) return whole.substr(whole.size() - 2);
    if (whole.ends_with('\n') || whole.ends_with('\r')) return whole.substr(whole.size() - 1);
    return {};
}

std::string_view ProfileDocument::LineText(std::size_t line) const {
    const std::size_t start = lineText_.empty() ? lineBytes_[line] - Bom(encoding_).size() : lineText_[line];
    const std::string_view ending = LineEnding(line);
    return Text().substr(start, static_cast<std::size_t>(ending.data() - Text().data()) + ending.size() - start -
                                    ending.size());
}

void ProfileDocument::Reindex() {
    sections_.assign(1, Section{0, 0, kNoLine, 0, 0, 0});
    keys_.clear();
    const std::string_view all = Text();
    auto at = [&](std::string_view part) { return Offset(part.data() - all.data()); };
    for (std::size_t i = 0; i < LineCount(); ++i) {
        const std::string_view text = Trim(LineText(i));
        if (text.empty() || text.front() == ';') continue;
        if (text.front() == '[') {
            // The name runs to the last "]", so "[a]b]" is section "a]b" and "[s] note" is "s". A "[" line without
            // "]" is no header and, like any other line that is not a key, is passed over.
            const auto close = text.rfind(']');
            if (close == std::string_view::npos) continue;
            sections_.back().end = i;
            const std::string_view name = Trim(text.substr(1, close - 1));
            sections_.push_back(Section{at(name), Offset(name.size()), i, 0, keys_.size(), keys_.size()});
            continue;
        }
        const auto equals = text.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string_view name = Trim(text.substr(0, equals));
        const std::string_view stored = Trim(text.substr(equals + 1));
        const std::string_view value = Unquote(stored);
        keys_.push_back(Key{Offset(i), at(name), Offset(name.size()), at(value), Offset(value.size()),
                            value.size() != stored.size()});
        sections_.back().endKey = keys_.size();
    }
    sections_.back().end = LineCount();
}

const ProfileDocument::Section* ProfileDocument::FindSection(std::string_view name) const {
    name = Trim(name);
    for (const Section& section : sections_) {
        // The lines above the first header are section "" only once they hold a key; otherwise a "[]" further
        // down is the first of that name.
        if (section.header == kNoLine && section.firstKey == section.endKey) continue;
        if (SameName(View(section.nameAt, section.nameLength), name)) return &section;
    }
    return nullptr;
}

const ProfileDocument::Key* ProfileDocument::FindKey(const Section& section, std::string_view name) const {
    name = Trim(name);
    for (std::size_t i = section.firstKey; i < section.endKey; ++i) {
        if (SameName(View(keys_[i].nameAt, keys_[i].nameLength), name)) return &keys_[i];
    }
    return nullptr;
}

std::optional<std::string> ProfileDocument::GetString(std::string_view section, std::string_view key) const {
    const Section* found = FindSection(section);
    if (found == nullptr) return std::nullopt;
    const Key* entry = FindKey(*found, key);
    if (entry == nullptr) return std::nullopt;
    return std::string(View(entry->valueAt, entry->valueLength));
}

std::vector<std::string> ProfileDocument::KeyNames(std::string_view section) const {
    std::vector<std::string> names;
    const Section* found = FindSection(section);
    if (found == nullptr) return names;
    // Each name once, as the first of its duplicates.
    std::unordered_set<std::string> seen;
    for (std::size_t i = found->firstKey; i < found->endKey; ++i) {
        const std::string_view name = View(keys_[i].nameAt, keys_[i].nameLength);
        if (seen.insert(Folded(name)).second) names.emplace_back(name);
    }
    return names;
}

std::string_view ProfileDocument::Stored(const Key& key) const {
    return key.quoted ? View(key.valueAt - 1, key.valueLength + 2) : View(key.valueAt, key.valueLength);
}

ProfileEntries ProfileDocument::SectionEntries(std::string_view section) const {
    ProfileEntries entries;
    const Section* found = FindSection(section);
    if (found == nullptr) return entries;
    for (std::size_t i = found->firstKey; i < found->endKey; ++i) {
        entries.emplace_back(View(keys_[i].nameAt, keys_[i].nameLength), Stored(keys_[i]));
    }
    return entries;
}

bool ProfileDocument::HasSection(std::string_view section) const { return FindSection(section) != nullptr; }

std::vector<std::string> ProfileDocument::SectionNames() const {
    std::vector<std::string> names;
    for (const Section& section : sections_) {
        const std::string_view name = View(section.nameAt, section.nameLength);
        if (FindSection(name) == &section) names.emplace_back(name);
    }
    return names;
}

// --- Edits ------------------------------------------------------------------------------------------------------

bool ProfileDocument::EncodeLine(std::string_view text, std::string& out) const {
    if (encoding_ == FileEncoding::Utf16LeBom) {
        out += Utf8ToUtf16Le(text);
    } else if (encoding_ == FileEncoding::Utf8Bom || IsAscii(text)) {
        out += text;
    } else if (auto bytes = codePage_ ? codePage_->FromUtf8(text) : std::nullopt) {
        out += *bytes;
    } else {
        return false;  // no form in the code page
    }
    return true;
}

void ProfileDocument::ConvertToUtf8() {
    // Some new text has no form in the code page. Rather than write "?" for it, the whole file goes to UTF-8, which
    // both programs and the platform read by its byte-order mark. The bytes of a line that never decoded are kept
    // where they can be.
    std::string out(kUtf8Bom);
    for (std::size_t i = 0; i < LineCount(); ++i) {
        const std::string_view ending = LineEnding(i);
        const std::string_view raw = LineBytes(i);
        out += AnsiLineAsUtf8(raw.substr(0, raw.size() - ending.size()), *codePage_);
        out += ending;
    }
    encoding_ = FileEncoding::Utf8Bom;
    bytes_ = std::move(out);
    Parse();
}

void ProfileDocument::Rebuild(std::vector<Piece> pieces) {
    // The last piece that brings a line: its last line may stay without an end, as it was read.
    std::size_t lastPiece = 0;
    for (std::size_t p = 0; p < pieces.size(); ++p) {
        if (pieces[p].count > 0) lastPiece = p;
    }
    for (;;) {
        std::string out(Bom(encoding_));
        std::string ending;
        EncodeLine(defaultEnding_, ending);
        bool encoded = true;
        for (std::size_t p = 0; p < pieces.size() && encoded; ++p) {
            const Piece& piece = pieces[p];
            const bool last = p == lastPiece;
            if (piece.first == kNoLine) {
                encoded = EncodeLine(piece.text, out);
                if (piece.ending) {
                    EncodeLine(*piece.ending, out);
                } else {
                    out += ending;
                }
                continue;
            }
            for (std::size_t line = piece.first; line < piece.first + piece.count; ++line) {
                // Only the last line can lack an end; a line placed after it needs one there. A stray last byte of a
                // UTF-16 file can stay only while nothing follows it: after it every unit would be off by one.
                const bool needsEnding = LineEnding(line).empty() && !(last && line + 1 == piece.first + piece.count);
                if (!needsEnding) {
                    out += LineBytes(line);
                } else if (encoding_ == FileEncoding::Utf16LeBom && LineBytes(line).size() % 2 != 0) {
                    EncodeLine(LineText(line), out);
                    out += ending;
                } else {
                    out += LineBytes(line);
                    out += ending;
                }
            }
        }
        // An ANSI file must not begin like a byte-order mark: it would be read back in another encoding.
        if (encoded && encoding_ == FileEncoding::Ansi && (out.starts_with(kUtf8Bom) || out.starts_with(kUtf16LeBom))) {
            encoded = false;
        }
        if (encoded) {
            bytes_ = std::move(out);
            ++revision_;
            Parse();
            return;
        }
        ConvertToUtf8();  // keeps the lines and their numbers; the next round encodes as UTF-8
    }
}

void ProfileDocument::SetString(std::string_view section, std::string_view key, std::optional<std::string_view> value) {
    const std::string_view sectionName = Trim(section);
    const std::string_view keyName = Trim(key);
    const Section* found = FindSection(sectionName);
    const std::size_t lines = LineCount();

    if (!value) {
        if (found == nullptr) return;
        // Every copy goes, not just the first: otherwise the next one would surface and the key would seem to come
        // back with an older value.
        std::vector<Piece> kept;
        std::size_t from = 0;
        for (std::size_t i = found->firstKey; i < found->endKey; ++i) {
            if (!SameName(View(keys_[i].nameAt, keys_[i].nameLength), keyName)) continue;
            kept.push_back(Keep(from, keys_[i].line - from));
            from = keys_[i].line + 1;
        }
        if (kept.empty()) return;
        kept.push_back(Keep(from, lines - from));
        Rebuild(std::move(kept));
        return;
    }

    if (found != nullptr) {
        if (const Key* entry = FindKey(*found, keyName)) {
            // The value it holds already: the file stays as it is.
            if (View(entry->valueAt, entry->valueLength) == *value) return;
            // The line is written anew as the platform writes it, keeping the key's own spelling: indentation and
            // blanks around "=" go.
            const std::size_t line = entry->line;
            Rebuild({Keep(0, line),
                     New(std::string(View(entry->nameAt, entry->nameLength)) + "=" + std::string(*value),
                         std::string(LineEnding(line))),
                     Keep(line + 1, lines - line - 1)});
        } else {
            // After the section's last key, so that blank lines and comments that end the section stay between it
            // and the next header.
            const std::size_t at =
                found->firstKey != found->endKey ? keys_[found->endKey - 1].line + 1 : found->header + 1;
            Rebuild({Keep(0, at), New(std::string(keyName) + "=" + std::string(*value)), Keep(at, lines - at)});
        }
    } else if (sectionName.empty()) {
        Rebuild({New(std::string(keyName) + "=" + std::string(*value)), Keep(0, lines)});
    } else {
        std::string header(1, '[');
        header.append(sectionName).push_back(']');
        Rebuild({Keep(0, lines), New(std::move(header)), New(std::string(keyName) + "=" + std::string(*value))});
    }
}

void ProfileDocument::RemoveSection(std::string_view section) { ReplaceSection(section, std::nullopt); }

void ProfileDocument::SetSection(std::string_view section, const ProfileEntries& entries) {
    ReplaceSection(section, entries);
}

void ProfileDocument::ReplaceSection(std::string_view section, const std::optional<ProfileEntries>& given) {
    const std::string_view name = Trim(section);
    // Two entries of one name are one key, as two writes of it would leave it: where the first stood, with the
    // value of the last.
    std::optional<ProfileEntries> entries;
    if (given) {
        entries.emplace();
        for (const auto& entry : *given) {
            auto same = std::find_if(entries->begin(), entries->end(),
                                     [&](const auto& earlier) { return SameName(earlier.first, entry.first); });
            if (same != entries->end()) {
                same->second = entry.second;
            } else {
                entries->push_back(entry);
            }
        }
    }
    std::vector<Piece> pieces;
    std::map<std::pair<std::string_view, std::string_view>, std::size_t> held;  // entry -> its first line
    std::size_t from = 0;
    std::size_t named = 0;
    for (const Section& candidate : sections_) {
        if (!SameName(View(candidate.nameAt, candidate.nameLength), name)) continue;
        if (candidate.header != kNoLine) ++named;
        for (std::size_t i = candidate.firstKey; i < candidate.endKey; ++i) {
            held.emplace(std::pair(View(keys_[i].nameAt, keys_[i].nameLength), Stored(keys_[i])), keys_[i].line);
        }
        if (candidate.header == kNoLine) {
            // Above the first header only the keys go; comments at the top describe the file, not the unnamed section.
            for (std::size_t i = candidate.firstKey; i < candidate.endKey; ++i) {
                pieces.push_back(Keep(from, keys_[i].line - from));
                from = keys_[i].line + 1;
            }
        } else {
            pieces.push_back(Keep(from, candidate.header - from));
            from = candidate.end;
        }
    }
    if (entries && named == 1 && SectionEntries(name) == *entries) return;
    // No entries is no section: a save of an empty launcher list leaves no empty "[App]" behind.
    const bool keep = entries && !entries->empty();
    if (!keep && pieces.empty()) return;
    pieces.push_back(Keep(from, LineCount() - from));
    if (keep) {
        std::vector<Piece> section;
        if (!name.empty()) {
            std::string header(1, '[');
            header.append(name).push_back(']');
            section.push_back(New(std::move(header)));
        }
        for (const auto& [key, value] : *entries) {
            const auto it = held.find({key, value});
            section.push_back(it != held.end() ? Keep(it->second, 1) : New(key + "=" + value));
        }
        // The unnamed section lives above the first header; any other goes to the end.
        pieces.insert(name.empty() ? pieces.begin() : pieces.end(), section.begin(), section.end());
    }
    Rebuild(std::move(pieces));
}

std::int32_t ParseProfileInt(const std::optional<std::string>& value, std::int32_t defaultValue) {
    if (!value) return defaultValue;
    const std::string_view text = Trim(*value);
    std::size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    if (at == text.size() || text[at] < '0' || text[at] > '9') return defaultValue;
    // Saturates one past INT32_MAX: enough to clamp either way, and no overflow
    // however many digits follow.
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        magnitude = magnitude * 10 + (text[at] - '0');
        if (magnitude > kLimit) magnitude = kLimit;
    }
    if (negative) return static_cast<std::int32_t>(-magnitude);
    return magnitude >= kLimit ? std::numeric_limits<std::int32_t>::max() : static_cast<std::int32_t>(magnitude);
}

}  // namespace velmora::settings
