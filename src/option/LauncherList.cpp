#include "option/LauncherList.h"

#include <algorithm>
#include <numeric>

#include "base/Paths.h"

namespace velmora::option {

namespace {

char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The settings file matches key names without regard to ASCII letter case.
bool SameKey(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return FoldAscii(x) == FoldAscii(y); });
}

// The blanks the profile reader drops around a key: the ASCII white space, the
// end-of-file mark 0x1A, and the ideographic space U+3000 that the platform's
// reader counts as white space too.
constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";

bool IsAsciiBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == '\x1A';
}

bool StartsWithBlank(std::string_view text) {
    return (!text.empty() && IsAsciiBlank(text.front())) || text.starts_with(kIdeographicSpace);
}

bool EndsWithBlank(std::string_view text) {
    return (!text.empty() && IsAsciiBlank(text.back())) || text.ends_with(kIdeographicSpace);
}

// Case-insensitive first, so "notepad" and "Notepad" sit together; the exact
// bytes only decide between names equal but for case.
bool TextBefore(std::string_view a, std::string_view b) {
    auto folded = std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(FoldAscii(x)) < static_cast<unsigned char>(FoldAscii(y));
    });
    if (folded) return true;
    if (!SameKey(a, b)) return false;
    return a < b;
}

}  // namespace

std::optional<std::string_view> NameProblem(std::string_view name) {
    if (name.empty()) return kEmptyNameMessage;
    if (StartsWithBlank(name) || EndsWithBlank(name)) return kNameEdgeBlankMessage;
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == '\x7F') return kNameControlCharMessage;
    }
    if (name.find('=') != std::string_view::npos) return kNameWithEqualsMessage;
    if (name.front() == '[' || name.front() == ';') return kNameLeadingMarkMessage;
    return std::nullopt;
}

std::optional<std::string> FirstDroppedFile(const std::vector<std::string>& files) {
    if (files.empty()) return std::nullopt;
    return files.front();
}

void LauncherList::LoadRows(std::vector<LauncherRow> rows) {
    rows_ = std::move(rows);
    selected_.reset();
    if (sorted_) Resort();
}

std::optional<std::string_view> LauncherList::NameRefusal(std::optional<std::size_t> except) const {
    if (std::optional<std::string_view> problem = NameProblem(name_)) return problem;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (i != except && rows_[i].name == name_) return kDuplicateNameMessage;
    }
    // Names equal but for case share one key: the file would keep only one.
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (i != except && SameKey(rows_[i].name, name_)) return kCaseOnlyDuplicateMessage;
    }
    return std::nullopt;
}

std::optional<std::string_view> LauncherList::Add() {
    // Nothing typed yet is no mistake worth a message: the button does nothing.
    if (name_.empty() || path_.empty()) return std::nullopt;
    if (std::optional<std::string_view> refusal = NameRefusal(std::nullopt)) return refusal;
    rows_.push_back(LauncherRow{name_, path_});
    if (sorted_) Resort();
    return std::nullopt;
}

std::optional<std::string_view> LauncherList::Edit() {
    if (rows_.empty() || name_.empty()) return std::nullopt;
    if (std::optional<std::string_view> refusal = NameRefusal(selected_)) return refusal;
    if (!selected_) return std::nullopt;
    rows_[*selected_] = LauncherRow{name_, path_};
    if (sorted_) Resort();
    return std::nullopt;
}

void LauncherList::Delete() {
    if (!selected_) return;
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(*selected_));
    selected_.reset();
    ClearFields();
}

void LauncherList::ClearFields() {
    name_.clear();
    path_.clear();
}

void LauncherList::ItemClick(std::size_t row) {
    if (row >= rows_.size()) return;
    selected_ = row;
    name_ = rows_[row].name;
    path_ = rows_[row].path;
}

void LauncherList::SortByColumn(int column) {
    if (column != 1 && column != 2) return;
    if (sortKey_ == column - 1) {
        sortOrder_ = sortOrder_ == SortOrder::Ascending ? SortOrder::Descending : SortOrder::Ascending;
    } else {
        sortKey_ = column - 1;
        sortOrder_ = SortOrder::Ascending;
    }
    sorted_ = true;
    Resort();
}

void LauncherList::Resort() {
    auto text = [this](std::size_t i) -> std::string_view { return sortKey_ == 0 ? rows_[i].name : rows_[i].path; };
    std::vector<std::size_t> order(rows_.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return sortOrder_ == SortOrder::Ascending ? TextBefore(text(a), text(b)) : TextBefore(text(b), text(a));
    });
    std::vector<LauncherRow> sortedRows;
    sortedRows.reserve(rows_.size());
    std::optional<std::size_t> selected;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (order[i] == selected_) selected = i;
        sortedRows.push_back(std::move(rows_[order[i]]));
    }
    rows_ = std::move(sortedRows);
    selected_ = selected;
}

void LauncherList::TakeBrowseResult(std::string chosen) {
    path_ = std::move(chosen);
    name_ = base::FileTitle(path_);
}

void LauncherList::DropOnName(const std::vector<std::string>& files) {
    std::optional<std::string> file = FirstDroppedFile(files);
    if (!file) return;
    path_ = *file;
    name_ = base::FileTitle(*file);
}

void LauncherList::DropOnPath(const std::vector<std::string>& files) {
    std::optional<std::string> file = FirstDroppedFile(files);
    if (!file) return;
    name_ = base::FileTitle(*file);
    path_ = *file;
}

}  // namespace velmora::option
