#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora::option {

// One launcher entry: the name shown in the list's first column (the key in
// section App) and the program or document to start (its value).
struct LauncherRow {
    std::string name;
    std::string path;
    bool operator==(const LauncherRow&) const = default;
};

// Messages the list editor asks the form to show (OK button, default title).
inline constexpr std::string_view kDuplicateNameMessage = "すでに同名のコマンドが登録されています";
inline constexpr std::string_view kCaseOnlyDuplicateMessage =
    "大文字と小文字の違いしかない同名のコマンドが登録されています。\n"
    "設定ファイルでは同じ名前として扱われるため、どちらかが失われます。";
inline constexpr std::string_view kEmptyNameMessage = "アプリケーション名を入力してください。";
inline constexpr std::string_view kNameWithEqualsMessage = "アプリケーション名に「=」は使えません。";
inline constexpr std::string_view kNameLeadingMarkMessage = "アプリケーション名の先頭に「[」や「;」は使えません。";
inline constexpr std::string_view kNameEdgeBlankMessage = "アプリケーション名の先頭と末尾に空白は使えません。";
inline constexpr std::string_view kNameControlCharMessage =
    "アプリケーション名に改行やタブなどの制御文字は使えません。";

// The open-file dialog of both "..." buttons: its title, and its filter as the
// dialog takes it (description, NUL, pattern, NUL, ..., the list ended by an
// empty entry), executables first.
inline constexpr std::string_view kBrowseTitle = "ファイルを開く";
inline constexpr char kBrowseFilterText[] = "実行ファイル(*.exe)\0*.exe\0すべてのファイル(*.*)\0*.*\0";
inline constexpr std::string_view kBrowseFilter{kBrowseFilterText, sizeof kBrowseFilterText - 1};
inline constexpr int kBrowseFilterIndex = 1;

// Why a name cannot be stored as a key of section App and read back unchanged,
// as a message to show; nullopt when it can. Refused: the empty name, "=" (the
// reader ends the key there), "[" or ";" first (a section header, a comment),
// blanks at either end (the reader drops them), control characters (a line
// break would split the entry).
std::optional<std::string_view> NameProblem(std::string_view name);

// The first file of a drop; nullopt when the drop carried no files, which
// leaves every field as it is. Serves the start-up path field as it is.
std::optional<std::string> FirstDroppedFile(const std::vector<std::string>& files);

// The launcher list editor of Option: the list (ListView1) with its selection
// and sort state, and the two input fields txtName and txtPath(0).
class LauncherList {
public:
    enum class SortOrder { Ascending, Descending };

    // Rows from the settings file, in file order, replacing the list. They
    // are not checked against each other: the file holds what it holds.
    void LoadRows(std::vector<LauncherRow> rows);
    // In display order: the order a save writes them in.
    const std::vector<LauncherRow>& rows() const { return rows_; }
    // The selected row's index in display order.
    std::optional<std::size_t> selected() const { return selected_; }

    const std::string& nameText() const { return name_; }
    void SetNameText(std::string text) { name_ = std::move(text); }
    const std::string& pathText() const { return path_; }
    void SetPathText(std::string text) { path_ = std::move(text); }

    // "追加": a new row from the two fields, which keep their text. Nothing
    // happens, and nothing is said, while either field is empty. Returns the
    // message to show when the name is refused (NameProblem, the same name, or
    // the same name but for letter case); the list is then unchanged.
    std::optional<std::string_view> Add();
    // "編集": the selected row takes the two fields (an empty path too).
    // Nothing happens on an empty list or with an empty name. Returns the message when the name is
    // refused as for Add, the selected row itself not counting as another.
    std::optional<std::string_view> Edit();
    // "削除": removes the selected row and empties both fields.
    void Delete();
    // "ｸﾘｱ": empties both fields; the list stays.
    void ClearFields();
    // A click on the row at that display index selects it and fills the fields.
    void ItemClick(std::size_t row);
    // A click on header 1 (name) or 2 (path): the same column again flips the
    // order, another column sorts ascending by it.
    void SortByColumn(int column);

    // Before the first header click the list is not sorted and shows the rows
    // in file and insertion order; its sort state is then name column,
    // ascending, so that first click on the name header sorts descending.
    bool sorted() const { return sorted_; }
    int sortKey() const { return sortKey_; }
    SortOrder sortOrder() const { return sortOrder_; }

    // The open-file dialog of "..." (index 0) returned this path, empty when
    // cancelled: the path field takes it and the name field its file title.
    void TakeBrowseResult(std::string chosen);
    // Files dropped onto txtName or txtPath(0): the first one becomes the path
    // and its file title the name.
    void DropOnName(const std::vector<std::string>& files);
    void DropOnPath(const std::vector<std::string>& files);

private:
    // The name rule against every row except `except` (the row being edited).
    std::optional<std::string_view> NameRefusal(std::optional<std::size_t> except) const;
    void Resort();

    std::vector<LauncherRow> rows_;
    std::optional<std::size_t> selected_;
    std::string name_;
    std::string path_;
    bool sorted_ = false;
    int sortKey_ = 0;
    SortOrder sortOrder_ = SortOrder::Ascending;
};

}  // namespace velmora::option
