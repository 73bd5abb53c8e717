#include "platform/win32/ExplorerStandIn.h"

#include <windows.h>
// After windows.h:
#include <commctrl.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <shobjidl.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "platform/win32/kit/Com.h"
#include "platform/win32/kit/WinString.h"

namespace velmora::win32 {
namespace {

using platform::ExplorerWindow;
using platform::NavigateTarget;
using platform::WindowHandle;

// The classes of the windows between a real Explorer window and its file view.
// Velmora finds an Explorer window's list through them, so the stand-in builds
// the same chain out of plain windows of its own and moves every view the
// browser creates to the end of it (docs/DECISIONS.md).
constexpr wchar_t kTabClass[] = L"ShellTabWindowClass";
constexpr wchar_t kViewHostClass[] = L"DUIViewWndClassName";
constexpr wchar_t kDirectUiClass[] = L"DirectUIHWND";
constexpr wchar_t kSinkClass[] = L"CtrlNotifySink";

// ShowBrowserBar's identifier of the folder tree bar.
constexpr GUID kFolderTreeBar = {0xEFA24E64, 0xB078, 0x11D0, {0x89, 0xE4, 0x00, 0xC0, 0x4F, 0xC9, 0xE2, 0x6E}};

// A shell view asks its parent window for its browser with this message; the
// views we move answer to the browser's window no longer, so the sink passes it on.
constexpr UINT kGetShellBrowser = WM_USER + 7;
// Navigation asked for inside a control's own notification or key handling is
// posted and carried out once that control is out of its handler: the browser
// destroys the view (and its list) when it navigates.
constexpr UINT kBrowseToTreeSelection = WM_APP + 1;
constexpr UINT kBrowseToParent = WM_APP + 2;
constexpr UINT kBuildTree = WM_APP + 3;

constexpr UINT kFolderFlags = FWF_NOCLIENTEDGE;

struct PidlDeleter {
    void operator()(ITEMIDLIST* pidl) const { ILFree(pidl); }
};
using Pidl = std::unique_ptr<ITEMIDLIST, PidlDeleter>;

Pidl Clone(PCIDLIST_ABSOLUTE pidl) { return Pidl(pidl ? ILClone(pidl) : nullptr); }

bool SameFolder(PCIDLIST_ABSOLUTE a, PCIDLIST_ABSOLUTE b) { return a && b && ILIsEqual(a, b); }

ComPtr<IShellItem> ItemOf(PCIDLIST_ABSOLUTE pidl) {
    ComPtr<IShellItem> item;
    if (pidl) SHCreateItemFromIDList(pidl, IID_PPV_ARGS(item.Put()));
    return item;
}

std::optional<std::wstring> NameOf(PCIDLIST_ABSOLUTE pidl, SIGDN kind) {
    PWSTR name = nullptr;
    if (!pidl || FAILED(SHGetNameFromIDList(pidl, kind, &name)) || !name) return std::nullopt;
    std::wstring result(name);
    CoTaskMemFree(name);
    return result;
}

// Wine spells the GUIDs of namespace paths in lower case, the platform's
// Explorer in upper case; Velmora maps special folders by exact text, so the
// stand-in answers with the platform's spelling.
std::wstring WithUpperCaseGuids(std::wstring path) {
    for (std::size_t at = path.find(L"::{"); at != std::wstring::npos; at = path.find(L"::{", at)) {
        const std::size_t end = path.find(L'}', at);
        if (end == std::wstring::npos) break;
        for (std::size_t i = at + 3; i < end; ++i) {
            if (path[i] >= L'a' && path[i] <= L'z') path[i] = static_cast<wchar_t>(path[i] - L'a' + L'A');
        }
        at = end;
    }
    return path;
}

Pidl SpecialFolder(std::int16_t number) {
    PIDLIST_ABSOLUTE pidl = nullptr;
    if (number < 0 || FAILED(SHGetSpecialFolderLocation(nullptr, number, &pidl))) return nullptr;
    return Pidl(pidl);
}

// The browser shows a folder that no longer exists as an empty one and calls
// that a success, so a file-system path has to exist before it is browsed to.
// Namespace paths ("::{...}") are left to the shell to resolve.
Pidl ParsePath(const std::string& path) {
    const std::wstring wide = Widen(path);
    if (wide.empty()) return nullptr;
    if (wide.rfind(L"::", 0) != 0 &&
        (PathIsRelativeW(wide.c_str()) || GetFileAttributesW(wide.c_str()) == INVALID_FILE_ATTRIBUTES)) {
        return nullptr;
    }
    PIDLIST_ABSOLUTE pidl = nullptr;
    if (FAILED(SHParseDisplayName(wide.c_str(), nullptr, &pidl, 0, nullptr))) return nullptr;
    return Pidl(pidl);
}

HINSTANCE Module() { return GetModuleHandleW(nullptr); }

bool RegisterWindowClass(const wchar_t* name, WNDPROC procedure) {
    WNDCLASSEXW cls{sizeof(cls)};
    cls.lpfnWndProc = procedure;
    cls.hInstance = Module();
    cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    cls.lpszClassName = name;
    if (RegisterClassExW(&cls)) return true;
    // Registered by an earlier stand-in of this program: fine if it is ours.
    WNDCLASSEXW existing{sizeof(existing)};
    return GetLastError() == ERROR_CLASS_ALREADY_EXISTS && GetClassInfoExW(Module(), name, &existing) &&
           existing.lpfnWndProc == procedure;
}

class StandIn;

// The browser's and the tree's events, as a COM object of its own: the shell
// holds references to it that may outlive the stand-in by a moment.
class BrowserEvents final : public IExplorerBrowserEvents, public INameSpaceTreeControlEvents {
public:
    explicit BrowserEvents(StandIn* owner) : owner_(owner) {}
    void Disconnect() { owner_ = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, __uuidof(IExplorerBrowserEvents))) {
            *object = static_cast<IExplorerBrowserEvents*>(this);
        } else if (IsEqualIID(id, __uuidof(INameSpaceTreeControlEvents))) {
            *object = static_cast<INameSpaceTreeControlEvents*>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    // IExplorerBrowserEvents
    HRESULT STDMETHODCALLTYPE OnNavigationPending(PCIDLIST_ABSOLUTE) override;
    HRESULT STDMETHODCALLTYPE OnViewCreated(IShellView* view) override;
    HRESULT STDMETHODCALLTYPE OnNavigationComplete(PCIDLIST_ABSOLUTE folder) override;
    HRESULT STDMETHODCALLTYPE OnNavigationFailed(PCIDLIST_ABSOLUTE) override;

    // INameSpaceTreeControlEvents. Only a selection matters; everything else
    // gets the tree's default handling. A failure from the expand and state
    // events would cancel them, and a failure from the icon and tooltip
    // queries asks for the defaults.
    HRESULT STDMETHODCALLTYPE OnItemClick(IShellItem*, NSTCEHITTEST, NSTCECLICKTYPE) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE OnPropertyItemCommit(IShellItem*) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE OnItemStateChanging(IShellItem*, NSTCITEMSTATE, NSTCITEMSTATE) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnItemStateChanged(IShellItem*, NSTCITEMSTATE, NSTCITEMSTATE) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnSelectionChanged(IShellItemArray* selection) override;
    HRESULT STDMETHODCALLTYPE OnKeyboardInput(UINT, WPARAM, LPARAM) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE OnBeforeExpand(IShellItem*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnAfterExpand(IShellItem*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnBeginLabelEdit(IShellItem*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnEndLabelEdit(IShellItem*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnGetToolTip(IShellItem*, LPWSTR, int) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnBeforeItemDelete(IShellItem*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnItemAdded(IShellItem*, WINBOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnItemDeleted(IShellItem*, WINBOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnBeforeContextMenu(IShellItem*, REFIID, void** menu) override {
        if (menu) *menu = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE OnAfterContextMenu(IShellItem*, IContextMenu*, REFIID, void** menu) override {
        if (menu) *menu = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE OnBeforeStateImageChange(IShellItem*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnGetDefaultIconIndex(IShellItem*, int*, int*) override { return E_NOTIMPL; }

private:
    ~BrowserEvents() = default;

    std::atomic<ULONG> references_{1};
    StandIn* owner_;
};

class StandIn final : public ExplorerWindow {
public:
    StandIn() = default;
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;
    ~StandIn() override {
        if (frame_) DestroyWindow(frame_);
    }

    bool Build();

    bool Navigate2(const NavigateTarget& target) override {
        if (!frame_) return false;
        const Pidl folder = std::holds_alternative<std::int16_t>(target) ? SpecialFolder(std::get<std::int16_t>(target))
                                                                         : ParsePath(std::get<std::string>(target));
        return folder && BrowseTo(folder.get());
    }

    bool ShowBrowserBar(std::string_view classId, bool show) override;

    std::optional<WindowHandle> Hwnd() override {
        if (!frame_) return std::nullopt;
        return reinterpret_cast<std::uintptr_t>(frame_);
    }

    bool SetCurrentViewMode(std::int32_t mode) override;

    std::optional<std::string> FolderName() override {
        if (!frame_) return std::nullopt;
        const auto name = NameOf(current_.get(), SIGDN_NORMALDISPLAY);
        if (!name) return std::nullopt;
        return Narrow(*name);
    }

    std::optional<std::string> FolderPath() override {
        if (!frame_) return std::nullopt;
        const auto path = NameOf(current_.get(), SIGDN_DESKTOPABSOLUTEPARSING);
        if (!path) return std::nullopt;
        return Narrow(WithUpperCaseGuids(*path));
    }

    bool SetVisible(bool visible) override {
        if (!frame_) return false;
        ShowWindow(frame_, visible ? SW_SHOW : SW_HIDE);
        return true;
    }

    bool Quit() override {
        if (!frame_) return false;
        DestroyWindow(frame_);
        return true;
    }

    // From BrowserEvents.
    void NavigationPending();
    void AdoptView(IShellView* view);
    void NavigationComplete(PCIDLIST_ABSOLUTE folder);
    void NavigationFailed() { navigationFailed_ = true; }
    void TreeSelectionChanged(IShellItemArray* selection);

private:
    static LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ChainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam);
    static void HookList(HWND list);
    static StandIn* OwnerOfList(HWND list);

    HWND CreateChainWindow(const wchar_t* className, HWND parent);
    bool CreateBrowser();
    bool CreateTree();
    bool MakeTree();
    void LayoutFrame();
    void LayoutBrowser();
    bool BrowseTo(PCIDLIST_ABSOLUTE folder);
    void FollowInTree();
    void TearDown();

    // First, so that the apartment is left after everything in it is released.
    OleApartment apartment_;

    HWND frame_ = nullptr;
    HWND tab_ = nullptr;
    HWND viewHost_ = nullptr;
    HWND directUi_ = nullptr;
    HWND sink_ = nullptr;  // the browser's parent; every view is moved here
    HWND browserWindow_ = nullptr;
    HWND viewWindow_ = nullptr;  // the current SHELLDLL_DefView
    HWND treeWindow_ = nullptr;

    ComPtr<IExplorerBrowser> browser_;
    ComPtr<INameSpaceTreeControl> tree_;
    ComPtr<BrowserEvents> events_;
    DWORD browserCookie_ = 0;
    DWORD treeCookie_ = 0;
    bool treeShown_ = false;
    bool treePending_ = false;  // a kBuildTree is on its way
    bool navigationFailed_ = false;
    bool viewHadFocus_ = false;

    Pidl current_;     // the folder shown, as the last finished navigation left it
    Pidl treeTarget_;  // a folder selected in the tree, not browsed to yet
};

HRESULT BrowserEvents::OnNavigationPending(PCIDLIST_ABSOLUTE) {
    if (owner_) owner_->NavigationPending();
    return S_OK;
}

HRESULT BrowserEvents::OnViewCreated(IShellView* view) {
    if (owner_) owner_->AdoptView(view);
    return S_OK;
}

HRESULT BrowserEvents::OnNavigationComplete(PCIDLIST_ABSOLUTE folder) {
    if (owner_) owner_->NavigationComplete(folder);
    return S_OK;
}

HRESULT BrowserEvents::OnNavigationFailed(PCIDLIST_ABSOLUTE) {
    if (owner_) owner_->NavigationFailed();
    return S_OK;
}

HRESULT BrowserEvents::OnSelectionChanged(IShellItemArray* selection) {
    if (owner_) owner_->TreeSelectionChanged(selection);
    return S_OK;
}

bool StandIn::Build() {
    if (!apartment_.Joined()) return false;
    if (!RegisterWindowClass(kExplorerStandInClass, FrameProc) || !RegisterWindowClass(kTabClass, ChainProc) ||
        !RegisterWindowClass(kViewHostClass, ChainProc) || !RegisterWindowClass(kDirectUiClass, ChainProc) ||
        !RegisterWindowClass(kSinkClass, ChainProc)) {
        return false;
    }
    frame_ = CreateWindowExW(0, kExplorerStandInClass, L"", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                             CW_USEDEFAULT, 800, 600, nullptr, nullptr, Module(), this);
    if (!frame_) return false;
    tab_ = CreateChainWindow(kTabClass, frame_);
    viewHost_ = CreateChainWindow(kViewHostClass, tab_);
    directUi_ = CreateChainWindow(kDirectUiClass, viewHost_);
    sink_ = CreateChainWindow(kSinkClass, directUi_);
    if (!sink_) return false;
    LayoutFrame();
    return CreateBrowser();
}

HWND StandIn::CreateChainWindow(const wchar_t* className, HWND parent) {
    if (!parent) return nullptr;
    RECT area{};
    GetClientRect(parent, &area);
    return CreateWindowExW(WS_EX_CONTROLPARENT, className, L"",
                           WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, area.right, area.bottom,
                           parent, nullptr, Module(), this);
}

bool StandIn::CreateBrowser() {
    if (FAILED(CoCreateInstance(CLSID_ExplorerBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(browser_.Put())))) {
        return false;
    }
    // Where the platform offers the choice, a classic list view rather than its
    // newer item view: the list search looks for a list view. Wine has only the list.
    if (const auto options = browser_.As<IFolderViewOptions>()) {
        options->SetFolderViewOptions(FVO_VISTALAYOUT, FVO_VISTALAYOUT);
    }
    // Without a border the browser's client area is the sink's, so the browser's
    // own sizing of the (moved) view stays right.
    browser_->SetOptions(EBO_NOBORDER);
    RECT area{};
    GetClientRect(sink_, &area);
    const FOLDERSETTINGS settings{FVM_DETAILS, kFolderFlags};
    if (FAILED(browser_->Initialize(sink_, &area, &settings))) {
        browser_.Reset();
        return false;
    }
    browserWindow_ = GetWindow(sink_, GW_CHILD);
    events_ = ComPtr<BrowserEvents>::Adopt(new BrowserEvents(this));
    return SUCCEEDED(browser_->Advise(events_.Get(), &browserCookie_));
}

bool StandIn::CreateTree() {
    if (tree_) return true;
    ComPtr<INameSpaceTreeControl> tree;
    if (FAILED(CoCreateInstance(CLSID_NamespaceTreeControl, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(tree.Put())))) {
        return false;
    }
    RECT area{};
    const NSTCSTYLE style = NSTCS_HASEXPANDOS | NSTCS_HASLINES | NSTCS_ROOTHASEXPANDO | NSTCS_SHOWSELECTIONALWAYS |
                            NSTCS_HORIZONTALSCROLL | NSTCS_NOEDITLABELS;
    if (FAILED(tree->Initialize(frame_, &area, style))) return false;
    HWND window = nullptr;
    const auto ole = tree.As<IOleWindow>();
    if (!ole || FAILED(ole->GetWindow(&window)) || !window) return false;

    PIDLIST_ABSOLUTE raw = nullptr;
    SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &raw);
    const Pidl desktop(raw);
    const ComPtr<IShellItem> root = ItemOf(desktop.get());
    if (!root || FAILED(tree->TreeAdvise(static_cast<INameSpaceTreeControlEvents*>(events_.Get()), &treeCookie_)) ||
        FAILED(tree->AppendRoot(root.Get(), SHCONTF_FOLDERS, NSTCRS_EXPANDED, nullptr))) {
        tree->TreeUnadvise(treeCookie_);
        DestroyWindow(window);
        return false;
    }
    tree_ = tree;
    treeWindow_ = window;
    return true;
}

bool StandIn::ShowBrowserBar(std::string_view classId, bool show) {
    if (!frame_) return false;
    GUID bar{};
    const std::wstring text = Widen(classId);
    if (FAILED(CLSIDFromString(text.c_str(), &bar)) || !IsEqualGUID(bar, kFolderTreeBar)) return false;
    treeShown_ = show;
    if (show && !tree_) {
        // The shell's tree costs each pane about 15 ms to make and more to paint the first time, all before the
        // window this one is captured into shows: it is made at the next message instead, and the browser has the
        // width until then. Made at once only when the message cannot be posted.
        if (!treePending_) treePending_ = PostMessageW(frame_, kBuildTree, 0, 0) != FALSE;
        if (!treePending_) return MakeTree();
    }
    if (treeWindow_) ShowWindow(treeWindow_, show ? SW_SHOWNA : SW_HIDE);
    LayoutFrame();
    FollowInTree();
    return true;
}

// The tree made and shown beside the browser, following the folder shown; false when it cannot be had, and the
// browser keeps the width.
bool StandIn::MakeTree() {
    if (!CreateTree()) {
        treeShown_ = false;
        return false;
    }
    ShowWindow(treeWindow_, SW_SHOWNA);
    LayoutFrame();
    FollowInTree();
    // Made inside the pane, the tree is narrow: bringing the folder shown into view scrolls it sideways, off the
    // expand buttons and icons of its first levels. (Wine's tree view takes no SB_LEFT.)
    if (HWND view = FindWindowExW(treeWindow_, nullptr, WC_TREEVIEWW, nullptr)) {
        SendMessageW(view, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), 0);
    }
    return true;
}

bool StandIn::SetCurrentViewMode(std::int32_t mode) {
    if (!frame_ || mode < FVM_FIRST || mode > FVM_LAST) return false;
    // The browser makes a new view on every navigation, from these settings.
    const FOLDERSETTINGS settings{static_cast<UINT>(mode), kFolderFlags};
    browser_->SetFolderSettings(&settings);
    ComPtr<IFolderView> view;
    if (FAILED(browser_->GetCurrentView(IID_PPV_ARGS(view.Put())))) return false;
    return SUCCEEDED(view->SetCurrentViewMode(static_cast<UINT>(mode)));
}

bool StandIn::BrowseTo(PCIDLIST_ABSOLUTE folder) {
    if (!browser_) return false;
    navigationFailed_ = false;
    const HRESULT result = browser_->BrowseToIDList(folder, SBSP_ABSOLUTE);
    return SUCCEEDED(result) && !navigationFailed_;
}

// The browser destroys the view, and with it the focus, when it navigates;
// whether the user was in the list decides whether the new list gets the focus.
void StandIn::NavigationPending() {
    HWND focus = GetFocus();
    viewHadFocus_ = viewWindow_ && focus && (focus == viewWindow_ || IsChild(viewWindow_, focus));
}

void StandIn::AdoptView(IShellView* view) {
    HWND window = nullptr;
    if (!view || FAILED(view->GetWindow(&window)) || !window) return;
    viewWindow_ = window;
    if (GetParent(window) != sink_) SetParent(window, sink_);
    RECT area{};
    GetClientRect(sink_, &area);
    SetWindowPos(window, HWND_TOP, 0, 0, area.right, area.bottom, SWP_NOACTIVATE);
    HWND list = FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr);
    if (list) HookList(list);
    if (viewHadFocus_) SetFocus(list ? list : window);
}

void StandIn::NavigationComplete(PCIDLIST_ABSOLUTE folder) {
    current_ = Clone(folder);
    if (const auto name = NameOf(folder, SIGDN_NORMALDISPLAY)) SetWindowTextW(frame_, name->c_str());
    FollowInTree();
}

void StandIn::TreeSelectionChanged(IShellItemArray* selection) {
    ComPtr<IShellItem> item;
    if (!selection || FAILED(selection->GetItemAt(0, item.Put())) || !item) return;
    PIDLIST_ABSOLUTE raw = nullptr;
    if (FAILED(SHGetIDListFromObject(item.Get(), &raw))) return;
    Pidl target(raw);
    // Our own selection of the shown folder (FollowInTree) comes back here too.
    if (SameFolder(target.get(), current_.get())) return;
    treeTarget_ = std::move(target);
    PostMessageW(frame_, kBrowseToTreeSelection, 0, 0);
}

// The tree shows where the browser is: the folders above the shown one are
// expanded and the shown one selected. A folder the tree cannot reach (one
// outside its root's enumeration) just leaves the tree as it is.
void StandIn::FollowInTree() {
    if (!tree_ || !treeShown_ || !current_) return;
    std::vector<Pidl> ancestors;  // nearest first, the desktop itself not included
    for (Pidl step = Clone(current_.get()); step && ILRemoveLastID(step.get()) && !ILIsEmpty(step.get());) {
        ancestors.push_back(Clone(step.get()));
    }
    for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it) {
        const ComPtr<IShellItem> item = ItemOf(it->get());
        if (!item || FAILED(tree_->SetItemState(item.Get(), NSTCIS_EXPANDED, NSTCIS_EXPANDED))) return;
    }
    if (const ComPtr<IShellItem> shown = ItemOf(current_.get())) {
        tree_->SetItemState(shown.Get(), NSTCIS_SELECTED, NSTCIS_SELECTED);
    }
}

void StandIn::LayoutFrame() {
    if (!frame_) return;
    RECT client{};
    GetClientRect(frame_, &client);
    int treeWidth = 0;
    if (treeShown_ && treeWindow_) {
        HDC screen = GetDC(frame_);
        const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
        if (screen) ReleaseDC(frame_, screen);
        treeWidth = std::clamp(static_cast<int>(client.right / 4), MulDiv(120, dpi, 96), MulDiv(320, dpi, 96));
        MoveWindow(treeWindow_, 0, 0, treeWidth, client.bottom, TRUE);
    }
    if (tab_)
        MoveWindow(tab_, treeWidth, 0, std::max(0, static_cast<int>(client.right) - treeWidth), client.bottom, TRUE);
}

void StandIn::LayoutBrowser() {
    RECT area{};
    GetClientRect(sink_, &area);
    if (browser_) browser_->SetRect(nullptr, area);
    if (viewWindow_ && GetParent(viewWindow_) == sink_) {
        MoveWindow(viewWindow_, 0, 0, area.right, area.bottom, TRUE);
    }
}

void StandIn::TearDown() {
    if (events_) events_->Disconnect();
    if (tree_) {
        tree_->TreeUnadvise(treeCookie_);
        tree_.Reset();
    }
    if (browser_) {
        browser_->Unadvise(browserCookie_);
        browser_->Destroy();
        browser_.Reset();
    }
    tab_ = viewHost_ = directUi_ = sink_ = nullptr;
    browserWindow_ = viewWindow_ = treeWindow_ = nullptr;
    current_.reset();
    treeTarget_.reset();
}

LRESULT CALLBACK StandIn::FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<StandIn*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
        case WM_SIZE:
            self->LayoutFrame();
            return 0;
        case WM_SETFOCUS:
            if (self->viewWindow_) {
                HWND list = FindWindowExW(self->viewWindow_, nullptr, WC_LISTVIEWW, nullptr);
                SetFocus(list ? list : self->viewWindow_);
            }
            return 0;
        case kBrowseToTreeSelection: {
            const Pidl target = std::move(self->treeTarget_);
            if (target && !SameFolder(target.get(), self->current_.get())) self->BrowseTo(target.get());
            return 0;
        }
        case kBuildTree:
            self->treePending_ = false;
            // Hidden again meanwhile, the tree waits for the next request.
            if (self->treeShown_ && !self->tree_) self->MakeTree();
            return 0;
        case kBrowseToParent:
            if (self->browser_) self->browser_->BrowseToIDList(nullptr, SBSP_PARENT);
            return 0;
        case WM_DESTROY:
            self->TearDown();
            break;
        case WM_NCDESTROY:
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            self->frame_ = nullptr;
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK StandIn::ChainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<StandIn*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
        case WM_SIZE:
            if (window == self->sink_) {
                self->LayoutBrowser();
            } else if (HWND child = GetWindow(window, GW_CHILD)) {
                MoveWindow(child, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
            }
            return 0;
        case kGetShellBrowser:
            if (window == self->sink_ && self->browserWindow_) {
                return SendMessageW(self->browserWindow_, message, wParam, lParam);
            }
            break;
        case WM_NCDESTROY:
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Backspace in the list goes up one folder. The list's own procedure is replaced, the one before it kept in the
// list's user data, rather than subclassed through the common controls: their subclassing reads a window property
// on every message, and under Wine each read is a round trip to the server, three for every message the list gets
// (Velmora's timer asks each list for its style twice a second). A list whose user data is taken is left alone.
void StandIn::HookList(HWND list) {
    // Hooked once already, its user data holds the procedure before ours.
    if (GetWindowLongPtrW(list, GWLP_USERDATA) != 0) return;
    SetWindowLongPtrW(list, GWLP_USERDATA, GetWindowLongPtrW(list, GWLP_WNDPROC));
    SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ListProc));
}

// The stand-in whose sink holds the list's view; nullptr when the view is somewhere else.
StandIn* StandIn::OwnerOfList(HWND list) {
    HWND sink = GetParent(GetParent(list));
    if (!sink || GetWindowLongPtrW(sink, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&ChainProc)) return nullptr;
    auto* self = reinterpret_cast<StandIn*>(GetWindowLongPtrW(sink, GWLP_USERDATA));
    return self && self->sink_ == sink ? self : nullptr;
}

LRESULT CALLBACK StandIn::ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(list, GWLP_USERDATA));
    switch (message) {
        case WM_KEYDOWN:
            // The browser sees keys only when its host's message loop hands them to it, which Velmora's does not;
            // the key is kept from the list so that a browser that does see it cannot go up a second time.
            if (wParam == VK_BACK) {
                if (StandIn* self = OwnerOfList(list); self && self->frame_) {
                    PostMessageW(self->frame_, kBrowseToParent, 0, 0);
                    return 0;
                }
            }
            break;
        case WM_NCDESTROY:
            SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
            SetWindowLongPtrW(list, GWLP_USERDATA, 0);
            break;
        default:
            break;
    }
    return CallWindowProcW(previous, list, message, wParam, lParam);
}

}  // namespace

std::unique_ptr<ExplorerWindow> CreateExplorerStandIn() {
    auto standIn = std::make_unique<StandIn>();
    if (!standIn->Build()) return nullptr;
    return standIn;
}

}  // namespace velmora::win32
