#include "settings/ProfileStore.h"

namespace velmora::settings {
namespace {

// In the programs' own words: the user sees them in the message that names the file.
constexpr std::string_view kLockedReason = "ほかのプログラムが設定ファイルを保存中です。";
constexpr std::string_view kUnreadableReason = "設定ファイルを読み込めなかったため、書き換えません。";
constexpr std::string_view kTooLargeReason = "設定ファイルが大きすぎます（16 MB まで）。";
constexpr std::string_view kRefusedReason = "改行や NUL 文字を含む値は保存できません。";

}  // namespace

bool ProfileEditor::Refuse(std::string_view text, bool isName) {
    // A line break would make a new line of its own: another key, or a section. A name with "=" would end at it.
    if (text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos &&
        (!isName || text.find('=') == std::string_view::npos)) {
        return false;
    }
    refused_ = kRefusedReason;
    return true;
}

void ProfileEditor::Set(std::string_view section, std::string_view key, std::optional<std::string_view> value) {
    if (Refuse(section, false) || Refuse(key, true) || (value && Refuse(*value, false))) return;
    edits_.push_back([section = std::string(section), key = std::string(key),
                      value = value ? std::optional<std::string>(*value) : std::nullopt](ProfileDocument& document) {
        document.SetString(section, key, value);
    });
}

void ProfileEditor::SetInt(std::string_view section, std::string_view key, std::int64_t value) {
    Set(section, key, std::to_string(value));
}

void ProfileEditor::RemoveSection(std::string_view section) {
    edits_.push_back([section = std::string(section)](ProfileDocument& document) { document.RemoveSection(section); });
}

void ProfileEditor::SetSection(std::string_view section, const ProfileEntries& entries) {
    if (Refuse(section, false)) return;
    for (const auto& [key, value] : entries) {
        if (Refuse(key, true) || Refuse(value, false)) return;
    }
    edits_.push_back([section = std::string(section), entries](ProfileDocument& document) {
        document.SetSection(section, entries);
    });
}

ProfileStore::Loaded ProfileStore::Load(const std::string& path, bool polled) {
    // What memory holds is served only as the last look left it: a document whose bytes changed while they were
    // read, or a file that could not be read, is looked at again.
    if (polled && !files_.MayHaveChanged(path)) {
        if (auto cached = cache_.find(path); cached != cache_.end()) return {cached->second.document, ReadStatus::Read, {}};
        if (missingPaths_.contains(path)) return {missing_, ReadStatus::Missing, {}};
    }
    const std::optional<FileStamp> stamp = files_.Stamp(path);
    auto cached = cache_.find(path);
    if (!stamp) {
        if (cached != cache_.end()) cache_.erase(cached);
        missingPaths_.insert(path);
        return {missing_, ReadStatus::Missing, {}};
    }
    missingPaths_.erase(path);
    if (cached != cache_.end() && cached->second.stamp == *stamp) return {cached->second.document, ReadStatus::Read, {}};

    ReadResult read = files_.Read(path);
    if (read.status == ReadStatus::Read && !ProfileDocument::Readable(read.bytes)) read.status = ReadStatus::Unreadable;
    if (read.status != ReadStatus::Read) {
        if (cached != cache_.end()) cache_.erase(cached);
        return {missing_, read.status, std::move(read.reason)};
    }
    ProfileDocument document = ProfileDocument::FromBytes(read.bytes, codePage_);
    // Kept only under a stamp the bytes are known to belong to: had the file changed between the stamp and the
    // read, these bytes are served once and read again next time.
    if (files_.Stamp(path) != stamp) {
        if (cached != cache_.end()) cache_.erase(cached);
        scratch_ = std::move(document);
        return {scratch_, ReadStatus::Read, {}};
    }
    auto& slot = cache_.insert_or_assign(path, Cached{*stamp, std::move(document)}).first->second;
    return {slot.document, ReadStatus::Read, {}};
}

ReadStatus ProfileStore::Status(const std::string& path) { return Load(path).status; }

std::optional<std::string> ProfileStore::ReadString(const std::string& path, std::string_view section,
                                                    std::string_view key) {
    return Load(path).document.GetString(section, key);
}

std::int32_t ProfileStore::ReadInt(const std::string& path, std::string_view section, std::string_view key,
                                   std::int32_t defaultValue) {
    return ParseProfileInt(Load(path).document.GetString(section, key), defaultValue);
}

std::int32_t ProfileStore::PollInt(const std::string& path, std::string_view section, std::string_view key,
                                   std::int32_t defaultValue) {
    return ParseProfileInt(Load(path, true).document.GetString(section, key), defaultValue);
}

std::vector<std::string> ProfileStore::ReadKeyNames(const std::string& path, std::string_view section) {
    return Load(path).document.KeyNames(section);
}

ProfileEntries ProfileStore::ReadSection(const std::string& path, std::string_view section) {
    return Load(path).document.SectionEntries(section);
}

Outcome ProfileStore::Save(const std::string& path, const std::function<void(ProfileEditor&)>& edits) {
    ProfileEditor editor;
    edits(editor);
    if (!editor.refused_.empty()) return Outcome::Failed(editor.refused_);
    // The other program may be saving this very moment: its save ends before ours reads the file.
    const std::unique_ptr<FileLock> lock = files_.Lock(path, kLockTimeoutMs);
    if (!lock) return Outcome::Failed(std::string(kLockedReason));
    const Loaded current = Load(path);
    if (current.status == ReadStatus::TooLarge) return Outcome::Failed(std::string(kTooLargeReason));
    // Writing would replace content we never saw.
    if (current.status == ReadStatus::Unreadable) {
        return Outcome::Failed(std::string(kUnreadableReason) + (current.reason.empty() ? "" : "\r\n" + current.reason));
    }
    // The cached document itself is edited, not a copy of it: a large file is then held once. It leaves the cache
    // until the new bytes are on disk.
    const bool cached = &current.document != &missing_ && &current.document != &scratch_;
    std::optional<FileStamp> stamp;
    ProfileDocument edited = cached ? ProfileDocument() : current.document;
    if (cached) {
        auto node = cache_.extract(path);
        stamp = node.mapped().stamp;
        edited = std::move(node.mapped().document);
    }
    const std::uint64_t before = edited.Revision();
    for (const auto& edit : editor.edits_) edit(edited);
    // Nothing to change: the file is left alone (an unchanged save rewrites nothing, and removing what is not there
    // creates no file).
    if (edited.Revision() == before) {
        if (stamp) cache_.insert_or_assign(path, Cached{*stamp, std::move(edited)});
        return {};
    }
    if (Outcome written = files_.WriteAllAtomic(path, edited.Bytes()); !written) return written;
    // Still under the lock, so the stamp is the one of our own bytes.
    if (const std::optional<FileStamp> written = files_.Stamp(path)) {
        cache_.insert_or_assign(path, Cached{*written, std::move(edited)});
    }
    return {};
}

bool ProfileStore::WriteString(const std::string& path, std::string_view section, std::string_view key,
                               std::optional<std::string_view> value) {
    return Save(path, [&](ProfileEditor& editor) { editor.Set(section, key, value); }).ok;
}

bool ProfileStore::RemoveSection(const std::string& path, std::string_view section) {
    return Save(path, [&](ProfileEditor& editor) { editor.RemoveSection(section); }).ok;
}

}  // namespace velmora::settings
