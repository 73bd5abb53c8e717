#include "platform/win32/OptionWindow.h"

#include <commctrl.h>

#include <cmath>
#include <tuple>
#include <utility>

#include "base/Twips.h"
#include "controls/win32/HotkeyField.h"
#include "controls/win32/OpenFileDialog.h"
#include "platform/win32/OptionIds.h"
#include "platform/win32/kit/Dpi.h"
#include "platform/win32/kit/WinString.h"
#include "settings/ModIni.h"

namespace velmora::win32 {

namespace ids = option_ids;

namespace {

constexpr wchar_t kPictureBoxClass[] = L"VelmoraPictureBox";

// Frames, in client twips; their controls are placed relative to them.
constexpr double kExplorer1Left = 120, kExplorerTop = 480, kExplorer2Left = 5160;
constexpr double kExplorerWidth = 4935, kExplorerHeight = 1100;
constexpr double kCaptureLeft = 120, kCaptureTop = 1680, kCaptureWidth = 9975, kCaptureHeight = 4575;
constexpr double kLauncherLeft = kCaptureLeft + 120, kLauncherTop = kCaptureTop + 720;
constexpr double kLauncherWidth = 9735, kLauncherHeight = 3765;

constexpr double kRowHeight = 285;     // edit boxes, numeric fields, labels beside them
constexpr double kButtonHeight = 255;  // every push button and check box

constexpr DWORD kCheck = BS_AUTOCHECKBOX | WS_TABSTOP;
constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kLabel = SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX;
constexpr DWORD kEdit = ES_AUTOHSCROLL | WS_TABSTOP;

constexpr char kPathToolTip[] = "取り込みたいアプリケーションのパスを入力してください";
constexpr char kOpenToolTip[] = "ファイルを開くダイアログを表示";

bool IsChecked(HWND box) { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void SetChecked(HWND box, bool checked) { SendMessageW(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0); }

// The hosts of the hotkey fields: plain boxes without an object behind them.
void RegisterPictureBoxClass(HINSTANCE instance) {
    WNDCLASSEXW cls{sizeof(cls)};
    if (GetClassInfoExW(instance, kPictureBoxClass, &cls)) return;
    cls.lpfnWndProc = DefWindowProcW;
    cls.hInstance = instance;
    cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    cls.lpszClassName = kPictureBoxClass;
    RegisterClassExW(&cls);
}

// The design-time properties every numeric field of the form has.
controls::PropertyBag PositionFieldProperties() {
    controls::PropertyBag bag;
    bag.Write("Max", 200.0);
    bag.Write("Min", -200.0);
    bag.Write("Increment", 1.0);
    bag.Write("Value", 0.0);
    bag.Write("Interval1", std::int32_t{200});
    bag.Write("Interval2", std::int32_t{20});
    bag.Write("Font", controls::UDFont{});
    return bag;
}

option::TwipsPerPixel ScaleAt(WindowDpi dpi) { return {dpi.TwipsPerPixelX(), dpi.TwipsPerPixelY()}; }

}  // namespace

OptionWindow::OptionWindow(settings::ProfileStore& store, std::string programFolder, bool takeDrops)
    : store_(store), programFolder_(std::move(programFolder)), takeDrops_(takeDrops) {}

OptionWindow::~OptionWindow() {
    // Revoked while the fields are still there; the handlers do not run again.
    for (DropRegistration& drop : drops_) drop.Revoke();
    DestroyDetached();
}

bool OptionWindow::Create(HINSTANCE instance, int show) {
    if (!Register(instance, {ids::kWindowClass, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1),
                             LoadCursorW(nullptr, IDC_ARROW), LoadIconW(instance, MAKEINTRESOURCEW(1))})) {
        return false;
    }
    RegisterPictureBoxClass(instance);
    // Sized for 96 DPI here; the layout corrects it for the monitor the
    // window lands on.
    if (!Window::Create(WS_EX_CONTROLPARENT, ids::kWindowClass, ids::kCaption,
                        WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT, CW_USEDEFAULT,
                        base::TwipsToPixels(OptionLayout::kClientWidth, 15),
                        base::TwipsToPixels(OptionLayout::kClientHeight, 15), nullptr, nullptr, instance)) {
        return false;
    }
    ShowWindow(Hwnd(), show);
    UpdateWindow(Hwnd());
    return true;
}

bool OptionWindow::PreTranslateMessage(MSG& message) { return Hwnd() && IsDialogMessageW(Hwnd(), &message); }

LRESULT OptionWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            OnCreate();
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_NOTIFY:
            if (launcher_) launcher_->OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
            return 0;
        case DM_GETDEFID:
            // IsDialogMessage asks for the default button when Enter is pressed.
            return MAKELRESULT(ids::CmdDecision(0), DC_HASDEFID);
        case WM_ACTIVATE:
            // Not a dialog: keep the focused control across deactivation by hand.
            if (LOWORD(wParam) == WA_INACTIVE) {
                focusBeforeDeactivation_ = GetFocus();
            } else if (focusBeforeDeactivation_ && IsChild(Hwnd(), focusBeforeDeactivation_)) {
                SetFocus(focusBeforeDeactivation_);
                return 0;
            }
            break;
        case WM_DPICHANGED:
            OnDpiChanged(wParam, *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case kShowUnreadable:
            MessageBoxW(Hwnd(), Widen(option::UnreadableMessage(programFolder_)).c_str(), ids::kCaption, MB_OK);
            return 0;
        case WM_CLOSE:
            // The close box is "Cansel": nothing is written.
            Decide(option::Decision::Cancel);
            return 0;
        case WM_DESTROY:
            OnDestroy();
            return 0;
        default:
            break;
    }
    return Default(message, wParam, lParam);
}

void OptionWindow::OnCreate() {
    layout_ = std::make_unique<OptionLayout>(Hwnd());
    CreateControls();
    Place();

    // Form load: the hotkey fields first, then the settings.
    hotkeyFields_[0] = CreateHotkeyField(hotkeyBoxes_[0]);
    hotkeyFields_[1] = CreateHotkeyField(hotkeyBoxes_[1]);
    LoadSettings();

    if (takeDrops_) {
        drops_[0] = DropRegistration(
            txtName_, FilePathDrop([this](const std::vector<std::string>& files) { launcher_->DropOnName(files); }));
        drops_[1] = DropRegistration(
            txtPath_[0], FilePathDrop([this](const std::vector<std::string>& files) { launcher_->DropOnPath(files); }));
        drops_[2] = DropRegistration(txtPath_[1], FilePathDrop([this](const std::vector<std::string>& files) {
                                         if (auto file = option::FirstDroppedFile(files))
                                             SetWindowTextUtf8(txtPath_[1], *file);
                                     }));
    }
    SetFocus(chkWindow_);
}

void OptionWindow::CreateControls() {
    OptionLayout& layout = *layout_;
    const std::pair<int, std::pair<const char*, base::TwipsRect>> frames[] = {
        {ids::FrameApp(5), {"エクスプローラ１", {kExplorer1Left, kExplorerTop, kExplorerWidth, kExplorerHeight}}},
        {ids::FrameApp(6), {"エクスプローラ２", {kExplorer2Left, kExplorerTop, kExplorerWidth, kExplorerHeight}}},
        {ids::FrameApp(7), {"取り込み画面", {kCaptureLeft, kCaptureTop, kCaptureWidth, kCaptureHeight}}},
        {ids::FrameApp(0), {"取り込みランチャ", {kLauncherLeft, kLauncherTop, kLauncherWidth, kLauncherHeight}}},
    };
    std::vector<HWND> frameWindows;
    for (const auto& [id, frame] : frames)
        frameWindows.push_back(layout.Add(L"BUTTON", frame.first, BS_GROUPBOX, 0, id, frame.second));

    // The check boxes in a row along the top.
    chkWindow_ = layout.Add(L"BUTTON", "ウィンドウの位置、サイズを記憶する", kCheck, 0, ids::kChkWindow,
                            {120, 120, 3615, kButtonHeight});
    chk_[0] =
        layout.Add(L"BUTTON", "エクスプローラのグリッド表示", kCheck, 0, ids::Chk(0), {3855, 120, 3015, kButtonHeight});
    chk_[1] =
        layout.Add(L"BUTTON", "エクスプローラの一行選択", kCheck, 0, ids::Chk(1), {6990, 120, 3105, kButtonHeight});

    AddPositionRow(kExplorer1Left, kExplorerTop + 270, 0, 1, 0);
    AddHotkeyRow(kExplorer1Left, kExplorerTop + 690, 9, 0);
    AddPositionRow(kExplorer2Left, kExplorerTop + 270, 2, 3, 2);
    AddHotkeyRow(kExplorer2Left, kExplorerTop + 690, 10, 1);

    // The capture frame: its positions and the start-up application.
    AddPositionRow(kCaptureLeft, kCaptureTop + 300, 6, 7, 4);
    layout.Add(L"STATIC", "起動時取り込みアプリ", kLabel, 0, ids::LblPos(5),
               {kCaptureLeft + 3690, kCaptureTop + 300, 1860, kRowHeight});
    txtPath_[1] = layout.Add(L"EDIT", "", kEdit, WS_EX_CLIENTEDGE, ids::TxtPath(1),
                             {kCaptureLeft + 5610, kCaptureTop + 300, 3615, kRowHeight});
    HWND open1 = layout.Add(L"BUTTON", "...", kButton, 0, ids::CmdOpen(1),
                            {kCaptureLeft + 9285, kCaptureTop + 300, 495, kRowHeight});

    // The launcher list editor.
    listView_ = layout.Add(WC_LISTVIEWW, "", LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP,
                           WS_EX_CLIENTEDGE, ids::kListView1, {kLauncherLeft + 120, kLauncherTop + 270, 9495, 2295});
    HWND add = layout.Add(L"BUTTON", "追加", kButton, 0, ids::kCmdAdd,
                          {kLauncherLeft + 120, kLauncherTop + 2655, 975, kButtonHeight});
    HWND edit = layout.Add(L"BUTTON", "編集", kButton, 0, ids::kCmdEdit,
                           {kLauncherLeft + 1215, kLauncherTop + 2655, 975, kButtonHeight});
    HWND remove = layout.Add(L"BUTTON", "削除", kButton, 0, ids::kCmdDelete,
                             {kLauncherLeft + 2310, kLauncherTop + 2655, 975, kButtonHeight});
    layout.Add(L"STATIC", "アプリケーション名", kLabel, 0, ids::LblPos(4),
               {kLauncherLeft + 120, kLauncherTop + 3000, 1740, kRowHeight});
    txtName_ = layout.Add(L"EDIT", "", kEdit, WS_EX_CLIENTEDGE, ids::kTxtName,
                          {kLauncherLeft + 1920, kLauncherTop + 3000, 5055, kRowHeight});
    HWND clear = layout.Add(L"BUTTON", "ｸﾘｱ", kButton, 0, ids::kCmdClr,
                            {kLauncherLeft + 7095, kLauncherTop + 3015, 975, kButtonHeight});
    layout.Add(L"STATIC", "パス", kLabel, 0, ids::LblPos(8),
               {kLauncherLeft + 120, kLauncherTop + 3375, 1740, kRowHeight});
    txtPath_[0] = layout.Add(L"EDIT", "", kEdit, WS_EX_CLIENTEDGE, ids::TxtPath(0),
                             {kLauncherLeft + 1920, kLauncherTop + 3375, 5055, kRowHeight});
    HWND open0 = layout.Add(L"BUTTON", "...", kButton, 0, ids::CmdOpen(0),
                            {kLauncherLeft + 7095, kLauncherTop + 3375, 495, kRowHeight});

    // The decision buttons at the bottom right.
    layout.Add(L"BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, ids::CmdDecision(0),
               {6240, 6375, 1215, kButtonHeight});
    layout.Add(L"BUTTON", "Apply", kButton, 0, ids::CmdDecision(1), {7560, 6375, 1215, kButtonHeight});
    layout.Add(L"BUTTON", "Cansel", kButton, 0, ids::CmdDecision(2), {8880, 6375, 1215, kButtonHeight});

    launcher_ = std::make_unique<LauncherEditor>(Hwnd(), LauncherEditor::Controls{listView_, txtName_, txtPath_[0]});

    layout.AddToolTip(txtPath_[1], kPathToolTip);
    layout.AddToolTip(open1, kOpenToolTip);
    layout.AddToolTip(listView_, "ここにアプリケーションを登録します");
    layout.AddToolTip(add, "アプリケーション名とパスを新規に追加");
    layout.AddToolTip(edit, "選択しているアプリケーションを編集");
    layout.AddToolTip(remove, "選択しているアプリケーションを削除");
    layout.AddToolTip(txtName_, "アプリケーション名を入力して下さい");
    layout.AddToolTip(clear, "名前、パスの入力部をクリアします");
    layout.AddToolTip(txtPath_[0], kPathToolTip);
    layout.AddToolTip(open0, kOpenToolTip);

    // The frames go under the controls placed on them: the window under the
    // pointer must be the control, not its frame, for another process's drag
    // and drop to find the drop targets.
    for (HWND frame : frameWindows)
        SetWindowPos(frame, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// A position row: "位置  X" [field] "Y" [field], at (left, top) of its frame.
void OptionWindow::AddPositionRow(double left, double top, int labelX, int labelY, int field) {
    layout_->Add(L"STATIC", "位置  X", kLabel, 0, ids::LblPos(labelX), {left + 180, top, 660, kRowHeight});
    for (int axis = 0; axis < 2; ++axis) {
        const int index = field + axis;
        if (axis == 1)
            layout_->Add(L"STATIC", "Y", kLabel, 0, ids::LblPos(labelY), {left + 2100, top, 240, kRowHeight});
        auto& position = positions_[static_cast<std::size_t>(index)];
        position = std::make_unique<UDTextControl>(Hwnd(), ids::UctUDText1(index), RECT{0, 0, 0, 0});
        position->model().ReadProperties(PositionFieldProperties());
        layout_->AddWithOwnFont(position->Hwnd(), {left + (axis == 0 ? 870 : 2385), top, 1095, kRowHeight});
    }
}

// A hotkey row: its label and the box the field is created in.
void OptionWindow::AddHotkeyRow(double left, double top, int label, int pane) {
    layout_->Add(L"STATIC", "タブ追加ホットキー", kLabel, 0, ids::LblPos(label), {left + 180, top, 1740, kRowHeight});
    hotkeyBoxes_[static_cast<std::size_t>(pane)] =
        layout_->Add(kPictureBoxClass, "", 0, WS_EX_CONTROLPARENT, ids::PicHotkey(pane), {left + 2010, top, 2745, 300});
}

void OptionWindow::Place() {
    layout_->Place();
    launcher_->SizeColumns(layout_->TwipsPerPixelX());
}

void OptionWindow::OnDpiChanged(WPARAM dpi, const RECT& suggested) {
    SetWindowPos(Hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (!layout_) return;
    layout_->Rescale();
    launcher_->SizeColumns(layout_->TwipsPerPixelX());
    // The new DPI as the message gives it: the window's own may still say the old one while the message runs.
    if (LOWORD(dpi) > 0 && HIWORD(dpi) > 0) ShowPositionsAt(ScaleAt({LOWORD(dpi), HIWORD(dpi)}));
}

void OptionWindow::ShowPositionsAt(option::TwipsPerPixel scale) {
    for (std::size_t field = 0; field < positions_.size(); ++field) {
        const bool x = field % 2 == 0;
        ShownPosition& position = shownPositions_[field];
        UDTextControl& control = *positions_[field];
        if (control.Value() != position.shown) position.twips = control.Value() * (x ? scale_.x : scale_.y);
        const auto twips = static_cast<std::int32_t>(std::lround(position.twips));
        control.SetValue(option::ShownPixels(twips, x ? scale.x : scale.y));
        position.shown = control.Value();
    }
    scale_ = scale;
}

void OptionWindow::OnDestroy() {
    for (DropRegistration& drop : drops_) drop.Revoke();
    PostQuitMessage(0);
}

// ---- Loading and saving ----

void OptionWindow::LoadSettings() {
    scale_ = ScaleAt(DpiOfWindow(Hwnd()));
    const option::OptionState state = option::LoadSettings(store_, programFolder_, scale_);
    // Said once the form is on the screen, over it: the form shows the defaults and will not write over the file.
    const settings::ReadStatus status = store_.Status(settings::SettingsPathFor(programFolder_));
    if (status == settings::ReadStatus::Unreadable || status == settings::ReadStatus::TooLarge) {
        PostMessageW(Hwnd(), kShowUnreadable, 0, 0);
    }
    SetChecked(chkWindow_, state.rememberWindow);
    SetChecked(chk_[0], state.grid);
    SetChecked(chk_[1], state.lineSelect);
    SetWindowTextUtf8(txtPath_[1], state.bootPath);
    for (std::size_t pane = 0; pane < 3; ++pane) {
        for (const auto& [field, pixels, tpp] : {std::tuple{pane * 2, state.offsetX[pane], scale_.x},
                                                 std::tuple{pane * 2 + 1, state.offsetY[pane], scale_.y}}) {
            positions_[field]->SetValue(pixels);
            // The whole twips stored: seven significant digits of pixels keep them to well within half a twip.
            shownPositions_[field] = {std::round(pixels * tpp), positions_[field]->Value()};
        }
    }
    for (std::size_t pane = 0; pane < 2; ++pane) {
        if (hotkeyFields_[pane])
            SendMessageW(hotkeyFields_[pane], HKM_SETHOTKEY, static_cast<WPARAM>(state.hotkeys[pane]), 0);
    }
    launcher_->Load(state.launcherRows);
}

option::OptionState OptionWindow::ReadState() const {
    option::OptionState state;
    state.rememberWindow = IsChecked(chkWindow_);
    state.grid = IsChecked(chk_[0]);
    state.lineSelect = IsChecked(chk_[1]);
    state.bootPath = GetWindowTextUtf8(txtPath_[1]);
    for (std::size_t pane = 0; pane < 3; ++pane) {
        state.offsetX[pane] = positions_[pane * 2]->Value();
        state.offsetY[pane] = positions_[pane * 2 + 1]->Value();
    }
    for (std::size_t pane = 0; pane < 2; ++pane) {
        // One reading per pane: its three keys come from this word.
        state.hotkeys[pane] = hotkeyFields_[pane] ? LOWORD(SendMessageW(hotkeyFields_[pane], HKM_GETHOTKEY, 0, 0)) : 0;
    }
    state.launcherRows = launcher_->Rows();
    return state;
}

void OptionWindow::Decide(option::Decision decision) {
    const option::DecisionOutcome outcome = option::OnDecision(decision, store_, programFolder_, scale_, ReadState());
    if (outcome.message) MessageBoxW(Hwnd(), Widen(*outcome.message).c_str(), ids::kCaption, MB_OK);
    if (outcome.close) DestroyWindow(Hwnd());
}

void OptionWindow::OnCommand(int id, int code, HWND control) {
    if (launcher_ && launcher_->OnCommand(id, code, control)) return;
    if (code != BN_CLICKED) return;
    if (id == ids::CmdDecision(0)) {
        Decide(option::Decision::Ok);
    } else if (id == ids::CmdDecision(1)) {
        Decide(option::Decision::Apply);
    } else if (id == ids::CmdDecision(2)) {
        Decide(option::Decision::Cancel);
    } else if (id == ids::CmdOpen(1)) {
        SetWindowTextUtf8(txtPath_[1], ShowOpenFileDialog(Hwnd(), option::kBrowseFilter, option::kBrowseFilterIndex,
                                                          option::kBrowseTitle));
    }
}

}  // namespace velmora::win32
