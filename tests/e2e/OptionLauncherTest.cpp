// Option.exe's launcher list editor under Wine: the buttons and their
// message box, a row click, sorting by a real click on a column header, the
// open-file dialog and files dropped onto the fields by OLE drag and drop.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "e2e/OptionDriver.h"
#include "platform/win32/OptionIds.h"

namespace velmora::e2e {
namespace {

namespace ids = win32::option_ids;
using ::testing::ElementsAre;

constexpr char kThreeApps[] =
    "[App]\r\n"
    "Notepad=C:\\Windows\\notepad.exe\r\n"
    "Calc=C:\\Windows\\calc.exe\r\n"
    "ペイント=C:\\Apps\\mspaint.exe\r\n";

class OptionLauncherTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_.WriteSettings(kThreeApps);
        option_ = std::make_unique<OptionProcess>(folder_);
        ASSERT_TRUE(option_->WaitForForm()) << "Option.exe showed no form";
    }

    void Fill(std::wstring_view name, std::wstring_view path) const {
        option_->SetText(option_->Control(ids::kTxtName), name);
        option_->SetText(option_->Control(ids::TxtPath(0)), path);
    }
    std::wstring Name() const { return option_->Text(ids::kTxtName); }
    std::wstring Path() const { return option_->Text(ids::TxtPath(0)); }

    // The message box the form shows; answered with its OK button.
    std::wstring AnswerMessageBox() const {
        HWND box = option_->WaitForDialog(L"Option", 5000);
        if (!box) return L"<no message box>";
        std::wstring text = OptionProcess::MessageText(box);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        for (int i = 0; i < 250 && IsWindow(box); ++i) Sleep(20);
        option_->Sync();
        return text;
    }

    // A real left click on a header of the list view.
    void ClickHeader(int column) const {
        HWND header = reinterpret_cast<HWND>(SendMessageW(option_->Control(ids::kListView1), LVM_GETHEADER, 0, 0));
        RECT rect{};
        GetWindowRect(header, &rect);
        const int x = rect.left + (column == 0 ? option_->ColumnWidth(0) / 2 : option_->ColumnWidth(0) + 40);
        ClickAt(POINT{x, (rect.top + rect.bottom) / 2});
        // Two clicks on one spot within the double-click time are a double
        // click, which sorts nothing.
        Sleep(GetDoubleClickTime() + 50);
        option_->Sync();
    }

    OptionFolder folder_;
    std::unique_ptr<OptionProcess> option_;
};

TEST_F(OptionLauncherTest, AddRefusesATakenNameWithTheMessageAndAppendsANewOne) {
    Fill(L"Calc", L"C:\\Other\\calc.exe");
    option_->ClickOpeningBox(ids::kCmdAdd);
    EXPECT_EQ(AnswerMessageBox(), L"すでに同名のコマンドが登録されています");
    EXPECT_EQ(option_->RowCount(), 3);

    // Without a path nothing happens and nothing is shown.
    Fill(L"Paint", L"");
    option_->Click(ids::kCmdAdd);
    EXPECT_EQ(option_->WaitForDialog(L"Option", 300), nullptr);
    EXPECT_EQ(option_->RowCount(), 3);

    Fill(L"Paint", L"C:\\Apps\\paint.exe");
    option_->Click(ids::kCmdAdd);
    EXPECT_EQ(option_->Rows().back(), (OptionRow{L"Paint", L"C:\\Apps\\paint.exe"}));
    // The fields keep their text for the next entry.
    EXPECT_EQ(Name(), L"Paint");
    EXPECT_EQ(Path(), L"C:\\Apps\\paint.exe");
}

TEST_F(OptionLauncherTest, ARowClickFillsTheFieldsForEditDeleteAndClear) {
    ASSERT_TRUE(option_->SelectRow(1));
    option_->Sync();
    EXPECT_EQ(Name(), L"Calc");
    EXPECT_EQ(Path(), L"C:\\Windows\\calc.exe");

    // Keeping its own name is no conflict; an empty path is taken as it is.
    Fill(L"Calc", L"");
    option_->Click(ids::kCmdEdit);
    EXPECT_EQ(option_->WaitForDialog(L"Option", 300), nullptr);
    EXPECT_EQ(option_->Cell(1, 1), L"");

    Fill(L"Notepad", L"C:\\x.exe");
    option_->ClickOpeningBox(ids::kCmdEdit);
    EXPECT_EQ(AnswerMessageBox(), L"すでに同名のコマンドが登録されています");
    EXPECT_EQ(option_->Cell(1, 0), L"Calc");

    Fill(L"電卓", L"C:\\Windows\\calc.exe");
    option_->Click(ids::kCmdEdit);
    EXPECT_EQ(option_->Cell(1, 0), L"電卓");

    option_->Click(ids::kCmdClr);
    EXPECT_EQ(Name(), L"");
    EXPECT_EQ(Path(), L"");
    EXPECT_EQ(option_->RowCount(), 3);

    option_->Click(ids::kCmdDelete);
    EXPECT_THAT(option_->Rows(), ElementsAre(OptionRow{L"Notepad", L"C:\\Windows\\notepad.exe"},
                                             OptionRow{L"ペイント", L"C:\\Apps\\mspaint.exe"}));
    // Nothing is selected any more: a second delete does nothing.
    option_->Click(ids::kCmdDelete);
    EXPECT_EQ(option_->RowCount(), 2);

    option_->Click(ids::CmdDecision(1));
    EXPECT_THAT(folder_.Keys(L"App"), ElementsAre(L"Notepad", L"ペイント"));
}

TEST_F(OptionLauncherTest, HeaderClicksSortAndApplyWritesTheDisplayOrder) {
    auto names = [this] {
        std::vector<std::wstring> shown;
        for (const OptionRow& row : option_->Rows()) shown.push_back(row.first);
        return shown;
    };
    option_->Activate();
    // Unsorted at first; the name column counts as ascending, so its first click descends.
    ClickHeader(0);
    EXPECT_THAT(names(), ElementsAre(L"ペイント", L"Notepad", L"Calc"));
    ClickHeader(1);  // another column: ascending by path
    EXPECT_THAT(names(), ElementsAre(L"ペイント", L"Calc", L"Notepad"));
    ClickHeader(1);  // the same column again: the order flips
    EXPECT_THAT(names(), ElementsAre(L"Notepad", L"Calc", L"ペイント"));

    option_->Click(ids::CmdDecision(1));
    EXPECT_THAT(folder_.Keys(L"App"), ElementsAre(L"Notepad", L"Calc", L"ペイント"));
    ClickHeader(0);  // back to the name column, ascending
    EXPECT_THAT(names(), ElementsAre(L"Calc", L"Notepad", L"ペイント"));
    option_->Click(ids::CmdDecision(1));
    EXPECT_THAT(folder_.Keys(L"App"), ElementsAre(L"Calc", L"Notepad", L"ペイント"));
    EXPECT_EQ(folder_.Read(L"App", L"ペイント"), L"C:\\Apps\\mspaint.exe");
}

// The dialog's file name box: the edit control "edt1" (0x480), or the edit of
// the combo box "cmb13" (0x47C), an extended one in Wine's dialog.
HWND FileNameBox(HWND dialog) {
    if (HWND edit = GetDlgItem(dialog, 0x480)) return edit;
    HWND combo = GetDlgItem(dialog, 0x47C);
    if (HWND edit = reinterpret_cast<HWND>(SendMessageW(combo, CBEM_GETEDITCONTROL, 0, 0))) return edit;
    return FindWindowExW(combo, nullptr, L"Edit", nullptr);
}

TEST_F(OptionLauncherTest, BrowseDialogFillsOrEmptiesThePathFields) {
    Fill(L"old", L"C:\\old.exe");
    option_->ClickOpeningBox(ids::CmdOpen(0));
    HWND dialog = option_->WaitForDialog(L"ファイルを開く");
    ASSERT_NE(dialog, nullptr);
    HWND filter = GetDlgItem(dialog, 0x470);  // cmb1, the file type box
    ASSERT_NE(filter, nullptr);
    EXPECT_EQ(SendMessageW(filter, CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageW(filter, CB_GETCURSEL, 0, 0), 0);
    wchar_t entry[128] = {};
    SendMessageW(filter, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(entry));
    EXPECT_STREQ(entry, L"実行ファイル(*.exe)");
    SendMessageW(filter, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(entry));
    EXPECT_STREQ(entry, L"すべてのファイル(*.*)");
    // Cancelled: both fields emptied.
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    for (int i = 0; i < 250 && IsWindow(dialog); ++i) Sleep(20);
    option_->Sync();
    EXPECT_EQ(Name(), L"");
    EXPECT_EQ(Path(), L"");

    // A chosen file: its path, and its file title as the name.
    option_->ClickOpeningBox(ids::CmdOpen(0));
    dialog = option_->WaitForDialog(L"ファイルを開く");
    ASSERT_NE(dialog, nullptr);
    SendMessageW(FileNameBox(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder_.Program().c_str()));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    for (int i = 0; i < 250 && IsWindow(dialog); ++i) Sleep(20);
    option_->Sync();
    EXPECT_EQ(lstrcmpiW(Path().c_str(), folder_.Program().c_str()), 0) << Path();
    EXPECT_EQ(Name(), L"Option");

    // The start-up application's button fills only its own field.
    option_->ClickOpeningBox(ids::CmdOpen(1));
    dialog = option_->WaitForDialog(L"ファイルを開く");
    ASSERT_NE(dialog, nullptr);
    SendMessageW(FileNameBox(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder_.Program().c_str()));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    for (int i = 0; i < 250 && IsWindow(dialog); ++i) Sleep(20);
    option_->Sync();
    EXPECT_EQ(lstrcmpiW(option_->Text(ids::TxtPath(1)).c_str(), folder_.Program().c_str()), 0);
    EXPECT_EQ(Name(), L"Option");
}

TEST_F(OptionLauncherTest, DroppedFilesFillTheFieldsTheyLandOn) {
    OleApartment ole;
    ASSERT_TRUE(ole.Joined());
    auto dropOn = [this](int id, const std::vector<std::wstring>& files) {
        PointAt(option_->Control(id));
        const DWORD effect = DropFilesAtPointer(files);
        option_->Sync();
        return effect;
    };

    // Onto the name: the first file only, its title as the name.
    EXPECT_EQ(dropOn(ids::kTxtName, {L"C:\\Tools\\my.tool.exe", L"C:\\Tools\\second.exe"}), DWORD{DROPEFFECT_COPY});
    EXPECT_EQ(Name(), L"my");
    EXPECT_EQ(Path(), L"C:\\Tools\\my.tool.exe");
    // Onto the path: a folder has no file title.
    dropOn(ids::TxtPath(0), {L"C:\\Tools"});
    EXPECT_EQ(Name(), L"");
    EXPECT_EQ(Path(), L"C:\\Tools");
    // Onto the start-up path: that field alone.
    dropOn(ids::TxtPath(1), {L"D:\\起動\\app.exe"});
    EXPECT_EQ(option_->Text(ids::TxtPath(1)), L"D:\\起動\\app.exe");
    EXPECT_EQ(Path(), L"C:\\Tools");
    // Text without a file list is refused and changes nothing.
    PointAt(option_->Control(ids::kTxtName));
    EXPECT_EQ(DropTextAtPointer(L"C:\\plain\\text.exe"), DWORD{DROPEFFECT_NONE});
    option_->Sync();
    EXPECT_EQ(Name(), L"");
    EXPECT_EQ(Path(), L"C:\\Tools");
}

}  // namespace
}  // namespace velmora::e2e
