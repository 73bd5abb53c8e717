#include "platform/win32/OptionWindow.h"

#include <commctrl.h>

#include <utility>

#include "controls/win32/OpenFileDialog.h"
#include "platform/win32/kit/Dpi.h"
#include "platform/win32/kit/DropTarget.h"
#include "platform/win32/OptionIds.h"
#include "platform/win32/kit/WinString.h"
#include "base/Twips.h"

namespace velmora::win32 {

namespace ids = option_ids;

namespace {

constexpr wchar_t kPictureBoxClass[] = L"VelmoraPictureBox";
constexpr wchar_t kFontName[] = L"ＭＳ Ｐゴシック";
constexpr double kFontPoints = 9;

// The form's client area in twips.
constexpr double kClientWidth = 10215;
constexpr double kClientHeight = 6735;

// Frames, in client twips; their controls are placed relative to them.
constexpr double kExplorer1Left = 120, kExplorerTop = 480, kExplorer2Left = 5160;
constexpr double kExplorerWidth = 4935, kExplorerHeight = 1100;
constexpr double kCaptureLeft = 120, kCaptureTop = 1680, kCaptureWidth = 9975, kCaptureHeight = 4575;
constexpr double kLauncherLeft = kCaptureLeft + 120, kLauncherTop = kCaptureTop + 720;
constexpr double kLauncherWidth = 9735, kLauncherHeight = 3765;

constexpr double kRowHeight = 285;     // edit boxes, numeric fields, labels beside them
constexpr double kButtonHeight = 255;  // every push button and check box

constexpr char kPathToolTip[] = "取り込みたいアプリケーションのパスを入力してください";
constexpr char kOpenToolTip[] = "ファイルを開くダイアログを表示";

HMENU IdMenu(int id) { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)); }

std::string TextOf(HWND control) {
    if (!control) return {};
    const int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return Narrow(text);
}

void SetText(HWND control, std::string_view text) {
    if (control) SetWindowTextW(control, Widen(text).c_str());
}

bool IsChecked(HWND box) { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void SetChecked(HWND box, bool checked) { SendMessageW(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0); }

void RegisterPictureBoxClass(HINSTANCE instance) {
    WNDCLASSEXW cls{};
    if (GetClassInfoExW(instance, kPictureBoxClass, &cls)) return;
    cls.cbSize = sizeof(cls);
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

}  // namespace

HWND CreateHotkeyControl(HWND box) {
    INITCOMMONCONTROLSEX classes{8, ICC_HOTKEY_CLASS};
    if (!InitCommonControlsEx(&classes)) InitCommonControls();
    if (!box) return nullptr;
    RECT inner{};
    GetClientRect(box, &inner);
    // The box's inner size is kept in twips; the field is made in pixels.
    const WindowDpi dpi = DpiOfWindow(box);
    const double x = dpi.TwipsPerPixelX();
    const double y = dpi.TwipsPerPixelY();
    const int width = base::TwipsToPixels(base::PixelsToTwips(inner.right, x), x);
    const int height = base::TwipsToPixels(base::PixelsToTwips(inner.bottom, y), y);
    HWND field = CreateWindowExW(0, HOTKEY_CLASSW, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, 0, 0, width, height, box,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!field) return nullptr;
    SendMessageW(field, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    return field;
}

OptionWindow::OptionWindow(settings::ProfileStore& store, std::string programFolder)
    : store_(store), programFolder_(std::move(programFolder)) {}

OptionWindow::~OptionWindow() {
    if (window_) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
    if (font_) DeleteObject(font_);
}

bool OptionWindow::Create(HINSTANCE instance, int show) {
    WNDCLASSEXW cls{};
    if (!GetClassInfoExW(instance, ids::kWindowClass, &cls)) {
        cls.cbSize = sizeof(cls);
        cls.lpfnWndProc = WindowProc;
        cls.hInstance = instance;
        cls.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
        cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        cls.lpszClassName = ids::kWindowClass;
        if (!RegisterClassExW(&cls)) return false;
    }
    RegisterPictureBoxClass(instance);
    // Sized for 96 DPI here; FitClientArea corrects it for the monitor the
    // window lands on.
    const int width = base::TwipsToPixels(kClientWidth, 15);
    const int height = base::TwipsToPixels(kClientHeight, 15);
    CreateWindowExW(WS_EX_CONTROLPARENT, ids::kWindowClass, ids::kCaption,
                    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT, CW_USEDEFAULT, width,
                    height, nullptr, nullptr, instance, this);
    if (!window_) return false;
    ShowWindow(window_, show);
    UpdateWindow(window_);
    return true;
}

bool OptionWindow::PreTranslateMessage(MSG& message) { return window_ && IsDialogMessageW(window_, &message); }

LRESULT CALLBACK OptionWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<OptionWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<OptionWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT OptionWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            OnCreate();
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_NOTIFY:
            return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
        case DM_GETDEFID:
            // IsDialogMessage asks for the default button when Enter is pressed.
            return MAKELRESULT(ids::CmdDecision(0), DC_HASDEFID);
        case WM_ACTIVATE:
            // Not a dialog: keep the focused control across deactivation by hand.
            if (LOWORD(wParam) == WA_INACTIVE) {
                focusBeforeDeactivation_ = GetFocus();
            } else if (focusBeforeDeactivation_ && IsChild(window_, focusBeforeDeactivation_)) {
                SetFocus(focusBeforeDeactivation_);
                return 0;
            }
            break;
        case WM_DPICHANGED:
            OnDpiChanged(*reinterpret_cast<const RECT*>(lParam));
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
    return DefWindowProcW(window_, message, wParam, lParam);
}

// ---- Building the form ----

void OptionWindow::CreateFonts() {
    const WindowDpi dpi = DpiOfWindow(window_);
    const int height = -static_cast<int>(base::RoundHalfEven(kFontPoints * dpi.y / 72.0));
    HFONT created = CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, kFontName);
    if (!created) return;
    if (font_) DeleteObject(font_);
    font_ = created;
}

double OptionWindow::TwipsPerPixelX() const { return DpiOfWindow(window_).TwipsPerPixelX(); }
double OptionWindow::TwipsPerPixelY() const { return DpiOfWindow(window_).TwipsPerPixelY(); }

HWND OptionWindow::AddControl(const wchar_t* className, std::string_view text, DWORD style, DWORD exStyle, int id,
                              base::TwipsRect twips) {
    HWND control = CreateWindowExW(exStyle, className, Widen(text).c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                                   window_, IdMenu(id), GetModuleHandleW(nullptr), nullptr);
    if (!control) return nullptr;
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    placements_.push_back(Placement{control, twips});
    return control;
}

void OptionWindow::AddToolTip(HWND control, std::string_view text) {
    if (!toolTips_ || !control) return;
    std::wstring wide = Widen(text);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = wide.data();  // the tool-tip control keeps its own copy
    SendMessageW(toolTips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void OptionWindow::OnCreate() {
    CreateFonts();
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    toolTips_ =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, instance, nullptr);
    if (toolTips_) SendMessageW(toolTips_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);

    constexpr DWORD kCheck = BS_AUTOCHECKBOX | WS_TABSTOP;
    constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
    constexpr DWORD kFrame = BS_GROUPBOX;
    constexpr DWORD kLabel = SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX;
    constexpr DWORD kEdit = ES_AUTOHSCROLL | WS_TABSTOP;

    const std::pair<int, std::pair<const char*, base::TwipsRect>> frames[] = {
        {ids::FrameApp(5), {"エクスプローラ１", {kExplorer1Left, kExplorerTop, kExplorerWidth, kExplorerHeight}}},
        {ids::FrameApp(6), {"エクスプローラ２", {kExplorer2Left, kExplorerTop, kExplorerWidth, kExplorerHeight}}},
        {ids::FrameApp(7), {"取り込み画面", {kCaptureLeft, kCaptureTop, kCaptureWidth, kCaptureHeight}}},
        {ids::FrameApp(0), {"取り込みランチャ", {kLauncherLeft, kLauncherTop, kLauncherWidth, kLauncherHeight}}},
    };
    std::vector<HWND> frameWindows;
    for (const auto& [id, frame] : frames)
        frameWindows.push_back(AddControl(L"BUTTON", frame.first, kFrame, 0, id, frame.second));

    // The check boxes in a row along the top.
    chkWindow_ = AddControl(L"BUTTON", "ウィンドウの位置、サイズを記憶する", kCheck, 0, ids::kChkWindow,
                            {120, 120, 3615, kButtonHeight});
    chk_[0] =
        AddControl(L"BUTTON", "エクスプローラのグリッド表示", kCheck, 0, ids::Chk(0), {3855, 120, 3015, kButtonHeight});
    chk_[1] =
        AddControl(L"BUTTON", "エクスプローラの一行選択", kCheck, 0, ids::Chk(1), {6990, 120, 3105, kButtonHeight});

    // A position row: "位置  X" [field] "Y" [field], at (left, top) of its frame.
    auto addPositionRow = [&](double left, double top, int labelX, int labelY, int fieldX) {
        AddControl(L"STATIC", "位置  X", kLabel, 0, ids::LblPos(labelX), {left + 180, top, 660, kRowHeight});
        for (int axis = 0; axis < 2; ++axis) {
            const int index = fieldX + axis;
            if (axis == 1)
                AddControl(L"STATIC", "Y", kLabel, 0, ids::LblPos(labelY), {left + 2100, top, 240, kRowHeight});
            positions_[static_cast<std::size_t>(index)] =
                std::make_unique<UDTextControl>(window_, ids::UctUDText1(index), RECT{0, 0, 0, 0});
            UDTextControl& field = *positions_[static_cast<std::size_t>(index)];
            field.model().ReadProperties(PositionFieldProperties());
            placements_.push_back(Placement{field.Hwnd(), {left + (axis == 0 ? 870 : 2385), top, 1095, kRowHeight}});
        }
    };
    // A hotkey row: its label and the box the field is created in.
    auto addHotkeyRow = [&](double left, double top, int label, int pane) {
        AddControl(L"STATIC", "タブ追加ホットキー", kLabel, 0, ids::LblPos(label), {left + 180, top, 1740, kRowHeight});
        hotkeyBoxes_[static_cast<std::size_t>(pane)] = AddControl(kPictureBoxClass, "", 0, WS_EX_CONTROLPARENT,
                                                                  ids::PicHotkey(pane), {left + 2010, top, 2745, 300});
    };
    addPositionRow(kExplorer1Left, kExplorerTop + 270, 0, 1, 0);
    addHotkeyRow(kExplorer1Left, kExplorerTop + 690, 9, 0);
    addPositionRow(kExplorer2Left, kExplorerTop + 270, 2, 3, 2);
    addHotkeyRow(kExplorer2Left, kExplorerTop + 690, 10, 1);

    // The capture frame: its positions and the start-up application.
    addPositionRow(kCaptureLeft, kCaptureTop + 300, 6, 7, 4);
    AddControl(L"STATIC", "起動時取り込みアプリ", kLabel, 0, ids::LblPos(5),
               {kCaptureLeft + 3690, kCaptureTop + 300, 1860, kRowHeight});
    txtPath_[1] = AddControl(L"EDIT", "", kEdit, WS_EX_CLIENTEDGE, ids::TxtPath(1),
                             {kCaptureLeft + 5610, kCaptureTop + 300, 3615, kRowHeight});
    HWND open1 = AddControl(L"BUTTON", "...", kButton, 0, ids::CmdOpen(1),
                            {kCaptureLeft + 9285, kCaptureTop + 300, 495, kRowHeight});

    // The launcher list editor.
    listView_ = AddControl(WC_LISTVIEWW, "", LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP,
                           WS_EX_CLIENTEDGE, ids::kListView1, {kLauncherLeft + 120, kLauncherTop + 270, 9495, 2295});
    HWND add = AddControl(L"BUTTON", "追加", kButton, 0, ids::kCmdAdd,
                          {kLauncherLeft + 120, kLauncherTop + 2655, 975, kButtonHeight});
    HWND edit = AddControl(L"BUTTON", "編集", kButton, 0, ids::kCmdEdit,
                           {kLauncherLeft + 1215, kLauncherTop + 2655, 975, kButtonHeight});
    HWND remove = AddControl(L"BUTTON", "削除", kButton, 0, ids::kCmdDelete,
                             {kLauncherLeft + 2310, kLauncherTop + 2655, 975, kButtonHeight});
    AddControl(L"STATIC", "アプリケーション名", kLabel, 0, ids::LblPos(4),
               {kLauncherLeft + 120, kLauncherTop + 3000, 1740, kRowHeight});
    txtName_ = AddControl(L"EDIT", "", kEdit, WS_EX_CLIENTEDGE, ids::kTxtName,
                          {kLauncherLeft + 1920, kLauncherTop + 3000, 5055, kRowHeight});
    HWND clear = AddControl(L"BUTTON", "ｸﾘｱ", kButton, 0, ids::kCmdClr,
                            {kLauncherLeft + 7095, kLauncherTop + 3015, 975, kButtonHeight});
    AddControl(L"STATIC", "パス", kLabel, 0, ids::LblPos(8),
               {kLauncherLeft + 120, kLauncherTop + 3375, 1740, kRowHeight});
    txtPath_[0] = AddControl(L"EDIT", "", kEdit, WS_EX_CLIENTEDGE, ids::TxtPath(0),
                             {kLauncherLeft + 1920, kLauncherTop + 3375, 5055, kRowHeight});
    HWND open0 = AddControl(L"BUTTON", "...", kButton, 0, ids::CmdOpen(0),
                            {kLauncherLeft + 7095, kLauncherTop + 3375, 495, kRowHeight});

    // The decision buttons at the bottom right.
    AddControl(L"BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, ids::CmdDecision(0),
               {6240, 6375, 1215, kButtonHeight});
    AddControl(L"BUTTON", "Apply", kButton, 0, ids::CmdDecision(1), {7560, 6375, 1215, kButtonHeight});
    AddControl(L"BUTTON", "Cansel", kButton, 0, ids::CmdDecision(2), {8880, 6375, 1215, kButtonHeight});

    if (listView_) {
        ListView_SetExtendedListViewStyle(listView_, LVS_EX_FULLROWSELECT);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        std::wstring name = Widen("アプリケーション名");
        std::wstring path = Widen("パス");
        column.pszText = name.data();
        column.iSubItem = 0;
        ListView_InsertColumn(listView_, 0, &column);
        column.pszText = path.data();
        column.iSubItem = 1;
        ListView_InsertColumn(listView_, 1, &column);
    }

    AddToolTip(txtPath_[1], kPathToolTip);
    AddToolTip(open1, kOpenToolTip);
    AddToolTip(listView_, "ここにアプリケーションを登録します");
    AddToolTip(add, "アプリケーション名とパスを新規に追加");
    AddToolTip(edit, "選択しているアプリケーションを編集");
    AddToolTip(remove, "選択しているアプリケーションを削除");
    AddToolTip(txtName_, "アプリケーション名を入力して下さい");
    AddToolTip(clear, "名前、パスの入力部をクリアします");
    AddToolTip(txtPath_[0], kPathToolTip);
    AddToolTip(open0, kOpenToolTip);

    // The frames go under the controls placed on them: the window under the
    // pointer must be the control, not its frame, for another process's drag
    // and drop to find the drop targets.
    for (HWND frame : frameWindows)
        SetWindowPos(frame, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    FitClientArea();
    Layout();

    // Form load: the hotkey fields first, then the settings.
    hotkeyWindow_[0] = CreateHotkeyControl(hotkeyBoxes_[0]);
    hotkeyWindow_[1] = CreateHotkeyControl(hotkeyBoxes_[1]);
    LoadSettings();

    drops_[0] = DropRegistration(txtName_, FilePathDrop([this](const std::vector<std::string>& files) {
                                     launcher_.DropOnName(files);
                                     ShowLauncherFields();
                                 }));
    drops_[1] = DropRegistration(txtPath_[0], FilePathDrop([this](const std::vector<std::string>& files) {
                                     launcher_.DropOnPath(files);
                                     ShowLauncherFields();
                                 }));
    drops_[2] = DropRegistration(txtPath_[1], FilePathDrop([this](const std::vector<std::string>& files) {
                                     if (std::optional<std::string> file = option::FirstDroppedFile(files))
                                         SetText(txtPath_[1], *file);
                                 }));
    SetFocus(chkWindow_);
}

void OptionWindow::FitClientArea() {
    RECT client{};
    RECT frame{};
    GetClientRect(window_, &client);
    GetWindowRect(window_, &frame);
    const int width = base::TwipsToPixels(kClientWidth, TwipsPerPixelX());
    const int height = base::TwipsToPixels(kClientHeight, TwipsPerPixelY());
    SetWindowPos(window_, nullptr, 0, 0, (frame.right - frame.left) + width - client.right,
                 (frame.bottom - frame.top) + height - client.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void OptionWindow::Layout() {
    const double x = TwipsPerPixelX();
    const double y = TwipsPerPixelY();
    for (const Placement& placement : placements_) {
        const base::TwipsRect& r = placement.twips;
        MoveWindow(placement.window, base::TwipsToPixels(r.left, x), base::TwipsToPixels(r.top, y),
                   base::TwipsToPixels(r.width, x), base::TwipsToPixels(r.height, y), TRUE);
    }
    if (listView_) {
        ListView_SetColumnWidth(listView_, 0, base::TwipsToPixels(2000, x));
        ListView_SetColumnWidth(listView_, 1, base::TwipsToPixels(6000, x));
    }
}

void OptionWindow::OnDpiChanged(const RECT& suggested) {
    SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    CreateFonts();
    for (const Placement& placement : placements_) {
        wchar_t className[64] = {};
        GetClassNameW(placement.window, className, 64);
        // The numeric fields choose their own font.
        if (lstrcmpW(className, kUDTextClassName) != 0)
            SendMessageW(placement.window, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
    }
    if (toolTips_) SendMessageW(toolTips_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    FitClientArea();
    Layout();
}

void OptionWindow::OnDestroy() {
    for (DropRegistration& drop : drops_) drop.Revoke();
    PostQuitMessage(0);
}

// ---- Loading and saving ----

void OptionWindow::LoadSettings() {
    const option::OptionState state =
        option::LoadSettings(store_, programFolder_, option::TwipsPerPixel{TwipsPerPixelX(), TwipsPerPixelY()});
    SetChecked(chkWindow_, state.rememberWindow);
    SetChecked(chk_[0], state.grid);
    SetChecked(chk_[1], state.lineSelect);
    SetText(txtPath_[1], state.bootPath);
    for (std::size_t pane = 0; pane < 3; ++pane) {
        positions_[pane * 2]->SetValue(state.offsetX[pane]);
        positions_[pane * 2 + 1]->SetValue(state.offsetY[pane]);
    }
    for (std::size_t pane = 0; pane < 2; ++pane) {
        if (hotkeyWindow_[pane])
            SendMessageW(hotkeyWindow_[pane], HKM_SETHOTKEY, static_cast<WPARAM>(state.hotkeys[pane]), 0);
    }
    launcher_.LoadRows(state.launcherRows);
    ShowListRows();
}

option::OptionState OptionWindow::ReadState() const {
    option::OptionState state;
    state.rememberWindow = IsChecked(chkWindow_);
    state.grid = IsChecked(chk_[0]);
    state.lineSelect = IsChecked(chk_[1]);
    state.bootPath = TextOf(txtPath_[1]);
    for (std::size_t pane = 0; pane < 3; ++pane) {
        state.offsetX[pane] = positions_[pane * 2]->Value();
        state.offsetY[pane] = positions_[pane * 2 + 1]->Value();
    }
    for (std::size_t pane = 0; pane < 2; ++pane) {
        // One reading per pane: its three keys come from this word.
        state.hotkeys[pane] = hotkeyWindow_[pane] ? LOWORD(SendMessageW(hotkeyWindow_[pane], HKM_GETHOTKEY, 0, 0)) : 0;
    }
    state.launcherRows = launcher_.rows();
    return state;
}

void OptionWindow::Decide(option::Decision decision) {
    const bool close = option::OnDecision(decision, store_, programFolder_,
                                          option::TwipsPerPixel{TwipsPerPixelX(), TwipsPerPixelY()}, ReadState());
    if (close) DestroyWindow(window_);
}

// ---- Commands ----

void OptionWindow::OnCommand(int id, int code, HWND control) {
    if (control == txtName_ || control == txtPath_[0]) {
        if (code == EN_CHANGE) TakeLauncherFields();
        return;
    }
    if (code != BN_CLICKED) return;
    if (id == ids::CmdDecision(0)) {
        Decide(option::Decision::Ok);
    } else if (id == ids::CmdDecision(1)) {
        Decide(option::Decision::Apply);
    } else if (id == ids::CmdDecision(2)) {
        Decide(option::Decision::Cancel);
    } else if (id == ids::kCmdAdd) {
        TakeLauncherFields();
        if (std::optional<std::string_view> refusal = launcher_.Add()) {
            ShowMessage(*refusal);
            return;
        }
        ShowListRows();
    } else if (id == ids::kCmdEdit) {
        TakeLauncherFields();
        if (std::optional<std::string_view> refusal = launcher_.Edit()) {
            ShowMessage(*refusal);
            return;
        }
        ShowListRows();
    } else if (id == ids::kCmdDelete) {
        launcher_.Delete();
        ShowListRows();
        ShowLauncherFields();
    } else if (id == ids::kCmdClr) {
        launcher_.ClearFields();
        ShowLauncherFields();
    } else if (id == ids::CmdOpen(0)) {
        Browse(0);
    } else if (id == ids::CmdOpen(1)) {
        Browse(1);
    }
}

LRESULT OptionWindow::OnNotify(const NMHDR& header) {
    if (header.hwndFrom != listView_ || showingList_) return 0;
    switch (header.code) {
        case LVN_ITEMCHANGED: {
            const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
            const bool nowSelected = (change.uNewState & LVIS_SELECTED) && !(change.uOldState & LVIS_SELECTED);
            if (nowSelected && change.iItem >= 0) {
                launcher_.ItemClick(static_cast<std::size_t>(change.iItem));
                ShowLauncherFields();
            }
            return 0;
        }
        case NM_CLICK: {
            const auto& click = reinterpret_cast<const NMITEMACTIVATE&>(header);
            if (click.iItem >= 0) {
                // Also a click on the row already selected fills the fields again.
                launcher_.ItemClick(static_cast<std::size_t>(click.iItem));
                ShowLauncherFields();
            } else {
                // A click beside the rows clears the list view's selection, but
                // "編集" and "削除" still act on the model's selected row: show it.
                ShowListSelection();
            }
            return 0;
        }
        case LVN_COLUMNCLICK: {
            const auto& click = reinterpret_cast<const NMLISTVIEW&>(header);
            launcher_.SortByColumn(click.iSubItem + 1);
            ShowListRows();
            return 0;
        }
        default:
            return 0;
    }
}

void OptionWindow::Browse(int index) {
    const std::string chosen =
        ShowOpenFileDialog(window_, option::kBrowseFilter, option::kBrowseFilterIndex, option::kBrowseTitle);
    if (index == 0) {
        launcher_.TakeBrowseResult(chosen);
        ShowLauncherFields();
    } else {
        SetText(txtPath_[1], chosen);
    }
}

void OptionWindow::ShowMessage(std::string_view text) {
    MessageBoxW(window_, Widen(text).c_str(), ids::kCaption, MB_OK);
}

// ---- The launcher list on screen ----

void OptionWindow::ShowListRows() {
    if (!listView_) return;
    showingList_ = true;
    SendMessageW(listView_, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(listView_);
    int index = 0;
    for (const option::LauncherRow& row : launcher_.rows()) {
        std::wstring name = Widen(row.name);
        std::wstring path = Widen(row.path);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = index;
        item.pszText = name.data();
        const int inserted = ListView_InsertItem(listView_, &item);
        ListView_SetItemText(listView_, inserted, 1, path.data());
        ++index;
    }
    SendMessageW(listView_, WM_SETREDRAW, TRUE, 0);
    showingList_ = false;
    ShowListSelection();
}

void OptionWindow::ShowListSelection() {
    if (!listView_) return;
    showingList_ = true;
    ListView_SetItemState(listView_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (std::optional<std::size_t> selected = launcher_.selected()) {
        const int row = static_cast<int>(*selected);
        ListView_SetItemState(listView_, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ListView_EnsureVisible(listView_, row, FALSE);
    }
    showingList_ = false;
}

void OptionWindow::ShowLauncherFields() {
    // Each SetWindowText comes back as EN_CHANGE into TakeLauncherFields, so
    // both texts are read from the model before either is shown.
    const std::string name = launcher_.nameText();
    const std::string path = launcher_.pathText();
    SetText(txtName_, name);
    SetText(txtPath_[0], path);
}

void OptionWindow::TakeLauncherFields() {
    launcher_.SetNameText(TextOf(txtName_));
    launcher_.SetPathText(TextOf(txtPath_[0]));
}

}  // namespace velmora::win32
