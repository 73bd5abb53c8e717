#include "platform/win32/LauncherEditor.h"

#include <utility>

#include "base/Twips.h"
#include "controls/win32/OpenFileDialog.h"
#include "platform/win32/OptionIds.h"
#include "platform/win32/kit/WinString.h"

namespace velmora::win32 {

namespace ids = option_ids;

LauncherEditor::LauncherEditor(HWND form, Controls controls) : form_(form), controls_(controls) {
    if (!controls_.list) return;
    ListView_SetExtendedListViewStyle(controls_.list, LVS_EX_FULLROWSELECT);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    std::wstring name = Widen("アプリケーション名");
    std::wstring path = Widen("パス");
    column.pszText = name.data();
    column.iSubItem = 0;
    ListView_InsertColumn(controls_.list, 0, &column);
    column.pszText = path.data();
    column.iSubItem = 1;
    ListView_InsertColumn(controls_.list, 1, &column);
}

void LauncherEditor::Load(std::vector<option::LauncherRow> rows) {
    launcher_.LoadRows(std::move(rows));
    ShowRows();
}

void LauncherEditor::SizeColumns(double twipsPerPixelX) {
    if (!controls_.list) return;
    ListView_SetColumnWidth(controls_.list, 0, base::TwipsToPixels(2000, twipsPerPixelX));
    ListView_SetColumnWidth(controls_.list, 1, base::TwipsToPixels(6000, twipsPerPixelX));
}

bool LauncherEditor::OnCommand(int id, int code, HWND control) {
    if (control == controls_.name || control == controls_.path) {
        if (code == EN_CHANGE) TakeFields();
        return true;
    }
    if (code != BN_CLICKED) return false;
    switch (id) {
        case ids::kCmdAdd:
        case ids::kCmdEdit: {
            TakeFields();
            const auto refusal = id == ids::kCmdAdd ? launcher_.Add() : launcher_.Edit();
            if (refusal) {
                ShowMessage(*refusal);
            } else {
                ShowRows();
            }
            return true;
        }
        case ids::kCmdDelete:
            launcher_.Delete();
            ShowRows();
            ShowFields();
            return true;
        case ids::kCmdClr:
            launcher_.ClearFields();
            ShowFields();
            return true;
        case ids::CmdOpen(0):
            launcher_.TakeBrowseResult(
                ShowOpenFileDialog(form_, option::kBrowseFilter, option::kBrowseFilterIndex, option::kBrowseTitle));
            ShowFields();
            return true;
        default:
            return false;
    }
}

void LauncherEditor::OnNotify(const NMHDR& header) {
    if (header.hwndFrom != controls_.list || showingList_) return;
    switch (header.code) {
        case LVN_ITEMCHANGED: {
            const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
            const bool nowSelected = (change.uNewState & LVIS_SELECTED) && !(change.uOldState & LVIS_SELECTED);
            if (nowSelected && change.iItem >= 0) {
                launcher_.ItemClick(static_cast<std::size_t>(change.iItem));
                ShowFields();
            }
            break;
        }
        case NM_CLICK: {
            const auto& click = reinterpret_cast<const NMITEMACTIVATE&>(header);
            if (click.iItem >= 0) {
                // Also a click on the row already selected fills the fields again.
                launcher_.ItemClick(static_cast<std::size_t>(click.iItem));
                ShowFields();
            } else {
                // A click beside the rows clears the list view's selection, but
                // "編集" and "削除" still act on the model's selected row: show it.
                ShowSelection();
            }
            break;
        }
        case LVN_COLUMNCLICK:
            launcher_.SortByColumn(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem + 1);
            ShowRows();
            break;
        default:
            break;
    }
}

void LauncherEditor::DropOnName(const std::vector<std::string>& files) {
    launcher_.DropOnName(files);
    ShowFields();
}

void LauncherEditor::DropOnPath(const std::vector<std::string>& files) {
    launcher_.DropOnPath(files);
    ShowFields();
}

void LauncherEditor::ShowMessage(std::string_view text) {
    MessageBoxW(form_, Widen(text).c_str(), ids::kCaption, MB_OK);
}

void LauncherEditor::ShowRows() {
    if (!controls_.list) return;
    showingList_ = true;
    SendMessageW(controls_.list, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(controls_.list);
    int index = 0;
    for (const option::LauncherRow& row : launcher_.rows()) {
        std::wstring name = Widen(row.name);
        std::wstring path = Widen(row.path);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = index++;
        item.pszText = name.data();
        const int inserted = ListView_InsertItem(controls_.list, &item);
        ListView_SetItemText(controls_.list, inserted, 1, path.data());
    }
    SendMessageW(controls_.list, WM_SETREDRAW, TRUE, 0);
    showingList_ = false;
    ShowSelection();
}

void LauncherEditor::ShowSelection() {
    if (!controls_.list) return;
    showingList_ = true;
    ListView_SetItemState(controls_.list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (std::optional<std::size_t> selected = launcher_.selected()) {
        const int row = static_cast<int>(*selected);
        ListView_SetItemState(controls_.list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ListView_EnsureVisible(controls_.list, row, FALSE);
    }
    showingList_ = false;
}

void LauncherEditor::ShowFields() {
    // Each SetWindowText comes back as EN_CHANGE into TakeFields, so both
    // texts are read from the model before either is shown.
    const std::string name = launcher_.nameText();
    const std::string path = launcher_.pathText();
    SetWindowTextUtf8(controls_.name, name);
    SetWindowTextUtf8(controls_.path, path);
}

void LauncherEditor::TakeFields() {
    launcher_.SetNameText(GetWindowTextUtf8(controls_.name));
    launcher_.SetPathText(GetWindowTextUtf8(controls_.path));
}

}  // namespace velmora::win32
