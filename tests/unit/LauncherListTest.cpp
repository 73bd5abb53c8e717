#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "option/LauncherList.h"

namespace velmora::option {

inline void PrintTo(const LauncherRow& row, std::ostream* os) { *os << "{" << row.name << ", " << row.path << "}"; }

namespace {

using Message = std::optional<std::string_view>;

class LauncherListTest : public ::testing::Test {
protected:
    LauncherListTest() {
        list_.LoadRows({{"Notepad", "C:\\Windows\\notepad.exe"},
                        {"calc", "C:\\Windows\\System32\\calc.exe"},
                        {"Paint", "C:\\Windows\\System32\\mspaint.exe"}});
    }
    LauncherList& Fields(std::string name, std::string path) {
        list_.SetNameText(std::move(name));
        list_.SetPathText(std::move(path));
        return list_;
    }
    // The names in display order, the selected one marked "*", then the two fields: "a *b c | name | path".
    std::string Shown() const {
        std::string out;
        for (std::size_t i = 0; i < list_.rows().size(); ++i)
            out += (list_.selected() == i ? "*" : "") + list_.rows()[i].name + " ";
        return out + "| " + list_.nameText() + " | " + list_.pathText();
    }

    LauncherList list_;
};

TEST_F(LauncherListTest, AddNeedsBothFieldsAndANameOfItsOwn) {
    // Nothing happens, and nothing is said, while a field is empty.
    for (const auto& [name, path] : {std::pair{"", ""}, {"Editor", ""}, {"", "C:\\a.exe"}})
        EXPECT_EQ(Fields(name, path).Add(), std::nullopt);
    EXPECT_EQ(Shown(), "Notepad calc Paint |  | C:\\a.exe");
    // Names the file cannot hold, or could not tell from another: the file would keep one key for names equal but
    // for case. Width and blanks inside count.
    // clang-format off
    const std::pair<const char*, Message> names[] = {
        {"Notepad", kDuplicateNameMessage}, {"notepad", kCaseOnlyDuplicateMessage}, {"PAINT", kCaseOnlyDuplicateMessage},
        {"a=b", kNameWithEqualsMessage}, {"a\nb", kNameControlCharMessage}, {"\x7F", kNameControlCharMessage},
        {"[tools]", kNameLeadingMarkMessage}, {";x", kNameLeadingMarkMessage},
        {" x", kNameEdgeBlankMessage}, {"x ", kNameEdgeBlankMessage}, {"\tx", kNameEdgeBlankMessage},
        {"x\x1A", kNameEdgeBlankMessage}, {"\u3000x", kNameEdgeBlankMessage}, {"x\u3000", kNameEdgeBlankMessage},
        {"x[y]", std::nullopt}, {"a;b", std::nullopt}, {"a\u3000b", std::nullopt}, {"Ｎｏｔｅｐａｄ", std::nullopt},
        {"Note pad", std::nullopt}};
    // clang-format on
    for (const auto& [name, message] : names) EXPECT_EQ(Fields(name, "C:\\other.exe").Add(), message) << name;
    EXPECT_EQ(NameProblem(""), kEmptyNameMessage);
    EXPECT_EQ(Shown(), "Notepad calc Paint x[y] a;b a\u3000b Ｎｏｔｅｐａｄ Note pad | Note pad | C:\\other.exe");
    EXPECT_EQ(list_.rows().back(), (LauncherRow{"Note pad", "C:\\other.exe"}));
}

TEST_F(LauncherListTest, EditChangesTheSelectedRowUnderTheSameNameRules) {
    list_.ItemClick(1);
    EXPECT_EQ(Shown(), "Notepad *calc Paint | calc | C:\\Windows\\System32\\calc.exe");
    const std::pair<const char*, Message> names[] = {{"Paint", kDuplicateNameMessage},
                                                     {"paint", kCaseOnlyDuplicateMessage},
                                                     {" calc", kNameEdgeBlankMessage},
                                                     {"", std::nullopt}};  // an empty name: nothing happens, no message
    for (const auto& [name, message] : names) EXPECT_EQ(Fields(name, "D:\\x.exe").Edit(), message) << name;
    EXPECT_EQ(list_.rows()[1], (LauncherRow{"calc", "C:\\Windows\\System32\\calc.exe"}));
    // Its own name in another case is no clash with itself; an empty path is taken as it is.
    EXPECT_EQ(Fields("CALC", "").Edit(), std::nullopt);
    EXPECT_EQ(list_.rows()[1], (LauncherRow{"CALC", ""}));
    // Rows loaded anew take the selection with them: an edit must not land on whichever row now stands there.
    list_.LoadRows({{"a", "1"}, {"b", "2"}});
    EXPECT_EQ(Fields("c", "3").Edit(), std::nullopt);
    EXPECT_EQ(Shown(), "a b | c | 3");
}

TEST_F(LauncherListTest, DeleteNeedsASelectionAndEmptiesTheFields) {
    list_.SetNameText("typed");
    list_.Delete();
    EXPECT_EQ(Shown(), "Notepad calc Paint | typed | ");
    list_.ItemClick(1);
    list_.Delete();
    EXPECT_EQ(Shown(), "Notepad Paint |  | ");
    list_.ItemClick(7);  // no such row
    Fields("a", "b").Add();
    list_.ClearFields();
    EXPECT_EQ(Shown(), "Notepad Paint a |  | ");
}

TEST_F(LauncherListTest, HeaderClicksSortAndTheSelectionAndNewRowsFollow) {
    list_.ItemClick(0);
    // Unsorted until the first click, the sort state name ascending: the first click on the name flips it.
    // Then by path, ascending: C:\Windows\notepad.exe first, case does not count; the name again: ascending.
    const std::pair<int, const char*> clicks[] = {
        {1, "Paint *Notepad calc"}, {1, "calc *Notepad Paint"}, {2, "*Notepad calc Paint"},
        {2, "Paint calc *Notepad"}, {1, "calc *Notepad Paint"}, {3, "calc *Notepad Paint"}};  // 3: no such column
    for (const auto& [column, names] : clicks) {
        list_.SortByColumn(column);
        EXPECT_EQ(Shown(), std::string(names) + " | Notepad | C:\\Windows\\notepad.exe") << column;
    }
    EXPECT_EQ(Fields("Browser", "C:\\b.exe").Add(), std::nullopt);
    EXPECT_EQ(Fields("Zip", "C:\\z.exe").Edit(), std::nullopt);
    EXPECT_EQ(Shown(), "Browser calc Paint *Zip | Zip | C:\\z.exe");
    // Rows from the file are taken as they are, sorted as the list is; letter case decides a tie.
    list_.LoadRows({{"b", "1"}, {"a", "2"}, {"A", "3"}});
    EXPECT_EQ(Shown(), "A a b | Zip | C:\\z.exe");
}

TEST_F(LauncherListTest, BrowseAndDropsFillPathAndName) {
    list_.TakeBrowseResult("C:\\Tools\\my.tool.exe");
    EXPECT_EQ(Shown(), "Notepad calc Paint | my | C:\\Tools\\my.tool.exe");
    list_.TakeBrowseResult("");  // cancelled
    EXPECT_EQ(Shown(), "Notepad calc Paint |  | ");
    list_.DropOnName({"C:\\Tools\\my.tool.exe", "C:\\other.exe"});
    EXPECT_EQ(Shown(), "Notepad calc Paint | my | C:\\Tools\\my.tool.exe");
    list_.DropOnPath({"C:\\Tools"});
    EXPECT_EQ(Shown(), "Notepad calc Paint |  | C:\\Tools");
    // A drop without files leaves the fields alone.
    list_.SetNameText("kept");
    list_.DropOnPath({});
    list_.DropOnName({});
    EXPECT_EQ(Shown(), "Notepad calc Paint | kept | C:\\Tools");
}

}  // namespace
}  // namespace velmora::option
