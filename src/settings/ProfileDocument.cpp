#include "settings/ProfileDocument.h"

#include <limits>
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

// A line of an ANSI file that is going over to UTF-8. Its readable characters
// become UTF-8 and its bad bytes stay as they are, as long as the result reads
// back as the same text; otherwise (bad bytes that happen to form UTF-8) the
// text is written, so that the file means what it meant.
std::string UndecodedAnsiLineAsUtf8(const ProfileDocument::Line& line, settings::CodePage& codePage) {
    bool exact = true;
    std::string mixed;
    DecodeAnsiLine(line.raw, codePage, exact, &mixed);
    return PatchUtf8(mixed) == line.text ? mixed : line.text;
}

}  // namespace

ProfileDocument ProfileDocument::FromBytes(std::string_view bytes, settings::CodePage& codePage) {
    ProfileDocument document;
    std::string_view body = bytes;
    if (body.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        document.encoding_ = FileEncoding::Utf8Bom;
        body.remove_prefix(kUtf8Bom.size());
    } else if (body.substr(0, kUtf16LeBom.size()) == kUtf16LeBom) {
        document.encoding_ = FileEncoding::Utf16LeBom;
        body.remove_prefix(kUtf16LeBom.size());
    }
    bool endingSeen = false;
    const std::size_t unit = document.encoding_ == FileEncoding::Utf16LeBom ? 2 : 1;
    SplitLines(body, unit, [&](std::string_view raw, std::string_view ending) {
        Line line;
        line.raw = raw;
        line.ending = ending;
        switch (document.encoding_) {
            case FileEncoding::Ansi:
                line.text = DecodeAnsiLine(raw, codePage, line.decoded);
                break;
            case FileEncoding::Utf8Bom:
                if (IsUtf8(raw)) {
                    line.text = raw;
                } else {
                    line.text = PatchUtf8(raw);
                    line.decoded = false;
                }
                break;
            case FileEncoding::Utf16LeBom:
                line.text = Utf16LeToUtf8(raw, line.decoded);
                break;
        }
        if (!endingSeen && !ending.empty()) {
            document.defaultEnding_ = ending;
            endingSeen = true;
        }
        document.lines_.push_back(std::move(line));
    });
    document.Reindex();
    return document;
}

ProfileDocument ProfileDocument::FromText(std::string_view utf8) {
    ProfileDocument document;
    bool endingSeen = false;
    SplitLines(utf8, 1, [&](std::string_view text, std::string_view ending) {
        Line line;
        line.text = text;
        line.ending = ending;
        line.edited = true;  // there are no bytes in the file's encoding yet
        if (!endingSeen && !ending.empty()) {
            document.defaultEnding_ = ending;
            endingSeen = true;
        }
        document.lines_.push_back(std::move(line));
    });
    document.Reindex();
    return document;
}

std::string ProfileDocument::ToBytes(settings::CodePage& codePage) const {
    std::string out;
    switch (encoding_) {
        case FileEncoding::Ansi: {
            bool representable = true;
            for (const Line& line : lines_) {
                if (!line.edited) {
                    out += line.raw;
                } else if (IsAscii(line.text)) {
                    out += line.text;
                } else if (auto bytes = codePage.FromUtf8(line.text)) {
                    out += *bytes;
                } else {
                    representable = false;
                    break;
                }
                out += line.ending;
            }
            // An ANSI file must not begin like a byte-order mark (possible once
            // the lines above such a line are removed): it would be read back
            // in another encoding.
            const bool looksMarked =
                out.substr(0, kUtf8Bom.size()) == kUtf8Bom || out.substr(0, kUtf16LeBom.size()) == kUtf16LeBom;
            if (representable && !looksMarked) return out;
            // Some new text has no form in the code page. Rather than write "?"
            // for it, the whole file goes to UTF-8, which both programs and the
            // platform read by its byte-order mark. The bytes of a line that
            // never decoded are kept where they can be.
            out = kUtf8Bom;
            for (const Line& line : lines_) {
                out += (line.edited || line.decoded) ? line.text : UndecodedAnsiLineAsUtf8(line, codePage);
                out += line.ending;
            }
            return out;
        }
        case FileEncoding::Utf8Bom:
            out = kUtf8Bom;
            for (const Line& line : lines_) {
                out += line.edited ? line.text : line.raw;
                out += line.ending;
            }
            return out;
        case FileEncoding::Utf16LeBom:
            out = kUtf16LeBom;
            for (const Line& line : lines_) {
                // A stray last byte of the file can stay only while nothing
                // follows it; after it, every later unit would be off by one.
                const bool strayByte = line.raw.size() % 2 != 0 && !line.ending.empty();
                out += (line.edited || strayByte) ? Utf8ToUtf16Le(line.text) : line.raw;
                out += Utf8ToUtf16Le(line.ending);
            }
            return out;
    }
    return out;
}

void ProfileDocument::Reindex() {
    sections_.clear();
    keys_.clear();
    sections_.push_back(Section{"", kNoLine, 0, 0, 0});
    std::unordered_set<std::string> namesInSection;  // folded
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const std::string_view text = Trim(lines_[i].text);
        if (text.empty() || text.front() == ';') continue;
        if (text.front() == '[') {
            // The name runs to the last "]", so "[a]b]" is section "a]b" and
            // "[s] note" is "s". A "[" line without "]" is no header and,
            // like any other line that is not a key, is passed over.
            const auto close = text.rfind(']');
            if (close == std::string_view::npos) continue;
            sections_.back().end = i;
            sections_.push_back(
                Section{std::string(Trim(text.substr(1, close - 1))), i, 0, keys_.size(), keys_.size()});
            namesInSection.clear();
            continue;
        }
        const auto equals = text.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string_view name = Trim(text.substr(0, equals));
        const std::string_view stored = Trim(text.substr(equals + 1));
        const bool first = namesInSection.insert(Folded(name)).second;
        keys_.push_back(Key{i, std::string(name), std::string(stored), std::string(Unquote(stored)), first});
        sections_.back().endKey = keys_.size();
    }
    sections_.back().end = lines_.size();
}

const ProfileDocument::Section* ProfileDocument::FindSection(std::string_view name) const {
    name = Trim(name);
    for (const Section& section : sections_) {
        // The lines above the first header are section "" only once they
        // hold a key; otherwise a "[]" further down is the first of that name.
        if (section.header == kNoLine && section.firstKey == section.endKey) continue;
        if (SameName(section.name, name)) return &section;
    }
    return nullptr;
}

const ProfileDocument::Key* ProfileDocument::FindKey(const Section& section, std::string_view name) const {
    name = Trim(name);
    for (std::size_t i = section.firstKey; i < section.endKey; ++i) {
        if (SameName(keys_[i].name, name)) return &keys_[i];
    }
    return nullptr;
}

std::optional<std::string> ProfileDocument::GetString(std::string_view section, std::string_view key) const {
    const Section* found = FindSection(section);
    if (found == nullptr) return std::nullopt;
    const Key* entry = FindKey(*found, key);
    if (entry == nullptr) return std::nullopt;
    return entry->value;
}

std::vector<std::string> ProfileDocument::KeyNames(std::string_view section) const {
    std::vector<std::string> names;
    const Section* found = FindSection(section);
    if (found == nullptr) return names;
    for (std::size_t i = found->firstKey; i < found->endKey; ++i) {
        if (keys_[i].first) names.push_back(keys_[i].name);
    }
    return names;
}

std::vector<std::pair<std::string, std::string>> ProfileDocument::SectionEntries(std::string_view section) const {
    std::vector<std::pair<std::string, std::string>> entries;
    const Section* found = FindSection(section);
    if (found == nullptr) return entries;
    for (std::size_t i = found->firstKey; i < found->endKey; ++i) entries.emplace_back(keys_[i].name, keys_[i].stored);
    return entries;
}

bool ProfileDocument::HasSection(std::string_view section) const { return FindSection(section) != nullptr; }

std::vector<std::string> ProfileDocument::SectionNames() const {
    std::vector<std::string> names;
    for (const Section& section : sections_) {
        if (FindSection(section.name) == &section) names.push_back(section.name);
    }
    return names;
}

void ProfileDocument::InsertLine(std::size_t at, std::string text) {
    // Only the last line can lack an end; a line placed after it needs one there.
    if (at > 0 && lines_[at - 1].ending.empty()) lines_[at - 1].ending = defaultEnding_;
    Line line;
    line.text = std::move(text);
    line.ending = defaultEnding_;
    line.edited = true;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

void ProfileDocument::SetString(std::string_view section, std::string_view key, std::optional<std::string_view> value) {
    const std::string_view sectionName = Trim(section);
    const std::string_view keyName = Trim(key);
    const Section* found = FindSection(sectionName);

    if (!value) {
        if (found == nullptr) return;
        // Every copy goes, not just the first: otherwise the next one would
        // surface and the key would seem to come back with an older value.
        std::vector<std::size_t> doomed;
        for (std::size_t i = found->firstKey; i < found->endKey; ++i) {
            if (SameName(keys_[i].name, keyName)) doomed.push_back(keys_[i].line);
        }
        if (doomed.empty()) return;
        for (auto it = doomed.rbegin(); it != doomed.rend(); ++it) {
            lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*it));
        }
        Reindex();
        return;
    }

    if (found != nullptr) {
        if (const Key* entry = FindKey(*found, keyName)) {
            // The line is written anew as the platform writes it, keeping the
            // key's own spelling: indentation and blanks around "=" go.
            Line& line = lines_[entry->line];
            line.text = entry->name + "=" + std::string(*value);
            line.raw.clear();
            line.edited = true;
            line.decoded = true;
        } else {
            // After the section's last key, so that blank lines and comments
            // that end the section stay between it and the next header.
            const std::size_t at =
                found->firstKey != found->endKey ? keys_[found->endKey - 1].line + 1 : found->header + 1;
            InsertLine(at, std::string(keyName) + "=" + std::string(*value));
        }
    } else if (sectionName.empty()) {
        InsertLine(0, std::string(keyName) + "=" + std::string(*value));
    } else {
        // Appended piece by piece: GCC 12 sees a false overlap in "[" + std::string(...) (-Wrestrict).
        std::string header(1, '[');
        header.append(sectionName).push_back(']');
        InsertLine(lines_.size(), std::move(header));
        InsertLine(lines_.size(), std::string(keyName) + "=" + std::string(*value));
    }
    Reindex();
}

void ProfileDocument::RemoveSection(std::string_view section) {
    const std::string_view name = Trim(section);
    std::vector<std::pair<std::size_t, std::size_t>> doomed;  // line ranges, ascending
    for (const Section& candidate : sections_) {
        if (!SameName(candidate.name, name)) continue;
        if (candidate.header == kNoLine) {
            // Above the first header only the keys go; comments at the top
            // describe the file, not the unnamed section.
            for (std::size_t i = candidate.firstKey; i < candidate.endKey; ++i) {
                doomed.emplace_back(keys_[i].line, keys_[i].line + 1);
            }
        } else {
            doomed.emplace_back(candidate.header, candidate.end);
        }
    }
    if (doomed.empty()) return;
    for (auto it = doomed.rbegin(); it != doomed.rend(); ++it) {
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(it->first),
                     lines_.begin() + static_cast<std::ptrdiff_t>(it->second));
    }
    Reindex();
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
