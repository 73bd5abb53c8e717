#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "option/LauncherList.h"

namespace velmora::option {

inline void PrintTo(const LauncherRow& row, std::ostream* os) { *os << "{" << row.name << ", " << row.path << "}"; }

namespace {

class LauncherListTest : public ::testing::Test {
protected:
    LauncherListTest() {
        list_.LoadRows({{"Notepad", "C:\\Windows\\notepad.exe"},
                        {"calc", "C:\\Windows\\System32\\calc.exe"},
                        {"Paint", "C:\\Windows\\System32\\mspaint.exe"}});
    }

    std::optional<std::string_view> Add(std::string name, std::string path) {
        list_.SetNameText(std::move(name));
        list_.SetPathText(std::move(path));
        return list_.Add();
    }

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const LauncherRow& row : list_.rows()) names.push_back(row.name);
        return names;
    }

    LauncherList list_;
};

// ---- adding and editing ----

TEST_F(LauncherListTest, AddNeedsAPathAndKeepsTheFields) {
    EXPECT_EQ(Add("", ""), std::nullopt);
    EXPECT_EQ(Add("Editor", ""), std::nullopt);
    EXPECT_EQ(list_.rows().size(), 3u);

    EXPECT_EQ(Add("Editor", "C:\\Tools\\edit.exe"), std::nullopt);
    ASSERT_EQ(list_.rows().size(), 4u);
    EXPECT_EQ(list_.rows().back(), (LauncherRow{"Editor", "C:\\Tools\\edit.exe"}));
    EXPECT_EQ(list_.nameText(), "Editor");
    EXPECT_EQ(list_.pathText(), "C:\\Tools\\edit.exe");
}

TEST_F(LauncherListTest, AddRefusesTheSameNameAndNamesEqualButForCase) {
    EXPECT_EQ(Add("Notepad", "C:\\other.exe"), kDuplicateNameMessage);
    // The settings file would keep one key for both: refused with its own message.
    EXPECT_EQ(Add("notepad", "C:\\other.exe"), kCaseOnlyDuplicateMessage);
    EXPECT_EQ(Add("PAINT", "C:\\other.exe"), kCaseOnlyDuplicateMessage);
    EXPECT_EQ(list_.rows().size(), 3u);
    // Width and blanks inside count: these are other names.
    EXPECT_EQ(Add("Ｎｏｔｅｐａｄ", "C:\\a.exe"), std::nullopt);
    EXPECT_EQ(Add("Note pad", "C:\\b.exe"), std::nullopt);
    EXPECT_EQ(list_.rows().size(), 5u);

    list_.LoadRows({{"A", "1"}, {"A", "2"}, {"a", "3"}});  // the file's rows are taken as they are
    EXPECT_EQ(list_.rows().size(), 3u);
}

TEST_F(LauncherListTest, NamesTheFileCannotHoldAreRefusedWithAMessage) {
    EXPECT_EQ(NameProblem(""), kEmptyNameMessage);
    EXPECT_EQ(NameProblem("a=b"), kNameWithEqualsMessage);
    EXPECT_EQ(NameProblem("[tools]"), kNameLeadingMarkMessage);
    EXPECT_EQ(NameProblem(";x"), kNameLeadingMarkMessage);
    for (const char* name : {" x", "x ", "\tx", "x\x1A", "\u3000x", "x\u3000"})
        EXPECT_EQ(NameProblem(name), kNameEdgeBlankMessage) << name;
    EXPECT_EQ(NameProblem("a\nb"), kNameControlCharMessage);
    for (const char* name : {"x[y]", "a;b", "メモ帳", "Note pad", "a\u3000b"})
        EXPECT_EQ(NameProblem(name), std::nullopt) << name;

    EXPECT_EQ(Add("", "C:\\a.exe"), std::nullopt);  // an empty name: nothing happens, no message
    EXPECT_EQ(Add("x=y", "C:\\a.exe"), kNameWithEqualsMessage);
    EXPECT_EQ(list_.rows().size(), 3u);
}

TEST_F(LauncherListTest, EditChangesTheSelectedRowAndMayKeepItsName) {
    list_.SetNameText("New");
    list_.SetPathText("C:\\new.exe");
    EXPECT_EQ(list_.Edit(), std::nullopt);  // nothing selected: nothing changes
    EXPECT_EQ(Names(), (std::vector<std::string>{"Notepad", "calc", "Paint"}));

    list_.ItemClick(0);
    EXPECT_EQ(list_.nameText(), "Notepad");
    EXPECT_EQ(list_.pathText(), "C:\\Windows\\notepad.exe");
    list_.SetPathText("D:\\notepad2.exe");
    EXPECT_EQ(list_.Edit(), std::nullopt);
    EXPECT_EQ(list_.rows()[0], (LauncherRow{"Notepad", "D:\\notepad2.exe"}));
    // Its own name in another case is no clash with itself.
    list_.SetNameText("NOTEPAD");
    EXPECT_EQ(list_.Edit(), std::nullopt);
    EXPECT_EQ(list_.rows()[0].name, "NOTEPAD");
    // An empty path is taken as it is.
    list_.SetPathText("");
    EXPECT_EQ(list_.Edit(), std::nullopt);
    EXPECT_EQ(list_.rows()[0].path, "");
}

TEST_F(LauncherListTest, EditRefusesAnotherRowsNameAndBadNames) {
    list_.ItemClick(1);
    list_.SetNameText("Paint");
    EXPECT_EQ(list_.Edit(), kDuplicateNameMessage);
    list_.SetNameText("paint");
    EXPECT_EQ(list_.Edit(), kCaseOnlyDuplicateMessage);
    list_.SetNameText(" calc");
    EXPECT_EQ(list_.Edit(), kNameEdgeBlankMessage);
    list_.SetNameText("");
    EXPECT_EQ(list_.Edit(), std::nullopt);  // an empty name: nothing happens, no message
    EXPECT_EQ(list_.rows()[1], (LauncherRow{"calc", "C:\\Windows\\System32\\calc.exe"}));

    LauncherList empty;
    empty.SetNameText("x");
    EXPECT_EQ(empty.Edit(), std::nullopt);
    EXPECT_TRUE(empty.rows().empty());
}

TEST_F(LauncherListTest, DeleteNeedsASelectionAndEmptiesTheFields) {
    list_.SetNameText("typed");
    list_.Delete();
    EXPECT_EQ(list_.rows().size(), 3u);
    EXPECT_EQ(list_.nameText(), "typed");

    list_.ItemClick(1);
    list_.Delete();
    EXPECT_EQ(Names(), (std::vector<std::string>{"Notepad", "Paint"}));
    EXPECT_EQ(list_.nameText(), "");
    EXPECT_EQ(list_.pathText(), "");
    EXPECT_EQ(list_.selected(), std::nullopt);

    list_.ItemClick(7);  // no such row
    EXPECT_EQ(list_.selected(), std::nullopt);
    list_.SetNameText("a");
    list_.SetPathText("b");
    list_.ClearFields();
    EXPECT_EQ(list_.nameText(), "");
    EXPECT_EQ(list_.pathText(), "");
    EXPECT_EQ(list_.rows().size(), 2u);
}

// ---- sorting ----

TEST_F(LauncherListTest, RowsShowInFileOrderUntilTheFirstHeaderClick) {
    EXPECT_FALSE(list_.sorted());
    EXPECT_EQ(list_.sortKey(), 0);
    EXPECT_EQ(list_.sortOrder(), LauncherList::SortOrder::Ascending);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Notepad", "calc", "Paint"}));
    // Start state name ascending: the first click on the name header flips it.
    list_.SortByColumn(1);
    EXPECT_EQ(list_.sortOrder(), LauncherList::SortOrder::Descending);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Paint", "Notepad", "calc"}));
    list_.SortByColumn(1);
    EXPECT_EQ(Names(), (std::vector<std::string>{"calc", "Notepad", "Paint"}));
}

TEST_F(LauncherListTest, AnotherColumnSortsAscendingThenFlips) {
    list_.SortByColumn(2);
    EXPECT_EQ(list_.sortKey(), 1);
    EXPECT_EQ(list_.sortOrder(), LauncherList::SortOrder::Ascending);
    // C:\Windows\notepad.exe sorts before C:\Windows\System32\...: case does not count.
    EXPECT_EQ(Names(), (std::vector<std::string>{"Notepad", "calc", "Paint"}));
    list_.SortByColumn(2);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Paint", "calc", "Notepad"}));
    list_.SortByColumn(1);
    EXPECT_EQ(list_.sortKey(), 0);
    EXPECT_EQ(list_.sortOrder(), LauncherList::SortOrder::Ascending);
    EXPECT_EQ(Names(), (std::vector<std::string>{"calc", "Notepad", "Paint"}));
}

TEST_F(LauncherListTest, SelectionFollowsItsRowAndNewRowsTakeTheirSortedPlace) {
    list_.ItemClick(0);  // Notepad
    list_.SortByColumn(1);
    list_.SortByColumn(1);  // ascending: calc, Notepad, Paint
    ASSERT_EQ(list_.selected(), 1u);
    EXPECT_EQ(Add("Browser", "C:\\b.exe"), std::nullopt);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Browser", "calc", "Notepad", "Paint"}));
    EXPECT_EQ(list_.selected(), 2u);
    list_.SetNameText("Zip");
    EXPECT_EQ(list_.Edit(), std::nullopt);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Browser", "calc", "Paint", "Zip"}));
    EXPECT_EQ(list_.selected(), 3u);
    list_.SortByColumn(3);  // no such column: nothing changes
    EXPECT_EQ(list_.sortKey(), 0);
}

// ---- browse and drop ----

TEST_F(LauncherListTest, BrowseFillsPathAndNameAndACancelEmptiesBoth) {
    list_.TakeBrowseResult("C:\\Tools\\my.tool.exe");
    EXPECT_EQ(list_.pathText(), "C:\\Tools\\my.tool.exe");
    EXPECT_EQ(list_.nameText(), "my");
    list_.TakeBrowseResult("");
    EXPECT_EQ(list_.pathText(), "");
    EXPECT_EQ(list_.nameText(), "");
}

TEST_F(LauncherListTest, DropsTakeTheFirstFileOnly) {
    list_.DropOnName({"C:\\Tools\\my.tool.exe", "C:\\other.exe"});
    EXPECT_EQ(list_.pathText(), "C:\\Tools\\my.tool.exe");
    EXPECT_EQ(list_.nameText(), "my");
    list_.DropOnPath({"C:\\Tools"});
    EXPECT_EQ(list_.pathText(), "C:\\Tools");
    EXPECT_EQ(list_.nameText(), "");
    // A drop without files leaves the fields alone.
    list_.SetNameText("kept");
    list_.DropOnPath({});
    list_.DropOnName({});
    EXPECT_EQ(list_.nameText(), "kept");
    EXPECT_EQ(list_.pathText(), "C:\\Tools");

    EXPECT_EQ(FirstDroppedFile({"D:\\a.exe", "D:\\b.exe"}), "D:\\a.exe");
    EXPECT_EQ(FirstDroppedFile({}), std::nullopt);
}

}  // namespace
}  // namespace velmora::option
