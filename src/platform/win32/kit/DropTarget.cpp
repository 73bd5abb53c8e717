#include "platform/win32/kit/DropTarget.h"

#include <shlobj.h>

#include <utility>

#include "platform/win32/kit/WinString.h"

namespace velmora::win32 {
namespace {

FORMATETC FileListFormat() { return {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

bool HoldsFiles(IDataObject* data) {
    FORMATETC format = FileListFormat();
    return data != nullptr && data->QueryGetData(&format) == S_OK;
}

// The file list of a data object: false when it holds none.
bool ReadDroppedFiles(IDataObject* data, std::vector<std::string>& files) {
    files.clear();
    if (!HoldsFiles(data)) return false;
    FORMATETC format = FileListFormat();
    STGMEDIUM medium{};
    if (data->GetData(&format, &medium) != S_OK) return false;
    files = FilesOfDrop(static_cast<HDROP>(medium.hGlobal));
    ReleaseStgMedium(&medium);
    return true;
}

}  // namespace

int ShiftFromKeyState(DWORD keyState) {
    int shift = 0;
    if (keyState & MK_SHIFT) shift |= 1;
    if (keyState & MK_CONTROL) shift |= 2;
    if (keyState & MK_ALT) shift |= 4;
    return shift;
}

std::vector<std::string> FilesOfDrop(HDROP drop) {
    std::vector<std::string> files;
    if (!drop) return files;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring path(static_cast<std::size_t>(length) + 1, L'\0');
        const UINT copied = DragQueryFileW(drop, i, path.data(), length + 1);
        path.resize(copied);
        files.push_back(Narrow(path));
    }
    return files;
}

ComPtr<DropTarget> DropTarget::Create(HWND window, Handlers handlers) {
    return ComPtr<DropTarget>::Adopt(new DropTarget(window, std::move(handlers)));
}

DropTarget::DropTarget(HWND window, Handlers handlers) : window_(window), handlers_(std::move(handlers)) {}

HRESULT STDMETHODCALLTYPE DropTarget::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropTarget)) {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE DropTarget::AddRef() { return ++references_; }

ULONG STDMETHODCALLTYPE DropTarget::Release() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

DWORD DropTarget::Over(DWORD keyState, DWORD allowed) const {
    const DWORD wanted = handlers_.over ? handlers_.over(ShiftFromKeyState(keyState), hasFiles_) : DROPEFFECT_NONE;
    // The source decides what it allows; show "no" rather than an effect it refuses.
    for (DWORD effect : {DROPEFFECT_COPY, DROPEFFECT_MOVE, DROPEFFECT_LINK}) {
        if (wanted & allowed & effect) return effect;
    }
    return DROPEFFECT_NONE;
}

HRESULT STDMETHODCALLTYPE DropTarget::DragEnter(IDataObject* data, DWORD keyState, POINTL, DWORD* effect) {
    hasFiles_ = HoldsFiles(data);
    if (effect != nullptr) *effect = Over(keyState, *effect);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DropTarget::DragOver(DWORD keyState, POINTL, DWORD* effect) {
    if (effect != nullptr) *effect = Over(keyState, *effect);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DropTarget::DragLeave() {
    hasFiles_ = false;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DropTarget::Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) {
    DropInfo info;
    info.hasFiles = ReadDroppedFiles(data, info.files);
    info.shift = ShiftFromKeyState(keyState);
    info.client = {point.x, point.y};
    ScreenToClient(window_, &info.client);
    hasFiles_ = info.hasFiles;
    info.effect = effect != nullptr ? Over(keyState, *effect) : DROPEFFECT_NONE;
    info.data = data;
    const DWORD reported = handlers_.drop ? handlers_.drop(info) : DROPEFFECT_NONE;
    if (effect != nullptr) *effect = reported;
    hasFiles_ = false;
    return S_OK;
}

DropTarget::Handlers FilePathDrop(std::function<void(const std::vector<std::string>&)> onFiles) {
    DropTarget::Handlers handlers;
    handlers.over = [](int, bool hasFiles) -> DWORD {
        return hasFiles ? DROPEFFECT_COPY | DROPEFFECT_LINK : DROPEFFECT_NONE;
    };
    handlers.drop = [onFiles = std::move(onFiles)](const DropInfo& drop) -> DWORD {
        if (drop.hasFiles && drop.effect != DROPEFFECT_NONE && onFiles) onFiles(drop.files);
        return drop.effect;
    };
    return handlers;
}

namespace {

// One DWORD under a registered clipboard format, handed over to the data object.
void SetEffectFormat(IDataObject* data, const wchar_t* format, DWORD value) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof(DWORD));
    if (memory == nullptr) return;
    if (auto* stored = static_cast<DWORD*>(GlobalLock(memory))) {
        *stored = value;
        GlobalUnlock(memory);
    }
    FORMATETC type{static_cast<CLIPFORMAT>(RegisterClipboardFormatW(format)), nullptr, DVASPECT_CONTENT, -1,
                   TYMED_HGLOBAL};
    STGMEDIUM medium{};
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = memory;
    // With fRelease TRUE the data object owns the memory once it took it.
    if (data->SetData(&type, &medium, TRUE) != S_OK) GlobalFree(memory);
}

}  // namespace

void ReportOptimisedMove(IDataObject* data) {
    if (data == nullptr) return;
    SetEffectFormat(data, CFSTR_PERFORMEDDROPEFFECT, DROPEFFECT_NONE);
    SetEffectFormat(data, CFSTR_LOGICALPERFORMEDDROPEFFECT, DROPEFFECT_MOVE);
}

DropRegistration::DropRegistration(HWND window, DropTarget::Handlers handlers) {
    const ComPtr<DropTarget> target = DropTarget::Create(window, std::move(handlers));
    // RegisterDragDrop keeps its own reference for as long as it is registered.
    if (RegisterDragDrop(window, target.Get()) == S_OK) window_ = window;
}

DropRegistration::DropRegistration(DropRegistration&& other) noexcept
    : window_(std::exchange(other.window_, nullptr)) {}

DropRegistration& DropRegistration::operator=(DropRegistration&& other) noexcept {
    if (this != &other) {
        Revoke();
        window_ = std::exchange(other.window_, nullptr);
    }
    return *this;
}

void DropRegistration::Revoke() {
    if (HWND window = std::exchange(window_, nullptr)) RevokeDragDrop(window);
}

}  // namespace velmora::win32
